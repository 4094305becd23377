// Colour balance against the simulated monitor over a pseudo-terminal with the real clock: the window shows
// what the monitor holds, moving "Red Gain" changes the monitor's DAC, "S&ave As ..." keeps the new value in a
// data file, and a second tool with no monitor opens that file and shows the value in the same window.
#include "adjust/FrmVideoAdj.h"
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"
#include "model/windows/FrmScanSelect.h"
#include "sim/PtySimulator.h"
#include "sim/SimOptions.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Bounds that only keep a broken build from hanging; nothing is measured against them.
constexpr int connectWithinMs = 15000;
constexpr int answersWithinMs = 15000;

const QString factoryMode = QStringLiteral("[StartUp]\nRunType=1\nInitialMode=FactoryMode\n");

} // namespace

class ColourBalanceEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void redGainReachesTheMonitorAndTheDataFile() {
        QTemporaryDir dir;
        const QString file = dir.filePath("colour.mdv");
        const int redGain = 2;
        int moved = 0;
        {
            ToolHarness h(ToolHarness::Port::Real, factoryMode);
            sim::PtySimulator* simulator = h.startWithSimulator(sim::SimOptions());
            sim::SimMonitor& monitor = simulator->monitor();
            QVERIFY(h.waitFor([&] { return h.ctx().model->firmwareClass == 210; }, connectWithinMs));
            QCOMPARE(h.app().mainWindow()->connectionState(), ConnectionState::Online);

            QVERIFY(h.chooseMenu("mnuAdjustVideo"));
            FrmVideoAdj* w = h.ctx().windows->existing<FrmVideoAdj>();
            QVERIFY(w && w->parentWidget()->isVisible());
            QScrollBar* slider = w->findChild<QScrollBar*>("HScroll1(2)");
            QLineEdit* present = w->findChild<QLineEdit*>("Text1(2)");
            const int onMonitor = monitor.dac('l', redGain);
            QVERIFY(h.waitFor([&] { return slider->value() == onMonitor && h.linkIdle(); }, answersWithinMs));
            QCOMPARE(present->text(), QString::number(onMonitor));
            QCOMPARE(w->findChild<QLineEdit*>("Text2(2)")->text(),
                     QString::number(monitor.dac('l', sim::DacTable::Factory, redGain, 0)));
            QCOMPARE(w->findChild<QLineEdit*>("Text3(2)")->text(),
                     QString::number(monitor.dac('l', sim::DacTable::Initial, redGain, 0)));
            // Every value the window showed went back unchanged: the monitor still holds what it held.
            QCOMPARE(monitor.dac('l', redGain), onMonitor);

            QTest::keyClick(slider, Qt::Key_PageDown);
            moved = onMonitor + 16;
            QCOMPARE(present->text(), QString::number(moved));
            QVERIFY(h.waitFor([&] { return monitor.dac('l', redGain) == moved; }, answersWithinMs));
            QVERIFY(h.ctx().model->dataChanged);

            // The current scan set is ticked, whose values the file keeps: the monitor's list ticks it when it is
            // switched on, else the user does.
            QVERIFY(h.chooseMenu("mnuConfigureSelectScanSet"));
            auto* scanSets = h.ctx().windows->existing<FrmScanSelect>();
            QVERIFY(scanSets);
            QCheckBox* tick = scanSets->findChild<QCheckBox*>("Check1(0)");
            if (tick->checkState() != Qt::Checked)
                tick->click();
            QCOMPARE(h.ctx().model->scanSetEnabled[0], 1);
            QVERIFY(
                h.waitFor([&] { return monitor.state().scanSets.value(0).enabled && h.linkIdle(); }, answersWithinMs));

            h.dialogs.files.enqueue(file);
            QVERIFY(h.chooseMenu("mnuFileSaveAs"));
            QVERIFY2(h.dialogs.messages.isEmpty(), qPrintable(h.dialogs.texts().join('\n')));
            QVERIFY(!h.ctx().model->dataChanged);
        }

        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray contents = saved.readAll();
        QVERIFY2(contents.contains("\"Red Gain\"," + QByteArray::number(moved) + ","), contents.constData());

        // A tool with no monitor opens the file and shows the value.
        ToolHarness offline(ToolHarness::Port::Fake, factoryMode);
        offline.start();
        offline.dialogs.files.enqueue(file);
        QVERIFY(offline.chooseMenu("mnuFileOpen"));
        QVERIFY2(offline.dialogs.messages.isEmpty(), qPrintable(offline.dialogs.texts().join('\n')));
        QVERIFY(!offline.ctx().model->monitorResponding);
        QVERIFY(offline.chooseMenu("mnuAdjustVideo"));
        FrmVideoAdj* w = offline.ctx().windows->existing<FrmVideoAdj>();
        QVERIFY(w && w->parentWidget()->isVisible());
        QCOMPARE(w->findChild<QScrollBar*>("HScroll1(2)")->value(), moved);
        QCOMPARE(w->findChild<QLineEdit*>("Text1(2)")->text(), QString::number(moved));
        QVERIFY(!offline.ctx().model->dataChanged);
    }
};

QTEST_MAIN(ColourBalanceEndToEndTest)
#include "tst_e2e_colorbalance.moc"
