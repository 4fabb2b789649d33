#ifndef LINK_GUARD_H
#define LINK_GUARD_H

// What both HID links need to keep their link state true while three
// threads (GUI, reader, hot-plug) decide it: states that reach the owner
// in the order decided, a rule for when failing reads mean a dead handle,
// and the handles replaced while the reader may still wait on them.

#include <QElapsedTimer>
#include <QObject>

#include <hidapi.h>

#include <atomic>
#include <vector>

// Link states (0 connected, 1 not present) decided in the link's threads.
// Every call but awaiting() is made with the link's device lock held, so
// states enter the owner's queue in the order they were decided.
class LinkStates : public QObject
{
    Q_OBJECT
public:
    explicit LinkStates(QObject *parent = nullptr) : QObject(parent) {}
    void post(int status);
    // In the owner's thread, before the "connected" it reports directly:
    // every state posted before is dropped, so the latest decision wins.
    void connected_directly();
    // The reader dropped a handle whose reads keep failing: 1 now, and the
    // next open counts as connected only once a read on it works.
    void dead_handle();
    // A hot-plug pass opened the path again.
    void reopened();
    // A read on the current handle worked.
    void answered();
    bool awaiting() const { return m_awaiting; }

signals:
    // In the owner's thread.
    void state(int status);

private:
    std::atomic<quint64> m_generation{0};
    std::atomic<bool> m_awaiting{false};
};

// Failed reads in a row. One is no loss; a run of several, or one that has
// lasted a second, means the handle is dead although its path is listed
// (the device was replugged faster than a hot-plug pass, or went wrong).
class ReadFailures
{
public:
    static constexpr int dead_after = 5;
    static constexpr int dead_after_ms = 1000;

    // Counts one failed read; true when the run means the handle is dead.
    bool failed()
    {
        if (m_count++ == 0)
            m_clock.start();
        return m_count >= dead_after || m_clock.hasExpired(dead_after_ms);
    }
    void succeeded() { m_count = 0; }
    bool running() const { return m_count > 0; }

private:
    int m_count = 0;
    QElapsedTimer m_clock;
};

// Handles replaced or dropped while the reader may still be inside a read
// on them. The caller holds its device lock; close_all() runs in the
// reader thread between reads, when no read can still use them.
class RetiredHandles
{
public:
    void add(hid_device *dev)
    {
        if (dev)
            m_handles.push_back(dev);
    }
    void close_all()
    {
        for (hid_device *d : m_handles)
            hid_close(d);
        m_handles.clear();
    }

private:
    std::vector<hid_device *> m_handles;
};

#endif
