#include "app/FrmMain.h"
#include "ui/ToolVersion.h"

#include "app/AppModes.h"
#include "app/FrmAbout.h"
#include "app/HelpViewer.h"
#include "app/MainMenus.h"
#include "app/WindowMenus.h"
#include "link/windows/FrmConnect.h"
#include "model/MonitorModel.h"
#include "platform/Clock.h"
#include "protocol/Catalogue.h"
#include "session/MonitorSession.h"
#include "ui/AppContext.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

FrmMain::FrmMain(AppContext& ctx, AppModes* modes, QWidget* parent)
    : QMainWindow(parent), m_ctx(ctx), m_modes(modes), m_area(new QMdiArea(this)), m_menus(new MainMenus(this)),
      m_windows(new WindowRegistry(ctx, m_area, this)) {
    setObjectName(QStringLiteral("frmMain"));
    m_area->setObjectName(QStringLiteral("mdiArea"));
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_area);
    ctx.windows = m_windows;
    if (m_modes)
        m_modes->attach(m_menus.get(), m_windows, ctx.dialogs, this);
    setTitle(QString());
    connectMenus();
    connect(ctx.session, &MonitorSession::connectionStateChanged, this, &FrmMain::showConnectionState);
    connect(ctx.session, &MonitorSession::goOfflineOffered, this, &FrmMain::enableGoOffline);
    connectWindowMenus(this);
}

FrmMain::~FrmMain() = default;

QString FrmMain::versionText() {
    return toolVersionText();
}

QString FrmMain::applicationTitle() {
    return QStringLiteral("Orvex Monitor Adjustment Tool V") + versionText();
}

QAction* FrmMain::menuAction(const QString& name) const {
    return m_menus->action(name);
}

void FrmMain::setTitle(const QString& text) {
    setWindowTitle(text.isEmpty() ? applicationTitle() + QStringLiteral(" -- (No File)")
                                  : applicationTitle() + QStringLiteral(" -- ") + text);
}

void FrmMain::connectMenus() {
    connect(m_menus->action("mnuFileExit"), &QAction::triggered, this, &QWidget::close);
    connect(m_menus->action("mnuMonitorOnline"), &QAction::triggered, this, [this] { m_windows->show<FrmConnect>(); });
    connect(m_menus->action("mnuMonitorOffline"), &QAction::triggered, this, [this] {
        setNoMonitor();
        m_windows->window<FrmConnect>()->hideConnectionWindows();
    });
    connect(m_menus->action("mnuMonitorDemo"), &QAction::triggered, this, &FrmMain::setDemo);
    connect(m_menus->action("mnuMonitorRun"), &QAction::triggered, this,
            [this] { m_ctx.send(Catalogue::runFirmware()); });
    connect(m_menus->action("mnuWindowCascade"), &QAction::triggered, m_windows, &WindowRegistry::cascade);
    connect(m_menus->action("mnuWindowTileHorizontal"), &QAction::triggered, m_windows,
            [this] { m_windows->tile(Qt::Vertical); });
    connect(m_menus->action("mnuWindowTileVertical"), &QAction::triggered, m_windows,
            [this] { m_windows->tile(Qt::Horizontal); });
    connect(m_menus->action("mnuWindowArrangeIcons"), &QAction::triggered, this, [this] {
        // Minimised windows lined up along the bottom edge.
        int x = 0;
        const int bottom = m_area->viewport()->height();
        for (QMdiSubWindow* s : m_area->subWindowList()) {
            if (!s->isVisible() || !s->isMinimized())
                continue;
            const QSize size = s->size();
            if (x + size.width() > m_area->viewport()->width() && x > 0)
                x = 0;
            s->move(x, bottom - size.height());
            x += size.width();
        }
    });
    connect(m_menus->action("mnuHelpTopics"), &QAction::triggered, this, &FrmMain::showHelp);
    connect(m_menus->action("mnuHelpAbout"), &QAction::triggered, this, &FrmMain::showAbout);
}

void FrmMain::enable(const QString& name, bool on) {
    if (QAction* a = m_menus->action(name))
        a->setEnabled(on);
}

QString FrmMain::portText() const {
    return QStringLiteral("Monitor on Com") + QString::number(m_ctx.commPort);
}

void FrmMain::applyAppMode() {
    if (m_modes)
        m_modes->applyAppMode();
}

ConnectionState FrmMain::connectionState() const {
    return m_ctx.session->connectionState();
}

void FrmMain::setOnline() {
    m_ctx.session->setOnline();
}

void FrmMain::setBootMode() {
    m_ctx.session->setBootMode();
}

void FrmMain::setNoMonitor() {
    m_ctx.session->setNoMonitor();
}

void FrmMain::setDemo() {
    m_ctx.session->setConnectionState(ConnectionState::Demo);
}

void FrmMain::showConnectionState(ConnectionState state) {
    switch (state) {
    case ConnectionState::Online:
        showOnline();
        break;
    case ConnectionState::BootMode:
        showBootMode();
        break;
    case ConnectionState::NoMonitor:
        showNoMonitor();
        break;
    case ConnectionState::Demo:
        showNoMonitor();
        setTitle(QStringLiteral("No monitor - Offline Demo Mode"));
        // Everything is offered for demonstration, whatever the application mode restricts.
        m_menus->setAllEnabled(true);
        break;
    }
    emit connectionStateChanged(state);
}

void FrmMain::showOnline() {
    setTitle(portText());
    m_menus->setEnabled(
        {"mnuMonitorUpdate", "mnuMonitorOffline", "mnuInfoID", "mnuInfoOperatingHours", "mnuDiagnosticsOperating"},
        true);
    m_menus->setEnabled({"mnuMonitorOnline"}, false);
    applyAppMode();
}

void FrmMain::showBootMode() {
    setTitle(portText() + QStringLiteral(" -- BOOT MODE"));
    m_menus->setEnabled({"mnuMonitorUpdate", "mnuMonitorOnline", "mnuAdjust", "mnuInfo"}, false);
    m_menus->setEnabled({"mnuMonitorOffline", "mnuMonitorRun"}, true);
    applyAppMode();
}

void FrmMain::showNoMonitor() {
    setTitle(QStringLiteral("No monitor"));
    m_menus->setEnabled({"mnuMonitorOnline", "mnuMonitorDemo"}, true);
    m_menus->setEnabled({"mnuMonitorUpdate", "mnuMonitorOffline", "mnuMonitorRun", "mnuConfigureBacklight",
                         "mnuConfigureHeater", "mnuInfoVersion", "mnuInfoID", "mnuInfoCurrentScan",
                         "mnuInfoOperatingHours", "mnuDiagnosticsOperating", "mnuDiagnosticsI2c", "mnuAdjustGeometry",
                         "mnuAdjustHV", "mnuAdjustmentConvergence", "mnuAdjustVideo", "mnuAdjust",
                         "mnuDiagnosticsFPControls", "mnuDiagnosticsDeflHV"},
                        false);
    clearVersionTexts();
    // With the monitor gone, its family no longer withholds what the mode offers.
    if (m_modes)
        m_modes->setFamilyOff({});
    applyAppMode();
}

void FrmMain::clearVersionTexts() {
    // The version window shows what the monitor last reported; with no monitor it shows nothing.
    if (ChildWindow* version = m_windows->find(QStringLiteral("frmVersion")))
        for (const char* name : {"lblMonitorFirmwareVersionValue", "lblMonitorEpromVersionValue"})
            if (auto* label = version->findChild<QLabel*>(QString::fromLatin1(name)))
                label->clear();
    emit versionTextsCleared();
}

void FrmMain::enableGoOffline() {
    m_menus->setEnabled({"mnuMonitorOffline"}, true);
}

void FrmMain::disableAtStartUp() {
    m_menus->setEnabled({"mnuAdjustmentConvergenceGoals", "mnuMonitorRun", "mnuAdjustHV", "mnuConfigureBacklight",
                         "mnuConfigureHeater", "mnuAdjustmentConvergence", "mnuDiagnosticsFPControls",
                         "mnuDiagnosticsDeflHV", "mnuDiagnosticsOperating", "mnuDiagnosticsI2c", "mnuInfoVersion",
                         "mnuInfoCurrentScan", "mnuAdjustGeometry", "mnuAdjustVideo"},
                        false);
}

void FrmMain::showHelp() {
    HelpViewer::show(m_ctx, this);
}

void FrmMain::showAbout() {
    auto* about = findChild<FrmAbout*>();
    if (!about)
        about = new FrmAbout(m_ctx, this);
    about->show();
    about->raise();
    about->activateWindow();
}

void FrmMain::closeEvent(QCloseEvent* event) {
    if (!m_closed) {
        m_closed = true;
        emit closing();
    }
    event->accept();
}
