#pragma once
// The requests sent from the log window's request line, most recent first, walked like a shell's history:
// older() and newer() step through them, and stepping newer past the most recent gives back the text that
// was being typed. Kept across runs in a settings section of its own, one key per entry.
#include <QString>
#include <QStringList>

class Settings;

class RequestHistory {
public:
    static constexpr int maxEntries = 50;
    // The longest text read back as a request; anything longer is not one this tool wrote.
    static constexpr int maxRequestLength = 1000;

    const QStringList& entries() const { return m_entries; }

    // A sent request becomes the most recent; repeating the most recent adds nothing. Ends any walk.
    void add(const QString& request);

    // The walk: current is what the request line shows now (kept as the draft when the walk starts).
    // Each returns the text to show, or current itself when there is nothing further that way.
    QString older(const QString& current);
    QString newer(const QString& current);
    // Position of the walk: -1 at the draft, 0 at the most recent entry.
    int position() const { return m_position; }

    // Section "RequestHistory", keys "Request1" (most recent) to "Request50". A missing, empty or unusable
    // value (longer than maxRequestLength, or holding a line break) is left out.
    void load(const Settings& settings);
    void save(Settings& settings) const;

private:
    QStringList m_entries;
    int m_position = -1;
    QString m_draft;
};
