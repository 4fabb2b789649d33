#include "kq186_interface.h"

#include <QDebug>

KQ186_INTERFACE::KQ186_INTERFACE(QWidget *parent)
    : QMainWindow(parent)
{
}

KQ186_INTERFACE::~KQ186_INTERFACE() = default;

void KQ186_INTERFACE::set_device_path(QString path)
{
    qDebug() << "set_device_path" << path;
}
