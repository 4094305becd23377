#include "protocol/Readings.h"

#include <QHash>

namespace {

struct Name {
    const char* caption;
    const char* unit;
};

// Captions of the value controls that read the same in every family's window.
const QHash<QString, Name>& commonNames() {
    static const QHash<QString, Name> names = {
        {QStringLiteral("IAnodeValue"), {"HV Anode Current", "uA"}},
        {QStringLiteral("VAnodeValue"), {"HV Anode Voltage", "kV"}},
        {QStringLiteral("LV80Value"), {"LV80", "V"}},
        {QStringLiteral("LV175Value"), {"LV175", "V"}},
        {QStringLiteral("BCtrlValue"), {"Brightness Control In", "V"}},
        {QStringLiteral("CCtrlValue"), {"Contrast Control In", "V"}},
        {QStringLiteral("ECCtrlValue"), {"Enh Contrast Control In", "V"}},
        {QStringLiteral("lblCCtrlX16Value"), {"Contrast Control X16", "V"}},
        {QStringLiteral("lblLV80Value"), {"Video +80V", "V"}},
        {QStringLiteral("lblCPUP5Value"), {"CPU +5V", "V"}},
        {QStringLiteral("FocusLabel"), {"Focus Voltage", "kV"}},
        {QStringLiteral("G2Label"), {"G2 Voltage", "V"}},
        {QStringLiteral("HFreqTextBox"), {"Horizontal Frequency", "kHz"}},
        {QStringLiteral("lblACH7"), {"Photocell x10", "V"}},
        {QStringLiteral("lblACH4"), {"Photocell x40960", "V"}},
        {QStringLiteral("lblACH5"), {"Photocell x2560", "V"}},
        {QStringLiteral("lblACH6"), {"Photocell x160", "V"}},
        {QStringLiteral("P5VM"), {"+5V Monitor", "V"}},
    };
    return names;
}

// The supply captions (lblVoltage(k)) of each decoder's window.
QString supplyCaption(int decoder, int k) {
    static const char* const crt[] = {"-8V", "+90V", "+24V", "+12V", "+6.3V", "+5V", "-12V", "-100V"};
    static const char* const panel[] = {"+28V", "+23V", "+5V", "-5V"};
    static const char* const led[] = {"LED+", "+12V", "+3.3V", "+2.5V"};
    const char* const* table = decoder == 2 ? crt : decoder == 3 ? panel : led;
    const int count = decoder == 2 ? 8 : 4;
    return k >= 0 && k < count ? QString::fromLatin1(table[k]) : QString();
}

Name nameOf(int decoder, const QString& control, QString* caption) {
    if (control.startsWith(QLatin1String("lblVoltage("))) {
        *caption = supplyCaption(decoder, control.mid(11).chopped(1).toInt());
        return {nullptr, "V"};
    }
    const Name name = commonNames().value(control, {nullptr, nullptr});
    // The first family's window calls its anode voltage "HV Anode".
    *caption = decoder == 1 && control == QLatin1String("VAnodeValue") ? QStringLiteral("HV Anode")
                                                                       : QString::fromLatin1(name.caption);
    return name;
}

} // namespace

namespace ReadingNames {

Readings ofTestPoints(int decoder, const TestPoints::Decoded& decoded) {
    Readings out;
    for (const TestPoints::Value& v : decoded.values) {
        QString caption;
        const Name name = nameOf(decoder, v.control, &caption);
        if (!caption.isEmpty())
            out.append({caption, v.value, QString::fromLatin1(name.unit), v.windows});
    }
    // The count is the HV value of the family's limit rows (the second family shows it as it comes).
    const DiagWindows hv =
        DiagWindows(decoder == 1 ? DiagWindow::TestPoint : DiagWindow::MdiTestPoints) | DiagWindow::HvLimits;
    if (decoded.anodeCount >= 0)
        out.append({hvValue(), double(decoded.anodeCount), QStringLiteral("count"), hv});
    return out;
}

Readings ofSyncFrequencies(double verticalHz, double horizontalKHz, DiagWindows windows) {
    return {{QStringLiteral("Vertical Frequency"), verticalHz, QStringLiteral("Hz"), windows},
            {QStringLiteral("Horizontal Frequency"), horizontalKHz, QStringLiteral("kHz"), windows}};
}

Readings ofHvLimits(int lower, int upper, DiagWindows windows) {
    const QString unit = QStringLiteral("count");
    return {{hvUpperLimit(), double(upper), unit, windows}, {hvLowerLimit(), double(lower), unit, windows}};
}

} // namespace ReadingNames
