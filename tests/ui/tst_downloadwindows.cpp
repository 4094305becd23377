// The software, download-progress and boot-block windows as a user meets them through the menus of a tool
// connected to a scripted monitor: what each button asks the monitor, the boot-block values, a flash download
// with its progress window and the log window's switches, a rejected record and an Abort the monitor never
// answers.
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "app/WindowRegistry.h"
#include "download/windows/FrmBootBlock.h"
#include "download/windows/FrmBootProgress.h"
#include "download/windows/FrmSoftware.h"
#include "link/Link.h"
#include "link/TransmitQueue.h"
#include "link/windows/FrmCommLog.h"
#include "sim/IntelHex.h"
#include "support/ScriptedMonitor.h"
#include "support/ToolHarness.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

namespace {

const QByteArray endRecord = ":00000001FF";

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
    QString image(int records) {
        QFile f(h.m_dir.filePath("fw.hex"));
        f.open(QIODevice::WriteOnly);
        for (int i = 0; i < records; ++i)
            f.write(sim::makeHexRecord(0, quint16(i * 16), QByteArray(16, char(i))) + "\r\n");
        f.write(endRecord + "\r\n");
        return f.fileName();
    }
    // With the scripted monitor silent: lets the next line out and answers it by hand.
    void answerNext(const QByteArray& reply) {
        h.fakeClock.advance(TransmitQueue::writePauseMs);
        const QByteArray echo = h.fakePort->written.last().trimmed();
        h.fakePort->receive(echo + "\r\n" + reply);
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
        QTest::newRow("run SRAM") << "btnRunSRAM" << "f|";
        QTest::newRow("reset") << "btnReset" << "x|";
        QTest::newRow("read") << "btnRead" << "df|";
        QTest::newRow("enable auto boot") << "btnEnable" << "cb1|";
        QTest::newRow("disable auto boot") << "btnDisable" << "cb0|";
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
        QCOMPARE(t.get<QLabel>(w, "lblFlashVersion")->text(), QString());
        t.get<QPushButton>(w, button)->click();
        // The version answer runs the family set-up, which asks for more.
        const QString sent = t.monitor.sent();
        QVERIFY2(sent.startsWith(request), qPrintable(sent));
        if (button == "btnRead")
            QCOMPARE(t.get<QLabel>(w, "lblFlashVersion")->text(), QStringLiteral("V 2.10"));
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

    // A flash download from a running monitor, through the window: the log window offers "Enable Checking" and
    // "Enable AutoPing", every record goes once, the progress window shows and goes, and the log has the summary.
    void flashDownloadThroughTheWindow() {
        Tool t;
        QVERIFY(t.monitor.goOnline("2.10"));
        QVERIFY(t.choose("mnuConfigureSoftware"));
        auto* w = t.h.ctx().windows->existing<FrmSoftware>();
        t.monitor.replies.insert(QString::fromLatin1(endRecord), {"EOF"});
        t.h.dialogs.files.enqueue(t.image(6));
        t.get<QPushButton>(w, "btnLoadFlash")->click();
        const QString sent = t.monitor.sent();
        QVERIFY2(sent.startsWith("cz0|cb0|bf3|:10000000") && sent.endsWith(endRecord + "|"), qPrintable(sent));
        QCOMPARE(sent.count('|'), 3 + 7);
        QCOMPARE(t.h.dialogs.messages.size(), 1); // the confirmation only
        auto* progress = t.h.ctx().windows->existing<FrmBootProgress>();
        QVERIFY(progress && !t.shown(progress));
        const int gauge = t.get<QProgressBar>(progress, "Gauge1")->value();
        QVERIFY2(gauge > 70 && gauge < 100, qPrintable(QString::number(gauge)));
        QCOMPARE(t.get<QLabel>(progress, "RetryLabel")->text(), QStringLiteral("Retries:"));
        auto* log = t.h.ctx().windows->existing<FrmCommLog>();
        QVERIFY(t.get<QPushButton>(log, "btnCheckOn")->isEnabled());
        QVERIFY(!t.get<QPushButton>(log, "btnCheckOff")->isEnabled());
        QCOMPARE(t.get<QPushButton>(log, "btnDisableAutoping")->text(), QStringLiteral("Enable AutoPing"));
        QVERIFY(!t.h.ctx().link->autoPingEnabled);
        QVERIFY(log->logText().contains("Download flash 'fw.hex': 7 records, 0 retries"));
        QVERIFY(log->logText().contains(", completed"));
    }

    // A rejected record shows in the progress window; Abort with a monitor that has gone quiet ends the
    // download after the download keep-alive interval and frees the link.
    void retryShownAndAbortWithoutAnswer() {
        Tool t;
        QVERIFY(t.monitor.goOnline("2.10"));
        QVERIFY(t.choose("mnuConfigureSoftware"));
        auto* w = t.h.ctx().windows->existing<FrmSoftware>();
        t.h.dialogs.files.enqueue(t.image(3));
        t.monitor.answering = false;
        t.get<QPushButton>(w, "btnLoadSRAM")->click();
        t.answerNext("Ready for SRAM load\r\n#");
        auto* progress = t.h.ctx().windows->existing<FrmBootProgress>();
        QVERIFY(t.shown(progress));
        QCOMPARE(progress->windowTitle(), QStringLiteral("Download Progress"));
        t.answerNext("Bad checksum!");
        QCOMPARE(t.get<QLabel>(progress, "RetryLabel")->text(), QStringLiteral("Retries: 1"));
        t.answerNext("#");
        t.h.fakeClock.advance(TransmitQueue::writePauseMs); // the third record is on the wire, unanswered
        QPushButton* abort = t.get<QPushButton>(progress, "BootAbortButton");
        QCOMPARE(abort->toolTip(), QStringLiteral("Discontinue Downloading"));
        abort->click();
        QVERIFY(t.shown(progress));
        t.h.fakeClock.advance(Link::downloadKeepAliveMs);
        QVERIFY(!t.shown(progress));
        QVERIFY(!t.h.ctx().queue()->awaitingAnswer());
        const QString logText = t.h.ctx().windows->existing<FrmCommLog>()->logText();
        QVERIFY(logText.contains("Download aborted: no answer from the monitor within 7000 ms"));
        QVERIFY(logText.contains("Download SRAM 'fw.hex': 2 records, 1 retries"));
    }
};

QTEST_MAIN(DownloadWindowsTest)
#include "tst_downloadwindows.moc"
