#pragma once
// The monitor link: the open port, the transmit queue, the receive framing that cuts answers at the prompts,
// and the keep-alive with its answer time-out.
#include "link/LinkStatistics.h"
#include "link/LogHistory.h"
#include "link/Request.h"

#include <QObject>
#include <QString>
#include <functional>

class Clock;
class LogSink;
struct OpenFailure;
class MonitorModel;
class SerialPort;
class Timer;
class Tone;
class TransmitQueue;

class Link : public QObject {
    Q_OBJECT
public:
    enum class Prompt { None, Answer, Exclamation };
    static constexpr int keepAliveSearchMs = 2000;
    static constexpr int keepAliveIdleMs = 5000;
    static constexpr int keepAliveErrorMs = 2000;
    static constexpr int answerTimeoutMs = 2000;
    static constexpr int downloadKeepAliveMs = 7000;
    // A "!" refuses the line on the wire only where it ends the answer: followed by a line end, or by nothing
    // more within this time (a few character times at the slowest rate, with room for how a port delivers
    // characters in bursts). Followed by anything else it is text, such as a name that holds it.
    static constexpr int exclamationSettleMs = 20;
    // Far above any real answer: what arrives beyond it before the next prompt is dropped.
    static constexpr int maxAnswerChars = 64 * 1024;

    Link(SerialPort* port, Clock* clock, Tone* tone, MonitorModel* model, QObject* parent = nullptr);

    SerialPort* port() const { return m_port; }
    TransmitQueue* queue() const { return m_queue; }
    MonitorModel* model() const { return m_model; }
    // Counts since start (the link report) and the last lines of traffic (the diagnostic report).
    LinkStatistics& statistics() { return m_statistics; }
    const LinkStatistics& statistics() const { return m_statistics; }
    const LogHistory& history() const { return m_history; }
    // The port number and line settings of the last open attempt.
    int portNumber() const { return m_lastPortNumber; }
    const QString& lineSettings() const { return m_lastLineSettings; }

    // Opens the port with the given number and line settings; closes it first and clears monitorResponding.
    bool openPort(int portNumber, const QString& lineSettings);
    // Opens the last port again after it failed and closed under the link (an adapter unplugged and plugged
    // back), or after it could not be opened (the other program closed, the adapter plugged in); true when the
    // port is open.
    bool reopenIfLost();

    // Turns a failed open into words a technician can act on (without it, the port's own error text).
    void setOpenFailureExplainer(std::function<QString(const QString& device, const OpenFailure&)> explain) {
        m_explainOpenFailure = std::move(explain);
    }
    // Why the last open failed; empty once the port is open.
    const QString& portTrouble() const { return m_portTrouble; }

    // The tool shows a connected state (Online or BootMode). While it does, the keep-alive guards the link even
    // when an answer has cleared monitorResponding, so the link never stays connected but mute.
    void setMonitorConnected(bool connected);
    bool monitorConnected() const { return m_monitorConnected; }

    void setDispatch(std::function<void(const QString&)> dispatch) { m_dispatch = std::move(dispatch); }
    void setLog(LogSink* log) { m_log = log; }
    LogSink* log() const { return m_log; }

    bool logToWindow = false;
    bool bypassQueue = true;
    int downloadKeepAliveInterval = downloadKeepAliveMs;

    // Keep-alive pings are sent only while auto-ping is on. The log window's button and its setting, and a flash
    // download (off while it runs, the user's choice back when it ends) change it, all through this setter.
    bool autoPingEnabled() const { return m_autoPingEnabled; }
    // Switching it on restarts the keep-alive countdown (2000 ms).
    void setAutoPingEnabled(bool on);

    // The timers are the link's own: others may look, never start or stop them.
    const Timer* tmrConnect() const { return m_tmrConnect; }
    const Timer* tmrKeepAlive() const { return m_tmrKeepAlive; }
    Prompt lastPrompt() const { return m_lastPrompt; }
    const QString& receiveBuffer() const { return m_receiveBuffer; }

    // Both indicators (connection window, log window) show this: red while no monitor, green while one is.
    bool indicatorGreen() const { return m_indicatorGreen; }
    void setIndicatorGreen(bool green);

    // Starts the keep-alive after a successful search (the answer time-out of the search's ping ends).
    void startKeepAlive(int intervalMs = keepAliveSearchMs);
    void stopKeepAlive();
    // A download record is going out: the monitor has the download interval before the next ping.
    void restartDownloadKeepAlive();
    // Typed characters and request lines in bypass mode go straight to the port (and to the log's view of what
    // the tool sends).
    void writeDirect(const QByteArray& data);

    // The port's event handler (also used by tests with a fake port).
    void handlePortEvent(int kind);
    void logEvent(const QString& text);
    void logLinkEvent(const QString& text);
    void processReceived(const QString& text);

signals:
    void indicatorChanged(bool green);
    // Reopening found the port failing for a reason not told before (each reason is told once, not per try).
    void portTroubleFound(const QString& text);
    // The open port failed and closed (why: the port's words); connectionLost follows when a monitor was
    // connected.
    void portLost(const QString& why);
    // No prompt within the answer time-out while the monitor was responding, or the port lost while it was: the
    // connection is lost.
    void connectionLost();
    void autoPingChanged(bool on);
    // A port or link event was logged (for the main window's status).
    void eventLogged(const QString& text);

private:
    void processChunk(const QString& text);
    void appendReceived(QChar c);
    void promptReceived();
    void keepAliveTick();
    void answerTimeoutTick();
    void onLineWritten(const QByteArray& line);
    void onRequestWritten(RequestId id, const Request& request);
    // The "!" that ended the text refuses the line on the wire.
    void refusalReceived();
    void resetPing();
    void portFailed(const QString& what);
    // Explains and logs a failed open whose reason was not told before.
    void noteOpenFailure();
    void logReceivedChar(QChar c);
    void logReceivedLineEnd();
    void kickFired();

    SerialPort* m_port;
    Clock* m_clock;
    MonitorModel* m_model;
    TransmitQueue* m_queue;
    Timer* m_tmrConnect;
    Timer* m_tmrKeepAlive;
    LogSink* m_log = nullptr;
    std::function<void(const QString&)> m_dispatch;
    Timer* m_exclamationSettle;
    // A "!" has been received and what follows it decides whether it ends the answer.
    bool m_exclamationPending = false;
    std::function<QString(const QString&, const OpenFailure&)> m_explainOpenFailure;
    QString m_receiveBuffer;
    // Characters that arrived while an answer was being handled (a handler's message box runs an event loop);
    // they are taken in order once that answer is done.
    QString m_receivedLater;
    bool m_receiving = false;
    Prompt m_lastPrompt = Prompt::None;
    bool m_indicatorGreen = false;
    bool m_autoPingEnabled = true;
    bool m_monitorConnected = false;
    // A keep-alive ping is queued and its answer not yet in; once it is written, the next prompt ends it.
    bool m_pingOutstanding = false;
    bool m_pingWritten = false;
    // The answer being collected has reached maxAnswerChars; the rest up to the next prompt is dropped.
    bool m_answerOverflow = false;
    bool m_portLost = false;
    bool m_openFailed = false;
    QString m_portTrouble;
    // Device and kind of the reason last told.
    QString m_troubleKey;
    int m_lastPortNumber = 0;
    QString m_lastLineSettings;
    LinkStatistics m_statistics;
    LogHistory m_history;
};
