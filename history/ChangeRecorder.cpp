#include "history/ChangeRecorder.h"

#include "download/DownloadEngine.h"
#include "history/ChangeText.h"
#include "history/HistoryStore.h"
#include "history/ReportedCells.h"
#include "history/SnapshotReads.h"
#include "link/TransmitQueue.h"
#include "model/FileWriteBack.h"
#include "model/MonitorModel.h"
#include "platform/SerialPort.h"
#include "protocol/Catalogue.h"
#include "session/MonitorSession.h"

#include <algorithm>
#include <utility>

ChangeRecorder::ChangeRecorder(HistoryStore& store, MonitorSession& session, QObject* parent)
    : QObject(parent), m_store(store), m_session(session), m_model(*session.model()),
      m_cells(new ReportedCells(*session.model(), *session.handlers(), this)),
      m_reads(new SnapshotReads(session, *m_cells, this)) {
    connect(m_reads, &SnapshotReads::finished, this, &ChangeRecorder::readsDone);
    connect(&session, &MonitorSession::connectionStateChanged, this, &ChangeRecorder::onStateChanged);
    connect(session.queue(), &TransmitQueue::requestWritten, this,
            [this](RequestId, const Request& request) { onWritten(request); });
    connect(session.download(), &DownloadEngine::finished, this, &ChangeRecorder::downloadEnded);
    session.download()->setBeforeStart(
        [this](std::function<void()> proceed) { readBeforeDownload(std::move(proceed)); });
    session.setChangeGuard(this);
    m_guarded = &session;
    onStateChanged(session.connectionState());
}

ChangeRecorder::~ChangeRecorder() {
    if (m_guarded) {
        m_guarded->setChangeGuard(nullptr);
        m_guarded->download()->setBeforeStart({});
    }
}

SnapshotModel::Reported ChangeRecorder::reported() const {
    return m_cells->filter();
}

HistorySnapshot ChangeRecorder::monitorNow(const QVector<int>& scanSets) const {
    return m_cells->snapshot(scanSets);
}

void ChangeRecorder::onStateChanged(ConnectionState state) {
    // Only a monitor that answers is changed: demonstration mode records nothing. A download runs in the boot
    // block.
    // Whatever waited for reads goes on unrecorded (the session has dropped what it held; a job finds the
    // monitor gone).
    m_active = false;
    m_reads->stop();
    m_active = state == ConnectionState::Online || state == ConnectionState::BootMode;
    m_connection.clear();
    m_monitorId.clear();
    m_snapshotted.clear();
    m_lastSent.clear();
    m_wireScanSet = -1;
    m_cells->clear();
}

bool ChangeRecorder::mayGo(const Request& request) {
    // Nothing is read between a download's requests: its snapshot was taken before it started.
    if (!m_active || m_job.running || m_reads->isRunning() || m_session.download()->inProgress())
        return true;
    const ChangeText change = ChangeText::of(request);
    if (!change.change)
        return true;
    const int set = m_model.currentScanSet;
    QVector<int> sets;
    if (change.scanSetValues && SnapshotReads::isScanSet(set) && !m_snapshotted.contains(set))
        sets << set;
    const bool identity = m_connection.isEmpty() && !m_reads->identityRead();
    if (sets.isEmpty() && !identity)
        return true;
    auto prepared = [this, sets] {
        ensureConnection();
        if (!sets.isEmpty())
            recordSnapshot(sets);
    };
    m_afterReads = [this, prepared] {
        prepared();
        m_session.releaseHeld();
    };
    if (m_reads->start(sets, identity))
        return !m_reads->isRunning(); // a start that ended at once has done all of it
    m_afterReads = {};
    prepared();
    return true;
}

void ChangeRecorder::readFirst(const QVector<int>& scanSets, std::function<void()> then) {
    m_afterReads = std::move(then);
    if (!m_reads->start(scanSets, !m_reads->identityRead()))
        readsDone();
}

void ChangeRecorder::readsDone() {
    const std::function<void()> then = std::exchange(m_afterReads, {});
    if (then)
        then();
}

void ChangeRecorder::ensureConnection() {
    if (!m_connection.isEmpty() || !m_active)
        return;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    // A number the monitor did not report on this connection (or one a data file loaded) names no monitor.
    const bool identified = m_reads->identityRead();
    const QString model = identified ? m_model.modelNumber.trimmed() : QString();
    const QString serial = identified ? m_model.serialNumber.trimmed() : QString();
    const QString port = m_session.port()->deviceName();
    HistoryMonitor monitor{HistoryMonitor::key(model, serial, port, m_model.firmwareClass),
                           model,
                           serial,
                           port,
                           m_model.firmwareClass,
                           now};
    m_monitorId = monitor.id;
    m_connection = HistoryStore::newId();
    m_store.addConnection(monitor, {m_connection, monitor.id, port, m_model.firmwareClass, QString(), now});
}

void ChangeRecorder::recordSnapshot(const QVector<int>& scanSets) {
    if (!m_active)
        return;
    ensureConnection();
    HistorySnapshot s = m_cells->snapshot(scanSets);
    if (!m_reads->identityRead())
        s.modelNumber = s.serialNumber = QString();
    s.id = HistoryStore::newId();
    s.connectionId = m_connection;
    s.monitorId = m_monitorId;
    s.taken = QDateTime::currentDateTimeUtc();
    m_store.addSnapshot(s);
    m_snapshots << s.id;
    for (int set : scanSets)
        m_snapshotted.insert(set);
}

void ChangeRecorder::recordChange(const QString& what, const QString& oldValue, const QString& newValue,
                                  const QString& source) {
    ensureConnection();
    m_store.addChange(
        {HistoryStore::newId(), m_connection, what, oldValue, newValue, source, QDateTime::currentDateTimeUtc()});
}

void ChangeRecorder::recordEnd(const QString& connection, const QString& kind, const QString& summary) {
    if (!connection.isEmpty())
        m_store.addEnd({HistoryStore::newId(), connection, kind, summary, QDateTime::currentDateTimeUtc()});
}

QString ChangeRecorder::sourceOf(const Request& request) const {
    return request.source.isEmpty() ? m_session.changeSource() : request.source;
}

void ChangeRecorder::onWritten(const Request& request) {
    if (!m_active)
        return;
    if (request.kind == Request::Kind::Record) {
        if (request.text == Catalogue::eraseFlash() || request.text == Catalogue::startSramLoad())
            downloadStarts(request);
        return;
    }
    const ChangeText change = ChangeText::of(request);
    if (!change.change)
        return;
    bool isSet = false;
    const int selected = change.what == QLatin1String("CC") ? change.newValue.toInt(&isSet) : -1;
    if (isSet)
        m_wireScanSet = selected;
    QString oldValue = m_lastSent.value(change.what);
    if (change.dac >= 0) {
        // Where the value lands: the scan set the monitor was told to run, else the tool's own.
        const int set = m_wireScanSet >= 0 ? m_wireScanSet : m_model.currentScanSet;
        int held = 0;
        oldValue = m_cells->value(change.group, change.dac, set, &held) ? QString::number(held) : QString();
        m_cells->noteSent(change.group, change.dac, set, change.newValue.toInt());
    }
    if (!change.newValue.isEmpty())
        m_lastSent.insert(change.what, change.newValue);
    // A job's requests are its own; a download switches checking and auto boot off and on itself.
    if (m_job.running || m_session.download()->inProgress())
        return;
    // A change that came past mayGo (a line typed in the log window) still follows a snapshot of what is held.
    const int set = m_model.currentScanSet;
    if (change.scanSetValues && SnapshotReads::isScanSet(set) && !m_snapshotted.contains(set))
        recordSnapshot({set});
    recordChange(change.what, oldValue, change.newValue, sourceOf(request));
}

void ChangeRecorder::beginJob(const QString& kind, const QString& title, const QString& source,
                              const QVector<int>& scanSets, std::function<void()> proceed) {
    if (!m_active) {
        proceed();
        return;
    }
    m_job = {kind, title, source, scanSets, QString(), true};
    readFirst(scanSets, [this, proceed] {
        if (m_active && m_job.running) {
            recordSnapshot(m_job.scanSets);
            recordChange(m_job.kind, QString(), m_job.title, m_job.source);
            m_job.connection = m_connection;
        }
        proceed();
    });
}

void ChangeRecorder::endJob(const QString& summary) {
    if (!m_job.running)
        return;
    m_job.running = false;
    recordEnd(m_job.connection, m_job.kind, summary);
}

void ChangeRecorder::watchWriteBack(FileWriteBack& writeBack, std::function<QString()> source) {
    // Called after the user's Yes, before the first request of the write.
    writeBack.setBeforeWrite([this, &writeBack, source](std::function<void()> proceed) {
        beginJob(QStringLiteral("write-back"), writeBack.file().title, source(), writeBack.file().scanSets(),
                 std::move(proceed));
    });
    connect(&writeBack, &FileWriteBack::finished, this,
            [this](const WriteBackSummary& summary) { endJob(summary.text()); });
}

QVector<int> ChangeRecorder::everyScanSet() const {
    QVector<int> all;
    for (int set = 0; set < std::min<int>(m_model.scanSetCount, MonitorModel::scanSetWindowRows); ++set)
        all << set;
    return all;
}

void ChangeRecorder::readBeforeDownload(std::function<void()> proceed) {
    // A monitor that runs its firmware is read whole before the download may erase it; the boot block has no
    // scan sets to read, and then what the connection holds is what the snapshot can hold.
    if (!m_active || m_model.bootMode || m_job.running) {
        proceed();
        return;
    }
    if (m_reads->isRunning()) {
        // Reads still under way (a held change's, or those of a download abandoned for this one) end first, with
        // the monitor back on the tool's scan set; the download's own follow.
        std::function<void()> earlier = std::exchange(m_afterReads, {});
        m_afterReads = [this, earlier, proceed] {
            if (earlier)
                earlier();
            readBeforeDownload(proceed);
        };
        return;
    }
    readFirst(everyScanSet(), std::move(proceed));
}

void ChangeRecorder::downloadStarts(const Request& request) {
    // Just before the erase (or the load) goes out: every scan set as far as this connection knows it (read
    // whole before the download started, where the monitor ran its firmware), and the identity. The download's
    // own timing is left alone.
    recordSnapshot(everyScanSet());
    const DownloadEngine* download = m_session.download();
    recordChange(download->kind() == DownloadEngine::Kind::Flash ? QStringLiteral("flash download")
                                                                 : QStringLiteral("SRAM download"),
                 QString(), download->imageFileName, sourceOf(request));
    m_downloadConnection = m_connection;
}

void ChangeRecorder::downloadEnded() {
    const QString connection = std::exchange(m_downloadConnection, QString());
    // What the user was told, or for an end the user asked for, how it ended.
    const DownloadEngine::Verdict& verdict = m_session.download()->verdict();
    recordEnd(connection, QStringLiteral("download"),
              verdict.text.isEmpty() ? outcomeText(verdict.outcome)
                                     : QString(verdict.text).replace(QLatin1Char('\r'), QLatin1Char('\n')));
}
