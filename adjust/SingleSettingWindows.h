#pragma once
// Windows that send one setting per control and read nothing back but the deflection and HV state: the flat
// panel's heater and fan, the CRT's video source and degauss, and the enabling of deflection and high voltage.
#include "adjust/SettingWindow.h"

// "Heater and Fan Control".
// Activation asks for the panel status, whose heater and fan lines select the options that match the monitor.
class FrmFPHeaterFan : public SettingWindow {
    Q_OBJECT
public:
    explicit FrmFPHeaterFan(AppContext& ctx, QWidget* parent = nullptr);
    void onActivated() override;
    // Selects the options the panel status reports: heater 0 automatic, 1 forced off, 2 forced on; fan 0
    // automatic, 1 to 4 forced off, 1/4, 1/2, full; -1 leaves a group as it is.
    void showState(int heater, int fan);
};

// "Video Mode": video source and degauss. Degauss acts on the tube at once; the wait between two cycles
// that the window asks for is the user's to keep.
// A flat panel has no tube to degauss: the button and its note are hidden for it.
class FrmVideoConfig : public SettingWindow {
    Q_OBJECT
public:
    explicit FrmVideoConfig(AppContext& ctx, QWidget* parent = nullptr);
    void onActivated() override;
};

// "Deflection & HV Enable/Disable". The "M" answers select the option that matches the monitor's state with
// suppressControlEvents set, so showing the state sends nothing; only the user's choice switches the hardware.
class FrmDeflHVEnable : public SettingWindow {
    Q_OBJECT
public:
    explicit FrmDeflHVEnable(AppContext& ctx, QWidget* parent = nullptr);

    void showDeflectionEnabled(bool enabled);
    void showHvEnabled(bool enabled);
};
