// The light meter window on a simulated KQ263: polling, decoding into table,
// graph, boxes and gauge, lux and fc, limits, exports, printing and the
// readings passed on to the serial debug window's port.
#include "../sound/sound_rig.h"
#include "../temp/window_kit.h"

#include "KQ263_interface/kq263_interface.h"
#include "gauge/gaugespeed.h"
#include "general_instrument.h"
#include "menu_dialog/menu_dialog.h"
#include "serialsim.h"
#include "usart_debug/usart_debug.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QtTest>
#include <qcustomplot.h>

namespace {

const std::string PATH = "sim/kq263";
const QDateTime PC_TIME(QDate(2024, 3, 5), QTime(14, 7, 9));

hidsim::Words words_of(qint32 raw)
{
    return {quint16(quint32(raw) & 0xFFFF), quint16(quint32(raw) >> 16), 0x1234};
}

// A meter answering the raw counts in turn (the last one from then on).
struct Window : rig::WindowOn<KQ263_INTERFACE, hidsim::GeneralInstrument>
{
    explicit Window(QVector<qint32> raws = {12345}, const QMap<QString, QString> &config = {})
        : WindowOn("KQ263", make(raws), PC_TIME, config)
    {
    }
    static std::shared_ptr<hidsim::GeneralInstrument> make(QVector<qint32> raws)
    {
        return std::make_shared<hidsim::GeneralInstrument>(
            [raws](int n) { return words_of(raws.at(qMin(n, raws.size() - 1))); }, nullptr, 0);
    }
    GaugeSpeed *gauge() { return get<GaugeSpeed>("gunspeed"); }
    QCPGraph *graph() { return get<QCustomPlot>("RT_plot")->graph(0); }
};

// The gauge's range as drawn: the value clamps into it.
QPair<double, double> gauge_range(GaugeSpeed *g)
{
    const double v = g->value();
    g->setValue(-1e12);
    const double lo = g->value();
    g->setValue(1e12);
    const double hi = g->value();
    g->setValue(v);
    return {lo, hi};
}

QByteArray hex(const QByteArray &b)
{
    return b.toHex(' ');
}

}

class tst_kq263_window : public QObject
{
    Q_OBJECT
private slots:
    void starts_in_lux_with_the_gauge_at_30()
    {
        Window win;
        QVERIFY(win.get<QRadioButton>("radioButton")->isChecked());
        QCOMPARE(win.gauge()->value(), 30.0);
        QCOMPARE(gauge_range(win.gauge()), qMakePair(0.0, 20000.0));
        QVERIFY(!win.w->debug_window()->isVisible());
        QCOMPARE(win.w->findChild<Menu_dialog *>()->findChild<QStackedWidget *>("stackedWidget")->currentIndex(), 2);
        QCOMPARE(win.w->windowTitle(), QString("MainWindow"));
    }

    void polling_writes_only_the_realtime_command()
    {
        Window win;
        hidsim::clear_writes(PATH);
        win.get<QPushButton>("start_button")->click();
        QVERIFY(win.frame()->poll_timer()->isActive());
        QVERIFY(!win.get<QPushButton>("Pause_Button")->isChecked());
        QVERIFY(testkit::wait_until([&] { return win.rt_table()->rowCount() >= 2; }, 5000));
        win.get<QPushButton>("Pause_Button")->click();
        QVERIFY(!win.frame()->poll_timer()->isActive());
        QVERIFY(!win.get<QPushButton>("start_button")->isChecked());
        const QStringList cmds = rig::written(PATH, 5);
        QVERIFY(cmds.size() >= 2);
        for (const QString &cmd : cmds)
            QCOMPARE(cmd, QString("aa 55 01 03 03"));
        // The unit radios talk to no instrument.
        win.get<QRadioButton>("radioButton_2")->click();
        QCOMPARE(rig::written(PATH, 5).size(), cmds.size());
    }

    void realtime_reading_data()
    {
        QTest::addColumn<qint32>("raw");
        QTest::addColumn<bool>("fc");
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("forwarded");
        QTest::addColumn<double>("gauge_min");
        QTest::addColumn<double>("gauge_max");
        QTest::addColumn<double>("needle");
        // One decimal in the table, rounded in decimal: 123.45 is 123.5, though its
        // single-precision value is 123.449997.
        QTest::newRow("123.45 lux") << 12345 << false << "123.5" << "123.45lux" << 123 << 0.0 << 1000.0
                                    << 123.44999694824219;
        QTest::newRow("123.45 lux in fc") << 12345 << true << "11.5" << "11.47fc" << 11 << 0.0 << 1831.0
                                          << 11.470000267028809;
        QTest::newRow("1000 lux") << 100000 << false << "1000.0" << "1000.00lux" << 1000 << 1000.0 << 100000.0
                                  << 1000.0;
        QTest::newRow("99.99 lux") << 9999 << false << "100.0" << "99.99lux" << 99 << 0.0 << 1000.0
                                   << 99.98999786376953;
        QTest::newRow("0.5 lux") << 50 << false << "0.5" << "0.50lux" << 0 << 0.0 << 1000.0 << 0.5;
        QTest::newRow("1.15 lux") << 115 << false << "1.2" << "1.15lux" << 1 << 0.0 << 1000.0 << double(1.15f);
        // 12000 lux is 1115.24 fc: the fc bands are chosen by fc, so the dial shows the reading.
        QTest::newRow("1115 fc") << 1200000 << true << "1115.2" << "1115.24fc" << 1115 << 0.0 << 1831.0
                                 << double(1115.24f);
        QTest::newRow("1831 fc") << 1970156 << true << "1831.0" << "1831.00fc" << 1831 << 1831.0 << 180031.0
                                 << 1831.0;
        QTest::newRow("100000 lux") << 10000000 << false << "100000.0" << "100000.00lux" << 100000 << 100000.0
                                    << 1000000.0 << 100000.0;
        QTest::newRow("200000 fc") << 215200000 << true << "200000.0" << "200000.00fc" << 200000 << 180031.0
                                   << 1800310.0 << 200000.0;
        // A negative count (signed 32 bits) truncates toward zero.
        QTest::newRow("-1.5 lux") << -150 << false << "-1.5" << "-1.50lux" << -1 << 0.0 << 1000.0 << 0.0;
    }
    void realtime_reading()
    {
        QFETCH(qint32, raw);
        QFETCH(bool, fc);
        QFETCH(QString, row);
        QFETCH(QString, box);
        QFETCH(int, forwarded);
        QFETCH(double, gauge_min);
        QFETCH(double, gauge_max);
        QFETCH(double, needle);
        Window win({raw});
        testkit::Heard sent(win.w, &KQ263_INTERFACE::USART_RX);
        if (fc)
            win.get<QRadioButton>("radioButton_2")->click();
        win.poll();
        const QString unit = fc ? "fc" : "lux";
        QTableWidget *t = win.rt_table();
        QCOMPARE(rig::text_at(t, 0, 0), PC_TIME.toString("hh:mm:ss yyyy-MM-dd"));
        QCOMPARE(rig::text_at(t, 0, 1), row);
        QCOMPARE(rig::text_at(t, 0, 2), unit);
        QCOMPARE(win.label("MAX_T_label"), box);
        QCOMPARE(win.label("MIN_T_label"), box);
        QCOMPARE(win.label("AVG_T_label"), box);
        QCOMPARE(sent.count(), 1);
        QCOMPARE(sent[0][0].toInt(), forwarded);
        QCOMPARE(gauge_range(win.gauge()), qMakePair(gauge_min, gauge_max));
        QCOMPARE(win.gauge()->value(), needle);
        QCOMPARE(win.graph()->dataCount(), 1);
        QCOMPARE(win.graph()->data()->at(0)->key, double(PC_TIME.toSecsSinceEpoch()));
        QCOMPARE(QString::number(win.graph()->data()->at(0)->value, 'f', 2) + unit, box);
        QCOMPARE(win.graph()->name(), unit);
        QCOMPARE(win.get<QCustomPlot>("RT_plot")->yAxis->label(), unit);
    }

    void example_value_in_double()
    {
        Window win;
        win.poll();
        QCOMPARE(win.graph()->data()->at(0)->value, double(123.45f));
        QCOMPARE(win.graph()->data()->at(0)->value, 123.44999694824219);
    }

    void answers_of_fewer_than_three_words_change_nothing()
    {
        auto inst = std::make_shared<hidsim::GeneralInstrument>(
            [](int) { return hidsim::Words{0x3039, 0}; }, nullptr, 0);
        rig::WindowOn<KQ263_INTERFACE, hidsim::GeneralInstrument> win("KQ263", inst, PC_TIME);
        testkit::Heard sent(win.w, &KQ263_INTERFACE::USART_RX);
        win.w->get_rt_data_cmd_slot();
        QVERIFY(testkit::wait_until([&] { return inst->realtime_answers() == 1; }, 3000));
        QTest::qWait(300);
        QCOMPARE(win.rt_table()->rowCount(), 0);
        QCOMPARE(win.get<QCustomPlot>("RT_plot")->graph(0)->dataCount(), 0);
        QCOMPARE(sent.count(), 0);
        QCOMPARE(win.label("MAX_T_label"), QString());
        QCOMPARE(win.get<GaugeSpeed>("gunspeed")->value(), 30.0);
    }

    void switching_to_fc_restarts_statistics_and_keeps_the_lux_rows()
    {
        Window win({12345, 30000, 12345});
        win.w->set_limit_slot(200, 100);   // upper, lower
        win.poll();                        // 123.45 lux: inside
        win.poll();                        // 300 lux: above
        QCOMPARE(win.label("upper_count"), QString("1"));
        QCOMPARE(win.label("MAX_T_label"), QString("300.00lux"));

        win.get<QRadioButton>("radioButton_2")->click();
        QCOMPARE(gauge_range(win.gauge()), qMakePair(0.0, 36031.0));
        // Boxes keep their text until the next reading.
        QCOMPARE(win.label("MAX_T_label"), QString("300.00lux"));

        win.poll();   // 11.47 fc: now below the same lower limit of 100
        QTableWidget *t = win.rt_table();
        QCOMPARE(t->rowCount(), 3);
        QCOMPARE(rig::text_at(t, 0, 2), QString("lux"));
        QCOMPARE(rig::text_at(t, 1, 1), QString("300.0"));
        QCOMPARE(rig::text_at(t, 2, 1), QString("11.5"));
        QCOMPARE(rig::text_at(t, 2, 2), QString("fc"));
        QCOMPARE(win.label("MAX_T_label"), QString("11.47fc"));
        QCOMPARE(win.label("AVG_T_label"), QString("11.47fc"));
        QCOMPARE(win.label("upper_count"), QString("0"));
        QCOMPARE(win.label("lower_count"), QString("1"));
        QVERIFY(window_kit::cell_red(t, 1, 1));
        QVERIFY(window_kit::cell_red(t, 2, 1));
        QCOMPARE(win.graph()->dataCount(), 3);
        QCOMPARE(win.graph()->data()->at(1)->value, 300.0);

        // Back to lux, clicked twice: each click restarts and sets the range.
        win.get<QRadioButton>("radioButton")->click();
        win.get<QRadioButton>("radioButton")->click();
        QCOMPARE(gauge_range(win.gauge()), qMakePair(0.0, 20000.0));
        win.poll();
        QCOMPARE(win.label("MAX_T_label"), QString("123.45lux"));
        QCOMPARE(win.label("lower_count"), QString("0"));
    }

    void alarms_colour_their_cells_and_sound()
    {
        testkit::SoundCounter sounds;
        Window win({12345, 50, 12345, 30000});
        win.w->set_limit_slot(200, 1);
        for (int i = 0; i < 4; ++i)
            win.poll();
        QTableWidget *t = win.rt_table();
        QCOMPARE(window_kit::cell_red(t, 0, 1), false);
        QCOMPARE(window_kit::cell_red(t, 1, 1), true);
        QCOMPARE(window_kit::cell_red(t, 2, 1), false);
        QCOMPARE(window_kit::cell_red(t, 3, 1), true);
        QCOMPARE(window_kit::cell_red(t, 3, 0), false);
        QCOMPARE(win.label("upper_count"), QString("1"));
        QCOMPARE(win.label("lower_count"), QString("1"));
        QCOMPARE(sounds.total(), 2);
        // The alarm box unchecked in the menu: limits back to none.
        win.w->threshold_reset();
        win.poll();
        QCOMPARE(window_kit::cell_red(t, 4, 1), false);
        QCOMPARE(win.label("upper_count"), QString("0"));
    }

    // Daylight is far above 65535 lux: no alarm without limits, and the
    // first reading is the minimum as well as the maximum.
    void daylight_is_no_alarm_without_limits()
    {
        testkit::SoundCounter sounds;
        Window win({10000000, 20000000, 20000000, 10000000, 20000000});
        win.poll();
        win.poll();
        QCOMPARE(win.label("MIN_T_label"), QString("100000.00lux"));
        QCOMPARE(win.label("MAX_T_label"), QString("200000.00lux"));
        win.w->threshold_reset();   // the menu's alarm box unchecked
        win.poll();
        QCOMPARE(win.label("upper_count"), QString("0"));
        QCOMPARE(sounds.total(), 0);
        for (int r = 0; r < 3; ++r)
            QVERIFY(!window_kit::cell_red(win.rt_table(), r, 1));
        win.w->set_limit_slot(150000, 110000);
        win.poll();
        win.poll();
        QCOMPARE(win.label("lower_count"), QString("1"));
        QCOMPARE(win.label("upper_count"), QString("1"));
        QCOMPARE(sounds.total(), 2);
        // Cleared, and again after a unit click: the next reading is both ends.
        win.get<QPushButton>("data_export_Button")->click();
        win.poll();
        QCOMPARE(win.label("MIN_T_label"), QString("200000.00lux"));
        win.get<QRadioButton>("radioButton")->click();
        win.poll();
        QCOMPARE(win.label("MIN_T_label"), QString("200000.00lux"));
    }

    // The menu's light page sets the limits; its alarm box unchecked lifts them.
    void limits_from_the_menu()
    {
        Window win({30000});
        auto *menu = win.w->findChild<Menu_dialog *>();
        menu->findChild<QCheckBox *>("T_checkBox")->setChecked(true);
        menu->findChild<QDoubleSpinBox *>("UP_alarm_data_7")->setValue(250);
        menu->findChild<QDoubleSpinBox *>("down_alarm_data_7")->setValue(10);
        menu->on_buttonBox_accepted();
        win.poll();
        QCOMPARE(win.label("upper_count"), QString("1"));
        QVERIFY(window_kit::cell_red(win.rt_table(), 0, 1));
        menu->findChild<QCheckBox *>("T_checkBox")->setChecked(false);
        menu->on_buttonBox_accepted();
        win.poll();
        QCOMPARE(win.label("upper_count"), QString("0"));
        QVERIFY(!window_kit::cell_red(win.rt_table(), 1, 1));
        QCOMPARE(win.frame()->poll_timer()->interval(), 1000);
    }

    void clearing_empties_table_graph_and_statistics()
    {
        Window win({12345, 30000});
        win.poll();
        win.get<QPushButton>("data_export_Button")->click();
        QCOMPARE(win.rt_table()->rowCount(), 0);
        QCOMPARE(win.graph()->dataCount(), 0);
        QCOMPARE(win.frame()->rt_start_time, 0u);
        win.poll();
        QCOMPARE(win.label("MIN_T_label"), QString("300.00lux"));
    }

    void workbook_holds_the_table_as_text()
    {
        Window win({12345, 100000, 50});
        win.w->set_limit_slot(500, 1);
        win.get<QPushButton>("start_button")->click();
        QVERIFY(testkit::wait_until([&] { return win.rt_table()->rowCount() >= 3; }, 10000));
        win.get<QPushButton>("Pause_Button")->click();
        const QString path = win.dir.file("light");
        rig::SaveNames names(path);
        win.w->SAVE_table_Slot();
        const QJsonObject sheet = window_kit::openpyxl_dump(path + ".xlsx");
        const QJsonObject cells = sheet["cells"].toObject();
        const auto value = [&](const char *c) { return cells[c].toObject()["value"].toVariant().toString(); };
        QCOMPARE(value("A1"), QString("KQ263 datasheet"));
        QCOMPARE(value("A2") + "|" + value("B2") + "|" + value("C2"), QString("Date|light value|unit"));
        QTableWidget *t = win.rt_table();
        QCOMPARE(sheet["rows"].toInt(), t->rowCount() + 2);
        for (int r = 0; r < t->rowCount(); ++r)
            for (int c = 0; c < 3; ++c) {
                const QByteArray ref = QByteArray(1, char('A' + c)) + QByteArray::number(r + 3);
                const QJsonObject cell = cells[QString::fromLatin1(ref)].toObject();
                QCOMPARE(cell["value"].toString(), t->item(r, c)->text());
                QCOMPARE(cell["type"].toString(), QString("s"));
                QCOMPARE(cell["rgb"].toString(), QString(r >= 1 && c == 1 ? "FFFF0000" : ""));
            }
        QCOMPARE(value("B4"), QString("1000.0"));
    }

    void printed_table_and_picture()
    {
        Window win({12345, 100000});
        win.w->set_limit_slot(500, 1);
        win.poll();
        win.poll();
        const QString pdf = win.dir.file("table.pdf");
        QVERIFY(window_kit::print_preview_to_pdf([&] { win.w->Printf_table_Slot(); }, pdf));
        const QString text = window_kit::pdf_text(pdf);
        QVERIFY2(text.contains("KQ263 datasheet"), qPrintable(text));
        QVERIFY(text.contains("light value"));
        QVERIFY(text.contains("123.5"));
        QVERIFY(text.contains("1000.0"));
        QCOMPARE(text.count("lux"), 2);
        QVERIFY(window_kit::pdf_word_on_red(pdf, "1000.0"));
        QVERIFY(!window_kit::pdf_word_on_red(pdf, "123.5"));

        const QString picture = win.dir.file("graph.pdf");
        QVERIFY(window_kit::print_preview_to_pdf([&] { win.w->Printf_BMP_Slot(); }, picture));
        QCOMPARE(window_kit::pdf_image_count(picture), 1);

        rig::SaveNames names(win.dir.file("graph"));
        win.w->SAVE_BMP_Slot();
        const QImage image(win.dir.file("graph.bmp"));
        QCOMPARE(image.size(), win.get<QWidget>("plotwidget")->size());
    }

    void chinese_texts_and_the_language_notice()
    {
        rig::Boxes boxes;
        Window win({12345}, {{"Language", "CH"}});
        QCOMPARE(win.get<QPushButton>("start_button")->text(), QString("开始"));
        QCOMPARE(win.get<QPushButton>("data_export_Button")->text(), QString("数据清除"));
        QCOMPARE(win.get<QCheckBox>("USART_Check")->text(), QString("串口调试"));
        QCOMPARE(win.rt_table()->horizontalHeaderItem(1)->text(), QString("照度值"));
        QCOMPARE(win.label("label"), QString("超上限"));
        QCOMPARE(win.w->debug_window()->findChild<QPushButton *>("PortOpen_btn")->text(), QString("打开"));
        win.poll();
        QCOMPARE(rig::text_at(win.rt_table(), 0, 2), QString("lux"));
        QTest::mouseClick(win.get<QToolButton>("language_Button"), Qt::LeftButton);
        QVERIFY(testkit::wait_until([&] { return boxes.count() == 1; }, 3000));
        QCOMPARE(boxes.texts(), QStringList{"info|Need to restart the software after changing the language!"});
        QCOMPARE(win.get<QPushButton>("start_button")->text(), QString("Start"));
        QCOMPARE(win.rt_table()->horizontalHeaderItem(1)->text(), QString("light value"));
    }

    // The serial debug window on a pseudo-terminal: the check box shows it
    // and lists the ports, readings go out as four bytes, unchecking closes
    // the port.
    void readings_reach_the_debug_port()
    {
        serialsim::SerialThermometer far;
        QVERIFY(far.ok());
        far.set_silent(true);
        far.install_port_list();
        Window win({12345, 12345, 100000, 12345});
        USART_DEBUG *debug = win.w->debug_window();
        auto *check = win.get<QCheckBox>("USART_Check");
        auto *ports = debug->findChild<QComboBox *>("Port_Combo");
        auto *button = debug->findChild<QPushButton *>("PortOpen_btn");

        win.poll();   // no port yet: shown, counted, not written
        QVERIFY(far.received().isEmpty());

        check->click();
        QVERIFY(debug->isVisible());
        check->click();
        QVERIFY(!debug->isVisible());
        check->click();
        QCOMPARE(ports->count(), 1);   // listed once, however often shown
        QCOMPARE(ports->currentText(), far.port_name());
        button->click();
        QCOMPARE(button->text(), QString("close"));
        QVERIFY(debug->port_open());

        win.poll();
        QVERIFY(testkit::wait_until([&] { return far.received().size() >= 4; }, 3000));
        QCOMPARE(hex(far.received()), QByteArray("7b 00 00 00"));
        far.clear_received();

        // Hidden by its own title-bar button: the port stays open.
        debug->close();
        QVERIFY(check->isChecked());
        win.poll();
        QVERIFY(testkit::wait_until([&] { return far.received().size() >= 4; }, 3000));
        QCOMPARE(hex(far.received()), QByteArray("e8 03 00 00"));
        far.clear_received();

        win.get<QRadioButton>("radioButton_2")->click();
        win.poll();
        QVERIFY(testkit::wait_until([&] { return far.received().size() >= 4; }, 3000));
        QCOMPARE(hex(far.received()), QByteArray("0b 00 00 00"));   // 11.47 fc
        far.clear_received();

        check->click();   // unchecked: port closed, window hidden
        QVERIFY(!debug->isVisible());
        QVERIFY(!debug->port_open());
        QCOMPARE(button->text(), QString("open"));
        win.poll();
        QTest::qWait(200);
        QVERIFY(far.received().isEmpty());
    }
};

QTEST_MAIN(tst_kq263_window)
#include "tst_kq263_window.moc"
