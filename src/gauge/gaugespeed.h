#ifndef GAUGESPEED_H
#define GAUGESPEED_H

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <QTransform>
#include <QWidget>

// The title's and unit's measures at the line's first fonts.
struct GaugeTextMeasures
{
    QFont small, large;   // the title / unit font and the value's
    qreal title_width = 0, unit_width = 0;
    qreal title_low = 0, unit_low = 0;   // lowest ink below the baseline
};

// Semicircular dial: scale from minimum (left) over the top to maximum
// (right), a needle at the value, and title / value / unit under it.
// Every setter repaints at once.
class GaugeSpeed : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int radius READ radius WRITE setRadius)
    Q_PROPERTY(double value READ value WRITE setValue)

public:
    explicit GaugeSpeed(QWidget *parent = nullptr);

    void setTitle(QString title);
    void setUnit(QString unit);
    void setRange(int max, int min);   // max first
    void setValue(int value);
    void setValue(double value);

    int radius() const;
    double value() const;
    QString unit_text() const { return unit; }

public slots:
    void setRadius(int radius);

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    double needle_angle() const;
    void to_scale(QPainter &painter) const;
    QRect picture_rect() const;
    void paint_face(QPainter &painter, const QRect &picture) const;
    void paint_labels(QPainter &painter) const;
    void draw_face(QPainter &painter, const QRect &picture);

    // The dial picture, arc, ticks and scale labels do not change with the
    // value: they are kept in device pixels, made for the painter's scale
    // and sub-pixel phase, and copied pixel for pixel.
    QImage m_face;
    QRect m_face_at;
    QTransform m_face_phase;
    bool m_face_stale = true;

    // The title's and unit's measures, taken once for their text and the
    // screen's resolution; only the value is measured each reading.
    const GaugeTextMeasures &text_measures() const;
    mutable GaugeTextMeasures m_measures;
    mutable int m_measures_dpi = 0;   // 0: to be taken

    QColor tick_color;
    int tick_step = 30;
    int m_radius = 130;
    double m_value = 0.0;
    int maximum = 100;
    int minimum = 0;
    QString unit;
    QString title;
};

#endif
