// The identity, version, operating-time, operating-mode, user-control and limits windows as a user meets them:
// opened from the menus of a tool connected to a scripted monitor, filled by its answers, sending what the user
// sets, and showing a data file's values without a monitor.
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "model/MonitorModel.h"
#include "model/windows/FrmID.h"
#include "model/windows/FrmOperatingMode.h"
#include "model/windows/FrmUserControls.h"
#include "support/ScriptedMonitor.h"
#include "support/ToolHarness.h"
#include "ui/ChildWindowFrame.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

const QString factoryMode = QStringLiteral("[StartUp]\nRunType=1\nInitialMode=FactoryMode\n");

// Board numbers of a monitor with board identity, by request.
QHash<QString, QStringList> boardAnswers() {
    QHash<QString, QStringList> r;
    for (char board : QByteArray("cdfghlpstuv")) {
        r.insert(QStringLiteral("dm%1").arg(board), {QStringLiteral("Model Number = P-%1").arg(board)});
        r.insert(QStringLiteral("ds%1").arg(board), {QStringLiteral("Serial Number = S-%1").arg(board)});
    }
    return r;
}

struct Rig {
    ToolHarness h{ToolHarness::Port::Fake, factoryMode};
    std::unique_ptr<ScriptedMonitor> monitor;

    explicit Rig(const QString& version) {
        h.start();
        monitor = std::make_unique<ScriptedMonitor>(h);
        if (!monitor->goOnline(version))
            qFatal("the tool did not come online");
    }
    // Chooses a menu item as the user does; false when the item is not offered.
    bool choose(const char* name) {
        QAction* a = h.app().mainWindow()->menus()->action(QLatin1String(name));
        if (!a || !a->isEnabled())
            return false;
        a->trigger();
        return true;
    }
    ChildWindow* window(const char* name) { return h.ctx().windows->find(QLatin1String(name)); }
    template <class T> T* control(const char* window, const QString& name) {
        ChildWindow* w = this->window(window);
        T* c = w ? w->findChild<T*>(name) : nullptr;
        if (!c)
            qFatal("no control %s on %s", qPrintable(name), window);
        return c;
    }
    QString label(const char* window, const QString& name) { return control<QLabel>(window, name)->text(); }
    QString sent() { return monitor->sent(); }
};

// Leaving a box as the user does when tabbing to the next one.
void leave(QLineEdit* box) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box, &out);
}

} // namespace

class InfoWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void theIdentityWindowReadsWhatTheFamilyReports_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("reads");
        QTest::addColumn<bool>("boards");
        QTest::newRow("1.50") << "1.50"
                              << "dm|ds|" << false;
        QTest::newRow("2.50") << "2.50"
                              << "dms|dss|dmu|dsl|dml|dsd|dmd|dsc|dmc|dsv|dmv|dsp|dmp|dst|dmt|dsh|dmh|dsf|dmf|dmg|dsg|"
                              << true;
    }
    void theIdentityWindowReadsWhatTheFamilyReports() {
        QFETCH(QString, version);
        QFETCH(QString, reads);
        QFETCH(bool, boards);
        Rig r(version);
        // An area with room for the designed heights.
        r.h.app().mainWindow()->resize(1600, 1200);
        r.monitor->replies = boardAnswers();
        // The first family names the board on the reply line.
        r.monitor->replies.insert("dm", {"S Model Number = KM-1"});
        r.monitor->replies.insert("ds", {"S Serial Number = SN-1"});
        QVERIFY(r.choose("mnuInfoID"));
        FrmID* w = r.h.ctx().windows->existing<FrmID>();
        QVERIFY(w && w->parentWidget()->isVisible());
        QCOMPARE(w->windowTitle(), QString("Model and Serial Numbers"));
        QCOMPARE(r.sent(), reads);

        QCOMPARE(r.control<QLabel>("frmID", "lblCPUSerialValue")->isVisibleTo(w), boards);
        QCOMPARE(r.control<QLabel>("frmID", "lblPart")->isVisibleTo(w), boards);
        QVERIFY(r.control<QLabel>("frmID", "lblSerial")->isVisibleTo(w));
        // As high as the rows it shows need, with the boards' or without them.
        auto* frame = static_cast<ChildWindowFrame*>(w->parentWidget());
        QCOMPARE(frame->height(), frame->neededSize().height());
        if (version == "1.50") {
            QCOMPARE(r.label("frmID", "lblModel"), QString("KM-1"));
            QCOMPARE(r.label("frmID", "lblSerial"), QString("SN-1"));
        }
        if (boards) {
            QCOMPARE(r.label("frmID", "lblModel"), QString("P-s"));
            QCOMPARE(r.label("frmID", "lblPart"), QString("P-u"));
            QCOMPARE(r.label("frmID", "lblLVPSPartNumberValue"), QString("P-l"));
            QCOMPARE(r.label("frmID", "lblG2SerialValue"), QString("S-g"));
            QCOMPARE(r.label("frmID", "lblHVPSModelValue"), QString("not reported"));
            // The same answers fill the set window's boxes and the model's numbers.
            QCOMPARE(r.control<QLineEdit>("frmSetModelAndSerialNumber", "txtCRTSerial")->text(), QString("S-t"));
            QCOMPARE(r.h.ctx().model->crtSerialNumber, QString("S-t"));
            QCOMPARE(r.h.ctx().model->partNumber, QString("P-u"));
        }
        // "Done" hides the window; the menu shows it again and it reads again.
        r.control<QPushButton>("frmID", "btnDone")->click();
        QVERIFY(!w->parentWidget()->isVisible());
        QVERIFY(r.choose("mnuInfoID"));
        QCOMPARE(r.sent(), reads);
    }

    void theSetWindowSendsWhatTheUserTyped() {
        Rig r("1.50");
        r.monitor->replies = boardAnswers();
        QVERIFY(r.choose("mnuConfigureModelAndSerialNumber"));
        QCOMPARE(r.sent(), QString("dms|dss|"));
        QLineEdit* serial = r.control<QLineEdit>("frmSetModelAndSerialNumber", "txtSerial");
        QCOMPARE(serial->text(), QString("S-s"));
        QVERIFY(!r.control<QLineEdit>("frmSetModelAndSerialNumber", "txtDeflPart")->isVisibleTo(serial->window()));
        QVERIFY(r.control<QLineEdit>("frmSetModelAndSerialNumber", "txtPart")->isVisibleTo(serial->window()));

        serial->setText("  SN-77 ");
        r.control<QPushButton>("frmSetModelAndSerialNumber", "btnSerial")->click();
        r.control<QLineEdit>("frmSetModelAndSerialNumber", "txtModel")->clear();
        r.control<QPushButton>("frmSetModelAndSerialNumber", "btnModel")->click();
        QCOMPARE(r.sent(), QString("cssSN-77|cms|"));
    }

    void theOperatingTimeWindowsShowAndSetTheTime() {
        Rig r("2.50");
        r.monitor->replies.insert("dt", {"100,23,59,50", "0,0,0,15", "1287"});
        QVERIFY(r.choose("mnuInfoOperatingHours"));
        QCOMPARE(r.sent(), QString("dt|"));
        QCOMPARE(r.label("frmOperatingTime", "lblOperatingTimeValue"), QString("101:00:00:05"));
        QCOMPARE(r.label("frmOperatingTime", "lblOperatingCyclesValue"), QString("1287"));
        r.control<QPushButton>("frmOperatingTime", "btnReRead")->click();
        QCOMPARE(r.sent(), QString("dt|"));

        // The same answer fills the set window's boxes; each "Set" sends its box trimmed.
        QVERIFY(r.choose("mnuConfigureOperatingTime"));
        QCOMPARE(r.sent(), QString("dt|"));
        const char* boxes[] = {"OperatingDaysTextBox", "OperatingHoursTextBox", "OperatingMinutesTextBox",
                               "OperatingSecondsTextBox", "OperatingCyclesTextBox"};
        const char* buttons[] = {"SetOperatingDaysButton", "SetOperatingHoursButton", "SetOperatingMinutesButton",
                                 "SetOperatingSecondsButton", "SetOperatingCyclesButton"};
        QStringList shown;
        for (int i = 0; i < 5; ++i) {
            QLineEdit* box = r.control<QLineEdit>("frmSetOperatingTimes", boxes[i]);
            shown << box->text();
            box->setText(QStringLiteral(" %1 ").arg(i + 1));
            r.control<QPushButton>("frmSetOperatingTimes", buttons[i])->click();
        }
        QCOMPARE(shown, (QStringList{"101", "0", "0", "5", "1287"}));
        QCOMPARE(r.sent(), QString("cod1|coh2|com3|cos4|coc5|"));

        // Leaving a box with a value out of its range reports the range and empties the box.
        QLineEdit* minutes = r.control<QLineEdit>("frmSetOperatingTimes", "OperatingMinutesTextBox");
        minutes->setText("65535");
        leave(minutes);
        QVERIFY(r.h.dialogs.messages.isEmpty());
        minutes->setText("65536");
        leave(minutes);
        QCOMPARE(r.h.dialogs.texts(), QStringList{"0 <= Operating Minutes <= 65535\r\nPlease Re-Enter"});
        QCOMPARE(minutes->text(), QString());
        r.control<QPushButton>("frmSetOperatingTimes", "CloseButton")->click();
        QVERIFY(!r.window("frmSetOperatingTimes")->parentWidget()->isVisible());
    }

    void theVersionWindowShowsBothVersionsAndTheTools() {
        Rig r("2.05"); // a 2.x monitor that is not asked for its capability
        r.monitor->replies.insert("de", {"V 1.20"});
        QVERIFY(r.choose("mnuInfoVersion"));
        QCOMPARE(r.sent(), QString("de|df|"));
        QCOMPARE(r.label("frmVersion", "lblMonitorFirmwareVersionValue"), QString("V 2.05"));
        QCOMPARE(r.label("frmVersion", "lblMonitorEpromVersionValue"), QString("V 1.20"));
        QCOMPARE(r.label("frmVersion", "lblToolVersionValue"), "V " + FrmMain::versionText());
        r.control<QPushButton>("frmVersion", "btnReRead")->click();
        QCOMPARE(r.sent(), QString("de|df|"));
        // Without a monitor the window shows no monitor versions.
        QVERIFY(r.choose("mnuMonitorOffline"));
        QCOMPARE(r.label("frmVersion", "lblMonitorFirmwareVersionValue"), QString());
        QCOMPARE(r.label("frmVersion", "lblMonitorEpromVersionValue"), QString());
        r.control<QPushButton>("frmVersion", "btnOK")->click();
        QVERIFY(!r.window("frmVersion")->parentWidget()->isVisible());
    }

    void theOperatingModeWindowSendsOneMask() {
        Rig r("2.50");
        r.monitor->replies.insert("dw", {"Model Type = 0x2D"}); // 32 + 8 + 4 + 1
        QVERIFY(r.choose("mnuConfigureOperatingMode"));
        // The answer sets the options and sends nothing.
        QCOMPARE(r.sent(), QString("dw|"));
        auto option = [&](const char* name) { return r.control<QRadioButton>("frmOperatingMode", name); };
        for (const char* on :
             {"BIT_Enabled_opt", "EmulatorCommandsDisabledOpt", "MonochromeOption", "DacUpdatingEnabledOptionButton",
              "UserBrightnessEnabledOption", "UserContrastDisabledOption"})
            QVERIFY2(option(on)->isChecked(), on);

        option("ColorOption")->click();
        option("UserBrightnessDisabledOption")->click();
        option("EmulatorCommandsEnabledOpt")->click();
        QCOMPARE(r.sent(), QString("cw45|cw47|cw63|"));
        QCOMPARE(r.h.ctx().model->operatingModeMask, 63u);
        for (const char* off :
             {"BIT_Disabled_opt", "EmulatorCommandsDisabledOpt", "MonochromeOption", "DACUpdatingDisabledOptionButton",
              "UserBrightnessEnabledOption", "UserContrastEnabledOption"})
            option(off)->click();
        QCOMPARE(r.sent(), QString("cw31|cw15|cw7|cw3|cw1|cw0|"));
        // A click on the option already chosen changes nothing.
        option("ColorOption")->click();
        option("ColorOption")->click();
        QCOMPARE(r.sent(), QString("cw8|"));

        // The brightness-contrast window's start-up choice goes through this window's options.
        auto* w = r.h.ctx().windows->existing<FrmOperatingMode>();
        w->selectStartUpControl(Catalogue::UserControl::Brightness, false);
        w->selectStartUpControl(Catalogue::UserControl::Contrast, true);
        QCOMPARE(r.sent(), QString("cw10|"));
        r.control<QPushButton>("frmOperatingMode", "OperatingModeCloseButton")->click();
        QVERIFY(!w->parentWidget()->isVisible());
    }

    void userControlsSendOnlyOnceArmed() {
        Rig r("2.50");
        MonitorModel& m = *r.h.ctx().model;
        m.videoGroup.set(DacTable::Value, 0, m.currentScanSet, 190);
        m.videoGroup.set(DacTable::Value, 1, m.currentScanSet, 120);
        // No menu item shows this window; the registry does.
        r.h.ctx().windows->show<FrmUserControls>();
        QCOMPARE(r.sent(), QString("du|"));
        auto* disable = r.control<QRadioButton>("frmUserControls", "ControlsDisableOption");
        auto* enable = r.control<QRadioButton>("frmUserControls", "ControlsEnableOption");
        disable->click();
        QCOMPARE(r.sent(), QString("cdl0190|cdl1120|"));
        disable->click();
        QCOMPARE(r.sent(), QString("CP0|cdl0190|cdl1120|"));
        enable->click();
        QCOMPARE(r.sent(), QString("CP1|"));
        QVERIFY(m.controlClickArmed);
    }

    void theLimitsWindowShowsThePanelStatus() {
        Rig r("2.50");
        r.monitor->replies.insert(
            "dp", {"0 0 V/H sync fail", "Photocell Disabled", "Limits 40,200,30,180,50,220,-4,210.6,1,1", "BC 1 1"});
        QVERIFY(r.choose("mnuInfoLimits"));
        QCOMPARE(r.sent(), QString("dp|"));
        QStringList limits;
        for (int k = 0; k < 8; ++k)
            limits << r.label("frmLimits", QString("lblLimit(%1)").arg(k));
        QCOMPARE(limits, (QStringList{" 40", " 200", " 30", " 180", " 50", " 220", "-4", " 211"}));
        QCOMPARE(r.label("frmLimits", "Label3(1)"), QString("Night Contrast"));
        r.control<QPushButton>("frmLimits", "btnDone")->click();
        QVERIFY(!r.window("frmLimits")->parentWidget()->isVisible());
    }

    void aDataFileShowsItsNumbersWithoutAMonitor() {
        QTemporaryDir dir;
        const QString path = dir.filePath("monitor.mdv");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("\"Kestrane Monitor DAC Value File\"\r\n\"Version 2.0\"\r\n"
                "\"File Created: \",\"07/12/2026 08:30:00\"\r\n"
                "\"Model Number: \",\"KM-2110D\"\r\n\"Serial Number: \",\"SN-4711\"\r\n"
                "\"Part Number: \",\"610-0001-01\"\r\n\"CRT Serial Number: \",\"CRT-9\"\r\n"
                "\"CRT Part Number: \",\"CRT-P\"\r\n\"Firmware Version: \",\"V 2.50\"\r\n"
                "\"ROM Version: \",\"V 1.20\"\r\n\"Operating Hours: \",\"412:07:23:05\"\r\n"
                "\"Operating Cycles: \",\"1287\"\r\n\"NumScanSets\",6\r\n");
        f.close();

        ToolHarness h(ToolHarness::Port::Fake, factoryMode);
        h.start();
        ScriptedMonitor monitor(h);
        monitor.answering = false;
        auto choose = [&h](const char* name) {
            QAction* a = h.app().mainWindow()->menus()->action(QLatin1String(name));
            if (!a || !a->isEnabled())
                return false;
            a->trigger();
            return true;
        };
        h.dialogs.files.enqueue(path);
        QVERIFY(choose("mnuFileOpen"));
        QVERIFY2(h.dialogs.messages.isEmpty(), qPrintable(h.dialogs.texts().join('\n')));

        // The file's firmware version offers its family's Info menu items, with no monitor connected.
        QVERIFY(choose("mnuInfoID"));
        ChildWindow* id = h.ctx().windows->find("frmID");
        QCOMPARE(id->findChild<QLabel*>("lblModel")->text(), QString("KM-2110D"));
        QCOMPARE(id->findChild<QLabel*>("lblSerial")->text(), QString("SN-4711"));
        QCOMPARE(id->findChild<QLabel*>("lblPart")->text(), QString("610-0001-01"));
        QCOMPARE(id->findChild<QLabel*>("lblCRTSerialValue")->text(), QString("CRT-9"));
        QVERIFY(choose("mnuInfoOperatingHours"));
        ChildWindow* time = h.ctx().windows->find("frmOperatingTime");
        QCOMPARE(time->findChild<QLabel*>("lblOperatingTimeValue")->text(), QString("412:07:23:05"));
        QCOMPARE(time->findChild<QLabel*>("lblOperatingCyclesValue")->text(), QString("1287"));
        QVERIFY(choose("mnuConfigureModelAndSerialNumber"));
        ChildWindow* set = h.ctx().windows->find("frmSetModelAndSerialNumber");
        QCOMPARE(set->findChild<QLineEdit*>("txtSerial")->text(), QString("SN-4711"));
    }
};

QTEST_MAIN(InfoWindowsTest)
#include "tst_infowindows.moc"
