#include "usb_help/plug_loop.h"

#include <pthread.h>

#include <chrono>

PlugLoop::PlugLoop(int interval_ms, std::function<void()> pass)
    : m_interval_ms(interval_ms), m_pass(std::move(pass))
{
}

PlugLoop::~PlugLoop()
{
    stop();
}

void PlugLoop::start()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stopped || m_thread.joinable())
        return;
    m_thread = std::thread([this] { run(); });
}

void PlugLoop::stop()
{
    std::thread thread;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopped = true;
        thread = std::move(m_thread);
    }
    m_wake.notify_all();
    if (thread.joinable())
        thread.join();
}

bool PlugLoop::running() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_thread.joinable();
}

void PlugLoop::run()
{
    pthread_setname_np(pthread_self(), "hid hot-plug");
    using clock = std::chrono::steady_clock;
    const auto interval = std::chrono::milliseconds(m_interval_ms);
    auto next = clock::now() + interval;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (m_wake.wait_until(lock, next, [this] { return m_stopped; }))
                return;
        }
        m_pass();
        // Passes stay an interval apart; one that overran is not caught up.
        next += interval;
        const auto now = clock::now();
        if (next < now)
            next = now + interval;
    }
}
