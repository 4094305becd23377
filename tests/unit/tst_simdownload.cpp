// Boot-block download in the simulated monitor: record checks, flash and SRAM images, and the
// rejected-record fault.

#include "sim/IntelHex.h"
#include "sim/SimMonitor.h"

#include "support/SimAsk.h"

#include <QtTest>

using sim::HexImage;
using sim::HexRecordError;
using sim::SimMonitor;

namespace {

// A small image over two 64 KiB segments, as record lines.
QList<QByteArray> sampleImage() {
    QList<QByteArray> lines;
    QByteArray a;
    for (int i = 0; i < 40; ++i)
        a.append(char(i * 7));
    lines << sim::makeHexRecord(sim::HexData, 0x0100, a.left(16));
    lines << sim::makeHexRecord(sim::HexData, 0x0110, a.mid(16, 16));
    lines << sim::makeHexRecord(sim::HexData, 0x0120, a.mid(32));
    lines << sim::makeHexRecord(sim::HexExtendedLinearAddress, 0, QByteArray("\x00\x01", 2));
    lines << sim::makeHexRecord(sim::HexData, 0x0000, QByteArray("\x12\x34\x56", 3));
    lines << sim::makeHexRecord(sim::HexEndOfFile, 0, QByteArray());
    return lines;
}

} // namespace

class TestSimDownload : public QObject {
    Q_OBJECT

private slots:
    void recordChecks_data();
    void recordChecks();
    void badRecordIsRejectedAndNotWritten_data();
    void badRecordIsRejectedAndNotWritten();
    void flashDownloadProgramsTheImage();
    void endRecordAnswersEofAndEndsTheDownload();
    void sramLoad();
    void flashCannotBeProgrammedTwiceWithoutErase();
    void addressOutOfRange_data();
    void addressOutOfRange();
    void wideImagesAreRefusedAsBinary_data();
    void wideImagesAreRefusedAsBinary();
    void damagedStartCodeDuringDownload();
    void rejectRecordKTimesThenAccept_data();
    void rejectRecordKTimesThenAccept();
    void imageFileRoundTrip();
};

void TestSimDownload::recordChecks_data() {
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<int>("error");
    const int none = int(HexRecordError::None);
    QTest::newRow("data") << QByteArray(":0300300002337A1E") << none;
    QTest::newRow("lower case digits") << QByteArray(":0300300002337a1e") << none;
    QTest::newRow("trailing CR LF") << QByteArray(":00000001FF\r\n") << none;
    QTest::newRow("eof") << QByteArray(":00000001FF") << none;
    QTest::newRow("start code") << QByteArray("00000001FF") << int(HexRecordError::StartCode);
    QTest::newRow("semicolon") << QByteArray(";00000001FF") << int(HexRecordError::StartCode);
    QTest::newRow("empty") << QByteArray() << int(HexRecordError::StartCode);
    QTest::newRow("checksum") << QByteArray(":0300300002337A1F") << int(HexRecordError::Checksum);
    QTest::newRow("length byte too big") << QByteArray(":0400300002337A1D") << int(HexRecordError::Length);
    QTest::newRow("length byte too small") << QByteArray(":0200300002337A1F") << int(HexRecordError::Length);
    QTest::newRow("odd digit count") << QByteArray(":0300300002337A1E0") << int(HexRecordError::Length);
    QTest::newRow("too short") << QByteArray(":0000FF") << int(HexRecordError::Length);
    QTest::newRow("bad digit") << QByteArray(":03003000023G7A1E") << int(HexRecordError::Digit);
    QTest::newRow("unknown type") << QByteArray(":00000006FA") << int(HexRecordError::Type);
    QTest::newRow("eof with data") << QByteArray(":01000001FFFF") << int(HexRecordError::Type);
}

void TestSimDownload::recordChecks() {
    QFETCH(QByteArray, record);
    QFETCH(int, error);
    sim::HexRecord r;
    QCOMPARE(int(sim::parseHexRecord(record, &r)), error);
    if (error == int(HexRecordError::None) && record.mid(7, 2) == "00") {
        QCOMPARE(r.address, quint16(0x0030));
        QCOMPARE(r.data, QByteArray("\x02\x33\x7A", 3));
    }
}

void TestSimDownload::badRecordIsRejectedAndNotWritten_data() {
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("checksum") << QByteArray(":0300300002337A1F") << QByteArray("Bad checksum!");
    QTest::newRow("length") << QByteArray(":0400300002337A1D") << QByteArray("Bad record length!");
    QTest::newRow("digit") << QByteArray(":03003000023G7A1E") << QByteArray("Bad hex digit!");
    QTest::newRow("type") << QByteArray(":00000006FA") << QByteArray("Bad record type!");
}

void TestSimDownload::badRecordIsRejectedAndNotWritten() {
    QFETCH(QByteArray, record);
    QFETCH(QByteArray, message);
    SimMonitor m;
    ask(m, "bf3");
    const QByteArray a = ask(m, record);
    QCOMPARE(a, record + "\r\n" + message);
    QVERIFY(m.flashImage().isEmpty());
    QCOMPARE(m.state().recordsAccepted, 0);
    // The download goes on: the same place accepts a good record.
    QCOMPARE(ask(m, ":0300300002337A1E"), QByteArray(":0300300002337A1E\r\n$"));
    QCOMPARE(m.flashImage().at(0x30), quint8(0x02));
    QCOMPARE(m.flashImage().at(0x32), quint8(0x7A));
}

void TestSimDownload::flashDownloadProgramsTheImage() {
    SimMonitor m;
    QCOMPARE(ask(m, "cz0"), QByteArray("cz0\r\n#"));
    QCOMPARE(ask(m, "cb0"), QByteArray("cb0\r\n#"));
    QCOMPARE(ask(m, "bf3"), QByteArray("bf3\r\nFlash erased\r\n$"));
    const QList<QByteArray> image = sampleImage();
    for (int i = 0; i + 1 < image.size(); ++i)
        QCOMPARE(ask(m, image[i]), image[i] + "\r\n$");
    HexImage expected;
    QVERIFY(HexImage::fromIntelHex(image.join("\r\n"), &expected));
    QCOMPARE(m.flashImage(), expected);
    QCOMPARE(m.flashImage().at(0x10002), quint8(0x56));
    QCOMPARE(quint8(m.state().flash[0x10002]), quint8(0x56));
    QCOMPARE(quint8(m.state().flash[0x0200]), quint8(0xFF)); // erased and never written
}

void TestSimDownload::endRecordAnswersEofAndEndsTheDownload() {
    SimMonitor m;
    ask(m, "bf3");
    const QList<QByteArray> image = sampleImage();
    for (int i = 0; i + 1 < image.size(); ++i)
        ask(m, image[i]);
    const QList<sim::Exchange> out = m.feed(image.last() + "\r\n");
    QCOMPARE(out.size(), 1);
    QCOMPARE(out[0].answer, image.last() + "\r\nEOF\r\n$");
    QCOMPARE(out[0].completed, sim::DownloadTarget::Flash);
    QCOMPARE(m.state().downloadTarget, sim::DownloadTarget::None);
    QVERIFY(m.state().flashValid);
    // Further records belong to no download.
    QVERIFY(ask(m, image.first()).endsWith("No download in progress!"));
    QVERIFY(ask(m, "g").endsWith('#'));
}

void TestSimDownload::sramLoad() {
    SimMonitor m(sim::SimProfile::byName("2.10"), true);
    QVERIFY(ask(m, "f").endsWith("No SRAM program loaded!"));
    // The SRAM loader answers with the firmware's prompt in either mode.
    QCOMPARE(ask(m, "bs"), QByteArray("bs\r\nReady for SRAM load\r\n#"));
    const QByteArray rec = sim::makeHexRecord(sim::HexData, 0x8000, QByteArray("\xAA\xBB", 2));
    QCOMPARE(ask(m, rec), rec + "\r\n$");
    const QByteArray start = sim::makeHexRecord(sim::HexStartLinearAddress, 0, QByteArray("\x00\x00\x80\x00", 4));
    QVERIFY(ask(m, start).endsWith('$'));
    const QList<sim::Exchange> out = m.feed(":00000001FF\r\n");
    QCOMPARE(out.value(0).answer, QByteArray(":00000001FF\r\nEOF\r\n$"));
    QCOMPARE(out.value(0).completed, sim::DownloadTarget::Sram);
    QCOMPARE(m.sramImage().size(), 2);
    QVERIFY(m.flashImage().isEmpty());
    QVERIFY(m.state().flashValid); // an SRAM load leaves the flash alone
    QCOMPARE(ask(m, "f"), QByteArray("f\r\nRunning SRAM program at 0x8000\r\n$"));
}

void TestSimDownload::flashCannotBeProgrammedTwiceWithoutErase() {
    SimMonitor m;
    ask(m, "bf3");
    const QByteArray rec = sim::makeHexRecord(sim::HexData, 0x0040, QByteArray("\x0F\xF0", 2));
    QVERIFY(ask(m, rec).endsWith('$'));
    // The same record again (a repeat after a lost acknowledgement) programs nothing new.
    QVERIFY(ask(m, rec).endsWith('$'));
    const QByteArray other = sim::makeHexRecord(sim::HexData, 0x0040, QByteArray("\xF0\x0F", 2));
    QVERIFY(ask(m, other).endsWith("Flash verify error!"));
    QCOMPARE(m.flashImage().at(0x40), quint8(0x0F));
}

void TestSimDownload::addressOutOfRange_data() {
    QTest::addColumn<QByteArray>("load");
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("base");
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("length");
    const int linear = sim::HexExtendedLinearAddress;
    const int segment = sim::HexExtendedSegmentAddress;
    QTest::newRow("flash, past its end") << QByteArray("bf3") << linear << QByteArray("\x00\x02", 2) << 0 << 1;
    QTest::newRow("flash, last bytes overhang") << QByteArray("bf3") << linear << QByteArray("\x00\x01", 2) << 0xFFF8 << 9;
    QTest::newRow("flash, runs past its record's 64 KiB")
        << QByteArray("bf3") << linear << QByteArray("\x00\x00", 2) << 0xFFF8 << 16;
    QTest::newRow("flash, wraps past 2^32") << QByteArray("bf3") << linear << QByteArray("\xFF\xFF", 2) << 0xFFF8 << 8;
    QTest::newRow("flash, wraps far past 2^32") << QByteArray("bf3") << linear << QByteArray("\xFF\xFF", 2) << 0xFFFF << 255;
    QTest::newRow("flash, high segment") << QByteArray("bf3") << segment << QByteArray("\xFF\xFF", 2) << 0xFFF0 << 16;
    QTest::newRow("SRAM, wraps past 2^32") << QByteArray("bs") << linear << QByteArray("\xFF\xFF", 2) << 0xFFF8 << 16;
    QTest::newRow("SRAM, past its end") << QByteArray("bs") << linear << QByteArray("\x00\x00", 2) << 0xFFFF << 2;
}

// A record outside the flash or SRAM is rejected with its reason and "!", however its end is computed, and
// nothing is written anywhere; the download goes on with the next good record.
void TestSimDownload::addressOutOfRange() {
    QFETCH(QByteArray, load);
    QFETCH(int, type);
    QFETCH(QByteArray, base);
    QFETCH(int, address);
    QFETCH(int, length);
    SimMonitor m;
    ask(m, load);
    const QByteArray flashBefore = m.state().flash;
    const QByteArray sramBefore = m.state().sram;
    const QByteArray memoryBefore = m.state().memory;
    QVERIFY(ask(m, sim::makeHexRecord(type, 0, base)).endsWith(m.bootMode() ? '$' : '#'));
    const QByteArray record = sim::makeHexRecord(sim::HexData, quint16(address), QByteArray(length, '\x5A'));
    QCOMPARE(ask(m, record), record + "\r\nAddress out of range!");
    QCOMPARE(m.state().flash, flashBefore);
    QCOMPARE(m.state().sram, sramBefore);
    QCOMPARE(m.state().memory, memoryBefore);
    QVERIFY(m.flashImage().isEmpty());
    QVERIFY(m.sramImage().isEmpty());

    ask(m, sim::makeHexRecord(sim::HexExtendedLinearAddress, 0, QByteArray("\x00\x00", 2)));
    QVERIFY(!ask(m, sim::makeHexRecord(sim::HexData, 0x10, QByteArray("\x01", 1))).endsWith('!'));
}

// An image too wide for a binary file is refused with the reason, not allocated; its Intel-HEX form is written.
void TestSimDownload::wideImagesAreRefusedAsBinary_data() {
    QTest::addColumn<quint32>("low");
    QTest::addColumn<quint32>("high");
    QTest::addColumn<bool>("binaryWritten");
    QTest::newRow("1 MiB with a gap") << quint32(0x10) << quint32(0x100010) << true;
    QTest::newRow("2 GiB") << quint32(0) << quint32(0x7FFFFFFF) << false;
    QTest::newRow("the whole address space") << quint32(0) << quint32(0xFFFFFFFF) << false;
}

void TestSimDownload::wideImagesAreRefusedAsBinary() {
    QFETCH(quint32, low);
    QFETCH(quint32, high);
    QFETCH(bool, binaryWritten);
    HexImage image;
    QVERIFY(image.write(low, QByteArray("\x11", 1)));
    QVERIFY(image.write(high, QByteArray("\x22", 1)));
    QCOMPARE(image.span(), quint64(high) - low + 1);
    QTemporaryDir dir;
    const QString bin = dir.filePath("wide.bin");
    if (binaryWritten) {
        QVERIFY(image.saveToFile(bin));
        QFile f(bin);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray raw = f.readAll();
        QCOMPARE(raw, image.toBinary());
        QCOMPARE(quint64(raw.size()), image.span());
        QCOMPARE(raw.front(), '\x11');
        QCOMPARE(raw.back(), '\x22');
        QCOMPARE(raw.count('\xFF'), raw.size() - 2);
        return;
    }
    QString error;
    QVERIFY(!image.saveToFile(bin, &error));
    QVERIFY2(error.contains("2 GiB"), qPrintable(error));
    QVERIFY(!QFile::exists(bin));
    QVERIFY(image.toBinary().isEmpty());
    QVERIFY(image.saveToFile(dir.filePath("wide.hex")));
    HexImage back;
    QFile hex(dir.filePath("wide.hex"));
    QVERIFY(hex.open(QIODevice::ReadOnly));
    QVERIFY(HexImage::fromIntelHex(hex.readAll(), &back));
    QCOMPARE(back, image);
}

void TestSimDownload::damagedStartCodeDuringDownload() {
    SimMonitor m;
    ask(m, "bf3");
    QCOMPARE(ask(m, "=0300300002337A1E"), QByteArray("=0300300002337A1E\r\nBad start code!"));
    QCOMPARE(ask(m, "0300300002337A1E"), QByteArray("0300300002337A1E\r\nBad start code!"));
    // Commands still work in the middle of a download.
    QCOMPARE(ask(m, "p"), QByteArray("p\r\n$"));
}

void TestSimDownload::rejectRecordKTimesThenAccept_data() {
    QTest::addColumn<int>("k");
    QTest::addColumn<int>("times");
    QTest::newRow("first record once") << 1 << 1;
    QTest::newRow("third record six times") << 3 << 6;
    QTest::newRow("end record twice") << 6 << 2;
}

void TestSimDownload::rejectRecordKTimesThenAccept() {
    QFETCH(int, k);
    QFETCH(int, times);
    SimMonitor m;
    m.setRejectRecord(k, times);
    const QList<QByteArray> image = sampleImage();
    for (int round = 0; round < 2; ++round) {
        // Each download rejects record k again.
        ask(m, "bf3");
        int rejections = 0;
        for (int i = 0; i < image.size(); ++i) {
            QByteArray a = ask(m, image[i]);
            while (a.endsWith('!')) {
                QCOMPARE(i + 1, k);
                QCOMPARE(a, image[i] + "\r\nBad checksum!");
                ++rejections;
                QVERIFY(rejections <= times);
                a = ask(m, image[i]);
            }
            QVERIFY(a.endsWith('$'));
        }
        QCOMPARE(rejections, times);
        QVERIFY(m.state().flashValid);
        HexImage expected;
        QVERIFY(HexImage::fromIntelHex(image.join("\n"), &expected));
        QCOMPARE(m.flashImage(), expected);
    }
}

void TestSimDownload::imageFileRoundTrip() {
    HexImage image;
    QVERIFY(HexImage::fromIntelHex(sampleImage().join("\r\n"), &image));
    QCOMPARE(image.size(), 43);
    QCOMPARE(image.lowestAddress(), quint32(0x0100));
    QCOMPARE(image.highestAddress(), quint32(0x10002));
    HexImage again;
    QVERIFY(HexImage::fromIntelHex(image.toIntelHex(8), &again));
    QCOMPARE(again, image);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString hexPath = dir.filePath("out.hex");
    const QString binPath = dir.filePath("out.bin");
    QVERIFY(image.saveToFile(hexPath));
    QVERIFY(image.saveToFile(binPath));
    QFile hex(hexPath);
    QVERIFY(hex.open(QIODevice::ReadOnly));
    HexImage fromFile;
    QVERIFY(HexImage::fromIntelHex(hex.readAll(), &fromFile));
    QCOMPARE(fromFile, image);
    QFile bin(binPath);
    QVERIFY(bin.open(QIODevice::ReadOnly));
    const QByteArray raw = bin.readAll();
    QCOMPARE(raw.size(), 0x10002 - 0x0100 + 1);
    QCOMPARE(quint8(raw[1]), quint8(7));
    QCOMPARE(quint8(raw[0x200]), quint8(0xFF));

    QString error;
    QVERIFY(!HexImage::fromIntelHex(":0300300002337A1E\n:0300300002337A1F\n", nullptr, &error));
    QVERIFY(error.contains("line 2"));
    // A record whose end lies past 2^32 does not wrap round to address 0.
    const QByteArray wrapping = sim::makeHexRecord(sim::HexExtendedLinearAddress, 0, QByteArray("\xFF\xFF", 2)) +
                                "\n" + sim::makeHexRecord(sim::HexData, 0xFFFE, QByteArray(4, '\x01'));
    QVERIFY(!HexImage::fromIntelHex(wrapping, nullptr, &error));
    QCOMPARE(error, QString("line 2: Address out of range"));
    HexImage edge;
    QVERIFY(!edge.write(0xFFFFFFFE, QByteArray(3, '\x01')));
    QVERIFY(edge.isEmpty());
    QVERIFY(edge.write(0xFFFFFFFE, QByteArray(2, '\x01')));
}

QTEST_GUILESS_MAIN(TestSimDownload)
#include "tst_simdownload.moc"
