// KQ257 readings through the real window: decoding, table, graph,
// statistics and gauges.
//
// First at one reading a second through the event loop, as the program
// polls: the CPU time a reading costs (the main thread's and the whole
// process's, above the same stretch without readings), paints and layouts
// included. Then 24 hours (or the count given) as fast as they come, with
// one event-loop pass after each: the CPU time of a reading at the start
// and at the end of the run (and the wall time), the same growth measured
// in turns against a fresh window (first and last lie hours apart, under
// whatever else the machine did meanwhile), and the full table to xlsx.
// Prints figures only.
//
//   bench_kq257_window [READINGS]          default 86400 (a week: 604800)
//   BENCH_PACED_SECONDS=20                 length of the one-a-second stretch
#include "KQ257_interface/kq257_interface.h"

#include "frame/model_frame.h"
#include "hidsim.h"
#include "testkit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTableWidget>

#include <QMap>
#include <QPaintEvent>
#include <QTimer>
#include <QEvent>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <sys/resource.h>

static qint64 cpu_ns(clockid_t clock)
{
    timespec ts;
    clock_gettime(clock, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// One reading's answer, as the instrument sends it.
static QQueue<quint16> answer(quint32 time, int i)
{
    const double c = 23.5 + 1.2 * std::sin(i / 400.0);
    const double h = 45.0 + 4.0 * std::cos(i / 550.0);
    QQueue<quint16> q;
    q << quint16(time & 0xFFFF) << quint16(time >> 16) << quint16(qint16(std::lround(c * 100)))
      << quint16(std::lround(h * 100));
    return q;
}

struct Cpu
{
    qint64 thread_ns = 0, process_ns = 0;
    int paints = 0, layouts = 0;   // widgets painted, layouts run (events)
};

// Counts the paint and layout events the application delivers.
// With BENCH_PAINTS set, also the painted widgets and their painted area.
class EventCount : public QObject
{
public:
    int paints = 0, layouts = 0;
    QMap<QString, QPair<int, qint64>> painted;   // class#name: paints, pixels
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Paint) {
            ++paints;
            if (by_widget) {
                const QString key = QString::fromLatin1(o->metaObject()->className()) + '#' + o->objectName() +
                                    (o->parent() ? '<' + o->parent()->objectName() : QString());
                QPair<int, qint64> &p = painted[key];
                ++p.first;
                for (const QRect &r : static_cast<QPaintEvent *>(e)->region())
                    p.second += qint64(r.width()) * r.height();
            }
        } else if (e->type() == QEvent::LayoutRequest)
            ++layouts;
        return false;
    }
    const bool by_widget = qEnvironmentVariableIsSet("BENCH_PAINTS");
};

// Runs the event loop for `seconds`, handing the window a reading at every
// whole second when `readings`; the CPU time spent meanwhile.
static Cpu run_for(KQ257_INTERFACE &w, int seconds, bool readings, quint32 *time)
{
    QEventLoop loop;
    QTimer tick;
    int left = seconds;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (readings) {
            w.get_rt_data(answer(*time, int(*time % 100000)));
            ++*time;
        }
        if (--left == 0)
            loop.quit();
    });
    EventCount count;
    qApp->installEventFilter(&count);
    const Cpu before{cpu_ns(CLOCK_THREAD_CPUTIME_ID), cpu_ns(CLOCK_PROCESS_CPUTIME_ID)};
    tick.start(1000);
    loop.exec();
    qApp->removeEventFilter(&count);
    for (auto it = count.painted.cbegin(); it != count.painted.cend(); ++it)
        std::printf("  %s: %.1f paints, %.0f pixels a second\n", qPrintable(it.key()), it->first / double(seconds),
                    it->second / double(seconds));
    return {cpu_ns(CLOCK_THREAD_CPUTIME_ID) - before.thread_ns, cpu_ns(CLOCK_PROCESS_CPUTIME_ID) - before.process_ns,
            count.paints, count.layouts};
}

static long peak_rss_mb()
{
    struct rusage u;
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;   // kilobytes on Linux
}

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    QApplication app(argc, argv);
    testkit::ProgramDir dir;
    hidsim::reset();

    const int total = argc > 1 ? std::max(2000, atoi(argv[1])) : 86400;
    const long rss_before = peak_rss_mb();
    KQ257_INTERFACE w;
    w.resize(1200, 732);
    w.show();
    QCoreApplication::processEvents();

    // One a second, after a few to settle; against as long without readings.
    const int paced = std::max(5, qEnvironmentVariableIntValue("BENCH_PACED_SECONDS") ?: 20);
    quint32 paced_time = 1600000000;
    run_for(w, 3, true, &paced_time);
    const Cpu idle = run_for(w, paced, false, &paced_time);
    const Cpu busy = run_for(w, paced, true, &paced_time);
    w.frame_part()->clear_all_data();
    QCoreApplication::processEvents();

    // Readings i .. i+count-1 into a window, as fast as they come, one
    // event-loop pass after each: the main thread's CPU and the wall time.
    const quint32 t0 = 1700000000;
    QElapsedTimer clock;
    auto feed = [&clock, t0](KQ257_INTERFACE &window, int from, int count, qint64 *cpu_sum, qint64 *ns_sum) {
        for (int i = from; i < from + count; ++i) {
            const QQueue<quint16> q = answer(t0 + quint32(i), i);
            clock.start();
            const qint64 cpu0 = cpu_ns(CLOCK_THREAD_CPUTIME_ID);
            window.get_rt_data(q);
            QCoreApplication::processEvents();   // paints, as the event loop would between readings
            *cpu_sum += cpu_ns(CLOCK_THREAD_CPUTIME_ID) - cpu0;
            *ns_sum += clock.nsecsElapsed();
        }
    };
    qint64 first_ns = 0, last_ns = 0, first_cpu = 0, last_cpu = 0, skip = 0;
    feed(w, 0, 1000, &first_cpu, &first_ns);
    feed(w, 1000, total - 2000, &skip, &skip);
    feed(w, total - 1000, 1000, &last_cpu, &last_ns);

    // First and last lie hours apart, under whatever else the machine did
    // meanwhile: the growth is also measured side by side, a fresh window's
    // first 1000 readings against 1000 more on the long run, in turns.
    const int rounds = 3;
    qint64 fresh_cpu = 0, long_cpu = 0;
    for (int r = 0; r < rounds; ++r) {
        KQ257_INTERFACE fresh;
        fresh.resize(1200, 732);
        fresh.show();
        QCoreApplication::processEvents();
        feed(fresh, 0, 1000, &fresh_cpu, &skip);
        fresh.hide();
        feed(w, total + r * 1000, 1000, &long_cpu, &skip);
    }
    const long rss_after = peak_rss_mb();

    frame::ModelFrame::set_save_name_hook([&](const QString &, const QString &) { return dir.file("day.xlsx"); });
    clock.start();
    w.SAVE_table_Slot();
    const double export_s = clock.nsecsElapsed() / 1e9;

    std::printf("one a second, %d s: a reading costs %.2f ms CPU (main thread), %.2f ms (process); "
                "idle %.2f ms a second\n", paced, (busy.thread_ns - idle.thread_ns) / 1e6 / paced,
                (busy.process_ns - idle.process_ns) / 1e6 / paced, idle.process_ns / 1e6 / paced);
    std::printf("one a second: events a second   %.1f paints, %.1f layouts (idle: %.1f, %.1f)\n",
                double(busy.paints) / paced, double(busy.layouts) / paced, double(idle.paints) / paced,
                double(idle.layouts) / paced);
    std::printf("readings                   %d\n", total);
    std::printf("first 1000: per reading    %.1f us CPU, %.1f us wall\n", first_cpu / 1e6, first_ns / 1e6);
    std::printf("last 1000:  per reading    %.1f us CPU, %.1f us wall\n", last_cpu / 1e6, last_ns / 1e6);
    std::printf("last / first               %.2f by CPU, %.2f by wall\n", double(last_cpu) / double(first_cpu),
                double(last_ns) / double(first_ns));
    std::printf("in turns (%d x 1000 each):  per reading %.1f us CPU on the long run, %.1f us on a fresh window; "
                "long / fresh %.2f\n", rounds, long_cpu / 1e3 / (rounds * 1000), fresh_cpu / 1e3 / (rounds * 1000),
                double(long_cpu) / double(fresh_cpu));
    std::printf("peak memory                %ld MB (%ld MB before the window)\n", rss_after, rss_before);
    std::printf("table rows                 %d\n", w.findChild<QTableWidget *>("RT_table_data")->rowCount());
    std::printf("xlsx export                %.2f s, %lld bytes\n", export_s,
                static_cast<long long>(QFileInfo(dir.file("day.xlsx")).size()));
    std::printf("peak memory after export   %ld MB\n", peak_rss_mb());
    return 0;
}
