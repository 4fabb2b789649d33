#ifndef USART_INTERFACE_H
#define USART_INTERFACE_H

#include <QElapsedTimer>
#include <QObject>
#include <QQueue>
#include <QSerialPort>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdint>

// Serial link of the KQ240 thermometer family. Lives in the GUI thread; all
// its signals are delivered directly, so an owner's slot runs inside the
// handling of the frame and finds the words already queued.
//
// The owner writes port_name, baud_rate and the four indices, calls
// port_config(serial), opens serial read-write, limits its read buffer to
// 512 bytes and sets is_open. It takes words from the front of info_list,
// rt_list and read_list after each signal; the link only appends to them.
//
// Commands (slot_send_data(int)): 0 device information, 1 real-time
// reading, 2 upload stored records (ends with get_read_data(): after a
// short stored frame, or 2000 ms after the command or the last long frame),
// 3 set the clock (seconds since 1970), 4 (no data). Both send_command and
// slot_send_data are overloaded: connect with qOverload<int>() or
// SIGNAL/SLOT.
class usart_interface : public QObject
{
    Q_OBJECT
public:
    usart_interface();
    ~usart_interface() override;

    bool is_open = false;
    QSerialPort *serial = nullptr;
    QString port_name;
    int baud_rate = 0;
    int parity_index = 0;
    int data_bits_index = 0;
    int stop_bits_index = 0;
    int flow_control_index = 0;
    QStringList port_list;
    QQueue<quint16> info_list;
    QQueue<quint16> rt_list;
    QQueue<quint16> read_list;
    uint8_t rx_state = 0;
    uint8_t rx_len = 0;
    int8_t rx_remaining = 0;
    uint8_t rx_buf[512] = {};
    QTimer *reflash_timer = nullptr;
    QTimer *overtime_timer = nullptr;

    // Applies the settings above to port; false, changing nothing, when
    // port_name is empty. Does not open the port.
    bool port_config(QSerialPort *port);

    // The system's serial devices by index: the port name (such as
    // "ttyUSB0") when port is true, otherwise the name of the device behind
    // it; empty when there is no device of that index.
    QString GetComm(int index, bool port);
    // Port names of all the system's serial devices, by GetComm.
    QStringList registry_port_names();
    void open_state_text();

    static uint16_t sum_words(const uint16_t *words, uint16_t count);
    static uint8_t sum_bytes(const uint8_t *bytes, uint16_t count);

    // Takes one assembled answer frame (55 AA cmd L ... sum) from rx_buf.
    void data_analysis(uint8_t *frame);

signals:
    void send_command();
    void send_command(uint8_t command);
    void get_RTdata();
    void get_read_data();
    void get_production_name();
    // While the port is open, once a second: 0 the port is listed, -1 it is
    // not. Also -1 once when the port is lost and closed.
    void usart_connect_status(int status);

public slots:
    void slot_RecvPortData();
    void slot_send_data();
    void slot_send_data(int command);
    void reflash_com_num();
    void onHandleSerialError(QSerialPort::SerialPortError error);
    void slot_overtime();

private:
    // The command frame of a command code; empty for an unknown code.
    static QByteArray command_frame(int command);
    void push_byte(uint8_t byte);
    void reset_receiver();
    void port_lost();
    // True, logging it once per closed spell, when commands cannot be
    // written; command < 0 logs no number.
    bool refuse_closed(int command);

    bool m_lost_pending = false;
    bool m_closed_logged = false;
    int m_read_errors = 0;              // ReadErrors in a row without data
    QElapsedTimer m_read_error_clock;   // since the latest of them
};

#endif
