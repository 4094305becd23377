// "Adjust Brightness and Contrast" as a user meets it: opened from the Adjustment menu of a connected tool, filled by
// the monitor's answers without sending them back, each button and option sending its requests by firmware class.
#include "adjust/FrmBrightnessContrast.h"
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "model/MonitorModel.h"
#include "support/ScriptedMonitor.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QtTest>

namespace {

const QString factoryMode = QStringLiteral("[StartUp]\nRunType=1\nInitialMode=FactoryMode\n");

struct Rig {
    ToolHarness h{ToolHarness::Port::Fake, factoryMode};
    std::unique_ptr<ScriptedMonitor> monitor;

    explicit Rig(const QString& version, const QHash<QString, QStringList>& replies = {}) {
        h.start();
        monitor = std::make_unique<ScriptedMonitor>(h);
        if (!monitor->goOnline(version))
            qFatal("the tool did not come online");
        monitor->replies.insert(replies);
    }
    QAction* item(const char* name) { return h.app().mainWindow()->menus()->action(QLatin1String(name)); }
    // Opens the window from the Adjustment menu; null when the monitor's family does not offer it.
    FrmBrightnessContrast* open() {
        if (!item("mnuAdjust")->isEnabled() || !item("mnuAdjustmentBrightnessContrast")->isEnabled())
            return nullptr;
        item("mnuAdjustmentBrightnessContrast")->trigger();
        return h.ctx().windows->existing<FrmBrightnessContrast>();
    }
    template <class T> T* get(const QString& name) {
        T* c = h.ctx().windows->window<FrmBrightnessContrast>()->findChild<T*>(name);
        if (!c)
            qFatal("no control %s", qPrintable(name));
        return c;
    }
    QString text(const QString& name) { return get<QLabel>(name)->text(); }
    QString sent() { return monitor->sent(); }
};

} // namespace

class BrightnessContrastTest : public QObject {
    Q_OBJECT
private slots:
    void activationReadsByFirmwareClass_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("reads");
        QTest::newRow("1.38") << "1.38"
                              << "dw|ddl|ddpl|ddfl|";
        QTest::newRow("2.50") << "2.50"
                              << "du|dp|dw|ddl|ddpl|ddfl|";
        QTest::newRow("3.15") << "3.15"
                              << "du|dw|ddl|ddpl|ddfl|";
        QTest::newRow("4.05") << "4.05"
                              << "du|dw|ddl|ddpl|ddfl|";
    }
    void activationReadsByFirmwareClass() {
        QFETCH(QString, version);
        QFETCH(QString, reads);
        Rig r(version);
        FrmBrightnessContrast* w = r.open();
        QVERIFY(w && w->parentWidget()->isVisible());
        QCOMPARE(w->windowTitle(), QString("Adjust Brightness and Contrast"));
        QCOMPARE(r.sent(), reads);
    }

    // Each button and option of the window and what it sends, by firmware class.
    void requests_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const char* version, const char* control, const char* expected) {
            QTest::newRow(name) << version << control << expected;
        };
        row("contrast software off, 2.50", "2.50", "Option1", "CPC1|");
        row("contrast software on, 2.50", "2.50", "Option2", "CPC0|");
        row("brightness software off, 2.50", "2.50", "Option3", "CPB1|");
        row("brightness software on, 2.50", "2.50", "Option4", "CPB0|");
        row("contrast software off, 3.15", "3.15", "Option1", "CPC1|");
        row("contrast software off, 4.05", "4.05", "Option1", "CP1|");
        row("brightness software on, 4.05", "4.05", "Option4", "CP0|");
        row("contrast software off, 2.11", "2.11", "Option1", "CP1|");
        row("contrast software off, 1.38", "1.38", "Option1", "");
        row("contrast day lower", "2.50", "btnSetDayContrastLowerLimit", "cpl0|dp|");
        row("contrast night lower", "2.50", "btnNightContrastLowerLimit", "cpl2|dp|");
        row("contrast day upper", "2.50", "btnDayContrastUpperLimit", "cpl1|dp|");
        row("contrast night upper", "2.50", "btnNightContrastUpperLimit", "cpl3|dp|");
        row("brightness day lower", "2.50", "Command1", "cpl4|dp|");
        row("brightness night lower", "2.50", "Command2", "cpl6|dp|");
        row("brightness day upper", "2.50", "Command3", "cpl5|dp|");
        row("brightness night upper", "2.50", "Command4", "cpl7|dp|");
        row("contrast hysteresis, blank trimmed", "2.50", "btnSetHystC", "CPHC3|");
        row("brightness hysteresis", "2.50", "btnSetHystB", "CPHB1|");
        row("contrast initial set", "2.50", "btnSetInitial1", "cdlp|ddpl|");
        row("brightness initial set", "2.50", "Command5", "cdlp|ddpl|");
        row("contrast initial use", "2.50", "btnUseInitial1", "cdl0201|");
        row("contrast factory use", "2.50", "btnUseFactory1", "cdl0190|");
        row("brightness initial use", "2.50", "Command7", "cdl1129|");
        row("brightness factory use", "2.50", "Command6", "cdl1120|");
    }
    void requests() {
        QFETCH(QString, version);
        QFETCH(QString, control);
        QFETCH(QString, expected);
        Rig r(version, {{"ddl", {"200,128,1,2,3,4,5,6"}}, {"ddpl", {"201,129"}}, {"ddfl", {"190,120"}}});
        QVERIFY(r.open());
        r.sent();
        // The panels are open, as the user opens them to reach their buttons.
        r.get<QAbstractButton>("btnSetDefaultsContrast")->click();
        r.get<QAbstractButton>("btnSetDefaultsBrightness")->click();
        r.get<QLineEdit>("txtHystC")->setText(" 3");
        QVERIFY(r.get<QAbstractButton>(control)->isVisibleTo(r.h.ctx().windows->window<FrmBrightnessContrast>()));
        r.get<QAbstractButton>(control)->click();
        QCOMPARE(r.sent(), expected);
    }

    void answersFillTheWindowWithoutSendingThemBack() {
        Rig r("2.50", {{"ddl", {"200,128,1,2,3,4,5,6"}},
                       {"ddpl", {"201,129"}},
                       {"ddfl", {"190,120"}},
                       {"dw", {"Model Type = 3"}},
                       {"dp", {"0 0 V/H sync fail", "Limits 40,200,30,180,50,220,-5,210,3,2", "BC 1 0"}}});
        FrmBrightnessContrast* w = r.open();
        QVERIFY(w);
        // The sliders the present values moved send them back, as in every adjustment window; the limits, the
        // hysteresis, the software control and the start-up options send nothing.
        QCOMPARE(r.sent(), QString("du|dp|dw|ddl|ddpl|ddfl|cdl0200|cdl1128|"));
        QCOMPARE(r.get<QScrollBar>("HScroll_Contrast")->value(), 200);
        QCOMPARE(r.text("lblContrastPV"), QString("200"));
        QCOMPARE(r.text("Label18"), QString("128"));
        QCOMPARE(r.text("Label12"), QString("201"));
        QCOMPARE(r.text("Label31"), QString("129"));
        QCOMPARE(r.text("Label15"), QString("190"));
        QCOMPARE(r.text("Label33"), QString("120"));
        QCOMPARE(r.text("lblLimits(0)"), QString(" 40"));
        QCOMPARE(r.text("lblLimits(6)"), QString("-5"));
        QCOMPARE(r.get<QLineEdit>("txtHystC")->text(), QString(" 3"));
        QCOMPARE(r.get<QLineEdit>("txtHystB")->text(), QString(" 2"));
        QVERIFY(r.get<QAbstractButton>("Option2")->isChecked());
        QVERIFY(r.get<QAbstractButton>("Option3")->isChecked());
        // Software control of brightness is off: its slider is hidden and disabled.
        QVERIFY(r.get<QScrollBar>("HScroll_Brightness")->isHidden());
        QVERIFY(!r.get<QScrollBar>("HScroll_Contrast")->isHidden());
        QVERIFY(r.get<QAbstractButton>("UserBrightnessDisabledOption")->isChecked());
        QVERIFY(r.get<QAbstractButton>("UserContrastDisabledOption")->isChecked());
        QVERIFY(!r.h.ctx().model->suppressControlEvents);

        // The user's choice of start-up control is the operating mode's: its window takes it and sends the mode
        // (colour 8 + user brightness off 2, as the model type left them).
        r.get<QAbstractButton>("UserContrastEnabledOption")->click();
        QCOMPARE(r.sent(), QString("cw10|"));
        ChildWindow* mode = r.h.ctx().windows->find("frmOperatingMode");
        QVERIFY(mode && mode->findChild<QAbstractButton*>("UserContrastEnabledOption")->isChecked());
        QVERIFY(!mode->parentWidget()->isVisible());
    }

    void defaultsPanelsCollapseAndExpand() {
        Rig r("4.05");
        FrmBrightnessContrast* w = r.open();
        QVERIFY(w);
        using UC = Catalogue::UserControl;
        QVERIFY(!w->defaultsPanelShown(UC::Contrast));
        QVERIFY(!w->defaultsPanelShown(UC::Brightness));
        QVERIFY(r.get<QAbstractButton>("Command1")->isHidden());
        r.get<QAbstractButton>("btnSetDefaultsBrightness")->click();
        QVERIFY(w->defaultsPanelShown(UC::Brightness));
        QVERIFY(!w->defaultsPanelShown(UC::Contrast));
        QVERIFY(!r.get<QAbstractButton>("Command1")->isHidden());
        QCOMPARE(r.get<QAbstractButton>("btnSetDefaultsContrast")->text(), QString("       Set/Use  Defaults/Limits"));
        QCOMPARE(r.get<QAbstractButton>("btnOKDefaultsContrast")->text(), QString("Defaults/Limits            OK"));
        r.get<QAbstractButton>("btnOKDefaultsBrightness")->click();
        QVERIFY(!w->defaultsPanelShown(UC::Brightness));
    }

    void contrastHysteresisByFamily_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<bool>("shown");
        QTest::newRow("2.15") << "2.15" << false;
        QTest::newRow("2.16") << "2.16" << true;
        QTest::newRow("3.15") << "3.15" << true;
        QTest::newRow("3.17") << "3.17" << false;
        QTest::newRow("4.05") << "4.05" << false;
    }
    void contrastHysteresisByFamily() {
        QFETCH(QString, version);
        QFETCH(bool, shown);
        Rig r(version);
        for (const char* name : {"lblHystC", "txtHystC", "btnSetHystC"})
            QCOMPARE(!r.get<QWidget>(name)->isHidden(), shown);
        QCOMPARE(r.text("lblHystC"), QString("Hysterisis"));
    }
};

QTEST_MAIN(BrightnessContrastTest)
#include "tst_brightnesscontrast.moc"
