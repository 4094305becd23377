// The software and boot-block windows as a user meets them through the menus of a tool connected to a scripted
// monitor: what each button asks the monitor, the boot-block values and "Set V1 Boot Mode". Downloads through
// these windows are tested against the simulated monitor (e2e).
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "download/windows/FrmBootBlock.h"
#include "download/windows/FrmSoftware.h"
#include "support/ScriptedMonitor.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

struct Tool {
    ToolHarness h{ToolHarness::Port::Fake, QStringLiteral("[StartUp]\nRunType=1\nInitialMode=FactoryMode\n")};
    ScriptedMonitor monitor{(h.start(), h)};

    // Chooses a menu item as the user does: only when it and its menu are offered.
    bool choose(const char* name) {
        MainMenus* menus = h.app().mainWindow()->menus();
        QAction* a = menus->action(QLatin1String(name));
        for (const MainMenus::Entry& e : MainMenus::tree())
            if (QLatin1String(e.name) == QLatin1String(name) && e.parent && !menus->action(e.parent)->isEnabled())
                return false;
        if (!a || !a->isEnabled())
            return false;
        a->trigger();
        return true;
    }
    template <class T> T* get(ChildWindow* w, const QString& name) {
        T* c = w->findChild<T*>(name);
        if (!c)
            qFatal("no control %s", qPrintable(name));
        return c;
    }
    bool shown(ChildWindow* w) { return w && w->parentWidget()->isVisible(); }
};

} // namespace

class DownloadWindowsTest : public QObject {
    Q_OBJECT
private slots:
    void bootBlockWindowShowsTheBlockAndSwitchesAutoBoot() {
        Tool t;
        QVERIFY(t.monitor.goOnline("2.10"));
        t.monitor.replies.insert("db", {"Flag AA = 0xAA", "Flag 55 = 0x55", "Boot Unconditional = 0x34",
                                        "Flash L Bound H = 0x00", "Flash L Bound L = 0x01", "Flash U Bound H = 0x00",
                                        "Flash U Bound L = 0x7F", "Flash Checksum = 0x5A", "Abort AutoBoot = 0x00",
                                        "auto boot ON"});
        QVERIFY(t.choose("mnuInfoBoot"));
        QCOMPARE(t.monitor.sent(), QStringLiteral("db|"));
        auto* w = t.h.ctx().windows->existing<FrmBootBlock>();
        QVERIFY(t.shown(w));
        const QStringList expected{"AA", "55", "34", "00", "01", "00", "7F", "5A", "00"};
        for (int i = 0; i < FrmBootBlock::rowCount; ++i)
            QCOMPARE(t.get<QLabel>(w, QStringLiteral("lblValue(%1)").arg(i))->text(), expected.at(i));
        QCOMPARE(t.get<QLabel>(w, "lblBB(2)")->text(), QStringLiteral(" Boot Unconditional ( if = 34 )  :"));
        QCOMPARE(t.get<QLabel>(w, "lblAutoBoot")->text(), QStringLiteral("ON"));

        t.get<QPushButton>(w, "btnEnable")->click();
        QCOMPARE(t.monitor.sent(), QStringLiteral("cb1|db|"));
        t.get<QPushButton>(w, "btnDisable")->click();
        QCOMPARE(t.monitor.sent(), QStringLiteral("cb0|db|"));
        // Active again after another window: read again.
        QVERIFY(t.choose("mnuDiagnosticsCommLogging"));
        QVERIFY(t.choose("mnuInfoBoot"));
        QCOMPARE(t.monitor.sent(), QStringLiteral("db|"));
        t.get<QPushButton>(w, "btnDone")->click();
        QVERIFY(!t.shown(w));
    }

    void softwareButtons_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("request");
        QTest::newRow("run SRAM") << "btnRunSRAM"
                                  << "f|";
        QTest::newRow("reset") << "btnReset"
                               << "x|";
        QTest::newRow("read") << "btnRead"
                              << "df|";
        QTest::newRow("enable auto boot") << "btnEnable"
                                          << "cb1|";
        QTest::newRow("disable auto boot") << "btnDisable"
                                           << "cb0|";
    }
    void softwareButtons() {
        QFETCH(QString, button);
        QFETCH(QString, request);
        Tool t;
        QVERIFY(t.monitor.goOnline("2.10"));
        QVERIFY(t.choose("mnuConfigureSoftware"));
        auto* w = t.h.ctx().windows->existing<FrmSoftware>();
        QVERIFY(t.shown(w));
        QCOMPARE(w->windowTitle(), QStringLiteral("Load Software"));
        QCOMPARE(t.get<QLabel>(w, "lblFlashVersion")->text(), QStringLiteral("V 2.10"));
        t.get<QPushButton>(w, button)->click();
        // The version answer runs the family set-up, which asks for more.
        const QString sent = t.monitor.sent();
        QVERIFY2(sent.startsWith(request), qPrintable(sent));
        if (button == "btnRead")
            QCOMPARE(t.get<QLabel>(w, "lblFlashVersion")->text(), QStringLiteral("V 2.10"));
    }

    // "Load New Firmware" asks first; a cancelled confirmation or file dialog sends nothing.
    void cancelledConfirmationOrDialogSendsNothing() {
        Tool t;
        QVERIFY(t.monitor.goOnline("2.10"));
        QVERIFY(t.choose("mnuConfigureSoftware"));
        auto* w = t.h.ctx().windows->existing<FrmSoftware>();
        t.h.dialogs.answers.enqueue(Dialogs::AnswerCancel);
        t.get<QPushButton>(w, "btnLoadFlash")->click();
        QCOMPARE(t.h.dialogs.messages.last().buttons, Dialogs::OkCancel);
        QVERIFY(t.h.dialogs.fileRequests.isEmpty());
        t.get<QPushButton>(w, "btnLoadFlash")->click(); // confirmed, then the file dialog is cancelled
        t.get<QPushButton>(w, "btnLoadSRAM")->click();
        QCOMPARE(t.h.dialogs.fileRequests.size(), 2);
        QCOMPARE(t.monitor.sent(), QString());
    }

    void v1BootModeEntersBootModeOnlyWhenChecked() {
        Tool t;
        QVERIFY(t.monitor.goOnline("2.10"));
        QVERIFY(t.choose("mnuConfigureSoftware"));
        auto* w = t.h.ctx().windows->existing<FrmSoftware>();
        QCheckBox* v1 = t.get<QCheckBox>(w, "ckV1BootMode");
        FrmMain* main = t.h.app().mainWindow();
        v1->click();
        QCOMPARE(main->connectionState(), ConnectionState::BootMode);
        QVERIFY(main->menus()->action("mnuMonitorRun")->isEnabled());
        QCOMPARE(t.monitor.sent(), QString());
        main->setOnline();
        v1->click();
        QCOMPARE(main->connectionState(), ConnectionState::Online);
        QVERIFY(t.choose("mnuMonitorOffline"));
    }
};

QTEST_MAIN(DownloadWindowsTest)
#include "tst_downloadwindows.moc"
