#include "frame/cell_delegate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCache>
#include <QHash>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>

namespace frame {

namespace {

// What a cell's laid-out text depends on.
struct LayoutKey
{
    QString text;
    QFont font;
    int width;
    int alignment;
    bool wrap;
    Qt::LayoutDirection direction;

    bool operator==(const LayoutKey &o) const
    {
        return width == o.width && alignment == o.alignment && wrap == o.wrap && direction == o.direction
            && text == o.text && font == o.font;
    }
};

uint qHash(const LayoutKey &k, uint seed = 0)
{
    return ::qHash(k.text, seed) ^ ::qHash(k.font, seed) ^ ::qHash(k.width * 64 + k.alignment * 4 + (k.wrap ? 2 : 0)
                                                                   + (k.direction == Qt::RightToLeft ? 1 : 0),
                                                               seed);
}

struct Laid
{
    QTextLayout layout;
    qreal height = 0;
    bool plain = false; // one line, as wide as the room or narrower
};

// Several screens of a table's cells (about 1.7 kB each); the texts of rows
// scrolled away longest ago are dropped first.
const int k_cached_texts = 1000;

}

struct CellDelegate::Cache
{
    QCache<LayoutKey, Laid> laid{k_cached_texts};
    Counts counts;
};

CellDelegate::CellDelegate(QObject *parent) : QStyledItemDelegate(parent), m_cache(new Cache) {}

CellDelegate::~CellDelegate()
{
    delete m_cache;
}

CellDelegate::Counts CellDelegate::counts() const
{
    return m_cache->counts;
}

void CellDelegate::install(QAbstractItemView *view)
{
    if (view)
        view->setItemDelegate(new CellDelegate(view));
}

void CellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);

    const QStyleOptionViewItem::ViewItemFeatures extra =
        opt.features & ~(QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::WrapText | QStyleOptionViewItem::Alternate);
    const QStyle::State marked = QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_Editing;
    const QWidget *widget = opt.widget;
    if (!widget || opt.text.isEmpty() || extra || (opt.state & marked) || opt.rect.isEmpty()) {
        ++m_cache->counts.base;
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }

    QStyle *style = widget->style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = opt.rect.adjusted(margin, 0, -margin, 0);
    const bool wrap = opt.features & QStyleOptionViewItem::WrapText;
    const Qt::Alignment alignment = QStyle::visualAlignment(opt.direction, opt.displayAlignment);

    LayoutKey key{opt.text, opt.font, textRect.width(), int(alignment), wrap, opt.direction};
    Laid *laid = m_cache->laid.object(key);
    if (!laid) {
        laid = new Laid;
        QTextOption to;
        to.setWrapMode(wrap ? QTextOption::WordWrap : QTextOption::ManualWrap);
        to.setTextDirection(opt.direction);
        to.setAlignment(alignment);
        laid->layout.setText(opt.text);
        laid->layout.setFont(opt.font);
        laid->layout.setTextOption(to);
        laid->layout.setCacheEnabled(true);
        laid->layout.beginLayout();
        QTextLine line = laid->layout.createLine();
        bool fits = false;
        if (line.isValid()) {
            line.setLineWidth(textRect.width());
            line.setPosition(QPointF(0, 0));
            laid->height = line.height();
            fits = line.naturalTextWidth() <= textRect.width();
            fits = fits && !laid->layout.createLine().isValid();
        }
        laid->layout.endLayout();
        laid->plain = fits;
        m_cache->laid.insert(key, laid);
    }
    // Too narrow (elided), on several lines, or taller than the row.
    if (!laid->plain || laid->height > textRect.height()) {
        ++m_cache->counts.base;
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    ++m_cache->counts.own;

    painter->save();
    painter->setClipRect(opt.rect);
    // A cell with no brush of its own has no panel to draw (it is not
    // selected here), and asking the style sheet for its panel rule cost as
    // much as the cell's text.
    if (opt.backgroundBrush.style() != Qt::NoBrush)
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);

    QPalette::ColorGroup cg = (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    if (cg == QPalette::Normal && !(opt.state & QStyle::State_Active))
        cg = QPalette::Inactive;
    painter->setPen(opt.palette.color(cg, QPalette::Text));

    const QRect layoutRect = QStyle::alignedRect(opt.direction, opt.displayAlignment,
                                                 QSize(textRect.width(), int(laid->height)), textRect);
    laid->layout.draw(painter, QPointF(textRect.x(), layoutRect.y()));
    painter->restore();
}

}
