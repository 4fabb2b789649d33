#include "kq257_interface.h"

#include <QDebug>

KQ257_INTERFACE::KQ257_INTERFACE(QWidget *parent)
    : QMainWindow(parent)
{
}

KQ257_INTERFACE::~KQ257_INTERFACE() = default;

void KQ257_INTERFACE::set_device_path(QString path)
{
    qDebug() << "set_device_path" << path;
}
