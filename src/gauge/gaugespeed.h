#ifndef GAUGESPEED_H
#define GAUGESPEED_H

#include <QColor>
#include <QPixmap>
#include <QString>
#include <QWidget>

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
    void paint_face(QPainter &painter, const QRect &picture) const;

    // The dial picture, arc and ticks do not change with the value; scaling
    // the style sheet's picture each reading is most of a paint.
    QPixmap m_face;
    QRect m_face_at;
    bool m_face_stale = true;

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
