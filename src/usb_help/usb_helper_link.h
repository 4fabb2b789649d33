#ifndef USB_HELPER_LINK_H
#define USB_HELPER_LINK_H

#include "data_process/data_process.h"
#include "usb_help/stop_flag.h"
#include "usb_help/usb_operate.h"

#include <QByteArray>
#include <QQueue>
#include <QString>
#include <QThread>
#include <QTimer>
#include <QVector>

#include <hidapi.h>

#include <atomic>
#include <cstdint>
#include <mutex>

// The older HID link: finds the first supported instrument by its product
// string itself, follows it once a second, writes the command frames and
// collects the words of the answer frames in two lists that receivers take
// from after HID_get_rt_data() / HID_get_save_data().
//
// Threads: run() (the link's own), a receive thread polling every 2 ms, a
// hot-plug thread every 1000 ms, and an over-time thread that ends an upload
// 2 s after its last stored frame; commands come from the caller's thread.
// The device, its path and the link state are guarded by `state_mutex` (a
// read holds it for its 1 ms, so the device is never closed under a reader),
// the word lists by `list_mutex`, the over-time thread by `overtime_mutex`.
class USB_HELPER : public QThread
{
    Q_OBJECT
public:
    static constexpr int rx_interval_ms = 2;
    static constexpr int read_timeout_ms = 1;
    static constexpr int plug_interval_ms = 1000;
    static constexpr int overtime_ms = 2000;
    // The longest frame the instrument sends fills one 64-byte report.
    static constexpr int max_frame_length = 62;
    // A stored-record frame this short is the last of an upload.
    static constexpr int last_save_frame_length = 58;

    USB_HELPER();
    ~USB_HELPER() override;

    // Opens the first listed device, or checks the open one is still there,
    // and reports the link state.
    void connect_check();
    void stop();
    bool is_device_present();
    // Report id 0 and the frame, padded to the report size; only while
    // connected.
    void send_report(const char *frame, int length);
    // Second, minute, hour, weekday, day, month, year-2000 in BCD: UTC+8 wall
    // time of app_env::now(), from the PC zone's own offset.
    static QByteArray get_time_bcd();
    // One byte of an input report (ignored in single-byte mode).
    void frame_parse(uint8_t byte);

    // Product string of the open device.
    QString production() const;
    // The words collected so far, emptying the list.
    QQueue<quint16> take_rt_list();
    QQueue<quint16> take_read_list();

public slots:
    void hot_pulg_check_slot();
    void receive_data_slot();
    void HID_wirte(int command);
    void HID_wirte(int command, int data1, int data2);
    void over_time_slot();

signals:
    void HID_not_connect();
    void HID_check_new_device();
    void HID_connected();
    void HID_connect_status(int status);
    void HID_get_rt_data();
    void HID_get_save_data();

protected:
    void run() override;

private:
    // The shared answer-frame machine, told which byte completes a frame.
    class Receiver : public HID_DATA_PROCESS
    {
    public:
        // Steps the machine; true when the byte completed a frame whose sum
        // is right: its command byte, length byte and words are given back.
        bool step(uint8_t byte, uint8_t &cmd, uint8_t &length, QVector<quint16> &words);
    };

    // A checked frame: its words to the lists, its signal.
    void data_analysis(uint8_t cmd, uint8_t length, const QVector<quint16> &words);
    void close_device();              // state_mutex held
    void restart_overtime();
    void end_overtime();

    StopFlag stop_flag;
    std::atomic<bool> single_byte_mode{false};
    QThread *rx_thread = nullptr;
    QTimer *rx_timer = nullptr;
    QThread *plug_thread = nullptr;
    QTimer *plug_timer = nullptr;
    QThread *overtime_thread = nullptr;
    QTimer *overtime_timer = nullptr;

    mutable std::mutex state_mutex;
    hid_device *device = nullptr;
    USB_OPERATE writer;               // writes to `device`
    QVector<QString> path_list;
    QVector<QString> name_list;
    QString device_path;
    std::atomic<bool> connected{false};
    QString production_name;

    uint8_t report_buf[64] = {};      // receive thread only
    Receiver receiver;                // receive thread only

    std::mutex list_mutex;
    QQueue<quint16> rt_list;
    QQueue<quint16> read_list;

    std::mutex overtime_mutex;
    bool overtime_active = false;
};

#endif
