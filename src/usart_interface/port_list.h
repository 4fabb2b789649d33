#ifndef PORT_LIST_H
#define PORT_LIST_H

#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

// Where the serial links get their port names. The program asks
// QSerialPortInfo; tests put their own list in place (QSerialPortInfo never
// lists pseudo-terminals).
namespace port_list {

// Names of the serial ports present, in the order the system gives them
// (QSerialPortInfo::portName, or whatever the override returns).
// Enumerating takes milliseconds and every link refreshes once a second, so
// the system's list is kept and enumerated again only when the entries of
// the watched directories changed (a device came or went). Thread-safe.
QStringList available();

// Replaces available() until cleared with an empty function. Thread-safe.
void set_override(std::function<QStringList()> source);

// How available() asks the system when no override is set: the enumeration
// and the directories whose entries change with the set of serial devices.
// Replacing it forgets the kept list. Thread-safe.
struct System
{
    std::function<QStringList()> enumerate;
    QStringList watched;
};
// QSerialPortInfo, watching /sys/class/tty and /dev.
System default_system();
void set_system(System system);

// One serial device the system has: the name to open it by and the name of
// the device behind it (its driver), e.g. "ttyUSB0" and "ftdi_sio".
struct SystemDevice
{
    QString port_name;
    QString device_name;
};

// Serial devices the kernel registered below tty_class_dir (every entry
// with a device behind it), sorted by port name. Empty, with a log line,
// when the directory cannot be read.
QVector<SystemDevice> system_devices(const QString &tty_class_dir = QStringLiteral("/sys/class/tty"));

}

#endif
