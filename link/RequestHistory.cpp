#include "link/RequestHistory.h"

#include "platform/Settings.h"

namespace {
const QString kSection = QStringLiteral("RequestHistory");

QString keyOf(int index) {
    return QStringLiteral("Request%1").arg(index + 1);
}

bool usable(const QString& request) {
    return !request.isEmpty() && request.size() <= RequestHistory::maxRequestLength &&
           !request.contains(QLatin1Char('\r')) && !request.contains(QLatin1Char('\n'));
}
} // namespace

void RequestHistory::add(const QString& request) {
    m_position = -1;
    m_draft.clear();
    if (request.isEmpty() || (!m_entries.isEmpty() && m_entries.first() == request))
        return;
    m_entries.prepend(request);
    while (m_entries.size() > maxEntries)
        m_entries.removeLast();
}

QString RequestHistory::older(const QString& current) {
    if (m_position + 1 >= m_entries.size())
        return current;
    if (m_position < 0)
        m_draft = current;
    return m_entries.at(++m_position);
}

QString RequestHistory::newer(const QString& current) {
    if (m_position < 0)
        return current;
    --m_position;
    return m_position < 0 ? m_draft : m_entries.at(m_position);
}

void RequestHistory::load(const Settings& settings) {
    m_entries.clear();
    m_position = -1;
    m_draft.clear();
    for (int i = 0; i < maxEntries; ++i) {
        const QString request = settings.readText(kSection, keyOf(i), QString());
        if (usable(request))
            m_entries << request;
    }
}

void RequestHistory::save(Settings& settings) const {
    for (int i = 0; i < maxEntries; ++i) {
        if (i < m_entries.size())
            settings.writeText(kSection, keyOf(i), m_entries.at(i));
        else if (settings.contains(kSection, keyOf(i)))
            // A key left over from a longer list (one unusable value was left out) would come back stale.
            settings.writeText(kSection, keyOf(i), QString());
    }
}
