#pragma once
// Who the monitor is: the part, serial and model numbers of the monitor and of each of its boards. One table
// drives both identity windows (the one that shows the numbers and the one that stores them in the monitor)
// and the routing of the identity answers to their rows.
#include <QChar>
#include <QString>
#include <QStringList>
#include <vector>

class MonitorModel;

namespace BoardIdentity {

enum class NumberKind { Part, Serial, Model };

struct Row {
    // Board letter of the requests ("dm"/"ds"/"cm"/"cs" + letter), lower case; 0 for a row with no request.
    char board;
    NumberKind kind;
    const char* caption;    // "Model Number:"
    const char* valueLabel; // the identity window's value label
    const char* box;        // the set window's text box
    const char* button;     // the set window's "Set" button
    const char* toolTip;    // of the text box; nullptr when it has none
    // Shown only on monitors whose boards report their own numbers (hasBoardIdentity), on each window.
    bool boardOnlyOnIdWindow;
    bool boardOnlyOnSetWindow;
};

// Monitor first, then the boards, each with its part and serial number (and model number where it has one).
const std::vector<Row>& rows();

// The row an identity answer fills (board letter in either case); nullptr when none shows it.
const Row* answerRow(QChar board, bool serial);

// The number of a row as the monitor data model keeps it (the monitor's and the CRT's numbers); empty for the
// rows whose numbers it does not keep.
QString storedNumber(const MonitorModel& model, const Row& row);

// What the identity window reads when it becomes active: the monitor's own numbers by firmware class, then,
// on monitors with board identity, the nineteen board reads.
QStringList identityReads(int firmwareClass, bool hasBoardIdentity);
// What the set window reads when it becomes active.
QStringList setWindowReads();
// The request of a row's "Set" button with the typed text; empty for a button without an action.
QString setRequest(const Row& row, const QString& typed);

} // namespace BoardIdentity
