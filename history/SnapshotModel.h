#pragma once
// A snapshot and the monitor data model meet here: a snapshot taken from the values the model holds, a snapshot
// turned into what Write File to Monitor writes back, or into a monitor data file through the data file's own
// writer, and the differences between two sets of values.
#include "history/HistoryRecords.h"
#include "model/FileWriteBack.h"

#include <QByteArray>
#include <functional>

class MonitorModel;

namespace SnapshotModel {

// Whether the monitor reported the value of this cell (rather than a file or the user setting it).
using Reported = std::function<bool(QChar group, int dac, int scanSet)>;

// The values the model holds for these scan sets, of the DAC groups the monitor has; a cell reported() refuses
// is left out. Identity and firmware are the model's; the ids and time are the caller's to fill.
HistorySnapshot take(const MonitorModel& model, const QVector<int>& scanSets, const Reported& reported = {});
// The values a data file holds, as a snapshot (without ids).
bool fromDataFile(const QString& path, HistorySnapshot* out, QString* error);

WriteBackFile writeBackFile(const HistorySnapshot& snapshot);
QByteArray dataFile(const HistorySnapshot& snapshot);

// One cell in up to three value sets side by side; a missing value is absent from the set.
struct Difference {
    QChar group;
    int dac = 0;
    int scanSet = 0;
    QString name;        // the DAC's name, as the data file writes it
    QVector<int> values; // one per set; only meaningful where has is true
    QVector<bool> has;
    bool differs() const; // two present values that are not equal
};
// Every cell any of the sets holds, in scan set, group and DAC order.
QVector<Difference> compare(const QVector<HistorySnapshot>& sets);

} // namespace SnapshotModel
