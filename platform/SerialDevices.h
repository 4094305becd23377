#pragma once
// The serial devices present on this machine, as a technician picks one: every device the system reports, then
// the stable /dev/serial/by-id names of USB adapters (which stay the same after a replug, unlike ttyUSB numbers),
// each labelled with the adapter's maker and model where known.
#include <QList>
#include <QString>
#include <QStringList>

struct SerialDevice {
    QString path;
    QString label;
    // "path (label)", or the path alone.
    QString display() const;
};

namespace SerialDevices {
QList<SerialDevice> present(const QString& byIdDir = QStringLiteral("/dev/serial/by-id"));
QStringList paths(const QList<SerialDevice>& devices);
// What a by-id name says about its adapter: "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0" gives
// "FTDI FT232R USB UART A50285BI".
QString labelFromByIdName(const QString& name);
} // namespace SerialDevices
