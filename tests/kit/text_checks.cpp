#include "text_checks.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyleOption>
#include <QTextDocument>
#include <QToolButton>

namespace textcheck {

QString where(const QWidget *w)
{
    QStringList path;
    for (const QWidget *p = w; p && !p->isWindow(); p = p->parentWidget())
        path.prepend(p->objectName().isEmpty() ? QString::fromLatin1(p->metaObject()->className()) : p->objectName());
    return path.join('/');
}

namespace {

// The room a text takes drawn in one line per line break.
QSize text_size(const QFontMetrics &fm, const QString &text)
{
    const QStringList lines = text.split('\n');
    int w = 0;
    for (const QString &l : lines)
        w = qMax(w, fm.horizontalAdvance(l));
    return QSize(w, lines.size() * fm.height());
}

QString plain(QString text)
{
    return text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
}

void check_label(QLabel *l, QStringList &out)
{
    if (l->text().isEmpty() || l->pixmap() || l->textFormat() == Qt::RichText || Qt::mightBeRichText(l->text()))
        return;
    const int m = l->margin() + qMax(0, l->indent());
    const QRect room = l->contentsRect().adjusted(m, m, -m, -m);
    const QSize need = text_size(l->fontMetrics(), l->text());
    if (need.width() > room.width() || need.height() > room.height())
        out << QStringLiteral("label %1 \"%2\": needs %3x%4, has %5x%6")
                   .arg(where(l), l->text()).arg(need.width()).arg(need.height()).arg(room.width()).arg(room.height());
}

void check_button(QAbstractButton *b, QStringList &out)
{
    const QString text = plain(b->text());
    if (text.isEmpty())
        return;
    const QFontMetrics fm = b->fontMetrics();
    QRect room;
    int icon = b->icon().isNull() ? 0 : b->iconSize().width() + 4;
    if (qobject_cast<QCheckBox *>(b) || qobject_cast<QRadioButton *>(b)) {
        // The indicator and its gap as the style lays them out.
        if (b->width() < b->sizeHint().width() || b->height() < fm.height())
            out << QStringLiteral("button %1 \"%2\": needs %3 wide, has %4")
                       .arg(where(b), text).arg(b->sizeHint().width()).arg(b->width());
        return;
    }
    if (auto *p = qobject_cast<QPushButton *>(b)) {
        QStyleOptionButton opt;
        opt.initFrom(p);
        opt.text = p->text();
        opt.icon = p->icon();
        opt.iconSize = p->iconSize();
        if (p->isFlat())
            opt.features |= QStyleOptionButton::Flat;
        room = p->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, p);
    } else if (auto *t = qobject_cast<QToolButton *>(b)) {
        room = t->rect();
        if (t->toolButtonStyle() == Qt::ToolButtonTextUnderIcon || t->toolButtonStyle() == Qt::ToolButtonTextOnly)
            icon = 0;
    } else {
        room = b->rect();
    }
    const QSize need = text_size(fm, text);
    if (need.width() + icon > room.width() || need.height() > room.height())
        out << QStringLiteral("button %1 \"%2\": needs %3x%4, has %5x%6")
                   .arg(where(b), text).arg(need.width() + icon).arg(need.height()).arg(room.width()).arg(room.height());
}

void check_group(QGroupBox *g, QStringList &out)
{
    if (g->title().isEmpty())
        return;
    QStyleOptionGroupBox opt;
    opt.initFrom(g);
    opt.text = g->title();
    opt.textAlignment = g->alignment();
    opt.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    if (g->isCheckable())
        opt.subControls |= QStyle::SC_GroupBoxCheckBox;
    const QRect label = g->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, g);
    const int need = g->fontMetrics().horizontalAdvance(plain(g->title()));
    if (!g->rect().contains(label) || label.width() < need)
        out << QStringLiteral("group %1 \"%2\": title needs %3, has %4 of %5")
                   .arg(where(g), g->title()).arg(need).arg(label.width()).arg(g->width());
}

void check_header(QHeaderView *h, QStringList &out)
{
    if (h->orientation() != Qt::Horizontal || !h->model())
        return;
    const int margin = h->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, h);
    auto *view = qobject_cast<QAbstractScrollArea *>(h->parentWidget());
    const bool scrolls = !view || view->horizontalScrollBarPolicy() != Qt::ScrollBarAlwaysOff;
    for (int i = 0; i < h->count(); ++i) {
        if (h->isSectionHidden(i))
            continue;
        const QString text = h->model()->headerData(i, Qt::Horizontal).toString();
        QFont font = h->font();
        const QVariant f = h->model()->headerData(i, Qt::Horizontal, Qt::FontRole);
        if (f.isValid())
            font = f.value<QFont>();
        const QFontMetrics fm(font);
        const int width = h->sectionSize(i) - 2 * margin;
        QSize need = text_size(fm, text);
        if (h->defaultAlignment() & Qt::TextWordWrap) {
            // A heading that wraps between words must show all its lines.
            need = fm.boundingRect(QRect(0, 0, qMax(1, width), 100000), int(h->defaultAlignment()), text).size();
            int widest = 0;
            for (const QString &word : text.split(' '))
                widest = qMax(widest, fm.horizontalAdvance(word));
            need.setWidth(qMax(qMin(need.width(), width), widest));
        }
        if (!text.isEmpty() && (need.width() > width || need.height() > h->height()))
            out << QStringLiteral("heading %1 #%2 \"%3\": needs %4x%5, has %6x%7")
                       .arg(where(h)).arg(i).arg(text).arg(need.width()).arg(need.height()).arg(width).arg(h->height());
        if (!scrolls && h->sectionViewportPosition(i) + h->sectionSize(i) > h->viewport()->width() + 1)
            out << QStringLiteral("heading %1 #%2 \"%3\": out of view with no scroll bar").arg(where(h)).arg(i).arg(text);
    }
}

// Children of these are laid out by the widget itself.
bool owns_its_children(const QWidget *w)
{
    return qobject_cast<const QAbstractScrollArea *>(w) || qobject_cast<const QComboBox *>(w)
           || qobject_cast<const QAbstractButton *>(w);
}

void check_siblings(QWidget *parent, QStringList &out)
{
    if (owns_its_children(parent))
        return;
    QList<QWidget *> shown;
    for (QObject *o : parent->children()) {
        auto *w = qobject_cast<QWidget *>(o);
        if (w && !w->isWindow() && w->isVisible() && !w->geometry().isEmpty())
            shown << w;
    }
    for (int i = 0; i < shown.size(); ++i)
        for (int j = i + 1; j < shown.size(); ++j)
            if (shown[i]->geometry().intersects(shown[j]->geometry()))
                out << QStringLiteral("%1 and %2 overlap").arg(where(shown[i]), where(shown[j]));
}

}

QStringList check_window(QWidget *top)
{
    QStringList out;
    for (QWidget *w : top->findChildren<QWidget *>()) {
        if (!w->isVisible() || w->window() != top)
            continue;
        if (auto *l = qobject_cast<QLabel *>(w))
            check_label(l, out);
        else if (auto *b = qobject_cast<QAbstractButton *>(w))
            check_button(b, out);
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            check_group(g, out);
        else if (auto *h = qobject_cast<QHeaderView *>(w))
            check_header(h, out);
        check_siblings(w, out);
    }
    check_siblings(top, out);
    return out;
}

void settle(QWidget *w)
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        if (w->layout())
            w->layout()->activate();
    }
}

}
