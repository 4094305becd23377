#pragma once
// The four decoders of the test-point answer ("da"), one per firmware class. Each is a table of readings:
// where the raw ADC count comes from (its position in the comma list, or the number after a label), whether it
// is kept to 8 bits, how it converts to volts, kilovolts or microamperes, and how it is shown.
#include "protocol/ControlTexts.h"

namespace TestPoints {

// The decoder of a firmware class: 1 (100-199), 2 (200-298), 3 (300-398), 4 (400-498); 0 for no decoder.
int decoderOf(int firmwareClass);

// The converted value of a shown reading, before it is formatted.
struct Value {
    QString control;
    double value;
    DiagWindows windows;
};

struct Decoded {
    ControlTexts texts;
    QVector<Value> values;
    // The raw anode-voltage count of the answer (the HV value shown by the limit windows); -1 when absent.
    int anodeCount = -1;
};

// The controls of a window that the decoder fills, in either operating mode; the window's other readings are not
// on a monitor of that decoder.
QStringList controlsShown(int decoder, DiagWindow window);

// Decodes an answer body (the text after "da") with the decoder 1 to 4. Only bit 8 of operatingModeMask is
// used (first family: colour or monochrome anode scales).
Decoded decode(int decoder, const QString& body, unsigned operatingModeMask);

} // namespace TestPoints
