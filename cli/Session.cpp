#include "cli/Session.h"

#include "cli/ExitStatus.h"
#include "cli/Interrupt.h"
#include "download/DownloadEngine.h"
#include "history/ChangeRecorder.h"
#include "history/HistoryStore.h"
#include "link/ConnectionSearch.h"
#include "link/Link.h"
#include "link/TransmitQueue.h"
#include "platform/Clock.h"
#include "platform/PortMap.h"
#include "platform/SerialPort.h"
#include "platform/Settings.h"
#include "platform/Tone.h"
#include "session/MonitorSession.h"
#include "sim/SimulatorProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

namespace {
const QString kConfigs = QStringLiteral("Configs");

// A console has no speaker worth the name: the download's tones stay silent, its verdict is printed instead.
class SilentTone : public Tone {
public:
    void play(int, int) override {}
};

void say(const QString& text) {
    std::fprintf(stderr, "%s\n", qPrintable(text));
}
} // namespace

Session::Session(const CliOptions& options, QObject* parent)
    : QObject(parent), m_options(options), m_interrupt(new InterruptNotifier(this)),
      m_settings(std::make_unique<Settings>()), m_clock(std::make_unique<QtClock>()),
      m_tone(std::make_unique<SilentTone>()), m_questions(options.yes),
      m_session(new MonitorSession({m_settings.get(), m_clock.get(), m_tone.get(), nullptr}, this)), m_logSink(this),
      m_heartbeat(new QTimer(this)) {
    link()->setLog(nullptr);
    connect(m_session, &MonitorSession::requestSettled, this, &Session::takeOutcome);
    connect(m_session, &MonitorSession::connectionLost, this, [this] { m_lost = true; });
    // A port that goes away ends the job at once, also while the search still pings.
    connect(m_session, &MonitorSession::portLost, this, [this](const QString&, const QString& why) {
        m_lost = true;
        m_portLostWhy = why;
    });
    download()->setApplicationTitle(QStringLiteral("orvexmon-cli"));
    ConnectionSearch* search = m_session->search();
    search->autoReConnect = false;
    const int limit = m_settings->readInt(kConfigs, QStringLiteral("ConnectRetryLimit"), 5);
    search->connectRetryLimit = limit < -32768 || limit > 32767 ? 5 : limit;
    connect(search, &ConnectionSearch::found, this, [this] { m_found = true; });
    connect(search, &ConnectionSearch::gaveUp, this, [this] { m_gaveUp = true; });
    // Waits wake at least this often, so that their time limits hold on a quiet line.
    m_heartbeat->start(200);
}

MonitorModel& Session::model() {
    return *m_session->model();
}

Link* Session::link() const {
    return m_session->link();
}

DataReadHandlers* Session::handlers() const {
    return m_session->handlers();
}

DownloadEngine* Session::download() const {
    return m_session->download();
}

ChangeRecorder& Session::recordChanges(const QString& source) {
    m_session->setChangeSource([source] { return source; });
    if (!m_recorder) {
        m_history = std::make_unique<HistoryStore>(HistoryStore::configuredLocation(nullptr, m_options.database));
        // Told from the store's own thread, and printed at once.
        connect(m_history.get(), &HistoryStore::problem, [](const QString& message) { say(message); });
        m_recorder = std::make_unique<ChangeRecorder>(*m_history, *m_session);
    }
    return *m_recorder;
}

Session::~Session() {
    m_recorder.reset();
    link()->stopKeepAlive();
    if (m_session->port()->isOpen())
        m_session->port()->close();
    link()->setLog(nullptr);
    m_fileLog.close();
    if (m_simulator)
        m_simulator->stop();
}

void Session::FileLogSink::check(bool written) {
    if (!written && !m_session->m_logFailed) {
        m_session->m_logFailed = true;
        say(QStringLiteral("The log file could not be written: %1").arg(m_session->m_fileLog.errorString()));
    }
}

void Session::FileLogSink::logEvent(const QString& text) {
    check(m_session->m_fileLog.writeEvent(text));
}

void Session::FileLogSink::logReceivedChar(QChar c) {
    check(m_session->m_fileLog.writeChar(c));
}

void Session::FileLogSink::logReceivedLineEnd() {
    check(m_session->m_fileLog.writeLineEnd());
}

void Session::FileLogSink::logLinkEvent(const QString& text) {
    check(m_session->m_fileLog.writeEvent(text));
}

QString Session::deviceName() const {
    return m_session->port()->deviceName();
}

bool Session::interrupted() const {
    return m_interrupt->interrupted();
}

int Session::open() {
    if (!m_options.logFile.isEmpty()) {
        if (!m_fileLog.open(m_options.logFile)) {
            say(QStringLiteral("The log file %1 could not be opened: %2")
                    .arg(m_options.logFile, m_fileLog.errorString()));
            return ExitStatus::FileError;
        }
        link()->setLog(&m_logSink);
        link()->logToWindow = true;
    }
    int portNumber = m_options.comNumber;
    if (portNumber == 0)
        portNumber = std::max(1, m_settings->readInt(kConfigs, QStringLiteral("CommPort"), 1));
    QString device = m_options.device;
    if (m_options.simulated()) {
        m_simulator = std::make_unique<sim::SimulatorProcess>();
        sim::SimOptions simOptions;
        simOptions.profile = m_options.simulate;
        simOptions.bootMode = m_options.simulateBoot;
        if (!m_simulator->start(simOptions) || !m_simulator->waitForReady(10000)) {
            say(QStringLiteral("The simulated monitor could not be started: %1").arg(m_simulator->errorString()));
            return ExitStatus::NoMonitor;
        }
        device = m_simulator->devicePath();
    }
    PortMap* portMap = m_session->portMap();
    SerialPort* port = m_session->port();
    if (!device.isEmpty())
        portMap->setOverride(portNumber, device);
    if (!link()->openPort(portNumber, m_options.lineSettings)) {
        // The same explanation the connection window gives: permissions, a lock, or the devices present.
        const QString why = portMap->explain(port->deviceName(), port->openFailure());
        say(QStringLiteral("Comm Port Error on Com%1 (%2): %3")
                .arg(portNumber)
                .arg(port->deviceName(), why.isEmpty() ? port->lastError() : why));
        return ExitStatus::NoMonitor;
    }
    return ExitStatus::Done;
}

int Session::find() {
    ConnectionSearch* search = m_session->search();
    search->start();
    waitFor([this, search] { return search->concludeIfAnswered() || m_found || m_gaveUp; });
    if (interrupted() || m_lost)
        return interruption(QStringLiteral("the monitor"));
    if (!m_found) {
        say(QStringLiteral("No monitor answered on %1 (%2 pings, %3 ms apart).")
                .arg(deviceName())
                .arg(search->connectRetryLimit)
                .arg(ConnectionSearch::tickMs));
        return ExitStatus::NoMonitor;
    }
    // The search has queued the firmware-version read of a monitor running its firmware.
    if (!waitFor([this] { return linkIdle(); }, answerWithinMs))
        return interruption(QStringLiteral("the firmware version"));
    return ExitStatus::Done;
}

bool Session::linkIdle() const {
    return m_session->linkIdle();
}

bool Session::waitFor(const std::function<bool()>& pred, int timeoutMs, bool stopOnInterrupt, bool stopOnLost) {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!pred()) {
        if ((stopOnLost && m_lost) || (stopOnInterrupt && interrupted()))
            return false;
        if (timeoutMs >= 0 && elapsed.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

int Session::interruption(const QString& waitingFor) {
    if (interrupted())
        say(QStringLiteral("Interrupted while waiting for %1.").arg(waitingFor));
    else if (m_lost && !m_portLostWhy.isEmpty())
        say(QStringLiteral("The port %1 was lost (%2) while waiting for %3.")
                .arg(deviceName(), m_portLostWhy, waitingFor));
    else if (m_lost)
        say(QStringLiteral("The monitor on %1 stopped answering (waiting for %2).").arg(deviceName(), waitingFor));
    else
        say(QStringLiteral("No answer to %1 within %2 ms.").arg(waitingFor).arg(answerWithinMs));
    return ExitStatus::Interrupted;
}

void Session::takeOutcome(const RequestOutcome& outcome) {
    if (outcome.ending == RequestOutcome::Ending::Refused)
        ++m_refusals;
    if (outcome.id == m_awaited)
        m_outcome = outcome;
}

int Session::request(const QString& command, QString* answer, bool despiteInterrupt) {
    m_outcome.reset();
    m_awaited = m_session->send(command.trimmed());
    if (!waitFor([this] { return m_outcome.has_value(); }, answerWithinMs, !despiteInterrupt)) {
        m_awaited = 0;
        return interruption(QStringLiteral("the answer to \"%1\"").arg(command));
    }
    m_awaited = 0;
    if (answer)
        *answer = m_outcome->answer;
    switch (m_outcome->ending) {
    case RequestOutcome::Ending::Answered:
        return ExitStatus::Done;
    case RequestOutcome::Ending::Refused:
        return ExitStatus::Refused;
    case RequestOutcome::Ending::TimedOut:
    case RequestOutcome::Ending::Dropped:
        break;
    }
    return interruption(QStringLiteral("the answer to \"%1\"").arg(command));
}
