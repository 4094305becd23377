#pragma once
// One request line on the wire at a time. Each write waits 100 ms on a timer (the line counts as in flight
// meanwhile), and a 2000 ms one-shot kick retries the queue when an answer never releases it.
//
// Settings (a slider's value sent to one DAC) are queued with a key that names what they set. A newer value
// replaces one of the same key that still waits, so a held arrow key or a fast drag never leaves a backlog of
// stale values: the newest value keeps the place of the one it replaces (order between different settings
// stays) and always goes out. It replaces only while every line queued after the waiting one is itself a
// setting: a value never moves across a scan-set select, a save, a read or any other request, since that would
// change where it lands or what is saved. A line taken off the queue and still in its write pause has not been
// written yet and is replaced the same way; a written line is never touched.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

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

    // Appends a request line (a line feed is added when it holds none) and writes it when the link is idle.
    void queueRequest(const QString& text);
    // A command text from the catalogue: CR LF is appended before queueing.
    void queueCommand(const QString& command);
    // A setting command from the catalogue with the key of what it sets (CR LF is appended): replaces a waiting
    // line of the same key as described above, otherwise is queued like queueCommand. An empty key queues it
    // like queueCommand.
    void queueSetting(const QString& key, const QString& command);
    void sendNextRequest();
    // Empties the queue and releases the link; beeps when an answer was still awaited.
    void clearQueue();
    // The log window's "Clear Xmit Queue": the queue and a line still waiting out its pause (nothing can answer
    // a line that never went out, so the link is released then); an answer to a written line stays awaited.
    void clearQueuedText();
    // Called by the receive path after an answer ended by "#" or "$" has been dispatched.
    void answerDispatched();
    // Called when a "!" ended the text. With a written line awaiting its answer, the "!" is that answer (the
    // monitor refused the request): the link is released and the next line goes, as after any answer; returns
    // true. Otherwise (nothing on the wire) the kick retries when nothing else is queued; returns false.
    bool exclamationReceived();

    const QString& transmitQueue() const { return m_transmitQueue; }
    // Whether a line equal to this request (a line feed is added when it holds none) still waits to be written:
    // in the queue, or taken and waiting for its write pause.
    bool holdsRequest(const QString& text) const;
    // How many lines of a setting key wait to be written: queued, or taken and waiting for the write pause.
    int waitingSettings(const QString& key) const;
    bool awaitingAnswer() const { return m_awaitingAnswer; }
    bool writePending() const;
    // A written line is waiting for its answer (not merely taken and pausing before the write).
    bool lineOnWire() const;
    // That line; empty when none is on the wire.
    QByteArray lineInFlight() const { return lineOnWire() ? m_writtenLine : QByteArray(); }
    Timer* tmrKickXmitQueue() const { return m_kick; }

signals:
    void lineWritten(const QByteArray& line);

private:
    // The queued text divided by what queued it, in order, covering the text exactly: a setting is one whole
    // line with its key; other requests have an empty key (adjacent ones share one part).
    struct Part {
        QString key;
        int length = 0;
    };

    void writeTakenLine();
    void appendLine(const QString& key, const QString& line);
    // Puts a setting's line in place of a waiting one of the same key; false when the rule above forbids it.
    bool replaceWaitingSetting(const QString& key, const QString& line);
    // Forgets the parts of the first n characters (cut off the queue); returns the key of the line when they
    // were exactly one setting.
    QString cutParts(int n);

    SerialPort* m_port;
    Tone* m_tone;
    Timer* m_pause;
    Timer* m_kick;
    QString m_transmitQueue;
    QList<Part> m_parts;
    QByteArray m_takenLine;
    QByteArray m_writtenLine;
    QString m_takenKey;
    bool m_awaitingAnswer = false;
    bool m_queueWriting = false;
    bool m_queueTaking = false;
};
