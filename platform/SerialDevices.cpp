#include "platform/SerialDevices.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>

#include <algorithm>

namespace {
QString makerAndModel(const QSerialPortInfo& info) {
    const QString maker = info.manufacturer().trimmed();
    const QString model = info.description().trimmed();
    if (maker.isEmpty() || model.startsWith(maker, Qt::CaseInsensitive))
        return model;
    return model.isEmpty() ? maker : maker + QLatin1Char(' ') + model;
}
} // namespace

QString SerialDevice::display() const {
    return label.isEmpty() ? path : path + QStringLiteral(" (") + label + QLatin1Char(')');
}

QStringList SerialDevices::paths(const QList<SerialDevice>& devices) {
    QStringList out;
    for (const SerialDevice& d : devices)
        out << d.path;
    return out;
}

QString SerialDevices::labelFromByIdName(const QString& name) {
    QString text = name;
    const int bus = text.indexOf(QLatin1Char('-'));
    if (bus > 0 && bus <= 4)
        text = text.mid(bus + 1);
    const int iface = text.lastIndexOf(QStringLiteral("-if"));
    if (iface > 0)
        text = text.left(iface);
    return text.replace(QLatin1Char('_'), QLatin1Char(' ')).trimmed();
}

QList<SerialDevice> SerialDevices::present(const QString& byIdDir) {
    QList<SerialDevice> devices;
    QHash<QString, QString> labels;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : ports) {
        const SerialDevice device{info.systemLocation(), makerAndModel(info)};
        labels.insert(device.path, device.label);
        devices << device;
    }
    std::sort(devices.begin(), devices.end(),
              [](const SerialDevice& a, const SerialDevice& b) { return a.path < b.path; });
    const QDir dir(byIdDir);
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        const QString target = QFileInfo(dir.filePath(name)).canonicalFilePath();
        if (target.isEmpty())
            continue;
        QString label = labels.value(target);
        if (label.isEmpty())
            label = labelFromByIdName(name);
        devices << SerialDevice{dir.filePath(name), label + QStringLiteral(", ") + QFileInfo(target).fileName()};
    }
    return devices;
}
