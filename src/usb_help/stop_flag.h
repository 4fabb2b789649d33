#ifndef STOP_FLAG_H
#define STOP_FLAG_H

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

// A stop request that a thread sleeping in wait() wakes up for at once.
class StopFlag
{
public:
    void set()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_flag = true;
        }
        m_cv.notify_all();
    }
    bool is_set() const { return m_flag.load(); }
    explicit operator bool() const { return is_set(); }
    // Sleeps up to ms, returning early once set; true when set.
    bool wait(int ms)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_flag.load(); });
    }

private:
    std::atomic<bool> m_flag{false};
    std::mutex m_mutex;
    std::condition_variable m_cv;
};

#endif
