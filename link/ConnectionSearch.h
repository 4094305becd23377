#pragma once
// The search for a monitor: a ping every 2000 ms until a prompt answer sets monitorResponding, or until the
// retry limit runs out (never, while Auto ReConnect is checked).
#include <QObject>
#include <QString>

class Clock;
class ConnectionStates;
class Link;
class Timer;

class ConnectionSearch : public QObject {
    Q_OBJECT
public:
    static constexpr int tickMs = 2000;

    ConnectionSearch(Link* link, Clock* clock, ConnectionStates* states, QObject* parent = nullptr);

    int connectRetryLimit = 5;
    bool autoReConnect = true;

    int retriesToGo() const { return m_retriesToGo; }
    bool isSearching() const;

    // The search window's activation: restart the count and ping.
    void start();
    void cancel();
    // Stops the pings quietly (the windows are hidden by whoever stops it; the state is theirs to set).
    void stop();
    // Ends a running search at once when a prompt answer has already come, as its next tick would: the command
    // line does not wait out the rest of the 2000 ms. False (nothing done) otherwise.
    bool concludeIfAnswered();

signals:
    void countChanged(int limit, int retriesToGo);
    void found(bool bootMode);
    void gaveUp();
    // The search window hides itself (found, gave up or cancelled).
    void finished();

private:
    void tick();
    void monitorFound();
    QString device() const;

    Link* m_link;
    ConnectionStates* m_states;
    Timer* m_tick;
    int m_retriesToGo = 0;
    // Pings of this search so far, for the log.
    int m_pings = 0;
};
