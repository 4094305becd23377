#pragma once
// "Operating Time": how long the monitor has run (days:hh:mm:ss) and how often it was switched on.
#include "ui/ChildWindow.h"

class QLabel;

class FrmOperatingTime : public ChildWindow {
    Q_OBJECT
public:
    explicit FrmOperatingTime(AppContext& ctx);

    // Activation (the window's first showing included) and "ReRead" read the operating time.
    void onActivated() override;
    void reRead();
    void showOperatingTime(const QString& timeText);
    void showOperatingCycles(const QString& cyclesText);

private:
    QLabel* m_time;
    QLabel* m_cycles;
};
