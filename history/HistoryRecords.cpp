#include "history/HistoryRecords.h"

QString HistoryMonitor::key(const QString& modelNumber, const QString& serialNumber, const QString& port,
                            int firmwareClass) {
    if (!serialNumber.trimmed().isEmpty())
        return QStringLiteral("serial:%1/%2").arg(modelNumber.trimmed(), serialNumber.trimmed());
    return QStringLiteral("port:%1/%2").arg(port).arg(firmwareClass);
}

QString HistoryMonitor::label() const {
    if (!serialNumber.isEmpty())
        return QStringLiteral("%1 %2").arg(modelNumber, serialNumber);
    return QStringLiteral("(no serial number) on %1, firmware %2").arg(port).arg(firmwareClass / 100.0, 0, 'f', 2);
}

bool HistorySnapshot::find(QChar group, int dac, int scanSet, int* value) const {
    for (const SnapshotValue& v : values)
        if (v.group == group && v.dac == dac && v.scanSet == scanSet) {
            *value = v.value;
            return true;
        }
    return false;
}
