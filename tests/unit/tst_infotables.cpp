// The tables behind the identity, operating-time and operating-mode windows: which numbers each monitor family
// is asked for, what the "Set" buttons send, which texts the operating-time boxes accept, and how the option
// pairs make the operating-mode mask.
#include "model/BoardIdentity.h"
#include "model/OperatingSettings.h"

#include <QtTest>

class InfoTablesTest : public QObject {
    Q_OBJECT
private slots:
    void identityReadsByFirmwareClass_data() {
        QTest::addColumn<int>("firmwareClass");
        QTest::addColumn<bool>("boardIdentity");
        QTest::addColumn<QString>("reads");
        const QString boards = "dmu dsl dml dsd dmd dsc dmc dsv dmv dsp dmp dst dmt dsh dmh dsf dmf dmg dsg";
        QTest::newRow("first family") << 150 << false << "dm ds";
        QTest::newRow("first family, lowest") << 100 << false << "dm ds";
        QTest::newRow("below every family") << 99 << false << "";
        QTest::newRow("board identity") << 250 << true << "dms dss " + boards;
        // 299 runs no set-up: the board identity of an earlier answer stays, the monitor's numbers are read.
        QTest::newRow("299 after a 2.x monitor") << 299 << true << "dms dss " + boards;
        QTest::newRow("299 on its own") << 299 << false << "dms dss";
        // The flat panels answer their own numbers as the second family does; between the families none is read.
        QTest::newRow("flat panel") << 350 << false << "dms dss";
        QTest::newRow("LED flat panel") << 405 << false << "dms dss";
        QTest::newRow("399 between the panel families") << 399 << false << "";
    }
    void identityReadsByFirmwareClass() {
        QFETCH(int, firmwareClass);
        QFETCH(bool, boardIdentity);
        QFETCH(QString, reads);
        QCOMPARE(BoardIdentity::identityReads(firmwareClass, boardIdentity).join(' '), reads);
    }

    void setButtonsSendTheirBoardsNumbers_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("request");
        const QStringList rows[] = {
            {"model", "btnModel", "  KM-2110D ", "cmsKM-2110D"},    {"empty model", "btnModel", "", "cms"},
            {"top-level part", "btnPart", "610-1", "cmu610-1"},     {"LVPS serial", "btnLVPSSerial", "LV-3", "cslLV-3"},
            {"HVPS part", "btnHVPSPart", "H-1", "cmhH-1"},          {"HVPS model", "btnHVPSModel", "H-2", "cmhH-2"},
            {"focus model: no action", "btnFpcusModel", "F-1", ""},
        };
        for (const QStringList& r : rows)
            QTest::newRow(qPrintable(r[0])) << r[1] << r[2] << r[3];
    }
    void setButtonsSendTheirBoardsNumbers() {
        QFETCH(QString, button);
        QFETCH(QString, typed);
        QFETCH(QString, request);
        const BoardIdentity::Row* row = nullptr;
        for (const BoardIdentity::Row& r : BoardIdentity::rows())
            if (button == QLatin1String(r.button))
                row = &r;
        QVERIFY(row);
        QCOMPARE(BoardIdentity::setRequest(*row, typed), request);
    }

    void operatingTimeBoxes_data() {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        enum { days, hours, minutes, seconds, cycles };
        QTest::newRow("days at the maximum") << int(days) << "65535" << true;
        QTest::newRow("days above") << int(days) << "65536" << false;
        QTest::newRow("days with a letter") << int(days) << "12a" << false;
        QTest::newRow("days negative") << int(days) << "-1" << false;
        QTest::newRow("days empty") << int(days) << "" << true;
        QTest::newRow("days, leading zeros") << int(days) << "0000065535" << true;
        QTest::newRow("days, too many digits") << int(days) << "99999999999999999999999" << false;
        QTest::newRow("days with a blank") << int(days) << "12 " << false;
        QTest::newRow("hours 23") << int(hours) << "23" << true;
        QTest::newRow("hours 24") << int(hours) << "24" << false;
        QTest::newRow("minutes 60") << int(minutes) << "60" << true;
        QTest::newRow("minutes above") << int(minutes) << "65536" << false;
        QTest::newRow("seconds 59") << int(seconds) << "59" << true;
        QTest::newRow("seconds 60") << int(seconds) << "60" << false;
        QTest::newRow("cycles are not checked") << int(cycles) << "lots" << true;
    }
    void operatingTimeBoxes() {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(OperatingTimeFields::isValid(OperatingTimeFields::fields()[field], text), valid);
    }

    void aModelTypeReadsBackAsTheMaskThatSetIt() {
        // The answer reports monochrome in bit 8 where the mask carries colour: setting a mask and reading the
        // model type back selects the same options, apart from that bit.
        for (int mask = 0; mask < 64; ++mask) {
            std::array<bool, 6> selected{};
            const auto& pairs = OperatingMode::pairs();
            for (size_t i = 0; i < pairs.size(); ++i)
                selected[i] = OperatingMode::answerSelectsBitOption(pairs[i], mask ^ 8);
            QCOMPARE(OperatingMode::mask(selected), unsigned(mask));
        }
    }
};

QTEST_GUILESS_MAIN(InfoTablesTest)
#include "tst_infotables.moc"
