#include "gaugespeed.h"

#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>
#include <QPolygon>
#include <QStyle>
#include <QStyleOption>
#include <QtMath>
#include <cmath>

namespace {

// Side of the dial picture in the dial's units: the scale (radius 130) and
// the texts under it fit inside.
constexpr int k_picture_side = 300;

QFont bold_font(qreal point_size)
{
    QFont font;
    font.setWeight(75);
    font.setPointSizeF(point_size);
    return font;
}

void draw_text(QPainter &painter, const QFont &font, const QPointF &baseline, const QString &text)
{
    painter.save();
    painter.setPen(Qt::black);
    painter.setFont(font);
    painter.drawText(baseline, text);
    painter.restore();
}

// The line under the dial, in dial units: the title starts at -120, the
// unit ends at 110, the value sits between them.
constexpr qreal k_line_left = -120;
constexpr qreal k_line_right = 110;
constexpr qreal k_line_y = 40;       // the line's baseline
constexpr qreal k_line_space = 4;    // kept clear between two texts
constexpr qreal k_edge_space = 6;    // kept clear of the widget's edge
// The picture's face inside its rim: a circle of 134 around the pivot, cut
// flat 44 below it. A text on it stays this far from the rim.
constexpr qreal k_face_radius = 134;
constexpr qreal k_face_bottom = 44;
constexpr qreal k_rim_space = 3;
constexpr qreal k_title_points = 12;
constexpr qreal k_value_points = 20;

struct TextLine
{
    QFont title_font, value_font, unit_font;
    qreal title_x = k_line_left, value_x = 0, unit_x = 0;
};

// Half the face's width at the lowest ink of the line (the face narrows
// downwards), less the space kept from the rim.
qreal face_half_width(qreal lowest)
{
    const qreal y = qMin(lowest, k_face_bottom);
    return std::sqrt(k_face_radius * k_face_radius - y * y) - k_rim_space;
}

// Each text is measured in the font it is painted in. The value is centred
// between the title's end and the unit's start. A line too long for its
// place spreads to the rim of the dial's face (or to the widget's edges, if
// narrower);
// if it is still too long the value shrinks to the gap, and when it would
// end up smaller than the title, the whole line shrinks together, so that
// nothing overlaps. half_width: half the widget's width in dial units.
TextLine lay_out_line(const QPaintDevice *device, const GaugeTextMeasures &known, const QString &title,
                      const QString &value, const QString &unit, qreal half_width)
{
    auto width = [device](const QFont &font, const QString &text) {
        return text.isEmpty() ? 0.0 : QFontMetricsF(font, device).horizontalAdvance(text);
    };
    const qreal spaces = k_line_space * ((title.isEmpty() ? 0 : 1) + (unit.isEmpty() ? 0 : 1));

    TextLine line;
    line.title_font = line.unit_font = known.small;
    line.value_font = known.large;
    qreal tw = known.title_width;
    qreal uw = known.unit_width;
    qreal vw = width(line.value_font, value);
    qreal right = k_line_right;

    if (tw + uw + vw + spaces > right - line.title_x) {
        // Smaller fonts only raise the lowest ink: measured at the first
        // fonts, the room holds for every smaller one.
        const qreal value_low = value.isEmpty() ? 0.0
                                                : QFontMetricsF(line.value_font, device).tightBoundingRect(value).bottom();
        const qreal low = k_line_y + qMax(qMax(known.title_low, known.unit_low), value_low);
        const qreal edge = qMin(half_width - k_edge_space, face_half_width(low));
        line.title_x = qMin(k_line_left, -edge);
        right = qMax(k_line_right, edge);
    }
    const qreal room = right - line.title_x;
    if (tw + uw + vw + spaces > room) {
        const qreal gap = room - tw - uw - spaces;
        qreal points = gap > 0 ? k_value_points * gap / vw : 0;
        if (points >= k_title_points) {
            line.value_font = bold_font(points);
        } else {
            points = k_title_points * (room - spaces) / (tw + uw + width(known.small, value));
            line.title_font = line.unit_font = line.value_font = bold_font(points);
        }
        // Hinting makes widths not quite proportional: step down until it fits.
        for (int i = 0; i < 40; ++i) {
            tw = width(line.title_font, title);
            uw = width(line.unit_font, unit);
            vw = width(line.value_font, value);
            if (tw + uw + vw + spaces <= room)
                break;
            line.value_font.setPointSizeF(line.value_font.pointSizeF() * 0.97);
            if (line.title_font.pointSizeF() > line.value_font.pointSizeF()) {
                line.title_font.setPointSizeF(line.value_font.pointSizeF());
                line.unit_font = line.title_font;
            }
        }
    }
    line.unit_x = right - uw;
    line.value_x = (line.title_x + tw + line.unit_x - vw) / 2;
    return line;
}

}

GaugeSpeed::GaugeSpeed(QWidget *parent)
    : QWidget(parent)
{
    m_value = minimum;
}

void GaugeSpeed::setTitle(QString text)
{
    title = text;
    m_measures_dpi = 0;
    repaint();
}

void GaugeSpeed::setUnit(QString text)
{
    unit = text;
    m_measures_dpi = 0;
    repaint();
}

void GaugeSpeed::setRange(int max, int min)
{
    if (max != maximum || min != minimum)
        m_face_stale = true;   // the scale labels
    maximum = max;
    minimum = min;
    repaint();
}

void GaugeSpeed::setValue(int v)
{
    setValue(double(v));
}

void GaugeSpeed::setValue(double v)
{
    m_value = v;
    if (minimum > m_value)
        m_value = minimum;
    if (m_value > maximum)
        m_value = maximum;
    repaint();
}

void GaugeSpeed::setRadius(int r)
{
    m_radius = r;
    repaint();
}

int GaugeSpeed::radius() const
{
    return m_radius;
}

double GaugeSpeed::value() const
{
    return m_value;
}

double GaugeSpeed::needle_angle() const
{
    // An empty range or a NaN value has no place on the scale: rest the
    // needle on the left end instead of dividing by zero.
    const double span = double(maximum - minimum);
    if (span == 0.0 || std::isnan(m_value))
        return -90.0;
    return (m_value - minimum) / span * 180.0 - 90.0;
}

void GaugeSpeed::changeEvent(QEvent *event)
{
    // The picture comes from the style sheet, the labels' font from the widget.
    switch (event->type()) {
    case QEvent::StyleChange:
    case QEvent::PaletteChange:
    case QEvent::FontChange:
        m_face_stale = true;
        m_measures_dpi = 0;
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

// The scale's own coordinates: 200 units across, the needle's pivot at the origin.
void GaugeSpeed::to_scale(QPainter &painter) const
{
    const int w = width();
    const int h = height();
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.translate(w / 2, 150);
    painter.scale(qMin(w, h) / 200.0, qMin(w, h) / 200.0);
}

// The style sheet's dial picture with the arc and ticks over it, in widget
// coordinates. The picture is square with the hub in its middle: it is drawn
// square, centred on the needle's pivot, at the scale's size, however the
// layout stretches the widget.
void GaugeSpeed::paint_face(QPainter &painter, const QRect &picture) const
{
    QStyleOption opt;
    opt.initFrom(this);
    opt.rect = picture;
    style()->drawPrimitive(QStyle::PE_Widget, &opt, &painter, this);

    to_scale(painter);

    // arc
    painter.save();
    {
        QPen pen(Qt::black);
        pen.setWidth(5);
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.drawArc(QRectF(-130, -130, 260, 260), 0, 2880);
    }
    painter.restore();

    // ticks, from the right end over the top to the left end
    painter.save();
    {
        QPen pen(tick_color);
        pen.setWidth(1);
        pen.setCapStyle(Qt::RoundCap);
        painter.setPen(pen);
        painter.rotate(90);
        for (int i = 0; i < 7; ++i) {
            painter.drawLine(0, -120, 0, -130);
            painter.rotate(-tick_step);
        }
    }
    painter.restore();
}

// The seven scale labels, in the scale's coordinates.
void GaugeSpeed::paint_labels(QPainter &painter) const
{
    const QFontMetrics fm = fontMetrics();
    painter.save();
    QPen pen(Qt::black);
    pen.setWidthF(1.5);
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    const int r = (2 * 130) / 3;
    const double step = double(float(maximum - minimum) / 6.0f);
    for (int i = 0; i < 7; ++i) {
        const QString text = QString::number(minimum + i * step, 'f', 1);
        const double a = qDegreesToRadians(-90.0 - 30.0 * i);
        const int tw = fm.horizontalAdvance(text);
        const int th = fm.height();
        const double x = std::trunc(std::sin(a) * r - 0.5 * tw);
        const double y = std::trunc(0.25 * th + std::cos(a) * r);
        painter.drawText(QPointF(x, y), text);
    }
    painter.restore();
}

QRect GaugeSpeed::picture_rect() const
{
    const int w = width();
    const int h = height();
    const int side = (k_picture_side * qMin(w, h)) / 200;
    return QRect(w / 2 - side / 2, 150 - side / 2, side, side);
}

// The face (picture, arc, ticks, labels) under the needle. On the screen it
// is kept as device pixels made at the painter's own scale and sub-pixel
// phase, so a reading copies it pixel for pixel instead of resampling it.
void GaugeSpeed::draw_face(QPainter &painter, const QRect &picture)
{
    const QTransform device = painter.deviceTransform();
    if (painter.paintEngine()->type() != QPaintEngine::Raster || device.type() > QTransform::TxScale
        || device.m11() <= 0 || device.m22() <= 0) {
        // A printer or a recording gets the shapes themselves.
        painter.save();
        paint_face(painter, picture);
        paint_labels(painter);
        painter.restore();
        return;
    }
    const QRectF area = device.mapRect(QRectF(picture));
    const QPoint origin(qFloor(area.left()), qFloor(area.top()));
    const QTransform phase = device * QTransform::fromTranslate(-origin.x(), -origin.y());
    const QSize size(qCeil(area.right()) - origin.x(), qCeil(area.bottom()) - origin.y());
    if (m_face_stale || m_face_at != picture || m_face_phase != phase || m_face.size() != size
        || m_face.dotsPerMeterY() != qRound(logicalDpiY() / 0.0254)) {
        m_face = QImage(size, QImage::Format_ARGB32_Premultiplied);
        // Fonts take their pixel size from the device: the widget's.
        m_face.setDotsPerMeterX(qRound(logicalDpiX() / 0.0254));
        m_face.setDotsPerMeterY(qRound(logicalDpiY() / 0.0254));
        m_face.fill(Qt::transparent);
        QPainter face(&m_face);
        face.setFont(font());
        face.setTransform(phase);
        paint_face(face, picture);
        paint_labels(face);
        m_face_at = picture;
        m_face_phase = phase;
        m_face_stale = false;
    }
    painter.save();
    painter.setWorldTransform(QTransform::fromTranslate(origin.x(), origin.y()) * device.inverted());
    painter.drawImage(QPoint(0, 0), m_face);
    painter.restore();
}

const GaugeTextMeasures &GaugeSpeed::text_measures() const
{
    const int dpi = logicalDpiY();
    if (m_measures_dpi != dpi) {
        GaugeTextMeasures &m = m_measures;
        m.small = bold_font(k_title_points);
        m.large = bold_font(k_value_points);
        const QFontMetricsF fm(m.small, this);
        m.title_width = title.isEmpty() ? 0.0 : fm.horizontalAdvance(title);
        m.unit_width = unit.isEmpty() ? 0.0 : fm.horizontalAdvance(unit);
        m.title_low = title.isEmpty() ? 0.0 : fm.tightBoundingRect(title).bottom();
        m.unit_low = unit.isEmpty() ? 0.0 : fm.tightBoundingRect(unit).bottom();
        m_measures_dpi = dpi;
    }
    return m_measures;
}

void GaugeSpeed::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int w = width();
    const int h = height();
    tick_color = Qt::blue;
    m_radius = 130;
    draw_face(painter, picture_rect());

    to_scale(painter);

    // needle
    painter.save();
    {
        painter.setBrush(QBrush(Qt::darkBlue, Qt::SolidPattern));
        const QPolygon needle({QPoint(0, 15), QPoint(10, -10), QPoint(0, -65), QPoint(-10, -10)});
        painter.rotate(needle_angle());
        painter.drawConvexPolygon(needle);
    }
    painter.restore();

    const QString text = QString::number(m_value, 'f', 2);
    const TextLine line = lay_out_line(this, text_measures(), title, text, unit, (w / 2) / (qMin(w, h) / 200.0));
    draw_text(painter, line.title_font, QPointF(line.title_x, k_line_y), title);
    draw_text(painter, line.value_font, QPointF(line.value_x, k_line_y), text);
    draw_text(painter, line.unit_font, QPointF(line.unit_x, k_line_y), unit);
}
