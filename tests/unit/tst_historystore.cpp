#include "history/ChangeText.h"
#include "history/HistoryStore.h"
#include "history/SnapshotModel.h"
#include "model/MonitorModel.h"
#include "support/TempPostgres.h"

#include <QFile>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

// One connection's records: the monitor, the connection, a snapshot of scan set 2 and one change.
struct Session {
    HistoryMonitor monitor;
    HistoryConnection connection;
    HistorySnapshot snapshot;
    HistoryChange change;

    explicit Session(const QString& serial) {
        MonitorModel model;
        model.modelNumber = QStringLiteral("M21");
        model.serialNumber = serial;
        model.firmwareClass = 210;
        model.videoGroup.count = 3;
        for (int dac = 0; dac < 3; ++dac)
            model.videoGroup.set(DacTable::Value, dac, 2, 100 + dac + serial.size());
        monitor = {HistoryMonitor::key(model.modelNumber, serial, QString(), 210),
                   model.modelNumber,
                   serial,
                   QStringLiteral("/dev/ttyS0"),
                   210,
                   QDateTime::currentDateTimeUtc()};
        connection = {HistoryStore::newId(), monitor.id, monitor.port, 210, QString(), monitor.firstSeen};
        snapshot = SnapshotModel::take(model, {2});
        snapshot.id = HistoryStore::newId();
        snapshot.connectionId = connection.id;
        snapshot.monitorId = monitor.id;
        snapshot.taken = monitor.firstSeen;
        change = {HistoryStore::newId(), connection.id,         QStringLiteral("cdv0"),
                  QStringLiteral("101"), QStringLiteral("140"), QStringLiteral("frmVideoAdj"),
                  monitor.firstSeen};
    }
    void writeTo(HistoryStore& store) const {
        store.addConnection(monitor, connection);
        store.addSnapshot(snapshot);
        store.addChange(change);
    }
    // Everything written reads back from a store that opens the same database afresh.
    void verifyIn(const QString& location, const QString& pending) const {
        HistoryStore store(location, pending);
        QVERIFY(store.open());
        const QVector<HistoryMonitor> found = store.monitorsMatching(monitor.serialNumber);
        QCOMPARE(found.size(), 1);
        QCOMPARE(store.connections(monitor.id).size(), 1);
        HistorySnapshot back;
        QString error;
        QVERIFY2(store.snapshot(snapshot.id.left(8), &back, &error), qPrintable(error));
        QCOMPARE(SnapshotModel::dataFile(back), SnapshotModel::dataFile(snapshot));
        const QVector<HistoryChange> changes = store.changes(connection.id);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes[0].newValue, change.newValue);
    }
};

using Action = std::function<bool(const QString& location)>;

} // namespace

Q_DECLARE_METATYPE(Action)

class TestHistoryStore : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<TempPostgres> m_server;
    QString m_serverWhy;
    std::unique_ptr<QSqlDatabase> m_lock;

    QString serverUrl() {
        if (!m_server) {
            m_server = std::make_unique<TempPostgres>();
            if (!m_server->start(&m_serverWhy))
                qWarning("PostgreSQL: %s", qPrintable(m_serverWhy));
        }
        return m_serverWhy.isEmpty() ? m_server->url() : QString();
    }
    QString fresh(const QString& name) { return m_dir.filePath(name + QString::number(++m_files)); }
    int m_files = 0;

    static bool setVersion(const QString& file, int version) {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "edit");
        db.setDatabaseName(file);
        bool ok =
            db.open() && QSqlQuery(db).exec(QStringLiteral("UPDATE schema_version SET version = %1").arg(version));
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("edit");
        return ok;
    }

private slots:
    void recordsReadBack_data() {
        QTest::addColumn<QString>("backend");
        QTest::newRow("sqlite") << QStringLiteral("sqlite");
        QTest::newRow("postgresql") << QStringLiteral("postgresql");
    }
    void recordsReadBack() {
        QFETCH(QString, backend);
        const QString location = backend == QLatin1String("sqlite") ? fresh("h.sqlite") : serverUrl();
        if (location.isEmpty())
            QSKIP(qPrintable(m_serverWhy));
        const QString pending = fresh("p.sqlite");
        const Session session(QStringLiteral("SN") + backend);
        {
            HistoryStore store(location, pending);
            QVERIFY2(store.open(), qPrintable(store.lastProblem()));
            session.writeTo(store);
            QCOMPARE(store.pendingRecords(), 0);
            QVERIFY(store.historyCsv(session.monitor.id).contains(session.change.source));
        }
        session.verifyIn(location, pending);
    }

    void olderSchemaIsUpgraded() {
        const QString file = fresh("old.sqlite");
        { HistoryStore(file, fresh("p.sqlite")).open(); }
        QVERIFY(setVersion(file, 1));
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "drop");
        db.setDatabaseName(file);
        QVERIFY(db.open());
        for (const char* index : {"connections_by_monitor", "changes_by_connection", "snapshots_by_connection"})
            QVERIFY(QSqlQuery(db).exec(QStringLiteral("DROP INDEX %1").arg(QLatin1String(index))));
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("drop");
        const Session session(QStringLiteral("SN-old"));
        {
            // Records are written on the store's thread: they are all in once the store is gone.
            HistoryStore store(file, fresh("p.sqlite"));
            QVERIFY2(store.open(), qPrintable(store.lastProblem()));
            session.writeTo(store);
        }
        session.verifyIn(file, fresh("p.sqlite"));
    }

    // A database that cannot be used: one message, the records kept, and all of them stored once it is usable.
    void unusableDatabaseKeepsRecords_data() {
        QTest::addColumn<QString>("backend");
        QTest::addColumn<Action>("breakIt");
        QTest::addColumn<Action>("repair");
        QTest::newRow("corrupt file") << QStringLiteral("sqlite") << Action([](const QString& f) {
            QFile file(f);
            return file.open(QIODevice::WriteOnly) && file.write(QByteArray(4096, '\x5a')) == 4096;
        }) << Action([](const QString& f) { return QFile::remove(f); });
        QTest::newRow("newer schema") << QStringLiteral("sqlite") << Action([](const QString& f) {
            return setVersion(f, HistoryStore::schemaVersion + 1);
        }) << Action([](const QString& f) { return setVersion(f, HistoryStore::schemaVersion); });
        QTest::newRow("locked file") << QStringLiteral("sqlite") << Action([this](const QString& f) {
            m_lock = std::make_unique<QSqlDatabase>(QSqlDatabase::addDatabase("QSQLITE", "lock"));
            m_lock->setDatabaseName(f);
            return m_lock->open() && QSqlQuery(*m_lock).exec("BEGIN EXCLUSIVE TRANSACTION");
        }) << Action([this](const QString&) {
            QSqlQuery(*m_lock).exec("ROLLBACK");
            m_lock->close();
            m_lock.reset();
            QSqlDatabase::removeDatabase("lock");
            return true;
        });
        QTest::newRow("server stopped mid-session")
            << QStringLiteral("postgresql") << Action([this](const QString&) { return m_server->stop(); })
            << Action([this](const QString&) { return m_server->restart(); });
    }
    void unusableDatabaseKeepsRecords() {
        QFETCH(QString, backend);
        QFETCH(Action, breakIt);
        QFETCH(Action, repair);
        const bool midSession = backend == QLatin1String("postgresql");
        const QString location = midSession ? serverUrl() : fresh("h.sqlite");
        if (location.isEmpty())
            QSKIP(qPrintable(m_serverWhy));
        const Session before(QStringLiteral("SN-before-") + QTest::currentDataTag());
        {
            HistoryStore first(location, fresh("p.sqlite"));
            QVERIFY(first.open());
            before.writeTo(first);
        }
        HistoryStore store(location, fresh("p.sqlite"));
        QSignalSpy problems(&store, &HistoryStore::problem);
        if (!midSession)
            QVERIFY(breakIt(location));
        QCOMPARE(store.open(), midSession);
        if (midSession)
            QVERIFY(breakIt(location));
        const Session during(QStringLiteral("SN-during-") + QTest::currentDataTag());
        during.writeTo(store);
        QVERIFY(store.pendingRecords() > 0);
        QCOMPARE(problems.size(), 1);
        QVERIFY(!store.reconnect());
        QCOMPARE(problems.size(), 1);

        QVERIFY(repair(location));
        QVERIFY2(store.reconnect(), qPrintable(store.lastProblem()));
        QCOMPARE(store.pendingRecords(), 0);
        during.verifyIn(location, fresh("p.sqlite"));
        if (QTest::currentDataTag() != QLatin1String("corrupt file"))
            before.verifyIn(location, fresh("p.sqlite"));
    }

    // A server that takes the connection and never answers: the records are handed over at once, the caller's
    // thread stays free while the store waits for the server, and they are kept once it gives up.
    void unansweredServerLeavesTheCallerFree() {
        if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
            QSKIP("no PostgreSQL driver for Qt SQL");
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        HistoryStore store(QStringLiteral("postgresql://bench@127.0.0.1:%1/history").arg(silent.serverPort()),
                           fresh("p.sqlite"));
        QSignalSpy problems(&store, &HistoryStore::problem);
        const Session session(QStringLiteral("SN-silent"));
        session.writeTo(store);
        // This thread accepts the store's connection while the store still waits for the server's answer.
        QTRY_VERIFY(silent.hasPendingConnections());
        QCOMPARE(problems.size(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(problems.size(), 1, 15000);
        QVERIFY(store.pendingRecords() > 0);
    }

    // Which requests change the monitor, and how the history names them.
    void changeTexts_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("what"); // empty: no change
        QTest::addColumn<QString>("newValue");
        QTest::addColumn<bool>("scanSetValues");
        QTest::addColumn<int>("dac");
        const int setting = int(Request::Kind::Setting), command = int(Request::Kind::Command);
        QTest::newRow("DAC") << setting << "cdl2140"
                             << "cdl2"
                             << "140" << true << 2;
        QTest::newRow("DAC of group a") << command << "cda 3120"
                                        << "cda 3"
                                        << "120" << true << 2;
        QTest::newRow("DAC save") << command << "cdlp"
                                  << "cdlp"
                                  << "" << true << -1;
        QTest::newRow("offset") << setting << "cf3200"
                                << "cf3"
                                << "200" << true << -1;
        QTest::newRow("convergence option") << command << "cac1"
                                            << "cac1"
                                            << "" << true << -1;
        QTest::newRow("scan-set switch") << command << "CC2"
                                         << "CC"
                                         << "2" << false << -1;
        QTest::newRow("scan-set enable") << command << "CCE2"
                                         << "CCE2"
                                         << "" << false << -1;
        QTest::newRow("serial number") << int(Request::Kind::Typed) << "csS12345"
                                       << "csS"
                                       << "12345" << false << -1;
        QTest::newRow("HV enable") << command << "mh0"
                                   << "mh0"
                                   << "" << false << -1;
        QTest::newRow("read") << int(Request::Kind::Read) << "ddl"
                              << ""
                              << "" << false << -1;
        QTest::newRow("checking") << command << "cz0"
                                  << ""
                                  << "" << false << -1;
        QTest::newRow("degauss") << command << "cg"
                                 << ""
                                 << "" << false << -1;
        QTest::newRow("erase") << int(Request::Kind::Record) << "bf3"
                               << ""
                               << "" << false << -1;
    }
    void changeTexts() {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(QString, what);
        QFETCH(QString, newValue);
        QFETCH(bool, scanSetValues);
        QFETCH(int, dac);
        const ChangeText c = ChangeText::of({Request::Kind(kind), text, QString()});
        QCOMPARE(c.change, !what.isEmpty());
        QCOMPARE(c.what, what);
        QCOMPARE(c.newValue, newValue);
        QCOMPARE(c.scanSetValues, scanSetValues);
        QCOMPARE(c.dac, dac);
    }
};

QTEST_GUILESS_MAIN(TestHistoryStore)
#include "tst_historystore.moc"
