#pragma once
// "Change Retry Limit".
#include "ui/ChildWindow.h"

class QLineEdit;

class FrmChangeTries : public ChildWindow {
    Q_OBJECT
public:
    explicit FrmChangeTries(AppContext& ctx);
    void onActivated() override;
    // "OK": takes a whole number from 1 to 32767; refuses anything else with a message.
    void accept();

private:
    QLineEdit* m_txt;
};
