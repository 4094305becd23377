#pragma once
// "Operating Mode": six option pairs that together make the monitor's operating-mode bit mask. Any option
// chosen sends the whole mask; options set by the model-type answer send nothing.
#include "ui/ChildWindow.h"
#include "protocol/Catalogue.h"

#include <array>

class QRadioButton;

class FrmOperatingMode : public ChildWindow {
    Q_OBJECT
public:
    explicit FrmOperatingMode(AppContext& ctx);

    void onActivated() override;
    // The model-type answer selects one option of each pair (sent with suppressControlEvents set).
    void showModelType(int modelType);
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
};
