// The wire discipline: one line in flight, 100 ms before each write, answers cut at the prompts, the kick
// timer, clearing the queue, and the keep-alive with its answer time-out.
#include "link/Link.h"
#include "link/LogSink.h"
#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"
#include "platform/SerialPort.h"
#include "protocol/Dispatcher.h"
#include "support/FakeClock.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingTone.h"

#include <QRandomGenerator>
#include <QSet>
#include <QSignalSpy>
#include <QtTest>

class LinkTest : public QObject {
    Q_OBJECT

    struct Rig {
        FakeClock clock;
        FakeSerialPort port;
        RecordingTone tone;
        MonitorModel model;
        Dispatcher dispatcher{model, nullptr};
        LineKeepingLog log;
        Link link{&port, &clock, &tone, &model};
        QStringList answers;
        Rig() {
            port.open(1, "9600,N,8,1");
            link.setLog(&log);
            link.setDispatch([this](const QString& a) {
                answers << a;
                dispatcher.dispatchAnswer(a);
            });
        }
        TransmitQueue* q() { return link.queue(); }
        // A monitor found by the search: responding, shown as connected, keep-alive running.
        void connect(int keepAliveMs) {
            model.monitorResponding = true;
            link.setMonitorConnected(true);
            link.startKeepAlive(keepAliveMs);
        }
    };

private slots:
    void lineWithoutLineFeedGetsOne() {
        Rig r;
        r.q()->queueRequest("p");
        QVERIFY(r.port.written.isEmpty()); // the 100 ms pause runs first
        QVERIFY(r.q()->awaitingAnswer());
        r.clock.advance(99);
        QVERIFY(r.port.written.isEmpty());
        r.clock.advance(1);
        QCOMPARE(r.port.written, QByteArrayList{"p\n"});
    }

    void emptyRequestIsIgnored() {
        Rig r;
        r.q()->queueRequest(QString());
        r.clock.advance(5000);
        QVERIFY(r.port.written.isEmpty());
        QVERIFY(!r.q()->awaitingAnswer());
    }

    void requestsGoOneAtATimeAfterEachPrompt() {
        Rig r;
        r.q()->queueCommand("df");
        r.q()->queueCommand("dt");
        r.q()->queueCommand("de");
        r.clock.advance(100);
        QCOMPARE(r.port.written.size(), 1);
        QCOMPARE(r.q()->transmitQueue(), QString("dt\r\nde\r\n"));
        r.clock.advance(1000);
        QCOMPARE(r.port.written.size(), 1); // waits for the answer
        r.port.receive("df\r\nV 2.10\r\n#");
        QCOMPARE(r.answers, QStringList{"df\r\nV 2.10\r\n#"});
        QCOMPARE(r.port.written.size(), 1);
        r.clock.advance(99);
        QCOMPARE(r.port.written.size(), 1);
        r.clock.advance(1);
        QCOMPARE(r.port.written.last(), QByteArray("dt\r\n"));
        r.port.receive("dt\r\n$");
        r.clock.advance(100);
        QCOMPARE(r.port.written.last(), QByteArray("de\r\n"));
        r.port.receive("de\r\n#");
        QVERIFY(!r.q()->awaitingAnswer());
        QCOMPARE(r.answers.size(), 3);
    }

    void answerIsCutAtEveryPrompt() {
        Rig r;
        r.port.receive("dc\r\nName = A#B\r\n#rest");
        // Only a CR right after a prompt belongs to it: the one after "B" is text.
        QCOMPARE(r.answers, (QStringList{"dc\r\nName = A#", "B\r\n#"}));
        QCOMPARE(r.link.receiveBuffer(), QString("rest"));
        // Text that never ends with a prompt is prepended to the next answer.
        r.port.receive("more$");
        QCOMPARE(r.answers.last(), QString("restmore$"));
    }

    void charactersArrivingWhileAnAnswerIsHandledWaitTheirTurn() {
        // A handler that shows a message box runs an event loop, in which the port can deliver more characters.
        Rig r;
        r.link.setDispatch([&r](const QString& a) {
            r.answers << a;
            if (a.startsWith("bf3"))
                r.port.receive("p\r\n#\r\n");
        });
        r.port.receive("bf3\r\nerase failed#\r\ndf\r\nV 2.10\r\n#\r\n");
        QCOMPARE(r.answers, (QStringList{"bf3\r\nerase failed#", "df\r\nV 2.10\r\n#", "p\r\n#"}));
        QVERIFY(r.link.receiveBuffer().isEmpty());
    }

    void exclamationAnswersTheLineInFlightAndTheQueueGoesOn() {
        Rig r;
        r.q()->queueCommand("cdx12");
        r.q()->queueCommand("cdv3140");
        r.clock.advance(100);
        r.port.receive("cdx12\r\nBad DAC index!\r\n");
        // Not dispatched, but logged and taken as the answer: the next line goes after its pause.
        QVERIFY(r.answers.isEmpty());
        QVERIFY(r.link.receiveBuffer().isEmpty());
        QVERIFY(r.log.lines.contains("Refused by the monitor: cdx12"));
        r.clock.advance(100);
        QCOMPARE(r.port.written, (QByteArrayList{"cdx12\r\n", "cdv3140\r\n"}));
        // A "!" with nothing on the wire is dropped and leaves the awaited answer awaited.
        r.port.receive("cdv3140\r\n#\r\nnoise!\r\n");
        QVERIFY(!r.q()->awaitingAnswer());
        r.q()->queueCommand("df");
        r.port.receive("stray!\r\n");
        QVERIFY(r.q()->awaitingAnswer());
        r.clock.advance(100);
        r.port.receive("late!\r\n");
        QVERIFY(!r.q()->awaitingAnswer());
        QCOMPARE(r.answers.size(), 1);
    }

    // A "!" ends the answer (the monitor refused the request) only where nothing but a line end, or nothing
    // within the settle time, follows it; inside the text it is text and the next request waits for the prompt.
    void exclamationEndsAnAnswerOnlyAtItsEnd_data() {
        QTest::addColumn<QStringList>("chunks"); // received 5 ms apart
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("answer");
        QTest::newRow("line end after it") << QStringList{"ddn\r\nBad!\r\n"} << true << "ddn\r\nBad!";
        QTest::newRow("nothing after it") << QStringList{"ddn\r\nBad!"} << true << "ddn\r\nBad!";
        QTest::newRow("line end in the next chunk") << QStringList{"ddn\r\nBad!", "\r\n"} << true << "ddn\r\nBad!";
        QTest::newRow("inside a name") << QStringList{"ddn\r\n1,1,60Hz! x\r\n#"} << false
                                       << "ddn\r\n1,1,60Hz! x\r\n#";
        QTest::newRow("before the prompt") << QStringList{"ddn\r\n60Hz!#"} << false << "ddn\r\n60Hz!#";
        QTest::newRow("text in the next chunk") << QStringList{"ddn\r\n60Hz!", "x\r\n#"} << false
                                                << "ddn\r\n60Hz!x\r\n#";
    }
    void exclamationEndsAnAnswerOnlyAtItsEnd() {
        QFETCH(QStringList, chunks);
        QFETCH(bool, refused);
        QFETCH(QString, answer);
        Rig r;
        QSignalSpy settled(r.q(), &TransmitQueue::requestSettled);
        const RequestId id = r.q()->queueCommand("ddn");
        r.q()->queueCommand("dc");
        r.clock.advance(100);
        for (const QString& chunk : chunks) {
            QCOMPARE(r.port.written.size(), 1);
            r.port.receive(chunk.toLatin1());
            r.clock.advance(5);
        }
        r.clock.advance(Link::exclamationSettleMs + TransmitQueue::writePauseMs);
        QCOMPARE(r.port.written, (QByteArrayList{"ddn\r\n", "dc\r\n"}));
        QCOMPARE(settled.size(), 1);
        const auto outcome = settled.first().first().value<RequestOutcome>();
        QCOMPARE(outcome.id, id);
        QCOMPARE(outcome.ending == RequestOutcome::Ending::Refused, refused);
        QCOMPARE(outcome.answer, answer);
    }

    void lineEndsAreNormalised() {
        Rig r;
        r.port.receive("a\r\nb\nc\rd#");
        QCOMPARE(r.answers, QStringList{"a\r\nbc\r\nd#"});
        // The CR right after a prompt is dropped, the LF ignored.
        r.port.receive("\r\nx#");
        QCOMPARE(r.answers.last(), QString("x#"));
        QCOMPARE(r.link.lastPrompt(), Link::Prompt::Answer);
    }

    void loggingFollowsTheWindowFlagButEventsAlwaysLog() {
        Rig r;
        r.port.receive("ab\r\n#");
        QVERIFY(r.log.lines.isEmpty());
        QVERIFY(r.log.current.isEmpty());
        r.link.logToWindow = true;
        r.port.receive("cd\r\n#");
        QCOMPARE(r.log.lines, QStringList{"cd"});
        QCOMPARE(r.log.current, QString("#"));
        r.link.logToWindow = false;
        emit r.port.portEvent(SerialEvent::Frame);
        emit r.port.portEvent(SerialEvent::RxParity);
        emit r.port.portEvent(4242);
        QCOMPARE(r.log.lines.mid(1), (QStringList{"Received comFrame", " RxParityErr "}));
        r.port.sendThreshold = 1;
        emit r.port.portEvent(SerialEvent::Send);
        QCOMPARE(r.port.sendThreshold, 0);
        QCOMPARE(r.log.lines.last(), QString("Received comEvSend"));
    }

    void clearQueueBeepsOnlyWhileAwaiting() {
        Rig r;
        r.q()->clearQueue();
        QVERIFY(r.tone.tones.isEmpty());
        r.q()->queueCommand("p");
        r.q()->queueCommand("df");
        r.clock.advance(100);
        r.q()->clearQueue();
        QCOMPARE(r.tone.tones, (QList<QPair<int, int>>{{250, 250}}));
        QVERIFY(!r.q()->awaitingAnswer());
        QVERIFY(r.q()->transmitQueue().isEmpty());
        r.q()->queueCommand("p");
        r.clock.advance(100);
        QCOMPARE(r.port.written.last(), QByteArray("p\r\n"));
    }

    void clearQueuedTextLeavesTheLinkAwaiting() {
        Rig r;
        r.q()->queueCommand("p");
        r.q()->queueCommand("df");
        r.clock.advance(100);
        r.q()->clearQueuedText();
        QVERIFY(r.q()->awaitingAnswer());
        r.q()->queueCommand("dt");
        r.clock.advance(5000);
        QCOMPARE(r.port.written.size(), 1); // still awaiting the first answer
        r.port.receive("p\r\n#");
        r.clock.advance(100);
        QCOMPARE(r.port.written.last(), QByteArray("dt\r\n"));
    }

    void aLineInItsPauseStaysAheadOfTheNext() {
        // clearQueue during the 100 ms pause: the taken line still goes first, the next one after the kick.
        Rig r;
        r.q()->queueCommand("p");
        r.clock.advance(50);
        r.q()->clearQueue();
        r.q()->queueCommand("df");
        r.clock.advance(50);
        QCOMPARE(r.port.written, QByteArrayList{"p\r\n"});
        r.clock.advance(2000 + 99);
        QCOMPARE(r.port.written, QByteArrayList{"p\r\n"});
        r.clock.advance(1);
        QCOMPARE(r.port.written, (QByteArrayList{"p\r\n", "df\r\n"}));
    }

    void keepAlivePingsEveryFiveSecondsAfterAnAnswer() {
        Rig r;
        r.model.monitorResponding = true;
        r.link.startKeepAlive(2000);
        r.clock.advance(2000 + 100);
        QCOMPARE(r.port.written, QByteArrayList{"p\r\n"});
        QVERIFY(r.link.tmrConnect()->isActive());
        r.port.receive("p\r\n#");
        QVERIFY(!r.link.tmrConnect()->isActive());
        QCOMPARE(r.link.tmrKeepAlive()->interval(), 5000);
        r.clock.advance(4999);
        QCOMPARE(r.port.written.size(), 1);
        r.clock.advance(1 + 100);
        QCOMPARE(r.port.written.size(), 2);
    }

    void answerJustInsideTheTimeoutKeepsTheConnection() {
        Rig r;
        QSignalSpy lost(&r.link, &Link::connectionLost);
        r.model.monitorResponding = true;
        r.link.startKeepAlive(2000);
        r.clock.advance(2000);
        r.clock.advance(1999);
        r.port.receive("p\r\n#");
        r.clock.advance(10);
        QCOMPARE(lost.count(), 0);
    }

    void silenceAfterAPingLosesTheConnection() {
        Rig r;
        QSignalSpy lost(&r.link, &Link::connectionLost);
        r.model.monitorResponding = true;
        r.link.startKeepAlive(5000);
        r.clock.advance(5000 + 100 + 2000 - 1);
        QCOMPARE(lost.count(), 0); // the time-out runs from the ping's write
        r.clock.advance(1);
        QCOMPARE(lost.count(), 1);
        QVERIFY(!r.link.tmrKeepAlive()->isActive());
        QVERIFY(!r.link.tmrConnect()->isActive());
    }

    void autoPingOffOnlyStopsTheTimeout() {
        Rig r;
        QSignalSpy lost(&r.link, &Link::connectionLost);
        r.model.monitorResponding = true;
        r.link.setAutoPingEnabled(false);
        r.link.startKeepAlive(2000);
        r.clock.advance(20000);
        QVERIFY(r.port.written.isEmpty());
        QCOMPARE(lost.count(), 0);
        QVERIFY(r.link.tmrKeepAlive()->isActive());
    }

    void exclamationWhileRespondingRestartsKeepAliveAtTwoSeconds() {
        Rig r;
        r.model.monitorResponding = true;
        r.link.startKeepAlive(5000);
        r.port.receive("oops!\r\n");
        QCOMPARE(r.link.tmrKeepAlive()->interval(), 2000);
        QVERIFY(r.link.tmrKeepAlive()->isActive());
    }

    void openPortDiscardsWaitingCharactersAndClearsResponding() {
        Rig r;
        r.model.monitorResponding = true;
        QVERIFY(r.link.openPort(2, "19200,O,8,2"));
        QCOMPARE(r.port.lastPort, 2);
        QCOMPARE(r.port.lastSettings, QString("19200,O,8,2"));
        QVERIFY(!r.model.monitorResponding);
        r.port.failingPorts << 3;
        QVERIFY(!r.link.openPort(3, "9600,N,8,1"));
        QVERIFY(!r.port.isOpen());
    }

    // A monitor that falls silent is lost within the keep-alive interval plus the answer time-out (plus the
    // 100 ms pause before the ping's write), whatever the keep-alive interval and whatever is on the wire.
    void silentMonitorIsLostWithinTheBound_data() {
        QTest::addColumn<int>("keepAliveMs");
        QTest::addColumn<QByteArray>("request");  // written at 100 ms, never answered ("" for none)
        QTest::addColumn<QByteArray>("received"); // arrives right after that write
        QTest::addColumn<int>("lostAtMs");
        // Tick at 2000 finds "df" on the wire: the time-out runs from then on and is not restarted at 4000.
        QTest::newRow("after the search, df unanswered") << 2000 << QByteArray("df") << QByteArray() << 4000;
        QTest::newRow("boot mode, idle") << 2000 << QByteArray() << QByteArray() << 2000 + 100 + 2000;
        QTest::newRow("idle") << 5000 << QByteArray() << QByteArray() << 5000 + 100 + 2000;
        // "!" answers its request: the keep-alive pings 2000 ms later, and the time-out counts from that write.
        QTest::newRow("after a text ended by !")
            << 5000 << QByteArray("zz") << QByteArray("zz\r\nUnknown!\r\n") << 100 + 2000 + 100 + 2000;
        // Line noise that reads as a prompt answer without "#": the monitor is asked again at once.
        QTest::newRow("garbled P answer") << 5000 << QByteArray() << QByteArray("Px$") << 100 + 100 + 2000;
    }
    void silentMonitorIsLostWithinTheBound() {
        QFETCH(int, keepAliveMs);
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, received);
        QFETCH(int, lostAtMs);
        Rig r;
        QSignalSpy lost(&r.link, &Link::connectionLost);
        r.connect(keepAliveMs);
        if (!request.isEmpty())
            r.q()->queueCommand(QString::fromLatin1(request));
        r.clock.advance(100);
        if (!received.isEmpty())
            r.port.receive(received);
        r.clock.advance(lostAtMs - 100 - 1);
        QCOMPARE(lost.count(), 0);
        r.clock.advance(1);
        QCOMPARE(lost.count(), 1);
        QVERIFY(lostAtMs <= keepAliveMs + TransmitQueue::writePauseMs + Link::answerTimeoutMs);
        QVERIFY(!r.link.tmrKeepAlive()->isActive());
    }

    // The answer time-out counts from the ping's write, not from the keep-alive tick 100 ms earlier.
    void answerTimeoutRunsFromTheWrite_data() {
        QTest::addColumn<int>("answerAfterMs");
        QTest::addColumn<bool>("lost");
        QTest::newRow("1950 ms") << 1950 << false;
        QTest::newRow("1999 ms") << 1999 << false;
        QTest::newRow("2001 ms") << 2001 << true;
    }
    void answerTimeoutRunsFromTheWrite() {
        QFETCH(int, answerAfterMs);
        QFETCH(bool, lost);
        Rig r;
        QSignalSpy lostSpy(&r.link, &Link::connectionLost);
        r.connect(5000);
        for (int ping = 0; ping < 3 && lostSpy.isEmpty(); ++ping) {
            r.clock.advance(5000 + 100);
            QCOMPARE(r.port.written.size(), ping + 1);
            r.clock.advance(answerAfterMs);
            r.port.receive("p\r\n#");
        }
        QCOMPARE(lostSpy.count(), lost ? 1 : 0);
    }

    void garbledPromptAnswerEndsInAWorkingLink() {
        Rig r;
        QSignalSpy lost(&r.link, &Link::connectionLost);
        r.connect(5000);
        r.port.receive("Px$");
        QVERIFY(!r.model.monitorResponding);
        r.clock.advance(100);
        QCOMPARE(r.port.written, QByteArrayList{"p\r\n"});
        r.port.receive("p\r\n#");
        QVERIFY(r.model.monitorResponding);
        // Requests flow again and the keep-alive goes on.
        r.q()->queueCommand("df");
        r.clock.advance(100);
        QCOMPARE(r.port.written.last(), QByteArray("df\r\n"));
        r.port.receive("df\r\nV 2.10\r\n#");
        r.clock.advance(5000 + 100);
        QCOMPARE(r.port.written.last(), QByteArray("p\r\n"));
        r.port.receive("p\r\n#");
        QVERIFY(!r.link.tmrConnect()->isActive());
        QCOMPARE(lost.count(), 0);
    }

    void clearXmitQueueDropsALineInItsPause() {
        Rig r;
        r.q()->queueCommand("dt");
        r.q()->queueCommand("de");
        r.clock.advance(50);
        r.q()->clearQueuedText();
        r.clock.advance(5000);
        QVERIFY(r.port.written.isEmpty());
        QVERIFY(!r.q()->awaitingAnswer());
        r.q()->queueCommand("df");
        r.clock.advance(100);
        QCOMPARE(r.port.written, QByteArrayList{"df\r\n"});
    }

    // Settings replacing waiting values of their key. A script of steps, "|" between fields: "s|key|text" queues a
    // setting, "r|text" a command, "raw|text" a request as given, "t|ms" runs the clock, "clear" is the search's
    // clearQueue and "xmit" the log's Clear Xmit Queue. Then the queue is compared, and every line written is
    // answered (echo and prompt) until the link is idle.
    void settingsReplaceWaitingValues_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("queued");
        QTest::addColumn<int>("waiting"); // lines of key "cdl2" waiting to be written after the script
        QTest::addColumn<QStringList>("written");
        const QStringList busy{"r|p", "t|100"}; // "p" on the wire, its answer awaited
        QTest::newRow("same key replaced while waiting")
            << busy + QStringList{"s|cdl2|cdl2100", "s|cdl2|cdl2101", "s|cdl2|cdl2102"} << "cdl2102\r\n"
            << 1 << QStringList{"p", "cdl2102"};
        QTest::newRow("different keys keep their order, each its newest value")
            << busy + QStringList{"s|cdl2|cdl21", "s|cdl3|cdl35", "s|cda 1|cda 17", "s|cdl2|cdl22", "s|cdl3|cdl36"}
            << "cdl22\r\ncdl36\r\ncda 17\r\n"
            << 1 << QStringList{"p", "cdl22", "cdl36", "cda 17"};
        QTest::newRow("a scan-set select stops the replacement")
            << busy + QStringList{"s|cdl2|cdl2100", "r|CC1", "s|cdl2|cdl2101", "s|cdl2|cdl2102"}
            << "cdl2100\r\nCC1\r\ncdl2102\r\n"
            << 2 << QStringList{"p", "cdl2100", "CC1", "cdl2102"};
        QTest::newRow("a save behind other settings stops it too")
            << busy + QStringList{"s|cdl2|cdl2100", "r|cdlp", "s|cdl3|cdl35", "s|cdl2|cdl2101"}
            << "cdl2100\r\ncdlp\r\ncdl35\r\ncdl2101\r\n"
            << 2 << QStringList{"p", "cdl2100", "cdlp", "cdl35", "cdl2101"};
        QTest::newRow("the line in its write pause is replaced")
            << QStringList{"s|cdl2|cdl2100", "t|50", "s|cdl3|cdl35", "s|cdl2|cdl2101", "t|50"} << "cdl35\r\n"
            << 0 << QStringList{"cdl2101", "cdl35"};
        QTest::newRow("not across a request queued after it")
            << QStringList{"s|cdl2|cdl2100", "r|dc", "s|cdl2|cdl2101"} << "dc\r\ncdl2101\r\n"
            << 2 << QStringList{"cdl2100", "dc", "cdl2101"};
        QTest::newRow("a written line is never touched")
            << QStringList{"s|cdl2|cdl2100", "t|100", "s|cdl2|cdl2101", "s|cdl2|cdl2102"} << "cdl2102\r\n"
            << 1 << QStringList{"cdl2100", "cdl2102"};
        QTest::newRow("a read of the same letters is no setting")
            << busy + QStringList{"r|cdl2100", "s|cdl2|cdl2101"} << "cdl2100\r\ncdl2101\r\n"
            << 1 << QStringList{"p", "cdl2100", "cdl2101"};
        QTest::newRow("an open line is a line of its own: the settings behind it still coalesce")
            << busy + QStringList{"raw|x\ny", "s|cdl2|cdl21", "s|cdl2|cdl22", "s|cdl2|cdl23"}
            << "x\ny\ncdl23\r\n"
            << 1 << QStringList{"p", "x", "y", "cdl23"};
        QTest::newRow("Clear Xmit Queue forgets the waiting settings")
            << busy + QStringList{"s|cdl2|cdl2100", "s|cdl3|cdl35", "xmit", "s|cdl3|cdl36", "s|cdl2|cdl2101"}
            << "cdl36\r\ncdl2101\r\n"
            << 1 << QStringList{"p", "cdl36", "cdl2101"};
        QTest::newRow("Clear Xmit Queue drops the pausing setting")
            << QStringList{"s|cdl2|cdl2100", "t|50", "xmit", "s|cdl3|cdl35", "t|50", "s|cdl2|cdl2101"} << "cdl2101\r\n"
            << 1 << QStringList{"cdl35", "cdl2101"};
        QTest::newRow("the search's clear forgets them")
            << busy + QStringList{"s|cdl2|cdl2100", "r|CC1",        "clear",         "s|cdl3|cdl35",
                                  "t|50",           "s|cdl3|cdl36", "s|cdl2|cdl2101"}
            << "cdl2101\r\n"
            << 1 << QStringList{"p", "cdl36", "cdl2101"};
        QTest::newRow("an empty key or text queues as a command")
            << busy + QStringList{"s||cdl2100", "s||cdl2101", "s|cdl2|"} << "cdl2100\r\ncdl2101\r\n"
            << 0 << QStringList{"p", "cdl2100", "cdl2101"};
    }
    void settingsReplaceWaitingValues() {
        QFETCH(QStringList, steps);
        QFETCH(QString, queued);
        QFETCH(QStringList, written);
        Rig r;
        auto answerLast = [&r] { r.port.receive(r.port.written.last().trimmed() + "\r\n#"); };
        for (const QString& step : steps) {
            const QStringList f = step.split('|');
            if (f[0] == "s")
                r.q()->queueSetting(f[1], f[2]);
            else if (f[0] == "r")
                r.q()->queueCommand(f[1]);
            else if (f[0] == "raw")
                r.q()->queueRequest(f[1]);
            else if (f[0] == "t")
                r.clock.advance(f[1].toInt());
            else if (f[0] == "clear")
                r.q()->clearQueue();
            else if (f[0] == "xmit")
                r.q()->clearQueuedText();
        }
        QFETCH(int, waiting);
        QCOMPARE(r.q()->transmitQueue(), queued);
        QCOMPARE(r.q()->waitingSettings("cdl2"), waiting);
        for (int k = 0; k < 20 && (r.q()->awaitingAnswer() || !r.q()->transmitQueue().isEmpty()); ++k) {
            r.clock.advance(TransmitQueue::writePauseMs);
            if (r.q()->lineOnWire())
                answerLast();
        }
        QStringList lines;
        for (const QByteArray& w : r.port.written)
            lines << QString::fromLatin1(w).trimmed();
        QCOMPARE(lines, written);
    }

    // Random mixes of settings, other requests, time, answers and both clears: the queue only ever holds lines
    // that were queued, and the last value queued for each key since the last clear is the last one written.
    void randomMixesKeepTheLastValueOfEachKey_data() {
        QTest::addColumn<quint32>("seed");
        for (quint32 seed : {1u, 7u, 42u, 1234u, 99991u})
            QTest::newRow(qPrintable(QString::number(seed))) << seed;
    }
    void randomMixesKeepTheLastValueOfEachKey() {
        QFETCH(quint32, seed);
        QRandomGenerator random(seed);
        const QStringList keys{"cdl2", "cdl3", "cda 1"};
        const QStringList commands{"CC1", "cdlp", "dc"};
        Rig r;
        QSet<QString> queuedLines;
        QHash<QString, QString> lastQueued; // key -> its last text since the last clear
        auto answer = [&r] {
            if (r.q()->lineOnWire())
                r.port.receive(r.port.written.last().trimmed() + "\r\n#");
        };
        for (int step = 0; step < 600; ++step) {
            const int op = random.bounded(20);
            if (op < 10) {
                const QString key = keys[random.bounded(int(keys.size()))];
                const QString text = key + QString::number(random.bounded(256));
                r.q()->queueSetting(key, text);
                queuedLines << text + "\r\n";
                lastQueued[key] = text;
            } else if (op < 12) {
                const QString text = commands[random.bounded(int(commands.size()))];
                r.q()->queueCommand(text);
                queuedLines << text + "\r\n";
            } else if (op < 16) {
                r.clock.advance(random.bounded(150));
            } else if (op < 19) {
                answer();
            } else {
                if (random.bounded(2))
                    r.q()->clearQueue();
                else
                    r.q()->clearQueuedText();
                lastQueued.clear();
            }
            const QStringList lines = r.q()->transmitQueue().split('\n', Qt::SkipEmptyParts);
            for (const QString& line : lines)
                QVERIFY2(queuedLines.contains(line + '\n'), qPrintable(line));
        }
        for (int k = 0; k < 2000 && (r.q()->awaitingAnswer() || !r.q()->transmitQueue().isEmpty()); ++k) {
            r.clock.advance(TransmitQueue::writePauseMs);
            answer();
        }
        QVERIFY(r.q()->transmitQueue().isEmpty());
        for (auto it = lastQueued.cbegin(); it != lastQueued.cend(); ++it) {
            QString lastWritten;
            for (const QByteArray& w : r.port.written)
                if (w.startsWith(it.key().toLatin1()))
                    lastWritten = QString::fromLatin1(w).trimmed();
            QCOMPARE(lastWritten, it.value());
        }
    }

    void answerBeyondTheCapIsCutWithOneLogLine() {
        Rig r;
        const QByteArray chunk(4096, 'x');
        for (int i = 0; i < 20; ++i) // 80 KiB without a prompt
            r.port.receive(chunk);
        QCOMPARE(r.link.receiveBuffer().size(), Link::maxAnswerChars);
        r.port.receive("\r\n#");
        QCOMPARE(r.answers.size(), 1);
        QCOMPARE(r.answers.first().size(), Link::maxAnswerChars + 1);
        QVERIFY(r.answers.first().endsWith("x#"));
        QCOMPARE(r.log.lines.size(), 1);
        QVERIFY(r.log.lines.first().contains("65536"));
        // The next answer is whole again, and a second overflow is reported again.
        r.port.receive("\r\ndf\r\nV 2.10\r\n#");
        QCOMPARE(r.answers.last(), QString("df\r\nV 2.10\r\n#"));
        for (int i = 0; i < 17; ++i)
            r.port.receive(chunk);
        QCOMPARE(r.log.lines.size(), 2);
    }

    void portThatFailsWhileConnectedLosesTheMonitor_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QString>("logged");
        QTest::newRow("device lost") << int(SerialEvent::DeviceLost) << true << "Port lost";
        QTest::newRow("read error, port closed") << int(SerialEvent::ReadError) << true << "Port read error";
        QTest::newRow("write error, port open") << int(SerialEvent::WriteError) << false << "Port write error";
    }
    void portThatFailsWhileConnectedLosesTheMonitor() {
        QFETCH(int, kind);
        QFETCH(bool, closes);
        QFETCH(QString, logged);
        Rig r;
        QSignalSpy lost(&r.link, &Link::connectionLost);
        QSignalSpy portLost(&r.link, &Link::portLost);
        r.connect(5000);
        if (closes)
            r.port.close();
        emit r.port.portEvent(kind);
        QCOMPARE(r.log.lines, QStringList{logged});
        QCOMPARE(lost.count(), closes ? 1 : 0);
        QCOMPARE(portLost.count(), closes ? 1 : 0);
        QCOMPARE(r.link.tmrKeepAlive()->isActive(), !closes);
        // The search opens the lost port again (the adapter is back); a port that stayed open is left alone.
        const int opens = r.port.openCount;
        QVERIFY(r.link.reopenIfLost());
        QCOMPARE(r.port.openCount, opens + (closes ? 1 : 0));
    }
};

QTEST_GUILESS_MAIN(LinkTest)
#include "tst_link.moc"
