#include "model/OperatingSettings.h"

namespace OperatingTimeFields {

const std::array<Field, 5>& fields() {
    using F = Catalogue::OperatingField;
    static const std::array<Field, 5> table = {{
        {F::Days, "Operating Days:", "OperatingDaysTextBox", "SetOperatingDaysButton", 65535,
         "0 <= Operating Days <= 65535\r\nPlease Re-Enter"},
        {F::Hours, "Operating Hours:", "OperatingHoursTextBox", "SetOperatingHoursButton", 23,
         "0 <= Operating Hours <= 23\r\nPlease Re-Enter"},
        // Minutes share the days' maximum; the message names the field the user is in.
        {F::Minutes, "Operating Minutes:", "OperatingMinutesTextBox", "SetOperatingMinutesButton", 65535,
         "0 <= Operating Minutes <= 65535\r\nPlease Re-Enter"},
        {F::Seconds, "Operating Seconds:", "OperatingSecondsTextBox", "SetOperatingSecondsButton", 59,
         "0 <= Operating Seconds <= 59\r\n"},
        {F::Cycles, "Operating Cycles:", "OperatingCyclesTextBox", "SetOperatingCyclesButton", -1, nullptr},
    }};
    return table;
}

bool isValid(const Field& field, const QString& text) {
    if (field.maximum < 0 || text.isEmpty())
        return true;
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        value = value * 10 + (c.unicode() - '0');
        // Leading zeros do not count; once past the maximum no later digit can bring the value back.
        if (value > field.maximum)
            return false;
    }
    return true;
}

} // namespace OperatingTimeFields

namespace OperatingMode {

const std::array<OptionPair, 6>& pairs() {
    static const std::array<OptionPair, 6> table = {{
        {"BIT_Test_frame", "Continuous BIT Test", "BIT_Enabled_opt", "Enabled - Normal", "BIT_Disabled_opt",
         "Disabled - Noisy I2C", 32, false},
        {"EmulatorCommandsFrame", "Emulator Command Set", "EmulatorCommandsEnabledOpt", "Enabled - Emulator Products",
         "EmulatorCommandsDisabledOpt", "Disabled - Standard Products", 16, false},
        {"TypeFrame", "Monitor Type", "ColorOption", "Color", "MonochromeOption", "Monochrome", 8, true},
        {"DACUpdatingFrame", "5 sec DAC Updating", "DacUpdatingEnabledOptionButton", "Enabled - Test Mode Only",
         "DACUpdatingDisabledOptionButton", "Disabled - Normal Operation", 4, false},
        // The bit is set when the user control is disabled.
        {"BrightnessFrame", "User Brightness Control", "UserBrightnessDisabledOption", "Disabled",
         "UserBrightnessEnabledOption", "Enabled", 2, false},
        {"ContrastFrame", "User Contrast Control", "UserContrastDisabledOption", "Disabled",
         "UserContrastEnabledOption", "Enabled", 1, false},
    }};
    return table;
}

unsigned mask(const std::array<bool, 6>& bitOptionSelected) {
    unsigned m = 0;
    for (size_t i = 0; i < pairs().size(); ++i)
        if (bitOptionSelected[i])
            m += unsigned(pairs()[i].bit);
    return m;
}

bool answerSelectsBitOption(const OptionPair& pair, int modelType) {
    const bool bitSet = (modelType & pair.bit) != 0;
    return bitSet != pair.answerBitSelectsOther;
}

} // namespace OperatingMode
