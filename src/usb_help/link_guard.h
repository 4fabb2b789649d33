#ifndef LINK_GUARD_H
#define LINK_GUARD_H

// What both HID links need to keep their link state true while three
// threads (GUI, reader, hot-plug) decide it: states that reach the owner
// in the order decided, a rule for when failing reads or writes mean a dead
// handle (logged once, reopened with growing gaps), and the handles
// replaced while the reader may still wait on them.

#include <QElapsedTimer>
#include <QObject>

#include <hidapi.h>

#include <atomic>
#include <mutex>
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
    // A handle whose reads or writes keep failing was dropped: 1 now, and
    // the next open counts as connected only once the device works again.
    void dead_handle();
    // A hot-plug pass found the path missing: the device is unplugged, so
    // its return is a plain reopen, connected at once.
    void gone() { m_awaiting = false; }
    // A hot-plug pass opened the path again.
    void reopened();
    // The current handle works again.
    void answered();
    bool awaiting() const { return m_awaiting; }

signals:
    // In the owner's thread.
    void state(int status);

private:
    std::atomic<quint64> m_generation{0};
    std::atomic<bool> m_awaiting{false};
};

// Failed reads and writes on the link's current handle, and the spell of
// trouble they make. One failure is no loss; a run of several, or one that
// has lasted a second, means the handle is dead although its path is
// listed (replugged faster than a hot-plug pass, or gone wrong). Reads and
// writes keep runs of their own: a read that times out says nothing of
// writes. Each new handle starts both runs afresh.
//
// A spell lasts from the first failure until every kind that failed has
// worked again, across the handles dropped and reopened meanwhile: the
// link logs it once, and reopens within it come further and further apart.
// Called from the reader thread and from the threads that write.
class HandleHealth
{
public:
    enum Op { Read = 0, Write = 1 };
    static constexpr int dead_after = 5;
    static constexpr int dead_after_ms = 1000;
    // Gaps between reopens in a spell double from this up to the cap.
    static constexpr int first_gap_ms = 200;
    static constexpr int max_gap_ms = 3200;

    struct Failure
    {
        bool starts_spell = false;   // log it
        bool dead = false;           // drop the handle
    };
    // A failed read or write on dev. Failures of a handle no longer in use
    // count for nothing.
    Failure failed(Op op, hid_device *dev);
    // A read that worked (a report or a time-out) or a write that went
    // out on dev. True when nothing is failing any more.
    bool succeeded(Op op, hid_device *dev);
    // The handle in use from now on (null: none).
    void new_handle(hid_device *dev);
    // The handle was dropped as dead: the next reopen waits its gap.
    void dropped();
    // The path is missing: no handle, and its return is reopened at once.
    void gone();
    // A reopen is due (always, outside a spell of drops).
    bool may_reopen() const;
    bool in_spell() const;

private:
    struct Run
    {
        int count = 0;
        QElapsedTimer clock;
    };
    mutable std::mutex m_mutex;
    hid_device *m_handle = nullptr;
    Run m_runs[2];
    bool m_failing[2] = {false, false};
    int m_drops = 0;               // in this spell
    QElapsedTimer m_last_drop;
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
