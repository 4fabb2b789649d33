// The dial's paint code as it was before the face kept its labels and was
// copied in device pixels: the reference the dial's pictures are compared
// with. It paints the state it is told (title, unit, range, value) with
// the dial's own style sheet rules, as a GaugeSpeed subclass does.
#ifndef DIAL_REFERENCE_H
#define DIAL_REFERENCE_H

#include "gauge/gaugespeed.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <QPolygon>
#include <QStyle>
#include <QStyleOption>
#include <QtMath>
#include <cmath>

namespace dial_reference {


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
TextLine lay_out_line(const QPaintDevice *device, const QString &title, const QString &value,
                      const QString &unit, qreal half_width)
{
    auto width = [device](const QFont &font, const QString &text) {
        return text.isEmpty() ? 0.0 : QFontMetricsF(font, device).horizontalAdvance(text);
    };
    const qreal spaces = k_line_space * ((title.isEmpty() ? 0 : 1) + (unit.isEmpty() ? 0 : 1));

    TextLine line;
    line.title_font = line.unit_font = bold_font(k_title_points);
    line.value_font = bold_font(k_value_points);
    qreal tw = width(line.title_font, title);
    qreal uw = width(line.unit_font, unit);
    qreal vw = width(line.value_font, value);
    qreal right = k_line_right;

    if (tw + uw + vw + spaces > right - line.title_x) {
        // Smaller fonts only raise the lowest ink: measured at the first
        // fonts, the room holds for every smaller one.
        auto lowest = [device](const QFont &font, const QString &text) {
            return text.isEmpty() ? 0.0 : QFontMetricsF(font, device).tightBoundingRect(text).bottom();
        };
        const qreal low = k_line_y + qMax(qMax(lowest(line.title_font, title), lowest(line.unit_font, unit)),
                                          lowest(line.value_font, value));
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
            points = k_title_points * (room - spaces) / (tw + uw + width(bold_font(k_title_points), value));
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

class ReferenceDial : public GaugeSpeed
{
public:
    QString title, unit;
    int maximum = 100, minimum = 0;
    double m_value = 0;

    // The state the dial under test has (its value as clamped there).
    void show_state(const QString &t, const QString &u, int max, int min, double v)
    {
        title = t;
        unit = u;
        maximum = max;
        minimum = min;
        m_value = v;
    }

protected:
    double needle_angle() const
    {
        // An empty range or a NaN value has no place on the scale: rest the
        // needle on the left end instead of dividing by zero.
        const double span = double(maximum - minimum);
        if (span == 0.0 || std::isnan(m_value))
            return -90.0;
        return (m_value - minimum) / span * 180.0 - 90.0;
    }

    void to_scale(QPainter &painter) const
    {
        const int w = width();
        const int h = height();
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        painter.translate(w / 2, 150);
        painter.scale(qMin(w, h) / 200.0, qMin(w, h) / 200.0);
    }

    void paint_face(QPainter &painter, const QRect &picture) const
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

    void paintEvent(QPaintEvent *) override
    {
        using namespace dial_reference;
        QPainter painter(this);
        const int w = width();
        const int h = height();
        const int side = (k_picture_side * qMin(w, h)) / 200;
        const QRect picture(w / 2 - side / 2, 150 - side / 2, side, side);

        // Made at the picture's size and the widget's pixel ratio, so that it is
        // copied pixel for pixel; the arc and ticks lie inside the square.
        tick_color = Qt::blue;
        const qreal ratio = devicePixelRatioF();
        {   // made afresh each paint: nothing kept to go stale
            m_face = QPixmap((QSizeF(picture.size()) * ratio).toSize());
            m_face.setDevicePixelRatio(ratio);
            m_face.fill(Qt::transparent);
            QPainter face(&m_face);
            face.translate(-picture.topLeft());
            paint_face(face, picture);
        }
        painter.drawPixmap(picture.topLeft(), m_face);

        to_scale(painter);

        const QFontMetrics fm = fontMetrics();

        // scale labels
        painter.save();
        {
            QPen pen(Qt::black);
            pen.setWidthF(1.5);
            pen.setCapStyle(Qt::RoundCap);
            painter.setPen(pen);
            m_radius = 130;
            const int r = (2 * m_radius) / 3;
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
        }
        painter.restore();

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
        const TextLine line = lay_out_line(this, title, text, unit, (w / 2) / (qMin(w, h) / 200.0));
        draw_text(painter, line.title_font, QPointF(line.title_x, k_line_y), title);
        draw_text(painter, line.value_font, QPointF(line.value_x, k_line_y), text);
        draw_text(painter, line.unit_font, QPointF(line.unit_x, k_line_y), unit);
    }

private:
    QColor tick_color;
    int tick_step = 30;
    int m_radius = 130;
    QPixmap m_face;
};

#endif
