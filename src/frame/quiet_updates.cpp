#include "frame/quiet_updates.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QLabel>
#include <QPointer>
#include <QVector>
#include <qcustomplot.h>

namespace frame {

namespace {

const char k_scroll_pending[] = "frame_scroll_pending";
const char k_free_min[] = "frame_free_min";
const char k_free_max[] = "frame_free_max";
const char k_holder[] = "frame_label_holder";

bool held(const QLabel *label)
{
    return label->property(k_free_min).isValid();
}

void free_label(QLabel *label)
{
    const QSize min = label->property(k_free_min).toSize();
    const QSize max = label->property(k_free_max).toSize();
    label->setProperty(k_free_min, QVariant());
    label->setProperty(k_free_max, QVariant());
    label->setMinimumSize(min);
    label->setMaximumSize(max);
}

// One per window: frees the window's held labels when it is resized or its
// language, font or style changes, so they take their share of the new
// layout (and never keep the window from shrinking); they are held again at
// their next text.
class LabelHolder : public QObject
{
public:
    explicit LabelHolder(QWidget *window) : QObject(window)
    {
        setObjectName(QLatin1String(k_holder));
        window->installEventFilter(this);
    }

    static LabelHolder *of(QWidget *window)
    {
        if (QObject *h = window->findChild<QObject *>(QLatin1String(k_holder), Qt::FindDirectChildrenOnly))
            return static_cast<LabelHolder *>(h);
        return new LabelHolder(window);
    }

    void hold(QLabel *label)
    {
        label->setProperty(k_free_min, label->minimumSize());
        label->setProperty(k_free_max, label->maximumSize());
        label->setFixedSize(label->size());
        if (!m_labels.contains(label))   // a label freed at every text comes back each time
            m_labels.append(label);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type t = event->type();
        if (watched == parent() && (t == QEvent::Resize || t == QEvent::LanguageChange
                                    || t == QEvent::FontChange || t == QEvent::StyleChange)) {
            for (const QPointer<QLabel> &label : qAsConst(m_labels))
                if (label && held(label))
                    free_label(label);
            m_labels.clear();
        }
        return false;
    }

private:
    QVector<QPointer<QLabel>> m_labels;
};

bool fits(const QLabel *label)
{
    const QSize need = label->sizeHint();
    return need.width() <= label->width() && need.height() <= label->height();
}

}

void replot_soon(QCustomPlot *plot)
{
    if (!plot)
        return;
    paint_with_window(plot);
    plot->replot(QCustomPlot::rpQueuedReplot);
}

void paint_with_window(QCustomPlot *plot)
{
    if (!plot)
        return;
    plot->setPlottingHint(QCP::phImmediateRefresh, false);
    // The plot fills its whole area (its background is an opaque white), so
    // the frames and the window behind it need not paint their backgrounds
    // under it at every redraw.
    plot->setAttribute(Qt::WA_OpaquePaintEvent);
}

void scroll_to_bottom_soon(QAbstractItemView *view)
{
    if (!view || view->property(k_scroll_pending).toBool())
        return;
    view->setProperty(k_scroll_pending, true);
    QMetaObject::invokeMethod(view, [view] {
        view->setProperty(k_scroll_pending, false);
        view->scrollToBottom();
    }, Qt::QueuedConnection);
}

void set_steady_text(QLabel *label, const QString &text)
{
    if (!label || label->text() == text)
        return;
    // Held only once the layout has placed it on screen; a hidden label's
    // text changes lay out nothing anyway.
    if (!held(label) && label->isVisible() && !label->testAttribute(Qt::WA_PendingResizeEvent))
        LabelHolder::of(label->window())->hold(label);
    label->setText(text);
    if (held(label) && !fits(label))
        free_label(label);   // laid out once at the new text's size
}

}
