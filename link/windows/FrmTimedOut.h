#pragma once
// "Monitor Connection Timed Out": closes itself five seconds after it is activated.
#include "ui/ChildWindow.h"

class Timer;

class FrmTimedOut : public ChildWindow {
    Q_OBJECT
public:
    static constexpr int selfCloseMs = 5000;
    explicit FrmTimedOut(AppContext& ctx);
    void onActivated() override;
    Timer* timer1() const { return m_timer1; }

private:
    Timer* m_timer1;
};
