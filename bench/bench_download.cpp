// The firmware download, measured (not tested):
//  1. time: an image through the simulated monitor paced at 9600 baud, against the line's own floor: for each
//     record the 100 ms write pause, the record and its line end out at 960 characters a second, and its echo,
//     reply and prompt back at the same rate;
//  2. memory: a large image through an instant monitor on the fake port and clock, resident memory sampled as
//     the records go; the engine reads one line per record, so it stays flat.
// Options: --kib N (image size for the time, default 64), --record-bytes N (data bytes per record, default
// 128), --memory-mib N (image size for the memory, default 1), --skip-time.
#include "download/DownloadEngine.h"
#include "link/Link.h"
#include "link/LogSink.h"
#include "link/TransmitQueue.h"
#include "model/MonitorModel.h"
#include "platform/Clock.h"
#include "platform/PortMap.h"
#include "platform/QtSerialPort.h"
#include "platform/Settings.h"
#include "platform/Tone.h"
#include "session/MonitorSession.h"
#include "sim/IntelHex.h"
#include "sim/PtySimulator.h"
#include "support/FakeClock.h"
#include "support/FakeSerialPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

namespace {

class Silent : public Tone {
public:
    void play(int, int) override {}
};


// Writes an image of the given size in records of recordBytes data bytes; returns the floor of its transfer in ms.
// *pacedFloorMs leaves out the characters to the monitor, which a pseudo-terminal does not pace.
double writeImage(const QString& path, qint64 bytes, int recordBytes, int baud, qint64* records,
                  double* pacedFloorMs = nullptr) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    const double charMs = 10000.0 / baud;
    double floorMs = 0;
    double paced = 0;
    *records = 0;
    quint16 upper = 0xFFFF;
    auto add = [&](const QByteArray& line, int replyChars) {
        f.write(line + "\r\n");
        // Pause, the record and CR LF out, the echo with CR LF, any reply lines and the prompt back.
        floorMs += 100 + (line.size() + 2) * charMs + (line.size() + 2 + replyChars + 1) * charMs;
        paced += 100 + (line.size() + 2 + replyChars + 1) * charMs;
        ++*records;
    };
    for (qint64 at = 0; at < bytes; at += recordBytes) {
        if (quint16(at >> 16) != upper) {
            upper = quint16(at >> 16);
            add(sim::makeHexRecord(4, 0, QByteArray(1, char(upper >> 8)) + char(upper & 0xFF)), 0);
        }
        QByteArray data(int(std::min<qint64>(recordBytes, bytes - at)), 0);
        for (int k = 0; k < data.size(); ++k)
            data[k] = char((at + k) * 31 + 7);
        add(sim::makeHexRecord(0, quint16(at & 0xFFFF), data), 0);
    }
    add(":00000001FF", 5); // "EOF" and its CR LF
    if (pacedFloorMs)
        *pacedFloorMs = paced;
    return floorMs;
}

long residentKib() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

struct Tool {
    Silent tone;
    LineKeepingLog log;
    MonitorSession session;
    Link& link;
    DownloadEngine& engine;
    bool done = false;
    Tool(SerialPort* port, Clock* clock, Settings* settings)
        : session({settings, clock, &tone, port}), link(*session.link()), engine(*session.download()) {
        session.model()->bootMode = true;
        link.setLog(&log);
        QObject::connect(&engine, &DownloadEngine::finished, [this] {
            done = true;
            if (engine.verdict().outcome != DownloadEngine::Outcome::Completed)
                std::fprintf(stderr, "message: %s\n", qPrintable(engine.verdict().text));
        });
    }
};

int timeThroughSimulator(const QTemporaryDir& dir, int kib, int recordBytes) {
    const int baud = 9600;
    const QString path = dir.filePath("time.hex");
    qint64 records = 0;
    double pacedFloorMs = 0;
    const double floorMs = writeImage(path, qint64(kib) * 1024, recordBytes, baud, &records, &pacedFloorMs);

    sim::SimOptions options;
    options.bootMode = true;
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
    Tool tool(&port, &clock, &settings);
    if (!tool.link.openPort(1, QStringLiteral("9600,N,8,1"))) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(simulator.devicePath()));
        return 1;
    }
    QElapsedTimer timer;
    QObject::connect(&tool.engine, &DownloadEngine::recordSent, [&](int record) {
        if (record == 1)
            timer.start();
    });
    tool.engine.start(DownloadEngine::Kind::Flash, path);
    while (!tool.done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    const qint64 elapsed = timer.elapsed();
    const bool same = [&] {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        sim::HexImage image;
        return sim::HexImage::fromIntelHex(f.readAll(), &image) && image == simulator.monitor().flashImage();
    }();
    std::printf("time: %d KiB in %lld records of %d bytes at %d baud: %.1f s; floor %.1f s, ratio %.4f; floor of "
                "the paced direction %.1f s, ratio %.4f; %s; programmed image %s\n",
                kib, records, recordBytes, baud, elapsed / 1000.0, floorMs / 1000.0, elapsed / floorMs,
                pacedFloorMs / 1000.0, elapsed / pacedFloorMs,
                qPrintable(tool.log.lines.value(tool.log.lines.size() - 1)), same ? "equal" : "DIFFERENT");
    std::fflush(stdout);
    return same ? 0 : 1;
}

int memoryOnFakePort(const QTemporaryDir& dir, int mib) {
    const QString path = dir.filePath("memory.hex");
    qint64 records = 0;
    writeImage(path, qint64(mib) * 1024 * 1024, 32, 9600, &records);
    Settings settings(dir.filePath("bench.conf"));
    FakeSerialPort port;
    port.open(1, QStringLiteral("9600,N,8,1"));
    FakeClock clock;
    Tool tool(&port, &clock, &settings);
    // An instant monitor: every line is echoed and acknowledged as soon as it is written.
    QObject::connect(tool.link.queue(), &TransmitQueue::lineWritten, [&](const QByteArray& line) {
        port.written.clear();
        const QByteArray echo = line.trimmed();
        port.receive(echo + (echo == ":00000001FF" ? "\r\nEOF\r\n$" : "\r\n$"));
    });
    long low = residentKib(), high = low;
    long afterStart = -1;
    tool.engine.start(DownloadEngine::Kind::Flash, path);
    for (qint64 step = 0; !tool.done; ++step) {
        clock.advance(TransmitQueue::writePauseMs);
        if (step == 1000)
            afterStart = residentKib();
        if (step % 1000 == 0) {
            const long now = residentKib();
            low = std::min(low, now);
            high = std::max(high, now);
        }
    }
    const long end = residentKib();
    std::printf("memory: %d MiB image (%lld records, file %lld bytes): resident %ld KiB at the start, %ld KiB after "
                "1000 records, %ld KiB at the end (range %ld KiB), %s\n",
                mib, records, QFileInfo(path).size(), low, afterStart, end, high - low,
                qPrintable(tool.log.lines.value(tool.log.lines.size() - 1)));
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int kib = 64, recordBytes = 128, mib = 1;
    bool skipTime = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--kib" && i + 1 < args.size())
            kib = args[++i].toInt();
        else if (args[i] == "--record-bytes" && i + 1 < args.size())
            recordBytes = std::clamp(args[++i].toInt(), 1, 255);
        else if (args[i] == "--memory-mib" && i + 1 < args.size())
            mib = args[++i].toInt();
        else if (args[i] == "--skip-time")
            skipTime = true;
    }
    QTemporaryDir dir;
    int rc = memoryOnFakePort(dir, mib);
    if (!skipTime)
        rc |= timeThroughSimulator(dir, kib, recordBytes);
    return rc;
}
