// Who the monitor is and how long it has run, against the simulated monitor of each family over a
// pseudo-terminal with the real clock: the user stores a new serial number and a new operating-day count through
// the Configure menu's windows, and the Info menu's windows read them back from the monitor, with the versions
// where the family offers them. After Update All Data the windows show the monitor's values as soon as they open.
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "model/MonitorModel.h"
#include "sim/PtySimulator.h"
#include "sim/SimOptions.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QtTest>

namespace {

// Bounds that only keep a broken build from hanging; nothing is measured against them. Update All Data reads
// one value a second; the operating time is its 23rd read.
constexpr int connectWithinMs = 15000;
constexpr int answersWithinMs = 15000;
constexpr int updateWithinMs = 60000;

const QString factoryMode = QStringLiteral("[StartUp]\nRunType=1\nInitialMode=FactoryMode\n");

template <class T> T* control(ToolHarness& h, const char* window, const char* name) {
    ChildWindow* w = h.ctx().windows->find(QLatin1String(window));
    return w ? w->findChild<T*>(QLatin1String(name)) : nullptr;
}

bool shown(ToolHarness& h, const char* window) {
    ChildWindow* w = h.ctx().windows->find(QLatin1String(window));
    return w && w->parentWidget()->isVisible();
}

} // namespace

class IdentityEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void aSerialNumberAndAnOperatingTimeReachTheMonitor_data() {
        QTest::addColumn<QString>("profile");
        QTest::addColumn<int>("firmwareClass");
        // The identity window reads the monitor's own numbers, and the Info menu offers the versions, on the CRT
        // families.
        QTest::addColumn<bool>("crt");
        QTest::newRow("1.38") << "1.38" << 138 << true;
        QTest::newRow("2.10") << "2.10" << 210 << true;
        QTest::newRow("3.15") << "3.15" << 315 << false;
        QTest::newRow("4.05") << "4.05" << 405 << false;
    }
    void aSerialNumberAndAnOperatingTimeReachTheMonitor() {
        QFETCH(QString, profile);
        QFETCH(int, firmwareClass);
        QFETCH(bool, crt);
        ToolHarness h(ToolHarness::Port::Real, factoryMode);
        sim::SimOptions options;
        options.profile = profile;
        sim::MonitorState& monitor = h.startWithSimulator(options)->monitor().state();
        QVERIFY(h.waitFor([&] { return h.ctx().model->firmwareClass == firmwareClass; }, connectWithinMs));

        // Configure > Model and Serial Number: the window shows the monitor's serial number; a new one is stored.
        QVERIFY(h.chooseMenu("mnuConfigureModelAndSerialNumber"));
        QLineEdit* serial = control<QLineEdit>(h, "frmSetModelAndSerialNumber", "txtSerial");
        QVERIFY(serial);
        const QString before = monitor.boards.value('s').serial;
        QVERIFY(h.waitFor([&] { return serial->text() == before; }, answersWithinMs));
        const QString stored = QStringLiteral("E2E-") + profile;
        serial->setText(stored);
        control<QPushButton>(h, "frmSetModelAndSerialNumber", "btnSerial")->click();
        QVERIFY(h.waitFor([&] { return monitor.boards.value('s').serial == stored; }, answersWithinMs));
        control<QPushButton>(h, "frmSetModelAndSerialNumber", "btnDone")->click();
        QVERIFY(!shown(h, "frmSetModelAndSerialNumber"));

        // Configure > Operating Time: the boxes show the monitor's time; 500 days are stored.
        QVERIFY(h.chooseMenu("mnuConfigureOperatingTime"));
        QLineEdit* days = control<QLineEdit>(h, "frmSetOperatingTimes", "OperatingDaysTextBox");
        QVERIFY(days);
        QVERIFY(h.waitFor([&] { return days->text() == QString::number(monitor.time.days); }, answersWithinMs));
        days->setText("500");
        control<QPushButton>(h, "frmSetOperatingTimes", "SetOperatingDaysButton")->click();
        QVERIFY(h.waitFor([&] { return monitor.time.days == 500; }, answersWithinMs));
        QVERIFY2(h.dialogs.messages.isEmpty(), qPrintable(h.dialogs.texts().join('\n')));

        // Info > Operating Hours reads the new time back.
        QVERIFY(h.chooseMenu("mnuInfoOperatingHours"));
        QLabel* time = control<QLabel>(h, "frmOperatingTime", "lblOperatingTimeValue");
        QVERIFY(time);
        QVERIFY(h.waitFor([&] { return time->text().startsWith("500:"); }, answersWithinMs));
        QCOMPARE(control<QLabel>(h, "frmOperatingTime", "lblOperatingCyclesValue")->text(),
                 QString::number(monitor.time.cycles));

        // Info > ID reads the new serial number back where the family is asked for it; the set window, opened
        // again, reads it on every family.
        QVERIFY(h.chooseMenu("mnuInfoID"));
        if (crt) {
            QLabel* shownSerial = control<QLabel>(h, "frmID", "lblSerial");
            QVERIFY(h.waitFor([&] { return shownSerial->text() == stored; }, answersWithinMs));
        }
        serial->setText(QString());
        QVERIFY(h.chooseMenu("mnuConfigureModelAndSerialNumber"));
        QVERIFY(h.waitFor([&] { return serial->text() == stored; }, answersWithinMs));
        QCOMPARE(h.ctx().model->serialNumber, stored);
        // Info > Version shows what the monitor reports.
        QCOMPARE(h.chooseMenu("mnuInfoVersion"), crt);
        if (crt) {
            QLabel* firmware = control<QLabel>(h, "frmVersion", "lblMonitorFirmwareVersionValue");
            QLabel* eprom = control<QLabel>(h, "frmVersion", "lblMonitorEpromVersionValue");
            QVERIFY(h.waitFor([&] { return eprom->text() == "V " + monitor.profile.romVersion; }, answersWithinMs));
            QCOMPARE(firmware->text(), "V " + profile);
        }
        // The board rows are there only for the family whose boards report their numbers.
        QCOMPARE(control<QLineEdit>(h, "frmSetModelAndSerialNumber", "txtCPUSerial")->isVisibleTo(serial->window()),
                 firmwareClass == 210);
    }

    void afterUpdateAllDataTheWindowsOpenFilled() {
        ToolHarness h(ToolHarness::Port::Real, factoryMode);
        sim::MonitorState& monitor = h.startWithSimulator(sim::SimOptions())->monitor().state();
        QVERIFY(h.waitFor([&] { return h.ctx().model->firmwareClass == 210; }, connectWithinMs));
        QVERIFY(h.chooseMenu("mnuMonitorUpdate"));
        const MonitorModel& m = *h.ctx().model;
        QVERIFY(h.waitFor([&] { return !m.operatingTime.isEmpty(); }, updateWithinMs));

        // Shown straight from what the cycle read, before the windows' own reads are answered.
        QVERIFY(h.chooseMenu("mnuInfoOperatingHours"));
        QCOMPARE(control<QLabel>(h, "frmOperatingTime", "lblOperatingTimeValue")->text(), m.operatingTime);
        QVERIFY(m.operatingTime.startsWith(QString::number(monitor.time.days) + ":"));
        QVERIFY(h.chooseMenu("mnuInfoID"));
        QCOMPARE(control<QLabel>(h, "frmID", "lblModel")->text(), monitor.boards.value('s').part);
        QCOMPARE(control<QLabel>(h, "frmID", "lblSerial")->text(), monitor.boards.value('s').serial);
    }
};

QTEST_MAIN(IdentityEndToEndTest)
#include "tst_e2e_identity.moc"
