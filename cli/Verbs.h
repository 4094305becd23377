#pragma once
// The verbs of the command line, one job each: the table that the option parser, --help and main share, and
// the function that does each job once the monitor has been found.
#include <QString>
#include <vector>

class Session;
struct CliOptions;

struct Verb {
    const char* name;
    const char* synopsis;
    const char* summary;
    int minArguments;
    int maxArguments; // -1: no limit
    // The job, on a session whose monitor has been found; returns an exit status.
    int (*run)(Session& session, const CliOptions& options);
};

const std::vector<Verb>& verbs();
const Verb* findVerb(const QString& name);

int runIdentify(Session& session, const CliOptions& options);
int runRead(Session& session, const CliOptions& options);
int runWrite(Session& session, const CliOptions& options);
int runFlash(Session& session, const CliOptions& options);
int runSram(Session& session, const CliOptions& options);
int runTestPoints(Session& session, const CliOptions& options);
int runSend(Session& session, const CliOptions& options);
