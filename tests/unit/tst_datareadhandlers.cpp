#include "model/DataFile.h"
#include "model/MonitorModel.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/Dispatcher.h"

#include <QMetaMethod>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

// Every answer goes the way the monitor's answers go: through dispatch to the handlers.
struct Rig {
    MonitorModel model;
    DataReadHandlers handlers{model};
    Dispatcher dispatcher{model, &handlers};
    std::vector<std::unique_ptr<QSignalSpy>> spies;

    Rig() {
        const QMetaObject* mo = handlers.metaObject();
        for (int i = mo->methodOffset(); i < mo->methodCount(); ++i)
            if (mo->method(i).methodType() == QMetaMethod::Signal)
                spies.push_back(std::make_unique<QSignalSpy>(&handlers, mo->method(i)));
    }
    void send(const QString& answer) { dispatcher.dispatchAnswer(answer); }
    int emitted() const {
        int n = 0;
        for (const auto& s : spies)
            n += s->count();
        return n;
    }
    // Everything the data file would save, with every scan set ticked, plus what the file does not hold.
    QByteArray snapshot() {
        MonitorModel& m = model;
        const bool responding = m.monitorResponding;
        const auto enabled = m.scanSetEnabled;
        m.monitorResponding = true;
        m.scanSetEnabled.fill(1);
        DataFile file(m);
        file.setTimestamp([] { return QString(); });
        QByteArray s = file.contents();
        m.monitorResponding = responding;
        m.scanSetEnabled = enabled;
        s += QByteArray::number(m.firmwareClass) + ' ' + QByteArray::number(m.hasBoardIdentity) + ' ' +
             QByteArray::number(m.capabilityMask()) + ' ' + QByteArray::number(m.suppressControlEvents);
        for (const QString& n : m.scanSetNames)
            s += n.toUtf8();
        // The file holds known values only: the tables and their origins themselves show what an answer wrote.
        for (const DacGroup* g : m.allGroups())
            s += QByteArray(reinterpret_cast<const char*>(&g->value), sizeof(g->value)) +
                 QByteArray(reinterpret_cast<const char*>(&g->factoryValue), sizeof(g->factoryValue)) +
                 QByteArray(reinterpret_cast<const char*>(&g->initialValue), sizeof(g->initialValue)) +
                 QByteArray(reinterpret_cast<const char*>(&g->origins), sizeof(g->origins));
        return s;
    }
};

QVector<int> ints(const QVariant& v) {
    return v.value<QVector<int>>();
}

} // namespace

class TestDataReadHandlers : public QObject {
    Q_OBJECT

private slots:
    void identity_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("board");
        QTest::addColumn<bool>("serial");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        QTest::newRow("convergence part, leading line end") << "\r\ndmc\r\nModel Number = 123-45\r\n#"
                                                            << "C" << false << "123-45"
                                                            << "";
        QTest::newRow("monitor model") << "dms\r\nModel Number = MX 2100\r\n#"
                                       << "S" << false << "MX 2100"
                                       << "modelNumber";
        QTest::newRow("monitor serial") << "dss\r\nSerial Number = SN77\r\n#"
                                        << "S" << true << "SN77"
                                        << "serialNumber";
        QTest::newRow("monitor part") << "dmu\r\nModel Number = P-1\r\n#"
                                      << "U" << false << "P-1"
                                      << "partNumber";
        QTest::newRow("crt part") << "dmt\r\nModel Number = T-9\r\n#"
                                  << "T" << false << "T-9"
                                  << "crtPartNumber";
        QTest::newRow("crt serial") << "dst\r\nSerial Number = TS-9\r\n#"
                                    << "T" << true << "TS-9"
                                    << "crtSerialNumber";
        QTest::newRow("video part, upper case") << "DMV\r\nModel Number = V9\r\n#"
                                                << "V" << false << "V9"
                                                << "";
        QTest::newRow("lv supply serial") << "dsl\r\nSerial Number = L1\r\n#"
                                          << "L" << true << "L1"
                                          << "";
        QTest::newRow("g2 part") << "dmg\r\nModel Number = G\r\n#"
                                 << "G" << false << "G"
                                 << "";
        QTest::newRow("focus serial, no prompt") << "dsf\r\nSerial Number = F7\r\n"
                                                 << "F" << true << "F7"
                                                 << "";
    }

    void identity() {
        QFETCH(QString, answer);
        QFETCH(QString, board);
        QFETCH(bool, serial);
        QFETCH(QString, text);
        QFETCH(QString, field);
        Rig r;
        QSignalSpy spy(&r.handlers, &DataReadHandlers::identityRead);
        r.send(answer);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).value<QChar>(), board.at(0));
        QCOMPARE(spy.at(0).at(1).toBool(), serial);
        QCOMPARE(spy.at(0).at(2).toString(), text);
        const QMap<QString, QString> fields{{"modelNumber", r.model.modelNumber},
                                            {"serialNumber", r.model.serialNumber},
                                            {"partNumber", r.model.partNumber},
                                            {"crtPartNumber", r.model.crtPartNumber},
                                            {"crtSerialNumber", r.model.crtSerialNumber}};
        for (auto it = fields.begin(); it != fields.end(); ++it)
            QCOMPARE(it.value(), it.key() == field ? text : QString());
    }

    void firmwareVersion_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("firmwareClass");
        QTest::addColumn<bool>("setUp");
        QTest::addColumn<bool>("boardIdentity");
        // hasBoardIdentity starts true, so a class without set-up shows that it is left alone.
        QTest::newRow("2.10") << "df\r\nV 2.10\r\n#"
                              << "V 2.10" << 210 << true << true;
        QTest::newRow("1.38") << "df\r\nV 1.38\r\n#"
                              << "V 1.38" << 138 << true << false;
        QTest::newRow("1.50 no set-up") << "df\r\nV 1.50\r\n#"
                                        << "V 1.50" << 150 << false << true;
        QTest::newRow("2.15 rounds up") << "df\r\nV 2.15\r\n#"
                                        << "V 2.15" << 215 << true << true;
        QTest::newRow("2.98") << "df\r\nV 2.98\r\n#"
                              << "V 2.98" << 298 << true << true;
        QTest::newRow("2.99 no set-up") << "df\r\nV 2.99\r\n#"
                                        << "V 2.99" << 299 << false << true;
        QTest::newRow("3.15") << "df\r\nV 3.15\r\n#"
                              << "V 3.15" << 315 << true << false;
        QTest::newRow("3.99 no set-up") << "df\r\nV 3.99\r\n#"
                                        << "V 3.99" << 399 << false << true;
        QTest::newRow("4.10") << "df\r\nV 4.10\r\n#"
                              << "V 4.10" << 410 << true << false;
        QTest::newRow("5.00 no set-up") << "df\r\nV 5.00\r\n#"
                                        << "V 5.00" << 500 << false << true;
        QTest::newRow("replayed from a file") << "df\r\nV 2.10"
                                              << "V 2.10" << 210 << true << true;
        QTest::newRow("other separator") << "DF\r\nV:1.2\r\n#"
                                         << "V 1.2" << 120 << true << false;
    }

    void firmwareVersion() {
        QFETCH(QString, answer);
        QFETCH(QString, shown);
        QFETCH(int, firmwareClass);
        QFETCH(bool, setUp);
        QFETCH(bool, boardIdentity);
        Rig r;
        r.model.hasBoardIdentity = true;
        QSignalSpy label(&r.handlers, &DataReadHandlers::firmwareVersionRead);
        QSignalSpy family(&r.handlers, &DataReadHandlers::familySetUpRequested);
        r.send(answer);
        QCOMPARE(label.count(), 1);
        QCOMPARE(label.at(0).at(0).toString(), shown);
        QCOMPARE(r.model.firmwareVersion, shown);
        QCOMPARE(r.model.firmwareClass, firmwareClass);
        QCOMPARE(family.count(), setUp ? 1 : 0);
        if (setUp)
            QCOMPARE(family.at(0).at(0).toInt(), firmwareClass);
        QCOMPARE(r.model.hasBoardIdentity, boardIdentity);
    }

    void familyRanges_data() {
        QTest::addColumn<int>("firmwareClass");
        QTest::addColumn<int>("family");
        for (auto [c, f] : std::vector<std::pair<int, int>>{{0, 1},
                                                            {100, 1},
                                                            {138, 1},
                                                            {139, 0},
                                                            {199, 0},
                                                            {200, 2},
                                                            {298, 2},
                                                            {299, 0},
                                                            {300, 3},
                                                            {398, 3},
                                                            {399, 0},
                                                            {400, 4},
                                                            {498, 4},
                                                            {499, 0},
                                                            {32767, 0}})
            QTest::addRow("%d", c) << c << f;
    }

    void familyRanges() {
        QFETCH(int, firmwareClass);
        QFETCH(int, family);
        QCOMPARE(DataReadHandlers::familyOf(firmwareClass), family);
    }

    void offsetRows_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QVector<int>>("values");
        QTest::newRow("current, slider positions") << "dfd\r\nOffsets:\r\n1,-2,3,4,5,-128\r\n#" << int(DacKind::Current)
                                                   << QVector<int>{129, 126, 131, 132, 133, 0};
        QTest::newRow("factory") << "dff\r\nFactory:\r\n10,20,30,40,50,-60\r\n#" << int(DacKind::Factory)
                                 << QVector<int>{10, 20, 30, 40, 50, -60};
        QTest::newRow("initial") << "dfp\r\nInitial:\r\n 7, 8,9,10,11,12\r\n#" << int(DacKind::Initial)
                                 << QVector<int>{7, 8, 9, 10, 11, 12};
        QTest::newRow("a short row ends where the numbers end")
            << "dff\r\nFactory:\r\n10,-1,\r\n#" << int(DacKind::Factory) << QVector<int>{10, -1};
        QTest::newRow("garbled: nothing taken")
            << "dfd\r\nOffsets:\r\n-1,x\r\n#" << int(DacKind::Current) << QVector<int>{};
    }

    void offsetRows() {
        QFETCH(QString, answer);
        QFETCH(int, kind);
        QFETCH(QVector<int>, values);
        Rig r;
        QSignalSpy spy(&r.handlers, &DataReadHandlers::offsetRowRead);
        r.send(answer);
        QCOMPARE(spy.count(), values.isEmpty() ? 0 : 1);
        if (!values.isEmpty()) {
            QCOMPARE(int(spy.at(0).at(0).value<DacKind>()), kind);
            QCOMPARE(ints(spy.at(0).at(1)), values);
        }
        QCOMPARE(r.model.firmwareClass, 0);
    }

    void bootEpromVersion() {
        Rig r;
        QSignalSpy spy(&r.handlers, &DataReadHandlers::bootEpromVersionRead);
        r.send(QStringLiteral("de\r\nV 1.05\r\n#"));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("V 1.05"));
        QCOMPARE(r.model.romVersion, QStringLiteral("V 1.05"));
        QCOMPARE(r.model.firmwareClass, 0);
    }

    void bootBlock_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("autoBoot");
        QString nine = QStringLiteral("db\r\n");
        QStringList expected;
        for (int k = 0; k < 9; ++k) {
            const QString byte = QString::number(0x10 + k * 0x11, 16).toUpper().rightJustified(2, QLatin1Char('0'));
            nine += QStringLiteral("Block %1 = 0x%2\r\n").arg(k).arg(byte);
            expected << byte;
        }
        QTest::newRow("nine and auto boot") << nine + "auto boot enabled\r\n#" << expected << "enabled";
        QTest::newRow("auto boot off, no line end") << nine + "auto boot off" << expected << "off";
        QTest::newRow("three only") << "db\r\nA = 0x01\r\nB = 0x2\r\nC = 0xFF" << QStringList{"01", "2\r", "FF"}
                                    << QString();
        QTest::newRow("tenth ignored") << nine + "Block 9 = 0x99\r\n#" << expected << QString();
    }

    void bootBlock() {
        QFETCH(QString, answer);
        QFETCH(QStringList, values);
        QFETCH(QString, autoBoot);
        Rig r;
        QSignalSpy changed(&r.handlers, &DataReadHandlers::statesChanged);
        r.send(answer);
        QCOMPARE(changed.count(), 1);
        const MonitorStates& s = r.model.states;
        QCOMPARE(s.bootBlock.value(), values);
        QCOMPARE(s.autoBoot.known(), !autoBoot.isNull());
        QCOMPARE(s.autoBoot.value(), autoBoot.isNull() ? QString() : autoBoot);
    }

    void currentScanSet_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("name");
        QTest::newRow("both") << "dc\r\nConfig Number = 3\r\nConfig Name = 1280x1024 @ 60\r\nH Freq = 64.0\r\n#" << 3
                              << "1280x1024 @ 60";
        QTest::newRow("blank before number") << "dc\r\nConfig Number =   12\r\n#" << 12 << QString();
        QTest::newRow("long name cut to 72")
            << "dc\r\nConfig Number = 1\r\nConfig Name = " + QString(80, QLatin1Char('n')) + "\r\n#" << 1
            << QString(72, QLatin1Char('n'));
        QTest::newRow("name only") << "dc\r\nConfig Name = Video\r\n#" << -1 << "Video";
    }

    void currentScanSet() {
        QFETCH(QString, answer);
        QFETCH(int, number);
        QFETCH(QString, name);
        Rig r;
        QSignalSpy numbers(&r.handlers, &DataReadHandlers::currentScanSetNumberRead);
        QSignalSpy names(&r.handlers, &DataReadHandlers::currentScanSetNameRead);
        r.send(answer);
        QCOMPARE(numbers.count(), number < 0 ? 0 : 1);
        if (number >= 0)
            QCOMPARE(numbers.at(0).at(0).toInt(), number);
        QCOMPARE(names.count(), name.isNull() ? 0 : 1);
        if (!name.isNull())
            QCOMPARE(names.at(0).at(0).toString(), name);
        // Until a scan set is chosen, the tool follows the monitor's named scan set of 1 to 6; once chosen, never.
        const bool follows = !name.isNull() && number >= 1 && number <= 6;
        QCOMPARE(r.model.currentScanSet, qint16(follows ? number - 1 : 0));
        r.model.currentScanSet = 0;
        r.model.scanSetChosen = true;
        r.send(answer);
        QCOMPARE(r.model.currentScanSet, qint16(0));
    }

    void scanSetList() {
        Rig r;
        QSignalSpy spy(&r.handlers, &DataReadHandlers::scanSetEntryRead);
        r.send(QStringLiteral("ddn\r\n0,1,Main\r\n1,0,Second, with comma\r\n2,2,Third\r\n3,0,Fourth\r\n"
                              "4,1,Fifth\r\n5,1,Sixth\r\n#"));
        QCOMPARE(spy.count(), 6);
        QCOMPARE(r.model.scanSetNames[0], QStringLiteral("Main"));
        QCOMPARE(r.model.scanSetNames[1], QStringLiteral("Second, with comma"));
        QCOMPARE(spy.at(2).at(2).toInt(), 0); // a flag above 1 counts as 0
        // The monitor's switches tick nothing for saving: that is the user's choice.
        QVERIFY(r.model.scanSetEnabled == decltype(r.model.scanSetEnabled){});
        QCOMPARE(spy.at(4).at(0).toInt(), 4);
        QCOMPARE(spy.at(4).at(1).toString(), QStringLiteral("Fifth"));
        QCOMPARE(spy.at(4).at(2).toInt(), 1);
    }

    void scanSetListStops_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("entries");
        QTest::addColumn<QString>("nameOfZero");
        QTest::newRow("short list ends at the prompt") << "ddn\r\n0,1,A\r\n1,1,B\r\n#" << 2 << "A";
        QTest::newRow("index above the count counts as 0") << "ddn\r\n9,1,Nine\r\n#" << 1 << "Nine";
        QTest::newRow("index equal to the count has no row")
            << "ddn\r\n6,1,Six\r\n0,1,Zero\r\n#" << 0 << "Scan Set 1 Title";
        QTest::newRow("negative index counts as 0") << "ddn\r\n-3,1,Minus\r\n#" << 1 << "Minus";
    }

    void scanSetListStops() {
        QFETCH(QString, answer);
        QFETCH(int, entries);
        QFETCH(QString, nameOfZero);
        Rig r;
        QSignalSpy spy(&r.handlers, &DataReadHandlers::scanSetEntryRead);
        r.send(answer);
        QCOMPARE(spy.count(), entries);
        QCOMPARE(r.model.scanSetNames[0], nameOfZero);
    }

    void operatingTime_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("cycles");
        QTest::addColumn<QVector<int>>("fields");
        QTest::newRow("carry through every field") << "dt\r\n100,23,59,50\r\n0,0,0,15\r\n37\r\n#"
                                                   << "101:00:00:05"
                                                   << "37" << QVector<int>{101, 0, 0, 5, 37};
        QTest::newRow("du answer") << "du\r\n2,3,4,5\r\n1,1,1,1\r\n1200\r\n#"
                                   << "3:04:05:06"
                                   << "1200" << QVector<int>{3, 4, 5, 6, 1200};
        QTest::newRow("garbled field") << "dt\r\n1,2,x,4\r\n0,0,0,0\r\n5\r\n#" << QString() << QString()
                                       << QVector<int>();
        QTest::newRow("noise in a number")
            << "dt\r\n1,2,3,4\r\n0,0,1u,0\r\n5\r\n#" << QString() << QString() << QVector<int>();
        QTest::newRow("large minutes") << "dt\r\n0,0,150,0\r\n0,0,0,0\r\n0\r\n#"
                                       << "0:02:30:00"
                                       << "0" << QVector<int>{0, 2, 30, 0, 0};
        QTest::newRow("blanks") << "dt\r\n 4, 5, 6, 7\r\n 0, 0, 0, 0\r\n 9\r\n#"
                                << "4:05:06:07"
                                << "9" << QVector<int>{4, 5, 6, 7, 9};
    }

    void operatingTime() {
        QFETCH(QString, answer);
        QFETCH(QString, time);
        QFETCH(QString, cycles);
        QFETCH(QVector<int>, fields);
        Rig r;
        QSignalSpy spy(&r.handlers, &DataReadHandlers::operatingTimeRead);
        QSignalSpy garbled(&r.handlers, &DataReadHandlers::answerGarbled);
        r.send(answer);
        // A field that is not a clean number: nothing is taken, and the time is read again.
        QCOMPARE(garbled.count(), time.isEmpty() ? 1 : 0);
        QCOMPARE(spy.count(), time.isEmpty() ? 0 : 1);
        if (time.isEmpty())
            return;
        QCOMPARE(spy.at(0).at(0).toString(), time);
        QCOMPARE(spy.at(0).at(1).toString(), cycles);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(spy.at(0).at(2 + i).toInt(), fields[i]);
        QCOMPARE(r.model.operatingTime, time);
        QCOMPARE(r.model.operatingCycles, cycles);
    }

    void panelStatus_data() {
        QTest::addColumn<int>("firmwareClass");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("vertical");
        QTest::addColumn<QString>("horizontal");
        QTest::addColumn<int>("photocell"); // -1 none, 0 disabled, 1 enabled
        QTest::addColumn<QStringList>("limits");
        QTest::addColumn<QStringList>("hysteresis");
        QTest::addColumn<QString>("software"); // "" none, else brightness and contrast flags as "EE", "ED", ...
        const QString limits = QStringLiteral("Limits 10,21.5,-3,40,50,60,70,80,2,3\r\n");
        const QStringList eight{" 10", " 22", "-3", " 40", " 50", " 60", " 70", " 80"};
        QTest::newRow("class 250, everything") << 250 << "dp\r\n1 0 Photocell Enabled\r\n" + limits + "BC 0 1\r\n#"
                                               << "Not Operating"
                                               << "Operating" << 1 << eight << QStringList{" 2", " 3"} << "ED";
        QTest::newRow("class 300, hysteresis but no options")
            << 300 << "dp\r\n0 1\r\n" + limits + "BC 1 0\r\n#"
            << "Operating"
            << "Not Operating" << -1 << eight << QStringList{" 2", " 3"} << "";
        QTest::newRow("class 215, neither") << 215 << "dp\r\n0 0 Photocell Disabled\r\n" + limits + "BC 0 0\r\n#"
                                            << "Operating"
                                            << "Operating" << 0 << eight << QStringList() << "";
        QTest::newRow("class 216, options") << 216 << "dp\r\nx x\r\nBC 5 0\r\n#"
                                            << ""
                                            << "" << -1 << QStringList() << QStringList() << "DE";
        QTest::newRow("dps answer begins with its selector") << 250 << "dps\r\n1 1\r\n#"
                                                             << ""
                                                             << "" << -1 << QStringList() << QStringList() << "";
        QTest::newRow("short limits re-read the last")
            << 100 << "dp\r\n1\r\nLimits 4,5\r\n#"
            << "Not Operating"
            << "" << -1 << QStringList{" 4", " 5", " 5", " 5", " 5", " 5", " 5", " 5"} << QStringList() << "";
    }

    void panelStatus() {
        QFETCH(int, firmwareClass);
        QFETCH(QString, answer);
        QFETCH(QString, vertical);
        QFETCH(QString, horizontal);
        QFETCH(int, photocell);
        QFETCH(QStringList, limits);
        QFETCH(QStringList, hysteresis);
        QFETCH(QString, software);
        Rig r;
        r.model.firmwareClass = firmwareClass;
        r.send(answer);
        // The deflection status is the model's; a flag the answer does not carry is not known.
        const auto state = [&r](const QString& caption) {
            const DiagnosticReading* known = r.model.diagnostics.find(caption);
            return known ? known->text : QString();
        };
        QCOMPARE(state(DiagnosticCaptions::verticalDeflection()), vertical);
        QCOMPARE(state(DiagnosticCaptions::horizontalDeflection()), horizontal);
        const MonitorStates& st = r.model.states;
        QCOMPARE(st.photocellEnabled.known() ? int(st.photocellEnabled.value()) : -1, photocell);
        auto shown = [](int n) { return (n < 0 ? QString() : QStringLiteral(" ")) + QString::number(n); };
        QStringList limitsShown, hysteresisShown;
        if (st.limits.known())
            for (int n : st.limits.value())
                limitsShown << shown(n);
        QCOMPARE(limitsShown, limits);
        if (st.contrastHysteresis.known())
            hysteresisShown << shown(st.contrastHysteresis.value()) << shown(st.brightnessHysteresis.value());
        QCOMPARE(hysteresisShown, hysteresis);
        auto flag = [](const Reported<bool>& f) { return f.value() ? QLatin1Char('E') : QLatin1Char('D'); };
        QCOMPARE(st.brightnessSoftware.known() ? QString(flag(st.brightnessSoftware)) + flag(st.contrastSoftware)
                                               : QString(),
                 software);
    }

    void modelType_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("type");
        QTest::newRow("hex") << "dw\r\nModel Type = 0x25\r\n#" << 37;
        QTest::newRow("octal") << "dw\r\nModel Type = 045\r\n#" << 37;
        QTest::newRow("decimal 63") << "dw\r\nModel Type = 63\r\n#" << 63;
        QTest::newRow("decimal 1") << "dw\r\nModel Type = 1\r\n#" << 1;
    }

    void modelType() {
        QFETCH(QString, answer);
        QFETCH(int, type);
        Rig r;
        QSignalSpy spy(&r.handlers, &DataReadHandlers::statesChanged);
        r.send(answer);
        QCOMPARE(spy.count(), 1);
        // Kept as "cw" takes it: bit 8 the other way round.
        QCOMPARE(r.model.states.operatingMode.value(), type ^ 8);
        QCOMPARE(r.model.states.operatingMode.origin(), Origin::Read);
    }

    void capability_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("mask");
        QTest::newRow("hex") << "dx\r\nCapability = 0x2C\r\n#" << 0x2C;
        QTest::newRow("decimal all") << "dx\r\nCapability = 255\r\n#" << 255;
        QTest::newRow("label after other text") << "dx\r\nBoards: Capability = 0x10\r\n#" << 0x10;
        QTest::newRow("above 8 bits") << "dx\r\nCapability = 0x123\r\n#" << 0x23;
        QTest::newRow("zero clears") << "dx\r\nCapability = 0\r\n#" << 0;
    }

    void capability() {
        QFETCH(QString, answer);
        QFETCH(int, mask);
        Rig r;
        r.model.setCapabilities(0x41);
        bool suppressedWhileShown = false;
        connect(&r.handlers, &DataReadHandlers::capabilityRead, this,
                [&](int) { suppressedWhileShown = r.model.suppressControlEvents; });
        QSignalSpy spy(&r.handlers, &DataReadHandlers::capabilityRead);
        r.send(answer);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), mask);
        QCOMPARE(r.model.capabilityMask(), mask);
        QCOMPARE(r.model.hasConvergence, bool(mask & 32));
        QVERIFY(suppressedWhileShown);
        QVERIFY(!r.model.suppressControlEvents);
    }

    void filamentDuty_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("reading");
        QTest::addColumn<QString>("text");
        QTest::newRow("steady") << "drs\r\nDuty Cycle = 50\r\n#"
                                << "S"
                                << "50";
        QTest::newRow("warm-up") << "drw\r\nDuty Cycle = 75%\r\n#"
                                 << "W"
                                 << "75%";
        QTest::newRow("immediate") << "drf\r\nDuty Cycle = 12\r\n#"
                                   << "F"
                                   << "12";
        QTest::newRow("immediate m") << "DRM\r\nDuty Cycle = 3\r\n#"
                                     << "M"
                                     << "3";
    }

    void filamentDuty() {
        QFETCH(QString, answer);
        QFETCH(QString, reading);
        QFETCH(QString, text);
        Rig r;
        r.send(answer);
        const MonitorStates& s = r.model.states;
        QCOMPARE((reading == "S"   ? s.filamentSteady
                  : reading == "W" ? s.filamentWarmup
                                   : s.filamentImmediate)
                     .value(),
                 text);
    }

    // DAC answers at scan set 2: the accepted values, where they land, and the extra "Horiz S Cap" number. A list
    // with a field that is not a clean number within 0 to 255 is garbled: nothing of it is taken (no values).
    void dacValues_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("group");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QVector<int>>("values");
        QTest::addColumn<int>("sCap"); // -1000: none
        const int cur = int(DacKind::Current);
        const int fac = int(DacKind::Factory);
        const int ini = int(DacKind::Initial);
        QTest::newRow("ddl garbled by 300") << "ddl\r\n10,20,30,300,50\r\n#"
                                            << "L" << cur << QVector<int>{} << -1000;
        QTest::newRow("ddl garbled by noise") << "ddl\r\n10,17u,30\r\n#"
                                              << "L" << cur << QVector<int>{} << -1000;
        QTest::newRow("ddv garbled by a bracket") << "ddv\r\n14),2\r\n#"
                                                  << "V" << cur << QVector<int>{} << -1000;
        QTest::newRow("ddl blanks around a number") << "ddl\r\n 10 ,20\r\n#"
                                                    << "L" << cur << QVector<int>{10, 20} << -1000;
        QTest::newRow("ddl takes the count") << "ddl\r\n1,2,3,4,5,6,7,8,9\r\n#"
                                             << "L" << cur << QVector<int>{1, 2, 3, 4, 5, 6, 7, 8} << -1000;
        QTest::newRow("ddfl") << "ddfl\r\n0,255,3\r\n#"
                              << "L" << fac << QVector<int>{0, 255, 3} << -1000;
        QTest::newRow("ddpl garbled by a negative") << "ddpl\r\n4,-1,6\r\n#"
                                                    << "L" << ini << QVector<int>{} << -1000;
        QTest::newRow("ddb") << "ddb\r\n5,6,7\r\n#"
                             << "B" << cur << QVector<int>{5, 6} << -1000;
        QTest::newRow("ddfb") << "ddfb\r\n8,9\r\n#"
                              << "B" << fac << QVector<int>{8, 9} << -1000;
        QTest::newRow("ddv") << "ddv\r\n1,2,3,4,5,6,7,8\r\n#"
                             << "V" << cur << QVector<int>{1, 2, 3, 4, 5, 6, 7} << -1000;
        QTest::newRow("ddpv") << "ddpv\r\n11,12,13,14,15,16,17\r\n#"
                              << "V" << ini << QVector<int>{11, 12, 13, 14, 15, 16, 17} << -1000;
        // 128 to 255 is beyond the "Horiz S Cap" row's 127: the row limits its slider and shows the real value.
        QTest::newRow("ddh extra above 127 kept") << "ddh\r\n1,2,3,4,200\r\n#"
                                                  << "H" << cur << QVector<int>{1, 2, 3, 4} << 200;
        QTest::newRow("ddh extra") << "ddh\r\n1,2,3,4,100\r\n#"
                                   << "H" << cur << QVector<int>{1, 2, 3, 4} << 100;
        QTest::newRow("ddh garbled by the extra") << "ddh\r\n1,2,3,4,256\r\n#"
                                                  << "H" << cur << QVector<int>{} << -1000;
        QTest::newRow("ddfh extra") << "ddfh\r\n1,2,3,4,7\r\n#"
                                    << "H" << fac << QVector<int>{1, 2, 3, 4} << 7;
        QTest::newRow("ddph extra missing") << "ddph\r\n9,8,7,6,\r\n#"
                                            << "H" << ini << QVector<int>{9, 8, 7, 6} << -1000;
        // Above a slider's 63 is still the monitor's value: the row shows it; garbled numbers stop.
        QTest::newRow("dds keeps 64") << "dds\r\n10,20,63,64\r\n#"
                                      << "S" << cur << QVector<int>{10, 20, 63, 64} << -1000;
        QTest::newRow("ddfs kept above 63") << "ddfs\r\nNS factory\r\n10,200,255,6\r\n#"
                                            << "S" << fac << QVector<int>{10, 200, 255, 6} << -1000;
        QTest::newRow("ddps") << "ddps\r\nNS initial\r\n1,2,3,4\r\n#"
                              << "S" << ini << QVector<int>{1, 2, 3, 4} << -1000;
        QTest::newRow("dda after the line feed after the comma") << "dda\r\nConv DC, offsets\r\n1,2,3,255\r\n#"
                                                                 << "A" << cur << QVector<int>{1, 2, 3, 255} << -1000;
        QTest::newRow("ddd garbled above 255") << "ddd\r\nH ramp\r\n1,64,256,4\r\n#"
                                               << "D" << cur << QVector<int>{} << -1000;
        QTest::newRow("dde") << "dde\r\nV ramp\r\n5,6,7,8\r\n#"
                             << "E" << cur << QVector<int>{5, 6, 7, 8} << -1000;
        QTest::newRow("ddg") << "ddg\r\nPurity\r\n0,63,1,2\r\n#"
                             << "G" << cur << QVector<int>{0, 63, 1, 2} << -1000;
        QTest::newRow("ddi") << "ddi\r\nHP\r\n1,1,1,1\r\n#"
                             << "I" << cur << QVector<int>{1, 1, 1, 1} << -1000;
        QTest::newRow("ddk") << "ddk\r\nVP\r\n2,2,2,2\r\n#"
                             << "K" << cur << QVector<int>{2, 2, 2, 2} << -1000;
        QTest::newRow("ddfa") << "ddfa\r\nDC, factory\r\n5,6,7,8\r\n#"
                              << "A" << fac << QVector<int>{5, 6, 7, 8} << -1000;
        QTest::newRow("ddfd full range") << "ddfd\r\nHR, factory\r\n200,6,7,8\r\n#"
                                         << "D" << fac << QVector<int>{200, 6, 7, 8} << -1000;
        QTest::newRow("ddpk") << "ddpk\r\nVP, initial\r\n9,10,11,12\r\n#"
                              << "K" << ini << QVector<int>{9, 10, 11, 12} << -1000;
        QTest::newRow("ddpg garbled at 256") << "ddpg\r\nP, initial\r\n9,256,11,12\r\n#"
                                             << "G" << ini << QVector<int>{} << -1000;
    }

    void dacValues() {
        QFETCH(QString, answer);
        QFETCH(QString, group);
        QFETCH(int, kind);
        QFETCH(QVector<int>, values);
        QFETCH(int, sCap);
        Rig r;
        r.model.currentScanSet = 2;
        QSignalSpy spy(&r.handlers, &DataReadHandlers::dacValuesRead);
        QSignalSpy extra(&r.handlers, &DataReadHandlers::horizontalSCapRead);
        QSignalSpy garbled(&r.handlers, &DataReadHandlers::answerGarbled);
        r.send(answer);
        QCOMPARE(spy.count(), values.isEmpty() ? 0 : 1);
        QCOMPARE(garbled.count(), values.isEmpty() ? 1 : 0);
        if (!values.isEmpty()) {
            QCOMPARE(spy.at(0).at(0).value<QChar>(), group.at(0));
            QCOMPARE(int(spy.at(0).at(1).value<DacKind>()), kind);
            QCOMPARE(ints(spy.at(0).at(2)), values);
        }

        const DacGroup* g = r.model.group(group.at(0));
        const DacTable table = kind == int(DacKind::Current)   ? DacTable::Value
                               : kind == int(DacKind::Factory) ? DacTable::Factory
                                                               : DacTable::Initial;
        for (int i = 0; i < DacGroup::dacSlots; ++i) {
            int expected = i < values.size() ? values[i] : 0;
            if (i == MonitorModel::horizontalSCapIndex && sCap != -1000 && group == QLatin1String("H"))
                expected = sCap;
            QCOMPARE(int(g->table(table)[i][2]), expected);
            QCOMPARE(g->origin(table, i, 2), expected || i < values.size() ? Origin::Read : Origin::Unknown);
            QCOMPARE(int(g->table(table)[i][0]), 0);
        }
        QCOMPARE(extra.count(), sCap == -1000 ? 0 : 1);
        if (sCap != -1000)
            QCOMPARE(extra.at(0).at(1).toInt(), sCap);
        // Live values written by an answer are not committed.
        QCOMPARE(int(g->committedValue[0][2]), 0);
    }

    // A garbled answer is read again, but not for ever: after two fresh reads in a row it is only reported.
    void garbledAnswersAreReadAgainTwice() {
        Rig r;
        QSignalSpy garbled(&r.handlers, &DataReadHandlers::answerGarbled);
        for (int i = 0; i < 3; ++i)
            r.send(QStringLiteral("ddfv\r\n1,2x\r\n#"));
        r.send(QStringLiteral("ddfv\r\n1,2\r\n#"));
        r.send(QStringLiteral("ddfv\r\n1,2x\r\n#"));
        QStringList rereads;
        for (const QList<QVariant>& args : garbled)
            rereads << args.at(1).toString();
        QCOMPARE(rereads, QStringList({"ddfv", "ddfv", QString(), "ddfv"}));
    }

    void valuesWithoutAScanSetColumnAreOnlyShown() {
        Rig r;
        r.model.currentScanSet = 7; // after "DeSelect"
        const QByteArray before = r.snapshot();
        QSignalSpy spy(&r.handlers, &DataReadHandlers::dacValuesRead);
        r.send(QStringLiteral("ddl\r\n1,2,3\r\n#"));
        r.send(QStringLiteral("ddfh\r\n1,2,3,4,5\r\n#"));
        r.send(QStringLiteral("ddpa\r\nx,\r\n1,2,3,4\r\n#"));
        QCOMPARE(spy.count(), 3);
        QCOMPARE(r.snapshot(), before);
    }

    // Answers that are malformed, truncated or meant for no handler here change nothing and show nothing.
    void malformedAnswersAreIgnored_data() {
        QTest::addColumn<QString>("answer");
        for (const char* a : {"",
                              "\r\n",
                              "d",
                              "dd",
                              "ddf",
                              "ddp",
                              "ddfn\r\n1,2,3\r\n#",
                              "ddx\r\n1,2",
                              "dfd\r\n1,2,3,4,5,6",
                              "dfd\r\nheader!\r\n1,2,3,4,5,6\r\n#",
                              "dfd\r\nOffsets:\r\n#",
                              "dff\r\nFactory:\r\n\r\n#",
                              "dfp\r\nInitial:\r\n, ,\r\n#",
                              "dfz\r\n\r\n1,2\r\n#",
                              "df",
                              "df\r\n#",
                              "df\r\nV 2.10!\r\n#",
                              "df\r\nV\r\n#",
                              "df\r\nV x.y\r\n#",
                              "df\r\nV 2.1.0\r\n#",
                              "df\r\nV 99999\r\n#",
                              "de",
                              "de\r\n#",
                              "de\r\nV 1.0!\r\n#",
                              "dm\r\nModel Number = X\r\n#",
                              "ds\r\nSerial Number = X\r\n#",
                              "dsu\r\nSerial Number = X\r\n#",
                              "dmc\r\nModel = X\r\n#",
                              "dmz\r\nModel Number = X\r\n#",
                              "db",
                              "db\r\nnothing here\r\n#",
                              "dc",
                              "dc\r\n#",
                              "ddn",
                              "ddn\r\n#",
                              "ddn\r\nno commas\r\n#",
                              "dt",
                              "dt\r\n#",
                              "dt\r\n1,2,3,4\r\n",
                              "dt\r\nx\r\n1\r\n1\r\n#",
                              "du\r\n#",
                              "dw",
                              "dw\r\n#",
                              "dw\r\nModel Type = 0\r\n#",
                              "dw\r\nModel Type = 64\r\n#",
                              "dw\r\nModel Type = x\r\n#",
                              "dx",
                              "dx\r\n#",
                              "dx\r\nCapability = none\r\n#",
                              "dr",
                              "drs\r\n#",
                              "drz\r\nDuty Cycle = 5\r\n#",
                              "dp",
                              "dp\r\n#",
                              "ddl",
                              "ddl\r\n#",
                              "ddl\r\n-5,1,2",
                              "ddh\r\n999",
                              "dds\r\nx",
                              "dda\r\n",
                              "ddfa\r\nno comma\r\n#",
                              "ddfs\r\nheader only",
                              "c\r\n#",
                              "x\r\n#"})
            QTest::newRow(QString::fromLatin1(a).replace("\r", "\\r").replace("\n", "\\n").toLatin1().constData())
                << QString::fromLatin1(a);
        QString garbage;
        for (int i = 0; i < 512; ++i)
            garbage += QChar((i * 37 + 11) % 256);
        QTest::newRow("binary after d") << QStringLiteral("d") + garbage;
        QTest::newRow("binary after ddl") << QStringLiteral("ddl") + garbage;
    }

    void malformedAnswersAreIgnored() {
        QFETCH(QString, answer);
        Rig r;
        r.model.currentScanSet = 1;
        const QByteArray before = r.snapshot();
        QSignalSpy garbled(&r.handlers, &DataReadHandlers::answerGarbled);
        r.send(answer);
        QCOMPARE(r.emitted(), garbled.count()); // a damaged DAC list is reported, nothing else
        QCOMPARE(r.snapshot(), before);
    }

    // Every answer the writer's data-file replay produces, then a monitor's, end up in the same model fields.
    void readingAFileRunsTheFamilySetUp() {
        MonitorModel source;
        source.monitorResponding = true;
        source.firmwareVersion = QStringLiteral("V 2.10");
        source.romVersion = QStringLiteral("V 1.05");
        source.firmwareClass = 210;
        source.setOrigin(MonitorModel::firmwareVersionKey, Origin::Read);
        source.setOrigin(MonitorModel::romVersionKey, Origin::Read);
        QTemporaryDir dir;
        DataFile writer(source);
        writer.openForWriting(dir.filePath(QStringLiteral("f.mdv")));
        QVERIFY(writer.writeMdf().ok);

        Rig r;
        DataFile reader(r.model);
        reader.setDispatch([&r](const QString& answer) { r.send(answer); });
        QSignalSpy family(&r.handlers, &DataReadHandlers::familySetUpRequested);
        reader.openForReading(dir.filePath(QStringLiteral("f.mdv")));
        QVERIFY(reader.readMdf().ok);
        QCOMPARE(r.model.firmwareVersion, QStringLiteral("V 2.10"));
        QCOMPARE(r.model.romVersion, QStringLiteral("V 1.05"));
        QCOMPARE(r.model.firmwareClass, 210);
        QVERIFY(r.model.hasBoardIdentity);
        QCOMPARE(family.count(), 1);
    }
};

QTEST_GUILESS_MAIN(TestDataReadHandlers)
#include "tst_datareadhandlers.moc"
