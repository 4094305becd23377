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
    // Shown once the tries are used up while Auto ReConnect keeps the search going.
    static QString goesOnText() {
        return QStringLiteral("Auto ReConnect is on: the search goes on until a monitor answers or you press Cancel.");
    }

private:
    QLabel* m_lblLimit;
    QLabel* m_lblToGo;
    QLabel* m_lblGoesOn;
};
