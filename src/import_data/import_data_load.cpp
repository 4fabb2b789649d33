// Loading: the rows of the sheet read on opening into the table, the graphs
// and the statistics, in the unit chosen.
#include "import_data.h"
#include "ui_import_data.h"
#include "viewer_table.h"
#include "viewer_text.h"
#include "viewer_units.h"

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

bool import_data::begin_load(int graphs, const QVector<int> &unit_columns)
{
    if (!table_model)
        return false;
    channel_data.resize(graphs);
    QStringList headers;
    for (int c = 0; c < m_sheet.column_count(); ++c)
        // A unit column stands under its value's merged heading.
        headers << (unit_columns.contains(c + 1) ? QString() : m_sheet.cell(2, c + 1));
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

// A value rounded in decimal to its shortest decimal text ("6.305" gives
// 6.31), not to its binary neighbour.
static QString decimal_text(double v, int decimals)
{
    static const viewer_units::Unit same{QString(), 1, 1, 0, 0};
    QString shown;
    double ignored = 0;
    const QString number = viewer_units::number_text(QString::number(v, 'g', 15));
    if (!std::isfinite(v) || number.isEmpty()
        || !viewer_units::convert(number, same, same, decimals, viewer_units::Rounding::Nearest, &shown, &ignored))
        return QString::number(v, 'f', decimals);
    return shown;
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
        box->setText(s.samples.isEmpty() ? k_null : decimal_text(values[g], precision) + suffix);
        box->setCursorPosition(0);   // a text wider than the box keeps its digits in view
    }
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


// ------------------------------------------------------------ value cells

// The number of a value cell written in `from`, in `to` with the decimals
// the window shows that unit with. A unit the viewer does not know (either
// of them null) leaves the number as written. False for a missing reading
// or a cell without a number, whose text is then shown as it is.
static bool value_in(const QString &cell, bool thermometer, const viewer_units::Family &family,
                     const viewer_units::Unit *from, const viewer_units::Unit *to, QString *shown, double *value)
{
    if (cell == k_null || (thermometer && cell == k_no_data)) {
        *shown = k_null;
        return false;
    }
    const QString number = viewer_units::number_text(cell);
    if (number.isEmpty()) {
        *shown = cell;
        return false;
    }
    if (from && to && viewer_units::convert(number, *from, *to, to->decimals, family.rounding, shown, value)) {
        if (from == to || from->text == to->text)
            *value = number.toDouble();   // nothing converted: the value as written
        return true;
    }
    *shown = number;
    *value = number.toDouble();
    return true;
}

// A number shown as written, or with the given decimals.
static bool plain_value(const QString &cell, int decimals, QString *shown, double *value)
{
    static const viewer_units::Unit same{QString(), 1, 1, 0, 0};
    if (cell == k_null) {
        *shown = k_null;
        return false;
    }
    const QString number = viewer_units::number_text(cell);
    if (number.isEmpty()) {
        *shown = cell;
        return false;
    }
    if (!viewer_units::convert(number, same, same, decimals, viewer_units::Rounding::Nearest, shown, value)) {
        *shown = number;
        *value = number.toDouble();
    }
    return true;
}

// Shows a value cell of a row written in `row_unit` and keeps its value for
// the graph and statistics: in the unit chosen on the viewer, else the
// table in the row's own unit (as the window showed it) and the graph and
// statistics in one unit for the whole file, `unit`.
bool import_data::unit_cell(const QString &cell, const viewer_units::Family &family, const QString &row_unit,
                            int channel, double key, bool thermometer, QString *shown, QString *shown_unit)
{
    using viewer_units::Unit;
    const Unit *from = viewer_units::find(family, row_unit);
    const Unit *chosen = viewer_units::find(family, display_unit);
    if (!chosen && unit.isEmpty() && from)
        unit = from->text;   // a file without its unit in row 3: the first row's
    const Unit *kept = chosen ? chosen : viewer_units::find(family, unit);
    const Unit *to = chosen ? chosen : from;
    double v = 0;
    const bool number = value_in(cell, thermometer, family, from, to, shown, &v);
    // A row in a unit the viewer does not know keeps its number and unit.
    *shown_unit = chosen && from ? display_unit : row_unit;
    if (!number)
        return false;
    if (kept != to) {
        QString ignored;
        value_in(cell, thermometer, family, from, kept, &ignored, &v);
    }
    add_value(channel, key, v);
    return true;
}

void import_data::KQ240_load_table()
{
    if (!begin_load(4))
        return;
    const int cols = m_sheet.column_count();
    const viewer_units::Family &family = viewer_units::temperature(1);
    load_rows(true, false, nullptr, [&](int table_row, int r, double key) {
        // Each row converts from the unit written in it.
        const QString row_unit = m_sheet.cell(r, cols);
        for (int c = 2; c <= cols - 1; ++c) {
            QString shown, shown_unit;
            if (unit_cell(m_sheet.cell(r, c), family, row_unit, c - 2, key, true, &shown, &shown_unit))
                shown += shown_unit;
            set_item(table_row, c - 1, shown);
        }
        return true;
    });
    finish_load(4);
    for (int ch = 0; ch < 4; ++ch)
        show_statistics(ch, 1, unit);
    KQ240_set_plot();
}

void import_data::KQ257_load_table()
{
    if (!begin_load(2))
        return;
    const viewer_units::Family &family = viewer_units::temperature(2);
    load_rows(false, true, nullptr, [&](int table_row, int r, double key) {
        QString shown, shown_unit;
        const bool number = unit_cell(m_sheet.cell(r, 2), family, m_sheet.cell(r, 3), 0, key, false, &shown,
                                      &shown_unit);
        set_item(table_row, 1, shown);
        set_item(table_row, 2, number ? shown_unit : m_sheet.cell(r, 3));
        double v = 0;
        if (plain_value(m_sheet.cell(r, 4), 2, &shown, &v))
            add_value(1, key, v);
        set_item(table_row, 3, shown);
        set_item(table_row, 4, m_sheet.cell(r, 5));
        return true;
    });
    finish_load(2);
    show_statistics(0, 1, unit);
    show_statistics(1, 1, QStringLiteral("%RH"));
    KQ257_set_plot();
}

// A value in column 2 with its unit in column 3.
void import_data::load_unit_pairs(const viewer_units::Family &family)
{
    if (!begin_load(1))
        return;
    load_rows(false, false, nullptr, [&](int table_row, int r, double key) {
        QString shown, shown_unit;
        const bool number = unit_cell(m_sheet.cell(r, 2), family, m_sheet.cell(r, 3), 0, key, false, &shown,
                                      &shown_unit);
        set_item(table_row, 1, shown);
        set_item(table_row, 2, number ? shown_unit : m_sheet.cell(r, 3));
        return true;
    });
    finish_load(1);
}

void import_data::KQ263_load_table()
{
    load_unit_pairs(viewer_units::light());
    show_statistics(0, 2, unit);
    single_set_plot();
}

bool import_data::speed_split_layout() const
{
    // The real-time page writes value and unit in two columns each.
    return m_sheet.column_count() >= 5 || viewer_units::find(viewer_units::speed(), m_sheet.cell(3, 3));
}

void import_data::KQ278_load_table()
{
    const bool split = speed_split_layout();
    if (!begin_load(1, split ? QVector<int>{3, 5} : QVector<int>()))
        return;
    const viewer_units::Family &family = viewer_units::speed();
    load_rows(false, false, nullptr, [&](int table_row, int r, double key) {
        QString shown, shown_unit;
        if (split) {
            const bool number = unit_cell(m_sheet.cell(r, 2), family, m_sheet.cell(r, 3), 0, key, false, &shown,
                                          &shown_unit);
            set_item(table_row, 1, shown);
            set_item(table_row, 2, number ? shown_unit : m_sheet.cell(r, 3));
            set_item(table_row, 3, m_sheet.cell(r, 4));
            set_item(table_row, 4, m_sheet.cell(r, 5));
            return true;
        }
        // A stored row carries its unit after the value.
        const QString cell = m_sheet.cell(r, 2);
        const viewer_units::Unit *u = viewer_units::find_suffix(family, cell);
        if (unit_cell(cell, family, u ? u->text : QString(), 0, key, false, &shown, &shown_unit))
            shown += shown_unit;
        set_item(table_row, 1, shown);
        set_item(table_row, 2, m_sheet.cell(r, 3));
        return true;
    });
    finish_load(1);
    show_statistics(0, 2, unit);
    single_set_plot();
}

// Readings shown as written, with the unit or weighting text beside them.
void import_data::load_plain(const std::function<bool(int)> &keep)
{
    if (!begin_load(1))
        return;
    load_rows(false, false, keep, [&](int table_row, int r, double key) {
        QString shown;
        double v = 0;
        if (plain_value(m_sheet.cell(r, 2), -1, &shown, &v))
            add_value(0, key, v);
        set_item(table_row, 1, shown);
        set_item(table_row, 2, m_sheet.cell(r, 3));
        return true;
    });
    finish_load(1);
}

void import_data::KQ285_load_table()
{
    load_plain(nullptr);
    show_statistics(0, 2, QString());
    KQ285_set_plot();
}

void import_data::KQ186_load_table()
{
    load_unit_pairs(viewer_units::pressure());
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
    load_plain([this](int r) { return unit.isEmpty() || m_sheet.cell(r, 3) == unit; });
    show_statistics(0, 2, QString());
    // "ALL" too: the graph shows what the table holds.
    KQ174_set_plot();
}
