#pragma once
// A window that shows parts of the model's monitor states (options, switches, limits). It shows them when it opens
// and whenever the answer routes say a part changed; a state not known shows nothing selected, with a note saying
// why, and the options send only the user's own choice. Showing never counts as a choice: the option buttons are
// set with their signals blocked, so nothing shown because it was read goes back to the monitor.
#include "model/MonitorStates.h"

#include <QList>
#include <QString>

class QAbstractButton;
class QLabel;
class QWidget;

class StateView {
public:
    virtual ~StateView() = default;
    // The parts of the monitor states the window shows.
    virtual MonitorStates::Parts shownParts() const = 0;
    // Shows them as the model holds them now.
    virtual void showStates() = 0;

    // Selects exactly the option of index among options (none for an index outside them), as a display: no
    // option's signals fire.
    static void showSelected(const QList<QAbstractButton*>& options, int index);
    // The note that says why options show nothing selected, hidden until a state is not known.
    static QLabel* createNote(QWidget* parent, const QString& name, const QString& text);
    // Shows the note while some state is not known.
    static void showNote(QLabel* note, bool allKnown);
    // A number as the limits show it: a leading blank when it is not negative.
    static QString signedText(int n);

    // What a note says of a state the monitor reports when asked, and of one it never reports.
    static QString notReportedYet() {
        return QStringLiteral("Not reported by the monitor yet: nothing is selected "
                              "and nothing is sent until you choose.");
    }
    static QString neverReported() {
        return QStringLiteral("Not reported by the monitor until it is set here: "
                              "nothing is sent until you choose.");
    }
};
