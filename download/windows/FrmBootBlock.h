#pragma once
// "Boot Block Contents": the nine boot-block bytes and the auto-boot state as the model holds them, read again
// each time the window becomes active; auto boot can be switched here too.
#include "ui/ChildWindow.h"
#include "ui/StateView.h"

class QLabel;

class FrmBootBlock : public ChildWindow, public StateView {
    Q_OBJECT
public:
    static constexpr int rowCount = 9;

    explicit FrmBootBlock(AppContext& ctx);

    void onActivated() override;
    MonitorStates::Parts shownParts() const override { return MonitorStates::Part::BootBlock; }
    // The bytes of the "db" answer from row 0 on, and the auto-boot word; "not reported" where there is none.
    void showStates() override;

private:
    QLabel* m_values[rowCount];
    QLabel* m_lblAutoBoot;
};
