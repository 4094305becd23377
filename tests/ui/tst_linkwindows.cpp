// The connection, search, retry-limit and time-out windows as a user meets them, and the about and help
// commands.
#include "app/FrmAbout.h"
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "link/ConnectionSearch.h"
#include "link/Link.h"
#include "link/windows/FrmChangeTries.h"
#include "link/windows/FrmCommLog.h"
#include "link/windows/FrmConnect.h"
#include "link/windows/FrmTimedOut.h"
#include "link/windows/FrmTrying.h"
#include "platform/PortMap.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>
#include <QtTest>

class LinkWindowsTest : public QObject {
    Q_OBJECT

    static QString label(QWidget* w, const char* name) { return w->findChild<QLabel*>(name)->text(); }
    static void click(QWidget* w, const char* name) {
        auto* b = w->findChild<QAbstractButton*>(name);
        QVERIFY2(b, name);
        QTest::mouseClick(b, Qt::LeftButton);
    }

private slots:
    void connectionWindowCaptionsAndTips() {
        ToolHarness h;
        h.start();
        FrmConnect* c = h.ctx().windows->existing<FrmConnect>();
        QCOMPARE(c->windowTitle(), QString("Monitor Connection"));
        QCOMPARE(label(c, "lblCom3"), QString("Com3"));
        QCOMPARE(c->findChild<QRadioButton*>("optBaudRate(1)")->text(), QString("19200,8,O,2"));
        QCOMPARE(c->findChild<QPushButton*>("btnOK")->toolTip(), QString("Try this port."));
        QCOMPARE(c->findChild<QPushButton*>("btnOffline")->toolTip(), QString("Work without a monitor."));
        QCOMPARE(c->findChild<QPushButton*>("btnDone")->toolTip(), QString("Close Window"));
        QCOMPARE(label(c, "lblReConnect"), QString("Auto ReConnect"));
        QVERIFY(c->findChild<QCheckBox*>("ckAutoReConnect")->isChecked());
        QVERIFY(c->findChild<QRadioButton*>("optCommPort(0)")->isChecked());
        QCOMPARE(c->findChild<QPushButton*>("btnInd")->property("indicatorGreen").toBool(), false);
        FrmTrying* t = h.ctx().windows->existing<FrmTrying>();
        QCOMPARE(t->windowTitle(), QString("Trying to Connect to Monitor"));
        QCOMPARE(t->findChild<QPushButton*>("btnCancel")->toolTip(), QString("Stop Connect Attempt"));
        QCOMPARE(t->findChild<QPushButton*>("btnChange")->toolTip(), QString("Change Retry Limit"));
        QCOMPARE(label(t, "lblLimit"), QString("5"));
        QCOMPARE(label(t, "lblToGo"), QString("5"));
    }

    void statusTextBeforeTheSearch() {
        ToolHarness h;
        h.fakePort = nullptr;
        h.start();
        QCOMPARE(h.ctx().windows->existing<FrmConnect>()->status(), QString("Trying port 1 at 9600,N,8,1"));
    }

    void aPortAboveFourIsOpenedAsStoredWithNoOptionSelected() {
        ToolHarness h(ToolHarness::Port::Fake, "[StartUp]\nRunType=1\n[Configs]\nCommPort=6\n");
        h.start();
        QCOMPARE(h.fakePort->lastPort, 6);
        FrmConnect* c = h.ctx().windows->existing<FrmConnect>();
        for (int i = 0; i < 4; ++i)
            QVERIFY(!c->findChild<QRadioButton*>(QString("optCommPort(%1)").arg(i))->isChecked());
    }

    void baudRateChangeWaitsForTheNextPort() {
        ToolHarness h;
        h.start();
        FrmConnect* c = h.ctx().windows->existing<FrmConnect>();
        click(c, "optBaudRate(1)");
        QCOMPARE(h.fakePort->lastSettings, QString("9600,N,8,1"));
        click(c, "optCommPort(0)"); // already chosen: nothing
        QCOMPARE(h.fakePort->openCount, 1);
        click(c, "optCommPort(2)");
        QCOMPARE(h.fakePort->lastPort, 3);
        QCOMPARE(h.fakePort->lastSettings, QString("19200,O,8,2"));
        QCOMPARE(h.ctx().commPort, 3);
    }

    void searchCountsDownAndKeepsGoingWithAutoReconnect() {
        ToolHarness h(ToolHarness::Port::Fake, "[StartUp]\nRunType=1\n[Configs]\nConnectRetryLimit=2\n");
        h.start();
        FrmTrying* t = h.ctx().windows->existing<FrmTrying>();
        h.fakeClock.advance(2000);
        QCOMPARE(label(t, "lblToGo"), QString("1"));
        QCOMPARE(label(t, "lblGoesOn"), QString());
        QCOMPARE(h.tone.tones.size(), 1); // the first ping was still awaited: cleared with a beep
        h.fakeClock.advance(2000);
        h.fakeClock.advance(2000);
        // Past the limit the count stays at 0 and the window says that the search goes on.
        QCOMPARE(label(t, "lblToGo"), QString("0"));
        QCOMPARE(label(t, "lblGoesOn"), FrmTrying::goesOnText());
        QVERIFY(h.ctx().search->isSearching());
        h.fakeClock.advance(100);
        QCOMPARE(h.fakePort->writtenText().count("p|"), 4);
    }

    void reactivatingTheSearchWindowRestartsTheCount() {
        ToolHarness h;
        h.start();
        FrmTrying* t = h.ctx().windows->existing<FrmTrying>();
        h.fakeClock.advance(4000);
        QCOMPARE(label(t, "lblToGo"), QString("3"));
        h.ctx().windows->show<FrmConnect>();
        t->showInFront();
        QCOMPARE(label(t, "lblToGo"), QString("5"));
    }

    void cancelAndOfflineStopTheSearch() {
        ToolHarness h;
        h.start();
        FrmTrying* t = h.ctx().windows->existing<FrmTrying>();
        click(t, "btnCancel");
        QVERIFY(!h.ctx().search->isSearching());
        QVERIFY(!t->parentWidget()->isVisible());
        FrmConnect* c = h.ctx().windows->existing<FrmConnect>();
        click(c, "btnOK");
        QVERIFY(h.ctx().search->isSearching());
        click(c, "btnOffline");
        QVERIFY(!h.ctx().search->isSearching());
        QVERIFY(!c->parentWidget()->isVisible());
        QCOMPARE(h.app().mainWindow()->connectionState(), ConnectionState::NoMonitor);
    }

    void closingTheSearchWindowStopsTheSearch() {
        // The search window is either hidden and idle, or shown and searching.
        ToolHarness h;
        h.start();
        FrmTrying* t = h.ctx().windows->existing<FrmTrying>();
        h.fakeClock.advance(100);
        const int written = h.fakePort->written.size();
        t->parentWidget()->close(); // the title bar's close button
        QVERIFY(!t->parentWidget()->isVisible());
        QVERIFY(!h.ctx().search->isSearching());
        h.fakeClock.advance(10000);
        QCOMPARE(h.fakePort->written.size(), written);
        QVERIFY(h.tone.tones.isEmpty());
        QCOMPARE(h.app().mainWindow()->connectionState(), ConnectionState::NoMonitor);
        // Shown again, it searches again.
        h.ctx().windows->existing<FrmConnect>()->tryAgain();
        QVERIFY(h.ctx().search->isSearching());
    }

    void changeRetryLimitTakesOnlyAWholeNumber() {
        ToolHarness h;
        h.start();
        auto* w = h.ctx().windows->show<FrmChangeTries>();
        auto* txt = w->findChild<QLineEdit*>("txtConnectRetryLimit");
        QCOMPARE(txt->text(), QString("5"));
        txt->setText("abc");
        click(w, "btnOK");
        QCOMPARE(h.ctx().search->connectRetryLimit, 5);
        QCOMPARE(h.dialogs.messages.size(), 1);
        txt->setText("0");
        click(w, "btnOK");
        QCOMPARE(h.dialogs.messages.size(), 2);
        txt->setText(" 12 ");
        click(w, "btnOK");
        QCOMPARE(h.ctx().search->connectRetryLimit, 12);
        QVERIFY(!w->parentWidget()->isVisible());
        h.shutdown();
        QCOMPARE(h.readBackSettings()->readText("Configs", "ConnectRetryLimit", ""), QString("12"));
    }

    void timedOutWindowClosesItselfAfterFiveSeconds() {
        ToolHarness h;
        h.start();
        auto* w = h.ctx().windows->show<FrmTimedOut>();
        QVERIFY(w->parentWidget()->isVisible());
        QCOMPARE(w->findChild<QPushButton*>("btnOK")->toolTip(), QString("Dismiss This Window"));
        h.fakeClock.advance(4999);
        QVERIFY(w->parentWidget()->isVisible());
        h.fakeClock.advance(1);
        QVERIFY(!w->parentWidget()->isVisible());
        h.ctx().windows->show<FrmTimedOut>();
        click(w, "btnOK");
        QVERIFY(!w->parentWidget()->isVisible());
        QVERIFY(!w->timer1()->isActive());
    }

    void bindingADeviceKeepsItForThePortNumber() {
        ToolHarness h;
        h.start();
        FrmConnect* c = h.ctx().windows->existing<FrmConnect>();
        QCOMPARE(h.ctx().portMap->device(2), PortMap::defaultDevice(2));
        c->bindDevice(" /dev/ttyUSB7 ");
        QCOMPARE(h.ctx().portMap->device(1), QString("/dev/ttyUSB7"));
        QCOMPARE(h.fakePort->openCount, 2); // reopened on the new device
        h.shutdown();
        QCOMPARE(h.readBackSettings()->readText("Configs", "Com1Device", ""), QString("/dev/ttyUSB7"));
    }

    // A made-up machine: ttyUSB0 (its group may use it) held by minicom (process 4321) with its lock file, a lock of
    // a process long gone for ttyUSB1, ttyUSB2 for its owner only, two other devices present.
    void aPortThatCannotBeOpenedSaysWhyOnce_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("device");
        QTest::addColumn<QStringList>("told");
        QTest::newRow("no access") << int(OpenFailure::NoAccess) << "dev/ttyUSB0"
                                   << QStringList{"Permission denied", "dev/ttyUSB0", "belongs to the group",
                                                  "log out and in"};
        QTest::newRow("no access, group may not either")
            << int(OpenFailure::NoAccess) << "dev/ttyUSB2"
            << QStringList{"Permission denied", "may read and write it (its group", "KERNEL==\"ttyUSB2\"",
                           "usermod -aG dialout"};
        QTest::newRow("in use") << int(OpenFailure::InUse) << "dev/ttyUSB0"
                                << QStringList{"in use", "process 4321 (minicom)", "lock/LCK..ttyUSB0"};
        QTest::newRow("stale lock") << int(OpenFailure::InUse) << "dev/ttyUSB1"
                                    << QStringList{"lock/LCK..ttyUSB1 names process 999, which no longer runs"};
        QTest::newRow("missing") << int(OpenFailure::Missing) << "dev/ttyUSB7"
                                 << QStringList{"does not exist", "/dev/ttyS0", "/dev/serial/by-id/usb-Maker_Cable"};
    }
    void aPortThatCannotBeOpenedSaysWhyOnce() {
        QFETCH(int, kind);
        QFETCH(QString, device);
        QFETCH(QStringList, told);
        QTemporaryDir root;
        QDir dir(root.path());
        for (const char* sub : {"dev", "lock", "proc/4321/fd"})
            dir.mkpath(sub);
        auto write = [&dir](const QString& name, const QByteArray& text) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(text);
        };
        write("dev/ttyUSB0", "");
        write("dev/ttyUSB1", "");
        write("dev/ttyUSB2", "");
        QFile::setPermissions(dir.filePath("dev/ttyUSB0"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::WriteGroup);
        QFile::setPermissions(dir.filePath("dev/ttyUSB2"), QFile::ReadOwner | QFile::WriteOwner);
        write("proc/4321/comm", "minicom\n");
        write("lock/LCK..ttyUSB0", "      4321\n");
        write("lock/LCK..ttyUSB1", "999\n");
        QVERIFY(QFile::link(dir.filePath("dev/ttyUSB0"), dir.filePath("proc/4321/fd/3")));

        ToolHarness h;
        h.deviceLister = [] { return QStringList{"/dev/ttyS0", "/dev/serial/by-id/usb-Maker_Cable-if00-port0"}; };
        h.start();
        h.ctx().portMap->trouble().setPlaces({dir.filePath("proc"), {dir.filePath("lock")}});
        h.fakePort->device = dir.filePath(device);
        h.fakePort->failure = OpenFailure{OpenFailure::Kind(kind), "Permission error"};
        h.fakePort->failingPorts << 2;
        FrmConnect* c = h.ctx().windows->existing<FrmConnect>();
        click(c, "optCommPort(1)");
        QCOMPARE(h.dialogs.messages.size(), 1);
        const QString box = h.dialogs.messages.first().text;
        QVERIFY(box.startsWith("Comm Port Error  on Com2 -> try another port\n\n"));
        for (const QString& part : told)
            QVERIFY2(box.contains(part), qPrintable(box));

        // The search retries the port on every tick, telling the same reason no more; a new reason once more.
        FrmCommLog* log = h.ctx().windows->existing<FrmCommLog>();
        click(c, "btnOK");
        h.fakeClock.advance(3 * 2000);
        QCoreApplication::processEvents();
        QCOMPARE(h.fakePort->openCount, 5);
        QCOMPARE(h.dialogs.messages.size(), 1);
        QCOMPARE(log->logText().count("Port not opened"), 1);
        h.fakePort->failure = OpenFailure{OpenFailure::Other, "Input/output error"};
        h.fakeClock.advance(2 * 2000);
        QCoreApplication::processEvents(); // the box comes once the search's tick is done
        QCOMPARE(h.dialogs.messages.size(), 2);
        QVERIFY(
            h.dialogs.texts().last().endsWith("ttyUSB" + device.right(1) + " cannot be opened: Input/output error."));
        QCOMPARE(log->logText().count("Port not opened"), 2);
        h.fakePort->failingPorts.clear();
        h.fakeClock.advance(2000);
        QCoreApplication::processEvents();
        QVERIFY(h.fakePort->isOpen());
        QCOMPARE(h.dialogs.messages.size(), 2);
    }

    void aboutWindowTexts() {
        ToolHarness h;
        h.start();
        h.app().mainWindow()->menus()->action("mnuHelpAbout")->trigger();
        auto* about = h.app().mainWindow()->findChild<FrmAbout*>();
        QVERIFY(about && about->isVisible());
        QCOMPARE(about->windowTitle(), QString("About Orvex Monitor Adjustment Tool V1.0.52"));
        QCOMPARE(about->findChild<QLabel*>("lblVersion")->text(), QString("Version 1.0.52"));
        QCOMPARE(about->findChild<QLabel*>("lblDescription")->text(),
                 QString("OrvexMon allows the initialization, calibration, usage reporting, and user adjustment of "
                         "Kestrane monitors.\n\nConnect the monitor to any serial port at 9600,N,8,1."));
        const QString details = about->findChild<QLabel*>("lblDetails")->text();
        for (const QString& part : {QString("Version 1.0.52"), "Qt " + QString(qVersion()), QString("Built 20"),
                                    "Settings file " + h.settingsPath()})
            QVERIFY2(details.contains(part), qPrintable(part));
        click(about, "cmdCopy");
        QCOMPARE(QGuiApplication::clipboard()->text(), details);
        click(about, "cmdSysInfo");
        QCOMPARE(h.dialogs.texts(), QStringList{"System Information Is Unavailable At This Time"});
        h.launcher.installed << "hardinfo";
        click(about, "cmdSysInfo");
        QCOMPARE(h.launcher.started.size(), 1);
        QCOMPARE(h.dialogs.messages.size(), 1);
        click(about, "cmdOK");
        QVERIFY(!about->isVisible());
    }

    void helpOpensTheGuideInTheViewerOrInItsOwnWindow() {
        ToolHarness h;
        h.start();
        QAction* help = h.app().mainWindow()->menus()->action("mnuHelpTopics");
        h.launcher.openResult = true;
        help->trigger();
        QCOMPARE(h.launcher.opened.size(), 1);
        QVERIFY(QFile::exists(h.launcher.opened.first()));
        h.launcher.openResult = false;
        help->trigger();
        auto* window = h.app().mainWindow()->findChild<QDialog*>("frmHelp");
        QVERIFY(window && window->isVisible());
        QVERIFY(window->findChild<QTextBrowser*>()->toPlainText().contains("Connecting a monitor"));
    }
};

QTEST_MAIN(LinkWindowsTest)
#include "tst_linkwindows.moc"
