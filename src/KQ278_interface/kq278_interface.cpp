#include "KQ278_interface/kq278_interface.h"
#include "ui_kq278_interface.h"

#include "KQ278_interface/kq278_words.h"
#include "common/app_env.h"
#include "frame/hid_window.h"
#include "frame/model_frame.h"
#include "frame/series.h"
#include "menu_dialog/menu_dialog.h"
#include "save_data_index/save_data_index.h"
#include "frame/hid_link.h"
#include "usb_help/hid_interdace.h"

#include <QDebug>

namespace {

const QString TITLE = QStringLiteral("WVT-8");

quint32 pc_seconds()
{
    return quint32(app_env::now().toSecsSinceEpoch());
}

// An instrument time of 0 means none: the PC's clock stands in.
quint32 or_pc_time(quint32 time)
{
    return time != 0 ? time : pc_seconds();
}

}

KQ278_INTERFACE::KQ278_INTERFACE(QWidget *parent)
    : QMainWindow(parent), ui(new Ui::KQ278_INTERFACE)
{
    ui->setupUi(this);

    frame::Config config;
    config.model_title = TITLE;
    config.style_whole_application = true;
    config.notice_title = "info";
    config.preview_bmp_slot = SLOT(KQ278_preview_BMP(QPrinter*));
    config.preview_table_slot = SLOT(KQ278_preview_table(QPrinter*));
    frame::Hooks hooks;
    hooks.retranslate = [this] { ui->retranslateUi(this); };
    hooks.send_command = [this](int cmd) { emit HID_write_cmd(cmd); };
    hooks.clear_model = [this] {
        save_count = 0;
        statistics.reset_all();
    };
    hooks.fill_workbook = [](workbook::Writer &w, const QTableWidget *table, bool stored) {
        if (stored)
            frame::write_text_layout(w, table, TITLE, false);
        else
            kq278::write_split_layout(w, table, TITLE);
    };
    frame = new frame::ModelFrame(this, config, hooks);
    frame->base_init();

    link = frame::make_hid_link(this);
    link->set_device_name(QStringLiteral("KQ278"));
    // The record-index dialog's waiting box serves the upload.
    index_dialog = new SAVE_DATA_INDEX(nullptr);
    connect(link, &HID_INTERDACE::get_save_data_index, index_dialog, &SAVE_DATA_INDEX::get_save_data_index);
    connect(index_dialog, SIGNAL(HID_write_cmd(int,int,int)), link, SLOT(HID_interface_cmd(int,int,int)));
    connect(link, &HID_INTERDACE::not_get_any_data, index_dialog, &SAVE_DATA_INDEX::hide_widget);
    link->start(QThread::InheritPriority);

    KQ278_plot_widget_init(ui->RT_plot, true, tr("speed"), QString());
    KQ278_plot_widget_init(ui->read_plot, false, tr("speed"), QString());
    rt_data = frame->add_series(ui->RT_plot, 0);
    save_data = frame->add_series(ui->read_plot, 0);
    ui->RT_plot->replot(QCustomPlot::rpRefreshHint);
    save_count = 0;
    frame::ModelFrame::fit_date_column(ui->RT_table_data);
    frame::ModelFrame::fit_date_column(ui->read_table_data);
    frame::ModelFrame::wrap_header(ui->RT_table_data);

    ui->gunspeed->setValue(0);
    ui->gunspeed->setRange(kq278::gauge_max(0), 0);
    ui->gunspeed->setTitle(tr("speed:"));
    ui->gunspeed->setUnit(tr("m/s"));
    ui->gunspeed_2->setValue(0);
    ui->gunspeed_2->setRange(80, 0);
    ui->gunspeed_2->setTitle(tr("temp:"));
    ui->gunspeed_2->setUnit(tr("℃"));

    statistics.add_channel();   // 0: real time, in the selected unit
    statistics.add_channel();   // 1: stored records, in m/s

    menu_dialog = new Menu_dialog(this);
    menu_dialog->set_page(3);
    connect(menu_dialog, &Menu_dialog::send_stamp, this, &KQ278_INTERFACE::set_stamp_slot);
    connect(menu_dialog, &Menu_dialog::send_T_reset, this, &KQ278_INTERFACE::threshold_reset);
    connect(menu_dialog, QOverload<float, float>::of(&Menu_dialog::send_limit_signal), this,
            &KQ278_INTERFACE::set_limit_slot);

    ui->sync_Button->hide();
    ui->radioButton->setChecked(true);
}

KQ278_INTERFACE::~KQ278_INTERFACE()
{
    delete ui;
    delete link;
    delete index_dialog;
}

void KQ278_INTERFACE::set_device_path(QString path)
{
    qDebug() << "set_device_path" << path;
    link->hid_connect(path);
}

// ------------------------------------------------------------------ frame

void KQ278_INTERFACE::status_reflash() { frame->status_reflash(); }
void KQ278_INTERFACE::device_status_update(int status) { frame->device_status_update(status); }
void KQ278_INTERFACE::get_rt_data_cmd_slot() { emit HID_write_cmd(1); }
void KQ278_INTERFACE::on_start_button_clicked(bool checked) { frame->start(checked); }
void KQ278_INTERFACE::on_start_button_clicked() {}
void KQ278_INTERFACE::on_Pause_Button_clicked() { frame->pause(); }
void KQ278_INTERFACE::on_language_Button_released() { frame->language_switch(); }
void KQ278_INTERFACE::on_language_Button_clicked() {}
void KQ278_INTERFACE::on_meun_Button_clicked() { frame->run_menu(menu_dialog); }
void KQ278_INTERFACE::on_File_Button_clicked() { frame->open_file_dialog(); }
void KQ278_INTERFACE::on_printing_Button_clicked() { frame->open_print_dialog(); }
void KQ278_INTERFACE::on_help_Button_clicked() { frame->open_help(); }
void KQ278_INTERFACE::on_timestamp_currentIndexChanged(int) { frame->time_span_changed(); }
void KQ278_INTERFACE::set_stamp_slot(int time_stamp) { frame->set_stamp(time_stamp); }
void KQ278_INTERFACE::threshold_reset() { statistics.reset_limit(); }
void KQ278_INTERFACE::receive_data_over() { index_dialog->close_receive_info(true); }
void KQ278_INTERFACE::SAVE_BMP_Slot() { frame->save_picture(); }
void KQ278_INTERFACE::SAVE_table_Slot() { frame->save_table(); }
void KQ278_INTERFACE::Printf_BMP_Slot() { frame->print_picture(); }
void KQ278_INTERFACE::Printf_table_Slot() { frame->print_table(); }
void KQ278_INTERFACE::KQ278_preview_BMP(QPrinter *printer) { frame->paint_picture(printer); }
void KQ278_INTERFACE::KQ278_preview_table(QPrinter *printer) { frame->paint_table(printer); }
void KQ278_INTERFACE::clear_all_data() { frame->clear_all_data(); }

void KQ278_INTERFACE::set_limit_slot(float first_data, float second_data)
{
    statistics.set_limit(0, first_data, second_data);
}

// ------------------------------------------------------------------ graphs and rows

void KQ278_INTERFACE::KQ278_plot_widget_init(QCustomPlot *plot, bool time_axis, QString name, QString)
{
    ui->polt->setCurrentIndex(0);
    frame::setup_time_plot(plot, name);
    if (!time_axis) {
        // Stored records are keyed by their number, not by a time.
        plot->xAxis->setTicker(QSharedPointer<QCPAxisTicker>(new QCPAxisTicker));
        plot->xAxis->setSubTicks(true);
        plot->xAxis->setRange(0, 20);   // not the present minute of a time axis
    }
}

void KQ278_INTERFACE::KQ278_set_rt_data_plot(uint32_t time, double value)
{
    // Keyed by the instrument's clock, so the time span is measured on it.
    frame::add_realtime_point(*frame, rt_data, or_pc_time(time), value);
}

void KQ278_INTERFACE::KQ278_set_save_data_plot(double value)
{
    ++save_count;
    save_data->add(double(save_count), value);
    QCPGraph *graph = save_data->graph();
    if (!graph)
        return;
    // Each answer numbers its records from 1: its axis starts at 0 … 20
    // again, then grows to hold them all.
    if (save_count == 1)
        graph->keyAxis()->setRange(0, 20);
    graph->rescaleKeyAxis(true);
    frame::ModelFrame::fit_values(graph->valueAxis());
}

void KQ278_INTERFACE::add_rt_table_row(uint time, const QString &speed, const QString &temperature)
{
    frame::append_row(ui->RT_table_data, or_pc_time(time), speed + unit_text, temperature + QStringLiteral("℃"), true);
}

void KQ278_INTERFACE::add_read_table_row(double speed, double temperature, uint time)
{
    frame::append_row(ui->read_table_data, or_pc_time(time), QString::number(speed, 'f', 3) + QStringLiteral("m/s"),
                      QString::number(temperature, 'f', 2) + QStringLiteral("℃"), false);
}

// ------------------------------------------------------------------ answers

void KQ278_INTERFACE::get_rt_data(QQueue<quint16> queue)
{
    kq278::RealTime rt;
    if (!kq278::decode_realtime(queue, &rt))
        return;
    // Rounded in decimal: 1.15 ℃ shows 1.2, not the 1.1 of 1.1499999.
    const frame::Exact exact = kq278::speed(rt.speed, speed_unit);
    const frame::Exact celsius = frame::exact_count(rt.celsius_hundredths, 2);
    const double speed = frame::nearest(exact);
    add_rt_table_row(rt.time, frame::rounded_text(exact, 3), frame::rounded_text(celsius, 1));
    KQ278_set_rt_data_plot(rt.time, speed);
    ui->gunspeed->setValue(frame::rounded_value(exact, 2));
    ui->gunspeed_2->setValue(rt.celsius);
    if (statistics.data_update(0, speed) != DATA_STATISTICS::NO_ALARM)
        frame::mark_alarm(ui->RT_table_data, ui->RT_table_data->rowCount() - 1);
    frame::show_statistics(this, statistics.items[0], unit_text, true, kq278::k_speed_scale);
}

void KQ278_INTERFACE::get_save_data(QQueue<quint16> queue)
{
    if (queue.isEmpty())
        return;
    const QVector<kq278::Stored> records = kq278::decode_stored(queue);
    if (records.isEmpty()) {
        // Words, but not one whole record: as good as no answer.
        index_dialog->hide_widget();
        return;
    }
    save_count = 0;
    for (const kq278::Stored &s : records) {
        qDebug() << "---- stored record";
        for (quint16 word : s.words)
            qDebug() << word;
        add_read_table_row(s.speed, s.celsius, s.time);
        KQ278_set_save_data_plot(s.speed);
        statistics.data_update(1, s.speed);
        frame::show_statistics(this, statistics.items[1], QStringLiteral("m/s"), false, 3);   // thousandths of m/s
    }
    frame::finish_stored(*frame);
    index_dialog->close_receive_info(true);
}

// ------------------------------------------------------------------ buttons

void KQ278_INTERFACE::on_upload_Button_clicked(bool checked)
{
    // Returns once the stored records (or the word that none came) closed the box.
    frame->upload_waiting_on(checked, [this] { index_dialog->close_receive_info(false); });
}

// Hidden: the anemometer's clock is not set from here.
void KQ278_INTERFACE::on_sync_Button_clicked()
{
    emit HID_write_cmd(3);
}

void KQ278_INTERFACE::on_data_export_Button_clicked()
{
    clear_all_data();
}

void KQ278_INTERFACE::on_radioButton_clicked() { set_unit(0); }
void KQ278_INTERFACE::on_radioButton_2_clicked() { set_unit(1); }
void KQ278_INTERFACE::on_radioButton_3_clicked() { set_unit(2); }
void KQ278_INTERFACE::on_radioButton_5_clicked() { set_unit(3); }
void KQ278_INTERFACE::on_radioButton_4_clicked() { set_unit(4); }
void KQ278_INTERFACE::on_radioButton_6_clicked() { set_unit(5); }

double KQ278_INTERFACE::speed_unit_convert(double value, int unit)
{
    return kq278::convert(value, unit);
}

// Nothing goes to the instrument: it answers in m/s whatever is shown.
// The window is cleared so that tables, graphs and statistics never mix units.
void KQ278_INTERFACE::set_unit(int unit)
{
    speed_unit = quint8(unit >= 0 && unit < kq278::unit_count ? unit : 0);
    unit_text = kq278::unit_text(speed_unit);
    clear_all_data();
    ui->gunspeed->setRange(kq278::gauge_max(speed_unit), 0);
    ui->gunspeed->setUnit(unit_text);
}
