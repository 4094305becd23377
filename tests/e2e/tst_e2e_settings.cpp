// The brightness/contrast, high-voltage and single-setting windows against the simulated monitor over a
// pseudo-terminal with the real clock. A CRT: the G2 window (2.10, which reports a G2 adjustment board), the HV
// window (a CRT that reports no capability), video configuration and deflection/HV enable. A flat panel (3.15):
// brightness and contrast, backlight, heater and fan. Each window is opened through the menus of the connected tool,
// a control is moved, the request is checked on the wire and the simulated monitor's state read back.
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"
#include "sim/PtySimulator.h"
#include "sim/SimOptions.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QtTest>

namespace {

// Bounds that only keep a broken build from hanging; nothing is measured against them.
constexpr int connectWithinMs = 15000;
constexpr int answersWithinMs = 15000;

const QString factoryMode = QStringLiteral("[StartUp]\nRunType=1\nInitialMode=FactoryMode\n");

// A tool connected to a simulated monitor, with every request line the monitor received.
struct Session {
    ToolHarness h{ToolHarness::Port::Real, factoryMode};
    sim::PtySimulator* simulator = nullptr;
    QStringList wire;

    // prepare runs on the monitor before the tool has talked to it.
    explicit Session(const QString& profile, const std::function<void(sim::MonitorState&)>& prepare = {}) {
        sim::SimOptions options;
        options.profile = profile;
        simulator = h.startWithSimulator(options);
        if (prepare)
            prepare(simulator->monitor().state());
        QObject::connect(
            simulator, &sim::PtySimulator::requestHandled,
            [this](const QByteArray& request, const QByteArray&) { wire << QString::fromLatin1(request); });
    }
    sim::MonitorState& monitor() { return simulator->monitor().state(); }
    bool idle() {
        const TransmitQueue* q = h.ctx().queue();
        return q->isIdle();
    }
    bool settle() {
        return h.waitFor([this] { return idle(); }, answersWithinMs);
    }
    // Chooses a menu item as the user does, once the monitor's family has offered it; the window it shows.
    ChildWindow* choose(const char* item, const char* window) {
        QAction* a = h.app().mainWindow()->menus()->action(QLatin1String(item));
        if (!a || !h.waitFor([a] { return a->isEnabled(); }, connectWithinMs))
            return nullptr;
        a->trigger();
        ChildWindow* w = h.ctx().windows->find(QLatin1String(window));
        return w && w->parentWidget()->isVisible() ? w : nullptr;
    }
    // The requests received since the mark, in order.
    QStringList since(int mark) const { return wire.mid(mark); }
    template <class T> T* get(ChildWindow* w, const QString& name) {
        T* c = w->findChild<T*>(name);
        if (!c)
            qFatal("no control %s", qPrintable(name));
        return c;
    }
};

bool isSetRequest(const QString& r) {
    return r.startsWith('c') || r.startsWith('C') || r.startsWith('m');
}

// What went to the monitor without the reads before it (a connection's first change waits for the history's).
QStringList changesIn(const QStringList& requests) {
    QStringList out;
    for (const QString& r : requests)
        if (isSetRequest(r))
            out << r;
    return out;
}

} // namespace

class SettingsEndToEndTest : public QObject {
    Q_OBJECT
private slots:
    void crtWindows() {
        Session s(QStringLiteral("2.10"));
        QVERIFY(s.h.waitFor([&] { return s.h.ctx().model->hasG2Adjustment; }, connectWithinMs));
        QVERIFY(s.settle());

        // G2 window: the monitor's focus lies beyond the window's 0 to 63, so its row shows the real value and
        // cannot be adjusted; the High Voltage window it leads to adjusts the focus.
        int mark = s.wire.size();
        ChildWindow* g2 = s.choose("mnuAdjustHV", "frmG2");
        QVERIFY(g2);
        const int focusBefore = s.monitor().hvControl[1];
        QVERIFY(focusBefore > 63);
        QLabel* focusShown = s.get<QLabel>(g2, "Label2(2)");
        QVERIFY(s.h.waitFor([&] { return focusShown->text().trimmed() == QString::number(focusBefore) && s.idle(); },
                            answersWithinMs));
        QCOMPARE(s.since(mark), (QStringList{"dh", "da"}));
        QVERIFY(!s.get<QScrollBar>(g2, "HScroll1(2)")->isEnabled());
        s.get<QAbstractButton>(g2, "btnHighVoltage")->click();
        ChildWindow* hv = s.h.ctx().windows->find(QStringLiteral("frmMDI_HV"));
        QVERIFY(hv && hv->parentWidget()->isVisible());
        QScrollBar* focus = s.get<QScrollBar>(hv, "HScroll1(1)");
        QVERIFY(s.h.waitFor([&] { return focus->value() == focusBefore && s.idle(); }, answersWithinMs));
        mark = s.wire.size();
        focus->setValue(focusBefore - 1);
        QVERIFY(s.h.waitFor([&] { return s.monitor().hvControl[1] == focus->value(); }, answersWithinMs));
        QCOMPARE(changesIn(s.since(mark)), QStringList{"chf" + QString::number(focus->value())});
        QVERIFY(focusBefore != focus->value());

        // Video configuration: white source, then degauss.
        ChildWindow* video = s.choose("mnuConfigureVideoMode", "frmVideoConfig");
        QVERIFY(video);
        QVERIFY(s.settle());
        mark = s.wire.size();
        s.get<QAbstractButton>(video, "VideoSourceWhiteOption")->click();
        s.get<QAbstractButton>(video, "DegaussButton")->click();
        QVERIFY(s.h.waitFor([&] { return s.monitor().degaussCount == 1 && s.idle(); }, answersWithinMs));
        QCOMPARE(s.monitor().videoSource, 2);
        QCOMPARE(s.since(mark), (QStringList{"ct2", "cg"}));

        // Deflection and HV: showing the window sends nothing; the monitor's answer selects the option quietly.
        mark = s.wire.size();
        ChildWindow* deflHv = s.choose("mnuDiagnosticsDeflHV", "frmDeflHVEnable");
        QVERIFY(deflHv);
        QVERIFY(s.settle());
        QVERIFY(s.since(mark).isEmpty());
        s.get<QAbstractButton>(deflHv, "optHVDisable")->click();
        QVERIFY(s.h.waitFor([&] { return !s.monitor().hvEnabled && s.idle(); }, answersWithinMs));
        s.get<QAbstractButton>(deflHv, "optHVEnable")->click();
        QVERIFY(s.h.waitFor([&] { return s.monitor().hvEnabled && s.idle(); }, answersWithinMs));
        QCOMPARE(s.since(mark), (QStringList{"mh0", "mh1"}));
        QVERIFY(s.monitor().deflectionEnabled);
    }

    void hvWindowOnACrtWithoutCapability() {
        // A second-family CRT whose firmware predates the capability report.
        Session s(QStringLiteral("2.10"), [](sim::MonitorState& m) {
            m.profile.firmwareVersion = QStringLiteral("2.05");
            m.profile.hasCapability = false;
        });
        QVERIFY(s.h.waitFor([&] { return s.h.ctx().model->firmwareClass == 205; }, connectWithinMs));
        QVERIFY(s.settle());
        const int mark = s.wire.size();
        ChildWindow* hv = s.choose("mnuAdjustHV", "frmMDI_HV");
        QVERIFY(hv);
        QScrollBar* slider = s.get<QScrollBar>(hv, "HScroll1(0)");
        const int onMonitor = s.monitor().hvControl[0];
        QVERIFY(s.h.waitFor([&] { return slider->value() == onMonitor && s.idle(); }, answersWithinMs));
        QCOMPARE(s.get<QLineEdit>(hv, "Text2(0)")->text(),
                 QString::number(s.monitor().hvDefault[0]).rightJustified(3, '0'));
        QCOMPARE(s.get<QLineEdit>(hv, "HVUpperLimitTextBox")->text(),
                 QString::number(s.monitor().hvUpperLimit).rightJustified(3, '0'));
        // Only the read: the values shown went nowhere.
        QCOMPARE(s.since(mark), QStringList{"dh"});

        QTest::keyClick(slider, Qt::Key_PageUp);
        const int moved = slider->value();
        QVERIFY(moved != onMonitor);
        QVERIFY(s.h.waitFor([&] { return s.monitor().hvControl[0] == moved && s.idle(); }, answersWithinMs));
        QCOMPARE(changesIn(s.since(mark)), QStringList{"chh" + QString::number(moved)});
    }

    void flatPanelWindows() {
        Session s(QStringLiteral("3.15"));
        QVERIFY(s.h.waitFor([&] { return s.h.ctx().model->firmwareClass == 315; }, connectWithinMs));
        QVERIFY(s.settle());

        // Brightness and contrast: the contrast slider.
        int mark = s.wire.size();
        ChildWindow* bc = s.choose("mnuAdjustmentBrightnessContrast", "frmBrightnessContrast");
        QVERIFY(bc);
        QScrollBar* contrast = s.get<QScrollBar>(bc, "HScroll_Contrast");
        const int onMonitor = s.simulator->monitor().dac('l', 0);
        QVERIFY(s.h.waitFor([&] { return contrast->value() == onMonitor && s.idle(); }, answersWithinMs));
        QCOMPARE(s.get<QLabel>(bc, "lblContrastPV")->text(), QString::number(onMonitor));
        // The sliders the answer moved sent the monitor's own values back, as in every adjustment window: nothing
        // changed there.
        const int brightness = s.simulator->monitor().dac('l', 1);
        for (const QString& r : s.since(mark))
            if (isSetRequest(r))
                QVERIFY2(r == "cdl0" + QString::number(onMonitor) || r == "cdl1" + QString::number(brightness),
                         qPrintable(r));
        QCOMPARE(s.simulator->monitor().dac('l', 0), onMonitor);
        mark = s.wire.size();
        QTest::keyClick(contrast, Qt::Key_PageDown);
        const int moved = contrast->value();
        QVERIFY(s.h.waitFor([&] { return s.simulator->monitor().dac('l', 0) == moved && s.idle(); }, answersWithinMs));
        QCOMPARE(s.since(mark), QStringList{"cdl0" + QString::number(moved)});
        // Software control of contrast off: class 315 has its own request.
        mark = s.wire.size();
        s.get<QAbstractButton>(bc, "Option1")->click();
        QVERIFY(s.h.waitFor([&] { return s.monitor().userContrast && s.idle(); }, answersWithinMs));
        QCOMPARE(s.since(mark), QStringList{"CPC1"});
        QVERIFY(contrast->isHidden());

        // Backlight: filled by its reads; a warm-up power typed with blanks; the photocell switched.
        mark = s.wire.size();
        ChildWindow* backlight = s.choose("mnuConfigureBacklight", "frmBacklight");
        QVERIFY(backlight);
        QLineEdit* steady = s.get<QLineEdit>(backlight, "txtFilSteady");
        QVERIFY(s.h.waitFor([&] { return steady->text() == QString::number(s.monitor().filamentSteady) && s.idle(); },
                            answersWithinMs));
        QCOMPARE(s.since(mark), (QStringList{"drs", "drw", "drf", "dp"}));
        QCheckBox* photocell = s.get<QCheckBox>(backlight, "ckPhotocell");
        QCOMPARE(photocell->isChecked(), s.monitor().photocellEnabled);
        mark = s.wire.size();
        s.get<QLineEdit>(backlight, "txtFilWarmup")->setText(" 77 ");
        s.get<QAbstractButton>(backlight, "btnSetFilWarmup")->click();
        const bool photocellWas = s.monitor().photocellEnabled;
        photocell->click();
        QVERIFY(s.h.waitFor([&] { return s.monitor().photocellEnabled != photocellWas && s.idle(); }, answersWithinMs));
        QCOMPARE(s.monitor().filamentWarmup, 77);
        QCOMPARE(s.since(mark), (QStringList{"crw77", photocellWas ? "cp8" : "cp9"}));

        // Heater and fan: the fan at half speed.
        ChildWindow* heater = s.choose("mnuConfigureHeater", "frmFPHeaterFan");
        QVERIFY(heater);
        QVERIFY(s.settle());
        mark = s.wire.size();
        s.get<QAbstractButton>(heater, "Option6")->click();
        QVERIFY(s.h.waitFor([&] { return s.monitor().fanSpeed == 2 && s.idle(); }, answersWithinMs));
        QVERIFY(s.monitor().fanForced);
        QCOMPARE(s.since(mark), (QStringList{"cp5", "cqf2"}));
    }
};

QTEST_MAIN(SettingsEndToEndTest)
#include "tst_e2e_settings.moc"
