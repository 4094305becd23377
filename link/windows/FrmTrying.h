#pragma once
// "Trying to Connect to Monitor": shows the search's count; each activation restarts the search.
#include "ui/ChildWindow.h"

class QLabel;

class FrmTrying : public ChildWindow {
    Q_OBJECT
public:
    explicit FrmTrying(AppContext& ctx);
    void onActivated() override;
    // Closed, the window stops searching as "Cancel" does: hidden, it is idle.
    void onClosedToHidden() override;

private:
    QLabel* m_lblLimit;
    QLabel* m_lblToGo;
};
