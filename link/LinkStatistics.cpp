#include "link/LinkStatistics.h"

#include <algorithm>

LinkStatistics::LinkStatistics() : m_histogram(answerTimeRangeMs + 1, 0) {}

void LinkStatistics::noteLineWritten(qint64 nowMs) {
    ++m_requests;
    // A line is written only after the previous one was answered or given up, so timing restarts here.
    m_lineAwaitingPrompt = true;
    m_writtenAtMs = nowMs;
}

void LinkStatistics::noteDirectWrite(int characters) {
    if (characters > 0)
        m_directCharacters += quint64(characters);
}

void LinkStatistics::noteAnswer(qint64 nowMs) {
    ++m_answers;
    if (!m_lineAwaitingPrompt)
        return;
    m_lineAwaitingPrompt = false;
    addAnswerTime(nowMs - m_writtenAtMs);
}

void LinkStatistics::noteRejection() {
    ++m_rejections;
}

void LinkStatistics::noteTimeOut() {
    ++m_timeOuts;
}

void LinkStatistics::noteRetry() {
    ++m_retries;
}

void LinkStatistics::noteConnectionLost() {
    ++m_connectionsLost;
    m_lost = true;
}

void LinkStatistics::noteMonitorFound() {
    if (!m_lost)
        return;
    m_lost = false;
    ++m_reconnects;
}

void LinkStatistics::addAnswerTime(qint64 ms) {
    ms = std::max<qint64>(ms, 0);
    const std::size_t cell = std::size_t(std::min<qint64>(ms, answerTimeRangeMs));
    ++m_histogram[cell];
    m_worst = m_timed ? std::max(m_worst, ms) : ms;
    ++m_timed;
}

int LinkStatistics::timeAtRank(quint64 k) const {
    quint64 seen = 0;
    for (int ms = 0; ms < int(m_histogram.size()); ++ms) {
        seen += m_histogram[std::size_t(ms)];
        if (seen > k)
            return ms;
    }
    return answerTimeRangeMs;
}

double LinkStatistics::medianAnswerMs() const {
    if (!m_timed)
        return -1;
    const quint64 upper = m_timed / 2;
    if (m_timed % 2)
        return timeAtRank(upper);
    return (timeAtRank(upper - 1) + timeAtRank(upper)) / 2.0;
}

bool LinkStatistics::medianBeyondRange() const {
    return m_timed && timeAtRank(m_timed / 2) >= answerTimeRangeMs;
}
