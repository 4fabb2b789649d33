#include "workbook.h"

#include "common/safe_file.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>
#include <QLocale>
#include <QMap>
#include <QTemporaryFile>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
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

}

// ---------------------------------------------------------------- writing

// Rows go to libxlsxwriter as they are completed; only the last rows stay
// in memory, so a cell rewritten or written a little out of order still
// lands, and a week of readings needs no more memory than a minute's.
namespace {
const int k_open_rows = 64;   // rows kept before the oldest is streamed
}

struct Writer::Stream
{
    QTemporaryFile file{QDir::tempPath() + QStringLiteral("/sensavo-XXXXXX.xlsx")};
    lxw_workbook *book = nullptr;
    lxw_worksheet *sheet = nullptr;
    std::map<QRgb, lxw_format *> fills;
    lxw_error status = LXW_NO_ERROR;
    int merged_up_to = 0;     // merges are written with the first row they start in
    QByteArray utf8;          // reused for every string

    ~Stream()
    {
        if (book)
            workbook_close(book);   // a writer dropped unsaved: nothing is kept
    }
    void note(lxw_error e)
    {
        if (e != LXW_NO_ERROR && status == LXW_NO_ERROR)
            status = e;
    }
    lxw_format *format(const QRgb fill)
    {
        const QRgb rgb = fill & 0xFFFFFF;
        auto it = fills.find(rgb);
        if (it != fills.end())
            return it->second;
        lxw_format *f = workbook_add_format(book);
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_bg_color(f, rgb);
        fills[rgb] = f;
        return f;
    }
};

Writer::Writer() = default;
Writer::~Writer() = default;

void Writer::put(int row, const Cell &cell)
{
    if (row < 1 || cell.col < 1 || m_finished)
        return;
    ++m_written;
    if (row > k_max_rows || cell.col > k_max_cols) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("cell outside the sheet (row %1, column %2)").arg(row).arg(cell.col);
        return;
    }
    if (row <= m_streamed_up_to) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("cell at row %1, column %2 written after its row was saved").arg(row).arg(cell.col);
        return;
    }
    QVector<Cell> &cells = m_rows[row];
    // Cells keep column order; a later write of the same cell wins.
    auto at = cells.end();
    while (at != cells.begin() && (at - 1)->col > cell.col)
        --at;
    if (at != cells.begin() && (at - 1)->col == cell.col)
        *(at - 1) = cell;
    else
        cells.insert(at, cell);
    while (int(m_rows.size()) > k_open_rows)
        stream_first_row();
}

void Writer::write_string(int row, int col, const QString &text, const QColor &fill)
{
    put(row, Cell{col, 0.0, text, fill.isValid() ? fill.rgb() : 0u, fill.isValid(), false});
}

void Writer::write_number(int row, int col, double value, const QColor &fill)
{
    // A sheet has no infinite or undefined numbers; other readers reject the file.
    if (!std::isfinite(value)) {
        write_string(row, col, QString::number(value), fill);
        return;
    }
    put(row, Cell{col, value, QString(), fill.isValid() ? fill.rgb() : 0u, fill.isValid(), true});
}

void Writer::merge(int first_row, int first_col, int last_row, int last_col, bool keep_covered)
{
    if (first_row > last_row)
        std::swap(first_row, last_row);
    if (first_col > last_col)
        std::swap(first_col, last_col);
    if (first_row < 1 || first_col < 1 || (first_row == last_row && first_col == last_col))
        return;
    if (last_row > k_max_rows || last_col > k_max_cols) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("merged range outside the sheet");
        return;
    }
    m_merges.append(Range{first_row, first_col, last_row, last_col, keep_covered});
}

bool Writer::open_stream()
{
    if (m_stream)
        return m_stream->book != nullptr;
    m_stream.reset(new Stream);
    if (!m_stream->file.open()) {
        m_error = QStringLiteral("cannot create a temporary file in %1").arg(QDir::tempPath());
        return false;
    }
    m_stream->file.close();   // libxlsxwriter writes it by name when it closes
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    m_stream->book = workbook_new_opt(QFile::encodeName(m_stream->file.fileName()).constData(), &options);
    if (m_stream->book)
        m_stream->sheet = workbook_add_worksheet(m_stream->book, nullptr);
    if (!m_stream->sheet) {
        m_error = QStringLiteral("cannot create the workbook");
        return false;
    }
    return true;
}

void Writer::write_merges(int upto_row)
{
    Stream &s = *m_stream;
    for (const Range &r : m_merges)
        if (r.first_row > s.merged_up_to && r.first_row <= upto_row)
            // The range is kept even where its (empty) covered cells
            // cannot be written any more, so the result is not checked.
            worksheet_merge_range(s.sheet, lxw_row_t(r.first_row - 1), lxw_col_t(r.first_col - 1),
                                  lxw_row_t(r.last_row - 1), lxw_col_t(r.last_col - 1), "", nullptr);
    s.merged_up_to = std::max(s.merged_up_to, upto_row);
}

// Covered cells of a merge are left empty; the top-left keeps its value.
bool Writer::covered(int row, int col) const
{
    for (const Range &r : m_merges)
        if (!r.keep_covered && row >= r.first_row && row <= r.last_row && col >= r.first_col && col <= r.last_col
            && !(row == r.first_row && col == r.first_col))
            return true;
    return false;
}

void Writer::stream_first_row()
{
    const auto first = m_rows.begin();
    const int row_number = first->first;
    m_streamed_up_to = row_number;
    if (!open_stream()) {
        m_rows.erase(first);
        return;
    }
    Stream &s = *m_stream;
    const bool any_merge = !m_merges.isEmpty();
    if (any_merge)
        write_merges(row_number);
    const lxw_row_t row = lxw_row_t(row_number - 1);
    for (const Cell &c : first->second) {
        if (any_merge && covered(row_number, c.col))
            continue;
        lxw_format *f = c.has_fill ? s.format(c.fill) : nullptr;
        const lxw_col_t col = lxw_col_t(c.col - 1);
        if (c.is_number) {
            s.note(worksheet_write_number(s.sheet, row, col, c.number, f));
        } else if (c.text.isEmpty()) {
            if (f)
                s.note(worksheet_write_blank(s.sheet, row, col, f));
        } else {
            s.utf8 = c.text.leftRef(k_max_string).toUtf8();
            s.note(worksheet_write_string(s.sheet, row, col, s.utf8.constData(), f));
        }
    }
    m_rows.erase(first);
}

bool Writer::finish()
{
    if (m_finished)
        return m_error.isEmpty();
    m_finished = true;
    while (!m_rows.empty())
        stream_first_row();
    if (!m_error.isEmpty() || !open_stream())
        return false;
    if (!m_merges.isEmpty())
        write_merges(k_max_rows);
    Stream &s = *m_stream;
    const lxw_error closed = workbook_close(s.book);
    s.book = nullptr;
    if (closed != LXW_NO_ERROR || s.status != LXW_NO_ERROR)
        m_error = QString::fromUtf8(lxw_strerror(closed != LXW_NO_ERROR ? closed : s.status));
    return m_error.isEmpty();
}

bool Writer::save(const QString &path, QString *error)
{
    if (path.isEmpty()) {
        if (error)
            *error = QStringLiteral("no file name");
        return false;
    }
    if (!finish()) {
        if (error)
            *error = m_error;
        return false;
    }
    // The finished workbook is copied beside the target and renamed over it,
    // so a failure never leaves a half-written workbook under the name.
    const QString finished = m_stream->file.fileName();
    return safe_file::replace(path, [&finished](const QString &temp, QString *why) {
        return safe_file::copy_into(finished, temp, why);
    }, error);
}

}
