#pragma once
// One request line on the wire at a time. Each write waits 100 ms on a timer (the line counts as in flight
// meanwhile), and a 2000 ms one-shot kick retries the queue when an answer never releases it.
#include <QByteArray>
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
    void sendNextRequest();
    // Empties the queue and releases the link; beeps when an answer was still awaited.
    void clearQueue();
    // The log window's "Clear Xmit Queue": the queue and a line still waiting out its pause (nothing can answer
    // a line that never went out, so the link is released then); an answer to a written line stays awaited.
    void clearQueuedText();
    // Called by the receive path after an answer ended by "#" or "$" has been dispatched.
    void answerDispatched();
    // Called when a "!" ended the text: the kick retries when nothing else is queued.
    void exclamationReceived();

    const QString& transmitQueue() const { return m_transmitQueue; }
    // Whether a line equal to this request (a line feed is added when it holds none) still waits to be written:
    // in the queue, or taken and waiting for its write pause.
    bool holdsRequest(const QString& text) const;
    bool awaitingAnswer() const { return m_awaitingAnswer; }
    bool writePending() const;
    // A written line is waiting for its answer (not merely taken and pausing before the write).
    bool lineOnWire() const;
    Timer* tmrKickXmitQueue() const { return m_kick; }

signals:
    void lineWritten(const QByteArray& line);

private:
    void writeTakenLine();

    SerialPort* m_port;
    Tone* m_tone;
    Timer* m_pause;
    Timer* m_kick;
    QString m_transmitQueue;
    QByteArray m_takenLine;
    bool m_awaitingAnswer = false;
    bool m_queueWriting = false;
    bool m_queueTaking = false;
};
