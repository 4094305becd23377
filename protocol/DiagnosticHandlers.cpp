#include "protocol/DiagnosticHandlers.h"

#include "model/MonitorModel.h"
#include "protocol/I2cDevices.h"
#include "protocol/NumberFormat.h"
#include "protocol/TestPointDecoders.h"
#include "protocol/TextHelpers.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

namespace {

// The decimal number at the start of text (blanks, sign, digits, fraction); ok is false when there is none.
double leadingDecimal(const QString& text, bool* ok) {
    const QString s = Text::trimLeading(text);
    int i = 0;
    if (i < s.size() && (s.at(i) == QLatin1Char('-') || s.at(i) == QLatin1Char('+')))
        ++i;
    const auto isDigit = [&s](int k) {
        return k < s.size() && s.at(k) >= QLatin1Char('0') && s.at(k) <= QLatin1Char('9');
    };
    int digits = 0;
    while (isDigit(i)) {
        ++i;
        ++digits;
    }
    if (i < s.size() && s.at(i) == QLatin1Char('.')) {
        ++i;
        while (isDigit(i)) {
            ++i;
            ++digits;
        }
    }
    *ok = digits > 0;
    return *ok ? QLocale::c().toDouble(s.left(i)) : 0;
}

// The number after label rounded down and kept to a signed 16-bit value; none when the label or its number is
// absent. With second, the number after the first ", " that follows it as well.
std::optional<int> labelledInteger(const QString& body, const QString& label, std::optional<int>* second = nullptr) {
    const int at = body.indexOf(label);
    const QString after = at < 0 ? QString() : body.mid(at + label.size());
    const auto toShort = [](double v) {
        return int(std::clamp(std::floor(v), double(std::numeric_limits<qint16>::min()),
                              double(std::numeric_limits<qint16>::max())));
    };
    const auto numberIn = [&toShort](const QString& text) -> std::optional<int> {
        bool ok = false;
        const double v = leadingDecimal(text, &ok);
        return ok ? std::optional<int>(toShort(v)) : std::nullopt;
    };
    if (second) {
        const int comma = after.indexOf(QLatin1String(", "));
        *second = at < 0 || comma < 0 ? std::nullopt : numberIn(after.mid(comma + 2));
    }
    return at < 0 ? std::nullopt : numberIn(after);
}

// A frequency from the sync answer: the number after label scaled, 0 above 300; none when absent.
std::optional<double> frequency(const QString& text, const QString& label, double scale) {
    const int at = text.indexOf(label);
    if (at < 0)
        return std::nullopt;
    bool ok = false;
    const double value = leadingDecimal(text.mid(at + label.size()), &ok) * scale;
    if (!ok)
        return std::nullopt;
    return value > 300 ? 0 : value;
}

// The readings of an answer, and the captions it should have carried and did not.
struct Found {
    DiagnosticReadings readings;
    QStringList absent;

    void count(const QString& caption, std::optional<int> v, DiagnosticPart part) {
        if (v)
            readings.append(
                {caption, double(*v), QStringLiteral("count"), NumberFormat::format(*v, QStringLiteral("000")), part});
        else
            absent << caption;
    }
    void frequency(const QString& caption, std::optional<double> v, const QString& unit) {
        if (v)
            readings.append(
                {caption, *v, unit, NumberFormat::format(*v, QStringLiteral("0.00")), DiagnosticPart::SyncFrequencies});
        else
            absent << caption;
    }
    void state(const QString& caption, const QString& text) {
        if (!text.isNull())
            readings.append({caption, text == QLatin1String("Operating") ? 1.0 : 0.0, QString(), text,
                             DiagnosticPart::DeflectionStatus});
    }
};

} // namespace

DiagnosticHandlers::DiagnosticHandlers(MonitorModel& model, QObject* parent) : QObject(parent), m_model(model) {
    qRegisterMetaType<DiagnosticParts>();
}

void DiagnosticHandlers::store(const DiagnosticReadings& found, const QStringList& absent, DiagnosticParts parts) {
    m_model.diagnostics.forget(absent);
    m_model.diagnostics.storeAnswer(found);
    if (parts)
        emit diagnosticsChanged(parts);
}

void DiagnosticHandlers::testPoints(int decoder, const QString& body) {
    const DiagnosticReadings readings = TestPoints::decode(decoder, body, m_model.operatingModeMask);
    DiagnosticParts parts;
    for (const DiagnosticReading& r : readings)
        parts |= r.part;
    store(readings, {}, parts);
}

void DiagnosticHandlers::hvControls(const QString& body) {
    namespace C = DiagnosticCaptions;
    Found found;
    const std::optional<int> upper = labelledInteger(body, QStringLiteral("Upper Limit = "));
    const std::optional<int> lower = labelledInteger(body, QStringLiteral("Lower Limit = "));
    found.count(C::hvUpperLimit(), upper, DiagnosticPart::HvLimits);
    found.count(C::hvLowerLimit(), lower, DiagnosticPart::HvLimits);
    found.count(C::anodeCurrentLimit(), labelledInteger(body, QStringLiteral("Current Limit = ")),
                DiagnosticPart::HvLimits);
    const char* labels[4] = {
        "HV Control Value = ", "Focus Control Value = ", "G2 Control Value = ", "Video +80V Control Value = "};
    for (int k = 0; k < 4; ++k) {
        std::optional<int> fallback;
        found.count(C::hvControl(k), labelledInteger(body, QString::fromLatin1(labels[k]), &fallback),
                    DiagnosticPart::HvControls);
        found.count(C::hvDefault(k), fallback, DiagnosticPart::HvControls);
    }
    // The data file's limits, with where they came from.
    const struct {
        std::optional<int> value;
        qint16* field;
        const QString* key;
    } limits[] = {{upper, &m_model.hvUpperLimit, &MonitorModel::hvUpperLimitKey},
                  {lower, &m_model.hvLowerLimit, &MonitorModel::hvLowerLimitKey}};
    for (const auto& l : limits) {
        if (!l.value)
            continue;
        *l.field = qint16(*l.value);
        m_model.setOrigin(*l.key, Origin::Read);
    }
    store(found.readings, found.absent, DiagnosticParts(DiagnosticPart::HvControls) | DiagnosticPart::HvLimits);
}

void DiagnosticHandlers::syncFrequencies(const QString& body) {
    const QString text = body.trimmed();
    Found found;
    found.frequency(DiagnosticCaptions::verticalFrequency(), frequency(text, QStringLiteral("Vsync Frequency = "), 1),
                    QStringLiteral("Hz"));
    found.frequency(DiagnosticCaptions::horizontalFrequency(),
                    frequency(Text::textAfterLineFeed(text), QStringLiteral("Hsync Frequency = "), 1.024),
                    QStringLiteral("kHz"));
    store(found.readings, found.absent, DiagnosticPart::SyncFrequencies);
}

void DiagnosticHandlers::deflectionStatus(const QString& vertical, const QString& horizontal) {
    Found found;
    found.state(DiagnosticCaptions::verticalDeflection(), vertical);
    found.state(DiagnosticCaptions::horizontalDeflection(), horizontal);
    if (!found.readings.isEmpty())
        store(found.readings, {}, DiagnosticPart::DeflectionStatus);
}

void DiagnosticHandlers::i2cProbeResult(const QString& body, int colour) {
    const QStringList buttons = I2cDevices::buttonsForAnswer(body);
    if (!buttons.isEmpty())
        emit i2cProbeRead(buttons, colour);
}

void DiagnosticHandlers::memoryRead(MemoryField field, const QString& text) {
    emit memoryValueRead(field, text);
}
