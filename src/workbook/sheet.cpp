// The sheet the reader fills: the cells present only, in row order once
// looked at.
#include "workbook.h"

#include <algorithm>

namespace workbook {

using detail::k_sheet_cols;
using detail::k_sheet_rows;

void Sheet::set(int row, int col, const QString &text)
{
    put(row, col, text);
}

int Sheet::put(int row, int col, const QString &text)
{
    if (row < 1 || col < 1 || row > k_sheet_rows || col > k_sheet_cols)
        return -1;
    if (!m_cells.isEmpty()) {
        Cell &last = m_cells.last();
        if (row == last.row && col == last.col) {
            last.text = text;   // the same cell again costs no room
            return int(m_cells.size()) - 1;
        }
        if (row < last.row || (row == last.row && col < last.col))
            m_sorted = false;
    }
    m_cells.append(Cell{row, col, text});
    m_index.clear();
    m_last_row = std::max(m_last_row, row);
    m_last_col = std::max(m_last_col, col);
    return int(m_cells.size()) - 1;
}

// Cells in row then column order, a later write of a cell winning; then one
// index entry per row that holds a cell.
void Sheet::build_index() const
{
    if (!m_index.isEmpty() || m_cells.isEmpty())
        return;
    if (!m_sorted) {
        std::stable_sort(m_cells.begin(), m_cells.end(), [](const Cell &a, const Cell &b) {
            return a.row != b.row ? a.row < b.row : a.col < b.col;
        });
        int kept = 0;
        for (int i = 0; i < m_cells.size(); ++i) {
            if (kept > 0 && m_cells[kept - 1].row == m_cells[i].row && m_cells[kept - 1].col == m_cells[i].col)
                m_cells[kept - 1] = m_cells[i];
            else
                m_cells[kept++] = m_cells[i];
        }
        m_cells.resize(kept);
        m_sorted = true;
    }
    for (int i = 0; i < m_cells.size(); ++i)
        if (m_index.isEmpty() || m_cells[i].row != m_index.constLast().row)
            m_index.append(RowStart{m_cells[i].row, i});
}

// Position in the cells of the row's first cell, and one past its last; an
// empty span for a row without cells.
std::pair<int, int> Sheet::span(int row) const
{
    build_index();
    const auto it = std::lower_bound(m_index.cbegin(), m_index.cend(), row,
                                     [](const RowStart &s, int r) { return s.row < r; });
    if (it == m_index.cend() || it->row != row)
        return {0, 0};
    const auto next = it + 1;
    return {it->first, next == m_index.cend() ? int(m_cells.size()) : next->first};
}

QString Sheet::cell(int row, int col) const
{
    const std::pair<int, int> s = span(row);
    const auto begin = m_cells.cbegin() + s.first;
    const auto end = m_cells.cbegin() + s.second;
    const auto it = std::lower_bound(begin, end, col, [](const Cell &c, int k) { return c.col < k; });
    return it != end && it->col == col ? it->text : QString();
}

QStringList Sheet::row(int row) const
{
    const std::pair<int, int> s = span(row);
    QStringList out;
    for (int i = s.first; i < s.second; ++i) {
        while (out.size() < m_cells[i].col - 1)
            out.append(QString());
        out.append(m_cells[i].text);
    }
    return out;
}

QVector<int> Sheet::rows() const
{
    build_index();
    QVector<int> out;
    out.reserve(m_index.size());
    for (const RowStart &s : m_index)
        out.append(s.row);
    return out;
}

}
