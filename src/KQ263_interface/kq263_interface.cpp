#include "kq263_interface.h"

#include <QDebug>

KQ263_INTERFACE::KQ263_INTERFACE(QWidget *parent)
    : QMainWindow(parent)
{
}

KQ263_INTERFACE::~KQ263_INTERFACE() = default;

void KQ263_INTERFACE::set_device_path(QString path)
{
    qDebug() << "set_device_path" << path;
}
