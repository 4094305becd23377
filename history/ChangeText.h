#pragma once
// Which requests change the monitor, and how the history names such a change: what it sets (the request's
// letters up to the value, "cdl2", "cf3", "csS"), the new value, whether it changes the values of the scan set
// the monitor runs, and for one DAC its cell. Reads, pings, the download's records and the link's own modes
// (checking, status messages) change nothing that an undo could give back; a degauss neither.
#include "link/Request.h"

#include <QChar>
#include <QString>

struct ChangeText {
    bool change = false;
    // It sets or saves values that a snapshot of the running scan set holds (DACs, offsets, HV, convergence).
    bool scanSetValues = false;
    QString what;
    QString newValue;
    // A DAC setting: its group letter (lower case) and index; dac -1 for anything else.
    QChar group;
    int dac = -1;

    static ChangeText of(const Request& request);
};
