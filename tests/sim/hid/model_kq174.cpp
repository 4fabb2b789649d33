// KQ174 tachometer on the general protocol. Real time: time stamp (low
// word first), reading in tenths of the mode's unit (signed 32-bit, low
// word first), temperature in 0.1 ℃ (signed 32-bit), mode (0 m, 1 m/min,
// 2 ft/min, 3 contact RPM, 4 photo RPM). Stored records: time stamp,
// reading in tenths (unsigned 32-bit), mode. Command 4 sets the mode that
// later answers report.
#include "general_instrument.h"

#include <atomic>
#include <cmath>
#include <ctime>

HIDSIM_MODEL_FILE(model_kq174)

namespace {

constexpr int records_per_frame = 4;
constexpr int stored_frames = 6;
constexpr int record_interval_s = 5;

// A shaft running up and settling near 1480 RPM, with a little wobble; the
// other modes see the same shaft through a 0.2 m circumference wheel.
double rpm_at(int n)
{
    return 1480.0 - 900.0 * std::exp(-n / 12.0) + 15.0 * std::sin(n / 3.0) + 0.7 * ((n * 7) % 5);
}

double reading(int n, int mode)
{
    const double rpm = rpm_at(n);
    switch (mode) {
    case 0: return rpm * 0.2 * (n + 1) / 60.0;   // metres so far
    case 1: return rpm * 0.2;                    // m/min
    case 2: return rpm * 0.2 / 0.3048;           // ft/min
    default: return rpm;                         // contact or photo RPM
    }
}

void push32(hidsim::Words &w, uint32_t v)
{
    w.push_back(uint16_t(v & 0xFFFF));
    w.push_back(uint16_t(v >> 16));
}

class Kq174Instrument : public hidsim::GeneralInstrument
{
public:
    Kq174Instrument() : Kq174Instrument(std::make_shared<std::atomic<int>>(4)) {}

    explicit Kq174Instrument(std::shared_ptr<std::atomic<int>> m)
        : GeneralInstrument([m](int n) { return realtime(n, *m); }, [](int i) { return stored(i); },
                            stored_frames),
          mode(std::move(m))
    {
    }

    std::vector<hidsim::Bytes> on_write(const hidsim::Bytes &report) override
    {
        // 00 AA 55 04 05 d1 d2 sum: the new mode.
        if (report.size() >= 8 && report[1] == 0xAA && report[2] == 0x55 && report[3] == 0x04
            && report[4] == 0x05 && report[5] <= 4)
            *mode = report[5];
        return GeneralInstrument::on_write(report);
    }

private:
    static hidsim::Words realtime(int n, int mode)
    {
        hidsim::Words w;
        push32(w, uint32_t(std::time(nullptr)));
        push32(w, uint32_t(int32_t(std::lround(reading(n, mode) * 10))));
        push32(w, uint32_t(int32_t(std::lround((24.0 + 0.4 * std::sin(n / 40.0)) * 10))));
        w.push_back(uint16_t(mode));
        return w;
    }

    // A morning's checks of several machines, in whatever mode each needed.
    static hidsim::Words stored(int frame)
    {
        const int total = records_per_frame * stored_frames;
        const uint32_t now = uint32_t(std::time(nullptr));
        hidsim::Words w;
        for (int r = 0; r < records_per_frame; ++r) {
            const int i = frame * records_per_frame + r;
            const int m = (i / 6) % 5;
            push32(w, now - uint32_t((total - i) * record_interval_s));
            push32(w, uint32_t(std::lround(reading(i * 4, m) * 10)));
            w.push_back(uint16_t(m));
        }
        return w;
    }

    std::shared_ptr<std::atomic<int>> mode;
};

hidsim::DeviceSpec kq174_spec()
{
    hidsim::DeviceSpec s;
    s.path = "sim/kq174";
    s.product = L"KQ174 转速计";
    return s;
}

const hidsim::ModelRegistration kq174("KQ174", kq174_spec(), [] { return std::make_shared<Kq174Instrument>(); });

}
