#include "serialsim.h"

#include "usart_interface/port_list.h"

#include <QDebug>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace serialsim {

namespace {

quint8 low_sum(const QByteArray &bytes)
{
    quint8 sum = 0;
    for (char c : bytes)
        sum = quint8(sum + quint8(c));
    return sum;
}

quint16 default_variant(quint16 model)
{
    switch (model) {
    case 240: return 'C';
    case 2401: return 'A';
    case 2402: return 'B';
    default: return 0;
    }
}

}

QByteArray answer_frame(quint8 command, const QVector<quint16> &words)
{
    QByteArray frame = QByteArray::fromHex("55AA");
    frame += char(command);
    frame += char(quint8(3 + 2 * words.size()));
    for (quint16 w : words) {
        frame += char(w & 0xFF);
        frame += char(w >> 8);
    }
    frame += char(low_sum(frame));
    return frame;
}

SerialThermometer::SerialThermometer(QObject *parent)
    : QObject(parent)
{
    termios raw;
    cfmakeraw(&raw);
    cfsetispeed(&raw, B9600);
    cfsetospeed(&raw, B9600);
    // Raw from the start: the settings a port restores on close must not
    // echo our answers back to us.
    if (openpty(&m_master, &m_slave, nullptr, &raw, nullptr) != 0) {
        qWarning() << "serialsim: openpty failed" << strerror(errno);
        m_master = m_slave = -1;
        return;
    }
    char name[128] = {};
    ptsname_r(m_master, name, sizeof name);
    m_port = QString::fromLocal8Bit(name);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    fcntl(m_master, F_SETFD, FD_CLOEXEC);
    fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SerialThermometer::read_host);
    m_pump.setSingleShot(true);
    connect(&m_pump, &QTimer::timeout, this, &SerialThermometer::pump);
}

SerialThermometer::~SerialThermometer()
{
    vanish();
    if (m_port_list_installed)
        port_list::set_override(nullptr);
}

void SerialThermometer::set_model(quint16 model)
{
    set_model(model, default_variant(model));
}

void SerialThermometer::set_model(quint16 model, quint16 variant_word)
{
    m_model = model;
    m_variant = variant_word;
}

void SerialThermometer::set_channels(const QVector<qint16> &raw) { m_channels = raw; }

void SerialThermometer::set_stored(const QVector<qint16> &raw, int words_per_frame)
{
    m_stored = raw;
    m_words_per_frame = qBound(1, words_per_frame, 120);
}

void SerialThermometer::set_silent(bool silent) { m_silent = silent; }

void SerialThermometer::set_delivery(Delivery d, int gap_ms)
{
    m_delivery = d;
    m_gap_ms = qMax(0, gap_ms);
}

void SerialThermometer::set_answer_delay(int ms) { m_answer_delay_ms = qMax(0, ms); }

void SerialThermometer::send_raw(const QByteArray &bytes, int delay_ms)
{
    if (delay_ms > 0) {
        QTimer::singleShot(delay_ms, this, [this, bytes] { queue_frames({bytes}); });
        return;
    }
    queue_frames({bytes});
}

void SerialThermometer::vanish()
{
    if (m_vanished.exchange(true))
        return;
    m_pump.stop();
    m_out.clear();
    delete m_notifier;
    m_notifier = nullptr;
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = m_slave = -1;
}

QByteArray SerialThermometer::received()
{
    read_host();
    return m_received;
}

QVector<int> SerialThermometer::commands()
{
    read_host();
    return m_commands;
}

void SerialThermometer::clear_received()
{
    read_host();
    m_received.clear();
    m_commands.clear();
}

void SerialThermometer::install_port_list()
{
    m_port_list_installed = true;
    const QString name = m_port;
    port_list::set_override([this, name] {
        return m_vanished ? QStringList() : QStringList{name};
    });
}

void SerialThermometer::read_host()
{
    if (m_master < 0)
        return;
    char buf[512];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n <= 0)
            break;   // EAGAIN: nothing more now
        m_received.append(buf, int(n));
        m_pending_command.append(buf, int(n));
    }
    parse_commands();
}

void SerialThermometer::parse_commands()
{
    QByteArray &p = m_pending_command;
    for (;;) {
        const int start = p.indexOf(QByteArray::fromHex("AA55"));
        if (start < 0) {
            // Keep a trailing AA: it may start the next frame.
            p = p.endsWith(char(0xAA)) ? QByteArray(1, char(0xAA)) : QByteArray();
            return;
        }
        p.remove(0, start);
        if (p.size() < 4)
            return;
        const int length = quint8(p[3]);
        const int total = qMax(length, 3) + 2;
        if (p.size() < total)
            return;
        const QByteArray frame = p.left(total);
        p.remove(0, total);
        const int command = quint8(frame[2]);
        m_commands << command;
        if (low_sum(frame.left(total - 1)) != quint8(frame[total - 1])) {
            qDebug() << "serialsim: command frame with a bad sum" << frame.toHex(' ');
            continue;
        }
        if (m_silent)
            continue;
        if (m_answer_delay_ms > 0)
            QTimer::singleShot(m_answer_delay_ms, this, [this, command] { answer(command); });
        else
            answer(command);
    }
}

void SerialThermometer::answer(int command)
{
    QList<QByteArray> frames;
    switch (command) {
    case 0:
        frames << answer_frame(0, {m_model, m_variant});
        break;
    case 1: {
        QVector<quint16> words;
        for (qint16 v : m_channels)
            words << quint16(v);
        frames << answer_frame(1, words);
        break;
    }
    case 2: {
        QVector<quint16> words;
        for (int i = 0; i < m_stored.size(); ++i) {
            words << quint16(m_stored[i]);
            if (words.size() == m_words_per_frame) {
                frames << answer_frame(2, words);
                words.clear();
            }
        }
        if (!words.isEmpty() || frames.isEmpty())
            frames << answer_frame(2, words);
        break;
    }
    default:
        return;
    }
    queue_frames(frames);
}

void SerialThermometer::queue_frames(const QList<QByteArray> &frames)
{
    if (m_vanished)
        return;
    switch (m_delivery) {
    case Delivery::Frame:
        m_out += frames;
        break;
    case Delivery::Burst: {
        QByteArray all;
        for (const QByteArray &f : frames)
            all += f;
        m_out << all;
        break;
    }
    case Delivery::ByteByByte:
        for (const QByteArray &f : frames)
            for (char c : f)
                m_out << QByteArray(1, c);
        break;
    }
    if (!m_pump.isActive())
        pump();
}

void SerialThermometer::pump()
{
    if (m_out.isEmpty() || m_vanished)
        return;
    write_master(m_out.takeFirst());
    if (!m_out.isEmpty() && !m_pump.isActive())
        m_pump.start(m_gap_ms);
}

void SerialThermometer::write_master(const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0 && m_master >= 0) {
        const ssize_t n = ::write(m_master, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN) {
                // The terminal's buffer is full: the rest goes first when
                // the host has read some.
                m_out.prepend(QByteArray(p, int(left)));
                m_pump.start(1);
                return;
            }
            qWarning() << "serialsim: write failed" << strerror(errno);
            return;
        }
        p += n;
        left -= n;
    }
}

}
