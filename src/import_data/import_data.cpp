#include "import_data.h"

#include <QDebug>
#include <QFile>

import_data::import_data(QWidget *parent, QString filename)
    : QWidget(parent), file_name(filename)
{
    QFile file(file_name);
    if (file.open(QIODevice::ReadOnly)) {
        qDebug() << file_name;
        file.close();
    } else {
        qDebug() << "file canot open";
    }
}
