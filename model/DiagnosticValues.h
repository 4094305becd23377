#pragma once
// What the diagnostics answers reported: the readings of the test-point answer and the voltages, the sync
// frequencies, the deflection status, the present and default values of the HV controls and the HV limits. Each
// reading is kept under the caption the windows give it ("+90V", "HV Anode Voltage", "Horizontal Frequency"), with
// its value, unit and the text the windows show. They are the monitor's alone: a reading is either read from the
// monitor on this connection or not known (never loaded, set by the user, saved or sent), and a reconnection or
// another monitor makes them all not known.
#include "model/Origin.h"

#include <QFlags>
#include <QString>
#include <QStringList>
#include <QVector>

// The parts of the diagnostics that an answer changes and a window shows.
enum class DiagnosticPart : quint8 {
    TestPoints = 1,       // the test-point answer's readings and voltages, with the HV value count
    SyncFrequencies = 2,  // vertical and horizontal frequency
    DeflectionStatus = 4, // whether the vertical and horizontal deflection operate (panel status)
    HvControls = 8,       // present and default values of HV, focus, G2 and video +80 V
    HvLimits = 16,        // the HV upper, lower and anode current limits
};
Q_DECLARE_FLAGS(DiagnosticParts, DiagnosticPart)
Q_DECLARE_OPERATORS_FOR_FLAGS(DiagnosticParts)

namespace DiagnosticCaptions {
inline constexpr DiagnosticParts all = DiagnosticParts(0x1f);

inline QString hvValue() {
    return QStringLiteral("HV Val");
}
inline QString hvUpperLimit() {
    return QStringLiteral("HV Upper Limit");
}
inline QString hvLowerLimit() {
    return QStringLiteral("HV Lower Limit");
}
inline QString anodeCurrentLimit() {
    return QStringLiteral("HV Anode Current Limit");
}
inline QString horizontalFrequency() {
    return QStringLiteral("Horizontal Frequency");
}
inline QString verticalFrequency() {
    return QStringLiteral("Vertical Frequency");
}
inline QString horizontalDeflection() {
    return QStringLiteral("Horizontal Deflection");
}
inline QString verticalDeflection() {
    return QStringLiteral("Vertical Deflection");
}
// The HV controls in the order of the HV answer: 0 HV, 1 focus, 2 G2, 3 video +80 V; present value and default.
QString hvControl(int control);
QString hvDefault(int control);

// The caption a window's label gives a reading: blanks folded and the colon dropped (" HV Anode Current:" is
// "HV Anode Current").
QString ofLabel(const QString& labelText);
} // namespace DiagnosticCaptions

struct DiagnosticReading {
    QString caption;
    double value = 0;
    QString unit; // "V", "kV", "uA", "kHz", "Hz", "count"; empty for a state ("Operating")
    QString text; // as the windows show it ("+089.1V", "16.45 kV")
    DiagnosticPart part = DiagnosticPart::TestPoints;
};
using DiagnosticReadings = QVector<DiagnosticReading>;

class DiagnosticValues {
public:
    // The readings of one answer, read from the monitor now: each replaces the reading of its caption (which
    // keeps its place), and together they are the latest answer's readings.
    void storeAnswer(const DiagnosticReadings& readings);
    // Readings an answer should have carried and did not: not known any more.
    void forget(const QStringList& captions);
    void forgetAll();

    Origin origin(const QString& caption) const { return find(caption) ? Origin::Read : Origin::Unknown; }
    // nullptr when not known.
    const DiagnosticReading* find(const QString& caption) const;
    // The known readings of the parts, in the order they were first read.
    DiagnosticReadings readings(DiagnosticParts parts) const;
    // The readings of the latest answer stored.
    const DiagnosticReadings& latest() const { return m_latest; }

private:
    DiagnosticReadings m_readings;
    DiagnosticReadings m_latest;
};
