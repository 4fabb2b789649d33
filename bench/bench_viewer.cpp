// The import viewer on a day of thermo-hygrometer readings exported by the
// real window, beside openpyxl's read-only load of the same file (the two
// alternate over several runs, so a change of load falls on both); a unit
// switch; two workbooks of one far cell; small archives of endless cells
// and of endless text.
// Each open runs in a child process of its own so its peak memory is its
// own. Prints figures only.
//
//   bench_viewer [ROWS]              default 86400
//   BENCH_VIEWER_RUNS=5              viewer / openpyxl pairs (median shown)
#include "KQ257_interface/kq257_interface.h"
#include "frame/model_frame.h"
#include "import_data/import_data.h"
#include "workbook/workbook.h"
#include "hidsim.h"
#include "testkit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRadioButton>
#include <QTableView>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

// The process's own high-water mark: unlike getrusage's, it does not carry
// the parent's over fork and exec.
long peak_rss_mb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong() / 1024;
    return -1;
}

// Child: opens the file in the viewer, shows it, optionally switches unit.
int open_in_viewer(const QString &path, bool switch_unit)
{
    const long before = peak_rss_mb();
    QElapsedTimer clock;
    clock.start();
    import_data v(nullptr, path);
    v.resize(1200, 700);
    v.show();
    QCoreApplication::processEvents();
    const double open_s = clock.nsecsElapsed() / 1e9;
    const auto *table = v.findChild<QTableView *>("import_table");
    const int rows = table && table->model() ? table->model()->rowCount() : -1;
    double switch_s = -1;
    if (switch_unit) {
        auto *radio = v.findChild<QRadioButton *>("radioButton_2");
        if (radio) {
            clock.start();
            radio->click();
            QCoreApplication::processEvents();
            switch_s = clock.nsecsElapsed() / 1e9;
        }
    }
    std::printf("%.3f %ld %ld %d %.3f\n", open_s, peak_rss_mb(), before, rows, switch_s);
    return 0;
}

struct Open
{
    bool ok = false;
    QString why;
    double seconds = 0, switch_s = 0;
    long peak = 0, before = 0;
    int rows = 0;
};

Open run_child(const QString &self, const QString &path, bool switch_unit, int timeout_s)
{
    Open o;
    QProcess p;
    p.start(self, {QStringLiteral("--open"), path, switch_unit ? QStringLiteral("1") : QStringLiteral("0")});
    if (!p.waitForFinished(timeout_s * 1000)) {
        p.kill();
        p.waitForFinished();
        o.why = QStringLiteral("no result within %1 s").arg(timeout_s);
        return o;
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        o.why = QStringLiteral("crashed (exit %1)").arg(p.exitCode());
        return o;
    }
    const QStringList f = QString::fromLatin1(p.readAllStandardOutput()).trimmed().split(QLatin1Char(' '));
    if (f.size() < 5) {
        o.why = QStringLiteral("no figures");
        return o;
    }
    o.ok = true;
    o.seconds = f[0].toDouble();
    o.peak = f[1].toLong();
    o.before = f[2].toLong();
    o.rows = f[3].toInt();
    o.switch_s = f[4].toDouble();
    return o;
}

void print_open(const char *what, const Open &o)
{
    if (!o.ok)
        std::printf("%-28s %s\n", what, qPrintable(o.why));
    else
        std::printf("%-28s %.3f s, peak %ld MB (%ld MB before the viewer), %d rows\n", what, o.seconds, o.peak,
                    o.before, o.rows);
}

// openpyxl read-only load of every row; seconds and peak MB, or false.
bool openpyxl_read(const QString &path, double *seconds, long *peak)
{
    static const char *script = R"PY(
import sys, time
try:
    import openpyxl
except ImportError:
    print("missing"); sys.exit(0)
t = time.perf_counter()
wb = openpyxl.load_workbook(sys.argv[1], read_only=True)
n = 0
for row in wb.worksheets[0].iter_rows(values_only=True):
    n += 1
hwm = [l for l in open("/proc/self/status") if l.startswith("VmHWM:")][0].split()[1]
print("%.3f %d %d" % (time.perf_counter() - t, int(hwm) // 1024, n))
)PY";
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(script), path});
    if (!p.waitForStarted(10000) || !p.waitForFinished(300000))
        return false;
    const QStringList f = QString::fromLatin1(p.readAllStandardOutput()).trimmed().split(QLatin1Char(' '));
    if (f.size() < 3)
        return false;
    *seconds = f[0].toDouble();
    *peak = f[1].toLong();
    return true;
}

}

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    QApplication app(argc, argv);
    if (argc > 3 && QByteArray(argv[1]) == "--open")
        return open_in_viewer(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]) == "1");

    testkit::ProgramDir dir;
    hidsim::reset();
    const int total = argc > 1 ? std::max(2000, atoi(argv[1])) : 86400;
    const QString day = dir.file("day.xlsx");
    {
        KQ257_INTERFACE w;
        w.resize(1200, 732);
        w.show();
        QCoreApplication::processEvents();
        const quint32 t0 = 1700000000;
        for (int i = 0; i < total; ++i) {
            const double c = 23.5 + 1.2 * std::sin(i / 400.0);
            const double h = 45.0 + 4.0 * std::cos(i / 550.0);
            QQueue<quint16> q;
            q << quint16((t0 + i) & 0xFFFF) << quint16((t0 + i) >> 16)
              << quint16(qint16(std::lround(c * 100))) << quint16(std::lround(h * 100));
            w.get_rt_data(q);
            if (i % 1000 == 0)
                QCoreApplication::processEvents();
        }
        frame::ModelFrame::set_save_name_hook([&](const QString &, const QString &) { return day; });
        w.SAVE_table_Slot();
        frame::ModelFrame::set_save_name_hook(nullptr);
    }
    const QString keep = qEnvironmentVariable("SENSAVO_BENCH_KEEP");   // a copy to profile the viewer on
    if (!keep.isEmpty())
        QFile::copy(day, keep);
    std::printf("workbook                     %d rows from the KQ257 window, %lld bytes\n", total,
                static_cast<long long>(QFileInfo(day).size()));

    const QString self = QCoreApplication::applicationFilePath();
    const int runs = std::max(1, qEnvironmentVariableIntValue("BENCH_VIEWER_RUNS") ?: 5);
    std::vector<double> viewer_s, py_times, ratios;
    Open viewer;
    bool have_openpyxl = true;
    for (int r = 0; r < runs; ++r) {
        const Open v = run_child(self, day, true, 300);
        if (r == 0 || !viewer.ok)
            viewer = v;
        double py_s = 0;
        long py_peak = 0;
        const bool py = have_openpyxl && openpyxl_read(day, &py_s, &py_peak);
        have_openpyxl = py;
        if (!v.ok) {
            print_open("viewer open to table shown", v);
            continue;
        }
        viewer_s.push_back(v.seconds);
        if (py) {
            py_times.push_back(py_s);
            ratios.push_back(v.seconds / py_s);
        }
        std::printf("run %d: viewer %.3f s (peak %ld MB), openpyxl %s\n", r + 1, v.seconds, v.peak,
                    py ? qPrintable(QStringLiteral("%1 s (peak %2 MB)").arg(py_s, 0, 'f', 3).arg(py_peak))
                       : "skipped");
        std::fflush(stdout);
    }
    auto median = [](std::vector<double> v) {
        if (v.empty())
            return 0.0;
        std::sort(v.begin(), v.end());
        return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    };
    if (viewer.ok) {
        viewer.seconds = median(viewer_s);
        std::printf("median of %d runs:\n", int(viewer_s.size()));
        print_open("viewer open to table shown", viewer);
        std::printf("%-28s %.3f s\n", "unit switch (C to F)", viewer.switch_s);
    }
    if (!py_times.empty()) {
        std::printf("%-28s %.3f s\n", "openpyxl read-only load", median(py_times));
        const double ratio = median(ratios);
        std::printf("%-28s %.2f (openpyxl takes %.1fx as long)\n", "viewer / openpyxl time", ratio,
                    ratio > 0 ? 1 / ratio : 0.0);
    } else {
        std::printf("openpyxl read-only load      skipped: /usr/bin/python3 has no openpyxl\n");
    }

    // One cell far out on a sheet that holds only a model title.
    const struct
    {
        const char *name;
        int row, col;
    } far[] = {{"title and XFD20000", 20000, 16384}, {"title and A1048576", 1048576, 1}};
    for (const auto &f : far) {
        const QString path = dir.file(QStringLiteral("far%1.xlsx").arg(f.row));
        workbook::Writer writer;
        writer.write_string(1, 1, QStringLiteral("KQ240"));
        writer.write_string(f.row, f.col, QStringLiteral("x"));
        if (!writer.save(path)) {
            std::printf("%-28s not written\n", f.name);
            continue;
        }
        print_open(f.name, run_child(self, path, false, 120));
    }

    // 500 MB of repeated cell XML in an archive of a megabyte or two.
    static const char *endless = R"PY(
import sys, zipfile
unit, one_row, size = sys.argv[2], sys.argv[3] == '1', int(sys.argv[4])
head = ('<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">'
        '<sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>KQ240 datasheet</t></is></c></row>')
if one_row: head += '<row r="2">'
tail = ('</row>' if one_row else '') + '</sheetData></worksheet>'
chunk = (unit * ((1 << 20) // len(unit))).encode()
z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED, compresslevel=9)
with z.open('xl/worksheets/sheet1.xml', 'w', force_zip64=True) as f:
    f.write(head.encode())
    for _ in range(size // len(chunk)): f.write(chunk)
    f.write(tail.encode())
z.close()
)PY";
    const struct
    {
        const char *name;
        const char *unit;
        bool one_row;
    } hostile[] = {
        {"500 MB: rows of two cells", "<row><c><v>1</v></c><c><v>2</v></c></row>", false},
        {"500 MB: one row of cells", "<c><v>1</v></c>", true},
        {"500 MB: one cell rewritten", "<c r=\"B2\"><v>1</v></c>", true},
    };
    for (const auto &h : hostile) {
        const QString path = dir.file(QStringLiteral("endless.xlsx"));
        QFile::remove(path);
        QProcess p;
        p.start(QStringLiteral("/usr/bin/python3"),
                {QStringLiteral("-c"), QString::fromLatin1(endless), path, QString::fromLatin1(h.unit),
                 h.one_row ? QStringLiteral("1") : QStringLiteral("0"), QStringLiteral("500000000")});
        if (!p.waitForFinished(300000) || p.exitCode() != 0 || !QFileInfo(path).isFile()) {
            std::printf("%-28s not written\n", h.name);
            continue;
        }
        std::printf("%-28s %lld bytes\n", h.name, static_cast<long long>(QFileInfo(path).size()));
        print_open(h.name, run_child(self, path, false, 180));
    }

    // Hundreds of megabytes of text in an archive of a megabyte or less:
    // shared strings for two cells, or one cell's text.
    static const char *texts = R"PY(
import sys, zipfile
kind, size = sys.argv[2], int(sys.argv[3])
ns = 'http://schemas.openxmlformats.org/spreadsheetml/2006/main'
head = ('<worksheet xmlns="%s"><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>KQ240 datasheet</t></is></c></row>'
        '<row r="2">' % ns)
tail = '</row></sheetData></worksheet>'
z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED, compresslevel=9)
if kind == 'cell':
    with z.open('xl/worksheets/sheet1.xml', 'w', force_zip64=True) as f:
        f.write((head + '<c r="A2" t="inlineStr"><is><t>').encode())
        for _ in range(size >> 20): f.write(b'a' * (1 << 20))
        f.write(('</t></is></c>' + tail).encode())
else:
    z.writestr('xl/worksheets/sheet1.xml', head + '<c r="A2" t="s"><v>0</v></c><c r="B2" t="s"><v>1</v></c>' + tail)
    with z.open('xl/sharedStrings.xml', 'w', force_zip64=True) as f:
        f.write(('<sst xmlns="%s">' % ns).encode())
        n, i = 0, 0
        while n < size:
            chunk = ''.join('<si><t>12:00:00 2024-01-01 %d</t></si>' % ((j // 4096) % 2)
                            for j in range(i, i + 20000)).encode()
            f.write(chunk)
            n, i = n + len(chunk), i + 20000
        f.write(b'</sst>')
z.close()
)PY";
    const struct
    {
        const char *name;
        const char *kind;
        const char *size;
    } text_bombs[] = {
        {"500 MB of shared strings", "shared", "500000000"},
        {"one cell of 400 MB", "cell", "400000000"},
    };
    for (const auto &b : text_bombs) {
        const QString path = dir.file(QStringLiteral("texts.xlsx"));
        QFile::remove(path);
        QProcess p;
        p.start(QStringLiteral("/usr/bin/python3"),
                {QStringLiteral("-c"), QString::fromLatin1(texts), path, QString::fromLatin1(b.kind),
                 QString::fromLatin1(b.size)});
        if (!p.waitForFinished(300000) || p.exitCode() != 0 || !QFileInfo(path).isFile()) {
            std::printf("%-28s not written\n", b.name);
            continue;
        }
        std::printf("%-28s %lld bytes\n", b.name, static_cast<long long>(QFileInfo(path).size()));
        print_open(b.name, run_child(self, path, false, 180));
    }
    return 0;
}
