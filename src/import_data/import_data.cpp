#include "import_data.h"
#include "ui_import_data.h"
#include "frame/model_frame.h"
#include "common/safe_file.h"
#include "frame/paged_table.h"

#include <QDateTime>
#include <QDebug>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QRegExp>
#include <QStandardItemModel>
#include <QTextDocument>
#include <QTextStream>

#include <cmath>
#include <limits>

namespace {

const QString k_null = QStringLiteral("NULL");
const QString k_no_data = QStringLiteral("无数据");
const QString k_date_format = QStringLiteral("hh:mm:ss yyyy-MM-dd");
const QString k_celsius = QStringLiteral("℃");
const QString k_fahrenheit = QStringLiteral("℉");
const double k_no_time = 4294967295.0;   // a key whose date does not parse

// Seconds since 1970 of a local "hh:mm:ss yyyy-MM-dd"; false when the text
// is no such date or lies outside the unsigned 32-bit range.
bool parse_time(const QString &text, quint32 *seconds)
{
    const QDateTime t = QDateTime::fromString(text, k_date_format);
    if (!t.isValid())
        return false;
    const qint64 s = t.toSecsSinceEpoch();
    if (s < 0 || s > qint64(0xFFFFFFFFu))
        return false;
    *seconds = quint32(s);
    return true;
}

// A key truncated toward zero, its low 32 bits read as signed.
qint32 key_bits(double key)
{
    if (!std::isfinite(key) || std::fabs(key) >= 9.0e18)
        return 10;
    return qint32(quint32(quint64(qint64(key))));
}

}

import_data::import_data(QWidget *parent, QString filename)
    : QWidget(parent), ui(new Ui::import_data), file_name(filename)
{
    ui->setupUi(this);
    file.setFileName(file_name);
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "file canot open";
        file.close();
        return;
    }
    qDebug() << file_name;
    file.close();
    table_model = new QStandardItemModel(this);
    ui->import_table->setFont(QFont());
    get_config_data();
    ui_init();
    load_data();
    show_table();
}

// Every column stretches, but the date-time keeps room for its text: beside
// more than two values it wraps onto two lines, as in the model windows.
void import_data::fit_date_column()
{
    if (!has_date || table_model->columnCount() < 2)
        return;
    QTableView *view = ui->import_table;
    const QFontMetrics fm(view->font());
    const bool wrap = table_model->columnCount() > 3;
    view->setWordWrap(wrap);
    view->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Interactive);
    view->setColumnWidth(0, fm.horizontalAdvance(wrap ? QStringLiteral("0000-00-00")
                                                      : QStringLiteral("00:00:00 0000-00-00")) + 12);
    // Many narrow columns: each value column as wide as its texts, the last takes the rest.
    for (int c = 1; wrap && c < table_model->columnCount() - 1; ++c)
        view->horizontalHeader()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
}

import_data::~import_data()
{
    // The graphs share containers that are members: let them go first.
    ui->import_plot->clearGraphs();
    delete ui;
    file.close();
}

// ------------------------------------------------------------ recognition

bool import_data::read_sheet()
{
    workbook::Sheet sheet;
    QString error;
    if (workbook::read_first_sheet(file_name, &sheet, &error)) {
        m_sheet = sheet;
        m_read_error.clear();
        return true;
    }
    // Keep what was read before, so a file that went away or broke since
    // costs the operator nothing already on screen.
    m_read_error = error;
    qDebug() << "workbook not readable:" << error;
    return false;
}

void import_data::get_config_data()
{
    read_sheet();
    const QString a1 = m_sheet.cell(1, 1);
    const QString a2 = m_sheet.cell(2, 1);
    const QString a3 = m_sheet.cell(3, 1);
    const QString b3 = m_sheet.cell(3, 2);
    const QString c3 = m_sheet.cell(3, 3);

    enum Rule { Temperature, Speed, Whole };
    struct Entry
    {
        QStringList names;
        const char *model;
        Rule rule;
    };
    static const Entry table[] = {
        {{"KQ240", "temperature"}, "KQ240", Temperature},
        {{"KQ257", "WRX-4"}, "KQ257", Temperature},
        {{"KQ263", "WPL-3"}, "KQ263", Whole},
        {{"KQ278", "WVT-8"}, "KQ278", Speed},
        {{"KQ291", "KQ285", "WBNQ-5"}, "KQ285", Whole},
        {{"KQ186"}, "KQ186", Whole},
        {{"KQ174"}, "KQ174", Whole},
    };
    for (const Entry &e : table) {
        bool hit = false;
        for (const QString &name : e.names)
            hit = hit || a1.contains(name, Qt::CaseSensitive);
        if (!hit)
            continue;
        model_type = QString::fromLatin1(e.model);
        if (e.rule == Temperature) {
            if (b3.endsWith(k_celsius))
                unit = k_celsius;
            if (b3.endsWith(k_fahrenheit))
                unit = k_fahrenheit;
        } else if (e.rule == Speed) {
            for (const char *u : {"m/s", "km/s", "ft/s", "mile/h", "knots"})
                if (b3.endsWith(QLatin1String(u)))
                    unit = QString::fromLatin1(u);
        } else {
            unit = c3;
        }
        if (model_type == QLatin1String("KQ186")) {
            const int i = pressure_units().indexOf(unit);
            if (i >= 0)
                file_unit_index = quint8(i);
            // Until a unit is chosen the values stay in the file's unit, which
            // is what the unit column and the boxes name.
            unit_index = file_unit_index;
        }
        break;
    }
    if (model_type.isEmpty() && m_read_error.isEmpty())
        qDebug() << "workbook of no known model, title:" << a1;
    qDebug() << "model type " + a2;

    if (a2 == QLatin1String("Date") || a2 == QStringLiteral("日期")) {
        has_date = true;
        quint32 t = 0;
        start_time = !a3.isEmpty() && parse_time(a3, &t) ? t : 0;
    } else {
        has_date = false;
        start_time = 0;
    }
}

// ------------------------------------------------------------ set-up

void import_data::ui_init()
{
    const auto remove = [](auto *&w) {
        delete w;
        w = nullptr;
    };
    if (model_type == QLatin1String("KQ240")) {
        KQ240_plot_init(ui->import_plot, has_date, tr("TEMP"), QString());
        remove(ui->radioButton_3);
        remove(ui->radioButton_4);
        remove(ui->radioButton_5);
        for (int i = 0; i < 4; ++i)
            statistics.add_channel();
        ui->radioButton->setText(tr("℃"));
        ui->radioButton_2->setText(tr("℉"));
    } else if (model_type == QLatin1String("KQ257") || model_type == QLatin1String("KQ263")) {
        const bool humidity = model_type == QLatin1String("KQ257");
        if (humidity)
            KQ257_plot_init(ui->import_plot, has_date, tr("TEMP"), QStringLiteral("HUMI"));
        else
            single_plot_init(ui->import_plot, has_date, tr("Light"), QString());
        remove(ui->radioButton_3);
        remove(ui->radioButton_4);
        remove(ui->radioButton_5);
        remove_channels_from(3);
        statistics.add_channel();
        if (humidity)
            statistics.add_channel();
        ui->radioButton->setText(humidity ? tr("℃") : tr("lux"));
        ui->radioButton_2->setText(humidity ? tr("℉") : tr("fc"));
    } else if (model_type == QLatin1String("KQ278")) {
        KQ278_plot_init(ui->import_plot, has_date, tr("Speed"), QString());
        remove_channels_from(2);
        statistics.add_channel();
    } else if (model_type == QLatin1String("KQ285")) {
        single_plot_init(ui->import_plot, has_date, tr("DB"), QString());
        remove(ui->radioButton);
        remove(ui->radioButton_2);
        remove(ui->radioButton_3);
        remove(ui->radioButton_4);
        remove(ui->radioButton_5);
        remove_channels_from(2);
        statistics.add_channel();
    } else if (model_type == QLatin1String("KQ186")) {
        single_plot_init(ui->import_plot, has_date, tr("pressure"), QString());
        KQ186_radio_init();
    } else if (model_type == QLatin1String("KQ174")) {
        single_plot_init(ui->import_plot, has_date, tr("value"), QString());
        KQ174_radio_init();
    }
}

void import_data::remove_channels_from(int channel)
{
    QLabel **labels[4][3] = {
        {&ui->up_channel1_6, &ui->up_channel1_7, &ui->up_channel1_8},
        {&ui->up_channel2_6, &ui->up_channel2_7, &ui->up_channel2_8},
        {&ui->up_channel3_6, &ui->up_channel3_7, &ui->up_channel3_8},
        {&ui->up_channel4_6, &ui->up_channel4_7, &ui->up_channel4_8},
    };
    QLineEdit **boxes[4][3] = {
        {&ui->lineEdit_41, &ui->lineEdit_33, &ui->lineEdit_39},
        {&ui->lineEdit_30, &ui->lineEdit_34, &ui->lineEdit_38},
        {&ui->lineEdit_32, &ui->lineEdit_35, &ui->lineEdit_40},
        {&ui->lineEdit_29, &ui->lineEdit_36, &ui->lineEdit_37},
    };
    for (int ch = channel; ch <= 4; ++ch)
        for (int g = 0; g < 3; ++g) {
            delete *labels[ch - 1][g];
            *labels[ch - 1][g] = nullptr;
            delete *boxes[ch - 1][g];
            *boxes[ch - 1][g] = nullptr;
        }
}

void import_data::add_extra_radio(int index)
{
    auto *radio = new QRadioButton(ui->groupBox);
    radio->setObjectName(QStringLiteral("radioButton_%1").arg(index + 6));
    ui->verticalLayout->addWidget(radio);
    extra_radios[index] = radio;
    connect(radio, &QRadioButton::clicked, this, &import_data::radioButton_clicked);
}

void import_data::move_spacer_down()
{
    ui->verticalLayout->removeItem(ui->verticalSpacer);
    ui->verticalLayout->addItem(ui->verticalSpacer);
}

void import_data::KQ186_radio_init()
{
    remove_channels_from(2);
    statistics.add_channel();
    for (int i = 0; i < 9; ++i)
        add_extra_radio(i);
    ui->radioButton->setChecked(true);
    const QString texts[] = {tr("Pa"),    tr("hPa"),    tr("kPa"),   tr("bar"),   tr("mbar"),
                             tr("psi"),   tr("mmHg"),   tr("inHg"),  tr("kg/cm²"), tr("oz/in²"),
                             tr("inH2O"), tr("ftH2O"),  tr("mmH2O"), tr("cmH2O")};
    QRadioButton *form[] = {ui->radioButton, ui->radioButton_2, ui->radioButton_3, ui->radioButton_4,
                            ui->radioButton_5};
    for (int i = 0; i < 5; ++i)
        form[i]->setText(texts[i]);
    for (int i = 0; i < 9; ++i)
        extra_radios[i]->setText(texts[5 + i]);
    move_spacer_down();
}

void import_data::KQ174_radio_init()
{
    remove_channels_from(2);
    statistics.add_channel();
    add_extra_radio(0);
    extra_radios[0]->setChecked(true);
    extra_radios[0]->setText(tr("ALL"));
    ui->radioButton->setText(tr("m"));
    ui->radioButton_2->setText(tr("m/min"));
    ui->radioButton_3->setText(tr("ft/min"));
    ui->radioButton_4->setText(tr("Contact RPM"));
    ui->radioButton_5->setText(tr("Photo RPM"));
    move_spacer_down();
}

void import_data::plot_init(QCustomPlot *plot, bool date, const QString &left, const QString &right,
                            Legend legend, const QStringList &names, const QVector<QColor> &colours,
                            int right_graph, RightAxis right_axis, bool right_label)
{
    plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom | QCP::iSelectAxes);
    if (legend == Legend::Shown) {
        plot->legend->setVisible(true);
        plot->legend->setBrush(QColor(255, 255, 255, 120));
        plot->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignRight | Qt::AlignBottom);
    } else if (legend == Legend::Hidden) {
        plot->legend->setVisible(false);
    }
    for (int k = 0; k < names.size(); ++k) {
        QCPGraph *g = plot->addGraph(plot->xAxis, k == right_graph ? plot->yAxis2 : plot->yAxis);
        g->setName(names[k]);
        g->setPen(QPen(colours[k]));
    }
    plot->xAxis->setRange(0, 20);
    plot->yAxis->setRange(0, 20);
    plot->yAxis->setRangeLower(5);
    if (right_axis != RightAxis::Default) {
        plot->yAxis2->setRange(0, 20);
        plot->yAxis2->setRangeLower(5);
        plot->yAxis2->setVisible(right_axis == RightAxis::ShownWithDate && date);
    }
    plot->xAxis->setTickLength(0, 5);
    plot->xAxis->setSubTickLength(0, 3);
    plot->yAxis->setLabel(left);
    if (right_label)
        plot->yAxis2->setLabel(right);
    if (date) {
        frame::ModelFrame::set_date_ticker(plot);
    }
    const QList<QCPAxis *> axes = {plot->yAxis2, plot->xAxis2, plot->yAxis, plot->xAxis};
    plot->axisRect()->setRangeDrag(Qt::Horizontal | Qt::Vertical);
    plot->axisRect()->setRangeDragAxes(axes);
    plot->axisRect()->setRangeZoomAxes(axes);
    // The graphs show these containers through shared references; the
    // viewer owns the containers, so the references must never delete them.
    for (int k = 0; k < 4; ++k)
        graph_data_refs[k] = QSharedPointer<QCPGraphDataContainer>(&graph_data[k], [](QCPGraphDataContainer *) {});
    plot->replot(QCustomPlot::rpQueuedRefresh);
}

void import_data::KQ240_plot_init(QCustomPlot *plot, bool date, const QString &left, const QString &right)
{
    plot_init(plot, date, left, right, Legend::Shown, {"CH1", "CH2", "CH3", "CH4"},
              {Qt::red, Qt::blue, Qt::green, Qt::cyan}, -1, RightAxis::Default, false);
}

void import_data::KQ257_plot_init(QCustomPlot *plot, bool date, const QString &left, const QString &right)
{
    plot_init(plot, date, left, right, Legend::Shown, {"temp", "HUMI"}, {Qt::red, Qt::blue}, 1,
              RightAxis::ShownWithDate, true);
}

void import_data::KQ278_plot_init(QCustomPlot *plot, bool date, const QString &left, const QString &right)
{
    plot_init(plot, date, left, right, Legend::Default, {"temp"}, {Qt::red}, -1, RightAxis::Default, true);
}

void import_data::single_plot_init(QCustomPlot *plot, bool date, const QString &left, const QString &right)
{
    plot_init(plot, date, left, right, Legend::Hidden, {"light"}, {Qt::red}, -1, RightAxis::Hidden, true);
}

void import_data::clear_data()
{
    if (!table_model)
        return;
    table_model->clear();
    channel_data.clear();
    for (int k = 0; k < ui->import_plot->graphCount(); ++k)
        ui->import_plot->graph(k)->data()->clear();
    ui->import_plot->replot(QCustomPlot::rpQueuedRefresh);
    statistics.reset_all();
    for (QLineEdit *box : {ui->lineEdit_41, ui->lineEdit_30, ui->lineEdit_32, ui->lineEdit_29,
                           ui->lineEdit_33, ui->lineEdit_34, ui->lineEdit_35, ui->lineEdit_36,
                           ui->lineEdit_39, ui->lineEdit_38, ui->lineEdit_40, ui->lineEdit_37})
        if (box)
            box->setText(QString());
}

// ------------------------------------------------------------ conversion

QVector<double> import_data::extract_numbers(const QString &text)
{
    QVector<double> numbers;
    QRegExp rx(QStringLiteral("-?[1-9]\\d*\\.\\d*|0+.[0-9]+|-?0\\.\\d*[1-9]\\d*|-?\\d+"), Qt::CaseSensitive,
               QRegExp::RegExp);
    int pos = 0;
    while ((pos = rx.indexIn(text, pos)) != -1) {
        const int len = rx.matchedLength();
        numbers.append(rx.cap(0).toDouble());
        pos += len > 0 ? len : 1;
    }
    return numbers;
}

double import_data::to_unit(double x, const QString &target)
{
    // Values stand in ℃, m/s or lux; any other target (the empty text of a
    // workbook whose unit was not found) leaves them as the file has them.
    if (target == QStringLiteral("℉"))
        return x * double(1.8f) + 32;
    if (target == QLatin1String("km/s"))
        return x * double(3.6f);
    if (target == QLatin1String("ft/s"))
        return x * double(3.28084f);
    if (target == QLatin1String("mile/h"))
        return x * double(2.23716f);
    if (target == QLatin1String("knots"))
        return x * double(1.944012f);
    if (target == QLatin1String("fc"))
        return x / double(10.76f);
    return x;
}

double import_data::to_display_unit(double x) const
{
    return to_unit(x, unit);
}

double import_data::to_celsius(double x) const
{
    if (unit == k_fahrenheit)
        return (x - 32) / double(1.8f);
    return x;
}

const QStringList &import_data::pressure_units()
{
    static const QStringList units = {"Pa",      "hPa",     "kPa",   "bar",   "mbar",  "psi",   "mmHg",
                                      "inHg",    "kg/cm^2", "oz/in^2", "inH2O", "ftH2O", "mmH2O", "cmH2O"};
    return units;
}

float import_data::pressure_convert(float x, quint8 from, quint8 to)
{
    static const float factor[] = {1.0f,         0.01f,     0.001f,     0.00001f,    0.01f,
                                   0.0001450377f, 0.00750062f, 0.0002953f, 0.0000101972f, 0.0023206f,
                                   0.00401463f,  0.000334553f, 0.101972f,  0.0101972f};
    if (from > 13 || to > 13)
        return 0.0f;
    return x / factor[from] * factor[to];
}

// ------------------------------------------------------------ loading

void import_data::load_data()
{
    // A model the view follows row by row loads far slower: take it from the
    // view while it fills, and show it again at the end.
    QTableView *view = ui->import_table;
    const bool shown = table_model && view->model() == table_model;
    if (shown)
        view->setModel(nullptr);
    if (model_type == QLatin1String("KQ240"))
        KQ240_load_table();
    else if (model_type == QLatin1String("KQ257"))
        KQ257_load_table();
    else if (model_type == QLatin1String("KQ263"))
        KQ263_load_table();
    else if (model_type == QLatin1String("KQ278"))
        KQ278_load_table();
    else if (model_type == QLatin1String("KQ285"))
        KQ285_load_table();
    else if (model_type == QLatin1String("KQ186"))
        KQ186_load_table();
    else if (model_type == QLatin1String("KQ174"))
        KQ174_load_table();
    if (shown)
        show_table();
}

void import_data::show_table()
{
    QItemSelectionModel *old = ui->import_table->selectionModel();
    ui->import_table->setModel(table_model);
    delete old;
    ui->import_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    fit_date_column();
}

bool import_data::begin_load(int graphs)
{
    if (!table_model)
        return false;
    read_sheet();
    channel_data.resize(graphs);
    const int cols = m_sheet.column_count();
    table_model->setColumnCount(cols);
    for (int c = 0; c < cols; ++c)
        table_model->setHeaderData(c, Qt::Horizontal, m_sheet.cell(2, c + 1), Qt::EditRole);
    return true;
}

double import_data::row_key(const QString &text, bool thermometer, bool key_as_text, QString *item) const
{
    if (has_date) {
        *item = text;
        quint32 t = 0;
        return parse_time(text, &t) ? double(t) : k_no_time;
    }
    const bool missing = text == k_null || (thermometer && text == k_no_data);
    const QVector<double> n = extract_numbers(text);
    if (missing)
        *item = k_null;
    else if (key_as_text || n.isEmpty())
        *item = text;
    else
        *item = QString::number(n.first(), 'g', 6);
    // A key without a number places no point on the graph.
    return n.isEmpty() ? std::numeric_limits<double>::quiet_NaN() : n.first();
}

void import_data::set_item(int row, int col, const QString &text)
{
    table_model->setItem(row, col, new QStandardItem(text));
}

void import_data::add_value(int channel, double key, double value)
{
    row_values.append(value);
    if (channel >= statistics.items.size() || channel >= channel_data.size())
        return;   // a column beyond the viewer's channels
    statistics.data_update(channel, value);
    if (std::isfinite(key))
        channel_data[channel].add(QCPGraphData(key, value));
}

void import_data::finish_load(int graphs)
{
    last_key = row_values.isEmpty() ? 10 : key_bits(row_values.first());
    for (int k = 0; k < graphs && k < 4 && k < channel_data.size(); ++k) {
        graph_data[k].clear();
        graph_data[k].add(channel_data[k]);
    }
}

void import_data::show_statistics(int channel, int precision, const QString &suffix)
{
    QLineEdit *boxes[4][3] = {
        {ui->lineEdit_41, ui->lineEdit_33, ui->lineEdit_39},
        {ui->lineEdit_30, ui->lineEdit_34, ui->lineEdit_38},
        {ui->lineEdit_32, ui->lineEdit_35, ui->lineEdit_40},
        {ui->lineEdit_29, ui->lineEdit_36, ui->lineEdit_37},
    };
    if (channel < 0 || channel >= 4 || channel >= statistics.items.size())
        return;
    const STATISTICS_ITEM &s = statistics.items[channel];
    const double values[3] = {s.max, s.min, s.mean};
    for (int g = 0; g < 3; ++g) {
        QLineEdit *box = boxes[channel][g];
        if (!box)
            continue;
        box->setText(s.samples.isEmpty() ? k_null : QString::number(values[g], 'f', precision) + suffix);
        box->setCursorPosition(0);   // a text wider than the box keeps its digits in view
    }
}

// Number of a value cell; false for a missing reading or a cell without a
// number, which then shows its own text and adds nothing.
static bool value_of(const QString &text, bool thermometer, double *value, QString *shown)
{
    if (text == k_null || (thermometer && text == k_no_data)) {
        *shown = k_null;
        return false;
    }
    const QVector<double> n = import_data::extract_numbers(text);
    if (n.isEmpty()) {
        *shown = text;
        return false;
    }
    *value = n.first();
    return true;
}

bool import_data::load_rows(bool thermometer, bool key_as_text, const std::function<bool(int)> &keep,
                            const std::function<bool(int, int, double)> &values)
{
    int table_row = 0;
    for (int r = 3; r <= m_sheet.row_count(); ++r) {
        row_values.clear();
        if (keep && !keep(r))
            continue;
        QString item;
        const double key = row_key(m_sheet.cell(r, 1), thermometer, key_as_text, &item);
        set_item(table_row, 0, item);
        row_values.append(key);
        if (!values(table_row, r, key))
            return false;
        table_row = table_model->rowCount();
    }
    return true;
}

QString import_data::value_cell(int r, int col, int channel, double key, const std::function<double(double)> &convert,
                                int decimals, const QString &suffix)
{
    double v = 0;
    QString shown;
    if (value_of(m_sheet.cell(r, col), false, &v, &shown)) {
        v = convert ? convert(v) : v;
        shown = QString::number(v, 'f', decimals) + suffix;
        if (channel >= 0)
            add_value(channel, key, v);
    }
    return shown;
}

void import_data::KQ240_load_table()
{
    if (!begin_load(4))
        return;
    const int cols = m_sheet.column_count();
    QString row_unit;   // unit of the rows read so far
    const bool complete = load_rows(true, false, nullptr, [&](int table_row, int r, double key) {
        for (int c = 2; c <= cols - 1; ++c) {
            double v = 0;
            QString shown;
            if (!value_of(m_sheet.cell(r, c), true, &v, &shown)) {
                set_item(table_row, c - 1, shown);
                continue;
            }
            unit = m_sheet.cell(r, cols);
            if (!row_unit.isEmpty() && row_unit != unit) {
                QMessageBox::warning(nullptr, QStringLiteral("warning"), QStringLiteral("Units must be the same"),
                                     QMessageBox::Ok);
                return false;
            }
            row_unit = unit;
            const double celsius = to_celsius(v);
            if (display_unit.isEmpty()) {
                v = to_unit(celsius, unit);
            } else {
                v = to_unit(celsius, display_unit);
                unit = display_unit;
            }
            set_item(table_row, c - 1, QString::number(v, 'f', 1) + unit);
            add_value(c - 2, key, v);
        }
        return true;
    });
    if (!complete)
        return;
    finish_load(4);
    for (int ch = 0; ch < 4; ++ch)
        show_statistics(ch, 1, unit);
    KQ240_set_plot();
}

void import_data::KQ257_load_table()
{
    if (!begin_load(2))
        return;
    const auto shown_unit = [this](double v) { return to_display_unit(v); };
    load_rows(false, true, nullptr, [&](int table_row, int r, double key) {
        set_item(table_row, 1, value_cell(r, 2, 0, key, shown_unit, 1, QString()));
        set_item(table_row, 2, m_sheet.cell(r, 3));
        set_item(table_row, 3, value_cell(r, 4, 1, key, nullptr, 1, QString()));
        set_item(table_row, 4, m_sheet.cell(r, 5));
        return true;
    });
    finish_load(2);
    show_statistics(0, 1, unit);
    show_statistics(1, 1, QStringLiteral("%RH"));
    KQ257_set_plot();
}

// The loaders of one value column (column 2) and a third column.
void import_data::load_single(const std::function<double(double)> &convert, int decimals, const QString &suffix,
                              bool third_from_unit, const std::function<bool(int)> &keep)
{
    if (!begin_load(1))
        return;
    load_rows(false, false, keep, [&](int table_row, int r, double key) {
        set_item(table_row, 1, value_cell(r, 2, 0, key, convert, decimals, suffix));
        set_item(table_row, 2, third_from_unit ? unit : m_sheet.cell(r, 3));
        return true;
    });
    finish_load(1);
}

void import_data::KQ263_load_table()
{
    load_single([this](double v) { return to_display_unit(v); }, 2, QString(), true, nullptr);
    show_statistics(0, 2, unit);
    single_set_plot();
}

void import_data::KQ278_load_table()
{
    if (!begin_load(1))
        return;
    load_rows(false, false, nullptr, [&](int table_row, int r, double key) {
        set_item(table_row, 1, value_cell(r, 2, 0, key, [this](double v) { return to_display_unit(v); }, 2, unit));
        set_item(table_row, 2, value_cell(r, 3, -1, key, nullptr, 1, k_celsius));
        return true;
    });
    finish_load(1);
    show_statistics(0, 2, unit);
    single_set_plot();
}

void import_data::KQ285_load_table()
{
    load_single(nullptr, 1, QString(), false, nullptr);
    show_statistics(0, 2, QString());
    KQ285_set_plot();
}

void import_data::KQ186_load_table()
{
    load_single([this](double v) { return double(pressure_convert(float(v), file_unit_index, unit_index)); }, 1,
                QString(), true, nullptr);
    show_statistics(0, 2, unit);
    KQ186_set_plot();
}

void import_data::KQ174_load_table()
{
    QRadioButton *modes[] = {ui->radioButton, ui->radioButton_2, ui->radioButton_3, ui->radioButton_4,
                             ui->radioButton_5};
    for (QRadioButton *r : modes)
        if (r && r->isChecked())
            unit = r->text();
    if (extra_radios[0] && extra_radios[0]->isChecked())
        unit.clear();
    // Only the rows of the chosen mode, one after the other.
    load_single(nullptr, 1, QString(), false, [this](int r) { return unit.isEmpty() || m_sheet.cell(r, 3) == unit; });
    show_statistics(0, 2, QString());
    if (!unit.isEmpty())
        KQ174_set_plot();
}

// ------------------------------------------------------------ unit radios

// A unit choice re-reads the whole workbook in the new unit.
void import_data::choose_unit(QRadioButton *radio, quint8 index, bool temperature)
{
    if (radio)
        unit = radio->text();
    if (temperature)
        display_unit = unit;
    unit_index = index;
    clear_data();
    load_data();
}

void import_data::on_radioButton_clicked()
{
    choose_unit(ui->radioButton, 0, true);
}

void import_data::on_radioButton_2_clicked()
{
    choose_unit(ui->radioButton_2, 1, true);
}

void import_data::on_radioButton_3_clicked()
{
    choose_unit(ui->radioButton_3, 2, false);
}

void import_data::on_radioButton_4_clicked()
{
    choose_unit(ui->radioButton_4, 3, false);
}

void import_data::on_radioButton_5_clicked()
{
    choose_unit(ui->radioButton_5, 4, false);
}

void import_data::radioButton_clicked()
{
    for (int i = 0; i < 9; ++i)
        if (extra_radios[i] && extra_radios[i]->isChecked()) {
            choose_unit(extra_radios[i], quint8(5 + i), false);
            return;
        }
    clear_data();
    load_data();
}

// ------------------------------------------------------------ plot finishers

void import_data::finish_plot(int graphs, bool all_graphs_widen, bool narrow_rule, bool right_axis, bool log,
                              bool own_key_range)
{
    QCustomPlot *plot = ui->import_plot;
    graphs = std::min(graphs, plot->graphCount());
    for (int k = 0; k < graphs; ++k)
        plot->graph(k)->setData(graph_data_refs[k]);
    if (own_key_range && !graph_data[0].isEmpty()) {
        start_time = quint32(key_bits(graph_data[0].constBegin()->key));
        last_key = key_bits((graph_data[0].constEnd() - 1)->key);
    }
    plot->yAxis->setRange(-0.5, 0.5);
    plot->xAxis->setRange(double(start_time), double(quint32(last_key)));
    if (log)
        qDebug() << start_time << quint32(last_key);
    if (graphs == 0) {
        plot->replot(QCustomPlot::rpQueuedRefresh);
        return;
    }
    const QCPRange keys = plot->xAxis->range();
    bool found = false;
    QCPRange r = plot->graph(0)->getValueRange(found, QCP::sdBoth, keys);
    if (found)
        plot->yAxis->setRange(r);
    if (all_graphs_widen) {
        for (int k = 1; k < graphs; ++k) {
            bool more = false;
            const QCPRange g = plot->graph(k)->getValueRange(more, QCP::sdBoth, keys);
            if (more) {
                QCPRange now = plot->yAxis->range();
                now.expand(g);
                plot->yAxis->setRange(now);
            }
        }
    }
    QCPRange left = plot->yAxis->range();
    const double w = left.upper - left.lower;
    const double tenth = double(0.1f);
    if (narrow_rule && w < 1) {
        const double m = (left.upper + left.lower) / 2;
        plot->yAxis->setRange(m - 0.5, m + 0.5);
    } else {
        plot->yAxis->setRange(left.lower - tenth * w, left.upper + tenth * w);
    }
    if (right_axis && graphs > 1) {
        bool more = false;
        const QCPRange g = plot->graph(1)->getValueRange(more, QCP::sdBoth, keys);
        if (more)
            plot->yAxis2->setRange(g);
        const QCPRange right = plot->yAxis2->range();
        if (right.upper - right.lower < 1) {
            const double m = (right.upper + right.lower) / 2;
            plot->yAxis2->setRange(m - 0.5, m + 0.5);
        }
    }
    plot->replot(QCustomPlot::rpQueuedRefresh);
}

void import_data::KQ240_set_plot()
{
    finish_plot(4, true, false, false, true, false);
}

void import_data::KQ257_set_plot()
{
    finish_plot(2, false, true, true, false, false);
}

void import_data::single_set_plot()
{
    finish_plot(1, false, true, false, false, false);
}

void import_data::KQ285_set_plot()
{
    finish_plot(1, false, true, false, true, false);
}

void import_data::KQ186_set_plot()
{
    finish_plot(1, false, true, false, true, false);
}

void import_data::KQ174_set_plot()
{
    finish_plot(1, false, true, false, true, true);
}

// ------------------------------------------------------------ saving and printing

QString import_data::ask_save_name(const QString &proposed, const QString &filter, const QString &suffix)
{
    QWidget holder;   // the dialog's hidden parent, gone with this call
    QString path = QFileDialog::getSaveFileName(&holder, QStringLiteral("choose file"), proposed, filter);
    // The dialog does not add the filter's suffix on every platform.
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += suffix;
    return path;
}

void import_data::on_save_table_clicked()
{
    if (!table_model)
        return;
    const QString path = ask_save_name(QStringLiteral("save_import_table.xlsx"), tr("Images (*.xlsx)"),
                                       QStringLiteral(".xlsx"));
    if (path.isEmpty()) {
        QMessageBox::warning(nullptr, QString(), QStringLiteral("no choose path"), QMessageBox::Ok);
        return;
    }
    workbook::Writer writer;
    for (int c = 0; c < table_model->columnCount(); ++c)
        writer.write_string(1, c + 1, table_model->headerData(c, Qt::Horizontal).toString());
    for (int r = 0; r < table_model->rowCount(); ++r)
        for (int c = 0; c < table_model->columnCount(); ++c) {
            const QStandardItem *item = table_model->item(r, c);
            writer.write_string(r + 2, c + 1, item ? item->text() : QString());
        }
    QString error;
    if (!writer.save(path, &error)) {
        qDebug() << "xlsx not saved" << path << error;
        QMessageBox::warning(nullptr, tr("warning"),
                             tr("The table could not be saved:") + QStringLiteral("\n") + path
                                 + QStringLiteral("\n") + error,
                             QMessageBox::Ok);
    }
}

void import_data::on_save_bmp_clicked()
{
    const QString path = ask_save_name(QStringLiteral("import_data.bmp"), tr("Images (*.bmp)"),
                                       QStringLiteral(".bmp"));
    if (path.isEmpty()) {
        QMessageBox::warning(nullptr, QString(), QStringLiteral("no choose path"), QMessageBox::Ok);
        return;
    }
    QPixmap picture(ui->plotwidget->size());
    ui->plotwidget->render(&picture, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    QString error;
    if (!safe_file::save_image(path, picture.toImage(), &error)) {
        qDebug() << "bmp not saved" << path << error;
        QMessageBox::warning(nullptr, tr("warning"),
                             tr("The picture could not be saved:") + QStringLiteral("\n") + path
                                 + QStringLiteral("\n") + error,
                             QMessageBox::Ok);
    }
}

void import_data::on_print_bmp_clicked()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageMargins(QMarginsF(10, 10, 10, 12), QPageLayout::Millimeter);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, &import_data::preview_BMP);
    preview.exec();
}

void import_data::preview_BMP(QPrinter *printer)
{
    QPixmap picture(ui->plotwidget->size());
    ui->plotwidget->render(&picture, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    QPainter painter;
    if (!painter.begin(printer)) {
        qDebug() << "failed to open file, is it writable?";
        return;
    }
    if (picture.isNull()) {
        QMessageBox::warning(nullptr, QStringLiteral("warning"), QStringLiteral("bmp not exist"), QMessageBox::Ok);
        painter.end();
        return;
    }
    const QSize page = printer->pageLayout().paintRectPixels(printer->resolution()).size();
    painter.drawPixmap(0, 0, picture.scaled(page, Qt::KeepAspectRatio, Qt::FastTransformation));
    painter.end();
}

void import_data::build_html()
{
    if (!table_model)
        return;
    html.clear();
    html += QStringLiteral("<html><body>");
    html += QStringLiteral("<h1 align='center'>import datasheet</h1>");
    html += QStringLiteral("<table border='0' width='600' bordercolor='blue' cellspacing='0'>");
    html += QStringLiteral("<tr>");
    html += QStringLiteral(
        "<td><table border='0.1' width='200' align='right' bordercolor='blue' cellspacing='0' frame='void'>");
    html += QStringLiteral("<tr align='center'>");
    for (int c = 0; c < table_model->columnCount(); ++c)
        html += QStringLiteral("<td>%1</td>").arg(table_model->headerData(c, Qt::Horizontal).toString().toHtmlEscaped());
    html += QStringLiteral("</tr>");
    for (int r = 0; r < table_model->rowCount(); ++r) {
        html += QStringLiteral("<tr align='center'>");
        for (int c = 0; c < table_model->columnCount(); ++c) {
            const QStandardItem *item = table_model->item(r, c);
            html += item ? QStringLiteral("<td>%1</td>").arg(item->text().toHtmlEscaped()) : QStringLiteral("<td></td>");
        }
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("</tr></table >");
    html += QStringLiteral("</body></html>");
}

void import_data::on_print_table_clicked()
{
    build_html();
    QFile dump(QStringLiteral("import_html.html"));
    if (dump.open(QIODevice::ReadWrite | QIODevice::Truncate)) {
        dump.write(html.toLatin1());
        dump.close();
    }
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::NativeFormat);
    QPrintPreviewDialog preview(&printer);
    preview.setWindowTitle(tr("Print Preview"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, &import_data::preview_table);
    preview.exec();
}

void import_data::preview_table(QPrinter *printer)
{
    frame::PrintedTable t;   // no table: an empty page
    t.centred = false;
    if (table_model) {
        t.title = QStringLiteral("import datasheet");
        const QAbstractItemModel *m = table_model;
        for (int c = 0; c < m->columnCount(); ++c)
            t.headings << m->headerData(c, Qt::Horizontal).toString();
        t.rows = m->rowCount();
        t.columns = m->columnCount();
        t.text = [m](int r, int c) { return m->data(m->index(r, c)).toString(); };
    }
    frame::print_paged_table(printer, t);
}
