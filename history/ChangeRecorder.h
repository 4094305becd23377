#pragma once
// The monitor session's change guard, and the one place the tool's changes to the monitor are recorded. Every
// request both front ends submit passes mayGo(); every line written passes onWritten(). So no window or
// command can change the monitor without its history knowing, whatever the change (a slider, an option, a
// scan-set switch, a typed line, an identity, a write-back, a download).
//
// The first change of a connection to the values of a scan set is held until the tool holds every value of that
// scan set the monitor reports (and the monitor's model and serial number): what it does not hold yet is read
// first, then a snapshot is recorded, and only then does the change go out. Each change is recorded as it is
// written: what, the old value as the monitor last reported or took it, the new one, and the window or command
// it came from. A write-back and a download are jobs: one change (after a snapshot of every scan set they
// reach, taken just before their first request; a download reads every scan set it does not hold before it
// starts) and one end (the write-back's summary, the download's
// verdict); the requests of a job are its own and not recorded one by one.
//
// A snapshot holds only values the monitor reported (see ReportedCells). A connection's record is made with its
// first snapshot or change, under the identity read on this connection (or the port, when none was).
#include "history/HistoryRecords.h"
#include "history/SnapshotModel.h"
#include "session/ChangeGuard.h"
#include "session/ConnectionState.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QVector>
#include <functional>

class FileWriteBack;
class HistoryStore;
class MonitorModel;
class MonitorSession;
class ReportedCells;
class SnapshotReads;

class ChangeRecorder : public QObject, public ChangeGuard {
    Q_OBJECT
public:
    // Guards the session's changes from now on, until destroyed.
    ChangeRecorder(HistoryStore& store, MonitorSession& session, QObject* parent = nullptr);
    ~ChangeRecorder() override;

    bool mayGo(const Request& request) override;
    // Makes a write-back one job: once the user has agreed, its scan sets are read where the tool does not hold
    // them, snapshotted and the job recorded, and then it writes; its summary is recorded when it ends.
    void watchWriteBack(FileWriteBack& writeBack, std::function<QString()> source);

    SnapshotModel::Reported reported() const;
    // What the monitor holds of these scan sets as far as this connection knows (Compare's "monitor now").
    HistorySnapshot monitorNow(const QVector<int>& scanSets) const;
    QString connectionId() const { return m_connection; }
    QStringList snapshotIds() const { return m_snapshots; }
    HistoryStore& store() { return m_store; }

private:
    void onStateChanged(ConnectionState state);
    void onWritten(const Request& request);
    void readsDone();
    void readFirst(const QVector<int>& scanSets, std::function<void()> then);
    void beginJob(const QString& kind, const QString& title, const QString& source, const QVector<int>& scanSets,
                  std::function<void()> proceed);
    void endJob(const QString& summary);
    QVector<int> everyScanSet() const;
    void readBeforeDownload(std::function<void()> proceed);
    void downloadStarts(const Request& request);
    void downloadEnded();
    void ensureConnection();
    void recordSnapshot(const QVector<int>& scanSets);
    void recordChange(const QString& what, const QString& oldValue, const QString& newValue, const QString& source);
    void recordEnd(const QString& connection, const QString& kind, const QString& summary);
    QString sourceOf(const Request& request) const;

    HistoryStore& m_store;
    MonitorSession& m_session;
    // The session may go first when both belong to one owner.
    QPointer<MonitorSession> m_guarded;
    const MonitorModel& m_model;
    ReportedCells* m_cells;
    SnapshotReads* m_reads;
    bool m_active = false;
    QString m_connection;
    QString m_monitorId;
    QSet<int> m_snapshotted;
    QStringList m_snapshots;
    // The last value sent of each setting whose value the monitor does not report to the history.
    QHash<QString, QString> m_lastSent;
    // The scan set the monitor was last told to run on this connection; -1 while none was.
    int m_wireScanSet = -1;
    std::function<void()> m_afterReads;
    struct Job {
        QString kind;
        QString title;
        QString source;
        QVector<int> scanSets;
        QString connection; // once recorded
        bool running = false;
    };
    Job m_job;
    QString m_downloadConnection;
};
