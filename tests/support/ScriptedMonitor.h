#pragma once
// A monitor for window tests on the fake port: it answers every line the tool writes at once, with the echo,
// the reply lines scripted for that request, the prompt "#" and a line end. So the link keeps draining its queue, and
// everything the tool queued reaches the fake port's record in order.
#include "support/ToolHarness.h"

#include <QHash>
#include <QObject>
#include <QStringList>

class ScriptedMonitor : public QObject {
    Q_OBJECT
public:
    explicit ScriptedMonitor(ToolHarness& harness);

    // Reply lines by request text (without line end). A request without an entry is acknowledged: its echo
    // and the prompt.
    QHash<QString, QStringList> replies;
    // While false, lines are written but not answered.
    bool answering = true;

    // Answers the search's ping and the firmware-version read with "V " + version, runs the link until it is
    // idle, and forgets what was written so far. False when the tool did not come online.
    bool goOnline(const QString& version);
    // Lets the fake clock run in write-pause steps until nothing is queued or in flight (at most maxMs).
    void settle(int maxMs = 20000);
    // Lines written since the last call, each followed by "|".
    QString takeWritten();
    // Lines written since the last call, after the link has drained its queue.
    QString sent() {
        settle();
        return takeWritten();
    }
    // Without a monitor the search's ping is in flight and unanswered, so whatever a window queues waits in the
    // queue: nothing written since the last call and an empty queue mean nothing was queued.
    bool nothingQueued();
    // Every line written and answered so far, without line ends.
    QStringList answered;

private:
    void lineWritten(const QByteArray& line);

    ToolHarness& m_h;
    int m_mark = 0;
};
