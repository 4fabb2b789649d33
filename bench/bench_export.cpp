// Writing a day and a week of readings to xlsx: the workbook module (fed
// cell by cell, and through a window's table layout) beside libxlsxwriter
// alone writing the same cells in constant-memory mode, in the same run.
// Prints times, ratios and the peak memory each run adds.
#include "frame/model_frame.h"
#include "workbook/workbook.h"

#include <QApplication>
#include <QColor>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

#include <xlsxwriter.h>

namespace {

// Resident set now and at its peak since the last reset, in MB.
long status_mb(const char *key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').first().toLong() / 1024;
    return -1;
}

void reset_peak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

// One row of a thermo-hygrometer table: time, value and unit twice, the
// first value red now and then.
struct Row
{
    QString time;
    double temp;
    double humi;
    bool alarm;
};

Row row_at(int i)
{
    const int s = i % 86400;
    return Row{QStringLiteral("%1:%2:%3 2024-03-%4")
                   .arg(s / 3600, 2, 10, QLatin1Char('0'))
                   .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                   .arg(s % 60, 2, 10, QLatin1Char('0'))
                   .arg(1 + i / 86400, 2, 10, QLatin1Char('0')),
               20.0 + (i % 1000) / 100.0, 40.0 + (i % 700) / 10.0, i % 97 == 0};
}

struct Result
{
    double seconds;
    long peak_mb;
    qint64 bytes;
};

Result measure(const QString &path, const std::function<bool()> &run)
{
    QFile::remove(path);
    const long base = status_mb("VmRSS:");
    reset_peak();
    QElapsedTimer clock;
    clock.start();
    const bool ok = run();
    const double s = clock.nsecsElapsed() / 1e9;
    if (!ok)
        std::fprintf(stderr, "write failed: %s\n", qPrintable(path));
    return Result{s, status_mb("VmHWM:") - base, QFileInfo(path).size()};
}

bool module_cells(const QString &path, int rows)
{
    workbook::Writer w;
    w.write_string(1, 1, QStringLiteral("WRX-4 datasheet"));
    w.write_string(2, 1, QStringLiteral("Date"));
    w.write_string(2, 2, QStringLiteral("Temp"));
    w.write_string(2, 4, QStringLiteral("Humi"));
    w.merge(2, 2, 2, 3);
    w.merge(2, 4, 2, 5);
    const QString celsius = QStringLiteral("℃"), rh = QStringLiteral("%RH");
    for (int i = 0; i < rows; ++i) {
        const Row r = row_at(i);
        const QColor fill = r.alarm ? QColor(Qt::red) : QColor();
        w.write_string(i + 3, 1, r.time);
        w.write_number(i + 3, 2, r.temp, fill);
        w.write_string(i + 3, 3, celsius, fill);
        w.write_number(i + 3, 4, r.humi);
        w.write_string(i + 3, 5, rh);
    }
    return w.save(path);
}

bool raw_cells(const QString &path, int rows)
{
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook *book = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    if (!book)
        return false;
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    lxw_format *red = workbook_add_format(book);
    format_set_pattern(red, LXW_PATTERN_SOLID);
    format_set_bg_color(red, 0xFF0000);
    worksheet_write_string(sheet, 0, 0, "WRX-4 datasheet", nullptr);
    worksheet_merge_range(sheet, 1, 1, 1, 2, "", nullptr);
    worksheet_merge_range(sheet, 1, 3, 1, 4, "", nullptr);
    worksheet_write_string(sheet, 1, 0, "Date", nullptr);
    worksheet_write_string(sheet, 1, 1, "Temp", nullptr);
    worksheet_write_string(sheet, 1, 3, "Humi", nullptr);
    for (int i = 0; i < rows; ++i) {
        const Row r = row_at(i);
        lxw_format *f = r.alarm ? red : nullptr;
        const lxw_row_t row = lxw_row_t(i + 2);
        worksheet_write_string(sheet, row, 0, r.time.toUtf8().constData(), nullptr);
        worksheet_write_number(sheet, row, 1, r.temp, f);
        worksheet_write_string(sheet, row, 2, "\xE2\x84\x83", f);
        worksheet_write_number(sheet, row, 3, r.humi, nullptr);
        worksheet_write_string(sheet, row, 4, "%RH", nullptr);
    }
    return workbook_close(book) == LXW_NO_ERROR;
}

// The window's path: a table as the window holds it, through its layout.
bool window_layout(const QString &path, const QTableWidget &table)
{
    workbook::Writer w;
    frame::write_unit_pairs_layout(w, &table, QStringLiteral("WRX-4"));
    return w.save(path);
}

void print(const char *what, int rows, const Result &r, const Result &floor)
{
    std::printf("%-34s %7d rows  %6.3f s  %5.2fx  peak +%4ld MB  %6.1f MB file\n", what, rows, r.seconds,
                r.seconds / floor.seconds, r.peak_mb, r.bytes / 1e6);
}

}

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString out = dir.filePath("out.xlsx");
    std::printf("export benchmark (ratios against libxlsxwriter alone, same cells, same run)\n");
    for (int rows : {86400, 604800}) {
        // Each writer twice, alternating; the better time of the two counts.
        Result raw{1e9, 0, 0}, module{1e9, 0, 0};
        for (int pass = 0; pass < 2; ++pass) {
            const Result a = measure(out, [&] { return raw_cells(out, rows); });
            const Result b = measure(out, [&] { return module_cells(out, rows); });
            if (a.seconds < raw.seconds)
                raw = a;
            if (b.seconds < module.seconds)
                module = b;
        }
        print("libxlsxwriter alone", rows, raw, raw);
        print("workbook module", rows, module, raw);
        if (rows == 86400) {
            QTableWidget table(rows, 3);
            table.setHorizontalHeaderLabels({QStringLiteral("Date"), QStringLiteral("Temp"), QStringLiteral("Humi")});
            for (int i = 0; i < rows; ++i) {
                const Row r = row_at(i);
                table.setItem(i, 0, new QTableWidgetItem(r.time));
                auto *t = new QTableWidgetItem(QString::number(r.temp, 'f', 2) + QStringLiteral("℃"));
                if (r.alarm)
                    t->setBackground(QBrush(Qt::red, Qt::SolidPattern));
                table.setItem(i, 1, t);
                table.setItem(i, 2, new QTableWidgetItem(QString::number(r.humi, 'f', 1) + QStringLiteral("%RH")));
            }
            const Result layout = measure(out, [&] { return window_layout(out, table); });
            print("window layout (unit pairs)", rows, layout, raw);
        }
    }
    return 0;
}
