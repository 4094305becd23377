#include "app/AnswerRoutes.h"

#include "adjust/FrmBrightnessContrast.h"
#include "adjust/FrmConvergence.h"
#include "adjust/FrmGeometryAdj.h"
#include "adjust/FrmVideoAdj.h"
#include "app/DiagnosticRoutes.h"
#include "app/FamilySetUp.h"
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "download/DownloadEngine.h"
#include "download/windows/FrmBootProgress.h"
#include "download/windows/FrmSoftware.h"
#include "link/Link.h"
#include "model/DataFile.h"
#include "model/MonitorModel.h"
#include "model/windows/FrmCurrentScanSet.h"
#include "model/windows/FrmID.h"
#include "model/windows/FrmOperatingMode.h"
#include "model/windows/FrmOperatingTime.h"
#include "model/windows/FrmScanSelect.h"
#include "model/windows/FrmSetModelAndSerialNumber.h"
#include "model/windows/FrmSetOperatingTimes.h"
#include "model/windows/FrmVersion.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/FirmwareClass.h"
#include "ui/AppContext.h"
#include "ui/StateView.h"
#include "ui/WindowRegistry.h"

#include <QAction>
#include <memory>

namespace {
// The main-window menu items that a capability bit offers.
struct CapabilityMenus {
    int bit;
    const char* items[2];
};
constexpr CapabilityMenus capabilityMenus[] = {
    {4, {"mnuAdjustmentBrightnessContrast", "mnuAdjustVideo"}},
    {8, {"mnuAdjustGeometry", nullptr}},
    {32, {"mnuAdjustmentConvergence", "mnuAdjustmentConvergenceGoals"}},
    {64, {"mnuAdjustHV", nullptr}},
};

// The DAC values of the given groups (upper-case letters) go to window T's showDacValues.
template <class T> void routeDacGroups(AppContext& ctx, QObject* owner, const QString& groups) {
    QObject::connect(ctx.handlers, &DataReadHandlers::dacValuesRead, owner,
                     [&ctx, groups](QChar group, DacKind kind, const QVector<int>& values) {
                         if (groups.contains(group.toUpper()))
                             ctx.windows->window<T>()->showDacValues(group, kind, values);
                     });
}

// The windows that show any of the parts show the model's states again.
void showStates(AppContext& ctx, MonitorStates::Parts parts) {
    for (ChildWindow* w : ctx.windows->all())
        if (auto* view = dynamic_cast<StateView*>(w); view && (view->shownParts() & parts))
            view->showStates();
}

// A part or serial number goes to both identity windows.
void showIdentity(AppContext& ctx, QChar board, bool serial, const QString& text) {
    ctx.windows->window<FrmID>()->showIdentity(board, serial, text);
    ctx.windows->window<FrmSetModelAndSerialNumber>()->showIdentity(board, serial, text);
}
} // namespace

void connectAnswerRoutes(AppContext& ctx, QObject* owner) {
    if (!ctx.handlers || !ctx.windows)
        return;
    DataReadHandlers* h = ctx.handlers;

    // Capability (asked by the family set-up of the monitors that report it): on a CRT each adjustment whose
    // board the monitor reports is offered, the others are taken back. A flat panel's adjustments are its
    // family's; its report only fills "Monitor Configuration".
    if (auto* main = qobject_cast<FrmMain*>(owner)) {
        MainMenus* menus = main->menus();
        QObject::connect(h, &DataReadHandlers::capabilityRead, owner, [menus, &ctx](int mask) {
            if (FirmwareClass::isFlatPanel(ctx.model->firmwareClass))
                return;
            for (const CapabilityMenus& c : capabilityMenus)
                for (const char* item : c.items)
                    if (QAction* action = item ? menus->action(QLatin1String(item)) : nullptr)
                        action->setEnabled(mask & c.bit);
        });
    }

    connectDiagnosticRoutes(ctx, owner);

    // A damaged answer is logged, not taken; the session reads it again.
    QObject::connect(h, &DataReadHandlers::answerGarbled, owner, [&ctx](const QString& answer) {
        if (ctx.link)
            ctx.link->logEvent(QStringLiteral("Garbled answer discarded: ") + answer.simplified());
    });

    // Colour balance.
    routeDacGroups<FrmVideoAdj>(ctx, owner, QStringLiteral("LB"));
    QObject::connect(h, &DataReadHandlers::offsetRowRead, owner, [&ctx](DacKind kind, const QVector<int>& values) {
        ctx.windows->window<FrmVideoAdj>()->showOffsets(kind, values);
    });

    // Geometry.
    routeDacGroups<FrmGeometryAdj>(ctx, owner, QStringLiteral("VHS"));
    QObject::connect(h, &DataReadHandlers::horizontalSCapRead, owner, [&ctx](DacKind kind, int value) {
        ctx.windows->window<FrmGeometryAdj>()->showHorizontalSCap(kind, value);
    });

    // Convergence details, created hidden when not open: the goal windows step its sliders from what the monitor
    // holds.
    routeDacGroups<FrmConvergence>(ctx, owner, QStringLiteral("ADEGIK"));

    // A monitor found, or lost: what the adjustment rows and the option windows showed of the last one is not known
    // of this one.
    if (auto* main = qobject_cast<FrmMain*>(owner))
        QObject::connect(main, &FrmMain::connectionStateChanged, owner, [&ctx] {
            ctx.model->forgetMonitorValues();
            for (ChildWindow* w : ctx.windows->all())
                if (auto* adjust = qobject_cast<DacAdjustWindow*>(w))
                    adjust->forgetMonitorValues();
            showDiagnostics(ctx, DiagnosticCaptions::all);
            showStates(ctx, ~MonitorStates::Parts());
        });

    // The option and state values: the windows show the model's part that changed. Auto boot also tells the
    // download whether the monitor starts its firmware by itself.
    QObject::connect(h, &DataReadHandlers::statesChanged, owner, [&ctx](MonitorStates::Parts parts) {
        showStates(ctx, parts);
        const Reported<QString>& autoBoot = ctx.model->states.autoBoot;
        if ((parts & MonitorStates::Part::BootBlock) && autoBoot.origin() == Origin::Read && ctx.download)
            ctx.download->noteAutoBoot(autoBoot.value());
    });

    // The monitor family: menus and window controls by firmware class.
    if (auto* main = qobject_cast<FrmMain*>(owner)) {
        auto setUp = std::make_shared<FamilySetUp>(ctx, main);
        QObject::connect(h, &DataReadHandlers::familySetUpRequested, owner,
                         [setUp](int firmwareClass) { setUp->apply(firmwareClass); });
        QObject::connect(main, &FrmMain::connectionStateChanged, owner, [setUp] { setUp->forgetMonitor(); });
    }

    // Brightness and contrast: its two sliders (its panel status and start-up options are states).
    routeDacGroups<FrmBrightnessContrast>(ctx, owner, QStringLiteral("L"));
    // Its start-up options are the operating mode's user-control options: the operating-mode window takes the
    // user's choice and sends the whole mode.
    QObject::connect(ctx.windows, &WindowRegistry::windowCreated, owner, [&ctx](ChildWindow* created) {
        if (auto* bc = qobject_cast<FrmBrightnessContrast*>(created))
            QObject::connect(bc, &FrmBrightnessContrast::startUpControlChosen, bc,
                             [&ctx](Catalogue::UserControl section, bool userControlled) {
                                 ctx.windows->window<FrmOperatingMode>()->selectStartUpControl(section, userControlled);
                             });
    });

    // Scan sets.
    // The windows show what the model holds, which the command line reads as well.
    QObject::connect(h, &DataReadHandlers::currentScanSetNumberRead, owner,
                     [&ctx] { ctx.windows->window<FrmCurrentScanSet>()->showNumber(ctx.model->monitorScanSetNumber); });
    QObject::connect(h, &DataReadHandlers::currentScanSetNameRead, owner,
                     [&ctx] { ctx.windows->window<FrmCurrentScanSet>()->showName(ctx.model->monitorScanSetName); });
    QObject::connect(h, &DataReadHandlers::currentScanSetFrequenciesRead, owner,
                     [&ctx](const QString& horizontal, const QString& vertical) {
                         ctx.windows->window<FrmCurrentScanSet>()->showFrequencies(horizontal, vertical);
                     });
    QObject::connect(h, &DataReadHandlers::scanSetCaptionChanged, owner, [&ctx] {
        for (ChildWindow* w : ctx.windows->all())
            if (auto* adjust = qobject_cast<DacAdjustWindow*>(w))
                adjust->showScanSetCaption();
    });
    QObject::connect(h, &DataReadHandlers::scanSetEntryRead, owner,
                     [&ctx](int index, const QString& name, int enabled) {
                         ctx.windows->window<FrmScanSelect>()->showEntry(index, name, enabled);
                     });

    // Identity, versions, operating time, operating mode and limits.
    QObject::connect(h, &DataReadHandlers::identityRead, owner, [&ctx](QChar board, bool serial) {
        showIdentity(ctx, board, serial, ctx.model->boardNumber(board, serial));
    });
    QObject::connect(h, &DataReadHandlers::firmwareVersionRead, owner,
                     [&ctx](const QString& text) { ctx.windows->window<FrmVersion>()->showFirmwareVersion(text); });
    QObject::connect(h, &DataReadHandlers::bootEpromVersionRead, owner,
                     [&ctx](const QString& text) { ctx.windows->window<FrmVersion>()->showEpromVersion(text); });
    QObject::connect(h, &DataReadHandlers::operatingTimeRead, owner,
                     [&ctx](const QString& timeText, const QString& cyclesText, int days, int hours, int minutes,
                            int seconds, int cycles) {
                         FrmOperatingTime* w = ctx.windows->window<FrmOperatingTime>();
                         w->showOperatingTime(timeText);
                         w->showOperatingCycles(cyclesText);
                         ctx.windows->window<FrmSetOperatingTimes>()->showOperatingTime(days, hours, minutes, seconds,
                                                                                        cycles);
                     });
    // Software and boot block. The version goes to the software window only when it is open: its label is
    // cleared when the window loads.
    QObject::connect(h, &DataReadHandlers::firmwareVersionRead, owner, [&ctx](const QString& text) {
        if (FrmSoftware* w = ctx.windows->existing<FrmSoftware>())
            w->showFirmwareVersion(text);
    });

    // Download progress.
    if (DownloadEngine* d = ctx.download) {
        QObject::connect(d, &DownloadEngine::progressShown, owner, [&ctx] { ctx.windows->show<FrmBootProgress>(); });
        QObject::connect(d, &DownloadEngine::progressHidden, owner, [&ctx] {
            if (FrmBootProgress* w = ctx.windows->existing<FrmBootProgress>())
                w->hideWindow();
        });
        QObject::connect(d, &DownloadEngine::gaugeChanged, owner,
                         [&ctx](int percent) { ctx.windows->window<FrmBootProgress>()->setGauge(percent); });
        QObject::connect(d, &DownloadEngine::retryTextChanged, owner,
                         [&ctx](const QString& text) { ctx.windows->window<FrmBootProgress>()->setRetryText(text); });
        QObject::connect(d, &DownloadEngine::startWaitChanged, owner, [&ctx](const QString& what, int seconds) {
            ctx.windows->window<FrmBootProgress>()->setStartWait(what, seconds);
        });
    }
}

void connectDataFileRoutes(AppContext& ctx, QObject* owner) {
    if (!ctx.dataFile || !ctx.windows)
        return;
    QObject::connect(ctx.dataFile, &DataFile::scanSetNameLoaded, owner, [&ctx](int index, const QString& name) {
        if (FrmScanSelect* w = ctx.windows->existing<FrmScanSelect>())
            w->showName(index, name);
    });
    QObject::connect(ctx.dataFile, &DataFile::identityLoaded, owner,
                     [&ctx](QChar board, bool serial, const QString& text) { showIdentity(ctx, board, serial, text); });
    QObject::connect(ctx.dataFile, &DataFile::operatingTimeLoaded, owner,
                     [&ctx](const QString& text) { ctx.windows->window<FrmOperatingTime>()->showOperatingTime(text); });
    QObject::connect(ctx.dataFile, &DataFile::operatingCyclesLoaded, owner, [&ctx](const QString& text) {
        ctx.windows->window<FrmOperatingTime>()->showOperatingCycles(text);
    });
}
