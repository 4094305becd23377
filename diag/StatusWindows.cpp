#include "diag/StatusWindows.h"

#include "protocol/Catalogue.h"

FrmHVLimits::FrmHVLimits(AppContext& ctx, QWidget* parent)
    : DiagnosticWindow(ctx, QStringLiteral("frmHVLimits"), QStringLiteral("HV Limits"), parent) {
    setPolling({{Catalogue::readHvControls(), Catalogue::readTestPoints()}, {Catalogue::readHvControls()}, 10000});
    addHvLimitRows(0, 0);
    addAnodeLimitRow(3, 0, QStringLiteral("HV Current Limit:"), QStringLiteral("btnIAnodeLimitSet"));
    addPlotButton(4, 0);
    addCloseButton(4, 2);
}

FrmDeflectionStatus::FrmDeflectionStatus(AppContext& ctx, QWidget* parent)
    : DiagnosticWindow(ctx, QStringLiteral("frmDeflectionStatus"), QStringLiteral("Deflection Status"), parent) {
    const QStringList reads = {Catalogue::readSyncFrequencies(), Catalogue::readPanelStatus()};
    setPolling({reads, reads, 10000});
    addFrequencyRows(0, 0);
    addPlotButton(2, 0);
    addCloseButton(2, 3);
}
