#pragma once
// Talking to the simulated monitor's state machine directly, as the tool would over the line.
#include "sim/SimMonitor.h"

#include <QByteArray>

// Sends one request line (CR LF appended) and returns its whole answer, or a marker when the line did not
// give exactly one answer.
inline QByteArray ask(sim::SimMonitor& m, const QByteArray& request) {
    const QList<sim::Exchange> out = m.feed(request + "\r\n");
    if (out.size() != 1)
        return QByteArray("<") + QByteArray::number(out.size()) + " answers>";
    return out.first().answer;
}
