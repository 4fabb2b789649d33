#ifndef HIDSIM_H
#define HIDSIM_H

// Control side of the simulated HID instruments. The library defines
// hidapi's C functions (hid_init, hid_enumerate, hid_open_path, hid_write,
// hid_read_timeout, hid_close, ...) over a table of virtual devices; tests
// link it in place of hidapi and steer it through this interface. Every
// function here is thread-safe.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace hidsim {

using Bytes = std::vector<uint8_t>;

// A virtual instrument: gets every output report written to it and queues
// input reports (64 bytes each) for hid_read_timeout to return.
class Instrument
{
public:
    virtual ~Instrument() = default;
    // Called for every hid_write to the device, with the bytes as written
    // (report id first). Returns the input reports to queue in answer.
    virtual std::vector<Bytes> on_write(const Bytes &report) = 0;
};

struct DeviceSpec
{
    uint16_t vendor_id = 0x6E72;
    uint16_t product_id = 0x5721;
    std::string path;               // e.g. "sim/kq257"
    std::wstring product;           // USB product string, e.g. L"KQ257 温湿度计"
    std::wstring serial = L"0001";
    std::wstring manufacturer = L"KQ";
};

// Plugs a device in (replacing one at the same path). The instrument may be null:
// the device then never answers.
void plug(const DeviceSpec &spec, std::shared_ptr<Instrument> instrument);
// Unplugs it: enumeration no longer lists it, opening fails, and reads and
// writes on handles already open to it fail (-1), as with a pulled cable.
void unplug(const std::string &path);
// Plugs a previously unplugged device back in with its instrument.
void replug(const std::string &path);
// Unplugs and replugs the device at once, faster than any enumeration can
// see: it stays listed, but handles opened before are dead (reads and
// writes fail) and a new open is needed.
void blip(const std::string &path);
// Removes every device and every record; call between tests.
void reset();

// Opens of this path fail while set (the device is held by another program).
void set_open_fails(const std::string &path, bool fails);
// hid_init returns -1 while set.
void set_init_fails(bool fails);

// The answers to the next `writes` writes to the path become readable only
// `ms` after their write (an instrument slow to answer).
void delay_answers(const std::string &path, int ms, int writes = 1);

// Queues an input report (padded to 64 bytes) as if the device sent it unasked.
void push_report(const std::string &path, const Bytes &report);

// Every report written to the path so far, in order, as written.
std::vector<Bytes> writes(const std::string &path);
void clear_writes(const std::string &path);
// Blocks until at least n reports were written to the path or the time runs out.
bool wait_for_writes(const std::string &path, size_t n, int timeout_ms);

// Reads of handles to the path fail (-1) at once while set, the device
// staying listed (a device that went wrong without being unplugged).
void set_read_fails(const std::string &path, bool fails);
// The next n reads of handles to the path fail (-1) at once; later ones work.
void fail_next_reads(const std::string &path, int n);
// Writes to handles of the path fail (-1) while set; nothing reaches the instrument.
void set_write_fails(const std::string &path, bool fails);
int read_count(const std::string &path);    // hid_read_timeout calls on its handles

int open_count(const std::string &path);    // successful hid_open_path calls
int close_count(const std::string &path);   // hid_close calls on its handles
int open_handles(const std::string &path);  // opened and not yet closed
int init_count();
int exit_count();
// hid_enumerate calls so far (any ids).
int enumerate_count();
// Each hid_enumerate takes this long (default 0), so a test can end a
// thread while it is inside one.
void set_enumerate_delay(int ms);

// Uses of the library a real program must not make, one line each:
// hid_exit while another call is in progress, hid_close of a handle another
// thread is reading from, reads and writes on a closed handle, and closing
// a handle twice.
std::vector<std::string> misuse();

// Instruments that answer as a given model does ("KQ257", "KQ285", ...).
// Null for a model that has none yet. Models register themselves through
// ModelRegistration (one source file per model).
std::shared_ptr<Instrument> make_model(const std::string &model);
DeviceSpec model_device(const std::string &model);   // ids, path and product string
std::vector<std::string> models();

struct ModelRegistration
{
    ModelRegistration(const std::string &model, const DeviceSpec &spec,
                      std::function<std::shared_ptr<Instrument>()> factory);
};

}

#endif
