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
        if (m_entries.isEmpty())
            return;
        if (lineOnWire())
            emit kickDefeated();
        sendNextRequest();
    });
}

RequestId TransmitQueue::submit(const Request& request) {
    if (request.text.isEmpty())
        return 0;
    // A text holding its own line feed is no single request: it goes as typed lines.
    if (request.text.contains(QLatin1Char('\n')))
        return queueRequest(request.text);
    const QByteArray line = (request.text + QStringLiteral("\r\n")).toLatin1();
    RequestId id = 0;
    if (request.kind == Request::Kind::Setting && !request.key.isEmpty())
        id = replaceWaitingSetting(request, line);
    if (id == 0)
        id = append(request, line);
    sendNextRequest();
    return id;
}

RequestId TransmitQueue::queueRequest(const QString& text) {
    RequestId id = 0;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype lf = text.indexOf(QLatin1Char('\n'), start);
        const qsizetype end = lf < 0 ? text.size() : lf + 1;
        QString line = text.mid(start, end - start);
        if (lf < 0)
            line += QLatin1Char('\n');
        Request request{Request::Kind::Typed, line.trimmed(), {}};
        id = append(request, line.toLatin1());
        start = end;
    }
    sendNextRequest();
    return id;
}

RequestId TransmitQueue::append(const Request& request, const QByteArray& line) {
    const RequestId id = m_nextId++;
    m_entries.append({id, request, line});
    return id;
}

RequestId TransmitQueue::replaceWaitingSetting(const Request& request, const QByteArray& line) {
    // From the newest line back: settings of other keys may be passed over, anything else stops the search.
    for (qsizetype k = m_entries.size() - 1; k >= 0; --k) {
        Entry& entry = m_entries[k];
        if (entry.request.kind != Request::Kind::Setting || entry.request.key.isEmpty())
            return 0;
        if (entry.request.key == request.key) {
            entry.request = request;
            entry.line = line;
            return entry.id;
        }
    }
    // Only settings wait (or nothing): the line in its write pause comes before them all.
    if (m_taken && m_taken->request.kind == Request::Kind::Setting && m_taken->request.key == request.key) {
        m_taken->request = request;
        m_taken->line = line;
        return m_taken->id;
    }
    return 0;
}

QString TransmitQueue::transmitQueue() const {
    QString text;
    for (const Entry& entry : m_entries)
        text += QString::fromLatin1(entry.line);
    return text;
}

bool TransmitQueue::isPending(RequestId id) const {
    if (id == 0)
        return false;
    if ((m_taken && m_taken->id == id) || (m_written && m_written->id == id))
        return true;
    for (const Entry& entry : m_entries)
        if (entry.id == id)
            return true;
    return false;
}

bool TransmitQueue::holdsRequest(const QString& text) const {
    const QString wanted = text.trimmed();
    if ((m_taken && m_taken->request.text == wanted) || (m_written && lineOnWire() && m_written->request.text == wanted))
        return true;
    for (const Entry& entry : m_entries)
        if (entry.request.text == wanted)
            return true;
    return false;
}

int TransmitQueue::waitingSettings(const QString& key) const {
    if (key.isEmpty())
        return 0;
    int n = m_taken && m_taken->request.key == key ? 1 : 0;
    for (const Entry& entry : m_entries)
        if (entry.request.key == key)
            ++n;
    return n;
}

bool TransmitQueue::writePending() const {
    return m_pause->isActive();
}

bool TransmitQueue::lineOnWire() const {
    return m_awaitingAnswer && !m_pause->isActive();
}

std::optional<Request> TransmitQueue::requestOnWire() const {
    if (lineOnWire() && m_written)
        return m_written->request;
    return std::nullopt;
}

void TransmitQueue::sendNextRequest() {
    // A line whose pause is still running is in flight too: it must reach the wire before the next one.
    if (m_awaitingAnswer || m_pause->isActive() || m_entries.isEmpty())
        return;
    m_awaitingAnswer = true;
    m_taken = m_entries.takeFirst();
    m_pause->start(writePauseMs);
}

void TransmitQueue::writeTakenLine() {
    if (!m_taken)
        return;
    Entry entry = *m_taken;
    m_taken.reset();
    // A line written while an earlier one is still unsettled (released by a kick) ends that one's wait.
    if (m_written)
        settle(*m_written, RequestOutcome::Ending::Dropped, QString(), true);
    m_written = entry;
    m_port->write(entry.line);
    emit lineWritten(entry.line);
    emit requestWritten(entry.id, entry.request);
    m_kick->start(kickMs);
}

void TransmitQueue::settle(Entry& entry, RequestOutcome::Ending ending, const QString& answer, bool written) {
    RequestOutcome outcome;
    outcome.id = entry.id;
    outcome.request = entry.request;
    outcome.ending = ending;
    outcome.answer = answer;
    outcome.written = written;
    if (m_written && m_written->id == entry.id)
        m_written.reset();
    emit requestSettled(outcome);
}

void TransmitQueue::dropQueued() {
    QList<Entry> dropped;
    dropped.swap(m_entries);
    for (Entry& entry : dropped)
        settle(entry, RequestOutcome::Ending::Dropped, QString(), false);
}

void TransmitQueue::clearQueue() {
    if (m_awaitingAnswer && m_tone)
        m_tone->play(250, 250);
    m_awaitingAnswer = false;
    // A line in its write pause still goes out (as it always has); its answer settles it.
    if (m_written) {
        Entry written = *m_written;
        settle(written, RequestOutcome::Ending::Dropped, QString(), true);
    }
    dropQueued();
}

void TransmitQueue::clearQueuedText() {
    if (m_pause->isActive()) {
        m_pause->stop();
        Entry taken = *m_taken;
        m_taken.reset();
        m_awaitingAnswer = false;
        settle(taken, RequestOutcome::Ending::Dropped, QString(), false);
    }
    dropQueued();
}

void TransmitQueue::answerReceived(const QString& answer) {
    m_awaitingAnswer = false;
    if (m_written && !m_pause->isActive()) {
        Entry written = *m_written;
        settle(written, RequestOutcome::Ending::Answered, answer, true);
    }
    if (!m_entries.isEmpty())
        sendNextRequest();
}

bool TransmitQueue::refusalReceived(const QString& text) {
    const bool onWire = lineOnWire();
    if (m_written && !m_pause->isActive()) {
        Entry written = *m_written;
        settle(written, RequestOutcome::Ending::Refused, text, true);
    }
    if (onWire) {
        m_awaitingAnswer = false;
        sendNextRequest();
        return true;
    }
    if (m_entries.isEmpty())
        m_kick->start(kickMs);
    return false;
}

void TransmitQueue::answerTimedOut() {
    if (!m_written || m_pause->isActive())
        return;
    Entry written = *m_written;
    settle(written, RequestOutcome::Ending::TimedOut, QString(), true);
}
