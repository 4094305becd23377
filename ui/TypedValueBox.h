#pragma once
// A text box where the user types a value for the monitor and a "Set" button beside it sends it (the HV and anode
// current limits). The box remembers the last text the monitor's answers showed in it, so that a Set that sends
// nothing (no monitor, or a monitor that does not take the value) puts that text back and says so, instead of
// leaving the typed text on screen as if the monitor held it.
#include <QString>

class QLineEdit;
class QWidget;
struct AppContext;

namespace TypedValueBox {
// The text an answer showed in the box: what the monitor holds.
void rememberMonitorText(QLineEdit* box, const QString& text);
// The Set: queues request when it is not empty and a monitor responds, and returns true. Otherwise the box shows
// the monitor's text again and the user is told that nothing was sent.
bool send(AppContext& ctx, QWidget* window, QLineEdit* box, const QString& request);
QString nothingSentNoMonitor();
QString nothingSentNotTaken();
} // namespace TypedValueBox
