#include "model/DiagnosticValues.h"

#include <algorithm>

namespace DiagnosticCaptions {

namespace {
const char* const controls[] = {"HV", "Focus", "G2", "Video +80V"};
}

QString hvControl(int control) {
    return QString::fromLatin1(controls[std::clamp(control, 0, 3)]) + QStringLiteral(" Control Value");
}

QString hvDefault(int control) {
    return QString::fromLatin1(controls[std::clamp(control, 0, 3)]) + QStringLiteral(" Default");
}

QString ofLabel(const QString& labelText) {
    QString caption = labelText.simplified();
    if (caption.endsWith(QLatin1Char(':')))
        caption.chop(1);
    return caption.trimmed();
}

} // namespace DiagnosticCaptions

void DiagnosticValues::storeAnswer(const DiagnosticReadings& readings) {
    for (const DiagnosticReading& r : readings) {
        auto it = std::find_if(m_readings.begin(), m_readings.end(),
                               [&r](const DiagnosticReading& known) { return known.caption == r.caption; });
        if (it != m_readings.end())
            *it = r;
        else
            m_readings.append(r);
    }
    m_latest = readings;
}

void DiagnosticValues::forget(const QStringList& captions) {
    m_readings.removeIf([&captions](const DiagnosticReading& r) { return captions.contains(r.caption); });
}

void DiagnosticValues::forgetAll() {
    m_readings.clear();
    m_latest.clear();
}

const DiagnosticReading* DiagnosticValues::find(const QString& caption) const {
    for (const DiagnosticReading& r : m_readings)
        if (r.caption == caption)
            return &r;
    return nullptr;
}

DiagnosticReadings DiagnosticValues::readings(DiagnosticParts parts) const {
    DiagnosticReadings out;
    for (const DiagnosticReading& r : m_readings)
        if (parts.testFlag(r.part))
            out.append(r);
    return out;
}
