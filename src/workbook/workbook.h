#ifndef WORKBOOK_H
#define WORKBOOK_H

#include <QColor>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QVariant>

#include <utility>

// Small xlsx module: the model windows write their tables with Writer, the
// import viewer reads them back with read_first_sheet. Rows and columns are
// counted from 1, as on the sheet (A1 is row 1, column 1).
namespace workbook {

class Writer
{
public:
    Writer();

    // A fill colour that is invalid (the default) leaves the cell unfilled;
    // a valid one gives the cell a solid fill of that colour.
    void write_string(int row, int col, const QString &text, const QColor &fill = QColor());
    void write_number(int row, int col, double value, const QColor &fill = QColor());
    // Merges the range; like other writers it empties every covered cell
    // but the top-left one, unless keep_covered leaves their texts in place.
    void merge(int first_row, int first_col, int last_row, int last_col, bool keep_covered = false);

    int cell_count() const { return m_cells.size(); }

    // Writes the workbook (one sheet). False, with a reason in error, when
    // the file could not be written.
    bool save(const QString &path, QString *error = nullptr);

private:
    struct Cell
    {
        int row;
        int col;
        double number;
        QString text;
        QRgb fill;        // valid only with has_fill
        bool has_fill;
        bool is_number;
        int order;        // a later write of the same cell wins
    };
    struct Range
    {
        int first_row, first_col, last_row, last_col;
        bool keep_covered;
    };
    void put(const Cell &cell);
    QVector<Cell> m_cells;          // sorted by save(); big tables stay compact
    QVector<Range> m_merges;
};

namespace detail {
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
    using Cell = detail::SheetCell;
    struct RowStart
    {
        int row;
        int first;   // position of the row's first cell
    };
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
bool read_first_sheet(const QString &path, Sheet *sheet, QString *error = nullptr);

// The text the reader gives for a numeric cell's value.
QString number_text(const QString &value);

}

#endif
