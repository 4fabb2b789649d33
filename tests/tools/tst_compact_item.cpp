#include <QtTest>
#include <QTableWidget>
#include <QSignalSpy>

#include "frame/compact_item.h"

class tst_compact_item : public QObject
{
    Q_OBJECT
private slots:
    void text_round_trip_data();
    void text_round_trip();
    void set_text_and_roles();
};

void tst_compact_item::text_round_trip_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << QString();
    QTest::newRow("stamp") << QStringLiteral("12:34:56 2026-12-11");
    QTest::newRow("celsius") << QString::fromUtf8("23.45℃");
    QTest::newRow("fahrenheit") << QString::fromUtf8("74.21 ℉");
    QTest::newRow("humidity") << QStringLiteral("55.10 %RH");
    QTest::newRow("chinese") << QString::fromUtf8("温度报警 温度报警 温度报警");
    QTest::newRow("exactly inline") << QString(22, QLatin1Char('x'));
    QTest::newRow("one past inline") << QString(23, QLatin1Char('y'));
    QTest::newRow("long") << QString(5000, QChar(0x2103));
}

void tst_compact_item::text_round_trip()
{
    QFETCH(QString, text);
    QTableWidget table(1, 1);
    auto *item = new compact_item(text);
    table.setItem(0, 0, item);
    QCOMPARE(item->text(), text);
    QCOMPARE(item->data(Qt::EditRole).toString(), text);
    QCOMPARE(table.model()->data(table.model()->index(0, 0)).toString(), text);
    QScopedPointer<QTableWidgetItem> copy(item->clone());
    QCOMPARE(copy->text(), text);
    QTableWidgetItem plain(text);
    QCOMPARE(*item < plain, false);
    QCOMPARE(plain < *item, false);
}

void tst_compact_item::set_text_and_roles()
{
    QTableWidget table(2, 1);
    auto *item = new compact_item(QStringLiteral("short"));
    table.setItem(0, 0, item);
    table.setItem(1, 0, new compact_item(QStringLiteral("a")));
    item->setData(Qt::BackgroundRole, QBrush(Qt::red, Qt::SolidPattern));
    item->setTextAlignment(Qt::AlignCenter);

    QSignalSpy changed(&table, &QTableWidget::itemChanged);
    const QString long_text(40, QChar(0x6E29));
    item->setText(long_text);
    QCOMPARE(item->text(), long_text);
    QCOMPARE(changed.count(), 1);
    item->setText(long_text);                   // unchanged: no signal, as the base class
    QCOMPARE(changed.count(), 1);
    item->setText(QStringLiteral("b"));
    QCOMPARE(item->text(), QStringLiteral("b"));
    QCOMPARE(changed.count(), 2);

    QCOMPARE(item->background().color(), QColor(Qt::red));
    QCOMPARE(item->textAlignment(), int(Qt::AlignCenter));
    QScopedPointer<QTableWidgetItem> copy(item->clone());
    QCOMPARE(copy->background().color(), QColor(Qt::red));
    QCOMPARE(copy->text(), QStringLiteral("b"));

    item->setData(Qt::DisplayRole, 7);          // a number replaces the text
    QCOMPARE(item->data(Qt::DisplayRole).toInt(), 7);
    QCOMPARE(item->text(), QStringLiteral("7"));

    table.setItem(0, 0, new compact_item(QStringLiteral("z")));
    table.sortItems(0);
    QCOMPARE(table.item(0, 0)->text(), QStringLiteral("a"));
    QCOMPARE(table.item(1, 0)->text(), QStringLiteral("z"));
}

QTEST_MAIN(tst_compact_item)
#include "tst_compact_item.moc"
