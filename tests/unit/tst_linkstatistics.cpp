// The link's counts since start and its answer times: traffic scenarios on the fake port and clock (answers,
// "!", a stuck queue's kick, a lost and found monitor, a search that tries again), and the histogram's median.
#include "link/ConnectionSearch.h"
#include "link/Link.h"
#include "link/LinkStatistics.h"
#include "link/TransmitQueue.h"
#include "session/MonitorSession.h"
#include "support/FakeClock.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingTone.h"

#include <QtTest>

namespace {
struct Rig {
    FakeClock clock;
    FakeSerialPort port;
    RecordingTone tone;
    MonitorSession session{{nullptr, &clock, &tone, &port}};
    Link& link = *session.link();
    ConnectionSearch& search = *session.search();
    Rig() {
        port.open(1, "9600,N,8,1");
        search.autoReConnect = false;
        search.connectRetryLimit = 3;
    }
    // One step of a scenario: "ms N" lets time pass, "queue T" queues a command, "rx T" delivers characters
    // (CR and LF written as \r and \n), "online" is a monitor the search has found (keep-alive every 5000 ms),
    // "search" starts the connection search.
    void run(const QString& step) {
        const QString op = step.section(' ', 0, 0);
        const QString arg = step.section(' ', 1);
        if (op == "ms")
            clock.advance(arg.toInt());
        else if (op == "queue")
            link.queue()->queueCommand(arg);
        else if (op == "rx")
            port.receive(QString(arg).replace("\\r", "\r").replace("\\n", "\n").toLatin1());
        else if (op == "online") {
            session.setOnline();
            link.startKeepAlive(Link::keepAliveIdleMs);
        } else if (op == "search")
            search.start();
        else
            qFatal("unknown step %s", qPrintable(step));
    }
};
} // namespace

class LinkStatisticsTest : public QObject {
    Q_OBJECT
private slots:
    void trafficScenarios_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("requests");
        QTest::addColumn<int>("answers");
        QTest::addColumn<int>("rejections");
        QTest::addColumn<int>("timeOuts");
        QTest::addColumn<int>("retries");
        QTest::addColumn<int>("reconnects");
        QTest::addColumn<double>("median");
        QTest::addColumn<int>("worst");

        // Each answer is timed from its line's write (100 ms after queueing) to its prompt.
        QTest::newRow("answers, odd count") << QStringList{"queue dm", "ms 130", "rx dm\\r\\nM1\\r\\n#",
                                                           "queue ds", "ms 170", "rx ds\\r\\nS1\\r\\n#",
                                                           "queue df", "ms 350", "rx df\\r\\nV 2.10\\r\\n#"}
                                            << 3 << 3 << 0 << 0 << 0 << 0 << 70.0 << 250;
        QTest::newRow("answers, even count: the mean of the middle two")
            << QStringList{"queue dm", "ms 140", "rx dm\\r\\n#", "queue ds", "ms 161", "rx ds\\r\\n#"} << 2 << 2 << 0
            << 0 << 0 << 0 << 50.5 << 61;
        QTest::newRow("a prompt after the answer is counted, not timed")
            << QStringList{"queue dm", "ms 120", "rx dm\\r\\n#", "ms 500", "rx #"} << 1 << 2 << 0 << 0 << 0 << 0 << 20.0
            << 20;
        QTest::newRow("rejection with nothing behind it: the kick finds nothing to retry")
            << QStringList{"queue cx", "ms 120", "rx cx\\r\\n!\\r\\n", "ms 5000"} << 1 << 0 << 1 << 0 << 0 << 0 << -1.0 << -1;
        QTest::newRow("rejection answers the line in flight: the line behind it goes next, no retry")
            << QStringList{"queue cx", "queue dm", "ms 120", "rx cx\\r\\n!\\r\\n", "ms 130", "rx dm\\r\\n#", "ms 5000"} << 2
            << 1 << 1 << 0 << 0 << 0 << 30.0 << 30;
        QTest::newRow("silent monitor: time-out, search retries, found again")
            << QStringList{"online", "ms 5000", "ms 2100", "search", "ms 2000", "ms 130", "rx p\\r\\n#", "ms 1870"}
            // The keep-alive ping (written at 5100) times out at 7100; the search's first ping waits behind it until
            // its first tick (9100) clears the queue and pings again (a retry), answered 30 ms after its write.
            << 2 << 1 << 0 << 1 << 1 << 1 << 30.0 << 30;
        QTest::newRow("first search finds the monitor: no reconnect")
            << QStringList{"search", "ms 145", "rx p\\r\\n#", "ms 1855"} << 1 << 1 << 0 << 0 << 0 << 0 << 45.0 << 45;
        QTest::newRow("search gives up after its limit: two retries")
            << QStringList{"search", "ms 7000"} << 3 << 0 << 0 << 0 << 2 << 0 << -1.0 << -1;
    }
    void trafficScenarios() {
        QFETCH(QStringList, steps);
        Rig r;
        for (const QString& step : steps)
            r.run(step);
        const LinkStatistics& s = r.link.statistics();
        QTEST(int(s.requests()), "requests");
        QTEST(int(s.answers()), "answers");
        QTEST(int(s.rejections()), "rejections");
        QTEST(int(s.timeOuts()), "timeOuts");
        QTEST(int(s.retries()), "retries");
        QTEST(int(s.reconnects()), "reconnects");
        QTEST(s.medianAnswerMs(), "median");
        QTEST(int(s.worstAnswerMs()), "worst");
    }

    // Bounded memory: times beyond the histogram share its overflow cell, yet the worst stays exact and a median
    // that falls there says so.
    void histogramMedianAndOverflow() {
        LinkStatistics s;
        for (int ms : {7, 3, 3, 9000, 12})
            s.addAnswerTime(ms);
        QCOMPARE(s.medianAnswerMs(), 7.0);
        QVERIFY(!s.medianBeyondRange());
        s.addAnswerTime(-5); // a clock that stepped back counts as 0
        QCOMPARE(s.medianAnswerMs(), 5.0);
        for (int i = 0; i < 7; ++i)
            s.addAnswerTime(LinkStatistics::answerTimeRangeMs + 500 * i);
        QVERIFY(s.medianBeyondRange());
        QCOMPARE(s.medianAnswerMs(), double(LinkStatistics::answerTimeRangeMs));
        QCOMPARE(s.worstAnswerMs(), qint64(LinkStatistics::answerTimeRangeMs + 3000));
        QCOMPARE(s.timedAnswers(), quint64(13));
    }
};

QTEST_GUILESS_MAIN(LinkStatisticsTest)
#include "tst_linkstatistics.moc"
