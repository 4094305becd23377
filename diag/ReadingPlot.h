#pragma once
// The "Plot" view of a diagnostics window: every reading the window shows, as a line over wall-clock time from
// the connection's recording. It follows the last minutes until the user zooms or pans away; readings of each
// unit get their own value axis; the HV limits are drawn as lines, a sample outside them is marked on its curve
// and named in the view's status bar. Only the visible span is drawn, reduced to about two points per pixel, so
// a day of readings redraws as fast as a minute of them.
#include <QHash>
#include <QStringList>
#include <QWidget>
#include <functional>

class QChart;
class QChartView;
class QDateTimeAxis;
class QLineSeries;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QScatterSeries;
class QStatusBar;
class QValueAxis;
class Timer;
struct AppContext;

class ReadingPlot : public QWidget {
    Q_OBJECT
public:
    static constexpr qint64 defaultSpanMs = 10 * 60 * 1000;

    // shown: the captions of the readings the window shows (asked again as readings are first recorded).
    ReadingPlot(AppContext& ctx, std::function<QStringList()> shown, QWidget* parent = nullptr);

    // Draws the visible span again from the recording.
    void redraw();
    qint64 spanMs() const { return m_spanMs; }
    // The end of the visible span; 0 while it follows the newest reading.
    qint64 pinnedEndMs() const { return m_live ? 0 : m_endMs; }

    void zoom(double factor);
    // Moves the span by a fraction of its width (negative: back in time).
    void pan(double fraction);
    void followLive();
    // Asks for a file and writes the window's readings into it as CSV in the background; csvFinished tells
    // how it ended (a failure is also said in a box).
    void saveCsv();

signals:
    void csvFinished(bool ok);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Line {
        QLineSeries* curve = nullptr;
        QScatterSeries* marks = nullptr; // samples outside the limits
        QListWidgetItem* item = nullptr;
    };
    void addReading(const QString& caption);
    void noteSample(const QString& caption, bool outside, double value, qint64 timeMs);
    QValueAxis* axisFor(const QString& unit);
    void scheduleRedraw();
    void csvSaved(const QString& path, bool ok, const QString& error);

    AppContext& m_ctx;
    std::function<QStringList()> m_shown;
    QChart* m_chart;
    QChartView* m_view;
    QDateTimeAxis* m_timeAxis;
    QListWidget* m_readings;
    QPushButton* m_liveButton;
    QStatusBar* m_status;
    Timer* m_redrawTimer;
    QHash<QString, Line> m_lines;
    QHash<QString, QValueAxis*> m_axes;
    qint64 m_spanMs = defaultSpanMs;
    qint64 m_endMs = 0;
    bool m_live = true;
};
