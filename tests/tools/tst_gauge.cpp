#include "KQ186_interface/kq186_units.h"
#include "dial_reference.h"
#include "gauge/gaugespeed.h"
#include "testkit.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QLineF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPixmap>
#include <QProcess>
#include <QQueue>
#include <QtMath>
#include <QtTest>
#include <algorithm>
#include <climits>
#include <functional>
#include <cmath>
#include <limits>

namespace {

bool is_needle(QRgb c)
{
    // Qt::darkBlue fill, allowing for antialiasing at the edge.
    return qBlue(c) > 90 && qRed(c) < 60 && qGreen(c) < 60;
}

enum Direction { Left, Up, Right };

// A paint device that keeps every text drawn on it: the text, where its
// baseline starts in device pixels, its font, and the box it takes (its
// advance by ascent plus descent) and the box its ink covers, in device pixels.
struct DrawnText
{
    QString text;
    QPointF at;
    QFont font;
    QRectF box;
    QRectF ink;
};

class TextEngine : public QPaintEngine
{
public:
    TextEngine() : QPaintEngine(QPaintEngine::AllFeatures) {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &state) override
    {
        if (state.state() & QPaintEngine::DirtyTransform)
            transform = state.transform();
    }
    // Shapes are not recorded; the defaults would call each other.
    void drawPixmap(const QRectF &r, const QPixmap &, const QRectF &) override
    {
        pictures = pictures.united(transform.mapRect(r));
    }
    void drawPolygon(const QPointF *, int, PolygonDrawMode) override {}
    void drawPolygon(const QPoint *, int, PolygonDrawMode) override {}
    void drawPath(const QPainterPath &) override {}
    void drawTextItem(const QPointF &p, const QTextItem &item) override
    {
        const QFontMetricsF fm(item.font());
        const QRectF box(p.x(), p.y() - fm.ascent(), fm.horizontalAdvance(item.text()), fm.ascent() + fm.descent());
        const QRectF ink = fm.tightBoundingRect(item.text()).translated(p);
        texts.append({item.text(), transform.map(p), item.font(), transform.mapRect(box), transform.mapRect(ink)});
    }
    Type type() const override { return QPaintEngine::User; }

    QTransform transform;
    QList<DrawnText> texts;
    QRectF pictures;   // all pictures drawn, in device pixels
};

class TextDevice : public QPaintDevice
{
public:
    explicit TextDevice(QSize size) : m_size(size) {}
    QPaintEngine *paintEngine() const override { return &engine; }
    QList<DrawnText> texts() const { return engine.texts; }
    QRectF pictures() const { return engine.pictures; }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return m_size.width();
        case PdmHeight: return m_size.height();
        case PdmWidthMM: return m_size.width() * 254 / 960;
        case PdmHeightMM: return m_size.height() * 254 / 960;
        case PdmNumColors: return INT_MAX;
        case PdmDepth: return 32;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        default: return 96;   // dpi
        }
    }

private:
    QSize m_size;
    mutable TextEngine engine;
};

QList<DrawnText> drawn_texts(GaugeSpeed &g)
{
    TextDevice device(g.size());
    g.render(&device);
    return device.texts();
}

// Where the style sheet's dial picture lands on the gauge.
QRectF drawn_picture(GaugeSpeed &g)
{
    TextDevice device(g.size());
    g.render(&device);
    return device.pictures();
}

// The dial picture is square with the hub in its middle: it must be drawn
// square, 300 dial units wide, centred on the needle's pivot.
QString picture_misplaced(GaugeSpeed &g)
{
    const QRectF drawn = drawn_picture(g);
    const double side = 300 * qMin(g.width(), g.height()) / 200.0;
    const QPointF pivot(g.width() / 2, 150);
    if (std::abs(drawn.width() - side) > 1.5 || std::abs(drawn.height() - side) > 1.5
        || QLineF(drawn.center(), pivot).length() > 1.5)
        return QString("%1x%2: picture at %3,%4 %5x%6")
            .arg(g.width()).arg(g.height())
            .arg(drawn.x()).arg(drawn.y()).arg(drawn.width()).arg(drawn.height());
    return QString();
}

// Title, value and unit under the dial: the texts drawn after the seven
// scale labels.
QList<DrawnText> line_texts(GaugeSpeed &g)
{
    QList<DrawnText> texts = drawn_texts(g).mid(7);
    texts.erase(std::remove_if(texts.begin(), texts.end(), [](const DrawnText &t) { return t.text.isEmpty(); }),
                texts.end());
    return texts;
}

QString describe(const DrawnText &t)
{
    return QString("\"%1\" %2,%3 %4x%5")
        .arg(t.text).arg(t.box.x()).arg(t.box.y()).arg(t.box.width()).arg(t.box.height());
}

// The texts under the dial must each lie inside the widget and not run
// into one another.
QString line_crowded(GaugeSpeed &g)
{
    const QList<DrawnText> texts = line_texts(g);
    QStringList faults;
    for (int i = 0; i < texts.size(); ++i) {
        if (!QRectF(g.rect()).contains(texts[i].box))
            faults << describe(texts[i]) + " outside " + QString("%1x%2").arg(g.width()).arg(g.height());
        for (int j = i + 1; j < texts.size(); ++j)
            if (texts[i].box.intersects(texts[j].box))
                faults << describe(texts[i]) + " over " + describe(texts[j]);
    }
    return faults.join("; ");
}

// The texts under the dial must lie on the picture's face, inside its rim
// (Dashboard.svg: a circle of 134 dial units around the pivot, cut flat 44
// below it). Dial units: the pivot at (width / 2, 150), min(width, height)
// / 200 pixels each.
QString off_the_face(GaugeSpeed &g)
{
    const double unit = qMin(g.width(), g.height()) / 200.0;
    const QPointF pivot(g.width() / 2, 150);
    QStringList faults;
    for (const DrawnText &t : line_texts(g)) {
        for (const QPointF &corner : {t.ink.topLeft(), t.ink.topRight(), t.ink.bottomLeft(), t.ink.bottomRight()}) {
            const QPointF d = (corner - pivot) / unit;
            if (std::hypot(d.x(), d.y()) > 134 || d.y() > 44) {
                faults << QString("\"%1\" ink reaches %2,%3 (dial units), over the rim")
                              .arg(t.text).arg(d.x(), 0, 'f', 1).arg(d.y(), 0, 'f', 1);
                break;
            }
        }
    }
    return faults.join("; ");
}

// A model window without a device, shown; null if it did not come up.
std::unique_ptr<QWidget> shown_window(const QString &model)
{
    auto window = testkit::make_model_window(model);
    if (window) {
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            window.reset();
    }
    return window;
}

QString application_style_sheet()
{
    QFile f(":/res/qss/Button.css");
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

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
    void setters_paint_before_returning();
    void set_radius_is_reset_by_paint();
    void needle_direction_data();
    void needle_direction();
    void arc_is_drawn();
    void scale_labels_data();
    void scale_labels();
    void texts_under_the_dial_data();
    void texts_under_the_dial();
    void picture_square_on_the_pivot_data();
    void picture_square_on_the_pivot();
    void window_gauges_data();
    void window_gauges();
    void window_gauge_texts_data();
    void window_gauge_texts();
    void picture_is_legible();
    void repaint_matches_a_fresh_gauge_data();
    void repaint_matches_a_fresh_gauge();
    void paints_as_before_data();
    void paints_as_before();
    void paints_as_before_at_a_fractional_ratio();
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

void tst_gauge::setters_paint_before_returning()
{
    struct PaintCounter : QObject
    {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint)
                ++paints;
            return false;
        }
    } counter;

    GaugeSpeed g;
    g.resize(280, 200);
    g.show();
    QVERIFY(QTest::qWaitForWindowExposed(&g));
    g.installEventFilter(&counter);
    const std::function<void()> setters[] = {
        [&] { g.setValue(12.5); }, [&] { g.setValue(30); },       [&] { g.setRange(80, -40); },
        [&] { g.setTitle("speed:"); }, [&] { g.setUnit("m/s"); }, [&] { g.setRadius(99); },
    };
    for (const auto &set : setters) {
        const int before = counter.paints;
        set();   // no event processing in between
        QCOMPARE(counter.paints, before + 1);
    }
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

void tst_gauge::scale_labels_data()
{
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("min");
    QTest::addColumn<QStringList>("labels");

    QTest::newRow("80 / -40") << 80 << -40 << QStringList({"-40.0", "-20.0", "0.0", "20.0", "40.0", "60.0", "80.0"});
    QTest::newRow("100 / 0") << 100 << 0 << QStringList({"0.0", "16.7", "33.3", "50.0", "66.7", "83.3", "100.0"});
    QTest::newRow("130 / 30") << 130 << 30 << QStringList({"30.0", "46.7", "63.3", "80.0", "96.7", "113.3", "130.0"});
}

void tst_gauge::scale_labels()
{
    QFETCH(int, max);
    QFETCH(int, min);
    QFETCH(QStringList, labels);

    GaugeSpeed g;
    g.resize(280, 200);
    g.setRange(max, min);
    g.setValue(double(min));
    const QList<DrawnText> texts = drawn_texts(g);
    QVERIFY(texts.size() >= 7);

    // Seven labels first, from the left end over the top to the right end,
    // on a circle of radius 86 around (140, 150).
    const QFontMetrics fm = g.fontMetrics();
    QStringList seen;
    for (int i = 0; i < 7; ++i) {
        const DrawnText &t = texts[i];
        seen << t.text;
        const double a = qDegreesToRadians(-90.0 - 30.0 * i);
        const QPointF centre = t.at + QPointF(0.5 * fm.horizontalAdvance(t.text), -0.25 * fm.height());
        QVERIFY2(std::abs(centre.x() - (140 + 86 * std::sin(a))) <= 1.5, qPrintable(t.text));
        QVERIFY2(std::abs(centre.y() - (150 + 86 * std::cos(a))) <= 1.5, qPrintable(t.text));
    }
    QCOMPARE(seen, labels);
}

void tst_gauge::texts_under_the_dial_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("crowded");   // too long for the line from -120 to 110 at its fonts

    QTest::newRow("temperature") << "Temperature:" << "\u2103" << 20.0 << "20.00" << true;
    QTest::newRow("clamped to 100") << "Decibels:" << "db" << 150.0 << "100.00" << false;
    QTest::newRow("no title") << "" << "lux" << 7.125 << "7.13" << false;
    QTest::newRow("wide unit, the line spreads") << "Speed:" << "Contact RPM" << 99.99 << "99.99" << true;
    QTest::newRow("long title, the whole line smaller")
        << "A very long title that fills the line" << "m/s" << 99.99 << "99.99" << true;
}

void tst_gauge::texts_under_the_dial()
{
    QFETCH(QString, title);
    QFETCH(QString, unit);
    QFETCH(double, value);
    QFETCH(QString, shown);
    QFETCH(bool, crowded);

    GaugeSpeed g;
    g.resize(280, 200);
    g.setTitle(title);
    g.setUnit(unit);
    g.setValue(value);
    const QList<DrawnText> texts = line_texts(g);

    QStringList order;
    if (!title.isEmpty())
        order << title;
    order << shown << unit;
    QCOMPARE(texts.size(), order.size());
    for (int i = 0; i < texts.size(); ++i) {
        QCOMPARE(texts[i].text, order[i]);
        QVERIFY(texts[i].font.bold());
        QCOMPARE(texts[i].at.y(), 190.0);
    }
    const DrawnText &v = texts[title.isEmpty() ? 0 : 1];
    const DrawnText &u = texts.last();
    // The title starts 120 left of the centre, the unit ends 110 right of
    // it; a line too long for that spreads to the widget's edges.
    if (!crowded) {
        if (!title.isEmpty())
            QCOMPARE(texts.first().at.x(), 20.0);
        QVERIFY2(std::abs(u.box.right() - 250) < 0.5, qPrintable(describe(u)));
    }
    // The value, measured in its own font, centred between the title's end
    // and the unit's start; a value too wide for the gap is drawn smaller.
    const double title_end = title.isEmpty() ? 20 : texts.first().box.right();   // the line starts at 20
    QVERIFY2(std::abs(v.box.center().x() - (title_end + u.box.left()) / 2) < 1.0, qPrintable(describe(v)));
    QVERIFY(v.font.pointSizeF() <= 20);
    if (!crowded)
        QCOMPARE(v.font.pointSizeF(), 20.0);
    for (const DrawnText &t : texts)
        if (&t != &v)
            QCOMPARE(t.font.pointSizeF(), std::min(12.0, v.font.pointSizeF()));
    const QString overlap = line_crowded(g);
    QVERIFY2(overlap.isEmpty(), qPrintable(overlap));
    const QString over = off_the_face(g);
    QVERIFY2(over.isEmpty(), qPrintable(over));
}

void tst_gauge::picture_square_on_the_pivot_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("form size") << QSize(280, 200);
    QTest::newRow("widened") << QSize(560, 200);
    QTest::newRow("larger") << QSize(420, 300);
    QTest::newRow("taller than wide") << QSize(200, 400);
}

void tst_gauge::picture_square_on_the_pivot()
{
    QFETCH(QSize, size);
    const QString sheet = application_style_sheet();
    QVERIFY(!sheet.isEmpty());
    for (const char *name : {"gunspeed", "gunspeed_2"}) {
        GaugeSpeed g;
        g.setObjectName(name);
        g.setStyleSheet(sheet);
        g.resize(size);
        const QString misplaced = picture_misplaced(g);
        QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced));
    }
}

void tst_gauge::window_gauges_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("gauges");
    QTest::newRow("KQ257") << "KQ257" << 2;
    QTest::newRow("KQ263") << "KQ263" << 1;
    QTest::newRow("KQ278") << "KQ278" << 2;
    QTest::newRow("KQ285") << "KQ285" << 2;
    QTest::newRow("KQ291") << "KQ291" << 1;
    QTest::newRow("KQ186") << "KQ186" << 1;
    QTest::newRow("KQ174") << "KQ174" << 2;
}

// Every window's gauges, at the sizes its layout gives them.
void tst_gauge::window_gauges()
{
    QFETCH(QString, model);
    QFETCH(int, gauges);
    testkit::ProgramDir dir;
    dir.write_config({});
    const auto window = shown_window(model);
    QVERIFY(window);
    int shown = 0;
    for (GaugeSpeed *g : window->findChildren<GaugeSpeed *>()) {
        if (!g->isVisible())
            continue;
        ++shown;
        QVERIFY2(!drawn_picture(*g).isEmpty(), qPrintable(g->objectName()));
        const QString misplaced = picture_misplaced(*g);
        QVERIFY2(misplaced.isEmpty(), qPrintable(g->objectName() + ": " + misplaced));
    }
    QCOMPARE(shown, gauges);
}

void tst_gauge::window_gauge_texts_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("language");
    for (const char *model : {"KQ174", "KQ186", "KQ257", "KQ263", "KQ278", "KQ285", "KQ291"})
        for (const char *language : {"EN", "CH"})
            QTest::newRow(qPrintable(QString("%1 %2").arg(model, language))) << model << language;
}

// The longest values each window can show, at the sizes its layout gives
// the gauges, in both languages: title, value and unit stay apart, inside
// the gauge and on the dial's face.
void tst_gauge::window_gauge_texts()
{
    QFETCH(QString, model);
    QFETCH(QString, language);
    testkit::ProgramDir dir;
    dir.write_config({{"Language", language}});
    const auto window = shown_window(model);
    QVERIFY(window);

    QStringList faults;
    auto check = [&](GaugeSpeed *g, const QString &what) {
        const QString crowded = line_crowded(*g);
        if (!crowded.isEmpty())
            faults << g->objectName() + " " + what + ": " + crowded;
        const QString over = off_the_face(*g);
        if (!over.isEmpty())
            faults << g->objectName() + " " + what + ": " + over;
        if (!qEnvironmentVariableIsEmpty("SENSAVO_SHOT_DIR"))   // for a look
            g->grab().save(QDir(qEnvironmentVariable("SENSAVO_SHOT_DIR"))
                               .filePath(QString("%1 %2 %3 %4.png").arg(model, language, g->objectName(), what)));
    };
    if (model == "KQ174") {
        // A real-time answer in each of the five modes: time, reading and
        // temperature in tenths (two words each), then the mode word.
        GaugeSpeed *speed = window->findChild<GaugeSpeed *>("gunspeed");
        QVERIFY(speed);
        for (int mode = 0; mode < 5; ++mode)
            for (quint32 tenths : {12559u, 999999u}) {
                QQueue<quint16> words;
                words << 0x5000 << 0x5F5E << quint16(tenths & 0xFFFF) << quint16(tenths >> 16) << 250 << 0
                      << quint16(mode);
                QVERIFY(QMetaObject::invokeMethod(window.get(), "get_rt_data", Qt::DirectConnection,
                                                  Q_ARG(QQueue<quint16>, words)));
                check(speed, QString("mode %1 at %2").arg(mode).arg(speed->value()));
            }
    }
    for (GaugeSpeed *g : window->findChildren<GaugeSpeed *>()) {
        if (!g->isVisible())
            continue;
        for (double v : {1e9, -1e9}) {
            g->setValue(v);   // the range's ends
            check(g, QString("at %1").arg(g->value()));
        }
        if (model == "KQ257" && g->objectName() == "gunspeed") {
            // In Fahrenheit the scale reaches 175.
            auto *fahrenheit = window->findChild<QAbstractButton *>("radioButton_2");
            QVERIFY(fahrenheit);
            fahrenheit->click();
            for (double v : {1e9, -1e9}) {
                g->setValue(v);
                check(g, QString("at %1 %2").arg(g->value()).arg(QString::fromUtf8("\u2109")));
            }
        }
        if (model == "KQ186") {
            g->setValue(1e9);
            for (int unit = 0; unit < kq186::unit_count; ++unit) {
                g->setUnit(kq186::unit_name(unit));
                check(g, kq186::unit_name(unit));
            }
        }
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join("\n")));
}

// Black labels and the dark blue needle on the face, readable (4.5:1);
// the picture is drawn at twice the size it is shown at.
void tst_gauge::picture_is_legible()
{
    const QImage picture = QImage(":/ICON/Dashboard.png").convertToFormat(QImage::Format_ARGB32);
    QVERIFY(!picture.isNull());
    QCOMPARE(picture.size(), QSize(600, 600));
    const double px = picture.width() / 300.0;   // picture pixels per dial unit
    const QPointF middle(picture.width() / 2.0, picture.height() / 2.0);
    auto at = [&](double x, double y) { return picture.pixel((middle + QPointF(x, y) * px).toPoint()); };

    double worst = 100;
    QString where;
    auto check = [&](double x, double y) {
        const QRgb c = at(x, y);
        const double k = qMin(testkit::contrast_ratio(c, qRgb(0, 0, 0)),
                              testkit::contrast_ratio(c, QColor(Qt::darkBlue).rgb()));
        if (qAlpha(c) < 250 || k < worst) {
            worst = qAlpha(c) < 250 ? 0 : k;
            where = QString("%1,%2").arg(x).arg(y);
        }
    };
    // Labels and needle: the upper half out to the ticks, the hub aside.
    for (double r = 18; r <= 118; r += 4)
        for (double a = 0; a <= 180; a += 5)
            check(-r * std::cos(qDegreesToRadians(a)), -r * std::sin(qDegreesToRadians(a)));
    // The line of title, value and unit under the dial.
    for (double y = 20; y <= 42; y += 4)
        for (double x = -120; x <= 110; x += 5)
            check(x, y);
    QVERIFY2(worst >= 4.5, qPrintable(QString("contrast %1 at %2").arg(worst).arg(where)));

    // The hub stands out in the middle, where the needle turns.
    QVERIFY(testkit::contrast_ratio(at(0, 0), at(0, -40)) >= 2.0);
}

// A gauge that has painted before and then changed paints as a new gauge
// in the same state would: what it keeps between paints follows its size,
// range, value and style sheet.
void tst_gauge::repaint_matches_a_fresh_gauge_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("max");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("sheet");
    const QString dial = application_style_sheet();
    const QString other = "GaugeSpeed { border-image: url(:/ICON/data_bckground.png); }";
    QTest::newRow("value only") << QSize(280, 200) << 100 << 73.5 << dial;
    QTest::newRow("range") << QSize(280, 200) << 500 << 73.5 << dial;
    QTest::newRow("resized") << QSize(420, 300) << 100 << 10.0 << dial;
    QTest::newRow("narrowed") << QSize(200, 400) << 100 << 10.0 << dial;
    QTest::newRow("other picture") << QSize(280, 200) << 100 << 10.0 << other;
    QTest::newRow("no picture") << QSize(280, 200) << 100 << 10.0 << QString();
}

void tst_gauge::repaint_matches_a_fresh_gauge()
{
    QFETCH(QSize, size);
    QFETCH(int, max);
    QFETCH(double, value);
    QFETCH(QString, sheet);
    auto make = [](const QString &style, QSize at) {
        auto g = std::make_unique<GaugeSpeed>();
        g->setObjectName("gunspeed");
        g->setStyleSheet(style);
        g->resize(at);
        g->setTitle("T");
        g->setUnit("C");
        return g;
    };
    const auto used = make(application_style_sheet(), QSize(280, 200));
    used->setValue(42.0);
    used->grab();
    used->setStyleSheet(sheet);
    used->resize(size);
    used->setRange(max, 0);
    used->setValue(value);

    const auto fresh = make(sheet, size);
    fresh->setRange(max, 0);
    fresh->setValue(value);
    QCOMPARE(used->grab().toImage(), fresh->grab().toImage());
}

// The dial after a change of state, against the paint code it had before
// its face kept the labels and was copied in device pixels (dial_reference.h,
// which makes everything afresh each paint). The dial has painted once
// before the change, so what it keeps must follow. Both are rendered at the
// widget's own pixel ratio, at a whole-pixel offset and at one that puts
// the face at another sub-pixel phase (as a dial inside a window is).
void tst_gauge::paints_as_before_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("min");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("sheet");   // "dial", "other" or "none"

    const QSize form(280, 200);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const QString c = QString::fromUtf8("\u2103"), f = QString::fromUtf8("\u2109");
    QTest::newRow("min") << form << 100 << 0 << 0.0 << "Temp:" << c << "dial";
    QTest::newRow("max") << form << 100 << 0 << 100.0 << "Temp:" << c << "dial";
    QTest::newRow("mid") << form << 100 << 0 << 57.25 << "Temp:" << c << "dial";
    QTest::newRow("NaN") << form << 100 << 0 << nan << "Temp:" << c << "dial";
    QTest::newRow("range changed") << form << 175 << -40 << 68.0 << "Temp:" << c << "dial";
    QTest::newRow("range narrowed") << form << 1 << 0 << 0.5 << "Temp:" << c << "dial";
    QTest::newRow("unit changed") << form << 100 << 0 << 42.0 << "Temp:" << f << "dial";
    QTest::newRow("Chinese title") << form << 100 << 0 << 42.0 << QString::fromUtf8("\u6e29\u5ea6\uff1a") << f << "dial";
    QTest::newRow("long title, crowded line")
        << form << 100 << 0 << 99.99 << "A very long title that fills the line" << "m/s" << "dial";
    QTest::newRow("no title, no unit") << form << 100 << 0 << 42.0 << "" << "" << "dial";
    QTest::newRow("larger") << QSize(420, 300) << 100 << 0 << 42.0 << "Temp:" << c << "dial";
    QTest::newRow("widened") << QSize(561, 200) << 100 << 0 << 42.0 << "Temp:" << c << "dial";
    QTest::newRow("taller than wide") << QSize(201, 400) << 100 << 0 << 42.0 << "Temp:" << c << "dial";
    QTest::newRow("other picture") << form << 100 << 0 << 42.0 << "Temp:" << c << "other";
    QTest::newRow("no picture") << form << 100 << 0 << 42.0 << "Temp:" << c << "none";
}

void tst_gauge::paints_as_before()
{
    QFETCH(QSize, size);
    QFETCH(int, max);
    QFETCH(int, min);
    QFETCH(double, value);
    QFETCH(QString, title);
    QFETCH(QString, unit);
    QFETCH(QString, sheet);
    const QString sheets[] = {application_style_sheet(),
                              "GaugeSpeed { border-image: url(:/ICON/data_bckground.png); }", QString()};
    const QString style = sheets[sheet == "dial" ? 0 : sheet == "other" ? 1 : 2];
    QVERIFY(!sheets[0].isEmpty());

    GaugeSpeed dial;
    ReferenceDial reference;
    for (QWidget *w : {static_cast<QWidget *>(&dial), static_cast<QWidget *>(&reference)}) {
        w->setObjectName("gunspeed");
        w->setStyleSheet(sheets[0]);
        w->resize(280, 200);
    }
    dial.setTitle("Temp:");
    dial.setUnit(QString::fromUtf8("\u2103"));
    dial.setValue(42.0);
    dial.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dial));
    dial.grab();   // painted in the first state

    if (style != sheets[0])
        dial.setStyleSheet(style);
    dial.resize(size);
    dial.setRange(max, min);
    dial.setTitle(title);
    dial.setUnit(unit);
    dial.setValue(value);
    reference.setStyleSheet(style);
    reference.resize(size);
    reference.show_state(title, unit, max, min, dial.value());

    const qreal ratio = dial.devicePixelRatioF();
    QCOMPARE(reference.devicePixelRatioF(), ratio);
    for (const QPoint offset : {QPoint(0, 0), QPoint(7, 3)}) {
        auto render = [&](QWidget &w) {
            QImage image((QSizeF(size + QSize(offset.x(), offset.y())) * ratio).toSize(),
                         QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(ratio);
            image.fill(Qt::transparent);
            w.render(&image, offset);
            return image;
        };
        const QImage got = render(dial);
        const QImage want = render(reference);
        QCOMPARE(got.size(), want.size());
        if (ratio == 1.0) {
            QVERIFY2(got == want, qPrintable(QString("offset %1,%2").arg(offset.x()).arg(offset.y())));
            continue;
        }
        // At a fractional ratio the face used to be copied to the nearest
        // whole pixel from a picture made at its own phase; now it is made
        // at the phase it lands on, in line with the needle. That moves the
        // edges of the picture, arc and ticks by under a pixel and nothing
        // else: no pixel outside the face's square changes, most inside do
        // not, and averaged over 3x3 pixels (which a shift under a pixel
        // barely moves) no colour changes by more than a fifth.
        const int side = (300 * qMin(size.width(), size.height())) / 200;
        const QRectF square = QRectF(size.width() / 2 - side / 2 + offset.x(), 150 - side / 2 + offset.y(), side, side);
        const QRect face = QRectF(square.topLeft() * ratio, square.size() * ratio).toAlignedRect().adjusted(-1, -1, 1, 1);
        auto level = [](const QImage &image, int x, int y, int channel) {
            return int((image.pixel(x, y) >> (8 * channel)) & 0xff);
        };
        int differing = 0, outside = 0, worst = 0, worst_mean = 0;
        for (int y = 0; y < got.height(); ++y)
            for (int x = 0; x < got.width(); ++x) {
                if (got.pixel(x, y) == want.pixel(x, y))
                    continue;
                ++differing;
                outside += !face.contains(x, y);
                for (int channel = 0; channel < 4; ++channel) {
                    worst = std::max(worst, std::abs(level(got, x, y, channel) - level(want, x, y, channel)));
                    int sum = 0;
                    for (int v = std::max(0, y - 1); v <= std::min(got.height() - 1, y + 1); ++v)
                        for (int u = std::max(0, x - 1); u <= std::min(got.width() - 1, x + 1); ++u)
                            sum += level(got, u, v, channel) - level(want, u, v, channel);
                    worst_mean = std::max(worst_mean, std::abs(sum) / 9);
                }
            }
        const QString where = QString("ratio %1 offset %2,%3: %4 of %5 pixels differ (%6 outside the face), "
                                      "by up to %7, by up to %8 over 3x3")
                                  .arg(ratio).arg(offset.x()).arg(offset.y()).arg(differing)
                                  .arg(got.width() * got.height()).arg(outside).arg(worst).arg(worst_mean);
        qDebug("%s", qPrintable(where));
        QVERIFY2(outside == 0 && differing <= got.width() * got.height() * 15 / 100 && worst_mean <= 51,
                 qPrintable(where));
    }
}

// The same comparisons on a screen of fractional pixel ratio, in a run of
// its own (the ratio is fixed when the application starts).
void tst_gauge::paints_as_before_at_a_fractional_ratio()
{
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        QSKIP("already the child run");
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_SCALE_FACTOR", "1.25");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {"paints_as_before"});
    QVERIFY(child.waitForFinished(120000));
    const QString output = QString::fromUtf8(child.readAll());
    QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, qPrintable(output));
    QVERIFY2(output.contains("ratio 1.25"), qPrintable(output));
}

QTEST_MAIN(tst_gauge)
#include "tst_gauge.moc"
