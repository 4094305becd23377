#pragma once
// "Brightness and Contrast Limits": the lower and upper limits of the day and night contrast and brightness,
// as the panel-status answer reports them.
#include "ui/ChildWindow.h"
#include "ui/StateView.h"

class FrmLimits : public ChildWindow, public StateView {
    Q_OBJECT
public:
    explicit FrmLimits(AppContext& ctx);

    void onActivated() override;
    MonitorStates::Parts shownParts() const override { return MonitorStates::Part::PanelControls; }
    // Eight limits in the order of the panel-status answer: for day contrast, night contrast, day brightness and
    // night brightness in turn, the lower then the upper limit; "not reported" until the monitor reports them.
    void showStates() override;
};
