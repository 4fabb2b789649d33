// Every HID model window follows its instrument being unplugged and
// plugged in again: the hot-plug pass of its link reaches the status bar.

#include "KQ174_interface/kq174_interface.h"
#include "KQ186_interface/kq186_interface.h"
#include "KQ257_interface/kq257_interface.h"
#include "KQ263_interface/kq263_interface.h"
#include "KQ278_interface/kq278_interface.h"
#include "KQ285_interface/kq285_interface.h"
#include "KQ291_interface/kq291_interface.h"
#include "hidsim.h"
#include "testkit.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

template <class W>
std::unique_ptr<QMainWindow> open_on(const QString &path)
{
    auto w = std::make_unique<W>();
    w->set_device_path(path);
    return w;
}

std::unique_ptr<QMainWindow> open_window(const QString &model, const QString &path)
{
    if (model == "KQ174") return open_on<KQ174_INTERFACE>(path);
    if (model == "KQ186") return open_on<KQ186_INTERFACE>(path);
    if (model == "KQ257") return open_on<KQ257_INTERFACE>(path);
    if (model == "KQ263") return open_on<KQ263_INTERFACE>(path);
    if (model == "KQ278") return open_on<KQ278_INTERFACE>(path);
    if (model == "KQ285") return open_on<KQ285_INTERFACE>(path);
    if (model == "KQ291") return open_on<KQ291_INTERFACE>(path);
    return nullptr;
}

// The link state the status bar shows.
QString link_text(QMainWindow *w)
{
    for (QLabel *l : w->statusBar()->findChildren<QLabel *>())
        if (l->text() == QLatin1String("connected") || l->text() == QLatin1String("not connected"))
            return l->text();
    return QString();
}

}

class tst_hot_plug_windows : public QObject
{
    Q_OBJECT
private slots:
    void init() { hidsim::reset(); }
    void cleanup() { hidsim::reset(); }

    void unplug_and_plug_reach_the_window_data()
    {
        QTest::addColumn<QString>("model");
        for (const char *m : {"KQ257", "KQ263", "KQ278", "KQ285", "KQ186", "KQ174", "KQ291"})
            QTest::newRow(m) << QString(m);
    }
    void unplug_and_plug_reach_the_window()
    {
        QFETCH(QString, model);
        testkit::ProgramDir dir;
        const hidsim::DeviceSpec spec = hidsim::model_device(model.toStdString());
        hidsim::plug(spec, hidsim::make_model(model.toStdString()));
        const QString path = QString::fromStdString(spec.path);
        std::unique_ptr<QMainWindow> w = open_window(model, path);
        QVERIFY(w);
        w->show();
        QCOMPARE(link_text(w.get()), QString("connected"));
        // A few hot-plug passes are plenty.
        for (int cycle = 0; cycle < 3; ++cycle) {
            hidsim::unplug(spec.path);
            QVERIFY(testkit::wait_until([&] { return link_text(w.get()) == "not connected"; }, 2000));
            hidsim::replug(spec.path);
            QVERIFY(testkit::wait_until([&] { return link_text(w.get()) == "connected"; }, 3000));
        }
        w.reset();
        QCOMPARE(hidsim::open_handles(spec.path), 0);
    }
};

QTEST_MAIN(tst_hot_plug_windows)
#include "tst_hot_plug_windows.moc"
