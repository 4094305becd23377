#include "model/UpdateAllData.h"

#include "model/MonitorModel.h"
#include "platform/Clock.h"

namespace {

const char* const steps[UpdateAllData::lastStep + 1] = {
    "da",   "db",   "dc",   nullptr, "ddv",  "ddfv", "ddpv", "ddh",  "ddph", "ddfh", "ddl",  "ddpl",
    "ddfl", "ddb",  "ddpb", "ddfb",  "de",   "df",   "dh",   "dms",  "dps",  "dss",  "dt",   "dw",
    "dda",  "ddpa", "ddfa", "ddd",   "ddpd", "ddfd", "dde",  "ddpe", "ddfe", "ddg",  "ddpg", "ddfg",
    "ddi",  "ddpi", "ddfi", "ddk",   "ddpk", "ddfk", "dds",  "ddps", "ddfs"};

constexpr int resetStep = UpdateAllData::lastStep + 1;

} // namespace

UpdateAllData::UpdateAllData(MonitorModel& model, Clock& clock, QueueRequest queueRequest, QObject* parent)
    : QObject(parent), m_model(model), m_queueRequest(std::move(queueRequest)), m_timer(clock.createTimer(this)) {
    m_timer->setInterval(intervalMs);
    connect(m_timer, &Timer::timeout, this, &UpdateAllData::tick);
}

QString UpdateAllData::stepRequest(int step) {
    if (step < 0 || step > lastStep || !steps[step])
        return QString();
    return QString::fromLatin1(steps[step]);
}

QStringList UpdateAllData::stepRequests(int step, const MonitorModel& model) {
    const QString request = stepRequest(step);
    if (request.isEmpty())
        return {};
    if (request != QLatin1String("dss") || !model.hasBoardIdentity)
        return {request};
    return {request, QStringLiteral("dmu"), QStringLiteral("dmt"), QStringLiteral("dst")};
}

QStringList UpdateAllData::convergenceReadList() {
    return {QStringLiteral("dda"),  QStringLiteral("ddpa"), QStringLiteral("ddfa"), QStringLiteral("ddd"),
            QStringLiteral("ddpd"), QStringLiteral("ddfd"), QStringLiteral("dde"),  QStringLiteral("ddpe"),
            QStringLiteral("ddfe"), QStringLiteral("ddg"),  QStringLiteral("ddpg"), QStringLiteral("ddfg"),
            QStringLiteral("ddi"),  QStringLiteral("ddpi"), QStringLiteral("ddfi"), QStringLiteral("ddk"),
            QStringLiteral("ddpk"), QStringLiteral("ddfk")};
}

void UpdateAllData::start() {
    m_sendCount = 0;
    m_cycle = 1;
    updateAllStep(m_sendCount);
    // Step 0 has been sent; the next tick sends step 1.
    m_sendCount = 1;
}

void UpdateAllData::stop() {
    m_timer->stop();
    if (m_running) {
        m_running = false;
        emit runningChanged(false);
    }
}

bool UpdateAllData::isRunning() const {
    return m_timer->isActive();
}

void UpdateAllData::updateAllStep(int step) {
    if (!m_model.monitorResponding)
        return;
    if (step >= 0 && step <= lastStep) {
        for (const QString& request : stepRequests(step, m_model))
            if (m_queueRequest)
                m_queueRequest(request);
    } else {
        m_sendCount = 1;
        ++m_cycle;
    }
    emit stepTaken(step, m_cycle);
    if (step < lastStep) {
        // A start (step 0) restarts the second; the ticks of a running cycle leave it running.
        if (step == 0 || !m_timer->isActive())
            m_timer->start(intervalMs);
        else if (m_timer->interval() != intervalMs)
            m_timer->setInterval(intervalMs);
    }
    if (!m_running && m_timer->isActive()) {
        m_running = true;
        emit runningChanged(true);
    }
    if (step == lastStep)
        emit cycleEnded(m_cycle);
}

void UpdateAllData::tick() {
    updateAllStep(m_sendCount);
    if (m_sendCount < resetStep)
        ++m_sendCount;
}

void UpdateAllData::readConvergenceData() {
    if (!m_model.monitorResponding || !m_model.hasConvergence || !m_queueRequest)
        return;
    for (const QString& request : convergenceReadList())
        m_queueRequest(request);
}
