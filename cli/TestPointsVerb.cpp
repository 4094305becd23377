// testpoints: one reading of the family's test points and voltages, with the requests the family's operating
// values window sends when it becomes active, shown as that window's controls show them (named as its controls
// are named).
#include "cli/ExitStatus.h"
#include "cli/Session.h"
#include "cli/Verbs.h"
#include "protocol/Catalogue.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/DiagnosticHandlers.h"
#include "protocol/TestPointDecoders.h"

#include <QPair>
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

} // namespace

int runTestPoints(Session& session, const CliOptions&) {
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
    int status = ExitStatus::Done;
    for (const QString& r : readsOf(decoder)) {
        const int s = session.request(r);
        if (s == ExitStatus::Interrupted)
            return s;
        if (s != ExitStatus::Done)
            status = s;
    }
    for (const auto& s : shown)
        std::printf("%-20s %s\n", qPrintable(s.first), qPrintable(s.second));
    return status;
}
