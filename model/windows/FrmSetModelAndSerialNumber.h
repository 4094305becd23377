#pragma once
// "Set Model and Serial Number": stores the monitor's and, on monitors with board identity, each board's part
// and serial numbers in the monitor.
#include "ui/ChildWindow.h"

#include <QList>

class FrmSetModelAndSerialNumber : public ChildWindow {
    Q_OBJECT
public:
    // Window height (twips) without the board rows; with them the window grows to show them all.
    static constexpr int heightWithoutBoards = 3600;

    explicit FrmSetModelAndSerialNumber(AppContext& ctx);

    // Reads the monitor's own numbers and shows the board rows when the boards report their numbers.
    void onActivated() override;
    // A part or serial number read from the monitor or a data file goes into its text box.
    void showIdentity(QChar board, bool serial, const QString& text);

private:
    QList<QWidget*> m_boardOnly;
};
