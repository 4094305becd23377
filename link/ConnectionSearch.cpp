#include "link/ConnectionSearch.h"

#include "link/ConnectionStates.h"
#include "link/Link.h"
#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"
#include "platform/Clock.h"
#include "platform/SerialPort.h"
#include "protocol/Catalogue.h"

#include <algorithm>

ConnectionSearch::ConnectionSearch(Link* link, Clock* clock, ConnectionStates* states, QObject* parent)
    : QObject(parent), m_link(link), m_states(states), m_tick(clock->createTimer(this)) {
    connect(m_tick, &Timer::timeout, this, &ConnectionSearch::tick);
}

bool ConnectionSearch::isSearching() const {
    return m_tick->isActive();
}

void ConnectionSearch::start() {
    m_states->setNoMonitor();
    m_retriesToGo = connectRetryLimit;
    emit countChanged(connectRetryLimit, m_retriesToGo);
    m_tick->start(tickMs);
    m_pings = 1;
    m_link->logLinkEvent(QStringLiteral("Search started on %1: a ping every %2 ms, %3")
                             .arg(device())
                             .arg(tickMs)
                             .arg(autoReConnect ? QStringLiteral("until the monitor answers")
                                                : QStringLiteral("at most %1").arg(connectRetryLimit)));
    m_link->queue()->submit({Request::Kind::Ping, Catalogue::ping(), {}});
}

QString ConnectionSearch::device() const {
    return m_link->port()->deviceName();
}

void ConnectionSearch::cancel() {
    m_tick->stop();
    emit finished();
    m_states->setNoMonitor();
}

void ConnectionSearch::stop() {
    m_tick->stop();
}

bool ConnectionSearch::concludeIfAnswered() {
    if (!isSearching() || !m_link->model()->monitorResponding)
        return false;
    monitorFound();
    return true;
}

void ConnectionSearch::monitorFound() {
    MonitorModel* model = m_link->model();
    m_tick->stop();
    m_link->startKeepAlive(Link::keepAliveSearchMs);
    const bool boot = model->bootMode;
    if (boot)
        m_states->setBootMode();
    else
        m_states->setOnline();
    m_states->enableGoOffline();
    m_link->statistics().noteMonitorFound();
    m_link->logLinkEvent(
        QStringLiteral("Monitor found on %1%2").arg(device(), boot ? QStringLiteral(" in its boot block") : QString()));
    emit found(boot);
    if (!boot)
        m_link->queue()->submit({Request::Kind::Read, Catalogue::readFirmwareVersion(), {}});
    emit finished();
}

void ConnectionSearch::tick() {
    if (m_link->model()->monitorResponding) {
        monitorFound();
        return;
    }
    // The count stops at 0: past the limit only Auto ReConnect keeps the search going.
    m_retriesToGo = std::max(0, m_retriesToGo - 1);
    if (autoReConnect || m_retriesToGo > 0) {
        emit countChanged(connectRetryLimit, m_retriesToGo);
        m_link->queue()->clearQueue();
        m_link->reopenIfLost();
        m_link->statistics().noteRetry();
        ++m_pings;
        m_link->logLinkEvent(
            autoReConnect
                ? QStringLiteral("No answer on %1: ping %2").arg(device()).arg(m_pings)
                : QStringLiteral("No answer on %1: ping %2 of %3").arg(device()).arg(m_pings).arg(connectRetryLimit));
        m_link->queue()->submit({Request::Kind::Ping, Catalogue::ping(), {}});
        m_tick->start(tickMs);
        return;
    }
    m_states->setNoMonitor();
    m_tick->stop();
    m_link->logLinkEvent(
        QStringLiteral("No monitor answered on %1: the search gave up after %2 pings").arg(device()).arg(m_pings));
    emit finished();
    emit gaveUp();
}
