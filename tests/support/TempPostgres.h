#pragma once
// A PostgreSQL server of a test's own: a cluster made with initdb in a temporary folder, listening only on a
// Unix socket there, stopped and removed when the test ends. As root the server runs as the "postgres" user
// (PostgreSQL refuses root). available() says why not where it cannot be started, for QSKIP.
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class TempPostgres {
public:
    TempPostgres();
    ~TempPostgres();
    TempPostgres(const TempPostgres&) = delete;
    TempPostgres& operator=(const TempPostgres&) = delete;

    // Makes the cluster and starts the server; false with *why when it cannot.
    bool start(QString* why);
    bool stop();
    bool restart();
    // The URL the history store takes.
    QString url() const;

private:
    bool run(const QString& program, const QStringList& arguments, QString* output);

    QTemporaryDir m_dir;
    QString m_bin;
    bool m_running = false;
};
