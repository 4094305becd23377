#pragma once
// The recording of every reading the diagnostics answers carried on this connection, for the plots and the CSV
// files. Each reading keeps its own ring: the newest samples at the poll rate (24 hours of them at a 5 s poll by
// default) and, behind them, older samples averaged in groups, so a monitor burnt in for days costs a fixed amount
// of memory. A reading may be bounded by two others (the HV value by the monitor's HV limits): a sample outside
// the latest limits is marked when it is recorded.
#include "model/DiagnosticValues.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVector>
#include <functional>

class ReadingRecorder : public QObject {
    Q_OBJECT
public:
    struct Sample {
        qint64 timeMs = 0; // wall-clock time, milliseconds since the epoch
        float value = 0;
        bool outside = false; // outside the limits of its reading
    };
    struct Limits {
        bool known = false;
        double lower = 0;
        double upper = 0;
    };

    static constexpr int defaultCapacity = 24 * 3600 / 5;
    // How many of the oldest samples become one when they leave the newest ring.
    static constexpr int decimation = 12;

    explicit ReadingRecorder(int capacity = defaultCapacity, QObject* parent = nullptr);

    // Where time comes from for take() (the wall clock unless a test sets one).
    void setTimeSource(std::function<qint64()> nowMs) { m_now = std::move(nowMs); }
    // The parts of the diagnostics that are measured and so recorded (not the deflection states nor the HV
    // controls' settings).
    static constexpr DiagnosticParts recordedParts =
        DiagnosticParts(DiagnosticPart::TestPoints) | DiagnosticPart::SyncFrequencies | DiagnosticPart::HvLimits;
    // The readings of one answer, those of the recorded parts each stamped now.
    void take(const DiagnosticReadings& readings);
    void record(const QString& caption, double value, const QString& unit, qint64 timeMs);
    // A sample of caption is outside when below the latest reading of lower or above that of upper. Limits that
    // are not ordered (a monitor that reports none gives zeros) mark nothing.
    void setBounds(const QString& caption, const QString& lower, const QString& upper);
    void clear();
    // The monitor the readings come from (its serial number): another monitor starts a new recording, while the
    // same one found again after a lost link carries on with its own.
    void setMonitor(const QString& identity);

    // Every reading recorded, or those among the captions of a window, in the order they were first recorded.
    QStringList captions() const;
    QStringList captions(const QStringList& among) const;
    QString unit(const QString& caption) const;
    // The bounded reading's limits now; known only when ordered.
    Limits limits(const QString& caption) const;
    QString boundOf(const QString& limitCaption) const;
    // The newest sample of caption (a zero sample when there is none).
    Sample newest(const QString& caption) const;
    // Every sample kept, oldest first.
    QVector<Sample> samples(const QString& caption) const;
    // The samples from fromMs to toMs reduced to at most about maxPoints for drawing: where more fall in the span,
    // each slice of time gives its lowest and highest sample (an outside one wins), so peaks stay visible.
    QVector<Sample> samplesFor(const QString& caption, qint64 fromMs, qint64 toMs, int maxPoints) const;
    // Time of the first and last sample of any reading; 0 when there is none.
    qint64 firstTimeMs() const;
    qint64 lastTimeMs() const;

    // The samples of a CSV file, copied out of the rings so that the text can be made on another thread while
    // the recording goes on.
    struct CsvRows {
        struct Row {
            qint64 timeMs;
            int reading; // index into captions and units
            float value;
        };
        QVector<Row> rows;
        QVector<QByteArray> captions;
        QVector<QByteArray> units;
    };
    // The samples of the readings among the captions.
    CsvRows csvRows(const QStringList& among) const;
    // The CSV file of rows: a header "time,reading,value,unit", then one line per sample in time order, the time
    // in ISO 8601 local time with its offset. Touches nothing but rows, so it may run on any thread.
    static QByteArray csvText(CsvRows rows);
    QByteArray csv(const QStringList& among) const { return csvText(csvRows(among)); }
    // Bytes held by the samples.
    qint64 memoryBytes() const;

signals:
    void recorded(const QString& caption, const ReadingRecorder::Sample& sample);
    void cleared();

private:
    class Ring {
    public:
        explicit Ring(int capacity = 0) : m_capacity(capacity) {}
        // Adds a sample; returns true with *evicted when the ring was full.
        bool push(const Sample& s, Sample* evicted);
        int size() const { return int(m_data.size()); }
        const Sample& at(int i) const { return m_data.at((m_head + i) % m_data.size()); }
        qint64 bytes() const { return qint64(m_data.capacity()) * qint64(sizeof(Sample)); }

    private:
        int m_capacity;
        int m_head = 0;
        QVector<Sample> m_data;
    };
    struct Series {
        QString caption;
        QString unit;
        Ring recent;
        Ring older;
        // Samples leaving the recent ring, averaged into one of the older ring when there are enough.
        double pendingSum = 0;
        int pendingCount = 0;
        bool pendingOutside = false;
        qint64 pendingFirstMs = 0;
        double latest = 0;
    };
    struct Bounds {
        QString lower;
        QString upper;
    };

    Series* seriesOf(const QString& caption);
    const Series* seriesOf(const QString& caption) const;

    int m_capacity;
    std::function<qint64()> m_now;
    QVector<Series> m_series;
    QHash<QString, int> m_index;
    QHash<QString, Bounds> m_bounds;
    QString m_monitor;
};
Q_DECLARE_METATYPE(ReadingRecorder::Sample)
