#pragma once
// Handlers of the diagnostics answers: test points ("da", by firmware class), the HV control answer ("dh"),
// the sync frequencies ("dv"), the I2C probe results and the peek/poke answers. Each turns its answer into the
// texts the diagnostics windows show (and the HV limits of the model); none touches a widget.
#include "protocol/ControlTexts.h"
#include "protocol/Readings.h"

#include <QObject>
#include <QStringList>

class MonitorModel;

// The values of the HV control answer; absent labels give the defaults.
struct HvControls {
    int anodeCurrentLimit = 255;
    int upperLimit = 0;
    int lowerLimit = 0;
    // Present and default values of HV, focus, G2 and video +80 V, in that order.
    int control[4] = {0, 0, 0, 0};
    int defaults[4] = {0, 0, 0, 0};
};
Q_DECLARE_METATYPE(HvControls)

class DiagnosticHandlers : public QObject {
    Q_OBJECT
public:
    explicit DiagnosticHandlers(MonitorModel& model, QObject* parent = nullptr);

    static HvControls parseHvControls(const QString& body);

    // decoder 1 to 4 as chosen by the firmware class.
    void testPoints(int decoder, const QString& body);
    void hvControls(const QString& body);
    void syncFrequencies(const QString& body);
    void i2cProbeResult(const QString& body, int colour);
    void peekAddressRead(const QString& text);
    void peekByteRead(const QString& text);
    void peekWordRead(const QString& text);
    void peekCharRead(const QString& text);

    // The anode-voltage count of the last test-point answer that carried one (0 before the first).
    int anodeCount() const { return m_anodeCount; }

signals:
    void controlTextsRead(const ControlTexts& texts);
    // The same answers' readings as numbers, for the recording.
    void readingsTaken(const Readings& readings);
    // The HV answer of a monitor with HV, focus and G2 controls (classes 201 to 299), for the sliders of the
    // high-voltage and G2 windows.
    void hvControlsRead(const HvControls& values);
    // The device buttons (documented names) a probe answer selects, and the colour (RGB value: 255 red, 65280
    // green, 65535 yellow).
    void i2cProbeRead(const QStringList& buttons, int colour);

private:
    void showOne(DiagWindows windows, const QString& control, const QString& text);

    MonitorModel& m_model;
    int m_anodeCount = 0;
};
