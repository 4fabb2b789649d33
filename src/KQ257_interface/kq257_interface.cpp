#include "KQ257_interface/kq257_interface.h"
#include "ui_kq257_interface.h"

#include "frame/decimal.h"
#include "frame/model_frame.h"
#include "frame/quiet_updates.h"
#include "frame/series.h"
#include "menu_dialog/menu_dialog.h"
#include "frame/hid_link.h"
#include "frame/compact_item.h"
#include "usb_help/hid_interdace.h"

#include <QDateTime>
#include <QDebug>
#include <QMetaType>
#include <QTableWidget>

namespace {

// Factors of the instrument's firmware, single precision widened to double.
const double k_f18 = double(1.8f);
const double k_f001 = double(0.01f);

const char *k_radio_style =
    "QRadioButton::indicator {width:12px;height:12px;border-radius:7px;border-style:solid;"
    "border-width:1px;border-color:black;}QRadioButton::indicator:checked {background-color:red;}"
    "QRadioButton::indicator:unchecked {background-color:white;}";

QString stamp_text(uint32_t time)
{
    return QDateTime::fromTime_t(time).toString(QStringLiteral("hh:mm:ss yyyy-MM-dd"));
}

}

KQ257_INTERFACE::KQ257_INTERFACE(QWidget *parent)
    : QMainWindow(parent), ui(new Ui::KQ257_INTERFACE)
{
    ui->setupUi(this);

    frame::Config config;
    config.model_title = QStringLiteral("WRX-4");
    config.layout = frame::TableLayout::UnitPairs;
    config.preview_bmp_slot = SLOT(KQ257_preview_BMP(QPrinter*));
    config.preview_table_slot = SLOT(KQ257_preview_table(QPrinter*));
    frame::Hooks hooks;
    hooks.retranslate = [this] { ui->retranslateUi(this); };
    hooks.send_command = [this](int cmd) { emit HID_write_cmd(cmd); };
    hooks.clear_model = [this] { clear_model(); };
    m_frame = new frame::ModelFrame(this, config, hooks);
    m_frame->base_init();

    link = frame::make_hid_link(this);
    // An upload that brings nothing must not leave the waiting box open.
    connect(link, &HID_INTERDACE::not_get_any_data, this, &KQ257_INTERFACE::hide_widget);
    link->start(QThread::InheritPriority);

    KQ257_plot_widget_init(ui->RT_plot, true, tr("Temperature"), tr("Humidity"));
    KQ257_plot_widget_init(ui->read_plot, true, tr("Temperature"), tr("Humidity"));
    rt_temp = m_frame->add_series(ui->RT_plot, 0);
    rt_humi = m_frame->add_series(ui->RT_plot, 1);
    save_temp = m_frame->add_series(ui->read_plot, 0);
    save_humi = m_frame->add_series(ui->read_plot, 1);
    rt_temp_c.reset(new QCPGraphDataContainer);
    save_temp_c.reset(new QCPGraphDataContainer);
    ui->RT_plot->replot();

    ui->gunspeed->setValue(0);
    ui->gunspeed->setRange(80, -40);
    ui->gunspeed->setTitle(tr("Temperature:"));
    ui->gunspeed->setUnit(tr("℃"));
    ui->gunspeed_2->setValue(0);
    ui->gunspeed_2->setRange(99, 0);
    ui->gunspeed_2->setTitle(tr("Humidity:"));
    ui->gunspeed_2->setUnit(tr("%RH"));

    for (int i = 0; i < 4; ++i)
        statistics.add_channel();

    menu_dialog = new Menu_dialog(this);
    menu_dialog->set_page(1);
    connect(menu_dialog, &Menu_dialog::send_stamp, this, &KQ257_INTERFACE::set_stamp_slot);
    connect(menu_dialog, &Menu_dialog::send_T_reset, this, &KQ257_INTERFACE::threshold_reset);
    connect(menu_dialog, SIGNAL(send_limit_signal(float,float,float,float)),
            this, SLOT(set_limit_slot(float,float,float,float)));

    ui->radioButton->setChecked(true);
    ui->radioButton->setStyleSheet(QLatin1String(k_radio_style));
    ui->radioButton_2->setStyleSheet(QLatin1String(k_radio_style));
    fit_statistics_bar();
    frame::ModelFrame::fit_date_column(ui->RT_table_data);
    frame::ModelFrame::fit_date_column(ui->read_table_data);
}

// The maximum / minimum / average bar (and the alarm counters) were laid out for narrower fonts than
// most Linux desktops use, and at the form's width its texts were cut off:
// the fixed gaps between its items give way (the spacers still open them up
// when there is room).
void KQ257_INTERFACE::fit_statistics_bar()
{
    for (QBoxLayout *l : {ui->horizontalLayout_5, ui->horizontalLayout_8}) {
        l->setSpacing(0);
        const QMargins m = l->contentsMargins();
        l->setContentsMargins(2, m.top(), 2, m.bottom());
    }
    QBoxLayout *bar = ui->horizontalLayout_4;
    const QMargins m = bar->contentsMargins();
    bar->setContentsMargins(2, m.top(), 2, m.bottom());
    bar->setSpacing(4);
    // Likewise the two red alarm-counter boxes under the table.
    for (QGridLayout *g : {ui->gridLayout_12, ui->gridLayout_13}) {
        const QMargins gm = g->contentsMargins();
        g->setContentsMargins(3, gm.top(), 3, gm.bottom());
    }
}

KQ257_INTERFACE::~KQ257_INTERFACE()
{
    delete link;   // stops its threads and closes the device
    link = nullptr;
    delete ui;
}

void KQ257_INTERFACE::set_device_path(QString path)
{
    qDebug() << "set_device_path" << path;
    link->hid_connect(path);
}

// ------------------------------------------------------------------ frame slots

void KQ257_INTERFACE::status_reflash() { m_frame->status_reflash(); }
void KQ257_INTERFACE::device_status_update(int status) { m_frame->device_status_update(status); }
void KQ257_INTERFACE::on_language_Button_released() { m_frame->language_switch(); }
void KQ257_INTERFACE::on_language_Button_clicked() {}
void KQ257_INTERFACE::on_start_button_clicked(bool checked) { m_frame->start(checked); }
void KQ257_INTERFACE::on_start_button_clicked() {}
void KQ257_INTERFACE::on_Pause_Button_clicked() { m_frame->pause(); }
void KQ257_INTERFACE::get_rt_data_cmd_slot() { m_frame->request_rt_data(); }
void KQ257_INTERFACE::set_stamp_slot(int time_stamp) { m_frame->set_stamp(time_stamp); }
void KQ257_INTERFACE::threshold_reset() { statistics.reset_limit(); }
void KQ257_INTERFACE::on_data_export_Button_clicked() { m_frame->clear_all_data(); }
void KQ257_INTERFACE::on_timestamp_currentIndexChanged(int) { m_frame->time_span_changed(); }
void KQ257_INTERFACE::on_meun_Button_clicked() { m_frame->run_menu(menu_dialog); }
void KQ257_INTERFACE::on_File_Button_clicked() { m_frame->open_file_dialog(); }
void KQ257_INTERFACE::on_printing_Button_clicked() { m_frame->open_print_dialog(); }
void KQ257_INTERFACE::on_help_Button_clicked() { m_frame->open_help(); }
void KQ257_INTERFACE::receive_data_over() { m_frame->close_wait_box(); }
void KQ257_INTERFACE::hide_widget() { m_frame->no_data_received(); }
void KQ257_INTERFACE::SAVE_table_Slot() { m_frame->save_table(); }
void KQ257_INTERFACE::SAVE_BMP_Slot() { m_frame->save_picture(); }
void KQ257_INTERFACE::Printf_BMP_Slot() { m_frame->print_picture(); }
void KQ257_INTERFACE::Printf_table_Slot() { m_frame->print_table(); }
void KQ257_INTERFACE::KQ257_preview_BMP(QPrinter *printer) { m_frame->paint_picture(printer); }
void KQ257_INTERFACE::KQ257_preview_table(QPrinter *printer) { m_frame->paint_table(printer); }

void KQ257_INTERFACE::on_upload_Button_clicked(bool checked)
{
    m_frame->upload(checked);
    set_unit(unit_index);   // stored records arrive in ℃
}

void KQ257_INTERFACE::on_sync_Button_clicked()
{
    emit HID_write_cmd(3);
}

void KQ257_INTERFACE::clear_model()
{
    statistics.reset_all();
    labels_record = -1;   // the labels keep their texts until the next reading
    rt_temp_c->clear();
    save_temp_c->clear();
}

// ------------------------------------------------------------------ readings

QTableWidgetItem *KQ257_INTERFACE::temperature_item(double celsius, const QString &text) const
{
    auto *item = new compact_item(text);
    item->setData(Qt::UserRole, celsius);   // the reading itself, for unit changes
    return item;
}

// The maximum, minimum and average of a record pair (0/1 real time, 3/2
// stored) with their units; the temperatures are kept in ℃ and shown in the
// unit of the tables.
void KQ257_INTERFACE::show_statistics(int record)
{
    labels_record = record;
    // Readings in hundredths, rounded in decimal: an average of 0.025 ℃
    // shows 0.03 ℃ and 32.05 ℉.
    const STATISTICS_ITEM &t = statistics.items[record];
    auto shown = [&](const frame::Exact &c) {
        return frame::rounded_text(unit_index == 1 ? frame::exact_fahrenheit(c) : c, 2) + unit_text;
    };
    frame::set_steady_text(ui->MAX_T_label, shown(frame::exact_reading(t.max, 2)));
    frame::set_steady_text(ui->MIN_T_label, shown(frame::exact_reading(t.min, 2)));
    frame::set_steady_text(ui->AVG_T_label, shown(frame::running_mean(t, 2)));
    const STATISTICS_ITEM &hr = statistics.items[record == 0 ? 1 : 2];
    const QString rh = QStringLiteral("%RH");
    frame::set_steady_text(ui->MAX_H_label, frame::rounded_text(frame::exact_reading(hr.max, 2), 2) + rh);
    frame::set_steady_text(ui->MIN_H_label, frame::rounded_text(frame::exact_reading(hr.min, 2), 2) + rh);
    frame::set_steady_text(ui->AVG_H_label, frame::rounded_text(frame::running_mean(hr, 2), 2) + rh);
}

void KQ257_INTERFACE::get_rt_data(QQueue<quint16> queue)
{
    if (queue.size() < 4)
        return;
    const quint16 w0 = queue[0], w1 = queue[1], w2 = queue[2], w3 = queue[3];
    const uint32_t time = uint32_t(w1) * 65536u + w0;
    if (time == 0)
        return;
    const double t = double(qint16(w2)) * k_f001;
    const double h = double(w3) * k_f001;
    const double ts = celsius_to_unit(t, unit_index);

    rt_temp_c->add(QCPGraphData(time, t));
    const bool t_alarm = statistics.data_update(0, t) != 0;
    const bool h_alarm = statistics.data_update(1, h) != 0;
    add_rt_table_row(time, t, h, t_alarm, h_alarm);
    KQ257_set_rt_data_plot(time, ts, h);
    ui->gunspeed->setValue(ts);
    ui->gunspeed_2->setValue(h);
    dial_celsius = t;
    dial_set = true;

    show_statistics(0);
    const STATISTICS_ITEM &hr = statistics.items[1];
    frame::set_steady_text(ui->T_up_num_2, QString::number(statistics.items[0].high_count, 'g', 6));
    frame::set_steady_text(ui->T_down_num_2, QString::number(statistics.items[0].low_count, 'g', 6));
    frame::set_steady_text(ui->H_up_num_2, QString::number(hr.high_count, 'g', 6));
    frame::set_steady_text(ui->H_down_num_2, QString::number(hr.low_count, 'g', 6));
}

// Each cell is complete before it goes in: a change to a cell already in
// the table makes its views walk their rows again, which a long run feels.
void KQ257_INTERFACE::add_rt_table_row(uint32_t time, double celsius, double humidity, bool t_alarm, bool h_alarm)
{
    QTableWidget *table = ui->RT_table_data;
    const QBrush alarm(Qt::red, Qt::SolidPattern);
    // The cell keeps the reading in ℃, so unit changes never accumulate rounding.
    QTableWidgetItem *t_item = temperature_item(
        celsius, QString::number(celsius_to_unit(celsius, unit_index), 'f', 2) + unit_text);
    auto *h_item = new compact_item(QString::number(humidity, 'f', 2) + QStringLiteral("%RH"));
    if (t_alarm)
        t_item->setBackground(alarm);
    if (h_alarm)
        h_item->setBackground(alarm);
    const int row = table->rowCount();
    table->insertRow(row);
    table->setItem(row, 0, new compact_item(stamp_text(time)));
    table->setItem(row, 1, t_item);
    table->setItem(row, 2, h_item);
    frame::scroll_to_bottom_soon(table);
    table->show();
}

void KQ257_INTERFACE::KQ257_set_rt_data_plot(uint32_t time, double temperature, double humidity)
{
    const double key = QDateTime::fromTime_t(time).toTime_t();
    if (m_frame->rt_start_time == 0) {
        m_frame->rt_start_time = time;
        qDebug() << "rt start time" << m_frame->rt_start_time;
    }
    rt_temp->add(key, temperature);
    rt_humi->add(key, humidity);
    m_frame->apply_time_span(time);
    fit_rt_axes();
    frame::replot_soon(ui->RT_plot);
}

// Value axes to the points in view: humidity at least 1 wide, temperature
// at least 1 wide or else widened by 1 on each side.
void KQ257_INTERFACE::fit_rt_axes()
{
    frame::ModelFrame::fit_values(ui->RT_plot->yAxis2);
    QCPAxis *left = ui->RT_plot->yAxis;
    if (frame::ModelFrame::fit_values(left))
        left->setRange(left->range().lower - 1, left->range().upper + 1);
}

void KQ257_INTERFACE::fit_save_axes()
{
    frame::ModelFrame::fit_values(ui->read_plot->yAxis);
    frame::ModelFrame::fit_values(ui->read_plot->yAxis2);
}

void KQ257_INTERFACE::get_save_data(QQueue<quint16> queue)
{
    if (queue.isEmpty())
        return;
    if (queue.size() % 4 != 0)
        qDebug() << "stored answer ends inside a record; dropped" << queue.size() % 4 << "words";
    for (int i = 0; i + 4 <= queue.size(); i += 4) {
        const uint32_t time = uint32_t(queue[i + 1]) * 65536u + queue[i];
        const double t = double(float(qint16(queue[i + 2])) / 100.0f);
        const double h = double(float(queue[i + 3]) / 100.0f);
        save_temp_c->add(QCPGraphData(time, t));
        add_read_table_row(time, t, h);
        KQ257_set_save_data_plot(time, t, h);
        statistics.data_update(3, t);
        statistics.data_update(2, h);
    }
    // With their units: the stored table may be shown in ℉ (once the upload ends).
    show_statistics(3);

    m_frame->close_wait_box();
    ui->read_table_data->scrollToBottom();
    ui->read_table_data->show();
    ui->read_plot->replot(QCustomPlot::rpRefreshHint);
}

void KQ257_INTERFACE::add_read_table_row(uint32_t time, double temperature, double humidity)
{
    QTableWidget *table = ui->read_table_data;
    const int row = table->rowCount();
    table->setRowCount(row + 1);
    table->setItem(row, 0, new compact_item(stamp_text(time)));
    table->setItem(row, 1, temperature_item(temperature, QString::number(temperature, 'f', 2) + QStringLiteral("℃")));
    table->setItem(row, 2, new compact_item(QString::number(humidity, 'f', 2) + QStringLiteral(" %RH")));
}

void KQ257_INTERFACE::KQ257_set_save_data_plot(uint32_t time, double temperature, double humidity)
{
    if (m_frame->save_start_time == 0) {
        m_frame->save_start_time = time;
        qDebug() << "save start time" << m_frame->save_start_time;
    }
    save_temp->add(time, temperature);
    save_humi->add(time, humidity);
    frame::ModelFrame::set_key_range(ui->read_plot->xAxis, save_temp->data());
    fit_save_axes();
}

void KQ257_INTERFACE::KQ257_plot_widget_init(QCustomPlot *plot, bool right_axis, const QString &temp_label,
                                             const QString &humi_label)
{
    ui->polt->setCurrentIndex(0);
    plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom | QCP::iSelectAxes);
    plot->legend->setVisible(true);
    plot->legend->setBrush(QColor(255, 255, 255, 230));
    plot->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignRight | Qt::AlignBottom);
    QCPGraph *temp = plot->addGraph(plot->xAxis, plot->yAxis);
    temp->setPen(QPen(Qt::red));
    temp->setName(temp_label);
    QCPGraph *humi = plot->addGraph(plot->xAxis, plot->yAxis2);
    humi->setPen(QPen(Qt::blue));
    humi->setName(humi_label);
    plot->xAxis->setRange(0, 20);
    plot->yAxis->setRange(0, 20);
    plot->yAxis->setRangeLower(5);
    plot->yAxis2->setRange(0, 20);
    plot->yAxis2->setRangeLower(5);
    plot->yAxis2->setVisible(right_axis);
    plot->yAxis2->setTickLength(3, 3);
    plot->yAxis2->setSubTickLength(1, 1);
    plot->xAxis->setTickLength(0, 5);
    plot->xAxis->setSubTickLength(0, 3);
    plot->yAxis->setLabel(temp_label);
    plot->yAxis2->setLabel(humi_label);
    frame::ModelFrame::set_date_ticker(plot);
    plot->axisRect()->setRangeDragAxes({plot->yAxis2, plot->xAxis2, plot->yAxis, plot->xAxis});
    plot->axisRect()->setRangeZoomAxes({plot->yAxis2, plot->xAxis2, plot->yAxis, plot->xAxis});
}

// ------------------------------------------------------------------ limits and units

void KQ257_INTERFACE::set_limit_slot(float first_data, float second_data, float third_data, float fourth_data)
{
    statistics.set_limit(0, first_data, second_data);
    statistics.set_limit(1, third_data, fourth_data);
}

void KQ257_INTERFACE::on_radioButton_clicked() { set_unit(0); }
void KQ257_INTERFACE::on_radioButton_2_clicked() { set_unit(1); }

double KQ257_INTERFACE::celsius_to_unit(double value, int unit)
{
    return unit == 1 ? value * k_f18 + 32 : value;
}

double KQ257_INTERFACE::convert_temperature(double value, int target_unit, int source_unit)
{
    if (target_unit == source_unit)
        return value;
    if (target_unit == 0)
        return (value - 32) / k_f18;
    if (target_unit == 1)
        return value * k_f18 + 32;
    return value;
}

void KQ257_INTERFACE::set_unit(int unit)
{
    if (unit == 1) {
        unit_text = QStringLiteral("℉");
        unit_index = 1;
        ui->gunspeed->setRange(175, -40);
    } else {
        unit_text = QStringLiteral("℃");
        unit_index = 0;
        ui->gunspeed->setRange(80, -40);
    }
    ui->gunspeed->setUnit(unit_text);
    // The dial and the statistics hold ℃ readings: shown again in the new
    // unit, so that they agree with the tables (cleared, they would keep
    // the old unit's numbers until the next reading).
    if (dial_set)
        ui->gunspeed->setValue(celsius_to_unit(dial_celsius, unit_index));
    if (labels_record >= 0)
        show_statistics(labels_record);
    convert_table_unit(ui->RT_table_data);
    convert_table_unit(ui->read_table_data);
    // The graphs show the kept ℃ readings in the new unit.
    const int u = unit_index;
    rt_temp->set_values(rt_temp_c, [u](double c) { return celsius_to_unit(c, u); });
    save_temp->set_values(save_temp_c, [u](double c) { return celsius_to_unit(c, u); });
    // The value axes follow, or the converted curve would leave the plot.
    fit_rt_axes();
    fit_save_axes();
    ui->RT_plot->replot(QCustomPlot::rpRefreshHint);
    ui->read_plot->replot(QCustomPlot::rpRefreshHint);
}

void KQ257_INTERFACE::convert_table_unit(QTableWidget *table)
{
    static const QString celsius = QStringLiteral("℃");
    static const QString fahrenheit = QStringLiteral("℉");
    for (int r = 0; r < table->rowCount(); ++r) {
        for (int c = 0; c < table->columnCount(); ++c) {
            QTableWidgetItem *item = table->item(r, c);
            if (!item)
                continue;
            const QString text = item->text();
            const QString *unit = text.endsWith(celsius) ? &celsius : text.endsWith(fahrenheit) ? &fahrenheit : nullptr;
            if (!unit)
                continue;
            double celsius_value;
            const QVariant kept = item->data(Qt::UserRole);
            if (kept.isValid()) {
                celsius_value = kept.toDouble();
            } else {
                bool ok = false;
                const double v = text.left(text.indexOf(*unit)).toDouble(&ok);
                if (!ok)
                    continue;
                celsius_value = unit == &celsius ? v : convert_temperature(v, 0, 1);
                item->setData(Qt::UserRole, celsius_value);
            }
            item->setText(QString::number(celsius_to_unit(celsius_value, unit_index), 'f', 2) + unit_text);
        }
    }
}
