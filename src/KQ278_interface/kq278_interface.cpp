#include "kq278_interface.h"

#include <QDebug>

KQ278_INTERFACE::KQ278_INTERFACE(QWidget *parent)
    : QMainWindow(parent)
{
}

KQ278_INTERFACE::~KQ278_INTERFACE() = default;

void KQ278_INTERFACE::set_device_path(QString path)
{
    qDebug() << "set_device_path" << path;
}
