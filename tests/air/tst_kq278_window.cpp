#include "../sound/sound_rig.h"
#include "../temp/window_kit.h"

#include "KQ278_interface/kq278_interface.h"
#include "KQ278_interface/kq278_words.h"
#include "gauge/gaugespeed.h"
#include "general_instrument.h"
#include "menu_dialog/menu_dialog.h"
#include "save_data_index/save_data_index.h"
#include "workbook/workbook.h"

#include <QGroupBox>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>
#include <qcustomplot.h>

namespace {

const std::string PATH = "sim/kq278";
const QDateTime PC_TIME(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::OffsetFromUTC, 8 * 3600);
const quint32 EXAMPLE_TIME = 0x5F5E5000;   // 2020-09-13 16:59:44 UTC

QString local(quint32 t)
{
    return QDateTime::fromSecsSinceEpoch(t).toString("hh:mm:ss yyyy-MM-dd");
}

// 3.25 m/s and 21.50 ℃ at the example time.
hidsim::Words example_words(int)
{
    return {0x5000, 0x5F5E, 325, 2150};
}

hidsim::Words speed_words(quint16 speed, quint16 temperature = 2150)
{
    return {0x5000, 0x5F5E, speed, temperature};
}

struct Window : rig::WindowOn<KQ278_INTERFACE, hidsim::GeneralInstrument>
{
    explicit Window(hidsim::GeneralInstrument::RealtimeFn rt = example_words,
                    hidsim::GeneralInstrument::StoredFn stored = nullptr, int frames = 0,
                    const QMap<QString, QString> &config = {})
        : WindowOn("KQ278", std::make_shared<hidsim::GeneralInstrument>(rt, stored, frames), PC_TIME, config)
    {
    }
    GaugeSpeed *speed_gauge() { return get<GaugeSpeed>("gunspeed"); }
    GaugeSpeed *temp_gauge() { return get<GaugeSpeed>("gunspeed_2"); }
    QCPGraph *rt_graph() { return get<QCustomPlot>("RT_plot")->graph(0); }
    QCPGraph *read_graph() { return get<QCustomPlot>("read_plot")->graph(0); }
    void radio(const QString &name) { get<QRadioButton>(name.toLatin1().constData())->click(); }
    void upload()
    {
        QMetaObject::invokeMethod(get<QPushButton>("upload_Button"), "click", Qt::QueuedConnection);
    }
};

// Two records a frame: speeds 1.500 and 2.000+frame/1000 m/s, 21.5 and -3.0 ℃.
hidsim::Words stored_words(int frame)
{
    const quint32 t = 1600000000u + quint32(frame) * 60;
    return {1500, 215, quint16(t & 0xFFFF), quint16(t >> 16),
            quint16(2000 + frame), quint16(qint16(-30)), quint16((t + 30) & 0xFFFF), quint16((t + 30) >> 16)};
}

QVector<double> keys(const QCPGraph *g)
{
    QVector<double> out;
    for (auto it = g->data()->constBegin(); it != g->data()->constEnd(); ++it)
        out << it->key;
    return out;
}

// openpyxl's merged ranges and the value types of the data cells.
QJsonObject xlsx_details(const QString &path)
{
    const char *script =
        "import json, sys, openpyxl\n"
        "ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]\n"
        "types = {c.coordinate: type(c.value).__name__ for row in ws.iter_rows(min_row=3) for c in row\n"
        "         if c.value is not None}\n"
        "print(json.dumps({'merged': sorted(str(r) for r in ws.merged_cells.ranges), 'types': types}))\n";
    QProcess p;
    p.start("/usr/bin/python3", {"-c", script, path});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

}

class tst_kq278_window : public QObject
{
    Q_OBJECT
private slots:
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
        QVERIFY(testkit::wait_until([&] { return win.rt_table()->rowCount() >= 1; }, 4000));
        win.get<QPushButton>("Pause_Button")->click();
        QVERIFY(!win.frame()->poll_timer()->isActive());
    }

    void window_as_it_opens()
    {
        Window win;
        QVERIFY(win.get<QPushButton>("sync_Button")->isHidden());
        QVERIFY(win.get<QRadioButton>("radioButton")->isChecked());
        QCOMPARE(win.frame()->poll_timer()->isActive(), false);
        QCOMPARE(win.w->findChild<Menu_dialog *>()->findChild<QStackedWidget *>("stackedWidget")->currentIndex(), 3);
        // The stored graph counts records; only the real-time one reads dates.
        QVERIFY(win.get<QCustomPlot>("RT_plot")->xAxis->ticker().dynamicCast<QCPAxisTickerDateTime>());
        QVERIFY(!win.get<QCustomPlot>("read_plot")->xAxis->ticker().dynamicCast<QCPAxisTickerDateTime>());
        const QStringList radios = {"radioButton", "radioButton_2", "radioButton_3", "radioButton_5",
                                    "radioButton_4", "radioButton_6"};
        QStringList texts;
        for (const QString &r : radios)
            texts << win.get<QRadioButton>(r.toLatin1().constData())->text();
        QCOMPARE(texts, QStringList({"m/s", "ft/s", "km/h", "knots", "mile/h", "ft/m"}));
    }

    void realtime_example_fills_table_graph_boxes_gauges()
    {
        Window win;
        win.poll();
        QTableWidget *t = win.rt_table();
        QCOMPARE(rig::text_at(t, 0, 0), local(EXAMPLE_TIME));
        QCOMPARE(rig::text_at(t, 0, 1), QString("3.250m/s"));
        QCOMPARE(rig::text_at(t, 0, 2), QString("21.5℃"));
        QCOMPARE(win.label("MAX_T_label"), QString("3.25m/s"));
        QCOMPARE(win.label("MIN_T_label"), QString("3.25m/s"));
        QCOMPARE(win.label("AVG_T_label"), QString("3.25m/s"));
        QCOMPARE(win.label("upper_count"), QString("0"));
        QCOMPARE(win.label("lower_count"), QString("0"));
        QCOMPARE(win.speed_gauge()->value(), 3.25);
        QCOMPARE(win.temp_gauge()->value(), 21.5);
        // Keyed by the instrument's clock.
        QCOMPARE(win.rt_graph()->dataCount(), 1);
        QCOMPARE(win.rt_graph()->data()->at(0)->key, double(EXAMPLE_TIME));
        QCOMPARE(win.rt_graph()->data()->at(0)->value, 3.25);
        QCOMPARE(win.frame()->rt_start_time, EXAMPLE_TIME);
    }

    void units_data()
    {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<int>("word");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<double>("gauge");
        QTest::addColumn<QString>("box");
        QTest::newRow("km/h, 10 m/s") << "radioButton_3" << 1000 << "36.000km/h" << 36.0 << "36.00km/h";
        QTest::newRow("ft/m, 50 m/s held at the gauge's end")
            << "radioButton_6" << 5000 << "9842.500ft/m" << 8858.0 << "9842.50ft/m";
        QTest::newRow("ft/s, 10 m/s") << "radioButton_2" << 1000 << "32.800ft/s" << 32.8 << "32.80ft/s";
        QTest::newRow("knots is radioButton_5") << "radioButton_5" << 1000 << "19.400knots" << 19.4 << "19.40knots";
        QTest::newRow("mile/h is radioButton_4") << "radioButton_4" << 1000 << "22.400mile/h" << 22.4
                                                 << "22.40mile/h";
        QTest::newRow("back to m/s") << "radioButton" << 1000 << "10.000m/s" << 10.0 << "10.00m/s";
    }
    void units()
    {
        QFETCH(QString, radio);
        QFETCH(int, word);
        QFETCH(QString, cell);
        QFETCH(double, gauge);
        QFETCH(QString, box);
        Window win([word](int) { return speed_words(quint16(word)); });
        if (radio != "radioButton")
            win.radio("radioButton");   // from another unit back, as the operator would
        win.radio(radio);
        win.poll();
        QCOMPARE(rig::text_at(win.rt_table(), 0, 1), cell);
        QVERIFY2(qAbs(win.speed_gauge()->value() - gauge) < 1e-4, qPrintable(QString::number(win.speed_gauge()->value())));
        QCOMPARE(win.label("MAX_T_label"), box);
        // The instrument answers in m/s whatever is shown: nothing is sent.
        QVERIFY(win.inst->received(4).empty());
    }

    // The full range of the speed word: each unit's gauge stops at its end.
    void gauge_ends()
    {
        Window win([](int) { return speed_words(65535); });
        const QStringList radios = {"radioButton_2", "radioButton_3", "radioButton_5", "radioButton_4",
                                    "radioButton_6", "radioButton"};
        // 655.35 m/s times each factor in decimal; 655.35 × 196.85 = 129005.6475.
        const QStringList cells = {"2149.548ft/s", "2359.260km/h", "1271.379knots", "1467.984mile/h",
                                   "129005.648ft/m", "655.350m/s"};
        const double ends[] = {147, 161, 87, 100, 8858, 45};
        for (int i = 0; i < radios.size(); ++i) {
            win.radio(radios[i]);
            win.poll();
            QCOMPARE(win.rt_table()->rowCount(), 1);   // each change cleared the table
            QCOMPARE(rig::text_at(win.rt_table(), 0, 1), cells[i]);
            QCOMPARE(win.speed_gauge()->value(), ends[i]);
        }
    }

    void temperatures_data()
    {
        QTest::addColumn<int>("word");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<double>("gauge");
        QTest::newRow("-2 ℃ held at 0") << 0xFF38 << "-2.0℃" << 0.0;
        QTest::newRow("21.5 ℃") << 2150 << "21.5℃" << 21.5;
        QTest::newRow("95 ℃ held at 80") << 9500 << "95.0℃" << 80.0;
    }
    void temperatures()
    {
        QFETCH(int, word);
        QFETCH(QString, cell);
        QFETCH(double, gauge);
        Window win([word](int) { return speed_words(325, quint16(word)); });
        win.poll();
        QCOMPARE(rig::text_at(win.rt_table(), 0, 2), cell);
        QCOMPARE(win.temp_gauge()->value(), gauge);
        // The temperature enters neither graph nor statistics.
        QCOMPARE(win.label("MAX_T_label"), QString("3.25m/s"));
        QCOMPARE(win.rt_graph()->data()->at(0)->value, 3.25);
    }

    void instrument_times_data()
    {
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<quint32>("shown");
        QTest::newRow("0: the PC's clock") << 0 << 0 << quint32(PC_TIME.toSecsSinceEpoch());
        QTest::newRow("past 2038") << 0x0010 << 0x8000 << 0x80000010u;
    }
    void instrument_times()
    {
        QFETCH(int, low);
        QFETCH(int, high);
        QFETCH(quint32, shown);
        Window win([low, high](int) { return hidsim::Words{quint16(low), quint16(high), 325, 2150}; });
        win.poll();
        QCOMPARE(rig::text_at(win.rt_table(), 0, 0), local(shown));
        QCOMPARE(win.rt_graph()->data()->at(0)->key, double(shown));
    }

    void answer_length_data()
    {
        QTest::addColumn<int>("words");
        QTest::addColumn<int>("rows");
        QTest::newRow("three words: ignored") << 3 << 0;
        QTest::newRow("four words") << 4 << 1;
        QTest::newRow("six words: the rest ignored") << 6 << 1;
    }
    void answer_length()
    {
        QFETCH(int, words);
        QFETCH(int, rows);
        Window win([words](int) {
            hidsim::Words w = {0x5000, 0x5F5E, 325, 2150, 9999, 9999};
            w.resize(size_t(words));
            return w;
        });
        win.w->get_rt_data_cmd_slot();
        if (rows == 0) {
            QVERIFY(testkit::wait_until([&] { return win.inst->realtime_answers() == 1; }, 4000));
            QTest::qWait(300);
        } else {
            QVERIFY(testkit::wait_until([&] { return win.rt_table()->rowCount() == rows; }, 4000));
            QCOMPARE(rig::text_at(win.rt_table(), 0, 1), QString("3.250m/s"));
        }
        QCOMPARE(win.rt_table()->rowCount(), rows);
    }

    // Limits 10 (upper) and 5 (lower) from the menu, compared in the unit shown.
    void alarm_limits_data()
    {
        QTest::addColumn<QString>("radio");
        QTest::addColumn<int>("word");
        QTest::addColumn<int>("calm");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::newRow("11 m/s in m/s: high") << "radioButton" << 1100 << 700 << 1 << 0;
        QTest::newRow("11 m/s in km/h (39.6): high") << "radioButton_3" << 1100 << 200 << 1 << 0;
        QTest::newRow("2 m/s in m/s: low") << "radioButton" << 200 << 700 << 0 << 1;
        QTest::newRow("2 m/s in km/h (7.2): none") << "radioButton_3" << 200 << 200 << 0 << 0;
        QTest::newRow("10 m/s, on the limit: none") << "radioButton" << 1000 << 700 << 0 << 0;
    }
    void alarm_limits()
    {
        QFETCH(QString, radio);
        QFETCH(int, word);
        QFETCH(int, calm);
        QFETCH(int, high);
        QFETCH(int, low);
        testkit::SoundCounter sounds;
        int n = 0;
        // The second reading is the one under test; the others are within the limits.
        Window win([&n, word, calm](int) { return speed_words(quint16(n++ == 1 ? word : calm)); });
        emit win.w->findChild<Menu_dialog *>()->send_limit_signal(10.0f, 5.0f);
        win.radio(radio);
        win.poll();
        win.poll();
        win.poll();
        const QBrush red(Qt::red, Qt::SolidPattern);
        const bool alarm = high + low > 0;
        QVERIFY(win.rt_table()->item(0, 1)->background() != red);
        QCOMPARE(win.rt_table()->item(1, 1)->background() == red, alarm);
        QVERIFY(win.rt_table()->item(1, 2)->background() != red);
        QVERIFY(win.rt_table()->item(2, 1)->background() != red);
        QCOMPARE(win.label("upper_count"), QString::number(high));
        QCOMPARE(win.label("lower_count"), QString::number(low));
        QCOMPARE(sounds.total(), high + low);
    }

    void alarm_off_resets_the_limits()
    {
        Window win([](int) { return speed_words(1100); });
        auto *menu = win.w->findChild<Menu_dialog *>();
        emit menu->send_limit_signal(10.0f, 5.0f);
        emit menu->send_T_reset();
        win.poll();
        QCOMPARE(win.label("upper_count"), QString("0"));
        QVERIFY(win.rt_table()->item(0, 1)->background() != QBrush(Qt::red, Qt::SolidPattern));
    }

    void unit_change_clears_the_window()
    {
        rig::Boxes boxes;
        Window win(example_words, stored_words, 1);
        win.poll();
        win.poll();
        win.upload();
        QVERIFY(testkit::wait_until([&] { return win.read_table()->rowCount() == 2; }, 8000));
        QVERIFY(testkit::wait_until([&] { return !rig::waiting_box_visible(); }, 3000));
        win.get<QPushButton>("Pause_Button")->click();   // the "set" group again
        win.poll();
        const double gauge = win.speed_gauge()->value();
        const QString max = win.label("MAX_T_label");
        win.radio("radioButton_3");
        QCOMPARE(win.rt_table()->rowCount(), 0);
        QCOMPARE(win.read_table()->rowCount(), 0);
        QCOMPARE(win.rt_graph()->dataCount(), 0);
        QCOMPARE(win.read_graph()->dataCount(), 0);
        QCOMPARE(win.frame()->rt_start_time, 0u);
        // Until the next reading the gauge and the boxes stay as they were.
        QCOMPARE(win.speed_gauge()->value(), gauge);
        QCOMPARE(win.label("MAX_T_label"), max);
        QVERIFY(win.inst->received(4).empty());
        win.poll();
        QCOMPARE(rig::text_at(win.rt_table(), 0, 1), QString("11.700km/h"));
        QCOMPARE(win.label("MIN_T_label"), QString("11.70km/h"));
        QVERIFY(boxes.texts().isEmpty());
    }

    // Stored speeds in thousandths of m/s, statistics with two decimals:
    // 1.005 and 1.015 m/s are ties, rounded half away from zero in decimal.
    void stored_statistics_round_ties_in_decimal()
    {
        const quint32 t = 1600000000u;
        const quint16 thousandths[2] = {1005, 1015};
        Window win(example_words, [&](int) {
            return hidsim::Words{thousandths[0], 215, quint16(t & 0xFFFF), quint16(t >> 16),
                                 thousandths[1], 215, quint16((t + 30) & 0xFFFF), quint16((t + 30) >> 16)};
        }, 1);
        win.upload();
        QVERIFY(testkit::wait_until([&] { return win.read_table()->rowCount() == 2 && !rig::waiting_box_visible(); },
                                    8000));
        const auto hundredths = [](int th) {
            const int units = (th + 5) / 10;
            return QString("%1.%2m/s").arg(units / 100).arg(units % 100, 2, 10, QChar('0'));
        };
        QCOMPARE(win.label("MAX_T_label"), hundredths(thousandths[1]));
        QCOMPARE(win.label("MIN_T_label"), hundredths(thousandths[0]));
        QCOMPARE(win.label("AVG_T_label"), hundredths((thousandths[0] + thousandths[1]) / 2));
    }

    void upload_tabulates_stored_records()
    {
        rig::Boxes boxes;
        Window win(example_words, stored_words, 3);
        win.radio("radioButton_3");   // stored records stay in m/s
        hidsim::clear_writes(PATH);
        win.upload();
        QVERIFY(testkit::wait_until([&] { return win.read_table()->rowCount() == 6; }, 8000));
        QVERIFY(testkit::wait_until([&] { return !rig::waiting_box_visible(); }, 3000));
        QCOMPARE(rig::written(PATH, 5), QStringList{"aa 55 02 03 04"});
        QTableWidget *t = win.read_table();
        QCOMPARE(rig::text_at(t, 0, 0), local(1600000000));
        QCOMPARE(rig::text_at(t, 0, 1), QString("1.500m/s"));
        QCOMPARE(rig::text_at(t, 0, 2), QString("21.50℃"));
        QCOMPARE(rig::text_at(t, 1, 2), QString("-3.00℃"));
        QCOMPARE(rig::text_at(t, 5, 1), QString("2.002m/s"));
        QCOMPARE(rig::text_at(t, 5, 0), local(1600000150));
        QCOMPARE(win.label("MAX_T_label"), QString("2.00m/s"));
        QCOMPARE(win.label("MIN_T_label"), QString("1.50m/s"));
        QCOMPARE(keys(win.read_graph()), (QVector<double>{1, 2, 3, 4, 5, 6}));
        QCOMPARE(win.read_graph()->data()->at(5)->value, double(2.002f));
        QCOMPARE(win.get<QStackedWidget>("polt")->currentIndex(), 1);
        QCOMPARE(win.get<QStackedWidget>("table_data_widget")->currentIndex(), 1);
        QVERIFY(!win.get<QGroupBox>("groupBox")->isEnabled());
        QVERIFY(!win.get<QPushButton>("start_button")->isChecked());
        // The date list never opens for this instrument.
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<SAVE_DATA_INDEX *>(w))
                QVERIFY(!w->isVisible());
        QVERIFY(boxes.texts().isEmpty());

        // A second upload plots its records from 1 again.
        win.get<QPushButton>("upload_Button")->setChecked(false);
        win.upload();
        QVERIFY(testkit::wait_until([&] { return win.read_table()->rowCount() == 6 && !rig::waiting_box_visible(); },
                                    8000));
        QCOMPARE(keys(win.read_graph()), (QVector<double>{1, 2, 3, 4, 5, 6}));
        QVERIFY(boxes.texts().isEmpty());
    }

    void upload_without_answer_says_so_data()
    {
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("words");
        QTest::newRow("no answer") << 0 << 8;
        QTest::newRow("words but no whole record") << 1 << 3;
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
        QVERIFY(testkit::wait_until([&] { return !rig::waiting_box_visible(); }, 3000));
        QCOMPARE(win.read_table()->rowCount(), 0);
        // The upload slot has finished: the "set" group is locked.
        QVERIFY(testkit::wait_until([&] { return !win.get<QGroupBox>("groupBox")->isEnabled(); }, 3000));
    }

    void incomplete_last_record_is_not_read()
    {
        rig::Boxes boxes;
        Window win(example_words, [](int i) {
            hidsim::Words w = stored_words(i);
            w.resize(6);   // one record and half of the next
            return w;
        }, 1);
        win.upload();
        QVERIFY(testkit::wait_until([&] { return win.read_table()->rowCount() == 1; }, 8000));
        QVERIFY(testkit::wait_until([&] { return !rig::waiting_box_visible(); }, 3000));
        QTest::qWait(200);
        QCOMPARE(win.read_table()->rowCount(), 1);
        QCOMPARE(rig::text_at(win.read_table(), 0, 1), QString("1.500m/s"));
        QVERIFY(boxes.texts().isEmpty());
    }

    void clear_button_empties_the_window_only()
    {
        Window win;
        win.poll();
        win.get<QPushButton>("data_export_Button")->click();
        QCOMPARE(win.rt_table()->rowCount(), 0);
        QCOMPARE(win.rt_graph()->dataCount(), 0);
        QCOMPARE(win.frame()->rt_start_time, 0u);
        QCOMPARE(win.label("MAX_T_label"), QString("3.25m/s"));
        QVERIFY(win.inst->received(6).empty());
    }

    void realtime_workbook_splits_value_and_unit()
    {
        int n = 0;
        // The second reading alarms, the third is below freezing.
        Window win([&n](int) {
            const int i = n++;
            return speed_words(quint16(i == 1 ? 1100 : 325), quint16(i == 2 ? 0xFF38 : 2150));
        });
        win.w->set_limit_slot(10, 1);
        win.poll();
        win.poll();
        win.poll();
        const QString path = win.dir.file("rt");
        rig::SaveNames names(path);
        win.w->SAVE_table_Slot();
        const QJsonObject sheet = rig::read_xlsx(path + ".xlsx");
        QCOMPARE(rig::cell(sheet, 1, 1), QString("WVT-8 datasheet"));
        const QStringList header = {"Date", "speed value", "", "temp value", ""};
        for (int c = 0; c < header.size(); ++c)
            QCOMPARE(rig::cell(sheet, 2, c + 1), header[c]);
        QCOMPARE(sheet["cells"].toArray().size(), 5);
        const QStringList rows[] = {{local(EXAMPLE_TIME), "3.250", "m/s", "21.5", "℃"},
                                    {local(EXAMPLE_TIME), "11.000", "m/s", "21.5", "℃"},
                                    {local(EXAMPLE_TIME), "3.250", "m/s", "-2.0", "℃"}};
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 5; ++c)
                QCOMPARE(rig::cell(sheet, r + 3, c + 1), rows[r][c]);
        // The alarm reading's value and unit are red, its temperature not.
        const QJsonObject fills = sheet["fills"].toObject();
        QCOMPARE(fills.keys().join(" "), QString("B4 C4"));
        QCOMPARE(fills["B4"].toString(), QString("FFFF0000"));
        const QJsonObject details = xlsx_details(path + ".xlsx");
        QCOMPARE(details["merged"].toArray(), (QJsonArray{"B2:C2", "D2:E2"}));
        // Under the merged speed heading C2 keeps the temperature heading.
        workbook::Sheet own;
        QVERIFY(workbook::read_first_sheet(path + ".xlsx", &own));
        QCOMPARE(own.cell(2, 3), QString("temp value"));
        QCOMPARE(own.cell(2, 5), QString());
        // Written as text, as the table shows them.
        for (const QJsonValue &type : details["types"].toObject())
            QCOMPARE(type.toString(), QString("str"));
    }

    void split_layout_units_and_missing_cells()
    {
        QTableWidget table(3, 3);
        table.setHorizontalHeaderLabels({"Date", "speed value", "temp value"});
        const QStringList speeds = {"8858.000ft/m", "19.400knots", "NULL"};
        for (int r = 0; r < 3; ++r) {
            table.setItem(r, 0, new QTableWidgetItem("t"));
            table.setItem(r, 1, new QTableWidgetItem(speeds[r]));
        }
        table.setItem(0, 2, new QTableWidgetItem("1.0℃"));
        testkit::ProgramDir dir;
        workbook::Writer w;
        kq278::write_split_layout(w, &table, "WVT-8");
        QVERIFY(w.save(dir.file("t.xlsx")));
        const QJsonObject sheet = rig::read_xlsx(dir.file("t.xlsx"));
        QCOMPARE(rig::cell(sheet, 3, 2), QString("8858.000"));
        QCOMPARE(rig::cell(sheet, 3, 3), QString("ft/m"));
        QCOMPARE(rig::cell(sheet, 3, 4), QString("1.0"));
        QCOMPARE(rig::cell(sheet, 4, 2), QString("19.400"));
        QCOMPARE(rig::cell(sheet, 4, 3), QString("knots"));
        QCOMPARE(rig::cell(sheet, 4, 4), QString());   // no item
        QCOMPARE(rig::cell(sheet, 5, 2), QString("NULL"));   // no unit: whole in both
        QCOMPARE(rig::cell(sheet, 5, 3), QString("NULL"));
    }

    void stored_workbook_is_the_table_as_text()
    {
        rig::Boxes boxes;
        Window win(example_words, stored_words, 1);
        win.upload();
        QVERIFY(testkit::wait_until([&] { return win.read_table()->rowCount() == 2 && !rig::waiting_box_visible(); },
                                    8000));
        const QString path = win.dir.file("stored.xlsx");
        rig::SaveNames names(path);
        win.w->SAVE_table_Slot();
        const QJsonObject sheet = rig::read_xlsx(path);
        rig::compare_sheet(sheet, win.read_table(), "WVT-8 datasheet");
        QCOMPARE(rig::cell(sheet, 2, 1), QString("num"));
        QCOMPARE(rig::cell(sheet, 3, 2), QString("1.500m/s"));
        QVERIFY(sheet["fills"].toObject().isEmpty());
    }

    void printed_tables_show_value_and_unit()
    {
        rig::Boxes boxes;
        Window win(example_words, stored_words, 1);
        win.w->set_limit_slot(3, 1);
        win.poll();
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(win.dir.file("rt.pdf"));
        win.w->KQ278_preview_table(&printer);
        QString text = rig::pdf_text(win.dir.file("rt.pdf"));
        QVERIFY2(text.contains("WVT-8 datasheet"), qPrintable(text));
        QVERIFY(text.contains("speed value"));
        QVERIFY(text.contains("3.250m/s"));
        QVERIFY(text.contains("21.5℃"));
        QVERIFY(window_kit::pdf_word_on_red(win.dir.file("rt.pdf"), "3.250m/s"));

        win.upload();
        QVERIFY(testkit::wait_until([&] { return win.read_table()->rowCount() == 2 && !rig::waiting_box_visible(); },
                                    8000));
        printer.setOutputFileName(win.dir.file("stored.pdf"));
        win.w->KQ278_preview_table(&printer);
        text = rig::pdf_text(win.dir.file("stored.pdf"));
        QVERIFY2(text.contains("1.500m/s"), qPrintable(text));
        QVERIFY(text.contains("-3.00℃"));
        QVERIFY(!text.contains("3.250m/s"));
    }

    void picture_print_and_export()
    {
        Window win;
        win.poll();
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(win.dir.file("graph.pdf"));
        win.w->KQ278_preview_BMP(&printer);
        QVERIFY(QFileInfo(win.dir.file("graph.pdf")).size() > 1000);
        QVERIFY(!QImage(win.dir.file("rt_temp.bmp")).isNull());
        rig::SaveNames names(win.dir.file("graph"));
        win.w->SAVE_BMP_Slot();
        QImage image(win.dir.file("graph.bmp"));
        QCOMPARE(image.size(), win.get<QWidget>("plotwidget")->size());
    }

    void language_notice_is_titled_info()
    {
        rig::Boxes boxes;
        Window win(example_words, nullptr, 0, {{"Language", "CH"}});
        QCOMPARE(win.get<QPushButton>("upload_Button")->text(), QString("上传"));
        QTest::mouseClick(win.get<QToolButton>("language_Button"), Qt::LeftButton);
        QVERIFY(testkit::wait_until([&] { return boxes.count() == 1; }, 3000));
        QCOMPARE(boxes.texts(), QStringList{"info|Need to restart the software after changing the language!"});
        QCOMPARE(win.get<QPushButton>("upload_Button")->text(), QString("Upload"));
    }
};

QTEST_MAIN(tst_kq278_window)
#include "tst_kq278_window.moc"
