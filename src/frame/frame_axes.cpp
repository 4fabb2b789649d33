// The graphs' axes: the real-time key axis over the chosen time span, key
// ranges that hold every point, value ranges fitted to the data, and the
// date ticker.
#include "frame/model_frame.h"

#include "common/app_env.h"

#include <QComboBox>
#include <QPointer>

#include <algorithm>

namespace frame {

namespace {

const int k_spans[] = {60, 1800, 3600, 43200, 86400};

}

double ModelFrame::span_lower(quint32 last, quint32 start, int index)
{
    if (index < 0 || index > 4)
        return start;
    const quint32 span = quint32(k_spans[index]);
    return quint32(last - start) < span ? double(start) : double(last - span);
}

void ModelFrame::apply_time_span(quint32 last)
{
    if (!RT_plot || !timestamp)
        return;
    set_key_range(RT_plot->xAxis, span_lower(last, rt_start_time, timestamp->currentIndex()), double(last));
}

void ModelFrame::set_key_range(QCPAxis *axis, double lower, double upper)
{
    // Records that come newest first give the ends the other way round.
    if (upper < lower)
        std::swap(lower, upper);
    // The axis ignores a range of no width (the first second of data) and
    // kept showing whatever it showed before: centre it on the key instead.
    if (upper == lower)
        axis->setRange(upper - 0.5, upper + 0.5);
    else
        axis->setRange(lower, upper);
}

void ModelFrame::set_key_range(QCPAxis *axis, const QSharedPointer<QCPGraphDataContainer> &points)
{
    bool found = false;
    const QCPRange keys = points->keyRange(found);
    if (found)
        set_key_range(axis, keys.lower, keys.upper);
}

bool ModelFrame::fit_values(QCPAxis *axis)
{
    // rescaleValueAxis keeps the axis' old width around a constant series,
    // so a margin added on top of it grew with every reading: the range is
    // taken from the data itself.
    bool any = false;
    QCPRange range;
    for (QCPGraph *graph : axis->graphs()) {
        bool found = false;
        const QCPRange r = graph->getValueRange(found, QCP::sdBoth, graph->keyAxis()->range());
        if (!found)
            continue;
        if (!any)
            range = r;
        else
            range.expand(r);
        any = true;
    }
    if (!any)
        return false;
    if (range.size() < 1.0) {
        axis->setRange(range.center() - 0.5, range.center() + 0.5);
        return false;
    }
    axis->setRange(range);
    return true;
}

void ModelFrame::floor_axis(QCPAxis *axis)
{
    const QCPRange r = axis->range();
    if (r.size() < 1.0)
        axis->setRange(r.center() - 0.5, r.center() + 0.5);
}

void ModelFrame::margin_axis(QCPAxis *axis)
{
    const QCPRange r = axis->range();
    const double w = (r.upper - r.lower) * double(0.1f);
    axis->setRange(r.lower - w, r.upper + w);
}

void ModelFrame::time_span_changed()
{
    if (m_series.isEmpty() || !RT_plot)
        return;
    Series *first = m_series.first();
    if (first->isEmpty() || !first->graph())
        return;
    const quint32 last = quint32(qint64(first->last_key()));
    first->graph()->rescaleKeyAxis(true);
    apply_time_span(last);
    fit_values(first->graph()->valueAxis());
    floor_axis(RT_plot->yAxis);
    floor_axis(RT_plot->yAxis2);
    RT_plot->replot(QCustomPlot::rpRefreshHint);
}

namespace {

// Labels show whole seconds: a step below one second labelled the same
// second several times in the first seconds of polling. On a narrow graph
// (a small screen) fewer labels are asked for, so they do not run together.
class SecondsTicker : public QCPAxisTickerDateTime
{
public:
    explicit SecondsTicker(QCPAxis *axis) : m_axis(axis) {}

protected:
    double getTickStep(const QCPRange &range) override
    {
        const int fit = labels_that_fit();
        double step = 1.0;
        for (int count = 5; count >= 1; --count) {
            setTickCount(count);
            step = std::max(1.0, QCPAxisTickerDateTime::getTickStep(range));
            if (range.size() / step + 1 <= fit)
                break;
        }
        return step;
    }

private:
    int labels_that_fit() const
    {
        if (!m_axis || !m_axis->axisRect())
            return 7;
        const QFontMetrics metrics(m_axis->tickLabelFont());
        const int label = metrics.horizontalAdvance(QStringLiteral("2026-12-31")) + metrics.averageCharWidth() * 2;
        return std::max(2, m_axis->axisRect()->width() / std::max(1, label));
    }

    QPointer<QCPAxis> m_axis;
};

}

void ModelFrame::set_date_ticker(QCustomPlot *plot)
{
    QSharedPointer<QCPAxisTickerDateTime> ticker(new SecondsTicker(plot->xAxis));
    ticker->setTickCount(5);
    ticker->setTickStepStrategy(QCPAxisTicker::tssMeetTickCount);
    ticker->setDateTimeFormat(QStringLiteral("yyyy-M-d \n h:m:s"));
    plot->xAxis->setTicker(ticker);
    plot->xAxis->setSubTicks(false);
    QFont f = plot->xAxis->tickLabelFont();
    f.setPointSize(std::min(f.pointSize() > 0 ? f.pointSize() : 8, 7));
    plot->xAxis->setTickLabelFont(f);
    // An empty graph shows the present minute, not the first day of 1970.
    const double now = double(app_env::now().toSecsSinceEpoch());
    plot->xAxis->setRange(now - 60, now);
}

}
