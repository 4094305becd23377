#include "model/DataFile.h"
#include "model/FileWriteBack.h"
#include "model/MonitorModel.h"
#include "support/FakeClock.h"
#include "support/KnownValues.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Verdict = FileWriteBack::Verdict;

// The monitor model, a queue that answers each request one poll after it was handed over (until it falls
// silent), and the user's answer to the question.
struct Rig {
    MonitorModel monitor;
    FakeClock clock;
    QStringList sent;
    bool pending = false;
    int answersBeforeSilence = -1;
    int answers = 0;
    int cancelAfter = -1;
    bool userSaysYes = true;
    QStringList questions;
    QList<WriteBackSummary> summaries;
    QPair<int, int> lastProgress{-1, -1};
    bool progressWentBack = false;
    // What the monitor's answers put into the tool's model.
    std::function<void(const QString&)> answered;
    FileWriteBack writeBack{monitor, clock,
                            FileWriteBack::LinkAccess{[this](const QString& r) {
                                                          if (pending)
                                                              sent << QStringLiteral("second request before answer");
                                                          sent << r;
                                                          pending = true;
                                                      },
                                                      [this] { return !pending; }}};

    Rig() {
        monitor.initialise();
        monitor.monitorResponding = true;
        monitor.firmwareClass = 210;
        monitor.modelNumber = QStringLiteral("KM-21");
        monitor.serialNumber = QStringLiteral("0042");
        monitor.hasNorthSouth = true;
        monitor.hasConvergence = true;
        monitor.currentScanSet = 1;
        writeBack.setConfirm([this](const QString& q) {
            questions << q;
            return userSaysYes;
        });
        QObject::connect(&writeBack, &FileWriteBack::finished, [this](const WriteBackSummary& s) { summaries << s; });
        QObject::connect(&writeBack, &FileWriteBack::progress, [this](int done, int total) {
            progressWentBack = progressWentBack || done < lastProgress.first;
            lastProgress = {done, total};
        });
    }

    void run() {
        for (int i = 0; i < 100000 && writeBack.isRunning(); ++i) {
            if (pending && (answersBeforeSilence < 0 || answers < answersBeforeSilence)) {
                pending = false;
                ++answers;
                if (answered)
                    answered(sent.last());
                if (answers == cancelAfter)
                    writeBack.cancel();
            }
            clock.advance(FileWriteBack::pollMs);
        }
    }
};

// A file saved from the rig's monitor: scan sets 0 and 2.
WriteBackFile sameMonitorFile() {
    MonitorModel defaults;
    defaults.initialise();
    WriteBackFile f;
    f.takeFrom(defaults);
    f.title = QStringLiteral("unit.mdv");
    f.modelNumber = QStringLiteral("KM-21");
    f.serialNumber = QStringLiteral("0042");
    f.firmwareClass = 210;
    f.values = {{QChar('l'), 0, 0, 200}, {QChar('l'), 2, 0, 180}, {QChar('b'), 1, 0, 90},
                {QChar('h'), 8, 0, 3},   {QChar('v'), 0, 0, 150}, {QChar('s'), 0, 0, 30},
                {QChar('a'), 0, 0, 120}, {QChar('k'), 3, 0, 64},  {QChar('l'), 2, 2, 170}};
    return f;
}

} // namespace

class TestFileWriteBack : public QObject {
    Q_OBJECT

private slots:
    void requestOrder_data() {
        QTest::addColumn<int>("firmwareClass");
        QTest::addColumn<bool>("fitted");
        QTest::addColumn<QStringList>("requests");
        QTest::addColumn<int>("skipped");
        // The second family's colour balance has no second bias row; k 3 at 64 is beyond its six bits.
        QTest::newRow("CRT with north-south and convergence")
            << 210 << true
            << QStringList{"CC0",  "cdl0200", "cdl2180", "cdh83", "cdv0150", "cds030",  "cda 1120", "cdlp",
                           "cdhp", "cdvp",    "cdsp",    "cdap",  "CC2",     "cdl2170", "cdlp",     "CC1"}
            << 1;
        QTest::newRow("CRT without them")
            << 210 << false << QStringList{"CC0",  "cdl0200", "cdl2180", "cdh83",   "cdv0150", "cdlp",
                                           "cdhp", "cdvp",    "CC2",     "cdl2170", "cdlp",    "CC1"}
            << 0;
        QTest::newRow("first family: both bias rows, no north-south")
            << 120 << true << QStringList{"CC0",  "cdl0200", "cdl2180", "cdb190", "cdh83",   "cdv0150", "cdlp",
                                          "cdbp", "cdhp",    "cdvp",    "CC2",    "cdl2170", "cdlp",    "CC1"}
            << 0;
        QTest::newRow("flat panel: brightness and contrast")
            << 405 << true << QStringList{"CC0", "cdl0200", "cdlp", "CC1"} << 0;
        QTest::newRow("flat panel with colour balance")
            << 315 << true << QStringList{"CC0", "cdl2180", "cdlp", "CC2", "cdl2170", "cdlp", "CC1"} << 0;
    }

    void requestOrder() {
        QFETCH(int, firmwareClass);
        QFETCH(bool, fitted);
        QFETCH(QStringList, requests);
        QFETCH(int, skipped);
        Rig r;
        r.monitor.firmwareClass = firmwareClass;
        r.monitor.hasNorthSouth = r.monitor.hasConvergence = fitted;
        WriteBackFile file = sameMonitorFile();
        file.firmwareClass = firmwareClass;
        int skippedOut = -1;
        QCOMPARE(FileWriteBack::writeRequests(file, r.monitor, &skippedOut), requests);
        QCOMPARE(skippedOut, skipped);

        // The sequencer sends exactly these, one at a time, and sums them up.
        QVERIFY(r.writeBack.start(file));
        r.run();
        QCOMPARE(r.sent, requests);
        QCOMPARE(r.summaries.size(), 1);
        const WriteBackSummary& s = r.summaries.first();
        QVERIFY(s.stoppedBecause.isEmpty());
        QCOMPARE(s.scanSets, firmwareClass == 405 ? QVector<int>{0} : (QVector<int>{0, 2}));
        QCOMPARE(s.valuesWritten, int(requests.filter(QRegularExpression("^cd.*\\d$")).size()));
        QCOMPARE(s.valuesSkipped, skipped);
        QCOMPARE(s.valuesUnsaved, 0);
        QCOMPARE(r.lastProgress, qMakePair(int(requests.size()), int(requests.size())));
        QVERIFY(!r.progressWentBack);
        QVERIFY(s.text().endsWith("Completed."));
    }

    void identity_data() {
        QTest::addColumn<int>("fileClass");
        QTest::addColumn<QString>("fileSerial");
        QTest::addColumn<int>("fileVideoCount");
        QTest::addColumn<bool>("userSaysYes");
        QTest::addColumn<int>("verdict");
        QTest::addColumn<bool>("written");
        QTest::newRow("same monitor") << 215 << "0042" << 8 << true << int(Verdict::SameMonitor) << true;
        QTest::newRow("another monitor, Yes") << 210 << "0077" << 8 << true << int(Verdict::OtherMonitor) << true;
        QTest::newRow("another monitor, No") << 210 << "0077" << 8 << false << int(Verdict::OtherMonitor) << false;
        QTest::newRow("another family") << 310 << "0042" << 8 << true << int(Verdict::OtherFamily) << false;
        QTest::newRow("no identity, counts match") << 0 << "" << 8 << true << int(Verdict::NoIdentity) << true;
        QTest::newRow("no identity, counts differ") << 0 << "" << 6 << true << int(Verdict::OtherFamily) << false;
    }

    void identity() {
        QFETCH(int, fileClass);
        QFETCH(QString, fileSerial);
        QFETCH(int, fileVideoCount);
        QFETCH(bool, userSaysYes);
        QFETCH(int, verdict);
        QFETCH(bool, written);
        Rig r;
        r.userSaysYes = userSaysYes;
        WriteBackFile file = sameMonitorFile();
        file.firmwareClass = fileClass;
        file.serialNumber = fileSerial;
        if (fileClass == 0)
            file.modelNumber.clear();
        file.counts[QChar('l')] = fileVideoCount;

        const FileWriteBack::IdentityCheck check = FileWriteBack::checkIdentity(file, r.monitor);
        QCOMPARE(int(check.verdict), verdict);
        QVERIFY(r.writeBack.start(file));
        r.run();
        QCOMPARE(r.summaries.size(), 1);
        QCOMPARE(r.questions, check.refused() ? QStringList() : QStringList{check.message});
        QCOMPARE(!r.sent.isEmpty(), written);
        QCOMPARE(r.summaries.first().declined, !written);
        // A refusal says why; a No says nothing more.
        QCOMPARE(r.summaries.first().stoppedBecause.isEmpty(), !check.refused());
        if (check.refused())
            QVERIFY(check.message.contains("Nothing was written"));
    }

    void readsIdentityFirst_data() {
        QTest::addColumn<int>("reportedClass");
        QTest::addColumn<QStringList>("firstRequests");
        QTest::addColumn<bool>("written");
        QTest::newRow("same family") << 212 << QStringList{"df", "dms", "dss", "CC0"} << true;
        QTest::newRow("another family") << 405 << QStringList{"df", "dms", "dss"} << false;
    }

    void readsIdentityFirst() {
        QFETCH(int, reportedClass);
        QFETCH(QStringList, firstRequests);
        QFETCH(bool, written);
        Rig r;
        r.monitor.firmwareClass = 0;
        r.monitor.modelNumber.clear();
        r.monitor.serialNumber.clear();
        r.answered = [&r, reportedClass](const QString& request) {
            if (request == "df")
                r.monitor.firmwareClass = reportedClass;
            else if (request == "dms")
                r.monitor.modelNumber = "KM-21";
            else if (request == "dss")
                r.monitor.serialNumber = "0042";
        };
        QVERIFY(r.writeBack.start(sameMonitorFile()));
        QVERIFY(!r.writeBack.start(sameMonitorFile()));
        r.run();
        QCOMPARE(r.sent.mid(0, firstRequests.size()), firstRequests);
        QCOMPARE(r.sent.size() > firstRequests.size(), written);
        QCOMPARE(r.questions.size(), written ? 1 : 0);
    }

    void stopsEarly_data() {
        QTest::addColumn<int>("silentAfter");
        QTest::addColumn<int>("cancelAfter");
        QTest::addColumn<bool>("connectionLost");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QVector<int>>("setsWritten");
        QTest::addColumn<int>("unsaved");
        QTest::newRow("silent") << 3 << -1 << false << "the monitor stopped answering."
                                << QStringList{"CC0", "cdl0200", "cdl2180", "cdh83"} << QVector<int>{} << 2;
        // The request on the wire is answered, then the scan set selected before is selected again.
        QTest::newRow("cancelled") << -1 << 2 << false << "cancelled by the user."
                                   << QStringList{"CC0", "cdl0200", "CC1"} << QVector<int>{} << 1;
        QTest::newRow("cancelled after the first scan set")
            << -1 << 12 << false << "cancelled by the user."
            << QStringList{"CC0",  "cdl0200", "cdl2180", "cdh83", "cdv0150", "cds030", "cda 1120",
                           "cdlp", "cdhp",    "cdvp",    "cdsp",  "cdap",    "CC1"}
            << QVector<int>{0} << 0;
        QTest::newRow("connection lost") << 2 << -1 << true << "the connection to the monitor was lost."
                                         << QStringList{"CC0", "cdl0200"} << QVector<int>{} << 1;
    }

    void stopsEarly() {
        QFETCH(int, silentAfter);
        QFETCH(int, cancelAfter);
        QFETCH(bool, connectionLost);
        QFETCH(QString, reason);
        QFETCH(QStringList, sent);
        QFETCH(QVector<int>, setsWritten);
        QFETCH(int, unsaved);
        Rig r;
        r.answersBeforeSilence = silentAfter;
        r.cancelAfter = cancelAfter;
        if (connectionLost)
            r.answered = [&r, silentAfter](const QString&) {
                if (r.answers == silentAfter)
                    r.monitor.monitorResponding = false;
            };
        QVERIFY(r.writeBack.start(sameMonitorFile()));
        r.run();
        QCOMPARE(r.sent, sent);
        QCOMPARE(r.summaries.size(), 1);
        const WriteBackSummary& s = r.summaries.first();
        QCOMPARE(s.stoppedBecause, reason);
        QCOMPARE(s.scanSets, setsWritten);
        QCOMPARE(s.valuesUnsaved, unsaved);
        QCOMPARE(s.text().contains("not saved"), unsaved > 0);
        QVERIFY(s.text().endsWith("Stopped early: " + reason));
        // Silence is given up on only after the link itself would have.
        if (silentAfter >= 0 && !connectionLost)
            QVERIFY(r.clock.nowMs() >= FileWriteBack::silenceMs);
    }

    // A file cut short at a line (a copy or transfer broken off) gives its complete scan sets only.
    void readsWhatTheWriterWrote_data() {
        QTest::addColumn<int>("cut"); // lines left out: 0 none, 1 the last, -1 all from the first scan set's last
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QVector<int>>("scanSets");
        QTest::addColumn<int>("cutScanSet");
        QTest::newRow("whole") << 0 << true << QVector<int>{0, 3} << -1;
        QTest::newRow("ends within the second scan set") << 1 << true << QVector<int>{0} << 3;
        QTest::newRow("ends within the first scan set") << -1 << false << QVector<int>{} << 0;
    }
    void readsWhatTheWriterWrote() {
        QFETCH(int, cut);
        QFETCH(bool, ok);
        QFETCH(QVector<int>, scanSets);
        QFETCH(int, cutScanSet);
        MonitorModel saved;
        saved.initialise();
        saved.monitorResponding = true;
        saved.modelNumber = "KM-21";
        saved.serialNumber = "0042";
        saved.firmwareVersion = "V 2.10";
        saved.firmwareClass = 210;
        saved.scanSetEnabled[0] = 1;
        saved.scanSetEnabled[3] = 1;
        saved.videoGroup.value[2][3] = 171;
        saved.convergenceVParabolaGroup.value[1][0] = 33;
        markAllRead(saved);
        QByteArrayList lines = DataFile(saved).contents().split('\n');
        lines.removeLast(); // after the last line end
        const int secondSet = int(lines.lastIndexOf("\"ScanSet\",3\r"));
        QVERIFY(secondSet > 0);
        lines = lines.mid(0, cut >= 0 ? lines.size() - cut : secondSet - 1);
        QTemporaryDir dir;
        const QString path = dir.filePath("unit.mdv");
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(lines.join('\n') + '\n');
        out.close();

        WriteBackFile file;
        const DataFileResult read = WriteBackFile::read(path, &file);
        QCOMPARE(read.ok, ok);
        QCOMPARE(file.cutScanSet, cutScanSet);
        if (!ok) {
            QVERIFY2(read.message.contains("ends within its first scan set"), qPrintable(read.message));
            return;
        }
        QCOMPARE(file.title, QString("unit.mdv"));
        QCOMPARE(file.firmwareClass, 210);
        QCOMPARE(file.modelNumber, QString("KM-21"));
        QCOMPARE(file.serialNumber, QString("0042"));
        QCOMPARE(file.counts.value(QChar('l')), 8);
        QCOMPARE(file.scanSets(), scanSets);
        QCOMPARE(file.scanSetsHeld, 2);
        QCOMPARE(file.values.size(), int(scanSets.size()) * 49);
        QCOMPARE(file.valuesHeld, file.values.size() + (cutScanSet >= 0 ? 49 - cut : 0));
        auto valueOf = [&file](QChar g, int dac, int set) {
            for (const WriteBackFile::Value& v : file.values)
                if (v.group == g && v.dac == dac && v.scanSet == set)
                    return v.value;
            return -1;
        };
        QCOMPARE(valueOf('k', 1, 0), 33);
        QCOMPARE(valueOf('l', 2, 3), scanSets.contains(3) ? 171 : -1);
    }
};

QTEST_GUILESS_MAIN(TestFileWriteBack)
#include "tst_filewriteback.moc"
