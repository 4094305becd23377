#pragma once
// One run of the command line against one monitor: the monitor session the windowed tool builds as well, the
// simulated monitor when asked for, and the file log. It opens the port, finds the monitor with the search's own
// rules and time-outs, and then lets a verb send requests one after another and wait for each one's outcome with
// the event loop running.
#include "cli/CliOptions.h"
#include "cli/Questions.h"
#include "link/FileLog.h"
#include "link/LogSink.h"
#include "link/Request.h"
#include "model/MonitorModel.h"

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

class ChangeRecorder;
class DataReadHandlers;
class HistoryStore;
class DownloadEngine;
class InterruptNotifier;
class Link;
class MonitorSession;
class QTimer;
class QtClock;
class Settings;
class Tone;
namespace sim {
class SimulatorProcess;
}

class Session : public QObject {
    Q_OBJECT
public:
    // Longest wait for one outcome. The link notices a silent monitor well before (keep-alive plus its answer
    // time-out), so this only guards against a wait that nothing ends.
    static constexpr int answerWithinMs = 15000;

    explicit Session(const CliOptions& options, QObject* parent = nullptr);
    ~Session() override;

    // Starts the simulated monitor if asked, opens the log file and the port. An exit status.
    int open();
    // The connection search; once the monitor is found running its firmware, its firmware version has been
    // read as well. An exit status.
    int find();

    // Queues one request (catalogue text; the queue adds the line end) and waits for its outcome. Done with the
    // answer, Refused when the monitor answered with "!", Interrupted when no answer came (or Ctrl-C came first,
    // unless despiteInterrupt: a request that puts the monitor back as it was is waited for all the same).
    int request(const QString& command, QString* answer = nullptr, bool despiteInterrupt = false);
    // Runs the event loop until pred holds; false when the time (ms, -1 none) ran out, the link was lost while
    // stopOnLost, or Ctrl-C came while stopOnInterrupt.
    bool waitFor(const std::function<bool()>& pred, int timeoutMs = -1, bool stopOnInterrupt = true,
                 bool stopOnLost = true);
    // Nothing queued, nothing waiting out its pause, no answer awaited.
    bool linkIdle() const;
    // Prints why a wait ended early and gives the status for it.
    int interruption(const QString& waitingFor);

    // From now on every change of this run is recorded in the monitor's history, named after source (the verb),
    // after a snapshot of what it replaces; the database's problems go to standard error.
    ChangeRecorder& recordChanges(const QString& source);

    bool lost() const { return m_lost; }
    bool interrupted() const;
    // Texts the monitor refused with "!" since the start.
    int refusals() const { return m_refusals; }
    // The file log failed after it was opened.
    bool logFailed() const { return m_logFailed; }
    QString deviceName() const;

    MonitorModel& model();
    MonitorSession* session() const { return m_session; }
    Link* link() const;
    DataReadHandlers* handlers() const;
    DownloadEngine* download() const;
    Questions& questions() { return m_questions; }
    QtClock& clock() { return *m_clock; }
    InterruptNotifier* interruptNotifier() const { return m_interrupt; }

private:
    // The link's traffic and port events into the file log.
    class FileLogSink : public LogSink {
    public:
        explicit FileLogSink(Session* s) : m_session(s) {}
        void logEvent(const QString& text) override;
        void logReceivedChar(QChar c) override;
        void logReceivedLineEnd() override;
        void logLinkEvent(const QString& text) override;

    private:
        void check(bool written);
        Session* m_session;
    };

    void takeOutcome(const RequestOutcome& outcome);

    const CliOptions m_options;
    InterruptNotifier* m_interrupt;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<QtClock> m_clock;
    std::unique_ptr<Tone> m_tone;
    Questions m_questions;
    MonitorSession* m_session;
    std::unique_ptr<sim::SimulatorProcess> m_simulator;
    FileLog m_fileLog;
    FileLogSink m_logSink;
    QTimer* m_heartbeat;
    // The history, once a verb changes the monitor; the recorder goes before the store it writes to.
    std::unique_ptr<HistoryStore> m_history;
    std::unique_ptr<ChangeRecorder> m_recorder;

    bool m_found = false;
    bool m_gaveUp = false;
    bool m_lost = false;
    // Why the port went away, when that ended the link.
    QString m_portLostWhy;
    bool m_logFailed = false;
    int m_refusals = 0;
    // The verb's request and its outcome, once settled.
    RequestId m_awaited = 0;
    std::optional<RequestOutcome> m_outcome;
};
