#include "gauge/gaugespeed.h"

#include <QImage>
#include <QPixmap>
#include <QtTest>
#include <cmath>
#include <limits>

namespace {

bool is_needle(QRgb c)
{
    // Qt::darkBlue fill, allowing for antialiasing at the edge.
    return qBlue(c) > 90 && qRed(c) < 60 && qGreen(c) < 60;
}

enum Direction { Left, Up, Right };

}

Q_DECLARE_METATYPE(Direction)

class tst_gauge : public QObject
{
    Q_OBJECT
private slots:
    void starting_values();
    void clamping_data();
    void clamping();
    void int_setter_clamps();
    void set_range_keeps_value();
    void set_radius_is_reset_by_paint();
    void needle_direction_data();
    void needle_direction();
    void arc_is_drawn();
};

void tst_gauge::starting_values()
{
    GaugeSpeed g;
    QCOMPARE(g.value(), 0.0);
    QCOMPARE(g.radius(), 130);
    QCOMPARE(g.property("value").toDouble(), 0.0);
    g.setProperty("value", 250.0);
    QCOMPARE(g.value(), 100.0);
}

void tst_gauge::clamping_data()
{
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("min");
    QTest::addColumn<double>("in");
    QTest::addColumn<double>("out");

    QTest::newRow("inside") << 100 << 0 << 42.5 << 42.5;
    QTest::newRow("above max") << 100 << 0 << 150.0 << 100.0;
    QTest::newRow("below min") << 100 << 0 << -5.0 << 0.0;
    QTest::newRow("at min") << 80 << -40 << -40.0 << -40.0;
    QTest::newRow("negative range below") << 80 << -40 << -41.0 << -40.0;
    QTest::newRow("min above max ends at max (low)") << 0 << 100 << 50.0 << 0.0;
    QTest::newRow("min above max ends at max (high)") << 0 << 100 << 500.0 << 0.0;
}

void tst_gauge::clamping()
{
    QFETCH(int, max);
    QFETCH(int, min);
    QFETCH(double, in);
    QFETCH(double, out);

    GaugeSpeed g;
    g.setRange(max, min);
    g.setValue(in);
    QCOMPARE(g.value(), out);
}

void tst_gauge::int_setter_clamps()
{
    GaugeSpeed g;
    g.setValue(150);
    QCOMPARE(g.value(), 100.0);
    g.setValue(-5);
    QCOMPARE(g.value(), 0.0);
    g.setValue(7);
    QCOMPARE(g.value(), 7.0);
}

void tst_gauge::set_range_keeps_value()
{
    GaugeSpeed g;
    g.setValue(90.0);
    g.setRange(50, 0);
    QCOMPARE(g.value(), 90.0);
    g.setValue(90.0);
    QCOMPARE(g.value(), 50.0);
}

void tst_gauge::set_radius_is_reset_by_paint()
{
    GaugeSpeed g;
    g.resize(280, 200);
    g.setRadius(40);
    QCOMPARE(g.radius(), 40);
    g.grab();
    QCOMPARE(g.radius(), 130);
}

void tst_gauge::needle_direction_data()
{
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("min");
    QTest::addColumn<double>("value");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<Direction>("direction");

    const QSize form(280, 200);
    QTest::newRow("min points left") << 100 << 0 << 0.0 << form << Left;
    QTest::newRow("mid points up") << 100 << 0 << 50.0 << form << Up;
    QTest::newRow("max points right") << 100 << 0 << 100.0 << form << Right;
    QTest::newRow("-40..80 at 20 points up") << 80 << -40 << 20.0 << form << Up;
    QTest::newRow("clamped above points right") << 100 << 0 << 150.0 << form << Right;
    QTest::newRow("clamped below points left") << 100 << 0 << -5.0 << form << Left;
    QTest::newRow("empty range rests left") << 50 << 50 << 50.0 << form << Left;
    QTest::newRow("NaN rests left") << 100 << 0 << std::numeric_limits<double>::quiet_NaN() << form << Left;
    QTest::newRow("twice the size, up") << 100 << 0 << 50.0 << QSize(560, 400) << Up;
    QTest::newRow("twice the size, right") << 100 << 0 << 100.0 << QSize(560, 400) << Right;
    QTest::newRow("taller than wide, left") << 100 << 0 << 0.0 << QSize(200, 400) << Left;
    QTest::newRow("taller than wide, up") << 100 << 0 << 50.0 << QSize(200, 400) << Up;
}

void tst_gauge::needle_direction()
{
    QFETCH(int, max);
    QFETCH(int, min);
    QFETCH(double, value);
    QFETCH(QSize, size);
    QFETCH(Direction, direction);

    GaugeSpeed g;
    g.resize(size);
    g.setRange(max, min);
    g.setValue(value);
    const QImage img = g.grab().toImage();
    QCOMPARE(img.size(), size);

    // The dial's centre is 150 px below the top; the scale follows the
    // smaller side (200 logical units).
    const double scale = qMin(size.width(), size.height()) / 200.0;
    const QPoint centre(size.width() / 2, 150);
    const int reach = int(40 * scale);
    const QPoint probe[] = {centre + QPoint(-reach, 0), centre + QPoint(0, -reach), centre + QPoint(reach, 0)};
    for (int d = Left; d <= Right; ++d) {
        const QRgb c = img.pixel(probe[d]);
        if (d == direction)
            QVERIFY2(is_needle(c), qPrintable(QString("no needle at direction %1: %2").arg(d).arg(c, 8, 16)));
        else
            QVERIFY2(!is_needle(c), qPrintable(QString("needle also at direction %1").arg(d)));
    }
}

void tst_gauge::arc_is_drawn()
{
    // Probe the black arc between two ticks, at 45 and 135 degrees.
    GaugeSpeed g;
    g.resize(280, 200);
    const QImage img = g.grab().toImage();
    const int off = int(std::lround(130 * std::sqrt(0.5)));
    for (const QPoint &p : {QPoint(140 + off, 150 - off), QPoint(140 - off, 150 - off)}) {
        const QRgb c = img.pixel(p);
        QVERIFY2(qRed(c) < 60 && qGreen(c) < 60 && qBlue(c) < 60 && qAlpha(c) > 200,
                 qPrintable(QString::number(c, 16)));
    }
}

QTEST_MAIN(tst_gauge)
#include "tst_gauge.moc"
