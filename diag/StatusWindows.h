#pragma once
// The two small polling windows: the HV limits with their "Set" buttons, and the deflection status (sync
// frequencies and fail labels).
#include "diag/DiagnosticWindow.h"

class FrmHVLimits : public DiagnosticWindow {
    Q_OBJECT
public:
    explicit FrmHVLimits(AppContext& ctx, QWidget* parent = nullptr);
};

class FrmDeflectionStatus : public DiagnosticWindow {
    Q_OBJECT
public:
    explicit FrmDeflectionStatus(AppContext& ctx, QWidget* parent = nullptr);
};
