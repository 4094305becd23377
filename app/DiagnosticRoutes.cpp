#include "app/DiagnosticRoutes.h"

#include "diag/FrmI2cProbe.h"
#include "diag/FrmPeekPoke.h"
#include "model/MonitorModel.h"
#include "model/ReadingRecorder.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/DiagnosticHandlers.h"
#include "ui/AppContext.h"
#include "ui/ShownReadings.h"
#include "ui/WindowRegistry.h"

void showDiagnostics(AppContext& ctx, DiagnosticParts changed) {
    for (ChildWindow* w : ctx.windows->all())
        if (auto* view = dynamic_cast<DiagnosticView*>(w))
            view->showDiagnostics(changed);
}

void connectDiagnosticRoutes(AppContext& ctx, QObject* owner) {
    DataReadHandlers* h = ctx.handlers;
    DiagnosticHandlers* diag = h->diagnostics();
    QObject::connect(diag, &DiagnosticHandlers::diagnosticsChanged, owner, [&ctx](DiagnosticParts changed) {
        ctx.readings->take(ctx.model->diagnostics.latest());
        showDiagnostics(ctx, changed);
    });
    QObject::connect(h, &DataReadHandlers::identityRead, ctx.readings,
                     [&ctx] { ctx.readings->setMonitor(ctx.model->serialNumber.trimmed()); });
    QObject::connect(diag, &DiagnosticHandlers::memoryValueRead, owner,
                     [&ctx](DiagnosticHandlers::MemoryField field, const QString& text) {
                         ctx.windows->window<FrmPeekPoke>()->showMemory(field, text);
                     });
    QObject::connect(diag, &DiagnosticHandlers::i2cProbeRead, owner, [&ctx](const QStringList& buttons, int colour) {
        ctx.windows->window<FrmI2cProbe>()->showProbeResult(buttons, colour);
    });
    // The capability may come after the probe window was opened; it narrows the devices at once.
    QObject::connect(h, &DataReadHandlers::capabilityRead, owner, [&ctx] {
        if (FrmI2cProbe* w = ctx.windows->existing<FrmI2cProbe>())
            w->showOfferedDevices();
    });
}
