#pragma once
// "User Controls": hands contrast and brightness to the monitor's own controls ("Enabled") or to the tool
// ("Disabled") until the monitor is switched off. It shows the model's user-control flags of the panel status:
// "Enabled" while the monitor's controls govern both, "Disabled" while the software governs both.
#include "ui/ChildWindow.h"
#include "ui/StateView.h"

#include <QList>

class FrmUserControls : public ChildWindow, public StateView {
    Q_OBJECT
public:
    explicit FrmUserControls(AppContext& ctx);

    void onActivated() override;
    MonitorStates::Parts shownParts() const override { return MonitorStates::Part::PanelControls; }
    void showStates() override;
    // The two options as the user clicks them. The first click after an answer set a control only arms the
    // shared click flag; "Disabled" always sends the tool's contrast and brightness.
    void enabledClicked();
    void disabledClicked();

private:
    // True when the flag was armed already (the click sends); arms it otherwise.
    bool armedClick();
    // CP1 or CP0 went out: the monitor's controls govern both, or the software does.
    void takeUserControls(bool enabled);

    QList<QAbstractButton*> m_options; // enabled, disabled
    QLabel* m_note;
};
