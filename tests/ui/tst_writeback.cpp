// "Write File to Monitor ..." in the whole tool on the fake port: the user cancels a running write from the
// progress window, and the cases that end before anything is sent say why.
#include "model/DataFile.h"
#include "model/MonitorModel.h"
#include "model/windows/FrmWriteBack.h"
#include "model/windows/WriteBackCommand.h"
#include "support/KnownValues.h"
#include "support/OnlineTool.h"

#include <QFile>
#include <QPushButton>
#include <QtTest>

namespace {

// A file saved with no monitor connected: no identity lines, the values of scan set 1.
QString writeFile(const QString& dir) {
    MonitorModel m;
    m.initialise();
    m.scanSetEnabled[0] = 1;
    for (DacGroup* g : m.fileGroups())
        for (int dac = 0; dac < DacGroup::dacSlots; ++dac)
            g->value[dac][0] = qint16(20 + dac);
    markAllRead(m);
    const QString path = dir + QStringLiteral("/values.mdv");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(DataFile(m).contents()) < 0)
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace

class WriteBackTest : public QObject {
    Q_OBJECT
private slots:
    void cancelFromTheProgressWindow() {
        OnlineTool t(QStringLiteral("2.10"));
        t.h.dialogs.files.enqueue(writeFile(t.h.m_dir.path()));
        QVERIFY(t.choose("mnuFileWriteToMonitor"));
        // The file names no monitor: the question says so, and Yes (scripted) starts the write.
        QCOMPARE(t.h.dialogs.messages.size(), 1);
        QVERIFY(t.h.dialogs.messages.first().text.contains("saved with no monitor connected"));
        FrmWriteBack* progress = t.h.ctx().windows->existing<FrmWriteBack>();
        QVERIFY(progress && progress->isVisible());
        t.h.fakeClock.advance(1200);
        QTest::mouseClick(progress->findChild<QPushButton*>("btnCancel"), Qt::LeftButton);
        t.monitor->settle();

        // The values the write replaces are read first (for the monitor's history). What was on the line is
        // answered, the scan set the tool had selected is selected again, and Update All Data starts reading
        // what the monitor now holds.
        QStringList sent = t.sent().split('|', Qt::SkipEmptyParts);
        while (!sent.isEmpty() && sent.first().startsWith('d'))
            sent.removeFirst();
        QVERIFY2(sent.size() >= 4 && sent.first() == "CC0" && sent.mid(sent.size() - 2) == QStringList({"CC0", "da"}) &&
                     !sent.contains("cdlp"),
                 qPrintable(sent.join(' ')));
        QCOMPARE(t.h.dialogs.messages.size(), 2);
        const QString summary = t.h.dialogs.messages.last().text;
        QVERIFY2(summary.endsWith("Stopped early: cancelled by the user."), qPrintable(summary));
        QVERIFY(summary.contains(QStringLiteral("Values written: %1").arg(sent.size() - 3)));
        QVERIFY(!progress->isVisible());
    }

    void endsBeforeSending_data() {
        QTest::addColumn<bool>("demo");
        QTest::addColumn<QByteArray>("fileBytes");
        QTest::addColumn<QString>("message");
        QTest::newRow("demo mode") << true << QByteArray() << WriteBackCommand::noMonitorMessage();
        QTest::newRow("not a data file") << false << QByteArray("too short")
                                         << "File values.mdv is not a valid .mdv file";
    }

    void endsBeforeSending() {
        QFETCH(bool, demo);
        QFETCH(QByteArray, fileBytes);
        QFETCH(QString, message);
        OnlineTool t(QStringLiteral("2.10"));
        if (demo)
            QVERIFY(t.choose("mnuMonitorDemo"));
        QFile f(t.h.m_dir.filePath("values.mdv"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(fileBytes);
        f.close();
        t.h.dialogs.files.enqueue(f.fileName());
        QVERIFY(t.choose("mnuFileWriteToMonitor"));
        QCOMPARE(t.h.dialogs.texts(), QStringList{message});
        QCOMPARE(t.h.dialogs.fileRequests.size(), demo ? 0 : 1);
        QCOMPARE(t.sent(), QString());
    }
};

QTEST_MAIN(WriteBackTest)
#include "tst_writeback.moc"
