#pragma once
// What the command line asks for: how to reach the monitor (a device, a port number of the settings, or the
// simulated monitor), the line settings, the verb with its arguments and the options that go with it.
#include <QString>
#include <QStringList>

struct CliOptions {
    QString device;    // --port DEVICE
    int comNumber = 0; // --com N (0: the port number of the settings)
    QString simulate;  // --simulate PROFILE (without ":boot")
    bool simulateBoot = false;
    QString lineSettings = QStringLiteral("9600,N,8,1");
    QString logFile;   // --log FILE
    bool yes = false;  // --yes: agree to the questions the windows would ask
    bool json = false; // --json of identify, testpoints, history, diff, restore
    QString database;  // --database: the history's database (a SQLite file or a postgresql:// URL)
    QString output;    // read -o FILE
    int scanSet = 0;   // read --scan-set N (1 to 6); 0 the scan set the monitor runs
    bool allScanSets = false;
    int watchSeconds = 0; // testpoints --watch SECONDS: poll at the window's interval for that long
    QString csvFile;      // testpoints --csv FILE: the readings as CSV
    bool help = false;
    bool version = false;
    QString verb;
    QStringList arguments; // after the verb

    bool simulated() const { return !simulate.isEmpty(); }

    // Parses the arguments after the program name. False with *error for a usage error.
    static bool parse(const QStringList& arguments, CliOptions* out, QString* error);
    static QString helpText();
};
