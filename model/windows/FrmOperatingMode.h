#pragma once
// "Operating Mode": six option pairs that together make the monitor's operating-mode bit mask. The pairs show the
// mode the model holds (none selected, with a note, while nobody read or chose it); a choice sends the whole
// mask, and only once every pair is known or chosen: a pair nobody knows would otherwise go out as a guess.
#include "protocol/Catalogue.h"
#include "ui/ChildWindow.h"
#include "ui/StateView.h"

#include <array>

class QRadioButton;

class FrmOperatingMode : public ChildWindow, public StateView {
    Q_OBJECT
public:
    explicit FrmOperatingMode(AppContext& ctx);

    void onActivated() override;
    MonitorStates::Parts shownParts() const override { return MonitorStates::Part::OperatingMode; }
    void showStates() override;
    // The brightness-contrast window's start-up options: user control (Enabled) or not (Disabled) at power-on.
    // Selecting an option that is not yet selected sends the mask.
    void selectStartUpControl(Catalogue::UserControl section, bool userControlled);

private:
    void optionChosen();

    struct Pair {
        QRadioButton* bitOption;
        QRadioButton* otherOption;
    };
    std::array<Pair, 6> m_pairs{};
    QLabel* m_note;
};
