#pragma once
// "Set Operating Times": stores the operating days, hours, minutes, seconds and cycles in the monitor. Each box
// is checked against its field's range when the user leaves it.
#include "ui/ChildWindow.h"

#include <array>

class QLineEdit;

class FrmSetOperatingTimes : public ChildWindow {
    Q_OBJECT
public:
    explicit FrmSetOperatingTimes(AppContext& ctx);

    void onActivated() override;
    // The operating time read from the monitor, one number per box.
    void showOperatingTime(int days, int hours, int minutes, int seconds, int cycles);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // An invalid text is reported and removed.
    void check(int field);

    std::array<QLineEdit*, 5> m_boxes{};
};
