#ifndef VIEWER_TABLE_H
#define VIEWER_TABLE_H

#include <QAbstractTableModel>
#include <QStringList>
#include <QVector>

// The viewer's table: one text per cell in one block, shown by the view
// without an item object per cell. Filled between begin() and end().
class viewer_table : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit viewer_table(QObject *parent = nullptr) : QAbstractTableModel(parent) {}

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Starts a new table of the given headers (one column each), with room
    // for the rows expected.
    void begin(const QStringList &headers, int rows_expected = 0);
    // Sets a cell; a row past the end adds rows up to it.
    void set(int row, int col, const QString &text);
    // Shows what was set since begin().
    void end();
    void clear();

    QString text(int row, int col) const;

private:
    QStringList m_headers;
    QVector<QString> m_cells;   // row after row
    int m_rows = 0;
    bool m_filling = false;
};

#endif
