#pragma once
// The tool's own version as the windows show it, "major.minor.patch".
#include <QString>

inline QString toolVersionText() {
    return QStringLiteral("%1.%2.%3")
        .arg(ORVEXMON_VERSION_MAJOR)
        .arg(ORVEXMON_VERSION_MINOR)
        .arg(ORVEXMON_VERSION_PATCH);
}
