#include "frame/hid_window.h"
#include "frame/compact_item.h"

#include "data_process/data_statistics.h"
#include "frame/decimal.h"
#include "frame/model_frame.h"
#include "frame/quiet_updates.h"

#include <QComboBox>
#include <QDateTime>
#include <QDebug>
#include <QLabel>
#include <QMainWindow>
#include <QTableWidget>

namespace frame {

namespace {

// Value axis to the data in view; a range narrower than 1 is opened to 1
// around its centre, a wider one optionally by a tenth on each side.
void fit_value_axis(QCPGraph *graph, bool margin)
{
    if (ModelFrame::fit_values(graph->valueAxis()) && margin)
        ModelFrame::margin_axis(graph->valueAxis());
}

void set_label(QMainWindow *window, const char *name, const QString &text)
{
    if (auto *label = window->findChild<QLabel *>(QLatin1String(name)))
        set_steady_text(label, text);
}

}

int whole_record_words(int words, int record)
{
    const int whole = words / record * record;
    if (whole != words)
        qDebug() << "stored answer ends in an incomplete record of" << words - whole << "words";
    return whole;
}

void setup_time_plot(QCustomPlot *plot, const QString &name)
{
    if (!plot)
        return;
    plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom | QCP::iSelectAxes);
    plot->legend->setVisible(true);
    plot->legend->setBrush(QBrush(QColor(255, 255, 255, 230)));
    plot->axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignRight | Qt::AlignBottom);
    QCPGraph *graph = plot->addGraph(plot->xAxis, plot->yAxis);
    graph->setPen(QPen(Qt::red));
    graph->setName(name);
    plot->xAxis->setRange(0, 20);
    plot->yAxis->setRange(0, 20);
    plot->yAxis->setRangeLower(5);
    plot->xAxis->setTickLength(0, 5);
    plot->xAxis->setSubTickLength(0, 3);
    plot->yAxis->setLabel(name);
    ModelFrame::set_date_ticker(plot);
    const QList<QCPAxis *> axes = {plot->xAxis2, plot->yAxis2, plot->yAxis, plot->xAxis};
    plot->axisRect()->setRangeDragAxes(axes);
    plot->axisRect()->setRangeZoomAxes(axes);
}

void add_realtime_point(ModelFrame &frame, Series *series, quint32 key, double value, bool margin)
{
    if (frame.rt_start_time == 0) {
        frame.rt_start_time = key;
        qDebug() << frame.rt_start_time;
    }
    series->add(double(key), value);
    QCPGraph *graph = series->graph();
    if (!graph)
        return;
    graph->rescaleKeyAxis(true);
    frame.apply_time_span(key);
    fit_value_axis(graph, margin);
    replot_soon(series->plot());
}

void add_stored_point(ModelFrame &frame, Series *series, quint32 key, double value, bool margin)
{
    if (frame.save_start_time == 0) {
        frame.save_start_time = key;
        qDebug() << frame.save_start_time;
    }
    series->add(double(key), value);
    QCPGraph *graph = series->graph();
    if (!graph)
        return;
    ModelFrame::set_key_range(graph->keyAxis(), series->data());
    fit_value_axis(graph, margin);
}

void finish_stored(ModelFrame &frame)
{
    if (frame.read_plot)
        frame.read_plot->replot(QCustomPlot::rpRefreshHint);
    if (frame.read_table_data) {
        frame.read_table_data->scrollToBottom();
        frame.read_table_data->show();
    }
}

int append_row(QTableWidget *table, quint32 time, const QString &value, const QString &unit, bool scroll)
{
    const int row = table->rowCount();
    table->setRowCount(row + 1);
    table->setItem(row, 0, new compact_item(
        QDateTime::fromSecsSinceEpoch(qint64(time)).toString(QStringLiteral("hh:mm:ss yyyy-MM-dd"))));
    table->setItem(row, 1, new compact_item(value));
    table->setItem(row, 2, new compact_item(unit));
    if (scroll) {
        scroll_to_bottom_soon(table);
        table->show();
    }
    return row;
}

void mark_alarm(QTableWidget *table, int row)
{
    if (QTableWidgetItem *item = table->item(row, 1))
        item->setData(Qt::BackgroundRole, QBrush(Qt::red, Qt::SolidPattern));
}

void show_statistics(QMainWindow *window, const STATISTICS_ITEM &item, const QString &unit, bool counters,
                     int scale)
{
    set_label(window, "MAX_T_label", rounded_text(exact_reading(item.max, scale), 2) + unit);
    set_label(window, "MIN_T_label", rounded_text(exact_reading(item.min, scale), 2) + unit);
    set_label(window, "AVG_T_label", rounded_text(running_mean(item, scale), 2) + unit);
    if (!counters)
        return;
    set_label(window, "upper_count", QString::number(item.high_count, 'g', 6));
    set_label(window, "lower_count", QString::number(item.low_count, 'g', 6));
}

}
