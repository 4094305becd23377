#include "session/MonitorSession.h"

#include "download/DownloadEngine.h"
#include "link/ConnectionSearch.h"
#include "link/Link.h"
#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"
#include "platform/PortMap.h"
#include "platform/QtSerialPort.h"
#include "protocol/Catalogue.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/Dispatcher.h"
#include "session/ChangeGuard.h"

#include <utility>

MonitorSession::MonitorSession(const Parts& parts, QObject* parent)
    : QObject(parent), m_portMap(std::make_unique<PortMap>(parts.settings)), m_model(std::make_unique<MonitorModel>()),
      m_handlers(std::make_unique<DataReadHandlers>(*m_model)),
      m_dispatcher(std::make_unique<Dispatcher>(*m_model, m_handlers.get())),
      m_port(parts.port ? parts.port : new QtSerialPort(m_portMap.get(), this)),
      m_link(new Link(m_port, parts.clock, parts.tone, m_model.get(), this)),
      m_download(new DownloadEngine(m_link, m_model.get(), parts.clock, parts.tone, parts.settings, this)),
      m_search(new ConnectionSearch(m_link, parts.clock, this, this)) {
    PortMap* portMap = m_portMap.get();
    m_link->setOpenFailureExplainer(
        [portMap](const QString& device, const OpenFailure& failure) { return portMap->explain(device, failure); });
    m_link->setDispatch([this](const QString& answer) {
        m_garbledReread.clear();
        m_dispatcher->dispatchAnswer(answer);
        answerDispatched();
    });
    connect(m_handlers.get(), &DataReadHandlers::flashEraseAnswered, m_download,
            &DownloadEngine::handleFlashEraseAnswer);
    connect(m_handlers.get(), &DataReadHandlers::sramLoadAnswered, m_download, &DownloadEngine::handleSramLoadAnswer);
    connect(m_handlers.get(), &DataReadHandlers::recordAnswered, m_download, &DownloadEngine::handleRecordAnswer);
    connect(m_link, &Link::portLost, this, [this](const QString& why) { emit portLost(m_port->deviceName(), why); });
    connect(m_link, &Link::connectionLost, this, [this] {
        setNoMonitor();
        emit connectionLost();
    });
    connect(queue(), &TransmitQueue::requestSettled, this, &MonitorSession::onSettled);
    // Dispatch comes before the answer settles its request: the request learns that its answer was garbled.
    connect(m_handlers.get(), &DataReadHandlers::answerGarbled, this,
            [this](const QString&, const QString& reread) { m_garbledReread = reread; });
}

MonitorSession::~MonitorSession() = default;

TransmitQueue* MonitorSession::queue() const {
    return m_link->queue();
}

void MonitorSession::setConnectionState(ConnectionState state) {
    m_state = state;
    const bool connected = state == ConnectionState::Online || state == ConnectionState::BootMode;
    m_model->monitorResponding = connected;
    m_link->setMonitorConnected(connected);
    m_link->setIndicatorGreen(connected);
    if (state == ConnectionState::BootMode)
        m_model->firmwareClass = 0;
    if (!connected) {
        m_model->firmwareVersion.clear();
        m_model->romVersion.clear();
        dropHeld();
    }
    m_bootPromptSeen = state == ConnectionState::BootMode && m_model->bootMode;
    m_firmwareAsks = 0;
    emit connectionStateChanged(state);
}

void MonitorSession::answerDispatched() {
    if (m_state != ConnectionState::BootMode)
        return;
    if (m_model->bootMode) {
        m_bootPromptSeen = true;
        return;
    }
    // A "#" after the boot block's "$": the firmware runs, and the version answer sets up the family as after a
    // search. Without a "$" first, the state was chosen by hand and the "#" proves nothing.
    if (!m_bootPromptSeen || !m_model->monitorResponding)
        return;
    setOnline();
    emit firmwareStarted();
    send(Catalogue::readFirmwareVersion());
}

RequestId MonitorSession::submit(const Request& request) {
    Request r = request;
    if (r.source.isEmpty())
        r.source = changeSource();
    if (m_held.isEmpty() && (!m_guard || m_guard->mayGo(r)))
        return queue()->submit(r);
    m_held.append({m_nextHeldId++, r});
    return m_held.last().id;
}

RequestId MonitorSession::submitAhead(const Request& request) {
    return queue()->submit(request);
}

void MonitorSession::releaseHeld() {
    while (!m_held.isEmpty()) {
        const Held next = m_held.first();
        if (m_guard && !m_guard->mayGo(next.request))
            return;
        m_held.removeFirst();
        if (const RequestId queued = queue()->submit(next.request))
            m_released.insert(queued, next.id);
    }
}

void MonitorSession::dropHeld() {
    const QVector<Held> held = std::exchange(m_held, {});
    for (const Held& h : held)
        onSettled({h.id, h.request, RequestOutcome::Ending::Dropped, QString(), false});
}

RequestId MonitorSession::send(const QString& command) {
    const bool read = command.startsWith(QLatin1Char('d'));
    return submit({read ? Request::Kind::Read : Request::Kind::Command, command, {}});
}

bool MonitorSession::isPending(RequestId id) const {
    if (id < firstHeldId && queue()->isPending(id))
        return true;
    for (const Held& h : m_held)
        if (h.id == id)
            return true;
    for (const QHash<RequestId, RequestId>* map : {&m_retries, &m_released})
        for (auto it = map->cbegin(); it != map->cend(); ++it)
            if (it.value() == id && queue()->isPending(it.key()))
                return true;
    return false;
}

bool MonitorSession::linkIdle() const {
    return queue()->isIdle() && m_held.isEmpty();
}

void MonitorSession::onSettled(const RequestOutcome& settled) {
    using Ending = RequestOutcome::Ending;
    RequestOutcome outcome = settled;
    const bool retried = m_retries.contains(outcome.id);
    if (retried)
        outcome.id = m_retries.take(outcome.id);
    else if (m_released.contains(outcome.id))
        outcome.id = m_released.take(outcome.id);
    const Request& request = outcome.request;
    // The family set-up hangs on the firmware version: a connection is not left without it because one answer
    // came garbled or refused.
    if (request.text == Catalogue::readFirmwareVersion() && m_state == ConnectionState::Online &&
        m_model->firmwareClass == 0 && outcome.ending != Ending::Dropped && m_firmwareAsks < maxFirmwareAsks) {
        ++m_firmwareAsks;
        ++m_retried;
        m_retries.insert(submitAhead(request), outcome.id);
        return;
    }
    // An answer whose numbers came garbled took nothing: the read is asked again and its caller waits for that
    // answer instead (the handlers stop asking after a few garbled answers in a row).
    const QString reread = std::exchange(m_garbledReread, QString());
    if (outcome.ending == Ending::Answered && request.kind == Request::Kind::Read && m_model->monitorResponding &&
        !reread.isEmpty() && reread.compare(request.text, Qt::CaseInsensitive) == 0) {
        ++m_retried;
        m_retries.insert(submitAhead(request), outcome.id);
        return;
    }
    if (outcome.ending == Ending::Answered || request.kind == Request::Kind::Ping) {
        emit requestSettled(outcome);
        return;
    }
    // A read the monitor refused (often a line that noise garbled on its way) is asked once more.
    if (outcome.ending == Ending::Refused && request.kind == Request::Kind::Read && !retried) {
        ++m_retried;
        m_retries.insert(submitAhead(request), outcome.id);
        return;
    }
    emit requestSettled(outcome);
    if (request.kind == Request::Kind::Setting)
        readBack(request);
    if (request.kind == Request::Kind::Setting)
        emit settingNotApplied(request.text, outcome.ending == Ending::Refused    ? QStringLiteral("refused")
                                             : outcome.ending == Ending::TimedOut ? QStringLiteral("not answered")
                                                                                  : QStringLiteral("not sent"));
    if (outcome.ending != Ending::Dropped)
        return;
    ++m_dropped;
    m_droppedNames << request.text;
    if (!m_dropReportQueued) {
        m_dropReportQueued = true;
        QMetaObject::invokeMethod(this, &MonitorSession::reportDropped, Qt::QueuedConnection);
    }
}

void MonitorSession::readBack(const Request& setting) {
    // A DAC setting's key names its group ("cd" and the group letter): the group's values are read again, so
    // that the window shows what the monitor holds rather than what it never took.
    if (setting.key.size() < 3 || !setting.key.startsWith(QLatin1String("cd")) || !m_model->monitorResponding)
        return;
    send(Catalogue::readDac(setting.key.at(2), DacKind::Current));
}

void MonitorSession::reportDropped() {
    m_dropReportQueued = false;
    QStringList names;
    names.swap(m_droppedNames);
    if (!names.isEmpty())
        emit requestsDroppedNamed(names);
}
