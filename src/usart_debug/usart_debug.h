#ifndef USART_DEBUG_H
#define USART_DEBUG_H

#include <QMainWindow>

namespace Ui {
class USART_DEBUG;
}
class QSerialPort;

// Serial debug window of the light meter: passes every reading on to a
// serial port the operator opens here, as a 32-bit integer, least
// significant byte first. Nothing is read from the port.
class USART_DEBUG : public QMainWindow
{
    Q_OBJECT
public:
    explicit USART_DEBUG(QWidget *parent = nullptr);
    ~USART_DEBUG() override;

    bool port_open() const;

public slots:
    void USART_Close();
    void ForeachPort();
    void USART_TX(int data);
    void on_PortOpen_btn_clicked();

private:
    void open_port();

    Ui::USART_DEBUG *ui;
    QSerialPort *serial;
};

#endif
