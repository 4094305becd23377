#pragma once
// A clock for unit tests: time moves only when advance() is called, and due timers fire in time order.
#include "platform/Clock.h"

#include <QList>
#include <QPointer>

class FakeTimer;

class FakeClock : public Clock {
public:
    Timer* createTimer(QObject* parent) override;
    qint64 nowMs() const override { return m_now; }
    // Moves time forward by ms, firing every timer that falls due on the way (also timers started by a tick).
    void advance(qint64 ms);

private:
    friend class FakeTimer;
    qint64 m_now = 0;
    QList<QPointer<FakeTimer>> m_timers;
};

class FakeTimer : public Timer {
    Q_OBJECT
public:
    FakeTimer(FakeClock* clock, QObject* parent) : Timer(parent), m_clock(clock) {}
    void setInterval(int ms) override;
    int interval() const override { return m_interval; }
    void setSingleShot(bool singleShot) override { m_singleShot = singleShot; }
    using Timer::start;
    void start() override;
    void stop() override { m_active = false; }
    bool isActive() const override { return m_active; }
    qint64 dueAt() const { return m_due; }
    bool singleShot() const { return m_singleShot; }
    void fire();

private:
    FakeClock* m_clock;
    int m_interval = 0;
    bool m_singleShot = false;
    bool m_active = false;
    qint64 m_due = 0;
};
