#include "frame/model_frame.h"

#include <QHeaderView>
#include <QResizeEvent>
#include <QTableWidget>

namespace {

// A header text that does not fit wraps, and the header grows to two lines.
// The date column keeps its width and the others share the rest, so the
// room each text gets follows from the header's width alone.
class HeaderWrap : public QObject
{
public:
    explicit HeaderWrap(QTableView *table) : QObject(table), m_table(table)
    {
        QHeaderView *header = table->horizontalHeader();
        header->setDefaultAlignment(Qt::Alignment(QFlag(int(Qt::AlignCenter) | int(Qt::TextWordWrap))));
        header->installEventFilter(this);
        connect(header->model(), &QAbstractItemModel::headerDataChanged, this, [this] { fit(); });
        fit();
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Resize)
            fit(static_cast<QResizeEvent *>(event)->size().width());
        return false;
    }

private:
    void fit(int width = -1)
    {
        QHeaderView *header = m_table->horizontalHeader();
        const int count = header->count();
        if (count < 2)
            return;
        if (width < 0)
            width = header->width();
        const int share = (width - header->sectionSize(0)) / (count - 1);
        const QFontMetrics fm(header->font());
        bool wraps = false;
        for (int c = 0; c < count; ++c) {
            const QString text = header->model()->headerData(c, Qt::Horizontal).toString();
            wraps = wraps || fm.horizontalAdvance(text) > (c == 0 ? header->sectionSize(0) : share) - 8;
        }
        const int height = wraps ? 2 * fm.lineSpacing() + 6 : 0;
        if (header->minimumHeight() == height)
            return;
        header->setMinimumHeight(height);
        // The view places its header only when it lays itself out again.
        QMetaObject::invokeMethod(m_table, "updateGeometries", Qt::QueuedConnection);
    }

    QTableView *m_table;
};

}

namespace frame {

void ModelFrame::wrap_header(QTableView *table)
{
    if (table)
        new HeaderWrap(table);
}

}
