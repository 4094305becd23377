#pragma once
// Ctrl-C (SIGINT) and SIGTERM as a Qt signal on the event loop: the handler only writes a byte to a pipe, so the
// job ends its work in order (a download stops as its Abort button stops it) instead of dying half-way.
#include <QObject>

class QSocketNotifier;

class InterruptNotifier : public QObject {
    Q_OBJECT
public:
    explicit InterruptNotifier(QObject* parent = nullptr);
    ~InterruptNotifier() override;
    bool interrupted() const { return m_interrupted; }

signals:
    void interruptedNow();

private:
    void onReadable();

    QSocketNotifier* m_notifier = nullptr;
    bool m_interrupted = false;
};
