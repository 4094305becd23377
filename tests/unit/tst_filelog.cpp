// The communication log file: timestamped lines, each finished line on the disk at once, events on lines of
// their own, and failures that close the file with a reason.
#include "link/FileLog.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {
QString contentsOf(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return QStringLiteral("<unreadable>");
    return QString::fromLatin1(f.readAll());
}

const QDateTime kNoon(QDate(2024, 3, 5), QTime(12, 0, 1, 250));
} // namespace

class FileLogTest : public QObject {
    Q_OBJECT
private slots:
    void linesCarryTheTimeTheyStarted() {
        QTemporaryDir dir;
        const QString path = dir.filePath("a.mcl");
        FileLog log;
        QDateTime now = kNoon;
        log.setNow([&now] { return now; });
        QVERIFY(log.open(path));
        for (QChar c : QStringLiteral("df"))
            log.writeChar(c);
        now = now.addSecs(1);
        QVERIFY(log.writeLineEnd());
        QVERIFY(log.writeLineEnd()); // an empty line
        for (QChar c : QStringLiteral("V 2.10#"))
            QVERIFY(log.writeChar(c));
        log.close();
        QCOMPARE(contentsOf(path), QString("2024-03-05 12:00:01.250 df\n"
                                           "2024-03-05 12:00:02.250 \n"
                                           "2024-03-05 12:00:02.250 V 2.10#\n"));
    }

    void eachFinishedLineIsOnTheDiskAtOnce() {
        QTemporaryDir dir;
        const QString path = dir.filePath("b.mcl");
        FileLog log;
        log.setNow([] { return kNoon; });
        QVERIFY(log.open(path));
        for (QChar c : QStringLiteral("p"))
            log.writeChar(c);
        log.writeLineEnd();
        log.writeChar(QLatin1Char('#'));
        // Read while the file is still open: the finished line is there.
        QVERIFY(contentsOf(path).startsWith("2024-03-05 12:00:01.250 p\n"));
        QVERIFY(log.writeEvent(QStringLiteral("Received comFrame")));
        // An event ends the line being received and stands on its own line.
        QCOMPARE(contentsOf(path), QString("2024-03-05 12:00:01.250 p\n"
                                           "2024-03-05 12:00:01.250 #\n"
                                           "2024-03-05 12:00:01.250 Received comFrame\n"));
    }

    void openingReplacesTheFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("c.mcl");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("old contents\n");
        }
        FileLog log;
        log.setNow([] { return kNoon; });
        QVERIFY(log.open(path));
        log.writeEvent(QStringLiteral(" RxParityErr "));
        log.close();
        QCOMPARE(contentsOf(path), QString("2024-03-05 12:00:01.250  RxParityErr \n"));
    }

    void anUnopenableFileGivesItsReason() {
        QTemporaryDir dir;
        FileLog log;
        QVERIFY(!log.open(dir.filePath("no/such/folder/d.mcl")));
        QVERIFY(!log.isOpen());
        QVERIFY(!log.errorString().isEmpty());
        QVERIFY(!log.writeChar(QLatin1Char('x')));
        QVERIFY(!log.writeEvent(QStringLiteral("Received comBreak")));
    }

    void aFailedWriteClosesTheFile() {
        if (!QFile::exists(QStringLiteral("/dev/full")))
            QSKIP("needs a device that refuses every write");
        FileLog log;
        QVERIFY(log.open(QStringLiteral("/dev/full")));
        log.writeChar(QLatin1Char('p'));
        QVERIFY(!log.writeLineEnd());
        QVERIFY(!log.isOpen());
        QVERIFY(!log.errorString().isEmpty());
    }

    void theRealClockWritesLocalTime() {
        QTemporaryDir dir;
        const QString path = dir.filePath("e.mcl");
        FileLog log;
        QVERIFY(log.open(path));
        log.writeEvent(QStringLiteral("Received comEvCD"));
        log.close();
        const QRegularExpression line(
            QStringLiteral("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\.\\d{3} Received comEvCD\\n$"));
        QVERIFY2(line.match(contentsOf(path)).hasMatch(), qPrintable(contentsOf(path)));
    }
};

QTEST_GUILESS_MAIN(FileLogTest)
#include "tst_filelog.moc"
