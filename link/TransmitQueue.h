#pragma once
// One request line on the wire at a time. Each write waits 100 ms on a timer (the line counts as in flight
// meanwhile), and a 2000 ms one-shot kick retries the queue when an answer never releases it. The queue holds
// typed requests and adds each one's line end itself; every request it accepts ends in exactly one outcome
// (answered, refused, timed out or dropped), told by requestSettled.
//
// Settings (a slider's value sent to one DAC) are queued with a key that names what they set. A newer value
// replaces one of the same key that still waits, so a held arrow key or a fast drag never leaves a backlog of
// stale values: the newest value keeps the place of the one it replaces (order between different settings
// stays) and always goes out. It replaces only while every line queued after the waiting one is itself a
// setting: a value never moves across a scan-set select, a save, a read or any other request, since that would
// change where it lands or what is saved. A line taken off the queue and still in its write pause has not been
// written yet and is replaced the same way; a written line is never touched. The replaced request and its
// replacement are one request: it keeps its id and has one outcome.
#include "link/Request.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <optional>

class Clock;
class SerialPort;
class Timer;
class Tone;

class TransmitQueue : public QObject {
    Q_OBJECT
public:
    static constexpr int writePauseMs = 100;
    static constexpr int kickMs = 2000;

    TransmitQueue(SerialPort* port, Clock* clock, Tone* tone, QObject* parent = nullptr);

    // Queues a request (its text without a line end; CR LF is added) and writes it when the link is idle. A
    // setting with a key replaces a waiting one of the same key as described above. 0 for an empty text.
    RequestId submit(const Request& request);
    // Raw text as typed (the log window): each line is a typed request of its own; a line without a line feed
    // gets one. The id of the last line.
    RequestId queueRequest(const QString& text);
    RequestId queueCommand(const QString& command) { return submit({Request::Kind::Command, command, {}}); }
    RequestId queueSetting(const QString& key, const QString& command) {
        return submit({Request::Kind::Setting, command, key});
    }
    void sendNextRequest();
    // Empties the queue and releases the link; beeps when an answer was still awaited. Every request not yet
    // answered is dropped.
    void clearQueue();
    // The log window's "Clear Xmit Queue": the queue and a line still waiting out its pause (nothing can answer
    // a line that never went out, so the link is released then); an answer to a written line stays awaited.
    void clearQueuedText();
    // The receive path has dispatched an answer ended by "#" or "$": it answers the line on the wire.
    void answerReceived(const QString& answer);
    // A "!" ended the answer. With a written line awaiting its answer, the monitor refused that request: the
    // link is released and the next line goes, as after any answer; returns true. Otherwise (nothing on the
    // wire) the kick retries when nothing else is queued; returns false.
    bool refusalReceived(const QString& text);
    // No prompt came within the answer time-out: the line on the wire has timed out. The link stays awaiting
    // (the search releases it), so the wire is as before.
    void answerTimedOut();

    // The queued lines, in order, as they will be written (for the log window and the tests).
    QString transmitQueue() const;
    bool isPending(RequestId id) const;
    // A request of this text waits or awaits its answer (a window asks before it reads the same values again).
    bool holdsRequest(const QString& text) const;
    // Nothing queued, nothing waiting out its pause, no answer awaited.
    bool isIdle() const { return !m_awaitingAnswer && !writePending() && m_entries.isEmpty(); }
    // How many lines of a setting key wait to be written: queued, or taken and waiting for the write pause.
    int waitingSettings(const QString& key) const;
    bool awaitingAnswer() const { return m_awaitingAnswer; }
    bool writePending() const;
    // A written line is waiting for its answer (not merely taken and pausing before the write).
    bool lineOnWire() const;
    // What the line on the wire is for; empty when none is.
    std::optional<Request> requestOnWire() const;

signals:
    void lineWritten(const QByteArray& line);
    void requestWritten(RequestId id, const Request& request);
    void requestSettled(const RequestOutcome& outcome);
    // The kick found lines queued behind a written line that has had no answer.
    void kickDefeated();

private:
    struct Entry {
        RequestId id = 0;
        Request request;
        QByteArray line;
    };

    RequestId append(const Request& request, const QByteArray& line);
    // Puts a setting's line in place of a waiting one of the same key; its id, or 0 when the rule forbids it.
    RequestId replaceWaitingSetting(const Request& request, const QByteArray& line);
    void writeTakenLine();
    void settle(Entry& entry, RequestOutcome::Ending ending, const QString& answer, bool written);
    void dropQueued();

    SerialPort* m_port;
    Tone* m_tone;
    Timer* m_pause;
    Timer* m_kick;
    QList<Entry> m_entries;
    std::optional<Entry> m_taken;
    // Written and not yet settled.
    std::optional<Entry> m_written;
    RequestId m_nextId = 1;
    bool m_awaitingAnswer = false;
};
