#include "history/HistoryStore.h"

#include "history/HistoryDatabase.h"
#include "platform/Settings.h"

#include <QCryptographicHash>
#include <QPointer>
#include <QStandardPaths>
#include <QThread>
#include <QUuid>

namespace {
int storeCounter = 0;
} // namespace

template <class Result> Result HistoryStore::call(const std::function<Result(HistoryDatabase&)>& work) const {
    Result result{};
    HistoryDatabase* db = m_database;
    QMetaObject::invokeMethod(
        db, [&result, &work, db] { result = work(*db); }, Qt::BlockingQueuedConnection);
    return result;
}

void HistoryStore::post(std::function<void(HistoryDatabase&)> work) {
    HistoryDatabase* db = m_database;
    QMetaObject::invokeMethod(
        db, [work = std::move(work), db] { work(*db); }, Qt::QueuedConnection);
}

template <class Result>
void HistoryStore::later(QObject* receiver, std::function<Result(HistoryDatabase&)> work,
                         std::function<void(const Result&)> done) {
    HistoryDatabase* db = m_database;
    // The answer is handed back through the store, which lives on the receiver's thread and outlives its own
    // thread's work; only there is the receiver looked at.
    QPointer<QObject> to(receiver);
    QMetaObject::invokeMethod(
        db,
        [this, db, work = std::move(work), done = std::move(done), to] {
            Result result = work(*db);
            QMetaObject::invokeMethod(
                this,
                [result = std::move(result), done, to] {
                    if (to)
                        done(result);
                },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

HistoryStore::HistoryStore(const QString& location, const QString& pendingPath, QObject* parent)
    : QObject(parent), m_location(location.isEmpty() ? defaultLocation() : location), m_thread(new QThread(this)) {
    m_thread->setObjectName(QStringLiteral("history"));
    m_database = new HistoryDatabase(m_location, pendingPath.isEmpty() ? defaultPendingPath(m_location) : pendingPath,
                                     QStringLiteral("history-%1").arg(++storeCounter),
                                     [this](const QString& message) { emit problem(message); });
    m_database->moveToThread(m_thread);
    m_thread->start();
}

HistoryStore::~HistoryStore() {
    // Every record handed over is written (or kept) before the thread ends.
    call<bool>([](HistoryDatabase& db) {
        db.close();
        return true;
    });
    m_thread->quit();
    m_thread->wait();
    delete m_database;
}

QString HistoryStore::defaultLocation() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/history.sqlite");
}

QString HistoryStore::configuredLocation(const Settings* settings, const QString& given) {
    if (!given.isEmpty())
        return given;
    const Settings user;
    const QString stored =
        (settings ? settings : &user)->readText(QStringLiteral("History"), QStringLiteral("Database"), QString());
    return stored.trimmed().isEmpty() ? defaultLocation() : stored.trimmed();
}

QString HistoryStore::defaultPendingPath(const QString& location) {
    // One pending file per database, so that records kept for one server are never sent to another.
    const QByteArray tag = QCryptographicHash::hash(location.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/history-pending-") +
           QString::fromLatin1(tag) + QStringLiteral(".sqlite");
}

bool HistoryStore::isServerUrl(const QString& location) {
    return location.startsWith(QLatin1String("postgresql://")) || location.startsWith(QLatin1String("postgres://"));
}

QString HistoryStore::newId() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

bool HistoryStore::open() {
    return call<bool>([](HistoryDatabase& db) { return db.open(); });
}

bool HistoryStore::databaseAvailable() const {
    return call<bool>([](HistoryDatabase& db) { return db.databaseAvailable(); });
}

bool HistoryStore::reconnect() {
    return call<bool>([](HistoryDatabase& db) { return db.reconnect(); });
}

int HistoryStore::pendingRecords() {
    return call<int>([](HistoryDatabase& db) { return db.pendingRecords(); });
}

QString HistoryStore::lastProblem() const {
    return call<QString>([](HistoryDatabase& db) { return db.lastProblem(); });
}

void HistoryStore::addConnection(const HistoryMonitor& monitor, const HistoryConnection& connection) {
    post([monitor, connection](HistoryDatabase& db) { db.addConnection(monitor, connection); });
}

void HistoryStore::addSnapshot(const HistorySnapshot& snapshot) {
    post([snapshot](HistoryDatabase& db) { db.addSnapshot(snapshot); });
}

void HistoryStore::addChange(const HistoryChange& change) {
    post([change](HistoryDatabase& db) { db.addChange(change); });
}

void HistoryStore::addEnd(const HistoryEnd& end) {
    post([end](HistoryDatabase& db) { db.addEnd(end); });
}

QVector<HistoryMonitor> HistoryStore::monitors() {
    return call<QVector<HistoryMonitor>>([](HistoryDatabase& db) { return db.monitors(); });
}

QVector<HistoryConnection> HistoryStore::connections(const QString& monitorId) {
    return call<QVector<HistoryConnection>>([&monitorId](HistoryDatabase& db) { return db.connections(monitorId); });
}

QVector<HistorySnapshot> HistoryStore::snapshots(const QString& connectionId) {
    return call<QVector<HistorySnapshot>>([&connectionId](HistoryDatabase& db) { return db.snapshots(connectionId); });
}

QVector<HistoryChange> HistoryStore::changes(const QString& connectionId) {
    return call<QVector<HistoryChange>>([&connectionId](HistoryDatabase& db) { return db.changes(connectionId); });
}

QVector<HistoryEnd> HistoryStore::ends(const QString& connectionId) {
    return call<QVector<HistoryEnd>>([&connectionId](HistoryDatabase& db) { return db.ends(connectionId); });
}

bool HistoryStore::snapshot(const QString& idOrPrefix, HistorySnapshot* out, QString* error) {
    return call<bool>([&](HistoryDatabase& db) { return db.snapshot(idOrPrefix, out, error); });
}

QVector<HistoryMonitor> HistoryStore::monitorsMatching(const QString& serialOrKey) {
    return call<QVector<HistoryMonitor>>(
        [&serialOrKey](HistoryDatabase& db) { return db.monitorsMatching(serialOrKey); });
}

QString HistoryStore::historyCsv(const QString& monitorId) {
    return call<QString>([&monitorId](HistoryDatabase& db) { return db.historyCsv(monitorId); });
}

void HistoryStore::monitorsLater(QObject* receiver, std::function<void(const QVector<HistoryMonitor>&)> done) {
    later<QVector<HistoryMonitor>>(
        receiver, [](HistoryDatabase& db) { return db.monitors(); }, std::move(done));
}

void HistoryStore::monitorHistoryLater(const QString& monitorId, QObject* receiver,
                                       std::function<void(const QVector<HistoryConnectionRecords>&)> done) {
    later<QVector<HistoryConnectionRecords>>(
        receiver,
        [monitorId](HistoryDatabase& db) {
            QVector<HistoryConnectionRecords> out;
            for (const HistoryConnection& c : db.connections(monitorId))
                out.append({c, db.snapshots(c.id), db.changes(c.id), db.ends(c.id)});
            return out;
        },
        std::move(done));
}

void HistoryStore::historyCsvLater(const QString& monitorId, QObject* receiver,
                                   std::function<void(const QString&)> done) {
    later<QString>(
        receiver, [monitorId](HistoryDatabase& db) { return db.historyCsv(monitorId); }, std::move(done));
}
