#ifndef PLUG_LOOP_H
#define PLUG_LOOP_H

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// The hot-plug thread of a HID link: one pass every interval, the first
// one interval after start, until stopped. It sleeps between passes
// without an event loop (a 10 Hz timer's dispatch cost more than the
// passes), and stop() wakes it at once instead of waiting out the sleep.
class PlugLoop
{
public:
    PlugLoop(int interval_ms, std::function<void()> pass);
    ~PlugLoop();
    PlugLoop(const PlugLoop &) = delete;
    PlugLoop &operator=(const PlugLoop &) = delete;

    // Starts the thread once; nothing after stop().
    void start();
    // Ends the thread after its current pass and waits for it. Not from a
    // pass itself.
    void stop();
    bool running() const;

private:
    void run();

    const int m_interval_ms;
    const std::function<void()> m_pass;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopped = false;
    std::thread m_thread;
};

#endif
