#ifndef USB_HELPER_H
#define USB_HELPER_H

#include <QString>
#include <QStringList>
#include <QThread>
#include <QVector>
#include "usb_help/stop_flag.h"
#include "usb_help/usb_operate.h"

// USB product strings of the supported instruments; the matching string is
// the model name.
extern const QStringList production_list;

// One search for supported instruments: id pair A, each of its devices
// logged, and id pair B only when pair A lists no device at all. Appends
// the path and product string of every match, in enumeration order; sets
// *from_pair_b when a match came from pair B. False when hid_init fails.
bool find_supported_devices(QVector<QString> &paths, QVector<QString> &names, bool *from_pair_b = nullptr);

// Looks once a second for a supported HID instrument that opens, and
// reports the first one found, once.
class USB_AUTO_RECOGNITION : public QThread
{
    Q_OBJECT
public:
    USB_AUTO_RECOGNITION();
    ~USB_AUTO_RECOGNITION() override;

    bool auto_check();
    bool connect_check();
    void stop();

signals:
    void recognition_HID(QString production_name, QString path);

protected:
    void run() override;

private:
    StopFlag stop_flag;
    hid_device *device = nullptr;
    QVector<QString> path_list;
    QVector<QString> name_list;
    QString device_path;
    bool recognised = false;
    QString production_name;
};

#endif
