#include "history/ReportedCells.h"

#include "protocol/DataReadHandlers.h"

ReportedCells::ReportedCells(DataReadHandlers& handlers, QObject* parent) : QObject(parent) {
    connect(&handlers, &DataReadHandlers::dacRowStored, this,
            [this](QChar group, DacKind kind, int first, int count, int scanSet) {
                if (kind == DacKind::Current)
                    for (int i = 0; i < count; ++i)
                        m_cells.insert(key(group, first + i, scanSet));
            });
}

quint32 ReportedCells::key(QChar group, int dac, int scanSet) {
    return (quint32(group.toLower().unicode()) << 16) | (quint32(dac & 0xff) << 8) | quint32(scanSet & 0xff);
}

bool ReportedCells::contains(QChar group, int dac, int scanSet) const {
    return m_cells.contains(key(group, dac, scanSet));
}

SnapshotModel::Reported ReportedCells::filter() const {
    return [this](QChar group, int dac, int scanSet) { return contains(group, dac, scanSet); };
}
