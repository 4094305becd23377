#pragma once
// Where the diagnostics answers go: each text to the windows it names (created hidden when they do not exist
// yet), the probe results to the I2C probe, the fail labels of the panel status to the three status windows.
struct AppContext;
class QObject;

void connectDiagnosticRoutes(AppContext& ctx, QObject* owner);
