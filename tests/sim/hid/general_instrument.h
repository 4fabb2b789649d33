#ifndef HIDSIM_GENERAL_INSTRUMENT_H
#define HIDSIM_GENERAL_INSTRUMENT_H

// An instrument of the general command-frame protocol: command 1 gets one
// real-time answer frame, command 2 a number of stored-record frames over
// several reports and then silence; commands 3, 4 and 6 (and any other
// well-formed frame) are recorded. A model is a product string, a path and
// two functions giving its words:
//
//   static hidsim::GeneralModelRegistration reg(
//       "KQ285", L"KQ285 噪音计", "sim/kq285",
//       [](int n) { return hidsim::Words{...}; },   // n-th real-time answer
//       [](int i) { return hidsim::Words{...}; },   // stored-record frame i
//       10);                                         // stored frames
//
//   HIDSIM_MODEL_FILE(model_kq285)   // the file's base name: keeps it linked
//
// in tests/sim/hid/model_kq285.cpp, then make_model("KQ285") and
// model_device("KQ285") give it to tests and to the preloaded program.

#include "hidsim.h"

#include <mutex>

// Static libraries drop object files nothing refers to; the build asks for
// this symbol of every model_*.cpp so their registrations stay in.
#define HIDSIM_MODEL_FILE(name) \
    extern "C" {                \
    int hidsim_anchor_##name = 0; \
    }

namespace hidsim {

using Words = std::vector<uint16_t>;

// 55 AA cmd L words(little-endian) sum.
Bytes answer_frame(uint8_t cmd, const Words &words);
// AA 55 cmd L data sum, as the host sends it.
Bytes command_frame(uint8_t cmd, const Bytes &data = Bytes());
// Sum rule of both frames: low 8 bits of the sum of the bytes.
uint8_t frame_sum(const Bytes &bytes);

class GeneralInstrument : public Instrument
{
public:
    using RealtimeFn = std::function<Words(int n)>;
    using StoredFn = std::function<Words(int i)>;

    GeneralInstrument(RealtimeFn realtime, StoredFn stored, int stored_frames);

    std::vector<Bytes> on_write(const Bytes &report) override;

    // Stored-record frames sent for one command 2 (0: no answer).
    void set_stored_frames(int n);
    // Stored frames packed into one 64-byte report (default 2). With 0 the
    // frames run on as one byte stream cut into reports, so they straddle.
    void set_frames_per_report(int n);
    // false: command 1 goes unanswered.
    void set_answers_realtime(bool on);

    // Well-formed command frames received (report id and padding removed),
    // all of them or those with one command code.
    std::vector<Bytes> received() const;
    std::vector<Bytes> received(uint8_t cmd) const;
    int realtime_answers() const;
    // Reports sent for the last command 2.
    std::vector<Bytes> last_upload() const;

private:
    mutable std::mutex m_mutex;
    RealtimeFn m_realtime;
    StoredFn m_stored;
    int m_stored_frames;
    int m_frames_per_report = 2;
    bool m_answers_realtime = true;
    int m_rt_count = 0;
    std::vector<Bytes> m_received;
    std::vector<Bytes> m_last_upload;
};

struct GeneralModelRegistration
{
    GeneralModelRegistration(const std::string &model, const std::wstring &product, const std::string &path,
                             GeneralInstrument::RealtimeFn realtime, GeneralInstrument::StoredFn stored,
                             int stored_frames);
};

}

#endif
