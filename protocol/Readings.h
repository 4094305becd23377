#pragma once
// The readings of the diagnostics answers as numbers: each converted value with the caption the windows give
// it, its unit and the windows that show it. They feed the recording of a connection's readings (its plots and
// CSV files); the texts the windows show are made apart from these, so the recording changes no display.
#include "protocol/ControlTexts.h"
#include "protocol/TestPointDecoders.h"

#include <QMetaType>
#include <QString>
#include <QVector>

struct Reading {
    QString caption; // as the windows caption it, without the colon ("HV Anode Voltage", "+24V")
    double value = 0;
    QString unit; // "V", "kV", "uA", "kHz", "Hz", "count"
    DiagWindows windows;
};
using Readings = QVector<Reading>;
Q_DECLARE_METATYPE(Readings)

namespace ReadingNames {

// The HV value (the anode-voltage count the limit windows show) and the monitor's limits for it.
inline QString hvValue() {
    return QStringLiteral("HV Val");
}
inline QString hvUpperLimit() {
    return QStringLiteral("HV Upper Limit");
}
inline QString hvLowerLimit() {
    return QStringLiteral("HV Lower Limit");
}

// The readings of a test-point answer decoded by decoder 1 to 4, with the HV value where it carries one.
Readings ofTestPoints(int decoder, const TestPoints::Decoded& decoded);
// The sync frequencies, shown in windows.
Readings ofSyncFrequencies(double verticalHz, double horizontalKHz, DiagWindows windows);
// The limits of the HV value that the HV answer reported.
Readings ofHvLimits(int lower, int upper, DiagWindows windows);

} // namespace ReadingNames
