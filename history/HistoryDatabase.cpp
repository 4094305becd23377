#include "history/HistoryDatabase.h"

#include "history/HistoryStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSysInfo>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

namespace {

// Migration n brings the schema from version n to n + 1. Types that both SQLite and PostgreSQL read alike.
const QVector<QStringList>& migrations() {
    static const QVector<QStringList> steps = {
        {
            QStringLiteral("CREATE TABLE monitors (id TEXT PRIMARY KEY, model TEXT, serial TEXT, port TEXT, "
                           "firmware_class INTEGER, first_seen BIGINT)"),
            QStringLiteral("CREATE TABLE connections (id TEXT PRIMARY KEY, monitor_id TEXT NOT NULL, port TEXT, "
                           "firmware_class INTEGER, bench TEXT, started BIGINT)"),
            QStringLiteral("CREATE TABLE snapshots (id TEXT PRIMARY KEY, connection_id TEXT NOT NULL, monitor_id "
                           "TEXT NOT NULL, model TEXT, serial TEXT, firmware_class INTEGER, scan_sets TEXT, "
                           "counts TEXT, taken BIGINT)"),
            QStringLiteral("CREATE TABLE snapshot_values (snapshot_id TEXT NOT NULL, group_letter TEXT NOT NULL, "
                           "dac INTEGER NOT NULL, scan_set INTEGER NOT NULL, value INTEGER, factory INTEGER, "
                           "initial INTEGER, PRIMARY KEY (snapshot_id, group_letter, dac, scan_set))"),
            QStringLiteral("CREATE TABLE changes (id TEXT PRIMARY KEY, connection_id TEXT NOT NULL, what TEXT, "
                           "old_value TEXT, new_value TEXT, source TEXT, at BIGINT)"),
            QStringLiteral("CREATE TABLE ends (id TEXT PRIMARY KEY, connection_id TEXT NOT NULL, kind TEXT, "
                           "summary TEXT, at BIGINT)"),
        },
        {
            QStringLiteral("CREATE INDEX connections_by_monitor ON connections (monitor_id)"),
            QStringLiteral("CREATE INDEX changes_by_connection ON changes (connection_id)"),
            QStringLiteral("CREATE INDEX snapshots_by_connection ON snapshots (connection_id)"),
        },
    };
    return steps;
}

// The tables in the order a forward copies them, so that nothing refers to a row not yet there.
const QVector<const char*> tableOrder = {"monitors", "connections", "snapshots", "snapshot_values", "changes", "ends"};

qint64 msOf(const QDateTime& t) {
    return t.isValid() ? t.toMSecsSinceEpoch() : QDateTime::currentMSecsSinceEpoch();
}
// Every row a read gives, with its values bound in order, each made into a record; none when the read fails.
template <class Record, class RowToRecord>
QVector<Record> rowsOf(const QSqlDatabase& db, const QString& sql, const QVariantList& bound, RowToRecord toRecord) {
    QVector<Record> out;
    QSqlQuery q(db);
    q.prepare(sql);
    for (const QVariant& value : bound)
        q.addBindValue(value);
    if (q.exec())
        while (q.next())
            out << toRecord(q);
    return out;
}

QDateTime timeOf(const QVariant& v) {
    return QDateTime::fromMSecsSinceEpoch(v.toLongLong(), Qt::UTC);
}

QString joinSets(const QVector<int>& sets) {
    QStringList parts;
    for (int s : sets)
        parts << QString::number(s);
    return parts.join(QLatin1Char(','));
}

QString joinCounts(const QHash<QChar, int>& counts) {
    QStringList parts;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        parts << QStringLiteral("%1=%2").arg(it.key()).arg(it.value());
    parts.sort();
    return parts.join(QLatin1Char(','));
}

QString csvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

} // namespace

HistoryDatabase::HistoryDatabase(const QString& location, const QString& pendingPath, const QString& connectionName,
                                 std::function<void(const QString&)> tell)
    : m_location(location), m_pendingPath(pendingPath), m_primaryName(connectionName),
      m_pendingName(connectionName + QStringLiteral("-pending")), m_tell(std::move(tell)), m_retry(new QTimer(this)) {
    m_retry->setSingleShot(true);
    m_retry->setInterval(HistoryStore::retryMs);
    connect(m_retry, &QTimer::timeout, this, [this] {
        if (!m_primaryUp)
            reconnect();
    });
}

void HistoryDatabase::close() {
    m_retry->stop();
    for (const QString& name : {m_primaryName, m_pendingName}) {
        if (!QSqlDatabase::contains(name))
            continue;
        QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
    }
}

bool HistoryDatabase::open() {
    m_opened = true;
    openPending();
    openPrimary();
    if (m_primaryUp)
        forwardPending();
    return m_primaryUp;
}

bool HistoryDatabase::openPending() {
    QDir().mkpath(QFileInfo(m_pendingPath).absolutePath());
    QSqlDatabase db = QSqlDatabase::contains(m_pendingName) ? QSqlDatabase::database(m_pendingName, false)
                                                            : QSqlDatabase::addDatabase("QSQLITE", m_pendingName);
    db.setDatabaseName(m_pendingPath);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=200"));
    QString error;
    m_pendingUp = db.open() && migrate(db, &error);
    if (!m_pendingUp)
        db.close();
    return m_pendingUp;
}

bool HistoryDatabase::openPrimary() {
    m_sinceTry.start();
    const bool server = HistoryStore::isServerUrl(m_location);
    QSqlDatabase db;
    if (QSqlDatabase::contains(m_primaryName)) {
        db = QSqlDatabase::database(m_primaryName, false);
        db.close();
    } else {
        db = QSqlDatabase::addDatabase(server ? "QPSQL" : "QSQLITE", m_primaryName);
    }
    if (server) {
        const QUrl url(m_location);
        const QUrlQuery query(url);
        db.setHostName(query.hasQueryItem("host") ? query.queryItemValue("host") : url.host());
        if (url.port() > 0)
            db.setPort(url.port());
        db.setDatabaseName(url.path().mid(1));
        db.setUserName(url.userName());
        db.setPassword(url.password());
        // A server that does not answer costs at most this long, and only when a record is written.
        db.setConnectOptions(QStringLiteral("connect_timeout=2"));
    } else {
        QDir().mkpath(QFileInfo(m_location).absolutePath());
        db.setDatabaseName(m_location);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=200"));
    }
    QString error;
    if (!db.open()) {
        primaryFailed(db.lastError().text());
        return false;
    }
    if (server) // the schema check's "already exists" notices are no news
        QSqlQuery(db).exec(QStringLiteral("SET client_min_messages TO WARNING"));
    if (!migrate(db, &error)) {
        db.close();
        primaryFailed(error);
        return false;
    }
    m_primaryUp = true;
    m_told = false;
    m_problem.clear();
    return true;
}

bool HistoryDatabase::migrate(QSqlDatabase& db, QString* error) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"))) {
        *error = q.lastError().text();
        return false;
    }
    if (!q.exec(QStringLiteral("SELECT MAX(version) FROM schema_version"))) {
        *error = q.lastError().text();
        return false;
    }
    const int version = q.next() ? q.value(0).toInt() : 0;
    if (version > HistoryStore::schemaVersion) {
        *error = QStringLiteral("its schema (version %1) is from a newer version of the tool, which knows up to %2")
                     .arg(version)
                     .arg(HistoryStore::schemaVersion);
        return false;
    }
    for (int v = version; v < HistoryStore::schemaVersion; ++v) {
        if (!db.transaction()) {
            *error = db.lastError().text();
            return false;
        }
        QSqlQuery step(db);
        bool ok = true;
        for (const QString& statement : migrations()[v])
            ok = ok && step.exec(statement);
        ok = ok && step.exec(QStringLiteral("DELETE FROM schema_version")) &&
             step.exec(QStringLiteral("INSERT INTO schema_version (version) VALUES (%1)").arg(v + 1));
        if (!ok || !db.commit()) {
            *error = step.lastError().text();
            db.rollback();
            return false;
        }
    }
    return true;
}

void HistoryDatabase::primaryFailed(const QString& why) {
    m_primaryUp = false;
    if (QSqlDatabase::contains(m_primaryName))
        QSqlDatabase::database(m_primaryName, false).close();
    m_problem = QStringLiteral("The history database %1 cannot be used: %2. The work on the monitor goes on; its "
                               "history is kept in %3 and stored when the database can be used again.")
                    .arg(HistoryStore::isServerUrl(m_location) ? QUrl(m_location).toDisplayString(QUrl::RemovePassword)
                                                               : m_location,
                         why.trimmed().isEmpty() ? QStringLiteral("no reason given") : why.trimmed(),
                         m_pendingUp ? m_pendingPath : QStringLiteral("memory"));
    // Records wait in the pending file: they go on when the database can be used again.
    m_retry->start();
    if (!m_told) {
        m_told = true;
        if (m_tell)
            m_tell(m_problem);
    }
}

bool HistoryDatabase::writeRows(QSqlDatabase& db, const QVector<Row>& rows, QString* error) {
    if (!db.transaction()) {
        *error = db.lastError().text();
        return false;
    }
    for (const Row& row : rows) {
        QStringList marks;
        for (int i = 0; i < row.columns.size(); ++i)
            marks << QStringLiteral("?");
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT DO NOTHING")
                      .arg(QLatin1String(row.table), row.columns.join(QLatin1Char(',')), marks.join(',')));
        for (const QVariant& v : row.values)
            q.addBindValue(v);
        if (!q.exec()) {
            *error = q.lastError().text();
            db.rollback();
            return false;
        }
    }
    if (!db.commit()) {
        *error = db.lastError().text();
        db.rollback();
        return false;
    }
    return true;
}

void HistoryDatabase::retryIfDue() {
    if (!m_primaryUp && m_sinceTry.isValid() && m_sinceTry.elapsed() >= HistoryStore::retryMs)
        reconnect();
}

void HistoryDatabase::write(const QVector<Row>& rows) {
    if (!m_opened)
        open();
    retryIfDue();
    QString error;
    if (m_primaryUp && forwardPending()) {
        QSqlDatabase db = QSqlDatabase::database(m_primaryName, false);
        if (writeRows(db, rows, &error))
            return;
        primaryFailed(error);
    }
    if (m_pendingUp) {
        QSqlDatabase db = QSqlDatabase::database(m_pendingName, false);
        if (writeRows(db, m_inMemory + rows, &error)) {
            m_inMemory.clear();
            return;
        }
    }
    m_inMemory += rows;
}

bool HistoryDatabase::reconnect() {
    if (!m_pendingUp)
        openPending();
    if (!m_primaryUp)
        openPrimary();
    return m_primaryUp && forwardPending();
}

bool HistoryDatabase::forwardPending() {
    QSqlDatabase primary = QSqlDatabase::database(m_primaryName, false);
    QString error;
    if (!m_inMemory.isEmpty()) {
        if (!writeRows(primary, m_inMemory, &error)) {
            primaryFailed(error);
            return false;
        }
        m_inMemory.clear();
    }
    if (!m_pendingUp)
        return true;
    QSqlDatabase pending = QSqlDatabase::database(m_pendingName, false);
    QVector<Row> rows;
    for (const char* table : tableOrder) {
        QSqlQuery q(pending);
        if (!q.exec(QStringLiteral("SELECT * FROM %1").arg(QLatin1String(table))))
            return true; // a pending file that cannot be read holds nothing to send
        while (q.next()) {
            Row row{table, {}, {}};
            for (int i = 0; i < q.record().count(); ++i) {
                row.columns << q.record().fieldName(i);
                row.values << q.value(i);
            }
            rows << row;
        }
    }
    if (rows.isEmpty())
        return true;
    if (!writeRows(primary, rows, &error)) {
        primaryFailed(error);
        return false;
    }
    // Sent: a record left behind by a failed delete is sent again later and stored once, by its id.
    if (pending.transaction()) {
        QSqlQuery q(pending);
        for (const char* table : tableOrder)
            q.exec(QStringLiteral("DELETE FROM %1").arg(QLatin1String(table)));
        pending.commit();
    }
    return true;
}

int HistoryDatabase::pendingRecords() {
    int n = int(m_inMemory.size());
    if (!m_pendingUp)
        return n;
    QSqlQuery q(QSqlDatabase::database(m_pendingName, false));
    for (const char* table : tableOrder)
        if (q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(QLatin1String(table))) && q.next())
            n += q.value(0).toInt();
    return n;
}

void HistoryDatabase::addConnection(const HistoryMonitor& m, const HistoryConnection& c) {
    write({
        {"monitors",
         {"id", "model", "serial", "port", "firmware_class", "first_seen"},
         {m.id, m.modelNumber, m.serialNumber, m.port, m.firmwareClass, msOf(m.firstSeen)}},
        {"connections",
         {"id", "monitor_id", "port", "firmware_class", "bench", "started"},
         {c.id, c.monitorId, c.port, c.firmwareClass, c.bench.isEmpty() ? QSysInfo::machineHostName() : c.bench,
          msOf(c.started)}},
    });
}

void HistoryDatabase::addSnapshot(const HistorySnapshot& s) {
    QVector<Row> rows = {
        {"snapshots",
         {"id", "connection_id", "monitor_id", "model", "serial", "firmware_class", "scan_sets", "counts", "taken"},
         {s.id, s.connectionId, s.monitorId, s.modelNumber, s.serialNumber, s.firmwareClass, joinSets(s.scanSets),
          joinCounts(s.counts), msOf(s.taken)}}};
    for (const SnapshotValue& v : s.values)
        rows.push_back({"snapshot_values",
                        {"snapshot_id", "group_letter", "dac", "scan_set", "value", "factory", "initial"},
                        {s.id, QString(v.group), v.dac, v.scanSet, v.value, v.factory, v.initial}});
    write(rows);
}

void HistoryDatabase::addChange(const HistoryChange& c) {
    write({{"changes",
            {"id", "connection_id", "what", "old_value", "new_value", "source", "at"},
            {c.id, c.connectionId, c.what, c.oldValue, c.newValue, c.source, msOf(c.when)}}});
}

void HistoryDatabase::addEnd(const HistoryEnd& e) {
    write({{"ends",
            {"id", "connection_id", "kind", "summary", "at"},
            {e.id, e.connectionId, e.kind, e.summary, msOf(e.when)}}});
}

QSqlDatabase HistoryDatabase::readDatabase() {
    if (!m_opened)
        open();
    retryIfDue();
    if (m_primaryUp && forwardPending())
        return QSqlDatabase::database(m_primaryName, false);
    return QSqlDatabase::database(m_pendingName, false);
}

namespace {

HistoryMonitor monitorFrom(const QSqlQuery& q) {
    return {q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
            q.value(3).toString(), q.value(4).toInt(),    timeOf(q.value(5))};
}

const char* const monitorColumns = "SELECT id, model, serial, port, firmware_class, first_seen FROM monitors ";

} // namespace

QVector<HistoryMonitor> HistoryDatabase::monitors() {
    return rowsOf<HistoryMonitor>(
        readDatabase(), QLatin1String(monitorColumns) + QStringLiteral("ORDER BY model, serial, id"), {}, monitorFrom);
}

QVector<HistoryMonitor> HistoryDatabase::monitorsMatching(const QString& serialOrKey) {
    return rowsOf<HistoryMonitor>(
        readDatabase(), QLatin1String(monitorColumns) + QStringLiteral("WHERE serial = ? OR id = ? ORDER BY id"),
        {serialOrKey, serialOrKey}, monitorFrom);
}

QVector<HistoryConnection> HistoryDatabase::connections(const QString& monitorId) {
    return rowsOf<HistoryConnection>(
        readDatabase(),
        QStringLiteral("SELECT id, monitor_id, port, firmware_class, bench, started FROM connections "
                       "WHERE monitor_id = ? ORDER BY started, id"),
        {monitorId}, [](const QSqlQuery& q) {
            return HistoryConnection{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                                     q.value(3).toInt(),    q.value(4).toString(), timeOf(q.value(5))};
        });
}

namespace {

HistorySnapshot snapshotFrom(const QSqlQuery& q) {
    HistorySnapshot s;
    s.id = q.value(0).toString();
    s.connectionId = q.value(1).toString();
    s.monitorId = q.value(2).toString();
    s.modelNumber = q.value(3).toString();
    s.serialNumber = q.value(4).toString();
    s.firmwareClass = q.value(5).toInt();
    for (const QString& set : q.value(6).toString().split(QLatin1Char(','), Qt::SkipEmptyParts))
        s.scanSets << set.toInt();
    for (const QString& pair : q.value(7).toString().split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (pair.size() > 2 && pair[1] == QLatin1Char('='))
            s.counts.insert(pair[0], pair.mid(2).toInt());
    s.taken = timeOf(q.value(8));
    return s;
}

const char* const snapshotColumns =
    "SELECT id, connection_id, monitor_id, model, serial, firmware_class, scan_sets, counts, taken FROM snapshots ";

QChar firstChar(const QString& text) {
    return text.isEmpty() ? QChar() : text.at(0);
}

void readValues(const QSqlDatabase& db, HistorySnapshot* s) {
    s->values << rowsOf<SnapshotValue>(
        db,
        QStringLiteral("SELECT group_letter, dac, scan_set, value, factory, initial FROM snapshot_values "
                       "WHERE snapshot_id = ? ORDER BY scan_set, group_letter, dac"),
        {s->id}, [](const QSqlQuery& q) {
            return SnapshotValue{firstChar(q.value(0).toString()),
                                 q.value(1).toInt(),
                                 q.value(2).toInt(),
                                 q.value(3).toInt(),
                                 q.value(4).toInt(),
                                 q.value(5).toInt()};
        });
}

} // namespace

QVector<HistorySnapshot> HistoryDatabase::snapshots(const QString& connectionId) {
    const QSqlDatabase db = readDatabase();
    QVector<HistorySnapshot> out = rowsOf<HistorySnapshot>(
        db, QLatin1String(snapshotColumns) + QStringLiteral("WHERE connection_id = ? ORDER BY taken, id"),
        {connectionId}, snapshotFrom);
    for (HistorySnapshot& s : out)
        readValues(db, &s);
    return out;
}

bool HistoryDatabase::snapshot(const QString& idOrPrefix, HistorySnapshot* out, QString* error) {
    const QSqlDatabase db = readDatabase();
    const QVector<HistorySnapshot> found = rowsOf<HistorySnapshot>(
        db, QLatin1String(snapshotColumns) + QStringLiteral("WHERE id LIKE ? ORDER BY id"),
        {QString(idOrPrefix).remove(QLatin1Char('%')).remove(QLatin1Char('_')) + QLatin1Char('%')}, snapshotFrom);
    if (found.size() != 1 || idOrPrefix.size() < 4) {
        *error = found.isEmpty() ? QStringLiteral("no snapshot %1 in the history").arg(idOrPrefix)
                                 : QStringLiteral("snapshot %1 is not unique: give more of its id").arg(idOrPrefix);
        return false;
    }
    *out = found.first();
    readValues(db, out);
    return true;
}

QVector<HistoryChange> HistoryDatabase::changes(const QString& connectionId) {
    return rowsOf<HistoryChange>(
        readDatabase(),
        QStringLiteral("SELECT id, connection_id, what, old_value, new_value, source, at FROM changes "
                       "WHERE connection_id = ? ORDER BY at, id"),
        {connectionId}, [](const QSqlQuery& q) {
            return HistoryChange{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                                 q.value(3).toString(), q.value(4).toString(), q.value(5).toString(),
                                 timeOf(q.value(6))};
        });
}

QVector<HistoryEnd> HistoryDatabase::ends(const QString& connectionId) {
    return rowsOf<HistoryEnd>(readDatabase(),
                              QStringLiteral("SELECT id, connection_id, kind, summary, at FROM ends "
                                             "WHERE connection_id = ? ORDER BY at, id"),
                              {connectionId}, [](const QSqlQuery& q) {
                                  return HistoryEnd{q.value(0).toString(), q.value(1).toString(), q.value(2).toString(),
                                                    q.value(3).toString(), timeOf(q.value(4))};
                              });
}

QString HistoryDatabase::historyCsv(const QString& monitorId) {
    struct Line {
        QDateTime when;
        QString text;
    };
    QVector<Line> lines;
    for (const HistoryConnection& c : connections(monitorId)) {
        auto add = [&lines, &c](const QDateTime& when, const QStringList& fields) {
            QStringList row{c.id, when.toString(Qt::ISODateWithMs)};
            for (const QString& f : fields)
                row << csvField(f);
            lines << Line{when, row.join(QLatin1Char(','))};
        };
        add(c.started, {QStringLiteral("connection"), c.port, QString(), QString(), c.bench});
        for (const HistorySnapshot& s : snapshots(c.id))
            for (const SnapshotValue& v : s.values)
                add(s.taken, {QStringLiteral("snapshot ") + s.id,
                              QStringLiteral("%1%2 scan set %3").arg(v.group).arg(v.dac).arg(v.scanSet + 1), QString(),
                              QString::number(v.value), QString()});
        for (const HistoryChange& ch : changes(c.id))
            add(ch.when, {QStringLiteral("change"), ch.what, ch.oldValue, ch.newValue, ch.source});
        for (const HistoryEnd& e : ends(c.id))
            add(e.when, {QStringLiteral("end"), e.kind, QString(), e.summary, QString()});
    }
    std::stable_sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) { return a.when < b.when; });
    QString out = QStringLiteral("connection,time,record,what,old,new,source\n");
    for (const Line& l : lines)
        out += l.text + QLatin1Char('\n');
    return out;
}
