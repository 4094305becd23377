#pragma once
// The I2C devices of the monitor's boards, as the probe window shows and probes them, in the order in which
// "Test All" probes them.
#include <QString>
#include <QStringList>
#include <QVector>

struct I2cDevice {
    const char* board;    // group caption
    const char* button;   // documented button name, "btnU513"
    int address;          // the address the button probes
    const char* pair[2];  // even (write) and odd (read) address, as answers spell them
    const char* function; // function caption
    int testAllProbes;    // how many times "Test All" probes it in a row
    int testAllAddress;   // the address "Test All" probes
};

namespace I2cDevices {

const QVector<I2cDevice>& table();
// "U513 48": the reference and the even address, as the window captions the button.
QString caption(const I2cDevice& device);
// Whether a monitor may carry the device: only a reported capability (-1: none reported) leaves out the boards
// it says are absent.
bool carried(const I2cDevice& device, int capability);
// The requests of "Test All", in order, for the devices a monitor may carry.
QStringList testAllRequests(int capability = -1);
// The buttons whose address pair holds the two characters that follow "Device " and the "0x" of a probe
// answer (compared exactly); empty when the answer names no device of the table.
QStringList buttonsForAnswer(const QString& body);

} // namespace I2cDevices
