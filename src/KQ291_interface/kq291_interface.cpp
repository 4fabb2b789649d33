#include "kq291_interface.h"

#include <QDebug>

KQ291_INTERFACE::KQ291_INTERFACE(QWidget *parent)
    : QMainWindow(parent)
{
}

KQ291_INTERFACE::~KQ291_INTERFACE() = default;

void KQ291_INTERFACE::set_device_path(QString path)
{
    qDebug() << "set_device_path" << path;
}
