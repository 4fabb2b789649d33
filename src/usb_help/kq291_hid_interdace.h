#ifndef KQ291_HID_INTERDACE_H
#define KQ291_HID_INTERDACE_H

#include "data_process/data_process.h"
#include "usb_help/link_guard.h"
#include "usb_help/plug_loop.h"
#include "usb_help/usb_operate.h"

#include <QByteArray>
#include <QDateTime>
#include <QElapsedTimer>
#include <QMap>
#include <mutex>
#include <QQueue>
#include <QString>
#include <QThread>
#include <QVector>

#include <hidapi.h>

#include <atomic>
#include <cstdint>

// Link of the KQ291 sound level meter. The instrument takes single command
// bytes and answers with raw 64-byte reports (no header, no sum); stored
// records come in two stages: the record count and a date index, then the
// record blocks of one range.
//
// Threads: commands are written from the GUI thread and, for the follow-up
// requests after the record count, from the reader thread; the hot-plug
// check runs in a thread of its own. Everything the threads share is either
// atomic or guarded by `state_mutex`, and signals leave the link threads
// queued. The link shows nothing itself.
class KQ291_HID_INTERDACE : public QThread, public USB_OPERATE, public HID_DATA_PROCESS
{
    Q_OBJECT
public:
    static constexpr int READ_TIMEOUT_MS = 1000;
    static constexpr int REPORT_SIZE = 64;
    static constexpr int BLOCK_SIZE = 128;
    static constexpr int SAMPLES_PER_BLOCK = 60;
    // Count requests written for one upload before it is given up.
    static constexpr int MAX_COUNT_REQUESTS = 4;
    // Silence after a count request before the upload is given up, while
    // the instrument stays connected (it ends at once when it goes).
    static constexpr int COUNT_WAIT_MS = 5000;

    KQ291_HID_INTERDACE();
    ~KQ291_HID_INTERDACE() override;

    void hid_connect(QString path);
    void stop();
    bool is_connected() const { return connected.load(); }

    // Offset from UTC, in seconds, of the wall clock the instrument keeps:
    // UTC+8, except on a PC kept on UTC (under any of its names), whose
    // clock is sent unchanged.
    static int instrument_clock_offset();
    // Second, minute, hour, day, month, year - 2000 as BCD bytes of the
    // instrument's wall clock at the instant `now`.
    static QByteArray clock_bcd(const QDateTime &now);
    // "yy-MM-dd" dates of a date-index answer: BCD triples yy MM dd running
    // on across report boundaries; a triple holding a zero byte is no entry.
    static QVector<QString> decode_date_index(const QByteArray &raw);
    // Samples of 128-byte record blocks, keyed by seconds since 1970; the
    // block times are wall-clock times at `clock_offset` seconds east of UTC.
    static QMap<uint32_t, float> decode_records(const QByteArray &raw, int clock_offset);

public slots:
    void HID_interface_cmd(int cmd);
    void HID_interface_cmd(int cmd, int data, int data2);
    void receive_overtime_slot();
    void hot_pulg_check_slot();

signals:
    void HID_status_update(int status);
    void HID_get_rt_data(QQueue<quint16> rt_data);
    void get_save_data_index(QVector<QString> save_data);
    void HID_get_save_data_cnt(int num);
    void get_save_data(QMap<uint32_t, float> data);
    void not_get_any_data();
    // After the clock command while connected: whether the report was written.
    void clock_sync_done(bool written);

protected:
    void run() override;

private:
    // What a receive step has to report, emitted once no lock is held.
    struct Outcome
    {
        enum { NOTHING, REALTIME, COUNT, GIVE_UP, FINISH } kind = NOTHING;
        quint16 word = 0;
        int count = 0;
        uint8_t finished_cmd = 0;
        QByteArray raw;
    };
    void hid_receive();
    // `state_mutex` held: the instrument fell silent or went. A date index
    // or record range ends with what came; a count request only when
    // give_up_count.
    Outcome settle_locked(bool give_up_count);
    void deliver(const Outcome &out);
    // Both need `state_mutex` held.
    bool write_locked(const QByteArray &bytes);
    bool send_command_locked(int cmd);
    // Decodes what a date-index or record answer collected and emits it.
    void finish_collection(uint8_t cmd, const QByteArray &raw);
    // `state_mutex` held: a new handle (or none); the old one is retired.
    void set_handle(hid_device *dev);
    void close_retired();
    // Reader thread: see HID_INTERDACE.
    void drop_dead_device(hid_device *dev);
    void drop_dead_locked(hid_device *dev);   // state_mutex held
    void confirm_device(hid_device *dev);

    std::atomic<bool> stop_flag{false};
    std::atomic<bool> connected{false};
    uint8_t last_cmd = 0;
    std::atomic<hid_device *> device{nullptr};
    QString device_path;
    QVector<QString> plug_paths;
    QVector<QString> date_index;
    unsigned char report_buf[REPORT_SIZE] = {};
    QByteArray raw_reports;

    // Guards last_cmd, date_index, raw_reports, device_path, handle,
    // count_requests, last_activity and every write to the device.
    mutable std::mutex state_mutex;
    int count_requests = 0;
    QElapsedTimer last_activity;      // last command written or report read
    // Replaced or vanished handles, closed by the reader between reads.
    RetiredHandles retired;
    // States are posted with `state_mutex` held.
    LinkStates *states = nullptr;
    HandleHealth health;
    // Last: its pass uses the members above.
    PlugLoop plug_loop{100, [this] { hot_pulg_check_slot(); }};
};

#endif
