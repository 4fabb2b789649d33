#include "KQ257_interface/kq257_interface.h"

#include "common/app_env.h"
#include "frame/model_frame.h"
#include "gauge/gaugespeed.h"
#include "general_instrument.h"
#include "hidsim.h"
#include "menu_dialog/menu_dialog.h"
#include "testkit.h"
#include "window_kit.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QJsonArray>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <cstdlib>
#include <memory>

using window_kit::cell_red;
using window_kit::cell_text;
using window_kit::child;
using window_kit::upload;

Q_DECLARE_METATYPE(QVector<quint16>)

namespace {

QQueue<quint16> words(std::initializer_list<quint16> w)
{
    QQueue<quint16> q;
    for (quint16 x : w)
        q.enqueue(x);
    return q;
}

// A real-time answer: time, temperature in 0.01 ℃, humidity in 0.01 %RH.
QQueue<quint16> reading(quint32 time, qint16 centi_c, quint16 centi_rh)
{
    return words({quint16(time & 0xFFFF), quint16(time >> 16), quint16(centi_c), centi_rh});
}

}

class tst_kq257_window : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<testkit::ProgramDir> m_dir;
    std::shared_ptr<hidsim::GeneralInstrument> m_instrument;
    std::string m_path;

    std::unique_ptr<KQ257_INTERFACE> open_window()
    {
        std::unique_ptr<KQ257_INTERFACE> w(new KQ257_INTERFACE);
        w->resize(1200, 732);
        w->set_device_path(QString::fromStdString(m_path));
        w->show();
        return w;
    }

private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        tzset();
    }
    void init()
    {
        m_dir.reset(new testkit::ProgramDir);
        hidsim::reset();
        m_instrument = std::dynamic_pointer_cast<hidsim::GeneralInstrument>(hidsim::make_model("KQ257"));
        QVERIFY(m_instrument);
        const hidsim::DeviceSpec spec = hidsim::model_device("KQ257");
        m_path = spec.path;
        hidsim::plug(spec, m_instrument);
    }
    void cleanup()
    {
        hidsim::reset();
        m_dir.reset();
    }

    // Decoding of one real-time answer in either unit.
    void decodes_realtime_answers_data()
    {
        QTest::addColumn<QVector<quint16>>("answer");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("temp");
        QTest::addColumn<QString>("humi");
        QTest::addColumn<double>("gauge");
        const QVector<quint16> base{0xF100, 0x6553, 0x09E2, 0x1194};
        QTest::newRow("celsius") << base << 0 << "22:13:20 2023-11-14" << "25.30℃" << "45.00%RH" << 25.3;
        QTest::newRow("fahrenheit") << base << 1 << "22:13:20 2023-11-14" << "77.54℉" << "45.00%RH" << 77.54;
        QTest::newRow("below zero") << QVector<quint16>{0xF100, 0x6553, 0xFF38, 0x1194} << 0 << "22:13:20 2023-11-14" << "-2.00℃" << "45.00%RH" << -2.0;
        QTest::newRow("below zero in F") << QVector<quint16>{0xF100, 0x6553, 0xFF38, 0x1194} << 1 << "22:13:20 2023-11-14" << "28.40℉" << "45.00%RH" << 28.4;
        QTest::newRow("eight words: first four") << (base + QVector<quint16>{1, 2, 3, 4}) << 0 << "22:13:20 2023-11-14" << "25.30℃" << "45.00%RH" << 25.3;
        QTest::newRow("time zero: dropped") << QVector<quint16>{0, 0, 0x09E2, 0x1194} << 0 << "" << "" << "" << 0.0;
        QTest::newRow("three words: dropped") << QVector<quint16>{0xF100, 0x6553, 0x09E2} << 0 << "" << "" << "" << 0.0;
    }
    void decodes_realtime_answers()
    {
        QFETCH(QVector<quint16>, answer);
        QFETCH(int, unit);
        QFETCH(QString, time);
        QFETCH(QString, temp);
        QFETCH(QString, humi);
        QFETCH(double, gauge);
        auto w = open_window();
        if (unit == 1)
            window_kit::click(child<QRadioButton>(w.get(), "radioButton_2"));
        QQueue<quint16> q;
        for (quint16 x : answer)
            q.enqueue(x);
        w->get_rt_data(q);
        auto *table = child<QTableWidget>(w.get(), "RT_table_data");
        if (time.isEmpty()) {
            QCOMPARE(table->rowCount(), 0);
            QCOMPARE(w->statistics.items[0].samples.size(), 0);
            return;
        }
        QCOMPARE(table->rowCount(), 1);
        QCOMPARE(cell_text(table, 0, 0), time);
        QCOMPARE(cell_text(table, 0, 1), temp);
        QCOMPARE(cell_text(table, 0, 2), humi);
        QCOMPARE(qRound(child<QWidget>(w.get(), "gunspeed")->property("value").toDouble() * 100), qRound(gauge * 100));
        // Statistics and limits work in ℃ whatever is shown.
        QCOMPARE(w->statistics.items[0].samples.value(0), double(qint16(answer[2])) * double(0.01f));
    }

    // Start polls the instrument at the interval; Pause stops it.
    void start_polls_and_pause_stops()
    {
        auto w = open_window();
        auto *frame = w->frame_part();
        QCOMPARE(frame->poll_timer()->interval(), 1000);
        QVERIFY(!frame->poll_timer()->isActive());
        window_kit::click(child<QPushButton>(w.get(), "start_button"));
        QVERIFY(frame->poll_timer()->isActive());
        auto *table = child<QTableWidget>(w.get(), "RT_table_data");
        QVERIFY(testkit::wait_until([&] { return table->rowCount() >= 2; }, 8000));
        const hidsim::Bytes poll{0x00, 0xAA, 0x55, 0x01, 0x03, 0x03};
        const auto written = hidsim::writes(m_path);
        QVERIFY(!written.empty());
        QCOMPARE(hidsim::Bytes(written.back().begin(), written.back().begin() + 6), poll);
        QVERIFY(cell_text(table, 0, 1).endsWith("℃"));

        w->set_stamp_slot(2);
        QCOMPARE(frame->poll_timer()->interval(), 2000);
        QVERIFY(frame->poll_timer()->isActive());

        window_kit::click(child<QPushButton>(w.get(), "Pause_Button"));
        QVERIFY(!frame->poll_timer()->isActive());
        QVERIFY(!child<QPushButton>(w.get(), "start_button")->isChecked());
        const size_t after_pause = hidsim::writes(m_path).size();
        QTest::qWait(2500);
        QCOMPARE(hidsim::writes(m_path).size(), after_pause);
    }

    // Upload shows "Accepting", fills the stored page and closes the box.
    void upload_fills_stored_page()
    {
        auto w = open_window();
        testkit::BoxWatcher boxes;
        upload(w.get(), boxes);
        QVERIFY(boxes.count() >= 1);
        QCOMPARE(boxes.boxes().first().text, QStringLiteral("Accepting"));
        QCOMPARE(boxes.count(), 1);
        auto *read = child<QTableWidget>(w.get(), "read_table_data");
        QCOMPARE(read->rowCount(), 30);
        QCOMPARE(child<QStackedWidget>(w.get(), "polt")->currentIndex(), 1);
        QCOMPARE(child<QStackedWidget>(w.get(), "table_data_widget")->currentIndex(), 1);
        QVERIFY(cell_text(read, 0, 1).endsWith("℃"));
        QVERIFY(cell_text(read, 0, 2).endsWith(" %RH"));
        QVERIFY(!child<QLabel>(w.get(), "MAX_T_label")->text().isEmpty());
        QVERIFY(child<QLabel>(w.get(), "MAX_T_label")->text().endsWith("℃"));
        QVERIFY(!w->frame_part()->upload_waiting());
        QVERIFY(!w->frame_part()->poll_timer()->isActive());
        // A late answer finds no box to close and still shows its records.
        w->get_save_data(reading(1700000000, 2500, 4500));
        QCOMPARE(read->rowCount(), 31);
    }

    // Unchecking Upload sends nothing and keeps the stored page; Start after
    // an upload turns both stacks back to the real-time page and polls again.
    void start_after_upload()
    {
        auto w = open_window();
        testkit::BoxWatcher boxes;
        // Polling when the upload starts: one Start click afterwards polls again.
        window_kit::click(child<QPushButton>(w.get(), "start_button"));
        QVERIFY(w->frame_part()->poll_timer()->isActive());
        upload(w.get(), boxes);
        QVERIFY(!w->frame_part()->poll_timer()->isActive());
        QCOMPARE(boxes.count(), 1);
        auto *polt = child<QStackedWidget>(w.get(), "polt");
        auto *tables = child<QStackedWidget>(w.get(), "table_data_widget");
        auto *up = child<QPushButton>(w.get(), "upload_Button");
        QVERIFY(up->isChecked());
        hidsim::clear_writes(m_path);
        window_kit::click(up);
        QVERIFY(!up->isChecked());
        QTest::qWait(300);
        QCOMPARE(boxes.count(), 1);
        QVERIFY(hidsim::writes(m_path).empty());
        QCOMPARE(polt->currentIndex(), 1);
        QCOMPARE(child<QTableWidget>(w.get(), "read_table_data")->rowCount(), 30);
        QVERIFY(child<QWidget>(w.get(), "groupBox")->isEnabled());

        window_kit::click(child<QPushButton>(w.get(), "start_button"));
        QVERIFY(child<QPushButton>(w.get(), "start_button")->isChecked());
        QCOMPARE(polt->currentIndex(), 0);
        QCOMPARE(tables->currentIndex(), 0);
        QVERIFY(w->frame_part()->poll_timer()->isActive());
        QVERIFY(testkit::wait_until([&] { return child<QTableWidget>(w.get(), "RT_table_data")->rowCount() >= 1; }, 5000));
    }

    // An upload that brings nothing closes the box and says so.
    void empty_upload_says_so()
    {
        m_instrument->set_stored_frames(0);
        auto w = open_window();
        testkit::BoxWatcher boxes;
        upload(w.get(), boxes);
        QVERIFY(boxes.wait_for(2, 5000));
        QCOMPARE(boxes.boxes()[0].text, QStringLiteral("Accepting"));
        QCOMPARE(boxes.boxes()[1].text, QStringLiteral("not receive date!"));
        QCOMPARE(child<QTableWidget>(w.get(), "read_table_data")->rowCount(), 0);
        QVERIFY(!w->frame_part()->upload_waiting());
    }

    // The menu's limits turn alarm cells red and count the alarms; the
    // temperature limit is in ℃ also while ℉ is shown.
    void menu_limits_colour_and_count_alarms()
    {
        auto w = open_window();
        testkit::SoundCounter sounds;
        Menu_dialog *menu = w->menu_part();
        child<QCheckBox>(menu, "T_checkBox")->setChecked(true);
        child<QDoubleSpinBox>(menu, "UP_alarm_data_6")->setValue(30);
        child<QDoubleSpinBox>(menu, "down_alarm_data_6")->setValue(0);
        child<QDoubleSpinBox>(menu, "UP_alarm_data_5")->setValue(50);
        child<QDoubleSpinBox>(menu, "down_alarm_data_5")->setValue(40);
        child<QDialogButtonBox>(menu, "buttonBox")->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(w->statistics.items[0].upper_limit, 30.0);
        QCOMPARE(w->statistics.items[1].lower_limit, 40.0);

        window_kit::click(child<QRadioButton>(w.get(), "radioButton_2"));
        quint32 t = 1700000000;
        w->get_rt_data(reading(t++, 3100, 4500));   // 87.80 ℉: high
        w->get_rt_data(reading(t++, 3000, 4500));   // 86.00 ℉: at the limit, none
        w->get_rt_data(reading(t++, -100, 5500));   // low temperature, high humidity
        w->get_rt_data(reading(t++, 2500, 3900));   // low humidity
        auto *table = child<QTableWidget>(w.get(), "RT_table_data");
        QCOMPARE(cell_text(table, 0, 1), QStringLiteral("87.80℉"));
        QCOMPARE(cell_text(table, 1, 1), QStringLiteral("86.00℉"));
        const bool red[4][2] = {{true, false}, {false, false}, {true, true}, {false, true}};
        for (int r = 0; r < 4; ++r) {
            QCOMPARE(cell_red(table, r, 1), red[r][0]);
            QCOMPARE(cell_red(table, r, 2), red[r][1]);
            QVERIFY(!cell_red(table, r, 0));
        }
        QCOMPARE(child<QLabel>(w.get(), "T_up_num_2")->text(), QStringLiteral("1"));
        QCOMPARE(child<QLabel>(w.get(), "T_down_num_2")->text(), QStringLiteral("1"));
        QCOMPARE(child<QLabel>(w.get(), "H_up_num_2")->text(), QStringLiteral("1"));
        QCOMPARE(child<QLabel>(w.get(), "H_down_num_2")->text(), QStringLiteral("1"));
        QCOMPARE(sounds.total(), 4);
    }

    // ℃/℉ back and forth leaves tables and graphs exactly as they were.
    void unit_switch_round_trips_without_drift()
    {
        auto w = open_window();
        const qint16 temps[] = {2530, 2531, -1, 2549};
        quint32 t = 1700000000;
        for (qint16 c : temps)
            w->get_rt_data(reading(t++, c, 4500));
        testkit::BoxWatcher boxes;
        upload(w.get(), boxes);   // stored records too
        auto *rt = child<QTableWidget>(w.get(), "RT_table_data");
        auto *read = child<QTableWidget>(w.get(), "read_table_data");
        auto *rt_plot = child<QCustomPlot>(w.get(), "RT_plot");
        auto *read_plot = child<QCustomPlot>(w.get(), "read_plot");
        QCOMPARE(rt->rowCount(), 0);   // the upload cleared the real-time page
        for (qint16 c : temps)
            w->get_rt_data(reading(t++, c, 4500));
        auto snapshot = [&] {
            QStringList s;
            for (QTableWidget *tb : {rt, read})
                for (int r = 0; r < tb->rowCount(); ++r)
                    for (int c = 0; c < 3; ++c)
                        s << cell_text(tb, r, c);
            return s;
        };
        auto values = [](QCustomPlot *p, int g) {
            QVector<double> v;
            for (auto it = p->graph(g)->data()->constBegin(); it != p->graph(g)->data()->constEnd(); ++it)
                v << it->value;
            return v;
        };
        const QStringList before = snapshot();
        const QVector<double> rt_before = values(rt_plot, 0), read_before = values(read_plot, 0);
        const QVector<double> humi_before = values(rt_plot, 1);
        QCOMPARE(rt_before.size(), 4);
        QCOMPARE(read_before.size(), 30);
        for (int i = 0; i < 3; ++i) {
            window_kit::click(child<QRadioButton>(w.get(), "radioButton_2"));
            window_kit::click(child<QRadioButton>(w.get(), "radioButton_2"));   // twice: no double conversion
            QCOMPARE(cell_text(rt, 0, 1), QStringLiteral("77.54℉"));
            QCOMPARE(values(rt_plot, 0).value(0), rt_before[0] * double(1.8f) + 32);
            QCOMPARE(values(read_plot, 0).value(5), read_before[5] * double(1.8f) + 32);
            window_kit::click(child<QRadioButton>(w.get(), "radioButton"));
        }
        QCOMPARE(snapshot(), before);
        QCOMPARE(values(rt_plot, 0), rt_before);
        QCOMPARE(values(read_plot, 0), read_before);
        QCOMPARE(values(rt_plot, 1), humi_before);
        // A new sample while ℉ is shown joins the graph in ℉ and stays right on the way back.
        window_kit::click(child<QRadioButton>(w.get(), "radioButton_2"));
        w->get_rt_data(reading(t++, 2000, 4500));
        QCOMPARE(cell_text(rt, 4, 1), QStringLiteral("68.00℉"));
        window_kit::click(child<QRadioButton>(w.get(), "radioButton"));
        QCOMPARE(cell_text(rt, 4, 1), QStringLiteral("20.00℃"));
        QCOMPARE(values(rt_plot, 0).value(4), double(2000) * double(0.01f));
    }

    // ℃ → ℉ on the real-time page (after readings) and on the stored page
    // (after an upload): table, graph, dial and statistics all in ℉; back
    // to ℃ gives the first picture again.
    void unit_switch_converts_everything_shown_data()
    {
        QTest::addColumn<bool>("stored");
        QTest::newRow("real time") << false;
        QTest::newRow("stored") << true;
    }
    void unit_switch_converts_everything_shown()
    {
        QFETCH(bool, stored);
        // Hundredths of a degree; ℉ worked out in hundredths: c × 1.8 + 32.
        const QVector<int> centi = {2530, 2000, 2250};
        auto text = [](int hundredths, const QString &unit) {
            return QStringLiteral("%1.%2").arg(hundredths / 100).arg(hundredths % 100, 2, 10, QChar('0')) + unit;
        };
        auto fahrenheit = [](int c) { return c * 18 / 10 + 3200; };
        int sum = 0;
        for (int c : centi)
            sum += c;
        const int mean = sum / int(centi.size());   // 22.60 ℃
        const quint32 t0 = 1700000000;
        hidsim::Words records;
        for (int i = 0; i < centi.size(); ++i)
            records.insert(records.end(), {quint16((t0 + i * 60) & 0xFFFF), quint16((t0 + i * 60) >> 16),
                                           quint16(centi[i]), 4500});
        auto inst = std::make_shared<hidsim::GeneralInstrument>(
            [](int) { return hidsim::Words{0xF100, 0x6553, 0x09E2, 0x1194}; },
            [records](int) { return records; }, 1);
        hidsim::reset();
        hidsim::plug(hidsim::model_device("KQ257"), inst);
        auto w = open_window();
        testkit::BoxWatcher boxes;
        if (stored) {
            upload(w.get(), boxes);
        } else {
            for (int i = 0; i < centi.size(); ++i)
                w->get_rt_data(reading(t0 + i, qint16(centi[i]), 4500));
        }
        auto *table = child<QTableWidget>(w.get(), stored ? "read_table_data" : "RT_table_data");
        auto *plot = child<QCustomPlot>(w.get(), stored ? "read_plot" : "RT_plot");
        auto *dial = child<GaugeSpeed>(w.get(), "gunspeed");
        QCOMPARE(table->rowCount(), centi.size());
        auto picture = [&] {
            QStringList p;
            for (int r = 0; r < table->rowCount(); ++r)
                p << cell_text(table, r, 1);
            for (const char *l : {"MAX_T_label", "MIN_T_label", "AVG_T_label"})
                p << child<QLabel>(w.get(), l)->text();
            if (!stored)
                p << QString::number(dial->value(), 'f', 2) + dial->unit_text();
            for (auto it = plot->graph(0)->data()->constBegin(); it != plot->graph(0)->data()->constEnd(); ++it)
                p << QString::number(it->value, 'f', 2);
            p << QString::number(plot->yAxis->range().lower, 'g', 10) << QString::number(plot->yAxis->range().upper, 'g', 10);
            return p;
        };
        auto expected = [&](bool in_f) {
            const QString unit = in_f ? QStringLiteral("℉") : QStringLiteral("℃");
            auto shown = [&](int c) { return text(in_f ? fahrenheit(c) : c, unit); };
            QStringList p;
            for (int c : centi)
                p << shown(c);
            p << shown(*std::max_element(centi.begin(), centi.end()))
              << shown(*std::min_element(centi.begin(), centi.end())) << shown(mean);
            if (!stored)
                p << shown(centi.last());
            for (int c : centi)
                p << shown(c).chopped(1);
            return p;
        };
        auto in_view = [&] {
            const QCPRange keys = plot->xAxis->range(), values = plot->yAxis->range();
            for (auto it = plot->graph(0)->data()->constBegin(); it != plot->graph(0)->data()->constEnd(); ++it)
                if (!keys.contains(it->key) || !values.contains(it->value))
                    return false;
            return true;
        };
        const QStringList first = picture();
        QCOMPARE(first.mid(0, first.size() - 2).join(" | "), expected(false).join(" | "));
        QVERIFY(in_view());
        window_kit::click(child<QRadioButton>(w.get(), "radioButton_2"));
        const QStringList in_f = picture();
        QCOMPARE(in_f.mid(0, in_f.size() - 2).join(" | "), expected(true).join(" | "));
        QVERIFY(in_view());
        window_kit::click(child<QRadioButton>(w.get(), "radioButton"));
        QCOMPARE(picture().join(" | "), first.join(" | "));
    }

    // After an upload with ℉ shown the stored table shows ℉.
    void upload_in_fahrenheit_shows_fahrenheit()
    {
        auto w = open_window();
        window_kit::click(child<QRadioButton>(w.get(), "radioButton_2"));
        testkit::BoxWatcher boxes;
        upload(w.get(), boxes);
        auto *read = child<QTableWidget>(w.get(), "read_table_data");
        QCOMPARE(read->rowCount(), 30);
        for (int r = 0; r < read->rowCount(); ++r)
            QVERIFY2(cell_text(read, r, 1).endsWith("℉"), qPrintable(cell_text(read, r, 1)));
        // Its statistics too: the extremes are cells of the table, with their unit.
        QString max, min;
        for (int r = 0; r < read->rowCount(); ++r) {
            const QString c = cell_text(read, r, 1);
            if (max.isEmpty() || c.chopped(1).toDouble() > max.chopped(1).toDouble())
                max = c;
            if (min.isEmpty() || c.chopped(1).toDouble() < min.chopped(1).toDouble())
                min = c;
        }
        QCOMPARE(child<QLabel>(w.get(), "MAX_T_label")->text(), max);
        QCOMPARE(child<QLabel>(w.get(), "MIN_T_label")->text(), min);
        QVERIFY(child<QLabel>(w.get(), "AVG_T_label")->text().endsWith("℉"));
        for (const char *l : {"MAX_H_label", "MIN_H_label", "AVG_H_label"})
            QVERIFY2(child<QLabel>(w.get(), l)->text().endsWith("%RH"), l);
    }

    // Sync sends the clock frame: UTC+8 wall time in BCD.
    void sync_sends_bcd_clock()
    {
        auto w = open_window();
        hidsim::clear_writes(m_path);
        window_kit::click(child<QPushButton>(w.get(), "sync_Button"));
        QVERIFY(hidsim::wait_for_writes(m_path, 1, 2000));
        const hidsim::Bytes f = hidsim::writes(m_path).back();
        QVERIFY(f.size() >= 13);
        QCOMPARE(int(f[0]), 0);
        QCOMPARE(int(f[1]), 0xAA);
        QCOMPARE(int(f[2]), 0x55);
        QCOMPARE(int(f[3]), 0x03);
        QCOMPARE(int(f[4]), 0x0A);
        int sum = 0;
        for (int i = 1; i < 12; ++i)
            sum += f[i];
        QCOMPARE(int(f[12]), sum & 0xFF);
        for (int i = 5; i < 12; ++i)
            QVERIFY2((f[i] >> 4) < 10 && (f[i] & 15) < 10, "not BCD");
        auto bcd = [&](int i) { return (f[i] >> 4) * 10 + (f[i] & 15); };
        const QDateTime sent(QDate(2000 + bcd(11), bcd(10), bcd(9)), QTime(bcd(7), bcd(6), bcd(5)), Qt::UTC);
        // The instrument keeps Beijing time; a PC zone named "UTC" is taken
        // for Shanghai (this test runs with TZ=UTC), so its wall time goes as is.
        const QDateTime now = QDateTime::currentDateTime();
        const QDateTime expected = QDateTime(now.date(), now.time(), Qt::UTC);
        QVERIFY2(qAbs(sent.secsTo(expected)) <= 5, qPrintable(sent.toString()));
        QCOMPARE(bcd(8), sent.date().dayOfWeek());
    }

    // Clearing empties tables and graphs and leaves the labels.
    void clear_empties_the_views()
    {
        auto w = open_window();
        quint32 t = 1700000000;
        for (int i = 0; i < 5; ++i)
            w->get_rt_data(reading(t++, 2500 + i, 4500));
        const QString max = child<QLabel>(w.get(), "MAX_T_label")->text();
        window_kit::click(child<QPushButton>(w.get(), "data_export_Button"));
        QCOMPARE(child<QTableWidget>(w.get(), "RT_table_data")->rowCount(), 0);
        QCOMPARE(child<QCustomPlot>(w.get(), "RT_plot")->graph(0)->data()->size(), 0);
        QCOMPARE(child<QCustomPlot>(w.get(), "RT_plot")->graph(1)->data()->size(), 0);
        QCOMPARE(w->frame_part()->rt_start_time, 0u);
        QCOMPARE(child<QLabel>(w.get(), "MAX_T_label")->text(), max);
        QCOMPARE(w->statistics.items[0].samples.size(), 0);
        // The next sample starts the time axis anew.
        w->get_rt_data(reading(1800000000, 2500, 4500));
        QCOMPARE(w->frame_part()->rt_start_time, 1800000000u);
    }

    // The time-span combo frames the real-time graph.
    void time_span_sets_graph_range_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("lower_offset");   // from the first sample
        const int last = 7200;
        QTest::newRow("1min") << 0 << last - 60;
        QTest::newRow("30min") << 1 << last - 1800;
        QTest::newRow("1hour") << 2 << last - 3600;
        QTest::newRow("12hour: all there is") << 3 << 0;
        QTest::newRow("ALL") << 5 << 0;
    }
    void time_span_sets_graph_range()
    {
        QFETCH(int, index);
        QFETCH(int, lower_offset);
        auto w = open_window();
        auto *combo = child<QComboBox>(w.get(), "timestamp");
        combo->setCurrentIndex(4);
        const quint32 t0 = 1700000000;
        for (int s = 0; s <= 7200; s += 60)
            w->get_rt_data(reading(t0 + s, 2500 + s % 7, 4500));
        combo->setCurrentIndex(index);
        const QCPRange r = child<QCustomPlot>(w.get(), "RT_plot")->xAxis->range();
        QCOMPARE(r.upper, double(t0 + 7200));
        QCOMPARE(r.lower, double(t0 + lower_offset));
    }

    // The language button writes config.ini, loads the other language and
    // shows the restart note.
    void language_switch_writes_config()
    {
        m_dir->write_config({{"Language", "EN"}});
        auto w = open_window();
        testkit::BoxWatcher boxes;
        window_kit::click(child<QToolButton>(w.get(), "language_Button"));
        QVERIFY(boxes.wait_for(1));
        // The note comes in the language just loaded.
        QCOMPARE(boxes.last().title, QStringLiteral("信息"));
        QCOMPARE(boxes.last().text, QStringLiteral("更改语言后需要重启软件!"));
        QSettings ini(m_dir->file("config.ini"), QSettings::IniFormat);
        QCOMPARE(ini.value("Language").toString(), QStringLiteral("CH"));
        QCOMPARE(child<QPushButton>(w.get(), "start_button")->text(), QStringLiteral("开始"));
        window_kit::click(child<QToolButton>(w.get(), "language_Button"));
        QVERIFY(boxes.wait_for(2));
        QCOMPARE(boxes.last().title, QStringLiteral("info"));
        QCOMPARE(boxes.last().text, QStringLiteral("Need to restart the software after changing the language!"));
        ini.sync();
        QCOMPARE(ini.value("Language").toString(), QStringLiteral("EN"));
        QCOMPARE(child<QPushButton>(w.get(), "start_button")->text(), QStringLiteral("Start"));
    }

    // The table export as another reader sees it: title, merged headers,
    // numbers with their units beside them, red fills on alarm cells only.
    void exported_workbook_reads_back()
    {
        auto w = open_window();
        w->set_limit_slot(30, 0, 99, 0);
        quint32 t = 1700000000;
        w->get_rt_data(reading(t++, 2530, 4520));
        w->get_rt_data(reading(t++, 3100, 4500));   // temperature alarm
        window_kit::SaveNames names;
        names.answer = m_dir->file("rt");             // no suffix: one is added
        w->SAVE_table_Slot();
        QCOMPARE(names.proposed, QStringList{"save_RT_table.xlsx"});
        const QJsonObject d = window_kit::openpyxl_dump(m_dir->file("rt.xlsx"));
        QVERIFY(!d.isEmpty());
        const QJsonObject c = d["cells"].toObject();
        auto v = [&](const char *ref) { return c.value(ref).toObject().value("value"); };
        auto type = [&](const char *ref) { return c.value(ref).toObject().value("type").toString(); };
        auto fill = [&](const char *ref) { return c.value(ref).toObject().value("rgb").toString(); };
        QCOMPARE(v("A1").toString(), QStringLiteral("WRX-4 datasheet"));
        QCOMPARE(v("A2").toString(), QStringLiteral("Date"));
        QCOMPARE(v("B2").toString(), QStringLiteral("Temp"));
        QCOMPARE(v("D2").toString(), QStringLiteral("Humi"));
        QVERIFY(!c.contains("C2"));
        QCOMPARE(d["merged"].toArray(), (QJsonArray{"B2:C2", "D2:E2"}));
        QCOMPARE(v("A3").toString(), QStringLiteral("22:13:20 2023-11-14"));
        QCOMPARE(type("A3"), QStringLiteral("s"));
        QCOMPARE(type("B3"), QStringLiteral("n"));
        QCOMPARE(v("B3").toDouble(), 25.3);
        QCOMPARE(v("C3").toString(), QStringLiteral("℃"));
        QCOMPARE(v("D3").toDouble(), 45.2);
        QCOMPARE(v("E3").toString(), QStringLiteral("%RH"));
        QCOMPARE(v("B4").toDouble(), 31.0);
        for (const char *ref : {"A3", "B3", "C3", "D3", "E3", "A4", "D4", "E4", "A1", "B2"})
            QVERIFY2(fill(ref).isEmpty(), ref);
        QCOMPARE(fill("B4"), QStringLiteral("FFFF0000"));
        QCOMPARE(fill("C4"), QStringLiteral("FFFF0000"));
        QCOMPARE(d["rows"].toInt(), 4);

        // The stored page proposes its own name and writes its rows.
        testkit::BoxWatcher boxes;
        upload(w.get(), boxes);
        names.answer = m_dir->file("stored.xlsx");
        w->SAVE_table_Slot();
        QCOMPARE(names.proposed.last(), QStringLiteral("save_upload_table.xlsx"));
        const QJsonObject s = window_kit::openpyxl_dump(m_dir->file("stored.xlsx"));
        QCOMPARE(s["rows"].toInt(), 32);
        const QJsonObject sc = s.value("cells").toObject();
        QCOMPARE(sc.value("E3").toObject().value("value").toString(), QStringLiteral("%RH"));
        QCOMPARE(sc.value("B3").toObject().value("type").toString(), QStringLiteral("n"));
    }

    // Cancelled dialogs and unwritable files are told to the operator.
    void export_failures_are_reported_data()
    {
        QTest::addColumn<bool>("table");
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("table cancelled, real time") << true << false << "" << "" << "no choose path";
        QTest::newRow("table cancelled, stored") << true << true << "" << "no choose path" << "";
        QTest::newRow("picture cancelled") << false << false << "" << "show path" << "";
        QTest::newRow("table unwritable") << true << false << "missing/dir/t.xlsx" << "warning" << "*";
        QTest::newRow("picture unwritable") << false << false << "missing/dir/p.bmp" << "warning" << "*";
        QTest::newRow("stored picture unwritable") << false << true << "missing/dir/p.bmp" << "warning" << "*";
    }
    void export_failures_are_reported()
    {
        QFETCH(bool, table);
        QFETCH(bool, stored);
        QFETCH(QString, answer);
        QFETCH(QString, title);
        QFETCH(QString, text);
        auto w = open_window();
        w->get_rt_data(reading(1700000000, 2530, 4520));
        if (stored) {
            child<QStackedWidget>(w.get(), "polt")->setCurrentIndex(1);
            child<QStackedWidget>(w.get(), "table_data_widget")->setCurrentIndex(1);
        }
        window_kit::SaveNames names;
        names.answer = answer.isEmpty() ? QString() : m_dir->file(answer);
        testkit::BoxWatcher boxes;
        if (table)
            w->SAVE_table_Slot();
        else
            w->SAVE_BMP_Slot();
        QVERIFY(boxes.wait_for(1));
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, title);
        QCOMPARE(boxes.last().icon, QMessageBox::Warning);
        if (text == QLatin1String("*"))
            QVERIFY2(boxes.last().text.contains(m_dir->file(answer)), qPrintable(boxes.last().text));
        else
            QCOMPARE(boxes.last().text, text);
    }

    // Pictures: the real-time page is the whole plot area, the stored page
    // the stored graph at five times its size.
    void picture_export()
    {
        auto w = open_window();
        w->get_rt_data(reading(1700000000, 2530, 4520));
        window_kit::SaveNames names;
        names.answer = m_dir->file("rt");
        testkit::BoxWatcher boxes;
        w->SAVE_BMP_Slot();
        QCOMPARE(names.proposed.last(), QStringLiteral("RT_data.bmp"));
        QImage rt(m_dir->file("rt.bmp"));
        QVERIFY(!rt.isNull());
        QCOMPARE(rt.size(), child<QWidget>(w.get(), "plotwidget")->size());
        child<QStackedWidget>(w.get(), "polt")->setCurrentIndex(1);
        names.answer = m_dir->file("up.bmp");
        w->SAVE_BMP_Slot();
        QCOMPARE(names.proposed.last(), QStringLiteral("upload.bmp"));
        QImage up(m_dir->file("up.bmp"));
        QCOMPARE(up.size(), child<QWidget>(w.get(), "read_plot")->size() * 5);
        QCOMPARE(boxes.count(), 0);
    }

    // Printing to PDF: the table's values in the text, alarm cells included;
    // the picture page leaves rt_temp.bmp behind.
    void printing_to_pdf()
    {
        auto w = open_window();
        w->set_limit_slot(30, 0, 99, 0);
        w->get_rt_data(reading(1700000000, 2530, 4520));
        w->get_rt_data(reading(1700000001, 3150, 4610));
        const QString pdf = m_dir->file("table.pdf");
        QVERIFY(window_kit::print_preview_to_pdf([&] { w->Printf_table_Slot(); }, pdf));
        const QString text = window_kit::pdf_text(pdf);
        QVERIFY2(text.contains("WRX-4 datasheet"), qPrintable(text));
        QVERIFY2(text.contains("25.30"), qPrintable(text));
        QVERIFY2(text.contains("31.50"), qPrintable(text));
        QVERIFY2(text.contains("46.10%RH"), qPrintable(text));
        QVERIFY2(text.contains("22:13:21 2023-11-14"), qPrintable(text));
        QVERIFY(window_kit::pdf_word_on_red(pdf, "31.50℃"));
        QVERIFY(!window_kit::pdf_word_on_red(pdf, "25.30℃"));

        const QString picture_pdf = m_dir->file("picture.pdf");
        QVERIFY(window_kit::print_preview_to_pdf([&] { w->Printf_BMP_Slot(); }, picture_pdf));
        QCOMPARE(window_kit::pdf_image_count(picture_pdf), 1);
        // Printer resolution: the picture is no wider than a landscape A4 page
        // at that resolution (a high-resolution page made it ten times wider).
        const int page_width = qRound(297 / 25.4 * QPrinter(QPrinter::PrinterResolution).resolution());
        QVERIFY2(window_kit::pdf_image_widths(picture_pdf).value(0) <= page_width,
                 qPrintable(QString::number(window_kit::pdf_image_widths(picture_pdf).value(0))));
        QVERIFY(!QImage(m_dir->file("rt_temp.bmp")).isNull());
    }

    // A picture print whose temporary file cannot be written still prints
    // the picture (from memory), without a "bmp not exist" box.
    void picture_print_without_writable_directory()
    {
        auto w = open_window();
        w->get_rt_data(reading(1700000000, 2530, 4520));
        QDir(m_dir->path()).mkdir("rt_temp.bmp");   // the name is taken by a directory
        testkit::BoxWatcher boxes;
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_dir->file("p.pdf"));
        w->KQ257_preview_BMP(&printer);
        QTest::qWait(100);
        QCOMPARE(boxes.count(), 0);
        QCOMPARE(window_kit::pdf_image_count(m_dir->file("p.pdf")), 1);
    }
};

QTEST_MAIN(tst_kq257_window)
#include "tst_kq257_window.moc"
