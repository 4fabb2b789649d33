// KQ285 sound level meter on the general protocol. Real time: time stamp
// (low word first), level in 0.01 dB, weighting (0 A, 1 C, 2 Z),
// temperature in 0.01 ℃ (signed). Stored records: level in 0.1 dB,
// weighting, time stamp (low word first). Command 4 sets the weighting that
// later answers report.
#include "general_instrument.h"

#include <atomic>
#include <cmath>
#include <ctime>

HIDSIM_MODEL_FILE(model_kq285)

namespace {

constexpr int records_per_frame = 8;
constexpr int stored_frames = 6;
constexpr int record_interval_s = 2;

// An office: about 55 dB with a louder minute now and then, 24.5 ℃.
double level_at(int n)
{
    return 55.0 + 6.0 * std::sin(n / 9.0) + ((n / 30) % 3 == 2 ? 12.0 : 0.0) + 0.1 * ((n * 7) % 9);
}

class Kq285Instrument : public hidsim::GeneralInstrument
{
public:
    Kq285Instrument() : Kq285Instrument(std::make_shared<std::atomic<int>>(0)) {}

    explicit Kq285Instrument(std::shared_ptr<std::atomic<int>> w)
        : GeneralInstrument([w](int n) { return realtime(n, *w); }, [w](int i) { return stored(i, *w); },
                            stored_frames),
          weighting(std::move(w))
    {
    }

    std::vector<hidsim::Bytes> on_write(const hidsim::Bytes &report) override
    {
        // 00 AA 55 04 05 d1 d2 sum: the new weighting.
        if (report.size() >= 8 && report[1] == 0xAA && report[2] == 0x55 && report[3] == 0x04
            && report[4] == 0x05 && report[5] <= 2)
            *weighting = report[5];
        return GeneralInstrument::on_write(report);
    }

private:
    static hidsim::Words realtime(int n, int weighting)
    {
        const uint32_t now = uint32_t(std::time(nullptr));
        const double celsius = 24.5 + 0.3 * std::sin(n / 50.0);
        return {uint16_t(now & 0xFFFF), uint16_t(now >> 16), uint16_t(std::lround(level_at(n) * 100)),
                uint16_t(weighting), uint16_t(int16_t(std::lround(celsius * 100)))};
    }

    static hidsim::Words stored(int frame, int weighting)
    {
        const int total = records_per_frame * stored_frames;
        const uint32_t now = uint32_t(std::time(nullptr));
        hidsim::Words w;
        for (int r = 0; r < records_per_frame; ++r) {
            const int i = frame * records_per_frame + r;
            const uint32_t t = now - uint32_t((total - i) * record_interval_s);
            w.push_back(uint16_t(std::lround(level_at(i * 5) * 10)));
            w.push_back(uint16_t(weighting));
            w.push_back(uint16_t(t & 0xFFFF));
            w.push_back(uint16_t(t >> 16));
        }
        return w;
    }

    std::shared_ptr<std::atomic<int>> weighting;
};

hidsim::DeviceSpec kq285_spec()
{
    hidsim::DeviceSpec s;
    s.path = "sim/kq285";
    s.product = L"KQ285 噪音计";
    return s;
}

const hidsim::ModelRegistration kq285("KQ285", kq285_spec(), [] { return std::make_shared<Kq285Instrument>(); });

}
