#pragma once
// One session with one monitor: the port, the link (framing, transmit queue, keep-alive), the dispatcher and its
// handlers, the monitor data model, the connection search and the download engine, built once and wired once.
// Both front ends build one and observe it: the windows and the command line read its connection state and
// react to the outcomes of their requests; neither assembles any of it nor reaches into the link's timers.
//
// The connection state has one setter, which writes every flag that goes with the state and then signals once.
// Outcomes of requests are handled here for everybody: a refused read is asked once more, a setting that was
// refused or dropped is named, and requests dropped when the link is lost are counted and named.
//
// Every request of both front ends passes submit(), the one place where a change can be held back until what it
// replaces has been read (see ChangeGuard) and where it learns which window or command asked for it.
#include "link/ConnectionStates.h"
#include "link/Request.h"
#include "session/ConnectionState.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>

class ChangeGuard;

class Clock;
class ConnectionSearch;
class DataReadHandlers;
class Dispatcher;
class DownloadEngine;
class Link;
class MonitorModel;
class PortMap;
class SerialPort;
class Settings;
class Tone;
class TransmitQueue;

class MonitorSession : public QObject, public ConnectionStates {
    Q_OBJECT
public:
    struct Parts {
        Settings* settings = nullptr; // may be null: the download then remembers no folder
        Clock* clock = nullptr;
        Tone* tone = nullptr;
        // May be null: the session then opens the serial device that the port map names.
        SerialPort* port = nullptr;
    };

    explicit MonitorSession(const Parts& parts, QObject* parent = nullptr);
    ~MonitorSession() override;

    SerialPort* port() const { return m_port; }
    PortMap* portMap() const { return m_portMap.get(); }
    MonitorModel* model() const { return m_model.get(); }
    Link* link() const { return m_link; }
    TransmitQueue* queue() const;
    Dispatcher* dispatcher() const { return m_dispatcher.get(); }
    DataReadHandlers* handlers() const { return m_handlers.get(); }
    ConnectionSearch* search() const { return m_search; }
    DownloadEngine* download() const { return m_download; }

    ConnectionState connectionState() const { return m_state; }
    // The one place the connection state changes: monitorResponding, the link's connected guard and answer
    // time-out, the indicators, the firmware class (boot mode) and the version texts (no monitor) go with it.
    void setConnectionState(ConnectionState state);
    void setOnline() override { setConnectionState(ConnectionState::Online); }
    void setBootMode() override { setConnectionState(ConnectionState::BootMode); }
    void setNoMonitor() override { setConnectionState(ConnectionState::NoMonitor); }
    void enableGoOffline() override { emit goOfflineOffered(); }

    // Queues a request, or holds it while the change guard has something read first (and then every request
    // after it, in order). A request without a source is given the change source's.
    RequestId submit(const Request& request);
    // A catalogue command: the protocol's data reads all begin with "d", and a read is what may be asked again.
    RequestId send(const QString& command);
    // The change guard's own requests: queued at once, ahead of what it holds.
    RequestId submitAhead(const Request& request);
    bool isPending(RequestId id) const;
    // Nothing queued, nothing waiting out its pause, no answer awaited, nothing held.
    bool linkIdle() const;

    // May be null: every request then goes at once. Not owned.
    void setChangeGuard(ChangeGuard* guard) { m_guard = guard; }
    // The guard is done: the held requests go to the queue in their order (until one is held again).
    void releaseHeld();
    // Which window or command a request comes from when it names none (the active window, the verb).
    void setChangeSource(std::function<QString()> source) { m_changeSource = std::move(source); }
    QString changeSource() const { return m_changeSource ? m_changeSource() : QString(); }

    // Counts since start, for the link report and the soak test.
    int requestsRetried() const { return m_retried; }
    int requestsDropped() const { return m_dropped; }

signals:
    void connectionStateChanged(ConnectionState state);
    void goOfflineOffered();
    // The port failed and closed under the session (an adapter pulled, a pseudo-terminal gone), why in the
    // port's words; connectionLost follows when a monitor was connected. The search opens it again when it can.
    void portLost(const QString& device, const QString& why);
    // No prompt within the answer time-out (or the port lost) while connected; the state is NoMonitor by now.
    void connectionLost();
    // The boot block handed over to the firmware ("Run from BOOT MODE" or a reset): the session is Online again.
    void firmwareStarted();
    void requestSettled(const RequestOutcome& outcome);
    // A setting that never reached the monitor, or that it refused: the window's value is not the monitor's.
    void settingNotApplied(const QString& command, const QString& why);
    // Requests dropped at once (the link lost, the queue cleared), by their texts.
    void requestsDroppedNamed(const QStringList& commands);

private:
    void answerDispatched();
    void onSettled(const RequestOutcome& outcome);
    void reportDropped();
    void readBack(const Request& setting);
    // The connection ended: what is held never goes out.
    void dropHeld();

    std::unique_ptr<PortMap> m_portMap;
    std::unique_ptr<MonitorModel> m_model;
    std::unique_ptr<DataReadHandlers> m_handlers;
    std::unique_ptr<Dispatcher> m_dispatcher;
    SerialPort* m_port;
    Link* m_link;
    DownloadEngine* m_download;
    ConnectionSearch* m_search;
    ConnectionState m_state = ConnectionState::NoMonitor;
    // In boot mode: the boot block itself has prompted "$" (not only chosen by hand).
    bool m_bootPromptSeen = false;
    // Reads asked a second time: the retry's id and the id the caller holds.
    QHash<RequestId, RequestId> m_retries;
    // Requests the guard held: the id the caller holds (from a range of its own), and once queued the queue's.
    struct Held {
        RequestId id;
        Request request;
    };
    static constexpr RequestId firstHeldId = RequestId(1) << 62;
    RequestId m_nextHeldId = firstHeldId;
    QVector<Held> m_held;
    QHash<RequestId, RequestId> m_released;
    ChangeGuard* m_guard = nullptr;
    std::function<QString()> m_changeSource;
    QStringList m_droppedNames;
    static constexpr int maxFirmwareAsks = 3;
    int m_firmwareAsks = 0;
    // The read a garbled answer asks for again, until the request it answered settles.
    QString m_garbledReread;
    bool m_dropReportQueued = false;
    int m_retried = 0;
    int m_dropped = 0;
};
