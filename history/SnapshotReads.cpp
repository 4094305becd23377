#include "history/SnapshotReads.h"

#include "history/ReportedCells.h"
#include "model/BoardIdentity.h"
#include "model/FileWriteBack.h"
#include "model/MonitorModel.h"
#include "protocol/Catalogue.h"
#include "session/MonitorSession.h"

#include <algorithm>

SnapshotReads::SnapshotReads(MonitorSession& session, const ReportedCells& held, QObject* parent)
    : QObject(parent), m_session(session), m_model(*session.model()), m_held(held) {
    connect(&session, &MonitorSession::requestSettled, this, &SnapshotReads::onSettled);
}

QStringList SnapshotReads::readsFor(int scanSet) const {
    QStringList reads;
    for (const FileWriteBack::Dac& dac : FileWriteBack::writableDacs(m_model)) {
        const QString read = Catalogue::readDac(dac.group, DacKind::Current);
        if (!m_held.contains(dac.group, dac.index, scanSet) && !reads.contains(read))
            reads << read;
    }
    return reads;
}

bool SnapshotReads::identityRead() const {
    return m_model.origin(MonitorModel::boardKey(QLatin1Char('S'), false)) == Origin::Read &&
           m_model.origin(MonitorModel::boardKey(QLatin1Char('S'), true)) == Origin::Read;
}

bool SnapshotReads::start(const QVector<int>& scanSets, bool identity) {
    if (isRunning())
        return false;
    m_steps.clear();
    m_home = m_model.currentScanSet;
    m_moved = false;
    if (identity)
        for (const QString& read : BoardIdentity::identityReads(m_model.firmwareClass, false))
            m_steps.append({read, -1});
    // The tool's own scan set first, while the monitor runs it; then each other one, selected first.
    QVector<int> order = scanSets;
    std::stable_partition(order.begin(), order.end(), [this](int set) { return set == m_home; });
    for (int set : order) {
        const QStringList reads = readsFor(set);
        // Another scan set is read only where the tool can select its own again.
        if (reads.isEmpty() || !isScanSet(set) || (set != m_home && !isScanSet(m_home)))
            continue;
        if (set != m_home) {
            m_steps.append({Catalogue::selectScanSet(set), set});
            m_moved = true;
        }
        for (const QString& read : reads)
            m_steps.append({read, -1});
    }
    if (m_moved)
        m_steps.append({Catalogue::selectScanSet(m_home), m_home});
    if (m_steps.isEmpty())
        return false;
    sendNext();
    return true;
}

void SnapshotReads::sendNext() {
    if (m_steps.isEmpty()) {
        finish();
        return;
    }
    const Step& step = m_steps.first();
    m_awaited = m_session.submitAhead(
        {step.selects >= 0 ? Request::Kind::Command : Request::Kind::Read, step.request, QString()});
    if (m_awaited == 0)
        finish();
}

void SnapshotReads::onSettled(const RequestOutcome& outcome) {
    if (m_awaited == 0 || outcome.id != m_awaited)
        return;
    const Step step = m_steps.takeFirst();
    if (outcome.ending == RequestOutcome::Ending::Dropped || !m_model.monitorResponding) {
        stop();
        return;
    }
    if (step.selects >= 0) {
        if (outcome.ending == RequestOutcome::Ending::Answered) {
            m_model.currentScanSet = qint16(step.selects);
            m_model.readingAside = step.selects != m_home;
        }
        else // the reads up to the next select would read a scan set other than the one they are for
            while (!m_steps.isEmpty() && m_steps.first().selects < 0)
                m_steps.removeFirst();
    }
    sendNext();
}

void SnapshotReads::stop() {
    if (!isRunning())
        return;
    m_steps.clear();
    finish();
}

void SnapshotReads::finish() {
    m_awaited = 0;
    if (m_moved)
        m_model.currentScanSet = qint16(m_home);
    m_model.readingAside = false;
    emit finished();
}
