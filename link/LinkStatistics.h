#pragma once
// What the link has done since the tool started, for the link report and the diagnostic report. The link and
// the connection search count; nothing here touches the port.
//
// - requests: lines the transmit queue wrote; typed characters written straight to the port (queue bypass)
//   are counted apart, as characters.
// - answers: texts ended by an answer prompt ("#" or "$").
// - rejections: texts ended by "!".
// - time-outs: the answer time-out after a keep-alive ping ran out.
// - retries: pings of a connection search after its first (each one a try the search repeats because nothing
//   answered), and kicks of the transmit queue that found lines still queued behind a written line that has
//   had no answer.
// - connections lost, and reconnects: searches that found the monitor again after a lost connection.
// - answer time: from the write of a queued line to the answer prompt that follows it, in whole milliseconds.
//   Kept as a histogram (one cell per millisecond up to answerTimeRangeMs, one overflow cell beyond), so the
//   memory stays fixed however long the tool runs and the median is exact to the millisecond.
#include <QtGlobal>

#include <vector>

class LinkStatistics {
public:
    static constexpr int answerTimeRangeMs = 10000;

    LinkStatistics();

    void noteLineWritten(qint64 nowMs);
    void noteDirectWrite(int characters);
    // An answer prompt; times the answer when a written line is waiting for its first prompt.
    void noteAnswer(qint64 nowMs);
    void noteRejection();
    void noteTimeOut();
    void noteRetry();
    void noteConnectionLost();
    // The connection search found a monitor: a reconnect when the connection had been lost before.
    void noteMonitorFound();
    // One answer time directly (negative times count as 0).
    void addAnswerTime(qint64 ms);

    quint64 requests() const { return m_requests; }
    quint64 directCharacters() const { return m_directCharacters; }
    quint64 answers() const { return m_answers; }
    quint64 rejections() const { return m_rejections; }
    quint64 timeOuts() const { return m_timeOuts; }
    quint64 retries() const { return m_retries; }
    quint64 connectionsLost() const { return m_connectionsLost; }
    quint64 reconnects() const { return m_reconnects; }

    quint64 timedAnswers() const { return m_timed; }
    // The median answer time in milliseconds (the mean of the two middle times for an even count); -1 with no
    // timed answer. When a middle time lies beyond the histogram it counts as answerTimeRangeMs and
    // medianBeyondRange() says so.
    double medianAnswerMs() const;
    bool medianBeyondRange() const;
    // The longest answer time (exact, also beyond the histogram); -1 with no timed answer.
    qint64 worstAnswerMs() const { return m_timed ? m_worst : -1; }

private:
    // The time of the k-th shortest answer (0-based), answerTimeRangeMs for one beyond the histogram.
    int timeAtRank(quint64 k) const;

    quint64 m_requests = 0;
    quint64 m_directCharacters = 0;
    quint64 m_answers = 0;
    quint64 m_rejections = 0;
    quint64 m_timeOuts = 0;
    quint64 m_retries = 0;
    quint64 m_connectionsLost = 0;
    quint64 m_reconnects = 0;
    bool m_lost = false;

    bool m_lineAwaitingPrompt = false;
    qint64 m_writtenAtMs = 0;
    // Cells 0 .. answerTimeRangeMs - 1, then the overflow cell.
    std::vector<quint64> m_histogram;
    quint64 m_timed = 0;
    qint64 m_worst = 0;
};
