#include "gaugespeed.h"

#include <QFont>
#include <QFontMetrics>
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

void draw_bold_text(QPainter &painter, int point_size, const QPointF &baseline, const QString &text)
{
    painter.save();
    painter.setPen(Qt::black);
    QFont font;
    font.setWeight(75);
    font.setPointSize(point_size);
    painter.setFont(font);
    painter.drawText(baseline, text);
    painter.restore();
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
    repaint();
}

void GaugeSpeed::setUnit(QString text)
{
    unit = text;
    repaint();
}

void GaugeSpeed::setRange(int max, int min)
{
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

void GaugeSpeed::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int w = width();
    const int h = height();

    // The style sheet's dial picture is square with the hub in its middle:
    // draw it square, centred on the needle's pivot, at the scale's size,
    // however the layout stretches the widget.
    QStyleOption opt;
    opt.initFrom(this);
    const int side = (k_picture_side * qMin(w, h)) / 200;
    opt.rect = QRect(w / 2 - side / 2, 150 - side / 2, side, side);
    style()->drawPrimitive(QStyle::PE_Widget, &opt, &painter, this);

    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.translate(w / 2, 150);
    painter.scale(qMin(w, h) / 200.0, qMin(w, h) / 200.0);

    const QFontMetrics fm = fontMetrics();

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
        tick_color = Qt::blue;
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

    const int tw = fm.horizontalAdvance(title);
    const int uw = fm.horizontalAdvance(unit);

    const QString text = QString::number(m_value, 'f', 2);
    const int vw = fm.horizontalAdvance(text);
    const int gap = 230 - uw - tw;
    // value centred, by an estimate of its bold width, between title and unit
    const int x = (vw * 20) / 12 > gap ? tw / 2 - 120 : tw - 120 + gap / 2 - (vw * 20) / 24;

    draw_bold_text(painter, 12, QPointF(-120, 40), title);
    draw_bold_text(painter, 20, QPointF(x, 40), text);
    draw_bold_text(painter, 12, QPointF(110 - uw, 40), unit);   // ends at x = 110
}
