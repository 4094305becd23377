#include "app/AnswerRoutes.h"

#include "adjust/FrmVideoAdj.h"
#include "app/AppContext.h"
#include "app/FamilySetUp.h"
#include "app/FrmMain.h"
#include "app/MainMenus.h"
#include "app/WindowRegistry.h"
#include "download/DownloadEngine.h"
#include "download/windows/FrmBootBlock.h"
#include "download/windows/FrmBootProgress.h"
#include "download/windows/FrmSoftware.h"
#include "model/DataFile.h"
#include "model/windows/FrmCurrentScanSet.h"
#include "model/windows/FrmScanSelect.h"
#include "protocol/DataReadHandlers.h"

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
} // namespace

void connectAnswerRoutes(AppContext& ctx, QObject* owner) {
    if (!ctx.handlers || !ctx.windows)
        return;
    DataReadHandlers* h = ctx.handlers;

    // Capability (asked by the family set-up of the CRTs that report it): each adjustment whose board the monitor
    // reports is offered, the others are taken back.
    if (auto* main = qobject_cast<FrmMain*>(owner)) {
        MainMenus* menus = main->menus();
        QObject::connect(h, &DataReadHandlers::capabilityRead, owner, [menus](int mask) {
            for (const CapabilityMenus& c : capabilityMenus)
                for (const char* item : c.items)
                    if (QAction* action = item ? menus->action(QLatin1String(item)) : nullptr)
                        action->setEnabled(mask & c.bit);
        });
    }

    // Colour balance.
    routeDacGroups<FrmVideoAdj>(ctx, owner, QStringLiteral("LB"));
    QObject::connect(h, &DataReadHandlers::offsetRowRead, owner, [&ctx](DacKind kind, const QVector<int>& values) {
        ctx.windows->window<FrmVideoAdj>()->showOffsets(kind, values);
    });

    // The monitor family: menus and window controls by firmware class.
    if (auto* main = qobject_cast<FrmMain*>(owner)) {
        auto setUp = std::make_shared<FamilySetUp>(ctx, main);
        QObject::connect(h, &DataReadHandlers::familySetUpRequested, owner,
                         [setUp](int firmwareClass) { setUp->apply(firmwareClass); });
    }

    // Scan sets.
    QObject::connect(h, &DataReadHandlers::currentScanSetNumberRead, owner,
                     [&ctx](int number) { ctx.windows->window<FrmCurrentScanSet>()->showNumber(number); });
    QObject::connect(h, &DataReadHandlers::currentScanSetNameRead, owner,
                     [&ctx](const QString& name) { ctx.windows->window<FrmCurrentScanSet>()->showName(name); });
    QObject::connect(h, &DataReadHandlers::scanSetEntryRead, owner,
                     [&ctx](int index, const QString& name, int enabled) {
                         ctx.windows->window<FrmScanSelect>()->showEntry(index, name, enabled);
                     });

    // Software and boot block. The version goes to the software window only when it is open: its label is
    // cleared when the window loads.
    QObject::connect(h, &DataReadHandlers::firmwareVersionRead, owner, [&ctx](const QString& text) {
        if (FrmSoftware* w = ctx.windows->existing<FrmSoftware>())
            w->showFirmwareVersion(text);
    });
    QObject::connect(h, &DataReadHandlers::bootBlockRead, owner,
                     [&ctx](const QStringList& values) { ctx.windows->window<FrmBootBlock>()->showValues(values); });
    QObject::connect(h, &DataReadHandlers::autoBootRead, owner,
                     [&ctx](const QString& text) { ctx.windows->window<FrmBootBlock>()->showAutoBoot(text); });

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
    }
}

void connectDataFileRoutes(AppContext& ctx, QObject* owner) {
    if (!ctx.dataFile || !ctx.windows)
        return;
    QObject::connect(ctx.dataFile, &DataFile::scanSetNameLoaded, owner, [&ctx](int index, const QString& name) {
        if (FrmScanSelect* w = ctx.windows->existing<FrmScanSelect>())
            w->showName(index, name);
    });
}
