#pragma once
// Update All Data: reads everything the tool shows about a monitor, one request per second from a 1000 ms
// timer, and then keeps cycling through the reads for as long as the tool runs. The first pass after a start
// also reads the test points and the boot block.
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class Clock;
class MonitorModel;
class Timer;

class UpdateAllData : public QObject {
    Q_OBJECT
public:
    // Queues one request (command text without CR LF) on the transmit queue.
    using QueueRequest = std::function<void(const QString&)>;

    UpdateAllData(MonitorModel& model, Clock& clock, QueueRequest queueRequest, QObject* parent = nullptr);

    static constexpr int lastStep = 44;
    static constexpr int intervalMs = 1000;
    // The request of a step; empty for step 3 and for the reset step (any number outside 0 to 44).
    static QString stepRequest(int step);
    // What a step queues for this monitor: its request and, at the serial-number step of a monitor whose boards
    // report their numbers, the part number and the CRT's numbers as well, which the data file holds and the step
    // table does not read.
    static QStringList stepRequests(int step, const MonitorModel& model);
    // The convergence reads, in the order they are queued.
    static QStringList convergenceReadList();

    // "&Update All Data" and the data-file writer: the cycle starts again at step 0, which is sent at once;
    // the following ticks send steps 1, 2, 3 (nothing), 4 ... 44.
    void start();
    // Stops the cycle until the next start.
    void stop();
    bool isRunning() const;
    // Sends the request of one step; nothing at all while no monitor answers.
    void updateAllStep(int step);
    // All convergence reads at once, when a monitor answers and reports convergence capability.
    void readConvergenceData();

    // SendCount: the number of the next step. It stops counting at the reset step while no monitor answers,
    // which behaves as any larger number would.
    int sendCount() const { return m_sendCount; }
    // tmrSave.
    Timer* timer() const { return m_timer; }
    // Passes through the steps since the last start: 1 during the first.
    int cycle() const { return m_cycle; }

signals:
    // A step was taken while a monitor answers (for the main window's status).
    void stepTaken(int step, int cycle);
    // The pass ended with its last step; the cycle goes on with the next.
    void cycleEnded(int cycle);
    void runningChanged(bool running);

private:
    void tick();

    MonitorModel& m_model;
    QueueRequest m_queueRequest;
    Timer* m_timer;
    qint16 m_sendCount = 0;
    int m_cycle = 0;
    bool m_running = false;
};
