#pragma once
// "Backlight Controls" of the flat panels: the filament's warm-up, steady and temporary power, the photocell and
// the monitor's status messages. The filament and panel-status answers fill the boxes and the photocell box.
#include "adjust/SettingWindow.h"

class FrmBacklight : public SettingWindow {
    Q_OBJECT
public:
    explicit FrmBacklight(AppContext& ctx, QWidget* parent = nullptr);

    // Clears the photocell arming flag and reads the filament settings and the panel status.
    void onActivated() override;

    // A filament duty cycle read from the monitor: "S" steady, "W" warm-up, any other reading the temporary power.
    void showFilamentDuty(QChar reading, const QString& text);
    // The photocell state read from the monitor: sets the box without sending it back, and arms the box so that
    // the user's next click sends.
    void showPhotocell(bool enabled);

private:
    void photocellClicked(bool checked);
};
