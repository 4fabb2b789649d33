// Table print to PDF through the real print preview, from the KQ257 window and
// from the import viewer, beside a bare QPainter-on-QPdfWriter floor drawing
// the same rows on as many pages as the window's print (its rows per page) in
// the same run. Each case runs in a child process of its own so that its peak
// memory is its own. Prints figures and ratios only.
//
//   bench_print                 all cases at 1,000 / 10,000 / 70,000 rows
//   bench_print ROWS...         all cases at the given row counts
//   bench_print --case KIND ROWS [PAGES]   one case (window, viewer, or floor
//                                          on PAGES pages)
//   bench_print --book ROWS FILE   only writes the viewer's workbook
#include "KQ257_interface/kq257_interface.h"
#include "import_data/import_data.h"

#include "../tests/temp/window_kit.h"
#include "frame/model_frame.h"
#include "hidsim.h"
#include "testkit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFontMetrics>
#include <QPainter>
#include <QPdfWriter>
#include <QMap>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sys/resource.h>

namespace {

long peak_rss_mb()
{
    struct rusage u;
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024;   // kilobytes on Linux
}

int pdf_pages(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    p.waitForFinished(60000);
    for (const QString &line : QString::fromUtf8(p.readAllStandardOutput()).split('\n'))
        if (line.startsWith(QLatin1String("Pages:")))
            return line.mid(6).trimmed().toInt();
    return -1;
}

// A day's readings as the window shows them: decoded by the window itself.
void fill_window(KQ257_INTERFACE &w, int rows)
{
    const quint32 t0 = 1700000000;
    for (int i = 0; i < rows; ++i) {
        const double c = 23.5 + 1.2 * std::sin(i / 400.0);
        const double h = 45.0 + 4.0 * std::cos(i / 550.0);
        QQueue<quint16> q;
        q << quint16((t0 + i) & 0xFFFF) << quint16((t0 + i) >> 16) << quint16(qint16(std::lround(c * 100)))
          << quint16(std::lround(h * 100));
        w.get_rt_data(q);
        if (i % 1000 == 0)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
}

std::unique_ptr<KQ257_INTERFACE> filled_window(int rows)
{
    auto w = std::make_unique<KQ257_INTERFACE>();
    w->resize(1200, 732);
    w->show();
    fill_window(*w, rows);
    return w;
}

struct Result
{
    double preview_s = 0;   // preview built and shown
    double pdf_s = 0;       // the preview printed to PDF
    int pages = 0;
    long peak_mb = 0;
    long base_mb = 0;       // peak before printing
};

// Times a preview opened by open() and its print to PDF.
Result time_preview(const std::function<void()> &open, const QString &pdf)
{
    Result r;
    r.base_mb = peak_rss_mb();
    QElapsedTimer clock;
    clock.start();
    const bool printed = window_kit::print_preview_to_pdf(open, pdf, [&] {
        r.preview_s = clock.nsecsElapsed() / 1e9;
        clock.start();
    });
    r.pdf_s = clock.nsecsElapsed() / 1e9;
    r.peak_mb = peak_rss_mb();
    r.pages = printed ? pdf_pages(pdf) : -1;
    return r;
}

Result run_floor(int rows, int window_pages, const QString &pdf)
{
    // The same texts the window prints, made up front: the floor is the drawing.
    QStringList dates;
    dates.reserve(rows);
    for (int i = 0; i < rows; ++i)
        dates << QDateTime::fromSecsSinceEpoch(1700000000 + i).toString(QStringLiteral("hh:mm:ss yyyy-MM-dd"));
    Result r;
    r.base_mb = peak_rss_mb();
    QElapsedTimer clock;
    clock.start();
    QPdfWriter writer(pdf);
    writer.setResolution(96);
    QPainter p(&writer);
    const QFontMetrics fm(p.font(), &writer);
    int line = fm.lineSpacing();
    const int top = 2 * line, bottom = writer.height() - 2 * line;
    // The window's rows per page (its row height and margins differ from a
    // bare text line's): the floor writes as many pages as the window.
    const int per_page = window_pages > 0 ? (rows + window_pages - 1) / window_pages : 0;
    if (per_page > 0)
        line = std::min(line, (bottom - top) / (per_page + 3));
    int y = top + 3 * line;   // the title's room on the first page
    int pages = 1, on_page = 0;
    for (int i = 0; i < rows; ++i) {
        if (per_page > 0 ? on_page == per_page : y + line > bottom) {
            writer.newPage();
            ++pages;
            y = top;
            on_page = 0;
        }
        ++on_page;
        y += line;
        p.drawText(40, y, dates[i]);
        p.drawText(240, y, QString::number(23.5 + 1.2 * std::sin(i / 400.0), 'f', 2) + QStringLiteral("℃"));
        p.drawText(360, y, QString::number(45.0 + 4.0 * std::cos(i / 550.0), 'f', 2) + QStringLiteral("%RH"));
    }
    p.end();
    r.pdf_s = clock.nsecsElapsed() / 1e9;
    r.peak_mb = peak_rss_mb();
    r.pages = pdf_pages(pdf);
    return r;
}

// Writes a workbook of ROWS readings through a real window's export.
int make_book(int rows, const QString &book)
{
    testkit::ProgramDir dir;
    hidsim::reset();
    const auto w = filled_window(rows);
    frame::ModelFrame::set_save_name_hook([&](const QString &, const QString &) { return book; });
    w->SAVE_table_Slot();
    frame::ModelFrame::set_save_name_hook(nullptr);
    return QFileInfo::exists(book) ? 0 : 1;
}

int run_case(const QString &kind, int rows, int window_pages)
{
    testkit::ProgramDir dir;
    hidsim::reset();
    const QString pdf = dir.file(QStringLiteral("table.pdf"));
    Result r;
    if (kind == QLatin1String("floor")) {
        r = run_floor(rows, window_pages, pdf);
    } else if (kind == QLatin1String("window")) {
        const auto w = filled_window(rows);
        r = time_preview([&] { w->Printf_table_Slot(); }, pdf);
    } else {
        // The workbook comes from a window in a child process: the viewer's
        // peak is then the viewer's own, as when a user opens a saved file.
        const QString book = dir.file(QStringLiteral("day.xlsx"));
        if (QProcess::execute(QCoreApplication::applicationFilePath(),
                              {QStringLiteral("--book"), QString::number(rows), book}) != 0) {
            std::fprintf(stderr, "the workbook could not be made\n");
            return 1;
        }
        import_data v(nullptr, book);
        v.show();
        QCoreApplication::processEvents();
        r = time_preview([&] { v.findChild<QPushButton *>(QStringLiteral("print_table"))->click(); }, pdf);
    }
    std::printf("%s %d %.3f %.3f %d %ld %ld\n", qPrintable(kind), rows, r.preview_s, r.pdf_s, r.pages, r.base_mb,
                r.peak_mb);
    return 0;
}

}

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    if ((argc == 4 || argc == 5) && QByteArray(argv[1]) == "--case") {
        QApplication app(argc, argv);
        return run_case(QString::fromLatin1(argv[2]), atoi(argv[3]), argc == 5 ? atoi(argv[4]) : 0);
    }
    if (argc == 4 && QByteArray(argv[1]) == "--book") {
        QApplication app(argc, argv);
        return make_book(atoi(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QCoreApplication app(argc, argv);
    QList<int> counts;
    for (int i = 1; i < argc; ++i)
        counts << atoi(argv[i]);
    if (counts.isEmpty())
        counts = {1000, 10000, 70000};

    std::printf("%-7s %7s %10s %10s %10s %6s %9s %9s %9s %9s %8s\n", "case", "rows", "preview s", "pdf s", "total s",
                "pages", "base MB", "peak MB", "pdf x fl", "tot x fl", "MB x fl");
    for (int rows : counts) {
        // The window first: the floor writes its number of pages.
        QMap<QString, QStringList> figures;
        for (const char *kind : {"window", "floor", "viewer"}) {
            QStringList args{QStringLiteral("--case"), QString::fromLatin1(kind), QString::number(rows)};
            if (QLatin1String(kind) == QLatin1String("floor"))
                args << figures.value(QStringLiteral("window")).value(4, QStringLiteral("0"));
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start(QCoreApplication::applicationFilePath(), args);
            child.waitForFinished(-1);
            figures[QLatin1String(kind)] = QString::fromUtf8(child.readAllStandardOutput()).trimmed().split(' ');
        }
        double floor_s = 0;
        long floor_mb = 0;
        for (const char *kind : {"floor", "window", "viewer"}) {
            const QStringList f = figures.value(QLatin1String(kind));
            if (f.size() != 7) {
                std::printf("%-7s %7d failed\n", kind, rows);
                continue;
            }
            const double preview = f[2].toDouble(), pdf = f[3].toDouble(), total = preview + pdf;
            const long peak = f[6].toLong();
            if (QLatin1String(kind) == QLatin1String("floor")) {
                floor_s = pdf;
                floor_mb = peak;
            }
            std::printf("%-7s %7d %10.3f %10.3f %10.3f %6s %9s %9ld %9.2f %9.2f %8.2f\n", kind, rows, preview, pdf,
                        total, qPrintable(f[4]), qPrintable(f[5]), peak, floor_s > 0 ? pdf / floor_s : 0.0,
                        floor_s > 0 ? total / floor_s : 0.0,
                        floor_mb > 0 ? double(peak) / floor_mb : 0.0);
            std::fflush(stdout);
        }
    }
    std::printf("total = preview + pdf; pdf x fl, tot x fl: against the floor's one pass to PDF; "
                "MB x fl: peak against the floor's peak\n");
    return 0;
}
