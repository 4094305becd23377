#pragma once
// The controls of a window that show the monitor's diagnostic readings, each bound to the caption of its reading
// in the model: the caption of the label beside it (" HV Anode Current:" shows "HV Anode Current"), or captions
// given (the first one the model knows is shown: the families caption some readings differently). A control
// shows the model's text of its reading, and nothing while the reading is not known.
//
// Nothing shown here is ever sent: a text box the user types into (the HV limits) keeps typing not sent yet over
// the answers, and remembers the monitor's text for its "Set" to put back when nothing was sent; only the user's
// typing goes to the monitor.
#include "model/DiagnosticValues.h"

#include <QPointer>
#include <QVector>

class QLabel;
class QWidget;

class ShownReadings {
public:
    // A QLabel or QLineEdit showing the reading named by the caption label's text, or by the first known of
    // captions (after the label's, when there is one).
    void bind(QWidget* control, QLabel* caption, DiagnosticPart part, const QStringList& captions = {});
    void bind(QWidget* control, const QStringList& captions, DiagnosticPart part) {
        bind(control, nullptr, part, captions);
    }
    // Shows the readings of the changed parts.
    void show(const DiagnosticValues& values, DiagnosticParts changed) const;
    // The captions a control may show; empty for a control not bound.
    QStringList captionsOf(const QWidget* control) const;
    // Every caption the controls may show.
    QStringList captions() const;

private:
    struct Binding {
        QPointer<QWidget> control;
        QPointer<QLabel> caption;
        QStringList captions;
        DiagnosticPart part;
    };
    static QStringList captionsOf(const Binding& b);

    QVector<Binding> m_bindings;
};

// A window that shows part of the diagnostics: told each time a part changes.
class DiagnosticView {
public:
    virtual ~DiagnosticView() = default;
    virtual void showDiagnostics(DiagnosticParts changed) = 0;
};
