#include "usart_debug/usart_debug.h"
#include "ui_usart_debug.h"

#include "usart_interface/port_list.h"

#include <QDebug>
#include <QSerialPort>

USART_DEBUG::USART_DEBUG(QWidget *parent)
    : QMainWindow(parent), ui(new Ui::USART_DEBUG), serial(new QSerialPort(nullptr))
{
    ui->setupUi(this);
    setWindowTitle(QStringLiteral("USB_2_USART"));
}

USART_DEBUG::~USART_DEBUG()
{
    delete ui;
    delete serial;   // closes it
}

bool USART_DEBUG::port_open() const
{
    return serial->isOpen();
}

void USART_DEBUG::USART_Close()
{
    ui->PortOpen_btn->setText(tr("open"));
    if (!serial->isOpen())
        return;
    serial->clear(QSerialPort::AllDirections);
    serial->close();
}

void USART_DEBUG::ForeachPort()
{
    // Replaced, not appended: showing the window again must not list every
    // port once more.
    ui->Port_Combo->clear();
    ui->Port_Combo->addItems(port_list::available());
}

void USART_DEBUG::USART_TX(int data)
{
    if (!serial->isOpen())
        return;   // no port chosen: the reading is only shown, not passed on
    const quint32 v = quint32(data);
    const char bytes[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
    if (serial->write(bytes, 4) != 4)
        qDebug() << "USART_TX failed:" << serial->errorString();
}

void USART_DEBUG::on_PortOpen_btn_clicked()
{
    // The port itself says whether it is open: the button's text is
    // translated, and a port that failed to open must not read "close".
    if (serial->isOpen())
        USART_Close();
    else
        open_port();
}

void USART_DEBUG::open_port()
{
    static const QSerialPort::DataBits data_bits[] = {QSerialPort::Data8, QSerialPort::Data5, QSerialPort::Data6,
                                                      QSerialPort::Data7};
    static const QSerialPort::StopBits stop_bits[] = {QSerialPort::OneStop, QSerialPort::OneAndHalfStop,
                                                      QSerialPort::TwoStop};
    static const QSerialPort::Parity parities[] = {QSerialPort::NoParity, QSerialPort::EvenParity,
                                                   QSerialPort::OddParity, QSerialPort::SpaceParity,
                                                   QSerialPort::MarkParity};
    serial->setPortName(ui->Port_Combo->currentText());
    serial->setBaudRate(ui->Baud_Combo->currentText().toInt(), QSerialPort::AllDirections);
    serial->setDataBits(data_bits[qBound(0, ui->Data_Combo->currentIndex(), 3)]);
    serial->setStopBits(stop_bits[qBound(0, ui->Stop_Combo->currentIndex(), 2)]);
    serial->setParity(parities[qBound(0, ui->Parity_Combo->currentIndex(), 4)]);
    switch (ui->FlowControl_Combo->currentIndex()) {
    case 1: serial->setFlowControl(QSerialPort::HardwareControl); break;
    case 2: serial->setFlowControl(QSerialPort::SoftwareControl); break;
    default: serial->setFlowControl(QSerialPort::NoFlowControl); break;
    }
    if (!serial->open(QIODevice::ReadWrite)) {
        qDebug() << "USART_DEBUG: cannot open" << serial->portName() << serial->errorString();
        ui->PortOpen_btn->setText(tr("open"));
        return;
    }
    ui->PortOpen_btn->setText(tr("close"));
}
