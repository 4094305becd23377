#include "history/SnapshotModel.h"

#include "model/DataFile.h"
#include "model/MonitorModel.h"

#include <QMap>
#include <tuple>

namespace SnapshotModel {

HistorySnapshot take(const MonitorModel& model, const QVector<int>& scanSets, const Reported& reported) {
    HistorySnapshot s;
    s.modelNumber = model.modelNumber;
    s.serialNumber = model.serialNumber;
    s.firmwareClass = model.firmwareClass;
    s.scanSets = scanSets;
    for (const DacGroup* g : model.fileGroups()) {
        if (g->letter.isNull())
            continue;
        s.counts.insert(g->letter, g->count);
        for (int set : scanSets)
            for (int dac = 0; dac < std::min<int>(g->count, DacGroup::dacSlots); ++dac) {
                SnapshotValue v{g->letter, dac, set, 0, 0, 0};
                if (!g->get(DacTable::Value, dac, set, &v.value) || (reported && !reported(g->letter, dac, set)))
                    continue;
                // Factory and initial values only as the monitor reported them.
                if (g->origin(DacTable::Factory, dac, set) == Origin::Read)
                    g->get(DacTable::Factory, dac, set, &v.factory);
                if (g->origin(DacTable::Initial, dac, set) == Origin::Read)
                    g->get(DacTable::Initial, dac, set, &v.initial);
                s.values << v;
            }
    }
    return s;
}

bool fromDataFile(const QString& path, HistorySnapshot* out, QString* error) {
    WriteBackFile file;
    const DataFileResult result = WriteBackFile::read(path, &file);
    if (!result.ok) {
        *error = QString(result.message).replace(QLatin1Char('\r'), QLatin1Char(' '));
        return false;
    }
    *out = HistorySnapshot{};
    out->id = file.title;
    out->modelNumber = file.modelNumber;
    out->serialNumber = file.serialNumber;
    out->firmwareClass = file.firmwareClass;
    out->counts = file.counts;
    out->scanSets = file.scanSets();
    for (const WriteBackFile::Value& v : file.values)
        out->values << SnapshotValue{v.group, v.dac, v.scanSet, v.value, 0, 0};
    return true;
}

WriteBackFile writeBackFile(const HistorySnapshot& s) {
    WriteBackFile file;
    file.title = QStringLiteral("snapshot %1").arg(s.id.left(8));
    file.modelNumber = s.modelNumber;
    file.serialNumber = s.serialNumber;
    file.firmwareClass = s.firmwareClass;
    file.counts = s.counts;
    for (const SnapshotValue& v : s.values)
        file.values << WriteBackFile::Value{v.group, v.dac, v.scanSet, v.value};
    return file;
}

QByteArray dataFile(const HistorySnapshot& s) {
    MonitorModel scratch;
    // The writer writes the identity of a monitor that answers; the snapshot's is that of one that did.
    scratch.monitorResponding = true;
    scratch.modelNumber = s.modelNumber;
    scratch.serialNumber = s.serialNumber;
    scratch.firmwareClass = s.firmwareClass;
    if (s.firmwareClass > 0)
        scratch.firmwareVersion = QStringLiteral("V ") + QString::number(s.firmwareClass / 100.0, 'f', 2);
    scratch.scanSetEnabled.fill(0);
    for (int set : s.scanSets)
        if (set >= 0 && set < MonitorModel::scanSetEnabledSlots)
            scratch.scanSetEnabled[set] = 1;
    for (DacGroup* g : scratch.fileGroups())
        if (s.counts.contains(g->letter))
            g->count = qint16(s.counts.value(g->letter));
    for (const SnapshotValue& v : s.values)
        if (DacGroup* g = scratch.group(v.group)) {
            g->set(DacTable::Value, v.dac, v.scanSet, v.value);
            g->set(DacTable::Factory, v.dac, v.scanSet, v.factory);
            g->set(DacTable::Initial, v.dac, v.scanSet, v.initial);
        }
    DataFile file(scratch);
    file.setTimestamp([&s] { return s.taken.toLocalTime().toString(Qt::ISODate); });
    return file.contents();
}

bool Difference::differs() const {
    int first = 0;
    bool seen = false;
    for (int i = 0; i < values.size(); ++i) {
        if (!has[i])
            continue;
        if (seen && values[i] != first)
            return true;
        first = values[i];
        seen = true;
    }
    return false;
}

QVector<Difference> compare(const QVector<HistorySnapshot>& sets) {
    static const MonitorModel names;
    QMap<std::tuple<int, ushort, int>, Difference> cells;
    for (int i = 0; i < sets.size(); ++i)
        for (const SnapshotValue& v : sets[i].values) {
            Difference& d = cells[{v.scanSet, v.group.unicode(), v.dac}];
            if (d.values.isEmpty()) {
                d.group = v.group;
                d.dac = v.dac;
                d.scanSet = v.scanSet;
                const DacGroup* g = names.group(v.group);
                d.name = g && v.dac >= 0 && v.dac < DacGroup::dacSlots ? g->names[v.dac] : QString();
                d.values.fill(0, sets.size());
                d.has.fill(false, sets.size());
            }
            d.values[i] = v.value;
            d.has[i] = true;
        }
    return cells.values().toVector();
}

} // namespace SnapshotModel
