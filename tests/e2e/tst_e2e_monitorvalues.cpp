// Writes the user meant, against the simulated 2.10 CRT over a pseudo-terminal: the G2 window on a monitor whose
// HV is beyond its 6-bit rows shows the real values, sends nothing from them and leads to the High Voltage window;
// a request the monitor refuses costs neither the connection nor the slider moves queued behind it.
#include "adjust/FrmVideoAdj.h"
#include "adjust/HvWindows.h"
#include "app/FrmMain.h"
#include "link/Link.h"
#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"
#include "sim/PtySimulator.h"
#include "sim/SimOptions.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

namespace {
// Bounds that only keep a broken build from hanging; nothing is measured against them.
constexpr int connectWithinMs = 15000;
constexpr int answersWithinMs = 15000;

const QString factoryMode = QStringLiteral("[StartUp]\nRunType=1\nInitialMode=FactoryMode\n");
} // namespace

class MonitorValuesEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void highVoltageAboveTheSixBitRows() {
        ToolHarness h(ToolHarness::Port::Real, factoryMode);
        sim::PtySimulator* simulator = h.startWithSimulator(sim::SimOptions());
        const sim::MonitorState& s = simulator->monitor().state();
        QVERIFY(h.waitFor([&] { return h.ctx().model->hasG2Adjustment && h.linkIdle(); }, connectWithinMs));
        const QVector<int> held = s.hvControl; // HV 182, focus 120, G2 95

        QVERIFY(h.chooseMenu("mnuAdjustHV"));
        auto* g2 = h.ctx().windows->existing<FrmG2>();
        QVERIFY(g2 && g2->isVisible());
        QScrollBar* hv = g2->findChild<QScrollBar*>("HScroll1(1)");
        QVERIFY(h.waitFor([&] { return !g2->findChild<QLabel*>("lblBeyondRange")->isHidden() && h.linkIdle(); },
                          answersWithinMs));
        QCOMPARE(g2->findChild<QLabel*>("Label2(1)")->text(), QString::number(held[0]));
        QVERIFY(!hv->isEnabled());
        QTest::keyClick(hv, Qt::Key_Left);
        QVERIFY(h.waitFor([&] { return h.linkIdle(); }, answersWithinMs));
        QCOMPARE(s.hvControl, held);

        g2->findChild<QPushButton*>("btnHighVoltage")->click();
        auto* hvWindow = h.ctx().windows->existing<FrmMDI_HV>();
        QVERIFY(hvWindow && hvWindow->isVisible());
        QScrollBar* eightBit = hvWindow->findChild<QScrollBar*>("HScroll1(0)");
        QVERIFY(h.waitFor([&] { return eightBit->value() == held[0] && eightBit->isEnabled() && h.linkIdle(); },
                          answersWithinMs));
        QTest::keyClick(eightBit, Qt::Key_Left);
        QVERIFY(h.waitFor([&] { return s.hvControl[0] == held[0] - 1 && h.linkIdle(); }, answersWithinMs));
        QCOMPARE(s.hvControl.mid(1), held.mid(1));
    }

    void refusedRequestKeepsTheLinkAndTheQueuedMoves() {
        ToolHarness h(ToolHarness::Port::Real, factoryMode);
        sim::PtySimulator* simulator = h.startWithSimulator(sim::SimOptions());
        sim::SimMonitor& monitor = simulator->monitor();
        QVERIFY(h.waitFor([&] { return h.ctx().model->firmwareClass == 210 && h.linkIdle(); }, connectWithinMs));
        QVERIFY(h.chooseMenu("mnuAdjustVideo"));
        auto* w = h.ctx().windows->existing<FrmVideoAdj>();
        QVERIFY(h.waitFor([&] { return w->findChild<QScrollBar*>("HScroll1(7)")->isEnabled() && h.linkIdle(); },
                          answersWithinMs));
        QList<int> expected;
        for (int i = 2; i < 5; ++i)
            expected << monitor.dac('l', i) + 1;

        // A request the monitor does not know, then three slider moves queued behind it.
        h.ctx().send("zz");
        for (int i = 2; i < 5; ++i)
            QTest::keyClick(w->findChild<QScrollBar*>(QString("HScroll1(%1)").arg(i)), Qt::Key_Right);
        QVERIFY(h.waitFor(
            [&] { return monitor.dac('l', 2) == expected[0] && monitor.dac('l', 4) == expected[2] && h.linkIdle(); },
            answersWithinMs));
        QCOMPARE(monitor.dac('l', 3), expected[1]);
        QCOMPARE(h.app().mainWindow()->connectionState(), ConnectionState::Online);
        QVERIFY(h.ctx().link->history().lines().filter("Refused by the monitor: zz").size() == 1);
    }
};

QTEST_MAIN(MonitorValuesEndToEndTest)
#include "tst_e2e_monitorvalues.moc"
