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
    appendLine(QString(), line);
    const bool wasAwaiting = m_awaitingAnswer;
    m_queueWriting = false;
    if (!wasAwaiting)
        sendNextRequest();
}

void TransmitQueue::queueCommand(const QString& command) {
    if (!command.isEmpty())
        queueRequest(command + QStringLiteral("\r\n"));
}

void TransmitQueue::queueSetting(const QString& key, const QString& command) {
    const QString line = command + QStringLiteral("\r\n");
    // Only a whole line of its own can stand for a setting: a command holding a line feed, or a queue whose last
    // request left its line open, goes as any other request.
    const bool ownLine = !command.contains(QLatin1Char('\n')) &&
                         (m_transmitQueue.isEmpty() || m_transmitQueue.endsWith(QLatin1Char('\n')));
    if (command.isEmpty() || key.isEmpty() || !ownLine) {
        queueCommand(command);
        return;
    }
    Q_ASSERT(!m_queueWriting && !m_queueTaking);
    m_queueWriting = true;
    if (!replaceWaitingSetting(key, line))
        appendLine(key, line);
    const bool wasAwaiting = m_awaitingAnswer;
    m_queueWriting = false;
    if (!wasAwaiting)
        sendNextRequest();
}

void TransmitQueue::appendLine(const QString& key, const QString& line) {
    m_transmitQueue += line;
    if (key.isEmpty() && !m_parts.isEmpty() && m_parts.last().key.isEmpty())
        m_parts.last().length += line.size();
    else
        m_parts.append({key, int(line.size())});
}

bool TransmitQueue::replaceWaitingSetting(const QString& key, const QString& line) {
    // From the newest line back: settings of other keys may be passed over, anything else stops the search.
    int end = m_transmitQueue.size();
    for (int k = m_parts.size() - 1; k >= 0; --k) {
        Part& part = m_parts[k];
        if (part.key.isEmpty())
            return false;
        const int start = end - part.length;
        if (part.key == key) {
            m_transmitQueue.replace(start, part.length, line);
            part.length = line.size();
            return true;
        }
        end = start;
    }
    // Only settings wait (or nothing): the line in its write pause comes before them all.
    if (m_pause->isActive() && m_takenKey == key) {
        m_takenLine = line.toLatin1();
        return true;
    }
    return false;
}

QString TransmitQueue::cutParts(int n) {
    QString key;
    if (!m_parts.isEmpty() && m_parts.first().length == n)
        key = m_parts.first().key;
    while (n > 0 && !m_parts.isEmpty()) {
        Part& first = m_parts.first();
        if (first.length <= n) {
            n -= first.length;
            m_parts.removeFirst();
        } else {
            // Part of a request's text stays queued: what is left is no whole setting any more.
            first.length -= n;
            first.key.clear();
            n = 0;
        }
    }
    return key;
}

int TransmitQueue::waitingSettings(const QString& key) const {
    if (key.isEmpty())
        return 0;
    int n = m_pause->isActive() && m_takenKey == key ? 1 : 0;
    for (const Part& part : m_parts)
        if (part.key == key)
            ++n;
    return n;
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

bool TransmitQueue::writePending() const {
    return m_pause->isActive();
}

bool TransmitQueue::lineOnWire() const {
    return m_awaitingAnswer && !m_pause->isActive();
}

void TransmitQueue::sendNextRequest() {
    // A line whose pause is still running is in flight too: it must reach the wire before the next one.
    if (m_awaitingAnswer || m_pause->isActive() || m_transmitQueue.isEmpty())
        return;
    m_awaitingAnswer = true;
    m_queueTaking = true;
    const int p = m_transmitQueue.indexOf(QLatin1Char('\n')) + 1;
    if (p > 0 && p < m_transmitQueue.size()) {
        m_takenLine = m_transmitQueue.left(p).toLatin1();
        m_takenKey = cutParts(p);
        m_transmitQueue.remove(0, p);
    } else {
        m_takenLine = m_transmitQueue.toLatin1();
        m_takenKey = cutParts(m_transmitQueue.size());
        m_transmitQueue.clear();
    }
    m_queueTaking = false;
    m_pause->start(writePauseMs);
}

void TransmitQueue::writeTakenLine() {
    const QByteArray line = m_takenLine;
    m_takenLine.clear();
    m_takenKey.clear();
    m_writtenLine = line;
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
    m_parts.clear();
}

void TransmitQueue::clearQueuedText() {
    m_transmitQueue.clear();
    m_parts.clear();
    if (m_pause->isActive()) {
        m_pause->stop();
        m_takenLine.clear();
        m_takenKey.clear();
        m_awaitingAnswer = false;
    }
}

void TransmitQueue::answerDispatched() {
    m_awaitingAnswer = false;
    if (!m_transmitQueue.isEmpty())
        sendNextRequest();
}

bool TransmitQueue::exclamationReceived() {
    if (lineOnWire()) {
        answerDispatched();
        return true;
    }
    if (m_transmitQueue.isEmpty())
        m_kick->start(kickMs);
    return false;
}
