// KQ186 differential-pressure meter on the general protocol. Real time:
// time stamp (low word first), pressure in Pa as the bits of a
// single-precision float (low word first), unit index shown on the meter
// (0 kPa ... 13 cmH2O). Stored records: time stamp and pressure, four words
// each, no unit. Command 4 sets the unit that later answers report.
#include "general_instrument.h"

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>

HIDSIM_MODEL_FILE(model_kq186)

namespace {

constexpr int records_per_frame = 3;   // 12 words: two frames fit a report
constexpr int stored_frames = 20;
constexpr int record_interval_s = 10;

// A filter in an air duct: about 250 Pa, rising slowly as it clogs, with
// the fan's ripple and now and then a door opening. With HIDSIM_STEADY set
// the real-time reading stays at 250 Pa (a steady reading to look at).
double pressure_at(int n)
{
    return 250.0 + 0.05 * n + 12.0 * std::sin(n / 7.0) + ((n / 40) % 5 == 4 ? -60.0 : 0.0) + 0.3 * ((n * 7) % 5);
}

void add_float(hidsim::Words &w, float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    w.push_back(uint16_t(bits & 0xFFFF));
    w.push_back(uint16_t(bits >> 16));
}

void add_time(hidsim::Words &w, uint32_t t)
{
    w.push_back(uint16_t(t & 0xFFFF));
    w.push_back(uint16_t(t >> 16));
}

class Kq186Instrument : public hidsim::GeneralInstrument
{
public:
    Kq186Instrument() : Kq186Instrument(std::make_shared<std::atomic<int>>(2)) {}

    explicit Kq186Instrument(std::shared_ptr<std::atomic<int>> u)
        : GeneralInstrument([u](int n) { return realtime(n, *u); }, stored, stored_frames), unit(std::move(u))
    {
    }

    std::vector<hidsim::Bytes> on_write(const hidsim::Bytes &report) override
    {
        // 00 AA 55 04 05 d1 d2 sum: the unit the meter shows from now on.
        if (report.size() >= 8 && report[1] == 0xAA && report[2] == 0x55 && report[3] == 0x04
            && report[4] == 0x05 && report[5] <= 13)
            *unit = report[5];
        return GeneralInstrument::on_write(report);
    }

private:
    static hidsim::Words realtime(int n, int unit)
    {
        hidsim::Words w;
        add_time(w, uint32_t(std::time(nullptr)));
        static const bool steady = std::getenv("HIDSIM_STEADY") != nullptr;
        add_float(w, float(steady ? 250.0 : pressure_at(n)));
        w.push_back(uint16_t(unit));
        return w;
    }

    static hidsim::Words stored(int frame)
    {
        const int total = records_per_frame * stored_frames;
        const uint32_t now = uint32_t(std::time(nullptr));
        hidsim::Words w;
        for (int r = 0; r < records_per_frame; ++r) {
            const int i = frame * records_per_frame + r;
            add_time(w, now - uint32_t((total - i) * record_interval_s));
            add_float(w, float(pressure_at(i * 3)));
        }
        return w;
    }

    std::shared_ptr<std::atomic<int>> unit;
};

hidsim::DeviceSpec kq186_spec()
{
    hidsim::DeviceSpec s;
    s.path = "sim/kq186";
    s.product = L"KQ186 压差计";
    return s;
}

const hidsim::ModelRegistration kq186("KQ186", kq186_spec(), [] { return std::make_shared<Kq186Instrument>(); });

}
