#include "kq174_interface.h"

#include <QDebug>

KQ174_INTERFACE::KQ174_INTERFACE(QWidget *parent)
    : QMainWindow(parent)
{
}

KQ174_INTERFACE::~KQ174_INTERFACE() = default;

void KQ174_INTERFACE::set_device_path(QString path)
{
    qDebug() << "set_device_path" << path;
}
