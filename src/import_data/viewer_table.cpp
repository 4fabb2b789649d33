#include "viewer_table.h"

int viewer_table::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || m_filling ? 0 : m_rows;
}

int viewer_table::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_headers.size();
}

QVariant viewer_table::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    return text(index.row(), index.column());
}

QVariant viewer_table::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && (role == Qt::DisplayRole || role == Qt::EditRole))
        return section >= 0 && section < m_headers.size() ? QVariant(m_headers[section]) : QVariant();
    return QAbstractTableModel::headerData(section, orientation, role);
}

void viewer_table::begin(const QStringList &headers, int rows_expected)
{
    beginResetModel();
    m_filling = true;
    m_headers = headers;
    m_cells.clear();
    m_cells.reserve(rows_expected * headers.size());
    m_rows = 0;
}

void viewer_table::set(int row, int col, const QString &text)
{
    const int cols = m_headers.size();
    if (row < 0 || col < 0 || col >= cols)
        return;
    if (row >= m_rows) {
        m_rows = row + 1;
        m_cells.resize(m_rows * cols);
    }
    m_cells[row * cols + col] = text;
}

void viewer_table::end()
{
    if (!m_filling)
        return;
    m_cells.squeeze();
    m_filling = false;
    endResetModel();
    if (!m_headers.isEmpty())
        emit headerDataChanged(Qt::Horizontal, 0, m_headers.size() - 1);
}

void viewer_table::clear()
{
    begin(QStringList());
    end();
}

QString viewer_table::text(int row, int col) const
{
    const int cols = m_headers.size();
    if (row < 0 || row >= m_rows || col < 0 || col >= cols)
        return QString();
    return m_cells[row * cols + col];
}
