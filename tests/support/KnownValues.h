#pragma once
// A model whose tables hold values as the monitor reported them, for tests that fill the tables directly and
// then save: a data file holds known values only.
#include "model/MonitorModel.h"

inline void markAllRead(MonitorModel& m) {
    for (DacGroup* g : m.allGroups())
        for (auto& table : g->origins)
            for (auto& dac : table)
                dac.fill(Origin::Read);
}
