#include "KQ240_interface/kq240_interface.h"
#include "ui_kq240_interface.h"

#include "common/app_env.h"
#include "frame/decimal.h"
#include "frame/compact_item.h"
#include "frame/model_frame.h"
#include "frame/quiet_updates.h"
#include "frame/series.h"
#include "menu_dialog/menu_dialog.h"
#include "usart_interface/usart_interface.h"

#include <QDateTime>
#include <QDebug>
#include <QHeaderView>
#include <QMessageBox>
#include <QSettings>
#include <QToolTip>

#include <cmath>

namespace {

const double k_f18 = double(1.8f);
const int k_invalid_raw = 28000;   // 2800.0 ℃: the instrument's "no reading"
const Qt::GlobalColor k_pens[4] = {Qt::red, Qt::blue, Qt::green, Qt::cyan};

const char *k_radio_style =
    "QRadioButton::indicator {width:12px;height:12px;border-radius:7px;border-style:solid;"
    "border-width:1px;border-color:black;}QRadioButton::indicator:checked {background-color:red;}"
    "QRadioButton::indicator:unchecked {background-color:white;}";

double tenths(quint16 raw)
{
    return double(float(qint16(raw)) / 10.0f);
}

bool valid_raw(quint16 raw)
{
    return qint16(raw) < k_invalid_raw;
}

}

KQ240_INTERFACE::KQ240_INTERFACE(QWidget *parent)
    : QMainWindow(parent), ui(new Ui::KQ240_INTERFACE)
{
    ui->setupUi(this);

    frame::Config config;
    config.model_title = QStringLiteral("KQ240");
    config.layout = frame::TableLayout::UnitColumn;
    config.rt_table_file = QStringLiteral("save_upload_table.xlsx");
    config.stored_picture_file = QStringLiteral("RT_data.bmp");
    config.table_cancel_rt[0] = config.table_cancel_stored[0] = "please choose path";
    config.table_cancel_rt[1] = config.table_cancel_stored[1] = "";
    config.picture_cancel[0] = "please choose path";
    config.preview_bmp_slot = SLOT(KQ240_preview_BMP(QPrinter*));
    config.preview_table_slot = SLOT(KQ240_preview_table(QPrinter*));
    frame::Hooks hooks;
    hooks.retranslate = [this] { ui->retranslateUi(this); };
    hooks.send_command = [this](int cmd) { emit HID_command(cmd); };
    hooks.clear_model = [this] { clear_model(); };
    m_frame = new frame::ModelFrame(this, config, hooks);
    m_frame->base_init();

    link = new usart_interface;
    connect(this, &KQ240_INTERFACE::HID_command, link, QOverload<int>::of(&usart_interface::slot_send_data));
    connect(link, &usart_interface::usart_connect_status, this, &KQ240_INTERFACE::device_status_update);
    connect(link, &usart_interface::get_RTdata, this, &KQ240_INTERFACE::get_rt_data);
    connect(link, &usart_interface::get_read_data, this, &KQ240_INTERFACE::get_save_data);

    ui->RT_plot->replot();
    // The graphs themselves come with the first Start or Upload (the
    // variant decides how many); the stores exist from now on.
    for (int k = 0; k < 4; ++k)
        rt_channel_data[k] = m_frame->add_series(ui->RT_plot, k);
    for (int k = 0; k < 4; ++k)
        save_channel_data[k] = m_frame->add_series(ui->read_plot, k);
    for (int k = 0; k < 4; ++k) {
        rt_celsius[k].reset(new QCPGraphDataContainer);
        save_celsius[k].reset(new QCPGraphDataContainer);
    }
    for (int i = 0; i < 8; ++i)
        statistics.add_channel();

    menu_dialog = new Menu_dialog(this);
    menu_dialog->set_page(0);
    connect(menu_dialog, &Menu_dialog::send_stamp, this, &KQ240_INTERFACE::set_stamp_slot);
    connect(menu_dialog, &Menu_dialog::send_T_reset, this, &KQ240_INTERFACE::threshold_reset);
    connect(menu_dialog, SIGNAL(send_limit_signal(QVector<double>)), this, SLOT(set_limit_slot(QVector<double>)));

    ui->radioButton->setChecked(true);
    unit_index = 0;
    unit_text = QStringLiteral("℃");
    ui->radioButton->setVisible(true);
    ui->radioButton_2->setVisible(true);
    ui->radioButton->setStyleSheet(QLatin1String(k_radio_style));
    ui->radioButton_2->setStyleSheet(QLatin1String(k_radio_style));
    frame::ModelFrame::fit_date_column(ui->RT_table_data);
}

KQ240_INTERFACE::~KQ240_INTERFACE()
{
    delete link;   // closes the port
    link = nullptr;
    delete ui;
}

int KQ240_INTERFACE::channel_count() const
{
    if (variant == QLatin1String("KQ240C"))
        return 4;
    if (variant == QLatin1String("KQ240B"))
        return 2;
    return 1;
}

void KQ240_INTERFACE::get_KQ240x(QString type)
{
    qDebug() << "get_KQ240x" << type;
    if (type == QLatin1String("KQ240"))
        variant = QStringLiteral("KQ240C");
    else if (type == QLatin1String("KQ2401"))
        variant = QStringLiteral("KQ240A");
    else if (type == QLatin1String("KQ2402"))
        variant = QStringLiteral("KQ240B");
}

void KQ240_INTERFACE::set_device_path(QString path)
{
    qDebug() << "set_device_path" << path;
    QSerialPort *port = link->serial;
    const bool reopen = port->isOpen();
    if (reopen)
        port->close();
    link->port_name = path;
    if (!reopen) {
        link->baud_rate = 9600;
        link->parity_index = 0;
        link->data_bits_index = 3;
        link->stop_bits_index = 0;
        link->flow_control_index = 0;
    }
    if (!link->port_config(port))
        QMessageBox::critical(this, tr("error"), tr("serial error"), QMessageBox::Ok);
    if (!port->open(QIODevice::ReadWrite)) {
        QMessageBox::critical(this, tr("Error"), tr("serial not existence or used by other"), QMessageBox::Ok);
        return;
    }
    if (reopen) {
        QMessageBox::critical(this, tr("information"), tr("serial re connected"), QMessageBox::Ok);
        return;
    }
    port->setReadBufferSize(512);
    link->is_open = true;
}

// ------------------------------------------------------------------ frame slots

void KQ240_INTERFACE::status_reflash() { m_frame->status_reflash(); }
void KQ240_INTERFACE::device_status_update(int status) { m_frame->device_status_update(status); }
void KQ240_INTERFACE::on_language_Button_released() { m_frame->language_switch(); }
void KQ240_INTERFACE::on_language_Button_clicked() {}
void KQ240_INTERFACE::on_start_button_clicked() {}
void KQ240_INTERFACE::on_Pause_Button_clicked() { m_frame->pause(); }
void KQ240_INTERFACE::get_rt_data_cmd_slot() { m_frame->request_rt_data(); }
void KQ240_INTERFACE::set_stamp_slot(int time_stamp) { m_frame->set_stamp(time_stamp); }
void KQ240_INTERFACE::threshold_reset() { statistics.reset_limit(); }
void KQ240_INTERFACE::on_timestamp_currentIndexChanged(int) { m_frame->time_span_changed(); }
void KQ240_INTERFACE::on_meun_Button_clicked() { m_frame->run_menu(menu_dialog); }
void KQ240_INTERFACE::on_File_Button_clicked() { m_frame->open_file_dialog(); }
void KQ240_INTERFACE::on_printing_Button_clicked() { m_frame->open_print_dialog(); }
void KQ240_INTERFACE::on_help_Button_clicked() { m_frame->open_help(); }
void KQ240_INTERFACE::receive_data_over() { m_frame->close_wait_box(); }
void KQ240_INTERFACE::SAVE_table_Slot() { SAVE_table_Slot_WithIndex(0); }
void KQ240_INTERFACE::SAVE_table_Slot_WithIndex(int startIndex) { m_frame->save_table(startIndex); }
void KQ240_INTERFACE::SAVE_BMP_Slot() { m_frame->save_picture(); }
void KQ240_INTERFACE::Printf_BMP_Slot() { m_frame->print_picture(); }
void KQ240_INTERFACE::Printf_table_Slot() { m_frame->print_table(); }
void KQ240_INTERFACE::KQ240_preview_BMP(QPrinter *printer) { m_frame->paint_picture(printer); }
void KQ240_INTERFACE::KQ240_preview_table(QPrinter *printer) { m_frame->paint_table(printer); }

void KQ240_INTERFACE::write_start_index(int value)
{
    m_frame->replace_settings();
    m_frame->settings()->setValue(QStringLiteral("start_index"), value);
    m_frame->settings()->sync();
}

void KQ240_INTERFACE::set_up_plots()
{
    if (plots_ready)
        return;
    KQ240_plot_widget_init(ui->RT_plot, true, tr("Temperature"), QString());
    KQ240_plot_widget_init(ui->read_plot, false, tr("Temperature"), QString());
    QHeaderView *header = ui->RT_table_data->horizontalHeader();
    if (variant == QLatin1String("KQ240A")) {
        header->setSectionResizeMode(QHeaderView::Stretch);
        for (int c = 2; c <= 4; ++c)
            ui->RT_table_data->setColumnHidden(c, true);
    } else if (variant == QLatin1String("KQ240B")) {
        header->setSectionResizeMode(QHeaderView::Stretch);
        for (int c = 3; c <= 4; ++c)
            ui->RT_table_data->setColumnHidden(c, true);
    }
    frame::ModelFrame::fit_date_column(ui->RT_table_data);
    plots_ready = true;
    m_frame->attach_series();
}

void KQ240_INTERFACE::on_start_button_clicked(bool checked)
{
    write_start_index(ui->RT_table_data->rowCount());
    set_up_plots();
    m_frame->start(checked);
}

void KQ240_INTERFACE::on_upload_Button_clicked(bool checked)
{
    set_up_plots();
    m_frame->upload(checked);
    m_frame->lock_after_upload();
}

void KQ240_INTERFACE::on_data_export_Button_clicked()
{
    m_frame->clear_all_data();
    write_start_index(0);
}

// ------------------------------------------------------------------ readings

void KQ240_INTERFACE::clear_model()
{
    statistics.reset_all();
    for (int k = 0; k < 4; ++k) {
        rt_celsius[k]->clear();
        save_celsius[k]->clear();
    }
}

// A real-time reading is shown rounded to single precision, a stored one
// as converted.
double KQ240_INTERFACE::rt_shown(double celsius) const
{
    return double(float(celsius_to_unit(celsius, unit_index)));
}

double KQ240_INTERFACE::stored_shown(double celsius) const
{
    return celsius_to_unit(celsius, unit_index);
}

// A reading's cell keeps its ℃ value for unit changes (none: "NULL").
QTableWidgetItem *KQ240_INTERFACE::reading_item(double celsius, double shown) const
{
    auto *item = new compact_item(reading_text(shown));
    if (!std::isnan(celsius))
        item->setData(Qt::UserRole, celsius);
    return item;
}

QString KQ240_INTERFACE::reading_text(double value) const
{
    if (std::isnan(value))
        return tr("NULL");
    return QString::number(value, 'f', 1) + unit_text;
}

void KQ240_INTERFACE::show_channel_stats(int channel, int record)
{
    QLineEdit *max_field[4] = {ui->lineEdit_9, ui->lineEdit_10, ui->lineEdit_11, ui->lineEdit_12};
    QLineEdit *min_field[4] = {ui->lineEdit_13, ui->lineEdit_14, ui->lineEdit_15, ui->lineEdit_16};
    QLineEdit *avg_field[4] = {ui->lineEdit_17, ui->lineEdit_18, ui->lineEdit_19, ui->lineEdit_20};
    fields_stored = record >= 4;
    const STATISTICS_ITEM &s = statistics.items[record];
    // Readings in tenths, rounded in decimal: an average of -39.65 ℃
    // shows -39.7 ℃.
    auto shown = [this](const frame::Exact &c) {
        return frame::rounded_text(unit_index != 0 ? frame::exact_fahrenheit(c) : c, 1) + unit_text;
    };
    max_field[channel]->setText(shown(frame::exact_reading(s.max, 1)));
    min_field[channel]->setText(shown(frame::exact_reading(s.min, 1)));
    avg_field[channel]->setText(shown(frame::running_mean(s, 1)));
}

void KQ240_INTERFACE::get_rt_data()
{
    QQueue<quint16> &words = link->rt_list;
    const int channels = channel_count();
    // An answer carries one word per channel of the variant.
    if (words.size() < channels) {
        words.clear();
        return;
    }
    quint16 raw[4] = {0, 0, 0, 0};
    double celsius[4];
    double shown[4];
    for (int k = 0; k < 4; ++k) {
        if (k < channels && valid_raw(raw[k] = words.takeFirst())) {
            celsius[k] = tenths(raw[k]);
            shown[k] = rt_shown(celsius[k]);
        } else {
            celsius[k] = shown[k] = std::nan("");   // absent channel or invalid reading
        }
    }
    words.clear();

    KQ240_set_rt_data_plot(shown[0], shown[1], shown[2], shown[3]);
    for (int k = 0; k < channels; ++k)
        if (!std::isnan(celsius[k]))
            rt_celsius[k]->add(QCPGraphData(rt_channel_data[k]->last_key(), celsius[k]));
    add_rt_table_row(shown[0], shown[1], shown[2], shown[3]);

    const int row = ui->RT_table_data->rowCount() - 1;
    for (int k = 0; k < 4; ++k)
        if (!std::isnan(celsius[k]))
            ui->RT_table_data->item(row, k + 1)->setData(Qt::UserRole, celsius[k]);
    for (int k = 0; k < channels; ++k) {
        if (!valid_raw(raw[k]))
            continue;
        const quint8 r = statistics.data_update(k, tenths(raw[k]));
        if (k == 0)
            qDebug() << "channel 1 alarm" << r;
        if (r != 0)
            ui->RT_table_data->item(row, k + 1)->setBackground(QBrush(Qt::red, Qt::SolidPattern));
        show_channel_stats(k, k);
    }
    QLineEdit *up_field[4] = {ui->lineEdit, ui->lineEdit_2, ui->lineEdit_3, ui->lineEdit_4};
    QLineEdit *down_field[4] = {ui->lineEdit_5, ui->lineEdit_6, ui->lineEdit_7, ui->lineEdit_8};
    for (int k = 0; k < 4; ++k) {
        up_field[k]->setText(QString::number(statistics.items[k].high_count, 'g', 6));
        down_field[k]->setText(QString::number(statistics.items[k].low_count, 'g', 6));
    }
}

void KQ240_INTERFACE::add_rt_table_row(double s1, double s2, double s3, double s4)
{
    QTableWidget *table = ui->RT_table_data;
    const int row = table->rowCount();
    table->setRowCount(row + 1);
    table->setItem(row, 0, new compact_item(app_env::now().toString(QStringLiteral("hh:mm:ss yyyy-MM-dd"))));
    const double s[4] = {s1, s2, s3, s4};
    for (int k = 0; k < 4; ++k)
        table->setItem(row, k + 1, new compact_item(reading_text(s[k])));
    frame::scroll_to_bottom_soon(table);
    table->show();
}

void KQ240_INTERFACE::KQ240_set_rt_data_plot(double s1, double s2, double s3, double s4)
{
    const double key = double(app_env::now().toSecsSinceEpoch());
    if (m_frame->rt_start_time == 0) {
        m_frame->rt_start_time = quint32(key);
        qDebug() << "rt start time" << m_frame->rt_start_time;
    }
    const double s[4] = {s1, s2, s3, s4};
    const int channels = channel_count();
    for (int k = 0; k < channels; ++k)
        if (!std::isnan(s[k]))
            rt_channel_data[k]->add(key, s[k]);
    if (!plots_ready)
        return;
    m_frame->apply_time_span(quint32(key));
    fit_rt_values();
    frame::replot_soon(ui->RT_plot);
}

void KQ240_INTERFACE::fit_rt_values()
{
    QCPAxis *left = ui->RT_plot->yAxis;
    left->setRange(-0.5, 0.5);
    for (int k = 0; k < channel_count(); ++k)
        if (QCPGraph *g = rt_channel_data[k]->graph())
            g->rescaleValueAxis(k != 0, true);
    frame::ModelFrame::margin_axis(left);
}

void KQ240_INTERFACE::get_save_data()
{
    m_frame->close_wait_box();
    QQueue<quint16> &words = link->read_list;
    if (words.isEmpty())
        return;
    qDebug() << "stored words" << words.size();
    m_frame->save_start_time = 0;
    const int channels = channel_count();
    if (words.size() % channels != 0)
        qDebug() << "stored answer ends inside a record; dropped" << words.size() % channels << "words";
    while (words.size() >= channels) {
        quint16 raw[4] = {0, 0, 0, 0};
        double t[4] = {0.0, 0.0, 0.0, 0.0};
        for (int k = 0; k < channels; ++k) {
            raw[k] = words.takeFirst();
            t[k] = valid_raw(raw[k]) ? tenths(raw[k]) : std::nan("");
        }
        KQ240_set_save_data_plot(t[0], t[1], t[2], t[3]);
        add_read_table_row(t[0], t[1], t[2], t[3]);
        for (int k = 0; k < channels; ++k) {
            if (!valid_raw(raw[k]))
                continue;
            statistics.data_update(k + 4, t[k]);
            show_channel_stats(k, k + 4);
        }
    }
    words.clear();

    if (plots_ready) {
        for (int k = 0; k < channels; ++k)
            if (QCPGraph *g = save_channel_data[k]->graph())
                g->rescaleKeyAxis(true);
        fit_save_values();
        ui->read_plot->replot(QCustomPlot::rpRefreshHint);
    }
    ui->read_table_data->show();
}

void KQ240_INTERFACE::fit_save_values()
{
    QCPAxis *left = ui->read_plot->yAxis;
    left->setRange(-0.5, 0.5);
    for (int k = 0; k < channel_count(); ++k)
        if (QCPGraph *g = save_channel_data[k]->graph())
            g->rescaleValueAxis(k != 0, true);
    frame::ModelFrame::margin_axis(left);
}

void KQ240_INTERFACE::add_read_table_row(double t1, double t2, double t3, double t4)
{
    QTableWidget *table = ui->read_table_data;
    const int row = table->rowCount();
    table->setRowCount(row + 1);
    table->setItem(row, 0, new compact_item(QString::number(row + 1)));
    const double t[4] = {t1, t2, t3, t4};
    for (int k = 0; k < 4; ++k)
        table->setItem(row, k + 1, reading_item(t[k], std::isnan(t[k]) ? t[k] : stored_shown(t[k])));
    table->scrollToBottom();
}

void KQ240_INTERFACE::KQ240_set_save_data_plot(double t1, double t2, double t3, double t4)
{
    const double key = ++m_frame->save_start_time;
    const double t[4] = {t1, t2, t3, t4};
    for (int k = 0; k < channel_count(); ++k) {
        if (std::isnan(t[k]))
            continue;
        save_celsius[k]->add(QCPGraphData(key, t[k]));
        save_channel_data[k]->add(key, stored_shown(t[k]));
    }
}

void KQ240_INTERFACE::KQ240_plot_widget_init(QCustomPlot *plot, bool date_axis, const QString &y_label,
                                             const QString &)
{
    qDebug() << "widget_init" << variant;
    ui->polt->setCurrentIndex(0);
    plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom | QCP::iSelectAxes);
    plot->legend->setVisible(true);
    plot->legend->setBrush(QColor(255, 255, 255, 230));
    plot->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignRight | Qt::AlignBottom);
    for (int k = 0; k < channel_count(); ++k) {
        QCPGraph *g = plot->addGraph(plot->xAxis, plot->yAxis);
        g->setName(QStringLiteral("CH%1").arg(k + 1));
        g->setPen(QPen(k_pens[k]));
    }
    plot->xAxis->setRange(0, 20);
    plot->yAxis->setRange(0, 20);
    plot->yAxis->setRangeLower(5);
    plot->xAxis->setTickLength(0, 5);
    plot->xAxis->setSubTickLength(0, 3);
    plot->yAxis->setLabel(y_label);
    if (date_axis)
        frame::ModelFrame::set_date_ticker(plot);
    plot->axisRect()->setRangeDragAxes({plot->yAxis2, plot->xAxis2, plot->yAxis, plot->xAxis});
    plot->axisRect()->setRangeZoomAxes({plot->yAxis2, plot->xAxis2, plot->yAxis, plot->xAxis});
    connect(plot, &QCustomPlot::mouseMove, this, &KQ240_INTERFACE::mouse_move);
    coord_text = new QCPItemText(plot);
    coord_text->setText(QStringLiteral("x: 0, y: 0"));
    coord_text->setPositionAlignment(Qt::AlignTop | Qt::AlignHCenter);
    tracer = new QCPItemTracer(plot);
    tracer->setStyle(QCPItemTracer::tsCrosshair);
    // At its default place the crosshair drew a black line along 0: it
    // shows once the operator points at the graph.
    tracer->setVisible(false);
}

void KQ240_INTERFACE::mouse_move(QMouseEvent *event)
{
    QCustomPlot *plot = ui->RT_plot;
    const int x = qRound(event->localPos().x());
    const int y = qRound(event->localPos().y());
    const double key = plot->xAxis->pixelToCoord(x);
    QString tip;
    for (int i = 0; i < plot->graphCount(); ++i) {
        const QSharedPointer<QCPGraphDataContainer> data = plot->graph(i)->data();
        if (data->isEmpty())
            continue;
        const auto it = data->findBegin(key, true);
        if (it == data->constEnd() || std::fabs(it->key - key) >= 2)
            continue;
        tip += QStringLiteral("CH%1 %2 ").arg(i + 1).arg(QDateTime::fromSecsSinceEpoch(qint64(it->key))
                                                            .toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")))
               + tr("Value:") + QStringLiteral(" %1\n").arg(it->value);
    }
    QToolTip::showText(plot->mapToGlobal(QPoint(x, y)), tip, plot);
    // The crosshair of the graph pointed at follows the pointer.
    QCustomPlot *pointed = qobject_cast<QCustomPlot *>(sender());
    if (!pointed)
        pointed = plot;
    for (int i = 0; i < pointed->itemCount(); ++i)
        if (auto *cross = qobject_cast<QCPItemTracer *>(pointed->item(i))) {
            cross->position->setPixelPosition(QPointF(x, y));
            cross->setVisible(true);
        }
    if (pointed != plot)
        pointed->replot(QCustomPlot::rpRefreshHint);
    plot->replot(QCustomPlot::rpRefreshHint);
}

// ------------------------------------------------------------------ limits and units

void KQ240_INTERFACE::set_limit_slot(QVector<double> limit_data)
{
    // down 4, up 4, ... down 1, up 1: record k - 1 takes channel k's pair.
    for (int record = 0; record < 4 && limit_data.size() >= 2; ++record) {
        const double upper = limit_data.takeLast();
        const double lower = limit_data.takeLast();
        statistics.set_limit(record, upper, lower);
    }
}

void KQ240_INTERFACE::on_radioButton_clicked() { set_unit(0); }
void KQ240_INTERFACE::on_radioButton_2_clicked() { set_unit(1); }

// Everything shown follows: each reading is kept in ℃ (cells, points and
// statistics), so rows and points taken before the switch join the new
// unit and an exported table has one unit throughout.
void KQ240_INTERFACE::set_unit(int unit)
{
    unit_text = unit != 0 ? QStringLiteral("℉") : QStringLiteral("℃");
    unit_index = quint8(unit);
    convert_table(ui->RT_table_data, &KQ240_INTERFACE::rt_shown);
    convert_table(ui->read_table_data, &KQ240_INTERFACE::stored_shown);
    for (int k = 0; k < 4; ++k) {
        rt_channel_data[k]->set_values(rt_celsius[k], [this](double c) { return rt_shown(c); });
        save_channel_data[k]->set_values(save_celsius[k], [this](double c) { return stored_shown(c); });
    }
    const int first = fields_stored ? 4 : 0;
    for (int k = 0; k < channel_count(); ++k)
        if (!statistics.items[first + k].samples.isEmpty())
            show_channel_stats(k, first + k);
    if (!plots_ready)
        return;
    fit_rt_values();
    fit_save_values();
    ui->RT_plot->replot(QCustomPlot::rpRefreshHint);
    ui->read_plot->replot(QCustomPlot::rpRefreshHint);
}

void KQ240_INTERFACE::convert_table(QTableWidget *table, double (KQ240_INTERFACE::*shown)(double) const)
{
    for (int r = 0; r < table->rowCount(); ++r)
        for (int c = 1; c < table->columnCount(); ++c)
            if (QTableWidgetItem *item = table->item(r, c)) {
                const QVariant celsius = item->data(Qt::UserRole);
                if (celsius.isValid())
                    item->setText(reading_text((this->*shown)(celsius.toDouble())));
            }
}

double KQ240_INTERFACE::celsius_to_unit(double value, int unit)
{
    return unit != 0 ? value * k_f18 + 32 : value;
}
