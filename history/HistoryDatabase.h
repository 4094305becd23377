#pragma once
// The database work of the history store, all of it on the store's own thread (a Qt SQL connection belongs to
// the thread that opened it): opening the database and creating or upgrading its schema, each record written in
// a transaction, the local pending file that keeps the records while the database cannot be used, the tries to
// reach it again (with the next record, and every HistoryStore::retryMs while records wait), and the reads.
// So a server that does not answer costs the tool's own thread nothing.
#include "history/HistoryRecords.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QVariantList>
#include <QVector>
#include <functional>

class QSqlDatabase;
class QTimer;

class HistoryDatabase : public QObject {
    Q_OBJECT
public:
    // tell: says why the database cannot be used, once each time it becomes unusable; called on this thread.
    HistoryDatabase(const QString& location, const QString& pendingPath, const QString& connectionName,
                    std::function<void(const QString&)> tell);

    bool open();
    bool databaseAvailable() const { return m_primaryUp; }
    bool reconnect();
    int pendingRecords();
    QString lastProblem() const { return m_problem; }
    // Closes both connections; the last call on this thread.
    void close();

    void addConnection(const HistoryMonitor& monitor, const HistoryConnection& connection);
    void addSnapshot(const HistorySnapshot& snapshot);
    void addChange(const HistoryChange& change);
    void addEnd(const HistoryEnd& end);

    QVector<HistoryMonitor> monitors();
    QVector<HistoryConnection> connections(const QString& monitorId);
    QVector<HistorySnapshot> snapshots(const QString& connectionId);
    QVector<HistoryChange> changes(const QString& connectionId);
    QVector<HistoryEnd> ends(const QString& connectionId);
    bool snapshot(const QString& idOrPrefix, HistorySnapshot* out, QString* error);
    QVector<HistoryMonitor> monitorsMatching(const QString& serialOrKey);
    QString historyCsv(const QString& monitorId);

private:
    struct Row {
        const char* table;
        QStringList columns;
        QVariantList values;
    };
    bool openPrimary();
    bool openPending();
    bool migrate(QSqlDatabase& db, QString* error);
    bool writeRows(QSqlDatabase& db, const QVector<Row>& rows, QString* error);
    void write(const QVector<Row>& rows);
    bool forwardPending();
    void primaryFailed(const QString& why);
    void retryIfDue();
    QSqlDatabase readDatabase();

    QString m_location;
    QString m_pendingPath;
    QString m_primaryName;
    QString m_pendingName;
    std::function<void(const QString&)> m_tell;
    QTimer* m_retry;
    bool m_opened = false;
    bool m_primaryUp = false;
    bool m_pendingUp = false;
    bool m_told = false;
    QString m_problem;
    QElapsedTimer m_sinceTry;
    QVector<Row> m_inMemory; // when even the pending file cannot be written
};
