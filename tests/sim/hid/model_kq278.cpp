// KQ278 anemometer on the general protocol. Real time: time stamp (low word
// first), air speed in 0.01 m/s, temperature in 0.01 ℃ (signed). Stored
// records: speed in 0.001 m/s, temperature in 0.1 ℃ (signed), time stamp
// (low word first). It always answers in m/s.
#include "general_instrument.h"

#include <cmath>
#include <ctime>

HIDSIM_MODEL_FILE(model_kq278)

namespace {

constexpr int records_per_frame = 4;
constexpr int stored_frames = 8;
constexpr int record_interval_s = 30;

// A gusty breeze outdoors: about 4 m/s with gusts to 9, 18 ℃ falling slowly.
double speed_at(int n)
{
    return 4.0 + 1.5 * std::sin(n / 7.0) + ((n / 20) % 4 == 3 ? 3.5 : 0.0) + 0.05 * ((n * 11) % 7);
}

double celsius_at(int n)
{
    return 18.0 - 0.4 * std::sin(n / 60.0) + 0.02 * ((n * 3) % 5);
}

hidsim::Words realtime(int n)
{
    const uint32_t now = uint32_t(std::time(nullptr));
    return {uint16_t(now & 0xFFFF), uint16_t(now >> 16), uint16_t(std::lround(speed_at(n) * 100)),
            uint16_t(int16_t(std::lround(celsius_at(n) * 100)))};
}

hidsim::Words stored(int frame)
{
    const int total = records_per_frame * stored_frames;
    const uint32_t now = uint32_t(std::time(nullptr));
    hidsim::Words w;
    for (int r = 0; r < records_per_frame; ++r) {
        const int i = frame * records_per_frame + r;
        const uint32_t t = now - uint32_t((total - i) * record_interval_s);
        w.push_back(uint16_t(std::lround(speed_at(i * 3) * 1000)));
        w.push_back(uint16_t(int16_t(std::lround(celsius_at(i * 3) * 10))));
        w.push_back(uint16_t(t & 0xFFFF));
        w.push_back(uint16_t(t >> 16));
    }
    return w;
}

hidsim::GeneralModelRegistration kq278("KQ278", L"KQ278 风速计", "sim/kq278", realtime, stored, stored_frames);

}
