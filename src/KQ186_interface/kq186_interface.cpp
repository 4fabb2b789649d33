#include "KQ186_interface/kq186_interface.h"
#include "ui_kq186_interface.h"

#include "KQ186_interface/kq186_units.h"
#include "clean_data/clean_data.h"
#include "frame/hid_window.h"
#include "frame/model_frame.h"
#include "frame/series.h"
#include "menu_dialog/menu_dialog.h"
#include "frame/hid_link.h"
#include "usb_help/hid_interdace.h"

#include <QDebug>
#include <QRadioButton>

KQ186_INTERFACE::KQ186_INTERFACE(QWidget *parent)
    : QMainWindow(parent), ui(new Ui::KQ186_INTERFACE), unit_index(0),
      // The unit of index 0, so that records uploaded before the first
      // reading are not labelled with a unit they were not converted to.
      display_unit_str(kq186::unit_name(0))
{
    ui->setupUi(this);

    frame::Config config;
    config.model_title = QStringLiteral("KQ186");
    config.style_whole_application = true;
    config.notice_title = "info";
    config.preview_bmp_slot = SLOT(KQ186_preview_BMP(QPrinter*));
    config.preview_table_slot = SLOT(KQ186_preview_table(QPrinter*));
    frame::Hooks hooks;
    hooks.retranslate = [this] { ui->retranslateUi(this); };
    hooks.send_command = [this](int cmd) { emit HID_write_cmd(cmd); };
    hooks.clear_model = [this] {
        statistics.reset_all();
        rt_pa.clear();
    };
    frame = new frame::ModelFrame(this, config, hooks);
    frame->base_init();

    link = frame::make_hid_link(this);
    // Without this an upload nobody answers would leave its box up for good.
    connect(link, &HID_INTERDACE::not_get_any_data, this, &KQ186_INTERFACE::hide_widget);
    link->start(QThread::InheritPriority);

    KQ186_plot_widget_init(ui->RT_plot, 0, tr("Pressure"), QString());
    KQ186_plot_widget_init(ui->read_plot, 0, tr("Pressure"), QString());
    rt_data = frame->add_series(ui->RT_plot, 0);
    save_data = frame->add_series(ui->read_plot, 0);
    ui->RT_plot->replot(QCustomPlot::rpRefreshHint);
    frame::ModelFrame::fit_date_column(ui->RT_table_data);
    frame::ModelFrame::fit_date_column(ui->read_table_data);

    ui->gunspeed->setValue(0);
    ui->gunspeed->setRange(10000, 0);
    ui->gunspeed->setTitle(tr("Pressure:"));
    ui->gunspeed->setUnit(display_unit_str);
    ui->radioButton->setChecked(true);

    statistics.add_channel();   // 0: real time
    statistics.add_channel();   // 1: stored records
    // 2: real time in Pa, the unit the limits are typed in, whatever unit
    // is shown; its alarm counts are the ones shown.
    statistics.add_channel();

    menu_dialog = new Menu_dialog(this);
    menu_dialog->set_page(6);
    connect(menu_dialog, &Menu_dialog::send_stamp, this, &KQ186_INTERFACE::set_stamp_slot);
    connect(menu_dialog, &Menu_dialog::send_T_reset, this, &KQ186_INTERFACE::threshold_reset);
    connect(menu_dialog, QOverload<float, float>::of(&Menu_dialog::send_limit_signal), this,
            &KQ186_INTERFACE::set_limit_slot);

    clean_dialog = new CLEAN_DATA(nullptr);
    connect(clean_dialog, &CLEAN_DATA::clean_data_source, this, &KQ186_INTERFACE::clean_data_slot);
}

KQ186_INTERFACE::~KQ186_INTERFACE()
{
    delete ui;
    delete link;
    delete clean_dialog;
}

void KQ186_INTERFACE::set_device_path(QString path)
{
    qDebug() << "set_device_path" << path;
    link->hid_connect(path);
}

// ------------------------------------------------------------------ frame

void KQ186_INTERFACE::status_reflash() { frame->status_reflash(); }
void KQ186_INTERFACE::device_status_update(int status) { frame->device_status_update(status); }
void KQ186_INTERFACE::get_rt_data_cmd_slot() { emit HID_write_cmd(1); }
void KQ186_INTERFACE::on_start_button_clicked(bool checked) { frame->start(checked); }
void KQ186_INTERFACE::on_start_button_clicked() {}
void KQ186_INTERFACE::on_Pause_Button_clicked() { frame->pause(); }
void KQ186_INTERFACE::on_language_Button_released() { frame->language_switch(); }
void KQ186_INTERFACE::on_language_Button_clicked() {}
void KQ186_INTERFACE::on_meun_Button_clicked() { frame->run_menu(menu_dialog); }
void KQ186_INTERFACE::on_File_Button_clicked() { frame->open_file_dialog(); }
void KQ186_INTERFACE::on_printing_Button_clicked() { frame->open_print_dialog(); }
void KQ186_INTERFACE::on_help_Button_clicked() { frame->open_help(); }
void KQ186_INTERFACE::on_timestamp_currentIndexChanged(int) { frame->time_span_changed(); }
void KQ186_INTERFACE::set_stamp_slot(int time_stamp) { frame->set_stamp(time_stamp); }
void KQ186_INTERFACE::threshold_reset() { statistics.reset_limit(); }
void KQ186_INTERFACE::hide_widget() { frame->no_data_received(); }
void KQ186_INTERFACE::receive_data_over() { frame->close_wait_box(); }
void KQ186_INTERFACE::SAVE_BMP_Slot() { frame->save_picture(); }
void KQ186_INTERFACE::SAVE_table_Slot() { frame->save_table(); }
void KQ186_INTERFACE::Printf_BMP_Slot() { frame->print_picture(); }
void KQ186_INTERFACE::Printf_table_Slot() { frame->print_table(); }
void KQ186_INTERFACE::KQ186_preview_BMP(QPrinter *printer) { frame->paint_picture(printer); }
void KQ186_INTERFACE::KQ186_preview_table(QPrinter *printer) { frame->paint_table(printer); }
void KQ186_INTERFACE::clear_all_data() { frame->clear_all_data(); }

void KQ186_INTERFACE::set_limit_slot(float first_data, float second_data)
{
    statistics.set_limit(2, first_data, second_data);
}

// ------------------------------------------------------------------ units

void KQ186_INTERFACE::check_unit_radio(int index)
{
    const QList<QRadioButton *> radios = {
        ui->radioButton,    ui->radioButton_2,  ui->radioButton_3,  ui->radioButton_4,  ui->radioButton_5,
        ui->radioButton_6,  ui->radioButton_7,  ui->radioButton_8,  ui->radioButton_9,  ui->radioButton_10,
        ui->radioButton_11, ui->radioButton_12, ui->radioButton_13, ui->radioButton_14};
    if (index >= 0 && index < radios.size()) {
        radios[index]->setChecked(true);
        return;
    }
    // A unit without a button: none stays checked, or the group would claim
    // a unit the readings are not shown in.
    for (QRadioButton *r : radios) {
        r->setAutoExclusive(false);
        r->setChecked(false);
        r->setAutoExclusive(true);
    }
}

void KQ186_INTERFACE::KQ186_change_unit_ui(int index)
{
    unit_index = quint8(index);
    display_unit_str = kq186::unit_name(unit_index);
    qDebug("unit_index = %d,display_unit_str = %s ", int(unit_index), qPrintable(display_unit_str));
    ui->gunspeed->setUnit(display_unit_str);
    statistics.reset_all();
    rt_pa.clear();
    check_unit_radio(unit_index);
}

void KQ186_INTERFACE::set_unit(int index)
{
    KQ186_change_unit_ui(index);
    if (ui->upload_Button->isChecked())
        on_upload_Button_clicked(true);   // the stored records again, in the new unit
    else
        emit HID_write_cmd(4, index, 0);
}

void KQ186_INTERFACE::on_radioButton_clicked() { set_unit(0); }
void KQ186_INTERFACE::on_radioButton_2_clicked() { set_unit(1); }
void KQ186_INTERFACE::on_radioButton_3_clicked() { set_unit(2); }
void KQ186_INTERFACE::on_radioButton_4_clicked() { set_unit(3); }
void KQ186_INTERFACE::on_radioButton_5_clicked() { set_unit(4); }
void KQ186_INTERFACE::on_radioButton_6_clicked() { set_unit(5); }
void KQ186_INTERFACE::on_radioButton_7_clicked() { set_unit(6); }
void KQ186_INTERFACE::on_radioButton_8_clicked() { set_unit(7); }
void KQ186_INTERFACE::on_radioButton_9_clicked() { set_unit(8); }
void KQ186_INTERFACE::on_radioButton_10_clicked() { set_unit(9); }
void KQ186_INTERFACE::on_radioButton_11_clicked() { set_unit(10); }
void KQ186_INTERFACE::on_radioButton_12_clicked() { set_unit(11); }
void KQ186_INTERFACE::on_radioButton_13_clicked() { set_unit(12); }
void KQ186_INTERFACE::on_radioButton_14_clicked() { set_unit(13); }

// ------------------------------------------------------------------ graphs and rows

void KQ186_INTERFACE::KQ186_plot_widget_init(QCustomPlot *plot, int, QString name, QString)
{
    ui->polt->setCurrentIndex(0);
    frame::setup_time_plot(plot, name);
}

void KQ186_INTERFACE::KQ186_set_rt_data_plot(uint32_t time, double value)
{
    // The point goes at the instrument's time, as the row does.
    frame::add_realtime_point(*frame, rt_data, time, value, true);
}

void KQ186_INTERFACE::KQ186_set_save_data_plot(uint32_t time, double value)
{
    frame::add_stored_point(*frame, save_data, time, value, true);
}

void KQ186_INTERFACE::add_rt_table_row(quint32 time, float pa)
{
    frame::append_row(ui->RT_table_data, time, kq186::convert_text(unit_index, pa), display_unit_str, true);
}

void KQ186_INTERFACE::add_read_table_row(quint32 time, float pa)
{
    frame::append_row(ui->read_table_data, time, kq186::convert_text(unit_index, pa), display_unit_str, false);
}

void KQ186_INTERFACE::show_rt_statistics()
{
    STATISTICS_ITEM shown = statistics.items[0];
    shown.high_count = statistics.items[2].high_count;
    shown.low_count = statistics.items[2].low_count;
    frame::show_statistics(this, shown, QString(), true, kq186::k_most_decimals);
}

// ------------------------------------------------------------------ answers

void KQ186_INTERFACE::get_rt_data(QQueue<quint16> queue)
{
    kq186::RealTime rt;
    if (!kq186::decode_realtime(queue, &rt))
        return;
    // Following the instrument's unit: nothing is sent back and the
    // statistics go on, worked out again in the new unit.
    // A code without a unit stays one in 8 bits: 261 must not become psi.
    const quint8 new_index = kq186::unit(rt.unit) ? quint8(rt.unit) : quint8(0xFF);
    if (new_index != unit_index && !rt_pa.isEmpty()) {
        statistics.reset_channel(0);
        for (float pa : qAsConst(rt_pa))
            statistics.data_update(0, kq186::convert(new_index, pa));
    }
    unit_index = new_index;
    display_unit_str = kq186::unit_name(unit_index);
    qDebug("unit_index = %d,display_unit_str = %s ", int(unit_index), qPrintable(display_unit_str));
    ui->gunspeed->setUnit(display_unit_str);
    check_unit_radio(unit_index);

    const double value = kq186::convert(unit_index, rt.pa);
    add_rt_table_row(rt.time, rt.pa);
    KQ186_set_rt_data_plot(rt.time, value);
    // The scale follows the reading in pascal, whatever unit is shown.
    if (rt.pa < 10000.0f)
        ui->gunspeed->setRange(10000, 0);
    else
        ui->gunspeed->setRange(40000, 0);
    ui->gunspeed->setValue(value);
    rt_pa.append(rt.pa);
    statistics.data_update(0, value);
    if (statistics.data_update(2, double(rt.pa)) != DATA_STATISTICS::NO_ALARM)
        frame::mark_alarm(ui->RT_table_data, ui->RT_table_data->rowCount() - 1);
    show_rt_statistics();
}

void KQ186_INTERFACE::get_save_data(QQueue<quint16> queue)
{
    if (queue.isEmpty())
        return;
    const QVector<kq186::Stored> records = kq186::decode_stored(queue);
    if (records.isEmpty()) {
        // Words, but not one whole record: as good as no answer.
        frame->no_data_received();
        return;
    }
    for (const kq186::Stored &s : records) {
        const double value = kq186::convert(unit_index, s.pa);
        add_read_table_row(s.time, s.pa);
        KQ186_set_save_data_plot(s.time, value);
        statistics.data_update(1, value);
        frame::show_statistics(this, statistics.items[1], QString(), false, kq186::k_most_decimals);
    }
    frame->close_wait_box();
    frame::finish_stored(*frame);
}

// ------------------------------------------------------------------ buttons

void KQ186_INTERFACE::on_upload_Button_clicked(bool checked)
{
    frame->upload(checked);
    // Unlike the other windows the "set" group stays usable: a unit picked
    // now shows the stored records again in that unit.
    ui->start_button->setChecked(false);
    ui->Pause_Button->setChecked(false);
}

void KQ186_INTERFACE::on_sync_Button_clicked()
{
    emit HID_write_cmd(3);
}

void KQ186_INTERFACE::on_data_export_Button_clicked()
{
    clean_dialog->exec();
}

void KQ186_INTERFACE::clean_data_slot(int cmd)
{
    if (cmd != 0)
        emit HID_write_cmd(6);
    clear_all_data();
}
