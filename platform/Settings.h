#pragma once
// The per-user settings store: texts by section and key. INI file, user scope, "Kestrane"/"OrvexMon".
#include <QString>
#include <QVector>
#include <memory>

class QSettings;

class Settings {
public:
    struct Entry {
        QString section;
        QString key;
        QString value;
    };

    // The user's settings file ($XDG_CONFIG_HOME/Kestrane/OrvexMon.conf on Linux).
    Settings();
    // A settings file at the given path (tests, portable use).
    explicit Settings(const QString& iniFilePath);
    ~Settings();

    QString readText(const QString& section, const QString& key, const QString& defaultValue) const;
    // Whole decimal numbers only (optional sign, surrounding blanks); anything else reads as the default.
    int readInt(const QString& section, const QString& key, int defaultValue) const;
    // Text-to-boolean: "True"/"False" in any case, or a number (non-zero is true); anything else is false.
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;
    void writeText(const QString& section, const QString& key, const QString& value);
    void writeInt(const QString& section, const QString& key, int value);
    // Written as the word True or False.
    void writeBool(const QString& section, const QString& key, bool value);
    bool contains(const QString& section, const QString& key) const;
    // Every stored key with its text, sorted by section and key; keys outside a section come under "General".
    QVector<Entry> entries() const;
    void sync();
    QString fileName() const;

private:
    std::unique_ptr<QSettings> m_store;
};
