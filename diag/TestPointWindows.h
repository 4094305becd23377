#pragma once
// The four test-point windows: the first family's operating values, the second family's operating values and
// operating voltages, and the flat panels' analog values. Each shows the model's readings its captions name.
#include "diag/DiagnosticWindow.h"

class FrmTestPoint : public DiagnosticWindow {
    Q_OBJECT
public:
    explicit FrmTestPoint(AppContext& ctx, QWidget* parent = nullptr);
};

class FrmMDITestPoints : public DiagnosticWindow {
    Q_OBJECT
public:
    explicit FrmMDITestPoints(AppContext& ctx, QWidget* parent = nullptr);
};

class FrmCRTVoltages : public DiagnosticWindow {
    Q_OBJECT
public:
    explicit FrmCRTVoltages(AppContext& ctx, QWidget* parent = nullptr);
};

class FrmFlatPanelTestPoints : public DiagnosticWindow {
    Q_OBJECT
public:
    explicit FrmFlatPanelTestPoints(AppContext& ctx, QWidget* parent = nullptr);
    // What the monitor family set-up changes here: the LED-backlight panels (classes 400 to 498) caption their
    // supplies "LED+", "+12V", "+3.3V" and "+2.5V" and show only the brightness input.
    void applyFamilySetUp(int firmwareClass);
};
