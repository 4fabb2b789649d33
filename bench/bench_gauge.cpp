// The dial's cost per reading: setValue paints the gauge at once, as every
// window does for each reading. Beside it in the same run, a plain widget of
// the same size repainted as often (the floor of a synchronous repaint).
// Prints figures and the ratio only.
//
//   bench_gauge [readings]     (default 2000)
#include "gauge/gaugespeed.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int readings = argc > 1 ? std::max(100, atoi(argv[1])) : 2000;

    QFile css(QStringLiteral(":/res/qss/Button.css"));
    if (!css.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "style sheet missing from the resources\n");
        return 1;
    }
    app.setStyleSheet(QString::fromUtf8(css.readAll()));

    GaugeSpeed gauge;
    gauge.setObjectName(QStringLiteral("gunspeed"));
    gauge.resize(280, 200);
    gauge.setTitle(QStringLiteral("Temp"));
    gauge.setUnit(QStringLiteral("C"));
    gauge.setRange(100, -40);
    QWidget floor;
    floor.resize(gauge.size());
    gauge.show();
    floor.show();
    QCoreApplication::processEvents();

    QElapsedTimer t;
    t.start();
    for (int i = 0; i < readings; ++i)
        gauge.setValue(20.0 + (i % 400) / 10.0);
    const double gauge_us = t.nsecsElapsed() / 1e3 / readings;

    t.restart();
    for (int i = 0; i < readings; ++i)
        floor.repaint();
    const double floor_us = t.nsecsElapsed() / 1e3 / readings;

    std::printf("%d readings at 280x200: gauge %.1f us a reading, plain widget %.1f us, ratio %.2f\n", readings,
                gauge_us, floor_us, floor_us > 0 ? gauge_us / floor_us : 0.0);
    return 0;
}
