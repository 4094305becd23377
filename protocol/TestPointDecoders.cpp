#include "protocol/TestPointDecoders.h"

#include "protocol/FirmwareClass.h"
#include "protocol/NumberFormat.h"
#include "protocol/ParseRules.h"

#include <algorithm>

namespace {

using W = DiagWindow;
constexpr DiagWindows testPoint = W::TestPoint;
// The first family's readings that "Operating Voltages" has a place for as well.
constexpr DiagWindows class1Shared = testPoint | W::CrtVoltages;
constexpr DiagWindows crt = DiagWindows(W::MdiTestPoints) | W::CrtVoltages;
constexpr DiagWindows flatPanel = W::FlatPanel;
constexpr DiagWindows hvValue = DiagWindows(W::MdiTestPoints) | W::HvLimits;
constexpr DiagWindows anodeVoltage = crt | W::HighVoltage | W::G2;
constexpr DiagWindows anodeCurrent = crt | W::HighVoltage;
constexpr DiagWindows focusAndG2 = crt | W::G2;

enum class When { Always, ModeBit8Set, ModeBit8Clear };

// Shown value = q × factor + offset, where q = (max(n, floor) − floor) / divisor for the raw count n.
struct Reading {
    const char* control; // nullptr: read, not shown
    DiagWindows windows;
    double divisor;
    double factor;
    double offset = 0;
    const char* pattern = "#0.00";
    const char* unit = " V";
    const char* prefix = "";
    When when = When::Always;
    double floor = 0;
    bool masked = true;         // kept to its low 8 bits
    bool floatQuotient = false; // q taken in single precision
    bool anodeCount = false;    // the count is the HV value of the limit windows
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
    {1, {"HFreqTextBox", testPoint, 256, 4 / 0.049, 0, "#0.0", ""}},
    {2, {"BCtrlValue", class1Shared, 256, 4}},
    {3, {"CCtrlValue", class1Shared, 256, 4}},
    {4, {"IAnodeValue", class1Shared, 256, 740, 0, "#0", " uA", "", When::ModeBit8Set, 37}},
    {4, {"IAnodeValue", class1Shared, 256, 486, 0, "#0", " uA", "", When::ModeBit8Clear, 18}},
    {5, {"VAnodeValue", class1Shared, 256, 23.91, 0, "#00.0", " kV", "", When::ModeBit8Set, 0, true, false, true}},
    {5, {"VAnodeValue", class1Shared, 256, 15.04, 0, "#00.0", " kV", "", When::ModeBit8Clear, 0, true, false, true}},
    {6, {"LV80Value", testPoint, 256, 101, 0, "#00.0"}},
    {6, {"lblLV80Value", W::CrtVoltages, 256, 101, 0, "#00.0"}},
    {7, {"LV175Value", testPoint, 256, 214, 0, "#000.0"}},
};

// Second family: four numbers, then labelled readings.
const Positional class2[] = {
    {1, {"lblCPUP5Value", crt, 255, 4 * 20 / 10.0, 0, "#0.00", " V", "", When::Always, 0, false}},
    {2, {"BCtrlValue", crt, 256, 4}},
    {3, {"CCtrlValue", crt, 256, 4}},
    {4, {"lblCCtrlX16Value", crt, 256, 4}},
};
const Labelled class2Labels[] = {
    {"Video_+80V ", {"lblLV80Value", crt, 255, 4 * 21, 0, "#0.00", " V", "", When::Always, 0, true, true}},
    {"Anode Voltage ", {"HVValTextBox", hvValue, 1, 1, 0, "000", "", "", When::Always, 0, true, false, true}},
    {"Anode Voltage ", {"VAnodeValue", anodeVoltage, 255, 5 * 4.61, 0, "#0.00", " kV"}},
    {"Anode Current ", {"IAnodeValue", anodeCurrent, 255, 622, 0, "#0", " uA"}},
    {"Focus Voltage ", {"FocusLabel", focusAndG2, 255, 5 * 2, 0, "#0.00", " kV"}},
    {"G2 Voltage ", {"G2Label", focusAndG2, 255, 5 * 204, 0, "#0", " V"}},
    {"-8V ", {"lblVoltage(0)", crt, 255, 4 * 5.87, referenced(5.87), "00.0", "V"}},
    {"+90V ", {"lblVoltage(1)", crt, 255, 4 * 28.4, 0, "000.0", "V", "+"}},
    {"+24V ", {"lblVoltage(2)", crt, 255, 4 * 7.49, 0, "00.0", "V", "+"}},
    {"+12V ", {"lblVoltage(3)", crt, 255, 4 * 3.74, 0, "00.0", "V", "+"}},
    {"+6.3V ", {"lblVoltage(4)", crt, 255, 4 * 1.976, 0, "00.0", "V", "+"}},
    {"+5V ", {"lblVoltage(5)", crt, 255, 4 * 1.562, 0, "0.00", "V", "+"}},
    {"-12V ", {"lblVoltage(6)", crt, 255, 4 * 20.1, referenced(20.1), "00.0", "V"}},
    {"-100V ", {"lblVoltage(7)", crt, 255, 4 * 131, referenced(131), "000", "V"}},
};

// Flat panels: twelve numbers.
const Positional class3[] = {
    {1, {"lblACH7", flatPanel, 256, 4}},
    {2, {"BCtrlValue", flatPanel, 256, 4}},
    {3, {"CCtrlValue", flatPanel, 256, 4}},
    {4, {"ECCtrlValue", flatPanel, 256, 4}},
    {5, {"lblACH4", flatPanel, 256, 4}},
    {6, {"lblACH5", flatPanel, 256, 4}},
    {7, {"lblACH6", flatPanel, 256, 4}},
    {8, {"P5VM", flatPanel, 2550, 4 * 20}},
    {9, {"lblVoltage(0)", flatPanel, 2550, 4 * 86.8}},
    {10, {"lblVoltage(1)", flatPanel, 2550, 4 * 71.9}},
    {11, {"lblVoltage(2)", flatPanel, 2550, 4 * 15.6}},
    // 4 − (4 − 4q) × 2.82
    {12, {"lblVoltage(3)", flatPanel, 255, 4 * 2.82, 4 - 4 * 2.82}},
};
const Positional class4[] = {
    {2, {"BCtrlValue", flatPanel, 256, 4}},
    {8, {"P5VM", flatPanel, 2550, 4 * 20}},
    {9, {"lblVoltage(0)", flatPanel, 382.5, 2.5 * 30.2}},
    {10, {"lblVoltage(1)", flatPanel, 382.5, 2.5 * 9}},
    {11, {"lblVoltage(2)", flatPanel, 382.5, 2.5 * 2.476}},
    {12, {"lblVoltage(3)", flatPanel, 382.5, 2.5 * 1.874}},
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

// Converts and shows one raw count; returns the count as kept (masked or not).
void show(const Reading& r, int raw, TestPoints::Decoded& out) {
    const int n = r.masked ? (raw & 0xFF) : raw;
    const double counted = std::max<double>(n, r.floor) - r.floor;
    const double q = r.floatQuotient ? double(float(counted / r.divisor)) : counted / r.divisor;
    const double value = q * r.factor + r.offset;
    if (r.anodeCount)
        out.anodeCount = n;
    if (r.control)
        out.values.append({QString::fromLatin1(r.control), value, r.windows});
    if (r.control)
        out.texts.append({r.windows, QString::fromLatin1(r.control),
                          QString::fromLatin1(r.prefix) + NumberFormat::format(value, QString::fromLatin1(r.pattern)) +
                              QString::fromLatin1(r.unit)});
}

} // namespace

namespace TestPoints {

int decoderOf(int firmwareClass) {
    return FirmwareClass::testPointDecoder(firmwareClass);
}

QStringList controlsShown(int decoder, DiagWindow window) {
    QStringList out;
    if (decoder < 1 || decoder > 4)
        return out;
    const Decoder& d = decoders[decoder - 1];
    const auto note = [&](const Reading& r) {
        if (r.control && r.windows.testFlag(window))
            out << QString::fromLatin1(r.control);
    };
    for (int i = 0; i < d.positionalCount; ++i)
        note(d.positional[i].reading);
    for (int i = 0; i < d.labelledCount; ++i)
        note(d.labelled[i].reading);
    return out;
}

Decoded decode(int decoder, const QString& body, unsigned operatingModeMask) {
    Decoded out;
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
            show(p.reading, numbers.at(p.position - 1), out);
    }

    // Each label is looked for in the whole answer; a missing one leaves its reading as it was.
    for (int i = 0; i < d.labelledCount; ++i) {
        const Labelled& l = d.labelled[i];
        const QString label = QString::fromLatin1(l.label);
        const int at = body.indexOf(label);
        if (at < 0 || !applies(l.reading, operatingModeMask))
            continue;
        QString after = body.mid(at + label.size());
        show(l.reading, ParseRules::nextNumber(after), out);
    }
    return out;
}

} // namespace TestPoints
