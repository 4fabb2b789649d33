#ifndef IMPORT_DATA_H
#define IMPORT_DATA_H

#include "data_process/data_statistics.h"
#include "workbook/workbook.h"
#include "viewer_text.h"
#include "viewer_units.h"

#include <QFile>
#include <QSharedPointer>
#include <QString>
#include <QVector>
#include <QWidget>

#include <functional>

#include <qcustomplot.h>

class QPrinter;
class QRadioButton;
class viewer_table;

namespace Ui {
class import_data;
}

// Viewer of an exported workbook: recognises the model from the title cell,
// shows the rows in a table, the values as graphs with their extremes and
// mean, converts units, and saves and prints what it shows. A top-level
// window when built without a parent; the caller shows it.
class import_data : public QWidget
{
    Q_OBJECT

public:
    import_data(QWidget *parent, QString filename);
    ~import_data() override;

    QString filename() const { return file_name; }

    // What the workbook was recognised as (empty model: not recognised).
    QString model() const { return model_type; }
    QString value_unit() const { return unit; }
    bool date_column() const { return has_date; }
    quint32 first_time() const { return start_time; }
    qint32 last_time() const { return last_key; }
    // Why the workbook could not be read; empty when it could.
    QString read_error() const { return m_read_error; }

    static QVector<double> extract_numbers(const QString &text);
    static float pressure_convert(float x, quint8 from, quint8 to);
    static const QStringList &pressure_units();

public slots:
    void on_print_bmp_clicked();
    void on_print_table_clicked();
    void on_save_bmp_clicked();
    void on_save_table_clicked();
    void on_radioButton_clicked();
    void on_radioButton_2_clicked();
    void on_radioButton_3_clicked();
    void on_radioButton_4_clicked();
    void on_radioButton_5_clicked();
    void radioButton_clicked();
    void preview_BMP(QPrinter *printer);
    void preview_table(QPrinter *printer);

private:
    void get_config_data();
    void ui_init();
    void clear_data();
    void load_data();

    void KQ240_plot_init(QCustomPlot *plot, bool date, const QString &left, const QString &right);
    void KQ257_plot_init(QCustomPlot *plot, bool date, const QString &left, const QString &right);
    void KQ278_plot_init(QCustomPlot *plot, bool date, const QString &left, const QString &right);
    void single_plot_init(QCustomPlot *plot, bool date, const QString &left, const QString &right);
    void KQ186_radio_init();
    void KQ174_radio_init();

    void KQ240_load_table();
    void KQ257_load_table();
    void KQ263_load_table();
    void KQ278_load_table();
    void KQ285_load_table();
    void KQ186_load_table();
    void KQ174_load_table();

    void KQ240_set_plot();
    void KQ257_set_plot();
    void single_set_plot();
    void KQ285_set_plot();
    void KQ186_set_plot();
    void KQ174_set_plot();

    void build_html();
    void fit_date_column();
    void show_table();

    // Shared steps of the loaders and finishers.
    enum class Legend { Shown, Hidden, Default };
    enum class RightAxis { Hidden, ShownWithDate, Default };
    void plot_init(QCustomPlot *plot, bool date, const QString &left, const QString &right, Legend legend,
                   const QStringList &names, const QVector<QColor> &colours, int right_graph,
                   RightAxis right_axis, bool right_label);
    void choose_unit(QRadioButton *radio, quint8 index, bool temperature);
    void remove_channels_from(int channel);
    void add_extra_radio(int index);
    void move_spacer_down();
    void fit_radio_group();
    bool read_sheet();
    bool begin_load(int graphs, const QVector<int> &unit_columns = QVector<int>());
    double row_key(const QString &text, bool thermometer, bool key_as_text, QString *item) const;
    void set_item(int row, int col, const QString &text);
    bool load_rows(bool thermometer, bool key_as_text, const std::function<bool(int)> &keep,
                   const std::function<bool(int, int, double)> &values);
    bool unit_cell(const QString &cell, const viewer_units::Family &family, const QString &row_unit, int channel,
                   double key, bool thermometer, QString *shown, QString *shown_unit);
    void load_unit_pairs(const viewer_units::Family &family);
    void load_plain(const std::function<bool(int)> &keep);
    bool speed_split_layout() const;
    void add_value(int channel, double key, double value);
    void finish_load(int graphs);
    void show_statistics(int channel, int precision, const QString &suffix);
    void finish_plot(int graphs, bool all_graphs_widen, bool narrow_rule, bool right_axis, bool log,
                     bool own_key_range);
    QString ask_save_name(const QString &proposed, const QString &filter, const QString &suffix);

    Ui::import_data *ui;
    QString file_name;
    QFile file;
    QString model_type;
    QString unit;
    QString display_unit;
    viewer_table *table_model = nullptr;
    quint32 start_time = 0;
    qint32 last_key = 10;
    QVector<double> row_values;
    QString html;
    QVector<QCPGraphDataContainer> channel_data;
    QCPGraphDataContainer graph_data[4];
    QSharedPointer<QCPGraphDataContainer> graph_data_refs[4];
    DATA_STATISTICS statistics;
    QRadioButton *extra_radios[9] = {};
    bool has_date = false;
    quint8 file_unit_index = 0;
    quint8 unit_index = 0;

    // The sheet as read on opening; a unit choice converts from it.
    workbook::Sheet m_sheet;
    mutable viewer_text::LocalTimes m_times;
    QString m_read_error;
};

#endif
