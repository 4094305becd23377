#pragma once
// "Model and Serial Numbers": the model, serial and part numbers of the monitor and, on monitors whose boards
// report their own numbers, of each board.
#include "ui/ChildWindow.h"

#include <QList>

class FrmID : public ChildWindow {
    Q_OBJECT
public:
    // Window heights (twips) with and without the board rows.
    static constexpr int heightWithBoards = 9330;
    static constexpr int heightWithoutBoards = 2250;

    explicit FrmID(AppContext& ctx);

    // Queues the reads of the monitor's family and shows the board rows when the boards report their numbers.
    void onActivated() override;
    // A part or serial number read from the monitor or a data file (board letter in either case).
    void showIdentity(QChar board, bool serial, const QString& text);

private:
    QList<QWidget*> m_boardOnly;
};
