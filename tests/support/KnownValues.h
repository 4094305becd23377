#pragma once
// A model whose tables and identity hold values as the monitor reported them, for tests that fill them directly
// and then save: a data file holds known values only.
#include "model/MonitorModel.h"

inline void markAllRead(MonitorModel& m) {
    for (DacGroup* g : m.allGroups())
        for (auto& table : g->origins)
            for (auto& dac : table)
                dac.fill(Origin::Read);
    for (const QChar board : {QLatin1Char('S'), QLatin1Char('U'), QLatin1Char('T')})
        for (const bool serial : {false, true})
            m.setOrigin(MonitorModel::boardKey(board, serial), Origin::Read);
    for (const QString& key : {MonitorModel::firmwareVersionKey, MonitorModel::romVersionKey,
                               MonitorModel::operatingTimeKey, MonitorModel::hvUpperLimitKey,
                               MonitorModel::hvLowerLimitKey})
        m.setOrigin(key, Origin::Read);
}
