// Start-up and shut-down against a temporary settings file: the keys of a first run, garbage values, the
// initial mode, the port choice and the title.
#include "app/AppModes.h"
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "link/ConnectionSearch.h"
#include "link/Link.h"
#include "link/windows/FrmChangeTries.h"
#include "link/windows/FrmConnect.h"
#include "link/windows/FrmTrying.h"
#include "model/MonitorModel.h"
#include "support/ToolHarness.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QtTest>

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void firstRunWritesRunTypeAndTheExitKeys() {
        ToolHarness h;
        h.start();
        QCOMPARE(h.readBackSettings()->readText("StartUp", "RunType", ""), QString("1"));
        QCOMPARE(h.app().modes()->appMode(), int(AppModes::User));
        QCOMPARE(h.ctx().commPort, 1);
        QCOMPARE(h.fakePort->lastPort, 1);
        QCOMPARE(h.fakePort->lastSettings, QString("9600,N,8,1"));
        QVERIFY(h.ctx().link->logToWindow);
        QVERIFY(h.ctx().link->autoPingEnabled());
        QVERIFY(h.ctx().link->bypassQueue);
        h.shutdown();
        auto s = h.readBackSettings();
        QCOMPARE(s->readText("Configs", "CommPort", ""), QString("1"));
        QCOMPARE(s->readText("Configs", "ConnectRetryLimit", ""), QString("5"));
        QCOMPARE(s->readText("Configs", "CommLogEnabled", ""), QString("True"));
        QVERIFY(s->contains("Locations", "frmMainTop"));
        QVERIFY(s->contains("Locations", "frmConnectWindowstate"));
    }

    void garbageValuesFallBackToTheirDefaults() {
        ToolHarness h(ToolHarness::Port::Fake, "[StartUp]\nRunType=1\nInitialMode=factorymode\n"
                                               "[Configs]\nCommPort=abc\nConnectRetryLimit=x7\nCommLogEnabled=maybe\n");
        h.start();
        QCOMPARE(h.ctx().commPort, 1);
        QCOMPARE(h.ctx().search->connectRetryLimit, 5);
        QVERIFY(!h.ctx().link->logToWindow);                       // not a first run, and "maybe" is not true
        QCOMPARE(h.app().modes()->appMode(), int(AppModes::User)); // the comparison is exact
        h.shutdown();
        auto s = h.readBackSettings();
        QCOMPARE(s->readText("Configs", "CommPort", ""), QString("1"));
        QCOMPARE(s->readText("Configs", "ConnectRetryLimit", ""), QString("5"));
        QCOMPARE(s->readText("Configs", "CommLogEnabled", ""), QString("False"));
    }

    void portBelowOneCountsAsOne_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("used");
        QTest::newRow("zero") << "0" << 1;
        QTest::newRow("negative") << "-3" << 1;
        QTest::newRow("three") << "3" << 3;
        QTest::newRow("above four") << "7" << 7;
        QTest::newRow("beyond 16 bits") << "70000" << 1;
    }
    void portBelowOneCountsAsOne() {
        QFETCH(QString, stored);
        QFETCH(int, used);
        ToolHarness h(ToolHarness::Port::Fake, "[StartUp]\nRunType=1\n[Configs]\nCommPort=" + stored + "\n");
        h.start();
        QCOMPARE(h.fakePort->lastPort, used);
        h.shutdown();
        QCOMPARE(h.readBackSettings()->readText("Configs", "CommPort", ""), QString::number(used));
    }

    void retryLimitBeyond16BitsReadsAsTheDefault() {
        ToolHarness h(ToolHarness::Port::Fake, "[StartUp]\nRunType=1\n[Configs]\nConnectRetryLimit=40000\n");
        h.start();
        QCOMPARE(h.ctx().search->connectRetryLimit, 5);
    }

    void factoryModeFromTheSettingNeedsNoPassword() {
        ToolHarness h(ToolHarness::Port::Fake, "[StartUp]\nInitialMode=FactoryMode\n");
        h.start();
        QCOMPARE(h.app().modes()->appMode(), int(AppModes::Factory));
        QVERIFY(h.dialogs.messages.isEmpty());
    }

    void titleFollowsTheState() {
        ToolHarness h;
        h.start();
        FrmMain* main = h.app().mainWindow();
        QCOMPARE(main->windowTitle(), QString("Orvex Monitor Adjustment Tool V1.0.52 -- No monitor"));
        main->setTitle(QString());
        QCOMPARE(main->windowTitle(), QString("Orvex Monitor Adjustment Tool V1.0.52 -- (No File)"));
        main->setOnline();
        QVERIFY(main->windowTitle().endsWith(" -- Monitor on Com1"));
        h.ctx().commPort = 3;
        main->setBootMode();
        QVERIFY(main->windowTitle().endsWith("Monitor on Com3 -- BOOT MODE"));
    }

    void windowMenuArrangesTheChildWindows() {
        ToolHarness h;
        h.start();
        FrmMain* main = h.app().mainWindow();
        main->resize(900, 700);
        QWidget* connect = h.ctx().windows->show<FrmConnect>()->parentWidget();
        QWidget* tries = h.ctx().windows->show<FrmChangeTries>()->parentWidget();
        h.ctx().windows->existing<FrmTrying>()->hideWindow();
        const QSize area = main->mdiArea()->viewport()->size();
        auto choose = [main](const char* item) { main->menus()->action(item)->trigger(); };

        // Horizontally: one above the other, each as wide as the area.
        choose("mnuWindowTileHorizontal");
        QCOMPARE(connect->width(), area.width());
        QCOMPARE(tries->width(), area.width());
        QVERIFY(connect->y() != tries->y());
        QCOMPARE(connect->height() + tries->height(), area.height());
        // Vertically: side by side, each as high as the area.
        choose("mnuWindowTileVertical");
        QCOMPARE(connect->height(), area.height());
        QCOMPARE(tries->height(), area.height());
        QVERIFY(connect->x() != tries->x());
        choose("mnuWindowCascade");
        QVERIFY(connect->pos() != tries->pos());
        // A minimised window goes to the bottom edge.
        tries->showMinimized();
        tries->move(300, 10);
        choose("mnuWindowArrangeIcons");
        QCOMPARE(tries->x(), 0);
        QCOMPARE(tries->y() + tries->height(), area.height());
    }

    void searchStartsAtStartUpAndFindsAPromptAnswer() {
        ToolHarness h;
        h.start();
        FrmTrying* trying = h.ctx().windows->existing<FrmTrying>();
        QVERIFY(trying);
        QVERIFY(h.ctx().search->isSearching());
        h.fakeClock.advance(100);
        QCOMPARE(h.fakePort->writtenText(), QString("p|"));
        FrmConnect* connect = h.ctx().windows->existing<FrmConnect>();
        QCOMPARE(connect->status(), connect->searchingText());
        h.fakePort->receive("p\r\n#");
        QVERIFY(h.ctx().model->monitorResponding);
        h.fakeClock.advance(2000);
        QCOMPARE(h.app().mainWindow()->connectionState(), ConnectionState::Online);
        QVERIFY(h.ctx().link->indicatorGreen());
        QCOMPARE(connect->status(), FrmConnect::connectedText());
        h.fakeClock.advance(100);
        QCOMPARE(h.fakePort->writtenText(), QString("p|df|"));
        QVERIFY(!trying->parentWidget()->isVisible());
        // A monitor that stops answering: both the window and the status bar say the search goes on.
        h.fakeClock.advance(15000);
        QCOMPARE(h.app().mainWindow()->connectionState(), ConnectionState::NoMonitor);
        QCOMPARE(connect->status(), connect->searchingText());
        QVERIFY(h.app().mainWindow()->findChild<QLabel*>("lblStatusConnection")->text().startsWith("Connection lost"));
    }

    void searchGivesUpAfterTheLimitWithoutAutoReconnect() {
        ToolHarness h(ToolHarness::Port::Fake, "[StartUp]\nRunType=1\n[Configs]\nConnectRetryLimit=1\n");
        h.start();
        FrmConnect* connect = h.ctx().windows->existing<FrmConnect>();
        connect->findChild<QCheckBox*>("ckAutoReConnect")->setChecked(false);
        h.ctx().windows->existing<FrmTrying>()->onActivated();
        h.fakeClock.advance(2000);
        QVERIFY(!h.ctx().search->isSearching());
        QCOMPARE(connect->status(), FrmConnect::timedOutText());
        QVERIFY(h.ctx().windows->find("frmTimedOut"));
        QCOMPARE(h.app().mainWindow()->connectionState(), ConnectionState::NoMonitor);
    }

    // Looking for the machine's serial devices is slow: nothing looks before the main window is up, nor on a
    // change of port; opening the device list does, once until the port changes.
    void serialDevicesAreListedOnlyWhenTheListIsOpened() {
        ToolHarness h;
        int searches = 0;
        h.deviceLister = [&searches] {
            ++searches;
            return QStringList{"/dev/ttyS0", "/dev/ttyUSB0"};
        };
        h.start();
        FrmConnect* connect = h.ctx().windows->existing<FrmConnect>();
        auto* devices = connect->findChild<QComboBox*>("cboDevice");
        QVERIFY(h.app().mainWindow()->isVisible());
        QCOMPARE(devices->count(), 1);
        QCOMPARE(devices->currentText(), QString("/dev/ttyS0"));

        connect->findChild<QRadioButton*>("optCommPort(1)")->click();
        QCOMPARE(h.ctx().commPort, 2);
        QCOMPARE(searches, 0);
        QCOMPARE(devices->currentText(), QString("/dev/ttyS1"));

        devices->showPopup();
        devices->hidePopup();
        devices->showPopup();
        devices->hidePopup();
        QCOMPARE(searches, 1);
        QStringList listed;
        for (int i = 0; i < devices->count(); ++i)
            listed << devices->itemText(i);
        QCOMPARE(listed, (QStringList{"/dev/ttyS1", "/dev/ttyS0", "/dev/ttyUSB0"}));
        QCOMPARE(devices->currentText(), QString("/dev/ttyS1"));

        connect->findChild<QRadioButton*>("optCommPort(0)")->click();
        QCOMPARE(devices->count(), 1);
        QTest::keyClick(devices, Qt::Key_Down);
        QCOMPARE(searches, 2);
        QCOMPARE(devices->currentText(), QString("/dev/ttyUSB0"));
    }

    void choosingAPortThatFailsSaysSo() {
        ToolHarness h;
        h.start();
        h.fakePort->failingPorts << 2;
        FrmConnect* connect = h.ctx().windows->existing<FrmConnect>();
        connect->choosePort(1);
        QCOMPARE(h.dialogs.texts(), QStringList{"Comm Port Error  on Com2 -> try another port"});
        QCOMPARE(h.ctx().commPort, 2);
        const int opens = h.fakePort->openCount;
        connect->choosePort(1); // the port already chosen: nothing happens
        QCOMPARE(h.fakePort->openCount, opens);
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
