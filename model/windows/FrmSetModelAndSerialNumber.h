#pragma once
// "Set Model and Serial Number": stores the monitor's and, on monitors with board identity, each board's part
// and serial numbers in the monitor.
#include "model/BoardIdentity.h"
#include "ui/ChildWindow.h"

#include <QList>

class QLineEdit;

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
    // Asked before an empty box erases the number in the monitor.
    static QString eraseQuestion(const QString& caption) {
        return QStringLiteral("The box beside \"%1\" is empty: erase this number in the monitor?").arg(caption);
    }

private:
    // The "Set" button of a row: sends the box's number only when the monitor reported it or the user typed it.
    void setNumber(const BoardIdentity::Row& row, QLineEdit* box);
    // What each box without a number says, by whether the monitor was asked for it.
    void showEmptyWords();

    QList<QWidget*> m_boardOnly;
};
