// hidapi's C functions over a table of virtual devices.
#include "hidsim.h"

#include <hidapi.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

struct hid_device_
{
    std::string path;
    unsigned long epoch = 0;   // the device's plug epoch when opened
    bool closed = false;
    bool stale = false;        // from before the last reset()
    int readers = 0;           // threads inside hid_read_timeout on it
    std::wstring error = L"Success";
};

namespace hidsim {
namespace {

constexpr size_t report_size = 64;

struct Device
{
    DeviceSpec spec;
    std::shared_ptr<Instrument> instrument;
    bool present = true;
    unsigned long epoch = 1;   // bumped by every unplug: old handles go dead
    bool open_fails = false;
    bool read_fails = false;
    int fail_reads_left = 0;
    bool write_fails = false;
    std::deque<Bytes> input;
    // Answers held back until their time (delay_answers), with the plug
    // epoch they were given in.
    struct Later
    {
        std::chrono::steady_clock::time_point due;
        unsigned long epoch;
        Bytes report;
    };
    std::deque<Later> later;
    int answer_delay_ms = 0, delayed_writes_left = 0;
    std::vector<Bytes> writes;
    int opens = 0, closes = 0, handles = 0, reads = 0;
};

struct State
{
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Device> devices;   // in plug order: the enumeration order
    std::vector<std::unique_ptr<hid_device_>> all_handles;
    bool init_fails = false;
    int inits = 0, exits = 0, enumerates = 0;
    int enumerate_delay_ms = 0;
    int calls_in_progress = 0;   // calls that let go of the lock meanwhile
    std::vector<std::string> misuse;
    std::wstring global_error = L"Success";
    bool preload_done = false;
};

State &state()
{
    static State *s = new State;   // never destroyed: threads may outlive statics
    return *s;
}

Device *find(State &s, const std::string &path)
{
    for (Device &d : s.devices)
        if (d.spec.path == path)
            return &d;
    return nullptr;
}

// Moves held-back answers whose time has come to the input queue; those of
// an earlier plug epoch are dropped.
void release_due(Device &d)
{
    const auto now = std::chrono::steady_clock::now();
    while (!d.later.empty() && d.later.front().due <= now) {
        if (d.present && d.later.front().epoch == d.epoch)
            d.input.push_back(std::move(d.later.front().report));
        d.later.pop_front();
    }
}

Bytes padded(Bytes r)
{
    r.resize(std::max(r.size(), report_size), 0);
    return r;
}

struct Registry
{
    std::map<std::string, std::pair<DeviceSpec, std::function<std::shared_ptr<Instrument>()>>> models;
    std::mutex mutex;
};

Registry &registry()
{
    static Registry *r = new Registry;
    return *r;
}

// A handle still usable: open, its device present and not replugged since.
Device *alive(State &s, hid_device *h)
{
    if (!h || h->closed || h->stale)
        return nullptr;
    Device *d = find(s, h->path);
    if (!d || !d->present || d->epoch != h->epoch)
        return nullptr;
    return d;
}

#ifdef HIDSIM_PRELOAD
// Preloaded into the program: plug in the model named in SENSAVO_SIM.
void preload_device(State &s)
{
    if (s.preload_done)
        return;
    s.preload_done = true;
    const char *env = std::getenv("SENSAVO_SIM");
    if (!env || !*env)
        return;
    std::string model = env;
    std::transform(model.begin(), model.end(), model.begin(), ::toupper);
    std::shared_ptr<Instrument> inst;
    DeviceSpec spec;
    {
        Registry &r = registry();
        std::lock_guard<std::mutex> lock(r.mutex);
        auto it = r.models.find(model);
        if (it == r.models.end()) {
            std::string known;
            for (auto &m : r.models)
                known += " " + m.first;
            std::fprintf(stderr, "hidsim: no simulated model \"%s\"; known:%s\n", env, known.c_str());
            return;
        }
        spec = it->second.first;
        inst = it->second.second();
    }
    Device d;
    d.spec = spec;
    d.instrument = inst;
    s.devices.push_back(std::move(d));
    std::fprintf(stderr, "hidsim: simulated %s plugged in at %s\n", model.c_str(), spec.path.c_str());
}
#endif

} // namespace

void plug(const DeviceSpec &spec, std::shared_ptr<Instrument> instrument)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (Device *old = find(s, spec.path)) {
        old->spec = spec;
        old->instrument = std::move(instrument);
        old->present = true;
        ++old->epoch;
        old->input.clear();
    } else {
        Device fresh;
        fresh.spec = spec;
        fresh.instrument = std::move(instrument);
        s.devices.push_back(std::move(fresh));
    }
    s.changed.notify_all();
}

void unplug(const std::string &path)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (Device *d = find(s, path)) {
        d->present = false;
        ++d->epoch;
        d->input.clear();
    }
    s.changed.notify_all();
}

void replug(const std::string &path)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (Device *d = find(s, path)) {
        if (!d->present) {
            d->present = true;
            ++d->epoch;
        }
    }
    s.changed.notify_all();
}

void blip(const std::string &path)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (Device *d = find(s, path)) {
        if (d->present) {
            ++d->epoch;
            d->input.clear();
        }
    }
    s.changed.notify_all();
}

void reset()
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.devices.clear();
    s.init_fails = false;
    s.inits = s.exits = s.enumerates = 0;
    s.enumerate_delay_ms = 0;
    s.misuse.clear();
    s.global_error = L"Success";
    // Handles stay allocated (a caller may still hold one) but are dead.
    for (auto &h : s.all_handles)
        h->stale = true;
    s.changed.notify_all();
}

void set_open_fails(const std::string &path, bool fails)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (Device *d = find(s, path))
        d->open_fails = fails;
}

void set_read_fails(const std::string &path, bool fails)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (Device *d = find(s, path))
        d->read_fails = fails;
    s.changed.notify_all();
}

void fail_next_reads(const std::string &path, int n)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (Device *d = find(s, path))
        d->fail_reads_left = n;
    s.changed.notify_all();
}

void set_write_fails(const std::string &path, bool fails)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (Device *d = find(s, path))
        d->write_fails = fails;
}

void set_init_fails(bool fails)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.init_fails = fails;
}

void delay_answers(const std::string &path, int ms, int writes)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (Device *d = find(s, path)) {
        d->answer_delay_ms = ms;
        d->delayed_writes_left = writes;
    }
}

void push_report(const std::string &path, const Bytes &report)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (Device *d = find(s, path)) {
        if (d->present)
            d->input.push_back(padded(report));
    }
    s.changed.notify_all();
}

std::vector<Bytes> writes(const std::string &path)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    Device *d = find(s, path);
    return d ? d->writes : std::vector<Bytes>();
}

void clear_writes(const std::string &path)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (Device *d = find(s, path))
        d->writes.clear();
}

bool wait_for_writes(const std::string &path, size_t n, int timeout_ms)
{
    State &s = state();
    std::unique_lock<std::mutex> lock(s.mutex);
    return s.changed.wait_for(lock, std::chrono::milliseconds(timeout_ms), [&] {
        Device *d = find(s, path);
        return d && d->writes.size() >= n;
    });
}

#define HIDSIM_COUNTER(name, field)                        \
    int name(const std::string &path)                      \
    {                                                      \
        State &s = state();                                \
        std::lock_guard<std::mutex> lock(s.mutex);         \
        Device *d = find(s, path);                         \
        return d ? d->field : 0;                           \
    }
HIDSIM_COUNTER(open_count, opens)
HIDSIM_COUNTER(close_count, closes)
HIDSIM_COUNTER(open_handles, handles)
HIDSIM_COUNTER(read_count, reads)
#undef HIDSIM_COUNTER

int init_count()
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.inits;
}

int exit_count()
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.exits;
}

int enumerate_count()
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.enumerates;
}

void set_enumerate_delay(int ms)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.enumerate_delay_ms = ms;
}

std::vector<std::string> misuse()
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.misuse;
}

std::shared_ptr<Instrument> make_model(const std::string &model)
{
    Registry &r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.models.find(model);
    return it == r.models.end() ? nullptr : it->second.second();
}

DeviceSpec model_device(const std::string &model)
{
    Registry &r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    auto it = r.models.find(model);
    return it == r.models.end() ? DeviceSpec() : it->second.first;
}

std::vector<std::string> models()
{
    Registry &r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    std::vector<std::string> out;
    for (auto &m : r.models)
        out.push_back(m.first);
    return out;
}

ModelRegistration::ModelRegistration(const std::string &model, const DeviceSpec &spec,
                                     std::function<std::shared_ptr<Instrument>()> factory)
{
    Registry &r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    r.models[model] = {spec, std::move(factory)};
}

} // namespace hidsim

// ---- hidapi

using namespace hidsim;

namespace {
char *dup_str(const std::string &s)
{
    char *p = static_cast<char *>(std::malloc(s.size() + 1));
    std::memcpy(p, s.c_str(), s.size() + 1);
    return p;
}

wchar_t *dup_wstr(const std::wstring &s)
{
    wchar_t *p = static_cast<wchar_t *>(std::malloc((s.size() + 1) * sizeof(wchar_t)));
    std::wmemcpy(p, s.c_str(), s.size() + 1);
    return p;
}

int copy_wstr(const std::wstring &s, wchar_t *out, size_t maxlen)
{
    if (!out || maxlen == 0)
        return -1;
    size_t n = std::min(s.size(), maxlen - 1);
    std::wmemcpy(out, s.c_str(), n);
    out[n] = 0;
    return 0;
}
}

extern "C" {

int hid_init(void)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    ++s.inits;
#ifdef HIDSIM_PRELOAD
    preload_device(s);
#endif
    return s.init_fails ? -1 : 0;
}

int hid_exit(void)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    ++s.exits;
    if (s.calls_in_progress > 0)
        s.misuse.push_back("hid_exit while another call is in progress");
    return 0;
}

struct hid_device_info *hid_enumerate(unsigned short vendor_id, unsigned short product_id)
{
    State &s = state();
    std::unique_lock<std::mutex> lock(s.mutex);
#ifdef HIDSIM_PRELOAD
    preload_device(s);
#endif
    ++s.enumerates;
    if (s.enumerate_delay_ms > 0) {
        const int ms = s.enumerate_delay_ms;
        ++s.calls_in_progress;
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        lock.lock();
        --s.calls_in_progress;
    }
    hid_device_info *head = nullptr, **tail = &head;
    for (const Device &d : s.devices) {
        if (!d.present)
            continue;
        if (vendor_id && d.spec.vendor_id != vendor_id)
            continue;
        if (product_id && d.spec.product_id != product_id)
            continue;
        auto *info = static_cast<hid_device_info *>(std::calloc(1, sizeof(hid_device_info)));
        info->path = dup_str(d.spec.path);
        info->vendor_id = d.spec.vendor_id;
        info->product_id = d.spec.product_id;
        info->serial_number = dup_wstr(d.spec.serial);
        info->manufacturer_string = dup_wstr(d.spec.manufacturer);
        info->product_string = dup_wstr(d.spec.product);
        info->bus_type = HID_API_BUS_USB;
        *tail = info;
        tail = &info->next;
    }
    return head;
}

void hid_free_enumeration(struct hid_device_info *devs)
{
    while (devs) {
        hid_device_info *next = devs->next;
        std::free(devs->path);
        std::free(devs->serial_number);
        std::free(devs->manufacturer_string);
        std::free(devs->product_string);
        std::free(devs);
        devs = next;
    }
}

hid_device *hid_open_path(const char *path)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
#ifdef HIDSIM_PRELOAD
    preload_device(s);
#endif
    Device *d = path ? find(s, path) : nullptr;
    if (!d || !d->present) {
        s.global_error = L"No such device";
        return nullptr;
    }
    if (d->open_fails) {
        s.global_error = L"Device or resource busy";
        return nullptr;
    }
    auto h = std::make_unique<hid_device_>();
    h->path = path;
    h->epoch = d->epoch;
    hid_device *raw = h.get();
    s.all_handles.push_back(std::move(h));
    ++d->opens;
    ++d->handles;
    s.global_error = L"Success";
    return raw;
}

hid_device *hid_open(unsigned short vendor_id, unsigned short product_id, const wchar_t *serial_number)
{
    std::string path;
    {
        State &s = state();
        std::lock_guard<std::mutex> lock(s.mutex);
        for (const Device &d : s.devices) {
            if (d.present && d.spec.vendor_id == vendor_id && d.spec.product_id == product_id
                && (!serial_number || d.spec.serial == serial_number)) {
                path = d.spec.path;
                break;
            }
        }
    }
    return path.empty() ? nullptr : hid_open_path(path.c_str());
}

int hid_write(hid_device *dev, const unsigned char *data, size_t length)
{
    State &s = state();
    std::shared_ptr<Instrument> inst;
    Bytes report(data, data + length);
    std::string path;
    unsigned long epoch;
    {
        std::lock_guard<std::mutex> lock(s.mutex);
        if (dev && dev->closed && !dev->stale)
            s.misuse.push_back("hid_write on a closed handle");
        Device *d = alive(s, dev);
        if (!d || d->write_fails) {
            if (dev)
                dev->error = L"Broken pipe";
            return -1;
        }
        d->writes.push_back(report);
        inst = d->instrument;
        if (inst)
            ++s.calls_in_progress;
        path = d->spec.path;
        epoch = d->epoch;
        s.changed.notify_all();
    }
    if (inst) {
        // The answerer runs unlocked: it may call back into the control side.
        std::vector<Bytes> answers = inst->on_write(report);
        std::lock_guard<std::mutex> lock(s.mutex);
        --s.calls_in_progress;
        Device *d = find(s, path);
        if (d && d->present && d->epoch == epoch) {
            const bool hold = d->delayed_writes_left > 0;
            if (hold)
                --d->delayed_writes_left;
            const auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(d->answer_delay_ms);
            for (Bytes &a : answers) {
                if (hold)
                    d->later.push_back({due, epoch, padded(std::move(a))});
                else
                    d->input.push_back(padded(std::move(a)));
            }
        }
        s.changed.notify_all();
    }
    return int(length);
}

int hid_read_timeout(hid_device *dev, unsigned char *data, size_t length, int milliseconds)
{
    State &s = state();
    std::unique_lock<std::mutex> lock(s.mutex);
    if (dev && dev->closed && !dev->stale)
        s.misuse.push_back("hid_read_timeout on a closed handle");
    if (Device *d = alive(s, dev))
        ++d->reads;
    // Leaves the read's bookkeeping on every way out.
    struct Reading
    {
        State &s;
        hid_device *dev;
        Reading(State &s, hid_device *dev) : s(s), dev(dev)
        {
            ++s.calls_in_progress;
            if (dev)
                ++dev->readers;
        }
        ~Reading()
        {
            --s.calls_in_progress;
            if (dev)
                --dev->readers;
        }
    } reading(s, dev);
    auto ready = [&] {
        Device *d = alive(s, dev);
        if (d)
            release_due(*d);
        return !d || d->read_fails || d->fail_reads_left > 0 || !d->input.empty();
    };
    // Wakes for held-back answers falling due, too.
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::milliseconds(milliseconds < 0 ? 0 : milliseconds);
    for (;;) {
        if (ready() || (milliseconds >= 0 && clock::now() >= deadline))
            break;
        Device *d = alive(s, dev);
        const bool held = d && !d->later.empty();
        if (milliseconds < 0 && !held)
            s.changed.wait(lock);
        else if (milliseconds < 0 || (held && d->later.front().due < deadline))
            s.changed.wait_until(lock, d->later.front().due);
        else
            s.changed.wait_until(lock, deadline);
    }
    Device *d = alive(s, dev);
    const bool fail_once = d && d->fail_reads_left > 0;
    if (fail_once)
        --d->fail_reads_left;
    if (!d || d->read_fails || fail_once) {
        if (dev)
            dev->error = L"Input/output error";
        return -1;
    }
    if (d->input.empty())
        return 0;
    Bytes r = std::move(d->input.front());
    d->input.pop_front();
    size_t n = std::min(length, r.size());
    std::memcpy(data, r.data(), n);
    return int(n);
}

int hid_read(hid_device *dev, unsigned char *data, size_t length)
{
    return hid_read_timeout(dev, data, length, -1);
}

int hid_set_nonblocking(hid_device *, int)
{
    return 0;
}

void hid_close(hid_device *dev)
{
    if (!dev)
        return;
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (dev->stale)
        return;
    if (dev->closed)
        s.misuse.push_back("hid_close of a handle closed before");
    if (dev->readers > 0)
        s.misuse.push_back("hid_close of a handle another thread is reading from");
    // Counted on the device even when the handle was closed before, so a
    // double close shows in close_count.
    if (Device *d = find(s, dev->path)) {
        ++d->closes;
        if (!dev->closed)
            --d->handles;
    }
    dev->closed = true;
    s.changed.notify_all();
}

const wchar_t *hid_error(hid_device *dev)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return dev ? dev->error.c_str() : s.global_error.c_str();
}

#define HIDSIM_STRING(fn, field)                                        \
    int fn(hid_device *dev, wchar_t *string, size_t maxlen)             \
    {                                                                   \
        State &s = state();                                             \
        std::lock_guard<std::mutex> lock(s.mutex);                      \
        Device *d = alive(s, dev);                                      \
        return d ? copy_wstr(d->spec.field, string, maxlen) : -1;       \
    }
HIDSIM_STRING(hid_get_manufacturer_string, manufacturer)
HIDSIM_STRING(hid_get_product_string, product)
HIDSIM_STRING(hid_get_serial_number_string, serial)
#undef HIDSIM_STRING

} // extern "C"
