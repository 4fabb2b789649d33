#include "KQ240_interface/kq240_interface.h"

#include "frame/model_frame.h"
#include "import_data/import_data.h"
#include "menu_dialog/menu_dialog.h"
#include "serialsim.h"
#include "testkit.h"
#include "usart_interface/usart_interface.h"
#include "window_kit.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableView>
#include <QTableWidget>
#include <QToolTip>
#include <QtTest>

#include <atomic>

#include <memory>

using window_kit::cell_red;
using window_kit::cell_text;
using window_kit::child;
using window_kit::upload;

Q_DECLARE_METATYPE(QVector<quint16>)

class tst_kq240_window : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<testkit::ProgramDir> m_dir;

    static std::unique_ptr<KQ240_INTERFACE> open_window(const QString &model, const QString &port = QString())
    {
        std::unique_ptr<KQ240_INTERFACE> w(new KQ240_INTERFACE);
        w->get_KQ240x(model);
        if (!port.isEmpty())
            w->set_device_path(port);
        w->resize(1350, 730);
        w->show();
        return w;
    }
    static void feed_rt(KQ240_INTERFACE *w, const QVector<quint16> &words)
    {
        for (quint16 x : words)
            w->link_part()->rt_list.enqueue(x);
        w->get_rt_data();
    }
    static void feed_stored(KQ240_INTERFACE *w, const QVector<quint16> &words)
    {
        for (quint16 x : words)
            w->link_part()->read_list.enqueue(x);
        w->get_save_data();
    }

private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        tzset();
    }
    void init() { m_dir.reset(new testkit::ProgramDir); }
    void cleanup() { m_dir.reset(); }

    // One real-time answer, by variant and unit: NULL only for an absent
    // channel or an invalid raw value, never for a true 0.0 ℃.
    void decodes_realtime_answers_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QVector<quint16>>("answer");
        QTest::addColumn<QStringList>("cells");      // empty: no row
        QTest::addColumn<QVector<int>>("samples");   // per channel
        QTest::addColumn<int>("points");             // on graph 0
        const QVector<quint16> c_words{0x00FD, 0x0101, 0x6D60, 0xFFEC};
        QTest::newRow("C") << "KQ240" << 0 << c_words
                           << QStringList{"25.3℃", "25.7℃", "NULL", "-2.0℃"} << QVector<int>{1, 1, 0, 1} << 1;
        QTest::newRow("C in F") << "KQ240" << 1 << c_words
                                << QStringList{"77.5℉", "78.3℉", "NULL", "28.4℉"} << QVector<int>{1, 1, 0, 1} << 1;
        QTest::newRow("zero is a reading") << "KQ240" << 0 << QVector<quint16>{0, 0x0101, 0x6D61, 0x7FFF}
                                           << QStringList{"0.0℃", "25.7℃", "NULL", "NULL"} << QVector<int>{1, 1, 0, 0} << 1;
        QTest::newRow("zero in F") << "KQ240" << 1 << QVector<quint16>{0, 0x0101, 0x6D60, 0xFFEC}
                                   << QStringList{"32.0℉", "78.3℉", "NULL", "28.4℉"} << QVector<int>{1, 1, 0, 1} << 1;
        QTest::newRow("invalid channel 1") << "KQ240" << 0 << QVector<quint16>{0x6D60, 0x0101, 0x00FD, 0x00FD}
                                           << QStringList{"NULL", "25.7℃", "25.3℃", "25.3℃"} << QVector<int>{0, 1, 1, 1} << 0;
        QTest::newRow("A: one word") << "KQ2401" << 0 << QVector<quint16>{0x00FD}
                                     << QStringList{"25.3℃", "NULL", "NULL", "NULL"} << QVector<int>{1, 0, 0, 0} << 1;
        QTest::newRow("A: extra words dropped") << "KQ2401" << 0 << c_words
                                                << QStringList{"25.3℃", "NULL", "NULL", "NULL"} << QVector<int>{1, 0, 0, 0} << 1;
        QTest::newRow("B: two words") << "KQ2402" << 0 << QVector<quint16>{0x00FD, 0x0101}
                                      << QStringList{"25.3℃", "25.7℃", "NULL", "NULL"} << QVector<int>{1, 1, 0, 0} << 1;
        QTest::newRow("B: one word is short") << "KQ2402" << 0 << QVector<quint16>{0x00FD}
                                              << QStringList{} << QVector<int>{0, 0, 0, 0} << 0;
        QTest::newRow("C: three words are short") << "KQ240" << 0 << QVector<quint16>{1, 2, 3}
                                                  << QStringList{} << QVector<int>{0, 0, 0, 0} << 0;
    }
    void decodes_realtime_answers()
    {
        QFETCH(QString, model);
        QFETCH(int, unit);
        QFETCH(QVector<quint16>, answer);
        QFETCH(QStringList, cells);
        QFETCH(QVector<int>, samples);
        QFETCH(int, points);
        auto w = open_window(model);
        window_kit::click(child<QPushButton>(w.get(), "start_button"));   // sets the graphs up
        window_kit::click(child<QPushButton>(w.get(), "Pause_Button"));
        if (unit == 1)
            window_kit::click(child<QRadioButton>(w.get(), "radioButton_2"));
        feed_rt(w.get(), answer);
        QVERIFY(w->link_part()->rt_list.isEmpty());
        auto *table = child<QTableWidget>(w.get(), "RT_table_data");
        QCOMPARE(table->rowCount(), cells.isEmpty() ? 0 : 1);
        for (int k = 0; k < cells.size(); ++k)
            QCOMPARE(cell_text(table, 0, k + 1), cells[k]);
        for (int k = 0; k < 4; ++k)
            QCOMPARE(w->statistics.items[k].samples.size(), samples[k]);
        auto *plot = child<QCustomPlot>(w.get(), "RT_plot");
        QCOMPARE(plot->graph(0)->data()->size(), points);
        QCOMPARE(plot->graphCount(), w->channel_count());
        if (model == "KQ240" && unit == 1 && samples[0]) {
            // The statistics stay in ℃; the fields show the unit.
            QCOMPARE(w->statistics.items[0].samples[0], double(float(qint16(answer[0])) / 10.0f));
            QCOMPARE(child<QLineEdit>(w.get(), answer[0] ? "lineEdit_9" : "lineEdit_9")->text(),
                     answer[0] ? QStringLiteral("77.5℉") : QStringLiteral("32.0℉"));
        }
    }

    // Stored records: numbered from 1, one word per channel of the variant;
    // every raw of 28000 or more is NULL and not plotted; a record cut short
    // at the end is dropped.
    void decodes_stored_records_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QVector<quint16>>("stored");
        QTest::addColumn<QStringList>("rows");   // row texts joined by blanks
        QTest::addColumn<QVector<double>>("keys");
        QTest::newRow("B") << "KQ2402" << QVector<quint16>{0x00FD, 0x0101, 0x00FE, 0x0102}
                           << QStringList{"1 25.3℃ 25.7℃ 0.0℃ 0.0℃", "2 25.4℃ 25.8℃ 0.0℃ 0.0℃"} << QVector<double>{1, 2};
        QTest::newRow("invalid raws") << "KQ2401" << QVector<quint16>{28000, 28001, 30000, 0}
                                      << QStringList{"1 NULL 0.0℃ 0.0℃ 0.0℃", "2 NULL 0.0℃ 0.0℃ 0.0℃",
                                                     "3 NULL 0.0℃ 0.0℃ 0.0℃", "4 0.0℃ 0.0℃ 0.0℃ 0.0℃"}
                                      << QVector<double>{4};
        QTest::newRow("C cut short") << "KQ240" << QVector<quint16>{10, 20, 30, 40, 50, 60}
                                     << QStringList{"1 1.0℃ 2.0℃ 3.0℃ 4.0℃"} << QVector<double>{1};
    }
    void decodes_stored_records()
    {
        QFETCH(QString, model);
        QFETCH(QVector<quint16>, stored);
        QFETCH(QStringList, rows);
        QFETCH(QVector<double>, keys);
        auto w = open_window(model);
        window_kit::click(child<QPushButton>(w.get(), "start_button"));
        window_kit::click(child<QPushButton>(w.get(), "Pause_Button"));
        feed_stored(w.get(), stored);
        auto *table = child<QTableWidget>(w.get(), "read_table_data");
        QStringList got;
        for (int r = 0; r < table->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < 5; ++c)
                cells << cell_text(table, r, c);
            got << cells.join(' ');
        }
        QCOMPARE(got, rows);
        QVector<double> plotted;
        auto *plot = child<QCustomPlot>(w.get(), "read_plot");
        for (auto it = plot->graph(0)->data()->constBegin(); it != plot->graph(0)->data()->constEnd(); ++it)
            plotted << it->key;
        QCOMPARE(plotted, keys);
        QVERIFY(w->link_part()->read_list.isEmpty());
    }

    // The simulated thermometer over a pseudo-terminal: polling, pause,
    // upload with its waiting box, a late stored frame.
    void polls_and_uploads_over_the_serial_link()
    {
        serialsim::SerialThermometer sim;
        QVERIFY(sim.ok());
        sim.install_port_list();
        sim.set_channels({253, 257, 28000, -20});
        QVector<qint16> stored;
        for (int i = 0; i < 40; ++i)
            stored << qint16(200 + i) << qint16(210 + i) << qint16(220 + i) << qint16(230 + i);
        sim.set_stored(stored, 28);
        auto w = open_window("KQ240", sim.port_name());
        QVERIFY(w->link_part()->is_open);
        auto *label_bar = w->statusBar();
        QVERIFY(testkit::wait_until([&] {
            for (QLabel *l : label_bar->findChildren<QLabel *>())
                if (l->text() == QLatin1String("connected"))
                    return true;
            return false;
        }, 4000));

        window_kit::click(child<QPushButton>(w.get(), "start_button"));
        auto *rt = child<QTableWidget>(w.get(), "RT_table_data");
        QVERIFY(testkit::wait_until([&] { return rt->rowCount() >= 2; }, 8000));
        QVERIFY(sim.commands().contains(1));
        QCOMPARE(cell_text(rt, 0, 1), QStringLiteral("25.3℃"));
        QCOMPARE(cell_text(rt, 0, 3), QStringLiteral("NULL"));
        QCOMPARE(cell_text(rt, 0, 4), QStringLiteral("-2.0℃"));
        window_kit::click(child<QPushButton>(w.get(), "Pause_Button"));
        QVERIFY(!w->frame_part()->poll_timer()->isActive());

        testkit::BoxWatcher boxes;
        upload(w.get(), boxes);
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().text, QStringLiteral("Accepting"));
        QVERIFY(sim.commands().contains(2));
        auto *read = child<QTableWidget>(w.get(), "read_table_data");
        QCOMPARE(read->rowCount(), 40);
        QCOMPARE(cell_text(read, 39, 0), QStringLiteral("40"));
        QCOMPARE(cell_text(read, 0, 4), QStringLiteral("23.0℃"));
        QVERIFY(!child<QWidget>(w.get(), "groupBox")->isEnabled());
        QVERIFY(!w->frame_part()->upload_waiting());

        // A stored frame after the upload has ended closes nothing and is shown.
        boxes.set_handler(nullptr);
        sim.send_raw(serialsim::answer_frame(2, {300, 301, 302, 303}));
        QVERIFY(testkit::wait_until([&] { return read->rowCount() == 41; }, 4000));
        QCOMPARE(cell_text(read, 40, 1), QStringLiteral("30.0℃"));
        QCOMPARE(boxes.count(), 1);
    }

    // A port that goes away while polling shows "in used"; nothing breaks.
    void vanished_port_shows_in_used()
    {
        serialsim::SerialThermometer sim;
        QVERIFY(sim.ok());
        sim.install_port_list();
        auto w = open_window("KQ240", sim.port_name());
        auto link_text = [&] {
            QStringList texts;
            for (QLabel *l : w->statusBar()->findChildren<QLabel *>())
                texts << l->text();
            return texts;
        };
        QVERIFY(testkit::wait_until([&] { return link_text().contains("connected"); }, 4000));
        window_kit::click(child<QPushButton>(w.get(), "start_button"));
        auto *rt = child<QTableWidget>(w.get(), "RT_table_data");
        QVERIFY(testkit::wait_until([&] { return rt->rowCount() >= 1; }, 6000));
        // The loss is logged once, not at every poll after it.
        static std::atomic<int> not_open_lines{0};
        not_open_lines = 0;
        const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &m) {
            if (m.contains("serial not open"))
                ++not_open_lines;
        });
        sim.vanish();
        QVERIFY(testkit::wait_until([&] { return link_text().contains("in used"); }, 5000));
        const int rows = rt->rowCount();
        QTest::qWait(2500);   // polling goes on into the void
        qInstallMessageHandler(previous);
        QVERIFY(rt->rowCount() <= rows + 1);
        QVERIFY(w->frame_part()->poll_timer()->isActive());
        QCOMPARE(not_open_lines.load(), 1);
    }

    // The menu's limits by channel colour alarm cells and count alarms.
    void menu_limits_colour_and_count_alarms()
    {
        auto w = open_window("KQ240");
        window_kit::click(child<QPushButton>(w.get(), "start_button"));
        window_kit::click(child<QPushButton>(w.get(), "Pause_Button"));
        testkit::SoundCounter sounds;
        Menu_dialog *menu = w->menu_part();
        child<QCheckBox>(menu, "T_checkBox")->setChecked(true);
        child<QDoubleSpinBox>(menu, "UP_alarm_data_1")->setValue(30);
        child<QDoubleSpinBox>(menu, "down_alarm_data_1")->setValue(0);
        for (const char *n : {"UP_alarm_data_2", "UP_alarm_data_3", "UP_alarm_data_4"})
            child<QDoubleSpinBox>(menu, n)->setValue(40);
        for (const char *n : {"down_alarm_data_2", "down_alarm_data_3", "down_alarm_data_4"})
            child<QDoubleSpinBox>(menu, n)->setValue(10);
        child<QDialogButtonBox>(menu, "buttonBox")->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(w->statistics.items[0].upper_limit, 30.0);
        QCOMPARE(w->statistics.items[0].lower_limit, 0.0);
        for (int r = 1; r < 4; ++r) {
            QCOMPARE(w->statistics.items[r].upper_limit, 40.0);
            QCOMPARE(w->statistics.items[r].lower_limit, 10.0);
        }
        // 31.0 high on ch1; 9.0 low on ch2; 40.0 at the limit on ch3; invalid ch4.
        feed_rt(w.get(), {310, 90, 400, 28000});
        auto *rt = child<QTableWidget>(w.get(), "RT_table_data");
        QVERIFY(cell_red(rt, 0, 1));
        QVERIFY(cell_red(rt, 0, 2));
        QVERIFY(!cell_red(rt, 0, 3));
        QVERIFY(!cell_red(rt, 0, 4));
        QCOMPARE(child<QLineEdit>(w.get(), "lineEdit")->text(), QStringLiteral("1"));
        QCOMPARE(child<QLineEdit>(w.get(), "lineEdit_6")->text(), QStringLiteral("1"));
        QCOMPARE(child<QLineEdit>(w.get(), "lineEdit_2")->text(), QStringLiteral("0"));
        QCOMPARE(sounds.total(), 2);
        // Limits stay in ℃ while ℉ is shown.
        window_kit::click(child<QRadioButton>(w.get(), "radioButton_2"));
        feed_rt(w.get(), {305, 200, 200, 200});
        QCOMPARE(cell_text(rt, 1, 1), QStringLiteral("86.9℉"));
        QVERIFY(cell_red(rt, 1, 1));
        // The stored records count and sound but colour nothing.
        feed_stored(w.get(), {500, 500, 500, 500});
        QVERIFY(!cell_red(child<QTableWidget>(w.get(), "read_table_data"), 0, 1));
        QCOMPARE(sounds.total(), 3);
    }

    // ℃ and ℉ back and forth: new readings in the unit shown, nothing drifts.
    void unit_switch_round_trips()
    {
        auto w = open_window("KQ240");
        window_kit::click(child<QPushButton>(w.get(), "start_button"));
        window_kit::click(child<QPushButton>(w.get(), "Pause_Button"));
        auto *rt = child<QTableWidget>(w.get(), "RT_table_data");
        for (int i = 0; i < 3; ++i) {
            feed_rt(w.get(), {253, 253, 253, 253});
            window_kit::click(child<QRadioButton>(w.get(), "radioButton_2"));
            feed_rt(w.get(), {253, 253, 253, 253});
            window_kit::click(child<QRadioButton>(w.get(), "radioButton"));
        }
        // Every row in the unit shown, the statistics kept (in ℃).
        for (int r = 0; r < 6; ++r)
            QCOMPARE(cell_text(rt, r, 1), QStringLiteral("25.3℃"));
        QCOMPARE(w->statistics.items[0].samples.size(), 6);
    }

    // Averages that fall on a tie at the one decimal shown, rounded half
    // away from zero in decimal: -39.85 ℃ is -39.9 ℃, -39.75 ℃ is
    // -39.55 ℉, so -39.6 ℉ (worked out here in hundredths of the unit).
    void tie_averages_round_in_decimal_data()
    {
        QTest::addColumn<bool>("stored");
        QTest::addColumn<bool>("fahrenheit");
        for (bool stored : {false, true})
            for (bool f : {false, true})
                QTest::newRow(qPrintable(QString(stored ? "stored" : "real time") + (f ? " ℉" : " ℃")))
                    << stored << f;
    }
    void tie_averages_round_in_decimal()
    {
        QFETCH(bool, stored);
        QFETCH(bool, fahrenheit);
        const QVector<QVector<int>> tenths = {{-399, -399, 0, 0}, {-398, -396, 0, 0}};
        // The average of two readings in tenths, in hundredths of the unit,
        // then rounded to tenths half away from zero.
        auto average_text = [&](int k) {
            const int sum = tenths[0][k] + tenths[1][k];   // the average is sum / 20 ℃
            const int hundredths = fahrenheit ? sum * 9 + 3200 : sum * 5;
            const int v = (hundredths + (hundredths >= 0 ? 5 : -5)) / 10;
            return QStringLiteral("%1%2.%3").arg(v < 0 ? "-" : "").arg(std::abs(v) / 10).arg(std::abs(v) % 10)
                   + (fahrenheit ? QStringLiteral("℉") : QStringLiteral("℃"));
        };
        auto w = open_window("KQ240");
        window_kit::click(child<QPushButton>(w.get(), "start_button"));
        window_kit::click(child<QPushButton>(w.get(), "Pause_Button"));
        if (fahrenheit)
            window_kit::click(child<QRadioButton>(w.get(), "radioButton_2"));
        for (const QVector<int> &rec : tenths) {
            QVector<quint16> words;
            for (int v : rec)
                words << quint16(qint16(v));
            if (stored)
                feed_stored(w.get(), words);
            else
                feed_rt(w.get(), words);
        }
        QCOMPARE(child<QLineEdit>(w.get(), "lineEdit_17")->text(), average_text(0));
        QCOMPARE(child<QLineEdit>(w.get(), "lineEdit_18")->text(), average_text(1));
    }

    // A switch while recording, on the real-time page and on the stored
    // page: table, graph and statistics all in ℉ (worked out here in
    // hundredths: c × 1.8 + 32), the exported table reopens in the viewer
    // in ℉, and back to ℃ gives the first picture.
    void unit_switch_converts_everything_shown_data()
    {
        QTest::addColumn<bool>("stored");
        QTest::newRow("real time") << false;
        QTest::newRow("stored") << true;
    }
    void unit_switch_converts_everything_shown()
    {
        QFETCH(bool, stored);
        // Tenths of a degree per channel, two records; channel 3 sends none.
        const QVector<QVector<int>> tenths = {{253, 200, 28000, -20}, {251, 210, 28000, -40}};
        const QStringList fields_of[3] = {{"lineEdit_9", "lineEdit_13", "lineEdit_17"},
                                          {"lineEdit_10", "lineEdit_14", "lineEdit_18"},
                                          {"lineEdit_12", "lineEdit_16", "lineEdit_20"}};
        const int channel_of[3] = {0, 1, 3};
        auto text = [](int tenth, bool f) {
            int v = tenth;
            QString unit = QStringLiteral("℃");
            if (f) {
                const int hundredths = tenth * 18 + 3200;   // never ends in 5: no tie
                v = (hundredths + (hundredths >= 0 ? 5 : -5)) / 10;
                unit = QStringLiteral("℉");
            }
            return QStringLiteral("%1%2.%3").arg(v < 0 ? "-" : "").arg(std::abs(v) / 10).arg(std::abs(v) % 10) + unit;
        };
        auto expected = [&](bool f) {
            QStringList p;
            for (const QVector<int> &rec : tenths)
                for (int k = 0; k < 4; ++k)
                    p << (rec[k] >= 28000 ? QStringLiteral("NULL") : text(rec[k], f));
            for (int i = 0; i < 3; ++i) {
                const int k = channel_of[i], a = tenths[0][k], b = tenths[1][k];
                p << text(std::max(a, b), f) << text(std::min(a, b), f) << text((a + b) / 2, f);
            }
            for (int i = 0; i < 3; ++i)
                for (const QVector<int> &rec : tenths)
                    p << text(rec[channel_of[i]], f).chopped(1);
            return p;
        };
        auto w = open_window("KQ240");
        window_kit::click(child<QPushButton>(w.get(), "start_button"));
        window_kit::click(child<QPushButton>(w.get(), "Pause_Button"));
        for (const QVector<int> &rec : tenths) {
            QVector<quint16> words;
            for (int v : rec)
                words << quint16(qint16(v));
            if (stored)
                feed_stored(w.get(), words);
            else
                feed_rt(w.get(), words);
        }
        auto *table = child<QTableWidget>(w.get(), stored ? "read_table_data" : "RT_table_data");
        auto *plot = child<QCustomPlot>(w.get(), stored ? "read_plot" : "RT_plot");
        auto picture = [&] {
            QStringList p;
            for (int r = 0; r < table->rowCount(); ++r)
                for (int c = 1; c <= 4; ++c)
                    p << cell_text(table, r, c);
            for (const QStringList &fields : fields_of)
                for (const QString &f : fields)
                    p << child<QLineEdit>(w.get(), qPrintable(f))->text();
            for (int k : channel_of)
                for (auto it = plot->graph(k)->data()->constBegin(); it != plot->graph(k)->data()->constEnd(); ++it)
                    p << QString::number(it->value, 'f', 1);
            return p;
        };
        auto in_view = [&] {
            for (int g = 0; g < plot->graphCount(); ++g) {
                const QCPRange keys = plot->xAxis->range(), values = plot->yAxis->range();
                for (auto it = plot->graph(g)->data()->constBegin(); it != plot->graph(g)->data()->constEnd(); ++it)
                    if (!keys.contains(it->key) || !values.contains(it->value))
                        return false;
            }
            return true;
        };
        const QStringList first = picture();
        const QCPRange first_values = plot->yAxis->range();
        QCOMPARE(first.join(" | "), expected(false).join(" | "));
        QVERIFY(in_view());
        window_kit::click(child<QRadioButton>(w.get(), "radioButton_2"));
        QCOMPARE(picture().join(" | "), expected(true).join(" | "));
        QVERIFY(in_view());

        window_kit::click(child<QRadioButton>(w.get(), "radioButton"));
        QCOMPARE(picture().join(" | "), first.join(" | "));
        QCOMPARE(plot->yAxis->range().lower, first_values.lower);
        QCOMPARE(plot->yAxis->range().upper, first_values.upper);

        // ℉ again and one more record: the table exported now reopens in
        // the viewer, in ℉ throughout.
        window_kit::click(child<QRadioButton>(w.get(), "radioButton_2"));
        if (stored)
            feed_stored(w.get(), {240, 240, 240, 240});
        else
            feed_rt(w.get(), {240, 240, 240, 240});
        QCOMPARE(cell_text(table, 2, 1), text(240, true));
        testkit::BoxWatcher boxes;
        window_kit::SaveNames names;
        names.answer = m_dir->file("switched.xlsx");
        child<QStackedWidget>(w.get(), "polt")->setCurrentIndex(stored ? 1 : 0);
        w->SAVE_table_Slot();
        import_data viewer(nullptr, names.answer);
        QTest::qWait(100);
        QVERIFY2(boxes.count() == 0, qPrintable(boxes.last().text));   // not "Units must be the same"
        QCOMPARE(viewer.read_error(), QString());
        QCOMPARE(viewer.value_unit(), QStringLiteral("℉"));
        const QAbstractItemModel *m = viewer.findChild<QTableView *>("import_table")->model();
        QVERIFY(m);
        QCOMPARE(m->rowCount(), table->rowCount());
        for (int r = 0; r < table->rowCount(); ++r)
            for (int k = 0; k < 4; ++k)
                QCOMPARE(m->index(r, k + 1).data().toString(), cell_text(table, r, k + 1));
    }

    // The graph's tool tip names channel, time and value near a sample.
    void tool_tip_shows_the_sample()
    {
        testkit::FixedClock clock(QDateTime(QDate(2024, 1, 1), QTime(12, 0, 0)));
        auto w = open_window("KQ2401");
        window_kit::click(child<QPushButton>(w.get(), "start_button"));
        window_kit::click(child<QPushButton>(w.get(), "Pause_Button"));
        feed_rt(w.get(), {253});
        auto *plot = child<QCustomPlot>(w.get(), "RT_plot");
        const double key = QDateTime(QDate(2024, 1, 1), QTime(12, 0, 0)).toSecsSinceEpoch();
        plot->xAxis->setRange(key - 30, key + 30);
        plot->replot();
        const QPoint at(int(plot->xAxis->coordToPixel(key + 1)), plot->height() / 2);
        QMouseEvent move(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        w->mouse_move(&move);
        QCOMPARE(QToolTip::text(), QStringLiteral("CH1 2024/01/01 12:00:00 Value: 25.3\n"));
    }

    // No crosshair line (along 0) until the operator points at a graph;
    // then the pointed graph's crosshair shows.
    void crosshair_only_when_pointed()
    {
        auto w = open_window("KQ2401");
        window_kit::click(child<QPushButton>(w.get(), "start_button"));
        window_kit::click(child<QPushButton>(w.get(), "Pause_Button"));
        feed_rt(w.get(), {quint16(qint16(-20))});
        feed_rt(w.get(), {253});
        auto *plot = child<QCustomPlot>(w.get(), "RT_plot");
        QVERIFY(plot->yAxis->range().contains(0));
        auto dark_along_zero = [&] {
            const QImage image = plot->toPixmap(plot->width(), plot->height()).toImage();
            const int y = qRound(plot->yAxis->coordToPixel(0));
            const QRect rect = plot->axisRect()->rect();
            int dark = 0;
            for (int x = rect.left() + 2; x < rect.right() - 2; ++x)
                for (int dy = -1; dy <= 1; ++dy)
                    if (qGray(image.pixel(x, y + dy)) < 80) {
                        ++dark;
                        break;
                    }
            return dark * 2 > rect.width();
        };
        auto crosshairs_shown = [](QCustomPlot *p) {
            int shown = 0;
            for (int i = 0; i < p->itemCount(); ++i)
                if (qobject_cast<QCPItemTracer *>(p->item(i)) && p->item(i)->visible())
                    ++shown;
            return shown;
        };
        QVERIFY(!dark_along_zero());
        QCOMPARE(crosshairs_shown(plot), 0);
        QCOMPARE(crosshairs_shown(child<QCustomPlot>(w.get(), "read_plot")), 0);
        QTest::mouseMove(plot, plot->axisRect()->rect().center());
        QMouseEvent move(QEvent::MouseMove, plot->axisRect()->rect().center(), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(plot, &move);
        QCOMPARE(crosshairs_shown(plot), 1);
    }

    // With one or two channels the date and time stand on one line of
    // their row; with four they may wrap. Every column stays in view.
    void date_column_wraps_only_when_short_of_room_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("one_line");
        QTest::newRow("A") << "KQ2401" << true;
        QTest::newRow("B") << "KQ2402" << true;
        QTest::newRow("C") << "KQ240" << false;
    }
    void date_column_wraps_only_when_short_of_room()
    {
        QFETCH(QString, model);
        QFETCH(bool, one_line);
        auto w = open_window(model);
        window_kit::click(child<QPushButton>(w.get(), "start_button"));
        window_kit::click(child<QPushButton>(w.get(), "Pause_Button"));
        feed_rt(w.get(), {253, 253, 253, 253});
        auto *rt = child<QTableWidget>(w.get(), "RT_table_data");
        QTest::qWait(50);
        const QFontMetrics fm(rt->font());
        const QString date = cell_text(rt, 0, 0);
        QCOMPARE(date.size(), 19);
        int used = 0;
        for (int c = 0; c < rt->columnCount(); ++c)
            if (!rt->isColumnHidden(c))
                used += rt->columnWidth(c);
        QVERIFY2(used <= rt->viewport()->width(), qPrintable(QString("%1 > %2").arg(used).arg(rt->viewport()->width())));
        if (!one_line)
            return;
        QVERIFY2(rt->columnWidth(0) > fm.horizontalAdvance(date),
                 qPrintable(QString("%1 px for %2 px").arg(rt->columnWidth(0)).arg(fm.horizontalAdvance(date))));
        // Not the height of a wrapped row: two lines and the margins.
        QVERIFY2(rt->rowHeight(0) < 2 * fm.lineSpacing() + 8, qPrintable(QString::number(rt->rowHeight(0))));
    }

    // Start writes start_index; the clear button empties the views and writes 0.
    void start_index_and_clearing()
    {
        auto w = open_window("KQ2402");
        window_kit::click(child<QPushButton>(w.get(), "start_button"));
        window_kit::click(child<QPushButton>(w.get(), "Pause_Button"));
        auto *rt = child<QTableWidget>(w.get(), "RT_table_data");
        QVERIFY(rt->isColumnHidden(3) && rt->isColumnHidden(4) && !rt->isColumnHidden(2));
        feed_rt(w.get(), {253, 254});
        feed_rt(w.get(), {253, 254});
        window_kit::click(child<QPushButton>(w.get(), "start_button"));
        QSettings ini(m_dir->file("config.ini"), QSettings::IniFormat);
        QCOMPARE(ini.value("start_index").toInt(), 2);
        window_kit::click(child<QPushButton>(w.get(), "data_export_Button"));
        ini.sync();
        QCOMPARE(ini.value("start_index").toInt(), 0);
        QCOMPARE(rt->rowCount(), 0);
        auto *plot = child<QCustomPlot>(w.get(), "RT_plot");
        QCOMPARE(plot->graphCount(), 2);
        QCOMPARE(plot->graph(0)->data()->size(), 0);
        QCOMPARE(plot->graph(1)->data()->size(), 0);
        QVERIFY(w->frame_part()->poll_timer()->isActive());   // clearing changes no state
    }

    // A click that unchecks Upload stops polling and sends nothing, shows no
    // box, and locks the "set" box with Start and Pause unchecked; Start frees it.
    void unchecking_upload_locks_the_set_box()
    {
        auto w = open_window("KQ240");
        auto *start = child<QPushButton>(w.get(), "start_button");
        window_kit::click(start);
        QVERIFY(w->frame_part()->poll_timer()->isActive());
        auto *up = child<QPushButton>(w.get(), "upload_Button");
        up->setChecked(true);
        testkit::BoxWatcher boxes;
        QSignalSpy sent(w.get(), &KQ240_INTERFACE::HID_command);
        window_kit::click(up);
        QVERIFY(!up->isChecked());
        QTest::qWait(200);
        QCOMPARE(sent.count(), 0);
        QCOMPARE(boxes.count(), 0);
        QVERIFY(!w->frame_part()->poll_timer()->isActive());
        QVERIFY(!child<QWidget>(w.get(), "groupBox")->isEnabled());
        QVERIFY(!start->isChecked());
        QVERIFY(!child<QPushButton>(w.get(), "Pause_Button")->isChecked());
        window_kit::click(start);
        QVERIFY(child<QWidget>(w.get(), "groupBox")->isEnabled());
        QVERIFY(w->frame_part()->poll_timer()->isActive());
    }

    // Opening the port: a second call reopens, a missing port is told.
    void port_opening_is_reported()
    {
        serialsim::SerialThermometer sim;
        QVERIFY(sim.ok());
        testkit::BoxWatcher boxes;
        auto w = open_window("KQ240", sim.port_name());
        QCOMPARE(boxes.count(), 0);
        w->set_device_path(sim.port_name());
        QVERIFY(boxes.wait_for(1));
        QCOMPARE(boxes.last().title, QStringLiteral("information"));
        QCOMPARE(boxes.last().text, QStringLiteral("serial re connected"));
        auto w2 = open_window("KQ240", m_dir->file("no-such-port"));
        QVERIFY(boxes.wait_for(2));
        QCOMPARE(boxes.last().title, QStringLiteral("Error"));
        QCOMPARE(boxes.last().text, QStringLiteral("serial not existence or used by other"));
        QVERIFY(!w2->link_part()->is_open);
    }

    // The thermometer's workbook: numbers without units, a "Unit" column,
    // NULL as text, red alarm cells; read back by openpyxl.
    void exported_workbook_reads_back()
    {
        testkit::FixedClock clock(QDateTime(QDate(2024, 1, 1), QTime(12, 0, 0)));
        auto w = open_window("KQ240");
        window_kit::click(child<QPushButton>(w.get(), "start_button"));
        window_kit::click(child<QPushButton>(w.get(), "Pause_Button"));
        w->set_limit_slot({-100, 100, -100, 100, -100, 100, 0, 23});
        feed_rt(w.get(), {235, 28000, 241, 28000});     // 23.5 ℃ ... alarm on CH1
        feed_rt(w.get(), {28000, 28000, 28000, 28000});  // nothing valid
        window_kit::SaveNames names;
        names.answer = m_dir->file("kq240.xlsx");
        w->SAVE_table_Slot();
        QCOMPARE(names.proposed, QStringList{"save_upload_table.xlsx"});
        const QJsonObject d = window_kit::openpyxl_dump(m_dir->file("kq240.xlsx"));
        const QJsonObject c = d.value("cells").toObject();
        auto v = [&](const char *ref) { return c.value(ref).toObject().value("value"); };
        auto type = [&](const char *ref) { return c.value(ref).toObject().value("type").toString(); };
        auto fill = [&](const char *ref) { return c.value(ref).toObject().value("rgb").toString(); };
        QCOMPARE(v("A1").toString(), QStringLiteral("KQ240 datasheet"));
        const char *headers[] = {"Date", "CH1", "CH2", "CH3", "CH4", "Unit"};
        const char *refs[] = {"A2", "B2", "C2", "D2", "E2", "F2"};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(v(refs[i]).toString(), QString::fromLatin1(headers[i]));
        QCOMPARE(v("A3").toString(), QStringLiteral("12:00:00 2024-01-01"));
        QCOMPARE(type("B3"), QStringLiteral("n"));
        QCOMPARE(v("B3").toDouble(), 23.5);
        QCOMPARE(v("C3").toString(), QStringLiteral("NULL"));
        QCOMPARE(type("C3"), QStringLiteral("s"));
        QCOMPARE(v("D3").toDouble(), 24.1);
        QCOMPARE(v("F3").toString(), QStringLiteral("℃"));
        QVERIFY(!c.contains("F4"));                   // a row without readings has no unit
        QCOMPARE(fill("B3"), QStringLiteral("FFFF0000"));
        QCOMPARE(fill("D3"), QString());
        QCOMPARE(fill("C3"), QString());
        QCOMPARE(d.value("rows").toInt(), 4);

        // Printing the same table to PDF.
        const QString pdf = m_dir->file("kq240.pdf");
        QVERIFY(window_kit::print_preview_to_pdf([&] { w->Printf_table_Slot(); }, pdf));
        const QString text = window_kit::pdf_text(pdf);
        QVERIFY2(text.contains("KQ240 datasheet"), qPrintable(text));
        QVERIFY2(text.contains("23.5"), qPrintable(text));
        QVERIFY2(text.contains("24.1"), qPrintable(text));
        QVERIFY2(text.contains("NULL"), qPrintable(text));
    }
};

QTEST_MAIN(tst_kq240_window)
#include "tst_kq240_window.moc"
