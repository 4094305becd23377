#pragma once
// Why a serial device could not be opened, told in words a technician can act on: a device the account may not
// use names the group that owns it and the command that adds the account to it (or, where that group may not use
// it either, who may and a udev rule that opens it to a group); a device in use names the lock
// file and the process holding it where they can be found; a missing device lists the devices present.
// Widget-free: the windows and the command-line tool tell the same.
#include "platform/SerialDevices.h"
#include "platform/SerialPort.h"

#include <functional>

class PortTrouble {
public:
    // Where processes and lock files are looked for; a test points them at a made-up tree.
    struct Places {
        QString proc = QStringLiteral("/proc");
        QStringList lockDirs = {
            QStringLiteral("/var/lock"),       QStringLiteral("/run/lock"), QStringLiteral("/var/spool/locks"),
            QStringLiteral("/var/spool/uucp"), QStringLiteral("/tmp"),      QStringLiteral("/var/tmp")};
    };
    struct Lock {
        QString file;
        qint64 pid = 0;
    };

    void setPlaces(const Places& places) { m_places = places; }

    // Empty for a failure of kind None. present is asked only when the device is missing.
    QString explain(const QString& device, const OpenFailure& failure,
                    const std::function<QList<SerialDevice>()>& present) const;

    // The account may not read and write an existing device.
    static bool accessDenied(const QString& device);
    static QString owningGroup(const QString& device);
    static bool groupMayReadAndWrite(const QString& device);
    // "process 4321 (minicom)" for each process of this account's view that has the device open.
    QStringList holders(const QString& device) const;
    // The lock file another program left for the device (by its own name or the name of the device it links to).
    Lock lock(const QString& device) const;

private:
    QString noAccess(const QString& device) const;
    static QString onlyTheOwner(const QString& device, const QString& group);
    QString inUse(const QString& device) const;
    static QString missing(const QString& device, const QList<SerialDevice>& present);
    QString process(qint64 pid) const;

    Places m_places;
};
