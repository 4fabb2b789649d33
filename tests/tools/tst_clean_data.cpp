#include "tools_kit.h"
#include "clean_data/clean_data.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QtTest>

class tst_clean_data : public QObject
{
    Q_OBJECT
private slots:
    void starting_form();
    void answer_data();
    void answer();
    void closing_sends_nothing();
    void tick_is_remembered();
};

void tst_clean_data::starting_form()
{
    CLEAN_DATA d(nullptr);
    QVERIFY(d.isWindow());
    QCOMPARE(d.windowTitle(), QString("Delete Data"));
    QCOMPARE(d.size(), QSize(284, 126));
    QVERIFY(d.windowFlags() & Qt::WindowMinMaxButtonsHint);
    QCOMPARE(d.findChild<QLabel *>("label")->text(), QString("Are you sure?"));
    QCOMPARE(d.findChild<QCheckBox *>("checkBox")->text(), QString("Clean device data?"));
    QVERIFY(!d.findChild<QCheckBox *>("checkBox")->isChecked());
    auto *line = d.findChild<QFrame *>("line");
    QCOMPARE(line->frameShape(), QFrame::HLine);
    QCOMPARE(line->frameShadow(), QFrame::Sunken);
}

void tst_clean_data::answer_data()
{
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<int>("button");
    QTest::addColumn<QList<int>>("sent");

    QTest::newRow("OK, window only") << false << int(QDialogButtonBox::Ok) << QList<int>{0};
    QTest::newRow("OK, instrument too") << true << int(QDialogButtonBox::Ok) << QList<int>{1};
    QTest::newRow("Cancel, unticked") << false << int(QDialogButtonBox::Cancel) << QList<int>();
    QTest::newRow("Cancel, ticked") << true << int(QDialogButtonBox::Cancel) << QList<int>();
}

void tst_clean_data::answer()
{
    QFETCH(bool, ticked);
    QFETCH(int, button);
    QFETCH(QList<int>, sent);

    CLEAN_DATA d(nullptr);
    QList<int> seen;
    bool visible_at_signal = false;
    QObject::connect(&d, &CLEAN_DATA::clean_data_source, [&](int cmd) {
        seen << cmd;
        visible_at_signal |= d.isVisible();
    });
    d.findChild<QCheckBox *>("checkBox")->setChecked(ticked);
    tools_kit::exec_and_press(d, QDialogButtonBox::StandardButton(button));
    QCOMPARE(seen, sent);
    QVERIFY(!visible_at_signal);
}

void tst_clean_data::closing_sends_nothing()
{
    CLEAN_DATA d(nullptr);
    int seen = 0;
    QObject::connect(&d, &CLEAN_DATA::clean_data_source, [&](int) { ++seen; });
    QTimer::singleShot(0, &d, [&d] { d.close(); });
    QCOMPARE(d.exec(), int(QDialog::Rejected));
    QTimer::singleShot(0, &d, [&d] { QTest::keyClick(&d, Qt::Key_Escape); });
    QCOMPARE(d.exec(), int(QDialog::Rejected));
    QCOMPARE(seen, 0);
}

void tst_clean_data::tick_is_remembered()
{
    // One dialog per window, reused: the tick left at Cancel shows again.
    CLEAN_DATA d(nullptr);
    QList<int> seen;
    QObject::connect(&d, &CLEAN_DATA::clean_data_source, [&](int cmd) { seen << cmd; });
    QTimer::singleShot(0, &d, [&d] {
        d.findChild<QCheckBox *>("checkBox")->setChecked(true);
        d.findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Cancel)->click();
    });
    d.exec();
    QVERIFY(d.findChild<QCheckBox *>("checkBox")->isChecked());
    tools_kit::exec_and_press(d, QDialogButtonBox::Ok);
    tools_kit::exec_and_press(d, QDialogButtonBox::Ok);
    QCOMPARE(seen, QList<int>({1, 1}));
}

QTEST_MAIN(tst_clean_data)
#include "tst_clean_data.moc"
