#pragma once
// The verbs of the command line, one job each: the table that the option parser, --help and main share, and
// the function that does each job once the monitor has been found.
#include <QString>
#include <QVector>
#include <functional>
#include <vector>

class MonitorModel;
class Session;
struct WriteBackFile;
struct CliOptions;

struct Verb {
    const char* name;
    const char* synopsis;
    const char* summary;
    int minArguments;
    int maxArguments; // -1: no limit
    // The job, on a session whose monitor has been found; returns an exit status.
    int (*run)(Session& session, const CliOptions& options);
    // False for a verb that works on the history alone: no port is opened, no monitor searched for.
    bool needsMonitor = true;
    // Reports on standard output that the monitor could not be reached (for a verb whose output a program reads);
    // nullptr for the others, whose message on standard error says it.
    void (*failed)(Session& session, const CliOptions& options, int status) = nullptr;
};

const std::vector<Verb>& verbs();
const Verb* findVerb(const QString& name);

int runIdentify(Session& session, const CliOptions& options);
void identifyFailed(Session& session, const CliOptions& options, int status);
int runRead(Session& session, const CliOptions& options);
int runWrite(Session& session, const CliOptions& options);
int runFlash(Session& session, const CliOptions& options);
int runSram(Session& session, const CliOptions& options);
int runTestPoints(Session& session, const CliOptions& options);
int runSend(Session& session, const CliOptions& options);
int runHistory(Session& session, const CliOptions& options);
int runDiff(Session& session, const CliOptions& options);
int runRestore(Session& session, const CliOptions& options);

// Reads the values of the scan sets choose() picks (once the monitor's scan-set list and current scan set are
// read), selecting each in turn and the one it ran afterwards; asked: the scan sets were named by the user, so
// a monitor that does not report its current one is not read as it runs.
int readScanSets(Session& session, const std::function<QVector<int>(const MonitorModel&)>& choose, bool asked);
// Write File to Monitor of file, with progress, summary and the identity checks, recorded in the history as a
// change from source.
int writeBack(Session& session, const CliOptions& options, const WriteBackFile& file, const QString& source);
