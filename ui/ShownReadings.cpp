#include "ui/ShownReadings.h"

#include "ui/TypedValueBox.h"

#include <QLabel>
#include <QLineEdit>

void ShownReadings::bind(QWidget* control, QLabel* caption, DiagnosticPart part, const QStringList& captions) {
    m_bindings.append({control, caption, captions, part});
}

QStringList ShownReadings::captionsOf(const Binding& b) {
    QStringList out;
    if (b.caption)
        out << DiagnosticCaptions::ofLabel(b.caption->text());
    return out + b.captions;
}

void ShownReadings::show(const DiagnosticValues& values, DiagnosticParts changed) const {
    for (const Binding& b : m_bindings) {
        if (!b.control || !changed.testFlag(b.part))
            continue;
        QString text;
        for (const QString& caption : captionsOf(b))
            if (const DiagnosticReading* r = values.find(caption)) {
                text = r->text;
                break;
            }
        if (auto* label = qobject_cast<QLabel*>(b.control.data())) {
            label->setText(text);
        } else if (auto* box = qobject_cast<QLineEdit*>(b.control.data())) {
            TypedValueBox::rememberMonitorText(box, text);
            if (box->isReadOnly() || !box->isModified())
                box->setText(text);
        }
    }
}

QStringList ShownReadings::captionsOf(const QWidget* control) const {
    for (const Binding& b : m_bindings)
        if (b.control == control)
            return captionsOf(b);
    return {};
}

QStringList ShownReadings::captions() const {
    QStringList out;
    for (const Binding& b : m_bindings)
        out << captionsOf(b);
    out.removeDuplicates();
    return out;
}
