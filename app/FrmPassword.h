#pragma once
// "Enter Password": the password of the mode chosen in the mode window.
#include "ui/ChildWindow.h"

class QLineEdit;

class FrmPassword : public ChildWindow {
    Q_OBJECT
public:
    explicit FrmPassword(AppContext& ctx);

    // An empty box with the focus, before the window is shown.
    void prepare();
    // "OK".
    void ok();

    static QString wrongPasswordText();

private:
    QLineEdit* m_txtPassword;
};
