#include "diag/ReadingPlot.h"

#include "model/ReadingRecorder.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/FileReplace.h"
#include "ui/AppContext.h"

#include <QApplication>
#include <QDateTime>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QThreadPool>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <cmath>

namespace {
// Redraws while readings arrive are gathered: a poll brings a dozen readings at once.
constexpr int redrawDelayMs = 250;
constexpr int sparsePoints = 40;
constexpr qint64 shortestSpanMs = 30 * 1000;
constexpr qint64 longestSpanMs = 31LL * 24 * 3600 * 1000;

template <class T, class V, class G, class S> void setIfChanged(T* object, G get, S set, const V& value) {
    if ((object->*get)() != value)
        (object->*set)(value);
}

QPushButton* button(QWidget* parent, const QString& name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}
} // namespace

ReadingPlot::ReadingPlot(AppContext& ctx, std::function<QStringList()> shown, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_shown(std::move(shown)), m_chart(new QChart),
      m_view(new QChartView(m_chart, this)), m_timeAxis(new QDateTimeAxis(m_chart)), m_readings(new QListWidget(this)),
      m_liveButton(button(this, QStringLiteral("btnPlotLive"), QStringLiteral("Live"))), m_status(new QStatusBar(this)),
      m_redrawTimer(ctx.clock->createTimer(this)) {
    setObjectName(QStringLiteral("plotReadings"));
    m_view->setObjectName(QStringLiteral("chartReadings"));
    m_view->setRenderHint(QPainter::Antialiasing);
    // Room for the value axes of up to six units beside the time axis.
    m_view->setMinimumSize(600, 400);
    m_view->viewport()->installEventFilter(this);
    // The list beside the chart names the lines in their colours; a legend of twenty would crowd the plot out.
    m_chart->legend()->hide();
    m_chart->setMargins(QMargins(2, 2, 2, 2));
    m_timeAxis->setTitleText(QStringLiteral("Time"));
    m_chart->addAxis(m_timeAxis, Qt::AlignBottom);
    m_readings->setObjectName(QStringLiteral("lstPlotReadings"));
    m_readings->setMaximumWidth(190);
    m_status->setObjectName(QStringLiteral("sbrPlot"));
    m_status->setSizeGripEnabled(false);
    m_liveButton->setCheckable(true);
    m_liveButton->setChecked(true);

    auto* zoomIn = button(this, QStringLiteral("btnPlotZoomIn"), QStringLiteral("Zoom In"));
    auto* zoomOut = button(this, QStringLiteral("btnPlotZoomOut"), QStringLiteral("Zoom Out"));
    auto* back = button(this, QStringLiteral("btnPlotEarlier"), QStringLiteral("<"));
    auto* forward = button(this, QStringLiteral("btnPlotLater"), QStringLiteral(">"));
    auto* save = button(this, QStringLiteral("btnPlotSaveCsv"), QStringLiteral("Save as CSV"));
    connect(zoomIn, &QPushButton::clicked, this, [this] { zoom(0.5); });
    connect(zoomOut, &QPushButton::clicked, this, [this] { zoom(2); });
    connect(back, &QPushButton::clicked, this, [this] { pan(-0.5); });
    connect(forward, &QPushButton::clicked, this, [this] { pan(0.5); });
    connect(m_liveButton, &QPushButton::clicked, this, &ReadingPlot::followLive);
    connect(save, &QPushButton::clicked, this, &ReadingPlot::saveCsv);
    connect(m_readings, &QListWidget::itemChanged, this, [this] { redraw(); });

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {back, zoomIn, zoomOut, forward, m_liveButton})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(save);
    auto* chartAndList = new QHBoxLayout;
    chartAndList->addWidget(m_view, 1);
    chartAndList->addWidget(m_readings);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(chartAndList, 1);
    layout->addLayout(buttons);
    layout->addWidget(m_status);

    m_redrawTimer->setSingleShot(true);
    connect(m_redrawTimer, &Timer::timeout, this, &ReadingPlot::redraw);
    ReadingRecorder* recorder = ctx.readings;
    // A reading already outside its limits is named at once.
    for (const QString& caption : recorder->captions(m_shown())) {
        addReading(caption);
        const ReadingRecorder::Sample newest = recorder->newest(caption);
        noteSample(caption, newest.outside, newest.value, newest.timeMs);
    }
    connect(recorder, &ReadingRecorder::recorded, this,
            [this](const QString& caption, const ReadingRecorder::Sample& s) {
                if (!m_lines.contains(caption)) {
                    if (!m_shown().contains(caption))
                        return;
                    addReading(caption);
                }
                noteSample(caption, s.outside, s.value, s.timeMs);
                scheduleRedraw();
            });
    connect(recorder, &ReadingRecorder::cleared, this, [this] {
        for (const Line& line : std::as_const(m_lines)) {
            m_chart->removeSeries(line.curve);
            m_chart->removeSeries(line.marks);
            delete line.curve;
            delete line.marks;
            delete line.item;
        }
        m_lines.clear();
        m_status->clearMessage();
    });
}

void ReadingPlot::addReading(const QString& caption) {
    Line line;
    const QString unit = m_ctx.readings->unit(caption);
    line.curve = new QLineSeries(m_chart);
    line.curve->setName(QStringLiteral("%1 (%2)").arg(caption, unit));
    line.marks = new QScatterSeries(m_chart);
    line.marks->setName(QStringLiteral("%1 outside its limits").arg(caption));
    line.marks->setColor(Qt::red);
    line.marks->setMarkerSize(9);
    m_chart->addSeries(line.curve);
    m_chart->addSeries(line.marks);
    // The limits themselves are drawn dashed, beside the reading they bound.
    if (!m_ctx.readings->boundOf(caption).isEmpty()) {
        QPen pen = line.curve->pen();
        pen.setStyle(Qt::DashLine);
        line.curve->setPen(pen);
    }
    QValueAxis* axis = axisFor(unit);
    for (QAbstractSeries* s : {static_cast<QAbstractSeries*>(line.curve), static_cast<QAbstractSeries*>(line.marks)}) {
        s->attachAxis(m_timeAxis);
        s->attachAxis(axis);
    }
    QPixmap swatch(12, 12);
    swatch.fill(line.curve->color());
    line.item = new QListWidgetItem(QIcon(swatch), caption, m_readings);
    line.item->setFlags(line.item->flags() | Qt::ItemIsUserCheckable);
    line.item->setCheckState(Qt::Checked);
    m_lines.insert(caption, line);
}

QValueAxis* ReadingPlot::axisFor(const QString& unit) {
    if (QValueAxis* axis = m_axes.value(unit))
        return axis;
    auto* axis = new QValueAxis(m_chart);
    axis->setTitleText(unit);
    axis->setLabelFormat(QStringLiteral("%.4g"));
    axis->setObjectName(QStringLiteral("axis_%1").arg(unit));
    m_chart->addAxis(axis, m_axes.size() % 2 ? Qt::AlignRight : Qt::AlignLeft);
    m_axes.insert(unit, axis);
    return axis;
}

void ReadingPlot::noteSample(const QString& caption, bool outside, double value, qint64 timeMs) {
    const ReadingRecorder::Limits l = m_ctx.readings->limits(caption);
    if (outside) {
        const bool above = value > l.upper;
        m_status->showMessage(QStringLiteral("%1 %2 %3 at %4: %5 its %6 limit %7")
                                  .arg(caption)
                                  .arg(value)
                                  .arg(m_ctx.readings->unit(caption))
                                  .arg(QDateTime::fromMSecsSinceEpoch(timeMs).toString(QStringLiteral("HH:mm:ss")))
                                  .arg(above ? QStringLiteral("above") : QStringLiteral("below"))
                                  .arg(above ? QStringLiteral("upper") : QStringLiteral("lower"))
                                  .arg(above ? l.upper : l.lower));
        m_status->setProperty("outsideReading", caption);
    } else if (m_status->property("outsideReading").toString() == caption) {
        m_status->clearMessage();
        m_status->setProperty("outsideReading", QString());
    }
}

void ReadingPlot::scheduleRedraw() {
    if (isVisible() && !m_redrawTimer->isActive())
        m_redrawTimer->start(redrawDelayMs);
}

void ReadingPlot::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    redraw();
}

void ReadingPlot::redraw() {
    m_redrawTimer->stop();
    const ReadingRecorder* recorder = m_ctx.readings;
    if (m_live) {
        const qint64 last = recorder->lastTimeMs();
        m_endMs = last ? last : QDateTime::currentMSecsSinceEpoch();
    }
    const qint64 end = m_endMs;
    const qint64 from = end - m_spanMs;
    // The lowest and highest sample of every two pixels: as many points as the plot is wide.
    const int maxPoints = std::max(200, m_view->width());
    QHash<QValueAxis*, QPair<double, double>> ranges;
    for (auto it = m_lines.constBegin(); it != m_lines.constEnd(); ++it) {
        const Line& line = it.value();
        const bool shown = line.item->checkState() == Qt::Checked;
        QList<QPointF> points;
        QList<QPointF> marks;
        if (shown) {
            const QVector<ReadingRecorder::Sample> samples = recorder->samplesFor(it.key(), from, end, maxPoints);
            points.reserve(samples.size());
            for (const ReadingRecorder::Sample& s : samples) {
                points.append(QPointF(double(s.timeMs), s.value));
                if (s.outside)
                    marks.append(points.last());
                if (s.timeMs >= from && s.timeMs <= end) {
                    QValueAxis* axis = m_axes.value(recorder->unit(it.key()));
                    auto r = ranges.find(axis);
                    if (r == ranges.end()) {
                        ranges.insert(axis, {s.value, s.value});
                    } else {
                        r->first = std::min<double>(r->first, s.value);
                        r->second = std::max<double>(r->second, s.value);
                    }
                }
            }
        }
        // Every change of a series or an axis lays the chart out again: only what changed is set.
        line.curve->replace(points);
        line.marks->replace(marks);
        // A few readings (the first minutes of a connection) show as dots, which a line alone would not.
        setIfChanged(line.curve, &QXYSeries::pointsVisible, &QXYSeries::setPointsVisible, points.size() < sparsePoints);
        setIfChanged(line.curve, &QAbstractSeries::isVisible, &QAbstractSeries::setVisible, shown);
        setIfChanged(line.marks, &QAbstractSeries::isVisible, &QAbstractSeries::setVisible, shown && !marks.isEmpty());
    }
    setIfChanged(m_timeAxis, &QDateTimeAxis::format, &QDateTimeAxis::setFormat,
                 m_spanMs > 24LL * 3600 * 1000 ? QStringLiteral("dd.MM. HH:mm") : QStringLiteral("HH:mm:ss"));
    m_timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(from), QDateTime::fromMSecsSinceEpoch(end));
    for (QValueAxis* axis : std::as_const(m_axes)) {
        const auto r = ranges.value(axis, {1, 0});
        setIfChanged(axis, &QAbstractAxis::isVisible, &QAbstractAxis::setVisible, r.first <= r.second);
        if (r.first > r.second)
            continue;
        // Whole steps of a tenth of the span keep the axis still while readings move within it.
        const double step = std::pow(10.0, std::floor(std::log10(std::max(r.second - r.first, 1e-3))));
        const double low = std::floor(r.first / step) * step - step;
        const double high = std::ceil(r.second / step) * step + step;
        if (axis->min() != low || axis->max() != high)
            axis->setRange(low, high);
    }
}

void ReadingPlot::zoom(double factor) {
    const qint64 centre = m_endMs - m_spanMs / 2;
    m_spanMs = std::clamp(qint64(double(m_spanMs) * factor), shortestSpanMs, longestSpanMs);
    if (!m_live)
        m_endMs = centre + m_spanMs / 2;
    redraw();
}

void ReadingPlot::pan(double fraction) {
    m_endMs += qint64(double(m_spanMs) * fraction);
    // Panning past the newest reading follows it again.
    m_live = m_endMs >= m_ctx.readings->lastTimeMs();
    m_liveButton->setChecked(m_live);
    redraw();
}

void ReadingPlot::followLive() {
    m_live = true;
    m_liveButton->setChecked(true);
    redraw();
}

bool ReadingPlot::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view->viewport() && event->type() == QEvent::Wheel) {
        zoom(static_cast<QWheelEvent*>(event)->angleDelta().y() > 0 ? 0.8 : 1.25);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ReadingPlot::saveCsv() {
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Save as CSV");
    request.filter = QStringLiteral("CSV files (*.csv)");
    request.startDir = m_ctx.fileSaveInitDir;
    request.proposedName =
        QStringLiteral("readings-%1.csv").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmm")));
    const QString path = m_ctx.dialogs->saveFile(this, request);
    if (path.isEmpty())
        return;
    // A day of readings takes a while to write out: the samples are copied here and the text is made and
    // written on a worker thread, while the window goes on drawing and recording.
    QPushButton* save = findChild<QPushButton*>(QStringLiteral("btnPlotSaveCsv"));
    save->setEnabled(false);
    save->setText(QStringLiteral("Saving…"));
    QThreadPool::globalInstance()->start(
        [rows = m_ctx.readings->csvRows(m_shown()), path, plot = QPointer<ReadingPlot>(this)]() mutable {
            const FileReplaceResult result = replaceFileContents(path, ReadingRecorder::csvText(std::move(rows)));
            QMetaObject::invokeMethod(
                qApp,
                [plot, path, result] {
                    if (plot)
                        plot->csvSaved(path, result.ok, result.error);
                },
                Qt::QueuedConnection);
        });
}

void ReadingPlot::csvSaved(const QString& path, bool ok, const QString& error) {
    QPushButton* save = findChild<QPushButton*>(QStringLiteral("btnPlotSaveCsv"));
    save->setText(QStringLiteral("Save as CSV"));
    save->setEnabled(true);
    if (!ok)
        m_ctx.dialogs->message(this, QStringLiteral("The readings could not be saved to %1: %2").arg(path, error),
                               QStringLiteral("Save as CSV"), Dialogs::Ok, Dialogs::Warning);
    emit csvFinished(ok);
}
