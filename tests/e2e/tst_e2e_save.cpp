// Saving onto a full and onto a read-only disk with the tool connected to the simulated monitor over a
// pseudo-terminal: the user moves "Red Gain", saves, moves it again and saves once more onto a disk that has
// filled up or turned read-only. The failure is shown with its cause, the file saved before keeps every byte,
// the values still count as changed, and the save question offers them again.
#include "adjust/FrmVideoAdj.h"
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "model/MonitorModel.h"
#include "sim/PtySimulator.h"
#include "sim/SimOptions.h"
#include "support/ScratchFileSystem.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QFile>
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
};

QTEST_MAIN(SaveEndToEndTest)
#include "tst_e2e_save.moc"
