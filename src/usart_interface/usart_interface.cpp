#include "usart_interface.h"
#include "data_process/checksum.h"

#include "common/app_env.h"
#include "usart_interface/port_list.h"

#include <QDebug>
#include <cstring>

namespace {

const QSerialPort::Parity k_parity[] = {
    QSerialPort::NoParity, QSerialPort::OddParity, QSerialPort::EvenParity,
    QSerialPort::MarkParity, QSerialPort::SpaceParity};
const QSerialPort::DataBits k_data_bits[] = {
    QSerialPort::Data5, QSerialPort::Data6, QSerialPort::Data7, QSerialPort::Data8};
const QSerialPort::StopBits k_stop_bits[] = {
    QSerialPort::OneStop, QSerialPort::OneAndHalfStop, QSerialPort::TwoStop};
const QSerialPort::FlowControl k_flow_control[] = {
    QSerialPort::NoFlowControl, QSerialPort::HardwareControl, QSerialPort::SoftwareControl};

// The table's entry, or the setting's "unknown" value (-1) outside it.
template <typename T, size_t N>
T pick(const T (&table)[N], int index, T unknown)
{
    return index >= 0 && index < int(N) ? table[index] : unknown;
}

// A device-information answer carries two words in bytes 4 to 7.
const uint8_t k_info_min_length = 7;
// A stored frame longer than this is a full one: more frames follow.
const uint8_t k_full_stored_length = 58;
const int k_upload_timeout_ms = 2000;
// ReadErrors in a row, none more than the gap after the one before and no
// data between them, that mean the far end is gone.
const int k_read_errors_lost = 20;
const int k_read_error_gap_ms = 1000;

}

usart_interface::usart_interface()
    : QObject(nullptr)
{
    reset_receiver();
    serial = new QSerialPort();
    overtime_timer = new QTimer();
    overtime_timer->setInterval(k_upload_timeout_ms);
    connect(overtime_timer, &QTimer::timeout, this, &usart_interface::slot_overtime);
    connect(this, qOverload<>(&usart_interface::send_command), this, qOverload<>(&usart_interface::slot_send_data));
    connect(serial, &QSerialPort::readyRead, this, &usart_interface::slot_RecvPortData);
    connect(serial, &QSerialPort::errorOccurred, this, &usart_interface::onHandleSerialError);
    reflash_com_num();
    reflash_timer = new QTimer(this);
    connect(reflash_timer, &QTimer::timeout, this, &usart_interface::reflash_com_num);
    reflash_timer->start(1000);
}

usart_interface::~usart_interface()
{
    if (serial->isOpen())
        serial->close();
    delete serial;
    delete overtime_timer;
    qDebug() << "delete usart";
}

bool usart_interface::port_config(QSerialPort *port)
{
    if (port_name.isEmpty())
        return false;
    port->setPortName(port_name);
    port->setBaudRate(baud_rate, QSerialPort::AllDirections);
    port->setParity(pick(k_parity, parity_index, QSerialPort::UnknownParity));
    port->setDataBits(pick(k_data_bits, data_bits_index, QSerialPort::UnknownDataBits));
    port->setStopBits(pick(k_stop_bits, stop_bits_index, QSerialPort::UnknownStopBits));
    port->setFlowControl(pick(k_flow_control, flow_control_index, QSerialPort::UnknownFlowControl));
    return true;
}

QString usart_interface::GetComm(int index, bool port)
{
    const auto devices = ::port_list::system_devices();
    if (index < 0 || index >= devices.size())
        return QString();
    return port ? devices[index].port_name : devices[index].device_name;
}

QStringList usart_interface::registry_port_names()
{
    QStringList names;
    const int count = ::port_list::system_devices().size();
    for (int i = 0; i < count; ++i)
        names << GetComm(i, true);
    return names;
}

void usart_interface::open_state_text()
{
    const QString text = is_open ? tr("open") : tr("close");
    Q_UNUSED(text);
}

uint16_t usart_interface::sum_words(const uint16_t *words, uint16_t count)
{
    return checksum::sum_words(words, count);
}

uint8_t usart_interface::sum_bytes(const uint8_t *bytes, uint16_t count)
{
    return checksum::sum_bytes(bytes, count);
}

QByteArray usart_interface::command_frame(int command)
{
    QByteArray frame;
    switch (command) {
    case 0: case 1: case 2: case 4:
        frame = QByteArray::fromHex("AA55") + char(command) + char(3);
        break;
    case 3: {
        const uint32_t t = app_env::now().toTime_t();
        frame = QByteArray::fromHex("AA550307");
        for (int i = 0; i < 4; ++i)
            frame += char((t >> (8 * i)) & 0xFF);
        break;
    }
    default:
        return frame;
    }
    frame += char(sum_bytes(reinterpret_cast<const uint8_t *>(frame.constData()), uint16_t(frame.size())));
    return frame;
}

bool usart_interface::refuse_closed(int command)
{
    if (is_open && serial->isOpen()) {
        m_closed_logged = false;
        return false;
    }
    // The owner goes on polling a lost port: say so once, not every poll.
    if (!m_closed_logged) {
        m_closed_logged = true;
        if (command >= 0)
            qDebug() << command;
        qDebug() << "serial not open";
    }
    return true;
}

void usart_interface::slot_send_data()
{
    if (refuse_closed(-1))
        return;
    const QByteArray bytes = QByteArray::fromHex("5AA501005BA5");
    serial->write(bytes);
    qDebug() << bytes.toHex(' ');
}

void usart_interface::slot_send_data(int command)
{
    if (refuse_closed(command)) {
        // Nothing can answer, but whoever waits for the upload must hear
        // that it ended: the time-out reports it with nothing.
        if (command == 2)
            overtime_timer->start(k_upload_timeout_ms);
        return;
    }
    const QByteArray frame = command_frame(command);
    if (frame.isEmpty())
        return;
    serial->write(frame);
    if (command == 2)
        overtime_timer->start(k_upload_timeout_ms);
}

void usart_interface::reflash_com_num()
{
    port_list = ::port_list::available();
    if (!serial->isOpen())
        return;
    emit usart_connect_status(port_list.contains(port_name) ? 0 : -1);
}

void usart_interface::slot_RecvPortData()
{
    const QByteArray bytes = serial->readAll();
    if (!bytes.isEmpty())
        m_read_errors = 0;
    for (char c : bytes)
        push_byte(uint8_t(c));
}

void usart_interface::reset_receiver()
{
    rx_state = 0;
    rx_len = 0;
    rx_remaining = 0;
    std::memset(rx_buf, 0, sizeof rx_buf);
}

void usart_interface::push_byte(uint8_t byte)
{
    rx_buf[rx_len] = byte;   // rx_len is 8 bits: the index stays in the first 256 bytes
    switch (rx_state) {
    case 0:
        if (byte == 0x55) {
            ++rx_len;
            rx_state = 1;
        } else {
            rx_state = 0;
            rx_len = 0;
        }
        break;
    case 1:
        if (byte == 0xAA) {
            ++rx_len;
            rx_state = 3;
        } else {
            rx_state = 0;
            rx_len = 0;
        }
        break;
    case 3:
        if (byte == 0x00 || byte == 0x01) {
            ++rx_len;
            rx_state = 4;
        } else if (byte == 0x02) {
            ++rx_len;
            rx_state = 20;
        }
        break;
    case 4:
    case 20:
        ++rx_len;
        rx_remaining = int8_t(uint8_t(byte - 2));
        rx_state = rx_state == 4 ? 5 : 21;
        break;
    case 5:
    case 21:
        ++rx_len;
        rx_remaining = int8_t(uint8_t(rx_remaining - 1));
        if (rx_remaining == 0) {
            data_analysis(rx_buf);
            reset_receiver();
        }
        break;
    default:
        rx_state = 0;
        rx_len = 0;
        break;
    }
}

void usart_interface::data_analysis(uint8_t *frame)
{
    qDebug() << "data_analysis2222";
    const uint8_t length = frame[3];
    if (sum_bytes(frame, uint16_t(length + 1)) != frame[length + 1]) {
        qDebug() << "check num error";
        return;
    }
    const auto word_at = [frame](int i) { return quint16(frame[i] | (frame[i + 1] << 8)); };
    const int words = length > 4 ? (length - 3) / 2 : 0;
    switch (frame[2]) {
    case 0:
        if (length < k_info_min_length) {
            qDebug() << "device information answer too short, length" << length;
            return;
        }
        info_list.enqueue(word_at(4));
        info_list.enqueue(word_at(6));
        emit get_production_name();
        break;
    case 1:
        for (int i = 0; i < words; ++i) {
            qDebug() << frame[4 + 2 * i];
            rt_list.enqueue(word_at(4 + 2 * i));
        }
        emit get_RTdata();
        break;
    case 2:
        for (int i = 0; i < words; ++i)
            read_list.enqueue(word_at(4 + 2 * i));
        if (length > k_full_stored_length) {
            overtime_timer->start(k_upload_timeout_ms);
        } else {
            overtime_timer->stop();
            emit get_read_data();
            qDebug() << " receive complete";
        }
        break;
    default:
        break;
    }
}

void usart_interface::slot_overtime()
{
    overtime_timer->stop();
    emit get_read_data();
    qDebug() << " over time receive complete";
}

void usart_interface::onHandleSerialError(QSerialPort::SerialPortError error)
{
    // A vanished port shows as ResourceError, or on Linux as an endless run
    // of ReadErrors (a hung-up terminal reads end-of-file forever). A lone
    // ReadError on a working port is no loss.
    if (error == QSerialPort::ReadError) {
        if (m_read_errors == 0 || m_read_error_clock.hasExpired(k_read_error_gap_ms))
            m_read_errors = 0;
        ++m_read_errors;
        m_read_error_clock.start();
        if (m_read_errors < k_read_errors_lost)
            return;
    } else if (error != QSerialPort::ResourceError) {
        return;
    }
    if (m_lost_pending || !serial->isOpen())
        return;
    m_lost_pending = true;
    qDebug() << "serial lost connect" << serial->errorString();
    // Closed from the event loop, not inside the port's own notification.
    QTimer::singleShot(0, this, &usart_interface::port_lost);
}

void usart_interface::port_lost()
{
    m_lost_pending = false;
    if (!serial->isOpen())
        return;
    serial->close();
    is_open = false;
    m_read_errors = 0;
    reset_receiver();
    emit usart_connect_status(-1);
}
