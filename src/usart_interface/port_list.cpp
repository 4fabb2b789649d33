#include "port_list.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QSerialPortInfo>
#include <algorithm>

namespace {
QMutex g_mutex;
std::function<QStringList()> g_override;
}

namespace port_list {

QStringList available()
{
    std::function<QStringList()> source;
    {
        QMutexLocker lock(&g_mutex);
        source = g_override;
    }
    if (source)
        return source();
    QStringList names;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        names << info.portName();
    return names;
}

void set_override(std::function<QStringList()> source)
{
    QMutexLocker lock(&g_mutex);
    g_override = std::move(source);
}

QVector<SystemDevice> system_devices(const QString &tty_class_dir)
{
    QVector<SystemDevice> found;
    QDir dir(tty_class_dir);
    if (!dir.exists() || !dir.isReadable()) {
        qDebug() << "cannot read the serial device list" << tty_class_dir;
        return found;
    }
    const QStringList entries = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    for (const QString &name : entries) {
        // Virtual terminals and pseudo-terminals have no device behind them.
        const QFileInfo device(dir.filePath(name + QStringLiteral("/device")));
        if (!device.exists())
            continue;
        const QFileInfo driver(dir.filePath(name + QStringLiteral("/device/driver")));
        const QString driver_name = driver.exists() ? QFileInfo(driver.symLinkTarget()).fileName() : QString();
        found.push_back({name, driver_name.isEmpty() ? name : driver_name});
    }
    std::sort(found.begin(), found.end(), [](const SystemDevice &a, const SystemDevice &b) {
        return a.port_name < b.port_name;
    });
    return found;
}

}
