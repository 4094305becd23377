#pragma once
// The four decoders of the test-point answer ("da"), one per firmware class. Each is a table of readings:
// where the raw ADC count comes from (its position in the comma list, or the number after a label), whether it
// is kept to 8 bits, how it converts to volts, kilovolts or microamperes, how it is shown, and the caption the
// family's windows give it.
#include "model/DiagnosticValues.h"

namespace TestPoints {

// The decoder of a firmware class: 1 (100-199), 2 (200-298), 3 (300-398), 4 (400-498); 0 for no decoder.
int decoderOf(int firmwareClass);

// The captions of the readings a decoder gives, in either operating mode; a window's other readings are not on
// a monitor of that decoder.
QStringList captions(int decoder);

// Decodes an answer body (the text after "da") with the decoder 1 to 4: the readings it carries, each with its
// text, and the HV value (the raw anode-voltage count) where it carries one. Only bit 8 of operatingModeMask is
// used (first family: colour or monochrome anode scales).
DiagnosticReadings decode(int decoder, const QString& body, unsigned operatingModeMask);

} // namespace TestPoints
