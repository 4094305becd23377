#include "sim/SimOptions.h"

#include "sim/SimProfile.h"

namespace sim {

namespace {

bool intValue(const QString& text, int min, int max, int* out) {
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < min || v > max)
        return false;
    *out = v;
    return true;
}

} // namespace

QString SimOptions::usage() {
    return QStringLiteral(
        "Usage: orvexmon-sim [options]\n"
        "Simulated monitor controller on a pseudo-terminal. Prints the terminal's device path as its first line.\n"
        "  --profile P          firmware profile: 1.38, 2.10 (default), 3.15 or 4.05\n"
        "  --boot               start in the boot block (prompt $)\n"
        "  --link PATH          also make a symbolic link PATH to the terminal device\n"
        "  --image-out FILE     write the programmed image after each download (.bin raw, else Intel HEX)\n"
        "  --silent             never answer (a monitor that is switched off)\n"
        "  --bare-prompt        send nothing after the prompt (or \"!\") that ends an answer\n"
        "  --silent-after N     fall silent after N answers (an unplugged monitor)\n"
        "  --delay MS           wait MS milliseconds before each answer\n"
        "  --erase-time MS      the flash erase takes MS milliseconds before its answer\n"
        "  --baud RATE          pace both directions like a serial line at RATE baud (e.g. 9600, 19200)\n"
        "  --reject-record K    reject record K of each download (1 = first record)...\n"
        "  --reject-times N     ...the first N times it arrives (default 1)\n"
        "  --noise PERCENT      corrupt PERCENT of the characters in both directions\n"
        "  --seed N             seed of the noise (default 1)\n"
        "  --drift COUNTS       one voltage drifts by COUNTS at each test-point read (CRT: the anode voltage)\n"
        "  --help               this text\n"
        "Control lines on standard input: silent 0|1, silent-after N, delay MS, erase-time MS, baud RATE,\n"
        "reject-record K N, noise PERCENT [SEED], garble REQUEST (the next answer to REQUEST has a letter in its\n"
        "first number), send TEXT (puts TEXT on the line at once; \\r \\n \\t \\\\ \\xHH escapes).\n");
}

bool SimOptions::fromArguments(const QStringList& arguments, SimOptions* options, QString* error) {
    SimOptions o;
    auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        auto next = [&](QString* value) {
            if (i + 1 >= arguments.size())
                return false;
            *value = arguments[++i];
            return true;
        };
        QString v;
        if (a == QLatin1String("--boot")) {
            o.bootMode = true;
        } else if (a == QLatin1String("--silent")) {
            o.silent = true;
        } else if (a == QLatin1String("--bare-prompt")) {
            o.barePrompt = true;
        } else if (a == QLatin1String("--profile")) {
            if (!next(&v) || !SimProfile::isKnown(v))
                return fail(
                    QStringLiteral("--profile needs one of %1").arg(SimProfile::names().join(QLatin1String(", "))));
            o.profile = v;
        } else if (a == QLatin1String("--link")) {
            if (!next(&v) || v.isEmpty())
                return fail(QStringLiteral("--link needs a path"));
            o.linkPath = v;
        } else if (a == QLatin1String("--image-out")) {
            if (!next(&v) || v.isEmpty())
                return fail(QStringLiteral("--image-out needs a file name"));
            o.imageOut = v;
        } else if (a == QLatin1String("--silent-after")) {
            if (!next(&v) || !intValue(v, 0, 1000000000, &o.silentAfter))
                return fail(QStringLiteral("--silent-after needs a number of answers"));
        } else if (a == QLatin1String("--delay")) {
            if (!next(&v) || !intValue(v, 0, 600000, &o.delayMs))
                return fail(QStringLiteral("--delay needs milliseconds"));
        } else if (a == QLatin1String("--erase-time")) {
            if (!next(&v) || !intValue(v, 0, 600000, &o.eraseMs))
                return fail(QStringLiteral("--erase-time needs milliseconds"));
        } else if (a == QLatin1String("--drift")) {
            if (!next(&v) || !intValue(v, -255, 255, &o.drift))
                return fail(QStringLiteral("--drift needs counts from -255 to 255"));
        } else if (a == QLatin1String("--baud")) {
            if (!next(&v) || !intValue(v, 0, 4000000, &o.baud))
                return fail(QStringLiteral("--baud needs a rate"));
        } else if (a == QLatin1String("--reject-record")) {
            if (!next(&v) || !intValue(v, 0, 1000000000, &o.rejectRecord))
                return fail(QStringLiteral("--reject-record needs a record number"));
        } else if (a == QLatin1String("--reject-times")) {
            if (!next(&v) || !intValue(v, 0, 1000000, &o.rejectTimes))
                return fail(QStringLiteral("--reject-times needs a count"));
        } else if (a == QLatin1String("--noise")) {
            bool ok = false;
            if (!next(&v))
                return fail(QStringLiteral("--noise needs a percentage"));
            o.noisePercent = v.toDouble(&ok);
            if (!ok || o.noisePercent < 0 || o.noisePercent > 100)
                return fail(QStringLiteral("--noise needs a percentage from 0 to 100"));
        } else if (a == QLatin1String("--seed")) {
            bool ok = false;
            if (!next(&v))
                return fail(QStringLiteral("--seed needs a number"));
            o.seed = v.toUInt(&ok);
            if (!ok)
                return fail(QStringLiteral("--seed needs a number"));
        } else {
            return fail(QStringLiteral("unknown option %1").arg(a));
        }
    }
    if (options)
        *options = o;
    return true;
}

QStringList SimOptions::toArguments() const {
    QStringList a;
    a << QStringLiteral("--profile") << profile;
    if (bootMode)
        a << QStringLiteral("--boot");
    if (!linkPath.isEmpty())
        a << QStringLiteral("--link") << linkPath;
    if (!imageOut.isEmpty())
        a << QStringLiteral("--image-out") << imageOut;
    if (silent)
        a << QStringLiteral("--silent");
    if (barePrompt)
        a << QStringLiteral("--bare-prompt");
    if (silentAfter >= 0)
        a << QStringLiteral("--silent-after") << QString::number(silentAfter);
    if (delayMs > 0)
        a << QStringLiteral("--delay") << QString::number(delayMs);
    if (eraseMs > 0)
        a << QStringLiteral("--erase-time") << QString::number(eraseMs);
    if (drift != 0)
        a << QStringLiteral("--drift") << QString::number(drift);
    if (baud > 0)
        a << QStringLiteral("--baud") << QString::number(baud);
    if (rejectRecord > 0)
        a << QStringLiteral("--reject-record") << QString::number(rejectRecord) << QStringLiteral("--reject-times")
          << QString::number(rejectTimes);
    if (noisePercent > 0)
        a << QStringLiteral("--noise") << QString::number(noisePercent) << QStringLiteral("--seed")
          << QString::number(seed);
    return a;
}

} // namespace sim
