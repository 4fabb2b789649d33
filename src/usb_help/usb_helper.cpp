#include "usb_helper.h"

#include <QDebug>

const QStringList production_list = {
    QStringLiteral("KQ257 温湿度计"), QStringLiteral("KQ240"),        QStringLiteral("KQ263 照度计"),
    QStringLiteral("KQ278 风速计"),   QStringLiteral("KQ285 噪音计"), QStringLiteral("KQ291 噪音计"),
    QStringLiteral("KQ299 水分计"),   QStringLiteral("KQ186 压差计"), QStringLiteral("KQ174 转速计"),
};

namespace {
QString wide(const wchar_t *s)
{
    return s ? QString::fromWCharArray(s) : QString();
}
}

USB_AUTO_RECOGNITION::USB_AUTO_RECOGNITION() : QThread(nullptr) {}

USB_AUTO_RECOGNITION::~USB_AUTO_RECOGNITION()
{
    // Let the thread finish before releasing what it may be using.
    stop();
    quit();
    wait();
    if (device) {
        hid_close(device);
        device = nullptr;
    }
    hid_exit();
}

void USB_AUTO_RECOGNITION::stop()
{
    stop_flag.set();
}

bool USB_AUTO_RECOGNITION::auto_check()
{
    path_list.clear();
    name_list.clear();
    if (!find_supported_devices(path_list, name_list))
        return false;
    return connect_check();
}

bool USB_AUTO_RECOGNITION::connect_check()
{
    if (recognised)
        return false;
    for (int i = 0; i < path_list.size(); ++i) {
        hid_init();
        device = hid_open_path(path_list[i].toLatin1().constData());
        if (!device)
            continue;
        device_path = path_list[i];
        production_name = name_list[i];
        qDebug().noquote() << "hid link success" << production_name;
        recognised = true;
        // Free again for the model window's link.
        hid_close(device);
        device = nullptr;
        return true;
    }
    return false;
}

void USB_AUTO_RECOGNITION::run()
{
    while (!stop_flag) {
        if (auto_check()) {
            emit recognition_HID(production_name, device_path);
            while (!stop_flag.wait(1000)) {
            }
            return;
        }
        if (stop_flag.wait(1000))
            return;
    }
}

bool find_supported_devices(QVector<QString> &paths, QVector<QString> &names, bool *from_pair_b)
{
    if (hid_init() < 0)
        return false;

    auto walk = [&](hid_device_info *devs, bool log) {
        bool matched = false;
        for (hid_device_info *d = devs; d; d = d->next) {
            const QString product = wide(d->product_string);
            if (log)
                qDebug().noquote() << QString("Device Found\n  type: %1 %2\n  path: %3\n  serial_number: %4\n"
                                              "  product_string: %5 \n manufacturer_string: %6")
                                          .arg(d->vendor_id, 4, 16, QLatin1Char('0'))
                                          .arg(d->product_id, 4, 16, QLatin1Char('0'))
                                          .arg(QString::fromLatin1(d->path ? d->path : ""))
                                          .arg(wide(d->serial_number), product, wide(d->manufacturer_string));
            for (const QString &entry : production_list) {
                if (product == entry) {
                    paths.append(QString::fromLatin1(d->path ? d->path : ""));
                    names.append(product);
                    matched = true;
                }
            }
        }
        return matched;
    };

    hid_device_info *a = hid_enumerate(usb_ids::vendor_a, usb_ids::product_a);
    walk(a, true);
    const bool any_a = a != nullptr;
    hid_free_enumeration(a);
    if (!any_a) {
        hid_device_info *b = hid_enumerate(usb_ids::vendor_b, usb_ids::product_b);
        const bool matched = walk(b, false);
        hid_free_enumeration(b);
        if (matched && from_pair_b)
            *from_pair_b = true;
    }
    return true;
}
