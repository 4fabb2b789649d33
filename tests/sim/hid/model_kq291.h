#ifndef MODEL_KQ291_H
#define MODEL_KQ291_H

// Simulated KQ291 sound level meter: single command bytes in, raw 64-byte
// reports out. Its stored records are blocks of up to 60 samples, each
// block one entry of the date index; a range request returns the blocks of
// that range as 128-byte blocks split over 64-byte reports, the
// instrument's last block cut short when it holds few samples.

#include "hidsim.h"

#include <mutex>

namespace hidsim {

class Kq291Instrument : public Instrument
{
public:
    struct Block
    {
        int year, month, day, hour, minute, second;   // wall clock, year from 2000
        std::vector<uint16_t> samples;                // tenths of a dB, at most 60
    };

    Kq291Instrument();   // record sets on three dates

    std::vector<Bytes> on_write(const Bytes &report) override;

    void set_level(uint16_t tenths);
    void set_blocks(const std::vector<Block> &blocks);
    std::vector<Block> blocks() const;
    // No answer at all to the record count request.
    void set_count_silent(bool silent);
    // This many count requests are answered with a report not beginning EF.
    void set_bad_count_answers(int n);
    // The six BCD bytes of the last clock command (empty if none) and the byte after them.
    Bytes last_clock() const;
    bool cleared() const;

    static Bytes block_bytes(const Block &b, bool short_block);

private:
    mutable std::mutex m_mutex;
    uint16_t m_level = 523;
    std::vector<Block> m_blocks;
    bool m_count_silent = false;
    int m_bad_count_answers = 0;
    Bytes m_clock;
    bool m_cleared = false;
};

}

#endif
