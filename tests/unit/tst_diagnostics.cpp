// The diagnostics answers: the number patterns, the four test-point decoders, the HV and sync answers, the I2C
// probe results, each through dispatch as the monitor's answers go; and the transmit queue's
// check that keeps a polled read from waiting twice.
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

struct Rig {
    MonitorModel model;
    DataReadHandlers handlers{model};
    Dispatcher dispatcher{model, &handlers};
    QSignalSpy texts{handlers.diagnostics(), &DiagnosticHandlers::controlTextsRead};
    QSignalSpy probes{handlers.diagnostics(), &DiagnosticHandlers::i2cProbeRead};

    explicit Rig(int firmwareClass) { model.firmwareClass = firmwareClass; }
    // The texts that one answer gives window w, by control name.
    QMap<QString, QString> shown(const QString& answer, DiagWindow w) {
        texts.clear();
        dispatcher.dispatchAnswer(answer);
        QMap<QString, QString> out;
        for (const QList<QVariant>& signal : std::as_const(texts))
            for (const ControlText& t : signal.at(0).value<ControlTexts>())
                if (t.windows.testFlag(w))
                    out.insert(t.control, t.text);
        return out;
    }
};

using Texts = QMap<QString, QString>;

const QString class2Answer = QStringLiteral(
    "da\r\n159,160,160,120\r\nVideo_+80V 243\r\nAnode Voltage 182\r\nAnode Current 123\r\nFocus Voltage 100\r\n"
    "G2 Voltage 60\r\n-8V 125\r\n+90V 200\r\n+24V 204\r\n+12V 205\r\n+6.3V 203\r\n+5V 204\r\n-12V 204\r\n"
    "-100V 204\r\n#");

const QString hvReply = QStringLiteral(
    "dh\r\nHV Control Value = 182, 180\r\nFocus Control Value = 30, 31\r\nG2 Control Value = 50, 80\r\n"
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
        const QString answer = QStringLiteral("da\r\n100,64,128,10,200,255,128\r\n#");
        const Texts clear = rig.shown(answer, DiagWindow::TestPoint);
        QCOMPARE(clear.value("HFreqTextBox"), "31.9");
        QCOMPARE(clear.value("BCtrlValue"), "1.00 V");
        QCOMPARE(clear.value("CCtrlValue"), "2.00 V");
        QCOMPARE(clear.value("IAnodeValue"), "0 uA"); // raised to 18 first
        QCOMPARE(clear.value("VAnodeValue"), "11.8 kV");
        QCOMPARE(clear.value("LV80Value"), "100.6 V");
        QCOMPARE(clear.value("LV175Value"), "107.0 V");
        QCOMPARE(rig.handlers.diagnostics()->anodeCount(), 200);

        rig.model.operatingModeMask = 8;
        const Texts set = rig.shown(QStringLiteral("da\r\n100,64,128,100,200,255,128\r\n#"), DiagWindow::TestPoint);
        QCOMPARE(set.value("IAnodeValue"), "182 uA");
        QCOMPARE(set.value("VAnodeValue"), "18.7 kV");
        QCOMPARE(set.size(), 7);
    }

    void secondFamily() {
        Rig rig(210);
        const Texts mdi = rig.shown(class2Answer, DiagWindow::MdiTestPoints);
        const Texts expected = {
            {"lblCPUP5Value", "4.99 V"},    {"BCtrlValue", "2.50 V"},    {"CCtrlValue", "2.50 V"},
            {"lblCCtrlX16Value", "1.88 V"}, {"lblLV80Value", "80.05 V"}, {"HVValTextBox", "182"},
            {"VAnodeValue", "16.45 kV"},    {"IAnodeValue", "300 uA"},   {"FocusLabel", "3.92 kV"},
            {"G2Label", "240 V"},           {"lblVoltage(0)", "-08.0V"}, {"lblVoltage(1)", "+089.1V"},
            {"lblVoltage(2)", "+24.0V"},    {"lblVoltage(3)", "+12.0V"}, {"lblVoltage(4)", "+06.3V"},
            {"lblVoltage(5)", "+5.00V"},    {"lblVoltage(6)", "-12.1V"}, {"lblVoltage(7)", "-101V"}};
        QCOMPARE(mdi, expected);
        // The voltages window shows the same readings except the HV count, which the HV limits window shows.
        Texts voltages = expected;
        voltages.remove("HVValTextBox");
        QCOMPARE(rig.shown(class2Answer, DiagWindow::CrtVoltages), voltages);
        QCOMPARE(rig.shown(class2Answer, DiagWindow::HvLimits), Texts({{"HVValTextBox", "182"}}));

        // A missing label leaves its reading alone.
        QString without = class2Answer;
        without.replace("Anode Voltage 182\r\n", "");
        const Texts partial = rig.shown(without, DiagWindow::MdiTestPoints);
        QVERIFY(!partial.contains("VAnodeValue") && !partial.contains("HVValTextBox"));
        QCOMPARE(partial.value("IAnodeValue"), "300 uA");
        QCOMPARE(rig.handlers.diagnostics()->anodeCount(), 182);
    }

    void flatPanels() {
        Rig rig(315);
        const QString answer = QStringLiteral("da\r\n80,160,160,100,30,50,70,159,206,204,204,0\r\n#");
        const Texts panel = rig.shown(answer, DiagWindow::FlatPanel);
        QCOMPARE(panel.size(), 12);
        QCOMPARE(panel.value("lblACH7"), "1.25 V");
        QCOMPARE(panel.value("P5VM"), "4.99 V");
        QCOMPARE(panel.value("lblVoltage(0)"), "28.05 V");
        QCOMPARE(panel.value("lblVoltage(3)"), "-7.28 V");

        rig.model.firmwareClass = 405;
        const Texts led =
            rig.shown(QStringLiteral("da\r\n80,160,160,100,30,50,70,159,200,204,204,204\r\n#"), DiagWindow::FlatPanel);
        const Texts expected = {{"BCtrlValue", "2.50 V"},     {"P5VM", "4.99 V"},          {"lblVoltage(0)", "39.48 V"},
                                {"lblVoltage(1)", "12.00 V"}, {"lblVoltage(2)", "3.30 V"}, {"lblVoltage(3)", "2.50 V"}};
        QCOMPARE(led, expected);
    }

    void shortAndBrokenAnswers() {
        Rig rig(315);
        // The last number stands in for the missing ones; no number reads as -1, masked to 255.
        const Texts repeated = rig.shown(QStringLiteral("da\r\n64,128\r\n#"), DiagWindow::FlatPanel);
        QCOMPARE(repeated.value("lblACH7"), "1.00 V");
        QCOMPARE(repeated.value("ECCtrlValue"), "2.00 V");
        const Texts garbage = rig.shown(QStringLiteral("da\r\nxyz\r\n#"), DiagWindow::FlatPanel);
        QCOMPARE(garbage.value("BCtrlValue"), "3.98 V");

        // No decoder outside the four ranges.
        for (int fc : {0, 299, 399, 499}) {
            rig.model.firmwareClass = fc;
            rig.texts.clear();
            rig.dispatcher.dispatchAnswer(class2Answer);
            QCOMPARE(rig.texts.count(), 0);
        }
    }

    void hvAnswer_data() {
        QTest::addColumn<int>("firmwareClass");
        QTest::addColumn<int>("window");
        QTest::addColumn<Texts>("expected");
        QTest::newRow("first family") << 138 << int(DiagWindow::TestPoint)
                                      << Texts{{"HVUpperLimitTextBox", "230"},
                                               {"HVLowerLimitTextBox", "150"},
                                               {"HVValTextBox", "000"}};
        QTest::newRow("HV limits") << 210 << int(DiagWindow::HvLimits)
                                   << Texts{{"HVUpperLimitTextBox", "230"},
                                            {"HVLowerLimitTextBox", "150"},
                                            {"HVValTextBox", "000"},
                                            {"txtIAnodeLimit", "200"}};
        QTest::newRow("operating values")
            << 210 << int(DiagWindow::MdiTestPoints)
            << Texts{{"HVUpperLimitTextBox", "230"}, {"HVLowerLimitTextBox", "150"}, {"txtIAnodeLimit", "200"}};
        QTest::newRow("G2 defaults at most 63")
            << 210 << int(DiagWindow::G2) << Texts{{"Label4(0)", "63"}, {"Label4(1)", "63"}, {"Label4(2)", "31"}};
        QTest::newRow("class 200 changes the model only") << 200 << int(DiagWindow::MdiTestPoints) << Texts{};
    }
    void hvAnswer() {
        QFETCH(int, firmwareClass);
        QFETCH(int, window);
        QFETCH(Texts, expected);
        Rig rig(firmwareClass);
        QCOMPARE(rig.shown(hvReply, DiagWindow(window)), expected);
        QCOMPARE(int(rig.model.hvUpperLimit), 230);
        QCOMPARE(int(rig.model.hvLowerLimit), 150);
    }

    void hvAnswerDetails() {
        Rig rig(210);
        QSignalSpy sliders(rig.handlers.diagnostics(), &DiagnosticHandlers::hvControlsRead);
        QCOMPARE(rig.shown(hvReply, DiagWindow::HighVoltage).value("Text2(2)"), "080");
        QCOMPARE(sliders.count(), 1);
        const HvControls v = sliders.at(0).at(0).value<HvControls>();
        QCOMPARE(v.control[0], 182);
        QCOMPARE(v.defaults[3], 41);

        // The HV value shown with the limits is the count of the last test-point answer.
        rig.dispatcher.dispatchAnswer(class2Answer);
        QCOMPARE(rig.shown(hvReply, DiagWindow::HvLimits).value("HVValTextBox"), "182");
        QString noCurrentLimit = hvReply;
        noCurrentLimit.replace("Current Limit = 200\r\n", "");
        QCOMPARE(rig.shown(noCurrentLimit, DiagWindow::HvLimits).value("txtIAnodeLimit"), "255");
        const HvControls empty = DiagnosticHandlers::parseHvControls(QStringLiteral("#"));
        QCOMPARE(empty.upperLimit, 0);
        QCOMPARE(empty.anodeCurrentLimit, 255);
    }

    void syncAnswer() {
        Rig rig(210);
        const QString answer = QStringLiteral("dv\r\nVsync Frequency = 400\r\nHsync Frequency = 31.25\r\n#");
        const Texts expected = {{"VertFreqBox", "0.00"}, {"HFreqTextBox", "32.00"}};
        QCOMPARE(rig.shown(answer, DiagWindow::DeflectionStatus), expected);
        QCOMPARE(rig.shown(answer, DiagWindow::MdiTestPoints), expected);
        QCOMPARE(rig.shown(answer, DiagWindow::TestPoint), Texts());
        rig.model.firmwareClass = 138;
        const QString usual = QStringLiteral("dv\r\nVsync Frequency = 59.94\r\nHsync Frequency = 30.73\r\n#");
        QCOMPARE(rig.shown(usual, DiagWindow::TestPoint), Texts({{"VertFreqBox", "59.94"}, {"HFreqTextBox", "31.47"}}));
        QCOMPARE(rig.shown(QStringLiteral("dv\r\n#"), DiagWindow::TestPoint),
                 Texts({{"VertFreqBox", "0.00"}, {"HFreqTextBox", "0.00"}}));
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
