#include "setting.h"
#include "ui_setting.h"

#include "usart_interface/usart_interface.h"

#include <QDebug>
#include <QMessageBox>
#include <QPixmap>

namespace {
bool is_thermometer(const QString &name)
{
    return name == QLatin1String("KQ240") || name == QLatin1String("KQ2401") || name == QLatin1String("KQ2402");
}
}

Setting::Setting(QWidget *parent)
    : QDialog(parent), ui(new Ui::Setting)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    recognised = false;
    link = new usart_interface();
    connect(link, &usart_interface::get_production_name, this, &Setting::get_production_name);
    ui->COMNum->clear();
    ui->COMNum->addItems(link->port_list);
    connect(ui->COMNum, &MyComboBox::clicked, this, &Setting::reflash_combox);
}

Setting::~Setting()
{
    delete link;
    delete ui;
}

void Setting::on_COMNum_highlighted(int index)
{
    Q_UNUSED(index);
}

void Setting::reflash_combox()
{
    ui->COMNum->clear();
    ui->COMNum->addItems(link->port_list);
}

void Setting::on_LinkButton_clicked()
{
    ui->LinkButton->setText(tr("linking"));
    // Whatever answered before belongs to the link being closed or replaced.
    recognised = false;
    if (link->serial->isOpen()) {
        link->serial->close();
        QMessageBox::warning(this, tr("warning"), tr("serial  close"), QMessageBox::Ok);
        link->is_open = false;
        return;
    }
    link->port_name = ui->COMNum->currentText();
    link->baud_rate = 9600;
    link->parity_index = 0;
    link->data_bits_index = 3;
    link->stop_bits_index = 0;
    link->flow_control_index = 0;
    if (!link->port_config(link->serial)) {
        QMessageBox::critical(this, tr("error"), tr("serial error"), QMessageBox::Ok);
        return;
    }
    if (!link->serial->open(QIODevice::ReadWrite)) {
        QMessageBox::critical(this, tr("Error"), tr("serial not existence or used by other"), QMessageBox::Ok);
        return;
    }
    link->serial->setReadBufferSize(512);
    link->is_open = true;
    ui->LinkButton->setText(tr("linked"));
    QMessageBox box(QMessageBox::Information, tr("success"), tr("serial open sucess"), QMessageBox::Ok);
    box.setIconPixmap(QPixmap(QStringLiteral(":/ICON/message_ok.png")));
    box.exec();
    link->slot_send_data(0);
}

void Setting::get_production_name()
{
    if (link->info_list.size() < 2)
        return;
    const quint16 model = link->info_list.dequeue();
    const quint16 variant_word = link->info_list.dequeue();
    variant = QString(QLatin1Char(char(variant_word & 0xFF)));
    production_name = QStringLiteral("KQ") + QString::number(model);
    qDebug() << production_name;
    qDebug() << variant;
    recognised = is_thermometer(production_name);
    if (recognised) {
        qDebug() << "KQ240_type" << production_name;
        ui->LinkButton->setText(tr("connected"));
    }
}

void Setting::on_buttonBox_accepted()
{
    if (!link->serial->isOpen())
        return;
    link->serial->close();
    if (recognised)
        emit usart_connect(production_name, link->port_name);
}
