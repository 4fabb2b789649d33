#include "sound_rig.h"

#include "KQ291_interface/kq291_interface.h"
#include "mainwindow.h"
#include "clean_data/clean_data.h"
#include "gauge/gaugespeed.h"
#include "model_kq291.h"
#include "save_data_index/save_data_index.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimeZone>
#include <QtTest>
#include <qcustomplot.h>

#include <ctime>

namespace {

using Block = hidsim::Kq291Instrument::Block;
const std::string PATH = "sim/kq291";
const QDateTime PC_TIME(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::OffsetFromUTC, 8 * 3600);

struct Window : rig::WindowOn<KQ291_INTERFACE, hidsim::Kq291Instrument>
{
    Window() : WindowOn("KQ291", std::make_shared<hidsim::Kq291Instrument>(), PC_TIME) {}

    void poll_once(quint16 tenths)
    {
        inst->set_level(tenths);
        poll();
    }

    // Upload: waits for the date list, then chooses `date` (none: cancels).
    // Returns the dates offered.
    QStringList upload(const QString &date)
    {
        hidsim::clear_writes(PATH);
        get<QPushButton>("upload_Button")->setChecked(false);   // still checked by an earlier upload
        QMetaObject::invokeMethod(get<QPushButton>("upload_Button"), "click", Qt::QueuedConnection);
        auto *dialog = rig::wait_for_dialog<SAVE_DATA_INDEX>();
        if (!dialog)
            return {};
        auto *list = dialog->findChild<QListWidget *>("listWidget");
        QStringList offered;
        for (int i = 0; i < list->count(); ++i)
            offered << list->item(i)->text();
        auto *buttons = dialog->findChild<QDialogButtonBox *>("buttonBox");
        if (date.isEmpty()) {
            buttons->button(QDialogButtonBox::Cancel)->click();
            return offered;
        }
        const auto found = list->findItems(date, Qt::MatchExactly);
        if (!found.isEmpty())
            list->setCurrentItem(found.first());
        QMetaObject::invokeMethod(buttons->button(QDialogButtonBox::Ok), "click", Qt::QueuedConnection);
        return offered;
    }
};

QString local(const QDateTime &t)
{
    return t.toLocalTime().toString("hh:mm:ss yyyy-MM-dd");
}

QDateTime instrument_time(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(2000 + y, mo, d), QTime(h, mi, s), Qt::OffsetFromUTC, 8 * 3600);
}

}

class tst_kq291_window : public QObject
{
    Q_OBJECT
private slots:
    // A zone that is not UTC under any name: the instrument's UTC+8 wall
    // time is moved into it (a UTC PC is tested by tst_kq291_zone_names).
    void initTestCase()
    {
        qputenv("TZ", "Europe/Berlin");
        tzset();
    }

    void polling_writes_b3()
    {
        Window win;
        hidsim::clear_writes(PATH);
        win.get<QPushButton>("start_button")->click();
        QCOMPARE(win.frame()->poll_timer()->interval(), 1000);
        QVERIFY(testkit::wait_until([] { return hidsim::writes(PATH).size() >= 2; }, 5000));
        win.get<QPushButton>("Pause_Button")->click();
        for (const QString &cmd : rig::written(PATH, 2))
            QCOMPARE(cmd, QString("b3 00"));
        QVERIFY(testkit::wait_until([&] { return win.rt_table()->rowCount() >= 2; }, 3000));
    }

    // Replugged faster than a hot-plug pass while polling: the status bar
    // shows the loss, then "connected", and rows come on by themselves.
    void replug_within_a_pass_shown_and_polling_resumes()
    {
        Window win;
        QCOMPARE(win.link_text(), QString("connected"));
        win.get<QPushButton>("start_button")->click();
        QVERIFY(testkit::wait_until([&] { return win.rt_table()->rowCount() >= 1; }, 4000));
        hidsim::blip(PATH);
        QVERIFY(testkit::wait_until([&] { return win.link_text() == "not connected"; }, 4000));
        const int rows = win.rt_table()->rowCount();
        QVERIFY(testkit::wait_until([&] { return win.link_text() == "connected"; }, 5000));
        QVERIFY(testkit::wait_until([&] { return win.rt_table()->rowCount() >= rows + 2; }, 5000));
    }

    void realtime_levels_data()
    {
        QTest::addColumn<int>("word");
        QTest::addColumn<QString>("cell");
        QTest::addColumn<double>("gauge");
        QTest::addColumn<QString>("max");
        QTest::newRow("52.3") << 523 << "52.3" << 52.29999923706055 << "52.30dBA";
        QTest::newRow("zero") << 0 << "0.0" << 30.0 << "0.00dBA";
        QTest::newRow("largest") << 65535 << "6553.5" << 130.0 << "6553.50dBA";
    }
    void realtime_levels()
    {
        QFETCH(int, word);
        QFETCH(QString, cell);
        QFETCH(double, gauge);
        QFETCH(QString, max);
        Window win;
        win.poll_once(quint16(word));
        QCOMPARE(rig::text_at(win.rt_table(), 0, 0), local(PC_TIME));
        QCOMPARE(rig::text_at(win.rt_table(), 0, 1), cell);
        QCOMPARE(rig::text_at(win.rt_table(), 0, 2), QString("dbA"));
        QCOMPARE(win.get<GaugeSpeed>("gunspeed")->value(), gauge);
        QCOMPARE(win.label("MAX_T_label"), max);
        QCPGraph *g = win.get<QCustomPlot>("RT_plot")->graph(0);
        QCOMPARE(g->dataCount(), 1);
        QCOMPARE(g->data()->at(0)->key, double(PC_TIME.toSecsSinceEpoch()));
        // One point: the time axis is centred on it, not stretched back to 1970.
        const QCPRange x = win.get<QCustomPlot>("RT_plot")->xAxis->range();
        QVERIFY(x.contains(double(PC_TIME.toSecsSinceEpoch())));
        QVERIFY(x.size() <= 1.0);
    }

    // "1min": from the first reading until 60 s have passed, then the last 60 s.
    void time_span_follows_the_pc_clock()
    {
        Window win;
        const double t0 = double(PC_TIME.toSecsSinceEpoch());
        QCustomPlot *plot = win.get<QCustomPlot>("RT_plot");
        win.poll_once(500);
        win.clock.set(PC_TIME.addSecs(30));
        win.poll_once(510);
        QCOMPARE(plot->xAxis->range().lower, t0);
        QCOMPARE(plot->xAxis->range().upper, t0 + 30);
        win.clock.set(PC_TIME.addSecs(90));
        win.poll_once(520);
        QCOMPARE(plot->xAxis->range().lower, t0 + 30);
        QCOMPARE(plot->xAxis->range().upper, t0 + 90);
        // "ALL" reframes on the last point, not on the PC clock.
        win.clock.set(PC_TIME.addSecs(500));
        win.get<QComboBox>("timestamp")->setCurrentIndex(5);
        QCOMPARE(plot->xAxis->range().lower, t0);
        QCOMPARE(plot->xAxis->range().upper, t0 + 90);
        // The value axis is at least 1 wide.
        QVERIFY(plot->yAxis->range().size() >= 1.0);
    }

    void alarm_above_the_upper_limit()
    {
        testkit::SoundCounter sounds;
        Window win;
        win.w->set_limit_slot(100, 0);
        win.poll_once(523);
        win.poll_once(65535);
        const QBrush red(Qt::red, Qt::SolidPattern);
        QVERIFY(win.rt_table()->item(0, 1)->background() != red);
        QCOMPARE(win.rt_table()->item(1, 1)->background(), red);
        QCOMPARE(win.label("upper_count"), QString("1"));
        QCOMPARE(win.label("lower_count"), QString("0"));
        QCOMPARE(sounds.count(DATA_STATISTICS::HIGH_SOUND), 1);
    }

    void upload_by_date()
    {
        rig::Boxes boxes;
        Window win;
        const QStringList offered = win.upload("24-03-07");
        QCOMPARE(offered, (QStringList{"24-03-05", "24-03-06", "24-03-07"}));
        QVERIFY(testkit::wait_until([&] { return win.read_table()->rowCount() == 140; }, 8000));
        QVERIFY(testkit::wait_until([&] { return !rig::waiting_box_visible(); }, 3000));
        const QStringList w = rig::written(PATH, 9);
        QCOMPARE(w.at(0).left(2), QString("b5"));
        QCOMPARE(w.at(1).left(2), QString("b4"));
        QCOMPARE(w.at(2), QString("c4 00 00 00 17 00 00 00 19"));
        QTableWidget *t = win.read_table();
        QCOMPARE(rig::text_at(t, 0, 0), local(instrument_time(24, 3, 7, 8, 0, 0)));
        QCOMPARE(rig::text_at(t, 0, 1), QString("60.00"));
        QCOMPARE(rig::text_at(t, 0, 2), QString("dbA"));
        QCOMPARE(rig::text_at(t, 1, 0), local(instrument_time(24, 3, 7, 8, 0, 2)));
        QCOMPARE(rig::text_at(t, 139, 0), local(instrument_time(24, 3, 7, 8, 4, 38)));
        QCOMPARE(rig::text_at(t, 139, 1), QString("62.10"));
        QCOMPARE(win.label("MAX_T_label"), QString("66.00"));
        QCOMPARE(win.label("MIN_T_label"), QString("60.00"));
        QCOMPARE(win.label("upper_count"), QString("0"));
        QCOMPARE(win.get<QCustomPlot>("read_plot")->graph(0)->dataCount(), 140);
        QCOMPARE(win.get<QStackedWidget>("polt")->currentIndex(), 1);
        QVERIFY(!win.get<QGroupBox>("groupBox")->isEnabled());
        QVERIFY(boxes.texts().isEmpty());
    }

    // Blocks out of time order, a date in two runs, an equal time in two blocks.
    void stored_records_in_time_order()
    {
        rig::Boxes boxes;
        Window win;
        win.inst->set_blocks({
            Block{24, 3, 1, 9, 0, 0, {100}},
            Block{24, 3, 2, 10, 0, 0, {300, 301}},   // positions 2, 3 and 5 are 24-03-02
            Block{24, 3, 2, 9, 0, 0, {200, 201}},
            Block{24, 3, 3, 9, 0, 0, {400}},
            Block{24, 3, 2, 9, 0, 2, {250}},         // the same instant as the 2nd sample above
        });
        QCOMPARE(win.upload("24-03-02"), (QStringList{"24-03-01", "24-03-02", "24-03-03"}));
        QVERIFY(testkit::wait_until([&] { return win.read_table()->rowCount() == 5; }, 8000));
        QCOMPARE(rig::written(PATH, 9).last(), QString("c4 00 00 00 02 00 00 00 05"));
        QTableWidget *t = win.read_table();
        const QStringList expected_times = {
            local(instrument_time(24, 3, 2, 9, 0, 0)), local(instrument_time(24, 3, 2, 9, 0, 2)),
            local(instrument_time(24, 3, 2, 10, 0, 0)), local(instrument_time(24, 3, 2, 10, 0, 2)),
            local(instrument_time(24, 3, 3, 9, 0, 0))};
        const QStringList expected_values = {"20.00", "25.00", "30.00", "30.10", "40.00"};
        for (int r = 0; r < 5; ++r) {
            QCOMPARE(rig::text_at(t, r, 0), expected_times[r]);
            QCOMPARE(rig::text_at(t, r, 1), expected_values[r]);
        }
    }

    void upload_without_answer_says_so()
    {
        rig::Boxes boxes;
        Window win;
        win.inst->set_count_silent(true);
        QMetaObject::invokeMethod(win.get<QPushButton>("upload_Button"), "click", Qt::QueuedConnection);
        QVERIFY(testkit::wait_until([&] { return boxes.texts().contains("|not receive date!"); }, 8000));
        QVERIFY(!rig::waiting_box_visible());
        QCOMPARE(win.read_table()->rowCount(), 0);
        QVERIFY(!win.get<QGroupBox>("groupBox")->isEnabled());
    }

    void upload_while_unplugged_says_so()
    {
        rig::Boxes boxes;
        Window win;
        hidsim::unplug(PATH);
        QVERIFY(testkit::wait_until([&] { return win.link_text() == "not connected"; }, 3000));
        QMetaObject::invokeMethod(win.get<QPushButton>("upload_Button"), "click", Qt::QueuedConnection);
        QVERIFY(testkit::wait_until([&] { return boxes.texts().contains("|not receive date!"); }, 8000));
        QVERIFY(!rig::waiting_box_visible());
    }

    // Unplugged while the date list is shown: the range request cannot go
    // out, and the waiting box ends with the unanswered upload's message.
    void range_request_while_unplugged_says_so()
    {
        rig::Boxes boxes;
        Window win;
        QMetaObject::invokeMethod(win.get<QPushButton>("upload_Button"), "click", Qt::QueuedConnection);
        auto *dialog = rig::wait_for_dialog<SAVE_DATA_INDEX>();
        QVERIFY(dialog);
        hidsim::unplug(PATH);
        QVERIFY(testkit::wait_until([&] { return win.link_text() == "not connected"; }, 3000));
        hidsim::clear_writes(PATH);
        auto *list = dialog->findChild<QListWidget *>("listWidget");
        list->setCurrentItem(list->item(0));
        QMetaObject::invokeMethod(dialog->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Ok),
                                  "click", Qt::QueuedConnection);
        QVERIFY(testkit::wait_until([&] { return boxes.texts().contains("|not receive date!"); }, 5000));
        QVERIFY(testkit::wait_until([&] { return !rig::waiting_box_visible(); }, 1000));
        QVERIFY(hidsim::writes(PATH).empty());
        QCOMPARE(win.read_table()->rowCount(), 0);
    }

    void cancel_and_empty_range()
    {
        rig::Boxes boxes;
        Window win;
        QCOMPARE(win.upload(QString()).size(), 3);   // cancelled: nothing requested
        QTest::qWait(300);
        QCOMPARE(rig::written(PATH, 1), (QStringList{"b5", "b4"}));
        // A range the instrument has no records for.
        win.inst->set_blocks({Block{24, 3, 1, 9, 0, 0, {}}});
        QCOMPARE(win.upload("24-03-01"), QStringList{"24-03-01"});
        const bool said = testkit::wait_until([&] { return boxes.texts().contains("|not receive date!"); }, 8000);
        QVERIFY2(said, qPrintable(boxes.texts().join(",") + " / " + rig::written(PATH, 9).join(",")));
        QCOMPARE(win.read_table()->rowCount(), 0);
    }

    void sync_writes_the_bcd_clock()
    {
        rig::Boxes boxes;
        Window win;
        hidsim::clear_writes(PATH);
        win.get<QPushButton>("sync_Button")->click();
        QCOMPARE(rig::written(PATH, 8), (QStringList{"7c 09 07 14 05 03 24 00"}));
        QCOMPARE(boxes.texts(), (QStringList{"info|save success!"}));
        // A write that fails is not reported as a success.
        boxes.clear();
        hidsim::set_write_fails(PATH, true);
        win.get<QPushButton>("sync_Button")->click();
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().icon, QMessageBox::Warning);
        QVERIFY(!boxes.texts().join(",").contains("save success!"));
        QCOMPARE(rig::written(PATH, 8).size(), 1);   // only the first clock arrived
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
        win.poll_once(523);
        hidsim::clear_writes(PATH);
        rig::answer_clean_dialog<CLEAN_DATA>(tick);
        win.get<QPushButton>("data_export_Button")->click();
        QCOMPARE(rig::written(PATH, 1), tick ? QStringList{"8f"} : QStringList{});
        QCOMPARE(win.rt_table()->rowCount(), 0);
        QCOMPARE(win.get<QCustomPlot>("RT_plot")->graph(0)->dataCount(), 0);
        QCOMPARE(win.label("MAX_T_label"), QString("52.30dBA"));   // kept until the next reading
    }

    void weighting_is_fixed()
    {
        Window win;
        auto *a = win.get<QRadioButton>("radioButton");
        QVERIFY(a->isChecked());
        QVERIFY(!a->isEnabled());
        QVERIFY(!win.get<QRadioButton>("radioButton_2"));
    }

    void stored_export_and_print()
    {
        rig::Boxes boxes;
        Window win;
        win.w->set_limit_slot(55, 0);
        win.upload("24-03-05");
        QVERIFY(testkit::wait_until([&] { return win.read_table()->rowCount() == 600; }, 8000));
        QVERIFY(testkit::wait_until([&] { return !rig::waiting_box_visible(); }, 3000));
        const QString path = win.dir.file("stored.xlsx");
        rig::SaveNames names(path);
        win.w->SAVE_table_Slot();
        const QJsonObject sheet = rig::read_xlsx(path);
        rig::compare_sheet(sheet, win.read_table(), "KQ291 datasheet");
        QVERIFY(sheet["fills"].toObject().isEmpty());   // stored values are never coloured

        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(win.dir.file("stored.pdf"));
        win.w->KQ291_preview_table(&printer);
        const QString text = rig::pdf_text(win.dir.file("stored.pdf"));
        QVERIFY(text.contains("KQ291 datasheet"));
        QVERIFY(text.contains(rig::text_at(win.read_table(), 0, 0)));
        QVERIFY(text.contains("40.00"));
        QVERIFY(text.contains("46.80"));
        QCOMPARE(text.count("dbA"), 600);
    }

    // The start window's dispatcher opens a working window on the device path.
    void opened_by_the_start_window()
    {
        testkit::ProgramDir dir;
        hidsim::reset();
        auto inst = std::make_shared<hidsim::Kq291Instrument>();
        hidsim::plug(hidsim::model_device("KQ291"), inst);
        MainWindow start;
        start.show();
        start.ui_init(QStringLiteral("KQ291 噪音计"), QString::fromStdString(PATH));
        KQ291_INTERFACE *w = nullptr;
        for (QWidget *t : QApplication::topLevelWidgets())
            if (auto *k = qobject_cast<KQ291_INTERFACE *>(t))
                w = k->isVisible() ? k : w;
        QVERIFY(w);
        QVERIFY(!start.isVisible());
        bool connected = false;
        for (QLabel *l : w->statusBar()->findChildren<QLabel *>())
            connected = connected || l->text() == "connected";
        QVERIFY(connected);
        w->get_rt_data_cmd_slot();
        auto *table = w->findChild<QTableWidget *>("RT_table_data");
        QVERIFY(testkit::wait_until([&] { return table->rowCount() == 1; }, 4000));
        QCOMPARE(table->item(0, 1)->text(), QString("52.3"));
    }

    void chinese_texts()
    {
        testkit::ProgramDir dir;
        dir.write_config({{"Language", "CH"}});
        KQ291_INTERFACE w;
        QCOMPARE(w.findChild<QPushButton *>("start_button")->text(), QString("开始"));
        QCOMPARE(w.findChild<QTableWidget *>("read_table_data")->horizontalHeaderItem(1)->text(), QString("分贝值"));
    }

    void printed_picture()
    {
        Window win;
        win.poll_once(523);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(win.dir.file("picture.pdf"));
        win.w->KQ291_preview_BMP(&printer);
        QVERIFY(QFileInfo(win.dir.file("picture.pdf")).size() > 1000);
        // The picture printed is the graph area as shown, kept as rt_temp.bmp.
        QCOMPARE(QImage(win.dir.file("rt_temp.bmp")).size(), win.get<QWidget>("plotwidget")->size());
    }

    void cancelled_picture_dialog()
    {
        rig::Boxes boxes;
        Window win;
        frame::ModelFrame::set_save_name_hook([](const QString &, const QString &) { return QString(); });
        win.w->SAVE_BMP_Slot();
        frame::ModelFrame::set_save_name_hook(nullptr);
        QCOMPARE(boxes.texts(), (QStringList{"show path|no file choosed"}));
    }
};

QTEST_MAIN(tst_kq291_window)
#include "tst_kq291_window.moc"
