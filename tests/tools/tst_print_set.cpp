#include "tools_kit.h"
#include "print_set/print_set.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QtTest>

class tst_print_set : public QObject
{
    Q_OBJECT
private slots:
    void starting_form();
    void order_of_signals_data();
    void order_of_signals();
};

void tst_print_set::starting_form()
{
    QWidget window;
    print_set d(&window);
    QCOMPARE(d.parentWidget(), &window);
    QCOMPARE(d.windowTitle(), QString("Dialog"));
    QCOMPARE(d.size(), QSize(400, 300));
    QVERIFY(d.windowFlags() & Qt::WindowMinMaxButtonsHint);
    QCOMPARE(d.findChild<QGroupBox *>("groupBox")->title(), QString("Export optionss"));
    QCOMPARE(d.findChild<QCheckBox *>("printf_BMP")->text(), QString("Export pictures"));
    QCOMPARE(d.findChild<QCheckBox *>("Printf_table")->text(), QString("Export table"));
    QVERIFY(!d.findChild<QCheckBox *>("printf_BMP")->isChecked());
    QVERIFY(!d.findChild<QCheckBox *>("Printf_table")->isChecked());
}

void tst_print_set::order_of_signals_data()
{
    QTest::addColumn<bool>("picture");
    QTest::addColumn<bool>("table");
    QTest::addColumn<int>("button");
    QTest::addColumn<QStringList>("events");

    const int ok = QDialogButtonBox::Ok, cancel = QDialogButtonBox::Cancel;
    QTest::newRow("nothing ticked") << false << false << ok << QStringList();
    QTest::newRow("picture") << true << false << ok << QStringList({"picture"});
    QTest::newRow("table") << false << true << ok << QStringList({"table"});
    QTest::newRow("both: picture first") << true << true << ok << QStringList({"picture", "table"});
    QTest::newRow("both, cancelled") << true << true << cancel << QStringList();
}

void tst_print_set::order_of_signals()
{
    QFETCH(bool, picture);
    QFETCH(bool, table);
    QFETCH(int, button);
    QFETCH(QStringList, events);

    QWidget window;
    print_set d(&window);
    QStringList seen;
    bool visible_at_signal = false;
    QObject::connect(&d, &print_set::print_BMP, [&] { seen << "picture"; visible_at_signal |= d.isVisible(); });
    QObject::connect(&d, &print_set::print_table, [&] { seen << "table"; visible_at_signal |= d.isVisible(); });
    d.findChild<QCheckBox *>("printf_BMP")->setChecked(picture);
    d.findChild<QCheckBox *>("Printf_table")->setChecked(table);

    tools_kit::exec_and_press(d, QDialogButtonBox::StandardButton(button));
    QCOMPARE(seen, events);
    QVERIFY(!visible_at_signal);
    QVERIFY(!d.isVisible());
}

QTEST_MAIN(tst_print_set)
#include "tst_print_set.moc"
