#include "hid_interdace.h"

#include "common/app_env.h"
#include "usb_help/utc_zone.h"

#include <QDateTime>
#include <QDebug>
#include <QElapsedTimer>
#include <QMetaType>
#include <QTimeZone>

namespace {
uint8_t bcd(int v)
{
    return uint8_t(((v / 10) << 4) | (v % 10));
}

QString wide(const wchar_t *s)
{
    return s ? QString::fromWCharArray(s) : QString();
}

QByteArray with_sum(QByteArray frame)
{
    frame.append(char(HID_DATA_PROCESS::check_sum(frame.constData(), uint16_t(frame.size()))));
    return frame;
}
}

HID_INTERDACE::HID_INTERDACE() : QThread(nullptr)
{
    qRegisterMetaType<QQueue<quint16>>("QQueue<quint16>");
    qRegisterMetaType<QVector<QString>>("QVector<QString>");

    states = new LinkStates(this);
    connect(states, &LinkStates::state, this, &HID_INTERDACE::HID_status_update);
}

HID_INTERDACE::~HID_INTERDACE()
{
    stop();
    plug_loop.stop();
    quit();
    wait();
    {
        std::lock_guard<std::mutex> lock(dev_mutex);
        if (device) {
            hid_close(device);
            device = nullptr;
        }
        handle = nullptr;
        connected = false;
        retired.close_all();
    }
    hid_exit();
}

void HID_INTERDACE::stop()
{
    {
        std::lock_guard<std::mutex> lock(stop_mutex);
        stop_flag = true;
    }
    stop_cv.notify_all();
}

bool HID_INTERDACE::wait_stop(int ms)
{
    std::unique_lock<std::mutex> lock(stop_mutex);
    return stop_cv.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stop_flag.load(); });
}

void HID_INTERDACE::set_device_name(const QString &name)
{
    device_name = name;
}

void HID_INTERDACE::hid_connect(QString path)
{
    hid_init();
    hid_device *opened = hid_open_path(path.toLatin1().constData());
    if (!opened)
        return;
    {
        std::lock_guard<std::mutex> lock(dev_mutex);
        retire_device();
        device = opened;
        handle = opened;
        device_path = path;
        connected = true;
        health.new_handle(opened);
        // Hot-plug states decided before this moment are stale now.
        states->connected_directly();
    }
    qDebug() << "hid link success yyyyyyyyyyyyyyyyyy";
    emit HID_status_update(0);
}

void HID_INTERDACE::retire_device()
{
    retired.add(device);
    device = nullptr;
    handle = nullptr;
}

void HID_INTERDACE::close_retired()
{
    std::lock_guard<std::mutex> lock(dev_mutex);
    retired.close_all();
}

void HID_INTERDACE::drop_dead_device(hid_device *dev)
{
    std::lock_guard<std::mutex> lock(dev_mutex);
    drop_dead_locked(dev);
}

void HID_INTERDACE::drop_dead_locked(hid_device *dev)
{
    if (!dev || device != dev)
        return;   // replaced meanwhile
    connected = false;
    retire_device();
    health.dropped();
    states->dead_handle();
}

void HID_INTERDACE::confirm_device(hid_device *dev)
{
    if (!states->awaiting())
        return;
    std::lock_guard<std::mutex> lock(dev_mutex);
    if (device == dev)
        states->answered();
}

QByteArray HID_INTERDACE::get_time_bcd()
{
    const QDateTime now = app_env::now();
    int offset = now.offsetFromUtc();
    // A PC kept on UTC is taken to show the instruments' own zone already.
    if (utc_zone::is_utc(now.timeZone(), now))
        offset = QTimeZone("Asia/Shanghai").offsetFromUtc(now);
    return utc8_bcd(now, offset);
}

QByteArray HID_INTERDACE::utc8_bcd(const QDateTime &now, int offset)
{
    const QDateTime wall = QDateTime(now.date(), now.time(), Qt::UTC).addSecs(28800 - offset);
    const QDate d = wall.date();
    const QTime t = wall.time();
    QByteArray out;
    out.append(char(bcd(t.second())));
    out.append(char(bcd(t.minute())));
    out.append(char(bcd(t.hour())));
    out.append(char(bcd(d.dayOfWeek())));
    out.append(char(bcd(d.day())));
    out.append(char(bcd(d.month())));
    out.append(char(bcd(uint16_t(d.year() - 2000) % 100)));
    return out;
}

QByteArray HID_INTERDACE::command_frame(int cmd)
{
    switch (cmd) {
    case 0:
        return QByteArray::fromHex("AA55000302");
    case 1:
        return QByteArray::fromHex("AA55010303");
    case 2:
        return QByteArray::fromHex("AA55020304");
    case 3:
        return with_sum(QByteArray::fromHex("AA55030A") + get_time_bcd());
    case 6:
        return with_sum(QByteArray::fromHex("AA550603"));
    default:
        return QByteArray();
    }
}

QByteArray HID_INTERDACE::command4_frame(int data, int data2)
{
    QByteArray frame = QByteArray::fromHex("AA550405");
    frame.append(char(data & 0xFF));
    frame.append(char(data2 & 0xFF));
    return with_sum(frame);
}

void HID_INTERDACE::write_frame(const QByteArray &frame)
{
    if (frame.isEmpty())
        return;
    std::lock_guard<std::mutex> lock(dev_mutex);
    if (!connected)
        return;
    if (usb_write(frame.constData(), frame.size()) >= 0) {
        health.succeeded(HandleHealth::Write, device);
        return;
    }
    // A command lost; writes that keep failing are a dead handle, as reads are.
    const HandleHealth::Failure f = health.failed(HandleHealth::Write, device);
    if (f.starts_spell)
        qDebug().noquote() << "hid write failed:" << wide(hid_error(device)) << frame.toHex(' ');
    if (f.dead)
        drop_dead_locked(device);
}

void HID_INTERDACE::HID_interface_cmd(int cmd)
{
    // An upload nothing will answer ends here; the reader must never see it
    // begun, or it would end it a second time.
    const bool unanswered_upload = cmd == 2 && !connected;
    {
        std::lock_guard<std::mutex> lock(data_mutex);
        last_cmd = unanswered_upload ? 0 : uint8_t(cmd);
        save_queue.clear();
        command_clock.start();
    }
    if (unanswered_upload) {
        // Reported after the caller has opened its waiting box.
        qDebug() << "upload requested while not connected";
        QMetaObject::invokeMethod(this, [this] { emit not_get_any_data(); }, Qt::QueuedConnection);
        return;
    }
    write_frame(command_frame(cmd));
}

void HID_INTERDACE::HID_interface_cmd(int cmd, int data, int data2)
{
    if (cmd != 4)
        return;
    write_frame(command4_frame(data, data2));
}

void HID_INTERDACE::run()
{
    {
        // Not once the destructor has begun: it would not wait for it.
        std::lock_guard<std::mutex> lock(stop_mutex);
        if (stop_flag)
            return;
        plug_loop.start();
    }
    while (!stop_flag) {
        close_retired();
        if (connected) {
            hid_receive();
        } else {
            // An upload asked for just before the device went away gets no
            // read to end it.
            end_upload(false);
            wait_stop(1000);
        }
    }
}

void HID_INTERDACE::end_upload(bool after_silence)
{
    bool ended = false;
    QQueue<quint16> words;
    {
        std::lock_guard<std::mutex> lock(data_mutex);
        // A read that began before the command may time out just after it:
        // that is no silence of the instrument yet.
        if (last_cmd == 2 && after_silence && !command_clock.hasExpired(read_timeout_ms))
            return;
        if (last_cmd == 2) {
            ended = true;
            words = save_queue;
            last_cmd = 0;
        }
    }
    if (!ended)
        return;
    if (words.isEmpty())
        emit not_get_any_data();
    else
        emit HID_get_save_data(words);
}

void HID_INTERDACE::hid_receive()
{
    if (!connected)
        return;
    hid_device *dev;
    {
        std::lock_guard<std::mutex> lock(dev_mutex);
        dev = device;
    }
    int n = -1;
    if (dev)
        n = hid_read_timeout(dev, report_buf, sizeof report_buf, read_timeout_ms);

    if (n >= 0 && health.succeeded(HandleHealth::Read, dev))
        confirm_device(dev);
    if (n > 0) {
        set_hold(0);
        // Only the bytes read: a short report must not re-parse old ones.
        data_receive(reinterpret_cast<const char *>(report_buf), uint8_t(n > 64 ? 64 : n));
        const QQueue<quint16> rt = get_rt_words();
        if (!rt.isEmpty())
            emit HID_get_rt_data(rt);
        const QVector<quint16> saved = get_save_words();
        if (!saved.isEmpty()) {
            std::lock_guard<std::mutex> lock(data_mutex);
            for (quint16 w : saved)
                save_queue.enqueue(w);
        }
        return;
    }

    // Silence, a failed read or no device: an upload in progress is over.
    end_upload(n == 0);

    if (n < 0 || !dev) {
        // One failed read is no loss; a run of them is a dead handle. A
        // failing device answers at once: don't spin on it meanwhile.
        const HandleHealth::Failure f = health.failed(HandleHealth::Read, dev);
        if (f.starts_spell)
            qDebug().noquote() << "hid read failed:" << (dev ? wide(hid_error(dev)) : QString("no device"));
        if (f.dead)
            drop_dead_device(dev);
        wait_stop(plug_interval_ms);
    }
}

void HID_INTERDACE::hot_pulg_check_slot()
{
    plug_paths.clear();
    if (hid_init() < 0) {
        qDebug() << "hid init failed";
        return;
    }
    const std::pair<unsigned short, unsigned short> pairs[] = {
        {usb_ids::vendor_a, usb_ids::product_a}, {usb_ids::vendor_b, usb_ids::product_b}};
    for (const auto &p : pairs) {
        hid_device_info *devs = hid_enumerate(p.first, p.second);
        for (hid_device_info *d = devs; d; d = d->next)
            plug_paths.append(QString::fromLatin1(d->path ? d->path : ""));
        hid_free_enumeration(devs);
    }

    // Decided and posted under the lock, so states leave in the order decided.
    std::lock_guard<std::mutex> lock(dev_mutex);
    if (!plug_paths.contains(device_path)) {
        connected = false;
        retire_device();
        health.gone();
        states->gone();
        states->post(1);
    } else if (!connected && health.may_reopen()) {
        hid_device *opened = hid_open_path(device_path.toLatin1().constData());
        if (opened) {
            retire_device();
            device = opened;
            handle = opened;
            connected = true;
            health.new_handle(opened);
            states->reopened();
        }
    }
}
