#include "port_list.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSerialPortInfo>
#include <algorithm>
#include <string>
#include <vector>

#include <dirent.h>

namespace {
QMutex g_mutex;
std::function<QStringList()> g_override;

// The system's list as last enumerated, with the watched entries seen just
// before; g_system_mutex guards it and lets one caller enumerate at a time.
struct Kept
{
    port_list::System system = port_list::default_system();
    bool valid = false;
    std::string entries;
    QStringList names;
};
QMutex g_system_mutex;

Kept &kept()
{
    static Kept k;
    return k;
}

// The entry names of each watched directory, sorted; empty when none of
// them can be read, and then nothing tells a change.
std::string watched_entries(const QStringList &dirs)
{
    std::string all;
    bool any = false;
    std::vector<std::string> names;
    for (const QString &dir : dirs) {
        const QByteArray path = QFile::encodeName(dir);
        all.append(path.constData()).append(1, '\0');
        DIR *d = opendir(path.constData());
        if (!d) {
            all.append("-", 1).append(1, '\0');
            continue;
        }
        any = true;
        names.clear();
        while (const dirent *e = readdir(d))
            names.emplace_back(e->d_name);
        closedir(d);
        std::sort(names.begin(), names.end());
        for (const std::string &name : names)
            all.append(name).append(1, '\0');
    }
    return any ? all : std::string();
}

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
    QMutexLocker lock(&g_system_mutex);
    Kept &k = kept();
    // Read before enumerating: a device that comes meanwhile changes the
    // entries again, and the next call enumerates anew.
    std::string entries = watched_entries(k.system.watched);
    if (k.valid && !entries.empty() && entries == k.entries)
        return k.names;
    k.names = k.system.enumerate ? k.system.enumerate() : QStringList();
    k.entries = std::move(entries);
    k.valid = true;
    return k.names;
}

System default_system()
{
    System system;
    system.enumerate = [] {
        QStringList names;
        const auto ports = QSerialPortInfo::availablePorts();
        for (const QSerialPortInfo &info : ports)
            names << info.portName();
        return names;
    };
    // The kernel's tty devices, and the device nodes: the enumeration opens
    // some of them, and scans them when the kernel lists nothing.
    system.watched = QStringList{QStringLiteral("/sys/class/tty"), QStringLiteral("/dev")};
    return system;
}

void set_system(System system)
{
    QMutexLocker lock(&g_system_mutex);
    Kept &k = kept();
    k.system = std::move(system);
    k.valid = false;
    k.entries.clear();
    k.names.clear();
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
