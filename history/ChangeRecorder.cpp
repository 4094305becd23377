#include "history/ChangeRecorder.h"

#include "history/HistoryStore.h"
#include "model/FileWriteBack.h"
#include "model/MonitorModel.h"

ChangeRecorder::ChangeRecorder(HistoryStore& store, const MonitorModel& model, QObject* parent)
    : QObject(parent), m_store(store), m_model(model) {}

void ChangeRecorder::newConnection() {
    m_connection.clear();
    m_snapshotted.clear();
}

void ChangeRecorder::beginConnection() {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    HistoryMonitor monitor{
        HistoryMonitor::key(m_model.modelNumber, m_model.serialNumber, m_port, m_model.firmwareClass),
        m_model.modelNumber.trimmed(),
        m_model.serialNumber.trimmed(),
        m_port,
        m_model.firmwareClass,
        now};
    m_monitorId = monitor.id;
    m_connection = HistoryStore::newId();
    m_store.addConnection(monitor, {m_connection, monitor.id, m_port, m_model.firmwareClass, QString(), now});
}

void ChangeRecorder::aboutToChange(const Change& change) {
    if (!m_active)
        return;
    if (m_connection.isEmpty())
        beginConnection();
    QVector<int> fresh;
    for (int set : change.scanSets)
        if (set >= 0 && set < DacGroup::scanSetSlots && !m_snapshotted.contains(set))
            fresh << set;
    if (!fresh.isEmpty()) {
        HistorySnapshot s = SnapshotModel::take(m_model, fresh, m_reported);
        bool ok = false;
        const int old = change.oldValue.toInt(&ok);
        if (ok && change.dac >= 0)
            for (SnapshotValue& v : s.values)
                if (v.group == change.group && v.dac == change.dac && fresh.contains(v.scanSet) &&
                    v.scanSet == change.scanSets.value(0))
                    v.value = old;
        s.id = HistoryStore::newId();
        s.connectionId = m_connection;
        s.monitorId = m_monitorId;
        s.taken = QDateTime::currentDateTimeUtc();
        m_store.addSnapshot(s);
        m_snapshots << s.id;
        for (int set : fresh)
            m_snapshotted.insert(set);
    }
    m_store.addChange({HistoryStore::newId(), m_connection, change.what, change.oldValue, change.newValue,
                       change.source, QDateTime::currentDateTimeUtc()});
}

void ChangeRecorder::ended(const QString& kind, const QString& summary) {
    if (!m_active || m_connection.isEmpty())
        return; // nothing was changed, so nothing ended
    m_store.addEnd({HistoryStore::newId(), m_connection, kind, summary, QDateTime::currentDateTimeUtc()});
}

void ChangeRecorder::watchWriteBack(FileWriteBack& writeBack, std::function<QString()> source) {
    // The write's first progress comes after the user's Yes and before its first request.
    connect(&writeBack, &FileWriteBack::progress, this, [this, &writeBack, source](int done, int) {
        if (done == 0)
            aboutToChange({QStringLiteral("write-back"), QString(), writeBack.file().title, source(),
                           writeBack.file().scanSets(), QChar(), -1});
    });
    connect(&writeBack, &FileWriteBack::finished, this, [this](const WriteBackSummary& summary) {
        if (!summary.declined)
            ended(QStringLiteral("write-back"), summary.text());
    });
}
