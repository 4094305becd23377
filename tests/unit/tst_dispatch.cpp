// Answer dispatch: every route to its handler, the prompt flags, and that nothing that arrives breaks it.
#include "model/MonitorModel.h"
#include "protocol/AnswerHandlers.h"
#include "protocol/Dispatcher.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

QString kindName(DacKind kind) {
    switch (kind) {
    case DacKind::Factory:
        return QStringLiteral("Factory");
    case DacKind::Initial:
        return QStringLiteral("Initial");
    case DacKind::Current:
        break;
    }
    return QStringLiteral("Current");
}

// Records every handler call as "name|argument|body", with the body kept apart as well so that tests can check
// it is a tail of the answer.
class Recorder : public AnswerHandlers {
public:
    explicit Recorder(const MonitorModel& model) : m_model(model) {}

    QStringList calls;
    QStringList bodies;
    QList<bool> suppressedDuringCall;

    void clear() {
        calls.clear();
        bodies.clear();
        suppressedDuringCall.clear();
    }

    void downloadRecordEcho(const QString& answer) override { withBody("downloadRecordEcho", QString(), answer); }
    void flashEraseAnswer(const QString& body) override { withBody("flashEraseAnswer", QString(), body); }
    void sramLoadAnswer(const QString& body) override { withBody("sramLoadAnswer", QString(), body); }
    void testPointsClass1(const QString& body) override { withBody("testPointsClass1", QString(), body); }
    void testPointsClass2(const QString& body) override { withBody("testPointsClass2", QString(), body); }
    void testPointsClass3(const QString& body) override { withBody("testPointsClass3", QString(), body); }
    void testPointsClass4(const QString& body) override { withBody("testPointsClass4", QString(), body); }
    void bootBlockContents(const QString& body) override { withBody("bootBlockContents", QString(), body); }
    void currentScanSet(const QString& body) override { withBody("currentScanSet", QString(), body); }
    void dacValues(QChar group, DacKind kind, const QString& body) override {
        withBody("dacValues", QString(group) + QLatin1Char(',') + kindName(kind), body);
    }
    void bootEpromVersion(const QString& body) override { withBody("bootEpromVersion", QString(), body); }
    void firmwareVersion(const QString& body) override { withBody("firmwareVersion", QString(), body); }
    void hvControls(const QString& body) override { withBody("hvControls", QString(), body); }
    void partNumber(QChar board, const QString& body) override { withBody("partNumber", QString(board), body); }
    void serialNumber(QChar board, const QString& body) override { withBody("serialNumber", QString(board), body); }
    void panelStatus(const QString& body) override { withBody("panelStatus", QString(), body); }
    void filamentDutyCycle(QChar reading, const QString& body) override {
        withBody("filamentDutyCycle", QString(reading), body);
    }
    void operatingTime(const QString& body) override { withBody("operatingTime", QString(), body); }
    void syncFrequencies(const QString& body) override { withBody("syncFrequencies", QString(), body); }
    void modelType(const QString& body) override { withBody("modelType", QString(), body); }
    void capability(const QString& body) override { withBody("capability", QString(), body); }
    void deflectionEnableRead(bool enabled) override { plain("deflectionEnableRead", enabled ? "1" : "0"); }
    void hvEnableRead(bool enabled) override { plain("hvEnableRead", enabled ? "1" : "0"); }
    void i2cProbeResult(const QString& body, int colour) override {
        withBody("i2cProbeResult", QString::number(colour), body);
    }
    void peekAddressRead(const QString& text) override { plain("peekAddressRead", text); }
    void peekByteRead(const QString& text) override { plain("peekByteRead", text); }
    void peekWordRead(const QString& text) override { plain("peekWordRead", text); }
    void peekCharRead(const QString& text) override { plain("peekCharRead", text); }

private:
    void withBody(const char* name, const QString& argument, const QString& body) {
        bodies << body;
        plain(name, argument, body);
    }
    void plain(const char* name, const QString& argument, const QString& body = QString()) {
        calls << QString::fromLatin1(name) + QLatin1Char('|') + argument + QLatin1Char('|') + body;
        suppressedDuringCall << m_model.suppressControlEvents;
    }

    const MonitorModel& m_model;
};

const QStringList allHandlerNames = {
    "downloadRecordEcho", "flashEraseAnswer",     "sramLoadAnswer",    "testPointsClass1", "testPointsClass2",
    "testPointsClass3",   "testPointsClass4",     "bootBlockContents", "currentScanSet",   "dacValues",
    "bootEpromVersion",   "firmwareVersion",      "hvControls",        "partNumber",       "serialNumber",
    "panelStatus",        "filamentDutyCycle",    "operatingTime",     "syncFrequencies",  "modelType",
    "capability",         "deflectionEnableRead", "hvEnableRead",      "i2cProbeResult",   "peekAddressRead",
    "peekByteRead",       "peekWordRead",         "peekCharRead"};

struct Route {
    QString tag;
    QString answer;
    int firmwareClass;
    QString expected; // "name|argument|body", empty when the answer is ignored
};

const QString tail = QStringLiteral("\r\n#");

QVector<Route> routes() {
    QVector<Route> r;
    auto add = [&r](const QString& tag, const QString& answer, const QString& expected, int firmwareClass = 0) {
        r.append({tag, answer, firmwareClass, expected});
    };

    // Download record echo and the boot block.
    add("record echo", "\r\n:10000000AA\r\n#", "downloadRecordEcho||:10000000AA\r\n#");
    add("flash erase", "bf3\r\nErased\r\n$", "flashEraseAnswer||f3\r\nErased\r\n$");
    add("flash erase upper case", "BF3$", "flashEraseAnswer||F3$");
    add("flash 1 ignored", "bf1\r\n$", "");
    add("flash 2 ignored", "bf2\r\n$", "");
    add("flash without digit", "bf", "");
    add("SRAM load", "bs\r\nReady\r\n$", "sramLoadAnswer||s\r\nReady\r\n$");
    add("boot E ignored", "be\r\n$", "");
    add("boot unknown", "bq\r\n$", "");
    add("boot alone", "b", "");

    // Test points by firmware class.
    const QString da = QStringLiteral("da\r\n1,2,3") + tail;
    const QString daBody = QStringLiteral("1,2,3") + tail;
    add("test points before any version", da, "", 0);
    add("test points at 99", da, "", 99);
    add("test points at 100", da, "testPointsClass1||" + daBody, 100);
    add("test points at 199", da, "testPointsClass1||" + daBody, 199);
    add("test points at 200", da, "testPointsClass2||" + daBody, 200);
    add("test points at 298", da, "testPointsClass2||" + daBody, 298);
    add("test points at 299", da, "", 299);
    add("test points at 300", da, "testPointsClass3||" + daBody, 300);
    add("test points at 398", da, "testPointsClass3||" + daBody, 398);
    add("test points at 399", da, "", 399);
    add("test points at 400", da, "testPointsClass4||" + daBody, 400);
    add("test points at 498", da, "testPointsClass4||" + daBody, 498);
    add("test points at 499", da, "", 499);
    add("test points at 1000", da, "", 1000);

    // Second-level "D" leaves.
    add("boot block", "db\r\nB0 = 0x12" + tail, "bootBlockContents||B0 = 0x12" + tail);
    add("current scan set", "dc\r\nConfig Number = 2" + tail, "currentScanSet||Config Number = 2" + tail);
    add("boot EPROM version", "de\r\nV 1.2" + tail, "bootEpromVersion||V 1.2" + tail);
    add("firmware version", "df\r\nV 2.10" + tail, "firmwareVersion||V 2.10" + tail);
    add("offsets current", "dfd\r\n\r\n1,2" + tail, "firmwareVersion||d\r\n\r\n1,2" + tail);
    add("offsets factory", "dff" + tail, "firmwareVersion||f" + tail);
    add("HV controls", "dh\r\n1,2" + tail, "hvControls||1,2" + tail);
    add("panel status", "dp\r\n1 0" + tail, "panelStatus||1 0" + tail);
    add("panel status for update", "dps\r\n1 0" + tail, "panelStatus||s\r\n1 0" + tail);
    add("operating time", "dt\r\n1,2,3,4" + tail, "operatingTime||1,2,3,4" + tail);
    add("operating time by du", "du\r\n1,2,3,4" + tail, "operatingTime||1,2,3,4" + tail);
    add("sync frequencies", "dv\r\n31.5" + tail, "syncFrequencies||31.5" + tail);
    add("model type", "dw\r\nModel Type = 5" + tail, "modelType||Model Type = 5" + tail);
    add("capability", "dx\r\nCapability = 0x3F" + tail, "capability||Capability = 0x3F" + tail);
    add("upper-case data read", "DX#", "capability||#");
    add("data unknown selector", "dg" + tail, "");
    add("data alone", "d", "");
    add("data then blanks", "d \r\n", "");

    // DAC values.
    for (const char g : QByteArray("abdeghiklnsv")) {
        const QString lower{QLatin1Char(g)};
        const QString upper = lower.toUpper();
        add("dd" + lower, "dd" + lower + "\r\n1,2" + tail, "dacValues|" + upper + ",Current|1,2" + tail);
        if (g == 'n')
            continue;
        add("ddf" + lower, "ddf" + lower + "\r\n1,2" + tail, "dacValues|" + upper + ",Factory|1,2" + tail);
        add("ddp" + lower, "ddp" + lower + "\r\n1,2" + tail, "dacValues|" + upper + ",Initial|1,2" + tail);
    }
    add("DAC upper case", "DDFL\r\n9" + tail, "dacValues|L,Factory|9" + tail);
    add("factory scan-set list ignored", "ddfn\r\n1" + tail, "");
    add("initial scan-set list ignored", "ddpn\r\n1" + tail, "");
    add("factory unknown group", "ddfc\r\n1" + tail, "");
    add("unknown group", "ddc\r\n1" + tail, "");
    add("dd alone", "dd", "");
    add("ddf alone", "ddf", "");
    add("ddp then blanks", "ddp\r\n", "");

    // Identity.
    for (const char b : QByteArray("cdfghlpstuv")) {
        const QString lower{QLatin1Char(b)};
        const QString upper = lower.toUpper();
        add("dm" + lower, "dm" + lower + "\r\nModel Number = 12" + tail,
            "partNumber|" + upper + "|Model Number = 12" + tail);
        add("ds" + lower, "ds" + lower + "\r\nSerial Number = 34" + tail,
            b == 'u' ? QString() : "serialNumber|" + upper + "|Serial Number = 34" + tail);
    }
    add("leading line end then dmc", "\r\ndmc\r\nModel Number = A-1" + tail, "partNumber|C|Model Number = A-1" + tail);
    add("dm without board", "dm\r\nModel Number = 12" + tail, "");
    add("ds without board takes S", "ds\r\nSerial Number = 34" + tail, "serialNumber|S|erial Number = 34" + tail);
    add("part number unknown board", "dmx" + tail, "");
    add("dm alone", "dm", "");
    add("ds alone", "ds", "");

    // Filament duty cycles.
    for (const char c : QByteArray("abdefmnsw")) {
        const QString lower{QLatin1Char(c)};
        add("dr" + lower, "dr" + lower + "\r\nDuty Cycle = 40" + tail,
            "filamentDutyCycle|" + lower.toUpper() + "|Duty Cycle = 40" + tail);
    }
    add("duty cycle unknown reading", "drc\r\nDuty Cycle = 40" + tail, "");
    add("dr alone", "dr", "");

    // Ignored families.
    add("set acknowledgement", "cdl2120" + tail, "");
    add("E family", "e\r\nError" + tail, "");
    add("W family", "wb0x12" + tail, "");
    add("unknown family", "z" + tail, "");
    add("prompt alone", "#", "");

    // Deflection and HV enable state.
    add("deflection enabled", "md1" + tail, "deflectionEnableRead|1|");
    add("deflection disabled", "MD0" + tail, "deflectionEnableRead|0|");
    add("HV enabled", "mh1" + tail, "hvEnableRead|1|");
    add("HV disabled", "mH0" + tail, "hvEnableRead|0|");
    add("enable state unknown letter", "mx1" + tail, "");
    add("enable state unknown digit", "md2" + tail, "");
    add("enable state one character", "md", "");
    add("enable state empty", "m", "");

    // Probe results.
    const QString probe = QStringLiteral("pi0x4D\r\nDevice 0x4D ");
    add("probe not responding", probe + "NR" + tail, "i2cProbeResult|255|i0x4D\r\nDevice 0x4D NR" + tail);
    add("probe acknowledged", probe + "OK" + tail, "i2cProbeResult|65280|i0x4D\r\nDevice 0x4D OK" + tail);
    add("probe third result", probe + "NC" + tail, "i2cProbeResult|65535|i0x4D\r\nDevice 0x4D NC" + tail);
    add("probe NR wins over OK", "pi0x4D OK NR#", "i2cProbeResult|255|i0x4D OK NR#");
    add("probe without result", probe + "??" + tail, "");
    add("upper-case I is no probe", "pI0x4D OK" + tail, "");

    // Peek and poke.
    add("address", "a0x1000\r\nAddr = 0x1f00" + tail, "peekAddressRead|0x1F00|");
    add("address step", "a+\r\nAddr = 0xabcd#", "peekAddressRead|0xABCD|");
    add("address without digits", "a-\r\nAddr = 0x", "peekAddressRead|0x|");
    add("address absent", "a0x1000\r\nbad" + tail, "");
    add("read byte", "rb\r\n0x1000 := 0x1f" + tail, "peekByteRead|0x1F|");
    add("read word", "RW\r\n0x1000 := 0xbeef" + tail, "peekWordRead|0xBEEF|");
    add("read char", "rc\r\n0x1000 = 'A'" + tail, "peekCharRead|A|");
    add("read char without apostrophe", "rc\r\n0x1000 = A" + tail, "");
    add("read char apostrophe last", "rc'", "");
    add("read byte without value", "rb\r\nerror" + tail, "");
    add("read unknown selector", "rx\r\n := 0x12" + tail, "");
    add("read alone", "r", "");
    return r;
}

bool isPromptFamily(const QString& answer) {
    for (const QChar c : answer) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c == QLatin1Char(' ') || c == QLatin1Char('\t'))
            continue;
        return c.toUpper() == QLatin1Char('P');
    }
    return false;
}

} // namespace

class DispatchTest : public QObject {
    Q_OBJECT

private slots:
    void route_data();
    void route();
    void everyHandlerIsReachable();
    void promptFlags_data();
    void promptFlags();
    void enableStateSuppressesControlEvents();
    void noHandlers();
    void replacingHandlers();
    void robustness();
};

void DispatchTest::route_data() {
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("firmwareClass");
    QTest::addColumn<QString>("expected");
    for (const Route& r : routes())
        QTest::newRow(qPrintable(r.tag)) << r.answer << r.firmwareClass << r.expected;
}

void DispatchTest::route() {
    QFETCH(QString, answer);
    QFETCH(int, firmwareClass);
    QFETCH(QString, expected);
    MonitorModel model;
    model.firmwareClass = firmwareClass;
    Recorder recorder(model);
    Dispatcher dispatcher(model, &recorder);
    dispatcher.dispatchAnswer(answer);
    QCOMPARE(recorder.calls, expected.isEmpty() ? QStringList() : QStringList{expected});
    QCOMPARE(model.firmwareClass, firmwareClass);
}

void DispatchTest::everyHandlerIsReachable() {
    QSet<QString> reached;
    for (const Route& r : routes()) {
        if (!r.expected.isEmpty())
            reached.insert(r.expected.section(QLatin1Char('|'), 0, 0));
    }
    for (const QString& name : allHandlerNames)
        QVERIFY2(reached.contains(name), qPrintable(name));
    QCOMPARE(reached.size(), allHandlerNames.size());
}

void DispatchTest::promptFlags_data() {
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<bool>("startResponding");
    QTest::addColumn<bool>("startBoot");
    QTest::addColumn<bool>("responding");
    QTest::addColumn<bool>("boot");
    QTest::addColumn<int>("probeCalls");
    QTest::newRow("firmware prompt") << QStringList{"p\r\n#"} << false << true << true << false << 0;
    QTest::newRow("boot prompt") << QStringList{"p\r\n$"} << false << false << true << true << 0;
    QTest::newRow("upper-case family") << QStringList{"P#"} << false << false << true << false << 0;
    QTest::newRow("boot prompt then firmware prompt clears boot mode")
        << QStringList{"p\r\n$", "p\r\n#"} << false << false << true << false << 0;
    QTest::newRow("# anywhere wins over a leading $") << QStringList{"p$ #"} << false << false << true << false << 0;
    QTest::newRow("neither # nor leading $") << QStringList{"p\r\nhello $"} << true << false << false << false << 0;
    QTest::newRow("no prompt keeps boot mode as it was") << QStringList{"p"} << true << true << false << true << 0;
    QTest::newRow("upper-case I is no probe and clears responding")
        << QStringList{"pI0x4D OK"} << true << false << false << false << 0;
    QTest::newRow("probe result leaves the flags")
        << QStringList{"pi0x4D OK\r\n#"} << false << true << false << true << 1;
    QTest::newRow("probe without result leaves the flags")
        << QStringList{"pi0x4D ??\r\n#"} << true << false << true << false << 0;
    QTest::newRow("other families leave the flags")
        << QStringList{"dmc\r\nModel Number = 1\r\n#", "c#", "md1\r\n$"} << false << true << false << true << 0;
}

void DispatchTest::promptFlags() {
    QFETCH(QStringList, answers);
    QFETCH(bool, startResponding);
    QFETCH(bool, startBoot);
    QFETCH(bool, responding);
    QFETCH(bool, boot);
    QFETCH(int, probeCalls);
    MonitorModel model;
    model.monitorResponding = startResponding;
    model.bootMode = startBoot;
    Recorder recorder(model);
    Dispatcher dispatcher(model, &recorder);
    for (const QString& answer : answers)
        dispatcher.dispatchAnswer(answer);
    QCOMPARE(model.monitorResponding, responding);
    QCOMPARE(model.bootMode, boot);
    QCOMPARE(recorder.calls.filter(QStringLiteral("i2cProbeResult")).size(), probeCalls);
}

void DispatchTest::enableStateSuppressesControlEvents() {
    MonitorModel model;
    Recorder recorder(model);
    Dispatcher dispatcher(model, &recorder);
    dispatcher.dispatchAnswer(QStringLiteral("md1\r\n#"));
    dispatcher.dispatchAnswer(QStringLiteral("mh0\r\n#"));
    dispatcher.dispatchAnswer(QStringLiteral("dmc\r\nModel Number = 1\r\n#"));
    QCOMPARE(recorder.calls.size(), 3);
    QCOMPARE(recorder.suppressedDuringCall, (QList<bool>{true, true, false}));
    QVERIFY(!model.suppressControlEvents);

    // Cleared again afterwards even when it was set before.
    model.suppressControlEvents = true;
    dispatcher.dispatchAnswer(QStringLiteral("md0\r\n#"));
    QVERIFY(!model.suppressControlEvents);
}

void DispatchTest::noHandlers() {
    MonitorModel model;
    model.firmwareClass = 210;
    Dispatcher dispatcher(model, nullptr);
    for (const Route& r : routes())
        dispatcher.dispatchAnswer(r.answer);
    dispatcher.dispatchAnswer(QStringLiteral("p\r\n$"));
    QVERIFY(model.monitorResponding);
    QVERIFY(model.bootMode);
    QVERIFY(!model.suppressControlEvents);
}

void DispatchTest::replacingHandlers() {
    MonitorModel model;
    Recorder first(model);
    Recorder second(model);
    Dispatcher dispatcher(model, &first);
    dispatcher.dispatchAnswer(QStringLiteral("dt\r\n1#"));
    dispatcher.setHandlers(&second);
    dispatcher.dispatchAnswer(QStringLiteral("dv\r\n2#"));
    dispatcher.setHandlers(nullptr);
    dispatcher.dispatchAnswer(QStringLiteral("dw\r\n3#"));
    QCOMPARE(first.calls, QStringList{"operatingTime||1#"});
    QCOMPARE(second.calls, QStringList{"syncFrequencies||2#"});
}

void DispatchTest::robustness() {
    QStringList answers;
    // Every truncation of every routed answer: bodies that end mid-selector or mid-label.
    for (const Route& r : routes()) {
        for (int n = 0; n <= r.answer.size(); ++n)
            answers << r.answer.left(n);
    }
    // Random texts over the characters that steer dispatch, plus a few that no answer holds.
    const QString alphabet =
        QStringLiteral("abdfimprswxABDFIMPRSWX:#$!'=0x13 \r\n\t,NROKC") + QChar(0) + QChar(0x00e9) + QChar(0xd800);
    QRandomGenerator random(20240611);
    for (int i = 0; i < 5000; ++i) {
        QString text;
        const int length = random.bounded(12);
        for (int k = 0; k < length; ++k)
            text += alphabet.at(random.bounded(alphabet.size()));
        answers << text;
    }

    MonitorModel model;
    Recorder recorder(model);
    Dispatcher dispatcher(model, &recorder);
    for (const QString& answer : answers) {
        for (const int firmwareClass : {0, 150, 250, 350, 450}) {
            model.firmwareClass = firmwareClass;
            const bool responding = model.monitorResponding;
            const bool boot = model.bootMode;
            recorder.clear();
            dispatcher.dispatchAnswer(answer);

            const QByteArray where = answer.toUtf8().toPercentEncoding();
            QVERIFY2(recorder.calls.size() <= 1, where.constData());
            QVERIFY2(!model.suppressControlEvents, where.constData());
            QCOMPARE(model.firmwareClass, firmwareClass);
            for (const QString& body : recorder.bodies)
                QVERIFY2(answer.endsWith(body), where.constData());
            if (!isPromptFamily(answer)) {
                QVERIFY2(model.monitorResponding == responding && model.bootMode == boot, where.constData());
            } else if (model.bootMode != boot) {
                // Boot mode changes only together with a positive prompt.
                QVERIFY2(model.monitorResponding, where.constData());
            }
        }
    }
}

QTEST_GUILESS_MAIN(DispatchTest)
#include "tst_dispatch.moc"
