#include "platform/Settings.h"

#include <QSettings>
#include <QStandardPaths>

namespace {
QString path(const QString& section, const QString& key) { return section + QLatin1Char('/') + key; }
} // namespace

Settings::Settings()
    : m_store(std::make_unique<QSettings>(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                                              QStringLiteral("/Kestrane/OrvexMon.conf"),
                                          QSettings::IniFormat)) {}

Settings::Settings(const QString& iniFilePath) : m_store(std::make_unique<QSettings>(iniFilePath, QSettings::IniFormat)) {}

Settings::~Settings() { m_store->sync(); }

QString Settings::readText(const QString& section, const QString& key, const QString& defaultValue) const {
    const QVariant v = m_store->value(path(section, key));
    if (!v.isValid())
        return defaultValue;
    // A value stored as a list (a comma in a hand-edited file) is read back joined, as it was written.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(','));
    return v.toString();
}

int Settings::readInt(const QString& section, const QString& key, int defaultValue) const {
    bool ok = false;
    const int value = readText(section, key, QString()).trimmed().toInt(&ok);
    return ok ? value : defaultValue;
}

bool Settings::readBool(const QString& section, const QString& key, bool defaultValue) const {
    if (!contains(section, key))
        return defaultValue;
    const QString text = readText(section, key, QString()).trimmed();
    if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
        return true;
    bool ok = false;
    const double number = text.toDouble(&ok);
    return ok && number != 0.0;
}

void Settings::writeText(const QString& section, const QString& key, const QString& value) {
    m_store->setValue(path(section, key), value);
}

void Settings::writeInt(const QString& section, const QString& key, int value) {
    writeText(section, key, QString::number(value));
}

void Settings::writeBool(const QString& section, const QString& key, bool value) {
    writeText(section, key, value ? QStringLiteral("True") : QStringLiteral("False"));
}

bool Settings::contains(const QString& section, const QString& key) const { return m_store->contains(path(section, key)); }

QVector<Settings::Entry> Settings::entries() const {
    QVector<Entry> out;
    QStringList keys = m_store->allKeys();
    keys.sort();
    for (const QString& full : keys) {
        const int slash = full.indexOf(QLatin1Char('/'));
        const QString section = slash < 0 ? QStringLiteral("General") : full.left(slash);
        const QString key = slash < 0 ? full : full.mid(slash + 1);
        out.push_back({section, key, readText(section, key, QString())});
    }
    return out;
}

void Settings::sync() { m_store->sync(); }

QString Settings::fileName() const { return m_store->fileName(); }
