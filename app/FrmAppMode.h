#pragma once
// "Select Application Mode": Installation at once; Maintenance and Factory through the password window.
#include "ui/ChildWindow.h"

class QLabel;
class QRadioButton;

class FrmAppMode : public ChildWindow {
    Q_OBJECT
public:
    explicit FrmAppMode(AppContext& ctx);

    // Selects the option of the current mode (none for an invalid one).
    void onActivated() override;
    // "OK".
    void ok();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRadioButton* m_optUser;
    QRadioButton* m_optService;
    QRadioButton* m_optFactory;
    QLabel* m_lblUser;
    QLabel* m_lblService;
    QLabel* m_lblFactory;
};
