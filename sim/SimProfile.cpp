#include "sim/SimProfile.h"

namespace sim {

QStringList SimProfile::names() {
    return {QStringLiteral("1.38"), QStringLiteral("2.10"), QStringLiteral("3.15"), QStringLiteral("4.05")};
}

bool SimProfile::isKnown(const QString& name) {
    return names().contains(name);
}

SimProfile SimProfile::byName(const QString& name) {
    SimProfile p;
    const QString n = isKnown(name) ? name : defaultName();
    p.name = n;
    p.firmwareVersion = n;
    if (n == QLatin1String("1.38")) {
        p.family = 1;
        p.romVersion = QStringLiteral("1.02");
        p.description = QStringLiteral("CRT monitor, first-generation controller");
        p.modelNumber = QStringLiteral("KM-1921C");
        p.serialNumber = QStringLiteral("C19-004711");
        p.partNumber = QStringLiteral("900-1921-01");
        p.crtPartNumber = QStringLiteral("CRT-19-M7");
        p.crtSerialNumber = QStringLiteral("T8810442");
    } else if (n == QLatin1String("2.10")) {
        p.family = 2;
        p.romVersion = QStringLiteral("2.03");
        p.description = QStringLiteral("CRT monitor with board identity and capability report");
        p.hasBoardIdentity = true;
        p.hasCapability = true;
        // Low-voltage supply, video, deflection, north-south, convergence, G2.
        p.capability = 1 | 4 | 8 | 16 | 32 | 64;
        p.modelNumber = QStringLiteral("KM-2110D");
        p.serialNumber = QStringLiteral("D21-010203");
        p.partNumber = QStringLiteral("900-2110-03");
        p.crtPartNumber = QStringLiteral("CRT-21-P43");
        p.crtSerialNumber = QStringLiteral("T9921577");
    } else if (n == QLatin1String("3.15")) {
        p.family = 3;
        p.romVersion = QStringLiteral("3.01");
        p.description = QStringLiteral("flat-panel monitor with colour balance");
        p.hasCapability = true;
        p.flatPanel = true;
        // Low-voltage supply, power distribution, video, expansion LEDs.
        p.capability = 1 | 2 | 4 | 128;
        p.modelNumber = QStringLiteral("FP-1815");
        p.serialNumber = QStringLiteral("F18-220031");
        p.partNumber = QStringLiteral("910-1815-02");
    } else {
        p.family = 4;
        p.romVersion = QStringLiteral("4.00");
        p.description = QStringLiteral("flat-panel monitor with LED backlight");
        p.hasCapability = true;
        p.flatPanel = true;
        p.capability = 1 | 2 | 4;
        p.modelNumber = QStringLiteral("FP-2405L");
        p.serialNumber = QStringLiteral("L24-305517");
        p.partNumber = QStringLiteral("910-2405-01");
    }
    return p;
}

} // namespace sim
