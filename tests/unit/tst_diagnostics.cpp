// The diagnostics answers: the number patterns, the four test-point decoders, the HV and sync answers into the
// model's readings (each under its caption, not known after a reconnection or another monitor), the I2C probe
// results, each through dispatch as the monitor's answers go; and the transmit queue's check that keeps a polled
// read from waiting twice.
#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"
#include "protocol/Catalogue.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/DiagnosticHandlers.h"
#include "protocol/Dispatcher.h"
#include "protocol/I2cDevices.h"
#include "protocol/NumberFormat.h"
#include "support/FakeClock.h"
#include "support/FakeSerialPort.h"

#include <QSignalSpy>
#include <QtTest>

#include <algorithm>

namespace {

using Texts = QMap<QString, QString>;

Texts textsOf(const DiagnosticReadings& readings) {
    Texts out;
    for (const DiagnosticReading& r : readings)
        out.insert(r.caption, r.text);
    return out;
}

struct Rig {
    MonitorModel model;
    DataReadHandlers handlers{model};
    Dispatcher dispatcher{model, &handlers};
    QSignalSpy changes{handlers.diagnostics(), &DiagnosticHandlers::diagnosticsChanged};
    QSignalSpy probes{handlers.diagnostics(), &DiagnosticHandlers::i2cProbeRead};

    explicit Rig(int firmwareClass) { model.firmwareClass = firmwareClass; }
    // The readings one answer stored, by caption.
    Texts taken(const QString& answer) {
        dispatcher.dispatchAnswer(answer);
        return textsOf(model.diagnostics.latest());
    }
    // Every reading the model knows now.
    Texts known() const { return textsOf(model.diagnostics.readings(DiagnosticCaptions::all)); }
};

const QString class2Answer = QStringLiteral(
    "da\r\n159,160,160,120\r\nVideo_+80V 243\r\nAnode Voltage 182\r\nAnode Current 123\r\nFocus Voltage 100\r\n"
    "G2 Voltage 60\r\n-8V 125\r\n+90V 200\r\n+24V 204\r\n+12V 205\r\n+6.3V 203\r\n+5V 204\r\n-12V 204\r\n"
    "-100V 204\r\n#");

const QString hvReply = QStringLiteral(
    "dh\r\nHV Control Value = 182, 180\r\nFocus Control Value = 30, 31\r\nG2 Control Value = 50, 175\r\n"
    "Video +80V Control Value = 40, 41\r\nUpper Limit = 230\r\nLower Limit = 150\r\nCurrent Limit = 200\r\n#");

} // namespace

class DiagnosticsTest : public QObject {
    Q_OBJECT
private slots:
    void numberPatterns_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::newRow("half rounds away from zero") << 0.125 << "#0.00"
                                                    << "0.13";
        QTest::newRow("zeros fill, minus before them") << -7.97 << "00.0"
                                                       << "-08.0";
        QTest::newRow("three digits") << 89.098 << "000.0"
                                      << "089.1";
        QTest::newRow("count") << 5.0 << "000"
                               << "005";
        QTest::newRow("more digits than the pattern") << 1234.5 << "#0"
                                                      << "1235";
        QTest::newRow("rounded to zero loses its sign") << -0.004 << "0.00"
                                                        << "0.00";
        QTest::newRow("negative whole") << -100.8 << "000"
                                        << "-101";
        QTest::newRow("only where needed") << 0.0 << "#"
                                           << "";
        QTest::newRow("no decimals in the pattern") << 62.5 << "00"
                                                    << "63";
    }
    void numberPatterns() {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QCOMPARE(NumberFormat::format(value, pattern), text);
    }

    void firstFamilyByOperatingMode() {
        Rig rig(138);
        const Texts clear = rig.taken(QStringLiteral("da\r\n100,64,128,10,200,255,128\r\n#"));
        const Texts expected = {{"Horizontal Frequency", "31.9"},
                                {"Brightness Control In", "1.00 V"},
                                {"Contrast Control In", "2.00 V"},
                                {"HV Anode Current", "0 uA"}, // raised to 18 first
                                {"HV Anode", "11.8 kV"},
                                {"HV Val", "200"},
                                {"LV80", "100.6 V"},
                                {"LV175", "107.0 V"}};
        QCOMPARE(clear, expected);

        rig.model.operatingModeMask = 8;
        const Texts set = rig.taken(QStringLiteral("da\r\n100,64,128,100,200,255,128\r\n#"));
        QCOMPARE(set.value("HV Anode Current"), "182 uA");
        QCOMPARE(set.value("HV Anode"), "18.7 kV");
        QCOMPARE(set.size(), expected.size());
    }

    void secondFamily() {
        Rig rig(210);
        const Texts expected = {{"CPU +5V", "4.99 V"},
                                {"Brightness Control In", "2.50 V"},
                                {"Contrast Control In", "2.50 V"},
                                {"Contrast Control X16", "1.88 V"},
                                {"Video +80V", "80.05 V"},
                                {"HV Val", "182"},
                                {"HV Anode Voltage", "16.45 kV"},
                                {"HV Anode Current", "300 uA"},
                                {"Focus Voltage", "3.92 kV"},
                                {"G2 Voltage", "240 V"},
                                {"-8V", "-08.0V"},
                                {"+90V", "+089.1V"},
                                {"+24V", "+24.0V"},
                                {"+12V", "+12.0V"},
                                {"+6.3V", "+06.3V"},
                                {"+5V", "+5.00V"},
                                {"-12V", "-12.1V"},
                                {"-100V", "-101V"}};
        QCOMPARE(rig.taken(class2Answer), expected);
        QCOMPARE(rig.changes.count(), 1);
        QCOMPARE(rig.changes.at(0).at(0).value<DiagnosticParts>(), DiagnosticParts(DiagnosticPart::TestPoints));

        // A missing label leaves its reading as it was.
        QString without = class2Answer;
        without.replace("Anode Voltage 182\r\n", "").replace("Anode Current 123", "Anode Current 0");
        const Texts partial = rig.taken(without);
        QVERIFY(!partial.contains("HV Anode Voltage") && !partial.contains("HV Val"));
        QCOMPARE(rig.known().value("HV Anode Voltage"), "16.45 kV");
        QCOMPARE(rig.known().value("HV Anode Current"), "0 uA");
    }

    void flatPanels() {
        Rig rig(315);
        const Texts panel = rig.taken(QStringLiteral("da\r\n80,160,160,100,30,50,70,159,206,204,204,0\r\n#"));
        QCOMPARE(panel.size(), 12);
        QCOMPARE(panel.value("Photocell x10"), "1.25 V");
        QCOMPARE(panel.value("+5V Monitor"), "4.99 V");
        QCOMPARE(panel.value("+28V"), "28.05 V");
        QCOMPARE(panel.value("-5V"), "-7.28 V");

        Rig led(405);
        const Texts expected = {{"Brightness Control In", "2.50 V"},
                                {"+5V Monitor", "4.99 V"},
                                {"LED+", "39.48 V"},
                                {"+12V", "12.00 V"},
                                {"+3.3V", "3.30 V"},
                                {"+2.5V", "2.50 V"}};
        led.taken(QStringLiteral("da\r\n80,160,160,100,30,50,70,159,200,204,204,204\r\n#"));
        QCOMPARE(led.known(), expected);
    }

    void shortAndBrokenAnswers() {
        Rig rig(315);
        // The last number stands in for the missing ones; no number reads as -1, masked to 255.
        const Texts repeated = rig.taken(QStringLiteral("da\r\n64,128\r\n#"));
        QCOMPARE(repeated.value("Photocell x10"), "1.00 V");
        QCOMPARE(repeated.value("Enh Contrast Control In"), "2.00 V");
        QCOMPARE(rig.taken(QStringLiteral("da\r\nxyz\r\n#")).value("Brightness Control In"), "3.98 V");

        // No decoder outside the four ranges.
        for (int fc : {0, 299, 399, 499}) {
            Rig other(fc);
            other.dispatcher.dispatchAnswer(class2Answer);
            QCOMPARE(other.changes.count(), 0);
            QVERIFY(other.known().isEmpty());
        }
    }

    // The HV answer's values as the monitor reported them, whatever the class; a value whose label is missing is
    // not known after the answer.
    void hvAnswer_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<Texts>("expected");
        QTest::newRow("every label") << hvReply
                                     << Texts{{"HV Control Value", "182"},         {"HV Default", "180"},
                                              {"Focus Control Value", "030"},      {"Focus Default", "031"},
                                              {"G2 Control Value", "050"},         {"G2 Default", "175"},
                                              {"Video +80V Control Value", "040"}, {"Video +80V Default", "041"},
                                              {"HV Upper Limit", "230"},           {"HV Lower Limit", "150"},
                                              {"HV Anode Current Limit", "200"}};
        QTest::newRow("labels missing") << "dh\r\nHV Control Value = 90\r\nLower Limit = 12\r\n#"
                                        << Texts{{"HV Control Value", "090"}, {"HV Lower Limit", "012"}};
    }
    void hvAnswer() {
        QFETCH(QString, answer);
        QFETCH(Texts, expected);
        Rig rig(200);
        rig.taken(hvReply);
        rig.taken(answer);
        QCOMPARE(rig.known(), expected);
        QCOMPARE(rig.changes.last().at(0).value<DiagnosticParts>(),
                 DiagnosticParts(DiagnosticPart::HvControls) | DiagnosticPart::HvLimits);
        // The data file's limits, read from this monitor.
        QCOMPARE(int(rig.model.hvLowerLimit), expected.value("HV Lower Limit").toInt());
        QCOMPARE(rig.model.origin("hvLowerLimit"), Origin::Read);
    }

    void syncAnswer_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<Texts>("expected");
        QTest::newRow("above 300 is 0") << "dv\r\nVsync Frequency = 400\r\nHsync Frequency = 31.25\r\n#"
                                        << Texts{{"Vertical Frequency", "0.00"}, {"Horizontal Frequency", "32.00"}};
        QTest::newRow("usual") << "dv\r\nVsync Frequency = 59.94\r\nHsync Frequency = 30.73\r\n#"
                               << Texts{{"Vertical Frequency", "59.94"}, {"Horizontal Frequency", "31.47"}};
        QTest::newRow("no labels: not known") << "dv\r\n#" << Texts{};
    }
    void syncAnswer() {
        QFETCH(QString, answer);
        QFETCH(Texts, expected);
        Rig rig(138);
        rig.taken(QStringLiteral("dv\r\nVsync Frequency = 50\r\nHsync Frequency = 15\r\n#"));
        rig.taken(answer);
        QCOMPARE(rig.known(), expected);
    }

    // A reconnection, or another monitor on the line: nothing the diagnostics read is known of it.
    void readingsAreNotKnownOfTheNextMonitor_data() {
        QTest::addColumn<bool>("anotherFirmware");
        QTest::newRow("reconnected") << false;
        QTest::newRow("another monitor") << true;
    }
    void readingsAreNotKnownOfTheNextMonitor() {
        QFETCH(bool, anotherFirmware);
        Rig rig(210);
        rig.dispatcher.dispatchAnswer(QStringLiteral("df\r\nV 2.10\r\n#"));
        rig.taken(class2Answer);
        rig.taken(hvReply);
        QVERIFY(rig.model.diagnostics.origin("+90V") == Origin::Read);
        rig.changes.clear();
        if (anotherFirmware) {
            rig.dispatcher.dispatchAnswer(QStringLiteral("df\r\nV 2.20\r\n#"));
            QCOMPARE(rig.changes.first().at(0).value<DiagnosticParts>(), DiagnosticCaptions::all);
        } else {
            rig.model.forgetMonitorValues();
        }
        QVERIFY(rig.known().isEmpty());
        QCOMPARE(rig.model.diagnostics.origin("+90V"), Origin::Unknown);
        QCOMPARE(rig.model.origin("hvUpperLimit"), Origin::Unknown);
    }

    void probeAnswers_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<int>("colour");
        QTest::newRow("acknowledged") << "pi0x49\r\nDevice 0x48 OK\r\n#" << QStringList{"btnU513"} << 65280;
        QTest::newRow("not responding wins") << "pi0x4D\r\nDevice 0x4D NR OK\r\n#" << QStringList{"btnU109"} << 255;
        QTest::newRow("third result") << "pi0xA9\r\nDevice 0xA9 NC\r\n#" << QStringList{"btnU309"} << 65535;
        QTest::newRow("one pair, two devices")
            << "pi0x92\r\nDevice 0x92 OK\r\n#" << QStringList{"btnU119", "btnU906"} << 65280;
        QTest::newRow("lower-case digits match nothing") << "pi0x4c\r\nDevice 0x4c OK\r\n#" << QStringList{} << 0;
        QTest::newRow("no result") << "pi0x49\r\nDevice 0x49\r\n#" << QStringList{} << 0;
    }
    void probeAnswers() {
        QFETCH(QString, answer);
        QFETCH(QStringList, buttons);
        QFETCH(int, colour);
        Rig rig(210);
        rig.dispatcher.dispatchAnswer(answer);
        QCOMPARE(rig.probes.count(), buttons.isEmpty() ? 0 : 1);
        if (!buttons.isEmpty()) {
            QCOMPARE(rig.probes.at(0).at(0).toStringList(), buttons);
            QCOMPARE(rig.probes.at(0).at(1).toInt(), colour);
        }
    }

    void testAllProbesEveryDevice() {
        const QStringList all = I2cDevices::testAllRequests();
        QCOMPARE(all.size(), 36);
        QCOMPARE(all.mid(0, 3), QStringList({"pi0xAB", "pi0x4D", "pi0x4D"}));
        QCOMPARE(all.mid(18, 5), QStringList({"pi0xA9", "pi0x97", "pi0x99", "pi0x49", "pi0x49"}));
        QCOMPARE(all.last(), "pi0xA4");
        QCOMPARE(I2cDevices::caption(I2cDevices::table().at(13)), "U309 A8");
    }

    // Only a reported capability narrows the probe, by the boards it says are absent.
    void probeOffersWhatTheCapabilityDoesNotRuleOut_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("capability");
        QTest::addColumn<bool>("offered");
        const int panelWithVideo = 1 | 2 | 4 | 128, crtWithoutPowerDistribution = 1 | 4 | 8 | 16 | 32 | 64;
        QTest::newRow("nothing reported") << "btnU303" << -1 << true;
        QTest::newRow("panel: video board") << "btnU206" << panelWithVideo << true;
        QTest::newRow("panel: no deflection") << "btnU103" << panelWithVideo << false;
        QTest::newRow("CRT: power distribution reported") << "btnU303" << (crtWithoutPowerDistribution | 2) << true;
        QTest::newRow("CRT: power distribution absent") << "btnU303" << crtWithoutPowerDistribution << false;
    }
    void probeOffersWhatTheCapabilityDoesNotRuleOut() {
        QFETCH(QString, button);
        QFETCH(int, capability);
        QFETCH(bool, offered);
        const auto& table = I2cDevices::table();
        const auto device = std::find_if(table.begin(), table.end(),
                                         [&](const I2cDevice& d) { return button == QLatin1String(d.button); });
        QVERIFY(device != table.end());
        QCOMPARE(I2cDevices::carried(*device, capability), offered);
        QCOMPARE(I2cDevices::testAllRequests(capability).contains(Catalogue::probe(device->testAllAddress)), offered);
    }

    void queueKnowsWhatWaits() {
        FakeClock clock;
        FakeSerialPort port;
        TransmitQueue queue(&port, &clock, nullptr);
        queue.queueRequest(QStringLiteral("da\r\n")); // taken, in its write pause
        QVERIFY(queue.holdsRequest(QStringLiteral("da\r\n")));
        clock.advance(TransmitQueue::writePauseMs); // written: its answer is awaited
        QVERIFY(queue.holdsRequest(QStringLiteral("da\r\n")));
        queue.answerReceived(QStringLiteral("da\r\n#"));
        QVERIFY(!queue.holdsRequest(QStringLiteral("da\r\n")));
        queue.queueRequest(QStringLiteral("dv\r\n"));
        queue.queueRequest(QStringLiteral("dh\r\n"));
        QVERIFY(queue.holdsRequest(QStringLiteral("dv\r\n")));
        QVERIFY(queue.holdsRequest(QStringLiteral("dh\r\n")));
        QVERIFY(!queue.holdsRequest(QStringLiteral("h\r\n")));
        QVERIFY(!queue.holdsRequest(QStringLiteral("d\r\n")));
    }
};

QTEST_GUILESS_MAIN(DiagnosticsTest)
#include "tst_diagnostics.moc"
