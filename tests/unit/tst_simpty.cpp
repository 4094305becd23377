// The simulated monitor on a real pseudo-terminal: in-process transport, run-time faults, the
// orvexmon-sim program and its command-line options.

#include "sim/PtySimulator.h"
#include "sim/SimOptions.h"
#include "sim/SimulatorProcess.h"

#include <QtTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int waitLimitMs = 10000;

// The tool's end of the line: the slave device, raw, non-blocking, read on the event loop.
class SlaveEnd {
public:
    explicit SlaveEnd(const QString& device) {
        m_fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (m_fd >= 0) {
            termios t;
            ::tcgetattr(m_fd, &t);
            ::cfmakeraw(&t);
            ::tcsetattr(m_fd, TCSANOW, &t);
        }
    }
    ~SlaveEnd() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool isOpen() const { return m_fd >= 0; }
    bool write(const QByteArray& data) { return ::write(m_fd, data.constData(), size_t(data.size())) == data.size(); }
    QByteArray& received() {
        char buf[1024];
        ssize_t n;
        while ((n = ::read(m_fd, buf, sizeof buf)) > 0)
            m_received.append(buf, int(n));
        return m_received;
    }
    // Everything up to and including the first prompt or "!" character, removed from what was received
    // together with the line end that follows the prompt on the line.
    QByteArray takeAnswer() {
        QByteArray& r = received();
        for (int i = 0; i < r.size(); ++i) {
            if (r[i] == '#' || r[i] == '$' || r[i] == '!') {
                if (r.size() < i + 3)
                    return QByteArray();
                QByteArray a = r.left(i + 1);
                if (r.mid(i + 1, 2) != "\r\n")
                    a += "<no line end after the prompt>";
                r.remove(0, i + 3);
                return a;
            }
        }
        return QByteArray();
    }

private:
    int m_fd = -1;
    QByteArray m_received;
};

QByteArray exchange(SlaveEnd& slave, const QByteArray& request) {
    if (!slave.write(request + "\r\n"))
        return QByteArray("<write failed>");
    QByteArray answer;
    (void)QTest::qWaitFor([&] { return !(answer = slave.takeAnswer()).isEmpty(); }, waitLimitMs);
    return answer;
}

QString simulatorProgram() {
    const QString fromEnv = qEnvironmentVariable("ORVEXMON_SIM");
    return fromEnv.isEmpty() ? QStringLiteral("orvexmon-sim") : fromEnv;
}

} // namespace

class TestSimPty : public QObject {
    Q_OBJECT

private slots:
    void pingOverThePty();
    void lineEndsPassUnchanged();
    void silentAtRunTimeAndBack();
    void silentAfterAnswersAtStart();
    void delayHoldsTheAnswerBack();
    void throttlePacesButKeepsEveryByte();
    void noiseCorruptsDeterministically();
    void noiseOnBothDirectionsOfThePty();
    void linkPointsToTheDevice();
    void controlLines_data();
    void controlLines();
    void sendPutsRawBytesOnTheLine_data();
    void sendPutsRawBytesOnTheLine();
    void options_data();
    void options();
    void optionsRoundTrip();
    void processStartsAndAnswers();
    void processControlChannel();
    void processFailures_data();
    void processFailures();
};

void TestSimPty::pingOverThePty() {
    sim::PtySimulator simulator;
    QString error;
    QVERIFY2(simulator.start(&error), qPrintable(error));
    QVERIFY(simulator.devicePath().startsWith("/dev/"));
    SlaveEnd slave(simulator.devicePath());
    QVERIFY(slave.isOpen());
    QCOMPARE(exchange(slave, "p"), QByteArray("p\r\n#"));
    QCOMPARE(exchange(slave, "df"), QByteArray("df\r\nV 2.10\r\n#"));
    simulator.stop();
    QVERIFY(!simulator.isRunning());
}

void TestSimPty::lineEndsPassUnchanged() {
    sim::PtySimulator simulator;
    QVERIFY(simulator.start());
    SlaveEnd slave(simulator.devicePath());
    QSignalSpy handled(&simulator, &sim::PtySimulator::requestHandled);
    // Two requests in one write: each CR LF must end exactly one line (no CR-to-LF translation that
    // would make an empty line of the LF).
    QVERIFY(slave.write("cdl2201\r\nddl\r\n"));
    QTRY_COMPARE_WITH_TIMEOUT(handled.size(), 2, waitLimitMs);
    QCOMPARE(handled[0][0].toByteArray(), QByteArray("cdl2201"));
    QCOMPARE(handled[1][0].toByteArray(), QByteArray("ddl"));
    QCOMPARE(simulator.monitor().dac('l', 2), 201);
    QByteArray first;
    QByteArray second;
    (void)QTest::qWaitFor([&] { return !(first = slave.takeAnswer()).isEmpty(); }, waitLimitMs);
    (void)QTest::qWaitFor([&] { return !(second = slave.takeAnswer()).isEmpty(); }, waitLimitMs);
    QCOMPARE(first, QByteArray("cdl2201\r\n#"));
    QVERIFY(second.startsWith("ddl\r\n") && second.contains(",201,"));
}

void TestSimPty::silentAtRunTimeAndBack() {
    sim::PtySimulator simulator;
    QVERIFY(simulator.start());
    SlaveEnd slave(simulator.devicePath());
    QCOMPARE(exchange(slave, "p"), QByteArray("p\r\n#"));
    simulator.setSilent(true);
    QSignalSpy received(&simulator, &sim::PtySimulator::received);
    QSignalSpy handled(&simulator, &sim::PtySimulator::requestHandled);
    QVERIFY(slave.write("cdl2000\r\np\r\n"));
    QTRY_VERIFY_WITH_TIMEOUT(!received.isEmpty(), waitLimitMs);
    QCOMPARE(handled.size(), 0);
    QVERIFY(slave.received().isEmpty());
    simulator.setSilent(false);
    // The first answer after the silence is the answer to the new request, nothing from before.
    QCOMPARE(exchange(slave, "df"), QByteArray("df\r\nV 2.10\r\n#"));
    QVERIFY(simulator.monitor().dac('l', 2) != 0);
}

void TestSimPty::silentAfterAnswersAtStart() {
    sim::SimOptions options;
    options.silentAfter = 1;
    options.profile = "3.15";
    sim::PtySimulator simulator(options);
    QVERIFY(simulator.start());
    SlaveEnd slave(simulator.devicePath());
    QCOMPARE(exchange(slave, "df"), QByteArray("df\r\nV 3.15\r\n#"));
    QVERIFY(simulator.monitor().isSilent());
    simulator.setSilent(false);
    QCOMPARE(exchange(slave, "p"), QByteArray("p\r\n#"));
}

void TestSimPty::delayHoldsTheAnswerBack() {
    sim::SimOptions options;
    options.delayMs = 400;
    sim::PtySimulator simulator(options);
    QVERIFY(simulator.start());
    SlaveEnd slave(simulator.devicePath());
    QSignalSpy handled(&simulator, &sim::PtySimulator::requestHandled);
    QVERIFY(slave.write("p\r\n"));
    QTRY_COMPARE_WITH_TIMEOUT(handled.size(), 1, waitLimitMs);
    // Answered, but held back by the delay.
    QCOMPARE(simulator.pendingBytes(), 6); // "p", CR LF, "#", CR LF
    QByteArray answer;
    QVERIFY(QTest::qWaitFor([&] { return !(answer = slave.takeAnswer()).isEmpty(); }, waitLimitMs));
    QCOMPARE(answer, QByteArray("p\r\n#"));
    simulator.setDelay(0);
    QCOMPARE(exchange(slave, "p"), QByteArray("p\r\n#"));
}

void TestSimPty::throttlePacesButKeepsEveryByte() {
    sim::SimOptions options;
    options.baud = 9600;
    sim::PtySimulator simulator(options);
    QVERIFY(simulator.start());
    SlaveEnd slave(simulator.devicePath());
    const QByteArray expected = simulator.monitor().handleLine("ddn");
    QSignalSpy handled(&simulator, &sim::PtySimulator::requestHandled);
    QVERIFY(slave.write("ddn\r\n"));
    QTRY_COMPARE_WITH_TIMEOUT(handled.size(), 1, waitLimitMs);
    // At about a character per millisecond most of the answer is still waiting.
    QVERIFY(simulator.pendingBytes() > expected.size() / 2);
    QByteArray answer;
    QVERIFY(QTest::qWaitFor([&] { return !(answer = slave.takeAnswer()).isEmpty(); }, waitLimitMs));
    QCOMPARE(answer, expected);
    simulator.setBaud(0);
    QCOMPARE(exchange(slave, "p"), QByteArray("p\r\n#"));
}

void TestSimPty::noiseCorruptsDeterministically() {
    sim::LineNoise a(100, 7);
    sim::LineNoise b(100, 7);
    const QByteArray clean = "ddl\r\n199,128,181,175\r\n#";
    const QByteArray noisy = a.apply(clean);
    QCOMPARE(noisy.size(), clean.size());
    QCOMPARE(b.apply(clean), noisy);
    for (int i = 0; i < clean.size(); ++i)
        QVERIFY(noisy[i] != clean[i]);
    sim::LineNoise some(10, 3);
    int changed = 0;
    const QByteArray many(10000, 'p');
    const QByteArray out = some.apply(many);
    for (char c : out)
        changed += c != 'p';
    QVERIFY(changed > 500 && changed < 1500);
    QCOMPARE(sim::LineNoise(0, 1).apply(clean), clean);
}

void TestSimPty::noiseOnBothDirectionsOfThePty() {
    sim::PtySimulator simulator;
    QVERIFY(simulator.start());
    SlaveEnd slave(simulator.devicePath());
    simulator.setNoise(100, 7);
    QSignalSpy received(&simulator, &sim::PtySimulator::received);
    QSignalSpy handled(&simulator, &sim::PtySimulator::requestHandled);
    // Every character of the request has one bit flipped, so no line end arrives.
    QVERIFY(slave.write("p\r\n"));
    QTRY_VERIFY_WITH_TIMEOUT(!received.isEmpty(), waitLimitMs);
    QCOMPARE(handled.size(), 0);
    simulator.setNoise(0, 7);
    // A clean line end completes the damaged request, which is refused.
    QByteArray damaged = exchange(slave, "");
    QVERIFY2(damaged.endsWith("\r\nUnknown command!"), damaged.constData());
    QCOMPARE(damaged.size(), 3 + 2 + int(qstrlen("Unknown command!")));
    for (int i = 0; i < 3; ++i)
        QVERIFY(damaged[i] != QByteArray("p\r\n")[i]);
    QCOMPARE(exchange(slave, "p"), QByteArray("p\r\n#"));
}

void TestSimPty::linkPointsToTheDevice() {
    QTemporaryDir dir;
    sim::SimOptions options;
    options.linkPath = dir.filePath("ttyMONITOR");
    {
        sim::PtySimulator simulator(options);
        QVERIFY(simulator.start());
        const QFileInfo link(options.linkPath);
        QVERIFY(link.isSymLink());
        QCOMPARE(link.symLinkTarget(), simulator.devicePath());
        SlaveEnd slave(options.linkPath);
        QCOMPARE(exchange(slave, "p"), QByteArray("p\r\n#"));
    }
    QVERIFY(!QFileInfo(options.linkPath).exists());
    // A regular file of that name is never replaced.
    QFile file(options.linkPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    sim::PtySimulator blocked(options);
    QString error;
    QVERIFY(!blocked.start(&error));
    QVERIFY(error.contains("ttyMONITOR"));
    QVERIFY(QFileInfo(options.linkPath).isFile());
}

void TestSimPty::sendPutsRawBytesOnTheLine_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QByteArray>("bytes"); // empty: the line is refused
    QTest::newRow("noise like a prompt answer") << "send Px$" << QByteArray("Px$");
    QTest::newRow("escapes and spaces") << "send a b\\r\\n\\x21\\\\" << QByteArray("a b\r\n!\\");
    QTest::newRow("unknown escape") << "send \\q" << QByteArray();
    QTest::newRow("short hex escape") << "send x\\x4" << QByteArray();
    QTest::newRow("trailing backslash") << "send x\\" << QByteArray();
}

void TestSimPty::sendPutsRawBytesOnTheLine() {
    QFETCH(QString, line);
    QFETCH(QByteArray, bytes);
    sim::PtySimulator simulator;
    QVERIFY(simulator.start());
    SlaveEnd slave(simulator.devicePath());
    // A silent monitor still has noise on its line.
    simulator.setSilent(true);
    QCOMPARE(simulator.applyControl(line), !bytes.isEmpty());
    if (bytes.isEmpty())
        return;
    QTRY_COMPARE_WITH_TIMEOUT(slave.received(), bytes, waitLimitMs);
}

void TestSimPty::controlLines_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("ok");
    QTest::newRow("silent") << "silent 1" << true;
    QTest::newRow("delay") << "delay 250" << true;
    QTest::newRow("baud") << "baud 19200" << true;
    QTest::newRow("reject") << "reject-record 3 2" << true;
    QTest::newRow("noise") << "noise 2.5 9" << true;
    QTest::newRow("silent after") << "silent-after 4" << true;
    QTest::newRow("missing value") << "delay" << false;
    QTest::newRow("not a number") << "baud fast" << false;
    QTest::newRow("unknown") << "explode 1" << false;
}

void TestSimPty::controlLines() {
    QFETCH(QString, line);
    QFETCH(bool, ok);
    sim::PtySimulator simulator;
    QCOMPARE(simulator.applyControl(line), ok);
    if (line == "delay 250")
        QCOMPARE(simulator.options().delayMs, 250);
    if (line == "baud 19200")
        QCOMPARE(simulator.options().baud, 19200);
    if (line == "reject-record 3 2") {
        QCOMPARE(simulator.options().rejectRecord, 3);
        QCOMPARE(simulator.options().rejectTimes, 2);
    }
    if (line == "silent 1")
        QVERIFY(simulator.monitor().isSilent());
    if (line == "noise 2.5 9")
        QCOMPARE(simulator.options().noisePercent, 2.5);
}

void TestSimPty::options_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("ok");
    QTest::newRow("none") << QStringList() << true;
    QTest::newRow("profile") << QStringList{"--profile", "4.05"} << true;
    QTest::newRow("unknown profile") << QStringList{"--profile", "5.00"} << false;
    QTest::newRow("profile missing") << QStringList{"--profile"} << false;
    QTest::newRow("all") << QStringList{"--boot",    "--silent-after",  "3",  "--delay",        "20",     "--baud",
                                        "9600",      "--reject-record", "2",  "--reject-times", "4",      "--noise",
                                        "1.5",       "--seed",          "42", "--link",         "/tmp/x", "--image-out",
                                        "/tmp/y.hex"}
                         << true;
    QTest::newRow("negative delay") << QStringList{"--delay", "-1"} << false;
    QTest::newRow("noise above 100") << QStringList{"--noise", "120"} << false;
    QTest::newRow("unknown option") << QStringList{"--fast"} << false;
}

void TestSimPty::options() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, ok);
    sim::SimOptions o;
    QString error;
    QCOMPARE(sim::SimOptions::fromArguments(arguments, &o, &error), ok);
    QCOMPARE(error.isEmpty(), ok);
    if (ok && arguments.contains("--boot")) {
        QVERIFY(o.bootMode);
        QCOMPARE(o.silentAfter, 3);
        QCOMPARE(o.delayMs, 20);
        QCOMPARE(o.baud, 9600);
        QCOMPARE(o.rejectRecord, 2);
        QCOMPARE(o.rejectTimes, 4);
        QCOMPARE(o.noisePercent, 1.5);
        QCOMPARE(o.seed, 42u);
        QCOMPARE(o.linkPath, QString("/tmp/x"));
        QCOMPARE(o.imageOut, QString("/tmp/y.hex"));
    }
}

void TestSimPty::optionsRoundTrip() {
    sim::SimOptions o;
    o.profile = "1.38";
    o.bootMode = true;
    o.silent = true;
    o.delayMs = 15;
    o.rejectRecord = 5;
    o.rejectTimes = 3;
    o.noisePercent = 0.5;
    o.seed = 11;
    sim::SimOptions back;
    QVERIFY(sim::SimOptions::fromArguments(o.toArguments(), &back));
    QCOMPARE(back.toArguments(), o.toArguments());
    QCOMPARE(back.profile, QString("1.38"));
    QVERIFY(back.bootMode && back.silent);
    QCOMPARE(back.rejectTimes, 3);
}

void TestSimPty::processStartsAndAnswers() {
    QTemporaryDir dir;
    const QString imagePath = dir.filePath("flash.hex");
    sim::SimulatorProcess process;
    process.setProgram(simulatorProgram());
    sim::SimOptions options;
    options.profile = "1.38";
    options.bootMode = true;
    options.imageOut = imagePath;
    QSignalSpy ready(&process, &sim::SimulatorProcess::ready);
    process.start(options);
    QVERIFY2(process.waitForReady(waitLimitMs), qPrintable(process.errorString()));
    QCOMPARE(ready.size(), 1);
    SlaveEnd slave(process.devicePath());
    QVERIFY(slave.isOpen());
    QCOMPARE(exchange(slave, "p"), QByteArray("p\r\n$"));
    QCOMPARE(exchange(slave, "bf3"), QByteArray("bf3\r\nFlash erased\r\n$"));
    const QByteArray rec = ":0300300002337A1E";
    QCOMPARE(exchange(slave, rec), rec + "\r\n$");
    QCOMPARE(exchange(slave, ":00000001FF"), QByteArray(":00000001FF\r\nEOF\r\n$"));
    // The image file is written when the end record has been accepted.
    QVERIFY(QFileInfo::exists(imagePath));
    QFile file(imagePath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray(":0300300002337A1E\r\n:00000001FF\r\n"));
    QCOMPARE(exchange(slave, "g"), QByteArray("g\r\nStarting firmware V 1.38\r\n#"));
    process.stop();
    QVERIFY(!process.isRunning());
}

void TestSimPty::processControlChannel() {
    sim::SimulatorProcess process;
    process.setProgram(simulatorProgram());
    process.start(QStringList{"--profile", "4.05"});
    QVERIFY2(process.waitForReady(waitLimitMs), qPrintable(process.errorString()));
    SlaveEnd slave(process.devicePath());
    QCOMPARE(exchange(slave, "p"), QByteArray("p\r\n#"));

    QSignalSpy answered(&process, &sim::SimulatorProcess::controlAnswered);
    QVERIFY(process.setRejectRecord(1, 2));
    QVERIFY(process.sendControl("bogus"));
    QTRY_COMPARE_WITH_TIMEOUT(answered.size(), 2, waitLimitMs);
    QCOMPARE(answered[0][0].toString(), QString("reject-record 1 2"));
    QVERIFY(answered[0][1].toBool());
    QCOMPARE(answered[1][0].toString(), QString("bogus"));
    QVERIFY(!answered[1][1].toBool());

    // The fault is in effect once acknowledged: the first record is refused twice, then taken.
    const QByteArray rec = ":0300300002337A1E";
    QCOMPARE(exchange(slave, "bf3"), QByteArray("bf3\r\nFlash erased\r\n$"));
    QCOMPARE(exchange(slave, rec), rec + "\r\nBad checksum!");
    QCOMPARE(exchange(slave, rec), rec + "\r\nBad checksum!");
    QCOMPARE(exchange(slave, rec), rec + "\r\n$");
    process.stop();
    QVERIFY(!process.isRunning());
}

void TestSimPty::processFailures_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("errorPart");
    QTest::newRow("missing program") << "/nonexistent/orvexmon-sim" << QStringList() << "cannot start";
    QTest::newRow("bad option") << simulatorProgram() << QStringList{"--profile", "9.99"} << "--profile needs";
}

void TestSimPty::processFailures() {
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    QFETCH(QString, errorPart);
    sim::SimulatorProcess process;
    process.setProgram(program);
    QSignalSpy failed(&process, &sim::SimulatorProcess::failed);
    process.start(arguments);
    QVERIFY(!process.waitForReady(waitLimitMs));
    QVERIFY(failed.size() >= 1);
    QVERIFY2(process.errorString().contains(errorPart), qPrintable(process.errorString()));
    QVERIFY(process.devicePath().isEmpty());
}

QTEST_GUILESS_MAIN(TestSimPty)
#include "tst_simpty.moc"
