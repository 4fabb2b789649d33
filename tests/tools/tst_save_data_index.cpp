#include "testkit.h"
#include "tools_kit.h"
#include "save_data_index/save_data_index.h"

#include <QLabel>
#include <QListWidget>
#include <QtTest>

namespace {

using Range = QList<int>;   // cmd, first, last

QVector<QString> dates(const QString &spaced)
{
    QVector<QString> v;
    for (const QString &d : spaced.split(' ', Qt::SkipEmptyParts))
        v << d;
    return v;
}

QStringList listed(SAVE_DATA_INDEX &d)
{
    QStringList items;
    auto *list = d.findChild<QListWidget *>("listWidget");
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

void select(SAVE_DATA_INDEX &d, const QString &date)
{
    auto *list = d.findChild<QListWidget *>("listWidget");
    const auto found = list->findItems(date, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(date));
    found.first()->setSelected(true);
}

void press(SAVE_DATA_INDEX &d, QDialogButtonBox::StandardButton which)
{
    d.findChild<QDialogButtonBox *>("buttonBox")->button(which)->click();
}

// Records the message boxes but leaves the waiting box to the code under
// test; the others ("not chosse date!", "not receive date!") are closed.
struct Boxes : testkit::BoxWatcher
{
    Boxes()
    {
        set_handler([](QMessageBox *box) { return box->text() == QLatin1String("Accepting"); });
    }
    QStringList notices() const
    {
        QStringList t;
        for (const testkit::BoxRecord &b : boxes())
            if (b.text != QLatin1String("Accepting"))
                t << b.title + "|" + b.text;
        return t;
    }
};

// Closes a waiting box left open so a failing test does not hang; says
// whether it had to.
struct Rescue
{
    bool fired = false;
    QTimer timer;
    Rescue()
    {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (QMessageBox *box = tools_kit::find_waiting_box()) {
                fired = true;
                box->done(0);
            }
        });
        timer.start(3000);
    }
};

}

class tst_save_data_index : public QObject
{
    Q_OBJECT
private slots:
    void starting_form();
    void waiting_box();
    void date_list_data();
    void date_list();
    void second_index_replaces_first();
    void range_request_data();
    void range_request();
    void no_date_chosen();
    void cancel_sends_nothing();
    void upload_without_answer();
    void range_without_answer();
    void index_closes_running_box();
    void second_run_request_does_not_nest();
    void operator_closes_box();
};

void tst_save_data_index::starting_form()
{
    SAVE_DATA_INDEX d(nullptr);
    QVERIFY(d.isWindow());
    QVERIFY(!d.isVisible());
    QCOMPARE(d.windowTitle(), QString("Dialog"));
    QCOMPARE(d.size(), QSize(387, 334));
    QVERIFY(d.windowFlags() & Qt::WindowMinMaxButtonsHint);
    QCOMPARE(d.findChild<QListWidget *>("listWidget")->selectionMode(), QAbstractItemView::SingleSelection);
    auto *buttons = d.findChild<QDialogButtonBox *>("buttonBox");
    QCOMPARE(buttons->orientation(), Qt::Vertical);
    QVERIFY(buttons->button(QDialogButtonBox::Ok));
    QVERIFY(buttons->button(QDialogButtonBox::Cancel));
}

void tst_save_data_index::waiting_box()
{
    SAVE_DATA_INDEX d(nullptr);
    QMessageBox *box = tools_kit::find_waiting_box();
    QVERIFY(box);
    QVERIFY(!box->isVisible());
    QVERIFY(box->parentWidget() == nullptr);
    QCOMPARE(box->icon(), QMessageBox::Information);
    QCOMPARE(box->windowTitle(), QString());
    QVERIFY(box->button(QMessageBox::Ok)->isHidden());
    QCOMPARE(box->findChild<QLabel *>("qt_msgboxex_icon_label")->size(), QSize(75, 50));
}

void tst_save_data_index::date_list_data()
{
    QTest::addColumn<QString>("index");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("A A B") << "26-03-01 26-03-01 26-03-02" << QStringList({"26-03-01", "26-03-02"});
    QTest::newRow("A B A") << "26-03-01 26-03-02 26-03-01" << QStringList({"26-03-01", "26-03-02"});
    QTest::newRow("first occurrence order") << "26-05-09 26-01-01 26-05-09 26-03-03 26-01-01"
                                            << QStringList({"26-05-09", "26-01-01", "26-03-03"});
    QTest::newRow("one date") << "25-12-31" << QStringList({"25-12-31"});
    QTest::newRow("case-sensitive") << "a A a" << QStringList({"a", "A"});
    QTest::newRow("empty index") << "" << QStringList();
}

void tst_save_data_index::date_list()
{
    QFETCH(QString, index);
    QFETCH(QStringList, items);

    SAVE_DATA_INDEX d(nullptr);
    d.get_save_data_index(dates(index));
    QCOMPARE(listed(d), items);
    QVERIFY(d.isVisible());
}

void tst_save_data_index::second_index_replaces_first()
{
    SAVE_DATA_INDEX d(nullptr);
    d.get_save_data_index(dates("A A B"));
    d.get_save_data_index(dates("C A"));
    QCOMPARE(listed(d), QStringList({"C", "A"}));

    QList<Range> sent;
    QObject::connect(&d, &SAVE_DATA_INDEX::HID_write_cmd, [&](int c, int a, int b) {
        sent << Range{c, a, b};
        d.close_receive_info(true);
    });
    Rescue rescue;
    select(d, "A");
    press(d, QDialogButtonBox::Ok);
    QCOMPARE(sent, QList<Range>({{5, 2, 2}}));
}

void tst_save_data_index::range_request_data()
{
    QTest::addColumn<QString>("index");
    QTest::addColumn<QString>("date");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");

    QTest::newRow("A A B, A") << "A A B" << "A" << 1 << 2;
    QTest::newRow("A A B, B") << "A A B" << "B" << 3 << 3;
    QTest::newRow("A B A, A spans B") << "A B A" << "A" << 1 << 3;
    QTest::newRow("A B A, B") << "A B A" << "B" << 2 << 2;
    QTest::newRow("single entry") << "26-02-14" << "26-02-14" << 1 << 1;
    QTest::newRow("long run") << "X Y Y Y Y Z" << "Y" << 2 << 5;
}

void tst_save_data_index::range_request()
{
    QFETCH(QString, index);
    QFETCH(QString, date);
    QFETCH(int, first);
    QFETCH(int, last);

    SAVE_DATA_INDEX d(nullptr);
    Boxes boxes;
    d.get_save_data_index(dates(index));

    QList<Range> sent;
    bool dialog_visible = true;
    bool box_ran = false;
    QObject::connect(&d, &SAVE_DATA_INDEX::HID_write_cmd, [&](int c, int a, int b) {
        sent << Range{c, a, b};
        dialog_visible = d.isVisible();
        // The records arrive while the box runs.
        QTimer::singleShot(50, [&] {
            QMessageBox *box = tools_kit::find_waiting_box();
            box_ran = box && box->isVisible();
            d.close_receive_info(true);
        });
    });
    Rescue rescue;
    select(d, date);
    press(d, QDialogButtonBox::Ok);

    QCOMPARE(sent, QList<Range>({{5, first, last}}));
    QVERIFY(!dialog_visible);
    QVERIFY(box_ran);
    QVERIFY(!rescue.fired);
    QVERIFY(!tools_kit::find_waiting_box()->isVisible());
    QVERIFY(boxes.notices().isEmpty());
}

void tst_save_data_index::no_date_chosen()
{
    SAVE_DATA_INDEX d(nullptr);
    Boxes boxes;
    d.get_save_data_index(dates("A B"));
    int sent = 0;
    QObject::connect(&d, &SAVE_DATA_INDEX::HID_write_cmd, [&](int, int, int) { ++sent; });
    Rescue rescue;
    press(d, QDialogButtonBox::Ok);
    QCOMPARE(sent, 0);
    QCOMPARE(boxes.notices(), QStringList({"|not chosse date!"}));
    QVERIFY(!d.isVisible());
    QVERIFY(!rescue.fired);   // the waiting box never ran
}

void tst_save_data_index::cancel_sends_nothing()
{
    SAVE_DATA_INDEX d(nullptr);
    Boxes boxes;
    d.get_save_data_index(dates("A B"));
    int sent = 0;
    QObject::connect(&d, &SAVE_DATA_INDEX::HID_write_cmd, [&](int, int, int) { ++sent; });
    select(d, "B");
    press(d, QDialogButtonBox::Cancel);
    QTest::qWait(60);
    QCOMPARE(sent, 0);
    QVERIFY(!d.isVisible());
    QCOMPARE(boxes.count(), 0);
}

void tst_save_data_index::upload_without_answer()
{
    // Upload: the window runs the box; the link reports that nothing came.
    SAVE_DATA_INDEX d(nullptr);
    Boxes boxes;
    Rescue rescue;
    QTimer::singleShot(50, &d, &SAVE_DATA_INDEX::hide_widget);
    d.close_receive_info(false);
    QVERIFY(!rescue.fired);
    QVERIFY(boxes.wait_for(2));
    QCOMPARE(boxes.notices(), QStringList({"|not receive date!"}));
    QVERIFY(!d.isVisible());
    QVERIFY(!tools_kit::find_waiting_box()->isVisible());
}

void tst_save_data_index::range_without_answer()
{
    SAVE_DATA_INDEX d(nullptr);
    Boxes boxes;
    d.get_save_data_index(dates("A"));
    QObject::connect(&d, &SAVE_DATA_INDEX::HID_write_cmd,
                     [&](int, int, int) { QTimer::singleShot(50, &d, &SAVE_DATA_INDEX::hide_widget); });
    Rescue rescue;
    select(d, "A");
    press(d, QDialogButtonBox::Ok);
    QVERIFY(!rescue.fired);
    QVERIFY(boxes.wait_for(2));
    QCOMPARE(boxes.notices(), QStringList({"|not receive date!"}));
}

void tst_save_data_index::index_closes_running_box()
{
    // Upload road: the box runs until the date index arrives. Showing the
    // list takes the focus from the box; it must close all the same.
    SAVE_DATA_INDEX d(nullptr);
    Boxes boxes;
    Rescue rescue;
    bool box_was_inactive = false;
    QTimer::singleShot(50, &d, [&d, &box_was_inactive] {
        // The list dialog (shown by an earlier index, or by this one) has
        // the focus by the time the box is looked at.
        d.show();
        d.activateWindow();
        QMessageBox *box = tools_kit::find_waiting_box();
        box_was_inactive = testkit::wait_until([box] { return !box->isActiveWindow(); }, 1000);
        d.get_save_data_index(dates("A A B"));
    });
    d.close_receive_info(false);
    QVERIFY(box_was_inactive);
    QVERIFY2(!rescue.fired, "waiting box stayed open in front of the list");
    QVERIFY(d.isVisible());
    QCOMPARE(listed(d), QStringList({"A", "B"}));
    QVERIFY(!tools_kit::find_waiting_box()->isVisible());
}

void tst_save_data_index::second_run_request_does_not_nest()
{
    SAVE_DATA_INDEX d(nullptr);
    Boxes boxes;
    Rescue rescue;
    QStringList steps;
    QTimer::singleShot(50, &d, [&] {
        d.close_receive_info(false);   // already running: returns at once
        steps << "inner returned";
        QTimer::singleShot(50, &d, [&] {
            steps << "closing";
            d.close_receive_info(true);
        });
    });
    d.close_receive_info(false);
    steps << "outer returned";
    QVERIFY(!rescue.fired);
    QCOMPARE(steps, QStringList({"inner returned", "closing", "outer returned"}));
    d.close_receive_info(true);   // nothing open: nothing happens
    QCOMPARE(boxes.notices(), QStringList());
}

void tst_save_data_index::operator_closes_box()
{
    SAVE_DATA_INDEX d(nullptr);
    Rescue rescue;
    QTimer::singleShot(50, &d, [] { QTest::keyClick(tools_kit::find_waiting_box(), Qt::Key_Escape); });
    d.close_receive_info(false);
    QVERIFY(!rescue.fired);
    QVERIFY(!tools_kit::find_waiting_box()->isVisible());
}

QTEST_MAIN(tst_save_data_index)
#include "tst_save_data_index.moc"
