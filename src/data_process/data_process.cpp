#include "data_process.h"

#include <QDebug>

namespace {
// A frame is at least cmd, L and sum (L = 3), and must fit the 256-byte
// buffer with its two header bytes (L = 254). Other length bytes are noise.
constexpr uint8_t min_length = 3;
constexpr uint8_t max_length = 254;
}

HID_DATA_PROCESS::HID_DATA_PROCESS() = default;

void HID_DATA_PROCESS::reset()
{
    parse_state = 0;
    frame_index = 0;
}

void HID_DATA_PROCESS::data_receive(const char *report, uint8_t len)
{
    rt_words.clear();
    save_words.clear();
    if (hold || !report)
        return;
    for (uint8_t i = 0; i < len; ++i)
        frame_parse(static_cast<uint8_t>(report[i]));
}

void HID_DATA_PROCESS::frame_parse_unless_held(uint8_t byte)
{
    if (!hold)
        frame_parse(byte);
}

void HID_DATA_PROCESS::frame_parse(uint8_t byte)
{
    // frame_index is 8 bits wide, so this store stays inside the buffer.
    frame_buf[frame_index] = byte;
    switch (parse_state) {
    case 0:
        if (byte == 0x55) {
            ++frame_index;
            parse_state = 1;
        } else {
            reset();
        }
        break;
    case 1:
        if (byte == 0xAA) {
            ++frame_index;
            parse_state = 3;
        } else {
            reset();
        }
        break;
    case 3:
        // Answers to other commands are skipped byte by byte until a 01 or 02.
        if (byte == 0x01) {
            ++frame_index;
            parse_state = 4;
        } else if (byte == 0x02) {
            ++frame_index;
            parse_state = 20;
        }
        break;
    case 4:
    case 20:
        if (byte < min_length || byte > max_length) {
            // Such a frame would wrap round the buffer: drop it and search on.
            reset();
            break;
        }
        ++frame_index;
        frame_remaining = static_cast<uint8_t>(byte - 2);
        parse_state = parse_state == 4 ? 5 : 21;
        break;
    case 5:
    case 21:
        ++frame_index;
        if (--frame_remaining == 0) {
            data_analysis(frame_buf);
            reset();
        }
        break;
    default:
        reset();
        break;
    }
}

void HID_DATA_PROCESS::data_analysis(uint8_t *frame)
{
    const uint8_t len = frame[3];
    if (len < min_length || len > max_length)
        return;
    const uint8_t received = frame[len + 1];
    const uint8_t computed = check_sum(reinterpret_cast<const char *>(frame), uint16_t(len + 1));
    if (received != computed) {
        qDebug("check num error checksum = %d", received);
        return;
    }
    if (len <= 4)
        return;
    const int words = (len - 3) / 2;
    QVector<quint16> *save = nullptr;
    QQueue<quint16> *rt = nullptr;
    if (frame[2] == 1)
        rt = &rt_words;
    else if (frame[2] == 2)
        save = &save_words;
    else
        return;
    for (int i = 0; i < words; ++i) {
        const quint16 w = quint16(frame[4 + 2 * i] | (frame[5 + 2 * i] << 8));
        if (rt)
            rt->append(w);
        else
            save->append(w);
    }
}

uint8_t HID_DATA_PROCESS::check_sum(const char *data, uint16_t len)
{
    uint8_t sum = 0;
    for (uint16_t i = 0; i < len; ++i)
        sum = uint8_t(sum + static_cast<uint8_t>(data[i]));
    return sum;
}

void HID_DATA_PROCESS::set_hold(uint8_t value)
{
    hold = value;
}

QQueue<quint16> HID_DATA_PROCESS::get_rt_words() const
{
    return rt_words;
}

QVector<quint16> HID_DATA_PROCESS::get_save_words() const
{
    return save_words;
}
