// Undo for the monitor, end to end against simulated monitors on pseudo-terminals, on SQLite and on a
// PostgreSQL server of the test's own: the user switches convergence correction on and turns Red Gain through
// their windows (the values they replace are read before either goes out), loads a test program into SRAM from
// the Software window, opens Monitor, History, picks the snapshot taken before the first change and restores
// it, and the monitor holds the snapshot's values again; each change names its window, the download its
// verdict. The command line does the same: a data file written with `write`, then `restore` of the snapshot
// taken before it, and `diff` finds nothing left to differ.
#include "adjust/FrmConvergence.h"
#include "adjust/FrmVideoAdj.h"
#include "app/AppModes.h"
#include "download/DownloadEngine.h"
#include "download/windows/FrmSoftware.h"
#include "history/ChangeRecorder.h"
#include "history/HistoryStore.h"
#include "history/windows/FrmCompare.h"
#include "history/windows/FrmHistory.h"
#include "model/DataFile.h"
#include "model/FileWriteBack.h"
#include "model/MonitorModel.h"
#include "sim/IntelHex.h"
#include "sim/PtySimulator.h"
#include "sim/SimOptions.h"
#include "support/CliRun.h"
#include "support/KnownValues.h"
#include "support/TempPostgres.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QCheckBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTreeWidget>
#include <QtTest>

namespace {

// Bounds that only keep a broken build from hanging; nothing is measured against them.
constexpr int connectWithinMs = 15000;
constexpr int writtenWithinMs = 120000;
constexpr int runWithinMs = 120000;

const QString factoryMode = QStringLiteral("[StartUp]\nRunType=1\nInitialMode=FactoryMode\n");

using Run = CliRun;

Run cli(const QStringList& args, const QString& home) {
    return runCli(args, home, runWithinMs);
}

// Every value of the snapshot is what the monitor holds now.
bool monitorHolds(const sim::SimMonitor& monitor, const HistorySnapshot& s) {
    for (const SnapshotValue& v : s.values)
        if (monitor.dac(char(v.group.toLatin1()), sim::DacTable::Current, v.dac, v.scanSet) != v.value)
            return false;
    return !s.values.isEmpty();
}

// The pictures of the README, when ORVEXMON_SCREENSHOTS names a folder (run under Xvfb for the real look).
void screenshot(QWidget* window, const char* name) {
    const QString folder = qEnvironmentVariable("ORVEXMON_SCREENSHOTS");
    if (!folder.isEmpty())
        window->parentWidget()->grab().save(folder + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}

} // namespace

class HistoryEndToEndTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempPostgres> m_server;
    QString m_why;

    QString location(const QString& backend, const QTemporaryDir& dir) {
        if (backend == QLatin1String("sqlite"))
            return dir.filePath(QStringLiteral("history.sqlite"));
        if (!m_server) {
            m_server = std::make_unique<TempPostgres>();
            m_server->start(&m_why);
        }
        return m_why.isEmpty() ? m_server->url() : QString();
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void adjustThenRestore_data() {
        QTest::addColumn<QString>("backend");
        QTest::newRow("sqlite") << QStringLiteral("sqlite");
        QTest::newRow("postgresql") << QStringLiteral("postgresql");
    }
    void adjustThenRestore() {
        QFETCH(QString, backend);
        QTemporaryDir dir;
        const QString database = location(backend, dir);
        if (database.isEmpty())
            QSKIP(qPrintable(m_why));

        ToolHarness h(ToolHarness::Port::Real);
        h.writeSettings(factoryMode + QStringLiteral("[History]\nDatabase=%1\n").arg(database));
        sim::PtySimulator* simulator = h.startWithSimulator(sim::SimOptions());
        sim::SimMonitor& monitor = simulator->monitor();
        // The monitor runs its third scan set, so that the tool's own is not the first of those it reads.
        monitor.state().currentScanSet = 2;
        QStringList wire;
        QObject::connect(simulator, &sim::PtySimulator::requestHandled,
                         [&wire](const QByteArray& request) { wire << QString::fromLatin1(request.trimmed()); });
        QVERIFY(h.waitFor([&] { return h.ctx().model->firmwareClass == 210 && h.linkIdle(); }, connectWithinMs));

        // An option: convergence correction, switched on in its window.
        QVERIFY(h.chooseMenu("mnuAdjustmentConvergence"));
        auto* convergence = h.ctx().windows->existing<FrmConvergence>();
        QVERIFY(h.waitFor([&] { return h.linkIdle(); }, connectWithinMs));
        convergence->findChild<QCheckBox*>("ckOnOff")->click();
        QVERIFY(h.waitFor([&] { return monitor.state().convergenceOn && h.linkIdle(); }, connectWithinMs));
        // Before it went out, every value the adjustment windows set in this scan set was read.
        const qsizetype firstChange = wire.indexOf(QStringLiteral("cac1"));
        for (const FileWriteBack::Dac& dac : FileWriteBack::writableDacs(*h.ctx().model)) {
            const qsizetype read = wire.indexOf(QStringLiteral("dd") + dac.group);
            QVERIFY2(read >= 0 && read < firstChange, qPrintable(wire.join(' ')));
        }

        // A DAC: Red Gain in Color Balance.
        QVERIFY(h.chooseMenu("mnuAdjustVideo"));
        auto* slider = h.ctx().windows->existing<FrmVideoAdj>()->findChild<QScrollBar*>("HScroll1(2)");
        const int onMonitor = monitor.dac('l', 2);
        QVERIFY(h.waitFor([&] { return slider->value() == onMonitor && h.linkIdle(); }, connectWithinMs));
        QTest::keyClick(slider, Qt::Key_PageDown);
        QVERIFY(h.waitFor([&] { return monitor.dac('l', 2) == slider->value() && h.linkIdle(); }, connectWithinMs));
        QVERIFY(monitor.dac('l', 2) != onMonitor);

        // A test program into SRAM from the Software window.
        const QString image = h.m_dir.filePath(QStringLiteral("test.hex"));
        QFile hex(image);
        QVERIFY(hex.open(QIODevice::WriteOnly));
        hex.write(sim::makeHexRecord(0, 0x100, QByteArray(16, 'x')) + "\r\n:00000001FF\r\n");
        hex.close();
        h.dialogs.files.enqueue(image);
        QSignalSpy downloaded(h.ctx().download, &DownloadEngine::finished);
        QVERIFY(h.chooseMenu("mnuConfigureSoftware"));
        h.ctx().windows->existing<FrmSoftware>()->findChild<QPushButton*>("btnLoadSRAM")->click();
        QVERIFY(h.waitFor([&] { return downloaded.size() == 1 && h.dialogs.messages.size() == 1 && h.linkIdle(); },
                          connectWithinMs));

        QVERIFY(h.chooseMenu("mnuMonitorHistory"));
        auto* history = h.ctx().windows->existing<FrmHistory>();
        auto* tree = history->findChild<QTreeWidget*>("tvwHistory");
        // The window lists what the history answers, when it answers.
        QSignalSpy listed(history, &FrmHistory::monitorShown);
        QVERIFY(h.waitFor([&] { return listed.size() > 0 && tree->topLevelItemCount() > 0; }, connectWithinMs));
        QTreeWidgetItem* connection = tree->topLevelItem(tree->topLevelItemCount() - 1);
        QVERIFY(connection && connection->childCount() > 0);
        tree->setCurrentItem(connection->child(0));
        HistorySnapshot snapshot;
        QVERIFY(history->chosenSnapshot(&snapshot));
        int shown = -1;
        QVERIFY(snapshot.find(QLatin1Char('l'), 2, snapshot.scanSets.value(0), &shown));
        QCOMPARE(shown, onMonitor);
        QVERIFY(!monitorHolds(monitor, snapshot));
        // Each change names its window; the download is a change with a snapshot before it, and its verdict.
        HistoryStore& store = h.ctx().recorder->store();
        QStringList changes;
        for (const HistoryChange& c : store.changes(snapshot.connectionId))
            changes << QStringList{c.what, c.oldValue, c.newValue, c.source}.join('|');
        QCOMPARE(changes, (QStringList{"cac1|||frmConvergence",
                                       QStringLiteral("cdl2|%1|%2|frmVideoAdj").arg(onMonitor).arg(slider->value()),
                                       "SRAM download||" + image + "|frmSoftware"}));
        const QVector<HistorySnapshot> snapshots = store.snapshots(snapshot.connectionId);
        QCOMPARE(snapshots.size(), 2);
        // The load went out only once every scan set was read: the download's snapshot holds each whole, and
        // the monitor runs the scan set it ran before.
        const qsizetype load = wire.indexOf(QStringLiteral("bs"));
        QVERIFY(load > wire.lastIndexOf(QStringLiteral("CC%1").arg(h.ctx().model->currentScanSet)));
        QCOMPARE(snapshots.last().scanSets.size(), int(h.ctx().model->scanSetCount));
        for (int set : snapshots.last().scanSets)
            QVERIFY2(snapshots.last().find(QLatin1Char('l'), 2, set, &shown), qPrintable(QString::number(set)));
        QCOMPARE(monitor.state().currentScanSet, 2);
        QCOMPARE(h.ctx().model->currentScanSet, 2);
        QCOMPARE(store.ends(snapshot.connectionId).value(0).summary, h.dialogs.messages.last().text);

        // Compare sets the monitor now beside the snapshot: only the value turned differs.
        history->findChild<QPushButton*>("btnCompare")->click();
        auto* compare = h.ctx().windows->existing<FrmCompare>();
        QVERIFY(compare && compare->isVisible());
        QCOMPARE(compare->differences(), 1);
        screenshot(history, "history");
        screenshot(compare, "compare");
        // "Only differences" leaves the one row whose columns disagree: the value turned, before and now.
        compare->findChild<QCheckBox*>("ckOnlyDifferences")->click();
        auto* table = compare->findChild<QTableWidget*>("tblCompare");
        QStringList rows;
        for (int r = 0; r < table->rowCount(); ++r)
            if (!table->isRowHidden(r))
                rows << table->item(r, 2)->text() + '|' + table->item(r, 3)->text();
        QCOMPARE(rows, QStringList{QStringLiteral("%1|%2").arg(slider->value()).arg(onMonitor)});
        compare->findChild<QPushButton*>("btnDone")->click();

        // Restore writes to the monitor: offered where Write File to Monitor is.
        auto* restore = history->findChild<QPushButton*>("btnRestore");
        h.app().modes()->setUserMode();
        QVERIFY(!restore->isEnabled());
        h.app().modes()->setFactoryMode();
        QVERIFY(restore->isEnabled());
        const qsizetype told = h.dialogs.messages.size();
        restore->click();
        QVERIFY2(h.waitFor([&] { return h.dialogs.messages.size() == told + 2 && h.linkIdle(); }, writtenWithinMs),
                 qPrintable(h.dialogs.texts().join('\n')));
        QVERIFY2(h.dialogs.messages.last().text.endsWith("Completed."), qPrintable(h.dialogs.texts().join('\n')));
        QVERIFY(monitorHolds(monitor, snapshot));
        // The restore is itself in the history, after a snapshot of what it replaced; its long summary fits.
        const QVector<HistoryEnd> ends = store.ends(snapshot.connectionId);
        QVERIFY(!ends.isEmpty() && ends.last().summary == h.dialogs.messages.last().text);
        listed.clear();
        history->reload();
        QVERIFY(h.waitFor([&] { return listed.size() > 0 && tree->topLevelItemCount() > 0; }, connectWithinMs));
        QTreeWidgetItem* restored = tree->topLevelItem(tree->topLevelItemCount() - 1);
        QCOMPARE(restored->child(restored->childCount() - 1)->toolTip(3),
                 QString(ends.last().summary).replace(QLatin1Char('\n'), QLatin1Char(' ')));
        QVERIFY(!tree->horizontalScrollBar()->isVisible());
    }

    void commandLineWriteThenRestore() {
        QTemporaryDir dir;
        const QString database = dir.filePath(QStringLiteral("history.sqlite"));
        sim::PtySimulator simulator{sim::SimOptions()};
        QVERIFY(simulator.start());
        sim::SimMonitor& monitor = simulator.monitor();
        const QString port = simulator.devicePath();

        // A data file of this monitor holding other values for scan set 2.
        MonitorModel file;
        file.monitorResponding = true;
        file.modelNumber = monitor.state().boards.value('s').part;
        file.serialNumber = monitor.state().boards.value('s').serial;
        file.firmwareVersion = QStringLiteral("V 2.10");
        file.firmwareClass = 210;
        file.scanSetEnabled[1] = 1;
        for (DacGroup* g : file.fileGroups())
            for (int dac = 0; dac < DacGroup::dacSlots; ++dac)
                g->value[dac][1] =
                    qint16(7 + dac + monitor.dac(char(g->letter.toLatin1()), sim::DacTable::Current, dac, 1) % 50);
        markAllRead(file);
        const QString path = dir.filePath(QStringLiteral("other.mdv"));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(DataFile(file).contents()) > 0);
        out.close();

        const QStringList common{QStringLiteral("--port"), port, QStringLiteral("--database"), database};
        const Run write = cli(common + QStringList{"write", path, "--yes"}, dir.path());
        QVERIFY2(write.status == 0, qPrintable(write.err));
        const Run listed = cli({"--database", database, "history", file.serialNumber, "--json"}, dir.path());
        QVERIFY2(listed.status == 0, qPrintable(listed.err));
        const QJsonObject monitorJson = QJsonDocument::fromJson(listed.out.toUtf8()).array().at(0).toObject();
        const QJsonArray snapshots = monitorJson["connections"].toArray().at(0).toObject()["snapshots"].toArray();
        QCOMPARE(snapshots.size(), 1);
        const QString id = snapshots.at(0).toObject()["id"].toString();
        HistorySnapshot snapshot;
        {
            HistoryStore store(database, dir.filePath(QStringLiteral("pending.sqlite")));
            QString error;
            QVERIFY(store.open() && store.snapshot(id, &snapshot, &error));
        }
        QVERIFY(!monitorHolds(monitor, snapshot));

        const Run restore = cli(common + QStringList{"restore", id.left(8), "--yes"}, dir.path());
        QVERIFY2(restore.status == 0, qPrintable(restore.err));
        QVERIFY(monitorHolds(monitor, snapshot));
        const Run diff = cli(common + QStringList{"diff", id, "--json"}, dir.path());
        QVERIFY2(diff.status == 0, qPrintable(diff.err));
        QCOMPARE(QJsonDocument::fromJson(diff.out.toUtf8()).object()["differences"].toInt(), 0);
    }
};

QTEST_MAIN(HistoryEndToEndTest)
#include "tst_e2e_history.moc"
