#pragma once
// "Boot Block Contents": the nine boot-block bytes and the auto-boot state, read again each time the window
// becomes active; auto boot can be switched here too.
#include "ui/ChildWindow.h"

#include <QStringList>

class QLabel;

class FrmBootBlock : public ChildWindow {
    Q_OBJECT
public:
    static constexpr int rowCount = 9;

    explicit FrmBootBlock(AppContext& ctx);

    void onActivated() override;
    // The bytes of the "db" answer, from row 0 on.
    void showValues(const QStringList& values);
    void showAutoBoot(const QString& text);

private:
    QLabel* m_values[rowCount];
    QLabel* m_lblAutoBoot;
};
