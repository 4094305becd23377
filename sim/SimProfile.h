#pragma once

#include <QString>
#include <QStringList>

namespace sim {

// One monitor family as the simulator plays it: what the controller reports about itself and which
// answers its firmware knows.
struct SimProfile {
    QString name;            // option value, e.g. "2.10"
    int family = 2;          // 1 CRT, 2 CRT with board identity, 3 flat panel, 4 flat panel with LED backlight
    QString firmwareVersion; // digits as reported after "V "
    QString romVersion;      // boot EPROM version
    QString description;
    bool hasBoardIdentity = false; // answers the per-board part and serial number reads
    bool hasCapability = false;    // answers "dx"
    int capability = 0;            // bit mask reported by "dx"
    bool flatPanel = false;
    QString modelNumber;
    QString serialNumber;
    QString partNumber;
    QString crtPartNumber;
    QString crtSerialNumber;

    static QStringList names(); // "1.38", "2.10", "3.15", "4.05"
    static bool isKnown(const QString& name);
    static SimProfile byName(const QString& name); // unknown names give the default profile
    static QString defaultName() { return QStringLiteral("2.10"); }
};

} // namespace sim
