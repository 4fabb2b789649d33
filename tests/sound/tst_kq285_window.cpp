#include "sound_rig.h"

#include "KQ285_interface/kq285_interface.h"
#include "clean_data/clean_data.h"
#include "gauge/gaugespeed.h"
#include "general_instrument.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QToolButton>
#include <QTimer>
#include <QtTest>
#include <qcustomplot.h>

#include <climits>

namespace {

const std::string PATH = "sim/kq285";
const QDateTime PC_TIME(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::OffsetFromUTC, 8 * 3600);

// The meter of the examples: 2020-09-13 16:59:44 UTC, 49.5 dB, C weighting, 25.12 ℃.
hidsim::Words example_words(int)
{
    return {0x5000, 0x5F5E, 4950, 1, 2512};
}

struct Window : rig::WindowOn<KQ285_INTERFACE, hidsim::GeneralInstrument>
{
    explicit Window(hidsim::GeneralInstrument::RealtimeFn rt = example_words,
                    hidsim::GeneralInstrument::StoredFn stored = nullptr, int frames = 0,
                    const QMap<QString, QString> &config = {})
        : WindowOn("KQ285", std::make_shared<hidsim::GeneralInstrument>(rt, stored, frames), PC_TIME, config)
    {
    }
    void poll_once() { poll(); }
};

hidsim::Words stored_words(int frame)
{
    // Two records a frame: levels 655, 700+frame in tenths, weighting A/Z.
    const quint32 t = 1600000000u + quint32(frame) * 10;
    return {655, 0, quint16(t & 0xFFFF), quint16(t >> 16),
            quint16(700 + frame), 2, quint16((t + 2) & 0xFFFF), quint16((t + 2) >> 16)};
}

}

class tst_kq285_window : public QObject
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
        win.get<QPushButton>("Pause_Button")->click();
        QVERIFY(!win.frame()->poll_timer()->isActive());
    }

    void polling_interval_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("interval");
        QTest::newRow("5 s") << 5 << 5000;
        QTest::newRow("largest the menu accepts") << 2147483 << 2147483000;
        QTest::newRow("beyond an int of milliseconds") << 2147484 << INT_MAX;
        QTest::newRow("far beyond") << 2000000000 << INT_MAX;
    }
    void polling_interval()
    {
        QFETCH(int, seconds);
        QFETCH(int, interval);
        Window win;
        win.w->set_stamp_slot(seconds);
        QCOMPARE(win.frame()->poll_timer()->interval(), interval);
        QVERIFY(!win.frame()->poll_timer()->isActive());
    }

    void realtime_example_fills_table_graph_gauges()
    {
        Window win;
        win.poll_once();
        QTableWidget *t = win.rt_table();
        QCOMPARE(rig::text_at(t, 0, 0),
                 QDateTime::fromSecsSinceEpoch(0x5F5E5000).toString("hh:mm:ss yyyy-MM-dd"));
        QCOMPARE(QDateTime::fromSecsSinceEpoch(0x5F5E5000, Qt::UTC).toString(Qt::ISODate),
                 QString("2020-09-13T16:59:44Z"));
        QCOMPARE(rig::text_at(t, 0, 1), QString("49.5"));
        QCOMPARE(rig::text_at(t, 0, 2), QString("dbC"));
        QVERIFY(win.get<QRadioButton>("radioButton_2")->isChecked());
        QCOMPARE(win.label("MAX_T_label"), QString("49.50dBC"));
        QCOMPARE(win.label("MIN_T_label"), QString("49.50dBC"));
        QCOMPARE(win.label("AVG_T_label"), QString("49.50dBC"));
        QCOMPARE(win.label("upper_count"), QString("0"));
        QCOMPARE(win.get<GaugeSpeed>("gunspeed")->value(), 49.5);
        QCOMPARE(win.get<GaugeSpeed>("gunspeed_2")->value(), 25.1200008392334);
        // The graph point is placed at the PC's time, not the instrument's.
        QCPGraph *g = win.get<QCustomPlot>("RT_plot")->graph(0);
        QCOMPARE(g->dataCount(), 1);
        QCOMPARE(g->data()->at(0)->key, double(PC_TIME.toSecsSinceEpoch()));
        QCOMPARE(g->data()->at(0)->value, 49.5);
        // A weighting word from the instrument moves the radio and sends nothing.
        QVERIFY(win.inst->received(4).empty());
    }

    void weighting_words_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("radio");
        QTest::addColumn<QString>("row_unit");
        QTest::addColumn<QString>("box");
        QTest::newRow("A") << 0 << "radioButton" << "dbA" << "50.00dBA";
        QTest::newRow("Z") << 2 << "radioButton_3" << "dbZ" << "50.00dBZ";
        QTest::newRow("unknown") << 7 << "" << "" << "50.00";
    }
    void weighting_words()
    {
        QFETCH(int, code);
        QFETCH(QString, radio);
        QFETCH(QString, row_unit);
        QFETCH(QString, box);
        Window win([code](int) { return hidsim::Words{1, 0, 5000, quint16(code), 0}; });
        win.get<QRadioButton>("radioButton_2")->setChecked(true);
        win.poll_once();
        QCOMPARE(rig::text_at(win.rt_table(), 0, 2), row_unit);
        QCOMPARE(win.label("MAX_T_label"), box);
        const QString checked = radio.isEmpty() ? QString("radioButton_2") : radio;
        QVERIFY(win.get<QRadioButton>(checked.toLatin1().constData())->isChecked());
        QVERIFY(win.inst->received(4).empty());
    }

    void time_stamps_past_2038()
    {
        Window win([](int) { return hidsim::Words{0x0010, 0x8000, 5000, 0, 0}; });
        win.poll_once();
        QCOMPARE(rig::text_at(win.rt_table(), 0, 0),
                 QDateTime(QDate(2038, 1, 19), QTime(3, 14, 24), Qt::UTC).toLocalTime().toString("hh:mm:ss yyyy-MM-dd"));
    }

    void short_answer_is_ignored()
    {
        Window win([](int) { return hidsim::Words{1, 2, 3, 4}; });
        win.w->get_rt_data_cmd_slot();
        QTest::qWait(500);
        QCOMPARE(win.rt_table()->rowCount(), 0);
    }

    void weighting_click_sends_command_4_and_restarts_statistics()
    {
        Window win;
        win.poll_once();
        QCOMPARE(win.frame()->poll_timer()->isActive(), false);
        win.get<QRadioButton>("radioButton_3")->click();   // Z, while paused
        const auto frames = win.inst->received(4);
        QCOMPARE(int(frames.size()), 1);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(frames[0].data()), int(frames[0].size())).toHex(' '),
                 QByteArray("aa 55 04 05 02 00 0a"));
        // Statistics restart; boxes keep their text until the next reading.
        QCOMPARE(win.label("MAX_T_label"), QString("49.50dBC"));
        win.poll_once();
        QCOMPARE(win.frame()->poll_timer()->isActive(), false);
        QCOMPARE(win.rt_table()->rowCount(), 2);
        QCOMPARE(win.label("AVG_T_label"), QString("49.50dBC"));
    }

    void alarm_colours_only_its_cell()
    {
        testkit::SoundCounter sounds;
        int n = 0;
        Window win([&n](int) { return hidsim::Words{1, 0, quint16(n++ == 1 ? 9000 : 5000), 0, 0}; });
        win.w->set_limit_slot(80, 10);
        win.poll_once();
        win.poll_once();
        win.poll_once();
        const QBrush red(Qt::red, Qt::SolidPattern);
        QVERIFY(win.rt_table()->item(0, 1)->background() != red);
        QCOMPARE(win.rt_table()->item(1, 1)->background(), red);
        QVERIFY(win.rt_table()->item(2, 1)->background() != red);
        QCOMPARE(win.label("upper_count"), QString("1"));
        QCOMPARE(sounds.total(), 1);
    }

    void temperature_units_data()
    {
        QTest::addColumn<int>("word");
        QTest::addColumn<bool>("fahrenheit");
        QTest::addColumn<double>("gauge");
        QTest::newRow("25.12 ℃") << 2512 << false << 25.1200008392334;
        QTest::newRow("25.12 ℃ in ℉") << 2512 << true << 77.21600031280514;
        QTest::newRow("-2 ℃ held at 0") << 0xFF38 << false << 0.0;
    }
    void temperature_units()
    {
        QFETCH(int, word);
        QFETCH(bool, fahrenheit);
        QFETCH(double, gauge);
        Window win([word](int) { return hidsim::Words{1, 0, 5000, 0, quint16(word)}; });
        if (fahrenheit)
            win.get<QRadioButton>("radioButton_5")->click();
        win.poll_once();
        QCOMPARE(win.get<GaugeSpeed>("gunspeed_2")->value(), gauge);
        QCOMPARE(win.rt_table()->columnCount(), 3);   // the temperature is on the gauge only
    }

    void temperature_switch_converts_the_gauge()
    {
        Window win;
        auto *gauge = win.get<GaugeSpeed>("gunspeed_2");
        gauge->setValue(30.0);
        win.get<QRadioButton>("radioButton_5")->click();
        QCOMPARE(gauge->value(), 85.99999856948853);
        win.get<QRadioButton>("radioButton_5")->click();
        QCOMPARE(gauge->value(), 85.99999856948853);
        win.get<QRadioButton>("radioButton_4")->click();
        QCOMPARE(gauge->value(), 30.0);
        QVERIFY(win.inst->received(4).empty());
    }

    void upload_tabulates_stored_records()
    {
        rig::Boxes boxes;
        Window win(example_words, stored_words, 3);
        QMetaObject::invokeMethod(win.get<QPushButton>("upload_Button"), "click", Qt::QueuedConnection);
        QVERIFY(testkit::wait_until([&] { return win.read_table()->rowCount() == 6; }, 8000));
        QVERIFY(testkit::wait_until([&] { return !rig::waiting_box_visible(); }, 3000));
        QTableWidget *t = win.read_table();
        QCOMPARE(rig::text_at(t, 0, 0), QDateTime::fromSecsSinceEpoch(1600000000).toString("hh:mm:ss yyyy-MM-dd"));
        QCOMPARE(rig::text_at(t, 0, 1), QString("65.50"));
        QCOMPARE(rig::text_at(t, 0, 2), QString("dbA"));
        QCOMPARE(rig::text_at(t, 5, 1), QString("70.20"));
        QCOMPARE(rig::text_at(t, 5, 2), QString("dbZ"));
        QCOMPARE(rig::text_at(t, 5, 0), QDateTime::fromSecsSinceEpoch(1600000022).toString("hh:mm:ss yyyy-MM-dd"));
        QCOMPARE(win.label("MAX_T_label"), QString("70.20"));
        QCOMPARE(win.label("MIN_T_label"), QString("65.50"));
        QCOMPARE(win.get<QCustomPlot>("read_plot")->graph(0)->dataCount(), 6);
        QCOMPARE(win.get<QStackedWidget>("polt")->currentIndex(), 1);
        QVERIFY(!win.get<QGroupBox>("groupBox")->isEnabled());
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
        Window win(example_words, [words](int i) {
            hidsim::Words w = stored_words(i);
            w.resize(size_t(words));
            return w;
        }, frames);
        QMetaObject::invokeMethod(win.get<QPushButton>("upload_Button"), "click", Qt::QueuedConnection);
        QVERIFY(testkit::wait_until([&] { return boxes.texts().contains("|not receive date!"); }, 8000));
        QVERIFY(!rig::waiting_box_visible());
        QCOMPARE(win.read_table()->rowCount(), 0);
    }

    // The instrument replugged faster than a hot-plug pass, or reads that
    // keep failing with it listed: while polling, the status bar shows the
    // loss, then "connected" again, and rows come on by themselves.
    void dead_handle_shown_and_polling_resumes_data()
    {
        QTest::addColumn<bool>("blip");
        QTest::newRow("replugged within a pass") << true;
        QTest::newRow("reads keep failing") << false;
    }
    void dead_handle_shown_and_polling_resumes()
    {
        QFETCH(bool, blip);
        Window win;
        QCOMPARE(win.link_text(), QString("connected"));
        win.get<QPushButton>("start_button")->click();
        QVERIFY(testkit::wait_until([&] { return win.rt_table()->rowCount() >= 1; }, 4000));
        if (blip)
            hidsim::blip(PATH);
        else
            hidsim::set_read_fails(PATH, true);
        QVERIFY(testkit::wait_until([&] { return win.link_text() == "not connected"; }, 4000));
        if (!blip) {
            QTest::qWait(1500);
            QCOMPARE(win.link_text(), QString("not connected"));
            hidsim::set_read_fails(PATH, false);
        }
        const int rows = win.rt_table()->rowCount();
        QVERIFY(testkit::wait_until([&] { return win.link_text() == "connected"; }, 5000));
        QVERIFY(testkit::wait_until([&] { return win.rt_table()->rowCount() >= rows + 2; }, 5000));
    }

    void sync_sends_the_clock()
    {
        Window win;
        win.get<QPushButton>("sync_Button")->click();
        const auto frames = win.inst->received(3);
        QCOMPARE(int(frames.size()), 1);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(frames[0].data()), int(frames[0].size())).toHex(' '),
                 QByteArray("aa 55 03 0a 09 07 14 02 05 03 24 5e"));
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
        win.poll_once();
        rig::answer_clean_dialog<CLEAN_DATA>(tick);
        win.get<QPushButton>("data_export_Button")->click();
        QCOMPARE(win.rt_table()->rowCount(), 0);
        QCOMPARE(win.get<QCustomPlot>("RT_plot")->graph(0)->dataCount(), 0);
        QCOMPARE(int(win.inst->received(6).size()), tick ? 1 : 0);
        QCOMPARE(win.frame()->rt_start_time, 0u);
    }

    void export_matches_the_table()
    {
        int n = 0;
        Window win([&n](int) { return hidsim::Words{quint16(n), 0x5F5E, quint16(n++ == 1 ? 9000 : 4950), 1, 0}; });
        win.w->set_limit_slot(80, 10);
        win.poll_once();
        win.poll_once();
        win.poll_once();
        const QString path = win.dir.file("rt");
        rig::SaveNames names(path);
        win.w->SAVE_table_Slot();
        const QJsonObject sheet = rig::read_xlsx(path + ".xlsx");   // the suffix is added
        rig::compare_sheet(sheet, win.rt_table(), "KQ285 datasheet");
        const QJsonObject fills = sheet["fills"].toObject();
        QCOMPARE(fills.keys(), QStringList{"B4"});
        QCOMPARE(fills["B4"].toString(), QString("FFFF0000"));
    }

    void export_to_an_unwritable_place_warns()
    {
        rig::Boxes boxes;
        Window win;
        win.poll_once();
        rig::SaveNames names("/nonexistent/dir/table.xlsx");
        win.w->SAVE_table_Slot();
        rig::SaveNames pictures("/nonexistent/dir/graph.bmp");
        win.w->SAVE_BMP_Slot();
        QVERIFY(testkit::wait_until([&] { return boxes.count() == 2; }, 3000));
        for (const testkit::BoxRecord &b : boxes.boxes())
            QCOMPARE(b.icon, QMessageBox::Warning);
    }

    void picture_export()
    {
        Window win;
        win.poll_once();
        rig::SaveNames names(win.dir.file("graph.bmp"));
        win.w->SAVE_BMP_Slot();
        QImage image(win.dir.file("graph.bmp"));
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), win.get<QWidget>("plotwidget")->size());
    }

    void language_notice_is_titled_note()
    {
        rig::Boxes boxes;
        Window win(example_words, nullptr, 0, {{"Language", "CH"}});
        QCOMPARE(win.get<QPushButton>("start_button")->text(), QString("开始"));
        QTest::mouseClick(win.get<QToolButton>("language_Button"), Qt::LeftButton);
        QVERIFY(testkit::wait_until([&] { return boxes.count() == 1; }, 3000));
        // Back to English at once, the notice included.
        QCOMPARE(boxes.texts(), QStringList{"Note|Need to restart the software after changing the language!"});
        QCOMPARE(win.get<QPushButton>("start_button")->text(), QString("Start"));
        QCOMPARE(win.frame()->settings()->value("Language").toString(), QString("EN"));
    }

    // "Frequency weighting" does not fit its column in the narrow frame: the
    // header wraps it onto a second line rather than cutting it off.
    void header_texts_are_not_cut_off()
    {
        Window win;
        win.w->resize(1321, 787);
        QHeaderView *header = win.rt_table()->horizontalHeader();
        const auto short_by = [header] {
            const QFontMetrics fm(header->font());
            QString out;
            for (int c = 0; c < header->count(); ++c) {
                const QString text = header->model()->headerData(c, Qt::Horizontal).toString();
                const QRect need = fm.boundingRect(QRect(0, 0, header->sectionSize(c) - 8, 1000),
                                                   Qt::AlignCenter | Qt::TextWordWrap, text);
                if (need.height() > header->height())
                    out += QString("%1 needs %2 px, has %3; ").arg(text).arg(need.height()).arg(header->height());
            }
            return out;
        };
        testkit::wait_until([&] { return short_by().isEmpty(); }, 2000);
        QVERIFY2(short_by().isEmpty(), qPrintable(short_by()));
        QVERIFY(header->sectionSize(2) < QFontMetrics(header->font()).horizontalAdvance("Frequency weighting"));
    }

    void printed_table_shows_the_values()
    {
        Window win;
        win.poll_once();
        win.poll_once();
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(win.dir.file("table.pdf"));
        win.w->KQ285_preview_table(&printer);
        const QString text = rig::pdf_text(win.dir.file("table.pdf"));
        QVERIFY2(text.contains("KQ285 datasheet"), qPrintable(text));
        QCOMPARE(text.count("49.5"), 2);
        QCOMPARE(text.count("dbC"), 2);
        QVERIFY(text.contains("Frequency weighting"));
    }
};

QTEST_MAIN(tst_kq285_window)
#include "tst_kq285_window.moc"
