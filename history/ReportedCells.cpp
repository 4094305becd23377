#include "history/ReportedCells.h"

#include "model/MonitorModel.h"
#include "protocol/DataReadHandlers.h"

ReportedCells::ReportedCells(const MonitorModel& model, DataReadHandlers& handlers, QObject* parent)
    : QObject(parent), m_model(model) {
    connect(&handlers, &DataReadHandlers::dacRowStored, this,
            [this](QChar group, DacKind kind, int first, int count, int scanSet) {
                const DacGroup* g = m_model.group(group);
                int v = 0;
                if (kind == DacKind::Current && g)
                    for (int i = first; i < first + count; ++i)
                        if (g->get(DacTable::Value, i, scanSet, &v))
                            m_cells.insert(key(group, i, scanSet), v);
            });
}

quint32 ReportedCells::key(QChar group, int dac, int scanSet) {
    return (quint32(group.toLower().unicode()) << 16) | (quint32(dac & 0xff) << 8) | quint32(scanSet & 0xff);
}

bool ReportedCells::contains(QChar group, int dac, int scanSet) const {
    return m_cells.contains(key(group, dac, scanSet));
}

bool ReportedCells::value(QChar group, int dac, int scanSet, int* out) const {
    const auto it = m_cells.constFind(key(group, dac, scanSet));
    if (it == m_cells.constEnd())
        return false;
    *out = *it;
    return true;
}

void ReportedCells::noteSent(QChar group, int dac, int scanSet, int value) {
    if (DacGroup::validIndex(dac, scanSet))
        m_cells.insert(key(group, dac, scanSet), value);
}

SnapshotModel::Reported ReportedCells::filter() const {
    return [this](QChar group, int dac, int scanSet) { return contains(group, dac, scanSet); };
}

HistorySnapshot ReportedCells::snapshot(const QVector<int>& scanSets) const {
    HistorySnapshot s = SnapshotModel::take(m_model, scanSets, filter());
    for (SnapshotValue& v : s.values)
        value(v.group, v.dac, v.scanSet, &v.value);
    return s;
}
