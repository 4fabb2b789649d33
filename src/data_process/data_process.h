#ifndef DATA_PROCESS_H
#define DATA_PROCESS_H

#include <QQueue>
#include <QVector>
#include <cstdint>

// Finds answer frames 55 AA cmd L payload sum in the input reports of a HID
// instrument, checks their sum and collects their little-endian 16-bit
// words: command 1 (real time) into rt_words, command 2 (stored records)
// into save_words. The machine keeps its state between reports, so a frame
// may straddle two of them. One thread per object.
class HID_DATA_PROCESS
{
public:
    HID_DATA_PROCESS();

    // Empties both word lists, then steps the machine with each byte
    // (unless held).
    void data_receive(const char *report, uint8_t len);
    // One step of the byte machine.
    void frame_parse(uint8_t byte);
    // The same, but only while not held.
    void frame_parse_unless_held(uint8_t byte);
    // Checks the complete frame at the start of the 256-byte buffer and
    // collects its words.
    void data_analysis(uint8_t *frame);
    // Low 8 bits of the sum of len bytes.
    static uint8_t check_sum(const char *data, uint16_t len);
    void set_hold(uint8_t value);
    QQueue<quint16> get_rt_words() const;
    QVector<quint16> get_save_words() const;

protected:
    uint8_t hold = 0;
    uint8_t parse_state = 0;
    uint8_t frame_index = 0;
    uint8_t frame_buf[256] = {};
    uint8_t frame_remaining = 0;
    QQueue<quint16> rt_words;
    QVector<quint16> save_words;

private:
    void reset();
};

#endif
