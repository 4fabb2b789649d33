#include "testkit.h"
#include "serialsim.h"
#include "hidsim.h"

#include "mainwindow.h"
#include "setting/mycombobox.h"
#include "setting/setting.h"
#include "usart_interface/port_list.h"
#include "usart_interface/usart_interface.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <atomic>
#include <memory>

namespace {

// Stands in for the kernel's device directory: each file is one serial
// device, its content the port name; the enumeration reads the directory
// and counts its calls.
class FakeSystem
{
public:
    FakeSystem() { port_list::set_system({[this] { return enumerate(); }, {m_dir.path()}}); }
    ~FakeSystem() { port_list::set_system(port_list::default_system()); }

    void plug(const QString &entry, const QString &port)
    {
        QFile f(m_dir.filePath(entry));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(port.toUtf8());
    }
    void unplug(const QString &entry) { QVERIFY(QFile::remove(m_dir.filePath(entry))); }
    int enumerations() const { return m_enumerations; }
    // The directory gone: nothing tells whether the devices changed.
    void lose_directory() { QVERIFY(m_dir.remove()); }

private:
    QStringList enumerate()
    {
        ++m_enumerations;
        QStringList ports;
        for (const QFileInfo &fi : QDir(m_dir.path()).entryInfoList(QDir::Files, QDir::Name)) {
            QFile f(fi.filePath());
            if (f.open(QIODevice::ReadOnly))
                ports << QString::fromUtf8(f.readAll());
        }
        return ports;
    }

    QTemporaryDir m_dir;
    std::atomic<int> m_enumerations{0};
};

Setting *link_dialog()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *s = qobject_cast<Setting *>(w))
            return s;
    return nullptr;
}

// What the port list shows when the operator opens it (a left press refills
// it from the link's latest list).
QStringList listed_on_press(Setting *dialog)
{
    auto *combo = dialog->findChild<MyComboBox *>("COMNum");
    QTest::mousePress(combo, Qt::LeftButton);
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    combo->hidePopup();
    return items;
}

}

class tst_port_refresh : public QObject
{
    Q_OBJECT
private slots:
    void init() { hidsim::reset(); }
    void cleanup() { hidsim::reset(); }

    // Two links refresh every second behind the start window; while no
    // device comes or goes the system is asked once, at start-up.
    void start_window_asks_once_while_nothing_changes()
    {
        testkit::ProgramDir dir;
        FakeSystem system;
        system.plug("ttyS0", "ttyS0");
        MainWindow w;
        w.show();
        QTest::qWait(3500);
        QCOMPARE(system.enumerations(), 1);
        Setting *dialog = link_dialog();
        QVERIFY(dialog);
        dialog->show();
        QCOMPARE(listed_on_press(dialog), QStringList{"ttyS0"});
        dialog->hide();
    }

    // With the link dialog shown, a device plugged in or pulled out shows
    // in the port list within the link's one-second refresh.
    void dialog_follows_devices_data()
    {
        QTest::addColumn<bool>("plug");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("plugged in") << true << QStringList{"ttyS0", "ttyUSB0"};
        QTest::newRow("pulled out") << false << QStringList();
    }
    void dialog_follows_devices()
    {
        QFETCH(bool, plug);
        QFETCH(QStringList, after);
        FakeSystem system;
        system.plug("ttyS0", "ttyS0");
        if (!plug)
            system.plug("ttyUSB0", "ttyUSB0");
        Setting dialog(nullptr);
        dialog.show();
        QTest::qWait(1100);
        const int settled = system.enumerations();
        if (plug) {
            system.plug("ttyUSB0", "ttyUSB0");
        } else {
            system.unplug("ttyUSB0");
            system.unplug("ttyS0");
        }
        QVERIFY(testkit::wait_until([&] { return listed_on_press(&dialog) == after; }, 2500));
        // Asked again for the change, not on every refresh.
        QTest::qWait(1100);
        QCOMPARE(system.enumerations(), settled + 1);
    }

    // The open port's watch still hears its device go and come back.
    void open_port_watch_follows_device()
    {
        serialsim::SerialThermometer sim;
        QVERIFY(sim.ok());
        FakeSystem system;
        system.plug("ttyUSB0", sim.port_name());
        usart_interface link;
        link.port_name = sim.port_name();
        link.baud_rate = 9600;
        link.data_bits_index = 3;
        QVERIFY(link.port_config(link.serial));
        QVERIFY(link.serial->open(QIODevice::ReadWrite));
        link.is_open = true;
        testkit::Heard status(&link, &usart_interface::usart_connect_status);
        QVERIFY(status.wait(1500));
        QCOMPARE(status.first().at(0).toInt(), 0);
        system.unplug("ttyUSB0");
        QVERIFY(testkit::wait_until([&] { return status[status.count() - 1].at(0).toInt() == -1; }, 2500));
        system.plug("ttyUSB0", sim.port_name());
        QVERIFY(testkit::wait_until([&] { return status[status.count() - 1].at(0).toInt() == 0; }, 2500));
    }

    // When the watched directory cannot be read, every refresh asks the
    // system: a list kept without a way to see changes would go stale.
    void unreadable_directory_asks_every_time()
    {
        FakeSystem system;
        port_list::available();
        system.lose_directory();
        port_list::available();
        port_list::available();
        QCOMPARE(system.enumerations(), 3);
    }
};

QTEST_MAIN(tst_port_refresh)
#include "tst_port_refresh.moc"
