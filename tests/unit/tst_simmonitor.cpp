// The simulated monitor's protocol state machine: framing, state kept across requests, boot mode and
// the controller-side faults.

#include "sim/SimMonitor.h"

#include "support/SimAsk.h"

#include <QtTest>

using sim::DacTable;
using sim::SimMonitor;
using sim::SimProfile;

namespace {

// The reply lines between the echo and the prompt.
QList<QByteArray> replyLines(const QByteArray& answer) {
    QList<QByteArray> lines = answer.split('\n');
    QList<QByteArray> out;
    for (int i = 1; i + 1 < lines.size(); ++i)
        out << lines[i].chopped(1);
    return out;
}

QList<int> numbers(const QByteArray& line) {
    QList<int> out;
    for (const QByteArray& n : line.split(','))
        out << n.trimmed().toInt();
    return out;
}

} // namespace

class TestSimMonitor : public QObject {
    Q_OBJECT

private slots:
    void answerFraming_data();
    void answerFraming();
    void lineEndsAndChunks();
    void overlongLineIsRejectedNotTruncated();
    void setThenReadBack_data();
    void setThenReadBack();
    void badSetRequestsAreRejected_data();
    void badSetRequestsAreRejected();
    void saveCopiesCurrentToInitialForTheSelectedScanSetOnly();
    void scanSetSelectionSwitchesDacTables();
    void scanSetEnableRenameAndCopy();
    void operatingTimeCarriesAndSets();
    void modelTypeReportsMonochromeBitInverted();
    void resetRestoresPowerOnValues();
    void bootModeAnswersOnlyBootCommands();
    void runFromBootNeedsValidFirmware();
    void testPointLayoutPerFamily_data();
    void testPointLayoutPerFamily();
    void readingsDriftSlowly();
    void identityPerProfile();
    void peekPokeMemory();
    void i2cProbeResults();
    void silentAfterAnswers();
    void silentDropsInputAndSpeaksAgain();
};

void TestSimMonitor::answerFraming_data() {
    QTest::addColumn<QString>("profile");
    QTest::addColumn<bool>("boot");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("ping firmware") << "2.10" << false << QByteArray("p") << QByteArray("p\r\n#");
    QTest::newRow("ping boot block") << "2.10" << true << QByteArray("p") << QByteArray("p\r\n$");
    QTest::newRow("version") << "1.38" << false << QByteArray("df") << QByteArray("df\r\nV 1.38\r\n#");
    QTest::newRow("version 4.05") << "4.05" << false << QByteArray("df") << QByteArray("df\r\nV 4.05\r\n#");
    QTest::newRow("boot rom version in boot") << "3.15" << true << QByteArray("de") << QByteArray("de\r\nV 3.01\r\n$");
    QTest::newRow("set acknowledged") << "2.10" << false << QByteArray("cdl2200") << QByteArray("cdl2200\r\n#");
    QTest::newRow("unknown command") << "2.10" << false << QByteArray("zz") << QByteArray("zz\r\nUnknown command!");
    QTest::newRow("no capability on 1.38")
        << "1.38" << false << QByteArray("dx") << QByteArray("dx\r\nUnknown command!");
    QTest::newRow("capability 2.10") << "2.10" << false << QByteArray("dx")
                                     << QByteArray("dx\r\nCapability = 0x7D\r\n#");
    QTest::newRow("model type") << "2.10" << false << QByteArray("dw") << QByteArray("dw\r\nModel Type = 32\r\n#");
    QTest::newRow("deflection echo") << "2.10" << false << QByteArray("md0")
                                     << QByteArray("md0\r\nDeflection disabled\r\n#");
    QTest::newRow("empty line") << "2.10" << false << QByteArray() << QByteArray("\r\n#");
}

void TestSimMonitor::answerFraming() {
    QFETCH(QString, profile);
    QFETCH(bool, boot);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);
    SimMonitor m(SimProfile::byName(profile), boot);
    QCOMPARE(ask(m, request), answer);
}

void TestSimMonitor::lineEndsAndChunks() {
    SimMonitor m;
    // A request split over several reads, a lone LF as line end, and NULs on the line.
    QVERIFY(m.feed("d").isEmpty());
    QVERIFY(m.feed("f\r").size() == 1);
    QVERIFY(m.feed("\n").isEmpty()); // the LF of CR LF ends nothing more
    QList<sim::Exchange> out = m.feed(QByteArray("p\n", 2) + QByteArray("d\0f\r\n", 5));
    QCOMPARE(out.size(), 2);
    QCOMPARE(out[0].answer, QByteArray("p\r\n#"));
    QCOMPARE(out[1].request, QByteArray("df"));
}

void TestSimMonitor::overlongLineIsRejectedNotTruncated() {
    SimMonitor m;
    const QByteArray longLine = "cdl2" + QByteArray(SimMonitor::maxLineLength + 10, '1');
    const QByteArray a = ask(m, longLine);
    QVERIFY(a.endsWith('!'));
    QCOMPARE(m.dac('l', 2), m.dac('l', DacTable::Initial, 2, 0));
    QCOMPARE(ask(m, "p"), QByteArray("p\r\n#"));
}

void TestSimMonitor::setThenReadBack_data() {
    QTest::addColumn<QByteArray>("set");
    QTest::addColumn<QByteArray>("read");
    QTest::addColumn<QByteArray>("expectedLine");

    QTest::newRow("video gain") << QByteArray("cdl3017") << QByteArray("ddl")
                                << QByteArray("199,128,181,17,184,129,129,126");
    QTest::newRow("contrast") << QByteArray("cdl0255") << QByteArray("ddl")
                              << QByteArray("255,128,181,175,184,129,129,126");
    QTest::newRow("bias") << QByteArray("cdb17") << QByteArray("ddb") << QByteArray("149,7");
    QTest::newRow("vertical") << QByteArray("cdv635") << QByteArray("ddv") << QByteArray("149,128,129,109,128,129,35");
    QTest::newRow("horizontal S cap") << QByteArray("cdh87") << QByteArray("ddh") << QByteArray("139,126,125,121,7");
    QTest::newRow("north-south") << QByteArray("cds363") << QByteArray("dds") << QByteArray("27,30,33,63");
    QTest::newRow("convergence a spaced") << QByteArray("cda 17") << QByteArray("dda") << QByteArray("7,124,129,131");
    QTest::newRow("convergence a second")
        << QByteArray("cda 2120") << QByteArray("dda") << QByteArray("119,120,129,131");
    QTest::newRow("convergence d") << QByteArray("cdd340") << QByteArray("ddd") << QByteArray("27,30,33,40");
    QTest::newRow("purity") << QByteArray("cdg00") << QByteArray("ddg") << QByteArray("0,30,33,33");
    QTest::newRow("offset") << QByteArray("cf2100") << QByteArray("dfd") << QByteArray("-3,2,-28,5,-1,4");
    QTest::newRow("hv control") << QByteArray("chh90") << QByteArray("dh") << QByteArray("HV Control Value = 90, 180");
    QTest::newRow("hv upper limit") << QByteArray("chu 0xF0") << QByteArray("dh") << QByteArray("Upper Limit = 240");
    QTest::newRow("anode limit") << QByteArray("cha120") << QByteArray("dh") << QByteArray("Current Limit = 120");
    QTest::newRow("duty cycle") << QByteArray("crw 120 ") << QByteArray("drw") << QByteArray("Duty Cycle = 120");
    QTest::newRow("immediate duty") << QByteArray("crf77") << QByteArray("drf") << QByteArray("Duty Cycle = 77");
    QTest::newRow("photocell") << QByteArray("cp9") << QByteArray("dp") << QByteArray("Photocell Enabled");
    QTest::newRow("hysteresis") << QByteArray("CPHC 3") << QByteArray("dp")
                                << QByteArray("Limits 40,200,30,180,50,220,40,210,3,1");
    QTest::newRow("user brightness") << QByteArray("CPB0") << QByteArray("dp") << QByteArray("BC 0 1");
    QTest::newRow("user controls off") << QByteArray("CP0") << QByteArray("dp") << QByteArray("BC 0 0");
    QTest::newRow("limit from contrast") << QByteArray("cpl1") << QByteArray("dp")
                                         << QByteArray("Limits 40,199,30,180,50,220,40,210,1,1");
    QTest::newRow("model number") << QByteArray("cms  NEW-1 ") << QByteArray("dms")
                                  << QByteArray("Model Number = NEW-1");
    QTest::newRow("board serial") << QByteArray("csvV-99") << QByteArray("dsv") << QByteArray("Serial Number = V-99");
    QTest::newRow("scan set name") << QByteArray("ccnTest Timing") << QByteArray("dc")
                                   << QByteArray("Config Name = Test Timing");
    QTest::newRow("auto boot") << QByteArray("cb0") << QByteArray("db") << QByteArray("auto boot OFF");
    QTest::newRow("operating mode") << QByteArray("cw63") << QByteArray("dw") << QByteArray("Model Type = 55");
}

void TestSimMonitor::setThenReadBack() {
    QFETCH(QByteArray, set);
    QFETCH(QByteArray, read);
    QFETCH(QByteArray, expectedLine);
    SimMonitor m(SimProfile::byName("2.10"));
    QVERIFY2(ask(m, set).endsWith('#'), set.constData());
    const QList<QByteArray> lines = replyLines(ask(m, read));
    QVERIFY2(lines.contains(expectedLine), (lines.join(" | ")).constData());
}

void TestSimMonitor::badSetRequestsAreRejected_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::newRow("value above 255") << QByteArray("cdl2256");
    QTest::newRow("index beyond group") << QByteArray("cdb2100");
    QTest::newRow("index 8 only for h") << QByteArray("cdv8100");
    QTest::newRow("six-bit north-south") << QByteArray("cds064");
    QTest::newRow("six-bit convergence") << QByteArray("cdk164");
    QTest::newRow("S cap above 127") << QByteArray("cdh8128");
    QTest::newRow("missing value") << QByteArray("cdl2");
    QTest::newRow("negative value") << QByteArray("cdl2-5");
    QTest::newRow("convergence index 0") << QByteArray("cda 010");
    QTest::newRow("offset index") << QByteArray("cf6100");
    QTest::newRow("scan set 6") << QByteArray("CC6");
    QTest::newRow("scan set text") << QByteArray("CCx");
    QTest::newRow("operating mode 64") << QByteArray("cw64");
    QTest::newRow("hours 24") << QByteArray("coh24");
    QTest::newRow("empty rename") << QByteArray("ccn   ");
    QTest::newRow("hv value") << QByteArray("chg300");
    QTest::newRow("peek address") << QByteArray("a0x10000");
    QTest::newRow("poke byte") << QByteArray("wb0x100");
    QTest::newRow("duty cycle text") << QByteArray("crs12a");
}

void TestSimMonitor::badSetRequestsAreRejected() {
    QFETCH(QByteArray, request);
    SimMonitor m(SimProfile::byName("2.10"));
    const sim::MonitorState before = m.state();
    const QByteArray a = ask(m, request);
    QVERIFY2(a.startsWith(request + "\r\n") && a.endsWith('!'), a.constData());
    QCOMPARE(a.count('!'), 1);
    QVERIFY(!a.contains('#'));
    // Nothing that a read could show has changed.
    QCOMPARE(m.state().dacs['l'].current, before.dacs['l'].current);
    QCOMPARE(m.state().currentScanSet, before.currentScanSet);
    QCOMPARE(m.state().operatingMode, before.operatingMode);
    QCOMPARE(m.state().offsetCurrent, before.offsetCurrent);
    QCOMPARE(m.state().hvControl, before.hvControl);
    QCOMPARE(m.state().peekAddress, before.peekAddress);
}

void TestSimMonitor::saveCopiesCurrentToInitialForTheSelectedScanSetOnly() {
    SimMonitor m;
    ask(m, "CC1");
    ask(m, "cdv242");
    ask(m, "cdd118");
    QCOMPARE(m.dac('v', DacTable::Initial, 2, 1) == 42, false);
    ask(m, "cdvp");
    QCOMPARE(m.dac('v', DacTable::Initial, 2, 1), 42);
    QVERIFY(m.dac('v', DacTable::Initial, 2, 0) != 42);
    QCOMPARE(replyLines(ask(m, "ddpv")).value(0).split(',').value(2), QByteArray("42"));
    // The d group was not saved; its factory table never changes.
    QVERIFY(m.dac('d', DacTable::Initial, 1, 1) != 18);
    ask(m, "cddp");
    QCOMPARE(m.dac('d', DacTable::Initial, 1, 1), 18);
    QVERIFY(m.dac('d', DacTable::Factory, 1, 1) != 18);
    // Offsets are saved with "cfp".
    ask(m, "cf0200");
    QCOMPARE(m.state().offsetInitial[0], -3);
    ask(m, "cfp");
    QCOMPARE(m.state().offsetInitial[0], 72);
    QCOMPARE(replyLines(ask(m, "dfp")).value(1), QByteArray("72,2,0,5,-1,4"));
}

void TestSimMonitor::scanSetSelectionSwitchesDacTables() {
    SimMonitor m;
    const QByteArray firstSet = replyLines(ask(m, "ddh")).value(0);
    ask(m, "CC4");
    QCOMPARE(m.state().currentScanSet, 4);
    const QByteArray fifthSet = replyLines(ask(m, "ddh")).value(0);
    QVERIFY(firstSet != fifthSet); // horizontal size differs per scan set
    ask(m, "cdh0201");
    QCOMPARE(m.dac('h', DacTable::Current, 0, 4), 201);
    QVERIFY(m.dac('h', DacTable::Current, 0, 0) != 201);
    QCOMPARE(replyLines(ask(m, "dc")).value(0), QByteArray("Config Number = 5"));
    QCOMPARE(replyLines(ask(m, "dda")).value(0), QByteArray("Convergence DC present, Scan Set 5"));
    ask(m, "CC0");
    QCOMPARE(replyLines(ask(m, "ddh")).value(0), firstSet);
}

void TestSimMonitor::scanSetEnableRenameAndCopy() {
    SimMonitor m;
    ask(m, "CCE5");
    ask(m, "CCD0");
    ask(m, "CC5");
    ask(m, "ccnA very long scan set name that is cut at 31");
    const QList<QByteArray> list = replyLines(ask(m, "ddn"));
    QCOMPARE(list.size(), 6);
    QCOMPARE(list[0].left(4), QByteArray("0,0,"));
    QCOMPARE(list[5], QByteArray("5,1,A very long scan set name that "));

    ask(m, "CC0");
    ask(m, "cdl2111");
    ask(m, "CC3");
    QVERIFY(m.dac('l', DacTable::Current, 2, 3) != 111);
    ask(m, "CDCC");
    QCOMPARE(m.dac('l', DacTable::Current, 2, 3), 111);
    QCOMPARE(m.dac('h', DacTable::Current, 0, 3), m.dac('h', DacTable::Current, 0, 0));
}

void TestSimMonitor::operatingTimeCarriesAndSets() {
    SimMonitor m;
    m.advanceTime(3 * 3600 + 61);
    QList<QByteArray> lines = replyLines(ask(m, "dt"));
    QCOMPARE(lines.value(0), QByteArray("412,7,23,5"));
    QCOMPARE(lines.value(1), QByteArray("0,3,1,1"));
    QCOMPARE(lines.value(2), QByteArray("1287"));
    QCOMPARE(ask(m, "du").mid(2), ask(m, "dt").mid(2));
    // Setting a field folds this session into the stored time first.
    ask(m, "cod100");
    lines = replyLines(ask(m, "dt"));
    QCOMPARE(lines.value(0), QByteArray("100,10,24,6"));
    QCOMPARE(lines.value(1), QByteArray("0,0,0,0"));
    ask(m, "com 125");
    ask(m, "coc 42");
    lines = replyLines(ask(m, "dt"));
    QCOMPARE(lines.value(0), QByteArray("100,12,5,6"));
    QCOMPARE(lines.value(2), QByteArray("42"));
}

void TestSimMonitor::modelTypeReportsMonochromeBitInverted() {
    // The operating-mode request sets bit 8 for a colour monitor; the model type reports bit 8 for a
    // monochrome one, so a value written is shown as the same choice when read back.
    SimMonitor m;
    ask(m, "cw9");
    QCOMPARE(replyLines(ask(m, "dw")).value(0), QByteArray("Model Type = 1"));
    ask(m, "cw1");
    QCOMPARE(replyLines(ask(m, "dw")).value(0), QByteArray("Model Type = 9"));
}

void TestSimMonitor::resetRestoresPowerOnValues() {
    SimMonitor m;
    ask(m, "cdl2050");
    ask(m, "md0");
    ask(m, "a0x1234");
    ask(m, "cw2"); // user brightness disabled at power-on
    ask(m, "CPB1");
    const QByteArray a = ask(m, "x");
    QVERIFY(a.startsWith("x\r\n") && a.endsWith('#'));
    QCOMPARE(m.dac('l', 2), m.dac('l', DacTable::Initial, 2, 0));
    QVERIFY(m.state().deflectionEnabled);
    QCOMPARE(m.state().peekAddress, quint16(0));
    QVERIFY(!m.state().userBrightness);
    QVERIFY(m.state().userContrast);
    // Without auto boot the controller stays in its boot block after a reset.
    ask(m, "cb0");
    QVERIFY(ask(m, "x").endsWith('$'));
    QVERIFY(m.bootMode());
}

void TestSimMonitor::bootModeAnswersOnlyBootCommands() {
    SimMonitor m(SimProfile::byName("2.10"), true);
    QVERIFY(ask(m, "ddl").endsWith('!'));
    QVERIFY(ask(m, "cdl2100").endsWith('!'));
    QVERIFY(ask(m, "db").endsWith("auto boot ON\r\n$"));
    QCOMPARE(ask(m, "df"), QByteArray("df\r\nV 2.10\r\n$"));
    QCOMPARE(ask(m, "g"), QByteArray("g\r\nStarting firmware V 2.10\r\n#"));
    QVERIFY(!m.bootMode());
    QCOMPARE(ask(m, "p"), QByteArray("p\r\n#"));
    QVERIFY(ask(m, "ddl").endsWith('#'));
}

void TestSimMonitor::runFromBootNeedsValidFirmware() {
    SimMonitor m;
    QCOMPARE(ask(m, "bf3"), QByteArray("bf3\r\nFlash erased\r\n$"));
    QVERIFY(m.bootMode());
    QVERIFY(ask(m, "g").endsWith("No valid firmware in flash!"));
    QVERIFY(ask(m, "df").endsWith('!'));
    QVERIFY(ask(m, "x").endsWith('$'));
    QVERIFY(ask(m, "bf1").endsWith("Block protected!"));
    QVERIFY(ask(m, ":00000001FF").endsWith("No download in progress!"));
}

void TestSimMonitor::testPointLayoutPerFamily_data() {
    QTest::addColumn<QString>("profile");
    QTest::addColumn<int>("numbers");
    QTest::addColumn<int>("lines");
    QTest::newRow("1.38") << "1.38" << 7 << 1;
    QTest::newRow("2.10") << "2.10" << 4 << 14;
    QTest::newRow("3.15") << "3.15" << 12 << 1;
    QTest::newRow("4.05") << "4.05" << 12 << 1;
}

void TestSimMonitor::testPointLayoutPerFamily() {
    QFETCH(QString, profile);
    QFETCH(int, numbers);
    QFETCH(int, lines);
    SimMonitor m(SimProfile::byName(profile));
    const QList<QByteArray> reply = replyLines(ask(m, "da"));
    QCOMPARE(reply.size(), lines);
    const QList<int> first = ::numbers(reply.first());
    QCOMPARE(first.size(), numbers);
    for (int v : first)
        QVERIFY(v >= 0 && v <= 255);
    if (profile == "2.10") {
        const QByteArray labels[] = {"Video_+80V ", "Anode Voltage ", "Anode Current ", "Focus Voltage ", "G2 Voltage ",
                                     "-8V ",        "+90V ",          "+24V ",          "+12V ",          "+6.3V ",
                                     "+5V ",        "-12V ",          "-100V "};
        for (int i = 0; i < 13; ++i)
            QVERIFY2(reply[i + 1].startsWith(labels[i]), reply[i + 1].constData());
        // The +90 V supply reads close to 90 V with the tool's scale.
        const int n = reply[7].mid(5).toInt();
        QVERIFY(qAbs(4.0 * n / 255 * 28.4 - 90) < 2);
    }
    if (profile == "1.38") {
        // Horizontal frequency of the 640x480 scan set, about 31.5 kHz.
        QVERIFY(qAbs(first[0] * 4.0 / 256 / 0.049 - 31.47) < 0.7);
    }
}

void TestSimMonitor::readingsDriftSlowly() {
    SimMonitor m(SimProfile::byName("3.15"));
    QList<int> lo = ::numbers(replyLines(ask(m, "da")).first());
    QList<int> hi = lo;
    bool changed = false;
    for (int i = 0; i < 60; ++i) {
        m.advanceTime(5);
        const QList<int> now = ::numbers(replyLines(ask(m, "da")).first());
        for (int k = 0; k < now.size(); ++k) {
            changed = changed || now[k] != lo[k];
            lo[k] = qMin(lo[k], now[k]);
            hi[k] = qMax(hi[k], now[k]);
        }
    }
    QVERIFY(changed);
    for (int k = 0; k < lo.size(); ++k)
        QVERIFY2(hi[k] - lo[k] <= 6, QByteArray::number(k).constData());
}

void TestSimMonitor::identityPerProfile() {
    SimMonitor crt(SimProfile::byName("1.38"));
    QCOMPARE(replyLines(ask(crt, "dm")).value(0), QByteArray("S Model Number = KM-1921C"));
    QCOMPARE(replyLines(ask(crt, "ds")).value(0), QByteArray("S Serial Number = C19-004711"));
    QVERIFY(ask(crt, "dmc").endsWith("Unknown board!"));
    QCOMPARE(replyLines(ask(crt, "dst")).value(0), QByteArray("Serial Number = T8810442"));

    SimMonitor board(SimProfile::byName("2.10"));
    for (char b : QByteArray("cdfghlpstuv")) {
        const QByteArray a = ask(board, QByteArray("dm") + b);
        QVERIFY2(a.contains("\r\nModel Number = ") && a.endsWith('#'), a.constData());
    }
    QVERIFY(ask(board, "dsu").endsWith('!'));
    QVERIFY(ask(board, "dmx").endsWith('!'));
}

void TestSimMonitor::peekPokeMemory() {
    SimMonitor m;
    QCOMPARE(ask(m, "a0x1234"), QByteArray("a0x1234\r\nAddr = 0x1234\r\n#"));
    QCOMPARE(ask(m, "wb0x7f"), QByteArray("wb0x7f\r\nByte 0x1234 = 0x7F\r\n#"));
    QCOMPARE(replyLines(ask(m, "rb")).value(0), QByteArray("Byte 0x1234 := 0x7F"));
    QCOMPARE(ask(m, "a-"), QByteArray("a-\r\nAddr = 0x1233\r\n#"));
    ask(m, "ww0x4123");
    QCOMPARE(replyLines(ask(m, "rw")).value(0), QByteArray("Word 0x1233 := 0x4123"));
    QCOMPARE(replyLines(ask(m, "rc")).value(0), QByteArray("Char 0x1233 = 'A'"));
    // Prompt characters in memory are never sent as themselves.
    ask(m, "wb0x23");
    QCOMPARE(replyLines(ask(m, "rc")).value(0), QByteArray("Char 0x1233 = '_'"));
    ask(m, "a0");
    QCOMPARE(ask(m, "a-"), QByteArray("a-\r\nAddr = 0xFFFF\r\n#"));
}

void TestSimMonitor::i2cProbeResults() {
    SimMonitor crt(SimProfile::byName("2.10"));
    QCOMPARE(ask(crt, "pi0x49"), QByteArray("pi0x49\r\nDevice 0x49 OK\r\n#"));
    QCOMPARE(ask(crt, "pi0x4c"), QByteArray("pi0x4c\r\nDevice 0x4C OK\r\n#"));
    QCOMPARE(ask(crt, "pi0x57"), QByteArray("pi0x57\r\nDevice 0x57 NR\r\n#"));
    QVERIFY(ask(crt, "pi0x0x48").endsWith("Bad I2C address!"));
    int ok = 0;
    int nr = 0;
    for (const auto& r : crt.state().i2cDevices) {
        ok += r == "OK";
        nr += r == "NR";
    }
    QVERIFY(ok > nr && nr >= 1);
    SimMonitor panel(SimProfile::byName("4.05"));
    QVERIFY(ask(panel, "pi0xAB").contains("NR")); // no deflection board in a flat panel
    QVERIFY(ask(panel, "pi0x45").contains("OK"));
}

void TestSimMonitor::silentAfterAnswers() {
    SimMonitor m;
    m.setSilentAfter(2);
    QCOMPARE(ask(m, "p"), QByteArray("p\r\n#"));
    QCOMPARE(ask(m, "df"), QByteArray("df\r\nV 2.10\r\n#"));
    QVERIFY(m.isSilent());
    QVERIFY(m.feed("p\r\n").isEmpty());
    QCOMPARE(m.answersGiven(), 2);
}

void TestSimMonitor::silentDropsInputAndSpeaksAgain() {
    SimMonitor m;
    m.setSilent(true);
    QVERIFY(m.feed("cdl2000\r\np\r\nd").isEmpty());
    QCOMPARE(m.dac('l', 2), m.dac('l', DacTable::Initial, 2, 0)); // an unplugged monitor hears nothing
    m.setSilent(false);
    // The partial "d" from the silent time is gone too.
    QCOMPARE(ask(m, "p"), QByteArray("p\r\n#"));
}

QTEST_GUILESS_MAIN(TestSimMonitor)
#include "tst_simmonitor.moc"
