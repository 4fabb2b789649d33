#include "KQ291_interface/kq291_interface.h"
#include "ui_kq291_interface.h"

#include "clean_data/clean_data.h"
#include "common/app_env.h"
#include "frame/hid_window.h"
#include "frame/model_frame.h"
#include "frame/series.h"
#include "menu_dialog/menu_dialog.h"
#include "save_data_index/save_data_index.h"
#include "usb_help/kq291_hid_interdace.h"

#include <QDebug>
#include <QMessageBox>

namespace {

const char *const BOX_UNIT = "dBA";

QString table_unit(int weighting)
{
    switch (weighting) {
    case 0: return QStringLiteral("dbA");
    case 1: return QStringLiteral("dbC");
    case 2: return QStringLiteral("dbZ");
    default: return QString();
    }
}

quint32 pc_seconds()
{
    return quint32(app_env::now().toSecsSinceEpoch());
}

}

KQ291_INTERFACE::KQ291_INTERFACE(QWidget *parent)
    : QMainWindow(parent), ui(new Ui::KQ291_INTERFACE)
{
    ui->setupUi(this);

    frame::Config config;
    config.model_title = QStringLiteral("KQ291");
    config.style_whole_application = true;
    config.notice_title = "info";
    config.picture_cancel[0] = "show path";
    config.picture_cancel[1] = "no file choosed";
    config.preview_bmp_slot = SLOT(KQ291_preview_BMP(QPrinter*));
    config.preview_table_slot = SLOT(KQ291_preview_table(QPrinter*));
    frame::Hooks hooks;
    hooks.retranslate = [this] { ui->retranslateUi(this); };
    hooks.send_command = [this](int cmd) { emit HID_write_cmd(cmd); };
    hooks.clear_model = [this] { statistics.reset_all(); };
    frame = new frame::ModelFrame(this, config, hooks);
    frame->base_init();

    link = new KQ291_HID_INTERDACE();
    connect(this, SIGNAL(HID_write_cmd(int)), link, SLOT(HID_interface_cmd(int)));
    connect(link, &KQ291_HID_INTERDACE::HID_status_update, this, &KQ291_INTERFACE::device_status_update);
    connect(link, &KQ291_HID_INTERDACE::HID_get_rt_data, this, &KQ291_INTERFACE::get_rt_data);
    connect(link, &KQ291_HID_INTERDACE::get_save_data, this, &KQ291_INTERFACE::get_save_data);
    connect(link, &KQ291_HID_INTERDACE::clock_sync_done, this, &KQ291_INTERFACE::clock_sync_result);
    index_dialog = new SAVE_DATA_INDEX(nullptr);
    connect(link, &KQ291_HID_INTERDACE::get_save_data_index, index_dialog, &SAVE_DATA_INDEX::get_save_data_index);
    connect(index_dialog, SIGNAL(HID_write_cmd(int,int,int)), link, SLOT(HID_interface_cmd(int,int,int)));
    connect(link, &KQ291_HID_INTERDACE::not_get_any_data, index_dialog, &SAVE_DATA_INDEX::hide_widget);
    link->start(QThread::InheritPriority);

    KQ291_plot_widget_init(ui->RT_plot, 0, tr("DB"), QString());
    KQ291_plot_widget_init(ui->read_plot, 0, tr("DB"), QString());
    rt_data = frame->add_series(ui->RT_plot, 0);
    save_data = frame->add_series(ui->read_plot, 0);
    ui->RT_plot->replot(QCustomPlot::rpRefreshHint);
    frame::ModelFrame::fit_date_column(ui->RT_table_data);
    frame::ModelFrame::fit_date_column(ui->read_table_data);

    ui->gunspeed->setValue(30);
    ui->gunspeed->setRange(130, 30);
    ui->gunspeed->setTitle(tr("DB:"));
    ui->gunspeed->setUnit(tr("db"));

    statistics.add_channel();   // 0: real time
    statistics.add_channel();   // 1: stored records

    menu_dialog = new Menu_dialog(this);
    menu_dialog->set_page(4);
    connect(menu_dialog, &Menu_dialog::send_stamp, this, &KQ291_INTERFACE::set_stamp_slot);
    connect(menu_dialog, &Menu_dialog::send_T_reset, this, &KQ291_INTERFACE::threshold_reset);
    connect(menu_dialog, QOverload<float, float>::of(&Menu_dialog::send_limit_signal), this,
            &KQ291_INTERFACE::set_limit_slot);

    clean_dialog = new CLEAN_DATA(nullptr);
    connect(clean_dialog, &CLEAN_DATA::clean_data_source, this, &KQ291_INTERFACE::clean_data_slot);
}

KQ291_INTERFACE::~KQ291_INTERFACE()
{
    delete ui;
    delete link;
    delete index_dialog;
    delete clean_dialog;
}

void KQ291_INTERFACE::set_device_path(QString path)
{
    qDebug() << "set_device_path" << path;
    link->hid_connect(path);
}

// ------------------------------------------------------------------ frame

void KQ291_INTERFACE::status_reflash() { frame->status_reflash(); }
void KQ291_INTERFACE::device_status_update(int status) { frame->device_status_update(status); }
void KQ291_INTERFACE::get_rt_data_cmd_slot() { emit HID_write_cmd(1); }
void KQ291_INTERFACE::on_start_button_clicked(bool checked) { frame->start(checked); }
void KQ291_INTERFACE::on_start_button_clicked() {}
void KQ291_INTERFACE::on_Pause_Button_clicked() { frame->pause(); }
void KQ291_INTERFACE::on_language_Button_released() { frame->language_switch(); }
void KQ291_INTERFACE::on_language_Button_clicked() {}
void KQ291_INTERFACE::on_meun_Button_clicked() { frame->run_menu(menu_dialog); }
void KQ291_INTERFACE::on_File_Button_clicked() { frame->open_file_dialog(); }
void KQ291_INTERFACE::on_printing_Button_clicked() { frame->open_print_dialog(); }
void KQ291_INTERFACE::on_help_Button_clicked() { frame->open_help(); }
void KQ291_INTERFACE::on_timestamp_currentIndexChanged(int) { frame->time_span_changed(); }
void KQ291_INTERFACE::set_stamp_slot(int time_stamp) { frame->set_stamp(time_stamp); }
void KQ291_INTERFACE::threshold_reset() { statistics.reset_limit(); }
void KQ291_INTERFACE::SAVE_BMP_Slot() { frame->save_picture(); }
void KQ291_INTERFACE::SAVE_table_Slot() { frame->save_table(); }
void KQ291_INTERFACE::Printf_BMP_Slot() { frame->print_picture(); }
void KQ291_INTERFACE::Printf_table_Slot() { frame->print_table(); }
void KQ291_INTERFACE::KQ291_preview_BMP(QPrinter *printer) { frame->paint_picture(printer); }
void KQ291_INTERFACE::KQ291_preview_table(QPrinter *printer) { frame->paint_table(printer); }
void KQ291_INTERFACE::clear_all_data() { frame->clear_all_data(); }

void KQ291_INTERFACE::set_limit_slot(float first_data, float second_data)
{
    statistics.set_limit(0, first_data, second_data);
}

// ------------------------------------------------------------------ graphs and rows

void KQ291_INTERFACE::KQ291_plot_widget_init(QCustomPlot *plot, int, QString name, QString)
{
    ui->polt->setCurrentIndex(0);
    frame::setup_time_plot(plot, name);
}

void KQ291_INTERFACE::KQ291_set_rt_data_plot(double value)
{
    frame::add_realtime_point(*frame, rt_data, pc_seconds(), value);
}

void KQ291_INTERFACE::KQ291_set_save_data_plot(uint32_t time, double value, double)
{
    frame::add_stored_point(*frame, save_data, time, value);
}

void KQ291_INTERFACE::add_rt_table_row(double value)
{
    frame::append_row(ui->RT_table_data, pc_seconds(), QString::number(value, 'f', 1), table_unit(0), true);
}

void KQ291_INTERFACE::add_read_table_row(uint32_t time, double value, double weighting)
{
    frame::append_row(ui->read_table_data, time, QString::number(value, 'f', 2), table_unit(int(weighting)),
                      false);
}

// ------------------------------------------------------------------ answers

void KQ291_INTERFACE::get_rt_data(QQueue<quint16> queue)
{
    if (queue.isEmpty())
        return;
    const quint16 w = queue.dequeue();
    const double level = double(float(w) / 10.0f);
    add_rt_table_row(level);
    KQ291_set_rt_data_plot(level);
    ui->gunspeed->setValue(level);
    if (statistics.data_update(0, level) != DATA_STATISTICS::NO_ALARM)
        frame::mark_alarm(ui->RT_table_data, ui->RT_table_data->rowCount() - 1);
    frame::show_statistics(this, statistics.items[0], BOX_UNIT, true, 1);   // tenths of a dB
}

void KQ291_INTERFACE::get_save_data(QMap<uint32_t, float> qmap_data)
{
    if (qmap_data.isEmpty())
        return;
    for (auto it = qmap_data.constBegin(); it != qmap_data.constEnd(); ++it) {
        const double value = double(it.value());
        add_read_table_row(it.key(), value, 0);
        KQ291_set_save_data_plot(it.key(), value, 0);
        statistics.data_update(1, value);
        frame::show_statistics(this, statistics.items[1], QString(), false, 1);
    }
    frame::finish_stored(*frame);
    index_dialog->close_receive_info(true);
}

// ------------------------------------------------------------------ buttons

void KQ291_INTERFACE::on_upload_Button_clicked(bool checked)
{
    // Returns once the stored records (or the word that none came) closed the box.
    frame->upload_waiting_on(checked, [this] { index_dialog->close_receive_info(false); });
}

void KQ291_INTERFACE::on_sync_Button_clicked()
{
    emit HID_write_cmd(4);
}

void KQ291_INTERFACE::clock_sync_result(bool written)
{
    if (written)
        QMessageBox::about(nullptr, tr("info"), tr("save success!"));
    else
        QMessageBox::warning(nullptr, tr("warning"), tr("The clock could not be sent to the instrument!"));
}

void KQ291_INTERFACE::on_data_export_Button_clicked()
{
    clean_dialog->exec();
}

void KQ291_INTERFACE::clean_data_slot(int cmd)
{
    if (cmd != 0)
        emit HID_write_cmd(6);
    clear_all_data();
}

// The form shows A weighting only, checked and disabled: these never fire.
void KQ291_INTERFACE::on_radioButton_clicked() { set_weighting(0); }
void KQ291_INTERFACE::on_radioButton_2_clicked() { set_weighting(1); }
void KQ291_INTERFACE::on_radioButton_3_clicked() { set_weighting(2); }

void KQ291_INTERFACE::set_weighting(int type)
{
    if (type >= 0 && type <= 2)
        emit HID_write_cmd(4, type, 0);
    statistics.reset_all();
}
