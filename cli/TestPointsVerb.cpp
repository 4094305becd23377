// testpoints: one reading of the family's test points and voltages, with the requests the family's operating
// values window sends when it becomes active, shown as that window's controls show them (named as its controls
// are named). With --watch the same requests are sent again at the window's interval, and --csv saves every
// reading of the window, as its "Save as CSV" does.
#include "cli/ExitStatus.h"
#include "cli/Session.h"
#include "cli/Verbs.h"
#include "model/ReadingRecorder.h"
#include "platform/FileReplace.h"
#include "protocol/Catalogue.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/DiagnosticHandlers.h"
#include "protocol/TestPointDecoders.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QPair>
#include <algorithm>
#include <cstdio>

namespace {

// The window of a family's test points.
DiagWindow windowOf(int decoder) {
    switch (decoder) {
    case 1:
        return DiagWindow::TestPoint;
    case 2:
        return DiagWindow::MdiTestPoints;
    default:
        return DiagWindow::FlatPanel;
    }
}

QStringList readsOf(int decoder) {
    if (decoder == 1 || decoder == 2)
        return {Catalogue::readTestPoints(), Catalogue::readSyncFrequencies(), Catalogue::readPanelStatus(),
                Catalogue::readHvControls()};
    return {Catalogue::readTestPoints()};
}

// The interval of the family's operating values window.
int intervalMsOf(int decoder) {
    return decoder == 2 ? 10000 : 5000;
}

// Says so on stderr when a reading leaves its limits.
void reportOutside(const ReadingRecorder& recorder, const QString& caption, const ReadingRecorder::Sample& s) {
    if (!s.outside)
        return;
    const ReadingRecorder::Limits l = recorder.limits(caption);
    std::fprintf(stderr, "%s %s: %s %g %s, outside its limits %g to %g\n",
                 qPrintable(QDateTime::fromMSecsSinceEpoch(s.timeMs).toString(Qt::ISODate)), qPrintable(caption),
                 qPrintable(caption), double(s.value), qPrintable(recorder.unit(caption)), l.lower, l.upper);
}

} // namespace

int runTestPoints(Session& session, const CliOptions& options) {
    const MonitorModel& m = session.model();
    const int decoder = TestPoints::decoderOf(m.firmwareClass);
    if (m.bootMode || decoder == 0) {
        std::fprintf(stderr, "The monitor (firmware class %d) has no test points this tool reads.\n", m.firmwareClass);
        return ExitStatus::Refused;
    }
    const DiagWindow window = windowOf(decoder);
    QVector<QPair<QString, QString>> shown;
    QObject::connect(session.handlers()->diagnostics(), &DiagnosticHandlers::controlTextsRead, &session,
                     [&](const ControlTexts& texts) {
                         for (const ControlText& t : texts) {
                             if (!t.windows.testFlag(window))
                                 continue;
                             auto it = std::find_if(shown.begin(), shown.end(),
                                                    [&t](const auto& s) { return s.first == t.control; });
                             if (it != shown.end())
                                 it->second = t.text;
                             else
                                 shown.append({t.control, t.text});
                         }
                     });
    ReadingRecorder recorder;
    QObject::connect(session.handlers()->diagnostics(), &DiagnosticHandlers::readingsTaken, &recorder,
                     &ReadingRecorder::take);
    QObject::connect(
        &recorder, &ReadingRecorder::recorded, &recorder,
        [&recorder](const QString& caption, const ReadingRecorder::Sample& s) { reportOutside(recorder, caption, s); });
    int status = ExitStatus::Done;
    QElapsedTimer watched;
    watched.start();
    const qint64 watchMs = qint64(options.watchSeconds) * 1000;
    for (qint64 next = 0; next <= watchMs; next += intervalMsOf(decoder)) {
        if (next > 0) {
            session.waitFor([] { return false; }, int(std::max<qint64>(0, next - watched.elapsed())));
            if (session.interrupted() || session.lost()) {
                status = session.interruption(QStringLiteral("the next reading"));
                break;
            }
        }
        for (const QString& r : readsOf(decoder)) {
            const int s = session.request(r);
            if (s != ExitStatus::Done)
                status = s;
            if (s == ExitStatus::Interrupted)
                break;
        }
        if (status == ExitStatus::Interrupted)
            break;
    }
    for (const auto& s : shown)
        std::printf("%-20s %s\n", qPrintable(s.first), qPrintable(s.second));
    // What was read before an interruption is saved all the same.
    if (!options.csvFile.isEmpty()) {
        const FileReplaceResult written = replaceFileContents(options.csvFile, recorder.csv(window));
        if (!written.ok) {
            std::fprintf(stderr, "%s could not be written: %s\n", qPrintable(options.csvFile),
                         qPrintable(written.error));
            return status == ExitStatus::Done ? ExitStatus::FileError : status;
        }
    }
    return status;
}
