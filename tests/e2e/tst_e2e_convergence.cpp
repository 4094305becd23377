// Geometry and convergence against the simulated 2.10 CRT over a pseudo-terminal: the windows opened from the menus
// show what the monitor holds, and a goal button sends exactly the coupled sliders' set requests.
#include "adjust/FrmConvergence.h"
#include "adjust/FrmConvergenceGoal.h"
#include "adjust/FrmGeometryAdj.h"
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"
#include "sim/PtySimulator.h"
#include "sim/SimOptions.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

namespace {

// Bounds that only keep a broken build from hanging; nothing is measured against them.
constexpr int connectWithinMs = 15000;
constexpr int answersWithinMs = 20000;

const QString factoryMode = QStringLiteral("[StartUp]\nRunType=1\nInitialMode=FactoryMode\n");

} // namespace

class ConvergenceEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void goalButtonSendsTheCoupledSliders() {
        ToolHarness h(ToolHarness::Port::Real, factoryMode);
        sim::PtySimulator* simulator = h.startWithSimulator(sim::SimOptions());
        sim::SimMonitor& monitor = simulator->monitor();
        QVERIFY(h.waitFor([&] { return h.ctx().model->hasConvergence && h.linkIdle(); }, connectWithinMs));

        QVERIFY(h.chooseMenu("mnuAdjustGeometry"));
        auto* geometry = h.ctx().windows->existing<FrmGeometryAdj>();
        QVERIFY(geometry && geometry->isVisible());
        QScrollBar* size = geometry->findChild<QScrollBar*>("HScroll1(0)");
        QScrollBar* northSouth = geometry->findChild<QScrollBar*>("HScroll2(1)");
        QVERIFY(h.waitFor(
            [&] {
                return size->value() == monitor.dac('v', 0) && northSouth->value() == monitor.dac('s', 1) &&
                       h.linkIdle();
            },
            answersWithinMs));
        QVERIFY(northSouth->isEnabled());

        QVERIFY(h.chooseMenu("mnuAdjustmentConvergence"));
        auto* details = h.ctx().windows->existing<FrmConvergence>();
        QVERIFY(details && details->isVisible());
        QVERIFY(h.waitFor(
            [&] {
                return details->slider(6, 3)->value() == monitor.dac('a', 3) &&
                       details->slider(4, 3)->value() == monitor.dac('i', 3) && h.linkIdle();
            },
            answersWithinMs));
        QCOMPARE(details->findChild<QLabel*>("Label16(3)")->text(), " " + QString::number(monitor.dac('a', 3)));

        QVERIFY(h.chooseMenu("mnuAdjustmentConvergenceGoals"));
        auto* goal = h.ctx().windows->existing<FrmConvergenceGoal>();
        QVERIFY(goal && goal->isVisible());
        QVERIFY(h.waitFor([&] { return h.linkIdle(); }, answersWithinMs));

        // The settings on the wire (the reads the history makes before a connection's first change go first).
        QStringList onTheWire;
        QObject::connect(simulator, &sim::PtySimulator::requestHandled, goal,
                         [&](const QByteArray& request, const QByteArray&) {
                             if (!request.startsWith('d'))
                                 onTheWire << QString::fromLatin1(request);
                         });
        // Position 5 (right), green, direction 1, fine (button 9): +1.3 +4.3, the horizontal ramp and parabola
        // sliders of element 3 one step up, each within its 0 to 63.
        const int ramp = std::min(details->slider(1, 3)->value() + 1, 63);
        const int parabola = std::min(details->slider(4, 3)->value() + 1, 63);
        QStringList expected;
        if (ramp != monitor.dac('d', 3))
            expected << QString("cdd3%1").arg(ramp);
        if (parabola != monitor.dac('i', 3))
            expected << QString("cdi3%1").arg(parabola);
        goal->findChild<QPushButton*>("btnConvLoc(4)")->click();
        goal->findChild<QPushButton*>("btnAdjConv(9)")->click();
        QVERIFY(
            h.waitFor([&] { return monitor.dac('d', 3) == ramp && monitor.dac('i', 3) == parabola && h.linkIdle(); },
                      answersWithinMs));
        QCOMPARE(onTheWire, expected);
        QVERIFY(h.ctx().model->dataChanged);
    }

    // Goals opened first, on a fresh start: its reads reach the details window, created hidden, and a step is made
    // at once from the monitor's values; one asked before they are in is not made, and says so.
    void goalsOpenedFirstStepFromTheMonitorsValues() {
        ToolHarness h(ToolHarness::Port::Real, factoryMode);
        sim::PtySimulator* simulator = h.startWithSimulator(sim::SimOptions());
        sim::SimMonitor& monitor = simulator->monitor();
        QVERIFY(h.waitFor([&] { return h.ctx().model->hasConvergence && h.linkIdle(); }, connectWithinMs));
        const int offset0 = monitor.dac('a', 0), offset2 = monitor.dac('a', 2);

        // Position 1 (centre), red, direction 1, fine (button 1): -6.0 -6.2.
        QVERIFY(h.chooseMenu("mnuAdjustmentConvergenceGoals"));
        auto* goal = h.ctx().windows->existing<FrmConvergenceGoal>();
        goal->findChild<QPushButton*>("btnConvLoc(0)")->click();
        goal->findChild<QPushButton*>("btnAdjConv(1)")->click();
        QCOMPARE(h.dialogs.texts(), QStringList{FrmConvergence::stepBeforeValues()});
        QVERIFY(h.waitFor([&] { return h.linkIdle(); }, answersWithinMs));
        QCOMPARE(monitor.dac('a', 0), offset0);

        goal->findChild<QPushButton*>("btnAdjConv(1)")->click();
        QVERIFY(h.waitFor([&] { return monitor.dac('a', 0) == offset0 - 1 && h.linkIdle(); }, answersWithinMs));
        QCOMPARE(monitor.dac('a', 2), offset2 - 1);
        auto* details = h.ctx().windows->existing<FrmConvergence>();
        QVERIFY(!details->isVisible());
        QCOMPARE(details->slider(6, 0)->value(), offset0 - 1);
        QCOMPARE(h.dialogs.messages.size(), 1);
    }
};

QTEST_MAIN(ConvergenceEndToEndTest)
#include "tst_e2e_convergence.moc"
