#include "link/TransmitQueue.h"

#include "platform/Clock.h"
#include "platform/SerialPort.h"
#include "platform/Tone.h"

TransmitQueue::TransmitQueue(SerialPort* port, Clock* clock, Tone* tone, QObject* parent)
    : QObject(parent), m_port(port), m_tone(tone), m_pause(clock->createTimer(this)), m_kick(clock->createTimer(this)) {
    m_pause->setSingleShot(true);
    m_pause->setInterval(writePauseMs);
    m_kick->setSingleShot(true);
    m_kick->setInterval(kickMs);
    connect(m_pause, &Timer::timeout, this, &TransmitQueue::writeTakenLine);
    connect(m_kick, &Timer::timeout, this, [this] {
        m_kick->stop();
        if (!m_transmitQueue.isEmpty())
            sendNextRequest();
    });
}

void TransmitQueue::queueRequest(const QString& text) {
    if (text.isEmpty())
        return;
    // Everything runs on one thread, so the marks are never found set here; they guard re-entry only.
    Q_ASSERT(!m_queueWriting && !m_queueTaking);
    m_queueWriting = true;
    QString line = text;
    if (!line.contains(QLatin1Char('\n')))
        line += QLatin1Char('\n');
    m_transmitQueue += line;
    const bool wasAwaiting = m_awaitingAnswer;
    m_queueWriting = false;
    if (!wasAwaiting)
        sendNextRequest();
}

void TransmitQueue::queueCommand(const QString& command) {
    if (!command.isEmpty())
        queueRequest(command + QStringLiteral("\r\n"));
}

bool TransmitQueue::holdsRequest(const QString& text) const {
    QString line = text;
    if (!line.contains(QLatin1Char('\n')))
        line += QLatin1Char('\n');
    if (m_pause->isActive() && QString::fromLatin1(m_takenLine) == line)
        return true;
    // Every queued line ends with its line feed, so a line starts after one (or at the start).
    return (QLatin1Char('\n') + m_transmitQueue).contains(QLatin1Char('\n') + line);
}

bool TransmitQueue::writePending() const { return m_pause->isActive(); }

bool TransmitQueue::lineOnWire() const { return m_awaitingAnswer && !m_pause->isActive(); }

void TransmitQueue::sendNextRequest() {
    // A line whose pause is still running is in flight too: it must reach the wire before the next one.
    if (m_awaitingAnswer || m_pause->isActive() || m_transmitQueue.isEmpty())
        return;
    m_awaitingAnswer = true;
    m_queueTaking = true;
    const int p = m_transmitQueue.indexOf(QLatin1Char('\n')) + 1;
    if (p > 0 && p < m_transmitQueue.size()) {
        m_takenLine = m_transmitQueue.left(p).toLatin1();
        m_transmitQueue.remove(0, p);
    } else {
        m_takenLine = m_transmitQueue.toLatin1();
        m_transmitQueue.clear();
    }
    m_queueTaking = false;
    m_pause->start(writePauseMs);
}

void TransmitQueue::writeTakenLine() {
    const QByteArray line = m_takenLine;
    m_takenLine.clear();
    m_port->write(line);
    emit lineWritten(line);
    m_kick->start(kickMs);
}

void TransmitQueue::clearQueue() {
    if (m_awaitingAnswer) {
        if (m_tone)
            m_tone->play(250, 250);
        m_transmitQueue.clear();
        m_awaitingAnswer = false;
    } else {
        m_transmitQueue.clear();
    }
}

void TransmitQueue::clearQueuedText() {
    m_transmitQueue.clear();
    if (m_pause->isActive()) {
        m_pause->stop();
        m_takenLine.clear();
        m_awaitingAnswer = false;
    }
}

void TransmitQueue::answerDispatched() {
    m_awaitingAnswer = false;
    if (!m_transmitQueue.isEmpty())
        sendNextRequest();
}

void TransmitQueue::exclamationReceived() {
    if (m_transmitQueue.isEmpty())
        m_kick->start(kickMs);
}
