#ifndef SERIALSIM_H
#define SERIALSIM_H

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QVector>
#include <atomic>

class QSocketNotifier;

namespace serialsim {

// An answer frame as the thermometer sends it: 55 AA command L words sum,
// L = 3 + 2 * words, words little-endian, sum = low byte of all before it.
QByteArray answer_frame(quint8 command, const QVector<quint16> &words);

// A simulated KQ240 thermometer on the far end of a pseudo-terminal pair.
// The near end, port_name(), is opened by the code under test like any
// serial port. It lives in the thread that created it and answers from
// that thread's event loop (wait_until, QTest::qWait, a modal exec).
//
// Commands it understands (AA 55 cmd L ... sum from the host):
//   0 device information: one frame, words {model, variant word}
//   1 real time:          one frame with the channel words
//   2 stored records:     the stored words in frames of words_per_frame
//                         words (the last one shorter), then silence
// Anything else is recorded and left unanswered.
class SerialThermometer : public QObject
{
    Q_OBJECT
public:
    enum class Delivery {
        Frame,        // one write per frame, gap_ms between frames
        ByteByByte,   // one write per byte, gap_ms between bytes
        Burst,        // all frames of one answer in a single write
    };

    explicit SerialThermometer(QObject *parent = nullptr);
    ~SerialThermometer() override;

    bool ok() const { return m_master >= 0; }   // the pair was opened
    QString port_name() const { return m_port; } // e.g. "/dev/pts/3"

    // Model number of the device-information answer (240, 2401, 2402, 257
    // ...). The variant word defaults to 'C', 'A', 'B' for 240, 2401, 2402
    // and to 0 for any other model.
    void set_model(quint16 model);
    void set_model(quint16 model, quint16 variant_word);
    // Words of the real-time answer, one per channel, channel 1 first:
    // signed tenths of a degree Celsius, 28000 or more for an invalid
    // reading. Default {250, 251, 252, 253}; may be empty.
    void set_channels(const QVector<qint16> &raw);
    // Words of the stored records (one word per channel per record),
    // answered in frames of words_per_frame words; a frame of 28 words or
    // more tells the host that more follow. Default none: an upload is
    // answered by one frame without words.
    void set_stored(const QVector<qint16> &raw, int words_per_frame = 30);

    void set_silent(bool silent);                // record commands, answer none
    void set_delivery(Delivery d, int gap_ms = 5);
    void set_answer_delay(int ms);              // from command to answer (default 0)

    // Sends bytes now (or after delay_ms) with the current delivery, asked
    // for or not: late frames, noise, corrupt frames.
    void send_raw(const QByteArray &bytes, int delay_ms = 0);

    // The far end goes away: both ends held by the simulator are closed,
    // nothing more is read or sent, and an installed port list drops it.
    void vanish();
    bool vanished() const { return m_vanished; }

    // Everything the host wrote so far, and the command codes of its
    // complete command frames (bad sums included), in order.
    QByteArray received();
    QVector<int> commands();
    void clear_received();

    // Makes port_list::available() list this port (and only this one)
    // until the simulator vanishes or is destroyed.
    void install_port_list();

private:
    void read_host();
    void parse_commands();
    void answer(int command);
    void queue_frames(const QList<QByteArray> &frames);
    void pump();
    void write_master(const QByteArray &bytes);

    int m_master = -1;
    int m_slave = -1;
    QString m_port;
    QSocketNotifier *m_notifier = nullptr;
    std::atomic<bool> m_vanished{false};
    bool m_port_list_installed = false;

    quint16 m_model = 240;
    quint16 m_variant = 'C';
    QVector<qint16> m_channels{250, 251, 252, 253};
    QVector<qint16> m_stored;
    int m_words_per_frame = 30;
    bool m_silent = false;
    Delivery m_delivery = Delivery::Frame;
    int m_gap_ms = 5;
    int m_answer_delay_ms = 0;

    QByteArray m_received;
    QByteArray m_pending_command;
    QVector<int> m_commands;
    QList<QByteArray> m_out;
    QTimer m_pump;
};

}

#endif
