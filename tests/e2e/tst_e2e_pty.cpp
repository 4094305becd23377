// The tool on a real pseudo-terminal: the test plays the monitor on the master side, sees the ping arrive,
// answers with the echo and a prompt, and the tool collects that answer whole and finds the monitor.
#include "app/FrmMain.h"
#include "link/Link.h"
#include "model/MonitorModel.h"
#include "protocol/Dispatcher.h"
#include "support/ToolHarness.h"

#include <QSocketNotifier>
#include <QtTest>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

class PtyEndToEndTest : public QObject {
    Q_OBJECT

    int master = -1;
    int slave = -1;
    QString slavePath;
    QByteArray fromTool;

    void readMaster() {
        char buf[256];
        for (;;) {
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0)
                break;
            fromTool.append(buf, int(n));
        }
    }

private slots:
    void init() {
        char name[128] = {};
        QVERIFY(::openpty(&master, &slave, name, nullptr, nullptr) == 0);
        termios t{};
        ::tcgetattr(slave, &t);
        ::cfmakeraw(&t);
        ::tcsetattr(slave, TCSANOW, &t);
        ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
        slavePath = QString::fromLocal8Bit(name);
        fromTool.clear();
    }
    void cleanup() {
        ::close(master);
        ::close(slave);
    }

    void pingAnsweredOnThePtyIsDispatchedWhole() {
        ToolHarness h(ToolHarness::Port::Real);
        StartOptions options;
        options.portDevice = slavePath;
        h.start(options);
        QStringList dispatched;
        h.ctx().link->setDispatch([&](const QString& answer) {
            dispatched << answer;
            h.ctx().dispatcher->dispatchAnswer(answer);
        });
        QSocketNotifier notifier(master, QSocketNotifier::Read);
        connect(&notifier, &QSocketNotifier::activated, this, [this] { readMaster(); });

        QVERIFY(h.waitFor([&] { return fromTool.contains("p\r\n"); }, 5000));
        // The monitor echoes the request and prompts; the answer arrives in two pieces.
        QCOMPARE(::write(master, "p\r", 2), 2);
        QTest::qWait(30);
        QCOMPARE(::write(master, "\n#\r\n", 4), 4);
        QVERIFY(h.waitFor([&] { return !dispatched.isEmpty(); }, 3000));
        QCOMPARE(dispatched.first(), QString("p\r\n#"));
        QVERIFY(h.ctx().model->monitorResponding);

        // The search's next tick finds the monitor and asks for the firmware version.
        QVERIFY(h.waitFor([&] { return h.app().mainWindow()->connectionState() == ConnectionState::Online; }, 5000));
        QVERIFY(h.app().mainWindow()->windowTitle().endsWith(" -- Monitor on Com1"));
        QVERIFY(h.waitFor([&] { return fromTool.contains("df\r\n"); }, 3000));
    }

    void aPortThatCannotBeOpenedLeavesTheConnectionWindowWaiting() {
        ToolHarness h(ToolHarness::Port::Real);
        StartOptions options;
        options.portDevice = "/nonexistent/tty";
        h.start(options);
        QVERIFY(!h.ctx().port->isOpen());
        QCOMPARE(h.app().mainWindow()->connectionState(), ConnectionState::NoMonitor);
        // Why, in words, once in a box.
        QCOMPARE(h.dialogs.messages.size(), 1);
        QVERIFY2(h.dialogs.messages.first().text.startsWith("/nonexistent/tty does not exist"),
                 qPrintable(h.dialogs.messages.first().text));
    }
};

QTEST_MAIN(PtyEndToEndTest)
#include "tst_e2e_pty.moc"
