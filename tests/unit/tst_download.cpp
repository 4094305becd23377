// The download engine on the fake port and clock: the image check, the start of a flash and an SRAM download,
// every row of the record-answer table, retries up to the limit, the ends the monitor does not decide (silence,
// a lost link, an abort), auto-ping given back, and the summary line that every end writes to the log.
#include "download/DownloadEngine.h"
#include "download/ImageCheck.h"
#include "link/Link.h"
#include "link/LogSink.h"
#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"
#include "platform/Settings.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/Dispatcher.h"
#include "session/MonitorSession.h"
#include "sim/IntelHex.h"
#include "support/FakeClock.h"
#include "support/FakeSerialPort.h"
#include "support/RecordingTone.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using Outcome = DownloadEngine::Outcome;
Q_DECLARE_METATYPE(Outcome)

namespace {
using Tones = QList<QPair<int, int>>;
const Tones failedTones = {{250, 250}, {125, 250}, {125, 250}};
const Tones completeTones = {{250, 250}, {500, 250}, {1000, 250}};

QByteArray record(quint16 address, const QByteArray& data) {
    return sim::makeHexRecord(0, address, data);
}
const QByteArray endRecord = ":00000001FF";

// Data records (three by default) and the end record, each line ended by lineEnd.
QByteArray image(const QByteArray& lineEnd = "\r\n", int records = 3) {
    QByteArray out;
    for (int i = 0; i < records; ++i)
        out += record(quint16(i * 4), QByteArray(4, char(0x10 + i))) + lineEnd;
    return out + endRecord + lineEnd;
}
} // namespace

class DownloadTest : public QObject {
    Q_OBJECT

    struct Rig {
        QTemporaryDir dir;
        FakeClock clock;
        FakeSerialPort port;
        RecordingTone tone;
        LineKeepingLog log;
        Settings settings{dir.filePath("test.conf")};
        MonitorSession session{{&settings, &clock, &tone, &port}};
        MonitorModel& model = *session.model();
        Link& link = *session.link();
        DownloadEngine& engine = *session.download();
        QSignalSpy finished{&engine, &DownloadEngine::finished};
        QSignalSpy shown{&engine, &DownloadEngine::progressShown};
        QSignalSpy hidden{&engine, &DownloadEngine::progressHidden};
        QSignalSpy retryText{&engine, &DownloadEngine::retryTextChanged};
        QSignalSpy gauge{&engine, &DownloadEngine::gaugeChanged};

        Rig() {
            port.open(1, "9600,N,8,1");
            model.monitorResponding = true;
            link.setLog(&log);
        }
        QString file(const QByteArray& contents, const QString& name = "fw.hex") {
            QFile f(dir.filePath(name));
            f.open(QIODevice::WriteOnly);
            f.write(contents);
            return f.fileName();
        }
        // Lets the queued line out, then the monitor answers with its echo, the reply, the end character and its
        // line end.
        void answer(const QByteArray& reply) {
            clock.advance(100);
            const QByteArray echo = port.written.isEmpty() ? QByteArray() : port.written.last().trimmed();
            port.receive(echo + "\r\n" + reply + "\r\n");
        }
        // Lines written since the last look, after the pending one went out.
        QString sent() {
            clock.advance(100);
            QString text;
            for (qsizetype i = seen; i < port.written.size(); ++i)
                text += QString::fromLatin1(port.written.at(i)).replace("\r\n", "|");
            seen = port.written.size();
            return text;
        }
        qsizetype seen = 0;
        Outcome outcome() const { return finished.last().at(0).value<Outcome>(); }
        QString box() const { return engine.verdict().text; }
        // Starts a flash download of the given image in boot mode and answers the erase.
        void startFlashInBootMode(const QByteArray& contents) {
            model.bootMode = true;
            engine.start(DownloadEngine::Kind::Flash, file(contents));
            answer("Flash erased\r\n$");
        }
    };

private slots:
    void lineCheck_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("isEnd");
        QTest::newRow("data") << record(0x100, "\x01\x02\x03") << int(ImageCheck::LineError::None) << false;
        QTest::newRow("end") << endRecord << int(ImageCheck::LineError::None) << true;
        QTest::newRow("lower-case digits") << QByteArray(":00000001ff") << int(ImageCheck::LineError::None) << true;
        QTest::newRow("linear address") << sim::makeHexRecord(4, 0, QByteArray("\x00\x01", 2))
                                        << int(ImageCheck::LineError::None) << false;
        QTest::newRow("blank") << QByteArray() << int(ImageCheck::LineError::StartCode) << false;
        QTest::newRow("no colon") << QByteArray("00000001FF") << int(ImageCheck::LineError::StartCode) << false;
        QTest::newRow("letter") << QByteArray(":0000000G01FF") << int(ImageCheck::LineError::Digit) << false;
        QTest::newRow("trailing blank") << QByteArray(":00000001FF ") << int(ImageCheck::LineError::Digit) << false;
        QTest::newRow("odd digits") << QByteArray(":00000001F") << int(ImageCheck::LineError::Length) << false;
        QTest::newRow("short") << QByteArray(":000001") << int(ImageCheck::LineError::Length) << false;
        QTest::newRow("count mismatch") << QByteArray(":0200000001FD") << int(ImageCheck::LineError::Length) << false;
        QTest::newRow("checksum") << QByteArray(":00000001FE") << int(ImageCheck::LineError::Checksum) << false;
        QTest::newRow("type 06") << sim::makeHexRecord(6, 0, QByteArray()) << int(ImageCheck::LineError::Type) << false;
        QTest::newRow("ends at 64 KiB") << record(0xFFF0, QByteArray(16, 'x')) << int(ImageCheck::LineError::None)
                                        << false;
        QTest::newRow("past 64 KiB") << record(0xFFF8, QByteArray(16, 'x')) << int(ImageCheck::LineError::Address)
                                     << false;
        QTest::newRow("end with data") << sim::makeHexRecord(1, 0, "\x01") << int(ImageCheck::LineError::Type) << false;
    }
    void lineCheck() {
        QFETCH(QByteArray, line);
        QFETCH(int, error);
        QFETCH(bool, isEnd);
        bool end = !isEnd;
        QCOMPARE(int(ImageCheck::checkLine(line, &end)), error);
        QCOMPARE(end, isEnd);
    }

    // A bad image is refused with its line before anything goes to the monitor, and the log says so.
    void badImageTouchesNothing_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("where");
        const QByteArray r1 = record(0, "\x01\x02") + "\r\n";
        QTest::newRow("empty") << QByteArray() << "The file is empty";
        QTest::newRow("blank first line") << "\r\n" + image() << "Line 1 does not start with ':'";
        QTest::newRow("checksum on line 3") << r1 + r1 + ":00000001FE\r\n"
                                            << "Line 3 has a bad checksum";
        QTest::newRow("no end record") << r1 + r1 << "The image has no end record";
        QTest::newRow("record after end") << r1 + endRecord + "\r\n" + r1 << "Line 3 follows the end record on line 2";
        QTest::newRow("blank line inside") << r1 + "\r\n" + endRecord << "Line 2 does not start with ':'";
        QTest::newRow("Ctrl-Z before the end")
            << record(0, "\x01\x02") + "\x1A\r\n" + endRecord << "Line 1 holds the end-of-file mark Ctrl-Z";
        QTest::newRow("text after Ctrl-Z") << r1 + endRecord + "\x1A\r\nnotes"
                                           << "Line 3 follows the end record";
    }
    void badImageTouchesNothing() {
        QFETCH(QByteArray, contents);
        QFETCH(QString, where);
        for (const bool flash : {true, false}) {
            Rig r;
            r.link.setAutoPingEnabled(true);
            QVERIFY(
                !r.engine.start(flash ? DownloadEngine::Kind::Flash : DownloadEngine::Kind::Sram, r.file(contents)));
            QCOMPARE(r.sent(), QString());
            QVERIFY(!r.engine.inProgress());
            QVERIFY(r.link.autoPingEnabled());
            QCOMPARE(r.engine.verdict().title, QStringLiteral("File Format Error"));
            QVERIFY2(r.box().contains(where) && r.box().endsWith(".\nNothing was sent to the monitor."),
                     qPrintable(r.box()));
            QCOMPARE(r.outcome(), Outcome::ImageRefused);
            QVERIFY(r.log.lines.last().endsWith("image refused, nothing sent"));
        }
    }

    // A whole flash download from a running monitor: checks, auto boot and auto-ping off first, the erase, each
    // record once with exactly one line end (trailing blanks and the Ctrl-Z tail never sent), the gauge short of
    // 100, the completion tones and words, auto-ping back on and the summary line.
    void flashDownloadFromFirmware() {
        Rig r;
        QSignalSpy checkingOff(&r.engine, &DownloadEngine::checkingSwitchedOff);
        QSignalSpy autoPing(&r.link, &Link::autoPingChanged);
        QSignalSpy records(&r.engine, &DownloadEngine::recordSent);
        const QString path = r.file(image(" \t\r\r\n") + "\r\n\x1A");
        QVERIFY(r.engine.start(DownloadEngine::Kind::Flash, path));
        QCOMPARE(r.engine.codeInitDir, r.dir.path());
        QCOMPARE(r.settings.readText("Configs", "CodeInitDir", QString()), r.dir.path());
        QCOMPARE(checkingOff.size(), 1);
        QCOMPARE(autoPing.size(), 1);
        QVERIFY(!r.link.autoPingEnabled());
        QCOMPARE(r.shown.size(), 1); // Abort is at hand while the erase is awaited

        r.answer("Checking disabled\r\n#");
        r.answer("Auto boot off\r\n#");
        QCOMPARE(r.sent(), QStringLiteral("cz0|cb0|bf3|"));
        r.answer("Flash erased\r\n$");
        QCOMPARE(r.retryText.last().at(0).toString(), QStringLiteral("Retries:"));
        QCOMPARE(r.link.tmrKeepAlive()->interval(), Link::downloadKeepAliveMs);
        for (int i = 0; i < 3; ++i)
            r.answer("$");
        QCOMPARE(r.engine.recordNumber, 4);
        QVERIFY(r.gauge.last().at(0).toInt() < 100);
        r.answer("EOF\r\n$");
        const QList<QByteArray> lines = r.port.written.mid(3);
        QCOMPARE(lines.size(), 4);
        for (const QByteArray& l : lines)
            QVERIFY2(l.endsWith("\r\n") && !l.chopped(2).contains('\r') && !l.chopped(2).contains('\n'), l.constData());
        QCOMPARE(lines.last(), endRecord + "\r\n");
        QCOMPARE(r.outcome(), Outcome::Completed);
        QCOMPARE(r.tone.tones, completeTones);
        QCOMPARE(r.hidden.size(), 1);
        QCOMPARE(r.box(), QStringLiteral("Flash download complete: 4 records sent."));
        QCOMPARE(records.last(), (QList<QVariant>{4, 4}));
        QVERIFY(r.link.autoPingEnabled());
        QCOMPARE(r.log.lines.last(), QStringLiteral("Download flash 'fw.hex': 4 records, 0 retries, %1 characters, "
                                                    "%2 s, completed")
                                         .arg(r.engine.charsSent)
                                         .arg(r.clock.nowMs() / 1000.0, 0, 'f', 1));
    }

    // What must be read before the monitor changes is read before the download's first request: nothing of the
    // download goes out until the reads are done, and an abort or a lost monitor meanwhile leaves it unsent.
    void readsBeforeTheStart_data() {
        QTest::addColumn<QString>("meanwhile"); // "", "abort" or "monitor gone"
        QTest::addColumn<QString>("sent");
        QTest::newRow("reads done") << "" << "cz0|cb0|bf3|";
        QTest::newRow("aborted while reading") << "abort" << "";
        QTest::newRow("monitor gone while reading") << "monitor gone" << "";
    }
    void readsBeforeTheStart() {
        QFETCH(QString, meanwhile);
        QFETCH(QString, sent);
        Rig r;
        std::function<void()> proceed;
        r.engine.setBeforeStart([&proceed](std::function<void()> go) { proceed = std::move(go); });
        QSignalSpy waits(&r.engine, &DownloadEngine::startWaitChanged);
        QVERIFY(r.engine.start(DownloadEngine::Kind::Flash, r.file(image())));
        QVERIFY(r.engine.inProgress() && proceed);
        QCOMPARE(r.shown.size(), 1);
        QVERIFY(waits.last().at(0).toString().startsWith("Reading"));
        r.clock.advance(10 * Link::downloadKeepAliveMs); // the reads take what they take
        QCOMPARE(r.sent(), QString());
        if (meanwhile == "abort")
            r.engine.requestAbort();
        else if (meanwhile == "monitor gone")
            r.model.monitorResponding = false;
        proceed();
        r.answer("Checking disabled\r\n#");
        r.answer("Auto boot off\r\n#");
        QCOMPARE(r.sent(), sent);
        if (meanwhile.isEmpty()) {
            QCOMPARE(r.engine.phase(), DownloadEngine::Phase::AwaitingStart);
            return;
        }
        QCOMPARE(r.outcome(), meanwhile == "abort" ? Outcome::Aborted : Outcome::ConnectionLost);
        QVERIFY2(r.box().contains("the monitor's firmware is as it was"), qPrintable(r.box()));
        QCOMPARE(r.hidden.size(), 1);
        QVERIFY(r.link.autoPingEnabled());
    }

    void startAnswers_data() {
        QTest::addColumn<bool>("flash");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("erase with firmware prompt")
            << true << QByteArray("Flash erased\r\n#") << QString() << QString();
        QTest::newRow("erase refused") << true << QByteArray("Block protected!") << "Flash Block Erase Failed"
                                       << "Message was 'Block protected!'";
        QTest::newRow("sram load") << false << QByteArray("Ready\r\n#") << QString() << QString();
        QTest::newRow("sram load with boot prompt") << false << QByteArray("Ready\r\n$") << "Orvex"
                                                    << "Bad response to bs command";
        QTest::newRow("sram load refused") << false << QByteArray("No loader!") << "Orvex"
                                           << "Message was 'No loader!'";
    }
    void startAnswers() {
        QFETCH(bool, flash);
        QFETCH(QByteArray, reply);
        QFETCH(QString, title);
        QFETCH(QString, text);
        Rig r;
        r.engine.setApplicationTitle("Orvex");
        r.model.bootMode = true;
        r.engine.start(flash ? DownloadEngine::Kind::Flash : DownloadEngine::Kind::Sram, r.file(image()));
        r.answer(reply);
        if (text.isEmpty()) {
            QCOMPARE(r.engine.phase(), DownloadEngine::Phase::Sending);
            QVERIFY(r.sent().endsWith(QString::fromLatin1(record(0, QByteArray(4, 0x10))) + "|"));
            return;
        }
        QVERIFY(!r.engine.inProgress());
        QCOMPARE(r.engine.verdict().title, title);
        QCOMPARE(r.box(), text);
        QCOMPARE(r.hidden.size(), 1);
        // The link is free again: nothing waits for an answer that will not come.
        QVERIFY(!r.link.queue()->awaitingAnswer());
    }

    // The record-answer table, row by row, with the record in flight being the first of the image.
    void recordAnswers_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("abort");
        QTest::addColumn<int>("outcome"); // -1: the download goes on
        QTest::addColumn<QString>("box");
        QTest::addColumn<Tones>("tones");
        QTest::addColumn<bool>("hidden");
        QTest::addColumn<QString>("nextLine");
        const QString first = QString::fromLatin1(record(0, QByteArray(4, 0x10)));
        const QString second = QString::fromLatin1(record(4, QByteArray(4, 0x11)));
        QTest::newRow("accepted") << QByteArray("$") << false << -1 << QString() << Tones() << false << second;
        QTest::newRow("accepted, firmware prompt")
            << QByteArray("#") << false << -1 << QString() << Tones() << false << second;
        QTest::newRow("end accepted") << QByteArray("EOF\r\n$") << false << int(Outcome::Completed)
                                      << "Flash download complete: 1 record sent." << completeTones << true
                                      << QString();
        QTest::newRow("end rejected") << QByteArray("EOF Bad checksum!") << false << int(Outcome::Failed)
                                      << "Failed checksum after booting flash.\nResult was '" + first +
                                             "\r\nEOF Bad checksum!'\nTry again or check Flash Chip, Pin 1 = +12V."
                                      << failedTones << true << QString();
        QTest::newRow("rejected") << QByteArray("Bad checksum!") << false << -1 << QString()
                                  << Tones{{250, 250}, {125, 250}} << false << first;
        const QString aborted = "The download was aborted at record 1 of 4.\nThe monitor's flash may now be erased, "
                                "and the monitor stays in its boot block.\nThe download can simply be started again.";
        QTest::newRow("aborted, accepted")
            << QByteArray("$") << true << int(Outcome::Aborted) << aborted << failedTones << true << QString();
        QTest::newRow("aborted, rejected")
            << QByteArray("Bad!") << true << int(Outcome::Aborted) << aborted << failedTones << true << QString();
    }
    void recordAnswers() {
        QFETCH(QByteArray, reply);
        QFETCH(bool, abort);
        QFETCH(int, outcome);
        QFETCH(QString, box);
        QFETCH(Tones, tones);
        QFETCH(bool, hidden);
        QFETCH(QString, nextLine);
        Rig r;
        r.startFlashInBootMode(image());
        r.sent();
        if (abort)
            r.engine.requestAbort();
        if (reply.contains('$') || reply.contains('#') || reply.contains('!'))
            r.answer(reply);
        else
            r.engine.handleRecordAnswer(QString::fromLatin1(record(0, QByteArray(4, 0x10)) + reply));
        QCOMPARE(r.tone.tones, tones);
        QCOMPARE(r.hidden.size(), hidden ? 1 : 0);
        QCOMPARE(r.box(), box);
        QCOMPARE(r.engine.inProgress(), outcome < 0);
        if (outcome >= 0)
            QCOMPARE(int(r.outcome()), outcome);
        QCOMPARE(r.sent(), nextLine.isEmpty() ? QString() : nextLine + "|");
        QVERIFY(!r.engine.abortRequested);
    }

    // A record is sent seven times at most; an acceptance in between starts the count again.
    void retriesUpToTheLimit() {
        Rig r;
        r.startFlashInBootMode(image());
        r.answer("$"); // record 1 accepted, record 2 in flight
        for (int i = 0; i < 6; ++i)
            r.answer("Bad checksum!");
        QCOMPARE(r.engine.recordRetries, 6);
        r.answer("$"); // record 2 accepted at its seventh sending
        QCOMPARE(r.engine.recordRetries, 0);
        for (int i = 0; i < 6; ++i)
            r.answer("Bad checksum!");
        QVERIFY(r.engine.inProgress());
        QCOMPARE(r.retryText.last().at(0).toString(), QStringLiteral("Retries: 12"));
        r.answer("Bad checksum!");
        QCOMPARE(r.outcome(), Outcome::RetryLimit);
        QCOMPARE(r.box(), QStringLiteral("Retry Limit exceeded, quitting.\nRecord number was 3"));
        QCOMPARE(r.hidden.size(), 1);
        QCOMPARE(r.port.written.count(r.port.written.last()), 7);
        QVERIFY(!r.link.queue()->awaitingAnswer());
        QVERIFY(r.log.lines.last().contains("3 records, 13 retries"));
    }

    // The ends that no verdict of the monitor decides (silence is tested end to end): an abort that no answer
    // follows, an abort before the erase was answered, a lost port. Each hides the progress window, gives
    // auto-ping back, frees the link and says where it stopped and what that leaves.
    void endsWithoutVerdict_data() {
        QTest::addColumn<int>("accepted"); // records acknowledged first; -1: the erase is not answered yet
        QTest::addColumn<bool>("lost");    // the port is lost; otherwise Abort
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("box");
        const QString leaves = "\nThe monitor's flash may now be erased, and the monitor stays in its boot block.\n"
                               "The download can simply be started again.";
        QTest::newRow("abort unanswered")
            << 2 << false << int(Outcome::AbortUnanswered)
            << "The download was aborted at record 3 of 4; the monitor did not answer within 7 s." + leaves;
        QTest::newRow("abort before the erase answer")
            << -1 << false << int(Outcome::Aborted)
            << "The download was aborted before its first record.\nThe erase was not sent: the monitor's firmware "
               "is as it was.";
        QTest::newRow("port lost") << 1 << true << int(Outcome::PortLost)
                                   << "The port fake1 was lost at record 2 of 4 (the line hung up)." + leaves;
    }
    void endsWithoutVerdict() {
        QFETCH(int, accepted);
        QFETCH(bool, lost);
        QFETCH(int, outcome);
        QFETCH(QString, box);
        Rig r;
        r.model.bootMode = true;
        r.engine.start(DownloadEngine::Kind::Flash, r.file(image()));
        for (int i = 0; i <= accepted; ++i)
            r.answer(i == 0 ? "Flash erased\r\n$" : "$");
        r.seen = r.port.written.size();
        if (lost) {
            r.port.error = "the line hung up";
            r.port.close();
            r.link.handlePortEvent(SerialEvent::DeviceLost);
        } else {
            r.engine.requestAbort();
        }
        if (accepted >= 0 && !lost) {
            r.sent(); // the record goes out: the monitor has the interval from now
            r.clock.advance(Link::downloadKeepAliveMs - 1);
            QVERIFY(r.engine.inProgress());
            r.clock.advance(1);
        }
        QCOMPARE(int(r.outcome()), outcome);
        QCOMPARE(r.box(), box);
        QCOMPARE(r.hidden.size(), 1);
        QVERIFY(r.link.autoPingEnabled() && !r.link.queue()->awaitingAnswer());
        QVERIFY(r.log.lines.last().endsWith(outcomeText(DownloadEngine::Outcome(outcome))));
        // Nothing more goes out for the download, and a late answer changes nothing.
        QVERIFY(!r.sent().contains(QRegularExpression("bf3|:")));
        r.port.receive(":00\r\n$");
        QCOMPARE(r.finished.size(), 1);
    }

    // During a download a refused request of someone else (a poll, a ping) is not the record's verdict.
    void onlyTheRecordsOwnAnswerCounts() {
        Rig r;
        r.startFlashInBootMode(image());
        r.link.queue()->queueCommand("dh"); // a poll behind record 1
        r.answer("$");                      // record 1 accepted: the poll goes, record 2 waits behind it
        r.answer("Not available in boot mode!");
        QCOMPARE(r.engine.totalRetries, 0);
        QCOMPARE(r.engine.recordNumber, 2);
        QVERIFY(r.finished.isEmpty());
    }

    // The file changed after it was checked: the engine's own record checks still stop it.
    void imageChangedAfterTheCheck() {
        Rig r;
        r.model.bootMode = true;
        const QString path = r.file(image());
        r.engine.start(DownloadEngine::Kind::Sram, path);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("xyz\r\n");
        f.close();
        r.answer("#");
        QCOMPARE(r.outcome(), Outcome::FormatError);
        QCOMPARE(r.box(), "Bad record format in '" + path +
                              "'\nFirst record start 'xyz\nShould start with "
                              "':NNNNNNN'\nGiving up.");
        QCOMPARE(r.sent(), QStringLiteral("bs|"));
    }

    // Outside a download a text ended by "!" is none of the engine's: the link takes it as its line's refusal.
    void rejectionOutsideADownloadIsDropped() {
        Rig r;
        r.link.queue()->queueCommand("zz");
        r.answer("Unknown command!");
        QVERIFY(!r.link.queue()->awaitingAnswer());
        QVERIFY(r.finished.isEmpty());
    }
};

QTEST_GUILESS_MAIN(DownloadTest)
#include "tst_download.moc"
