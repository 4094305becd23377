#pragma once
// What the monitor holds of its DAC values as far as this connection has learnt it: every value the answer
// handlers stored from a read, at the scan set it was read for, and every value the tool has since sent to the
// monitor. A snapshot takes its values from here, never a value that a data file loaded or that the user set
// in a window and that has not gone out yet.
#include "history/SnapshotModel.h"

#include <QHash>
#include <QObject>

class DataReadHandlers;
class MonitorModel;

class ReportedCells : public QObject {
    Q_OBJECT
public:
    ReportedCells(const MonitorModel& model, DataReadHandlers& handlers, QObject* parent = nullptr);

    bool contains(QChar group, int dac, int scanSet) const;
    // False when the cell is not known from the monitor.
    bool value(QChar group, int dac, int scanSet, int* out) const;
    // A value sent to the monitor: it holds it now.
    void noteSent(QChar group, int dac, int scanSet, int value);
    // A new connection: nothing is known from this one yet.
    void clear() { m_cells.clear(); }
    SnapshotModel::Reported filter() const;
    // The values known of these scan sets, of the DAC groups the model names, with the factory and initial
    // values the monitor reported; identity and firmware as the model holds them.
    HistorySnapshot snapshot(const QVector<int>& scanSets) const;

private:
    static quint32 key(QChar group, int dac, int scanSet);
    const MonitorModel& m_model;
    QHash<quint32, int> m_cells;
};
