#include "app/MainMenus.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

const QList<MainMenus::Entry>& MainMenus::tree() {
    static const QList<Entry> entries = {
        {nullptr, "mnuFile", "&File"},
        {"mnuFile", "mnuFileNew", "&New"},
        {"mnuFile", "mnuFileOpen", "&Open ..."},
        {"mnuFile", "mnuFileSave", "&Save"},
        {"mnuFile", "mnuFileSaveAs", "S&ave As ..."},
        {"mnuFile", "mnuFileWriteToMonitor", "&Write File to Monitor ..."},
        {"mnuFile", "mnuFileClose", "&Close"},
        {"mnuFile", "mnuFileExit", "E&xit"},

        {nullptr, "mnuMonitor", "&Monitor"},
        {"mnuMonitor", "mnuMonitorUpdate", "&Update All Data"},
        {"mnuMonitor", "mnuMonitorOnline", "Go O&nline"},
        {"mnuMonitor", "mnuMonitorOffline", "Go O&ffline"},
        {"mnuMonitor", "mnuMonitorDemo", "Go Offline &Demo Mode"},
        {"mnuMonitor", "mnuMonitorRun", "&Run from BOOT MODE"},
        {"mnuMonitor", "mnuMonitorHistory", "&History"},

        {nullptr, "mnuConfigure", "&Configure"},
        {"mnuConfigure", "mnuConfigureVideoMode", "&Video Mode"},
        {"mnuConfigure", "mnuConfigureModelAndSerialNumber", "Set &Model and Serial Number"},
        {"mnuConfigure", "mnuConfigureOperatingMode", "&Operating Mode"},
        {"mnuConfigure", "mnuConfigureOperatingTime", "Set Operating &Times"},
        {"mnuConfigure", "mnuConfigureSoftware", "So&ftware"},
        {"mnuConfigure", "mnuConfigureSelectScanSet", "&Scan Selection"},
        {"mnuConfigure", "mnuConfigureBacklight", "Back&light Controls"},
        {"mnuConfigure", "mnuConfigureHeater", "&Heater and Fan"},
        {"mnuConfigure", "mnuConfigureAppMode", "&Application Mode"},

        {nullptr, "mnuAdjust", "&Adjustment"},
        {"mnuAdjust", "mnuAdjustmentBrightnessContrast", "&Brightness and Contrast"},
        {"mnuAdjust", "mnuAdjustGeometry", "&Geometry"},
        {"mnuAdjust", "mnuAdjustVideo", "Colo&r Balance"},
        {"mnuAdjust", "mnuAdjustmentConvergenceGoals", "&Convergence - Goals"},
        {"mnuAdjust", "mnuAdjustmentConvergence", "Convergence - &Details"},
        {"mnuAdjust", "mnuAdjustHV", "&High Voltage"},

        {nullptr, "mnuInfo", "&Info"},
        {"mnuInfo", "mnuInfoID", "Model and &Serial Numbers"},
        {"mnuInfo", "mnuInfoVersion", "&Version"},
        {"mnuInfo", "mnuInfoConfiguration", "&Monitor Configuration"},
        {"mnuInfo", "mnuInfoOperatingHours", "&Operating Time"},
        {"mnuInfo", "mnuInfoLimits", "Brightness and Contrast &Limits"},
        {"mnuInfo", "mnuInfoCurrentScan", "&Current Scan Set"},
        {"mnuInfo", "mnuInfoBoot", "&Boot Block"},

        {nullptr, "mnuDiagnostics", "&Diagnostics"},
        {"mnuDiagnostics", "mnuDiagnosticsCommLogging", "&Communication Log"},
        // "&&" shows the ampersand itself rather than underlining the space after it.
        {"mnuDiagnostics", "mnuDiagnosticsDeflHV", "Deflection && HV &Enable"},
        {"mnuDiagnostics", "mnuDiagnosticsOperating", "&Operating Values"},
        {"mnuDiagnostics", "mnuDiagnosticsVoltages", "Operating &Voltages"},
        {"mnuDiagnostics", "frmDiagnosticsDeflectionStatus", "&Deflection Status"},
        {"mnuDiagnostics", "mnuDiagnosticsHVLimits", "HV &Limits"},
        {"mnuDiagnostics", "mnuDiagnosticsFPControls", "&Analog Operating Values"},
        {"mnuDiagnostics", "mnuDiagnosticsI2c", "&I2C Device Test"},
        {"mnuDiagnostics", "mnuDiagnosticsPeek", "&Peek and Poke"},

        {nullptr, "mnuWindow", "&Window"},
        {"mnuWindow", "mnuWindowCascade", "&Cascade"},
        {"mnuWindow", "mnuWindowTileHorizontal", "Tile &Horizontally"},
        {"mnuWindow", "mnuWindowTileVertical", "Tile &Vertically"},
        {"mnuWindow", "mnuWindowArrangeIcons", "Arrange &Icons"},

        {nullptr, "mnuHelp", "&Help"},
        {"mnuHelp", "mnuHelpTopics", "&Kestrane Help Topics ..."},
        {"mnuHelp", "mnuHelpLinkReport", "&Link Report ..."},
        {"mnuHelp", "mnuHelpAbout", "&About OrvexMon"},
    };
    return entries;
}

MainMenus::MainMenus(QMainWindow* mainWindow) : m_main(mainWindow) {
    for (const Entry& e : tree()) {
        const QString name = QString::fromLatin1(e.name);
        const QString caption = QString::fromLatin1(e.caption);
        if (!e.parent)
            addMenu(name, caption);
        else if (QMenu* parent = m_menus.value(QString::fromLatin1(e.parent)))
            addItem(parent, name, caption);
    }
}

QMenu* MainMenus::addMenu(const QString& name, const QString& caption) {
    QMenu* m = m_main->menuBar()->addMenu(caption);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    m_menus.insert(name, m);
    m_actions.insert(name, m->menuAction());
    return m;
}

QAction* MainMenus::addItem(QMenu* menu, const QString& name, const QString& caption) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    m_actions.insert(name, a);
    return a;
}

void MainMenus::setEnabled(std::initializer_list<const char*> names, bool on) {
    for (const char* n : names)
        if (QAction* a = m_actions.value(QString::fromLatin1(n)))
            a->setEnabled(on);
}

void MainMenus::setAllEnabled(bool on) {
    for (QAction* a : std::as_const(m_actions))
        a->setEnabled(on);
}
