// The single-setting windows (backlight, heater and fan, video configuration, deflection and HV enable) reached
// through the menus of a tool connected to a monitor of their family: each control sends its requests, the
// answers fill the controls without sending anything back, and what the monitor did not report says so.
#include "adjust/SingleSettingWindows.h"
#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"
#include "protocol/Dispatcher.h"
#include "support/OnlineTool.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

class SettingWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void requests_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("box"); // a box typed into before the button is pressed
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        const struct {
            const char *name, *version, *menu, *window, *control, *expected, *box, *typed;
        } rows[] = {
            {"warm-up, trimmed", "3.10", "mnuConfigureBacklight", "frmBacklight", "btnSetFilWarmup", "crw120|",
             "txtFilWarmup", "  120  "},
            {"steady", "3.10", "mnuConfigureBacklight", "frmBacklight", "btnSetFilSteady", "crs80|", "txtFilSteady",
             "80"},
            {"temporary, unchecked", "3.10", "mnuConfigureBacklight", "frmBacklight", "btnFilImmediate", "crf300|",
             "txtSetFilImmediate", "300"},
            {"status messages", "3.10", "mnuConfigureBacklight", "frmBacklight", "ckStatusMessages", "cv|", "", ""},
            {"heater auto", "4.05", "mnuConfigureHeater", "frmFPHeaterFan", "optHeaterAuto", "cp2|", "", ""},
            {"heater off", "4.05", "mnuConfigureHeater", "frmFPHeaterFan", "Option1", "cp3|cqh0|", "", ""},
            {"heater on", "4.05", "mnuConfigureHeater", "frmFPHeaterFan", "Option2", "cp3|cqh1|", "", ""},
            {"fan auto", "4.05", "mnuConfigureHeater", "frmFPHeaterFan", "Option3", "cp4|", "", ""},
            {"fan off", "4.05", "mnuConfigureHeater", "frmFPHeaterFan", "Option4", "cp5|cqf0|", "", ""},
            {"fan 1/4", "4.05", "mnuConfigureHeater", "frmFPHeaterFan", "Option5", "cp5|cqf1|", "", ""},
            {"fan 1/2", "4.05", "mnuConfigureHeater", "frmFPHeaterFan", "Option6", "cp5|cqf2|", "", ""},
            {"fan full", "4.05", "mnuConfigureHeater", "frmFPHeaterFan", "Option7", "cp5|cqf3|", "", ""},
            {"external", "2.10", "mnuConfigureVideoMode", "frmVideoConfig", "VideoSourceExternalOption", "ct0|", "",
             ""},
            {"black", "2.10", "mnuConfigureVideoMode", "frmVideoConfig", "VideoSourceBlackOption", "ct1|", "", ""},
            {"white", "2.10", "mnuConfigureVideoMode", "frmVideoConfig", "VideoSourceWhiteOption", "ct2|", "", ""},
            {"degauss", "2.10", "mnuConfigureVideoMode", "frmVideoConfig", "DegaussButton", "cg|", "", ""},
            {"deflection on", "2.10", "mnuDiagnosticsDeflHV", "frmDeflHVEnable", "optDeflEnable", "md1|", "", ""},
            {"deflection off", "2.10", "mnuDiagnosticsDeflHV", "frmDeflHVEnable", "optDeflDisable", "md0|", "", ""},
            {"HV on", "2.10", "mnuDiagnosticsDeflHV", "frmDeflHVEnable", "optHVEnable", "mh1|", "", ""},
            {"HV off", "2.10", "mnuDiagnosticsDeflHV", "frmDeflHVEnable", "optHVDisable", "mh0|", "", ""},
        };
        for (const auto& r : rows)
            QTest::newRow(r.name) << r.version << r.menu << r.window << r.control << r.box << r.typed << r.expected;
    }
    void requests() {
        QFETCH(QString, version);
        QFETCH(QString, menu);
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        OnlineTool t(version);
        QVERIFY(t.choose(menu));
        QVERIFY(t.window(window)->parentWidget()->isVisible());
        t.sent();
        if (!box.isEmpty())
            t.get<QLineEdit>(window, box)->setText(typed);
        t.get<QAbstractButton>(window, control)->click();
        QCOMPARE(t.sent(), expected);
    }

    // The backlight shows what the monitor reported; what it did not report says so and sends nothing until the
    // user types a value.
    void backlightShowsTheMonitorsStateAndSendsOnlyTheUsersChoice() {
        OnlineTool t("3.10", {{"drs", {"Duty Cycle = 90"}},
                              {"drw", {"Duty Cycle = 200"}},
                              {"dp", {"0 0 V/H sync fail", "Photocell Enabled"}}});
        QVERIFY(t.choose("mnuConfigureBacklight"));
        // The reads only: the boxes and the photocell box the answers filled send nothing back.
        QCOMPARE(t.sent(), QString("drs|drw|drf|dp|"));
        QCOMPARE(t.get<QLineEdit>("frmBacklight", "txtFilSteady")->text(), QString("90"));
        QCOMPARE(t.get<QLineEdit>("frmBacklight", "txtFilWarmup")->text(), QString("200"));
        auto* immediate = t.get<QLineEdit>("frmBacklight", "txtSetFilImmediate");
        QCOMPARE(immediate->text(), QString());
        QCOMPARE(immediate->placeholderText(), QString("not reported"));
        QVERIFY(t.get<QLabel>("frmBacklight", "lblStateNote")->isVisibleTo(t.window("frmBacklight")));
        t.get<QAbstractButton>("frmBacklight", "btnFilImmediate")->click();
        QCOMPARE(t.sent(), QString());
        immediate->setText("45");
        t.get<QAbstractButton>("frmBacklight", "btnFilImmediate")->click();
        QCOMPARE(t.sent(), QString("crf45|"));
        QVERIFY(!t.get<QLabel>("frmBacklight", "lblStateNote")->isVisibleTo(t.window("frmBacklight")));

        auto* photocell = t.get<QCheckBox>("frmBacklight", "ckPhotocell");
        QVERIFY(photocell->isChecked());
        photocell->click();
        QCOMPARE(t.sent(), QString("cp8|"));
        QVERIFY(!t.h.ctx().model->states.photocellEnabled.value());
    }

    void deflectionAndHvShowNothingUntilSwitched() {
        OnlineTool t("2.10");
        QVERIFY(t.choose("mnuDiagnosticsDeflHV"));
        QCOMPARE(t.sent(), QString()); // showing the window sends nothing
        ChildWindow* w = t.window("frmDeflHVEnable");
        // The monitor reports these only when they are switched: nothing selected, and the note says why.
        for (const char* option : {"optDeflEnable", "optDeflDisable", "optHVEnable", "optHVDisable"})
            QVERIFY(!t.get<QAbstractButton>("frmDeflHVEnable", option)->isChecked());
        QVERIFY(t.get<QLabel>("frmDeflHVEnable", "lblStateNote")->isVisibleTo(w));
        t.h.ctx().dispatcher->dispatchAnswer("md0\r\nDeflection disabled\r\n#");
        t.h.ctx().dispatcher->dispatchAnswer("mh0\r\nHigh voltage disabled\r\n#");
        QVERIFY(t.get<QAbstractButton>("frmDeflHVEnable", "optDeflDisable")->isChecked());
        QVERIFY(t.get<QAbstractButton>("frmDeflHVEnable", "optHVDisable")->isChecked());
        QVERIFY(!t.get<QLabel>("frmDeflHVEnable", "lblStateNote")->isVisibleTo(w));
        QCOMPARE(t.sent(), QString());
        t.get<QAbstractButton>("frmDeflHVEnable", "optHVEnable")->click();
        QCOMPARE(t.sent(), QString("mh1|"));
    }

    // Each window keeps its placement under its own keys; the video configuration's position and size in "Layout".
    void placementKeys() {
        OnlineTool t("3.10");
        for (const char* item : {"mnuConfigureBacklight", "mnuConfigureHeater", "mnuConfigureVideoMode"})
            QVERIFY(t.choose(item));
        t.h.shutdown();
        auto s = t.h.readBackSettings();
        for (const char* key : {"frmBacklightWidth", "frmFPHeaterFanHeight", "VideoConfigWindowState"})
            QVERIFY2(s->contains("Configs", key), key);
        for (const char* key : {"VideoConfigTop", "VideoConfigWidth"})
            QVERIFY2(s->contains("Layout", key) && !s->contains("Configs", key), key);
    }

    void nothingIsQueuedWithoutAMonitor() {
        ToolHarness h(ToolHarness::Port::Fake);
        h.start();
        h.app().mainWindow()->menus()->action("mnuMonitorDemo")->trigger();
        h.app().mainWindow()->menus()->action("mnuConfigureVideoMode")->trigger();
        ChildWindow* w = h.ctx().windows->find("frmVideoConfig");
        QVERIFY(w && w->parentWidget()->isVisible());
        w->findChild<QAbstractButton*>("DegaussButton")->click();
        w->findChild<QAbstractButton*>("VideoSourceWhiteOption")->click();
        h.fakeClock.advance(3000);
        QVERIFY(!h.ctx().queue()->transmitQueue().contains("c"));
        QVERIFY(!h.fakePort->writtenText().contains("cg"));
    }
};

QTEST_MAIN(SettingWindowsTest)
#include "tst_settingwindows.moc"
