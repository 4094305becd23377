#pragma once
// One run of the command line against one monitor: the core's objects wired as the windowed tool wires them
// (port, link with its queue and keep-alive, dispatcher and handlers, monitor data model, connection search,
// download engine), the simulated monitor when asked for, and the file log. It opens the port, finds the
// monitor with the search's own rules and time-outs, and then lets a verb send requests one after another and
// wait for their answers with the event loop running.
#include "cli/CliOptions.h"
#include "cli/Questions.h"
#include "link/FileLog.h"
#include "link/LogSink.h"
#include "model/MonitorModel.h"

#include <QObject>
#include <functional>
#include <memory>

class CliConnectionStates;
class ConnectionSearch;
class DataReadHandlers;
class Dispatcher;
class DownloadEngine;
class InterruptNotifier;
class Link;
class PortMap;
class QTimer;
class QtClock;
class SerialPort;
class Settings;
class Tone;
namespace sim {
class SimulatorProcess;
}

class Session : public QObject {
    Q_OBJECT
public:
    // Longest wait for one answer. The link notices a silent monitor well before (keep-alive plus its answer
    // time-out), so this only ends a wait that an answer of the wrong request would leave open.
    static constexpr int answerWithinMs = 15000;

    explicit Session(const CliOptions& options, QObject* parent = nullptr);
    ~Session() override;

    // Starts the simulated monitor if asked, opens the log file and the port. An exit status.
    int open();
    // The connection search; once the monitor is found running its firmware, its firmware version has been
    // read as well. An exit status.
    int find();

    // Queues one request (catalogue text, CR LF added) and waits for the answer that echoes it. Done with the
    // answer, Refused when the monitor answered with "!", Interrupted when no answer came.
    int request(const QString& command, QString* answer = nullptr);
    // Runs the event loop until pred holds; false when the time (ms, -1 none) ran out, the link was lost while
    // stopOnLost, or Ctrl-C came while stopOnInterrupt.
    bool waitFor(const std::function<bool()>& pred, int timeoutMs = -1, bool stopOnInterrupt = true,
                 bool stopOnLost = true);
    // Nothing queued, nothing waiting out its pause, no answer awaited.
    bool linkIdle() const;
    // Prints why a wait ended early and gives the status for it.
    int interruption(const QString& waitingFor);

    bool lost() const { return m_lost; }
    bool interrupted() const;
    // Texts the monitor refused with "!" since the start.
    int refusals() const { return m_refusals; }
    // The file log failed after it was opened.
    bool logFailed() const { return m_logFailed; }
    QString deviceName() const;

    MonitorModel& model() { return m_model; }
    Link* link() const { return m_link; }
    DataReadHandlers* handlers() const { return m_handlers.get(); }
    DownloadEngine* download() const { return m_download; }
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

    private:
        void check(bool written);
        Session* m_session;
    };

    void takeAnswer(const QString& text, bool refused);

    const CliOptions m_options;
    InterruptNotifier* m_interrupt;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<PortMap> m_portMap;
    std::unique_ptr<QtClock> m_clock;
    std::unique_ptr<Tone> m_tone;
    Questions m_questions;
    MonitorModel m_model;
    std::unique_ptr<DataReadHandlers> m_handlers;
    std::unique_ptr<Dispatcher> m_dispatcher;
    SerialPort* m_port;
    Link* m_link;
    ConnectionSearch* m_search = nullptr;
    DownloadEngine* m_download;
    std::unique_ptr<sim::SimulatorProcess> m_simulator;
    std::unique_ptr<CliConnectionStates> m_states;
    FileLog m_fileLog;
    FileLogSink m_logSink;
    QTimer* m_heartbeat;

    bool m_found = false;
    bool m_gaveUp = false;
    bool m_lost = false;
    bool m_logFailed = false;
    int m_refusals = 0;
    QString m_expected;
    struct Reply {
        bool done = false;
        bool refused = false;
        QString text;
    } m_reply;
};
