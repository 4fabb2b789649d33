#ifndef FRAME_SERIES_H
#define FRAME_SERIES_H

#include <qcustomplot.h>

#include <QPointer>
#include <QSharedPointer>

namespace frame {

// The points of one graph. The graph shares the container, so a new point
// costs no copy of the earlier ones however long the acquisition runs.
class Series
{
public:
    Series(QCustomPlot *plot, int graph);

    // Gives the graph these points once it exists; true when attached.
    bool attach();
    QCPGraph *graph() const { return m_graph; }
    QCustomPlot *plot() const { return m_plot; }

    void add(double key, double value);
    void clear();
    // Replaces every value by f(value) (a unit change of what is shown).
    void set_values(const QSharedPointer<QCPGraphDataContainer> &source, const std::function<double(double)> &f);
    bool isEmpty() const { return m_data->isEmpty(); }
    int size() const { return m_data->size(); }
    double last_key() const;
    const QSharedPointer<QCPGraphDataContainer> &data() const { return m_data; }

private:
    QPointer<QCustomPlot> m_plot;
    int m_index;
    QPointer<QCPGraph> m_graph;
    QSharedPointer<QCPGraphDataContainer> m_data;
};

}

#endif
