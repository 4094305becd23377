// The tool against the simulated monitor over a pseudo-terminal, with the real clock: the search finds the
// monitor, the keep-alive pings it while idle, a monitor that falls silent is lost and found again, a monitor
// in its boot block is found in boot mode, and no fault on the line leaves the tool connected but mute.
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "link/ConnectionSearch.h"
#include "link/Link.h"
#include "link/TransmitQueue.h"
#include "link/windows/FrmCommLog.h"
#include "link/windows/FrmConnect.h"
#include "link/windows/FrmTrying.h"
#include "model/MonitorModel.h"
#include "sim/PtySimulator.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

// Every request the simulated monitor has taken, with the time it arrived.
struct RequestLog {
    QList<QPair<qint64, QByteArray>> requests;
    QElapsedTimer clock;

    void attach(sim::PtySimulator* simulator) {
        clock.start();
        QObject::connect(simulator, &sim::PtySimulator::requestHandled, simulator,
                         [this](const QByteArray& request, const QByteArray&) {
                             requests << qMakePair(clock.elapsed(), request.trimmed());
                         });
    }
    int count(const QByteArray& request, int from = 0) const {
        int n = 0;
        for (int i = from; i < requests.size(); ++i)
            n += requests[i].second == request;
        return n;
    }
    QList<qint64> timesOf(const QByteArray& request, int from = 0) const {
        QList<qint64> out;
        for (int i = from; i < requests.size(); ++i)
            if (requests[i].second == request)
                out << requests[i].first;
        return out;
    }
};

bool frameVisible(ChildWindow* w) {
    return w && w->parentWidget() && w->parentWidget()->isVisible();
}

} // namespace

class ConnectionEndToEndTest : public QObject {
    Q_OBJECT

    // Generous bounds: they only keep a broken build from hanging, nothing is measured against them.
    static constexpr int foundWithinMs = 10000;
    // Lost within the keep-alive interval and the answer time-out, with room for a loaded machine.
    static constexpr int lostWithinMs = Link::keepAliveIdleMs + Link::answerTimeoutMs + 5000;

private slots:
    void monitorIsFoundPingedLostAndFoundAgain() {
        ToolHarness h(ToolHarness::Port::Real);
        sim::SimOptions options;
        options.profile = "2.10";
        sim::PtySimulator* simulator = h.startWithSimulator(options);
        RequestLog log;
        log.attach(simulator);
        FrmMain* main = h.app().mainWindow();
        FrmConnect* connect = h.ctx().windows->existing<FrmConnect>();
        FrmTrying* trying = h.ctx().windows->existing<FrmTrying>();

        // Start-up: the search pings until the monitor answers, then the tool is online and asks for the
        // firmware version.
        QCOMPARE(main->connectionState(), ConnectionState::NoMonitor);
        QVERIFY(h.ctx().search->isSearching());
        QVERIFY(QTest::qWaitFor([&] { return main->connectionState() == ConnectionState::Online; }, foundWithinMs));
        QVERIFY2(main->windowTitle().endsWith(" -- Monitor on Com1"), qPrintable(main->windowTitle()));
        QVERIFY(h.ctx().link->indicatorGreen());
        QVERIFY(!frameVisible(trying));
        QVERIFY(QTest::qWaitFor([&] { return log.count("df") == 1; }, foundWithinMs));
        // Its answer gives the firmware class.
        QVERIFY(QTest::qWaitFor([&] { return h.ctx().model->firmwareClass == 210; }, foundWithinMs));

        // Idle: one ping every 5000 ms after the last answer, and nothing else changes.
        const int idleFrom = int(log.requests.size());
        QVERIFY(QTest::qWaitFor([&] { return log.count("p", idleFrom) >= 2; }, 3 * Link::keepAliveIdleMs));
        const QList<qint64> pings = log.timesOf("p", idleFrom);
        // Timers never fire early, so the gap cannot be shorter than the keep-alive interval.
        QVERIFY2(pings[1] - pings[0] >= Link::keepAliveIdleMs, qPrintable(QString::number(pings[1] - pings[0])));
        QCOMPARE(main->connectionState(), ConnectionState::Online);

        // The monitor falls silent: lost after the next ping goes unanswered, and the search runs.
        simulator->setSilent(true);
        QVERIFY(QTest::qWaitFor([&] { return main->connectionState() == ConnectionState::NoMonitor; }, lostWithinMs));
        QVERIFY(main->windowTitle().endsWith(" -- No monitor"));
        QVERIFY(!h.ctx().link->indicatorGreen());
        QVERIFY(frameVisible(connect));
        QVERIFY(frameVisible(trying));
        QVERIFY(h.ctx().search->isSearching());
        // The search keeps pinging the silent monitor (its pings still reach the line).
        const int silentFrom = int(log.requests.size());
        QByteArray heard;
        QMetaObject::Connection tap = QObject::connect(simulator, &sim::PtySimulator::received, simulator,
                                                       [&](const QByteArray& bytes) { heard += bytes; });
        QVERIFY(QTest::qWaitFor([&] { return heard.count("p\r\n") >= 1; }, 3 * ConnectionSearch::tickMs));
        QObject::disconnect(tap);
        QCOMPARE(log.requests.size(), silentFrom);

        // The monitor answers again: online again, and the firmware version is asked again.
        simulator->setSilent(false);
        QVERIFY(QTest::qWaitFor([&] { return main->connectionState() == ConnectionState::Online; }, foundWithinMs));
        QVERIFY(h.ctx().link->indicatorGreen());
        QVERIFY(QTest::qWaitFor([&] { return log.count("df") == 2; }, foundWithinMs));
        QVERIFY(!frameVisible(trying));
    }

    void monitorInItsBootBlockIsFoundInBootMode() {
        ToolHarness h(ToolHarness::Port::Real);
        sim::SimOptions options;
        options.profile = "2.10";
        options.bootMode = true;
        sim::PtySimulator* simulator = h.startWithSimulator(options);
        RequestLog log;
        log.attach(simulator);
        FrmMain* main = h.app().mainWindow();

        QVERIFY(QTest::qWaitFor([&] { return main->connectionState() == ConnectionState::BootMode; }, foundWithinMs));
        QVERIFY2(main->windowTitle().endsWith(" -- Monitor on Com1 -- BOOT MODE"), qPrintable(main->windowTitle()));
        QVERIFY(h.ctx().link->indicatorGreen());
        QCOMPARE(h.ctx().model->firmwareClass, 0);
        // The keep-alive's first ping (2000 ms after the search) is answered in the boot block; by then a
        // firmware-version read would long have gone out.
        const int from = int(log.requests.size());
        QVERIFY(QTest::qWaitFor([&] { return log.count("p", from) >= 1; }, foundWithinMs));
        QCOMPARE(log.count("df"), 0);
        QCOMPARE(main->connectionState(), ConnectionState::BootMode);

        // "Run from BOOT MODE": the firmware's first "#" prompt brings the tool online, and its version sets up
        // the family's menus as a search that found it would.
        QVERIFY(h.chooseMenu("mnuMonitorRun"));
        QVERIFY(QTest::qWaitFor([&] { return h.ctx().model->firmwareClass == 210; }, foundWithinMs));
        QCOMPARE(main->connectionState(), ConnectionState::Online);
        QVERIFY2(main->windowTitle().endsWith(" -- Monitor on Com1"), qPrintable(main->windowTitle()));
        for (const char* item : {"mnuAdjust", "mnuInfo", "mnuAdjustGeometry", "mnuMonitorUpdate"})
            QVERIFY2(main->menus()->action(QLatin1String(item))->isEnabled(), item);
        QVERIFY(!main->menus()->action(QStringLiteral("mnuMonitorRun"))->isEnabled());
    }

    // Each fault ends either in a working link or in "No monitor" with the search running, within the
    // keep-alive interval plus the answer time-out.
    void faultEndsInAWorkingLinkOrANewSearch_data() {
        QTest::addColumn<int>("silentAfter");      // answers before the monitor falls silent (-1: never)
        QTest::addColumn<QStringList>("controls"); // simulator control lines once the tool is online
        QTest::addColumn<QString>("request");      // then queued by the tool ("" for none)
        QTest::addColumn<bool>("lost");
        // It answered the search's ping, then nothing: "df" stays unanswered under a 2000 ms keep-alive.
        QTest::newRow("silent after the first answer") << 1 << QStringList() << QString() << true;
        QTest::newRow("answering after 1950 ms") << -1 << QStringList{"delay 1950"} << QString() << false;
        QTest::newRow("! then silence") << -1 << QStringList{"silent-after 1"} << "zz" << true;
        QTest::newRow("garbled P answer") << -1 << QStringList{"send Px$"} << QString() << false;
    }
    void faultEndsInAWorkingLinkOrANewSearch() {
        QFETCH(int, silentAfter);
        QFETCH(QStringList, controls);
        QFETCH(QString, request);
        QFETCH(bool, lost);
        ToolHarness h(ToolHarness::Port::Real);
        sim::SimOptions options;
        options.profile = "2.10";
        options.silentAfter = silentAfter;
        sim::PtySimulator* simulator = h.startWithSimulator(options);
        RequestLog log;
        log.attach(simulator);
        FrmMain* main = h.app().mainWindow();
        QVERIFY(QTest::qWaitFor([&] { return main->connectionState() == ConnectionState::Online; }, foundWithinMs));
        // Online, and done with what the family set-up asks.
        if (silentAfter < 0)
            QVERIFY(
                QTest::qWaitFor([&] { return h.ctx().model->firmwareClass == 210 && h.linkIdle(); }, foundWithinMs));

        QList<ConnectionState> states;
        QObject::connect(main, &FrmMain::connectionStateChanged, main, [&](ConnectionState s) { states << s; });
        const int from = int(log.requests.size());
        for (const QString& line : controls)
            QVERIFY2(simulator->applyControl(line), qPrintable(line));
        if (!request.isEmpty())
            h.ctx().link->queue()->queueCommand(request);

        if (lost) {
            QVERIFY(
                QTest::qWaitFor([&] { return main->connectionState() == ConnectionState::NoMonitor; }, lostWithinMs));
            QVERIFY(main->windowTitle().endsWith(" -- No monitor"));
            QVERIFY(!h.ctx().link->indicatorGreen());
            QVERIFY(h.ctx().search->isSearching());
            QVERIFY(frameVisible(h.ctx().windows->existing<FrmTrying>()));
            return;
        }
        // The next ping is answered (after the delay, if any) and the tool stays online throughout.
        QVERIFY(QTest::qWaitFor([&] { return log.count("p", from) >= 1; }, lostWithinMs));
        QVERIFY(QTest::qWaitFor([&] { return simulator->pendingBytes() == 0; }, lostWithinMs));
        QTest::qWait(500);
        QCOMPARE(states, QList<ConnectionState>());
        QCOMPARE(main->connectionState(), ConnectionState::Online);
        QVERIFY(h.ctx().model->monitorResponding);
        QVERIFY(h.ctx().link->indicatorGreen());
        // Requests go out again.
        h.ctx().link->queue()->queueCommand(QStringLiteral("df"));
        QVERIFY(QTest::qWaitFor([&] { return log.count("df", from) == 1; }, lostWithinMs));
    }

    // The adapter is pulled: the port reports it, the log says so and the tool searches again at once. The box
    // that says the device is gone holds nothing up: the adapter plugged back in while it is open is found.
    void portThatVanishesIsLoggedAndSearchedFor() {
        ToolHarness h(ToolHarness::Port::Real);
        sim::SimOptions options;
        options.profile = "2.10";
        options.linkPath = h.m_dir.filePath("adapter");
        sim::PtySimulator* simulator = h.startWithSimulator(options);
        FrmMain* main = h.app().mainWindow();
        QVERIFY(QTest::qWaitFor([&] { return main->connectionState() == ConnectionState::Online; }, foundWithinMs));
        simulator->stop();
        // Well before any keep-alive ping could go unanswered.
        QVERIFY(QTest::qWaitFor([&] { return main->connectionState() == ConnectionState::NoMonitor; },
                                Link::keepAliveSearchMs));
        QVERIFY(h.ctx().search->isSearching());
        QVERIFY(!h.ctx().port->isOpen());
        QVERIFY2(h.ctx().windows->existing<FrmCommLog>()->logText().contains("Port lost"),
                 qPrintable(h.ctx().windows->existing<FrmCommLog>()->logText()));

        sim::PtySimulator pluggedBack(options);
        bool foundWhileOpen = false;
        h.dialogs.whileOpen = [&](const ScriptedDialogs::Message& box) {
            if (!box.text.contains("does not exist") || pluggedBack.isRunning())
                return;
            QVERIFY(pluggedBack.start());
            foundWhileOpen =
                QTest::qWaitFor([&] { return main->connectionState() == ConnectionState::Online; }, foundWithinMs);
        };
        QVERIFY(QTest::qWaitFor([&] { return pluggedBack.isRunning(); }, foundWithinMs));
        QVERIFY(foundWhileOpen);
    }
};

QTEST_MAIN(ConnectionEndToEndTest)
#include "tst_e2e_connection.moc"
