#include "usb_help/kq291_hid_interdace.h"

#include "common/app_env.h"
#include "usb_help/usb_helper.h"
#include "usb_help/utc_zone.h"

#include <QDebug>
#include <QMetaObject>
#include <QMetaType>
#include <QTimeZone>

namespace {

const uint8_t CMD_REALTIME = 0xB3;
const uint8_t CMD_COUNT = 0xB5;
const uint8_t CMD_INDEX = 0xB4;
const uint8_t CMD_CLOCK = 0x7C;
const uint8_t CMD_CLEAR = 0x8F;
const uint8_t CMD_RANGE = 0xC4;
const uint8_t COUNT_ANSWER = 0xEF;

const struct { unsigned short vendor, product; } USB_IDS[] = {
    {usb_ids::vendor_a, usb_ids::product_a},
    {usb_ids::vendor_b, usb_ids::product_b},
};

int from_bcd(uint8_t x) { return (x >> 4) * 10 + (x & 0x0F); }
char to_bcd(int v) { return char(((v / 10) % 10) << 4 | (v % 10)); }

void append_be32(QByteArray &out, quint32 v)
{
    out.append(char(v >> 24)).append(char(v >> 16)).append(char(v >> 8)).append(char(v));
}

}

KQ291_HID_INTERDACE::KQ291_HID_INTERDACE()
    : QThread(nullptr)
{
    // The answers cross threads by queued signals.
    qRegisterMetaType<QQueue<quint16>>("QQueue<quint16>");
    qRegisterMetaType<QVector<QString>>("QVector<QString>");
    qRegisterMetaType<QMap<uint32_t, float>>("QMap<uint32_t,float>");
    last_activity.start();
    states = new LinkStates(this);
    connect(states, &LinkStates::state, this, &KQ291_HID_INTERDACE::HID_status_update);
}

KQ291_HID_INTERDACE::~KQ291_HID_INTERDACE()
{
    {
        // Under the lock run() starts the hot-plug thread with.
        std::lock_guard<std::mutex> lock(state_mutex);
        stop_flag = true;
    }
    plug_loop.stop();
    quit();
    wait();
    {
        std::lock_guard<std::mutex> lock(state_mutex);
        hid_device *dev = device.exchange(nullptr);
        if (dev)
            hid_close(dev);
        retired.close_all();
        handle.store(nullptr);
        connected = false;
    }
    hid_exit();
}

void KQ291_HID_INTERDACE::stop()
{
    stop_flag = true;
}

void KQ291_HID_INTERDACE::set_handle(hid_device *dev)
{
    hid_device *old = device.exchange(dev);
    if (old != dev)
        retired.add(old);   // the reader may still be waiting on it
    handle.store(dev);
    health.new_handle(dev);
}

void KQ291_HID_INTERDACE::close_retired()
{
    std::lock_guard<std::mutex> lock(state_mutex);
    retired.close_all();
}

void KQ291_HID_INTERDACE::drop_dead_device(hid_device *dev)
{
    std::lock_guard<std::mutex> lock(state_mutex);
    drop_dead_locked(dev);
}

void KQ291_HID_INTERDACE::drop_dead_locked(hid_device *dev)
{
    if (!dev || device.load() != dev)
        return;   // replaced meanwhile
    connected = false;
    set_handle(nullptr);
    health.dropped();
    states->dead_handle();
}

void KQ291_HID_INTERDACE::confirm_device(hid_device *dev)
{
    if (!states->awaiting())
        return;
    std::lock_guard<std::mutex> lock(state_mutex);
    if (device.load() == dev)
        states->answered();
}

void KQ291_HID_INTERDACE::hid_connect(QString path)
{
    hid_init();
    hid_device *dev = hid_open_path(path.toLatin1().constData());
    if (!dev)
        return;
    {
        std::lock_guard<std::mutex> lock(state_mutex);
        set_handle(dev);
        device_path = path;
        connected = true;
        // Hot-plug states decided before this moment are stale now.
        states->connected_directly();
    }
    qDebug() << "hid link success zzzzzzzzzzzzzzz";
    emit HID_status_update(0);
}

void KQ291_HID_INTERDACE::run()
{
    {
        // Not once the destructor has begun: it would not wait for it.
        std::lock_guard<std::mutex> lock(state_mutex);
        if (stop_flag)
            return;
        plug_loop.start();
    }
    while (!stop_flag) {
        // No read is in progress here: handles given up can go.
        close_retired();
        if (connected) {
            hid_receive();
        } else {
            // Unplugged or dropped: nothing will answer what is awaited.
            Outcome out;
            {
                std::lock_guard<std::mutex> lock(state_mutex);
                if (!connected && (last_cmd == 2 || last_cmd == 3 || last_cmd == 5))
                    out = settle_locked(true);
            }
            deliver(out);
            for (int i = 0; i < 20 && !stop_flag && !connected; ++i) {
                msleep(50);
                close_retired();
            }
        }
    }
}

void KQ291_HID_INTERDACE::hot_pulg_check_slot()
{
    plug_paths.clear();
    if (hid_init() < 0) {
        qDebug() << "hid init failed";
        return;
    }
    for (const auto &ids : USB_IDS) {
        hid_device_info *list = hid_enumerate(ids.vendor, ids.product);
        for (hid_device_info *d = list; d; d = d->next)
            plug_paths.push_back(QString::fromLatin1(d->path));
        hid_free_enumeration(list);
    }
    // Decided and posted under the lock, so states leave in the order
    // decided and none decided before a direct connect follows it.
    std::lock_guard<std::mutex> lock(state_mutex);
    if (!plug_paths.contains(device_path)) {
        connected = false;
        set_handle(nullptr);
        health.gone();
        states->gone();
        states->post(1);
        return;
    }
    if (connected || !health.may_reopen())
        return;
    hid_device *dev = hid_open_path(device_path.toLatin1().constData());
    if (!dev)
        return;
    // A handle dropped as dead is retried quietly: the spell was logged.
    const bool retry = states->awaiting();
    set_handle(dev);
    connected = true;
    if (!retry)
        qDebug() << "hid link success eeeeeeeeeeeeeeee";
    states->reopened();
}

bool KQ291_HID_INTERDACE::write_locked(const QByteArray &bytes)
{
    last_activity.restart();
    if (!connected)
        return false;
    hid_device *dev = device.load();
    if (usb_write(bytes.constData(), bytes.size()) >= 0) {
        health.succeeded(HandleHealth::Write, dev);
        return true;
    }
    // A command lost; writes that keep failing are a dead handle, as reads are.
    const HandleHealth::Failure f = health.failed(HandleHealth::Write, dev);
    if (f.starts_spell) {
        const wchar_t *error = dev ? hid_error(dev) : nullptr;
        qDebug().noquote() << "hid_write failed:" << (error ? QString::fromWCharArray(error) : QString("no device"))
                           << bytes.toHex(' ');
    }
    if (f.dead)
        drop_dead_locked(dev);
    return false;
}

bool KQ291_HID_INTERDACE::send_command_locked(int cmd)
{
    last_cmd = uint8_t(cmd);
    QByteArray bytes;
    switch (cmd) {
    case 1: bytes.append(char(CMD_REALTIME)); break;
    case 2: bytes.append(char(CMD_COUNT)); break;
    case 3: bytes.append(char(CMD_INDEX)); break;
    case 4:
        bytes.append(char(CMD_CLOCK)).append(clock_bcd(app_env::now())).append('\0');
        break;
    case 6: bytes.append(char(CMD_CLEAR)); break;
    case -3: {
        // The clock as a command frame of the general protocol.
        bytes = QByteArray::fromHex("aa550309");
        bytes.append(clock_bcd(app_env::now()));
        bytes.append(char(check_sum(bytes.constData(), quint16(bytes.size()))));
        break;
    }
    default:
        return false;
    }
    return write_locked(bytes);
}

void KQ291_HID_INTERDACE::HID_interface_cmd(int cmd)
{
    const bool was_connected = connected;
    bool written;
    {
        std::lock_guard<std::mutex> lock(state_mutex);
        if (cmd == 2)
            count_requests = 1;
        written = send_command_locked(cmd);
        // Nothing will answer: the reader must not end it a second time.
        if (cmd == 2 && !written)
            last_cmd = 0;
    }
    if (cmd == 4 && was_connected)
        emit clock_sync_done(written);
    if (cmd == 2 && !written) {
        // No request went out, so no answer will end the upload. Queued:
        // the window opens its waiting box only after this call returns.
        QMetaObject::invokeMethod(this, [this] { emit not_get_any_data(); }, Qt::QueuedConnection);
        qDebug() << "record count request not written";
    }
}

void KQ291_HID_INTERDACE::HID_interface_cmd(int cmd, int data, int data2)
{
    bool written;
    {
        std::lock_guard<std::mutex> lock(state_mutex);
        last_cmd = uint8_t(cmd);
        if (cmd != 5)
            return;
        date_index.clear();
        raw_reports.clear();
        QByteArray bytes(1, char(CMD_RANGE));
        append_be32(bytes, quint32(data));
        append_be32(bytes, quint32(data2));
        written = write_locked(bytes);
        // Nothing will answer: the reader must not end it a second time.
        if (!written)
            last_cmd = 0;
    }
    if (!written) {
        // As for an unanswered upload, once the caller's waiting box runs.
        QMetaObject::invokeMethod(this, [this] { emit not_get_any_data(); }, Qt::QueuedConnection);
        qDebug() << "record range request not written";
    }
}

void KQ291_HID_INTERDACE::hid_receive()
{
    if (!connected)
        return;
    hid_device *dev = device.load();
    const int n = dev ? hid_read_timeout(dev, report_buf, REPORT_SIZE, READ_TIMEOUT_MS) : -1;
    if (n >= 0) {
        if (health.succeeded(HandleHealth::Read, dev))
            confirm_device(dev);
    } else {
        // One failed read is no loss; a run of them is a dead handle.
        const HandleHealth::Failure f = health.failed(HandleHealth::Read, dev);
        if (f.starts_spell) {
            const wchar_t *error = dev ? hid_error(dev) : nullptr;
            qDebug().noquote() << "hid read failed:" << (error ? QString::fromWCharArray(error) : QString("no device"));
        }
        if (f.dead)
            drop_dead_device(dev);
    }

    Outcome out;
    {
        std::lock_guard<std::mutex> lock(state_mutex);
        if (n > 0) {
            last_activity.restart();
            switch (last_cmd) {
            case 1:
                out.word = quint16(report_buf[0] << 8 | report_buf[1]);
                last_cmd = 0;
                out.kind = Outcome::REALTIME;
                break;
            case 2:
                if (report_buf[0] == COUNT_ANSWER) {
                    out.count = int(quint32(report_buf[1]) << 24 | quint32(report_buf[2]) << 16
                                    | quint32(report_buf[3]) << 8 | report_buf[4]);
                    date_index.clear();
                    raw_reports.clear();
                    send_command_locked(3);
                    out.kind = Outcome::COUNT;
                } else if (count_requests < MAX_COUNT_REQUESTS) {
                    ++count_requests;
                    send_command_locked(2);
                } else {
                    qDebug() << "no record count after" << count_requests << "requests";
                    last_cmd = 0;
                    out.kind = Outcome::GIVE_UP;
                }
                break;
            case 3:
            case 5:
                raw_reports.append(reinterpret_cast<const char *>(report_buf), n);
                break;
            default:
                break;
            }
        } else if (n < 0 || last_activity.elapsed() >= READ_TIMEOUT_MS) {
            // Silence is counted from the last command or report: a read
            // that began before a command was written does not end it. A
            // count may still come after a silence while the instrument
            // stays connected; only a long one gives it up.
            out = settle_locked(last_activity.elapsed() >= COUNT_WAIT_MS);
        }
    }
    deliver(out);
    if (n < 0)
        msleep(20);   // a failing device: let the hot-plug check catch up
}

KQ291_HID_INTERDACE::Outcome KQ291_HID_INTERDACE::settle_locked(bool give_up_count)
{
    Outcome out;
    if (last_cmd == 2 && give_up_count) {
        qDebug() << "no answer to the record count request";
        last_cmd = 0;
        out.kind = Outcome::GIVE_UP;
    } else if (last_cmd == 3 || last_cmd == 5) {
        out.finished_cmd = last_cmd;
        out.raw = raw_reports;
        last_cmd = 0;
        out.kind = Outcome::FINISH;
    }
    date_index.clear();
    raw_reports.clear();
    return out;
}

void KQ291_HID_INTERDACE::deliver(const Outcome &out)
{
    switch (out.kind) {
    case Outcome::REALTIME: {
        QQueue<quint16> q;
        q.enqueue(out.word);
        emit HID_get_rt_data(q);
        break;
    }
    case Outcome::COUNT: emit HID_get_save_data_cnt(out.count); break;
    case Outcome::GIVE_UP: emit not_get_any_data(); break;
    case Outcome::FINISH: finish_collection(out.finished_cmd, out.raw); break;
    case Outcome::NOTHING: break;
    }
}

void KQ291_HID_INTERDACE::receive_overtime_slot()
{
    uint8_t cmd;
    QByteArray raw;
    {
        std::lock_guard<std::mutex> lock(state_mutex);
        cmd = last_cmd;
        raw = raw_reports;
    }
    finish_collection(cmd, raw);
}

void KQ291_HID_INTERDACE::finish_collection(uint8_t cmd, const QByteArray &raw)
{
    if (cmd == 3) {
        const QVector<QString> index = decode_date_index(raw);
        {
            std::lock_guard<std::mutex> lock(state_mutex);
            date_index = index;
        }
        if (index.isEmpty())
            emit not_get_any_data();
        else
            emit get_save_data_index(index);
    } else if (cmd == 5) {
        const QMap<uint32_t, float> records = decode_records(raw, instrument_clock_offset());
        if (records.isEmpty())
            emit not_get_any_data();
        else
            emit get_save_data(records);
    }
}

int KQ291_HID_INTERDACE::instrument_clock_offset()
{
    return utc_zone::pc_is_utc(QDateTime::currentDateTimeUtc()) ? 0 : 8 * 3600;
}

QByteArray KQ291_HID_INTERDACE::clock_bcd(const QDateTime &now)
{
    const QDateTime wall = now.toUTC().addSecs(instrument_clock_offset());
    const QDate d = wall.date();
    const QTime t = wall.time();
    QByteArray out;
    out.append(to_bcd(t.second())).append(to_bcd(t.minute())).append(to_bcd(t.hour()));
    out.append(to_bcd(d.day())).append(to_bcd(d.month())).append(to_bcd(d.year() - 2000));
    return out;
}

QVector<QString> KQ291_HID_INTERDACE::decode_date_index(const QByteArray &raw)
{
    QVector<QString> dates;
    auto byte_at = [&raw](int i) { return i < raw.size() ? uint8_t(raw[i]) : uint8_t(0); };
    for (int i = 0; i < raw.size(); i += 3) {
        const uint8_t y = byte_at(i), m = byte_at(i + 1), d = byte_at(i + 2);
        if (!y || !m || !d)
            continue;
        const QDate date(2000 + from_bcd(y), from_bcd(m), from_bcd(d));
        dates.push_back(date.isValid() ? date.toString("yy-MM-dd") : QString(""));
    }
    return dates;
}

QMap<uint32_t, float> KQ291_HID_INTERDACE::decode_records(const QByteArray &raw, int clock_offset)
{
    QMap<uint32_t, float> records;
    auto at = [&raw](int i) { return uint8_t(raw[i]); };
    for (int block = 0; block < raw.size(); block += BLOCK_SIZE) {
        const int end = qMin(raw.size(), block + BLOCK_SIZE);
        if (end - block < 10)
            continue;   // too short for a time and one sample
        const QDate date(2000 + from_bcd(at(block + 2)), from_bcd(at(block + 3)), from_bcd(at(block + 4)));
        const QTime time(from_bcd(at(block + 5)), from_bcd(at(block + 6)), from_bcd(at(block + 7)));
        const QDateTime start(date, time, Qt::OffsetFromUTC, clock_offset);
        if (!start.isValid()) {
            qDebug() << "record block at" << block << "has no valid time:"
                     << raw.mid(block + 2, 6).toHex(' ');
            continue;
        }
        const uint32_t t = uint32_t(start.toSecsSinceEpoch());
        for (int j = 0; j < SAMPLES_PER_BLOCK; ++j) {
            const int pos = block + 8 + 2 * j;
            if (pos + 1 >= end)
                break;
            const quint16 w = quint16(at(pos) | at(pos + 1) << 8);
            if (w == 0)
                break;
            records[t + uint32_t(2 * j)] = float(w) / 10.0f;
        }
    }
    return records;
}
