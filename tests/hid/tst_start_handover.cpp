#include "mainwindow.h"
#include "KQ257_interface/kq257_interface.h"
#include "hidsim.h"
#include "testkit.h"

#include <QApplication>
#include <QtTest>

namespace {
KQ257_INTERFACE *shown_kq257()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *k = qobject_cast<KQ257_INTERFACE *>(w))
            if (k->isVisible())
                return k;
    return nullptr;
}
}

// A plugged-in instrument is recognised by the start window's thread, which
// hands over to the model window.
class tst_start_handover : public QObject
{
    Q_OBJECT
private slots:
    void init() { hidsim::reset(); }
    void cleanup() { hidsim::reset(); }

    void kq257_opens_its_window()
    {
        testkit::ProgramDir dir;
        const hidsim::DeviceSpec spec = hidsim::model_device("KQ257");
        hidsim::plug(spec, hidsim::make_model("KQ257"));
        {
            MainWindow w;
            w.show();
            QVERIFY(testkit::wait_until([] { return shown_kq257() != nullptr; }, 10000));
            QVERIFY(!w.isVisible());
            // The recognition's test open is closed again; the window's link
            // holds the one handle left.
            QCOMPARE(hidsim::open_count(spec.path), hidsim::close_count(spec.path) + 1);
            QCOMPARE(hidsim::open_handles(spec.path), 1);
        }
        QVERIFY(!shown_kq257());
        QCOMPARE(hidsim::open_handles(spec.path), 0);   // gone with the window
    }

    void nothing_plugged_keeps_the_start_window()
    {
        testkit::ProgramDir dir;
        MainWindow w;
        w.show();
        QVERIFY(testkit::wait_until([] { return hidsim::init_count() >= 2; }, 10000));
        QCoreApplication::processEvents();
        QVERIFY(w.isVisible());
        QVERIFY(!shown_kq257());
    }
};

QTEST_MAIN(tst_start_handover)
#include "tst_start_handover.moc"
