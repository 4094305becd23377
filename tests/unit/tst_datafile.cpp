#include "model/DataFile.h"
#include "model/MonitorModel.h"
#include "support/ScratchFileSystem.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include "support/KnownValues.h"

#include <QtTest>

namespace {

const QString stamp = QStringLiteral("1/2/2026 10:11:12 AM");

// The three lines every file starts with; the third is padded so that short test files pass the size check.
QByteArray header() {
    return QByteArrayLiteral("\"Kestrane Monitor DAC Value File\"\r\n\"Version 2.0\"\r\n"
                             "\"File Created: \",\"1/2/2026 10:11:12 AM, padding the header to a useful size\"\r\n");
}

QList<QByteArray> linesOf(const QByteArray& data) {
    QList<QByteArray> lines = data.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// Gives every file-group cell of scan set s a distinct value.
void fillScanSet(MonitorModel& m, int s) {
    int n = 1 + s * 7;
    for (DacGroup* g : m.fileGroups())
        for (int dac = 0; dac < DacGroup::dacSlots; ++dac) {
            g->set(DacTable::Value, dac, s, n % 256, Origin::Read);
            g->set(DacTable::Factory, dac, s, (n + 1) % 256, Origin::Read);
            g->set(DacTable::Initial, dac, s, (n + 2) % 256, Origin::Read);
            n += 3;
        }
}

} // namespace

class TestDataFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    QString writeRaw(const QString& name, const QByteArray& data) const {
        QFile f(path(name));
        if (!f.open(QIODevice::WriteOnly))
            return QString();
        f.write(data);
        return f.fileName();
    }

    static void connectedModel(MonitorModel& m) {
        m.monitorResponding = true;
        m.firmwareClass = 210;
        m.modelNumber = QStringLiteral("MX-2100");
        m.serialNumber = QStringLiteral("SN 0042");
        m.partNumber = QStringLiteral("P-77, rev \"B\"");
        m.crtSerialNumber = QStringLiteral("CRT-S1");
        m.crtPartNumber = QStringLiteral("CRT-P1");
        m.firmwareVersion = QStringLiteral("V 2.10");
        m.romVersion = QStringLiteral("V 1.05");
        m.operatingTime = QStringLiteral("101:00:00:05");
        m.operatingCycles = QStringLiteral("37");
        m.hvUpperLimit = 310;
        m.hvLowerLimit = -12;
        markAllRead(m);
    }

private slots:
    void writeWithoutMonitor() {
        MonitorModel m;
        DataFile f(m);
        f.setTimestamp([] { return stamp; });
        const QList<QByteArray> lines = linesOf(f.contents());
        QCOMPARE(lines.size(), 15);
        for (const QByteArray& l : lines)
            QVERIFY2(l.endsWith('\r') && l.count('\r') == 1, l.constData());
        QCOMPARE(lines[0], QByteArray("\"Kestrane Monitor DAC Value File\"\r"));
        QCOMPARE(lines[1], QByteArray("\"Version 2.0\"\r"));
        QCOMPARE(lines[2], QByteArray("\"File Created: \",\"1/2/2026 10:11:12 AM\"\r"));
        QCOMPARE(lines[3], QByteArray("\"NumScanSets\",6\r"));
        const char* counts[] = {"\"NumLDacs\",8",   "\"NumBDacs\",2",   "\"NumHDacs\",4",   "\"NumVDacs\",7",
                                "\"NumNDacs\",3",   "\"NumCODacs\",4",  "\"NumCHRDacs\",4", "\"NumCHPDacs\",4",
                                "\"NumCVRDacs\",4", "\"NumCVPDacs\",4", "\"NumCPPDacs\",4"};
        for (int i = 0; i < 11; ++i)
            QCOMPARE(lines[4 + i], QByteArray(counts[i]) + '\r');
    }

    void identityLines_data() {
        QTest::addColumn<int>("firmwareClass");
        QTest::addColumn<bool>("crtLines");
        QTest::addColumn<QString>("unread"); // the key of a value nobody read, whose line is left out
        QTest::newRow("class 99") << 99 << false << QString();
        QTest::newRow("class 100") << 100 << true << QString();
        QTest::newRow("class 210") << 210 << true << QString();
        QTest::newRow("class 299") << 299 << true << QString();
        QTest::newRow("class 300") << 300 << false << QString();
        QTest::newRow("class 410") << 410 << false << QString();
        QTest::newRow("part number not read") << 210 << true << "Part Number";
        QTest::newRow("CRT serial number not read") << 210 << true << "CRT Serial Number";
        QTest::newRow("HV upper limit not read") << 210 << true << "HV Upper";
    }

    void identityLines() {
        QFETCH(int, firmwareClass);
        QFETCH(bool, crtLines);
        QFETCH(QString, unread);
        MonitorModel m;
        connectedModel(m);
        m.firmwareClass = firmwareClass;
        const QHash<QString, QString> keys{{"Part Number", MonitorModel::boardKey(QLatin1Char('U'), false)},
                                           {"CRT Serial Number", MonitorModel::boardKey(QLatin1Char('T'), true)},
                                           {"HV Upper", MonitorModel::hvUpperLimitKey}};
        if (!unread.isEmpty())
            m.setOrigin(keys.value(unread), Origin::Unknown);
        DataFile f(m);
        f.setTimestamp([] { return stamp; });
        const QList<QByteArray> lines = linesOf(f.contents());
        QList<QByteArray> expected{"\"Model Number: \",\"MX-2100\"\r", "\"Serial Number: \",\"SN 0042\"\r",
                                   "\"Part Number: \",\"P-77, rev 'B'\"\r"};
        if (crtLines)
            expected << "\"CRT Serial Number: \",\"CRT-S1\"\r"
                     << "\"CRT Part Number: \",\"CRT-P1\"\r";
        expected << "\"Firmware Version: \",\"V 2.10\"\r"
                 << "\"ROM Version: \",\"V 1.05\"\r"
                 << "\"Operating Hours: \",\"101:00:00:05\"\r"
                 << "\"Operating Cycles: \",\"37\"\r"
                 << "\"HV Upper Limit: \",\"310\"\r"
                 << "\"HV Lower Limit: \",\"-12\"\r"
                 << "\"NumScanSets\",6\r";
        if (!unread.isEmpty())
            expected.removeIf([&](const QByteArray& line) { return line.startsWith("\"" + unread.toLatin1()); });
        QCOMPARE(lines.mid(3, expected.size()), expected);
        QCOMPARE(lines.size(), 3 + expected.size() + 11);
        // Limits not read from the monitor connected now are no limits of it.
        m.forgetMonitorValues();
        QVERIFY(!f.contents().contains("HV Upper Limit") && !f.contents().contains("HV Lower Limit"));
    }

    void scanSetBlocks() {
        MonitorModel m;
        m.scanSetEnabled = {1, 2, 1, 0, 0, 2, 1, 1, 1, 1};
        markAllRead(m);
        fillScanSet(m, 2);
        DataFile f(m);
        const QList<QByteArray> lines = linesOf(f.contents());
        // Header, NumScanSets and 11 counts, then two blocks (scan sets 0 and 2) of 2 + 49 lines.
        QCOMPARE(lines.size(), 15 + 2 * 51);
        QCOMPARE(lines[15], QByteArray("\"ScanSet\",0\r"));
        QCOMPARE(lines[16], QByteArray("\"ScanSetName\",\"Scan Set 1 Title\"\r"));
        QCOMPARE(lines[17], QByteArray("\"Master Contrast\",0,0,0\r"));
        QCOMPARE(lines[66], QByteArray("\"ScanSet\",2\r"));
        QCOMPARE(lines[67], QByteArray("\"ScanSetName\",\"Scan Set 3 Title\"\r"));
        // The horizontal DACs 0 to 3 are followed by "Horiz S Cap" and then the vertical group.
        QVERIFY(lines[68 + 8 + 2 + 3].startsWith("\"Trace Rotation\","));
        const DacGroup& h = m.horizontalGroup;
        QCOMPARE(lines[68 + 8 + 2 + 4], QStringLiteral("\"Horiz S Cap\",%1,%2,%3\r")
                                            .arg(h.value[8][2])
                                            .arg(h.factoryValue[8][2])
                                            .arg(h.initialValue[8][2])
                                            .toLatin1());
        QVERIFY(lines[68 + 8 + 2 + 5].startsWith("\"Vertical Size\","));
        QVERIFY(lines.last().startsWith("\"Convergence HParabola Balance\","));
    }

    void writeThenReadRestoresTheModel() {
        MonitorModel source;
        connectedModel(source);
        source.scanSetEnabled[0] = 1;
        source.scanSetEnabled[3] = 1;
        source.scanSetNames[0] = QStringLiteral("1280x1024 @ 60, main");
        source.scanSetNames[3] = QStringLiteral("VGA");
        source.verticalGroup.count = 5;
        fillScanSet(source, 0);
        fillScanSet(source, 3);
        DataFile writer(source);
        int restarts = 0;
        writer.setUpdateAllStarter([&restarts] { ++restarts; });
        writer.openForWriting(path(QStringLiteral("roundtrip.mdv")));
        QVERIFY(writer.writeMdf().ok);
        QCOMPARE(restarts, 1);
        QVERIFY(!source.FileIsOpen);
        QCOMPARE(source.DiskFileNum, 0);

        MonitorModel target;
        DataFile reader(target);
        QStringList dispatched;
        reader.setDispatch([&dispatched](const QString& answer) { dispatched << answer; });
        QSignalSpy identity(&reader, &DataFile::identityLoaded);
        QSignalSpy names(&reader, &DataFile::scanSetNameLoaded);
        target.dataChanged = true;
        reader.openForReading(path(QStringLiteral("roundtrip.mdv")));
        const DataFileResult r = reader.readMdf();
        QVERIFY2(r.ok, qPrintable(r.message));
        QVERIFY(target.FileIsOpen);
        QVERIFY(target.fileOpenForReading);
        QVERIFY(!target.dataChanged);
        QCOMPARE(target.fileTitle, QStringLiteral("roundtrip.mdv"));

        QCOMPARE(dispatched, (QStringList{QStringLiteral("df\r\nV 2.10"), QStringLiteral("de\r\nV 1.05")}));
        QCOMPARE(target.modelNumber, source.modelNumber);
        QCOMPARE(target.serialNumber, source.serialNumber);
        QCOMPARE(target.partNumber, QStringLiteral("P-77, rev 'B'")); // double quotes cannot be stored
        QCOMPARE(target.crtSerialNumber, source.crtSerialNumber);
        QCOMPARE(target.crtPartNumber, source.crtPartNumber);
        QCOMPARE(target.operatingTime, source.operatingTime);
        QCOMPARE(target.operatingCycles, source.operatingCycles);
        QCOMPARE(target.hvUpperLimit, qint16(310));
        QCOMPARE(target.hvLowerLimit, qint16(-12));
        QCOMPARE(identity.count(), 5);
        QCOMPARE(identity.at(0).at(0).value<QChar>(), QLatin1Char('S'));
        QCOMPARE(identity.at(0).at(2).toString(), QStringLiteral("MX-2100"));
        QCOMPARE(names.count(), 2);
        QCOMPARE(target.scanSetNames[0], source.scanSetNames[0]);
        QCOMPARE(target.scanSetNames[3], QStringLiteral("VGA"));
        QCOMPARE(target.verticalGroup.count, qint16(5));

        const QVector<DacGroup*> sourceGroups = source.fileGroups();
        const QVector<DacGroup*> targetGroups = target.fileGroups();
        int compared = 0;
        for (int g = 0; g < sourceGroups.size(); ++g) {
            const DacGroup& a = *sourceGroups[g];
            const DacGroup& b = *targetGroups[g];
            for (int dac = 0; dac < DacGroup::dacSlots; ++dac) {
                const bool written = (dac < a.count && !a.names[dac].isEmpty()) || (g == 2 && dac == 8);
                for (int s : {0, 3}) {
                    const qint16 expect = written ? a.value[dac][s] : qint16(0);
                    QCOMPARE(b.value[dac][s], expect);
                    QCOMPARE(b.committedValue[dac][s], expect);
                    QCOMPARE(b.factoryValue[dac][s], written ? a.factoryValue[dac][s] : qint16(0));
                    QCOMPARE(b.initialValue[dac][s], written ? a.initialValue[dac][s] : qint16(0));
                    compared += written;
                }
            }
        }
        QCOMPARE(compared, 2 * (49 - 2));                   // vertical count 5 instead of 7
        QCOMPARE(target.videoGroup.value[2][1], qint16(0)); // scan set 1 was not written
    }

    void writeKeepsTheOldFileWhenItFails() {
        MonitorModel m;
        DataFile f(m);
        const QString target = path(QStringLiteral("missing-dir/sub/x.mdv"));
        f.openForWriting(target);
        m.dataChanged = true;
        const DataFileResult r = f.writeMdf();
        QVERIFY(!r.ok);
        QVERIFY(r.message.contains(QStringLiteral("x.mdv")));
        QVERIFY(m.FileIsOpen); // still open for another attempt
        QVERIFY(m.dataChanged);
        QVERIFY(!QFile::exists(target));

        // A directory in the way is not replaced.
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("taken.mdv")));
        f.openForWriting(path(QStringLiteral("taken.mdv")));
        QVERIFY(!f.writeMdf().ok);
        QVERIFY(QFileInfo(path(QStringLiteral("taken.mdv"))).isDir());
    }

    // Saving onto a disk that is full or read-only: the failure is reported with its cause, the previous file
    // keeps every byte, no temporary file is left behind and the data still counts as changed. A read-only
    // folder whose file is writable is written in place.
    void saveOnAHostileDisk_data() {
        QTest::addColumn<QString>("disk");
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QString>("cause");
        QTest::newRow("full disk") << "full" << false << "No space left on device";
        QTest::newRow("read-only disk") << "read-only" << false << "Read-only file system";
        QTest::newRow("read-only folder, writable file") << "bound" << true << "";
        QTest::newRow("read-only folder, writable file, full") << "bound full" << false << "No space left on device";
        QTest::newRow("device that is always full") << "device" << false << "No space left on device";
    }

    void saveOnAHostileDisk() {
        QFETCH(QString, disk);
        QFETCH(bool, saved);
        QFETCH(QString, cause);
        QString why;
        const bool scratch = ScratchFileSystem::available(&why);
        if (disk != QLatin1String("device") && !scratch)
            QSKIP(qPrintable(QStringLiteral("needs scratch file systems: ") + why));
        // Without scratch file systems the system's /dev/full serves, which this user cannot replace.
        if (disk == QLatin1String("device") && !scratch && !QFileInfo::exists(QStringLiteral("/dev/full")))
            QSKIP("no /dev/full here");

        const QByteArray previous = header() + "\"NumScanSets\",6\r\n";
        ScratchFileSystem folder(64 * 1024);
        ScratchFileSystem fileDisk(64 * 1024);
        QString target = folder.filePath(QStringLiteral("unit.mdv"));
        QVERIFY(folder.put(QStringLiteral("unit.mdv"), previous));
        if (disk == QLatin1String("full")) {
            QVERIFY(folder.fill());
        } else if (disk == QLatin1String("read-only")) {
            QVERIFY(folder.makeReadOnly());
        } else if (disk.startsWith(QLatin1String("bound"))) {
            QVERIFY(fileDisk.put(QStringLiteral("unit.mdv"), previous));
            QVERIFY(folder.makeReadOnly());
            QVERIFY(ScratchFileSystem::bindFile(fileDisk.filePath(QStringLiteral("unit.mdv")), target));
            if (disk.endsWith(QLatin1String("full")))
                QVERIFY(fileDisk.fill());
        } else if (scratch) {
            QVERIFY(folder.makeFullDevice(QStringLiteral("full")));
            target = folder.filePath(QStringLiteral("full"));
        } else {
            target = QStringLiteral("/dev/full");
        }
        const QStringList entriesBefore = QDir(folder.path()).entryList(QDir::Files);

        MonitorModel m;
        connectedModel(m);
        for (int i = 0; i < MonitorModel::scanSetWindowRows; ++i) {
            m.scanSetEnabled[i] = 1;
            fillScanSet(m, i);
        }
        DataFile f(m);
        f.setTimestamp([] { return stamp; });
        f.openForWriting(target);
        m.dataChanged = true;
        const QByteArray contents = f.contents();
        QVERIFY(contents.size() > 4 * previous.size()); // an in-place write overruns what the old file held
        const DataFileResult r = f.writeMdf();

        QCOMPARE(r.ok, saved);
        QCOMPARE(m.dataChanged, !saved);
        QCOMPARE(m.FileIsOpen, !saved);
        if (!saved) {
            QCOMPARE(r.message, QStringLiteral("In WriteMDF, the file %1 could not be written: %2.\r"
                                               "The previous file is unchanged.")
                                    .arg(QFileInfo(target).fileName(), cause));
        }
        if (disk == QLatin1String("device")) {
            QVERIFY(!QFileInfo(target).isFile()); // written to, never replaced
            return;
        }
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), entriesBefore);
        QFile back(target);
        QVERIFY(back.open(QIODevice::ReadOnly));
        QCOMPARE(back.readAll(), saved ? contents : previous);
    }

    void writeReplacesAnOpenFile() {
        const QString p = writeRaw(QStringLiteral("replace.mdv"), QByteArray(500, 'x'));
        MonitorModel m;
        DataFile f(m);
        f.openForReading(p);
        const int readHandle = m.DiskFileNum;
        m.dataChanged = true;
        QVERIFY(f.writeMdf().ok);
        QVERIFY(!m.dataChanged);
        QVERIFY(!m.FileIsOpen);
        QVERIFY(readHandle >= 1 && readHandle <= 255);
        QFile back(p);
        QVERIFY(back.open(QIODevice::ReadOnly));
        QVERIFY(back.readAll().startsWith("\"Kestrane Monitor DAC Value File\"\r\n"));
    }

    void preconditions_data() {
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("handle");
        QTest::addColumn<bool>("write");
        QTest::addColumn<QString>("message");
        QTest::newRow("write, no file") << false << 1 << true << "InWriteMDF, FileIsOpen is False";
        QTest::newRow("write, handle 0") << true << 0 << true << "In WriteMDF, DiskFileNum is out of range";
        QTest::newRow("write, handle 256") << true << 256 << true << "In WriteMDF, DiskFileNum is out of range";
        QTest::newRow("read, no file") << false << 1 << false << "No File Is Open - Can't Finish Read Operation";
        QTest::newRow("read, handle 0") << true << 0 << false << "In ReadMDF, DiskFileNum is out of range";
        QTest::newRow("read, handle -3") << true << -3 << false << "In ReadMDF, DiskFileNum is out of range";
    }

    void preconditions() {
        QFETCH(bool, open);
        QFETCH(int, handle);
        QFETCH(bool, write);
        QFETCH(QString, message);
        MonitorModel m;
        DataFile f(m);
        int restarts = 0;
        f.setUpdateAllStarter([&restarts] { ++restarts; });
        m.filePath = path(QStringLiteral("never.mdv"));
        m.FileIsOpen = open;
        m.DiskFileNum = handle;
        m.dataChanged = true;
        const DataFileResult r = write ? f.writeMdf() : f.readMdf();
        QVERIFY(!r.ok);
        QCOMPARE(r.message, message);
        QCOMPARE(restarts, 0);
        QVERIFY(m.dataChanged);
        QVERIFY(!QFile::exists(m.filePath));
    }

    void formatErrors_data() {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("message");
        const QByteArray pad = "\r\n\"File Created: \",\"" + QByteArray(120, '.') + "\"\r\n";
        QTest::newRow("99 bytes") << header().left(99) << "File bad.mdv is not a valid .mdv file";
        QTest::newRow("empty") << QByteArray() << "File bad.mdv is not a valid .mdv file";
        QTest::newRow("first line in other case")
            << "\"Kestrane Monitor DAC value File\"\r\n\"Version 2.0\"" + pad << "File bad.mdv is not in .mdv format";
        QTest::newRow("second line wrong") << "\"Kestrane Monitor DAC Value File\"\r\n\"Version 2.1\"" + pad
                                           << "File bad.mdv is a wrong version number";
        QTest::newRow("one line only") << "\"Kestrane Monitor DAC Value File\"," + QByteArray(120, 'x')
                                       << "File bad.mdv is a wrong version number";
        QByteArray garbage(4096, '\0');
        QRandomGenerator rng(7);
        for (char& c : garbage)
            c = static_cast<char>(rng.bounded(256));
        QTest::newRow("binary garbage") << garbage << "File bad.mdv is not in .mdv format";
    }

    void formatErrors() {
        QFETCH(QByteArray, data);
        QFETCH(QString, message);
        MonitorModel m;
        DataFile f(m);
        f.openForReading(writeRaw(QStringLiteral("bad.mdv"), data));
        const DataFileResult r = f.readMdf();
        QVERIFY(!r.ok);
        QCOMPARE(r.message, message);
        QVERIFY(!m.FileIsOpen);
        QCOMPARE(m.DiskFileNum, 0);
    }

    // Each body follows the header; the model keeps what was read before the failing line.
    void readFailures_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("line");
        QTest::newRow("empty line") << QByteArray("\"Model Number: \",\"M1\"\r\n\r\n\"NumScanSets\",5\r\n")
                                    << "Name Not Found: \r\nLine 5\r\nScanSetReading: 0" << 5;
        QTest::newRow("key without colon") << QByteArray("\"Model Number: \",\"M1\"\r\n\"Part Number\",\"P\"\r\n")
                                           << "Name Not Found: Part Number\r\nLine 5\r\nScanSetReading: 0" << 5;
        QTest::newRow("unknown DAC name after a scan set")
            << QByteArray("\"Model Number: \",\"M1\"\r\n\"ScanSet\",2\r\n\"Red gain\",1,2,3\r\n")
            << "Name Not Found: Red gain\r\nLine 6\r\nScanSetReading: 2" << 6;
        QTest::newRow("too many scan sets") << QByteArray("\"Model Number: \",\"M1\"\r\n\"NumScanSets\",9\r\n")
                                            << "Bad Input - NumScanSets Value Too Large\rLine 5" << 5;
        QTest::newRow("count too large") << QByteArray("\"Model Number: \",\"M1\"\r\n\"NumLDacs\",9\r\n")
                                         << "Bad Input - NumLDacs Value Too Large\rLine 5" << 5;
        QTest::newRow("scan set beyond count")
            << QByteArray("\"Model Number: \",\"M1\"\r\n\"NumScanSets\",6\r\n\"ScanSet\",6\r\n")
            << "Bad Input - ScanSet Value Too Large\rLine 6" << 6;
        QTest::newRow("eight scan sets, seventh index")
            << QByteArray("\"Model Number: \",\"M1\"\r\n\"NumScanSets\",8\r\n\"ScanSet\",7\r\n")
            << "In ReadMDF, Error # 9: Subscript out of range" << 6;
        QTest::newRow("negative scan set") << QByteArray("\"Model Number: \",\"M1\"\r\n\"ScanSet\",-1\r\n")
                                           << "In ReadMDF, Error # 9: Subscript out of range" << 5;
        QTest::newRow("empty scan-set name") << QByteArray("\"Model Number: \",\"M1\"\r\n\"ScanSetName\",\"\"\r\n")
                                             << "Bad Input - ScanSetName Has No Name Assigned\rLine 5" << 5;
        QTest::newRow("missing scan-set name") << QByteArray("\"Model Number: \",\"M1\"\r\n\"ScanSetName\"\r\n")
                                               << "Bad Input - ScanSetName Has No Name Assigned\rLine 5" << 5;
        QTest::newRow("number not numeric") << QByteArray("\"Model Number: \",\"M1\"\r\n\"Red Gain\",1,x2,3\r\n")
                                            << "In ReadMDF, Error # 13: Type mismatch" << 5;
        QTest::newRow("number beyond 16 bits") << QByteArray("\"Model Number: \",\"M1\"\r\n\"Red Gain\",1,2,32768\r\n")
                                               << "In ReadMDF, Error # 6: Overflow" << 5;
        QTest::newRow("count beyond 16 bits") << QByteArray("\"Model Number: \",\"M1\"\r\n\"NumBDacs\",99999999999\r\n")
                                              << "In ReadMDF, Error # 6: Overflow" << 5;
        QTest::newRow("HV limit beyond 16 bits")
            << QByteArray("\"Model Number: \",\"M1\"\r\n\"HV Upper Limit: \",\"40000\"\r\n")
            << "In ReadMDF, Error # 6: Overflow" << 5;
        QTest::newRow("DAC line cut short") << QByteArray("\"Model Number: \",\"M1\"\r\n\"Red Gain\",1,2")
                                            << "In ReadMDF, Error # 62: Input past end of file" << 5;
        QTest::newRow("key cut short") << QByteArray("\"Model Number: \",\"M1\"\r\n\"Master Con")
                                       << "Name Not Found: Master Con\r\nLine 5\r\nScanSetReading: 0" << 5;
        QTest::newRow("line of 1 MB") << QByteArray("\"Model Number: \",\"M1\"\r\n" + QByteArray(1 << 20, 'z') + "\r\n")
                                      << "Name Not Found: " + QString(200, QLatin1Char('z')) +
                                             "...\r\nLine 5\r\nScanSetReading: 0"
                                      << 5;
        QTest::newRow("line at the limit")
            << QByteArray("\"Model Number: \",\"M1\"\r\n" + QByteArray(DataFile::maxLineLength, 'z') + "\r\n")
            << "Name Not Found: " + QString(200, QLatin1Char('z')) + "...\r\nLine 5\r\nScanSetReading: 0" << 5;
        QTest::newRow("line one past the limit")
            << QByteArray("\"Model Number: \",\"M1\"\r\n" + QByteArray(DataFile::maxLineLength + 1, 'z') + "\r\n")
            << "In ReadMDF, Error # 14: Out of string space" << 5;
        QTest::newRow("line beyond the limit")
            << QByteArray("\"Model Number: \",\"M1\"\r\n" + QByteArray(DataFile::maxLineLength + 10, 'z'))
            << "In ReadMDF, Error # 14: Out of string space" << 5;
    }

    void readFailures() {
        QFETCH(QByteArray, body);
        QFETCH(QString, message);
        QFETCH(int, line);
        MonitorModel m;
        DataFile f(m);
        f.openForReading(writeRaw(QStringLiteral("fail.mdv"), header() + body));
        m.dataChanged = true;
        const DataFileResult r = f.readMdf();
        QVERIFY(!r.ok);
        QCOMPARE(r.message, message);
        QCOMPARE(r.line, line);
        QVERIFY(m.FileIsOpen);
        QVERIFY(m.dataChanged);
        QCOMPARE(m.modelNumber, QStringLiteral("M1"));
    }

    void readKeepsEarlierValues() {
        MonitorModel m;
        DataFile f(m);
        const QByteArray body = "\"NumScanSets\",3\r\n\"NumVDacs\",5\r\n\"ScanSet\",1\r\n\"ScanSetName\",\"Movie\"\r\n"
                                "\"Vertical Size\",10,20,30\r\n\"Vertical Center\",11,21,31\r\n"
                                "\"Mystery\",1,2,3\r\n\"Vert Linearity\",12,22,32\r\n";
        f.openForReading(writeRaw(QStringLiteral("partial.mdv"), header() + body));
        const DataFileResult r = f.readMdf();
        QCOMPARE(r.message, QStringLiteral("Name Not Found: Mystery\r\nLine 10\r\nScanSetReading: 1"));
        QCOMPARE(m.scanSetCount, qint16(3));
        QCOMPARE(m.verticalGroup.count, qint16(5));
        QCOMPARE(m.scanSetNames[1], QStringLiteral("Movie"));
        QCOMPARE(m.verticalGroup.value[0][1], qint16(10));
        QCOMPARE(m.verticalGroup.committedValue[1][1], qint16(11));
        QCOMPARE(m.verticalGroup.initialValue[1][1], qint16(31));
        QCOMPARE(m.verticalGroup.value[2][1], qint16(0)); // after the failure
    }

    void readAcceptsOlderForms() {
        // Identity values that kept the answer's carriage return, blanks around items, comment lines.
        const QByteArray body = "\"Model Number: \",\"M7\r\"\r\n \"Serial Number:\" , \"S7\"\r\n\"#\",\"note\"\r\n"
                                "\"Operating Hours: \",\"5:01:02:03\"\r\n\"HV Lower Limit: \",\" 12.4 \"\r\n"
                                "\"NumScanSets\", 4 \r\n\"ScanSet\",0\r\n\"Horiz S Cap\",-5,200,+7\r\n";
        MonitorModel m;
        DataFile f(m);
        QSignalSpy time(&f, &DataFile::operatingTimeLoaded);
        f.openForReading(writeRaw(QStringLiteral("old.mdv"), header() + body));
        const DataFileResult r = f.readMdf();
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(m.modelNumber, QStringLiteral("M7"));
        QCOMPARE(m.serialNumber, QStringLiteral("S7"));
        QCOMPARE(m.operatingTime, QStringLiteral("5:01:02:03"));
        QCOMPARE(time.count(), 1);
        QCOMPARE(m.hvLowerLimit, qint16(12));
        QCOMPARE(m.scanSetCount, qint16(4));
        QCOMPARE(m.horizontalGroup.value[8][0], qint16(-5));
        QCOMPARE(m.horizontalGroup.factoryValue[8][0], qint16(200));
        QCOMPARE(m.horizontalGroup.initialValue[8][0], qint16(7));
    }

    void readWithoutTheFileOnDisk() {
        MonitorModel m;
        DataFile f(m);
        f.openForReading(path(QStringLiteral("gone.mdv")));
        const DataFileResult r = f.readMdf();
        QCOMPARE(r.message, QStringLiteral("In ReadMDF, Error # 53: File not found"));
    }

    void handlesStayInRange() {
        MonitorModel m;
        DataFile f(m);
        for (int i = 0; i < 600; ++i) {
            (i % 2 ? f.openForReading(path(QStringLiteral("h.mdv"))) : f.openForWriting(path(QStringLiteral("h.mdv"))));
            QVERIFY(m.DiskFileNum >= 1 && m.DiskFileNum <= 255);
        }
        f.close();
        QVERIFY(!m.FileIsOpen);
        QCOMPARE(m.DiskFileNum, 0);
    }
};

QTEST_GUILESS_MAIN(TestDataFile)
#include "tst_datafile.moc"
