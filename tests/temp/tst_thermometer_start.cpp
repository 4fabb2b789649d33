// The thermometer's whole road: the start window's link dialog over a
// pseudo-terminal with the simulated thermometer, the dispatcher, and the
// thermometer window it opens.
#include "KQ240_interface/kq240_interface.h"
#include "mainwindow.h"
#include "setting/setting.h"

#include "frame/model_frame.h"
#include "serialsim.h"
#include "testkit.h"
#include "usart_interface/port_list.h"
#include "usart_interface/usart_interface.h"
#include "window_kit.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <memory>

using window_kit::cell_text;
using window_kit::child;

namespace {

const int k_silent = -1;

template <class T>
QList<T *> top_levels()
{
    QList<T *> found;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *t = qobject_cast<T *>(w))
            found << t;
    return found;
}

}

class tst_thermometer_start : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        tzset();
    }

    // Answers 240, 2401 and 2402 open the matching variant through the start
    // window; 257 or no answer opens nothing. Nothing is sent before the
    // success box closes, then the device-information command.
    void link_dialog_opens_the_variant_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("variant");   // empty: no window
        QTest::addColumn<QStringList>("first_row");
        QTest::newRow("240") << 240 << "KQ240C" << QStringList{"25.0℃", "25.1℃", "25.2℃", "25.3℃"};
        QTest::newRow("2401") << 2401 << "KQ240A" << QStringList{"25.0℃", "NULL", "NULL", "NULL"};
        QTest::newRow("2402") << 2402 << "KQ240B" << QStringList{"25.0℃", "25.1℃", "NULL", "NULL"};
        QTest::newRow("257") << 257 << "" << QStringList{};
        QTest::newRow("no answer") << k_silent << "" << QStringList{};
    }
    void link_dialog_opens_the_variant()
    {
        QFETCH(int, model);
        QFETCH(QString, variant);
        QFETCH(QStringList, first_row);
        testkit::ProgramDir dir;
        serialsim::SerialThermometer sim;
        QVERIFY(sim.ok());
        sim.install_port_list();
        if (model == k_silent)
            sim.set_silent(true);
        else
            sim.set_model(quint16(model));
        sim.set_channels({250, 251, 252, 253});

        auto start = std::make_unique<MainWindow>();
        start->show();
        const QList<Setting *> dialogs = top_levels<Setting>();
        QCOMPARE(dialogs.size(), 1);
        Setting *dialog = dialogs.first();
        dialog->show();

        QByteArray sent_while_box_open = "unset";
        testkit::BoxWatcher boxes;
        boxes.set_handler([&](QMessageBox *box) {
            if (box->text() == QLatin1String("serial open sucess")) {
                QTest::qWait(200);   // time for anything sent too early to arrive
                sent_while_box_open = sim.received();
            }
            return false;            // the watcher closes it
        });
        auto *ports = child<QComboBox>(dialog, "COMNum");
        QCOMPARE(ports->currentText(), sim.port_name());
        child<QPushButton>(dialog, "LinkButton")->click();
        QCOMPARE(sent_while_box_open, QByteArray());
        QVERIFY(testkit::wait_until([&] { return sim.received() == QByteArray::fromHex("AA55000302"); }));
        if (variant.isEmpty())
            QTest::qWait(400);   // an answer, if any, has come
        else
            QVERIFY(testkit::wait_until([&] { return child<QPushButton>(dialog, "LinkButton")->text() == "connected"; }));

        child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Ok)->click();
        QApplication::processEvents();
        const QList<KQ240_INTERFACE *> windows = top_levels<KQ240_INTERFACE>();
        if (variant.isEmpty()) {
            QCOMPARE(windows.size(), 0);
            QVERIFY(start->isVisible());
            return;
        }
        QCOMPARE(windows.size(), 1);
        KQ240_INTERFACE *w = windows.first();
        QVERIFY(w->isVisible());
        QVERIFY(!start->isVisible());
        QCOMPARE(w->variant, variant);
        QCOMPARE(w->link_part()->port_name, sim.port_name());
        QVERIFY(w->link_part()->is_open);

        // The window polls the thermometer over the same port.
        sim.clear_received();
        window_kit::click(child<QPushButton>(w, "start_button"));
        auto *rt = child<QTableWidget>(w, "RT_table_data");
        QVERIFY(testkit::wait_until([&] { return rt->rowCount() >= 1; }, 6000));
        QVERIFY(sim.commands().contains(1));
        QStringList row;
        for (int c = 1; c <= 4; ++c)
            row << cell_text(rt, 0, c);
        QCOMPARE(row, first_row);
        window_kit::click(child<QPushButton>(w, "Pause_Button"));
        start.reset();   // the start window deletes the model window
        QCOMPARE(top_levels<KQ240_INTERFACE>().size(), 0);
    }
};

QTEST_MAIN(tst_thermometer_start)
#include "tst_thermometer_start.moc"
