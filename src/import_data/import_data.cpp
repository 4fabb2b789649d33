#include "import_data.h"
#include "ui_import_data.h"
#include "frame/model_frame.h"
#include "viewer_table.h"
#include "viewer_text.h"
#include "viewer_units.h"

#include <QApplication>
#include <QDebug>
#include <QRadioButton>

using namespace viewer_text;

namespace {

// The most columns a workbook of the viewer's models has is seven; a sheet
// far wider is no export of theirs and would make a view of no use.
const int k_max_columns = 256;
// A window exports at most a whole sheet of rows (1,048,576) at its widest,
// seven columns, about 7.3 million cells; 2^23 leaves room over that. A file
// past it is no export of theirs, and reading on would cost time and memory
// for what the XML repeats, not for anything shown.
const int k_max_rows = 1048576;
const qint64 k_max_cells = qint64(1) << 23;
// A window's longest cell is a few dozen characters (a title, a header, a
// date and time); 1,024 is far over any of them and keeps a hostile cell's
// cost small. Its writer lists only strings its cells use: a thousand spare
// ones leave room for another program's leftovers.
const int k_max_text = 1024;
const int k_max_unused_strings = 1024;

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
    table_model = new viewer_table(this);
    ui->import_table->setFont(QFont());
    // A large workbook takes a moment: say so.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    get_config_data();
    ui_init();
    load_data();
    show_table();
    frame::ModelFrame::wrap_header(ui->import_table);
    QApplication::restoreOverrideCursor();
}

// Every column stretches, but the date-time keeps room for its text: beside
// more than two values it wraps onto two lines, as in the model windows.
// The value columns share what is left.
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
    // Columns that cannot all shrink into the table stay within reach.
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
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
    workbook::ReadLimits limits;
    limits.max_rows = k_max_rows;
    limits.max_columns = k_max_columns;
    limits.max_cells = k_max_cells;
    limits.max_text = k_max_text;
    limits.max_unused_strings = k_max_unused_strings;
    if (workbook::read_first_sheet(file_name, &sheet, &error, limits)) {
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
            // Stored rows carry the unit after the value, real-time rows beside it.
            const viewer_units::Unit *u = viewer_units::find_suffix(viewer_units::speed(), b3);
            if (!u)
                u = viewer_units::find(viewer_units::speed(), c3);
            if (u)
                unit = u->text;
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

    // Some stored pages head their date-times "num": a date-time is a time
    // whatever the heading says.
    quint32 first = 0;
    const bool a3_time = !a3.isEmpty() && m_times.parse(a3, &first);
    if (a2 == QLatin1String("Date") || a2 == QStringLiteral("日期") || a3_time) {
        has_date = true;
        start_time = a3_time ? first : 0;
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
        // Named by the unit it shows.
        ui->radioButton_2->setText(tr("km/h"));
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
    fit_radio_group();
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
    const QString texts[] = {tr("Pa"),    tr("hPa"),    tr("kPa"),   tr("bar"),   tr("mbar"),
                             tr("psi"),   tr("mmHg"),   tr("inHg"),  tr("kg/cm²"), tr("oz/in²"),
                             tr("inH2O"), tr("ftH2O"),  tr("mmH2O"), tr("cmH2O")};
    QRadioButton *form[] = {ui->radioButton, ui->radioButton_2, ui->radioButton_3, ui->radioButton_4,
                            ui->radioButton_5};
    for (int i = 0; i < 5; ++i)
        form[i]->setText(texts[i]);
    for (int i = 0; i < 9; ++i)
        extra_radios[i]->setText(texts[5 + i]);
    // The radio of the unit the file is written in: its rows are shown in
    // it (or in their own) until another is chosen.
    const int file_unit = file_unit_index < 5 ? -1 : file_unit_index - 5;
    if (file_unit >= 0)
        extra_radios[file_unit]->setChecked(true);
    else
        form[file_unit_index]->setChecked(true);
    move_spacer_down();
}

// The unit group is narrow; a longer radio text widens it rather than being clipped.
void import_data::fit_radio_group()
{
    int widest = 0;
    for (QRadioButton *r : ui->groupBox->findChildren<QRadioButton *>())
        widest = std::max(widest, r->sizeHint().width());
    const QMargins m = ui->groupBox->contentsMargins();
    const QMargins l = ui->verticalLayout->contentsMargins();
    const int needed = widest + m.left() + m.right() + l.left() + l.right();
    if (needed > ui->groupBox->maximumWidth())
        ui->groupBox->setMaximumWidth(needed);
    ui->groupBox->setMinimumWidth(std::min(needed, ui->groupBox->maximumWidth()));
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

// ------------------------------------------------------------ unit radios

// A unit choice converts the cells already read; the file is not read again.
void import_data::choose_unit(QRadioButton *radio, quint8 index, bool)
{
    if (radio)
        unit = radio->text();
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
