#include "protocol/TestPointDecoders.h"

#include "protocol/FirmwareClass.h"
#include "protocol/NumberFormat.h"
#include "protocol/ParseRules.h"

#include <algorithm>

namespace {

using Part = DiagnosticPart;

enum class When { Always, ModeBit8Set, ModeBit8Clear };

// Shown value = q × factor + offset, where q = (max(n, floor) − floor) / divisor for the raw count n.
struct Reading {
    const char* caption; // as the family's windows caption it
    double divisor;
    double factor;
    double offset = 0;
    const char* pattern = "#0.00";
    const char* suffix = " V"; // after the number; it names the unit unless unit does
    const char* prefix = "";
    When when = When::Always;
    double floor = 0;
    bool masked = true;         // kept to its low 8 bits
    bool floatQuotient = false; // q taken in single precision
    bool anodeCount = false;    // the count is the HV value of the limit windows
    const char* unit = nullptr;
    Part part = Part::TestPoints;
};

// A supply measured against the 4 V reference: (4q − 4) × scale + 4, with q = n / 255.
constexpr double referenced(double scale) {
    return -4 * scale + 4;
}

struct Positional {
    int position; // 1-based
    Reading reading;
};
struct Labelled {
    const char* label;
    Reading reading;
};
struct Decoder {
    int numbers;
    const Positional* positional;
    int positionalCount;
    const Labelled* labelled;
    int labelledCount;
};

// First family: seven numbers.
const Positional class1[] = {
    {1,
     {"Horizontal Frequency", 256, 4 / 0.049, 0, "#0.0", "", "", When::Always, 0, true, false, false, "kHz",
      Part::SyncFrequencies}},
    {2, {"Brightness Control In", 256, 4}},
    {3, {"Contrast Control In", 256, 4}},
    {4, {"HV Anode Current", 256, 740, 0, "#0", " uA", "", When::ModeBit8Set, 37}},
    {4, {"HV Anode Current", 256, 486, 0, "#0", " uA", "", When::ModeBit8Clear, 18}},
    {5, {"HV Anode", 256, 23.91, 0, "#00.0", " kV", "", When::ModeBit8Set, 0, true, false, true}},
    {5, {"HV Anode", 256, 15.04, 0, "#00.0", " kV", "", When::ModeBit8Clear, 0, true, false, true}},
    {6, {"LV80", 256, 101, 0, "#00.0"}},
    {7, {"LV175", 256, 214, 0, "#000.0"}},
};

// Second family: four numbers, then labelled readings.
const Positional class2[] = {
    {1, {"CPU +5V", 255, 4 * 20 / 10.0, 0, "#0.00", " V", "", When::Always, 0, false}},
    {2, {"Brightness Control In", 256, 4}},
    {3, {"Contrast Control In", 256, 4}},
    {4, {"Contrast Control X16", 256, 4}},
};
const Labelled class2Labels[] = {
    {"Video_+80V ", {"Video +80V", 255, 4 * 21, 0, "#0.00", " V", "", When::Always, 0, true, true}},
    {"Anode Voltage ", {"HV Anode Voltage", 255, 5 * 4.61, 0, "#0.00", " kV", "", When::Always, 0, true, false, true}},
    {"Anode Current ", {"HV Anode Current", 255, 622, 0, "#0", " uA"}},
    {"Focus Voltage ", {"Focus Voltage", 255, 5 * 2, 0, "#0.00", " kV"}},
    {"G2 Voltage ", {"G2 Voltage", 255, 5 * 204, 0, "#0", " V"}},
    {"-8V ", {"-8V", 255, 4 * 5.87, referenced(5.87), "00.0", "V"}},
    {"+90V ", {"+90V", 255, 4 * 28.4, 0, "000.0", "V", "+"}},
    {"+24V ", {"+24V", 255, 4 * 7.49, 0, "00.0", "V", "+"}},
    {"+12V ", {"+12V", 255, 4 * 3.74, 0, "00.0", "V", "+"}},
    {"+6.3V ", {"+6.3V", 255, 4 * 1.976, 0, "00.0", "V", "+"}},
    {"+5V ", {"+5V", 255, 4 * 1.562, 0, "0.00", "V", "+"}},
    {"-12V ", {"-12V", 255, 4 * 20.1, referenced(20.1), "00.0", "V"}},
    {"-100V ", {"-100V", 255, 4 * 131, referenced(131), "000", "V"}},
};

// Flat panels: twelve numbers.
const Positional class3[] = {
    {1, {"Photocell x10", 256, 4}},
    {2, {"Brightness Control In", 256, 4}},
    {3, {"Contrast Control In", 256, 4}},
    {4, {"Enh Contrast Control In", 256, 4}},
    {5, {"Photocell x40960", 256, 4}},
    {6, {"Photocell x2560", 256, 4}},
    {7, {"Photocell x160", 256, 4}},
    {8, {"+5V Monitor", 2550, 4 * 20}},
    {9, {"+28V", 2550, 4 * 86.8}},
    {10, {"+23V", 2550, 4 * 71.9}},
    {11, {"+5V", 2550, 4 * 15.6}},
    // 4 − (4 − 4q) × 2.82
    {12, {"-5V", 255, 4 * 2.82, 4 - 4 * 2.82}},
};
// The LED-backlight panels: numbers 1 and 3 to 7 are read and not shown.
const Positional class4[] = {
    {2, {"Brightness Control In", 256, 4}}, {8, {"+5V Monitor", 2550, 4 * 20}},  {9, {"LED+", 382.5, 2.5 * 30.2}},
    {10, {"+12V", 382.5, 2.5 * 9}},         {11, {"+3.3V", 382.5, 2.5 * 2.476}}, {12, {"+2.5V", 382.5, 2.5 * 1.874}},
};

template <class T, int N> constexpr int countOf(const T (&)[N]) {
    return N;
}

const Decoder decoders[] = {
    {7, class1, countOf(class1), nullptr, 0},
    {4, class2, countOf(class2), class2Labels, countOf(class2Labels)},
    {12, class3, countOf(class3), nullptr, 0},
    {12, class4, countOf(class4), nullptr, 0},
};

bool applies(const Reading& r, unsigned mask) {
    const bool bit8 = mask & 8u;
    return r.when == When::Always || (r.when == When::ModeBit8Set) == bit8;
}

QString unitOf(const Reading& r) {
    return r.unit ? QString::fromLatin1(r.unit) : QString::fromLatin1(r.suffix).trimmed();
}

// Converts one raw count into its reading, and the HV value where the count is the anode voltage's.
void take(const Reading& r, int raw, DiagnosticReadings& out) {
    const int n = r.masked ? (raw & 0xFF) : raw;
    const double counted = std::max<double>(n, r.floor) - r.floor;
    const double q = r.floatQuotient ? double(float(counted / r.divisor)) : counted / r.divisor;
    const double value = q * r.factor + r.offset;
    const QString text = QString::fromLatin1(r.prefix) + NumberFormat::format(value, QString::fromLatin1(r.pattern)) +
                         QString::fromLatin1(r.suffix);
    out.append({QString::fromLatin1(r.caption), value, unitOf(r), text, r.part});
    if (r.anodeCount)
        out.append({DiagnosticCaptions::hvValue(), double(n), QStringLiteral("count"),
                    NumberFormat::format(n, QStringLiteral("000")), Part::TestPoints});
}

} // namespace

namespace TestPoints {

int decoderOf(int firmwareClass) {
    return FirmwareClass::testPointDecoder(firmwareClass);
}

QStringList captions(int decoder) {
    QStringList out;
    if (decoder < 1 || decoder > 4)
        return out;
    const Decoder& d = decoders[decoder - 1];
    const auto note = [&out](const Reading& r) {
        if (!out.contains(QLatin1String(r.caption)))
            out << QString::fromLatin1(r.caption);
        if (r.anodeCount && !out.contains(DiagnosticCaptions::hvValue()))
            out << DiagnosticCaptions::hvValue();
    };
    for (int i = 0; i < d.positionalCount; ++i)
        note(d.positional[i].reading);
    for (int i = 0; i < d.labelledCount; ++i)
        note(d.labelled[i].reading);
    return out;
}

DiagnosticReadings decode(int decoder, const QString& body, unsigned operatingModeMask) {
    DiagnosticReadings out;
    if (decoder < 1 || decoder > 4)
        return out;
    const Decoder& d = decoders[decoder - 1];

    // The next-number rule reads the last number again where the commas run out.
    QString rest = body;
    QVector<int> numbers;
    for (int i = 0; i < d.numbers; ++i)
        numbers.append(ParseRules::nextNumber(rest));
    for (int i = 0; i < d.positionalCount; ++i) {
        const Positional& p = d.positional[i];
        if (applies(p.reading, operatingModeMask))
            take(p.reading, numbers.at(p.position - 1), out);
    }

    // Each label is looked for in the whole answer; a missing one leaves its reading as it was.
    for (int i = 0; i < d.labelledCount; ++i) {
        const Labelled& l = d.labelled[i];
        const QString label = QString::fromLatin1(l.label);
        const int at = body.indexOf(label);
        if (at < 0 || !applies(l.reading, operatingModeMask))
            continue;
        QString after = body.mid(at + label.size());
        take(l.reading, ParseRules::nextNumber(after), out);
    }
    return out;
}

} // namespace TestPoints
