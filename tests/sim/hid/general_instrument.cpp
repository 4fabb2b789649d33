#include "general_instrument.h"

#include <algorithm>

namespace hidsim {

namespace {
constexpr size_t report_size = 64;
}

uint8_t frame_sum(const Bytes &bytes)
{
    uint8_t sum = 0;
    for (uint8_t b : bytes)
        sum = uint8_t(sum + b);
    return sum;
}

Bytes answer_frame(uint8_t cmd, const Words &words)
{
    Bytes f = {0x55, 0xAA, cmd, uint8_t(3 + 2 * words.size())};
    for (uint16_t w : words) {
        f.push_back(uint8_t(w & 0xFF));
        f.push_back(uint8_t(w >> 8));
    }
    f.push_back(frame_sum(f));
    return f;
}

Bytes command_frame(uint8_t cmd, const Bytes &data)
{
    Bytes f = {0xAA, 0x55, cmd, uint8_t(3 + data.size())};
    f.insert(f.end(), data.begin(), data.end());
    f.push_back(frame_sum(f));
    return f;
}

GeneralInstrument::GeneralInstrument(RealtimeFn realtime, StoredFn stored, int stored_frames)
    : m_realtime(std::move(realtime)), m_stored(std::move(stored)), m_stored_frames(stored_frames)
{
}

void GeneralInstrument::set_stored_frames(int n)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stored_frames = n;
}

void GeneralInstrument::set_frames_per_report(int n)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_frames_per_report = n;
}

void GeneralInstrument::set_answers_realtime(bool on)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_answers_realtime = on;
}

std::vector<Bytes> GeneralInstrument::on_write(const Bytes &report)
{
    // Report id, AA 55 cmd L ... sum, then padding.
    if (report.size() < 6 || report[0] != 0 || report[1] != 0xAA || report[2] != 0x55)
        return {};
    const size_t len = report[4];
    if (len < 3 || report.size() < len + 3)
        return {};
    Bytes frame(report.begin() + 1, report.begin() + 1 + len + 2);
    if (frame_sum(Bytes(frame.begin(), frame.end() - 1)) != frame.back())
        return {};   // a real instrument ignores a frame that fails its sum

    std::lock_guard<std::mutex> lock(m_mutex);
    m_received.push_back(frame);
    const uint8_t cmd = frame[2];
    std::vector<Bytes> out;
    if (cmd == 1 && m_answers_realtime && m_realtime) {
        out.push_back(answer_frame(1, m_realtime(m_rt_count++)));
    } else if (cmd == 2 && m_stored) {
        // Frames grouped per report; a group longer than a report runs on
        // into the next one.
        std::vector<Bytes> groups(1);
        int in_group = 0;
        for (int i = 0; i < m_stored_frames; ++i) {
            if (m_frames_per_report > 0 && in_group == m_frames_per_report) {
                groups.emplace_back();
                in_group = 0;
            }
            const Bytes f = answer_frame(2, m_stored(i));
            groups.back().insert(groups.back().end(), f.begin(), f.end());
            ++in_group;
        }
        for (const Bytes &g : groups)
            for (size_t at = 0; at < g.size(); at += report_size)
                out.emplace_back(g.begin() + at, g.begin() + std::min(g.size(), at + report_size));
        m_last_upload = out;
    }
    return out;
}

std::vector<Bytes> GeneralInstrument::received() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_received;
}

std::vector<Bytes> GeneralInstrument::received(uint8_t cmd) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<Bytes> out;
    for (const Bytes &f : m_received)
        if (f[2] == cmd)
            out.push_back(f);
    return out;
}

int GeneralInstrument::realtime_answers() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_rt_count;
}

std::vector<Bytes> GeneralInstrument::last_upload() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_last_upload;
}

GeneralModelRegistration::GeneralModelRegistration(const std::string &model, const std::wstring &product,
                                                   const std::string &path,
                                                   GeneralInstrument::RealtimeFn realtime,
                                                   GeneralInstrument::StoredFn stored, int stored_frames)
{
    DeviceSpec spec;
    spec.path = path;
    spec.product = product;
    ModelRegistration(model, spec, [realtime, stored, stored_frames] {
        return std::make_shared<GeneralInstrument>(realtime, stored, stored_frames);
    });
}

}
