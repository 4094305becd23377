#pragma once
// Runs the command-line tool as a separate process with the event loop turning, so that simulated monitors of
// the test's own process answer it. Its settings and its history live in the given folder, never the user's.
#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtTest>
#include <functional>

struct CliRun {
    int status = -1;
    QString out;
    QString err;
};

// withinMs only keeps a broken build from hanging; nothing is measured against it. started is given the running
// process (to signal it while it works).
inline CliRun runCli(const QStringList& args, const QString& home, int withinMs,
                     const std::function<void(QProcess&)>& started = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home);
    env.insert(QStringLiteral("XDG_DATA_HOME"), home);
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/orvexmon-cli"), args);
    if (started && p.waitForStarted())
        started(p);
    if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, withinMs))
        p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()), QString::fromLocal8Bit(p.readAllStandardError())};
}
