#ifndef HID_INTERDACE_H
#define HID_INTERDACE_H

#include "data_process/data_process.h"
#include "usb_help/link_guard.h"
#include "usb_help/plug_loop.h"
#include "usb_help/usb_operate.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QQueue>
#include <QString>
#include <QThread>
#include <QVector>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

// Link between one model window and one HID instrument that speaks the
// command-frame protocol. Commands are written from the caller's thread;
// the link's own thread reads the answers, and a second thread checks every
// 100 ms that the device is still there (and reopens it when it returns, or
// when reads or writes on its handle kept failing).
// Signals from those threads reach the window queued.
class HID_INTERDACE : public QThread, public USB_OPERATE, public HID_DATA_PROCESS
{
    Q_OBJECT
public:
    static constexpr int read_timeout_ms = 2000;
    static constexpr int plug_interval_ms = 100;

    HID_INTERDACE();
    ~HID_INTERDACE() override;

    // Opens the instrument at path; on success reports state 0 at once.
    void hid_connect(QString path);
    void set_device_name(const QString &name);
    void stop();
    // One receive step of the reader thread.
    void hid_receive();

    // The frame a one-argument command writes (empty for codes without one).
    static QByteArray command_frame(int cmd);
    // The unit/weighting/mode frame of command 4.
    static QByteArray command4_frame(int data, int data2);
    // Second, minute, hour, weekday, day, month, year-2000 in BCD: UTC+8
    // wall time of app_env::now().
    static QByteArray get_time_bcd();
    // The same bytes for the instant `now` of a PC whose zone is `offset`
    // seconds east of UTC.
    static QByteArray utc8_bcd(const QDateTime &now, int offset);

public slots:
    void HID_interface_cmd(int cmd);
    void HID_interface_cmd(int cmd, int data, int data2);
    void hot_pulg_check_slot();

signals:
    void HID_status_update(int status);
    void HID_get_rt_data(QQueue<quint16> rt_data);
    void HID_get_save_data(QQueue<quint16> save_data);
    void HID_receive_data_over();
    void not_get_any_data();
    void get_save_data_index(QVector<QString> save_data);

protected:
    void run() override;

private:
    bool wait_stop(int ms);
    void retire_device();          // dev_mutex held
    void close_retired();
    // Reads or writes on dev keep failing, so it is closed as if
    // unplugged; a later hot-plug pass reopens the path.
    void drop_dead_device(hid_device *dev);
    void drop_dead_locked(hid_device *dev);   // dev_mutex held
    // Reader thread: a read on dev worked; a reopen after a dead handle
    // counts as connected from here.
    void confirm_device(hid_device *dev);
    void write_frame(const QByteArray &frame);
    // Ends an upload in progress with its signal; after_silence: only once
    // the command is a read time-out old.
    void end_upload(bool after_silence);

    QString device_name;
    std::atomic<bool> stop_flag{false};
    std::atomic<bool> connected{false};

    // Device and path: taken by commands, the reader and the hot-plug
    // pass. Handles that vanished wait in `retired` until the reader is
    // done with them. States are posted under this lock.
    std::mutex dev_mutex;
    hid_device *device = nullptr;
    QString device_path;
    RetiredHandles retired;
    LinkStates *states = nullptr;

    QVector<QString> plug_paths;   // hot-plug thread only

    // Upload state: taken by commands and the reader.
    std::mutex data_mutex;
    uint8_t last_cmd = 0;
    QQueue<quint16> save_queue;
    QElapsedTimer command_clock;   // since the last one-argument command

    uint8_t report_buf[64] = {};
    HandleHealth health;

    std::mutex stop_mutex;
    std::condition_variable stop_cv;

    // Last: its passes use the members above.
    PlugLoop plug_loop{plug_interval_ms, [this] { hot_pulg_check_slot(); }};
};

#endif
