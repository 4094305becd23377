// Slider values on a slow line, measured (not tested): the link against the simulated monitor on a
// pseudo-terminal paced at 9600 baud, with a user who holds a key on a slider (one value every 30 ms, the
// keyboard's repeat rate). Measured from the last change to the moment the final value's line has arrived
// complete at the simulated controller, and how many lines went out, for each scenario:
//  - an arrow key held for 60 repeats on one DAC;
//  - Page Down held for 15 repeats on one DAC;
//  - two DACs moved together for 60 repeats (a convergence direction held: its coupled sliders move at once);
//  - two DACs taking turns for 60 repeats.
// Each scenario runs with the values queued as settings (a newer value replaces the waiting one of its DAC) and,
// for comparison, as plain requests that queue behind one another (the behaviour without replacement).
// Options: --runs N (runs of each scenario with replacement, default 7), --plain-runs N (without, default 2).
#include "link/Link.h"
#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"
#include "platform/Clock.h"
#include "platform/PortMap.h"
#include "platform/QtSerialPort.h"
#include "platform/Settings.h"
#include "platform/Tone.h"
#include "protocol/Catalogue.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/Dispatcher.h"
#include "sim/PtySimulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int repeatMs = 30;
constexpr int baud = 9600;

class Silent : public Tone {
public:
    void play(int, int) override {}
};

// One key repeat: the DACs of group "l" it moves, each to its next value.
struct Change {
    int index;
    int value;
};

struct Scenario {
    const char* name;
    QList<QList<Change>> repeats;
};

QList<Scenario> scenarios() {
    QList<Scenario> list;
    Scenario arrow{"arrow held, one DAC (60 x 1)", {}};
    for (int i = 0; i < 60; ++i)
        arrow.repeats.append({{2, 100 + i}});
    list << arrow;
    Scenario page{"Page Down held, one DAC (15 x 16)", {}};
    for (int i = 0; i < 15; ++i)
        page.repeats.append({{2, 16 * (i + 1)}});
    list << page;
    Scenario together{"two DACs moved together (60 x 1)", {}};
    for (int i = 0; i < 60; ++i)
        together.repeats.append({{2, 100 + i}, {3, 40 + i}});
    list << together;
    Scenario turns{"two DACs taking turns (60 x 1)", {}};
    for (int i = 0; i < 60; ++i)
        turns.repeats.append({{2 + i % 2, 100 + i}});
    list << turns;
    return list;
}

struct Run {
    double latencyMs = 0; // last change to the last final value complete at the controller
    int lines = 0;        // set requests written
    bool arrived = false; // every final value reached the controller
};

struct Tool {
    MonitorModel model;
    DataReadHandlers handlers{model};
    Dispatcher dispatcher{model, &handlers};
    Silent tone;
    Link link;
    Tool(SerialPort* port, Clock* clock) : link(port, clock, &tone, &model) {
        link.setDispatch([this](const QString& a) { dispatcher.dispatchAnswer(a); });
    }
};

bool idle(const TransmitQueue* q) {
    return q->isIdle();
}

Run runOnce(Tool& tool, sim::PtySimulator& simulator, const Scenario& scenario, bool keyed) {
    TransmitQueue* q = tool.link.queue();
    QElapsedTimer clock;
    // The last value of each DAC the sequence moves -> when its line arrived complete (-1 until then).
    QHash<int, int> finalValue;
    for (const QList<Change>& repeat : scenario.repeats)
        for (const Change& c : repeat)
            finalValue[c.index] = c.value;
    QHash<QByteArray, qint64> finalArrival;
    for (auto it = finalValue.cbegin(); it != finalValue.cend(); ++it)
        finalArrival.insert(Catalogue::setDac('l', it.key(), it.value()).toLatin1(), -1);
    Run run;
    const auto handled = QObject::connect(&simulator, &sim::PtySimulator::requestHandled,
                                          [&](const QByteArray& request, const QByteArray&) {
                                              const QByteArray line = request.trimmed();
                                              if (finalArrival.contains(line))
                                                  finalArrival[line] = clock.elapsed();
                                          });
    const auto written = QObject::connect(q, &TransmitQueue::lineWritten, [&](const QByteArray&) { ++run.lines; });

    qint64 lastChange = 0;
    int next = 0;
    QTimer repeat;
    repeat.setTimerType(Qt::PreciseTimer);
    repeat.setInterval(repeatMs);
    auto press = [&] {
        for (const Change& c : scenario.repeats[next]) {
            const Catalogue::Setting s = Catalogue::dacSetting('l', c.index, c.value);
            if (keyed)
                q->queueSetting(s.key, s.text);
            else
                q->queueCommand(s.text);
        }
        lastChange = clock.elapsed();
        if (++next == scenario.repeats.size())
            repeat.stop();
    };
    QObject::connect(&repeat, &QTimer::timeout, press);
    clock.start();
    press();
    repeat.start();
    auto allArrived = [&] {
        return std::all_of(finalArrival.cbegin(), finalArrival.cend(), [](qint64 t) { return t >= 0; });
    };
    QElapsedTimer limit;
    limit.start();
    while ((repeat.isActive() || !allArrived() || !idle(q)) && limit.elapsed() < 120000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    QObject::disconnect(handled);
    QObject::disconnect(written);
    run.arrived = allArrived();
    qint64 last = 0;
    for (qint64 t : finalArrival)
        last = std::max(last, t);
    run.latencyMs = double(last - lastChange);
    for (auto it = finalValue.cbegin(); it != finalValue.cend(); ++it)
        run.arrived = run.arrived && simulator.monitor().dac('l', it.key()) == it.value();
    return run;
}

double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    const int n = int(v.size());
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int runs = 7, plainRuns = 2;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "--runs")
            runs = std::max(1, args[++i].toInt());
        else if (args[i] == "--plain-runs")
            plainRuns = std::max(0, args[++i].toInt());
    }
    QTemporaryDir dir;
    sim::SimOptions options;
    options.baud = baud;
    sim::PtySimulator simulator(options);
    QString error;
    if (!simulator.start(&error)) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(error));
        return 1;
    }
    Settings settings(dir.filePath("bench.conf"));
    PortMap portMap(&settings);
    portMap.setOverride(1, simulator.devicePath());
    QtSerialPort port(&portMap);
    QtClock clock;
    Tool tool(&port, &clock);
    if (!tool.link.openPort(1, QStringLiteral("9600,N,8,1"))) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(simulator.devicePath()));
        return 1;
    }
    int rc = 0;
    for (const Scenario& s : scenarios()) {
        for (const bool keyed : {true, false}) {
            QList<double> latencies;
            int lines = 0;
            const int n = keyed ? runs : plainRuns;
            for (int k = 0; k < n; ++k) {
                const Run r = runOnce(tool, simulator, s, keyed);
                if (!r.arrived) {
                    std::printf("%s: the final value did not reach the controller\n", s.name);
                    rc = 1;
                }
                latencies << r.latencyMs;
                lines = std::max(lines, r.lines);
            }
            if (n == 0)
                continue;
            std::printf("%-36s %-13s last change to final value at the controller: median %.0f ms, worst %.0f ms "
                        "(%d runs); %d lines for %d changes\n",
                        s.name, keyed ? "replacing:" : "queued plain:", median(latencies),
                        *std::max_element(latencies.cbegin(), latencies.cend()), n, lines,
                        int(s.repeats.size() * s.repeats.first().size()));
            std::fflush(stdout);
        }
    }
    return rc;
}
