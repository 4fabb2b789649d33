// The tables' own cell painter against Qt's QStyledItemDelegate: the same
// cells must come out pixel for pixel the same, in plain tables and in the
// real windows' tables after readings. Run again at a fractional device
// pixel ratio in a child process.
#include "KQ240_interface/kq240_interface.h"
#include "KQ257_interface/kq257_interface.h"
#include "frame/cell_delegate.h"
#include "general_instrument.h"
#include "hidsim.h"
#include "menu_dialog/menu_dialog.h"
#include "testkit.h"
#include "usart_interface/usart_interface.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QtTest>

#include <memory>

namespace {

const char *k_child = "CELL_PAINT_CHILD";

// What the viewport shows, with whatever is behind it (the tables are
// transparent over their window).
QImage shown(QTableWidget *table)
{
    QWidget *top = table->window();
    QWidget *vp = table->viewport();
    const QRect r(vp->mapTo(top, QPoint(0, 0)), vp->size());
    return top->grab(r).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The table painted by Qt's delegate and by the frame's: both images, and
// how many cells the frame's painted itself.
struct Both
{
    QImage qt;
    QImage ours;
    quint64 own = 0;
    quint64 base = 0;
};

Both paint_both(QTableWidget *table)
{
    Both b;
    auto *ours = new frame::CellDelegate(table);
    table->setItemDelegate(ours);
    QCoreApplication::processEvents();
    b.ours = shown(table);
    b.own = ours->counts().own;
    b.base = ours->counts().base;
    table->setItemDelegate(new QStyledItemDelegate(table));
    QCoreApplication::processEvents();
    b.qt = shown(table);
    table->setItemDelegate(ours);
    return b;
}

// Where two images differ first, for the failure message.
QByteArray first_difference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return QByteArray("sizes differ");
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return QStringLiteral("first at (%1,%2): Qt %3, ours %4")
                    .arg(x).arg(y).arg(a.pixel(x, y), 8, 16).arg(b.pixel(x, y), 8, 16).toLatin1();
    return QByteArray("same");
}

bool has_red(const QTableWidget *t)
{
    for (int r = t->rowCount() - 10; r < t->rowCount(); ++r)
        for (int c = 0; c < t->columnCount(); ++c)
            if (t->item(r, c) && t->item(r, c)->background().color() == Qt::red)
                return true;
    return false;
}

// The ratio the run was asked for (the child's), else the screen's own.
double expected_ratio()
{
    const QByteArray r = qgetenv("CELL_PAINT_RATIO");
    return r.isEmpty() ? qApp->devicePixelRatio() : r.toDouble();
}

}

class tst_cell_paint : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        tzset();
    }

    // One table: every cell holds the case's text, rows of several heights
    // (the vertical centring rounds differently with each).
    void cells_paint_as_qt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("align");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("red");
        QTest::addColumn<bool>("wrap");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<QString>("font");
        QTest::addColumn<bool>("ours");   // painted by the frame's delegate itself

        const int left = Qt::AlignLeft | Qt::AlignVCenter;
        const int right = Qt::AlignRight | Qt::AlignVCenter;
        const int centre = Qt::AlignCenter;
        const QString cond = QStringLiteral("DejaVu Sans Condensed");
        QTest::newRow("left") << "23.45" << left << 90 << false << false << false << "" << true;
        QTest::newRow("right") << "23.45" << right << 90 << false << false << false << "" << true;
        QTest::newRow("centred") << "23.45" << centre << 90 << false << false << false << "" << true;
        QTest::newRow("top left") << "-0.5" << int(Qt::AlignLeft | Qt::AlignTop) << 90 << false << false << false << "" << true;
        QTest::newRow("bottom right") << "1013.2" << int(Qt::AlignRight | Qt::AlignBottom) << 90 << false << false << false << "" << true;
        QTest::newRow("centred, odd width") << "7" << centre << 71 << false << false << false << cond << true;
        QTest::newRow("alarm red") << "31.00℃" << centre << 100 << true << false << false << cond << true;
        QTest::newRow("celsius") << "25.30℃" << centre << 100 << false << false << false << cond << true;
        QTest::newRow("fahrenheit") << "77.54℉" << centre << 100 << false << false << false << cond << true;
        QTest::newRow("humidity") << "45.00%RH" << centre << 100 << false << false << false << cond << true;
        QTest::newRow("humidity, spaced") << "45.0 %RH" << left << 100 << false << false << false << "" << true;
        QTest::newRow("bold, 10.5 pt") << "88.8 dB" << centre << 100 << false << false << false << "bold" << true;
        QTest::newRow("date, one line") << "22:13:20 2023-11-14" << centre << 170 << false << false << false << cond << true;
        QTest::newRow("chinese") << QStringLiteral("温度超限 25.3℃") << centre << 160 << false << false << false << "" << true;
        QTest::newRow("too narrow: elided") << "22:13:20 2023-11-14" << centre << 45 << false << false << false << "" << false;
        QTest::newRow("too narrow, red") << "12345.678 Pa" << right << 40 << true << false << false << "" << false;
        QTest::newRow("selected, focused") << "25.30℃" << centre << 100 << true << false << true << cond << false;
        QTest::newRow("wrapped date") << "22:13:20 2023-11-14" << centre << 84 << false << true << false << "" << false;
        QTest::newRow("wrap on, fits one line") << "25.30℃" << centre << 100 << false << true << false << "" << true;
        QTest::newRow("empty") << "" << centre << 60 << true << false << false << "" << false;
    }
    void cells_paint_as_qt()
    {
        QFETCH(QString, text);
        QFETCH(int, align);
        QFETCH(int, width);
        QFETCH(bool, red);
        QFETCH(bool, wrap);
        QFETCH(bool, selected);
        QFETCH(QString, font);
        QFETCH(bool, ours);

        // Over a gradient, transparent, styled as the windows are.
        QWidget host;
        host.setObjectName("host");
        host.setStyleSheet("QWidget#host{background: qlineargradient(x1:0, y1:0, x2:1, y2:1, stop:0 #203040, stop:1 #608090);}"
                           "QTableWidget{background-color: rgba(255,255,255,0); color: white;}");
        auto *table = new QTableWidget(4, 3, &host);
        table->setGeometry(0, 0, 3 * width + 60, 160);
        if (font == "bold") {
            QFont f = table->font();
            f.setBold(true);
            f.setPointSizeF(10.5);
            table->setFont(f);
        } else if (!font.isEmpty()) {
            table->setFont(QFont(font));
        }
        table->setWordWrap(wrap);
        const int heights[] = {21, 24, 27, 34};
        for (int r = 0; r < 4; ++r) {
            table->setRowHeight(r, heights[r]);
            for (int c = 0; c < 3; ++c) {
                auto *item = new QTableWidgetItem(text);
                item->setTextAlignment(align);
                if (red && c == 1)
                    item->setBackground(QBrush(Qt::red, Qt::SolidPattern));
                table->setItem(r, c, item);
            }
        }
        for (int c = 0; c < 3; ++c)
            table->setColumnWidth(c, width);
        host.resize(table->size());
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        // The current cell has the focus frame (painted by Qt) only with a
        // selection here, so the plain cases are all plain.
        if (selected) {
            table->setFocus();
            table->selectRow(1);
        } else {
            table->setFocusPolicy(Qt::NoFocus);
            table->clearFocus();
        }

        const Both b = paint_both(table);
        QVERIFY2(qAbs(b.qt.devicePixelRatio() - expected_ratio()) < 1e-3, QByteArray::number(b.qt.devicePixelRatio()));
        QVERIFY2(b.qt == b.ours, first_difference(b.qt, b.ours).constData());
        // The case tests the path it names.
        if (ours)
            QCOMPARE(b.base, quint64(0));
        else
            QVERIFY(b.base > 0);
        if (ours || selected)
            QVERIFY(b.own > 0);
    }

    // KQ257: readings (some out of limits) in the real-time table, in ℃ and
    // in ℉, and the stored records after an upload.
    void kq257_rows_paint_as_qt_data()
    {
        QTest::addColumn<bool>("fahrenheit");
        QTest::newRow("celsius") << false;
        QTest::newRow("fahrenheit") << true;
    }
    void kq257_rows_paint_as_qt()
    {
        QFETCH(bool, fahrenheit);
        testkit::ProgramDir dir;
        hidsim::reset();
        auto instrument = std::dynamic_pointer_cast<hidsim::GeneralInstrument>(hidsim::make_model("KQ257"));
        QVERIFY(instrument);
        const hidsim::DeviceSpec spec = hidsim::model_device("KQ257");
        hidsim::plug(spec, instrument);

        KQ257_INTERFACE w;
        w.resize(1200, 732);
        w.set_device_path(QString::fromStdString(spec.path));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        if (fahrenheit)
            w.findChild<QRadioButton *>("radioButton_2")->click();
        testkit::SoundCounter sounds;
        Menu_dialog *menu = w.menu_part();
        menu->findChild<QCheckBox *>("T_checkBox")->setChecked(true);
        menu->findChild<QDoubleSpinBox *>("UP_alarm_data_6")->setValue(30);
        menu->findChild<QDoubleSpinBox *>("down_alarm_data_6")->setValue(0);
        menu->findChild<QDoubleSpinBox *>("UP_alarm_data_5")->setValue(50);
        menu->findChild<QDoubleSpinBox *>("down_alarm_data_5")->setValue(40);
        menu->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Ok)->click();
        quint32 t = 1700000000;
        for (int i = 0; i < 40; ++i) {
            const qint16 c = qint16(2000 + 37 * i - (i % 3) * 500);
            const quint16 h = quint16(3500 + 29 * i);
            QQueue<quint16> q;
            for (quint16 x : {quint16(t & 0xFFFF), quint16(t >> 16), quint16(c), h})
                q.enqueue(x);
            w.get_rt_data(q);
            ++t;
        }
        QCoreApplication::processEvents();
        auto *rt = w.findChild<QTableWidget *>("RT_table_data");
        QVERIFY(rt);
        QCOMPARE(rt->rowCount(), 40);
        QVERIFY(has_red(rt));
        const Both b = paint_both(rt);
        QVERIFY(b.own > 20);
        QVERIFY2(b.qt == b.ours, first_difference(b.qt, b.ours).constData());
        hidsim::reset();
    }

    // KQ240 (four channels: the date wraps onto two lines of its row).
    void kq240_rows_paint_as_qt()
    {
        testkit::ProgramDir dir;
        KQ240_INTERFACE w;
        w.get_KQ240x("KQ240");
        w.resize(1350, 730);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.findChild<QPushButton *>("start_button")->click();
        w.findChild<QPushButton *>("Pause_Button")->click();
        testkit::SoundCounter sounds;
        w.set_limit_slot({-100, 100, 20, 30, -100, 100, 0, 23});
        for (int i = 0; i < 30; ++i) {
            for (quint16 x : {quint16(235 + 7 * i), quint16(i % 4 == 0 ? 28000 : 180 + 5 * i), quint16(241 - i), quint16(65536 - 15 * i)})
                w.link_part()->rt_list.enqueue(x);
            w.get_rt_data();
        }
        QCoreApplication::processEvents();
        auto *rt = w.findChild<QTableWidget *>("RT_table_data");
        QVERIFY(rt);
        QCOMPARE(rt->rowCount(), 30);
        QVERIFY(has_red(rt));
        QVERIFY(rt->wordWrap());
        const Both b = paint_both(rt);
        QVERIFY(b.own > 20);
        QVERIFY(b.base > 0);   // the wrapped dates
        QVERIFY2(b.qt == b.ours, first_difference(b.qt, b.ours).constData());
    }

    // Everything above again at other device pixel ratios (this run's
    // offscreen screen already gives a fractional one, as Xvfb's 100 dpi does).
    void at_other_ratios_data()
    {
        QTest::addColumn<double>("scale");
        QTest::newRow("one") << 1.0 / qApp->devicePixelRatio();
        QTest::newRow("x 1.25") << 1.25;
    }
    void at_other_ratios()
    {
        QFETCH(double, scale);
        if (qEnvironmentVariableIsSet(k_child))
            QSKIP("the child run itself");
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(k_child, "1");
        env.insert("QT_SCALE_FACTOR", QString::number(scale, 'g', 10));
        env.insert("CELL_PAINT_RATIO", QString::number(scale * qApp->devicePixelRatio(), 'g', 10));
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(QCoreApplication::applicationFilePath(), QStringList());
        QVERIFY(p.waitForFinished(240000));
        const QByteArray out = p.readAll();
        QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0, out.right(3000).constData());
    }
};

int main(int argc, char **argv)
{
    // As the program runs: scaled, ratios not rounded.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication app(argc, argv);
    tst_cell_paint t;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&t, argc, argv);
}

#include "tst_cell_paint.moc"
