// Application modes in the whole tool: the menu items and window controls of each mode, windows created later,
// the mode window's choices and the password rules.
#include "app/AppModes.h"
#include "app/FrmAppMode.h"
#include "app/FrmMain.h"
#include "app/FrmPassword.h"
#include "app/MainMenus.h"
#include "link/windows/FrmCommLog.h"
#include "support/ToolHarness.h"
#include "ui/ChildWindow.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QtTest>

namespace {
// A colour-balance window as far as the modes are concerned: its restricted controls by their names.
class ColourBalanceStandIn : public ChildWindow {
    Q_OBJECT
public:
    explicit ColourBalanceStandIn(AppContext& ctx) : ChildWindow(ctx, "frmVideoAdj", "Color Balance") {
        auto* b = new QPushButton("Save Initial Settings", this);
        b->setObjectName("VideoSetInitialSettingsButton");
        for (int i = 0; i < 8; ++i)
            (new QScrollBar(this))->setObjectName(QString("HScroll1(%1)").arg(i));
        for (int i = 0; i < 3; ++i)
            (new QScrollBar(this))->setObjectName(QString("HScroll2(%1)").arg(i));
    }
};

struct Column {
    QString mode;
    int value;
};

bool enabled(ToolHarness& h, const QString& item) {
    QAction* a = h.app().mainWindow()->menus()->action(item);
    if (!a)
        qFatal("no menu item %s", qPrintable(item));
    return a->isEnabled();
}

template <class T = QWidget> T* child(QWidget* window, const QString& name) {
    T* w = window->findChild<T*>(name);
    if (!w)
        qFatal("no control %s", qPrintable(name));
    return w;
}

// The modes' columns as the user sees them: on in user, service, factory.
const QList<std::tuple<QString, bool, bool, bool>> kMenuColumns = {
    {"mnuFileNew", true, true, true},
    {"mnuFileOpen", true, true, true},
    {"mnuFileSave", true, true, true},
    {"mnuFileClose", true, true, true},
    {"mnuConfigureVideoMode", false, true, true},
    {"mnuConfigureModelAndSerialNumber", false, false, true},
    {"mnuConfigureOperatingMode", false, true, true},
    {"mnuConfigureOperatingTime", false, false, true},
    {"mnuConfigureSoftware", false, true, true},
    {"mnuConfigureSelectScanSet", false, true, true},
    {"mnuInfoBoot", false, true, true},
    {"mnuDiagnosticsDeflHV", false, false, true},
    {"mnuDiagnosticsPeek", false, false, true},
};

FrmAppMode* openModeWindow(ToolHarness& h) {
    FrmAppMode* w = h.ctx().windows->show<FrmAppMode>();
    w->onActivated();
    return w;
}

bool hidden(ChildWindow* w) {
    return !w || w->parentWidget()->isHidden();
}
} // namespace

class AppModesTest : public QObject {
    Q_OBJECT
private slots:
    void menuItemsOfEachMode_data() {
        QTest::addColumn<QString>("initialMode");
        QTest::addColumn<int>("column");
        QTest::newRow("user") << "UserMode" << 0;
        QTest::newRow("service") << "ServiceMode" << 1;
        QTest::newRow("factory") << "FactoryMode" << 2;
    }
    void menuItemsOfEachMode() {
        QFETCH(QString, initialMode);
        QFETCH(int, column);
        ToolHarness h(ToolHarness::Port::Fake, "[StartUp]\nRunType=1\nInitialMode=" + initialMode + "\n");
        h.start();
        QCOMPARE(h.app().modes()->appMode(), column);
        FrmMain* main = h.app().mainWindow();
        // The mode wins over the connection state's enabling, whichever state was entered last.
        for (int round = 0; round < 3; ++round) {
            if (round == 1)
                main->setOnline();
            if (round == 2)
                main->setNoMonitor();
            for (const auto& [item, user, service, factory] : kMenuColumns) {
                const bool expected = column == 0 ? user : column == 1 ? service : factory;
                QVERIFY2(enabled(h, item) == expected, qPrintable(item + " round " + QString::number(round)));
            }
            // Writing a file into the monitor wants one online, and Maintenance or Factory.
            QCOMPARE(enabled(h, "mnuFileWriteToMonitor"), round == 1 && column >= 1);
        }
        // The log's queue bypass is for the factory only.
        FrmCommLog* log = h.ctx().windows->existing<FrmCommLog>();
        QCOMPARE(child(log, "ckXmitQueueOverride")->isEnabled(), column == 2);
        QCOMPARE(child(log, "lblXmitQueueOverride")->isEnabled(), column == 2);
        // The mode operations switch existing windows and the menus both ways.
        AppModes* modes = h.app().modes();
        modes->setFactoryMode();
        QVERIFY(enabled(h, "mnuDiagnosticsPeek"));
        QVERIFY(child(log, "ckXmitQueueOverride")->isEnabled());
        modes->setUserMode();
        QVERIFY(!enabled(h, "mnuDiagnosticsPeek"));
        QVERIFY(!enabled(h, "mnuConfigureVideoMode"));
        QVERIFY(enabled(h, "mnuFileOpen"));
        QVERIFY(!child(log, "ckXmitQueueOverride")->isEnabled());
        main->setOnline();
        QVERIFY(!enabled(h, "mnuFileWriteToMonitor"));
        modes->setServiceMode();
        QVERIFY(enabled(h, "mnuFileWriteToMonitor"));
    }

    void demoEnablesEverythingAfterTheMode() {
        ToolHarness h;
        h.start();
        h.app().mainWindow()->setDemo();
        for (const auto& entry : kMenuColumns)
            QVERIFY2(enabled(h, std::get<0>(entry)), qPrintable(std::get<0>(entry)));
        QVERIFY(enabled(h, "mnuFileWriteToMonitor"));
    }

    void aWindowCreatedLaterGetsTheModesControls_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("serviceControls");
        QTest::addColumn<bool>("factoryControls");
        QTest::newRow("user") << 0 << false << false;
        QTest::newRow("service") << 1 << true << false;
        QTest::newRow("factory") << 2 << true << true;
    }
    void aWindowCreatedLaterGetsTheModesControls() {
        QFETCH(int, mode);
        QFETCH(bool, serviceControls);
        QFETCH(bool, factoryControls);
        ToolHarness h;
        h.start();
        AppModes* modes = h.app().modes();
        modes->setAppModeValue(mode);
        modes->applyAppMode();
        auto* w = h.ctx().windows->window<ColourBalanceStandIn>();
        QCOMPARE(child(w, "VideoSetInitialSettingsButton")->isEnabled(), serviceControls);
        for (int i = 0; i < 8; ++i) {
            const bool restricted = i >= 2 && i <= 7;
            QCOMPARE(child(w, QString("HScroll1(%1)").arg(i))->isEnabled(), restricted ? serviceControls : true);
        }
        QCOMPARE(child(w, "HScroll2(0)")->isEnabled(), factoryControls);
        QVERIFY(child(w, "HScroll2(1)")->isEnabled());
        // A later mode change reaches the window as well.
        modes->setFactoryMode();
        QVERIFY(child(w, "HScroll2(0)")->isEnabled());
        QVERIFY(child(w, "HScroll1(7)")->isEnabled());
    }

    void theRuleTablesNameEveryRestrictedControl() {
        QStringList controls;
        for (const AppModes::ControlRule& r : AppModes::controlRules())
            controls << r.window + "." + r.control + "=" + QString::number(r.minMode);
        for (const char* expected :
             {"frmVideoAdj.VideoSetInitialSettingsButton=1", "frmVideoAdj.HScroll1(2)=1", "frmVideoAdj.HScroll1(7)=1",
              "frmVideoAdj.HScroll2(0)=2", "frmConvergence.HScroll1(0)=1", "frmConvergence.HScroll2(3)=1",
              "frmConvergence.HScroll4(2)=1", "frmConvergence.HScroll5(1)=1", "frmConvergence.HScroll3(0)=2",
              "frmConvergence.HScroll3(3)=2", "frmCommLog.ckXmitQueueOverride=2", "frmCommLog.lblXmitQueueOverride=2",
              "frmSoftware.btnLoadSRAM=2", "frmSoftware.btnRunSRAM=2",
              "frmBrightnessContrast.btnSetDefaultsBrightness=1", "frmBrightnessContrast.btnSetDefaultsContrast=1"})
            QVERIFY2(controls.contains(expected), expected);
        QVERIFY(!controls.contains("frmVideoAdj.HScroll1(1)=1"));
        QVERIFY(!controls.contains("frmConvergence.HScroll1(4)=1"));
        QCOMPARE(controls.size(), 1 + 6 + 1 + 16 + 4 + 2 + 2 + 2);
    }

    void aBadModeValueIsReportedAndChangesNothing() {
        ToolHarness h(ToolHarness::Port::Fake, "[StartUp]\nRunType=1\nInitialMode=ServiceMode\n");
        h.start();
        AppModes* modes = h.app().modes();
        modes->setAppModeValue(7);
        h.app().mainWindow()->setNoMonitor();
        QCOMPARE(h.dialogs.texts(), QStringList{"Setting Appmode with bad value"});
        QVERIFY(enabled(h, "mnuConfigureVideoMode"));
        QVERIFY(!enabled(h, "mnuDiagnosticsPeek"));
        // A window created meanwhile keeps its controls as built.
        auto* w = h.ctx().windows->window<ColourBalanceStandIn>();
        QVERIFY(child(w, "HScroll2(0)")->isEnabled());
        // The mode window selects no option.
        FrmAppMode* modeWindow = openModeWindow(h);
        for (const char* opt : {"optUser", "optService", "optFactory"})
            QVERIFY(!child<QRadioButton>(modeWindow, opt)->isChecked());
    }

    void modeWindowControls() {
        ToolHarness h;
        h.start();
        FrmAppMode* w = openModeWindow(h);
        QCOMPARE(w->windowTitle(), QString("Select Application Mode"));
        QCOMPARE(child<QWidget>(w, "frameMode")->property("title").toString(), QString("Mode"));
        QCOMPARE(child<QLabel>(w, "lblUser")->text(), QString("Installation"));
        QCOMPARE(child<QLabel>(w, "lblService")->text(), QString("Maintenance*"));
        QCOMPARE(child<QLabel>(w, "lblFactory")->text(), QString("Factory*"));
        QCOMPARE(child<QLabel>(w, "lblExplain")->text(), QString("* = Password Required"));
        // One name per mode, as the captions give them.
        QCOMPARE(child(w, "optUser")->toolTip(), QString("Select Installation Mode, allows normal adjustments."));
        QCOMPARE(child(w, "lblUser")->toolTip(), QString("Select Installation Mode"));
        QCOMPARE(child(w, "optService")->toolTip(), QString("Maintenance mode allows timing setups"));
        QCOMPARE(child(w, "lblService")->toolTip(), QString("Select Maintenance Mode"));
        QCOMPARE(child(w, "optFactory")->toolTip(), QString("Configure ALL parameters"));
        QCOMPARE(child(w, "lblFactory")->toolTip(), QString("Select Factory Mode"));
        QCOMPARE(child(w, "btnOK")->toolTip(), QString("Enter the selection."));
        QVERIFY(child<QRadioButton>(w, "optUser")->isChecked());
        FrmPassword* p = h.ctx().windows->window<FrmPassword>();
        QCOMPARE(p->windowTitle(), QString("Enter Password"));
        auto* txt = child<QLineEdit>(p, "txtPassword");
        QCOMPARE(txt->echoMode(), QLineEdit::Password);
        txt->setText("abc");
        QCOMPARE(txt->displayText(), QString("***"));
        QCOMPARE(child<QLabel>(p, "lblPassword")->text(), QString("Enter Password:"));
        QCOMPARE(child<QPushButton>(p, "btnOK")->text(), QString("OK"));
        QVERIFY(child<QPushButton>(p, "btnOK")->isDefault());
        QCOMPARE(child<QPushButton>(p, "btnCancel")->text(), QString("Cancel"));
    }

    void menuItemShowsTheModeWindow() {
        ToolHarness h;
        h.start();
        QAction* item = h.app().mainWindow()->menus()->action("mnuConfigureAppMode");
        QVERIFY(item);
        item->trigger();
        FrmAppMode* w = h.ctx().windows->existing<FrmAppMode>();
        QVERIFY(w);
        QVERIFY(!hidden(w));
    }

    void passwords_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("choice"); // the option or label clicked
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("modeAfter");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("service") << "UserMode"
                                 << "optService"
                                 << "tundra" << 1 << true;
        QTest::newRow("service with spaces") << "UserMode"
                                             << "lblService"
                                             << "  tundra   " << 1 << true;
        QTest::newRow("service, one capital") << "UserMode"
                                              << "optService"
                                              << "Tundra" << 0 << false;
        QTest::newRow("service, the factory password") << "UserMode"
                                                       << "optService"
                                                       << "mosk" << 0 << false;
        QTest::newRow("service, inner space") << "UserMode"
                                              << "optService"
                                              << "tun dra" << 0 << false;
        QTest::newRow("factory from user") << "UserMode"
                                           << "lblFactory"
                                           << "mosk" << 2 << true;
        QTest::newRow("factory from service") << "ServiceMode"
                                              << "optFactory"
                                              << " mosk" << 2 << true;
        QTest::newRow("factory, capitals") << "ServiceMode"
                                           << "optFactory"
                                           << "MOSK" << 1 << false;
        QTest::newRow("service from factory") << "FactoryMode"
                                              << "optService"
                                              << "tundra" << 1 << true;
    }
    void passwords() {
        QFETCH(QString, start);
        QFETCH(QString, choice);
        QFETCH(QString, typed);
        QFETCH(int, modeAfter);
        QFETCH(bool, accepted);
        ToolHarness h(ToolHarness::Port::Fake, "[StartUp]\nRunType=1\nInitialMode=" + start + "\n");
        h.start();
        FrmAppMode* w = openModeWindow(h);
        // The two higher choices go on at once: the password window opens.
        QTest::mouseClick(child(w, choice), Qt::LeftButton, {}, QPoint(2, 2));
        FrmPassword* p = h.ctx().windows->existing<FrmPassword>();
        QVERIFY(p);
        QVERIFY(!hidden(p));
        auto* txt = child<QLineEdit>(p, "txtPassword");
        QCOMPARE(txt->text(), QString());
        QTest::keyClicks(txt, typed);
        QTest::keyClick(txt, Qt::Key_Return);
        QCOMPARE(h.app().modes()->appMode(), modeAfter);
        if (accepted) {
            QVERIFY(h.dialogs.messages.isEmpty());
            QVERIFY(hidden(p));
            QVERIFY(hidden(w));
            QCOMPARE(enabled(h, "mnuDiagnosticsPeek"), modeAfter == 2);
            QCOMPARE(enabled(h, "mnuConfigureVideoMode"), true);
        } else {
            QCOMPARE(h.dialogs.texts(),
                     QStringList{"Incorrect Password. Try again, or Cancel, then Select Installation Mode."});
            QCOMPARE(txt->text(), QString());
            QVERIFY(!hidden(p));
            QVERIFY(!hidden(w));
            // Unlimited further attempts; Cancel leaves the mode and the mode window as they are.
            QTest::keyClicks(txt, "wrong");
            child<QPushButton>(p, "btnOK")->click();
            QCOMPARE(h.dialogs.messages.size(), 2);
            child<QPushButton>(p, "btnCancel")->click();
            QVERIFY(hidden(p));
            QVERIFY(!hidden(w));
            QCOMPARE(h.app().modes()->appMode(), modeAfter);
        }
    }

    void installationNeedsNoPasswordAndWaitsForOk() {
        ToolHarness h(ToolHarness::Port::Fake, "[StartUp]\nRunType=1\nInitialMode=FactoryMode\n");
        h.start();
        FrmAppMode* w = openModeWindow(h);
        QVERIFY(child<QRadioButton>(w, "optFactory")->isChecked());
        QTest::mouseClick(child(w, "lblUser"), Qt::LeftButton, {}, QPoint(2, 2));
        QVERIFY(child<QRadioButton>(w, "optUser")->isChecked());
        QCOMPARE(h.app().modes()->appMode(), int(AppModes::Factory));
        QTest::mouseClick(child(w, "optUser"), Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(h.app().modes()->appMode(), int(AppModes::Factory));
        child<QPushButton>(w, "btnOK")->click();
        QCOMPARE(h.app().modes()->appMode(), int(AppModes::User));
        QVERIFY(hidden(w));
        QVERIFY(!h.ctx().windows->existing<FrmPassword>());
        QVERIFY(!enabled(h, "mnuDiagnosticsPeek"));
    }

    void theCurrentModeAsksNothing_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("choice");
        QTest::newRow("maintenance") << "ServiceMode"
                                     << "optService";
        QTest::newRow("maintenance label") << "ServiceMode"
                                           << "lblService";
        QTest::newRow("factory") << "FactoryMode"
                                 << "optFactory";
    }
    void theCurrentModeAsksNothing() {
        QFETCH(QString, start);
        QFETCH(QString, choice);
        ToolHarness h(ToolHarness::Port::Fake, "[StartUp]\nRunType=1\nInitialMode=" + start + "\n");
        h.start();
        const int mode = h.app().modes()->appMode();
        FrmAppMode* w = openModeWindow(h);
        QTest::mouseClick(child(w, choice), Qt::LeftButton, {}, QPoint(2, 2));
        child<QPushButton>(w, "btnOK")->click();
        QVERIFY(!h.ctx().windows->existing<FrmPassword>());
        QVERIFY(!hidden(w));
        QCOMPARE(h.app().modes()->appMode(), mode);
        QVERIFY(h.dialogs.messages.isEmpty());
    }

    void aPasswordWindowWithoutAnExpectedPasswordJustCloses() {
        ToolHarness h;
        h.start();
        FrmPassword* p = h.ctx().windows->show<FrmPassword>();
        QTest::keyClicks(child<QLineEdit>(p, "txtPassword"), "tundra");
        child<QPushButton>(p, "btnOK")->click();
        QVERIFY(hidden(p));
        QCOMPARE(h.app().modes()->appMode(), int(AppModes::User));
        QVERIFY(h.dialogs.messages.isEmpty());
    }

    void thePasswordsAreNotInTheProgramAsText() {
        QCOMPARE(AppModes::passwordHash("tundra"), AppModes::servicePasswordHash());
        QCOMPARE(AppModes::passwordHash("mosk"), AppModes::factoryPasswordHash());
        QVERIFY(!AppModes::servicePasswordHash().contains("tundra"));
    }

    void theModeIsNotSavedAtExit() {
        ToolHarness h(ToolHarness::Port::Fake, "[StartUp]\nRunType=1\n");
        h.start();
        h.app().modes()->setFactoryMode();
        h.shutdown();
        QVERIFY(!h.readBackSettings()->contains("StartUp", "InitialMode"));
    }
};

QTEST_MAIN(AppModesTest)
#include "tst_appmodes.moc"
