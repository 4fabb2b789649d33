// KQ263 light meter on the general protocol. Real time: illuminance in
// hundredths of a lux as a signed 32-bit count, low word first, and a third
// word the window does not use. No stored records: the light meter has no
// upload.
#include "general_instrument.h"

#include <cmath>
#include <cstdlib>

HIDSIM_MODEL_FILE(model_kq263)

namespace {

// A desk by a window: about 500 lux of office light, with sunlight falling
// on the sensor for a while now and then (past 1000 lux, the gauge's second band).
double lux_at(int n)
{
    const double office = 480.0 + 60.0 * std::sin(n / 7.0) + 0.37 * ((n * 13) % 11);
    return (n / 20) % 4 == 3 ? office + 1500.0 + 400.0 * std::sin(n / 3.0) : office;
}

// With HIDSIM_STEADY set the reading stays at 12000 lux (1115.24 fc, in the
// fc dial's second thousand), a steady reading to look at.
hidsim::Words realtime(int n)
{
    static const bool steady = std::getenv("HIDSIM_STEADY") != nullptr;
    const uint32_t raw = steady ? 1200000u : uint32_t(int32_t(std::lround(lux_at(n) * 100)));
    return {uint16_t(raw & 0xFFFF), uint16_t(raw >> 16), 0};
}

hidsim::Words no_records(int)
{
    return {};
}

hidsim::GeneralModelRegistration kq263("KQ263", L"KQ263 照度计", "sim/kq263", realtime, no_records, 0);

}
