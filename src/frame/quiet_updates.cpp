#include "frame/quiet_updates.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QSet>
#include <QVector>
#include <cmath>
#include <qcustomplot.h>

namespace frame {

namespace {

const char k_scroll_pending[] = "frame_scroll_pending";
const char k_free_min[] = "frame_free_min";
const char k_free_max[] = "frame_free_max";
const char k_holder[] = "frame_label_holder";
const char k_plot_painter[] = "frame_plot_painter";

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

// The plot's own paint copies its buffers with the painter's scale. At a
// fractional device pixel ratio (PassThrough high-DPI scaling: 1.04 on a
// 100 dpi screen, 1.25, 1.5) that is a resampling of the whole plot at every
// reading, most of the plot's paint. The buffers are already at device
// pixels: this copies them pixel for pixel, over the background brush so
// that the half pixel at an edge is painted too, and skips the buffers of
// buffered layers that hold nothing (the overlay). At whole ratios the
// plot's own paint is as fast and runs unchanged.
class PlotPainter : public QObject
{
public:
    explicit PlotPainter(QCustomPlot *plot) : QObject(plot)
    {
        setObjectName(QLatin1String(k_plot_painter));
        plot->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Paint || watched != parent())
            return false;
        return paint(static_cast<QCustomPlot *>(watched));
    }

private:
    // The plot's protected members, reached through pointers to members.
    struct Plot : QCustomPlot
    {
        static QBrush QCustomPlot::*brush() { return &Plot::mBackgroundBrush; }
        static QPixmap QCustomPlot::*picture() { return &Plot::mBackgroundPixmap; }
        static QList<QSharedPointer<QCPAbstractPaintBuffer>> QCustomPlot::*buffers() { return &Plot::mPaintBuffers; }
    };
    struct Buffer : QCPPaintBufferPixmap
    {
        static QPixmap QCPPaintBufferPixmap::*pixmap() { return &Buffer::mBuffer; }
    };
    struct Layer : QCPLayer
    {
        static QWeakPointer<QCPAbstractPaintBuffer> QCPLayer::*buffer() { return &Layer::mPaintBuffer; }
    };

    static bool paint(QCustomPlot *plot)
    {
        const qreal ratio = plot->devicePixelRatioF();
        if (ratio == qRound(ratio) || plot->bufferDevicePixelRatio() != ratio || plot->openGl()
            || !(plot->*Plot::picture()).isNull())
            return false;
        // Buffers of buffered layers with nothing to draw stay transparent.
        QSet<const QCPAbstractPaintBuffer *> empty;
        for (int i = 0; i < plot->layerCount(); ++i) {
            QCPLayer *layer = plot->layer(i);
            if (layer->mode() == QCPLayer::lmBuffered && (layer->children().isEmpty() || !layer->visible()))
                empty.insert((layer->*Layer::buffer()).toStrongRef().data());
        }
        QVector<const QPixmap *> pixmaps;
        for (const QSharedPointer<QCPAbstractPaintBuffer> &b : qAsConst(plot->*Plot::buffers())) {
            const auto *buffer = dynamic_cast<const QCPPaintBufferPixmap *>(b.data());
            if (!buffer)
                return false;
            if (!empty.contains(buffer))
                pixmaps.append(&(buffer->*Buffer::pixmap()));
        }
        QPainter painter(plot);
        // In device pixels, from the device pixel nearest the plot's corner:
        // fills and copies on whole pixels take the plain fast paths.
        const QTransform device = painter.deviceTransform();
        const qreal dx = std::round(device.dx()), dy = std::round(device.dy());
        painter.setWorldTransform(QTransform(1 / ratio, 0, 0, 1 / ratio, (dx - device.dx()) / ratio,
                                             (dy - device.dy()) / ratio));
        const QBrush &brush = plot->*Plot::brush();
        if (brush.style() != Qt::NoBrush) {
            // The edge pixel the plot only partly covers is painted too.
            const QRect all = QTransform::fromScale(ratio, ratio).mapRect(QRectF(plot->viewport())).toAlignedRect();
            painter.fillRect(all.adjusted(-1, -1, 1, 1), brush);
        }
        for (const QPixmap *pixmap : qAsConst(pixmaps))
            painter.drawPixmap(QRectF(pixmap->rect()), *pixmap, QRectF(pixmap->rect()));
        return true;
    }
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
    if (!plot->findChild<QObject *>(QLatin1String(k_plot_painter), Qt::FindDirectChildrenOnly))
        new PlotPainter(plot);
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
