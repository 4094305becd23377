#pragma once
// The I2C device test: one button per device of the device table, grouped by board; a button probes its
// device and the answer colours it (green acknowledged, red not responding, yellow the third result). Only the
// devices of the boards the connected monitor does not report absent are shown and tested.
#include "diag/DiagnosticWindow.h"

class QLineEdit;
struct I2cDevice;

class FrmI2cProbe : public DiagnosticWindow {
    Q_OBJECT
public:
    explicit FrmI2cProbe(AppContext& ctx, QWidget* parent = nullptr);
    void onActivated() override;
    // Shows the devices of the boards the monitor's reported capability does not rule out.
    void showOfferedDevices();

    // Colours the named device buttons; colour is an RGB value with red in the low byte.
    void showProbeResult(const QStringList& buttons, int colour);
    // "Set All Buttons Gray": every button of the window back to the button-face colour.
    void setAllGray();

    static QColor colourOf(int rgbValue);

private:
    // The capability the monitor reported, -1 when it reported none.
    int reportedCapability() const;

    struct DeviceRow {
        const I2cDevice* device;
        QList<QWidget*> widgets; // button, caption, function
    };
    QList<DeviceRow> m_rows;
};
