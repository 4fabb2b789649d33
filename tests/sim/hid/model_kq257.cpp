// KQ257 thermo-hygrometer: time stamp (seconds since 1970, low word first),
// temperature in 0.01 ℃ (signed) and humidity in 0.01 %RH, for the real-time
// answer and for every stored record.
#include "general_instrument.h"

#include <cmath>
#include <ctime>

HIDSIM_MODEL_FILE(model_kq257)

namespace {

constexpr int records_per_frame = 3;
constexpr int stored_frames = 10;
constexpr int record_interval_s = 60;

void add_record(hidsim::Words &w, uint32_t time, double celsius, double rh)
{
    w.push_back(uint16_t(time & 0xFFFF));
    w.push_back(uint16_t(time >> 16));
    w.push_back(uint16_t(int16_t(std::lround(celsius * 100))));
    w.push_back(uint16_t(std::lround(rh * 100)));
}

// A room drifting slowly: about 23.5 ℃ and 45 %RH.
double celsius_at(int n)
{
    return 23.5 + 1.2 * std::sin(n / 40.0) + 0.05 * ((n * 7) % 5);
}

double rh_at(int n)
{
    return 45.0 + 4.0 * std::cos(n / 55.0) + 0.1 * ((n * 3) % 4);
}

hidsim::Words realtime(int n)
{
    hidsim::Words w;
    add_record(w, uint32_t(std::time(nullptr)), celsius_at(n), rh_at(n));
    return w;
}

hidsim::Words stored(int frame)
{
    const int total = records_per_frame * stored_frames;
    const uint32_t now = uint32_t(std::time(nullptr));
    hidsim::Words w;
    for (int r = 0; r < records_per_frame; ++r) {
        const int i = frame * records_per_frame + r;
        add_record(w, now - uint32_t((total - i) * record_interval_s), celsius_at(i * 3), rh_at(i * 3));
    }
    return w;
}

hidsim::GeneralModelRegistration kq257("KQ257", L"KQ257 温湿度计", "sim/kq257", realtime, stored, stored_frames);

}
