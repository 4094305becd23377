// testpoints: one reading of the family's test points and voltages, with the requests the family's operating
// values window sends when it becomes active: what the model then holds of them, each reading named by the
// caption the windows give it and shown as they show it (--json: as a JSON object). With --watch the same
// requests are sent again at the window's interval, and --csv saves every reading, as the window's "Save as CSV"
// does.
#include "cli/ExitStatus.h"
#include "cli/Session.h"
#include "cli/Verbs.h"
#include "model/MonitorModel.h"
#include "model/ReadingRecorder.h"
#include "platform/FileReplace.h"
#include "protocol/Catalogue.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/DiagnosticHandlers.h"
#include "protocol/TestPointDecoders.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>

namespace {

// What the operating values windows show.
constexpr DiagnosticParts shownParts = DiagnosticParts(DiagnosticPart::TestPoints) | DiagnosticPart::SyncFrequencies |
                                       DiagnosticPart::DeflectionStatus | DiagnosticPart::HvLimits;

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

// {"firmwareClass": 210, "readings": [{"caption": "+90V", "value": 89.1, "unit": "V", "text": "+089.1V"}, ...]};
// a state ("Operating") has no value and an empty unit.
QByteArray json(const MonitorModel& m) {
    QJsonArray readings;
    for (const DiagnosticReading& r : m.diagnostics.readings(shownParts))
        readings.append(QJsonObject{{QStringLiteral("caption"), r.caption},
                                    {QStringLiteral("value"), r.unit.isEmpty() ? QJsonValue() : QJsonValue(r.value)},
                                    {QStringLiteral("unit"), r.unit},
                                    {QStringLiteral("text"), r.text}});
    return QJsonDocument(
               QJsonObject{{QStringLiteral("firmwareClass"), m.firmwareClass}, {QStringLiteral("readings"), readings}})
        .toJson();
}

} // namespace

int runTestPoints(Session& session, const CliOptions& options) {
    const MonitorModel& m = session.model();
    const int decoder = TestPoints::decoderOf(m.firmwareClass);
    if (m.bootMode || decoder == 0) {
        std::fprintf(stderr, "The monitor (firmware class %d) has no test points this tool reads.\n", m.firmwareClass);
        return ExitStatus::Refused;
    }
    ReadingRecorder recorder;
    QObject::connect(session.handlers()->diagnostics(), &DiagnosticHandlers::diagnosticsChanged, &recorder,
                     [&recorder, &m] { recorder.take(m.diagnostics.latest()); });
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
    if (options.json)
        std::fputs(json(m).constData(), stdout);
    else
        for (const DiagnosticReading& r : m.diagnostics.readings(shownParts))
            std::printf("%-24s %s\n", qPrintable(r.caption), qPrintable(r.text));
    // What was read before an interruption is saved all the same.
    if (!options.csvFile.isEmpty()) {
        const FileReplaceResult written = replaceFileContents(options.csvFile, recorder.csv(recorder.captions()));
        if (!written.ok) {
            std::fprintf(stderr, "%s could not be written: %s\n", qPrintable(options.csvFile),
                         qPrintable(written.error));
            return status == ExitStatus::Done ? ExitStatus::FileError : status;
        }
    }
    return status;
}
