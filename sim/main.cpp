// orvexmon-sim: a simulated monitor controller on a pseudo-terminal.

#include "sim/PtySimulator.h"
#include "sim/SimOptions.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments();
    arguments.removeFirst();
    if (arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"))) {
        std::fputs(qPrintable(sim::SimOptions::usage()), stdout);
        return 0;
    }
    sim::SimOptions options;
    QString error;
    if (!sim::SimOptions::fromArguments(arguments, &options, &error)) {
        std::fprintf(stderr, "orvexmon-sim: %s\n%s", qPrintable(error), qPrintable(sim::SimOptions::usage()));
        return 2;
    }

    sim::PtySimulator simulator(options);
    if (!simulator.start(&error)) {
        std::fprintf(stderr, "orvexmon-sim: %s\n", qPrintable(error));
        return 1;
    }

    // Termination through the event loop, so that the link is removed on the way out.
    if (::pipe(signalPipe) == 0) {
        ::fcntl(signalPipe[0], F_SETFD, FD_CLOEXEC);
        ::fcntl(signalPipe[1], F_SETFD, FD_CLOEXEC);
        auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [] {
            char c;
            [[maybe_unused]] const ssize_t n = ::read(signalPipe[0], &c, 1);
            QCoreApplication::quit();
        });
        std::signal(SIGTERM, onSignal);
        std::signal(SIGINT, onSignal);
        std::signal(SIGHUP, onSignal);
    }

    QObject::connect(&simulator, &sim::PtySimulator::imageWriteFailed, &app,
                     [](const QString& path, const QString& why) {
                         std::fprintf(stderr, "orvexmon-sim: the image could not be written to %s: %s\n",
                                      qPrintable(path), qPrintable(why));
                     });

    // Control lines on standard input change the faults while running.
    auto* input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &app);
    auto* pending = new QByteArray;
    QObject::connect(input, &QSocketNotifier::activated, &app, [input, pending, &simulator] {
        char buf[512];
        const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
            input->setEnabled(false);
            // A parent that talks to us through a pipe has gone: do not outlive it.
            struct stat st;
            if (::fstat(STDIN_FILENO, &st) == 0 && S_ISFIFO(st.st_mode))
                QCoreApplication::quit();
            return;
        }
        pending->append(buf, int(n));
        int nl;
        while ((nl = int(pending->indexOf('\n'))) >= 0) {
            const QString line = QString::fromUtf8(pending->left(nl)).trimmed();
            pending->remove(0, nl + 1);
            if (line.isEmpty())
                continue;
            // Each control line is acknowledged, so that a test knows when the fault is in effect.
            const bool ok = simulator.applyControl(line);
            std::printf("%s %s\n", ok ? "ok" : "error", qPrintable(line));
            std::fflush(stdout);
        }
        if (pending->size() > 4096)
            pending->clear();
    });

    std::printf("%s\n", qPrintable(simulator.devicePath()));
    std::fflush(stdout);
    std::fprintf(stderr, "orvexmon-sim: profile %s (%s), %s mode\n", qPrintable(simulator.monitor().profile().name),
                 qPrintable(simulator.monitor().profile().description),
                 simulator.monitor().bootMode() ? "boot" : "firmware");

    const int rc = app.exec();
    simulator.stop();
    delete pending;
    return rc;
}
