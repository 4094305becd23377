#pragma once
// "Backlight Controls" of the flat panels: the filament's warm-up, steady and temporary power, the photocell and
// the monitor's status messages. The boxes and the photocell box show what the model holds of the monitor's
// filament and panel-status answers; a box the monitor has not reported says so and its "Set" sends nothing
// until the user types a value.
#include "adjust/SettingWindow.h"

class QCheckBox;

class FrmBacklight : public SettingWindow {
    Q_OBJECT
public:
    explicit FrmBacklight(AppContext& ctx, QWidget* parent = nullptr);

    // Clears the shared click-arming flag and reads the filament settings and the panel status.
    void onActivated() override;
    MonitorStates::Parts shownParts() const override { return MonitorStates::Part::Backlight; }
    void showStates() override;

private:
    struct Box {
        QLineEdit* box;
        Reported<QString> MonitorStates::*state;
    };
    QList<Box> m_boxes;
    QCheckBox* m_photocell;
    QCheckBox* m_statusMessages;
    QLabel* m_note;
};
