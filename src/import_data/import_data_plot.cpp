// The graphs fitted to what was loaded.
#include "import_data.h"
#include "ui_import_data.h"
#include "viewer_table.h"
#include "viewer_text.h"

#include <QDebug>

using namespace viewer_text;

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
    // The key axis spans the points themselves, whatever their order; a
    // file without points keeps the first row's time (or 0) as one end.
    QCPRange keys;
    bool any = false;
    for (int k = 0; k < graphs; ++k) {
        bool found = false;
        const QCPRange r = plot->graph(k)->getKeyRange(found, QCP::sdBoth);
        if (!found)
            continue;
        keys = any ? QCPRange(std::min(keys.lower, r.lower), std::max(keys.upper, r.upper)) : r;
        any = true;
    }
    if (!any)
        keys = has_date ? QCPRange(double(start_time), double(start_time) + 10) : QCPRange(0, 10);
    // Points of one key stand in the middle of a short span: an axis of no
    // width is refused and would leave them off-screen.
    const double half = has_date ? 30 : 1;
    if (!(keys.upper - keys.lower > 0))
        keys = QCPRange(keys.lower - half, keys.upper + half);
    else if (any)   // the first and last points clear of the frame
        keys = QCPRange(keys.lower - 0.02 * keys.size(), keys.upper + 0.02 * keys.size());
    plot->xAxis->setRange(keys);
    if (log)
        qDebug() << start_time << quint32(last_key);
    // A single point has no line to it: draw it as a dot.
    for (int k = 0; k < graphs; ++k)
        plot->graph(k)->setScatterStyle(graph_data[k].size() == 1 ? QCPScatterStyle(QCPScatterStyle::ssDisc, 6)
                                                                  : QCPScatterStyle());
    if (graphs == 0) {
        plot->replot(QCustomPlot::rpQueuedRefresh);
        return;
    }
    // Fitted here, not on the axis: the axis refuses a range of no width.
    bool found = false;
    QCPRange left = plot->graph(0)->getValueRange(found, QCP::sdBoth, keys);
    if (!found)
        left = QCPRange(-0.5, 0.5);
    if (all_graphs_widen) {
        for (int k = 1; k < graphs; ++k) {
            bool more = false;
            const QCPRange g = plot->graph(k)->getValueRange(more, QCP::sdBoth, keys);
            if (more)
                left.expand(g);
        }
    }
    const double w = left.upper - left.lower;
    const double tenth = double(0.1f);
    // A constant series opens to 1, as a narrow one does in the windows.
    if ((narrow_rule && w < 1) || !(w > 0)) {
        const double m = (left.upper + left.lower) / 2;
        plot->yAxis->setRange(m - 0.5, m + 0.5);
    } else {
        plot->yAxis->setRange(left.lower - tenth * w, left.upper + tenth * w);
    }
    if (right_axis && graphs > 1) {
        bool more = false;
        const QCPRange g = plot->graph(1)->getValueRange(more, QCP::sdBoth, keys);
        const QCPRange right = more ? g : plot->yAxis2->range();
        if (right.upper - right.lower >= 1) {
            plot->yAxis2->setRange(right);
        } else {
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
