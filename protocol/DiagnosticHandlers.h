#pragma once
// Handlers of the diagnostics answers: test points ("da", by firmware class), the HV control answer ("dh"), the
// sync frequencies ("dv"), the deflection status of the panel status, the I2C probe results and the peek/poke
// answers. The readings go into the model's diagnostics, each under its caption, and diagnosticsChanged says
// which part of them changed; the probe and memory results are handed on as they are. None names a window or a
// control.
#include "model/DiagnosticValues.h"

#include <QObject>
#include <QStringList>

class MonitorModel;

class DiagnosticHandlers : public QObject {
    Q_OBJECT
public:
    // The fields of the peek/poke answers.
    enum class MemoryField { Address, Byte, Word, Char };
    Q_ENUM(MemoryField)

    explicit DiagnosticHandlers(MonitorModel& model, QObject* parent = nullptr);

    // decoder 1 to 4 as chosen by the firmware class.
    void testPoints(int decoder, const QString& body);
    // A value whose label the answer lacks is not known after it.
    void hvControls(const QString& body);
    void syncFrequencies(const QString& body);
    // The fail flags of the panel status, "Operating" or "Not Operating"; a null text where it says nothing.
    void deflectionStatus(const QString& vertical, const QString& horizontal);
    void i2cProbeResult(const QString& body, int colour);
    void memoryRead(MemoryField field, const QString& text);
    // The model has forgotten what the monitor reported (another monitor): every part changed.
    void monitorValuesForgotten() { emit diagnosticsChanged(DiagnosticCaptions::all); }

signals:
    void diagnosticsChanged(DiagnosticParts parts);
    // The device buttons (documented names) a probe answer selects, and the colour (RGB value: 255 red, 65280
    // green, 65535 yellow).
    void i2cProbeRead(const QStringList& buttons, int colour);
    // An address or a value of the peek/poke answers, as the monitor wrote it.
    void memoryValueRead(DiagnosticHandlers::MemoryField field, const QString& text);

private:
    // Stores what an answer carried and forgets what it should have carried and did not.
    void store(const DiagnosticReadings& found, const QStringList& absent, DiagnosticParts parts);

    MonitorModel& m_model;
};
