#pragma once

#include <QString>
#include <QStringList>

namespace sim {

// How a simulator is started: profile, mode and faults. The same options exist as command-line
// options of orvexmon-sim (fromArguments/toArguments) and as run-time setters of PtySimulator.
struct SimOptions {
    QString profile = QStringLiteral("2.10"); // --profile 1.38|2.10|3.15|4.05
    bool bootMode = false;                    // --boot
    QString linkPath;                         // --link PATH: symbolic link to the slave device
    QString imageOut;                         // --image-out FILE: programmed image after each download
    bool silent = false;                      // --silent
    bool barePrompt = false;                  // --bare-prompt: no CR LF after the prompt or "!"
    int silentAfter = -1;                     // --silent-after N (answers), -1 never
    int delayMs = 0;                          // --delay MS before each answer
    int eraseMs = 0;                          // --erase-time MS: the flash erase ("bf3") takes this long
    int baud = 0;                             // --baud 9600|19200..., 0 unthrottled
    int rejectRecord = 0;                     // --reject-record K (1 = first record of a download)
    int rejectTimes = 1;                      // --reject-times N
    double noisePercent = 0;                  // --noise PERCENT of the characters on the line
    quint32 seed = 1;                         // --seed for the noise
    int drift = 0;                            // --drift COUNTS: one voltage moves at each test-point read

    // Parses the arguments after the program name. False with *error for an unknown option or value.
    static bool fromArguments(const QStringList& arguments, SimOptions* options, QString* error = nullptr);
    // The arguments that make orvexmon-sim start with these options (defaults left out).
    QStringList toArguments() const;
    static QString usage();
};

} // namespace sim
