#include "protocol/I2cDevices.h"

#include "protocol/Catalogue.h"

namespace I2cDevices {

const QVector<I2cDevice>& table() {
    static const QVector<I2cDevice> devices = {
        {"Deflection", "btnU103", 0xAB, {"AA", "AB"}, "ID Memory (EEPROM)", 1, 0xAB},
        {"Deflection", "btnU109", 0x4D, {"4C", "4D"}, "Defl, HV enable, fail detect", 2, 0x4D},
        {"Deflection", "btnU115", 0x9C, {"9C", "9D"}, "DAC (Deflection Adjust)", 2, 0x9C},
        {"Deflection", "btnU119", 0x93, {"92", "93"}, "A/D HV Mon, Focus Mon, G2 Ctrl", 1, 0x93},
        {"Deflection", "btnU120", 0x4A, {"4A", "4B"}, "S-Cap Switches", 2, 0x4A},
        {"Deflection", "btnU126", 0x54, {"54", "55"}, "N-S Corrections", 1, 0x54},
        {"Video", "btnU206", 0x94, {"94", "95"}, "DAC (Video Adjust)", 2, 0x94},
        {"Video", "btnU210", 0xAD, {"AC", "AD"}, "ID Memory (EEPROM)", 1, 0xAD},
        {"Video", "btnU214", 0x91, {"90", "91"}, "A/D +80V mon, adjust", 1, 0x91},
        {"Power Distribution", "btnU303", 0x31, {"30", "31"}, "Temperature Sensor", 1, 0x31},
        {"Power Distribution", "btnU304", 0x45, {"44", "45"}, "Fan + Heater Control", 2, 0x45},
        {"Power Distribution", "btnU305", 0xA7, {"A6", "A7"}, "ID Memory (EEPROM)", 1, 0xA7},
        {"Power Distribution", "btnU306", 0x9B, {"9A", "9B"}, "A/D +28, +23, +5, -5", 1, 0x9B},
        {"LVPS", "btnU309", 0xA8, {"A8", "A9"}, "ID Memory (EEPROM)", 1, 0xA9},
        {"LVPS", "btnU310", 0x96, {"96", "97"}, "A/D -8,+90,+24,+12, DAC HVPS", 1, 0x97},
        {"LVPS", "btnU311", 0x98, {"98", "99"}, "A/D +6.3,+5,-12,-100, DAC Focus", 1, 0x99},
        {"CPU", "btnU513", 0x49, {"48", "49"}, "LED Control Register", 2, 0x49},
        {"Convergence", "btnU607", 0x5E, {"5E", "5F"}, "Digipot - H Ramp Adjust", 1, 0x5E},
        {"Convergence", "btnU608", 0x5C, {"5C", "5D"}, "Digipot - V Ramp Adjust", 1, 0x5C},
        {"Convergence", "btnU609", 0x5A, {"5A", "5B"}, "Digipot - H, V Parabola Offset", 1, 0x5A},
        {"Convergence", "btnU610", 0x4F, {"4E", "4F"}, "Convergence Enable", 2, 0x4F},
        {"Convergence", "btnU614", 0x9E, {"9E", "9F"}, "DAC - Output Offsets", 2, 0x9E},
        {"Convergence", "btnU615", 0x58, {"58", "59"}, "Digipot - H Parabola Adjust", 1, 0x58},
        {"Convergence", "btnU616", 0x56, {"56", "57"}, "Digipot - V Parabola Adjust", 1, 0x56},
        {"Convergence", "btnU628", 0xAE, {"AE", "AF"}, "ID Memory (EEPROM)", 1, 0xAF},
        {"G2", "btnU904", 0x52, {"52", "53"}, "Digipot - HV, Focus, G2 Adjust", 1, 0x52},
        {"G2", "btnU906", 0x92, {"92", "93"}, "A/D HV Mon, Focus Mon, G2 Mon", 1, 0x92},
        {"G2", "btnU908", 0xA4, {"A4", "A5"}, "ID Memory (EEPROM)", 1, 0xA4},
    };
    return devices;
}

QString caption(const I2cDevice& device) {
    return QString::fromLatin1(device.button).mid(3) + QLatin1Char(' ') + QString::fromLatin1(device.pair[0]);
}

bool carried(const I2cDevice& device, int capability) {
    const QLatin1String board(device.board);
    // The CPU board is always there; nothing else is known about a monitor that reports no capability (older
    // firmware), so every device stays on offer and the probe answer itself tells which one is fitted.
    if (board == QLatin1String("CPU") || capability < 0)
        return true;
    static const struct {
        const char* board;
        int bit;
    } boards[] = {{"LVPS", 1},       {"Power Distribution", 2}, {"Video", 4},
                  {"Deflection", 8}, {"Convergence", 32},       {"G2", 64}};
    for (const auto& b : boards)
        if (board == QLatin1String(b.board))
            return capability & b.bit;
    return true;
}

QStringList testAllRequests(int capability) {
    QStringList requests;
    for (const I2cDevice& d : table())
        if (carried(d, capability))
            for (int i = 0; i < d.testAllProbes; ++i)
                requests << Catalogue::probe(d.testAllAddress);
    return requests;
}

QStringList buttonsForAnswer(const QString& body) {
    static const QString marker = QStringLiteral("Device ");
    const int at = body.indexOf(marker);
    if (at < 0)
        return {};
    // The two characters after the address's "0x".
    const QString digits = body.mid(at + marker.size() + 2, 2);
    QStringList buttons;
    if (digits.size() != 2)
        return buttons;
    for (const I2cDevice& d : table())
        if (digits == QLatin1String(d.pair[0]) || digits == QLatin1String(d.pair[1]))
            buttons << QString::fromLatin1(d.button);
    return buttons;
}

} // namespace I2cDevices
