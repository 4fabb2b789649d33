// The serial debug window over a pseudo-terminal pair: the four bytes of
// every value, the port settings, a port that does not open.
#include "serialsim.h"
#include "testkit.h"
#include "usart_debug/usart_debug.h"
#include "usart_interface/port_list.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTranslator>
#include <QtTest>

#include <climits>
#include <termios.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

template <class T> T *child(QWidget *w, const char *name)
{
    return w->findChild<T *>(QLatin1String(name));
}

QStringList items(QComboBox *c)
{
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}

// The pseudo-terminal's settings as the debug window left them.
termios settings_of(const QString &port)
{
    termios t{};
    const int fd = ::open(port.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
        tcgetattr(fd, &t);
        ::close(fd);
    }
    return t;
}

}

class tst_usart_debug : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { port_list::set_override(nullptr); }

    void form()
    {
        USART_DEBUG w;
        QCOMPARE(w.windowTitle(), QString("USB_2_USART"));
        QCOMPARE(w.size(), QSize(289, 315));
        QCOMPARE(child<QComboBox>(&w, "Port_Combo")->count(), 0);
        QCOMPARE(items(child<QComboBox>(&w, "Baud_Combo")),
                 QStringList({"115200", "57600", "38400", "19200", "9600", "4800", "2400", "1200"}));
        QCOMPARE(items(child<QComboBox>(&w, "Data_Combo")), QStringList({"Data8", "Data5", "Data6", "Data7"}));
        QCOMPARE(items(child<QComboBox>(&w, "Stop_Combo")), QStringList({"OneStop", "OneAndHalfStop", "TwoStop"}));
        QCOMPARE(items(child<QComboBox>(&w, "Parity_Combo")),
                 QStringList({"NoParity", "EvenParity", "OddParity", "SpaceParity", "MarkParity"}));
        QCOMPARE(items(child<QComboBox>(&w, "FlowControl_Combo")),
                 QStringList({"NoFlowControl", "HardwareControl", "SoftwareControl"}));
        for (const char *name : {"Baud_Combo", "Data_Combo", "Stop_Combo", "Parity_Combo", "FlowControl_Combo"})
            QCOMPARE(child<QComboBox>(&w, name)->currentIndex(), 0);
        QCOMPARE(child<QPushButton>(&w, "PortOpen_btn")->text(), QString("open"));
        QCOMPARE(child<QLabel>(&w, "label_6")->text(), QString("Parity"));
        QCOMPARE(child<QLabel>(&w, "label_5")->text(), QString("FlowControl"));
    }

    void ports_are_listed_once_per_look()
    {
        port_list::set_override([] { return QStringList{"ttyUSB0", "ttyS1"}; });
        USART_DEBUG w;
        w.ForeachPort();
        w.ForeachPort();
        QCOMPARE(items(child<QComboBox>(&w, "Port_Combo")), QStringList({"ttyUSB0", "ttyS1"}));
        port_list::set_override([] { return QStringList(); });
        w.ForeachPort();
        QCOMPARE(child<QComboBox>(&w, "Port_Combo")->count(), 0);
    }

    void four_bytes_least_significant_first_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("123") << 123 << QByteArray("7b 00 00 00");
        QTest::newRow("1234") << 1234 << QByteArray("d2 04 00 00");
        QTest::newRow("0") << 0 << QByteArray("00 00 00 00");
        QTest::newRow("-1") << -1 << QByteArray("ff ff ff ff");
        QTest::newRow("0x12345678") << 0x12345678 << QByteArray("78 56 34 12");
        QTest::newRow("INT_MIN") << INT_MIN << QByteArray("00 00 00 80");
    }
    void four_bytes_least_significant_first()
    {
        QFETCH(int, value);
        QFETCH(QByteArray, bytes);
        serialsim::SerialThermometer far;
        far.set_silent(true);
        far.install_port_list();
        USART_DEBUG w;
        w.ForeachPort();
        child<QPushButton>(&w, "PortOpen_btn")->click();
        QVERIFY(w.port_open());
        w.USART_TX(value);
        w.USART_TX(value);
        QVERIFY(testkit::wait_until([&] { return far.received().size() >= 8; }, 3000));
        QCOMPARE(far.received().toHex(' '), bytes + ' ' + bytes);
    }

    void settings_come_from_the_combos_when_opened()
    {
        serialsim::SerialThermometer far;
        far.set_silent(true);
        far.install_port_list();
        USART_DEBUG w;
        w.ForeachPort();
        child<QComboBox>(&w, "Baud_Combo")->setCurrentText("9600");
        child<QComboBox>(&w, "Stop_Combo")->setCurrentIndex(2);     // two
        auto *button = child<QPushButton>(&w, "PortOpen_btn");
        button->click();
        QVERIFY(w.port_open());
        termios t = settings_of(far.port_name());
        QCOMPARE(cfgetospeed(&t), speed_t(B9600));
        // A pseudo-terminal keeps 8 bits without parity whatever it is told.
        QVERIFY(t.c_cflag & CSTOPB);

        // Changed while open: nothing until closed and opened again.
        child<QComboBox>(&w, "Baud_Combo")->setCurrentText("1200");
        t = settings_of(far.port_name());
        QCOMPARE(cfgetospeed(&t), speed_t(B9600));
        button->click();
        QCOMPARE(button->text(), QString("open"));
        QVERIFY(!w.port_open());
        button->click();
        t = settings_of(far.port_name());
        QCOMPARE(cfgetospeed(&t), speed_t(B1200));
    }

    // A port that cannot be opened leaves the button at "open", and values
    // sent meanwhile are dropped without a fuss.
    void unopenable_port_is_not_shown_as_open_data()
    {
        QTest::addColumn<QStringList>("ports");
        QTest::newRow("missing device") << QStringList{"/dev/no-such-tty"};
        QTest::newRow("no port at all") << QStringList();
    }
    void unopenable_port_is_not_shown_as_open()
    {
        QFETCH(QStringList, ports);
        port_list::set_override([ports] { return ports; });
        USART_DEBUG w;
        w.ForeachPort();
        auto *button = child<QPushButton>(&w, "PortOpen_btn");
        button->click();
        QCOMPARE(button->text(), QString("open"));
        QVERIFY(!w.port_open());
        w.USART_TX(5);
        w.USART_Close();
        QCOMPARE(button->text(), QString("open"));
    }

    // In Chinese the button reads "打开"; it still opens the port.
    void opens_in_chinese_too()
    {
        QTranslator chinese;
        QVERIFY(chinese.load(":/res/translator/Chinese.qm"));
        QCoreApplication::installTranslator(&chinese);
        serialsim::SerialThermometer far;
        far.set_silent(true);
        far.install_port_list();
        USART_DEBUG w;
        QCoreApplication::removeTranslator(&chinese);
        auto *button = child<QPushButton>(&w, "PortOpen_btn");
        QCOMPARE(button->text(), QString("打开"));
        QCOMPARE(child<QLabel>(&w, "label_2")->text(), QString("波特率"));
        w.ForeachPort();
        button->click();
        QVERIFY(w.port_open());
        w.USART_TX(1234);
        QVERIFY(testkit::wait_until([&] { return far.received().size() >= 4; }, 3000));
        QCOMPARE(far.received().toHex(' '), QByteArray("d2 04 00 00"));
        button->click();
        QVERIFY(!w.port_open());
    }
};

QTEST_MAIN(tst_usart_debug)
#include "tst_usart_debug.moc"
