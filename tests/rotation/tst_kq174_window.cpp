#include "../sound/sound_rig.h"
#include "../temp/window_kit.h"

#include "KQ174_interface/kq174_interface.h"
#include "clean_data/clean_data.h"
#include "gauge/gaugespeed.h"
#include "general_instrument.h"
#include "mainwindow.h"
#include "menu_dialog/menu_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QtTest>
#include <qcustomplot.h>

namespace {

const std::string PATH = "sim/kq174";
const QDateTime PC_TIME(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::OffsetFromUTC, 8 * 3600);
const quint32 T0 = 0x5F5E5000;   // 2020-09-13 16:59:44 UTC

hidsim::Words rt_words(quint32 time, quint32 reading, quint32 temperature, quint16 mode)
{
    return {quint16(time & 0xFFFF), quint16(time >> 16), quint16(reading & 0xFFFF), quint16(reading >> 16),
            quint16(temperature & 0xFFFF), quint16(temperature >> 16), mode};
}

// Readings in tenths, signed, as the instrument sends them.
quint32 tenths(double value)
{
    return quint32(qint32(qRound(value * 10)));
}

hidsim::Words example_words(int n)
{
    return rt_words(T0 + quint32(n), 12345, 250, 0x0102);
}

hidsim::Words record(quint32 time, quint32 reading, quint16 mode)
{
    return {quint16(time & 0xFFFF), quint16(time >> 16), quint16(reading & 0xFFFF), quint16(reading >> 16), mode};
}

// Three records in modes 0, 2 and 4, the last read unsigned.
hidsim::Words stored_words(int)
{
    hidsim::Words w = record(1600000000u, 12345, 0);
    const hidsim::Words b = record(1600000010u, 500, 2), c = record(1600000020u, 0xFFFFFFF6u, 4);
    w.insert(w.end(), b.begin(), b.end());
    w.insert(w.end(), c.begin(), c.end());
    return w;
}

struct Window : rig::WindowOn<KQ174_INTERFACE, hidsim::GeneralInstrument>
{
    explicit Window(hidsim::GeneralInstrument::RealtimeFn rt = example_words,
                    hidsim::GeneralInstrument::StoredFn stored = nullptr, int frames = 0,
                    const QMap<QString, QString> &config = {})
        : WindowOn("KQ174", std::make_shared<hidsim::GeneralInstrument>(rt, stored, frames), PC_TIME, config)
    {
    }
    // The simulated tachometer itself, which follows the mode command.
    explicit Window(std::shared_ptr<hidsim::Instrument> model)
        : WindowOn("KQ174", std::static_pointer_cast<hidsim::GeneralInstrument>(model), PC_TIME)
    {
    }
    GaugeSpeed *speed() { return get<GaugeSpeed>("gunspeed"); }
    QRadioButton *radio(int mode)
    {
        static const char *names[] = {"radioButton", "radioButton_2", "radioButton_3", "radioButton_4",
                                      "radioButton_5"};
        return get<QRadioButton>(names[mode]);
    }
    void start() { get<QPushButton>("start_button")->click(); }
    void upload()
    {
        QMetaObject::invokeMethod(get<QPushButton>("upload_Button"), "click", Qt::QueuedConnection);
    }
    // Uploads; true once the stored table holds `rows` rows and the waiting box is gone.
    bool upload_rows(int rows)
    {
        upload();
        return testkit::wait_until([&] { return read_table()->rowCount() == rows; }, 8000)
               && testkit::wait_until([] { return !rig::waiting_box_visible(); }, 3000);
    }
    // The speed gauge draws this title, scale from 0 to `top` and unit:
    // drawing them again over it changes no pixel.
    bool speed_gauge_shows(const QString &title, int top, const QString &unit)
    {
        GaugeSpeed *g = speed();
        const QImage before = g->grab().toImage();
        g->setTitle(title);
        g->setRange(top, 0);
        g->setUnit(unit);
        g->setValue(g->value());
        return g->grab().toImage() == before;
    }
};

QString bytes_hex(const hidsim::Bytes &b)
{
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(b.data()), int(b.size())).toHex(' '));
}

}

class tst_kq174_window : public QObject
{
    Q_OBJECT
private slots:
    // The simulated tachometer (what SENSAVO_SIM=KQ174 plugs in) is
    // recognised by the start window and answers its window's polls.
    void simulated_tachometer_opens_its_window()
    {
        testkit::ProgramDir dir;
        hidsim::reset();
        const hidsim::DeviceSpec spec = hidsim::model_device("KQ174");
        QCOMPARE(QString::fromStdWString(spec.product), QString("KQ174 转速计"));
        hidsim::plug(spec, hidsim::make_model("KQ174"));
        {
            MainWindow start;
            start.show();
            KQ174_INTERFACE *w = nullptr;
            QVERIFY(testkit::wait_until([&] {
                for (QWidget *t : QApplication::topLevelWidgets())
                    if (auto *k = qobject_cast<KQ174_INTERFACE *>(t))
                        if (k->isVisible())
                            w = k;
                return w != nullptr;
            }, 10000));
            auto *table = w->findChild<QTableWidget *>("RT_table_data");
            w->get_rt_data_cmd_slot();
            QVERIFY(testkit::wait_until([&] { return table->rowCount() == 1; }, 4000));
            QCOMPARE(rig::text_at(table, 0, 2), QString("Photo RPM"));
            QCOMPARE(rig::text_at(table, 0, 1), QString("580.0"));
        }
        hidsim::reset();
    }

    void polling_writes_the_realtime_command()
    {
        Window win;
        for (int m = 0; m < 5; ++m)
            QVERIFY(!win.radio(m)->isEnabled());   // no mode before the first start
        QVERIFY(win.radio(0)->isChecked());
        hidsim::clear_writes(PATH);
        win.start();
        QVERIFY(win.frame()->poll_timer()->isActive());
        QCOMPARE(win.frame()->poll_timer()->interval(), 1000);
        for (int m = 0; m < 5; ++m)
            QVERIFY(win.radio(m)->isEnabled());
        QVERIFY(testkit::wait_until([] { return hidsim::writes(PATH).size() >= 2; }, 5000));
        for (const QString &cmd : rig::written(PATH, 5))
            QCOMPARE(cmd, QString("aa 55 01 03 03"));
        win.get<QPushButton>("Pause_Button")->click();
        QVERIFY(!win.frame()->poll_timer()->isActive());
        QVERIFY(win.radio(0)->isEnabled());   // pausing keeps the choice open
        QVERIFY(win.inst->received(4).empty());
    }

    void realtime_example_fills_table_graph_boxes_gauges()
    {
        Window win;
        win.poll();
        QTableWidget *t = win.rt_table();
        QCOMPARE(rig::text_at(t, 0, 0), QDateTime::fromSecsSinceEpoch(T0).toString("hh:mm:ss yyyy-MM-dd"));
        QCOMPARE(rig::text_at(t, 0, 1), QString("1234.5"));
        QCOMPARE(rig::text_at(t, 0, 2), QString("ft/min"));   // mode word 0x0102 is mode 2
        QVERIFY(win.radio(2)->isChecked());
        QCOMPARE(win.label("MAX_T_label"), QString("1234.50"));
        QCOMPARE(win.label("MIN_T_label"), QString("1234.50"));
        QCOMPARE(win.label("AVG_T_label"), QString("1234.50"));
        QCOMPARE(win.label("upper_count"), QString("0"));
        QCOMPARE(win.label("lower_count"), QString("0"));
        QCOMPARE(win.speed()->value(), 1234.5);
        QCOMPARE(win.get<GaugeSpeed>("gunspeed_2")->value(), 25.0);
        QVERIFY(win.speed_gauge_shows("Speed:", 9999, "ft/min"));
        // The graph point sits at the instrument's time.
        QCPGraph *g = win.get<QCustomPlot>("RT_plot")->graph(0);
        QCOMPARE(g->dataCount(), 1);
        QCOMPARE(g->data()->at(0)->key, double(T0));
        QCOMPARE(g->data()->at(0)->value, 1234.5);
        QCOMPARE(win.frame()->rt_start_time, T0);
        win.poll();
        QCOMPARE(g->dataCount(), 2);
        QCOMPARE(g->data()->at(1)->key, double(T0 + 1));
        // Following the instrument's mode sends nothing back.
        QVERIFY(win.inst->received(4).empty());
        // The gauge check sees a wrong title (and leaves it drawn).
        QVERIFY(!win.speed_gauge_shows("m:", 9999, "ft/min"));
    }

    void realtime_words_data()
    {
        QTest::addColumn<quint32>("reading");
        QTest::addColumn<quint32>("temperature");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<double>("needle");
        QTest::addColumn<double>("thermometer");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("top");   // of the speed gauge's scale
        QTest::newRow("1234.5 m") << 12345u << 250u << 0 << "1234.5" << "m" << 1234.5 << 25.0 << "m:" << 99999;
        QTest::newRow("-1.0 held at 0") << 0xFFFFFFF6u << 250u << 3 << "-1.0" << "Contact RPM" << 0.0 << 25.0
                                       << "Speed:" << 19999;
        QTest::newRow("10000.0") << 0x000186A0u << 250u << 4 << "10000.0" << "Photo RPM" << 10000.0 << 25.0
                                 << "Speed:" << 99999;
        QTest::newRow("2500 m/min, needle at 1999") << 25000u << 250u << 1 << "2500.0" << "m/min" << 1999.0 << 25.0
                                                    << "Speed:" << 1999;
        QTest::newRow("-10 ℃ leaves the needle at 0") << 5u << 0xFFFFFF9Cu << 2 << "0.5" << "ft/min" << 0.5 << 0.0
                                                    << "Speed:" << 9999;
        // A mode the instrument does not define: the unit in force stays,
        // the title says "Speed:", the range stays that of mode 0.
        QTest::newRow("mode 9") << 75u << 250u << 9 << "7.5" << "m/s" << 7.5 << 25.0 << "Speed:" << 99999;
    }
    void realtime_words()
    {
        QFETCH(quint32, reading);
        QFETCH(quint32, temperature);
        QFETCH(int, mode);
        QFETCH(QString, value);
        QFETCH(QString, unit);
        QFETCH(double, needle);
        QFETCH(double, thermometer);
        QFETCH(QString, title);
        QFETCH(int, top);
        Window win([=](int) { return rt_words(T0, reading, temperature, quint16(mode)); });
        win.poll();
        QCOMPARE(rig::text_at(win.rt_table(), 0, 1), value);
        QCOMPARE(rig::text_at(win.rt_table(), 0, 2), unit);
        QCOMPARE(win.speed()->value(), needle);
        QCOMPARE(win.get<GaugeSpeed>("gunspeed_2")->value(), thermometer);
        QCOMPARE(win.radio(mode < 5 ? mode : 0)->isChecked(), true);
        QVERIFY(win.speed_gauge_shows(title, top, unit));
        QCOMPARE(win.get<QCustomPlot>("RT_plot")->graph(0)->data()->at(0)->value, value.toDouble());
    }

    void answer_lengths()
    {
        // Six words are not a reading; words after the seventh are not read.
        int n = 0;
        Window win([&n](int) {
            hidsim::Words w = rt_words(T0, 100, 250, 1);
            if (n++ == 0)
                w.resize(6);
            else
                w.insert(w.end(), {0xFFFF, 0xFFFF, 3});
            return w;
        });
        win.w->get_rt_data_cmd_slot();
        QVERIFY(testkit::wait_until([&] { return win.inst->realtime_answers() == 1; }, 3000));
        QTest::qWait(300);
        QCOMPARE(win.rt_table()->rowCount(), 0);
        QCOMPARE(win.w->unit_shown(), QString("m/s"));
        win.poll();
        QCOMPARE(rig::text_at(win.rt_table(), 0, 1), QString("10.0"));
        QCOMPARE(rig::text_at(win.rt_table(), 0, 2), QString("m/min"));
    }

    // Each mode's own limits, checked by the window; the statistics have no
    // limit set, so a reading beyond 65535 neither colours its cell nor sounds.
    void mode_limits_data()
    {
        QTest::addColumn<QVector<double>>("limits");   // empty: the defaults
        QTest::addColumn<int>("mode");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("high");   // window's counters
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high_sounds");
        QTest::addColumn<int>("low_sounds");
        QTest::addColumn<bool>("red");
        const QVector<double> none;
        QVector<double> mode2(10, 0.0);
        mode2[4] = 10;   // ft/min upper
        mode2[5] = 20;   // ft/min lower, above the upper
        QVector<double> menu = {5000, 100, 1500, 50, 8000, 10, 3000, 600, 60000, 1000};
        QTest::newRow("in range") << none << 4 << 1480.0 << 0 << 0 << 0 << 0 << false;
        QTest::newRow("70000 m: no alarm") << none << 0 << 70000.0 << 0 << 0 << 0 << 0 << false;
        QTest::newRow("100000.1 m: the mode's limit") << none << 0 << 100000.1 << 1 << 0 << 1 << 0 << false;
        QTest::newRow("equal to the upper limit") << none << 1 << 100000.0 << 0 << 0 << 0 << 0 << false;
        QTest::newRow("below 0") << none << 3 << -0.5 << 0 << 1 << 0 << 1 << false;
        QTest::newRow("lower above upper: both") << mode2 << 2 << 15.0 << 1 << 1 << 1 << 1 << false;
        QTest::newRow("menu, contact RPM high") << menu << 3 << 3000.1 << 1 << 0 << 1 << 0 << false;
        QTest::newRow("menu, contact RPM low") << menu << 3 << 599.9 << 0 << 1 << 0 << 1 << false;
        QTest::newRow("menu, m/min limits don't apply to m") << menu << 0 << 2000.0 << 0 << 0 << 0 << 0 << false;
        QTest::newRow("menu, photo RPM at its upper") << menu << 4 << 60000.0 << 0 << 0 << 0 << 0 << false;
        QTest::newRow("mode 7 has no limits") << none << 7 << 200000.0 << 0 << 0 << 0 << 0 << false;
        QTest::newRow("short vector: later modes unchecked") << QVector<double>{10, 5} << 3 << 200.0 << 0 << 0
                                                             << 0 << 0 << false;
        QTest::newRow("short vector: mode 0 checked") << QVector<double>{10, 5} << 0 << 200.0 << 1 << 0 << 1 << 0
                                                      << false;
    }
    void mode_limits()
    {
        QFETCH(QVector<double>, limits);
        QFETCH(int, mode);
        QFETCH(double, value);
        QFETCH(int, high);
        QFETCH(int, low);
        QFETCH(int, high_sounds);
        QFETCH(int, low_sounds);
        QFETCH(bool, red);
        testkit::SoundCounter sounds;
        Window win([=](int) { return rt_words(T0, tenths(value), 250, quint16(mode)); });
        if (!limits.isEmpty())
            win.w->set_limit_slot(limits);
        win.poll();
        QCOMPARE(win.label("upper_count"), QString::number(high));
        QCOMPARE(win.label("lower_count"), QString::number(low));
        QCOMPARE(sounds.count(":/res/sound/highalarm.WAV"), high_sounds);
        QCOMPARE(sounds.count(":/res/sound/lowalarm.WAV"), low_sounds);
        QCOMPARE(win.rt_table()->item(0, 1)->background() == QBrush(Qt::red, Qt::SolidPattern), red);
    }

    // The menu's tachometer page reaches the window; unticking the alarm
    // box brings back 100000 and 0 for every mode.
    void limits_from_the_menu()
    {
        testkit::SoundCounter sounds;
        int n = 0;
        Window win([&n](int) { return rt_words(T0 + quint32(n++), tenths(250.0), 250, 1); });
        const auto accept_menu = [](bool alarm) {
            rig::when_visible<Menu_dialog>([](Menu_dialog *) { return true; }, [alarm](Menu_dialog *d) {
                d->findChild<QCheckBox *>("T_checkBox")->setChecked(alarm);
                d->findChild<QDoubleSpinBox *>("UP_alarm_data_13")->setValue(200);   // m/min upper
                d->findChild<QDoubleSpinBox *>("down_alarm_data_13")->setValue(100);
                d->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Ok)->click();
            });
        };
        accept_menu(true);
        win.get<QToolButton>("meun_Button")->click();
        win.poll();
        QCOMPARE(win.label("upper_count"), QString("1"));
        accept_menu(false);
        win.get<QToolButton>("meun_Button")->click();
        win.poll();
        QCOMPARE(win.label("upper_count"), QString("1"));   // back to 100000: no more alarms, none forgotten
        QCOMPARE(sounds.total(), 1);
    }

    void alarm_counters_survive_clearing_uploads_and_resets()
    {
        rig::Boxes boxes;
        testkit::SoundCounter sounds;
        Window win([](int) { return rt_words(T0, tenths(-3.0), 250, 0); }, stored_words, 1);
        win.poll();
        win.poll();
        QCOMPARE(win.label("lower_count"), QString("2"));
        win.w->threshold_reset();
        win.w->clean_data_slot(0);
        QVERIFY(win.upload_rows(3));
        QCOMPARE(win.label("lower_count"), QString("2"));
        win.start();
        win.frame()->poll_timer()->stop();
        win.poll();
        QCOMPARE(win.label("lower_count"), QString("3"));
        QCOMPARE(win.label("upper_count"), QString("0"));
        // The stored 429496736.0 rings nothing: the statistics have no limit set.
        QCOMPARE(sounds.count(":/res/sound/lowalarm.WAV"), 3);
        QCOMPARE(sounds.count(":/res/sound/highalarm.WAV"), 0);
    }

    void mode_click_sends_the_mode()
    {
        Window win(hidsim::make_model("KQ174"));
        win.start();
        win.frame()->poll_timer()->stop();
        win.poll();
        QCOMPARE(rig::text_at(win.rt_table(), 0, 2), QString("Photo RPM"));   // the simulated meter starts there
        win.radio(3)->click();
        const auto frames = win.inst->received(4);
        QCOMPARE(int(frames.size()), 1);
        QCOMPARE(bytes_hex(frames[0]), QString("aa 55 04 05 03 00 0b"));
        QCOMPARE(win.w->unit_shown(), QString("Contact RPM"));
        win.poll();
        QCOMPARE(rig::text_at(win.rt_table(), 1, 2), QString("Contact RPM"));
        QVERIFY(win.speed_gauge_shows("Speed:", 19999, "Contact RPM"));
        // Nothing is cleared by a mode change.
        QCOMPARE(win.rt_table()->rowCount(), 2);
        QCOMPARE(win.get<QCustomPlot>("RT_plot")->graph(0)->dataCount(), 2);
    }

    void upload_tabulates_each_record_in_its_own_unit()
    {
        rig::Boxes boxes;
        Window win(example_words, stored_words, 2);
        win.start();
        win.frame()->poll_timer()->stop();
        QVERIFY(win.upload_rows(6));
        QTableWidget *t = win.read_table();
        QCOMPARE(rig::text_at(t, 0, 0), QDateTime::fromSecsSinceEpoch(1600000000).toString("hh:mm:ss yyyy-MM-dd"));
        const QStringList values = {"1234.5", "50.0", "429496736.0"};
        const QStringList units = {"m", "ft/min", "Photo RPM"};
        for (int r = 0; r < 6; ++r) {
            QCOMPARE(rig::text_at(t, r, 1), values[r % 3]);
            QCOMPARE(rig::text_at(t, r, 2), units[r % 3]);
        }
        QCOMPARE(win.label("MAX_T_label"), QString("429496736.00"));
        QCOMPARE(win.label("MIN_T_label"), QString("50.00"));
        QCOMPARE(win.get<QCustomPlot>("read_plot")->graph(0)->dataCount(), 6);
        QCOMPARE(win.get<QStackedWidget>("polt")->currentIndex(), 1);
        // After an upload: only the mode and the span are locked.
        QVERIFY(win.get<QGroupBox>("groupBox")->isEnabled());
        QVERIFY(!win.get<QComboBox>("timestamp")->isEnabled());
        QVERIFY(!win.radio(0)->isEnabled());
        QVERIFY(win.get<QPushButton>("upload_Button")->isChecked());
        QVERIFY(!win.get<QPushButton>("start_button")->isChecked());
        QVERIFY(boxes.texts().isEmpty());
        QCOMPARE(rig::written(PATH, 5).last(), QString("aa 55 02 03 04"));

        // Start and a mode click do not append the records a second time.
        win.start();
        win.frame()->poll_timer()->stop();
        win.radio(1)->click();
        QCOMPARE(t->rowCount(), 6);
        QCOMPARE(win.get<QCustomPlot>("read_plot")->graph(0)->dataCount(), 6);
    }

    void unchecking_upload_keeps_the_stored_table()
    {
        rig::Boxes boxes;
        Window win(example_words, stored_words, 1);
        QVERIFY(win.upload_rows(3));
        win.get<QPushButton>("upload_Button")->click();   // unchecked: nothing is asked
        QVERIFY(!win.get<QPushButton>("upload_Button")->isChecked());
        QCOMPARE(int(win.inst->received(2).size()), 1);
        QCOMPARE(win.read_table()->rowCount(), 3);
        QVERIFY(!win.radio(0)->isEnabled());
        QVERIFY(win.get<QGroupBox>("groupBox")->isEnabled());
        win.start();
        win.frame()->poll_timer()->stop();
        QVERIFY(win.radio(0)->isEnabled());
        QVERIFY(win.get<QComboBox>("timestamp")->isEnabled());
        QCOMPARE(win.get<QStackedWidget>("polt")->currentIndex(), 0);
        win.radio(2)->click();
        QCOMPARE(win.read_table()->rowCount(), 3);
        QCOMPARE(win.get<QCustomPlot>("read_plot")->graph(0)->dataCount(), 3);
        QCOMPARE(int(win.inst->received(4).size()), 1);
        QVERIFY(boxes.texts().isEmpty());
    }

    void stored_answer_ending_in_part_of_a_record()
    {
        rig::Boxes boxes;
        Window win(example_words, [](int) {
            hidsim::Words w = stored_words(0);
            w.resize(w.size() - 2);
            return w;
        }, 1);
        QVERIFY(win.upload_rows(2));
        QTest::qWait(200);
        QCOMPARE(win.read_table()->rowCount(), 2);
        QVERIFY(boxes.texts().isEmpty());
    }

    void upload_without_answer_says_so_data()
    {
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("words");
        QTest::newRow("no answer") << 0 << 5;
        QTest::newRow("words but no whole record") << 1 << 4;
    }
    void upload_without_answer_says_so()
    {
        QFETCH(int, frames);
        QFETCH(int, words);
        rig::Boxes boxes;
        Window win(example_words, [words](int i) {
            hidsim::Words w = stored_words(i);
            w.resize(size_t(words));
            return w;
        }, frames);
        win.upload();
        QVERIFY(testkit::wait_until([&] { return boxes.texts().contains("|not receive date!"); }, 8000));
        QVERIFY(!rig::waiting_box_visible());
        QCOMPARE(win.read_table()->rowCount(), 0);
    }

    void sync_sends_the_clock()
    {
        Window win;
        win.get<QPushButton>("sync_Button")->click();
        const auto frames = win.inst->received(3);
        QCOMPARE(int(frames.size()), 1);
        QCOMPARE(bytes_hex(frames[0]), QString("aa 55 03 0a 09 07 14 02 05 03 24 5e"));
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
        Window win([](int) { return rt_words(T0, tenths(100000.5), 250, 0); });
        win.poll();
        rig::when_visible<CLEAN_DATA>([](CLEAN_DATA *) { return true; }, [tick](CLEAN_DATA *d) {
            d->findChild<QCheckBox *>("checkBox")->setChecked(tick);
            d->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        });
        win.get<QPushButton>("data_export_Button")->click();
        QCOMPARE(win.rt_table()->rowCount(), 0);
        QCOMPARE(win.get<QCustomPlot>("RT_plot")->graph(0)->dataCount(), 0);
        QCOMPARE(int(win.inst->received(6).size()), tick ? 1 : 0);
        if (tick)
            QCOMPARE(bytes_hex(win.inst->received(6)[0]), QString("aa 55 06 03 08"));
        QCOMPARE(win.frame()->rt_start_time, 0u);
        QCOMPARE(win.label("upper_count"), QString("1"));
        win.poll();
        QCOMPARE(win.label("upper_count"), QString("2"));
        QCOMPARE(win.label("MAX_T_label"), QString("100000.50"));
    }

    // 70000 is beyond 65535 but under the mode's limit: exported plain.
    void realtime_export_of_a_reading_beyond_65535()
    {
        int n = 0;
        Window win([&n](int) {
            const int i = n++;
            return rt_words(T0 + quint32(i), tenths(i == 1 ? 70000.0 : 1480.2), 250, 4);
        });
        win.poll();
        win.poll();
        win.poll();
        const QString path = win.dir.file("rt");
        rig::SaveNames names(path);
        win.w->SAVE_table_Slot();
        const QJsonObject sheet = rig::read_xlsx(path + ".xlsx");
        rig::compare_sheet(sheet, win.rt_table(), "KQ174 datasheet");
        QCOMPARE(rig::cell(sheet, 2, 1), QString("Date"));
        QCOMPARE(rig::cell(sheet, 4, 2), QString("70000.0"));
        QCOMPARE(rig::cell(sheet, 5, 3), QString("Photo RPM"));
        QVERIFY(sheet["fills"].toObject().isEmpty());
    }

    void stored_export_and_print()
    {
        rig::Boxes boxes;
        Window win(example_words, stored_words, 1);
        QVERIFY(win.upload_rows(3));
        const QString path = win.dir.file("stored.xlsx");
        rig::SaveNames names(path);
        win.w->SAVE_table_Slot();
        const QJsonObject sheet = rig::read_xlsx(path);
        rig::compare_sheet(sheet, win.read_table(), "KQ174 datasheet");
        QCOMPARE(rig::cell(sheet, 2, 1), QString("num"));
        QCOMPARE(rig::cell(sheet, 5, 2), QString("429496736.0"));
        QVERIFY(sheet["fills"].toObject().isEmpty());   // 429496736 is above 65535, but stored cells stay plain

        const QString pdf = win.dir.file("stored.pdf");
        QVERIFY(window_kit::print_preview_to_pdf([&] { win.w->Printf_table_Slot(); }, pdf));
        const QString text = rig::pdf_text(pdf);
        QVERIFY2(text.contains("KQ174 datasheet"), qPrintable(text));
        for (const char *s : {"num", "Value", "Unit", "1234.5", "ft/min", "Photo RPM", "429496736.0"})
            QVERIFY2(text.contains(s), s);
    }

    void realtime_print_and_pictures()
    {
        Window win;
        win.poll();
        win.poll();
        const QString pdf = win.dir.file("rt.pdf");
        QVERIFY(window_kit::print_preview_to_pdf([&] { win.w->Printf_table_Slot(); }, pdf));
        const QString text = rig::pdf_text(pdf);
        QVERIFY2(text.contains("KQ174 datasheet"), qPrintable(text));
        QCOMPARE(text.count("1234.5"), 2);
        QCOMPARE(text.count("ft/min"), 2);

        const QString picture = win.dir.file("picture.pdf");
        QVERIFY(window_kit::print_preview_to_pdf([&] { win.w->Printf_BMP_Slot(); }, picture));
        QCOMPARE(window_kit::pdf_image_count(picture), 1);

        rig::SaveNames names(win.dir.file("graph"));
        win.w->SAVE_BMP_Slot();
        QImage image(win.dir.file("graph.bmp"));   // the suffix is added
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), win.get<QWidget>("plotwidget")->size());
    }

    void language_notice_is_titled_info()
    {
        rig::Boxes boxes;
        Window win(example_words, nullptr, 0, {{"Language", "CH"}});
        QCOMPARE(win.get<QPushButton>("upload_Button")->text(), QString("上传"));
        QCOMPARE(win.radio(3)->text(), QString("接触式转速"));
        QTest::mouseClick(win.get<QToolButton>("language_Button"), Qt::LeftButton);
        QVERIFY(testkit::wait_until([&] { return boxes.count() == 1; }, 3000));
        QCOMPARE(boxes.texts(), QStringList{"info|Need to restart the software after changing the language!"});
        QCOMPARE(win.get<QPushButton>("upload_Button")->text(), QString("Upload"));
        QCOMPARE(win.radio(3)->text(), QString("contact RPM"));
    }
};

QTEST_MAIN(tst_kq174_window)
#include "tst_kq174_window.moc"
