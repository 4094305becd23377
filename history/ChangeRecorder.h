#pragma once
// The one door through which the tool tells the history that it is about to change the monitor: "about to set
// X from old to new, from window or command W". The first change of a connection to a scan set first records
// a snapshot of that scan set's values (as the model holds them, with the changed cell at its old value, since
// a window may already hold the new one), then every change is recorded, and each end of a longer job (a
// write-back's summary, a download's verdict). The connection's record is made with its first change, when the
// monitor's identity is known.
//
// A snapshot holds only values the monitor reported: the Reported filter decides per cell. Values the model
// does not hold yet are not read here; a caller that can read them first does so before it calls.
#include "history/HistoryRecords.h"
#include "history/SnapshotModel.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QVector>
#include <functional>

class FileWriteBack;
class HistoryStore;
class MonitorModel;

class ChangeRecorder : public QObject {
    Q_OBJECT
public:
    struct Change {
        QString what; // the setting's request key, or the job
        QString oldValue;
        QString newValue;
        QString source;        // the window's objectName or the command line's verb
        QVector<int> scanSets; // the scan sets the change reaches
        QChar group;           // for one DAC: its group letter and index, whose old value the snapshot takes
        int dac = -1;
    };

    ChangeRecorder(HistoryStore& store, const MonitorModel& model, QObject* parent = nullptr);

    // The port, which names a monitor that reports no serial number.
    void setPort(const QString& port) { m_port = port; }
    void setReported(SnapshotModel::Reported reported) { m_reported = std::move(reported); }
    const SnapshotModel::Reported& reported() const { return m_reported; }

    void aboutToChange(const Change& change);
    void ended(const QString& kind, const QString& summary);
    // A new connection begins: its first change snapshots again.
    void newConnection();
    // Records a write-back: the scan sets it writes once the user has agreed (just before its first request),
    // and its summary when it ends.
    void watchWriteBack(FileWriteBack& writeBack, std::function<QString()> source);
    // While inactive (no monitor answers) nothing is recorded.
    void setActive(bool active) { m_active = active; }

    QString connectionId() const { return m_connection; }
    QStringList snapshotIds() const { return m_snapshots; }
    HistoryStore& store() { return m_store; }

private:
    void beginConnection();

    HistoryStore& m_store;
    const MonitorModel& m_model;
    SnapshotModel::Reported m_reported;
    QString m_port;
    QString m_connection;
    QString m_monitorId;
    QSet<int> m_snapshotted;
    QStringList m_snapshots;
    bool m_active = true;
};
