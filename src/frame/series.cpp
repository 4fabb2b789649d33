#include "frame/series.h"

namespace frame {

Series::Series(QCustomPlot *plot, int graph)
    : m_plot(plot), m_index(graph), m_data(new QCPGraphDataContainer)
{
    attach();
}

bool Series::attach()
{
    if (m_graph)
        return true;
    if (!m_plot || m_index >= m_plot->graphCount())
        return false;
    m_graph = m_plot->graph(m_index);
    m_graph->setData(m_data);
    return true;
}

void Series::add(double key, double value)
{
    m_data->add(QCPGraphData(key, value));
}

void Series::clear()
{
    m_data->clear();
}

void Series::set_values(const QSharedPointer<QCPGraphDataContainer> &source, const std::function<double(double)> &f)
{
    QVector<QCPGraphData> points;
    points.reserve(source->size());
    for (auto it = source->constBegin(); it != source->constEnd(); ++it)
        points.append(QCPGraphData(it->key, f(it->value)));
    m_data->set(points, true);
}

double Series::last_key() const
{
    return m_data->isEmpty() ? 0.0 : (m_data->constEnd() - 1)->key;
}

}
