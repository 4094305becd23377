// The command line's read, measured (not tested): orvexmon-cli reads a simulated 2.10 monitor paced at 9600 baud
// into a data file, from the program's start to its end, against the line's own floor: for each request it sent
// (the search's ping, the firmware version, the scan-set read and the reads of Update All Data) the 100 ms write
// pause, the request and its CR LF out and the echo, reply lines and prompt back, each character at 960 a second.
// Options: --runs N (default 5), --baud B (default 9600).
#include "sim/PtySimulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    auto option = [&args](const char* name, int fallback) {
        const int at = int(args.indexOf(QLatin1String(name)));
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1).toInt() : fallback;
    };
    const int runs = option("--runs", 5);
    const int baud = option("--baud", 9600);
    const double charMs = 10000.0 / baud;
    QTemporaryDir dir;
    QVector<double> ratios;
    for (int run = 0; run < runs; ++run) {
        sim::SimOptions options;
        options.profile = QStringLiteral("2.10");
        options.baud = baud;
        sim::PtySimulator simulator(options);
        QString error;
        if (!simulator.start(&error)) {
            std::fprintf(stderr, "simulator: %s\n", qPrintable(error));
            return 1;
        }
        double floorMs = 0;
        int requests = 0;
        QObject::connect(&simulator, &sim::PtySimulator::requestHandled, [&](const QByteArray& r, const QByteArray& a) {
            floorMs += 100 + (r.size() + 2 + a.size()) * charMs;
            ++requests;
        });
        QProcess cli;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
        cli.setProcessEnvironment(env);
        QElapsedTimer timer;
        timer.start();
        cli.start(app.applicationDirPath() + QStringLiteral("/orvexmon-cli"),
                  {QStringLiteral("--port"), simulator.devicePath(), QStringLiteral("read"), QStringLiteral("-o"),
                   dir.filePath(QStringLiteral("bench.mdv"))});
        while (cli.state() != QProcess::NotRunning)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        const qint64 elapsed = timer.elapsed();
        if (cli.exitCode() != 0) {
            std::fprintf(stderr, "orvexmon-cli failed: %s\n", cli.readAllStandardError().constData());
            return 1;
        }
        ratios << elapsed / floorMs;
        std::printf("read at %d baud: %d requests, %.2f s; floor %.2f s, ratio %.4f\n", baud, requests,
                    elapsed / 1000.0, floorMs / 1000.0, elapsed / floorMs);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("median ratio of %d runs: %.4f\n", runs, ratios.at(ratios.size() / 2));
    return 0;
}
