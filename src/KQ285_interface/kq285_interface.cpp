#include "KQ285_interface/kq285_interface.h"
#include "ui_kq285_interface.h"

#include "KQ285_interface/kq285_words.h"
#include "clean_data/clean_data.h"
#include "common/app_env.h"
#include "frame/decimal.h"
#include "frame/hid_window.h"
#include "frame/model_frame.h"
#include "frame/series.h"
#include "menu_dialog/menu_dialog.h"
#include "frame/hid_link.h"
#include "usb_help/hid_interdace.h"

#include <QButtonGroup>
#include <QDebug>

KQ285_INTERFACE::KQ285_INTERFACE(QWidget *parent)
    : QMainWindow(parent), ui(new Ui::KQ285_INTERFACE)
{
    ui->setupUi(this);

    frame::Config config;
    config.model_title = QStringLiteral("KQ285");
    config.style_whole_application = true;
    config.notice_title = "Note";
    config.preview_bmp_slot = SLOT(KQ285_preview_BMP(QPrinter*));
    config.preview_table_slot = SLOT(KQ285_preview_table(QPrinter*));
    frame::Hooks hooks;
    hooks.retranslate = [this] { ui->retranslateUi(this); };
    hooks.send_command = [this](int cmd) { emit HID_write_cmd(cmd); };
    hooks.clear_model = [this] { statistics.reset_all(); };
    frame = new frame::ModelFrame(this, config, hooks);
    frame->base_init();

    unit_group = new QButtonGroup(this);
    unit_group->addButton(ui->radioButton_4, 0);
    unit_group->addButton(ui->radioButton_5, 1);

    link = frame::make_hid_link(this);
    connect(link, &HID_INTERDACE::not_get_any_data, this, &KQ285_INTERFACE::hide_widget);
    link->start(QThread::InheritPriority);

    KQ285_plot_widget_init(ui->RT_plot, 0, tr("DB"), QString());
    KQ285_plot_widget_init(ui->read_plot, 0, tr("DB"), QString());
    rt_data = frame->add_series(ui->RT_plot, 0);
    save_data = frame->add_series(ui->read_plot, 0);
    ui->RT_plot->replot(QCustomPlot::rpRefreshHint);
    frame::ModelFrame::fit_date_column(ui->RT_table_data);
    frame::ModelFrame::fit_date_column(ui->read_table_data);
    frame::ModelFrame::wrap_header(ui->RT_table_data);

    ui->gunspeed->setValue(30);
    ui->gunspeed->setRange(130, 30);
    ui->gunspeed->setTitle(tr("Decibels:"));
    ui->gunspeed->setUnit(tr("db"));
    ui->gunspeed_2->setValue(0);
    ui->gunspeed_2->setRange(80, 0);
    ui->gunspeed_2->setTitle(tr("Temp:"));

    statistics.add_channel();   // 0: real time
    statistics.add_channel();   // 1: stored records

    menu_dialog = new Menu_dialog(this);
    menu_dialog->set_page(4);

    temperature_unit = 0;
    ui->radioButton_4->setChecked(true);
    ui->gunspeed_2->setUnit(tr("℃"));

    connect(menu_dialog, &Menu_dialog::send_stamp, this, &KQ285_INTERFACE::set_stamp_slot);
    connect(menu_dialog, &Menu_dialog::send_T_reset, this, &KQ285_INTERFACE::threshold_reset);
    connect(menu_dialog, QOverload<float, float>::of(&Menu_dialog::send_limit_signal), this,
            &KQ285_INTERFACE::set_limit_slot);

    connect(ui->radioButton_4, &QRadioButton::clicked, this, &KQ285_INTERFACE::onRadioClickSlot);
    connect(ui->radioButton_5, &QRadioButton::clicked, this, &KQ285_INTERFACE::onRadioClickSlot);
    clean_dialog = new CLEAN_DATA(nullptr);
    connect(clean_dialog, &CLEAN_DATA::clean_data_source, this, &KQ285_INTERFACE::clean_data_slot);
}

KQ285_INTERFACE::~KQ285_INTERFACE()
{
    delete unit_group;
    delete ui;
    delete link;
    delete clean_dialog;
}

void KQ285_INTERFACE::set_device_path(QString path)
{
    qDebug() << "set_device_path" << path;
    link->hid_connect(path);
}

// ------------------------------------------------------------------ frame

void KQ285_INTERFACE::status_reflash() { frame->status_reflash(); }
void KQ285_INTERFACE::device_status_update(int status) { frame->device_status_update(status); }
void KQ285_INTERFACE::get_rt_data_cmd_slot() { emit HID_write_cmd(1); }
void KQ285_INTERFACE::on_start_button_clicked(bool checked) { frame->start(checked); }
void KQ285_INTERFACE::on_start_button_clicked() {}
void KQ285_INTERFACE::on_Pause_Button_clicked() { frame->pause(); }
void KQ285_INTERFACE::on_language_Button_released() { frame->language_switch(); }
void KQ285_INTERFACE::on_language_Button_clicked() {}
void KQ285_INTERFACE::on_meun_Button_clicked() { frame->run_menu(menu_dialog); }
void KQ285_INTERFACE::on_File_Button_clicked() { frame->open_file_dialog(); }
void KQ285_INTERFACE::on_printing_Button_clicked() { frame->open_print_dialog(); }
void KQ285_INTERFACE::on_help_Button_clicked() { frame->open_help(); }
void KQ285_INTERFACE::on_timestamp_currentIndexChanged(int) { frame->time_span_changed(); }
void KQ285_INTERFACE::set_stamp_slot(int time_stamp) { frame->set_stamp(time_stamp); }
void KQ285_INTERFACE::threshold_reset() { statistics.reset_limit(); }
void KQ285_INTERFACE::hide_widget() { frame->no_data_received(); }
void KQ285_INTERFACE::receive_data_over() { frame->close_wait_box(); }
void KQ285_INTERFACE::SAVE_BMP_Slot() { frame->save_picture(); }
void KQ285_INTERFACE::SAVE_table_Slot() { frame->save_table(); }
void KQ285_INTERFACE::Printf_BMP_Slot() { frame->print_picture(); }
void KQ285_INTERFACE::Printf_table_Slot() { frame->print_table(); }
void KQ285_INTERFACE::KQ285_preview_BMP(QPrinter *printer) { frame->paint_picture(printer); }
void KQ285_INTERFACE::KQ285_preview_table(QPrinter *printer) { frame->paint_table(printer); }
void KQ285_INTERFACE::clear_all_data() { frame->clear_all_data(); }

void KQ285_INTERFACE::set_limit_slot(float first_data, float second_data)
{
    statistics.set_limit(0, first_data, second_data);
}

// ------------------------------------------------------------------ graphs and rows

void KQ285_INTERFACE::KQ285_plot_widget_init(QCustomPlot *plot, int, QString name, QString)
{
    ui->polt->setCurrentIndex(0);
    frame::setup_time_plot(plot, name);
}

void KQ285_INTERFACE::KQ285_set_rt_data_plot(double value)
{
    // The point goes at the PC's time; the row shows the instrument's.
    frame::add_realtime_point(*frame, rt_data, quint32(app_env::now().toSecsSinceEpoch()), value);
}

void KQ285_INTERFACE::KQ285_set_save_data_plot(uint32_t time, double value, double)
{
    frame::add_stored_point(*frame, save_data, time, value);
}

void KQ285_INTERFACE::add_rt_table_row(uint time, double value, double weighting)
{
    // Hundredths of a dB rounded to tenths in decimal: 52.35 shows 52.4.
    frame::append_row(ui->RT_table_data, time, frame::rounded_text(frame::exact_reading(value, 2), 1),
                      kq285::table_unit(int(weighting)), true);
}

void KQ285_INTERFACE::add_read_table_row(uint time, double value, double weighting)
{
    frame::append_row(ui->read_table_data, time, QString::number(value, 'f', 2),
                      kq285::table_unit(int(weighting)), false);
}

// ------------------------------------------------------------------ answers

void KQ285_INTERFACE::get_rt_data(QQueue<quint16> queue)
{
    kq285::RealTime rt;
    if (!kq285::decode_realtime(queue, &rt))
        return;
    qDebug() << "get_rt_data";
    // Following the instrument: setChecked sends nothing back.
    switch (rt.weighting) {
    case 0: ui->radioButton->setChecked(true); break;
    case 1: ui->radioButton_2->setChecked(true); break;
    case 2: ui->radioButton_3->setChecked(true); break;
    default: break;
    }
    add_rt_table_row(rt.time, rt.level, rt.weighting);
    KQ285_set_rt_data_plot(rt.level);
    ui->gunspeed->setValue(rt.level);
    ui->gunspeed_2->setValue(temperature_unit == 1 ? kq285::to_fahrenheit(rt.celsius) : rt.celsius);
    if (statistics.data_update(0, rt.level) != DATA_STATISTICS::NO_ALARM)
        frame::mark_alarm(ui->RT_table_data, ui->RT_table_data->rowCount() - 1);
    frame::show_statistics(this, statistics.items[0], kq285::box_unit(rt.weighting), true, 2);   // hundredths of a dB
}

void KQ285_INTERFACE::get_save_data(QQueue<quint16> queue)
{
    if (queue.isEmpty())
        return;
    const QVector<kq285::Stored> records = kq285::decode_stored(queue);
    if (records.isEmpty()) {
        // Words, but not one whole record: as good as no answer.
        frame->no_data_received();
        return;
    }
    for (const kq285::Stored &s : records) {
        add_read_table_row(s.time, s.level, s.weighting);
        KQ285_set_save_data_plot(s.time, s.level, s.weighting);
        statistics.data_update(1, s.level);
        frame::show_statistics(this, statistics.items[1], QString(), false, 1);   // tenths
    }
    frame->close_wait_box();
    frame::finish_stored(*frame);
}

// ------------------------------------------------------------------ buttons

void KQ285_INTERFACE::on_upload_Button_clicked(bool checked)
{
    frame->upload(checked);
    frame->lock_after_upload();
}

void KQ285_INTERFACE::on_sync_Button_clicked()
{
    emit HID_write_cmd(3);
}

void KQ285_INTERFACE::on_data_export_Button_clicked()
{
    clean_dialog->exec();
}

void KQ285_INTERFACE::clean_data_slot(int cmd)
{
    if (cmd != 0) {
        qDebug() << "HID_write_cmd(6)";
        emit HID_write_cmd(6);
    }
    clear_all_data();
}

void KQ285_INTERFACE::on_radioButton_clicked() { set_weighting(0); }
void KQ285_INTERFACE::on_radioButton_2_clicked() { set_weighting(1); }
void KQ285_INTERFACE::on_radioButton_3_clicked() { set_weighting(2); }

void KQ285_INTERFACE::set_weighting(int type)
{
    if (type >= 0 && type <= 2)
        emit HID_write_cmd(4, type, 0);
    statistics.reset_all();
}

void KQ285_INTERFACE::onRadioClickSlot()
{
    double v = ui->gunspeed_2->value();
    const int old = temperature_unit;
    switch (unit_group->checkedId()) {
    case 0:
        temperature_unit = 0;
        ui->gunspeed_2->setUnit(tr("℃"));
        ui->gunspeed_2->setRange(80, 0);
        if (old == 1)
            v = kq285::to_celsius(v);
        break;
    case 1:
        temperature_unit = 1;
        ui->gunspeed_2->setUnit(tr("℉"));
        ui->gunspeed_2->setRange(175, 0);
        if (old == 0)
            v = kq285::to_fahrenheit(v);
        break;
    default:
        v = 0;
        break;
    }
    ui->gunspeed_2->setValue(v);
}
