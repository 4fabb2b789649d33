#include "model_kq291.h"

#include "general_instrument.h"

HIDSIM_MODEL_FILE(model_kq291)

namespace hidsim {

namespace {

uint8_t bcd(int v) { return uint8_t((v / 10) % 10 << 4 | v % 10); }

// Splits a byte string into 64-byte reports, the last one zero-padded.
std::vector<Bytes> reports_of(const Bytes &bytes)
{
    std::vector<Bytes> out;
    for (size_t i = 0; i < bytes.size(); i += 64) {
        Bytes r(bytes.begin() + i, bytes.begin() + std::min(bytes.size(), i + 64));
        r.resize(64, 0);
        out.push_back(r);
    }
    return out;
}

std::vector<Kq291Instrument::Block> default_blocks()
{
    // 25 entries: the index runs over two reports, with an entry spanning them.
    std::vector<Kq291Instrument::Block> blocks;
    auto add = [&](int day, int hour, int minute, int n, uint16_t base) {
        Kq291Instrument::Block b{24, 3, day, hour, minute, 0, {}};
        for (int i = 0; i < n; ++i)
            b.samples.push_back(uint16_t(base + i));
        blocks.push_back(b);
    };
    for (int i = 0; i < 10; ++i)
        add(5, 9, i * 2, 60, uint16_t(400 + i));
    for (int i = 0; i < 12; ++i)
        add(6, 14, i * 2, 60, uint16_t(500 + i));
    for (int i = 0; i < 3; ++i)
        add(7, 8, i * 2, i == 2 ? 20 : 60, uint16_t(600 + i));
    return blocks;
}

}

Kq291Instrument::Kq291Instrument() : m_blocks(default_blocks()) {}

Bytes Kq291Instrument::block_bytes(const Block &b, bool short_block)
{
    Bytes out(short_block ? 64 : 128, 0);
    out[0] = 0x5A;   // not used by the host
    out[1] = 0xA5;
    const int fields[6] = {b.year, b.month, b.day, b.hour, b.minute, b.second};
    for (int i = 0; i < 6; ++i)
        out[2 + i] = bcd(fields[i]);
    for (size_t j = 0; j < b.samples.size() && 8 + 2 * j + 1 < out.size(); ++j) {
        out[8 + 2 * j] = uint8_t(b.samples[j]);
        out[9 + 2 * j] = uint8_t(b.samples[j] >> 8);
    }
    return out;
}

std::vector<Bytes> Kq291Instrument::on_write(const Bytes &report)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (report.size() < 2)
        return {};
    const uint8_t cmd = report[1];
    switch (cmd) {
    case 0xB3: {
        Bytes r(64, 0);
        r[0] = uint8_t(m_level >> 8);
        r[1] = uint8_t(m_level);
        return {r};
    }
    case 0xB5: {
        if (m_count_silent)
            return {};
        Bytes r(64, 0);
        if (m_bad_count_answers > 0) {
            --m_bad_count_answers;
            r[0] = 0x11;
            return {r};
        }
        uint32_t n = 0;
        for (const Block &b : m_blocks)
            n += uint32_t(b.samples.size());
        r[0] = 0xEF;
        r[1] = uint8_t(n >> 24);
        r[2] = uint8_t(n >> 16);
        r[3] = uint8_t(n >> 8);
        r[4] = uint8_t(n);
        return {r};
    }
    case 0xB4: {
        Bytes index;
        for (const Block &b : m_blocks) {
            index.push_back(bcd(b.year));
            index.push_back(bcd(b.month));
            index.push_back(bcd(b.day));
        }
        return reports_of(index);
    }
    case 0xC4: {
        if (report.size() < 10)
            return {};
        auto be32 = [&](size_t at) {
            return uint32_t(report[at]) << 24 | uint32_t(report[at + 1]) << 16
                 | uint32_t(report[at + 2]) << 8 | report[at + 3];
        };
        const uint32_t first = be32(2), last = be32(6);
        Bytes data;
        for (uint32_t pos = first; pos >= 1 && pos <= last && pos <= m_blocks.size(); ++pos) {
            const bool is_last = pos == m_blocks.size();
            const Bytes b = block_bytes(m_blocks[pos - 1], is_last && m_blocks[pos - 1].samples.size() <= 28);
            data.insert(data.end(), b.begin(), b.end());
        }
        return reports_of(data);
    }
    case 0x7C:
        m_clock.assign(report.begin() + 2, report.end());
        return {};
    case 0x8F:
        m_blocks.clear();
        m_cleared = true;
        return {};
    default:
        return {};
    }
}

void Kq291Instrument::set_level(uint16_t tenths)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_level = tenths;
}

void Kq291Instrument::set_blocks(const std::vector<Block> &blocks)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_blocks = blocks;
}

std::vector<Kq291Instrument::Block> Kq291Instrument::blocks() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_blocks;
}

void Kq291Instrument::set_count_silent(bool silent)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_count_silent = silent;
}

void Kq291Instrument::set_bad_count_answers(int n)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bad_count_answers = n;
}

Bytes Kq291Instrument::last_clock() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_clock;
}

bool Kq291Instrument::cleared() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_cleared;
}

namespace {
DeviceSpec kq291_spec()
{
    DeviceSpec s;
    s.path = "sim/kq291";
    s.product = L"KQ291 噪音计";
    return s;
}
const ModelRegistration kq291_registration("KQ291", kq291_spec(),
                                           [] { return std::make_shared<Kq291Instrument>(); });
}

}
