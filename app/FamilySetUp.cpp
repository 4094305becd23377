#include "app/FamilySetUp.h"

#include "adjust/FrmBrightnessContrast.h"
#include "adjust/FrmVideoAdj.h"
#include "app/AppModes.h"
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "diag/TestPointWindows.h"
#include "model/BoardIdentity.h"
#include "model/MonitorModel.h"
#include "model/windows/FrmCapability.h"
#include "protocol/Catalogue.h"
#include "protocol/DataReadHandlers.h"
#include "ui/AppContext.h"
#include "ui/WindowRegistry.h"

#include <QAction>

const QList<FamilySetUp::MenuRow>& FamilySetUp::menuTable() {
    // Columns: up to 138, 200 to 298, 300 to 398, 400 to 498.
    static const QList<MenuRow> table = {
        {"mnuAdjust", {On, On, OnFor315ElseOff, On}},
        {"mnuAdjustGeometry", {On, On, Off, Off}},
        {"mnuAdjustHV", {Keep, On, Off, Off}},
        {"mnuAdjustmentConvergence", {Keep, On, Off, Off}},
        {"mnuAdjustmentConvergenceGoals", {Keep, Keep, Keep, Off}},
        {"mnuAdjustmentBrightnessContrast", {Keep, Keep, Keep, On}},
        {"mnuAdjustVideo", {On, On, OnFor315ElseOff, Off}},
        {"mnuInfo", {On, On, OnFor315ElseKeep, Keep}},
        {"mnuInfoID", {On, On, Keep, Keep}},
        {"mnuInfoVersion", {On, On, Keep, Keep}},
        {"mnuInfoOperatingHours", {On, On, Keep, Keep}},
        {"mnuInfoCurrentScan", {Keep, On, Keep, Off}},
        {"mnuDiagnosticsOperating", {On, On, Off, Off}},
        // The flat panels have no CRT supplies, deflection or high voltage to show; the first flat panels still
        // report their sync frequencies and fail flags, which only the LED-backlit ones dropped.
        {"mnuDiagnosticsVoltages", {Keep, Keep, Off, Off}},
        {"frmDiagnosticsDeflectionStatus", {Keep, Keep, On, Off}},
        {"mnuDiagnosticsHVLimits", {Keep, Keep, Off, Off}},
        {"mnuDiagnosticsFPControls", {Keep, Off, On, On}},
        {"mnuDiagnosticsDeflHV", {Keep, On, Off, Off}},
        {"mnuDiagnosticsI2c", {Off, On, On, On}},
        {"mnuDiagnosticsCommLogging", {On, Keep, Keep, Keep}},
        {"mnuConfigureBacklight", {Keep, Off, On, On}},
        // The flat panels have a heater and a fan, offered with their backlight.
        {"mnuConfigureHeater", {Keep, Off, On, On}},
    };
    return table;
}

std::optional<bool> FamilySetUp::menuSetting(const MenuRow& row, int firmwareClass) {
    const int family = DataReadHandlers::familyOf(firmwareClass);
    if (family == 0)
        return std::nullopt;
    switch (row.family[family - 1]) {
    case On:
        return true;
    case Off:
        return false;
    case OnFor315ElseOff:
        return hasColourBalancePanel(firmwareClass);
    case OnFor315ElseKeep:
        return hasColourBalancePanel(firmwareClass) ? std::optional<bool>(true) : std::nullopt;
    case Keep:
        break;
    }
    return std::nullopt;
}

void FamilySetUp::apply(int firmwareClass) {
    if (DataReadHandlers::familyOf(firmwareClass) == 0)
        return;
    applyMenus(firmwareClass);
    applyWindows(firmwareClass);
    // Only a monitor that is answering can be asked; a class replayed from a data file asks nobody, and the
    // request must not wait in the queue for whichever monitor is connected next.
    if (!m_ctx.model->monitorResponding)
        return;
    if (asksCapability(firmwareClass))
        m_ctx.send(Catalogue::readCapability());
    if (m_monitorRead)
        return;
    m_monitorRead = true;
    // The model and serial numbers, so that even an early save names the monitor.
    for (const QString& request : BoardIdentity::identityReads(firmwareClass, false))
        m_ctx.send(request);
    // The scan sets' names and switches, and the one the monitor runs, before any window asks.
    if (FirmwareClass::hasScanSets(firmwareClass)) {
        m_ctx.send(Catalogue::readScanSetList());
        m_ctx.send(Catalogue::readCurrentScanSet());
    }
}

void FamilySetUp::applyMenus(int firmwareClass) {
    MainMenus* menus = m_main->menus();
    QStringList off;
    for (const MenuRow& row : menuTable())
        if (const std::optional<bool> on = menuSetting(row, firmwareClass)) {
            if (QAction* action = menus->action(QLatin1String(row.item)))
                action->setEnabled(*on);
            if (!*on)
                off << QLatin1String(row.item);
        }
    // The application mode's restrictions still win (the family offers "Defl & HV Enable", which only the factory
    // mode may use); demonstration offers everything, whatever the mode.
    AppModes* modes = m_main->modes();
    if (!modes || m_main->connectionState() == ConnectionState::Demo)
        return;
    modes->setFamilyOff(off);
    for (const AppModes::MenuRule& rule : AppModes::menuRules())
        if (modes->appMode() < rule.minMode)
            if (QAction* action = menus->action(rule.item))
                action->setEnabled(false);
}

void FamilySetUp::applyWindows(int firmwareClass) {
    m_ctx.windows->window<FrmVideoAdj>()->applyFamilySetUp(firmwareClass);
    m_ctx.windows->window<FrmBrightnessContrast>()->applyFamilySetUp(firmwareClass);
    m_ctx.windows->window<FrmCapability>()->applyFamilySetUp(firmwareClass);
    // Only the LED-backlight panels change the flat-panel test points.
    if (DataReadHandlers::familyOf(firmwareClass) == 4)
        m_ctx.windows->window<FrmFlatPanelTestPoints>()->applyFamilySetUp(firmwareClass);
}
