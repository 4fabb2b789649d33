#include "waiting_box.h"

#include <QAbstractButton>
#include <QDebug>
#include <QLabel>
#include <QMessageBox>
#include <QMovie>

namespace waiting_box {

QMessageBox *create(const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::Information, QString(), text, QMessageBox::Ok,
                                nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    box->button(QMessageBox::Ok)->hide();

    QLabel *icon = box->findChild<QLabel *>(QStringLiteral("qt_msgboxex_icon_label"));
    if (!icon) {
        qDebug() << "waiting box has no icon label";
        return box;
    }
    icon->setFixedSize(75, 50);
    // The movie belongs to the box so it goes when the box is deleted.
    auto *movie = new QMovie(QStringLiteral(":/ICON/loading.gif"), QByteArray(), box);
    if (!movie->isValid()) {
        qDebug() << "loading picture missing, waiting box shown without it";
        delete movie;
        return box;
    }
    movie->setScaledSize(icon->size());
    icon->setMovie(movie);
    movie->start();
    return box;
}

}
