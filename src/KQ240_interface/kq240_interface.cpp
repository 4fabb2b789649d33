#include "kq240_interface.h"

#include <QDebug>

KQ240_INTERFACE::KQ240_INTERFACE(QWidget *parent)
    : QMainWindow(parent)
{
}

KQ240_INTERFACE::~KQ240_INTERFACE() = default;

void KQ240_INTERFACE::get_KQ240x(QString type)
{
    qDebug() << "get_KQ240x" << type;
}

void KQ240_INTERFACE::set_device_path(QString path)
{
    qDebug() << "set_device_path" << path;
}
