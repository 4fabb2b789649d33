#ifndef WORKBOOK_H
#define WORKBOOK_H

#include <QColor>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QVariant>

#include <map>
#include <memory>
#include <utility>

// Small xlsx module: the model windows write their tables with Writer, the
// import viewer reads them back with read_first_sheet. Rows and columns are
// counted from 1, as on the sheet (A1 is row 1, column 1).
namespace workbook {

class Writer
{
public:
    Writer();
    ~Writer();
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    // A fill colour that is invalid (the default) leaves the cell unfilled;
    // a valid one gives the cell a solid fill of that colour. Rows are written out as later rows arrive: a cell may still be
    // rewritten, or written out of row order, within the last rows, but
    // not once its row is far behind (save then fails and says so).
    void write_string(int row, int col, const QString &text, const QColor &fill = QColor());
    void write_number(int row, int col, double value, const QColor &fill = QColor());
    // Merges the range; like other writers it empties every covered cell
    // but the top-left one, unless keep_covered leaves their texts in place.
    void merge(int first_row, int first_col, int last_row, int last_col, bool keep_covered = false);

    int cell_count() const { return m_written; }   // writes taken, rewrites included

    // Writes the workbook (one sheet); nothing may be written after it.
    // False, with a reason in error, when the file could not be written.
    bool save(const QString &path, QString *error = nullptr);

private:
    struct Cell
    {
        int col;
        double number;
        QString text;
        QRgb fill;        // valid only with has_fill
        bool has_fill;
        bool is_number;
    };
    struct Range
    {
        int first_row, first_col, last_row, last_col;
        bool keep_covered;
    };
    struct Stream;
    void put(int row, const Cell &cell);
    bool open_stream();
    void stream_first_row();
    void write_merges(int upto_row);
    bool covered(int row, int col) const;
    bool finish();

    std::map<int, QVector<Cell>> m_rows;   // the rows not written out yet, cells by column
    QVector<Range> m_merges;
    std::unique_ptr<Stream> m_stream;
    QString m_error;                       // the first fault; save reports it
    int m_streamed_up_to = 0;              // rows up to this one are written out
    int m_written = 0;
    bool m_finished = false;
};

namespace detail {
// The grid of a sheet: no cell lies past it.
const int k_sheet_rows = 1048576;
const int k_sheet_cols = 16384;

struct SheetCell
{
    int row;
    int col;
    QString text;
};
}

}

Q_DECLARE_TYPEINFO(workbook::detail::SheetCell, Q_MOVABLE_TYPE);

namespace workbook {

// The first worksheet of a workbook, every cell as text. Holds the cells
// present only: a far cell costs no more than a near one.
class Sheet
{
public:
    // The highest row and column that hold a cell.
    int row_count() const { return m_last_row; }
    int column_count() const { return m_last_col; }
    // Text of a cell; empty for a cell that is missing.
    QString cell(int row, int col) const;
    QStringList row(int row) const;
    // The rows that hold a cell, in order.
    QVector<int> rows() const;
    void set(int row, int col, const QString &text);

private:
    friend class SheetFill;
    using Cell = detail::SheetCell;
    struct RowStart
    {
        int row;
        int first;   // position of the row's first cell
    };
    // The cell's position among the cells, -1 when it lies off the sheet.
    int put(int row, int col, const QString &text);
    void build_index() const;
    std::pair<int, int> span(int row) const;

    // Sorted on first look-up after writes out of order.
    mutable QVector<Cell> m_cells;
    mutable QVector<RowStart> m_index;
    mutable bool m_sorted = true;
    int m_last_row = 0;
    int m_last_col = 0;
};

// Reads the cells of the first sheet: shared strings, inline strings,
// formula results and numbers (in plain decimals, as many digits as bring
// the same number back).
// False, with a reason in error, for a file that is not a readable workbook.
// Limits, where given, stop the reading as soon as the sheet goes past them,
// so a small archive of endless cells costs no more than the limit.
// A cell's text past max_text characters is refused as soon as it is seen,
// and so is a shared-string table that lists more than max_unused_strings
// strings beyond the sheet's cells that name one: the table is read after the
// sheet and costs no more than the cells that use it.
struct ReadLimits
{
    int max_rows = 0;         // 0: no limit
    int max_columns = 0;
    qint64 max_cells = 0;     // every cell element counts, a rewrite too
    int max_text = 0;         // characters in one cell's text
    int max_unused_strings = -1;   // -1: no limit
};
bool read_first_sheet(const QString &path, Sheet *sheet, QString *error = nullptr,
                      const ReadLimits &limits = ReadLimits());

// The text the reader gives for a numeric cell's value.
QString number_text(const QString &value);

}

#endif
