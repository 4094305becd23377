#include "platform/Clock.h"

#include <QElapsedTimer>
#include <QTimer>

namespace {
class QtTimer : public Timer {
public:
    explicit QtTimer(QObject* parent) : Timer(parent) {
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, &Timer::timeout);
    }
    void setInterval(int ms) override { m_timer.setInterval(ms); }
    int interval() const override { return m_timer.interval(); }
    void setSingleShot(bool singleShot) override { m_timer.setSingleShot(singleShot); }
    using Timer::start;
    void start() override { m_timer.start(); }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

const QElapsedTimer& processClock() {
    static QElapsedTimer t = [] {
        QElapsedTimer e;
        e.start();
        return e;
    }();
    return t;
}
} // namespace

Timer* QtClock::createTimer(QObject* parent) { return new QtTimer(parent); }

qint64 QtClock::nowMs() const { return processClock().elapsed(); }
