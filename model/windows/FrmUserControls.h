#pragma once
// "User Controls": hands contrast and brightness to the monitor's own controls ("Enabled") or to the tool
// ("Disabled") until the monitor is switched off.
#include "ui/ChildWindow.h"

class FrmUserControls : public ChildWindow {
    Q_OBJECT
public:
    explicit FrmUserControls(AppContext& ctx);

    void onActivated() override;
    // The two options as the user clicks them. The first click after an answer set a control only arms the
    // shared click flag; "Disabled" always sends the tool's contrast and brightness.
    void enabledClicked();
    void disabledClicked();

private:
    // True when the flag was armed already (the click sends); arms it otherwise.
    bool armedClick();
};
