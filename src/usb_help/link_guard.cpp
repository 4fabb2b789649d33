#include "usb_help/link_guard.h"

#include <QDebug>
#include <QMetaObject>

void LinkStates::post(int status)
{
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(this, [this, status, generation] {
        if (generation == m_generation)
            emit state(status);
    }, Qt::QueuedConnection);
}

void LinkStates::connected_directly()
{
    m_awaiting = false;
    ++m_generation;
}

void LinkStates::dead_handle()
{
    // The spell that led here was logged when it began.
    m_awaiting = true;
    post(1);
}

void LinkStates::reopened()
{
    if (!m_awaiting)
        post(0);
}

void LinkStates::answered()
{
    if (!m_awaiting.exchange(false))
        return;
    qDebug() << "hid device answers again";
    post(0);
}

HandleHealth::Failure HandleHealth::failed(Op op, hid_device *dev)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    Failure out;
    if (!dev || dev != m_handle)
        return out;
    out.starts_spell = !m_failing[Read] && !m_failing[Write];
    m_failing[op] = true;
    Run &run = m_runs[op];
    if (run.count++ == 0)
        run.clock.start();
    out.dead = run.count >= dead_after || run.clock.hasExpired(dead_after_ms);
    return out;
}

bool HandleHealth::succeeded(Op op, hid_device *dev)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (dev && dev == m_handle) {
        m_runs[op].count = 0;
        m_failing[op] = false;
    }
    const bool healthy = !m_failing[Read] && !m_failing[Write];
    if (healthy)
        m_drops = 0;
    return healthy;
}

void HandleHealth::new_handle(hid_device *dev)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_handle = dev;
    m_runs[Read] = Run();
    m_runs[Write] = Run();
}

void HandleHealth::dropped()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_handle = nullptr;
    m_runs[Read] = Run();
    m_runs[Write] = Run();
    ++m_drops;
    m_last_drop.start();
}

void HandleHealth::gone()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_handle = nullptr;
    m_runs[Read] = Run();
    m_runs[Write] = Run();
    m_drops = 0;
}

bool HandleHealth::may_reopen() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // The first drop of a spell may be a replug within a pass: reopen at once.
    if (m_drops <= 1)
        return true;
    const int gap = qMin(max_gap_ms, first_gap_ms << qMin(m_drops - 2, 8));
    return m_last_drop.hasExpired(gap);
}

bool HandleHealth::in_spell() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_failing[Read] || m_failing[Write];
}
