#pragma once

#include "sim/SimOptions.h"

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace sim {

// Runs orvexmon-sim as a child process and learns its device path from the first line it prints.
// Nothing here blocks the event loop: ready() is signalled, and waitForReady() spins a local event
// loop with a time limit for tests and start-up code that want to wait.
class SimulatorProcess : public QObject {
    Q_OBJECT
public:
    explicit SimulatorProcess(QObject* parent = nullptr);
    ~SimulatorProcess() override;

    // The program to run: set explicitly, else $ORVEXMON_SIM, else orvexmon-sim beside the running
    // executable, else orvexmon-sim on the PATH.
    void setProgram(const QString& program) { m_program = program; }
    QString program() const;

    bool start(const SimOptions& options = SimOptions());
    bool start(const QStringList& arguments);
    // Waits up to msecs for the device path, processing events meanwhile. True when it is known.
    bool waitForReady(int msecs = 5000);
    // Terminates the process (then kills it if it does not end within a short, bounded wait).
    void stop();

    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    bool isReady() const { return !m_devicePath.isEmpty(); }
    QString devicePath() const { return m_devicePath; }
    QString errorString() const { return m_error; }
    qint64 processId() const { return m_process.processId(); }

    // Run-time faults, sent as control lines on the simulator's standard input; each is answered by
    // controlAnswered() once it is in effect.
    bool sendControl(const QString& line);
    bool setSilent(bool silent) { return sendControl(QStringLiteral("silent %1").arg(silent ? 1 : 0)); }
    bool setSilentAfter(int answers) { return sendControl(QStringLiteral("silent-after %1").arg(answers)); }
    bool setDelay(int ms) { return sendControl(QStringLiteral("delay %1").arg(ms)); }
    bool setBaud(int baud) { return sendControl(QStringLiteral("baud %1").arg(baud)); }
    bool setRejectRecord(int k, int times) {
        return sendControl(QStringLiteral("reject-record %1 %2").arg(k).arg(times));
    }
    bool setNoise(double percent, quint32 seed) {
        return sendControl(QStringLiteral("noise %1 %2").arg(percent).arg(seed));
    }

signals:
    void ready(const QString& devicePath);
    void failed(const QString& error);
    // The simulator has applied (ok) or refused a control line sent with sendControl().
    void controlAnswered(const QString& line, bool ok);
    void finished();

private:
    void onStdout();
    void onStderr();
    void onErrorOccurred(QProcess::ProcessError error);
    void onFinished();

    QProcess m_process;
    QString m_program;
    QString m_devicePath;
    QString m_error;
    QByteArray m_stdoutBuffer;
    QByteArray m_stderrBuffer;
};

} // namespace sim
