#include "cli/Session.h"

#include "cli/ExitStatus.h"
#include "cli/Interrupt.h"
#include "download/DownloadEngine.h"
#include "link/ConnectionSearch.h"
#include "link/ConnectionStates.h"
#include "link/Link.h"
#include "link/TransmitQueue.h"
#include "platform/Clock.h"
#include "platform/PortMap.h"
#include "platform/QtSerialPort.h"
#include "platform/Settings.h"
#include "platform/Tone.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/Dispatcher.h"
#include "sim/SimulatorProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTimer>

#include <cstdio>

namespace {
const QString kConfigs = QStringLiteral("Configs");

// A console has no speaker worth the name: the download's tones stay silent, its verdict is printed instead.
class SilentTone : public Tone {
public:
    void play(int, int) override {}
};

// The request an answer echoes: its first line, without a prompt that may end it.
QString echoOf(const QString& answer) {
    QString first = answer.trimmed().section(QRegularExpression(QStringLiteral("[\\r\\n]")), 0, 0);
    while (!first.isEmpty() && QStringLiteral("#$!").contains(first.back()))
        first.chop(1);
    return first.trimmed();
}

void say(const QString& text) {
    std::fprintf(stderr, "%s\n", qPrintable(text));
}
} // namespace

// The connection states as the link sees them; the command line has no menus to switch.
class CliConnectionStates : public ConnectionStates {
public:
    explicit CliConnectionStates(Link* link) : m_link(link) {}
    void setOnline() override { m_link->setMonitorConnected(true); }
    void setBootMode() override { m_link->setMonitorConnected(true); }
    void setNoMonitor() override { m_link->setMonitorConnected(false); }
    void enableGoOffline() override {}

private:
    Link* m_link;
};

Session::Session(const CliOptions& options, QObject* parent)
    : QObject(parent), m_options(options), m_interrupt(new InterruptNotifier(this)),
      m_settings(std::make_unique<Settings>()), m_portMap(std::make_unique<PortMap>(m_settings.get())),
      m_clock(std::make_unique<QtClock>()), m_tone(std::make_unique<SilentTone>()), m_questions(options.yes),
      m_handlers(std::make_unique<DataReadHandlers>(m_model)),
      m_dispatcher(std::make_unique<Dispatcher>(m_model, m_handlers.get())),
      m_port(new QtSerialPort(m_portMap.get(), this)),
      m_link(new Link(m_port, m_clock.get(), m_tone.get(), &m_model, this)),
      m_download(new DownloadEngine(m_link, &m_model, m_clock.get(), m_tone.get(), nullptr, this)),
      m_states(std::make_unique<CliConnectionStates>(m_link)), m_logSink(this), m_heartbeat(new QTimer(this)) {
    m_link->setLog(nullptr);
    m_link->setDispatch([this](const QString& answer) {
        m_dispatcher->dispatchAnswer(answer);
        takeAnswer(answer, false);
    });
    // The verb learns of a refusal and goes on or stops; the link logs it and takes it as the refused line's answer.
    m_link->setRejectionHandler([this](const QString& text) {
        if (m_download->takeRejection(text))
            return true;
        ++m_refusals;
        takeAnswer(text, true);
        return false;
    });
    connect(m_link, &Link::connectionLost, this, [this] { m_lost = true; });
    connect(m_handlers.get(), &DataReadHandlers::flashEraseAnswered, m_download,
            &DownloadEngine::handleFlashEraseAnswer);
    connect(m_handlers.get(), &DataReadHandlers::sramLoadAnswered, m_download, &DownloadEngine::handleSramLoadAnswer);
    connect(m_handlers.get(), &DataReadHandlers::recordAnswered, m_download, &DownloadEngine::handleRecordAnswer);
    m_download->setApplicationTitle(QStringLiteral("orvexmon-cli"));
    m_search = new ConnectionSearch(m_link, m_clock.get(), m_states.get(), this);
    m_search->autoReConnect = false;
    const int limit = m_settings->readInt(kConfigs, QStringLiteral("ConnectRetryLimit"), 5);
    m_search->connectRetryLimit = limit < -32768 || limit > 32767 ? 5 : limit;
    connect(m_search, &ConnectionSearch::found, this, [this] { m_found = true; });
    connect(m_search, &ConnectionSearch::gaveUp, this, [this] { m_gaveUp = true; });
    // Waits wake at least this often, so that their time limits hold on a quiet line.
    m_heartbeat->start(200);
}

Session::~Session() {
    m_link->stopKeepAlive();
    if (m_port->isOpen())
        m_port->close();
    m_link->setLog(nullptr);
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

QString Session::deviceName() const {
    return m_port->deviceName();
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
        m_link->setLog(&m_logSink);
        m_link->logToWindow = true;
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
    if (!device.isEmpty())
        m_portMap->setOverride(portNumber, device);
    if (!m_link->openPort(portNumber, m_options.lineSettings)) {
        // The same explanation the connection window gives: permissions, a lock, or the devices present.
        const QString why = m_portMap->explain(m_port->deviceName(), m_port->openFailure());
        say(QStringLiteral("Comm Port Error on Com%1 (%2): %3")
                .arg(portNumber)
                .arg(m_port->deviceName(), why.isEmpty() ? m_port->lastError() : why));
        return ExitStatus::NoMonitor;
    }
    return ExitStatus::Done;
}

int Session::find() {
    m_search->start();
    waitFor([this] { return m_search->concludeIfAnswered() || m_found || m_gaveUp; });
    if (interrupted())
        return interruption(QStringLiteral("the monitor"));
    if (!m_found) {
        say(QStringLiteral("No monitor answered on %1 (%2 pings, %3 ms apart).")
                .arg(deviceName())
                .arg(m_search->connectRetryLimit)
                .arg(ConnectionSearch::tickMs));
        return ExitStatus::NoMonitor;
    }
    // The search has queued the firmware-version read of a monitor running its firmware.
    if (!waitFor([this] { return linkIdle(); }, answerWithinMs))
        return interruption(QStringLiteral("the firmware version"));
    return ExitStatus::Done;
}

bool Session::linkIdle() const {
    const TransmitQueue* q = m_link->queue();
    return !q->awaitingAnswer() && !q->writePending() && q->transmitQueue().isEmpty();
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
    else if (m_lost)
        say(QStringLiteral("The monitor on %1 stopped answering (waiting for %2).").arg(deviceName(), waitingFor));
    else
        say(QStringLiteral("No answer to %1 within %2 ms.").arg(waitingFor).arg(answerWithinMs));
    return ExitStatus::Interrupted;
}

void Session::takeAnswer(const QString& text, bool refused) {
    if (m_expected.isEmpty() || echoOf(text).compare(m_expected, Qt::CaseInsensitive) != 0)
        return;
    m_reply.done = true;
    m_reply.refused = refused;
    m_reply.text = text;
    m_expected.clear();
}

int Session::request(const QString& command, QString* answer) {
    m_reply = Reply();
    m_expected = command.trimmed();
    m_link->queue()->queueCommand(command);
    if (!waitFor([this] { return m_reply.done; }, answerWithinMs)) {
        m_expected.clear();
        return interruption(QStringLiteral("the answer to \"%1\"").arg(command));
    }
    if (answer)
        *answer = m_reply.text;
    return m_reply.refused ? ExitStatus::Refused : ExitStatus::Done;
}
