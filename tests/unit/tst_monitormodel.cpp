#include "model/DataFile.h"
#include "model/MonitorModel.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/Dispatcher.h"

#include <QTemporaryDir>
#include <QtTest>

class TestMonitorModel : public QObject {
    Q_OBJECT

private:
    static bool allZero(const DacGroup::Table& t) {
        for (const auto& row : t)
            for (qint16 v : row)
                if (v != 0)
                    return false;
        return true;
    }

private slots:
    void startState() {
        MonitorModel m;
        QVERIFY(m.modelNumber.isEmpty());
        QVERIFY(m.serialNumber.isEmpty());
        QVERIFY(m.partNumber.isEmpty());
        QVERIFY(m.crtSerialNumber.isEmpty());
        QVERIFY(m.crtPartNumber.isEmpty());
        QVERIFY(m.firmwareVersion.isEmpty());
        QVERIFY(m.romVersion.isEmpty());
        QVERIFY(m.operatingTime.isEmpty());
        QCOMPARE(m.scanSetCount, qint16(6));
        QCOMPARE(m.currentScanSet, qint16(0));
        QCOMPARE(m.scanSetCaption, QStringLiteral("Scan Set Selected: (None Selected)"));
        QVERIFY(!m.monitorResponding);
        QVERIFY(!m.dataChanged);
        QVERIFY(!m.FileIsOpen);
        QCOMPARE(m.firmwareClass, 0);
        QCOMPARE(m.capabilityMask(), 0);
        QCOMPARE(m.scanSetNames[0], QStringLiteral("Scan Set 1 Title"));
        QCOMPARE(m.scanSetNames[5], QStringLiteral("Scan Set 6 Title"));
        QCOMPARE(m.allGroups().size(), 12);
        QCOMPARE(m.fileGroups().size(), 11);
        for (DacGroup* g : m.allGroups()) {
            QVERIFY(allZero(g->value));
            QVERIFY(allZero(g->committedValue));
            QVERIFY(allZero(g->factoryValue));
            QVERIFY(allZero(g->initialValue));
        }
        QCOMPARE(MonitorModel::dataFileExtension, QStringLiteral(".mdv"));
        QCOMPARE(MonitorModel::dataFileFirstLine, QStringLiteral("Kestrane Monitor DAC Value File"));
        QCOMPARE(MonitorModel::dataFileSecondLine, QStringLiteral("Version 2.0"));
    }

    // Where each value came from, through a connection's reads, a loaded file, a reconnection and another monitor;
    // a data file holds a scan set only when it is ticked and known; the option states are forgotten on reconnecting.
    void originThroughConnectReadLoadReconnect() {
        MonitorModel m;
        DataReadHandlers handlers(m);
        Dispatcher dispatcher(m, &handlers);
        auto origin = [&m](char group, DacTable table) { return m.group(QLatin1Char(group))->origin(table, 1, 0); };
        dispatcher.dispatchAnswer(QStringLiteral("df\r\nV 2.10\r\n#"));
        m.scanSetEnabled[0] = 1;
        QCOMPARE(origin('v', DacTable::Value), Origin::Unknown);
        QVERIFY(!m.scanSetSavable(0));
        dispatcher.dispatchAnswer(QStringLiteral("ddv\r\n1,2,3,4,5,6,7\r\n#"));
        dispatcher.dispatchAnswer(QStringLiteral("dms\r\nModel Number = MX\r\n#"));
        dispatcher.dispatchAnswer(QStringLiteral("mh0\r\nHigh voltage disabled\r\n#"));
        m.states.videoSource.set(MonitorStates::VideoBlack, Origin::User);
        QCOMPARE(m.states.hvEnabled.origin(), Origin::Read);
        QVERIFY(!m.states.deflectionEnabled.known());
        QCOMPARE(origin('v', DacTable::Value), Origin::Read);
        QCOMPARE(origin('v', DacTable::Factory), Origin::Unknown);
        QCOMPARE(m.origin(QStringLiteral("board:S:P")), Origin::Read);
        QVERIFY(m.scanSetSavable(0));

        MonitorModel source;
        source.scanSetEnabled[0] = 1;
        for (DacTable t : {DacTable::Value, DacTable::Factory, DacTable::Initial})
            source.horizontalGroup.set(t, 1, 0, 9);
        QTemporaryDir dir;
        DataFile writer(source);
        writer.openForWriting(dir.filePath(QStringLiteral("f.mdv")));
        QVERIFY(writer.writeMdf().ok);
        DataFile reader(m);
        reader.openForReading(dir.filePath(QStringLiteral("f.mdv")));
        QVERIFY(reader.readMdf().ok);
        QCOMPARE(origin('h', DacTable::Factory), Origin::Loaded);
        QCOMPARE(origin('h', DacTable::Value), Origin::Loaded);
        QCOMPARE(origin('h', DacTable::Initial), Origin::Loaded);
        QCOMPARE(origin('h', DacTable::Committed), Origin::Loaded);

        m.forgetMonitorValues(); // reconnected
        // The monitor's states, read or switched by the user, may have changed meanwhile.
        QVERIFY(!m.states.hvEnabled.known() && !m.states.videoSource.known());
        QCOMPARE(origin('v', DacTable::Value), Origin::Unknown);
        QCOMPARE(m.origin(QStringLiteral("board:S:P")), Origin::Unknown);
        QCOMPARE(origin('h', DacTable::Value), Origin::Loaded);

        dispatcher.dispatchAnswer(QStringLiteral("df\r\nV 2.10\r\n#"));
        dispatcher.dispatchAnswer(QStringLiteral("ddv\r\n1,2,3,4,5,6,7\r\n#"));
        dispatcher.dispatchAnswer(QStringLiteral("df\r\nV 2.10\r\n#")); // the same monitor again
        QCOMPARE(origin('v', DacTable::Value), Origin::Read);
        dispatcher.dispatchAnswer(QStringLiteral("df\r\nV 3.15\r\n#")); // another one
        QCOMPARE(origin('v', DacTable::Value), Origin::Unknown);
        QCOMPARE(origin('h', DacTable::Value), Origin::Loaded);
    }

    void groups_data() {
        QTest::addColumn<QString>("letter");
        QTest::addColumn<QString>("countKey");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        // In data-file order.
        QTest::newRow("video") << "l"
                               << "NumLDacs" << 8 << "Master Contrast"
                               << "Blue Offset";
        QTest::newRow("bias") << "b"
                              << "NumBDacs" << 2 << "White Level"
                              << "Bias Adjust";
        QTest::newRow("horizontal") << "h"
                                    << "NumHDacs" << 4 << "Horizontal Size"
                                    << "Trace Rotation";
        QTest::newRow("vertical") << "v"
                                  << "NumVDacs" << 7 << "Vertical Size"
                                  << "Horiz Bow";
        QTest::newRow("north-south") << "s"
                                     << "NumNDacs" << 3 << "North-South Correction"
                                     << "North-South Phase";
        QTest::newRow("conv dc") << "a"
                                 << "NumCODacs" << 4 << "Convergence RB V DC"
                                 << "Convergence RGB V DC";
        QTest::newRow("conv h ramp") << "d"
                                     << "NumCHRDacs" << 4 << "Convergence RB V HRamp"
                                     << "Convergence RGB V HRamp";
        QTest::newRow("conv h parabola") << "i"
                                         << "NumCHPDacs" << 4 << "Convergence RB V HParabola"
                                         << "Convergence RGB V HParabola";
        QTest::newRow("conv v ramp") << "e"
                                     << "NumCVRDacs" << 4 << "Convergence RB V VRamp"
                                     << "Convergence RGB V VRamp";
        QTest::newRow("conv v parabola") << "k"
                                         << "NumCVPDacs" << 4 << "Convergence RB V VParabola"
                                         << "Convergence RGB V VParabola";
        QTest::newRow("purity") << "g"
                                << "NumCPPDacs" << 4 << "Purity Horizontal"
                                << "Convergence HParabola Balance";
        QTest::newRow("low brightness") << ""
                                        << "" << 6 << "Day Lo Red Offset"
                                        << "Night Lo Blu Offset";
    }

    void groups() {
        QFETCH(QString, letter);
        QFETCH(QString, countKey);
        QFETCH(int, count);
        QFETCH(QString, first);
        QFETCH(QString, last);
        MonitorModel m;
        const int row = QTest::currentDataTag() == QByteArray("low brightness")
                            ? 11
                            : m.fileGroups().indexOf(m.groupByCountKey(countKey));
        QVERIFY(row >= 0);
        DacGroup* g = m.allGroups().at(row);
        QCOMPARE(g->count, qint16(count));
        QCOMPARE(g->countKey, countKey);
        QCOMPARE(g->names[0], first);
        QCOMPARE(g->names[count - 1], last);
        QVERIFY(g->names[count].isEmpty() || g == &m.horizontalGroup);
        if (!letter.isEmpty()) {
            QCOMPARE(m.group(letter.at(0)), g);
            QCOMPARE(m.group(letter.at(0).toUpper()), g);
        }
    }

    void horizontalSCapSitsAtEight() {
        MonitorModel m;
        QCOMPARE(m.horizontalGroup.names[8], QStringLiteral("Horiz S Cap"));
        for (int i = 4; i < 8; ++i)
            QVERIFY(m.horizontalGroup.names[i].isEmpty());
        DacGroup* g = nullptr;
        int index = -1;
        QVERIFY(m.findDacName(QStringLiteral("Horiz S Cap"), &g, &index));
        QCOMPARE(g, &m.horizontalGroup);
        QCOMPARE(index, 8);
    }

    void unknownLettersAndNames() {
        MonitorModel m;
        QCOMPARE(m.group(QLatin1Char('n')), nullptr); // the scan-set list, not a group
        QCOMPARE(m.group(QLatin1Char('x')), nullptr);
        QCOMPARE(m.group(QChar()), nullptr);
        QCOMPARE(m.groupByCountKey(QStringLiteral("NumXDacs")), nullptr);
        QCOMPARE(m.groupByCountKey(QString()), nullptr);
        QVERIFY(!m.findDacName(QString(), nullptr, nullptr));
        // The low-brightness DACs are not data-file lines.
        QVERIFY(!m.findDacName(QStringLiteral("Day Lo Red Offset"), nullptr, nullptr));
        QVERIFY(!m.findDacName(QStringLiteral("horizontal size"), nullptr, nullptr));
    }

    void indexRefusals_data() {
        QTest::addColumn<int>("dac");
        QTest::addColumn<int>("scanSet");
        QTest::addColumn<int>("value");
        QTest::newRow("dac -1") << -1 << 0 << 5;
        QTest::newRow("dac 10") << 10 << 0 << 5;
        QTest::newRow("scan set -1") << 0 << -1 << 5;
        QTest::newRow("scan set 7") << 0 << 7 << 5;
        QTest::newRow("scan set 8") << 9 << 8 << 5;
        QTest::newRow("value above 16 bits") << 0 << 0 << 32768;
        QTest::newRow("value below 16 bits") << 0 << 0 << -32769;
    }

    void indexRefusals() {
        QFETCH(int, dac);
        QFETCH(int, scanSet);
        QFETCH(int, value);
        MonitorModel m;
        for (DacTable t : {DacTable::Value, DacTable::Committed, DacTable::Factory, DacTable::Initial}) {
            QVERIFY(!m.verticalGroup.set(t, dac, scanSet, value));
            QVERIFY(allZero(m.verticalGroup.table(t)));
        }
        m.ScanSetReading = static_cast<qint16>(scanSet);
        QVERIFY(!m.storeFileValues(m.verticalGroup, dac, value, value, value));
        QVERIFY(allZero(m.verticalGroup.value));
        QVERIFY(allZero(m.verticalGroup.factoryValue));
        int out = 1234;
        if (!DacGroup::validIndex(dac, scanSet)) {
            QVERIFY(!m.verticalGroup.get(DacTable::Value, dac, scanSet, &out));
            QCOMPARE(out, 1234);
        }
    }

    void cellsAtTheCorners() {
        MonitorModel m;
        QVERIFY(m.biasGroup.set(DacTable::Factory, 9, 6, -32768));
        QVERIFY(m.biasGroup.set(DacTable::Initial, 0, 0, 32767));
        int out = 0;
        QVERIFY(m.biasGroup.get(DacTable::Factory, 9, 6, &out));
        QCOMPARE(out, -32768);
        QCOMPARE(m.biasGroup.initialValue[0][0], qint16(32767));
        QVERIFY(allZero(m.biasGroup.value));
    }

    void storeFileValuesFillsFourTables() {
        MonitorModel m;
        m.ScanSetReading = 6;
        QVERIFY(m.storeFileValues(m.purityGroup, 3, 11, 22, 33));
        QCOMPARE(m.purityGroup.value[3][6], qint16(11));
        QCOMPARE(m.purityGroup.committedValue[3][6], qint16(11));
        QCOMPARE(m.purityGroup.factoryValue[3][6], qint16(22));
        QCOMPARE(m.purityGroup.initialValue[3][6], qint16(33));
        QCOMPARE(m.purityGroup.value[3][5], qint16(0));
        // One number out of range refuses the whole line.
        QVERIFY(!m.storeFileValues(m.purityGroup, 2, 1, 2, 40000));
        QCOMPARE(m.purityGroup.value[2][6], qint16(0));
    }

    void scanSetNames() {
        MonitorModel m;
        QVERIFY(m.setScanSetName(6, QStringLiteral("seven")));
        QVERIFY(!m.setScanSetName(7, QStringLiteral("eight")));
        QVERIFY(!m.setScanSetName(-1, QStringLiteral("none")));
        QCOMPARE(m.scanSetNames[6], QStringLiteral("seven"));
    }

    void capabilities_data() {
        QTest::addColumn<int>("mask");
        QTest::newRow("none") << 0;
        QTest::newRow("video") << 4;
        QTest::newRow("convergence") << 32;
        QTest::newRow("all") << 255;
        QTest::newRow("odd bits") << (1 | 16 | 64);
    }

    void capabilities() {
        QFETCH(int, mask);
        MonitorModel m;
        m.setCapabilities(mask);
        QCOMPARE(m.capabilityMask(), mask);
        QCOMPARE(m.hasVideo, bool(mask & 4));
        QCOMPARE(m.hasConvergence, bool(mask & 32));
        QCOMPARE(m.hasG2Adjustment, bool(mask & 64));
        QCOMPARE(m.hasExpansionLeds, bool(mask & 128));
    }

    void initialiseResets() {
        MonitorModel m;
        m.modelNumber = QStringLiteral("X");
        m.scanSetCount = 8;
        m.videoGroup.count = 2;
        m.videoGroup.names[0] = QStringLiteral("renamed");
        m.videoGroup.value[1][1] = 7;
        m.convergenceCoupling[0] = 5;
        m.setCapabilities(255);
        m.initialise();
        QVERIFY(m.modelNumber.isEmpty());
        QCOMPARE(m.scanSetCount, qint16(6));
        QCOMPARE(m.videoGroup.count, qint16(8));
        QCOMPARE(m.videoGroup.names[0], QStringLiteral("Master Contrast"));
        QCOMPARE(m.videoGroup.value[1][1], qint16(0));
        QCOMPARE(m.videoGroup.letter, QLatin1Char('l'));
        QCOMPARE(m.capabilityMask(), 0);
        QCOMPARE(m.convergenceCoupling[0], qint16(-1)); // position 1, colour 1, direction 1, offset element 0
    }

    void couplingIndexFormula() {
        QCOMPARE(MonitorModel::couplingCells, 2160);
        QCOMPARE(int(MonitorModel().convergenceCoupling.size()), 2160);
        QCOMPARE(MonitorModel::couplingIndex(1, 1, 1, 1, 1), 0);
        QCOMPARE(MonitorModel::couplingIndex(2, 1, 1, 1, 1), 1);
        QCOMPARE(MonitorModel::couplingIndex(1, 2, 1, 1, 1), 9);
        QCOMPARE(MonitorModel::couplingIndex(1, 1, 2, 1, 1), 27);
        QCOMPARE(MonitorModel::couplingIndex(1, 1, 1, 2, 1), 108);
        QCOMPARE(MonitorModel::couplingIndex(1, 1, 1, 1, 2), 540);
        QCOMPARE(MonitorModel::couplingIndex(9, 3, 4, 5, 4), 2159);
        QCOMPARE(MonitorModel::couplingIndex(0, 1, 1, 1, 1), -1);
        QCOMPARE(MonitorModel::couplingIndex(10, 1, 1, 1, 1), -1);
        QCOMPARE(MonitorModel::couplingIndex(1, 4, 1, 1, 1), -1);
        QCOMPARE(MonitorModel::couplingIndex(1, 1, 5, 1, 1), -1);
        QCOMPARE(MonitorModel::couplingIndex(1, 1, 1, 6, 1), -1);
        QCOMPARE(MonitorModel::couplingIndex(1, 1, 1, 1, 0), -1);
        QCOMPARE(MonitorModel().coupling(0, 1, 1, 1, 1), 0);
    }

    void couplingSliderBinding_data() {
        QTest::addColumn<int>("s");
        QTest::addColumn<int>("d");
        QTest::addColumn<int>("array");
        QTest::addColumn<int>("element");
        QTest::newRow("offset d1") << 1 << 1 << 6 << 0;
        QTest::newRow("offset d3") << 1 << 3 << 6 << 3;
        QTest::newRow("offset d4") << 1 << 4 << 6 << 2;
        QTest::newRow("v ramp d3") << 2 << 3 << 2 << 2;
        QTest::newRow("v parabola d4") << 3 << 4 << 5 << 3;
        QTest::newRow("h ramp d2") << 4 << 2 << 1 << 1;
        QTest::newRow("h parabola d1") << 5 << 1 << 4 << 1;
        QTest::newRow("h parabola d2") << 5 << 2 << 4 << 0;
    }

    void couplingSliderBinding() {
        QFETCH(int, s);
        QFETCH(int, d);
        QFETCH(int, array);
        QFETCH(int, element);
        MonitorModel m;
        const MonitorModel::CouplingSlider ref = m.couplingSliders[(s - 1) + 5 * (d - 1)];
        QCOMPARE(ref.sliderArray, array);
        QCOMPARE(ref.element, element);
    }

    // Cells worked out by hand from the coupling table: (position, colour, direction) and the expected
    // non-zero cells as (row s, column d, coefficient); every other cell of that button is 0.
    void couplingValues_data() {
        QTest::addColumn<int>("p");
        QTest::addColumn<int>("q");
        QTest::addColumn<int>("r");
        QTest::addColumn<QList<int>>("cells");
        QTest::newRow("1 1 1: -6.0 -6.2") << 1 << 1 << 1 << QList<int>{1, 1, -1, 1, 4, -1};
        QTest::newRow("1 1 3: -6.1 +6.3") << 1 << 1 << 3 << QList<int>{1, 2, -1, 1, 3, 1};
        QTest::newRow("1 2 4: +6.3") << 1 << 2 << 4 << QList<int>{1, 3, 1};
        QTest::newRow("5 1 3: -1.1 +1.2 -4.0 +4.2") << 5 << 1 << 3 << QList<int>{4, 2, -1, 4, 3, 1, 5, 2, -1, 5, 3, 1};
        QTest::newRow("5 2 1: +1.3 +4.3") << 5 << 2 << 1 << QList<int>{4, 4, 1, 5, 4, 1};
        QTest::newRow("2 3 4: none") << 2 << 3 << 4 << QList<int>{};
        QTest::newRow("4 3 3: +2.1 +2.2 -5.1 -5.2") << 4 << 3 << 3 << QList<int>{2, 2, 1, 2, 3, 1, 3, 2, -1, 3, 3, -1};
        QTest::newRow("9 3 4: -1.1 -2.1 -4.0 -5.1")
            << 9 << 3 << 4 << QList<int>{4, 2, -1, 2, 2, -1, 5, 2, -1, 3, 2, -1};
        QTest::newRow("7 2 2: -1.3 +2.3 -4.3 -5.3") << 7 << 2 << 2 << QList<int>{4, 4, -1, 2, 4, 1, 5, 4, -1, 3, 4, -1};
    }

    void couplingValues() {
        QFETCH(int, p);
        QFETCH(int, q);
        QFETCH(int, r);
        QFETCH(QList<int>, cells);
        MonitorModel m;
        int expected[6][5] = {};
        for (int i = 0; i + 2 < cells.size(); i += 3)
            expected[cells[i]][cells[i + 1]] = cells[i + 2];
        for (int s = 1; s <= 5; ++s)
            for (int d = 1; d <= 4; ++d) {
                QCOMPARE(m.coupling(p, q, r, s, d), expected[s][d]);
                QCOMPARE(int(m.convergenceCoupling[MonitorModel::couplingIndex(p, q, r, s, d)]), expected[s][d]);
            }
    }

    // Every button of the coupling table, row by row as printed: position, colour, and the entries of the four
    // directions (sign, slider array, ".", element; "none" moves nothing). Rows s and columns d are found through
    // the printed bindings: offset 6 (elements 0, 1, 3, 2), vertical ramp 2, vertical parabola 5, horizontal
    // ramp 1, horizontal parabola 4 (elements 1, 0, 2, 3).
    void couplingTableAsPrinted_data() {
        QTest::addColumn<int>("p");
        QTest::addColumn<int>("q");
        QTest::addColumn<QStringList>("directions");
        QTest::newRow("1 1") << 1 << 1 << QStringList{"-6.0 -6.2", "+6.0 +6.2", "-6.1 +6.3", "+6.1 -6.3"};
        QTest::newRow("1 2") << 1 << 2 << QStringList{"+6.2", "-6.2", "-6.3", "+6.3"};
        QTest::newRow("1 3") << 1 << 3 << QStringList{"+6.0 -6.2", "-6.0 +6.2", "+6.1 +6.3", "-6.1 -6.3"};
        QTest::newRow("2 1") << 2 << 1
                             << QStringList{"+2.0 +2.3 -5.0 -5.3", "-2.0 -2.3 +5.0 +5.3", "+2.1 -2.2 -5.1 +5.2",
                                            "-2.1 +2.2 +5.1 -5.2"};
        QTest::newRow("2 2") << 2 << 2 << QStringList{"-2.3 +5.3", "+2.3 -5.3", "+2.2 -5.2", "-2.2 +5.2"};
        QTest::newRow("2 3") << 2 << 3
                             << QStringList{"-2.0 +2.3 +5.0 -5.3", "+2.0 -2.3 -5.0 +5.3", "+2.1 +2.2 -5.1 -5.2",
                                            "none"};
        QTest::newRow("3 1") << 3 << 1
                             << QStringList{"-2.0 +2.3 +5.0 -5.3", "+2.0 -2.3 -5.0 +5.3", "-2.1 -2.2 -5.1 +5.2",
                                            "+2.1 +2.2 +5.1 -5.2"};
        QTest::newRow("3 2") << 3 << 2 << QStringList{"+2.3 +5.3", "-2.3 -5.3", "-2.2 -5.2", "+2.2 +5.2"};
        QTest::newRow("3 3") << 3 << 3
                             << QStringList{"+2.0 +2.3 -5.0 -5.3", "-2.0 -2.3 +5.0 +5.3", "-2.1 +2.2 -5.1 -5.2",
                                            "none"};
        QTest::newRow("4 1") << 4 << 1
                             << QStringList{"+1.0 +1.3 -4.1 -4.3", "-1.0 -1.3 +4.1 +4.3", "+1.1 -1.2 -4.0 +4.2",
                                            "-1.1 +1.2 +4.0 -4.2"};
        QTest::newRow("4 2") << 4 << 2 << QStringList{"-1.3 +4.3", "+1.3 -4.3", "+1.2 -4.2", "-1.2 +4.2"};
        QTest::newRow("4 3") << 4 << 3
                             << QStringList{"-1.0 +1.3 +4.1 -4.3", "+1.0 -1.3 -4.1 +4.3", "+2.1 +2.2 -5.1 -5.2",
                                            "none"};
        QTest::newRow("5 1") << 5 << 1
                             << QStringList{"-1.0 -1.3 -4.1 -4.3", "+1.0 +1.3 +4.1 +4.3", "-1.1 +1.2 -4.0 +4.2",
                                            "+1.1 -1.2 +4.0 -4.2"};
        QTest::newRow("5 2") << 5 << 2 << QStringList{"+1.3 +4.3", "-1.3 -4.3", "-1.2 -4.2", "+1.2 +4.2"};
        QTest::newRow("5 3") << 5 << 3
                             << QStringList{"+1.0 -1.3 +4.1 -4.3", "-1.0 +1.3 -4.1 +4.3", "-2.1 -2.2 -5.1 -5.2",
                                            "none"};
        QTest::newRow("6 1") << 6 << 1
                             << QStringList{"+1.0 +2.0 -4.1 -5.0", "-1.0 -2.0 +4.1 +5.0", "+1.1 +2.1 -4.0 -5.1",
                                            "-1.1 -2.1 +4.0 +5.1"};
        QTest::newRow("6 2") << 6 << 2
                             << QStringList{"-1.3 -2.3 +4.3 +5.3", "+1.3 +2.3 -4.3 -5.3", "+1.2 +2.2 -4.2 -5.2",
                                            "-1.2 -2.2 +4.2 +5.2"};
        QTest::newRow("6 3") << 6 << 3
                             << QStringList{"-1.0 -2.0 +4.1 +5.0", "+1.0 +2.0 -4.1 -5.0", "-1.1 -2.1 +4.0 +5.1",
                                            "+1.1 +2.1 -4.0 -5.1"};
        QTest::newRow("7 1") << 7 << 1
                             << QStringList{"-1.0 +2.0 -4.1 -5.0", "+1.0 -2.0 +4.1 +5.0", "-1.1 +2.1 -4.0 -5.1",
                                            "+1.1 -2.1 +4.0 +5.1"};
        QTest::newRow("7 2") << 7 << 2
                             << QStringList{"+1.3 -2.3 +4.3 +5.3", "-1.3 +2.3 -4.3 -5.3", "-1.2 +2.2 -4.2 -5.2",
                                            "+1.2 -2.2 +4.2 +5.2"};
        QTest::newRow("7 3") << 7 << 3
                             << QStringList{"+1.0 -2.0 +4.1 +5.0", "-1.0 +2.0 -4.1 -5.0", "+1.1 -2.1 +4.0 +5.1",
                                            "-1.1 +2.1 -4.0 -5.1"};
        QTest::newRow("8 1") << 8 << 1
                             << QStringList{"+1.0 -2.0 -4.1 -5.0", "-1.0 +2.0 +4.1 +5.0", "+1.1 -2.1 -4.0 -5.1",
                                            "-1.1 +2.1 +4.0 +5.1"};
        QTest::newRow("8 2") << 8 << 2
                             << QStringList{"-1.3 +2.3 +4.3 +5.3", "+1.3 -2.3 -4.3 -5.3", "+1.2 -2.2 -4.2 -5.2",
                                            "-1.2 +2.2 +4.2 +5.2"};
        QTest::newRow("8 3") << 8 << 3
                             << QStringList{"-1.0 +2.0 +4.1 +5.0", "+1.0 -2.0 -4.1 -5.0", "-1.1 +2.1 +4.0 +5.1",
                                            "+1.1 -2.1 -4.0 -5.1"};
        QTest::newRow("9 1") << 9 << 1
                             << QStringList{"+1.0 -2.0 -4.1 -5.0", "-1.0 +2.0 +4.1 +5.0", "-1.1 -2.1 -4.0 -5.1",
                                            "+1.1 +2.1 +4.0 +5.1"};
        QTest::newRow("9 2") << 9 << 2
                             << QStringList{"+1.3 +2.3 +4.3 +5.3", "-1.3 -2.3 -4.3 -5.3", "-1.2 -2.2 -4.2 -5.2",
                                            "+1.2 +2.2 +4.2 +5.2"};
        QTest::newRow("9 3") << 9 << 3
                             << QStringList{"-1.0 +2.0 +4.1 +5.0", "+1.0 -2.0 -4.1 -5.0", "+1.1 +2.1 +4.0 +5.1",
                                            "-1.1 -2.1 -4.0 -5.1"};
    }
    void couplingTableAsPrinted() {
        QFETCH(int, p);
        QFETCH(int, q);
        QFETCH(QStringList, directions);
        const QHash<int, int> rowOfArray = {{6, 1}, {2, 2}, {5, 3}, {1, 4}, {4, 5}};
        const QHash<int, QList<int>> elementsOfArray = {
            {6, {0, 1, 3, 2}}, {2, {0, 1, 2, 3}}, {5, {0, 1, 2, 3}}, {1, {0, 1, 2, 3}}, {4, {1, 0, 2, 3}}};
        MonitorModel m;
        for (int r = 1; r <= 4; ++r) {
            int expected[6][5] = {};
            const QString entries = directions[r - 1];
            if (entries != "none")
                for (const QString& e : entries.split(' ')) {
                    const int array = e.mid(1, 1).toInt();
                    const int s = rowOfArray.value(array);
                    const int d = elementsOfArray.value(array).indexOf(e.mid(3, 1).toInt()) + 1;
                    QVERIFY2(s > 0 && d > 0, qPrintable(e));
                    expected[s][d] = e.startsWith('-') ? -1 : 1;
                }
            for (int s = 1; s <= 5; ++s)
                for (int d = 1; d <= 4; ++d)
                    QVERIFY2(m.coupling(p, q, r, s, d) == expected[s][d],
                             qPrintable(QString("direction %1, row %2, column %3").arg(r).arg(s).arg(d)));
        }
    }

    void couplingTableTotals() {
        MonitorModel m;
        int nonZero = 0;
        for (qint16 c : m.convergenceCoupling) {
            QVERIFY(c >= -1 && c <= 1);
            nonZero += c != 0;
        }
        // 20 entries at the centre, 36 at each of positions 2 to 5, 48 at each corner.
        QCOMPARE(nonZero, 20 + 4 * 36 + 4 * 48);
        // Position 5, colour 1, direction 3, row 4 (horizontal ramp) column 2, worked out by hand.
        QCOMPARE(m.convergenceCoupling[922], qint16(-1));
    }
};

QTEST_GUILESS_MAIN(TestMonitorModel)
#include "tst_monitormodel.moc"
