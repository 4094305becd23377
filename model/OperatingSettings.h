#pragma once
// How long the monitor has run and how it runs: the operating-time fields that the set-times window checks and
// sends, and the six option pairs of the operating-mode window with the bit each stands for.
#include "protocol/Catalogue.h"

#include <QString>
#include <array>

namespace OperatingTimeFields {

struct Field {
    Catalogue::OperatingField field;
    const char* caption; // "Operating Days:"
    const char* box;     // text box
    const char* button;  // its "Set" button
    int maximum;         // -1: not checked
    const char* message; // shown when a left box holds an invalid text
};

// Days, hours, minutes, seconds, cycles.
const std::array<Field, 5>& fields();

// Valid: empty, or decimal digits only with a value of at most the field's maximum (any text for a field that
// is not checked).
bool isValid(const Field& field, const QString& text);

} // namespace OperatingTimeFields

namespace OperatingMode {

struct OptionPair {
    const char* frame;
    const char* frameCaption;
    const char* bitOption; // selected: the bit is in the mask the window sends
    const char* bitLabel;
    const char* otherOption;
    const char* otherLabel;
    int bit;
    // The model-type answer reports this bit for the other option (monochrome rather than colour).
    bool answerBitSelectsOther;
};

// Built-in test, emulator commands, type, DAC updating, user brightness, user contrast.
const std::array<OptionPair, 6>& pairs();

// The mask sent with "cw": the sum of the bits of the pairs whose bit option is selected.
unsigned mask(const std::array<bool, 6>& bitOptionSelected);
// Whether a model-type answer selects the pair's bit option (otherwise its other option).
bool answerSelectsBitOption(const OptionPair& pair, int modelType);

} // namespace OperatingMode
