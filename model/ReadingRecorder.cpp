#include "model/ReadingRecorder.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>

bool ReadingRecorder::Ring::push(const Sample& s, Sample* evicted) {
    if (m_data.size() < m_capacity) {
        // Grown in steps, never beyond the capacity, so a short recording stays small.
        if (m_data.size() == m_data.capacity())
            m_data.reserve(std::min<qsizetype>(m_capacity, std::max<qsizetype>(64, m_data.size() * 2)));
        m_data.append(s);
        return false;
    }
    if (m_capacity <= 0) {
        *evicted = s;
        return true;
    }
    *evicted = m_data.at(m_head);
    m_data[m_head] = s;
    m_head = (m_head + 1) % m_capacity;
    return true;
}

ReadingRecorder::ReadingRecorder(int capacity, QObject* parent)
    : QObject(parent), m_capacity(std::max(decimation, capacity)),
      m_now([] { return QDateTime::currentMSecsSinceEpoch(); }) {
    qRegisterMetaType<ReadingRecorder::Sample>();
    setBounds(ReadingNames::hvValue(), ReadingNames::hvLowerLimit(), ReadingNames::hvUpperLimit());
}

ReadingRecorder::Series* ReadingRecorder::seriesOf(const QString& caption) {
    const auto it = m_index.constFind(caption);
    return it == m_index.constEnd() ? nullptr : &m_series[it.value()];
}

const ReadingRecorder::Series* ReadingRecorder::seriesOf(const QString& caption) const {
    const auto it = m_index.constFind(caption);
    return it == m_index.constEnd() ? nullptr : &m_series.at(it.value());
}

void ReadingRecorder::take(const Readings& readings) {
    const qint64 now = m_now();
    for (const Reading& r : readings)
        record(r.caption, r.value, r.unit, now, r.windows);
}

void ReadingRecorder::setBounds(const QString& caption, const QString& lower, const QString& upper) {
    m_bounds.insert(caption, {lower, upper});
}

ReadingRecorder::Limits ReadingRecorder::limits(const QString& caption) const {
    const auto bounds = m_bounds.constFind(caption);
    if (bounds == m_bounds.constEnd())
        return {};
    const Series* lower = seriesOf(bounds->lower);
    const Series* upper = seriesOf(bounds->upper);
    if (!lower || !upper || !(lower->latest < upper->latest))
        return {};
    return {true, lower->latest, upper->latest};
}

QString ReadingRecorder::boundOf(const QString& limitCaption) const {
    for (auto it = m_bounds.constBegin(); it != m_bounds.constEnd(); ++it)
        if (it->lower == limitCaption || it->upper == limitCaption)
            return it.key();
    return QString();
}

void ReadingRecorder::record(const QString& caption, double value, const QString& unit, qint64 timeMs,
                             DiagWindows windows) {
    Series* s = seriesOf(caption);
    if (!s) {
        m_index.insert(caption, int(m_series.size()));
        m_series.append(Series{caption, unit, windows, Ring(m_capacity), Ring(m_capacity)});
        s = &m_series.last();
    }
    s->windows |= windows;
    s->latest = value;
    const Limits l = limits(caption);
    const Sample sample{timeMs, float(value), l.known && (value < l.lower || value > l.upper)};
    Sample evicted;
    if (s->recent.push(sample, &evicted)) {
        if (s->pendingCount == 0)
            s->pendingFirstMs = evicted.timeMs;
        s->pendingSum += evicted.value;
        s->pendingOutside = s->pendingOutside || evicted.outside;
        if (++s->pendingCount == decimation) {
            Sample merged{s->pendingFirstMs, float(s->pendingSum / decimation), s->pendingOutside};
            Sample dropped;
            s->older.push(merged, &dropped);
            s->pendingSum = 0;
            s->pendingCount = 0;
            s->pendingOutside = false;
        }
    }
    emit recorded(caption, sample);
}

void ReadingRecorder::clear() {
    m_series.clear();
    m_index.clear();
    emit cleared();
}

QStringList ReadingRecorder::captions(DiagWindows windows) const {
    QStringList out;
    for (const Series& s : m_series)
        if (s.windows & windows)
            out.append(s.caption);
    return out;
}

QString ReadingRecorder::unit(const QString& caption) const {
    const Series* s = seriesOf(caption);
    return s ? s->unit : QString();
}

QVector<ReadingRecorder::Sample> ReadingRecorder::samples(const QString& caption) const {
    QVector<Sample> out;
    const Series* s = seriesOf(caption);
    if (!s)
        return out;
    out.reserve(s->older.size() + s->recent.size());
    for (int i = 0; i < s->older.size(); ++i)
        out.append(s->older.at(i));
    for (int i = 0; i < s->recent.size(); ++i)
        out.append(s->recent.at(i));
    return out;
}

QVector<ReadingRecorder::Sample> ReadingRecorder::samplesFor(const QString& caption, qint64 fromMs, qint64 toMs,
                                                             int maxPoints) const {
    const QVector<Sample> all = samples(caption);
    const auto byTime = [](const Sample& s, qint64 t) { return s.timeMs < t; };
    // One sample either side of the span, so the line runs to the edges.
    auto first = std::lower_bound(all.begin(), all.end(), fromMs, byTime);
    if (first != all.begin())
        --first;
    auto last = std::upper_bound(first, all.end(), toMs, [](qint64 t, const Sample& s) { return t < s.timeMs; });
    if (last != all.end())
        ++last;
    const int count = int(last - first);
    const int slices = std::max(1, maxPoints / 2);
    if (count <= maxPoints || toMs <= fromMs)
        return QVector<Sample>(first, last);

    QVector<Sample> out;
    out.reserve(slices * 2);
    const double width = double(toMs - fromMs) / slices;
    auto it = first;
    while (it != last) {
        const qint64 sliceEnd = fromMs + qint64(std::floor((double(it->timeMs - fromMs) / width) + 1) * width);
        const Sample* low = &*it;
        const Sample* high = &*it;
        const Sample* outside = it->outside ? &*it : nullptr;
        for (; it != last && it->timeMs < sliceEnd; ++it) {
            if (it->value < low->value)
                low = &*it;
            if (it->value > high->value)
                high = &*it;
            if (it->outside && !outside)
                outside = &*it;
        }
        if (outside && outside != low && outside != high)
            (outside->value < high->value ? low : high) = outside;
        if (low->timeMs > high->timeMs)
            std::swap(low, high);
        out.append(*low);
        if (high != low)
            out.append(*high);
    }
    return out;
}

qint64 ReadingRecorder::firstTimeMs() const {
    qint64 first = 0;
    for (const Series& s : m_series) {
        const Ring& ring = s.older.size() ? s.older : s.recent;
        if (ring.size() && (first == 0 || ring.at(0).timeMs < first))
            first = ring.at(0).timeMs;
    }
    return first;
}

qint64 ReadingRecorder::lastTimeMs() const {
    qint64 last = 0;
    for (const Series& s : m_series)
        if (s.recent.size())
            last = std::max(last, s.recent.at(s.recent.size() - 1).timeMs);
    return last;
}

namespace {
// A field that holds a separator or a quote is quoted, its quotes doubled.
QByteArray csvField(const QString& text) {
    QByteArray f = text.toUtf8();
    if (f.contains(',') || f.contains('"') || f.contains('\n') || f.contains('\r'))
        f = '"' + f.replace("\"", "\"\"") + '"';
    return f;
}
} // namespace

QByteArray ReadingRecorder::csv(DiagWindows windows) const {
    struct Row {
        qint64 timeMs;
        int series;
        float value;
    };
    QVector<Row> rows;
    for (int k = 0; k < m_series.size(); ++k) {
        if (!(m_series.at(k).windows & windows))
            continue;
        for (const Sample& s : samples(m_series.at(k).caption))
            rows.append({s.timeMs, k, s.value});
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.timeMs < b.timeMs; });
    QByteArray out = "time,reading,value,unit\r\n";
    QVector<QByteArray> captions, units;
    for (const Series& s : m_series) {
        captions.append(csvField(s.caption));
        units.append(csvField(s.unit));
    }
    const QLocale c = QLocale::c();
    qint64 stampedMs = -1;
    QByteArray stamp;
    for (const Row& r : rows) {
        if (r.timeMs != stampedMs) {
            stampedMs = r.timeMs;
            stamp = QDateTime::fromMSecsSinceEpoch(r.timeMs)
                        .toOffsetFromUtc(QDateTime::fromMSecsSinceEpoch(r.timeMs).offsetFromUtc())
                        .toString(Qt::ISODateWithMs)
                        .toLatin1();
        }
        out += stamp + ',' + captions.at(r.series) + ',' + c.toString(double(r.value), 'g', 7).toLatin1() + ',' +
               units.at(r.series) + "\r\n";
    }
    return out;
}

qint64 ReadingRecorder::memoryBytes() const {
    qint64 bytes = 0;
    for (const Series& s : m_series)
        bytes += s.recent.bytes() + s.older.bytes() + qint64(sizeof(Series));
    return bytes;
}
