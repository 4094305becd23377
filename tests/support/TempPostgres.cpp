#include "support/TempPostgres.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <unistd.h>

namespace {

const QStringList binFolders = {QStringLiteral("/usr/lib/postgresql/16/bin"),
                                QStringLiteral("/usr/lib/postgresql/15/bin")};

} // namespace

TempPostgres::TempPostgres() {
    for (const QString& folder : binFolders)
        if (QFile::exists(folder + QStringLiteral("/pg_ctl"))) {
            m_bin = folder;
            break;
        }
}

TempPostgres::~TempPostgres() {
    if (m_running)
        stop();
}

bool TempPostgres::run(const QString& program, const QStringList& arguments, QString* output) {
    QProcess p;
    QStringList args = arguments;
    QString command = m_bin + QLatin1Char('/') + program;
    if (::geteuid() == 0) {
        args.prepend(command);
        args = QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--")} + args;
        command = QStringLiteral("runuser");
    }
    p.start(command, args);
    const bool ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    *output = QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
    if (!ok && output->isEmpty())
        *output = p.errorString();
    return ok;
}

bool TempPostgres::start(QString* why) {
    if (m_bin.isEmpty()) {
        *why = QStringLiteral("no PostgreSQL server programs (initdb, pg_ctl) are installed");
        return false;
    }
    if (!m_dir.isValid()) {
        *why = QStringLiteral("no temporary folder");
        return false;
    }
    // The server's own user must reach the folder.
    QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                            QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
    QString output;
    if (!run(QStringLiteral("initdb"),
             {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-A"),
              QStringLiteral("trust"), QStringLiteral("-U"), QStringLiteral("bench")},
             &output)) {
        *why = QStringLiteral("initdb failed: ") + output;
        return false;
    }
    if (!restart()) {
        *why = QStringLiteral("the server did not start");
        return false;
    }
    return true;
}

bool TempPostgres::restart() {
    QString output;
    m_running = run(QStringLiteral("pg_ctl"),
                    {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-w"),
                     QStringLiteral("-l"), m_dir.filePath(QStringLiteral("server.log")), QStringLiteral("-o"),
                     QStringLiteral("-k %1 -c listen_addresses=''").arg(m_dir.path()), QStringLiteral("start")},
                    &output);
    return m_running;
}

bool TempPostgres::stop() {
    QString output;
    const bool ok = run(QStringLiteral("pg_ctl"),
                        {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-w"),
                         QStringLiteral("-m"), QStringLiteral("fast"), QStringLiteral("stop")},
                        &output);
    m_running = !ok;
    return ok;
}

QString TempPostgres::url() const {
    return QStringLiteral("postgresql://bench@localhost/postgres?host=%1").arg(m_dir.path());
}
