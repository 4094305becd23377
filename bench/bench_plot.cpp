// The plot of a day of readings: the memory the recording takes for 24 hours of every second-family reading at
// the 5 s poll (answers decoded as they come from the monitor), and the time the plot needs to redraw and paint
// the last minutes and the whole day, each redraw timed on its own so that the worst one shows.
#include "diag/ReadingPlot.h"
#include "model/MonitorModel.h"
#include "model/ReadingRecorder.h"
#include "platform/Clock.h"
#include "protocol/DataReadHandlers.h"
#include "protocol/DiagnosticHandlers.h"
#include "protocol/Dispatcher.h"
#include "ui/AppContext.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPixmap>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// Resident memory of the process in KiB.
long residentKiB() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(1).toLong() * 4;
}

struct Times {
    double median = 0;
    double worst = 0;
};

template <class F> Times timed(int runs, F f) {
    QVector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f(i);
        ms.append(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms.at(ms.size() / 2), ms.last()};
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    MonitorModel model;
    model.firmwareClass = 210;
    DataReadHandlers handlers(model);
    Dispatcher dispatcher(model, &handlers);
    ReadingRecorder recorder;
    qint64 now = 1'800'000'000'000;
    recorder.setTimeSource([&now] { return now; });
    QObject::connect(handlers.diagnostics(), &DiagnosticHandlers::diagnosticsChanged, &recorder,
                     [&recorder, &model] { recorder.take(model.diagnostics.latest()); });

    const long before = residentKiB();
    const int polls = 24 * 3600 / 5;
    QElapsedTimer feeding;
    feeding.start();
    for (int k = 0; k < polls; ++k, now += 5000) {
        const auto n = [k](int base, int phase) { return base + int(3 * std::sin(k / 500.0 + phase)); };
        dispatcher.dispatchAnswer(QStringLiteral("da\r\n%1,%2,%3,%4\r\nVideo_+80V %5\r\nAnode Voltage %6\r\n"
                                                 "Anode Current %7\r\nFocus Voltage %8\r\nG2 Voltage %9\r\n")
                                      .arg(n(159, 1))
                                      .arg(n(160, 2))
                                      .arg(n(160, 3))
                                      .arg(n(120, 4))
                                      .arg(n(243, 5))
                                      .arg(n(200, 6) + (k % 4000 == 0 ? 40 : 0))
                                      .arg(n(123, 7))
                                      .arg(n(100, 8))
                                      .arg(n(150, 9)) +
                                  QStringLiteral("-8V %1\r\n+90V %2\r\n+24V %3\r\n+12V %4\r\n+6.3V %5\r\n+5V %6\r\n"
                                                 "-12V %7\r\n-100V %8\r\n#")
                                      .arg(n(125, 10))
                                      .arg(n(202, 11))
                                      .arg(n(204, 12))
                                      .arg(n(205, 13))
                                      .arg(n(203, 14))
                                      .arg(n(204, 15))
                                      .arg(n(204, 16))
                                      .arg(n(204, 17)));
        dispatcher.dispatchAnswer(QStringLiteral("dh\r\nUpper Limit = 230\r\nLower Limit = 150\r\n#"));
        dispatcher.dispatchAnswer(QStringLiteral("dv\r\nVsync Frequency = 59.94\r\nHsync Frequency = 30.73\r\n#"));
    }
    const double feedMs = feeding.nsecsElapsed() / 1e6;
    const long after = residentKiB();
    const QStringList captions = recorder.captions();
    std::printf("recording: %d readings x %d polls (24 h at 5 s), decoded and recorded in %.0f ms (%.1f us a poll)\n",
                int(captions.size()), polls, feedMs, feedMs * 1000 / polls);
    std::printf("recording memory: %.1f MiB held by the samples, resident set grew by %.1f MiB\n",
                recorder.memoryBytes() / 1048576.0, (after - before) / 1024.0);

    QtClock clock;
    AppContext ctx;
    ctx.clock = &clock;
    ctx.readings = &recorder;
    ReadingPlot plot(ctx, [&captions] { return captions; });
    plot.resize(1000, 600);
    plot.show();
    QApplication::processEvents();
    auto* zoomOut = plot.findChild<QPushButton*>(QStringLiteral("btnPlotZoomOut"));
    const auto paint = [&plot] { plot.grab(); };

    const Times lastMinutes = timed(21, [&](int) {
        plot.redraw();
        paint();
    });
    const Times lastMinutesData = timed(21, [&](int) { plot.redraw(); });
    while (plot.spanMs() < qint64(polls) * 5000)
        zoomOut->click();
    const Times wholeDay = timed(21, [&](int) {
        plot.redraw();
        paint();
    });
    const Times wholeDayData = timed(21, [&](int) { plot.redraw(); });
    // A new poll arriving while the whole day is shown: record it, redraw, paint.
    const Times live = timed(21, [&](int i) {
        now += 5000;
        recorder.record(captions.value(i % captions.size()), 1, QStringLiteral("V"), now);
        plot.redraw();
        paint();
    });
    // Saving as CSV copies the samples on the user-interface thread; the text is made on a worker thread.
    const Times csvCopy = timed(5, [&](int) { recorder.csvRows(captions); });
    const Times csv = timed(3, [&](int) { recorder.csv(captions); });
    std::printf("redraw and paint, last 10 minutes: median %.1f ms, worst %.1f ms\n", lastMinutes.median,
                lastMinutes.worst);
    std::printf("redraw and paint, whole day:       median %.1f ms, worst %.1f ms\n", wholeDay.median, wholeDay.worst);
    std::printf("series filled only, last 10 min:   median %.1f ms, worst %.1f ms\n", lastMinutesData.median,
                lastMinutesData.worst);
    std::printf("series filled only, whole day:     median %.1f ms, worst %.1f ms\n", wholeDayData.median,
                wholeDayData.worst);
    std::printf("a new reading, whole day shown:    median %.1f ms, worst %.1f ms\n", live.median, live.worst);
    std::printf("CSV of the day, samples copied:    median %.1f ms, worst %.1f ms\n", csvCopy.median, csvCopy.worst);
    std::printf("CSV of the day (%d rows):          median %.0f ms\n", int(recorder.csv(captions).count('\n') - 1),
                csv.median);
    return 0;
}
