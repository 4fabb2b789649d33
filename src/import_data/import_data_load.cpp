// Loading: the rows of the sheet read on opening into the table, the graphs
// and the statistics, in the unit chosen.
#include "import_data.h"
#include "ui_import_data.h"
#include "viewer_table.h"
#include "viewer_text.h"

#include <QMessageBox>

#include <cmath>
#include <limits>

using namespace viewer_text;

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
    if (table_model)
        table_model->end();
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
    channel_data.resize(graphs);
    QStringList headers;
    for (int c = 0; c < m_sheet.column_count(); ++c)
        headers << m_sheet.cell(2, c + 1);
    table_model->begin(headers, m_sheet.rows().size());
    return true;
}

double import_data::row_key(const QString &text, bool thermometer, bool key_as_text, QString *item) const
{
    if (has_date) {
        *item = text;
        quint32 t = 0;
        return m_times.parse(text, &t) ? double(t) : k_no_time;
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
    table_model->set(row, col, text);
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
    const QVector<int> rows = m_sheet.rows();
    for (int r : rows) {
        if (r < 3)
            continue;
        row_values.clear();
        if (keep && !keep(r))
            continue;
        QString item;
        const double key = row_key(m_sheet.cell(r, 1), thermometer, key_as_text, &item);
        set_item(table_row, 0, item);
        row_values.append(key);
        if (!values(table_row, r, key))
            return false;
        ++table_row;
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
                QMessageBox::warning(nullptr, tr("warning"), tr("Units must be the same"),
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
    load_rows(false, true, nullptr, [&](int table_row, int r, double key) {
        const QString row_unit = m_sheet.cell(r, 3);
        const auto shown = [&](double v) { return shown_value(v, row_unit); };
        set_item(table_row, 1, value_cell(r, 2, 0, key, shown, 1, QString()));
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
void import_data::load_single(const std::function<double(int, double)> &convert, int decimals,
                              const QString &suffix, bool third_from_unit, const std::function<bool(int)> &keep)
{
    if (!begin_load(1))
        return;
    load_rows(false, false, keep, [&](int table_row, int r, double key) {
        const auto shown = [&](double v) { return convert(r, v); };
        set_item(table_row, 1, value_cell(r, 2, 0, key, convert ? std::function<double(double)>(shown) : nullptr,
                                          decimals, suffix));
        set_item(table_row, 2, third_from_unit ? unit : m_sheet.cell(r, 3));
        return true;
    });
    finish_load(1);
}

void import_data::KQ263_load_table()
{
    load_single([this](int r, double v) { return shown_value(v, m_sheet.cell(r, 3)); }, 2, QString(), true, nullptr);
    show_statistics(0, 2, unit);
    single_set_plot();
}

void import_data::KQ278_load_table()
{
    if (!begin_load(1))
        return;
    load_rows(false, false, nullptr, [&](int table_row, int r, double key) {
        // A stored row carries its unit after the value, a real-time row beside it.
        QString row_unit = unit_suffix(m_sheet.cell(r, 2));
        if (row_unit.isEmpty())
            row_unit = m_sheet.cell(r, 3);
        const auto shown = [&](double v) { return shown_value(v, row_unit); };
        set_item(table_row, 1, value_cell(r, 2, 0, key, shown, 2, unit));
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
    load_single([this](int, double v) { return double(pressure_convert(float(v), file_unit_index, unit_index)); }, 1,
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
