#pragma once
// Timers behind a small interface so that the link's 2000/5000/7000 ms logic runs under a fake clock in tests.
#include <QObject>
#include <memory>

class Timer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual void setInterval(int ms) = 0;
    virtual int interval() const = 0;
    virtual void setSingleShot(bool singleShot) = 0;
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    // Sets the interval and (re)starts the countdown.
    void start(int ms) {
        setInterval(ms);
        start();
    }
signals:
    void timeout();
};

class Clock {
public:
    virtual ~Clock() = default;
    // The timer belongs to parent (Qt ownership).
    virtual Timer* createTimer(QObject* parent) = 0;
    virtual qint64 nowMs() const = 0;
};

// QTimer-backed timers on the calling thread's event loop.
class QtClock : public Clock {
public:
    Timer* createTimer(QObject* parent) override;
    qint64 nowMs() const override;
};
