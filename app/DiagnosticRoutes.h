#pragma once
// Where the diagnostics answers go: a changed part of the model's diagnostics to the windows that show it (a
// window not created yet shows the model when it opens) and to the recording of the readings; the probe results to
// the I2C probe, the memory values to peek and poke.
#include "model/DiagnosticValues.h"

struct AppContext;
class QObject;

void connectDiagnosticRoutes(AppContext& ctx, QObject* owner);
// Tells every diagnostics window that exists that parts of the model changed.
void showDiagnostics(AppContext& ctx, DiagnosticParts changed);
