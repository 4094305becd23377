#pragma once

#include <QByteArray>
#include <QRandomGenerator>

namespace sim {

// Corrupts characters on the line like electrical noise: each character is replaced, with the given
// probability, by a character with one bit flipped. Deterministic for a seed.
class LineNoise {
public:
    explicit LineNoise(double percent = 0, quint32 seed = 1) { configure(percent, seed); }
    void configure(double percent, quint32 seed);
    double percent() const { return m_percent; }
    bool isActive() const { return m_percent > 0; }
    QByteArray apply(const QByteArray& data);
    int corrupted() const { return m_corrupted; }

private:
    double m_percent = 0;
    QRandomGenerator m_random;
    int m_corrupted = 0;
};

} // namespace sim
