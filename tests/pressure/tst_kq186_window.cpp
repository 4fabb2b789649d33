#include "../sound/sound_rig.h"
#include "../temp/window_kit.h"

#include "KQ186_interface/kq186_interface.h"
#include "clean_data/clean_data.h"
#include "gauge/gaugespeed.h"
#include "menu_dialog/menu_dialog.h"
#include "general_instrument.h"
#include "disk_faults.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPdfWriter>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QtTest>
#include <qcustomplot.h>

#include <cstring>
#include <unistd.h>
#include <limits>

namespace {

const std::string PATH = "sim/kq186";
const QDateTime PC_TIME(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::OffsetFromUTC, 8 * 3600);
const quint32 T0 = 0x5F5E5000;   // 2020-09-13 16:59:44 UTC

const char *const RADIOS[] = {"radioButton",    "radioButton_2",  "radioButton_3",  "radioButton_4",
                              "radioButton_5",  "radioButton_6",  "radioButton_7",  "radioButton_8",
                              "radioButton_9",  "radioButton_10", "radioButton_11", "radioButton_12",
                              "radioButton_13", "radioButton_14"};

hidsim::Words reading(float pa, int unit, quint32 time = T0)
{
    quint32 bits;
    std::memcpy(&bits, &pa, sizeof bits);
    return {quint16(time & 0xFFFF), quint16(time >> 16), quint16(bits & 0xFFFF), quint16(bits >> 16),
            quint16(qint16(unit))};
}

hidsim::Words record(float pa, quint32 time)
{
    hidsim::Words w = reading(pa, 0, time);
    w.pop_back();
    return w;
}

// Two records a frame: 1234.5 Pa and 101325 Pa, ten seconds apart.
hidsim::Words stored_words(int frame)
{
    const quint32 t = 1600000000u + quint32(frame) * 20;
    hidsim::Words w = record(1234.5f, t);
    const hidsim::Words second = record(101325.0f, t + 10);
    w.insert(w.end(), second.begin(), second.end());
    return w;
}

struct Window : rig::WindowOn<KQ186_INTERFACE, hidsim::GeneralInstrument>
{
    explicit Window(hidsim::GeneralInstrument::RealtimeFn rt = [](int) { return reading(1234.5f, 0); },
                    hidsim::GeneralInstrument::StoredFn stored = stored_words, int frames = 2,
                    const QMap<QString, QString> &config = {})
        : WindowOn("KQ186", std::make_shared<hidsim::GeneralInstrument>(rt, stored, frames), PC_TIME, config)
    {
    }
    GaugeSpeed *gauge() { return get<GaugeSpeed>("gunspeed"); }
    QRadioButton *radio(int i) { return get<QRadioButton>(RADIOS[i]); }
    int checked_radio()
    {
        for (int i = 0; i < 14; ++i)
            if (radio(i)->isChecked())
                return i;
        return -1;
    }
    // Upload through the button, from the event loop (the waiting box runs
    // modally), until the stored table holds `rows` rows and the box is gone.
    void upload(QAbstractButton *button, int rows)
    {
        const size_t before = inst->received(2).size();
        QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
        QVERIFY(testkit::wait_until([&] { return inst->received(2).size() == before + 1; }, 3000));
        QVERIFY(testkit::wait_until([&] { return read_table()->rowCount() == rows; }, 8000));
        QVERIFY(testkit::wait_until([&] { return !rig::waiting_box_visible(); }, 3000));
    }
};

QString hex(const hidsim::Bytes &b)
{
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(b.data()), int(b.size())).toHex(' '));
}

// The dial's texts (its scale labels among them), through a PDF.
QString gauge_text(GaugeSpeed *g, const QString &pdf)
{
    {
        QPdfWriter writer(pdf);
        writer.setResolution(96);
        QPainter painter(&writer);
        g->render(&painter);
    }
    return rig::pdf_text(pdf);
}

}

class tst_kq186_window : public QObject
{
    Q_OBJECT
    std::unique_ptr<Window> m_units;
    float m_pa = 0;
    int m_unit = 0;

private slots:
    void init()
    {
        if (qstrcmp(QTest::currentTestFunction(), "units") != 0)
            m_units.reset();
    }
    void cleanupTestCase() { m_units.reset(); }

    void polling_writes_the_realtime_command()
    {
        Window win;
        hidsim::clear_writes(PATH);
        win.get<QPushButton>("start_button")->click();
        QVERIFY(win.frame()->poll_timer()->isActive());
        QCOMPARE(win.frame()->poll_timer()->interval(), 1000);
        QVERIFY(testkit::wait_until([] { return hidsim::writes(PATH).size() >= 2; }, 5000));
        for (const QString &cmd : rig::written(PATH, 5))
            QCOMPARE(cmd, QString("aa 55 01 03 03"));
        QVERIFY(testkit::wait_until([&] { return win.rt_table()->rowCount() >= 2; }, 5000));
        win.get<QPushButton>("Pause_Button")->click();
        QVERIFY(!win.frame()->poll_timer()->isActive());
        QVERIFY(!win.get<QPushButton>("start_button")->isChecked());
    }

    void construction_state()
    {
        Window win;
        QCOMPARE(win.checked_radio(), 0);
        QCOMPARE(win.get<QStackedWidget>("polt")->currentIndex(), 0);
        QVERIFY(win.get<QGroupBox>("groupBox")->isEnabled());
        QCOMPARE(win.radio(6)->text(), QString("oz/in²"));
        QCOMPARE(win.radio(7)->text(), QString("kg/cm²"));
        QCOMPARE(win.rt_table()->horizontalHeaderItem(1)->text(), QString("Pressure"));
        QCOMPARE(win.read_table()->horizontalHeaderItem(2)->text(), QString("unit"));
        QVERIFY(gauge_text(win.gauge(), win.dir.file("gauge.pdf")).contains("10000.0"));
        QCOMPARE(win.w->findChild<Menu_dialog *>()->findChild<QStackedWidget *>("stackedWidget")->currentIndex(), 6);
        QVERIFY(win.inst->received().empty());
    }

    void realtime_example_fills_table_graph_boxes_and_gauge()
    {
        Window win;
        win.poll();
        QTableWidget *t = win.rt_table();
        QCOMPARE(rig::text_at(t, 0, 0), QDateTime::fromSecsSinceEpoch(T0).toString("hh:mm:ss yyyy-MM-dd"));
        QCOMPARE(rig::text_at(t, 0, 1), QString("1.23"));
        QCOMPARE(rig::text_at(t, 0, 2), QString("kPa"));
        QCOMPARE(win.label("MAX_T_label"), QString("1.23"));
        QCOMPARE(win.label("MIN_T_label"), QString("1.23"));
        QCOMPARE(win.label("AVG_T_label"), QString("1.23"));
        QCOMPARE(win.label("upper_count"), QString("0"));
        QCOMPARE(win.label("lower_count"), QString("0"));
        QCOMPARE(win.gauge()->value(), 1.23);
        // The point stands at the instrument's time, not the PC's.
        QCPGraph *g = win.get<QCustomPlot>("RT_plot")->graph(0);
        QCOMPARE(g->dataCount(), 1);
        QCOMPARE(g->data()->at(0)->key, double(T0));
        QCOMPARE(g->data()->at(0)->value, 1.23);
        QCOMPARE(win.frame()->rt_start_time, T0);
        QVERIFY(win.inst->received(4).empty());
    }

    // Every unit of the instrument, with the readings of the examples: the
    // value cut (never rounded) to the unit's decimals, and the unit name.
    void units_data()
    {
        QTest::addColumn<float>("pa");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("name");
        const QStringList names = {"kPa",     "hPa",   "Pa",   "mbar", "bar",  "psi",   "oz/in^2",
                                   "kg/cm^2", "inH2O", "inHg", "ftH2O", "mmHg", "mmH2O", "cmH2O"};
        const QStringList at_1234_5 = {"1.23", "12.3", "1234", "12.3", "0.012", "0.179", "2.86",
                                       "0.012", "4.95", "0.36", "0.41", "9.2", "125", "12.5"};
        for (int u = 0; u < 14; ++u)
            QTest::newRow(qPrintable("1234.5 Pa in " + names[u])) << 1234.5f << u << at_1234_5[u] << names[u];
        QTest::newRow("101325 Pa in kPa, cut") << 101325.0f << 0 << "101.32" << "kPa";
        QTest::newRow("101325 Pa in mmHg") << 101325.0f << 11 << "760.0" << "mmHg";
        QTest::newRow("101325 Pa in inHg") << 101325.0f << 9 << "29.92" << "inHg";
        QTest::newRow("101325 Pa in psi") << 101325.0f << 5 << "14.695" << "psi";
        QTest::newRow("101325 Pa in mmH2O") << 101325.0f << 12 << "10332" << "mmH2O";
        QTest::newRow("-12.34 Pa in Pa") << -12.34f << 2 << "-12" << "Pa";
        QTest::newRow("-12.34 Pa in hPa") << -12.34f << 1 << "-0.1" << "hPa";
        QTest::newRow("-12.34 Pa in kPa") << -12.34f << 0 << "-0.01" << "kPa";
        QTest::newRow("-12.34 Pa in mmH2O") << -12.34f << 12 << "-1" << "mmH2O";
        QTest::newRow("-12.34 Pa in bar") << -12.34f << 4 << "0.000" << "bar";
        QTest::newRow("9999.9 Pa in kPa") << 9999.9f << 0 << "9.99" << "kPa";
        // Beyond a 32-bit integer once scaled: still cut, not garbled.
        QTest::newRow("3e9 Pa in Pa") << 3e9f << 2 << "3000000000" << "Pa";
        QTest::newRow("1e6 Pa in psi") << 1e6f << 5 << "145.037" << "psi";
    }
    void units()
    {
        QFETCH(float, pa);
        QFETCH(int, unit);
        QFETCH(QString, value);
        QFETCH(QString, name);
        // One window for all rows (a window takes a while to close); each
        // row's reading is the instrument's next answer.
        if (!m_units)
            m_units.reset(new Window([this](int) { return reading(m_pa, m_unit); }));
        m_pa = pa;
        m_unit = unit;
        Window &win = *m_units;
        win.poll();
        const int row = win.rt_table()->rowCount() - 1;
        QCOMPARE(rig::text_at(win.rt_table(), row, 1), value);
        QCOMPARE(rig::text_at(win.rt_table(), row, 2), name);
        QCOMPARE(win.checked_radio(), unit);
        QCOMPARE(float(win.gauge()->value()), float(qBound(0.0, value.toDouble(), pa < 10000 ? 10000.0 : 40000.0)));
        QVERIFY(win.inst->received(4).empty());
    }

    void unit_outside_the_table_data()
    {
        QTest::addColumn<int>("code");
        QTest::newRow("-1") << -1;
        QTest::newRow("261, psi in its low 8 bits") << 261;
    }
    void unit_outside_the_table()
    {
        QFETCH(int, code);
        int n = 0;
        Window win([&n, code](int) { return reading(1234.5f, n++ == 0 ? 5 : code); });
        win.poll();
        QCOMPARE(win.checked_radio(), 5);
        win.poll();
        // Shown in pascal and labelled so; no button claims the unit.
        QCOMPARE(rig::text_at(win.rt_table(), 1, 1), QString("1234"));
        QCOMPARE(rig::text_at(win.rt_table(), 1, 2), QString("Pa"));
        QCOMPARE(win.checked_radio(), -1);
    }

    void answer_length_data()
    {
        QTest::addColumn<int>("words");
        QTest::addColumn<int>("rows");
        QTest::newRow("four words: ignored") << 4 << 0;
        QTest::newRow("five words") << 5 << 1;
        QTest::newRow("seven words: the rest ignored") << 7 << 1;
    }
    void answer_length()
    {
        QFETCH(int, words);
        QFETCH(int, rows);
        Window win([words](int) {
            hidsim::Words w = reading(50.0f, 2);
            w.resize(size_t(words), 0xFFFF);
            return w;
        });
        win.w->get_rt_data_cmd_slot();
        QVERIFY(testkit::wait_until([&] { return win.inst->realtime_answers() == 1; }, 3000));
        testkit::wait_until([&] { return win.rt_table()->rowCount() == rows; }, 4000);
        QTest::qWait(300);
        QCOMPARE(win.rt_table()->rowCount(), rows);
        if (rows)
            QCOMPARE(rig::text_at(win.rt_table(), 0, 1), QString("50"));
        QCOMPARE(win.label("MAX_T_label"), rows ? QString("50.00") : QString());
    }

    void gauge_scale_follows_the_pascal_reading_data()
    {
        QTest::addColumn<float>("pa");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QString>("top");
        QTest::addColumn<double>("needle");
        QTest::newRow("9999.9 Pa in kPa") << 9999.9f << 0 << "10000.0" << 9.99;
        QTest::newRow("10000 Pa in kPa") << 10000.0f << 0 << "40000.0" << 10.0;
        QTest::newRow("25000 Pa in Pa") << 25000.0f << 2 << "40000.0" << 25000.0;
        QTest::newRow("not a number") << std::numeric_limits<float>::quiet_NaN() << 2 << "40000.0" << -1.0;
    }
    void gauge_scale_follows_the_pascal_reading()
    {
        QFETCH(float, pa);
        QFETCH(int, unit);
        QFETCH(QString, top);
        QFETCH(double, needle);
        Window win([=](int) { return reading(pa, unit); });
        win.poll();
        const QString text = gauge_text(win.gauge(), win.dir.file("gauge.pdf"));
        QVERIFY2(text.contains(top), qPrintable(text));
        if (needle >= 0)
            QCOMPARE(win.gauge()->value(), needle);
    }

    void instrument_unit_moves_the_radio_and_keeps_statistics()
    {
        int n = 0;
        Window win([&n](int) { return reading(1234.5f, n++ == 0 ? 0 : 5); });
        win.poll();
        win.poll();
        QCOMPARE(win.checked_radio(), 5);
        QCOMPARE(rig::text_at(win.rt_table(), 1, 1), QString("0.179"));
        QCOMPARE(rig::text_at(win.rt_table(), 1, 2), QString("psi"));
        // Both readings again in the unit now shown: 1234.5 Pa is 0.179 psi.
        QCOMPARE(win.label("MAX_T_label"), QString("0.18"));
        QCOMPARE(win.label("MIN_T_label"), QString("0.18"));
        QVERIFY(win.inst->received(4).empty());
    }

    void unit_click_sets_the_instrument()
    {
        // The simulated meter itself: its answers carry the unit it was set to.
        testkit::ProgramDir dir;
        dir.write_config({});
        hidsim::reset();
        const hidsim::DeviceSpec spec = hidsim::model_device("KQ186");
        auto inst = hidsim::make_model("KQ186");
        QVERIFY(inst);
        hidsim::plug(spec, inst);
        KQ186_INTERFACE w;
        w.set_device_path(QString::fromStdString(spec.path));
        w.show();
        auto *table = w.findChild<QTableWidget *>("RT_table_data");
        w.findChild<QPushButton *>("start_button")->click();
        QVERIFY(testkit::wait_until([&] { return table->rowCount() >= 1; }, 5000));
        QCOMPARE(rig::text_at(table, 0, 2), QString("Pa"));   // the meter starts in Pa
        QVERIFY(!w.findChild<QLabel *>("MAX_T_label")->text().isEmpty());

        hidsim::clear_writes(spec.path);
        w.findChild<QRadioButton *>("radioButton_9")->click();
        QCOMPARE(rig::written(spec.path, 7).value(0), QString("aa 55 04 05 08 00 10"));
        QVERIFY(w.findChild<QRadioButton *>("radioButton_9")->isChecked());
        const int rows = table->rowCount();
        QVERIFY(testkit::wait_until([&] { return table->rowCount() > rows + 1; }, 5000));
        const QString last = rig::text_at(table, table->rowCount() - 1, 1);
        QCOMPARE(rig::text_at(table, table->rowCount() - 1, 2), QString("inH2O"));
        QCOMPARE(last.section('.', 1).size(), 2);   // two decimals
        QVERIFY(last.toDouble() > 0.5 && last.toDouble() < 2);   // about 250 Pa
        w.findChild<QPushButton *>("Pause_Button")->click();
        hidsim::reset();
    }

    void unit_click_restarts_statistics()
    {
        int n = 0;
        Window win([&n](int) { return reading(n++ == 0 ? 5000.0f : 100.0f, 2); });
        win.poll();
        win.radio(2)->click();   // Pa again: still a new start
        QCOMPARE(int(win.inst->received(4).size()), 1);
        QCOMPARE(win.label("MAX_T_label"), QString("5000.00"));   // until the next reading
        win.poll();
        QCOMPARE(win.label("MAX_T_label"), QString("100.00"));
        QCOMPARE(win.rt_table()->rowCount(), 2);
    }

    void alarm_cells()
    {
        testkit::SoundCounter sounds;
        const float values[] = {300.0f, 600.0f, 50.0f, 500.0f};
        int n = 0;
        Window win([&](int) { return reading(values[n++ % 4], 2); });
        // Limits are compared in the unit shown: Pa here.
        win.w->set_limit_slot(500, 60);
        for (int i = 0; i < 4; ++i)
            win.poll();
        const QBrush red(Qt::red, Qt::SolidPattern);
        QVERIFY(win.rt_table()->item(0, 1)->background() != red);
        QCOMPARE(win.rt_table()->item(1, 1)->background(), red);
        QCOMPARE(win.rt_table()->item(2, 1)->background(), red);
        QVERIFY(win.rt_table()->item(3, 1)->background() != red);   // equal to the limit
        QVERIFY(win.rt_table()->item(1, 0)->background() != red);
        QCOMPARE(win.label("upper_count"), QString("1"));
        QCOMPARE(win.label("lower_count"), QString("1"));
        QCOMPARE(sounds.total(), 2);
        win.w->threshold_reset();
        win.poll();
        QVERIFY(win.rt_table()->item(4, 1)->background() != red);
        QCOMPARE(win.label("upper_count"), QString("0"));
    }

    // The limits are typed under "unit:Pa": readings are compared in Pa in
    // whatever unit they are shown.
    void limits_are_pascal_in_every_unit_data()
    {
        QTest::addColumn<int>("unit");
        QTest::newRow("kPa") << 0;
        QTest::newRow("Pa") << 2;
        QTest::newRow("psi") << 5;
        QTest::newRow("mmH2O") << 12;
    }
    void limits_are_pascal_in_every_unit()
    {
        QFETCH(int, unit);
        const float values[] = {1234.5f, 2500.0f, 500.0f, 2000.0f};
        int n = 0;
        Window win([&](int) { return reading(values[n++ % 4], unit); });
        win.w->set_limit_slot(2000, 1000);
        for (int i = 0; i < 4; ++i)
            win.poll();
        const QBrush red(Qt::red, Qt::SolidPattern);
        QVERIFY(win.rt_table()->item(0, 1)->background() != red);
        QCOMPARE(win.rt_table()->item(1, 1)->background(), red);
        QCOMPARE(win.rt_table()->item(2, 1)->background(), red);
        QVERIFY(win.rt_table()->item(3, 1)->background() != red);   // equal to the limit
        QCOMPARE(win.label("upper_count"), QString("1"));
        QCOMPARE(win.label("lower_count"), QString("1"));
    }

    void graph_value_axis_has_a_margin()
    {
        int n = 0;
        Window win([&n](int) {
            const int i = n++;
            return reading(i == 0 ? 100.0f : 200.0f, 2, T0 + quint32(i));
        });
        win.poll();
        win.poll();
        const QCPRange r = win.get<QCustomPlot>("RT_plot")->yAxis->range();
        QCOMPARE(r.lower, 100 - 100 * double(0.1f));
        QCOMPARE(r.upper, 200 + 100 * double(0.1f));
    }

    void upload_shows_stored_records_in_the_window_unit()
    {
        testkit::SoundCounter sounds;
        rig::Boxes boxes;
        Window win;
        win.upload(win.get<QPushButton>("upload_Button"), 4);
        // Before any reading the window's unit is kPa, and so labelled.
        QTableWidget *t = win.read_table();
        QCOMPARE(rig::text_at(t, 0, 0), QDateTime::fromSecsSinceEpoch(1600000000).toString("hh:mm:ss yyyy-MM-dd"));
        QCOMPARE(rig::text_at(t, 0, 1), QString("1.23"));
        QCOMPARE(rig::text_at(t, 0, 2), QString("kPa"));
        QCOMPARE(rig::text_at(t, 3, 1), QString("101.32"));
        QCOMPARE(rig::text_at(t, 3, 0), QDateTime::fromSecsSinceEpoch(1600000030).toString("hh:mm:ss yyyy-MM-dd"));
        QCOMPARE(win.label("MAX_T_label"), QString("101.32"));
        QCOMPARE(win.label("MIN_T_label"), QString("1.23"));
        QCOMPARE(win.get<QCustomPlot>("read_plot")->graph(0)->dataCount(), 4);
        QCOMPARE(win.get<QStackedWidget>("polt")->currentIndex(), 1);
        QCOMPARE(win.get<QStackedWidget>("table_data_widget")->currentIndex(), 1);
        QVERIFY(win.get<QGroupBox>("groupBox")->isEnabled());
        QVERIFY(win.get<QPushButton>("upload_Button")->isChecked());
        QVERIFY(!win.get<QPushButton>("start_button")->isChecked());
        QCOMPARE(int(win.inst->received(2).size()), 1);
        QCOMPARE(sounds.total(), 0);
        QVERIFY(boxes.texts().isEmpty());

        // A unit picked now uploads again and shows the records in it;
        // the instrument's own unit is left alone.
        win.upload(win.radio(2), 4);
        QCOMPARE(int(win.inst->received(2).size()), 2);
        QVERIFY(win.inst->received(4).empty());
        QCOMPARE(rig::text_at(t, 0, 1), QString("1234"));
        QCOMPARE(rig::text_at(t, 3, 1), QString("101325"));
        QCOMPARE(rig::text_at(t, 3, 2), QString("Pa"));
        QCOMPARE(t->rowCount(), 4);
        // 101325 Pa is beyond 65535, but no limit is set: no sound, nothing coloured.
        QCOMPARE(sounds.total(), 0);
        for (int r = 0; r < t->rowCount(); ++r)
            QVERIFY(t->item(r, 1)->background() != QBrush(Qt::red, Qt::SolidPattern));
        QVERIFY(boxes.texts().isEmpty());

        // Unchecking Upload keeps polling stopped and the units usable.
        win.get<QPushButton>("upload_Button")->click();
        QVERIFY(!win.frame()->poll_timer()->isActive());
        QVERIFY(win.get<QGroupBox>("groupBox")->isEnabled());
        QCOMPARE(int(win.inst->received(2).size()), 2);

        // Start returns to the real-time pages.
        win.get<QPushButton>("start_button")->click();
        QCOMPARE(win.get<QStackedWidget>("polt")->currentIndex(), 0);
        QVERIFY(!win.get<QPushButton>("upload_Button")->isChecked());
        win.get<QPushButton>("Pause_Button")->click();
    }

    void incomplete_record_is_dropped()
    {
        rig::Boxes boxes;
        Window win([](int) { return reading(1.0f, 2); },
                   [](int) {
                       hidsim::Words w = stored_words(0);
                       w.resize(6);
                       return w;
                   },
                   1);
        win.upload(win.get<QPushButton>("upload_Button"), 1);
        QTest::qWait(200);
        QCOMPARE(win.read_table()->rowCount(), 1);
        QVERIFY(boxes.texts().isEmpty());
    }

    void upload_without_answer_says_so_data()
    {
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("words");
        QTest::newRow("no answer") << 0 << 4;
        QTest::newRow("words but no whole record") << 1 << 3;
    }
    void upload_without_answer_says_so()
    {
        QFETCH(int, frames);
        QFETCH(int, words);
        rig::Boxes boxes;
        Window win([](int) { return reading(1.0f, 2); },
                   [words](int i) {
                       hidsim::Words w = stored_words(i);
                       w.resize(size_t(words));
                       return w;
                   },
                   frames);
        QMetaObject::invokeMethod(win.get<QPushButton>("upload_Button"), "click", Qt::QueuedConnection);
        QVERIFY(testkit::wait_until([&] { return boxes.texts().contains("|not receive date!"); }, 8000));
        QVERIFY(!rig::waiting_box_visible());
        QCOMPARE(win.read_table()->rowCount(), 0);
        QVERIFY(win.get<QGroupBox>("groupBox")->isEnabled());
    }

    void sync_sends_the_clock()
    {
        Window win;
        win.get<QPushButton>("sync_Button")->click();
        const auto frames = win.inst->received(3);
        QCOMPARE(int(frames.size()), 1);
        QCOMPARE(hex(frames[0]), QString("aa 55 03 0a 09 07 14 02 05 03 24 5e"));
    }

    void clear_data()
    {
        QTest::addColumn<bool>("tick");
        QTest::newRow("window only") << false;
        QTest::newRow("instrument too") << true;
    }
    void clear()
    {
        QFETCH(bool, tick);
        Window win;
        win.poll();
        rig::answer_clean_dialog<CLEAN_DATA>(tick);
        win.get<QPushButton>("data_export_Button")->click();
        QCOMPARE(win.rt_table()->rowCount(), 0);
        QCOMPARE(win.get<QCustomPlot>("RT_plot")->graph(0)->dataCount(), 0);
        QCOMPARE(int(win.inst->received(6).size()), tick ? 1 : 0);
        if (tick)
            QCOMPARE(hex(win.inst->received(6)[0]), QString("aa 55 06 03 08"));
        QCOMPARE(win.frame()->rt_start_time, 0u);
        QCOMPARE(win.label("MAX_T_label"), QString("1.23"));   // kept until the next reading
    }

    void realtime_export_matches_the_table()
    {
        int n = 0;
        Window win([&n](int) {
            const int i = n++;
            return reading(i == 1 ? 9000.0f : 1234.5f, i == 2 ? 6 : 0, T0 + quint32(i));
        });
        win.w->set_limit_slot(5000, 0);   // Pa
        win.poll();
        win.poll();
        win.poll();
        QString proposed;
        frame::ModelFrame::set_save_name_hook([&](const QString &name, const QString &) {
            proposed = name;
            return win.dir.file("rt");
        });
        win.w->SAVE_table_Slot();
        frame::ModelFrame::set_save_name_hook(nullptr);
        QCOMPARE(proposed, QString("save_RT_table.xlsx"));
        const QJsonObject sheet = rig::read_xlsx(win.dir.file("rt") + ".xlsx");
        rig::compare_sheet(sheet, win.rt_table(), "KQ186 datasheet");
        QCOMPARE(rig::cell(sheet, 2, 2), QString("Pressure"));
        QCOMPARE(rig::cell(sheet, 4, 2), QString("9.00"));   // as text, with its decimals
        QCOMPARE(rig::cell(sheet, 5, 3), QString("oz/in^2"));
        const QJsonObject fills = sheet["fills"].toObject();
        QCOMPARE(fills.keys(), QStringList{"B4"});
        QCOMPARE(fills["B4"].toString(), QString("FFFF0000"));
    }

    void stored_export_matches_the_table()
    {
        rig::Boxes boxes;
        Window win;
        win.w->set_limit_slot(5, 0);
        win.upload(win.get<QPushButton>("upload_Button"), 4);
        QString proposed;
        frame::ModelFrame::set_save_name_hook([&](const QString &name, const QString &) {
            proposed = name;
            return win.dir.file("stored.xlsx");
        });
        win.w->SAVE_table_Slot();
        frame::ModelFrame::set_save_name_hook(nullptr);
        QCOMPARE(proposed, QString("save_upload_table.xlsx"));
        const QJsonObject sheet = rig::read_xlsx(win.dir.file("stored.xlsx"));
        rig::compare_sheet(sheet, win.read_table(), "KQ186 datasheet");
        QCOMPARE(rig::cell(sheet, 6, 2), QString("101.32"));
        QVERIFY(sheet["fills"].toObject().isEmpty());
    }

    void picture_export()
    {
        Window win;
        win.poll();
        QString proposed;
        frame::ModelFrame::set_save_name_hook([&](const QString &name, const QString &) {
            proposed = name;
            return win.dir.file("graph.bmp");
        });
        win.w->SAVE_BMP_Slot();
        frame::ModelFrame::set_save_name_hook(nullptr);
        QCOMPARE(proposed, QString("RT_data.bmp"));
        QImage image(win.dir.file("graph.bmp"));
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), win.get<QWidget>("plotwidget")->size());
    }

    // Saving over a symbolic link writes the file it points to and keeps
    // the link, wherever the link points from and whether the file exists.
    void save_over_a_link_keeps_the_link_data()
    {
        QTest::addColumn<bool>("picture");
        QTest::addColumn<QString>("target");   // what the link holds, from the link's folder
        QTest::addColumn<bool>("earlier");     // the target exists before
        QTest::newRow("workbook, relative link") << false << "elsewhere/target.xlsx" << true;
        QTest::newRow("picture, absolute link") << true << "ABS/elsewhere/target.bmp" << true;
        QTest::newRow("workbook, link to a link") << false << "LINK" << true;
        QTest::newRow("picture, link to no file yet") << true << "elsewhere/new.bmp" << false;
    }
    void save_over_a_link_keeps_the_link()
    {
        QFETCH(bool, picture);
        QFETCH(QString, target);
        QFETCH(bool, earlier);
        Window win;
        win.poll();
        const QString dir = win.dir.file("links");
        QVERIFY(QDir().mkpath(dir + "/elsewhere"));
        const QString suffix = picture ? ".bmp" : ".xlsx";
        QString file = dir + "/elsewhere/" + (earlier ? "target" : "new") + suffix;
        if (target == "LINK") {
            QVERIFY(QFile::link("target.xlsx", dir + "/elsewhere/middle.xlsx"));
            target = "elsewhere/middle.xlsx";
        }
        target.replace("ABS", dir);
        if (earlier) {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("earlier");
        }
        const QString link = dir + "/link" + suffix;
        QVERIFY(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) == 0);

        rig::Boxes boxes;
        frame::ModelFrame::set_save_name_hook([&](const QString &, const QString &) { return link; });
        if (picture)
            win.w->SAVE_BMP_Slot();
        else
            win.w->SAVE_table_Slot();
        frame::ModelFrame::set_save_name_hook(nullptr);

        QCOMPARE(boxes.count(), 0);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(QFile::symLinkTarget(link), QDir::cleanPath(QDir(dir).absoluteFilePath(target)));
        if (picture) {
            QCOMPARE(QImage(file).size(), win.get<QWidget>("plotwidget")->size());
        } else {
            const QJsonObject sheet = rig::read_xlsx(file);
            rig::compare_sheet(sheet, win.rt_table(), "KQ186 datasheet");
        }
        // Nothing left beside the link or the file.
        QStringList names = QDir(dir).entryList(QDir::Files | QDir::System | QDir::Hidden)
                            + QDir(dir + "/elsewhere").entryList(QDir::Files | QDir::System | QDir::Hidden);
        names.sort();
        QStringList expected{QFileInfo(link).fileName(), QFileInfo(file).fileName()};
        if (target.endsWith("middle.xlsx"))
            expected << "middle.xlsx";
        expected.sort();
        QCOMPARE(names, expected);
    }

    // A picture save that cannot complete warns and keeps the earlier picture.
    void picture_save_failure_keeps_the_earlier_file_data() { testkit::FaultyFolder::add_rows(); }
    void picture_save_failure_keeps_the_earlier_file()
    {
        QFETCH(int, fault);
        Window win;
        win.poll();
        testkit::FaultyFolder folder;
        QVERIFY2(folder.make(testkit::FaultyFolder::Fault(fault), "graph.bmp", testkit::small_bmp()), qPrintable(folder.how()));
        testkit::BoxWatcher boxes;
        frame::ModelFrame::set_save_name_hook([&](const QString &, const QString &) { return folder.file("graph.bmp"); });
        win.w->SAVE_BMP_Slot();
        frame::ModelFrame::set_save_name_hook(nullptr);
        QVERIFY2(boxes.wait_for(1), qPrintable(folder.how()));
        QCOMPARE(boxes.last().title, QString("warning"));
        QVERIFY(boxes.last().text.startsWith("The picture could not be saved:\n" + folder.file("graph.bmp")));
        // A full disk is told in the system's words.
        QVERIFY2(boxes.last().text.endsWith(folder.system_reason()), qPrintable(boxes.last().text));
        QCOMPARE(testkit::file_bytes(folder.file("graph.bmp")), testkit::small_bmp());
        QCOMPARE(folder.leftovers(), QStringList());
    }

    void printed_table_shows_the_values()
    {
        int n = 0;
        Window win([&n](int) { return reading(n++ == 1 ? 9000.0f : 1234.5f, 6); });
        win.w->set_limit_slot(5000, 0);   // Pa
        win.poll();
        win.poll();
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(win.dir.file("table.pdf"));
        win.w->KQ186_preview_table(&printer);
        const QString text = rig::pdf_text(win.dir.file("table.pdf"));
        QVERIFY2(text.contains("KQ186 datasheet"), qPrintable(text));
        QVERIFY(text.contains("Pressure"));
        QCOMPARE(text.count("2.86"), 1);
        QCOMPARE(text.count("20.88"), 1);
        QCOMPARE(text.count("oz/in^2"), 2);
        QVERIFY(window_kit::pdf_word_on_red(win.dir.file("table.pdf"), "20.88"));
        QVERIFY(!window_kit::pdf_word_on_red(win.dir.file("table.pdf"), "2.86"));
    }

    void printed_picture()
    {
        Window win;
        win.poll();
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(win.dir.file("picture.pdf"));
        win.w->KQ186_preview_BMP(&printer);
        QVERIFY(QFileInfo(win.dir.file("picture.pdf")).size() > 1000);
    }

    void language_notice_is_titled_info()
    {
        rig::Boxes boxes;
        Window win([](int) { return reading(1.0f, 2); }, stored_words, 2, {{"Language", "CH"}});
        QCOMPARE(win.get<QPushButton>("start_button")->text(), QString("开始"));
        QCOMPARE(win.radio(6)->text(), QString("oz/in²"));
        QTest::mouseClick(win.get<QToolButton>("language_Button"), Qt::LeftButton);
        QVERIFY(testkit::wait_until([&] { return boxes.count() == 1; }, 3000));
        QCOMPARE(boxes.texts(), QStringList{"info|Need to restart the software after changing the language!"});
        QCOMPARE(win.get<QPushButton>("start_button")->text(), QString("Start"));
    }
};

QTEST_MAIN(tst_kq186_window)
#include "tst_kq186_window.moc"
