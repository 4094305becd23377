#include "support/FakeClock.h"

Timer* FakeClock::createTimer(QObject* parent) {
    auto* t = new FakeTimer(this, parent);
    m_timers.append(t);
    return t;
}

void FakeClock::advance(qint64 ms) {
    const qint64 end = m_now + ms;
    for (;;) {
        FakeTimer* next = nullptr;
        for (const QPointer<FakeTimer>& t : std::as_const(m_timers))
            if (t && t->isActive() && t->dueAt() <= end && (!next || t->dueAt() < next->dueAt()))
                next = t;
        if (!next)
            break;
        m_now = std::max(m_now, next->dueAt());
        next->fire();
    }
    m_now = end;
    m_timers.removeAll(QPointer<FakeTimer>());
}

void FakeTimer::setInterval(int ms) {
    m_interval = ms;
    if (m_active)
        m_due = m_clock->nowMs() + m_interval;
}

void FakeTimer::start() {
    m_active = true;
    m_due = m_clock->nowMs() + m_interval;
}

void FakeTimer::fire() {
    if (m_singleShot)
        m_active = false;
    else
        m_due = m_clock->nowMs() + std::max(1, m_interval);
    emit timeout();
}
