#include "sim/SimulatorProcess.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimer>

namespace sim {

SimulatorProcess::SimulatorProcess(QObject* parent) : QObject(parent) {
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &SimulatorProcess::onStdout);
    connect(&m_process, &QProcess::readyReadStandardError, this, &SimulatorProcess::onStderr);
    connect(&m_process, &QProcess::errorOccurred, this, &SimulatorProcess::onErrorOccurred);
    connect(&m_process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), this, &SimulatorProcess::onFinished);
}

SimulatorProcess::~SimulatorProcess() {
    stop();
}

QString SimulatorProcess::program() const {
    if (!m_program.isEmpty())
        return m_program;
    const QString fromEnv = qEnvironmentVariable("ORVEXMON_SIM");
    if (!fromEnv.isEmpty())
        return fromEnv;
    if (QCoreApplication::instance()) {
        const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("orvexmon-sim"));
        if (QFileInfo(beside).isExecutable())
            return beside;
    }
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("orvexmon-sim"));
    return onPath.isEmpty() ? QStringLiteral("orvexmon-sim") : onPath;
}

bool SimulatorProcess::start(const SimOptions& options) {
    return start(options.toArguments());
}

bool SimulatorProcess::start(const QStringList& arguments) {
    if (isRunning())
        stop();
    m_devicePath.clear();
    m_error.clear();
    m_stdoutBuffer.clear();
    m_stderrBuffer.clear();
    m_process.start(program(), arguments, QIODevice::ReadWrite);
    return true;
}

bool SimulatorProcess::waitForReady(int msecs) {
    if (isReady())
        return true;
    if (!isRunning() && !m_error.isEmpty())
        return false;
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(this, &SimulatorProcess::ready, &loop, &QEventLoop::quit);
    connect(this, &SimulatorProcess::failed, &loop, &QEventLoop::quit);
    limit.start(msecs);
    if (!isReady() && (isRunning() || m_process.state() == QProcess::Starting))
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return isReady();
}

void SimulatorProcess::stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(2000)) {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
}

bool SimulatorProcess::sendControl(const QString& line) {
    if (m_process.state() != QProcess::Running)
        return false;
    const QByteArray data = line.toUtf8() + '\n';
    return m_process.write(data) == data.size();
}

void SimulatorProcess::onStdout() {
    m_stdoutBuffer += m_process.readAllStandardOutput();
    int nl;
    while ((nl = int(m_stdoutBuffer.indexOf('\n'))) >= 0) {
        const QString line = QString::fromLocal8Bit(m_stdoutBuffer.left(nl)).trimmed();
        m_stdoutBuffer.remove(0, nl + 1);
        if (m_devicePath.isEmpty()) {
            // The first line is the device path.
            m_devicePath = line;
            if (m_devicePath.isEmpty()) {
                m_error = QStringLiteral("the simulator printed no device path");
                emit failed(m_error);
                return;
            }
            emit ready(m_devicePath);
        } else if (line.startsWith(QLatin1String("ok "))) {
            emit controlAnswered(line.mid(3), true);
        } else if (line.startsWith(QLatin1String("error "))) {
            emit controlAnswered(line.mid(6), false);
        }
    }
    if (m_stdoutBuffer.size() > 4096)
        m_stdoutBuffer.clear();
}

void SimulatorProcess::onStderr() {
    m_stderrBuffer += m_process.readAllStandardError();
    if (m_stderrBuffer.size() > 4096)
        m_stderrBuffer = m_stderrBuffer.right(4096);
}

void SimulatorProcess::onErrorOccurred(QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) {
        m_error = QStringLiteral("cannot start %1: %2").arg(program(), m_process.errorString());
        emit failed(m_error);
    }
}

void SimulatorProcess::onFinished() {
    if (m_devicePath.isEmpty() && m_error.isEmpty()) {
        m_error = QStringLiteral("the simulator ended before it was ready");
        const QString detail = QString::fromLocal8Bit(m_stderrBuffer).trimmed();
        if (!detail.isEmpty())
            m_error += QStringLiteral(": ") + detail;
        emit failed(m_error);
    }
    emit finished();
}

} // namespace sim
