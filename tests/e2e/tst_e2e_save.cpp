// Saving with the tool connected to the simulated monitor over a pseudo-terminal: a save at once holds no values
// nobody read, the scan sets' names in the file, "Save" onto the file last saved, and saving onto a full and onto a
// read-only disk: the user moves "Red Gain", saves, moves it again and saves once more onto a disk that has filled up
// or turned read-only. The failure is shown with its cause, the file saved before keeps every byte, the values still
// count as changed, and the save question offers them again.
#include "adjust/FrmVideoAdj.h"
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "model/MonitorModel.h"
#include "model/windows/DataFileCommands.h"
#include "model/windows/FrmScanSelect.h"
#include "sim/PtySimulator.h"
#include "sim/SimOptions.h"
#include "support/ScratchFileSystem.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QScrollBar>
#include <QtTest>

namespace {

// Bounds that only keep a broken build from hanging; nothing is measured against them.
constexpr int connectWithinMs = 15000;
constexpr int answersWithinMs = 15000;

const QString factoryMode = QStringLiteral("[StartUp]\nRunType=1\nInitialMode=FactoryMode\n");
const QString question = QStringLiteral("The data has been changed. Do you wish to save changes?");

QAction* item(ToolHarness& h, const char* name) {
    return h.app().mainWindow()->menus()->action(QLatin1String(name));
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class SaveEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void saveOntoAFullOrReadOnlyDisk_data() {
        QTest::addColumn<bool>("full");
        QTest::addColumn<QString>("cause");
        QTest::newRow("full disk") << true << "No space left on device";
        QTest::newRow("read-only disk") << false << "Read-only file system";
    }

    void saveOntoAFullOrReadOnlyDisk() {
        QFETCH(bool, full);
        QFETCH(QString, cause);
        QString why;
        if (!ScratchFileSystem::available(&why))
            QSKIP(qPrintable(QStringLiteral("needs a scratch file system: ") + why));
        ScratchFileSystem disk(256 * 1024);
        const QString file = disk.filePath(QStringLiteral("unit.mdv"));

        ToolHarness h(ToolHarness::Port::Real, factoryMode);
        sim::PtySimulator* simulator = h.startWithSimulator(sim::SimOptions());
        sim::SimMonitor& monitor = simulator->monitor();
        MonitorModel& m = *h.ctx().model;
        QVERIFY(h.waitFor([&] { return m.firmwareClass == 210; }, connectWithinMs));
        // The capability answer offers the colour balance (asked as a user types it into the log window).
        h.ctx().send(QStringLiteral("dx"));
        QVERIFY(h.waitFor([&] { return item(h, "mnuAdjustVideo")->isEnabled(); }, answersWithinMs));
        QVERIFY(h.chooseMenu("mnuAdjustVideo"));
        FrmVideoAdj* w = h.ctx().windows->existing<FrmVideoAdj>();
        QVERIFY(w);
        QScrollBar* redGain = w->findChild<QScrollBar*>("HScroll1(2)");
        QVERIFY(h.waitFor([&] { return redGain->value() == monitor.dac('l', 2); }, answersWithinMs));
        auto moveRedGain = [&] {
            const int target = redGain->value() - 16;
            QTest::keyClick(redGain, Qt::Key_PageUp);
            return h.waitFor([&] { return monitor.dac('l', 2) == target; }, answersWithinMs) && m.dataChanged;
        };
        QVERIFY(moveRedGain());
        m.scanSetEnabled[0] = 1; // ticked in the scan-set window, so that the file holds the values

        h.dialogs.files.enqueue(file);
        QVERIFY(h.chooseMenu("mnuFileSaveAs"));
        QVERIFY2(h.dialogs.messages.isEmpty(), qPrintable(h.dialogs.texts().join('\n')));
        QVERIFY(!m.dataChanged);
        const QByteArray saved = fileBytes(file);
        QVERIFY(saved.contains("\"Red Gain\"," + QByteArray::number(redGain->value()) + ","));

        QVERIFY(moveRedGain());
        QVERIFY(full ? disk.fill() : disk.makeReadOnly());
        const QString failure = QStringLiteral("In WriteMDF, the file unit.mdv could not be written: %1.\r"
                                               "The previous file is unchanged.")
                                    .arg(cause);
        h.dialogs.files.enqueue(file);
        QVERIFY(h.chooseMenu("mnuFileSaveAs"));
        QCOMPARE(h.dialogs.texts(), QStringList{failure});
        QCOMPARE(fileBytes(file), saved);
        QVERIFY(m.dataChanged);
        QCOMPARE(h.app().mainWindow()->windowTitle(), FrmMain::applicationTitle() + QStringLiteral(" -- unit.mdv"));

        // Closing asks about the unsaved values; Yes tries again, fails again and keeps them.
        h.dialogs.messages.clear();
        h.dialogs.answers.enqueue(Dialogs::AnswerYes);
        h.dialogs.files.enqueue(file);
        QVERIFY(h.chooseMenu("mnuFileClose"));
        QCOMPARE(h.dialogs.texts(), (QStringList{question, failure}));
        QCOMPARE(fileBytes(file), saved);
        QVERIFY(m.dataChanged);
        QCOMPARE(h.app().mainWindow()->windowTitle(), FrmMain::applicationTitle() + QStringLiteral(" -- unit.mdv"));
    }

    // "Scan Selection" names the monitor's scan sets; a save holds the read values of the ticked scan set, with its
    // name; "Save" after a change rewrites the file the caption names, with no dialog.
    void scanSetNamesAndSave() {
        ToolHarness h(ToolHarness::Port::Real, factoryMode);
        sim::PtySimulator* simulator = h.startWithSimulator(sim::SimOptions());
        MonitorModel& m = *h.ctx().model;
        QVERIFY(h.waitFor([&] { return m.firmwareClass == 210; }, connectWithinMs));
        // Before "Scan Selection" is opened the tool names the scan set the monitor runs.
        QVERIFY(h.waitFor([&] { return m.scanSetCaption == "Scan Set Selected: #1: 640x480 60Hz"; }, answersWithinMs));
        QVERIFY(h.chooseMenu("mnuConfigureSelectScanSet"));
        auto* scanSets = h.ctx().windows->existing<FrmScanSelect>();
        auto name = [&](int i) { return scanSets->findChild<QLabel*>(QStringLiteral("ScanName(%1)").arg(i))->text(); };
        auto tick = [&](int i) {
            return scanSets->findChild<QCheckBox*>(QStringLiteral("Check1(%1)").arg(i))->checkState();
        };
        QVERIFY(h.waitFor([&] { return name(4) == "1280x1024 72Hz"; }, answersWithinMs));
        QCOMPARE(name(1), QString("800x600 60Hz"));
        // Switched on in the monitor: greyed, the one it runs too; opening the window ticks nothing for saving.
        QCOMPARE(tick(0), Qt::PartiallyChecked);
        QCOMPARE(tick(1), Qt::PartiallyChecked);
        QCOMPARE(tick(4), Qt::Unchecked);
        scanSets->findChild<QCheckBox*>(QStringLiteral("Check1(0)"))->click();
        QCOMPARE(tick(0), Qt::Checked);

        // Saved at once, ticked but before any value was read: a warning, and no adjustment values in the file.
        const QString file = h.m_dir.filePath(QStringLiteral("named.mdv"));
        h.dialogs.files.enqueue(file);
        QVERIFY(h.chooseMenu("mnuFileSaveAs"));
        QCOMPARE(h.dialogs.texts(), QStringList{DataFileCommands::noScanSetWarning()});
        QVERIFY(fileBytes(file).contains("\"Model Number: \",\"KM-2110D\""));
        QVERIFY(!fileBytes(file).contains("\"ScanSet\""));

        QVERIFY(h.chooseMenu("mnuAdjustVideo"));
        QScrollBar* redGain = h.ctx().windows->existing<FrmVideoAdj>()->findChild<QScrollBar*>("HScroll1(2)");
        QVERIFY(h.waitFor([&] { return redGain->value() == simulator->monitor().dac('l', 2); }, answersWithinMs));
        const int target = redGain->value() - 16;
        QTest::keyClick(redGain, Qt::Key_PageUp);
        QVERIFY(
            h.waitFor([&] { return m.dataChanged && simulator->monitor().dac('l', 2) == target; }, answersWithinMs));
        QVERIFY(h.chooseMenu("mnuFileSave"));
        QCOMPARE(h.dialogs.fileRequests.size(), 1); // Save As only
        QVERIFY(fileBytes(file).contains("\"ScanSetName\",\"640x480 60Hz\""));
        QVERIFY(fileBytes(file).contains("\"Red Gain\"," + QByteArray::number(target) + ","));
        QVERIFY(!m.dataChanged);
    }
};

QTEST_MAIN(SaveEndToEndTest)
#include "tst_e2e_save.moc"
