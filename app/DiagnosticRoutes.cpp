#include "app/DiagnosticRoutes.h"

#include "adjust/HvWindows.h"
#include "diag/FrmI2cProbe.h"
#include "diag/FrmPeekPoke.h"
#include "diag/StatusWindows.h"
#include "diag/TestPointWindows.h"
#include "model/MonitorModel.h"
#include "model/ReadingRecorder.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/DiagnosticHandlers.h"
#include "ui/AppContext.h"
#include "ui/WindowRegistry.h"

namespace {

// The texts for window T, shown in it (T is created hidden on first use).
template <class T> void showIn(AppContext& ctx, const ControlTexts& texts, DiagWindow which) {
    T* window = nullptr;
    for (const ControlText& t : texts) {
        if (!t.windows.testFlag(which))
            continue;
        if (!window)
            window = ctx.windows->window<T>();
        window->showControlText(t.control, t.text);
    }
}

void showTexts(AppContext& ctx, const ControlTexts& texts) {
    showIn<FrmTestPoint>(ctx, texts, DiagWindow::TestPoint);
    showIn<FrmMDITestPoints>(ctx, texts, DiagWindow::MdiTestPoints);
    showIn<FrmCRTVoltages>(ctx, texts, DiagWindow::CrtVoltages);
    showIn<FrmFlatPanelTestPoints>(ctx, texts, DiagWindow::FlatPanel);
    showIn<FrmHVLimits>(ctx, texts, DiagWindow::HvLimits);
    showIn<FrmDeflectionStatus>(ctx, texts, DiagWindow::DeflectionStatus);
    showIn<FrmPeekPoke>(ctx, texts, DiagWindow::PeekPoke);
    showIn<FrmMDI_HV>(ctx, texts, DiagWindow::HighVoltage);
    showIn<FrmG2>(ctx, texts, DiagWindow::G2);
}

// The panel status's fail labels stand on the three status windows.
void showFail(AppContext& ctx, const QString& control, const QString& text) {
    const DiagWindows windows =
        DiagWindows(DiagWindow::TestPoint) | DiagWindow::MdiTestPoints | DiagWindow::DeflectionStatus;
    showTexts(ctx, {{windows, control, text}});
}

} // namespace

void connectDiagnosticRoutes(AppContext& ctx, QObject* owner) {
    DataReadHandlers* h = ctx.handlers;
    DiagnosticHandlers* diag = h->diagnostics();
    QObject::connect(diag, &DiagnosticHandlers::controlTextsRead, owner,
                     [&ctx](const ControlTexts& texts) { showTexts(ctx, texts); });
    QObject::connect(diag, &DiagnosticHandlers::readingsTaken, ctx.readings, &ReadingRecorder::take);
    QObject::connect(h, &DataReadHandlers::identityRead, ctx.readings,
                     [&ctx] { ctx.readings->setMonitor(ctx.model->serialNumber.trimmed()); });
    QObject::connect(h, &DataReadHandlers::verticalFailRead, owner,
                     [&ctx](const QString& text) { showFail(ctx, QStringLiteral("VFailValue"), text); });
    QObject::connect(h, &DataReadHandlers::horizontalFailRead, owner,
                     [&ctx](const QString& text) { showFail(ctx, QStringLiteral("HFailValue"), text); });
    // The HV answer's present values move the sliders of both high-voltage windows.
    QObject::connect(diag, &DiagnosticHandlers::hvControlsRead, owner, [&ctx](const HvControls& values) {
        ctx.windows->window<FrmMDI_HV>()->showHvControls(values);
        ctx.windows->window<FrmG2>()->showHvControls(values);
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
