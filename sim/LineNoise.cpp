#include "sim/LineNoise.h"

namespace sim {

void LineNoise::configure(double percent, quint32 seed) {
    m_percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    m_random.seed(seed);
}

QByteArray LineNoise::apply(const QByteArray& data) {
    if (m_percent <= 0)
        return data;
    QByteArray out = data;
    for (char& c : out) {
        if (m_random.generateDouble() * 100.0 < m_percent) {
            c = char(quint8(c) ^ quint8(1u << m_random.bounded(7)));
            ++m_corrupted;
        }
    }
    return out;
}

} // namespace sim
