// The session on a noisy line, measured (not tested): one monitor session against the simulated 2.10 monitor at
// 2 % character noise in both directions, with Update All Data cycling and a colour-balance and a geometry value
// set every 3 s, as a technician adjusting with the data kept fresh would. A lost link is searched for again as
// the windowed tool does. Reports reconnects a minute, reads asked again, requests dropped (and named), and
// requests lost unsaid: accepted by the queue and never settled, or ended without an answer and told nowhere.
// Options: --minutes M (default 5), --noise PERCENT (default 2), --seed N (default 1).
#include "link/ConnectionSearch.h"
#include "link/Link.h"
#include "link/LinkStatistics.h"
#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"
#include "model/UpdateAllData.h"
#include "platform/Clock.h"
#include "platform/PortMap.h"
#include "platform/Settings.h"
#include "platform/Tone.h"
#include "protocol/Catalogue.h"
#include "session/MonitorSession.h"
#include "sim/PtySimulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {
class Silent : public Tone {
public:
    void play(int, int) override {}
};
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    auto option = [&args](const char* name, double fallback) {
        const int at = int(args.indexOf(QLatin1String(name)));
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1).toDouble() : fallback;
    };
    const double minutes = option("--minutes", 5);
    sim::SimOptions options;
    options.noisePercent = option("--noise", 2);
    options.seed = quint32(option("--seed", 1));
    sim::PtySimulator simulator(options);
    QString error;
    if (!simulator.start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(error));
        return 1;
    }

    QTemporaryDir dir;
    Settings settings(dir.filePath(QStringLiteral("soak.conf")));
    QtClock clock;
    Silent tone;
    MonitorSession session({&settings, &clock, &tone, nullptr});
    session.portMap()->setOverride(1, simulator.devicePath());
    if (!session.link()->openPort(1, QStringLiteral("9600,N,8,1"))) {
        std::fprintf(stderr, "port: %s\n", qPrintable(session.link()->portTrouble()));
        return 1;
    }
    session.model()->initialise();

    // Every request the queue accepted, until its outcome comes; and the ones that ended unanswered.
    QSet<RequestId> open;
    QSet<RequestId> unanswered;
    int settled = 0;
    TransmitQueue* queue = session.queue();
    QObject::connect(queue, &TransmitQueue::requestWritten, [&](RequestId id) { open.insert(id); });
    QObject::connect(queue, &TransmitQueue::requestSettled, [&](const RequestOutcome& o) {
        open.remove(o.id);
        ++settled;
        if (o.ending != RequestOutcome::Ending::Answered && o.request.kind != Request::Kind::Ping)
            unanswered.insert(o.id);
    });
    int named = 0;
    QObject::connect(&session, &MonitorSession::requestsDroppedNamed, [&](const QStringList& c) { named += c.size(); });
    int settingsNamed = 0;
    QObject::connect(&session, &MonitorSession::settingNotApplied, [&] { ++settingsNamed; });
    int lostLinks = 0;
    ConnectionSearch* search = session.search();
    QObject::connect(&session, &MonitorSession::connectionLost, [&] {
        ++lostLinks;
        search->start();
    });

    UpdateAllData updateAll(*session.model(), clock, [&session](const QString& r) { session.send(r); });
    QObject::connect(search, &ConnectionSearch::found, [&] { updateAll.start(); });
    QTimer adjust;
    int step = 0;
    QObject::connect(&adjust, &QTimer::timeout, [&] {
        if (!session.model()->monitorResponding)
            return;
        ++step;
        const Catalogue::Setting red = Catalogue::dacSetting(QLatin1Char('l'), 2, 100 + step % 50);
        const Catalogue::Setting width = Catalogue::dacSetting(QLatin1Char('g'), 1, 120 + step % 40);
        session.submit({Request::Kind::Setting, red.text, red.key});
        session.submit({Request::Kind::Setting, width.text, width.key});
    });
    adjust.start(3000);
    search->start();

    QElapsedTimer elapsed;
    elapsed.start();
    const qint64 endMs = qint64(minutes * 60000);
    while (elapsed.elapsed() < endMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 200);
    updateAll.stop();
    adjust.stop();
    // What is still in flight at the end gets its outcome (or the time-out) before the count.
    QElapsedTimer drain;
    drain.start();
    while (!session.linkIdle() && drain.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 200);
    QCoreApplication::processEvents();

    const LinkStatistics& stats = session.link()->statistics();
    const int dropped = session.requestsDropped();
    // Told: every drop is named in a batch; a refused or timed-out setting is named; a refused read is asked
    // again (and its second outcome counted); a timed-out read ends with the lost link, which is said.
    const int lostUnsaid = int(open.size()) + std::max(0, dropped - named);
    std::printf("soak %.1f min at %.1f %% noise (seed %u): %llu requests written, %d settled\n", minutes,
                options.noisePercent, options.seed, static_cast<unsigned long long>(stats.requests()), settled);
    std::printf("  links lost %d (%.2f a minute), reconnects %llu\n", lostLinks, lostLinks / minutes,
                static_cast<unsigned long long>(stats.reconnects()));
    std::printf("  reads asked again %d, refusals %llu, time-outs %llu\n", session.requestsRetried(),
                static_cast<unsigned long long>(stats.rejections()), static_cast<unsigned long long>(stats.timeOuts()));
    std::printf("  requests dropped %d (named %d), settings not applied and named %d, unanswered %d\n", dropped, named,
                settingsNamed, int(unanswered.size()));
    std::printf("  requests lost unsaid %d\n", lostUnsaid);
    return lostUnsaid == 0 ? 0 : 2;
}
