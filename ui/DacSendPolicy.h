#pragma once
// When a change of a DAC row's slider goes to the monitor. A value the window shows because the monitor reported
// it (or because the model held it) is never sent back: the monitor holds it already, and after a noisy answer it
// may not even be what the monitor holds. Only the user's own change sends, and only on a row whose value is
// known (with a monitor: a row that shows the monitor's value or one the user has set) and that the application
// mode lets the user change.
#include "ui/DacRow.h"

#include <QString>

class DacSendPolicy {
public:
    // While one lives, the window is showing values: a slider change is shown, never stored as the user's nor
    // sent.
    class Showing {
    public:
        explicit Showing(DacSendPolicy& policy) : m_policy(policy) { ++m_policy.m_showing; }
        ~Showing() { --m_policy.m_showing; }
        Showing(const Showing&) = delete;
        Showing& operator=(const Showing&) = delete;

    private:
        DacSendPolicy& m_policy;
    };

    bool showing() const { return m_showing > 0; }
    // A change of the row's slider now is the user's.
    bool usersChange() const { return !showing(); }
    // The user's change of the row goes to the monitor.
    static bool sends(const DacRow& row, bool monitorResponding) {
        return monitorResponding && row.held == Held::Shown;
    }
    // The application mode lets the user change the row: the slider's own enabled state belongs to the mode (the
    // window's locks sit on the slider's gate).
    static bool modeAllows(const DacRow& row) { return !row.slider->testAttribute(Qt::WA_ForceDisabled); }
    // A typed value is taken only within the slider's range; otherwise the user is told the range.
    static bool withinRange(const DacRow& row, int position) {
        return position >= row.slider->minimum() && position <= row.slider->maximum();
    }
    static QString rangeMessage(const QString& low, const QString& high) {
        return QStringLiteral("Enter a value from %1 to %2.").arg(low, high);
    }

private:
    int m_showing = 0;
};
