#include "usb_helper_link.h"

#include "common/app_env.h"
#include "usb_help/hid_interdace.h"
#include "usb_help/usb_helper.h"

#include <QDebug>

namespace {
QString wide(const wchar_t *s)
{
    return s ? QString::fromWCharArray(s) : QString();
}

// A timer in a thread of its own, started with the thread.
void make_timer_thread(QThread *&thread, QTimer *&timer, int interval_ms)
{
    thread = new QThread();
    timer = new QTimer();
    timer->setInterval(interval_ms);
    timer->moveToThread(thread);
    QObject::connect(thread, &QThread::started, timer, QOverload<>::of(&QTimer::start));
    // The timer belongs to the thread: stop it there as the thread ends.
    QObject::connect(thread, &QThread::finished, timer, &QTimer::stop, Qt::DirectConnection);
}

void end_timer_thread(QThread *&thread, QTimer *&timer)
{
    if (thread) {
        thread->quit();
        thread->wait();
    }
    delete timer;
    delete thread;
    timer = nullptr;
    thread = nullptr;
}
}

bool USB_HELPER::Receiver::step(uint8_t byte, uint8_t &cmd, uint8_t &length, QVector<quint16> &words)
{
    const uint8_t before = parse_state;
    rt_words.clear();
    save_words.clear();
    HID_DATA_PROCESS::frame_parse(byte);
    if ((before == 4 || before == 20) && parse_state != 0 && byte > max_frame_length) {
        // Longer than a report: noise, not a frame. Search on.
        parse_state = 0;
        frame_index = 0;
        return false;
    }
    // Only the last byte of a frame takes the machine from 5 or 21 back to 0.
    if (!((before == 5 || before == 21) && parse_state == 0))
        return false;
    cmd = frame_buf[2];
    length = frame_buf[3];
    // A wrong sum was reported and dropped by the machine already.
    if (check_sum(reinterpret_cast<const char *>(frame_buf), uint16_t(length + 1)) != frame_buf[length + 1])
        return false;
    words = cmd == 1 ? QVector<quint16>(rt_words.begin(), rt_words.end()) : save_words;
    return true;
}

USB_HELPER::USB_HELPER() : QThread(nullptr) {}

USB_HELPER::~USB_HELPER()
{
    stop();
    quit();
    wait();
    // The receive thread first: it is the one that starts the over-time thread.
    end_timer_thread(rx_thread, rx_timer);
    end_timer_thread(plug_thread, plug_timer);
    end_timer_thread(overtime_thread, overtime_timer);
    {
        std::lock_guard<std::mutex> lock(state_mutex);
        close_device();
    }
    hid_exit();
}

void USB_HELPER::stop()
{
    stop_flag.set();
}

void USB_HELPER::run()
{
    // The flag is not cleared here: the destructor may have set it already,
    // and would then wait for this loop for ever.
    if (stop_flag)
        return;

    make_timer_thread(overtime_thread, overtime_timer, overtime_ms);
    connect(overtime_timer, &QTimer::timeout, this, &USB_HELPER::over_time_slot, Qt::DirectConnection);

    make_timer_thread(rx_thread, rx_timer, rx_interval_ms);
    connect(rx_timer, &QTimer::timeout, this, &USB_HELPER::receive_data_slot, Qt::DirectConnection);
    rx_thread->start();

    hot_pulg_check_slot();
    if (stop_flag)
        return;

    make_timer_thread(plug_thread, plug_timer, plug_interval_ms);
    connect(plug_timer, &QTimer::timeout, this, &USB_HELPER::hot_pulg_check_slot, Qt::DirectConnection);
    plug_thread->start();

    while (!stop_flag.wait(1000)) {
    }
}

void USB_HELPER::hot_pulg_check_slot()
{
    QVector<QString> paths, names;
    bool from_pair_b = false;
    const bool searched = find_supported_devices(paths, names, &from_pair_b);
    if (from_pair_b)
        single_byte_mode = true;
    {
        std::lock_guard<std::mutex> lock(state_mutex);
        path_list = paths;
        name_list = names;
    }
    if (searched)
        connect_check();
}

void USB_HELPER::close_device()
{
    if (device)
        hid_close(device);
    device = nullptr;
    writer.set_device(nullptr);
    connected = false;
}

void USB_HELPER::connect_check()
{
    bool report = true;
    int status = -1;
    {
        std::lock_guard<std::mutex> lock(state_mutex);
        if (connected && !path_list.isEmpty()) {
            if (path_list.contains(device_path)) {
                status = 0;
            } else {
                status = 1;
                close_device();
                qDebug() << "device lose connect,but has other device";
            }
        } else if (connected) {
            const QString error = wide(hid_error(device));
            qDebug() << "error" << error;
            if (error.isEmpty()) {
                report = false;
            } else {
                close_device();
                hid_exit();
                qDebug() << "device lose connect";
            }
        } else if (path_list.isEmpty()) {
            status = -1;
        } else {
            report = false;
            for (int i = 0; i < path_list.size(); ++i) {
                hid_init();
                hid_device *opened = hid_open_path(path_list[i].toLatin1().constData());
                if (!opened)
                    continue;
                qDebug() << "hid link success fffffffffffffffS";
                device = opened;
                writer.set_device(opened);
                device_path = path_list[i];
                production_name = name_list[i];
                qDebug().noquote() << production_name;
                connected = true;
                report = true;
                status = 0;
                break;
            }
        }
    }
    if (report)
        emit HID_connect_status(status);
}

bool USB_HELPER::is_device_present()
{
    std::lock_guard<std::mutex> lock(state_mutex);
    return !device_path.isEmpty() && path_list.contains(device_path);
}

QString USB_HELPER::production() const
{
    std::lock_guard<std::mutex> lock(state_mutex);
    return production_name;
}

void USB_HELPER::send_report(const char *frame, int length)
{
    if (!frame || length <= 0)
        return;
    std::lock_guard<std::mutex> lock(state_mutex);
    if (connected)
        writer.usb_write(frame, length);
}

QByteArray USB_HELPER::get_time_bcd()
{
    const QDateTime now = app_env::now();
    return HID_INTERDACE::utc8_bcd(now, now.offsetFromUtc());
}

void USB_HELPER::HID_wirte(int command)
{
    QByteArray frame;
    if (single_byte_mode) {
        if (command == 1)
            frame = QByteArray(1, char(0xB3));
    } else if (command == 3) {
        frame = QByteArray::fromHex("AA55030A") + get_time_bcd();
        frame.append(char(HID_DATA_PROCESS::check_sum(frame.constData(), uint16_t(frame.size()))));
    } else if (command >= 0 && command <= 2) {
        frame = HID_INTERDACE::command_frame(command);
    }
    send_report(frame.constData(), frame.size());
}

void USB_HELPER::HID_wirte(int command, int data1, int data2)
{
    if (command != 4)
        return;
    const QByteArray frame = HID_INTERDACE::command4_frame(data1, data2);
    send_report(frame.constData(), frame.size());
}

void USB_HELPER::receive_data_slot()
{
    int n;
    {
        std::lock_guard<std::mutex> lock(state_mutex);
        if (!connected || !device)
            return;
        // Under the lock, so connect_check cannot close the device mid-read.
        n = hid_read_timeout(device, report_buf, sizeof report_buf, read_timeout_ms);
    }
    // Only the bytes read: a short report must not re-parse old ones.
    for (int i = 0; i < n && i < int(sizeof report_buf); ++i)
        frame_parse(report_buf[i]);
}

void USB_HELPER::frame_parse(uint8_t byte)
{
    if (single_byte_mode)
        return;
    uint8_t cmd, length;
    QVector<quint16> words;
    if (receiver.step(byte, cmd, length, words))
        data_analysis(cmd, length, words);
}

void USB_HELPER::data_analysis(uint8_t cmd, uint8_t length, const QVector<quint16> &words)
{
    if (cmd == 1) {
        {
            std::lock_guard<std::mutex> lock(list_mutex);
            for (quint16 w : words)
                rt_list.enqueue(w);
        }
        emit HID_get_rt_data();
        return;
    }
    {
        std::lock_guard<std::mutex> lock(list_mutex);
        for (quint16 w : words)
            read_list.enqueue(w);
    }
    if (length <= last_save_frame_length) {
        // The upload is complete: no over-time signal follows it.
        end_overtime();
        emit HID_get_save_data();
        qDebug() << " receive complete";
    } else {
        restart_overtime();
    }
}

void USB_HELPER::restart_overtime()
{
    std::lock_guard<std::mutex> lock(overtime_mutex);
    if (!overtime_thread)
        return;
    if (overtime_active) {
        QMetaObject::invokeMethod(overtime_timer, [t = overtime_timer] { t->start(); }, Qt::QueuedConnection);
        return;
    }
    // It may still be leaving after the last period ended it.
    overtime_thread->wait();
    overtime_active = true;
    overtime_thread->start();
}

void USB_HELPER::end_overtime()
{
    std::lock_guard<std::mutex> lock(overtime_mutex);
    if (overtime_active) {
        overtime_active = false;
        overtime_thread->quit();
    }
}

void USB_HELPER::over_time_slot()
{
    {
        std::lock_guard<std::mutex> lock(overtime_mutex);
        // The last frame came just before and ended the upload already.
        if (!overtime_active)
            return;
        overtime_active = false;
        overtime_thread->quit();
    }
    emit HID_get_save_data();
    qDebug() << "over time";
}

QQueue<quint16> USB_HELPER::take_rt_list()
{
    std::lock_guard<std::mutex> lock(list_mutex);
    QQueue<quint16> out;
    out.swap(rt_list);
    return out;
}

QQueue<quint16> USB_HELPER::take_read_list()
{
    std::lock_guard<std::mutex> lock(list_mutex);
    QQueue<quint16> out;
    out.swap(read_list);
    return out;
}
