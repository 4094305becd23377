// The serial devices offered to the technician, and how the real port tells why it did not open.
#include "platform/PortMap.h"
#include "platform/QtSerialPort.h"
#include "platform/SerialDevices.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

class SerialDevicesTest : public QObject {
    Q_OBJECT

private slots:
    void byIdNamesAreLabelledWithMakerAndModel() {
        QCOMPARE(SerialDevices::labelFromByIdName("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"),
                 QString("FTDI FT232R USB UART A50285BI"));
        QCOMPARE(SerialDevices::labelFromByIdName("usb-Prolific_Technology_Inc._USB-Serial_Controller-if00-port0"),
                 QString("Prolific Technology Inc. USB-Serial Controller"));

        QTemporaryDir root;
        QDir dir(root.path());
        QFile device(root.filePath("ttyUSB3"));
        QVERIFY(dir.mkdir("by-id") && dir.cd("by-id"));
        QVERIFY(device.open(QIODevice::WriteOnly));
        QVERIFY(QFile::link(device.fileName(), dir.filePath("usb-1a86_USB_Serial-if00-port0")));
        QVERIFY(QFile::link(root.filePath("unplugged"), dir.filePath("usb-Gone_Adapter-if00-port0")));
        QList<SerialDevice> found;
        for (const SerialDevice& d : SerialDevices::present(dir.path()))
            if (d.path.startsWith(root.path()))
                found << d;
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().display(),
                 dir.filePath("usb-1a86_USB_Serial-if00-port0") + " (1a86 USB Serial, ttyUSB3)");
    }

    void theRealPortTellsAMissingDeviceFromOneInUse() {
        PortMap map(nullptr);
        QtSerialPort port(&map);
        map.setOverride(1, "/dev/ttyUSB-none");
        QVERIFY(!port.open(1, "9600,N,8,1"));
        QCOMPARE(port.openFailure().kind, OpenFailure::Missing);
        QVERIFY(map.explain(port.deviceName(), port.openFailure()).startsWith("/dev/ttyUSB-none does not exist"));

        const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0);
        map.setOverride(1, QString::fromLocal8Bit(::ptsname(terminal)));
        QtSerialPort holder(&map);
        QVERIFY(holder.open(1, "9600,N,8,1"));
        QVERIFY(!port.open(1, "9600,N,8,1"));
        QCOMPARE(port.openFailure().kind, OpenFailure::InUse);
        QVERIFY(map.explain(port.deviceName(), port.openFailure()).contains("is in use by another program"));
        holder.close();
        ::close(terminal);
    }
};

QTEST_GUILESS_MAIN(SerialDevicesTest)
#include "tst_serialdevices.moc"
