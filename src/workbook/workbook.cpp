#include "workbook.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>
#include <QLocale>
#include <QMap>
#include <QXmlStreamReader>

#include <algorithm>
#include <map>
#include <memory>

#include <unzip.h>
#include <xlsxwriter.h>

namespace workbook {

namespace {

const int k_max_rows = 1048576;
const int k_max_cols = 16384;
const int k_max_string = 32767;          // characters a cell may hold
const qint64 k_max_entry = 512ll << 20;  // refuse absurd archive members

quint64 cell_key(int row, int col)
{
    return (quint64(quint32(row)) << 32) | quint32(col);
}

}

// ---------------------------------------------------------------- writing

Writer::Writer() = default;

void Writer::put(const Cell &cell)
{
    if (cell.row < 1 || cell.col < 1)
        return;
    m_cells.append(cell);
    m_cells.last().order = m_cells.size();
}

void Writer::write_string(int row, int col, const QString &text, const QColor &fill)
{
    put(Cell{row, col, 0.0, text, fill.isValid() ? fill.rgb() : 0u, fill.isValid(), false, 0});
}

void Writer::write_number(int row, int col, double value, const QColor &fill)
{
    put(Cell{row, col, value, QString(), fill.isValid() ? fill.rgb() : 0u, fill.isValid(), true, 0});
}

void Writer::merge(int first_row, int first_col, int last_row, int last_col, bool keep_covered)
{
    if (first_row > last_row)
        std::swap(first_row, last_row);
    if (first_col > last_col)
        std::swap(first_col, last_col);
    if (first_row < 1 || first_col < 1 || (first_row == last_row && first_col == last_col))
        return;
    m_merges.append(Range{first_row, first_col, last_row, last_col, keep_covered});
}

bool Writer::save(const QString &path, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (path.isEmpty())
        return fail(QStringLiteral("no file name"));
    for (const Cell &c : m_cells)
        if (c.row > k_max_rows || c.col > k_max_cols)
            return fail(QStringLiteral("cell outside the sheet (row %1, column %2)").arg(c.row).arg(c.col));
    for (const Range &r : m_merges)
        if (r.last_row > k_max_rows || r.last_col > k_max_cols)
            return fail(QStringLiteral("merged range outside the sheet"));

    // Rows go out in order (the sheet is streamed to disk, so a day of
    // readings needs little memory); the last write of a cell wins.
    QVector<Cell> &cells = m_cells;
    std::sort(cells.begin(), cells.end(), [](const Cell &a, const Cell &b) {
        const quint64 ka = cell_key(a.row, a.col), kb = cell_key(b.row, b.col);
        return ka != kb ? ka < kb : a.order < b.order;
    });

    // Write into a temporary file beside the target and rename it at the end,
    // so that a failure never leaves a half-written workbook under the name.
    const QString tmp_path = path + QStringLiteral(".part");
    QFile::remove(tmp_path);
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook *book = workbook_new_opt(QFile::encodeName(tmp_path).constData(), &options);
    if (!book)
        return fail(QStringLiteral("cannot create the workbook"));
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    if (!sheet) {
        workbook_close(book);
        QFile::remove(tmp_path);
        return fail(QStringLiteral("cannot create the worksheet"));
    }

    std::map<QRgb, lxw_format *> fills;
    auto format_for = [&](const Cell &c) -> lxw_format * {
        if (!c.has_fill)
            return nullptr;
        const QRgb rgb = c.fill & 0xFFFFFF;
        auto it = fills.find(rgb);
        if (it != fills.end())
            return it->second;
        lxw_format *f = workbook_add_format(book);
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_bg_color(f, rgb);
        fills[rgb] = f;
        return f;
    };

    // Covered cells of a merge are left empty; the top-left keeps its value.
    auto covered = [this](int row, int col) {
        for (const Range &r : m_merges)
            if (!r.keep_covered && row >= r.first_row && row <= r.last_row && col >= r.first_col && col <= r.last_col
                && !(row == r.first_row && col == r.first_col))
                return true;
        return false;
    };

    lxw_error status = LXW_NO_ERROR;
    auto note = [&status](lxw_error e) {
        if (e != LXW_NO_ERROR && status == LXW_NO_ERROR)
            status = e;
    };
    const bool any_merge = !m_merges.isEmpty();
    int merged_up_to = 0;   // merges are written with the first row they start in
    auto write_merges = [&](int upto_row) {
        for (const Range &r : m_merges)
            if (r.first_row > merged_up_to && r.first_row <= upto_row)
                // The range is kept even where its (empty) covered cells
                // cannot be written any more, so the result is not checked.
                worksheet_merge_range(sheet, lxw_row_t(r.first_row - 1), lxw_col_t(r.first_col - 1),
                                      lxw_row_t(r.last_row - 1), lxw_col_t(r.last_col - 1), "", nullptr);
        merged_up_to = std::max(merged_up_to, upto_row);
    };
    for (int i = 0; i < cells.size(); ++i) {
        const Cell &c = cells[i];
        if (i + 1 < cells.size() && cells[i + 1].row == c.row && cells[i + 1].col == c.col)
            continue;   // rewritten later
        if (any_merge) {
            write_merges(c.row);
            if (covered(c.row, c.col))
                continue;
        }
        lxw_format *f = format_for(c);
        const lxw_row_t row = lxw_row_t(c.row - 1);
        const lxw_col_t col = lxw_col_t(c.col - 1);
        if (c.is_number) {
            note(worksheet_write_number(sheet, row, col, c.number, f));
        } else if (c.text.isEmpty()) {
            if (f)
                note(worksheet_write_blank(sheet, row, col, f));
        } else {
            const QByteArray utf8 = c.text.left(k_max_string).toUtf8();
            note(worksheet_write_string(sheet, row, col, utf8.constData(), f));
        }
    }
    if (any_merge)
        write_merges(k_max_rows);

    const lxw_error closed = workbook_close(book);
    if (closed != LXW_NO_ERROR || status != LXW_NO_ERROR) {
        QFile::remove(tmp_path);
        return fail(QString::fromUtf8(lxw_strerror(closed != LXW_NO_ERROR ? closed : status)));
    }
    if (QFileInfo(path).isDir()) {
        QFile::remove(tmp_path);
        return fail(QStringLiteral("%1 is a directory").arg(path));
    }
    QFile::remove(path);
    if (!QFile::rename(tmp_path, path)) {
        QFile::remove(tmp_path);
        return fail(QStringLiteral("cannot write %1").arg(path));
    }
    return true;
}

}
