// 24 hours of KQ257 readings at one a second through the real window:
// decoding, table, graph, statistics and gauges; then the full table to
// xlsx. Prints figures only.
#include "KQ257_interface/kq257_interface.h"

#include "frame/model_frame.h"
#include "hidsim.h"
#include "testkit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTableWidget>

#include <cmath>
#include <cstdio>
#include <sys/resource.h>

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

    const quint32 t0 = 1700000000;
    QElapsedTimer clock;
    qint64 first_ns = 0, last_ns = 0;
    for (int i = 0; i < total; ++i) {
        const double c = 23.5 + 1.2 * std::sin(i / 400.0);
        const double h = 45.0 + 4.0 * std::cos(i / 550.0);
        QQueue<quint16> q;
        q << quint16((t0 + i) & 0xFFFF) << quint16((t0 + i) >> 16)
          << quint16(qint16(std::lround(c * 100))) << quint16(std::lround(h * 100));
        clock.start();
        w.get_rt_data(q);
        QCoreApplication::processEvents();   // paints, as the event loop would between readings
        const qint64 ns = clock.nsecsElapsed();
        if (i < 1000)
            first_ns += ns;
        else if (i >= total - 1000)
            last_ns += ns;
    }
    const long rss_after = peak_rss_mb();

    frame::ModelFrame::set_save_name_hook([&](const QString &, const QString &) { return dir.file("day.xlsx"); });
    clock.start();
    w.SAVE_table_Slot();
    const double export_s = clock.nsecsElapsed() / 1e9;

    std::printf("readings                   %d\n", total);
    std::printf("first 1000: per reading    %.1f us\n", first_ns / 1000.0 / 1000.0);
    std::printf("last 1000:  per reading    %.1f us\n", last_ns / 1000.0 / 1000.0);
    std::printf("last / first               %.2f\n", double(last_ns) / double(first_ns));
    std::printf("peak memory                %ld MB (%ld MB before the window)\n", rss_after, rss_before);
    std::printf("table rows                 %d\n", w.findChild<QTableWidget *>("RT_table_data")->rowCount());
    std::printf("xlsx export                %.2f s, %lld bytes\n", export_s,
                static_cast<long long>(QFileInfo(dir.file("day.xlsx")).size()));
    std::printf("peak memory after export   %ld MB\n", peak_rss_mb());
    return 0;
}
