// The simulated monitor against the tool's own answer dispatch and handlers: every read request of the tool,
// answered by the monitor of each profile, gives back what that monitor holds.
#include "model/MonitorModel.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/Dispatcher.h"
#include "sim/SimMonitor.h"

#include "support/SimAsk.h"
#include <QSignalSpy>

#include <QtTest>

using sim::SimMonitor;
using sim::SimProfile;

namespace {

// The tool's own answer handlers, recording the leaves that the data-read handlers do not cover.
class ToolHandlers : public DataReadHandlers {
public:
    using DataReadHandlers::DataReadHandlers;
    QStringList leaves;
    void testPointsClass1(const QString&) override { leaves << "test points 1"; }
    void testPointsClass2(const QString& body) override {
        leaves << "test points 2";
        testPointBody = body;
    }
    void testPointsClass3(const QString&) override { leaves << "test points 3"; }
    void testPointsClass4(const QString&) override { leaves << "test points 4"; }
    void hvControls(const QString& body) override {
        leaves << "hv";
        hvBody = body;
    }
    void syncFrequencies(const QString& body) override {
        leaves << "sync";
        syncBody = body;
    }
    void deflectionEnableRead(bool enabled) override { leaves << QStringLiteral("deflection %1").arg(enabled); }
    void hvEnableRead(bool enabled) override { leaves << QStringLiteral("hv enable %1").arg(enabled); }
    void i2cProbeResult(const QString&, int colour) override { leaves << QStringLiteral("probe %1").arg(colour); }
    void peekAddressRead(const QString& text) override { leaves << "address " + text; }
    void peekByteRead(const QString& text) override { leaves << "byte " + text; }
    void peekWordRead(const QString& text) override { leaves << "word " + text; }
    void peekCharRead(const QString& text) override { leaves << "char " + text; }
    void flashEraseAnswer(const QString&) override { leaves << "flash erase"; }
    void sramLoadAnswer(const QString&) override { leaves << "sram load"; }
    void downloadRecordEcho(const QString& answer) override {
        leaves << (answer.contains("EOF") ? "record EOF" : "record");
    }
    QString testPointBody;
    QString hvBody;
    QString syncBody;
};

// The number that follows label in text, or -1.
double numberAfter(const QString& text, const QString& label) {
    const int at = text.indexOf(label);
    if (at < 0)
        return -1;
    const QString rest = text.mid(at + label.size());
    int end = 0;
    while (end < rest.size() && (rest.at(end).isDigit() || rest.at(end) == '.'))
        ++end;
    return rest.left(end).toDouble();
}

} // namespace

class TestSimAnswers : public QObject {
    Q_OBJECT

private slots:
    void everyReadIsUnderstoodByTheTool_data();
    void everyReadIsUnderstoodByTheTool();
};

void TestSimAnswers::everyReadIsUnderstoodByTheTool_data() {
    QTest::addColumn<QString>("profile");
    for (const QString& name : SimProfile::names())
        QTest::newRow(qPrintable(name)) << name;
}

// Every read request of the tool, answered by the simulated monitor and taken apart by the tool's own dispatch
// and handlers, gives back what the monitor holds.
void TestSimAnswers::everyReadIsUnderstoodByTheTool() {
    QFETCH(QString, profile);
    SimMonitor m(SimProfile::byName(profile));
    const sim::MonitorState& st = m.state();
    const SimProfile& p = m.profile();
    MonitorModel model;
    ToolHandlers handlers(model);
    Dispatcher dispatcher(model, &handlers);
    auto read = [&](const QByteArray& request) {
        handlers.leaves.clear();
        const QByteArray answer = ask(m, request);
        QVERIFY2(!answer.endsWith('!'), (request + ": " + answer).constData());
        dispatcher.dispatchAnswer(QString::fromLatin1(answer));
    };

    read("p");
    QVERIFY(model.monitorResponding);
    QVERIFY(!model.bootMode);

    read("df");
    QCOMPARE(model.firmwareVersion, "V " + p.firmwareVersion);
    QCOMPARE(model.firmwareClass, qRound(p.firmwareVersion.toDouble() * 100));
    QCOMPARE(model.hasBoardIdentity, p.hasBoardIdentity);
    read("de");
    QCOMPARE(model.romVersion, "V " + p.romVersion);

    const MonitorStates& states = model.states;
    read("db");
    QCOMPARE(states.bootBlock.value().size(), 9);
    QCOMPARE(states.bootBlock.value().first(), QString("AA"));
    QCOMPARE(states.autoBoot.value(), QString("ON"));
    {
        QSignalSpy number(&handlers, &DataReadHandlers::currentScanSetNumberRead);
        QSignalSpy name(&handlers, &DataReadHandlers::currentScanSetNameRead);
        read("dc");
        QCOMPARE(number.value(0).value(0).toInt(), st.currentScanSet + 1);
        QCOMPARE(name.value(0).value(0).toString(), st.scanSets[st.currentScanSet].name);
    }
    {
        QSignalSpy entries(&handlers, &DataReadHandlers::scanSetEntryRead);
        read("ddn");
        QCOMPARE(entries.size(), int(st.scanSets.size()));
        QCOMPARE(model.scanSetNames[3], st.scanSets[3].name);
        QCOMPARE(model.scanSetEnabled[4], int(st.scanSets[4].enabled));
    }

    // Every DAC group, current, factory and initial: the model holds the monitor's values at the scan set.
    for (char g : SimMonitor::groupLetters()) {
        DacGroup* group = model.group(QLatin1Char(g));
        QVERIFY(group);
        const int count = qMin<int>(group->count, SimMonitor::reportedCount(g));
        const QList<std::pair<QByteArray, std::pair<DacTable, sim::DacTable>>> tables = {
            {"dd", {DacTable::Value, sim::DacTable::Current}},
            {"ddf", {DacTable::Factory, sim::DacTable::Factory}},
            {"ddp", {DacTable::Initial, sim::DacTable::Initial}}};
        for (const auto& t : tables) {
            const QByteArray request = t.first + g;
            read(request);
            for (int i = 0; i < count; ++i) {
                int got = -1;
                QVERIFY2(group->get(t.second.first, i, 0, &got), request.constData());
                QCOMPARE(got, m.dac(g, t.second.second, i, 0));
            }
            if (g == 'h') {
                int sCap = -1;
                QVERIFY(group->get(t.second.first, MonitorModel::horizontalSCapIndex, 0, &sCap));
                QCOMPARE(sCap, m.dac(g, t.second.second, 8, 0));
            }
        }
    }
    {
        QSignalSpy rows(&handlers, &DataReadHandlers::offsetRowRead);
        read("dfd");
        read("dff");
        read("dfp");
        QCOMPARE(rows.size(), 3);
        QVector<int> positions;
        for (int v : st.offsetCurrent)
            positions << v + 128;
        QCOMPARE(rows[0].value(1).value<QVector<int>>(), positions);
        QCOMPARE(rows[1].value(1).value<QVector<int>>(), st.offsetFactory);
        QCOMPARE(rows[2].value(1).value<QVector<int>>(), st.offsetInitial);
    }

    // Identity: with board letters from class 2 on, without them for class 1.
    {
        QSignalSpy identity(&handlers, &DataReadHandlers::identityRead);
        if (p.family == 1) {
            read("dm");
            read("ds");
        } else {
            read("dms");
            read("dss");
        }
        QCOMPARE(model.modelNumber, p.modelNumber);
        QCOMPARE(model.serialNumber, p.serialNumber);
        if (p.hasBoardIdentity) {
            for (char b : QByteArray("cdfghlpstuv"))
                read(QByteArray("dm") + b);
            for (char b : QByteArray("cdfghlpstv"))
                read(QByteArray("ds") + b);
            QCOMPARE(model.partNumber, p.partNumber);
            QCOMPARE(model.crtSerialNumber, p.crtSerialNumber);
            QCOMPARE(identity.size(), 2 + 11 + 10);
        }
    }

    QSignalSpy time(&handlers, &DataReadHandlers::operatingTimeRead);
    m.advanceTime(3600 * 30 + 59);
    read("dt");
    read("du");
    QCOMPARE(time.size(), 2);
    {
        const sim::OperatingTime& t = st.time;
        const qint64 total = qint64(t.days) * 86400 + t.hours * 3600 + t.minutes * 60 + t.seconds + t.sessionSeconds;
        const QString expected = QStringLiteral("%1:%2:%3:%4")
                                     .arg(total / 86400)
                                     .arg(total / 3600 % 24, 2, 10, QLatin1Char('0'))
                                     .arg(total / 60 % 60, 2, 10, QLatin1Char('0'))
                                     .arg(total % 60, 2, 10, QLatin1Char('0'));
        QCOMPARE(model.operatingTime, expected);
        QCOMPARE(model.operatingCycles, QString::number(t.cycles));
    }

    {
        read("dp");
        read("dps");
        QCOMPARE(QVector<int>(states.limits.value().begin(), states.limits.value().end()), st.limits);
        const DiagnosticReading* vertical = model.diagnostics.find(DiagnosticCaptions::verticalDeflection());
        QVERIFY(vertical);
        QCOMPARE(vertical->text, QString("Operating"));
        QCOMPARE(states.photocellEnabled.value(), st.photocellEnabled);
    }
    // The answer's bit 8 means monochrome; the model keeps the mode as "cw" sent it, as the monitor does.
    read("dw");
    QCOMPARE(states.operatingMode.value(), st.operatingMode);
    if (p.hasCapability) {
        read("dx");
        QCOMPARE(model.capabilityMask(), p.capability);
    }
    read("drs");
    read("drw");
    read("drf");
    QCOMPARE(states.filamentSteady.value(), QString::number(st.filamentSteady));
    QCOMPARE(states.filamentWarmup.value(), QString::number(st.filamentWarmup));
    QCOMPARE(states.filamentImmediate.value(), QString::number(st.filamentImmediate));

    // Diagnostics: the decoder of the firmware class, the HV and sync answers with their labels.
    read("da");
    QCOMPARE(handlers.leaves, QStringList{QStringLiteral("test points %1").arg(p.family)});
    if (p.family == 2)
        QVERIFY(numberAfter(handlers.testPointBody, "+90V ") > 0);
    read("dh");
    QCOMPARE(handlers.leaves, QStringList{"hv"});
    QCOMPARE(numberAfter(handlers.hvBody, "Upper Limit = "), double(st.hvUpperLimit));
    QCOMPARE(numberAfter(handlers.hvBody, "Lower Limit = "), double(st.hvLowerLimit));
    QCOMPARE(numberAfter(handlers.hvBody, "Current Limit = "), double(st.anodeCurrentLimit));
    QCOMPARE(numberAfter(handlers.hvBody, "G2 Control Value = "), double(st.hvControl[2]));
    read("dv");
    QCOMPARE(handlers.leaves, QStringList{"sync"});
    const double hKHz = numberAfter(handlers.syncBody, "Hsync Frequency = ") * 1.024;
    QVERIFY(qAbs(hKHz - st.scanSets[st.currentScanSet].hFreqKHz) < 0.02);

    read("pi0x49");
    QCOMPARE(handlers.leaves, QStringList{"probe 65280"});
    read("a0x0100");
    QCOMPARE(handlers.leaves, QStringList{"address 0x0100"});
    read("rb");
    QCOMPARE(handlers.leaves, QStringList{"byte 0x" + QString::number(quint8(st.memory[0x100]), 16).toUpper()});
    read("rc");
    QCOMPARE(handlers.leaves, QStringList{"char " + QString(QChar(st.memory[0x100]))});
    read("rw");
    QCOMPARE(handlers.leaves.size(), 1);
    QVERIFY(handlers.leaves.first().startsWith("word 0x"));
    read("md0");
    QCOMPARE(handlers.leaves, QStringList{"deflection 0"});
    read("mh1");
    QCOMPARE(handlers.leaves, QStringList{"hv enable 1"});

    // Boot block: the boot prompt, the erase and load answers and a record's echo.
    read("bs");
    QCOMPARE(handlers.leaves, QStringList{"sram load"});
    read(":00000001FF");
    QCOMPARE(handlers.leaves, QStringList{"record EOF"});
    read("bf3");
    QCOMPARE(handlers.leaves, QStringList{"flash erase"});
    read("p");
    QVERIFY(model.monitorResponding);
    QVERIFY(model.bootMode);
}

QTEST_GUILESS_MAIN(TestSimAnswers)
#include "tst_simanswers.moc"
