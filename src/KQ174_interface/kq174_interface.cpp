#include "KQ174_interface/kq174_interface.h"
#include "ui_kq174_interface.h"

#include "clean_data/clean_data.h"
#include "common/app_env.h"
#include "frame/hid_window.h"
#include "frame/model_frame.h"
#include "frame/quiet_updates.h"
#include "frame/series.h"
#include "menu_dialog/menu_dialog.h"
#include "frame/hid_link.h"
#include "usb_help/hid_interdace.h"

#include <QDebug>

namespace {

const double DEFAULT_UPPER = 100000;
const double DEFAULT_LOWER = 0;

}

KQ174_INTERFACE::KQ174_INTERFACE(QWidget *parent)
    : QMainWindow(parent), ui(new Ui::KQ174_INTERFACE)
{
    ui->setupUi(this);

    frame::Config config;
    config.model_title = QStringLiteral("KQ174");
    config.style_whole_application = true;
    config.preview_bmp_slot = SLOT(KQ174_preview_BMP(QPrinter*));
    config.preview_table_slot = SLOT(KQ174_preview_table(QPrinter*));
    frame::Hooks hooks;
    hooks.retranslate = [this] { ui->retranslateUi(this); };
    hooks.send_command = [this](int cmd) { emit HID_write_cmd(cmd); };
    hooks.clear_model = [this] { statistics.reset_all(); };
    frame = new frame::ModelFrame(this, config, hooks);
    frame->base_init();

    link = frame::make_hid_link(this);
    // An upload the instrument never answers must not leave the waiting box up.
    connect(link, &HID_INTERDACE::not_get_any_data, this, &KQ174_INTERFACE::hide_widget);
    link->start(QThread::InheritPriority);

    KQ174_plot_widget_init(ui->RT_plot, 0, tr("speed"), QString());
    KQ174_plot_widget_init(ui->read_plot, 0, tr("speed"), QString());
    rt_data = frame->add_series(ui->RT_plot, 0);
    save_data = frame->add_series(ui->read_plot, 0);
    ui->RT_plot->replot(QCustomPlot::rpRefreshHint);
    frame::ModelFrame::fit_date_column(ui->RT_table_data);
    frame::ModelFrame::fit_date_column(ui->read_table_data);

    ui->gunspeed->setValue(0);
    ui->gunspeed->setRange(99999, 0);
    ui->gunspeed->setTitle(tr("speed:"));
    ui->gunspeed->setUnit(tr("m"));
    fit_speed_gauge();
    ui->gunspeed_2->setValue(0);
    ui->gunspeed_2->setRange(80, 0);
    ui->gunspeed_2->setTitle(tr("temp:"));
    ui->gunspeed_2->setUnit(tr("℃"));

    statistics.add_channel();   // 0: real time
    statistics.add_channel();   // 1: stored records
    threshold_reset();

    menu_dialog = new Menu_dialog(this);
    menu_dialog->set_page(7);
    connect(menu_dialog, &Menu_dialog::send_stamp, this, &KQ174_INTERFACE::set_stamp_slot);
    connect(menu_dialog, &Menu_dialog::send_T_reset, this, &KQ174_INTERFACE::threshold_reset);
    connect(menu_dialog, QOverload<QVector<double>>::of(&Menu_dialog::send_limit_signal), this,
            &KQ174_INTERFACE::set_limit_slot);

    ui->radioButton->setChecked(true);   // mode 0; nothing is sent
    clean_dialog = new CLEAN_DATA(nullptr);
    connect(clean_dialog, &CLEAN_DATA::clean_data_source, this, &KQ174_INTERFACE::clean_data_slot);
}

KQ174_INTERFACE::~KQ174_INTERFACE()
{
    delete ui;
    delete link;
    delete clean_dialog;
}

void KQ174_INTERFACE::set_device_path(QString path)
{
    qDebug() << "set_device_path" << path;
    link->hid_connect(path);
}

// ------------------------------------------------------------------ frame

void KQ174_INTERFACE::status_reflash() { frame->status_reflash(); }
void KQ174_INTERFACE::device_status_update(int status) { frame->device_status_update(status); }
void KQ174_INTERFACE::get_rt_data_cmd_slot() { emit HID_write_cmd(1); }
void KQ174_INTERFACE::on_start_button_clicked() {}
void KQ174_INTERFACE::on_Pause_Button_clicked() { frame->pause(); }
void KQ174_INTERFACE::on_language_Button_released() { frame->language_switch(); }
void KQ174_INTERFACE::on_language_Button_clicked() {}
void KQ174_INTERFACE::on_meun_Button_clicked() { frame->run_menu(menu_dialog); }
void KQ174_INTERFACE::on_File_Button_clicked() { frame->open_file_dialog(); }
void KQ174_INTERFACE::on_printing_Button_clicked() { frame->open_print_dialog(); }
void KQ174_INTERFACE::on_help_Button_clicked() { frame->open_help(); }
void KQ174_INTERFACE::on_timestamp_currentIndexChanged(int) { frame->time_span_changed(); }
void KQ174_INTERFACE::set_stamp_slot(int time_stamp) { frame->set_stamp(time_stamp); }
void KQ174_INTERFACE::hide_widget() { frame->no_data_received(); }
void KQ174_INTERFACE::receive_data_over() { frame->close_wait_box(); }
void KQ174_INTERFACE::SAVE_BMP_Slot() { frame->save_picture(); }
void KQ174_INTERFACE::SAVE_table_Slot() { frame->save_table(); }
void KQ174_INTERFACE::Printf_BMP_Slot() { frame->print_picture(); }
void KQ174_INTERFACE::Printf_table_Slot() { frame->print_table(); }
void KQ174_INTERFACE::KQ174_preview_BMP(QPrinter *printer) { frame->paint_picture(printer); }
void KQ174_INTERFACE::KQ174_preview_table(QPrinter *printer) { frame->paint_table(printer); }
void KQ174_INTERFACE::clear_all_data() { frame->clear_all_data(); }

void KQ174_INTERFACE::fit_speed_gauge()
{
    // A long unit ("Contact RPM") crowds the line under a dial of the
    // usual width, which then shrinks its texts: give the dial the room
    // the longest unit takes beyond the widget font's width.
    QFont drawn;
    drawn.setWeight(75);
    drawn.setPointSize(12);
    const QFontMetrics bold(drawn);
    const QFontMetrics plain = ui->gunspeed->fontMetrics();
    int over = 0;
    for (int m = 0; m < kq174::MODE_COUNT; ++m) {
        const QString unit = kq174::unit_text(m);
        over = qMax(over, bold.horizontalAdvance(unit) - plain.horizontalAdvance(unit));
    }
    const int unit_end = 110;   // right of the dial's centre, at 200 px of height
    // No more than that: the window must still fit its form's width.
    ui->gunspeed->setMinimumWidth(qMax(ui->gunspeed->minimumWidth(), 2 * (unit_end + over)));
}

// ------------------------------------------------------------------ limits

void KQ174_INTERFACE::threshold_reset()
{
    mode_limits.clear();
    for (int m = 0; m < kq174::MODE_COUNT; ++m)
        mode_limits << DEFAULT_UPPER << DEFAULT_LOWER;
}

void KQ174_INTERFACE::set_limit_slot(QVector<double> limit_data_input)
{
    mode_limits = limit_data_input;
}

void KQ174_INTERFACE::mode_alarm(float value, quint8 mode)
{
    // Only the five modes have limits; a short vector leaves the later
    // modes unchecked rather than read past its end.
    const int upper_at = 2 * int(mode);
    if (mode >= kq174::MODE_COUNT || upper_at + 1 >= mode_limits.size())
        return;
    const double v = double(value);
    if (v > mode_limits[upper_at]) {
        app_env::play_sound(DATA_STATISTICS::HIGH_SOUND);
        ++high_alarm_count;
    }
    if (v < mode_limits[upper_at + 1]) {
        app_env::play_sound(DATA_STATISTICS::LOW_SOUND);
        ++low_alarm_count;
    }
}

// ------------------------------------------------------------------ graphs and rows

void KQ174_INTERFACE::KQ174_plot_widget_init(QCustomPlot *plot, int, QString name, QString)
{
    ui->polt->setCurrentIndex(0);
    frame::setup_time_plot(plot, name);
}

void KQ174_INTERFACE::KQ174_set_rt_data_plot(uint32_t time, double value)
{
    // Keyed by the instrument's own time stamp.
    frame::add_realtime_point(*frame, rt_data, time, value);
}

void KQ174_INTERFACE::KQ174_set_save_data_plot(uint32_t time, double value)
{
    frame::add_stored_point(*frame, save_data, time, value, true);
}

void KQ174_INTERFACE::add_rt_table_row(quint32 time, double value)
{
    frame::append_row(ui->RT_table_data, time, QString::number(value, 'f', 1), display_unit_str, true);
}

void KQ174_INTERFACE::add_read_table_row(quint32 time, double value, QString unit)
{
    frame::append_row(ui->read_table_data, time, QString::number(value, 'f', 1), unit, false);
}

// ------------------------------------------------------------------ answers

void KQ174_INTERFACE::get_rt_data(QQueue<quint16> queue)
{
    kq174::RealTime rt;
    if (!kq174::decode_realtime(queue, &rt))
        return;
    ui->gunspeed->setTitle(rt.mode == 0 ? tr("m:") : tr("Speed:"));
    if (rt.mode < kq174::MODE_COUNT) {
        // Following the instrument: setChecked sends nothing back.
        mode_radio(rt.mode)->setChecked(true);
        display_unit_str = kq174::unit_text(rt.mode);
        ui->gunspeed->setRange(kq174::gauge_max(rt.mode), 0);
    }
    const double value = double(rt.value);
    add_rt_table_row(rt.time, value);
    KQ174_set_rt_data_plot(rt.time, value);
    ui->gunspeed->setValue(value);
    ui->gunspeed_2->setValue(double(rt.temperature));
    ui->gunspeed->setUnit(display_unit_str);
    if (statistics.data_update(0, value) != DATA_STATISTICS::NO_ALARM)
        frame::mark_alarm(ui->RT_table_data, ui->RT_table_data->rowCount() - 1);
    frame::show_statistics(this, statistics.items[0], QString(), false, 1);   // tenths
    mode_alarm(rt.value, rt.mode);
    frame::set_steady_text(ui->upper_count, QString::number(high_alarm_count));
    frame::set_steady_text(ui->lower_count, QString::number(low_alarm_count));
}

void KQ174_INTERFACE::get_save_data(QQueue<quint16> queue)
{
    if (queue.isEmpty())
        return;
    const QVector<KQ174_SAVE_ITEM> records = kq174::decode_stored(queue);
    if (records.isEmpty()) {
        // Words, but not one whole record: as good as no answer.
        frame->no_data_received();
        return;
    }
    for (const KQ174_SAVE_ITEM &item : records)
        save_list.append(item);
    refresh_save_table();
    frame->close_wait_box();
    frame::finish_stored(*frame);
}

void KQ174_INTERFACE::refresh_save_table()
{
    for (int m = 0; m < kq174::MODE_COUNT; ++m)
        if (mode_radio(m)->isChecked())
            display_unit_str = kq174::unit_text(m);
    for (; save_shown < save_list.size(); ++save_shown) {
        const KQ174_SAVE_ITEM &item = save_list.at(save_shown);
        const double value = kq174::stored_value(item);
        add_read_table_row(item.time, value, kq174::unit_text(item.mode));
        KQ174_set_save_data_plot(item.time, value);
        statistics.data_update(1, value);
        frame::show_statistics(this, statistics.items[1], QString(), false, 1);
    }
}

// ------------------------------------------------------------------ buttons

QRadioButton *KQ174_INTERFACE::mode_radio(int mode) const
{
    QRadioButton *const radios[kq174::MODE_COUNT] = {ui->radioButton, ui->radioButton_2, ui->radioButton_3,
                                                     ui->radioButton_4, ui->radioButton_5};
    return radios[mode];
}

void KQ174_INTERFACE::enable_mode_choice(bool on)
{
    for (int m = 0; m < kq174::MODE_COUNT; ++m)
        mode_radio(m)->setEnabled(on);
    ui->timestamp->setEnabled(on);
}

void KQ174_INTERFACE::on_start_button_clicked(bool checked)
{
    frame->start(checked);
    if (!checked)
        return;
    enable_mode_choice(true);
    ui->groupBox->setEnabled(true);
}

void KQ174_INTERFACE::on_upload_Button_clicked(bool checked)
{
    save_list.clear();
    save_shown = 0;
    frame->upload(checked);
    // The "set" group stays enabled; only the mode and the span are locked.
    ui->start_button->setChecked(false);
    ui->Pause_Button->setChecked(false);
    enable_mode_choice(false);
}

void KQ174_INTERFACE::on_sync_Button_clicked()
{
    emit HID_write_cmd(3);
}

void KQ174_INTERFACE::on_data_export_Button_clicked()
{
    clean_dialog->exec();
}

void KQ174_INTERFACE::clean_data_slot(int cmd)
{
    qDebug() << "clean_data_slot" << cmd;
    if (cmd != 0) {
        qDebug() << "HID_write_cmd(6)";
        emit HID_write_cmd(6);
    }
    clear_all_data();
}

void KQ174_INTERFACE::on_radioButton_clicked() { choose_mode(0); }
void KQ174_INTERFACE::on_radioButton_2_clicked() { choose_mode(1); }
void KQ174_INTERFACE::on_radioButton_3_clicked() { choose_mode(2); }
void KQ174_INTERFACE::on_radioButton_4_clicked() { choose_mode(3); }
void KQ174_INTERFACE::on_radioButton_5_clicked() { choose_mode(4); }

void KQ174_INTERFACE::choose_mode(int mode)
{
    display_unit_str = kq174::unit_text(mode);
    set_mode(mode);
}

void KQ174_INTERFACE::set_mode(int mode)
{
    refresh_save_table();
    if (!ui->upload_Button->isChecked())
        emit HID_write_cmd(4, mode, 0);
}
