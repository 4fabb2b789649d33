#ifndef FRAME_CELL_DELEGATE_H
#define FRAME_CELL_DELEGATE_H

#include <QStyledItemDelegate>

class QAbstractItemView;

namespace frame {

// Paints the windows' table cells as QStyledItemDelegate does, but keeps
// each cell text laid out once: a new reading moves every row of the table,
// and laying all their texts out again each time was most of its paint.
// Only a plain cell (text alone, one line that fits, not selected, not
// current, not edited) is painted here; anything else goes to the base.
class CellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit CellDelegate(QObject *parent = nullptr);
    ~CellDelegate() override;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The view's cells painted through a CellDelegate owned by the view.
    static void install(QAbstractItemView *view);

    // Cells painted here / handed to the base since construction.
    struct Counts
    {
        quint64 own = 0;
        quint64 base = 0;
    };
    Counts counts() const;

private:
    struct Cache;
    Cache *m_cache;
};

}

#endif
