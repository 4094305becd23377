#pragma once
// One method per leaf of the answer dispatch tables. Dispatch picks the leaf and hands over the body (what is
// left after the family and selector letters, leading blanks removed). The defaults do nothing: a leaf whose
// handler is not built yet is a hook.
#include <QString>

enum class DacKind { Current, Factory, Initial };

class AnswerHandlers {
public:
    virtual ~AnswerHandlers() = default;

    // ":" family: the echo of an Intel-HEX record during a download (whole answer after normalisation).
    virtual void downloadRecordEcho(const QString& answer) { Q_UNUSED(answer) }
    // "B" family.
    virtual void flashEraseAnswer(const QString& body) { Q_UNUSED(body) }
    virtual void sramLoadAnswer(const QString& body) { Q_UNUSED(body) }

    // "D" family.
    virtual void testPointsClass1(const QString& body) { Q_UNUSED(body) }
    virtual void testPointsClass2(const QString& body) { Q_UNUSED(body) }
    virtual void testPointsClass3(const QString& body) { Q_UNUSED(body) }
    virtual void testPointsClass4(const QString& body) { Q_UNUSED(body) }
    virtual void bootBlockContents(const QString& body) { Q_UNUSED(body) }
    virtual void currentScanSet(const QString& body) { Q_UNUSED(body) }
    // group is the upper-case group letter ("N" is the scan-set list, current values only).
    virtual void dacValues(QChar group, DacKind kind, const QString& body) {
        Q_UNUSED(group) Q_UNUSED(kind) Q_UNUSED(body)
    }
    virtual void bootEpromVersion(const QString& body) { Q_UNUSED(body) }
    // "df", "dfd", "dfp", "dff": the body after "F".
    virtual void firmwareVersion(const QString& body) { Q_UNUSED(body) }
    virtual void hvControls(const QString& body) { Q_UNUSED(body) }
    // board is the upper-case board letter.
    virtual void partNumber(QChar board, const QString& body) { Q_UNUSED(board) Q_UNUSED(body) }
    virtual void serialNumber(QChar board, const QString& body) { Q_UNUSED(board) Q_UNUSED(body) }
    virtual void panelStatus(const QString& body) { Q_UNUSED(body) }
    // reading is the upper-case letter after "DR": A, B, D, E, F, M, N, S or W.
    virtual void filamentDutyCycle(QChar reading, const QString& body) { Q_UNUSED(reading) Q_UNUSED(body) }
    virtual void operatingTime(const QString& body) { Q_UNUSED(body) }
    virtual void syncFrequencies(const QString& body) { Q_UNUSED(body) }
    virtual void modelType(const QString& body) { Q_UNUSED(body) }
    virtual void capability(const QString& body) { Q_UNUSED(body) }

    // "M" family (called with suppressControlEvents set).
    virtual void deflectionEnableRead(bool enabled) { Q_UNUSED(enabled) }
    virtual void hvEnableRead(bool enabled) { Q_UNUSED(enabled) }
    // "P" family probe result: the body and its colour (RGB value: 255 red, 65280 green, 65535 yellow).
    virtual void i2cProbeResult(const QString& body, int colour) { Q_UNUSED(body) Q_UNUSED(colour) }
    // "A" family: "0x" and the address digits.
    virtual void peekAddressRead(const QString& text) { Q_UNUSED(text) }
    // "R" family.
    virtual void peekByteRead(const QString& text) { Q_UNUSED(text) }
    virtual void peekWordRead(const QString& text) { Q_UNUSED(text) }
    virtual void peekCharRead(const QString& text) { Q_UNUSED(text) }
};
