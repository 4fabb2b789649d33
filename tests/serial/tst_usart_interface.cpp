#include "testkit.h"
#include "serialsim.h"

#include "usart_interface/port_list.h"
#include "usart_interface/usart_interface.h"

#include <QDir>
#include <cerrno>
#include <QFile>
#include <QMutex>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using serialsim::SerialThermometer;
using serialsim::answer_frame;

Q_DECLARE_METATYPE(SerialThermometer::Delivery)

namespace {

// Collects the program's log lines while it lives.
class LogCapture
{
public:
    LogCapture()
    {
        s_self = this;
        m_previous = qInstallMessageHandler(&LogCapture::handler);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        s_self = nullptr;
    }
    int count(const QString &text) const
    {
        QMutexLocker lock(&m_mutex);
        int n = 0;
        for (const QString &l : m_lines)
            n += l.contains(text) ? 1 : 0;
        return n;
    }
    int total() const
    {
        QMutexLocker lock(&m_mutex);
        return m_lines.size();
    }
    void clear()
    {
        QMutexLocker lock(&m_mutex);
        m_lines.clear();
    }

private:
    static void handler(QtMsgType type, const QMessageLogContext &context, const QString &msg)
    {
        if (!s_self)
            return;
        {
            QMutexLocker lock(&s_self->m_mutex);
            s_self->m_lines << msg;
        }
        if (s_self->m_previous)
            s_self->m_previous(type, context, msg);
    }
    static LogCapture *s_self;
    QtMessageHandler m_previous = nullptr;
    mutable QMutex m_mutex;
    QStringList m_lines;
};
LogCapture *LogCapture::s_self = nullptr;

// Opens the link's port the way every owner does.
bool open_link(usart_interface &link, const QString &port)
{
    link.port_name = port;
    link.baud_rate = 9600;
    link.parity_index = 0;
    link.data_bits_index = 3;
    link.stop_bits_index = 0;
    link.flow_control_index = 0;
    if (!link.port_config(link.serial) || !link.serial->open(QIODevice::ReadWrite))
        return false;
    link.serial->setReadBufferSize(512);
    link.is_open = true;
    return true;
}

QVector<quint16> words_of(const QQueue<quint16> &q) { return QVector<quint16>(q.begin(), q.end()); }

QVector<quint16> ramp(int n, int from = 200)
{
    QVector<quint16> w;
    for (int i = 0; i < n; ++i)
        w << quint16(from + i);
    return w;
}

QVector<qint16> signed_ramp(int n, int from = 200)
{
    QVector<qint16> w;
    for (int i = 0; i < n; ++i)
        w << qint16(from + i);
    return w;
}

}

class tst_usart_interface : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        sim.reset(new SerialThermometer);
        QVERIFY(sim->ok());
        sim->install_port_list();
        link.reset(new usart_interface);
        QVERIFY(open_link(*link, sim->port_name()));
    }
    void cleanup()
    {
        link.reset();
        sim.reset();
        port_list::set_override(nullptr);
    }

    void command_bytes_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("0 device information") << 0 << QByteArray::fromHex("AA55000302");
        QTest::newRow("1 real time") << 1 << QByteArray::fromHex("AA55010303");
        QTest::newRow("2 upload") << 2 << QByteArray::fromHex("AA55020304");
        QTest::newRow("3 clock") << 3 << QByteArray::fromHex("AA5503078000926580");
        QTest::newRow("4 no data") << 4 << QByteArray::fromHex("AA55040306");
        QTest::newRow("5 unknown") << 5 << QByteArray();
        QTest::newRow("-1 unknown") << -1 << QByteArray();
    }
    void command_bytes()
    {
        QFETCH(int, command);
        QFETCH(QByteArray, bytes);
        testkit::FixedClock clock(QDateTime(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC));
        sim->set_silent(true);
        LogCapture log;
        link->slot_send_data(command);
        // A marker after it shows that everything before it has arrived.
        link->serial->write(QByteArray::fromHex("FF"));
        QVERIFY(testkit::wait_until([&] { return sim->received().endsWith(char(0xFF)); }));
        QCOMPARE(sim->received().toHex(' '), (bytes + char(0xFF)).toHex(' '));
        if (bytes.isEmpty())
            QCOMPARE(log.total(), 0);
    }

    void nothing_written_while_not_open_data()
    {
        QTest::addColumn<bool>("owner_closed_port");
        QTest::newRow("never marked open") << false;
        QTest::newRow("port closed, still marked open") << true;
    }
    void nothing_written_while_not_open()
    {
        QFETCH(bool, owner_closed_port);
        if (owner_closed_port)
            link->serial->close();
        else
            link->is_open = false;
        LogCapture log;
        QSignalSpy done(link.get(), &usart_interface::get_read_data);
        link->slot_send_data(1);
        QCOMPARE(log.count("serial not open"), 1);
        // An upload that cannot be sent still ends, with nothing.
        link->slot_send_data(2);
        QVERIFY(testkit::wait_until([&] { return done.count() == 1; }, 5000));
        QVERIFY(link->read_list.isEmpty());
        QVERIFY(sim->received().isEmpty());
    }

    // Bytes from the instrument, as they may come: whole, in pieces, several
    // frames at once, with noise and faults.
    void receiver_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<SerialThermometer::Delivery>("delivery");
        QTest::addColumn<int>("rt_signals");
        QTest::addColumn<QVector<quint16>>("rt_words");
        QTest::addColumn<int>("info_signals");
        QTest::addColumn<QVector<quint16>>("info_words");
        using D = SerialThermometer::Delivery;
        const QByteArray rt4 = answer_frame(1, {253, 257, 28000, 0xFFEC});
        const QVector<quint16> rt4_words{253, 257, 28000, 0xFFEC};
        QTest::newRow("real time, one write") << rt4 << D::Frame << 1 << rt4_words << 0 << QVector<quint16>();
        QTest::newRow("real time, byte by byte") << rt4 << D::ByteByByte << 1 << rt4_words << 0 << QVector<quint16>();
        QTest::newRow("two frames in one burst") << rt4 + answer_frame(1, {7}) << D::Frame
                                                 << 2 << (rt4_words + QVector<quint16>{7}) << 0 << QVector<quint16>();
        QTest::newRow("noise before the frame") << QByteArray::fromHex("0012AA5500") + rt4 << D::ByteByByte
                                                << 1 << rt4_words << 0 << QVector<quint16>();
        QTest::newRow("55 55 AA loses the frame") << QByteArray::fromHex("55") + rt4 << D::Frame
                                                  << 0 << QVector<quint16>() << 0 << QVector<quint16>();
        QByteArray bad_sum = rt4;
        bad_sum[bad_sum.size() - 1] = char(bad_sum.at(bad_sum.size() - 1) + 1);
        QTest::newRow("bad sum, then a good frame") << bad_sum + answer_frame(1, {9}) << D::Frame
                                                    << 1 << QVector<quint16>{9} << 0 << QVector<quint16>();
        QTest::newRow("real time without words") << answer_frame(1, {}) << D::Frame
                                                 << 1 << QVector<quint16>() << 0 << QVector<quint16>();
        // L = 6: one word, and the byte before the sum is not payload.
        QByteArray even = QByteArray::fromHex("55AA0106" "3412" "99");
        even += char(0x55 + 0xAA + 0x01 + 0x06 + 0x34 + 0x12 + 0x99);
        QTest::newRow("even length") << even << D::Frame << 1 << QVector<quint16>{0x1234} << 0 << QVector<quint16>();
        // An unknown command byte is dropped; the next byte is the command.
        QTest::newRow("unknown command byte") << QByteArray::fromHex("55AA0501 0303") << D::Frame
                                              << 1 << QVector<quint16>() << 0 << QVector<quint16>();
        QTest::newRow("device information") << answer_frame(0, {2401, 0x41}) << D::ByteByByte
                                            << 0 << QVector<quint16>() << 1 << QVector<quint16>{2401, 0x41};
        QTest::newRow("device information too short") << answer_frame(0, {2401}) + answer_frame(0, {})
                                                      << D::Frame << 0 << QVector<quint16>() << 0 << QVector<quint16>();
        // L = 0: 254 further bytes, the index wraps over the frame's start.
        QTest::newRow("length 0 wraps, next frame fine")
            << QByteArray::fromHex("55AA0100") + QByteArray(254, '\0') + answer_frame(1, {5}) << D::Burst
            << 2 << QVector<quint16>{5} << 0 << QVector<quint16>();
        QTest::newRow("length 255, next frame fine")
            << QByteArray::fromHex("55AA01FF") + QByteArray(253, '\x01') + answer_frame(1, {6}) << D::Burst
            << 1 << QVector<quint16>{6} << 0 << QVector<quint16>();
    }
    void receiver()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(SerialThermometer::Delivery, delivery);
        QFETCH(int, rt_signals);
        QFETCH(QVector<quint16>, rt_words);
        QFETCH(int, info_signals);
        QFETCH(QVector<quint16>, info_words);
        QSignalSpy rt(link.get(), &usart_interface::get_RTdata);
        QSignalSpy info(link.get(), &usart_interface::get_production_name);
        QSignalSpy stored(link.get(), &usart_interface::get_read_data);
        QSignalSpy reads(link->serial, &QSerialPort::readyRead);
        sim->set_delivery(delivery, 2);
        // A last frame of known words tells when everything was taken in.
        sim->send_raw(bytes + answer_frame(2, {0xBEEF}));
        QVERIFY(testkit::wait_until([&] { return stored.count() == 1; }));
        QCOMPARE(rt.count(), rt_signals);
        QCOMPARE(words_of(link->rt_list), rt_words);
        QCOMPARE(info.count(), info_signals);
        QCOMPARE(words_of(link->info_list), info_words);
        QCOMPARE(words_of(link->read_list), QVector<quint16>{0xBEEF});
        if (delivery == SerialThermometer::Delivery::ByteByByte)
            QVERIFY(reads.count() > 1);
    }

    // Any bytes at all: the receiver stays in its buffer and, once the
    // noise has run out, finds frames again.
    void random_bytes()
    {
        QRandomGenerator rng(20240101);
        QByteArray noise(64 * 1024, '\0');
        for (char &c : noise)
            c = char(rng.bounded(256));
        // Frame starts and lengths often, so that the receiver is busy.
        for (int i = 0; i < noise.size() - 4; i += 1 + int(rng.bounded(40)))
            noise.replace(i, 3, QByteArray::fromHex("55AA01"));
        QSignalSpy stored(link.get(), &usart_interface::get_read_data);
        sim->set_delivery(SerialThermometer::Delivery::Burst);
        // 300 zeros end any frame begun in the noise (at most 256 bytes).
        sim->send_raw(noise + QByteArray(300, '\0') + answer_frame(2, {0xBEEF}));
        QVERIFY(testkit::wait_until([&] { return !link->read_list.isEmpty() && link->read_list.last() == 0xBEEF; },
                                    20000));
        QVERIFY(stored.count() >= 1);
        QCOMPARE(link->rx_state, uint8_t(0));
    }

    // The owner finds the words in the list when its slot runs.
    void words_queued_before_signal()
    {
        QVector<quint16> seen;
        connect(link.get(), &usart_interface::get_RTdata, this, [&] {
            seen = words_of(link->rt_list);
            link->rt_list.clear();
        });
        sim->set_channels({250, -5});
        link->slot_send_data(1);
        QVERIFY(testkit::wait_until([&] { return !seen.isEmpty(); }));
        QCOMPARE(seen, (QVector<quint16>{250, quint16(-5)}));
    }

    // An upload through the simulator: several frames, then silence.
    void upload_data()
    {
        QTest::addColumn<int>("words");
        QTest::addColumn<int>("per_frame");
        QTest::addColumn<SerialThermometer::Delivery>("delivery");
        QTest::addColumn<bool>("ended_by_short_frame");
        using D = SerialThermometer::Delivery;
        QTest::newRow("30+30+10 words") << 70 << 30 << D::Frame << true;
        QTest::newRow("30+30+10 words, byte by byte") << 70 << 30 << D::ByteByByte << true;
        QTest::newRow("30+30+10 words, one burst") << 70 << 30 << D::Burst << true;
        QTest::newRow("two full frames, then silence") << 60 << 30 << D::Frame << false;
        QTest::newRow("no records") << 0 << 30 << D::Frame << true;
    }
    void upload()
    {
        QFETCH(int, words);
        QFETCH(int, per_frame);
        QFETCH(SerialThermometer::Delivery, delivery);
        QFETCH(bool, ended_by_short_frame);
        sim->set_stored(signed_ramp(words), per_frame);
        sim->set_delivery(delivery, 2);
        QSignalSpy done(link.get(), &usart_interface::get_read_data);
        link->slot_send_data(2);
        if (ended_by_short_frame) {
            QVERIFY(testkit::wait_until([&] { return done.count() == 1; }));
            QVERIFY(!link->overtime_timer->isActive());
        } else {
            QVERIFY(testkit::wait_until([&] { return link->read_list.size() == words; }));
            QTest::qWait(50);
            QCOMPARE(done.count(), 0);
            QVERIFY(link->overtime_timer->isActive());
            QVERIFY(testkit::wait_until([&] { return done.count() == 1; }, 5000));
        }
        QCOMPARE(words_of(link->read_list), ramp(words));
        QTest::qWait(100);
        QCOMPARE(done.count(), 1);
    }

    // A stored frame longer than L = 58 is a full one: more are awaited.
    void length_rule_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("last_frame");
        QTest::newRow("L 57") << 57 << true;
        QTest::newRow("L 58") << 58 << true;
        QTest::newRow("L 59") << 59 << false;
        QTest::newRow("L 60") << 60 << false;
    }
    void length_rule()
    {
        QFETCH(int, length);
        QFETCH(bool, last_frame);
        QByteArray frame = QByteArray::fromHex("55AA02") + char(length);
        for (int i = 0; i < length - 3; ++i)
            frame += char(i + 1);
        quint8 sum = 0;
        for (char c : frame)
            sum = quint8(sum + quint8(c));
        frame += char(sum);
        QSignalSpy done(link.get(), &usart_interface::get_read_data);
        sim->send_raw(frame);
        const int words = (length - 3) / 2;
        QVERIFY(testkit::wait_until([&] { return link->read_list.size() == words; }));
        QCOMPARE(link->read_list.first(), quint16(0x0201));
        QCOMPARE(done.count(), last_frame ? 1 : 0);
        QCOMPARE(link->overtime_timer->isActive(), !last_frame);
        if (!last_frame) {
            QCOMPARE(link->overtime_timer->interval(), 2000);
            QVERIFY(testkit::wait_until([&] { return done.count() == 1; }, 5000));
        }
    }

    void upload_without_answer_times_out()
    {
        sim->set_silent(true);
        link->read_list << 1 << 2;   // words an owner left behind stay
        QSignalSpy done(link.get(), &usart_interface::get_read_data);
        link->slot_send_data(2);
        QVERIFY(link->overtime_timer->isActive());
        QCOMPARE(done.count(), 0);
        QVERIFY(testkit::wait_until([&] { return done.count() == 1; }, 5000));
        QCOMPARE(words_of(link->read_list), (QVector<quint16>{1, 2}));
        QCOMPARE(sim->commands(), QVector<int>{2});
    }

    // A stored frame after the time-out is still queued: a short one ends
    // the upload again, a long one starts the 2 s anew.
    void late_frame_data()
    {
        QTest::addColumn<int>("words");
        QTest::addColumn<bool>("restarts_timer");
        QTest::newRow("late short frame") << 10 << false;
        QTest::newRow("late full frame") << 30 << true;
    }
    void late_frame()
    {
        QFETCH(int, words);
        QFETCH(bool, restarts_timer);
        sim->set_silent(true);
        QSignalSpy done(link.get(), &usart_interface::get_read_data);
        link->slot_send_data(2);
        QVERIFY(testkit::wait_until([&] { return done.count() == 1; }, 5000));
        sim->send_raw(answer_frame(2, ramp(words)));
        QVERIFY(testkit::wait_until([&] { return link->read_list.size() == words; }));
        QCOMPARE(link->overtime_timer->isActive(), restarts_timer);
        QVERIFY(testkit::wait_until([&] { return done.count() == 2; }, 5000));
        QCOMPARE(words_of(link->read_list), ramp(words));
    }

    void port_watch_data()
    {
        QTest::addColumn<QStringList>("listed");
        QTest::addColumn<bool>("open");
        QTest::addColumn<QList<int>>("states");
        QTest::newRow("open and listed") << QStringList{"ttyS0", "@port"} << true << QList<int>{0};
        QTest::newRow("open, not listed") << QStringList{"ttyS0"} << true << QList<int>{-1};
        QTest::newRow("closed") << QStringList{"@port"} << false << QList<int>{};
    }
    void port_watch()
    {
        QFETCH(QStringList, listed);
        QFETCH(bool, open);
        QFETCH(QList<int>, states);
        listed.replaceInStrings("@port", sim->port_name());
        port_list::set_override([listed] { return listed; });
        if (!open)
            link->serial->close();
        QSignalSpy status(link.get(), &usart_interface::usart_connect_status);
        link->reflash_com_num();
        QCOMPARE(link->port_list, listed);
        QList<int> got;
        for (const auto &args : status)
            got << args.at(0).toInt();
        QCOMPARE(got, states);
    }

    void port_list_at_construction()
    {
        port_list::set_override([] { return QStringList{"ttyUSB1", "ttyUSB0"}; });
        usart_interface fresh;
        QCOMPARE(fresh.port_list, (QStringList{"ttyUSB1", "ttyUSB0"}));
    }

    // The far end goes away: -1 once, the port closed and marked closed,
    // a single log line, and commands after it are not written. The port
    // reads end-of-file and reports it by the thread's stale errno: EAGAIN
    // gives ResourceError, anything unmapped an endless run of ReadErrors.
    void far_end_vanishes_data()
    {
        QTest::addColumn<int>("stale_errno");
        QTest::newRow("as resource error") << EAGAIN;
        QTest::newRow("as read errors") << 0;
    }
    void far_end_vanishes()
    {
        QFETCH(int, stale_errno);
        QSignalSpy status(link.get(), &usart_interface::usart_connect_status);
        link->slot_send_data(1);
        QVERIFY(testkit::wait_until([&] { return link->rt_list.size() == 4; }));
        LogCapture log;
        sim->vanish();
        errno = stale_errno;
        QVERIFY(testkit::wait_until([&] { return !status.isEmpty(); }, 3000));
        QTest::qWait(1500);   // a refresh tick and any flood would show
        QCOMPARE(status.count(), 1);
        QCOMPARE(status.first().at(0).toInt(), -1);
        QVERIFY(!link->serial->isOpen());
        QVERIFY(!link->is_open);
        QCOMPARE(log.count("serial lost connect"), 1);
        QVERIFY2(log.total() < 10, qPrintable(QString::number(log.total())));
        // The owner polls on: the refusal is logged once, not per poll.
        log.clear();
        for (int i = 0; i < 5; ++i)
            link->slot_send_data(i % 2 ? 1 : 2);
        QCOMPARE(log.count("serial not open"), 1);
        QVERIFY2(log.total() <= 2, qPrintable(QString::number(log.total())));
    }

    // Open again after a refusal: the next spell closed is logged again.
    void not_open_logged_per_spell()
    {
        LogCapture log;
        link->is_open = false;
        link->slot_send_data(1);
        link->slot_send_data(1);
        QCOMPARE(log.count("serial not open"), 1);
        link->is_open = true;
        link->slot_send_data(1);
        QVERIFY(testkit::wait_until([&] { return link->rt_list.size() == 4; }));
        link->is_open = false;
        link->slot_send_data();
        QCOMPARE(log.count("serial not open"), 2);
    }

    // One ReadError on a working port is no loss: it stays open and answers.
    void one_read_error_keeps_the_port()
    {
        QSignalSpy status(link.get(), &usart_interface::usart_connect_status);
        link->slot_send_data(1);
        QVERIFY(testkit::wait_until([&] { return link->rt_list.size() == 4; }));
        // One error, then runs of errors that data cut short.
        for (int errors : {1, 15, 15}) {
            for (int i = 0; i < errors; ++i)
                emit link->serial->errorOccurred(QSerialPort::ReadError);
            QTest::qWait(50);
            QVERIFY(link->serial->isOpen());
            QVERIFY(link->is_open);
            const int words = link->rt_list.size();
            link->slot_send_data(1);
            QVERIFY(testkit::wait_until([&] { return link->rt_list.size() == words + 4; }));
        }
        QVERIFY(!status.contains(QVariantList{-1}));
    }

    void port_errors_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("times");
        QTest::addColumn<bool>("lost");
        QTest::newRow("resource error") << int(QSerialPort::ResourceError) << 100 << true;
        QTest::newRow("one resource error") << int(QSerialPort::ResourceError) << 1 << true;
        QTest::newRow("read error flood") << int(QSerialPort::ReadError) << 100 << true;
        QTest::newRow("one read error") << int(QSerialPort::ReadError) << 1 << false;
        QTest::newRow("a few read errors") << int(QSerialPort::ReadError) << 3 << false;
        QTest::newRow("timeout") << int(QSerialPort::TimeoutError) << 100 << false;
        QTest::newRow("write error") << int(QSerialPort::WriteError) << 100 << false;
    }
    void port_errors()
    {
        QFETCH(int, error);
        QFETCH(int, times);
        QFETCH(bool, lost);
        QSignalSpy status(link.get(), &usart_interface::usart_connect_status);
        for (int i = 0; i < times; ++i)
            emit link->serial->errorOccurred(QSerialPort::SerialPortError(error));
        QTest::qWait(50);
        QCOMPARE(link->serial->isOpen(), !lost);
        QCOMPARE(link->is_open, !lost);
        QCOMPARE(status.count(), lost ? 1 : 0);
        if (lost)
            QCOMPARE(status.first().at(0).toInt(), -1);
    }

    void port_config_data()
    {
        QTest::addColumn<QList<int>>("indices");   // parity, data bits, stop bits, flow
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("owners' choice") << QList<int>{0, 3, 0, 0}
            << QList<int>{QSerialPort::NoParity, QSerialPort::Data8, QSerialPort::OneStop, QSerialPort::NoFlowControl};
        QTest::newRow("last of each table") << QList<int>{4, 0, 2, 2}
            << QList<int>{QSerialPort::SpaceParity, QSerialPort::Data5, QSerialPort::TwoStop, QSerialPort::SoftwareControl};
        QTest::newRow("outside the tables") << QList<int>{5, 4, 3, -1}
            << QList<int>{QSerialPort::UnknownParity, QSerialPort::UnknownDataBits, QSerialPort::UnknownStopBits,
                          QSerialPort::UnknownFlowControl};
    }
    void port_config()
    {
        QFETCH(QList<int>, indices);
        QFETCH(QList<int>, expected);
        usart_interface other;
        QSerialPort port;
        QVERIFY(!other.port_config(&port));   // no port name: nothing set
        QCOMPARE(port.portName(), QString());
        other.port_name = "ttyUSB7";
        other.baud_rate = 9600;
        other.parity_index = indices[0];
        other.data_bits_index = indices[1];
        other.stop_bits_index = indices[2];
        other.flow_control_index = indices[3];
        QVERIFY(other.port_config(&port));
        QCOMPARE(port.portName(), QString("ttyUSB7"));
        QCOMPARE(port.baudRate(QSerialPort::Input), 9600);
        QCOMPARE(port.baudRate(QSerialPort::Output), 9600);
        QCOMPARE(int(port.parity()), expected[0]);
        QCOMPARE(int(port.dataBits()), expected[1]);
        QCOMPARE(int(port.stopBits()), expected[2]);
        QCOMPARE(int(port.flowControl()), expected[3]);
    }

    void system_serial_devices()
    {
        QTemporaryDir sys;
        QDir root(sys.path());
        QVERIFY(root.mkpath("drivers/ftdi_sio") && root.mkpath("drivers/serial8250"));
        QVERIFY(root.mkpath("devices/usb1") && root.mkpath("devices/platform"));
        QVERIFY(QFile::link(root.filePath("drivers/ftdi_sio"), root.filePath("devices/usb1/driver")));
        QVERIFY(QFile::link(root.filePath("drivers/serial8250"), root.filePath("devices/platform/driver")));
        for (const char *name : {"ttyUSB0", "ttyS0", "tty1", "ptmx"})
            QVERIFY(root.mkpath(QString("class/%1").arg(name)));
        QVERIFY(QFile::link(root.filePath("devices/usb1"), root.filePath("class/ttyUSB0/device")));
        QVERIFY(QFile::link(root.filePath("devices/platform"), root.filePath("class/ttyS0/device")));
        const auto devices = port_list::system_devices(root.filePath("class"));
        QCOMPARE(devices.size(), 2);
        QCOMPARE(devices[0].port_name, QString("ttyS0"));
        QCOMPARE(devices[0].device_name, QString("serial8250"));
        QCOMPARE(devices[1].port_name, QString("ttyUSB0"));
        QCOMPARE(devices[1].device_name, QString("ftdi_sio"));
        LogCapture log;
        QVERIFY(port_list::system_devices(root.filePath("missing")).isEmpty());
        QCOMPARE(log.total(), 1);
        // The link's own view of the system's list is consistent with it.
        const QStringList names = link->registry_port_names();
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(link->GetComm(i, true), names[i]);
        QCOMPARE(link->GetComm(names.size(), true), QString());
        QCOMPARE(link->GetComm(-1, false), QString());
    }

    void sums()
    {
        const uint8_t bytes[] = {0xAA, 0x55, 0x03, 0x07, 0x80, 0x00, 0x92, 0x65};
        QCOMPARE(usart_interface::sum_bytes(bytes, 8), uint8_t(0x80));
        QCOMPARE(usart_interface::sum_bytes(bytes, 0), uint8_t(0));
        const uint16_t words[] = {0xFFFF, 0x0002, 0x1000};
        QCOMPARE(usart_interface::sum_words(words, 3), uint16_t(0x1001));
        QCOMPARE(usart_interface::sum_words(words, 0), uint16_t(0));
    }

private:
    std::unique_ptr<SerialThermometer> sim;
    std::unique_ptr<usart_interface> link;
};

QTEST_MAIN(tst_usart_interface)
#include "tst_usart_interface.moc"
