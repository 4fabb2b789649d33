#include "KQ263_interface/kq263_interface.h"
#include "ui_kq263_interface.h"

#include "KQ263_interface/kq263_words.h"
#include "common/app_env.h"
#include "frame/hid_window.h"
#include "frame/model_frame.h"
#include "frame/series.h"
#include "menu_dialog/menu_dialog.h"
#include "usart_debug/usart_debug.h"
#include "frame/hid_link.h"
#include "usb_help/hid_interdace.h"

#include <QDebug>

KQ263_INTERFACE::KQ263_INTERFACE(QWidget *parent)
    : QMainWindow(parent), ui(new Ui::KQ263_INTERFACE)
{
    ui->setupUi(this);

    frame::Config config;
    config.model_title = QStringLiteral("KQ263");
    config.style_whole_application = true;
    config.notice_title = "info";
    config.preview_bmp_slot = SLOT(KQ263_preview_BMP(QPrinter*));
    config.preview_table_slot = SLOT(KQ263_preview_table(QPrinter*));
    frame::Hooks hooks;
    hooks.retranslate = [this] { ui->retranslateUi(this); };
    hooks.send_command = [this](int cmd) { emit HID_write_cmd(cmd); };
    hooks.clear_model = [this] { statistics.reset_all(); };
    frame = new frame::ModelFrame(this, config, hooks);
    frame->base_init();

    link = frame::make_hid_link(this);
    usart_window = new USART_DEBUG(nullptr);
    usart_window->close();   // shown by USART_Check only
    link->start(QThread::InheritPriority);

    KQ263_plot_widget_init(ui->RT_plot, tr("lux"));
    KQ263_plot_widget_init(ui->read_plot, tr("lux"));
    rt_data = frame->add_series(ui->RT_plot, 0);
    save_data = frame->add_series(ui->read_plot, 0);
    ui->RT_plot->replot(QCustomPlot::rpRefreshHint);
    frame::ModelFrame::fit_date_column(ui->RT_table_data);
    frame::ModelFrame::fit_date_column(ui->read_table_data);
    frame::ModelFrame::wrap_header(ui->RT_table_data);

    ui->gunspeed->setValue(30);
    ui->gunspeed->setRange(20000, 0);
    ui->gunspeed->setTitle(QString());
    ui->gunspeed->setUnit(tr("lux"));

    statistics.add_channel();   // 0: real time
    statistics.add_channel();   // 1: never fed (no stored records)

    menu_dialog = new Menu_dialog(this);
    menu_dialog->set_page(2);
    connect(menu_dialog, &Menu_dialog::send_stamp, this, &KQ263_INTERFACE::set_stamp_slot);
    connect(menu_dialog, &Menu_dialog::send_T_reset, this, &KQ263_INTERFACE::threshold_reset);
    connect(menu_dialog, QOverload<float, float>::of(&Menu_dialog::send_limit_signal), this,
            &KQ263_INTERFACE::set_limit_slot);

    connect(this, &KQ263_INTERFACE::USART_RX, usart_window, &USART_DEBUG::USART_TX, Qt::DirectConnection);
    connect(this, &KQ263_INTERFACE::is_checked, usart_window, &USART_DEBUG::ForeachPort, Qt::DirectConnection);
    connect(ui->USART_Check, &QCheckBox::stateChanged, this, &KQ263_INTERFACE::Show_USART_Windows);
    connect(this, &KQ263_INTERFACE::usart_close, usart_window, &USART_DEBUG::USART_Close, Qt::DirectConnection);
}

KQ263_INTERFACE::~KQ263_INTERFACE()
{
    delete ui;
    delete usart_window;   // closes its port
    delete link;
}

void KQ263_INTERFACE::set_device_path(QString path)
{
    qDebug() << "set_device_path" << path;
    link->hid_connect(path);
}

// ------------------------------------------------------------------ frame

void KQ263_INTERFACE::status_reflash() { frame->status_reflash(); }
void KQ263_INTERFACE::device_status_update(int status) { frame->device_status_update(status); }
void KQ263_INTERFACE::get_rt_data_cmd_slot() { emit HID_write_cmd(1); }
void KQ263_INTERFACE::on_start_button_clicked(bool checked) { frame->start(checked); }
void KQ263_INTERFACE::on_start_button_clicked() {}
void KQ263_INTERFACE::on_Pause_Button_clicked() { frame->pause(); }
void KQ263_INTERFACE::on_data_export_Button_clicked() { clear_all_data(); }
void KQ263_INTERFACE::on_language_Button_released() { frame->language_switch(); }
void KQ263_INTERFACE::on_language_Button_clicked() {}
void KQ263_INTERFACE::on_meun_Button_clicked() { frame->run_menu(menu_dialog); }
void KQ263_INTERFACE::on_File_Button_clicked() { frame->open_file_dialog(); }
void KQ263_INTERFACE::on_printing_Button_clicked() { frame->open_print_dialog(); }
void KQ263_INTERFACE::on_help_Button_clicked() { frame->open_help(); }
void KQ263_INTERFACE::on_timestamp_currentIndexChanged(int) { frame->time_span_changed(); }
void KQ263_INTERFACE::set_stamp_slot(int time_stamp) { frame->set_stamp(time_stamp); }

void KQ263_INTERFACE::threshold_reset()
{
    statistics.reset_limit();
}
void KQ263_INTERFACE::SAVE_BMP_Slot() { frame->save_picture(); }
void KQ263_INTERFACE::SAVE_table_Slot() { frame->save_table(); }
void KQ263_INTERFACE::Printf_BMP_Slot() { frame->print_picture(); }
void KQ263_INTERFACE::Printf_table_Slot() { frame->print_table(); }
void KQ263_INTERFACE::KQ263_preview_BMP(QPrinter *printer) { frame->paint_picture(printer); }
void KQ263_INTERFACE::KQ263_preview_table(QPrinter *printer) { frame->paint_table(printer); }
void KQ263_INTERFACE::clear_all_data() { frame->clear_all_data(); }
void KQ263_INTERFACE::get_save_data(QQueue<quint16>) {}

void KQ263_INTERFACE::set_limit_slot(float first_data, float second_data)
{
    statistics.set_limit(0, first_data, second_data);
}

// ------------------------------------------------------------------ graphs and rows

void KQ263_INTERFACE::KQ263_plot_widget_init(QCustomPlot *plot, QString name)
{
    ui->polt->setCurrentIndex(0);
    frame::setup_time_plot(plot, name);
}

void KQ263_INTERFACE::KQ263_set_rt_data_plot(double value)
{
    frame::add_realtime_point(*frame, rt_data, now_key, value);
}

void KQ263_INTERFACE::add_rt_table_row(const QString &text)
{
    frame::append_row(ui->RT_table_data, now_key, text,
                      ui->radioButton_2->isChecked() ? QStringLiteral("fc") : QStringLiteral("lux"), true);
}

// ------------------------------------------------------------------ answers

void KQ263_INTERFACE::get_rt_data(QQueue<quint16> queue)
{
    const bool fc = ui->radioButton_2->isChecked();
    kq263::Reading r;
    if (!kq263::decode_realtime(queue, fc, &r))
        return;
    const QString unit = fc ? QStringLiteral("fc") : QStringLiteral("lux");
    ui->RT_plot->yAxis->setLabel(unit);
    if (QCPGraph *g = ui->RT_plot->graph(0))
        g->setName(unit);
    ui->gunspeed->setUnit(fc ? unit : tr("lux"));

    // The answer has no time stamp: the row and the point take the PC's time.
    now_key = quint32(app_env::now().toSecsSinceEpoch());
    const double value = double(r.value);
    add_rt_table_row(kq263::table_text(r.raw));
    KQ263_set_rt_data_plot(value);
    emit USART_RX(r.whole);
    if (statistics.data_update(0, value) != DATA_STATISTICS::NO_ALARM)
        frame::mark_alarm(ui->RT_table_data, ui->RT_table_data->rowCount() - 1);
    frame::show_statistics(this, statistics.items[0], unit, true, 2);   // hundredths

    const kq263::Band band = kq263::gauge_band(r.value, light_unit);
    ui->gunspeed->setRange(band.max, band.min);
    ui->gunspeed->setValue(value);
}

// ------------------------------------------------------------------ unit

void KQ263_INTERFACE::on_radioButton_clicked() { set_unit(0); }
void KQ263_INTERFACE::on_radioButton_2_clicked() { set_unit(1); }

void KQ263_INTERFACE::set_unit(int unit)
{
    // Limits stay as they are; from the next reading they are compared in the new unit.
    statistics.reset_all();
    if (unit == 0) {
        unit_text = QStringLiteral("lux");
        light_unit = 0;
        ui->gunspeed->setRange(20000, 0);
    } else {
        unit_text = QStringLiteral("fc");
        light_unit = quint8(unit);
        ui->gunspeed->setRange(light_unit == 1 ? 36031 : 0, 0);
    }
    ui->gunspeed->setUnit(unit_text);
}

// ------------------------------------------------------------------ serial debug window

void KQ263_INTERFACE::Show_USART_Windows()
{
    if (ui->USART_Check->isChecked()) {
        emit is_checked();
        usart_window->show();
    } else {
        emit usart_close();
        usart_window->close();
    }
}
