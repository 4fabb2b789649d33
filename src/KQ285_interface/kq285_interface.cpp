#include "kq285_interface.h"

#include <QDebug>

KQ285_INTERFACE::KQ285_INTERFACE(QWidget *parent)
    : QMainWindow(parent)
{
}

KQ285_INTERFACE::~KQ285_INTERFACE() = default;

void KQ285_INTERFACE::set_device_path(QString path)
{
    qDebug() << "set_device_path" << path;
}
