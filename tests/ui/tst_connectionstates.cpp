// The connection states as the main window shows them: the menu tree, the enabling of each state reached the
// way the tool reaches it, titles and indicators, and the keep-alive losing a monitor that falls silent.
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "link/ConnectionSearch.h"
#include "link/Link.h"
#include "link/TransmitQueue.h"
#include "link/windows/FrmConnect.h"
#include "link/windows/FrmTrying.h"
#include "model/MonitorModel.h"
#include "platform/Clock.h"
#include "session/MonitorSession.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {

// A monitor on the fake port: answers every line the tool writes with its echo and a prompt, a few
// milliseconds later, while it is switched on.
class FakeMonitor {
public:
    explicit FakeMonitor(ToolHarness& h) : m_h(h) {}

    bool answering = true;
    QString prompt = QStringLiteral("#");
    qint64 lastAnswerAt = -1;

    // Advances the clock in small steps, answering what was written since the last step.
    void serve(qint64 ms) {
        const qint64 end = m_h.fakeClock.nowMs() + ms;
        while (m_h.fakeClock.nowMs() < end) {
            m_h.fakeClock.advance(std::min<qint64>(stepMs, end - m_h.fakeClock.nowMs()));
            while (m_seen < m_h.fakePort->written.size()) {
                const QByteArray line = m_h.fakePort->written.at(m_seen++).trimmed();
                if (answering) {
                    m_h.fakePort->receive(line + "\r\n" + prompt.toLatin1());
                    lastAnswerAt = m_h.fakeClock.nowMs();
                }
            }
        }
    }
    // Ignores what was written so far (it was never heard).
    void skipWritten() { m_seen = m_h.fakePort->written.size(); }

    static constexpr int stepMs = 10;

private:
    ToolHarness& m_h;
    int m_seen = 0;
};

FrmMain* mainOf(ToolHarness& h) {
    return h.app().mainWindow();
}

QAction* item(ToolHarness& h, const QString& name) {
    QAction* a = mainOf(h)->menus()->action(name);
    if (!a)
        qFatal("no menu item %s", qPrintable(name));
    return a;
}

bool frameVisible(ChildWindow* w) {
    return w && w->parentWidget() && w->parentWidget()->isVisible();
}

int pingsWritten(ToolHarness& h) {
    return int(h.fakePort->written.count(QByteArray("p\r\n")));
}

using Expectations = QList<QPair<QString, bool>>;

} // namespace

Q_DECLARE_METATYPE(Expectations)

class ConnectionStatesTest : public QObject {
    Q_OBJECT

    // Runs one step of a path through the states: "found#" and "found$" let the running search find a
    // monitor (prompt "#" or "$"), "demo" and "offline" choose the menu items, "search" presses "OK" of the
    // connection window.
    static void step(ToolHarness& h, FakeMonitor& monitor, const QString& what) {
        if (what == QLatin1String("found#") || what == QLatin1String("found$")) {
            monitor.prompt = what.right(1);
            monitor.answering = true;
            // Only the search's ping is answered; what follows the search ("df") stays unanswered.
            monitor.serve(ConnectionSearch::tickMs - FakeMonitor::stepMs);
            monitor.answering = false;
            monitor.serve(FakeMonitor::stepMs);
        } else if (what == QLatin1String("demo")) {
            item(h, "mnuMonitorDemo")->trigger();
        } else if (what == QLatin1String("offline")) {
            item(h, "mnuMonitorOffline")->trigger();
        } else if (what == QLatin1String("search")) {
            h.ctx().windows->show<FrmConnect>()->tryAgain();
        } else if (what == QLatin1String("silent")) {
            // The monitor stops answering: the keep-alive's ping goes unanswered past its time-out.
            monitor.answering = false;
            monitor.serve(Link::keepAliveIdleMs + Link::answerTimeoutMs + TransmitQueue::writePauseMs);
        } else {
            qFatal("unknown step %s", qPrintable(what));
        }
    }

private slots:
    void menuTreeHasEveryMenuItemAndCaption_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("File") << "mnuFile"
                              << "&File"
                              << QStringList{"mnuFileNew=&New",
                                             "mnuFileOpen=&Open ...",
                                             "mnuFileSave=&Save",
                                             "mnuFileSaveAs=S&ave As ...",
                                             "mnuFileWriteToMonitor=&Write File to Monitor ...",
                                             "mnuFileClose=&Close",
                                             "mnuFileExit=E&xit"};
        QTest::newRow("Monitor") << "mnuMonitor"
                                 << "&Monitor"
                                 << QStringList{"mnuMonitorUpdate=&Update All Data", "mnuMonitorOnline=Go O&nline",
                                                "mnuMonitorOffline=Go O&ffline", "mnuMonitorDemo=Go Offline &Demo Mode",
                                                "mnuMonitorRun=&Run from BOOT MODE", "mnuMonitorHistory=&History"};
        QTest::newRow("Configure") << "mnuConfigure"
                                   << "&Configure"
                                   << QStringList{"mnuConfigureVideoMode=&Video Mode",
                                                  "mnuConfigureModelAndSerialNumber=Set &Model and Serial Number",
                                                  "mnuConfigureOperatingMode=&Operating Mode",
                                                  "mnuConfigureOperatingTime=Set Operating &Times",
                                                  "mnuConfigureSoftware=So&ftware",
                                                  "mnuConfigureSelectScanSet=&Scan Selection",
                                                  "mnuConfigureBacklight=Back&light Controls",
                                                  "mnuConfigureHeater=&Heater and Fan",
                                                  "mnuConfigureAppMode=&Application Mode"};
        QTest::newRow("Adjustment") << "mnuAdjust"
                                    << "&Adjustment"
                                    << QStringList{"mnuAdjustmentBrightnessContrast=&Brightness and Contrast",
                                                   "mnuAdjustGeometry=&Geometry",
                                                   "mnuAdjustVideo=Colo&r Balance",
                                                   "mnuAdjustmentConvergenceGoals=&Convergence - Goals",
                                                   "mnuAdjustmentConvergence=Convergence - &Details",
                                                   "mnuAdjustHV=&High Voltage"};
        QTest::newRow("Info") << "mnuInfo"
                              << "&Info"
                              << QStringList{"mnuInfoID=Model and &Serial Numbers",
                                             "mnuInfoVersion=&Version",
                                             "mnuInfoConfiguration=&Monitor Configuration",
                                             "mnuInfoOperatingHours=&Operating Time",
                                             "mnuInfoLimits=Brightness and Contrast &Limits",
                                             "mnuInfoCurrentScan=&Current Scan Set",
                                             "mnuInfoBoot=&Boot Block"};
        QTest::newRow("Diagnostics") << "mnuDiagnostics"
                                     << "&Diagnostics"
                                     << QStringList{"mnuDiagnosticsCommLogging=&Communication Log",
                                                    "mnuDiagnosticsDeflHV=Deflection && HV &Enable",
                                                    "mnuDiagnosticsOperating=&Operating Values",
                                                    "mnuDiagnosticsVoltages=Operating &Voltages",
                                                    "frmDiagnosticsDeflectionStatus=&Deflection Status",
                                                    "mnuDiagnosticsHVLimits=HV &Limits",
                                                    "mnuDiagnosticsFPControls=&Analog Operating Values",
                                                    "mnuDiagnosticsI2c=&I2C Device Test",
                                                    "mnuDiagnosticsPeek=&Peek and Poke"};
        QTest::newRow("Window") << "mnuWindow"
                                << "&Window"
                                << QStringList{
                                       "mnuWindowCascade=&Cascade", "mnuWindowTileHorizontal=Tile &Horizontally",
                                       "mnuWindowTileVertical=Tile &Vertically", "mnuWindowArrangeIcons=Arrange &Icons"};
        QTest::newRow("Help") << "mnuHelp"
                              << "&Help"
                              << QStringList{"mnuHelpTopics=&Kestrane Help Topics ...",
                                             "mnuHelpLinkReport=&Link Report ...", "mnuHelpAbout=&About OrvexMon"};
    }
    void menuTreeHasEveryMenuItemAndCaption() {
        QFETCH(QString, menu);
        QFETCH(QString, caption);
        QFETCH(QStringList, items);
        ToolHarness h;
        h.start();
        // Walked through the menu bar itself, as the user sees it.
        QMenu* found = nullptr;
        for (QAction* top : mainOf(h)->menuBar()->actions())
            if (top->menu() && top->menu()->objectName() == menu)
                found = top->menu();
        QVERIFY(found);
        QCOMPARE(found->title(), caption);
        QStringList shown;
        for (QAction* a : found->actions())
            if (!a->isSeparator())
                shown << a->objectName() + "=" + a->text();
        QCOMPARE(shown, items);
    }

    void menuBarOrder() {
        ToolHarness h;
        h.start();
        QStringList names;
        for (QAction* top : mainOf(h)->menuBar()->actions())
            names << top->objectName();
        QCOMPARE(names, (QStringList{"mnuFile", "mnuMonitor", "mnuConfigure", "mnuAdjust", "mnuInfo", "mnuDiagnostics",
                                     "mnuWindow", "mnuHelp"}));
    }

    void enablingOfEachState_data() {
        QTest::addColumn<QStringList>("path");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("titleEnd");
        QTest::addColumn<Expectations>("expected");

        // Items a state leaves alone keep what start-up gave them.
        QTest::newRow("start-up") << QStringList{} << int(ConnectionState::NoMonitor) << " -- No monitor"
                                  << Expectations{{"mnuMonitorUpdate", false},
                                                  {"mnuMonitorOnline", true},
                                                  {"mnuMonitorOffline", false},
                                                  {"mnuMonitorDemo", true},
                                                  {"mnuMonitorRun", false},
                                                  {"mnuAdjust", false},
                                                  {"mnuInfo", true},
                                                  {"mnuInfoID", false},
                                                  {"mnuInfoVersion", false},
                                                  {"mnuInfoOperatingHours", false},
                                                  {"mnuInfoCurrentScan", false},
                                                  {"mnuDiagnosticsOperating", false},
                                                  {"mnuDiagnosticsI2c", false},
                                                  {"mnuDiagnosticsFPControls", false},
                                                  {"mnuAdjustmentConvergenceGoals", false},
                                                  {"mnuAdjustGeometry", false},
                                                  {"mnuConfigureBacklight", false},
                                                  {"mnuConfigureHeater", false},
                                                  {"mnuDiagnosticsCommLogging", true},
                                                  {"mnuInfoConfiguration", true},
                                                  {"mnuFileExit", true}};
        QTest::newRow("online") << QStringList{"found#"} << int(ConnectionState::Online) << " -- Monitor on Com1"
                                << Expectations{{"mnuMonitorUpdate", true},
                                                {"mnuMonitorOnline", false},
                                                {"mnuMonitorOffline", true},
                                                {"mnuMonitorDemo", true},
                                                {"mnuMonitorRun", false},
                                                {"mnuAdjust", false},
                                                {"mnuInfo", true},
                                                {"mnuInfoID", true},
                                                {"mnuInfoOperatingHours", true},
                                                {"mnuDiagnosticsOperating", true},
                                                {"mnuInfoVersion", false},
                                                {"mnuInfoCurrentScan", false},
                                                {"mnuAdjustGeometry", false}};
        QTest::newRow("boot mode") << QStringList{"found$"} << int(ConnectionState::BootMode)
                                   << " -- Monitor on Com1 -- BOOT MODE"
                                   << Expectations{{"mnuMonitorUpdate", false}, {"mnuMonitorOnline", false},
                                                   {"mnuMonitorOffline", true}, {"mnuMonitorDemo", true},
                                                   {"mnuMonitorRun", true},     {"mnuAdjust", false},
                                                   {"mnuInfo", false},          {"mnuInfoID", false}};
        QTest::newRow("demo")
            << QStringList{"demo"} << int(ConnectionState::Demo) << " -- No monitor - Offline Demo Mode"
            << Expectations{{"mnuMonitorUpdate", true}, {"mnuMonitorOnline", true}, {"mnuMonitorOffline", true},
                            {"mnuMonitorDemo", true},   {"mnuMonitorRun", true},    {"mnuAdjust", true},
                            {"mnuInfo", true}};
        QTest::newRow("online then offline")
            << QStringList{"found#", "offline"} << int(ConnectionState::NoMonitor) << " -- No monitor"
            << Expectations{{"mnuMonitorUpdate", false},  {"mnuMonitorOnline", true},
                            {"mnuMonitorOffline", false}, {"mnuMonitorRun", false},
                            {"mnuAdjust", false},         {"mnuInfo", true},
                            {"mnuInfoID", false},         {"mnuInfoOperatingHours", false}};
        // No-monitor leaves the Info menu as boot mode left it.
        QTest::newRow("boot mode then offline")
            << QStringList{"found$", "offline"} << int(ConnectionState::NoMonitor) << " -- No monitor"
            << Expectations{{"mnuMonitorRun", false},
                            {"mnuMonitorOffline", false},
                            {"mnuAdjust", false},
                            {"mnuInfo", false},
                            {"mnuMonitorOnline", true}};
        QTest::newRow("demo then offline")
            << QStringList{"demo", "offline"} << int(ConnectionState::NoMonitor) << " -- No monitor"
            << Expectations{{"mnuMonitorRun", false},
                            {"mnuAdjust", false},
                            {"mnuInfo", true},
                            {"mnuAdjustmentConvergenceGoals", true},
                            {"mnuMonitorUpdate", false}};
        QTest::newRow("demo left by a search")
            << QStringList{"demo", "search", "found#"} << int(ConnectionState::Online) << " -- Monitor on Com1"
            << Expectations{{"mnuMonitorUpdate", true}, {"mnuMonitorOnline", false}, {"mnuAdjust", false}};
        QTest::newRow("online, then the monitor falls silent")
            << QStringList{"found#", "silent"} << int(ConnectionState::NoMonitor) << " -- No monitor"
            << Expectations{{"mnuMonitorUpdate", false}, {"mnuMonitorOnline", true}, {"mnuMonitorOffline", false}};
        QTest::newRow("boot mode, then a search finds the firmware")
            << QStringList{"found$", "search", "found#"} << int(ConnectionState::Online) << " -- Monitor on Com1"
            << Expectations{
                   {"mnuMonitorRun", false}, {"mnuMonitorOffline", true}, {"mnuInfoID", true}, {"mnuInfo", false}};
    }
    void enablingOfEachState() {
        QFETCH(QStringList, path);
        QFETCH(int, state);
        QFETCH(QString, titleEnd);
        QFETCH(Expectations, expected);
        ToolHarness h;
        h.start();
        FakeMonitor monitor(h);
        QSignalSpy changes(h.ctx().session, &MonitorSession::connectionStateChanged);
        for (const QString& s : path) {
            const qsizetype before = changes.size();
            step(h, monitor, s);
            // The session is the one place the state changes: the main window shows what it signalled last.
            QVERIFY(changes.size() > before);
            QCOMPARE(changes.last().first().value<ConnectionState>(), mainOf(h)->connectionState());
        }
        QCOMPARE(int(mainOf(h)->connectionState()), state);
        QVERIFY2(mainOf(h)->windowTitle().endsWith(titleEnd), qPrintable(mainOf(h)->windowTitle()));
        for (const auto& e : expected)
            QVERIFY2(item(h, e.first)->isEnabled() == e.second,
                     qPrintable(e.first + (e.second ? " should be enabled" : " should be disabled")));
        const bool connected = state == int(ConnectionState::Online) || state == int(ConnectionState::BootMode);
        // Every flag that goes with the state, as the command line sees them in the same session.
        const MonitorModel& m = *h.ctx().model;
        QCOMPARE(m.monitorResponding, connected);
        QCOMPARE(h.ctx().link->monitorConnected(), connected);
        QCOMPARE(h.ctx().link->indicatorGreen(), connected);
        QVERIFY(connected || !h.ctx().link->tmrConnect()->isActive());
        QVERIFY(connected || (m.firmwareVersion.isEmpty() && m.romVersion.isEmpty()));
        QVERIFY(state != int(ConnectionState::BootMode) || m.firmwareClass == 0);
    }

    void demoEnablesEveryMenuAndItemInInstallationMode() {
        ToolHarness h;
        h.start();
        item(h, "mnuMonitorDemo")->trigger();
        QCOMPARE(mainOf(h)->connectionState(), ConnectionState::Demo);
        QStringList disabled;
        for (QAction* a : mainOf(h)->menuBar()->actions()) {
            if (!a->isEnabled())
                disabled << a->objectName();
            for (QAction* i : a->menu()->actions())
                if (!i->isEnabled())
                    disabled << i->objectName();
        }
        QCOMPARE(disabled, QStringList());
    }

    // The mode's restrictions are applied after each state's enabling, except in demo mode.
    void modeIsAppliedAfterTheState_data() {
        QTest::addColumn<QString>("initialMode");
        QTest::addColumn<QStringList>("path");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("factory, search running") << "FactoryMode" << QStringList{} << "mnuDiagnosticsDeflHV" << true;
        QTest::newRow("user, search running") << "UserMode" << QStringList{} << "mnuDiagnosticsDeflHV" << false;
        QTest::newRow("factory, offline after online")
            << "FactoryMode" << QStringList{"found#", "offline"} << "mnuDiagnosticsDeflHV" << true;
        QTest::newRow("service, boot mode") << "ServiceMode" << QStringList{"found$"} << "mnuConfigureSoftware" << true;
        QTest::newRow("user, boot mode") << "UserMode" << QStringList{"found$"} << "mnuConfigureSoftware" << false;
        QTest::newRow("user, demo") << "UserMode" << QStringList{"demo"} << "mnuDiagnosticsPeek" << true;
        QTest::newRow("user, demo then offline")
            << "UserMode" << QStringList{"demo", "offline"} << "mnuDiagnosticsPeek" << false;
    }
    void modeIsAppliedAfterTheState() {
        QFETCH(QString, initialMode);
        QFETCH(QStringList, path);
        QFETCH(QString, name);
        QFETCH(bool, enabled);
        ToolHarness h(ToolHarness::Port::Fake, "[StartUp]\nRunType=1\nInitialMode=" + initialMode + "\n");
        h.start();
        FakeMonitor monitor(h);
        for (const QString& s : path)
            step(h, monitor, s);
        QCOMPARE(item(h, name)->isEnabled(), enabled);
    }

    void bootModeTitleNamesThePortAndSendsNoFirmwareRead() {
        ToolHarness h(ToolHarness::Port::Fake, "[StartUp]\nRunType=1\n[Configs]\nCommPort=3\n");
        h.start();
        h.ctx().model->firmwareClass = 210;
        FakeMonitor monitor(h);
        step(h, monitor, "found$");
        QCOMPARE(mainOf(h)->connectionState(), ConnectionState::BootMode);
        QVERIFY2(mainOf(h)->windowTitle().endsWith(" -- Monitor on Com3 -- BOOT MODE"),
                 qPrintable(mainOf(h)->windowTitle()));
        QCOMPARE(h.ctx().model->firmwareClass, 0);
        monitor.serve(1000);
        QCOMPARE(h.fakePort->writtenText(), QString("p|"));
    }

    void runFromBootModeSendsG() {
        ToolHarness h;
        h.start();
        FakeMonitor monitor(h);
        step(h, monitor, "found$");
        QVERIFY(item(h, "mnuMonitorRun")->isEnabled());
        item(h, "mnuMonitorRun")->trigger();
        monitor.serve(200);
        QCOMPARE(h.fakePort->writtenText(), QString("p|g|"));
    }

    void goOfflineHidesTheLinkWindowsAndClearsTheVersions() {
        ToolHarness h;
        h.start();
        FakeMonitor monitor(h);
        step(h, monitor, "found#");
        h.ctx().windows->show<FrmConnect>();
        h.ctx().model->firmwareVersion = "V 2.10";
        h.ctx().model->romVersion = "V 1.02";
        QSignalSpy cleared(mainOf(h), &FrmMain::versionTextsCleared);
        item(h, "mnuMonitorOffline")->trigger();
        QCOMPARE(mainOf(h)->connectionState(), ConnectionState::NoMonitor);
        QVERIFY(h.ctx().model->firmwareVersion.isEmpty());
        QVERIFY(h.ctx().model->romVersion.isEmpty());
        QCOMPARE(cleared.count(), 1);
        QVERIFY(!frameVisible(h.ctx().windows->existing<FrmConnect>()));
        QVERIFY(!frameVisible(h.ctx().windows->existing<FrmTrying>()));
        QVERIFY(!h.ctx().search->isSearching());
        QVERIFY(!h.ctx().link->indicatorGreen());
    }

    void goOnlineShowsTheConnectionWindow() {
        ToolHarness h;
        h.start();
        FrmConnect* connect = h.ctx().windows->existing<FrmConnect>();
        connect->hideWindow();
        QVERIFY(!frameVisible(connect));
        item(h, "mnuMonitorOnline")->trigger();
        QVERIFY(frameVisible(connect));
    }

    void idleMonitorIsPingedEveryFiveSeconds() {
        ToolHarness h;
        h.start();
        FakeMonitor monitor(h);
        QList<qint64> pingTimes;
        QObject::connect(h.ctx().queue(), &TransmitQueue::lineWritten, [&](const QByteArray& line) {
            if (line == "p\r\n")
                pingTimes << h.fakeClock.nowMs();
        });
        monitor.serve(2100);
        QCOMPARE(mainOf(h)->connectionState(), ConnectionState::Online);
        pingTimes.clear();
        monitor.serve(30000);
        QCOMPARE(mainOf(h)->connectionState(), ConnectionState::Online);
        QVERIFY2(pingTimes.size() >= 5, qPrintable(QString::number(pingTimes.size())));
        // The quiet time runs from each answer: 5000 ms, plus the write pause and the monitor's reply.
        for (int i = 1; i < pingTimes.size(); ++i) {
            const qint64 gap = pingTimes[i] - pingTimes[i - 1];
            QVERIFY2(gap >= 5000 && gap <= 5000 + TransmitQueue::writePauseMs + 2 * FakeMonitor::stepMs,
                     qPrintable(QString::number(gap)));
        }
    }

    void silentMonitorIsLostAndTheSearchRestarts() {
        ToolHarness h;
        h.start();
        FakeMonitor monitor(h);
        monitor.serve(3000);
        QCOMPARE(mainOf(h)->connectionState(), ConnectionState::Online);
        QVERIFY(h.fakePort->writtenText().startsWith("p|df|"));
        monitor.serve(6000); // at least one answered ping
        QVERIFY(pingsWritten(h) >= 2);
        FrmConnect* connect = h.ctx().windows->existing<FrmConnect>();
        FrmTrying* trying = h.ctx().windows->existing<FrmTrying>();
        connect->hideWindow();
        QVERIFY(!frameVisible(trying));
        ChildWindow* logWindow = h.ctx().windows->find("frmCommLog");
        QVERIFY(logWindow);
        auto* logIndicator = logWindow->findChild<QPushButton*>("btnInd");
        QVERIFY(logIndicator);
        QCOMPARE(logIndicator->property("indicatorGreen").toBool(), true);

        // The monitor falls silent. The keep-alive pings it 5000 ms after its last answer and gives up
        // 2000 ms after that ping went out (100 ms after the tick).
        monitor.answering = false;
        const int pingsBefore = pingsWritten(h);
        const qint64 lostAt =
            monitor.lastAnswerAt + Link::keepAliveIdleMs + TransmitQueue::writePauseMs + Link::answerTimeoutMs;
        monitor.serve(lostAt - 1 - h.fakeClock.nowMs());
        QCOMPARE(mainOf(h)->connectionState(), ConnectionState::Online);
        QCOMPARE(pingsWritten(h), pingsBefore + 1);
        monitor.serve(1);

        QCOMPARE(mainOf(h)->connectionState(), ConnectionState::NoMonitor);
        QVERIFY(mainOf(h)->windowTitle().endsWith(" -- No monitor"));
        QVERIFY(!h.ctx().model->monitorResponding);
        QVERIFY(!h.ctx().link->indicatorGreen());
        QCOMPARE(connect->findChild<QPushButton*>("btnInd")->property("indicatorGreen").toBool(), false);
        QCOMPARE(logIndicator->property("indicatorGreen").toBool(), false);
        QVERIFY(frameVisible(connect));
        QVERIFY(frameVisible(trying));
        QVERIFY(h.ctx().search->isSearching());
        QVERIFY(!h.ctx().link->tmrKeepAlive()->isActive());
        QVERIFY(!h.ctx().link->tmrConnect()->isActive());
        QCOMPARE(h.ctx().search->retriesToGo(), h.ctx().search->connectRetryLimit);

        // The unanswered ping still holds the queue: the search's own ping goes out at its first tick,
        // after the queue was emptied with a beep.
        const int tonesBefore = int(h.tone.tones.size());
        monitor.serve(ConnectionSearch::tickMs + TransmitQueue::writePauseMs);
        QCOMPARE(pingsWritten(h), pingsBefore + 2);
        QCOMPARE(int(h.tone.tones.size()), tonesBefore + 1);
        QCOMPARE(trying->findChild<QLabel*>("lblToGo")->text(), QString::number(h.ctx().search->connectRetryLimit - 1));
        monitor.serve(3 * ConnectionSearch::tickMs);
        QCOMPARE(pingsWritten(h), pingsBefore + 5);
        QCOMPARE(mainOf(h)->connectionState(), ConnectionState::NoMonitor);

        // The monitor is back: the next ping is answered and the next tick finds it.
        monitor.skipWritten();
        monitor.answering = true;
        const int written = int(h.fakePort->written.size());
        monitor.serve(2 * ConnectionSearch::tickMs + 200);
        QCOMPARE(mainOf(h)->connectionState(), ConnectionState::Online);
        QVERIFY(h.ctx().link->indicatorGreen());
        QVERIFY(!frameVisible(trying));
        QVERIFY(h.fakePort->written.mid(written).contains("df\r\n"));
    }

    void withAutoPingOffASilentMonitorIsNotPinged() {
        ToolHarness h(ToolHarness::Port::Fake, "[StartUp]\nRunType=1\n[Configs]\nAutoPingEnabled=0\n");
        h.start();
        FakeMonitor monitor(h);
        monitor.serve(3000);
        QCOMPARE(mainOf(h)->connectionState(), ConnectionState::Online);
        monitor.answering = false;
        const int pings = pingsWritten(h);
        monitor.serve(30000);
        QCOMPARE(pingsWritten(h), pings);
        QCOMPARE(mainOf(h)->connectionState(), ConnectionState::Online);
        QVERIFY(h.ctx().link->tmrKeepAlive()->isActive());
    }
};

QTEST_MAIN(ConnectionStatesTest)
#include "tst_connectionstates.moc"
