#pragma once
// Reads what a snapshot needs and the tool does not hold yet: the monitor's own model and serial number, and
// per scan set the present values of the DACs that its adjustment windows (and a write-back) set. A scan set
// other than the tool's current one is selected first, and only once the monitor has taken the select do its
// answers fill the model's tables of that scan set, as after a choice in "Scan Selection"; the current scan set
// is selected again at the end. One request at a time, each ahead of anything the session holds.
#include "link/Request.h"
#include "model/MonitorModel.h"

#include <QObject>
#include <QStringList>
#include <QVector>

class MonitorSession;
class ReportedCells;

class SnapshotReads : public QObject {
    Q_OBJECT
public:
    SnapshotReads(MonitorSession& session, const ReportedCells& held, QObject* parent = nullptr);

    // A scan set the tool can select and read: one of the rows of "Scan Selection".
    static bool isScanSet(int set) { return set >= 0 && set < MonitorModel::scanSetWindowRows; }

    // The reads one scan set still needs; none when every value is held.
    QStringList readsFor(int scanSet) const;
    // Whether the monitor's model and serial number were read on this connection.
    bool identityRead() const;
    // Starts; false (and no finished()) when there is nothing to read.
    bool start(const QVector<int>& scanSets, bool identity);
    bool isRunning() const { return m_awaited != 0; }
    // Ends at once (the connection ended): the tool's scan set is its own again, and finished() follows.
    void stop();

signals:
    // The model's current scan set is the one it was at the start again.
    void finished();

private:
    struct Step {
        QString request;
        int selects = -1; // the scan set this select makes current; -1 for a read
    };
    void sendNext();
    void onSettled(const RequestOutcome& outcome);
    void finish();

    MonitorSession& m_session;
    MonitorModel& m_model;
    const ReportedCells& m_held;
    QVector<Step> m_steps;
    RequestId m_awaited = 0;
    int m_home = -1;
    bool m_moved = false;
};
