#include "link/Link.h"

#include "link/LogSink.h"
#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"
#include "platform/Clock.h"
#include "platform/SerialPort.h"
#include "protocol/Catalogue.h"

#include <QHash>

namespace {
QString eventText(int kind) {
    static const QHash<int, QString> texts = {
        {SerialEvent::Cts, QStringLiteral("Received comEvCTS")},
        {SerialEvent::Dsr, QStringLiteral("Received comEvDSR")},
        {SerialEvent::Cd, QStringLiteral("Received comEvCD")},
        {SerialEvent::Ring, QStringLiteral("Received comEvRing")},
        {SerialEvent::Break, QStringLiteral("Received comBreak")},
        {SerialEvent::CtsTimeout, QStringLiteral("Received comCTSTO")},
        {SerialEvent::DsrTimeout, QStringLiteral("Received comDSRTO")},
        {SerialEvent::Frame, QStringLiteral("Received comFrame")},
        {SerialEvent::Overrun, QStringLiteral("Received comOverrun")},
        {SerialEvent::CdTimeout, QStringLiteral("Received comCDTO")},
        {SerialEvent::RxOver, QStringLiteral("Received comRxOver")},
        {SerialEvent::RxParity, QStringLiteral(" RxParityErr ")},
        {SerialEvent::TxFull, QStringLiteral("Received comTxFull")},
    };
    return texts.value(kind);
}
} // namespace

Link::Link(SerialPort* port, Clock* clock, Tone* tone, MonitorModel* model, QObject* parent)
    : QObject(parent), m_port(port), m_clock(clock), m_model(model),
      m_queue(new TransmitQueue(port, clock, tone, this)), m_tmrConnect(clock->createTimer(this)),
      m_tmrKeepAlive(clock->createTimer(this)), m_exclamationSettle(clock->createTimer(this)) {
    m_exclamationSettle->setSingleShot(true);
    connect(m_exclamationSettle, &Timer::timeout, this, [this] {
        if (m_exclamationPending)
            refusalReceived();
    });
    connect(m_port, &SerialPort::portEvent, this, &Link::handlePortEvent);
    connect(m_tmrKeepAlive, &Timer::timeout, this, &Link::keepAliveTick);
    connect(m_tmrConnect, &Timer::timeout, this, &Link::answerTimeoutTick);
    connect(m_queue, &TransmitQueue::lineWritten, this, &Link::onLineWritten);
    connect(m_queue, &TransmitQueue::requestWritten, this, &Link::onRequestWritten);
    connect(m_queue, &TransmitQueue::kickDefeated, this, &Link::kickFired);
}

bool Link::openPort(int portNumber, const QString& lineSettings) {
    if (m_port->isOpen())
        m_port->close();
    m_model->monitorResponding = false;
    m_exclamationPending = false;
    m_exclamationSettle->stop();
    m_lastPortNumber = portNumber;
    m_lastLineSettings = lineSettings;
    if (!m_port->open(portNumber, lineSettings)) {
        noteOpenFailure();
        return false;
    }
    m_portLost = false;
    m_openFailed = false;
    m_portTrouble.clear();
    m_troubleKey.clear();
    if (m_port->bytesWaiting() > 0)
        m_port->readAll();
    return true;
}

bool Link::reopenIfLost() {
    if ((!m_portLost && !m_openFailed) || m_port->isOpen())
        return m_port->isOpen();
    const bool wasLost = m_portLost;
    const QString toldBefore = m_troubleKey;
    if (!openPort(m_lastPortNumber, m_lastLineSettings)) {
        if (m_troubleKey != toldBefore && !m_portTrouble.isEmpty())
            emit portTroubleFound(m_portTrouble);
        return false;
    }
    logEvent(wasLost ? QStringLiteral("Port open again") : QStringLiteral("Port open"));
    return true;
}

void Link::noteOpenFailure() {
    m_openFailed = true;
    const OpenFailure failure = m_port->openFailure();
    const QString key = m_port->deviceName() + QLatin1Char('\n') + QString::number(failure.kind);
    if (key == m_troubleKey)
        return;
    m_troubleKey = key;
    m_portTrouble = m_explainOpenFailure ? m_explainOpenFailure(m_port->deviceName(), failure) : failure.systemText;
    if (!m_portTrouble.isEmpty())
        logEvent(QStringLiteral("Port not opened: ") + m_portTrouble.simplified());
}

void Link::setMonitorConnected(bool connected) {
    m_monitorConnected = connected;
    if (!connected) {
        m_tmrConnect->stop();
        resetPing();
    }
}

void Link::setIndicatorGreen(bool green) {
    m_indicatorGreen = green;
    emit indicatorChanged(green);
}

void Link::setAutoPingEnabled(bool on) {
    if (on == m_autoPingEnabled)
        return;
    m_autoPingEnabled = on;
    if (on)
        m_tmrKeepAlive->start(keepAliveSearchMs);
    emit autoPingChanged(on);
}

void Link::startKeepAlive(int intervalMs) {
    m_tmrConnect->stop();
    m_tmrKeepAlive->start(intervalMs);
}

void Link::restartDownloadKeepAlive() {
    m_tmrKeepAlive->start(downloadKeepAliveInterval);
}

void Link::stopKeepAlive() {
    m_tmrKeepAlive->stop();
    m_tmrConnect->stop();
    resetPing();
}

void Link::resetPing() {
    m_pingOutstanding = false;
    m_pingWritten = false;
}

void Link::writeDirect(const QByteArray& data) {
    m_port->write(data);
    m_statistics.noteDirectWrite(int(data.size()));
    m_history.logWritten(data);
    if (logToWindow && m_log)
        m_log->logSent(data);
}

void Link::logEvent(const QString& text) {
    m_history.logEvent(text);
    if (m_log)
        m_log->logEvent(text);
    emit eventLogged(text);
}

void Link::logLinkEvent(const QString& text) {
    if (m_log)
        m_log->logLinkEvent(text);
}

void Link::logReceivedChar(QChar c) {
    m_history.logReceivedChar(c);
    if (logToWindow && m_log)
        m_log->logReceivedChar(c);
}

void Link::logReceivedLineEnd() {
    m_history.logReceivedLineEnd();
    if (logToWindow && m_log)
        m_log->logReceivedLineEnd();
}

void Link::kickFired() {
    // Lines still queued behind a written line that has had no answer: a retry the monitor's silence defeated.
    m_statistics.noteRetry();
}

void Link::handlePortEvent(int kind) {
    if (kind == SerialEvent::Receive) {
        processReceived(QString::fromLatin1(m_port->readAll()));
    } else if (kind == SerialEvent::Send) {
        m_port->setSendThreshold(0);
        logEvent(QStringLiteral("Received comEvSend"));
    } else if (kind == SerialEvent::ReadError) {
        portFailed(QStringLiteral("Port read error"));
    } else if (kind == SerialEvent::WriteError) {
        portFailed(QStringLiteral("Port write error"));
    } else if (kind == SerialEvent::DeviceLost) {
        portFailed(QStringLiteral("Port lost"));
    } else if (kind == SerialEvent::OtherError) {
        portFailed(QStringLiteral("Port error"));
    } else {
        const QString text = eventText(kind);
        if (!text.isEmpty())
            logEvent(text);
    }
}

void Link::portFailed(const QString& what) {
    const QString detail = m_port->lastError();
    logEvent(detail.isEmpty() ? what : what + QStringLiteral(": ") + detail);
    if (m_port->isOpen())
        return;
    m_portLost = true;
    // Nothing more can come over a closed port: a connected link is lost now rather than after a time-out.
    const bool connected = m_model->monitorResponding || m_monitorConnected;
    m_tmrConnect->stop();
    m_tmrKeepAlive->stop();
    resetPing();
    emit portLost(detail.isEmpty() ? what : detail);
    if (connected) {
        m_statistics.noteConnectionLost();
        logLinkEvent(QStringLiteral("Connection lost: the port %1 was lost").arg(m_port->deviceName()));
        emit connectionLost();
    }
}

void Link::processReceived(const QString& text) {
    m_receivedLater += text;
    if (m_receiving)
        return;
    m_receiving = true;
    while (!m_receivedLater.isEmpty()) {
        QString chunk;
        chunk.swap(m_receivedLater);
        processChunk(chunk);
    }
    m_receiving = false;
}

void Link::processChunk(const QString& text) {
    for (const QChar c : text) {
        if (m_exclamationPending) {
            m_exclamationPending = false;
            m_exclamationSettle->stop();
            if (c == QLatin1Char('\r') || c == QLatin1Char('\n'))
                refusalReceived();
        }
        if (c == QLatin1Char('\r')) {
            if (m_lastPrompt != Prompt::None) {
                m_lastPrompt = Prompt::None;
            } else {
                appendReceived(QLatin1Char('\r'));
                appendReceived(QLatin1Char('\n'));
            }
            logReceivedLineEnd();
            continue;
        }
        if (c == QLatin1Char('\n')) {
            if (logToWindow && m_log)
                m_log->logReceivedLineFeed();
            continue;
        }
        // Only the line end that directly follows a prompt belongs to it: a monitor that sends none after its
        // prompt starts the next answer with the echo, whose own line end is text.
        m_lastPrompt = Prompt::None;
        logReceivedChar(c);
        if (c == QLatin1Char('#') || c == QLatin1Char('$')) {
            m_receiveBuffer += c;
            promptReceived();
        } else if (c == QLatin1Char('!')) {
            appendReceived(c);
            m_exclamationPending = true;
            m_exclamationSettle->start(exclamationSettleMs);
        } else {
            appendReceived(c);
        }
    }
}

void Link::appendReceived(QChar c) {
    if (m_receiveBuffer.size() < maxAnswerChars) {
        m_receiveBuffer += c;
        return;
    }
    if (!m_answerOverflow) {
        m_answerOverflow = true;
        logEvent(QStringLiteral("Answer longer than %1 characters: the rest up to the next prompt is dropped")
                     .arg(maxAnswerChars));
    }
}

void Link::promptReceived() {
    m_answerOverflow = false;
    m_tmrConnect->stop();
    // The keep-alive ping has had its answer once a prompt follows its write.
    if (m_pingWritten)
        resetPing();
    if (m_model->monitorResponding)
        m_tmrKeepAlive->start(keepAliveIdleMs);
    m_lastPrompt = Prompt::Answer;
    m_statistics.noteAnswer(m_clock->nowMs());
    QString answer;
    answer.swap(m_receiveBuffer);
    if (m_dispatch)
        m_dispatch(answer);
    m_queue->answerReceived(answer);
    // An answer that leaves a connected monitor "not responding" (line noise that reads as a prompt answer
    // without its "#") would otherwise silence the keep-alive for good: ask the monitor again at once.
    if (m_monitorConnected && !m_model->monitorResponding)
        keepAliveTick();
}

void Link::refusalReceived() {
    m_exclamationPending = false;
    m_exclamationSettle->stop();
    m_answerOverflow = false;
    m_tmrConnect->stop();
    if (m_pingWritten)
        resetPing();
    m_statistics.noteRejection();
    if (m_model->monitorResponding)
        m_tmrKeepAlive->start(keepAliveErrorMs);
    m_lastPrompt = Prompt::Exclamation;
    QString refused;
    refused.swap(m_receiveBuffer);
    const std::optional<Request> request = m_queue->requestOnWire();
    // A refusal of the request in flight answers it: the requests queued behind it go on. A download's
    // rejected record is the download's to tell.
    if (m_queue->refusalReceived(refused) && request && request->kind != Request::Kind::Record)
        logEvent(QStringLiteral("Refused by the monitor: ") + request->text);
}

void Link::keepAliveTick() {
    if (!m_autoPingEnabled || !(m_model->monitorResponding || m_monitorConnected)) {
        m_tmrConnect->stop();
        resetPing();
        return;
    }
    // A running time-out is never restarted: the silence it measures would otherwise never be reported.
    if (m_tmrConnect->isActive())
        return;
    // One keep-alive ping at a time; a new one when the last was answered or cleared off an idle queue.
    if (!m_pingOutstanding || !m_queue->awaitingAnswer()) {
        resetPing();
        m_pingOutstanding = true;
        m_queue->submit({Request::Kind::Ping, Catalogue::ping(), {}});
    }
    // The time-out runs from a write. A line already on the wire still owes its answer, so the count starts
    // now; otherwise it starts when the next line (the ping or one ahead of it) is written.
    if (m_queue->lineOnWire())
        m_tmrConnect->start(answerTimeoutMs);
}

void Link::onLineWritten(const QByteArray& line) {
    m_statistics.noteLineWritten(m_clock->nowMs());
    m_history.logWritten(line);
    if (logToWindow && m_log)
        m_log->logSent(line);
}

void Link::onRequestWritten(RequestId, const Request& request) {
    if (!m_pingOutstanding)
        return;
    m_tmrConnect->start(answerTimeoutMs);
    if (request.kind == Request::Kind::Ping)
        m_pingWritten = true;
}

void Link::answerTimeoutTick() {
    m_statistics.noteTimeOut();
    m_queue->answerTimedOut();
    const bool wasConnected = m_model->monitorResponding || m_monitorConnected;
    m_tmrConnect->stop();
    m_tmrKeepAlive->stop();
    resetPing();
    if (wasConnected) {
        m_statistics.noteConnectionLost();
        const QString text = QStringLiteral("No answer within %1 ms: connection lost").arg(answerTimeoutMs);
        m_history.logEvent(text);
        logLinkEvent(text);
        emit connectionLost();
    }
}
