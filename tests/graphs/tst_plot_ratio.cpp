// A window's plot at the screen scales the program meets (the high-DPI
// factor is used as it is: 1.04 on a 100 dpi screen, 1.25, 1.5 ...). The
// frame paints its plots pixel for pixel at such scales; what it shows must
// be what the plot paints itself: every pixel painted, the same picture at
// most a pixel apart. The scale is fixed for a whole process, so each one
// runs in a child process of this test.
#include "frame/quiet_updates.h"

#include <QProcess>
#include <QtTest>
#include <qcustomplot.h>

#include <cmath>

namespace {

const char *const CHILD_ENV = "SENSAVO_PLOT_RATIO_CHILD";
const QRgb k_unpainted = qRgb(255, 0, 255);

// A plot placed at odd logical offsets, so that at a fractional scale its
// corner falls inside a device pixel; graph, dots, axes and ticks.
QCustomPlot *make_plot(QWidget *window)
{
    auto *plot = new QCustomPlot(window);
    plot->setGeometry(7, 5, 389, 291);
    QCPGraph *g = plot->addGraph();
    g->setPen(QPen(Qt::blue, 1.5));
    g->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, Qt::red, Qt::red, 5));
    for (int i = 0; i < 40; ++i)
        g->addData(i, 20 + 10 * std::sin(i / 4.0));
    plot->xAxis->setRange(-1, 40);
    plot->yAxis->setRange(5, 35);
    return plot;
}

QImage rendered(QWidget *window)
{
    const qreal ratio = window->devicePixelRatioF();
    QImage image((QSizeF(window->size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(k_unpainted);
    window->render(&image);
    return image;
}

bool near(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) <= 2 && std::abs(qGreen(a) - qGreen(b)) <= 2
           && std::abs(qBlue(a) - qBlue(b)) <= 2;
}

}

class tst_plot_ratio : public QObject
{
    Q_OBJECT

private slots:
    void same_picture_at_every_scale_data()
    {
        QTest::addColumn<QByteArray>("scale");
        for (const char *s : {"1", "1.0417", "1.25", "1.5", "1.75", "2"})
            QTest::newRow(s) << QByteArray(s);
    }
    void same_picture_at_every_scale()
    {
        if (qEnvironmentVariableIsSet(CHILD_ENV))
            QSKIP("run by the parent process");
        QFETCH(QByteArray, scale);
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_SCALE_FACTOR", QString::fromLatin1(scale));
        env.insert(CHILD_ENV, "1");
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {"painted_as_the_plot_paints_itself"});
        QVERIFY(child.waitForFinished(60000));
        const QString out = QString::fromLocal8Bit(child.readAll());
        QVERIFY2(child.exitCode() == 0, qPrintable(out.right(3000)));
        QVERIFY2(out.contains("PASS   : tst_plot_ratio::painted_as_the_plot_paints_itself"), qPrintable(out));
    }

    // In a child: the scale is the process's.
    void painted_as_the_plot_paints_itself()
    {
        if (!qEnvironmentVariableIsSet(CHILD_ENV))
            QSKIP("a child of same_picture_at_every_scale");
        QWidget own, reference;
        for (QWidget *w : {&own, &reference})
            w->resize(403, 301);
        QCustomPlot *plot = make_plot(&own);
        make_plot(&reference)->replot();
        frame::paint_with_window(plot);
        plot->replot();
        own.show();
        reference.show();
        QVERIFY(QTest::qWaitForWindowExposed(&own));
        QVERIFY(QTest::qWaitForWindowExposed(&reference));
        const qreal ratio = own.devicePixelRatioF();
        QVERIFY(std::abs(ratio - qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()) < 0.001);

        const QImage mine = rendered(&own);
        const QImage theirs = rendered(&reference);
        // The plot's device pixels, the partly covered edge ones included.
        const QRect area = QTransform::fromScale(ratio, ratio).mapRect(QRectF(plot->geometry())).toAlignedRect();
        int painted = 0, apart = 0, graph = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QRgb m = mine.pixel(x, y);
                const QRgb t = theirs.pixel(x, y);
                // Every pixel the plot paints itself is painted.
                if (t != k_unpainted && m == k_unpainted)
                    QFAIL(qPrintable(QString("pixel %1,%2 left unpainted").arg(x).arg(y)));
                if (m == k_unpainted)
                    continue;
                ++painted;
                if (qRed(m) > 200 && qGreen(m) < 60 && qBlue(m) < 60)
                    ++graph;
                bool found = false;
                for (int dy = -1; dy <= 1 && !found; ++dy)
                    for (int dx = -1; dx <= 1 && !found; ++dx)
                        found = theirs.rect().contains(x + dx, y + dy) && near(m, theirs.pixel(x + dx, y + dy));
                if (!found)
                    ++apart;
            }
        }
        QVERIFY(painted >= (area.width() - 2) * (area.height() - 2));
        QVERIFY2(graph > 40 * 5, "the dots are drawn");
        // Only the edge pixels the plot covers in part may differ more.
        QVERIFY2(apart <= 2 * (area.width() + area.height()),
                 qPrintable(QString("%1 pixels differ").arg(apart)));
    }
};

QTEST_MAIN(tst_plot_ratio)
#include "tst_plot_ratio.moc"
