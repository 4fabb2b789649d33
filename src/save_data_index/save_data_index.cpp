#include "save_data_index.h"
#include "ui_save_data_index.h"

#include "common/waiting_box.h"

#include <QDebug>
#include <QListWidgetItem>
#include <QMessageBox>

SAVE_DATA_INDEX::SAVE_DATA_INDEX(QWidget *parent)
    : QDialog(parent), ui(new Ui::SAVE_DATA_INDEX)
{
    // The form connects accepted() to accept() before the by-name slots,
    // so OK hides the dialog before the range request goes out.
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    wait_box = waiting_box::create(tr("Accepting"));
}

SAVE_DATA_INDEX::~SAVE_DATA_INDEX()
{
    delete wait_box;
    delete ui;
}

void SAVE_DATA_INDEX::get_save_data_index(QVector<QString> index_list)
{
    date_index = index_list;
    show();
    ui->listWidget->clear();
    QStringList dates;
    for (const QString &date : index_list)
        if (!dates.contains(date))
            dates << date;
    if (!dates.isEmpty())
        ui->listWidget->addItems(dates);
    // Showing this dialog takes the focus from the box, so "is it active"
    // would leave it open in front of the list: close it when visible.
    if (wait_box->isVisible())
        wait_box->close();
}

void SAVE_DATA_INDEX::on_buttonBox_accepted()
{
    const QList<QListWidgetItem *> selected = ui->listWidget->selectedItems();
    if (selected.isEmpty()) {
        QMessageBox::about(nullptr, QString(), tr("not chosse date!"));
        return;
    }
    const QString date = selected.first()->text();
    qDebug() << date;
    const int first = date_index.indexOf(date);
    const int last = date_index.lastIndexOf(date);
    qDebug() << first << last;
    emit HID_write_cmd(5, first + 1, last + 1);
    wait_box->setText(tr("Accepting"));
    wait_box->exec();
}

void SAVE_DATA_INDEX::close_receive_info(bool cmd)
{
    if (cmd) {
        wait_box->close();
        return;
    }
    // Already running (shown by an earlier call): do not nest a second run.
    if (!wait_box->isVisible())
        wait_box->exec();
}

void SAVE_DATA_INDEX::hide_widget()
{
    wait_box->close();
    QMessageBox::about(nullptr, QString(), tr("not receive date!"));
}
