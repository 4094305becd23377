// read: what Update All Data reads, request after request without its one-second pacing, then the monitor data
// file written by the data-file writer, as "S&ave As ..." writes it.
#include "cli/ExitStatus.h"
#include "cli/Session.h"
#include "cli/Verbs.h"
#include "model/DataFile.h"
#include "model/UpdateAllData.h"
#include "protocol/Catalogue.h"

#include <cstdio>

namespace {

// The requests of one pass of Update All Data; with dacsOnly, only the DAC reads (a further scan set).
QStringList passRequests(bool dacsOnly, const MonitorModel& m) {
    QStringList out;
    for (int step = 0; step <= UpdateAllData::lastStep; ++step)
        for (const QString& r : UpdateAllData::stepRequests(step, m))
            if (!dacsOnly || r.startsWith(QLatin1String("dd")))
                out << r;
    return out;
}

// The scan sets to read, as indices from 0: the one asked for, all of them, or the one the monitor runs.
QVector<int> scanSetsToRead(const CliOptions& options, const MonitorModel& m) {
    if (options.allScanSets) {
        QVector<int> all;
        for (int i = 0; i < std::min<int>(m.scanSetCount, MonitorModel::scanSetWindowRows); ++i)
            all << i;
        return all;
    }
    if (options.scanSet > 0)
        return {options.scanSet - 1};
    return {m.monitorScanSetNumber >= 1 && m.monitorScanSetNumber <= MonitorModel::scanSetWindowRows
                ? m.monitorScanSetNumber - 1
                : 0};
}

// Sends the requests in order; a refused read leaves its values as they were, as it does in the windows.
int sendAll(Session& session, const QStringList& requests) {
    for (const QString& r : requests) {
        const int status = session.request(r);
        if (status == ExitStatus::Interrupted)
            return status;
    }
    return ExitStatus::Done;
}

// Reads each scan set in turn, selecting it first unless the monitor runs it already; *moved once a selection
// went out.
int readEach(Session& session, const QVector<int>& sets, int running, bool asked, bool* moved) {
    MonitorModel& m = session.model();
    bool first = true;
    for (int set : sets) {
        // A monitor that does not report its scan set is read as it runs when no scan set was asked for.
        const bool asIs = first && (set == running || (running < 0 && !asked));
        if (!asIs) {
            *moved = true;
            const int status = session.request(Catalogue::selectScanSet(set));
            if (status != ExitStatus::Done) {
                if (status == ExitStatus::Refused)
                    std::fprintf(stderr, "The monitor refused to select scan set %d.\n", set + 1);
                return status;
            }
        }
        // The answers fill the tables at the tool's scan set, as after a choice in "Scan Selection".
        m.currentScanSet = qint16(set);
        m.scanSetEnabled[set] = 1;
        const int status = sendAll(session, passRequests(!first, m));
        if (status != ExitStatus::Done)
            return status;
        first = false;
    }
    return ExitStatus::Done;
}

} // namespace

int readScanSets(Session& session, const std::function<QVector<int>(const MonitorModel&)>& choose, bool asked) {
    MonitorModel& m = session.model();
    if (m.bootMode) {
        std::fprintf(stderr, "The monitor is in its boot block: it holds no values to read.\n");
        return ExitStatus::Refused;
    }
    // The scan sets' names, as "Scan Selection" reads them, so the file carries the real names; a monitor that
    // refuses the list keeps the start names.
    const int listed = session.request(Catalogue::readScanSetList());
    if (listed == ExitStatus::Interrupted)
        return listed;
    // The scan set the monitor runs, which it returns to afterwards.
    int status = session.request(Catalogue::readCurrentScanSet());
    if (status == ExitStatus::Interrupted)
        return status;
    const int running = m.monitorScanSetNumber - 1;
    const QVector<int> sets = choose(m);
    if (sets.isEmpty())
        return ExitStatus::Done;
    bool moved = false;
    status = readEach(session, sets, running, asked, &moved);
    if (!moved || running < 0 || session.lost())
        return status;
    // The monitor goes back to the scan set it ran, also after Ctrl-C (as a cancelled write leaves it).
    const int back = session.request(Catalogue::selectScanSet(running), nullptr, true);
    if (session.interrupted()) {
        if (back == ExitStatus::Done)
            std::fprintf(stderr, "The monitor runs scan set %d again.\n", running + 1);
        return ExitStatus::Interrupted;
    }
    return status == ExitStatus::Done && back == ExitStatus::Interrupted ? back : status;
}

int runRead(Session& session, const CliOptions& options) {
    const int status = readScanSets(
        session, [&options](const MonitorModel& m) { return scanSetsToRead(options, m); },
        options.allScanSets || options.scanSet > 0);
    if (status != ExitStatus::Done)
        return status;
    DataFile file(session.model());
    file.openForWriting(options.output);
    const DataFileResult written = file.writeMdf();
    if (!written.ok) {
        std::fprintf(stderr, "%s\n",
                     qPrintable(QString(written.message).replace(QLatin1Char('\r'), QLatin1Char('\n'))));
        return ExitStatus::FileError;
    }
    std::printf("%s\n", qPrintable(options.output));
    return ExitStatus::Done;
}
