// Every slider of every adjustment window, on each monitor family: one key press (down, then up) sends one step
// from the value the monitor holds, or nothing. The simulated controller answers on the fake port and holds values
// beyond the 6-bit and 7-bit rows ("Horiz S Cap" 200, a convergence ramp of 64, and its HV 182 on the G2 window).
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "link/TransmitQueue.h"
#include "sim/SimMonitor.h"
#include "support/ToolHarness.h"
#include "ui/ChildWindow.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QScrollBar>
#include <QtTest>

namespace {
// Whatever a slider can set in the monitor: the present DACs of its scan set, the HV controls, the offsets.
QVector<int> heldValues(const sim::MonitorState& s) {
    QVector<int> v;
    for (char g : sim::SimMonitor::groupLetters())
        for (int i = 0; i < sim::DacGroupState::maxDacs; ++i)
            v << s.dacs[g].value(sim::DacTable::Current, i, s.currentScanSet);
    return v << s.hvControl << s.offsetCurrent;
}
} // namespace

class HeldValuesTest : public QObject {
    Q_OBJECT
private slots:
    void oneKeyIsOneStepFromTheMonitorsValue_data() {
        QTest::addColumn<QString>("profile");
        QTest::addColumn<QString>("version"); // reported instead of the profile's, without a capability report
        QTest::newRow("1.38") << "1.38" << QString();
        QTest::newRow("2.10") << "2.10" << QString();
        QTest::newRow("2.05 without capability") << "2.10"
                                                 << "2.05";
        QTest::newRow("3.15") << "3.15" << QString();
        QTest::newRow("4.05") << "4.05" << QString();
    }
    void oneKeyIsOneStepFromTheMonitorsValue() {
        QFETCH(QString, profile);
        QFETCH(QString, version);
        ToolHarness h(ToolHarness::Port::Fake, "[StartUp]\nRunType=1\nInitialMode=FactoryMode\n");
        h.start();
        sim::SimProfile p = sim::SimProfile::byName(profile);
        if (!version.isEmpty()) {
            p.firmwareVersion = version;
            p.hasCapability = false;
        }
        sim::SimMonitor monitor(p);
        sim::MonitorState& s = monitor.state();
        s.dacs['h'].setValue(sim::DacTable::Current, 8, s.currentScanSet, 200);
        s.dacs['d'].setValue(sim::DacTable::Current, 1, s.currentScanSet, 64);
        TransmitQueue* q = h.ctx().queue();
        QObject::connect(q, &TransmitQueue::lineWritten, q, [&](const QByteArray& line) {
            for (const sim::Exchange& e : monitor.feed(line))
                h.fakePort->receive(e.answer + "\r\n");
        });
        auto settle = [&] {
            for (int ms = 0;
                 ms < 60000 && !(h.linkIdle() && h.app().mainWindow()->connectionState() == ConnectionState::Online);
                 ms += 100)
                h.fakeClock.advance(100);
        };
        settle();
        QCOMPARE(h.app().mainWindow()->connectionState(), ConnectionState::Online);

        MainMenus* menus = h.app().mainWindow()->menus();
        int stepped = 0;
        auto settings = [&] {
            int n = 0;
            for (const QByteArray& line : h.fakePort->written)
                n += line.startsWith('c');
            return n;
        };
        const QList<QPair<const char*, QStringList>> windows = {
            {"mnuAdjustVideo", {"frmVideoAdj"}},
            {"mnuAdjustGeometry", {"frmGeometryAdj"}},
            {"mnuAdjustmentConvergence", {"frmConvergence"}},
            {"mnuAdjustHV", {"frmG2", "frmMDI_HV"}},
            {"mnuAdjustmentBrightnessContrast", {"frmBrightnessContrast"}}};
        for (const auto& [item, names] : windows) {
            if (!menus->action("mnuAdjust")->isEnabled() || !menus->action(item)->isEnabled())
                continue;
            menus->action(item)->trigger();
            settle();
            ChildWindow* w = nullptr;
            for (const QString& name : names)
                if (ChildWindow* c = h.ctx().windows->find(name); c && c->isVisible())
                    w = c;
            QVERIFY2(w, item);
            for (QScrollBar* slider : w->findChildren<QScrollBar*>()) {
                if (!slider->isVisibleTo(w))
                    continue;
                for (const auto& [key, step] : {std::pair{Qt::Key_Left, -1}, std::pair{Qt::Key_Right, 1}}) {
                    const QVector<int> before = heldValues(s);
                    const int sent = settings();
                    QTest::keyClick(slider, key);
                    settle();
                    const QVector<int> after = heldValues(s);
                    QList<int> steps;
                    for (int k = 0; k < before.size(); ++k)
                        if (after[k] != before[k])
                            steps << after[k] - before[k];
                    const QString what = w->objectName() + " " + slider->objectName();
                    QVERIFY2(steps.isEmpty() || steps == QList<int>{step}, qPrintable(what));
                    QVERIFY2(settings() - sent == steps.size(), qPrintable(what));
                    stepped += steps.size();
                }
            }
        }
        QVERIFY(stepped > 0);
    }
};

QTEST_MAIN(HeldValuesTest)
#include "tst_heldvalues.moc"
