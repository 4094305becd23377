#include "protocol/DiagnosticHandlers.h"

#include "model/MonitorModel.h"
#include "protocol/FirmwareClass.h"
#include "protocol/I2cDevices.h"
#include "protocol/NumberFormat.h"
#include "protocol/TestPointDecoders.h"
#include "protocol/TextHelpers.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

using W = DiagWindow;

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

// The number after label rounded down and kept to a signed 16-bit value; fallback when the label is absent.
int labelledInteger(const QString& body, const QString& label, int fallback, int* secondOut = nullptr) {
    const int at = body.indexOf(label);
    if (at < 0)
        return fallback;
    const QString after = body.mid(at + label.size());
    const auto toShort = [](double v) {
        return int(std::clamp(std::floor(v), double(std::numeric_limits<qint16>::min()),
                              double(std::numeric_limits<qint16>::max())));
    };
    bool ok = false;
    const int first = toShort(leadingDecimal(after, &ok));
    if (secondOut) {
        const int comma = after.indexOf(QLatin1String(", "));
        bool secondOk = false;
        const double second = comma < 0 ? 0 : leadingDecimal(after.mid(comma + 2), &secondOk);
        *secondOut = secondOk ? toShort(second) : 0;
    }
    return ok ? first : 0;
}

// A frequency from the sync answer: the number after label scaled, 0 when absent or above 300.
double frequency(const QString& text, const QString& label, double scale) {
    const int at = text.indexOf(label);
    if (at < 0)
        return 0;
    bool ok = false;
    const double value = leadingDecimal(text.mid(at + label.size()), &ok) * scale;
    return value > 300 ? 0 : value;
}

QString threeDigits(int value) {
    return NumberFormat::format(value, QStringLiteral("000"));
}

} // namespace

DiagnosticHandlers::DiagnosticHandlers(MonitorModel& model, QObject* parent) : QObject(parent), m_model(model) {
    qRegisterMetaType<ControlTexts>();
    qRegisterMetaType<HvControls>();
    qRegisterMetaType<Readings>();
}

void DiagnosticHandlers::showOne(DiagWindows windows, const QString& control, const QString& text) {
    emit controlTextsRead({{windows, control, text}});
}

void DiagnosticHandlers::testPoints(int decoder, const QString& body) {
    TestPoints::Decoded decoded = TestPoints::decode(decoder, body, m_model.operatingModeMask);
    if (decoded.anodeCount >= 0)
        m_anodeCount = decoded.anodeCount;
    if (!decoded.texts.isEmpty())
        emit controlTextsRead(decoded.texts);
    emit readingsTaken(ReadingNames::ofTestPoints(decoder, decoded));
}

HvControls DiagnosticHandlers::parseHvControls(const QString& body) {
    HvControls v;
    v.anodeCurrentLimit = labelledInteger(body, QStringLiteral("Current Limit = "), 255);
    v.upperLimit = labelledInteger(body, QStringLiteral("Upper Limit = "), 0);
    v.lowerLimit = labelledInteger(body, QStringLiteral("Lower Limit = "), 0);
    const char* controls[4] = {
        "HV Control Value = ", "Focus Control Value = ", "G2 Control Value = ", "Video +80V Control Value = "};
    for (int k = 0; k < 4; ++k)
        v.control[k] = labelledInteger(body, QString::fromLatin1(controls[k]), 0, &v.defaults[k]);
    return v;
}

void DiagnosticHandlers::hvControls(const QString& body) {
    const HvControls v = parseHvControls(body);
    m_model.hvUpperLimit = qint16(v.upperLimit);
    m_model.hvLowerLimit = qint16(v.lowerLimit);
    m_model.setOrigin(MonitorModel::hvLimitsKey, Origin::Read);

    const int fc = m_model.firmwareClass;
    const QString upper = threeDigits(v.upperLimit);
    const QString lower = threeDigits(v.lowerLimit);
    const QString count = threeDigits(m_anodeCount);
    ControlTexts texts;
    if (FirmwareClass::hvAnswerForTestPoints(fc)) {
        // "HV Limits" shows the first family's limits as well; it has no current limit to show.
        const DiagWindows limits = DiagWindows(W::TestPoint) | W::HvLimits;
        texts = {{limits, QStringLiteral("HVUpperLimitTextBox"), upper},
                 {limits, QStringLiteral("HVLowerLimitTextBox"), lower},
                 {limits, QStringLiteral("HVValTextBox"), count}};
    } else if (FirmwareClass::hvAnswerForHvWindows(fc)) {
        const DiagWindows limits = DiagWindows(W::HighVoltage) | W::HvLimits | W::MdiTestPoints;
        const QString currentLimit = threeDigits(v.anodeCurrentLimit);
        texts = {{limits, QStringLiteral("HVUpperLimitTextBox"), upper},
                 {limits, QStringLiteral("HVLowerLimitTextBox"), lower},
                 {DiagWindows(W::HighVoltage) | W::HvLimits, QStringLiteral("HVValTextBox"), count},
                 {DiagWindows(W::HvLimits) | W::MdiTestPoints, QStringLiteral("txtIAnodeLimit"), currentLimit}};
        for (int k = 0; k < 4; ++k)
            texts.append({W::HighVoltage, QStringLiteral("Text2(%1)").arg(k), threeDigits(v.defaults[k])});
        // The G2 window lists G2, HV and focus, each at most 63.
        const int g2Order[3] = {2, 0, 1};
        for (int k = 0; k < 3; ++k)
            texts.append({W::G2, QStringLiteral("Label4(%1)").arg(k),
                          NumberFormat::format(std::min(v.defaults[g2Order[k]], 63), QStringLiteral("00"))});
        emit hvControlsRead(v);
    }
    if (!texts.isEmpty()) {
        emit controlTextsRead(texts);
        emit readingsTaken(ReadingNames::ofHvLimits(v.lowerLimit, v.upperLimit, texts.first().windows));
    }
}

void DiagnosticHandlers::syncFrequencies(const QString& body) {
    const QString text = body.trimmed();
    const double vertical = frequency(text, QStringLiteral("Vsync Frequency = "), 1);
    const double horizontal = frequency(Text::textAfterLineFeed(text), QStringLiteral("Hsync Frequency = "), 1.024);
    // "Deflection Status" shows them for every CRT, beside the test-point window of the family.
    const DiagWindows windows =
        (FirmwareClass::syncForTestPoints(m_model.firmwareClass) ? DiagWindows(W::TestPoint) : W::MdiTestPoints) |
        W::DeflectionStatus;
    const QString pattern = QStringLiteral("0.00");
    emit controlTextsRead({{windows, QStringLiteral("VertFreqBox"), NumberFormat::format(vertical, pattern)},
                           {windows, QStringLiteral("HFreqTextBox"), NumberFormat::format(horizontal, pattern)}});
    emit readingsTaken(ReadingNames::ofSyncFrequencies(vertical, horizontal, windows));
}

void DiagnosticHandlers::i2cProbeResult(const QString& body, int colour) {
    const QStringList buttons = I2cDevices::buttonsForAnswer(body);
    if (!buttons.isEmpty())
        emit i2cProbeRead(buttons, colour);
}

void DiagnosticHandlers::peekAddressRead(const QString& text) {
    showOne(W::PeekPoke, QStringLiteral("AddressBox"), text);
}

void DiagnosticHandlers::peekByteRead(const QString& text) {
    showOne(W::PeekPoke, QStringLiteral("DataByteBox"), text);
}

void DiagnosticHandlers::peekWordRead(const QString& text) {
    showOne(W::PeekPoke, QStringLiteral("DataWordBox"), text);
}

void DiagnosticHandlers::peekCharRead(const QString& text) {
    showOne(W::PeekPoke, QStringLiteral("txtDataChar"), text);
}
