#pragma once
// Which DAC cells the monitor itself reported on this connection: every row the answer handlers store in the
// model, at the scan set it was read for. A snapshot takes only these cells, never a value that a data file
// loaded or the user set.
#include "history/SnapshotModel.h"

#include <QObject>
#include <QSet>

class DataReadHandlers;

class ReportedCells : public QObject {
    Q_OBJECT
public:
    explicit ReportedCells(DataReadHandlers& handlers, QObject* parent = nullptr);

    bool contains(QChar group, int dac, int scanSet) const;
    // A new connection: nothing is known from this one yet.
    void clear() { m_cells.clear(); }
    SnapshotModel::Reported filter() const;

private:
    static quint32 key(QChar group, int dac, int scanSet);
    QSet<quint32> m_cells;
};
