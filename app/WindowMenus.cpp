#include "app/WindowMenus.h"

#include "adjust/FrmBacklight.h"
#include "adjust/FrmBrightnessContrast.h"
#include "adjust/FrmConvergence.h"
#include "adjust/FrmConvergenceGoal.h"
#include "adjust/FrmGeometryAdj.h"
#include "adjust/FrmVideoAdj.h"
#include "adjust/HvWindows.h"
#include "adjust/SingleSettingWindows.h"
#include "app/FrmAppMode.h"
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "diag/FrmI2cProbe.h"
#include "diag/FrmPeekPoke.h"
#include "diag/StatusWindows.h"
#include "diag/TestPointWindows.h"
#include "download/windows/FrmBootBlock.h"
#include "download/windows/FrmSoftware.h"
#include "link/windows/FrmCommLog.h"
#include "link/windows/FrmLinkReport.h"
#include "model/MonitorModel.h"
#include "model/windows/FrmCapability.h"
#include "model/windows/FrmCurrentScanSet.h"
#include "model/windows/FrmID.h"
#include "model/windows/FrmLimits.h"
#include "model/windows/FrmOperatingMode.h"
#include "model/windows/FrmOperatingTime.h"
#include "model/windows/FrmScanSelect.h"
#include "model/windows/FrmSetModelAndSerialNumber.h"
#include "model/windows/FrmSetOperatingTimes.h"
#include "model/windows/FrmVersion.h"
#include "protocol/FirmwareClass.h"
#include "protocol/TestPointDecoders.h"
#include "ui/AppContext.h"
#include "ui/WindowRegistry.h"

#include <QAction>

namespace {
// Shows window T (created on first use, brought to the front) when the item is chosen.
template <class T> void opens(FrmMain* main, const char* item) {
    if (QAction* action = main->menus()->action(QString::fromLatin1(item)))
        QObject::connect(action, &QAction::triggered, main, [main] { main->windows()->show<T>(); });
}
} // namespace

void connectWindowMenus(FrmMain* mainWindow) {
    opens<FrmVideoAdj>(mainWindow, "mnuAdjustVideo");
    opens<FrmGeometryAdj>(mainWindow, "mnuAdjustGeometry");
    opens<FrmConvergence>(mainWindow, "mnuAdjustmentConvergence");
    opens<FrmConvergenceGoal>(mainWindow, "mnuAdjustmentConvergenceGoals");
    opens<FrmAppMode>(mainWindow, "mnuConfigureAppMode");
    opens<FrmCommLog>(mainWindow, "mnuDiagnosticsCommLogging");
    opens<FrmSoftware>(mainWindow, "mnuConfigureSoftware");
    opens<FrmBootBlock>(mainWindow, "mnuInfoBoot");

    // "Set V1 Boot Mode" of the software window enters the boot-mode state without asking the monitor.
    QObject::connect(mainWindow->windows(), &WindowRegistry::windowCreated, mainWindow, [mainWindow](ChildWindow* w) {
        if (auto* software = qobject_cast<FrmSoftware*>(w))
            QObject::connect(software, &FrmSoftware::v1BootModeChosen, mainWindow, &FrmMain::setBootMode);
    });
    opens<FrmCapability>(mainWindow, "mnuInfoConfiguration");
    opens<FrmScanSelect>(mainWindow, "mnuConfigureSelectScanSet");
    opens<FrmCurrentScanSet>(mainWindow, "mnuInfoCurrentScan");
    opens<FrmBrightnessContrast>(mainWindow, "mnuAdjustmentBrightnessContrast");
    opens<FrmBacklight>(mainWindow, "mnuConfigureBacklight");
    opens<FrmFPHeaterFan>(mainWindow, "mnuConfigureHeater");
    opens<FrmVideoConfig>(mainWindow, "mnuConfigureVideoMode");
    opens<FrmDeflHVEnable>(mainWindow, "mnuDiagnosticsDeflHV");
    opens<FrmCRTVoltages>(mainWindow, "mnuDiagnosticsVoltages");
    opens<FrmDeflectionStatus>(mainWindow, "frmDiagnosticsDeflectionStatus");
    opens<FrmHVLimits>(mainWindow, "mnuDiagnosticsHVLimits");
    opens<FrmFlatPanelTestPoints>(mainWindow, "mnuDiagnosticsFPControls");
    opens<FrmI2cProbe>(mainWindow, "mnuDiagnosticsI2c");
    opens<FrmPeekPoke>(mainWindow, "mnuDiagnosticsPeek");
    // "High Voltage": the G2 adjustment board's own window on the CRTs that report one, the HV window otherwise.
    if (QAction* action = mainWindow->menus()->action(QStringLiteral("mnuAdjustHV")))
        QObject::connect(action, &QAction::triggered, mainWindow, [mainWindow] {
            WindowRegistry* windows = mainWindow->windows();
            const MonitorModel& m = *windows->context().model;
            if (m.hasG2Adjustment && FirmwareClass::isClass2(m.firmwareClass))
                windows->show<FrmG2>();
            else
                windows->show<FrmMDI_HV>();
        });
    // The operating conditions are the test-point window of the monitor's family.
    if (QAction* action = mainWindow->menus()->action(QStringLiteral("mnuDiagnosticsOperating")))
        QObject::connect(action, &QAction::triggered, mainWindow, [mainWindow] {
            WindowRegistry* windows = mainWindow->windows();
            switch (TestPoints::decoderOf(windows->context().model->firmwareClass)) {
            case 2:
                windows->show<FrmMDITestPoints>();
                break;
            case 3:
            case 4:
                windows->show<FrmFlatPanelTestPoints>();
                break;
            default:
                windows->show<FrmTestPoint>();
                break;
            }
        });
    opens<FrmSetModelAndSerialNumber>(mainWindow, "mnuConfigureModelAndSerialNumber");
    opens<FrmOperatingMode>(mainWindow, "mnuConfigureOperatingMode");
    opens<FrmSetOperatingTimes>(mainWindow, "mnuConfigureOperatingTime");
    opens<FrmID>(mainWindow, "mnuInfoID");
    opens<FrmVersion>(mainWindow, "mnuInfoVersion");
    opens<FrmOperatingTime>(mainWindow, "mnuInfoOperatingHours");
    opens<FrmLimits>(mainWindow, "mnuInfoLimits");
    opens<FrmLinkReport>(mainWindow, "mnuHelpLinkReport");
}
