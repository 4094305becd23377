// The single-setting windows (backlight, heater and fan, video configuration, deflection and HV enable) as a user
// meets them: opened from the menus of a tool connected to a monitor of the right family, each control sending its
// requests, the answers filling the controls without sending anything back.
#include "adjust/FrmBacklight.h"
#include "adjust/SingleSettingWindows.h"
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"
#include "protocol/Dispatcher.h"
#include "support/ScriptedMonitor.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QtTest>

namespace {

const QString factoryMode = QStringLiteral("[StartUp]\nRunType=1\nInitialMode=FactoryMode\n");

struct Rig {
    ToolHarness h{ToolHarness::Port::Fake, factoryMode};
    std::unique_ptr<ScriptedMonitor> monitor;

    explicit Rig(const QString& version) {
        h.start();
        monitor = std::make_unique<ScriptedMonitor>(h);
        if (!monitor->goOnline(version))
            qFatal("the tool did not come online");
    }
    // Chooses a menu item as the user does; false when the monitor's family does not offer it.
    bool choose(const QString& item) {
        QAction* a = h.app().mainWindow()->menus()->action(item);
        if (!a || !a->isEnabled())
            return false;
        a->trigger();
        return true;
    }
    ChildWindow* window(const QString& name) { return h.ctx().windows->find(name); }
    template <class T> T* control(const QString& windowName, const QString& name) {
        ChildWindow* w = window(windowName);
        T* c = w ? w->findChild<T*>(name) : nullptr;
        if (!c)
            qFatal("no control %s", qPrintable(name));
        return c;
    }
    QString sent() { return monitor->sent(); }
    void answer(const QString& text) { h.ctx().dispatcher->dispatchAnswer(text); }
};

} // namespace

class SettingWindowsTest : public QObject {
    Q_OBJECT
private slots:
    // Each control of each window and what it queues, in order.
    void requests_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("typed"); // text typed into the box before the button is pressed
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("expected");
        const QString fp = "3.10", crt = "2.10";
        auto row = [](const char* name, const QString& version, const char* menu, const char* window,
                      const char* control, const char* expected, const char* box = "", const char* typed = "") {
            QTest::newRow(name) << version << menu << window << control << typed << box << expected;
        };
        row("warm-up, blanks trimmed", fp, "mnuConfigureBacklight", "frmBacklight", "btnSetFilWarmup", "crw120|",
            "txtFilWarmup", "  120  ");
        row("steady", fp, "mnuConfigureBacklight", "frmBacklight", "btnSetFilSteady", "crs80|", "txtFilSteady", "80");
        row("temporary, not range-checked", fp, "mnuConfigureBacklight", "frmBacklight", "btnFilImmediate", "crf300|",
            "txtSetFilImmediate", "300");
        row("status messages on", fp, "mnuConfigureBacklight", "frmBacklight", "ckStatusMessages", "cv|");
        row("heater automatic", fp, "mnuConfigureHeater", "frmFPHeaterFan", "optHeaterAuto", "cp2|");
        row("heater off", fp, "mnuConfigureHeater", "frmFPHeaterFan", "Option1", "cp3|cqh0|");
        row("heater on", fp, "mnuConfigureHeater", "frmFPHeaterFan", "Option2", "cp3|cqh1|");
        row("fan automatic", fp, "mnuConfigureHeater", "frmFPHeaterFan", "Option3", "cp4|");
        row("fan off", fp, "mnuConfigureHeater", "frmFPHeaterFan", "Option4", "cp5|cqf0|");
        row("fan 1/4", fp, "mnuConfigureHeater", "frmFPHeaterFan", "Option5", "cp5|cqf1|");
        row("fan 1/2", fp, "mnuConfigureHeater", "frmFPHeaterFan", "Option6", "cp5|cqf2|");
        row("fan full", fp, "mnuConfigureHeater", "frmFPHeaterFan", "Option7", "cp5|cqf3|");
        row("video external", crt, "mnuConfigureVideoMode", "frmVideoConfig", "VideoSourceExternalOption", "ct0|");
        row("video black", crt, "mnuConfigureVideoMode", "frmVideoConfig", "VideoSourceBlackOption", "ct1|");
        row("video white", crt, "mnuConfigureVideoMode", "frmVideoConfig", "VideoSourceWhiteOption", "ct2|");
        row("degauss", crt, "mnuConfigureVideoMode", "frmVideoConfig", "DegaussButton", "cg|");
        row("deflection on", crt, "mnuDiagnosticsDeflHV", "frmDeflHVEnable", "optDeflEnable", "md1|");
        row("deflection off", crt, "mnuDiagnosticsDeflHV", "frmDeflHVEnable", "optDeflDisable", "md0|");
        row("HV on", crt, "mnuDiagnosticsDeflHV", "frmDeflHVEnable", "optHVEnable", "mh1|");
        row("HV off", crt, "mnuDiagnosticsDeflHV", "frmDeflHVEnable", "optHVDisable", "mh0|");
    }
    void requests() {
        QFETCH(QString, version);
        QFETCH(QString, menu);
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, typed);
        QFETCH(QString, box);
        QFETCH(QString, expected);
        Rig r(version);
        QVERIFY(r.choose(menu));
        QVERIFY(r.window(window)->parentWidget()->isVisible());
        r.sent();
        if (!box.isEmpty())
            r.control<QLineEdit>(window, box)->setText(typed);
        r.control<QAbstractButton>(window, control)->click();
        QCOMPARE(r.sent(), expected);
    }

    void backlightIsFilledByItsAnswersAndSendsOnlyTheUsersClicks() {
        Rig r("3.10");
        r.monitor->replies = {{"drs", {"Duty Cycle = 90"}},
                              {"drw", {"Duty Cycle = 200"}},
                              {"drf", {"Duty Cycle = 45"}},
                              {"dp", {"0 0 V/H sync fail", "Photocell Enabled", "Limits 1,2,3,4,5,6,7,8"}}};
        QVERIFY(r.choose("mnuConfigureBacklight"));
        QCOMPARE(r.window("frmBacklight")->windowTitle(), QString("Backlight Controls"));
        // The reads only: the photocell box the answer ticks sends nothing back.
        QCOMPARE(r.sent(), QString("drs|drw|drf|dp|"));
        QCOMPARE(r.control<QLineEdit>("frmBacklight", "txtFilSteady")->text(), QString("90"));
        QCOMPARE(r.control<QLineEdit>("frmBacklight", "txtFilWarmup")->text(), QString("200"));
        QCOMPARE(r.control<QLineEdit>("frmBacklight", "txtSetFilImmediate")->text(), QString("45"));
        auto* photocell = r.control<QCheckBox>("frmBacklight", "ckPhotocell");
        QVERIFY(photocell->isChecked());
        photocell->click();
        QCOMPARE(r.sent(), QString("cp8|"));
        photocell->click();
        QCOMPARE(r.sent(), QString("cp9|"));

        // An answer that finds the box as it is still lets the user's next click through.
        r.monitor->replies["dp"] = QStringList{"0 0", "Photocell Enabled"};
        r.h.ctx().windows->show<FrmVideoConfig>();
        QVERIFY(r.choose("mnuConfigureBacklight"));
        QCOMPARE(r.sent(), QString("drs|drw|drf|dp|"));
        photocell->click();
        QCOMPARE(r.sent(), QString("cp8|"));

        // Before the panel status has come, the first click after activation only arms the box.
        r.monitor->answering = false;
        r.h.ctx().windows->show<FrmVideoConfig>();
        QVERIFY(r.choose("mnuConfigureBacklight"));
        photocell->click();
        r.h.fakeClock.advance(1000);
        QVERIFY(!r.h.ctx().queue()->transmitQueue().contains("cp"));
        QVERIFY(!r.monitor->takeWritten().contains("cp"));
    }

    void deflectionAndHvAnswersSelectWithoutSending() {
        Rig r("2.10");
        QVERIFY(r.choose("mnuDiagnosticsDeflHV"));
        QCOMPARE(r.window("frmDeflHVEnable")->windowTitle(), QString("Deflection & HV Enable/Disable"));
        QCOMPARE(r.sent(), QString()); // showing the window sends nothing
        r.answer("md0\r\nDeflection disabled\r\n#");
        r.answer("mh0\r\nHigh voltage disabled\r\n#");
        QVERIFY(r.control<QAbstractButton>("frmDeflHVEnable", "optDeflDisable")->isChecked());
        QVERIFY(r.control<QAbstractButton>("frmDeflHVEnable", "optHVDisable")->isChecked());
        QCOMPARE(r.sent(), QString());
        QVERIFY(!r.h.ctx().model->suppressControlEvents);
        r.control<QAbstractButton>("frmDeflHVEnable", "optHVEnable")->click();
        QCOMPARE(r.sent(), QString("mh1|"));
    }

    void menusFollowTheMonitorFamily() {
        // Flat panels offer backlight and heater; CRTs of the second family deflection and HV instead.
        Rig panel("3.10");
        QVERIFY(panel.choose("mnuConfigureBacklight"));
        QVERIFY(!panel.choose("mnuDiagnosticsDeflHV"));
        Rig crt("2.10");
        QVERIFY(!crt.choose("mnuConfigureBacklight"));
        QVERIFY(!crt.choose("mnuConfigureHeater"));
        QVERIFY(crt.choose("mnuDiagnosticsDeflHV"));
    }

    // Each window keeps its placement under its own keys; the video configuration's position and size live in
    // "Layout".
    void placementKeys() {
        Rig r("3.10");
        QVERIFY(r.choose("mnuConfigureBacklight"));
        QVERIFY(r.choose("mnuConfigureHeater"));
        QVERIFY(r.choose("mnuConfigureVideoMode"));
        r.h.shutdown();
        auto s = r.h.readBackSettings();
        for (const char* key :
             {"frmBacklightWindowState", "frmBacklightWidth", "frmFPHeaterFanHeight", "VideoConfigWindowState"})
            QVERIFY2(s->contains("Configs", key), key);
        for (const char* key : {"VideoConfigTop", "VideoConfigLeft", "VideoConfigWidth", "VideoConfigHeight"}) {
            QVERIFY2(s->contains("Layout", key), key);
            QVERIFY2(!s->contains("Configs", key), key);
        }
    }

    void nothingIsQueuedWithoutAMonitor() {
        ToolHarness h(ToolHarness::Port::Fake, factoryMode);
        h.start();
        ScriptedMonitor monitor(h);
        monitor.answering = false;
        h.app().mainWindow()->menus()->action("mnuMonitorDemo")->trigger();
        h.app().mainWindow()->menus()->action("mnuConfigureVideoMode")->trigger();
        ChildWindow* w = h.ctx().windows->find("frmVideoConfig");
        QVERIFY(w && w->parentWidget()->isVisible());
        w->findChild<QAbstractButton*>("DegaussButton")->click();
        w->findChild<QAbstractButton*>("VideoSourceWhiteOption")->click();
        h.fakeClock.advance(3000);
        QVERIFY(!h.ctx().queue()->transmitQueue().contains("c"));
        QVERIFY(!h.fakePort->writtenText().contains("cg"));
        QVERIFY(!h.fakePort->writtenText().contains("ct2"));
    }
};

QTEST_MAIN(SettingWindowsTest)
#include "tst_settingwindows.moc"
