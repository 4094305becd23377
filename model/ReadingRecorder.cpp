#include "model/ReadingRecorder.h"

#include <QDateTime>

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
    setBounds(DiagnosticCaptions::hvValue(), DiagnosticCaptions::hvLowerLimit(), DiagnosticCaptions::hvUpperLimit());
}

ReadingRecorder::Series* ReadingRecorder::seriesOf(const QString& caption) {
    const auto it = m_index.constFind(caption);
    return it == m_index.constEnd() ? nullptr : &m_series[it.value()];
}

const ReadingRecorder::Series* ReadingRecorder::seriesOf(const QString& caption) const {
    const auto it = m_index.constFind(caption);
    return it == m_index.constEnd() ? nullptr : &m_series.at(it.value());
}

void ReadingRecorder::take(const DiagnosticReadings& readings) {
    const qint64 now = m_now();
    for (const DiagnosticReading& r : readings)
        if (recordedParts.testFlag(r.part))
            record(r.caption, r.value, r.unit, now);
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

void ReadingRecorder::record(const QString& caption, double value, const QString& unit, qint64 timeMs) {
    Series* s = seriesOf(caption);
    if (!s) {
        m_index.insert(caption, int(m_series.size()));
        m_series.append(Series{caption, unit, Ring(m_capacity), Ring(m_capacity)});
        s = &m_series.last();
    }
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

void ReadingRecorder::setMonitor(const QString& identity) {
    if (identity.isEmpty() || identity == m_monitor)
        return;
    if (!m_monitor.isEmpty())
        clear();
    m_monitor = identity;
}

QStringList ReadingRecorder::captions() const {
    QStringList out;
    for (const Series& s : m_series)
        out.append(s.caption);
    return out;
}

QStringList ReadingRecorder::captions(const QStringList& among) const {
    QStringList out;
    for (const Series& s : m_series)
        if (among.contains(s.caption))
            out.append(s.caption);
    return out;
}

QString ReadingRecorder::unit(const QString& caption) const {
    const Series* s = seriesOf(caption);
    return s ? s->unit : QString();
}

ReadingRecorder::Sample ReadingRecorder::newest(const QString& caption) const {
    const Series* s = seriesOf(caption);
    return s && s->recent.size() ? s->recent.at(s->recent.size() - 1) : Sample();
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
    QVector<Sample> out;
    const Series* s = seriesOf(caption);
    if (!s)
        return out;
    // The older ring and the recent one read as one sequence in time order, searched without copying it.
    const int olderCount = s->older.size();
    const int count = olderCount + s->recent.size();
    const auto at = [s, olderCount](int i) -> const Sample& {
        return i < olderCount ? s->older.at(i) : s->recent.at(i - olderCount);
    };
    const auto firstAtOrAfter = [&](qint64 t, bool after) {
        int low = 0, high = count;
        while (low < high) {
            const int mid = (low + high) / 2;
            if (after ? at(mid).timeMs <= t : at(mid).timeMs < t)
                low = mid + 1;
            else
                high = mid;
        }
        return low;
    };
    // One sample either side of the span, so the line runs to the edges.
    const int first = std::max(0, firstAtOrAfter(fromMs, false) - 1);
    const int last = std::min(count, firstAtOrAfter(toMs, true) + 1);
    if (last - first <= maxPoints || toMs <= fromMs) {
        out.reserve(last - first);
        for (int i = first; i < last; ++i)
            out.append(at(i));
        return out;
    }

    // Where more fall in the span, each slice of time gives its lowest and highest sample (an outside one wins).
    const int slices = std::max(1, maxPoints / 2);
    out.reserve(slices * 2 + 2);
    const double width = double(toMs - fromMs) / slices;
    int i = first;
    while (i < last) {
        const qint64 sliceEnd = fromMs + qint64((std::floor(double(at(i).timeMs - fromMs) / width) + 1) * width);
        const Sample* low = &at(i);
        const Sample* high = low;
        const Sample* outside = low->outside ? low : nullptr;
        for (; i < last && at(i).timeMs < sliceEnd; ++i) {
            const Sample* x = &at(i);
            if (x->value < low->value)
                low = x;
            if (x->value > high->value)
                high = x;
            if (x->outside && !outside)
                outside = x;
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

ReadingRecorder::CsvRows ReadingRecorder::csvRows(const QStringList& among) const {
    CsvRows out;
    for (int k = 0; k < m_series.size(); ++k) {
        const Series& series = m_series.at(k);
        out.captions.append(csvField(series.caption));
        out.units.append(csvField(series.unit));
        if (!among.contains(series.caption))
            continue;
        for (const Sample& s : samples(series.caption))
            out.rows.append({s.timeMs, k, s.value});
    }
    return out;
}

QByteArray ReadingRecorder::csvText(CsvRows rows) {
    using Row = CsvRows::Row;
    std::stable_sort(rows.rows.begin(), rows.rows.end(),
                     [](const Row& a, const Row& b) { return a.timeMs < b.timeMs; });
    QByteArray out = "time,reading,value,unit\r\n";
    out.reserve(rows.rows.size() * 48);
    qint64 stampedMs = -1;
    QByteArray stamp;
    for (const Row& r : std::as_const(rows.rows)) {
        if (r.timeMs != stampedMs) {
            stampedMs = r.timeMs;
            const QDateTime local = QDateTime::fromMSecsSinceEpoch(r.timeMs);
            stamp = local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODateWithMs).toLatin1();
        }
        out += stamp;
        out += ',';
        out += rows.captions.at(r.reading);
        out += ',';
        out += QByteArray::number(double(r.value), 'g', 7);
        out += ',';
        out += rows.units.at(r.reading);
        out += "\r\n";
    }
    return out;
}

qint64 ReadingRecorder::memoryBytes() const {
    qint64 bytes = 0;
    for (const Series& s : m_series)
        bytes += s.recent.bytes() + s.older.bytes() + qint64(sizeof(Series));
    return bytes;
}
