#include "testkit.h"
#include "tools_kit.h"
#include "menu_dialog/menu_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QSplitter>
#include <QStackedWidget>
#include <QtTest>

namespace {

QString num(double v)
{
    return QString::number(v, 'g', 17);
}

QString floats(std::initializer_list<double> values)
{
    QStringList parts;
    for (double v : values)
        parts << num(double(float(v)));
    return parts.join(' ');
}

QString doubles(std::initializer_list<double> values)
{
    QStringList parts;
    for (double v : values)
        parts << num(v);
    return parts.join(' ');
}

// Records every signal of the dialog, in order, and whether the dialog was
// still visible when the first one arrived.
struct Recorder
{
    QStringList events;
    bool visible_at_signal = false;

    explicit Recorder(Menu_dialog &d)
    {
        auto note = [this, &d](const QString &e) {
            if (events.isEmpty())
                visible_at_signal = d.isVisible();
            events << e;
        };
        QObject::connect(&d, &Menu_dialog::send_stamp, [note](int s) { note("stamp " + QString::number(s)); });
        QObject::connect(&d, &Menu_dialog::send_T_reset, [note] { note("reset"); });
        QObject::connect(&d, &Menu_dialog::send_T_limit_value, [note](double, double) { note("T_limit"); });
        QObject::connect(&d, QOverload<float, float>::of(&Menu_dialog::send_limit_signal),
                         [note](float a, float b) { note("two " + doubles({a, b})); });
        QObject::connect(&d, QOverload<float, float, float, float>::of(&Menu_dialog::send_limit_signal),
                         [note](float a, float b, float c, float e) { note("four " + doubles({a, b, c, e})); });
        QObject::connect(&d, QOverload<QVector<double>>::of(&Menu_dialog::send_limit_signal),
                         [note](QVector<double> l) {
                             QStringList parts;
                             for (double v : l)
                                 parts << num(v);
                             note("list " + parts.join(' '));
                         });
    }
};

void set_spins(Menu_dialog &d, const QStringList &assignments)
{
    for (const QString &a : assignments) {
        const QStringList kv = a.split('=');
        auto *spin = d.findChild<QDoubleSpinBox *>(kv[0]);
        QVERIFY2(spin, qPrintable(kv[0]));
        spin->setValue(kv[1].toDouble());
    }
}

}

class tst_menu_dialog : public QObject
{
    Q_OBJECT
private slots:
    void init() { dir.reset(new testkit::ProgramDir); }
    void cleanup() { dir.reset(); }

    void starting_form();
    void customize_shows_its_field();
    void alarm_box_enables_pages();
    void interval_data();
    void interval();
    void page_limits_data();
    void page_limits();
    void cancel_sends_nothing_and_keeps_entries();
    void page_labels_data();
    void page_labels();
    void load_directory_data();
    void load_directory();
    void choose_directory();
    void choose_directory_cancelled();

private:
    QScopedPointer<testkit::ProgramDir> dir;
};

void tst_menu_dialog::starting_form()
{
    Menu_dialog d;
    QCOMPARE(d.windowTitle(), QString("Dialog"));
    QCOMPARE(d.size(), QSize(606, 711));
    QVERIFY(d.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(d.windowFlags() & Qt::WindowMaximizeButtonHint);

    auto *combo = d.findChild<QComboBox *>("updataStamp");
    QVERIFY(combo);
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    QCOMPARE(items, QStringList({"1S", "2S", "5S", "10S", "30S", "60S", "30M", "1H", "customize"}));
    QCOMPARE(combo->currentIndex(), 0);
    QVERIFY(d.findChild<QLineEdit *>("lineEdit_customPeriod")->isHidden());
    QCOMPARE(d.findChild<QLineEdit *>("lineEdit_customPeriod")->placeholderText(), QString("customize(S)"));
    QVERIFY(d.findChild<QLabel *>("label_seconds")->isHidden());
    QVERIFY(d.findChild<QSplitter *>("filesplitter")->isHidden());
    QCOMPARE(d.findChild<QLabel *>("label_4")->text(), QString("Upload interval\uff1a"));
    QVERIFY(!d.findChild<QCheckBox *>("T_checkBox")->isChecked());

    auto *stack = d.findChild<QStackedWidget *>("stackedWidget");
    QVERIFY(!stack->isEnabled());
    QStringList pages;
    for (int i = 0; i < stack->count(); ++i)
        pages << stack->widget(i)->objectName();
    QCOMPARE(pages, QStringList({"KQ240_page", "KQ257_page", "KQ263_page", "KQ278_page", "KQ285_page",
                                 "KQ291_page", "KQ186_page", "KQ174_page"}));
    for (int n = 1; n <= 16; ++n) {
        for (const QString &prefix : {QString("UP_alarm_data_"), QString("down_alarm_data_")}) {
            auto *spin = d.findChild<QDoubleSpinBox *>(prefix + QString::number(n));
            QVERIFY2(spin, qPrintable(prefix + QString::number(n)));
            QCOMPARE(spin->minimum(), -65535.0);
            QCOMPARE(spin->maximum(), 200000.0);
            QCOMPARE(spin->decimals(), 2);
            QCOMPARE(spin->singleStep(), 1.0);
            QCOMPARE(spin->value(), 0.0);
        }
    }
}

void tst_menu_dialog::customize_shows_its_field()
{
    Menu_dialog d;
    auto *combo = d.findChild<QComboBox *>("updataStamp");
    auto *edit = d.findChild<QLineEdit *>("lineEdit_customPeriod");
    auto *secs = d.findChild<QLabel *>("label_seconds");
    combo->setCurrentIndex(8);
    QVERIFY(!edit->isHidden());
    QVERIFY(!secs->isHidden());
    edit->setText("42");
    combo->setCurrentIndex(3);
    QVERIFY(edit->isHidden());
    QVERIFY(secs->isHidden());
    QCOMPARE(edit->text(), QString("42"));
    combo->setCurrentIndex(8);
    QVERIFY(!edit->isHidden());
}

void tst_menu_dialog::alarm_box_enables_pages()
{
    Menu_dialog d;
    auto *box = d.findChild<QCheckBox *>("T_checkBox");
    auto *stack = d.findChild<QStackedWidget *>("stackedWidget");
    box->setChecked(true);
    QVERIFY(stack->isEnabled());
    box->setChecked(false);
    QVERIFY(!stack->isEnabled());
}

void tst_menu_dialog::interval_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("custom");
    QTest::addColumn<int>("stamp");   // 0: the error box, nothing sent

    const int table[] = {1, 2, 5, 10, 30, 60, 1800, 3600};
    const char *names[] = {"1S", "2S", "5S", "10S", "30S", "60S", "30M", "1H"};
    for (int i = 0; i < 8; ++i)
        QTest::newRow(names[i]) << i << QString("999") << table[i];
    QTest::newRow("customize 15") << 8 << QString("15") << 15;
    QTest::newRow("customize 1") << 8 << QString("1") << 1;
    QTest::newRow("customize 2147483") << 8 << QString("2147483") << 2147483;
    QTest::newRow("customize empty") << 8 << QString("") << 0;
    QTest::newRow("customize 0") << 8 << QString("0") << 0;
    QTest::newRow("customize -5") << 8 << QString("-5") << 0;
    QTest::newRow("customize abc") << 8 << QString("abc") << 0;
    QTest::newRow("customize 1.5") << 8 << QString("1.5") << 0;
    // Longer periods would overflow the windows' millisecond count.
    QTest::newRow("customize 2147484") << 8 << QString("2147484") << 0;
    QTest::newRow("customize beyond int") << 8 << QString("99999999999") << 0;
}

void tst_menu_dialog::interval()
{
    QFETCH(int, item);
    QFETCH(QString, custom);
    QFETCH(int, stamp);

    Menu_dialog d;
    d.set_page(4);
    Recorder rec(d);
    d.findChild<QComboBox *>("updataStamp")->setCurrentIndex(item);
    d.findChild<QLineEdit *>("lineEdit_customPeriod")->setText(custom);

    testkit::BoxWatcher boxes;
    bool visible_at_box = true;
    boxes.set_handler([&](QMessageBox *) { visible_at_box = d.isVisible(); return false; });
    QCOMPARE(tools_kit::exec_and_press(d, QDialogButtonBox::Ok), int(QDialog::Accepted));

    if (stamp == 0) {
        QVERIFY(rec.events.isEmpty());
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.last().title, QString("Error"));
        QCOMPARE(boxes.last().text, QString("Please input a valid number"));
        QCOMPARE(boxes.last().icon, QMessageBox::Critical);
        QVERIFY(!visible_at_box);
    } else {
        QCOMPARE(rec.events, QStringList({"stamp " + QString::number(stamp), "reset"}));
        QCOMPARE(boxes.count(), 0);
        QVERIFY(!rec.visible_at_signal);
    }
}

void tst_menu_dialog::page_limits_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("alarm");
    QTest::addColumn<QStringList>("spins");
    QTest::addColumn<QString>("limits");

    QTest::newRow("page 0, four channels") << 0 << true
        << QStringList{"UP_alarm_data_1=10", "UP_alarm_data_2=20", "UP_alarm_data_3=30", "UP_alarm_data_4=40",
                       "down_alarm_data_1=1", "down_alarm_data_2=2", "down_alarm_data_3=3", "down_alarm_data_4=4"}
        << "list " + doubles({4, 40, 3, 30, 2, 20, 1, 10});
    QTest::newRow("page 1, temperature and humidity") << 1 << true
        << QStringList{"UP_alarm_data_6=30.5", "down_alarm_data_6=-10", "UP_alarm_data_5=80", "down_alarm_data_5=20"}
        << "four " + floats({30.5, -10, 80, 20});
    for (int page = 2; page <= 6; ++page) {
        const QString n = QString::number(page + 5);
        QTest::newRow(qPrintable(QString("page %1").arg(page))) << page << true
            << QStringList{"UP_alarm_data_" + n + "=" + QString::number(1000 + page),
                           "down_alarm_data_" + n + "=" + QString::number(-page)}
            << "two " + floats({1000.0 + page, -1.0 * page});
    }
    QTest::newRow("page 7, five modes") << 7 << true
        << QStringList{"UP_alarm_data_12=1", "UP_alarm_data_13=2", "UP_alarm_data_14=3", "UP_alarm_data_15=4",
                       "UP_alarm_data_16=5"}
        << "list " + doubles({1, 0, 2, 0, 3, 0, 4, 0, 5, 0});
    QTest::newRow("page 4, 0.1 as single precision") << 4 << true
        << QStringList{"UP_alarm_data_9=0.1", "down_alarm_data_9=-0.1"}
        << "two " + floats({0.1, -0.1});
    QTest::newRow("page 3, wrong order kept") << 3 << true
        << QStringList{"UP_alarm_data_8=5", "down_alarm_data_8=50"}
        << "two " + floats({5, 50});
    QTest::newRow("page 0, other pages' boxes ignored") << 0 << true
        << QStringList{"UP_alarm_data_9=77", "UP_alarm_data_1=9"}
        << "list " + doubles({0, 0, 0, 0, 0, 0, 0, 9});
    QTest::newRow("page 4, alarm off resets") << 4 << false
        << QStringList{"UP_alarm_data_9=90"} << QString("reset");
    QTest::newRow("page 0, alarm off resets") << 0 << false
        << QStringList{"UP_alarm_data_1=90"} << QString("reset");
    QTest::newRow("page 7, alarm off resets") << 7 << false << QStringList() << QString("reset");
}

void tst_menu_dialog::page_limits()
{
    QFETCH(int, page);
    QFETCH(bool, alarm);
    QFETCH(QStringList, spins);
    QFETCH(QString, limits);

    Menu_dialog d;
    d.set_page(quint16(page));
    Recorder rec(d);
    d.findChild<QCheckBox *>("T_checkBox")->setChecked(alarm);
    set_spins(d, spins);
    d.findChild<QComboBox *>("updataStamp")->setCurrentIndex(5);

    tools_kit::exec_and_press(d, QDialogButtonBox::Ok);
    QCOMPARE(rec.events, QStringList({"stamp 60", limits}));
    QVERIFY(!rec.visible_at_signal);

    // With "customize" the same limits follow the custom period.
    rec.events.clear();
    d.findChild<QComboBox *>("updataStamp")->setCurrentIndex(8);
    d.findChild<QLineEdit *>("lineEdit_customPeriod")->setText("15");
    tools_kit::exec_and_press(d, QDialogButtonBox::Ok);
    QCOMPARE(rec.events, QStringList({"stamp 15", limits}));
}

void tst_menu_dialog::cancel_sends_nothing_and_keeps_entries()
{
    Menu_dialog d;
    d.set_page(4);
    Recorder rec(d);
    d.findChild<QCheckBox *>("T_checkBox")->setChecked(true);
    set_spins(d, {"UP_alarm_data_9=85", "down_alarm_data_9=40"});
    d.findChild<QComboBox *>("updataStamp")->setCurrentIndex(3);

    QCOMPARE(tools_kit::exec_and_press(d, QDialogButtonBox::Cancel), int(QDialog::Rejected));
    QVERIFY(rec.events.isEmpty());
    QVERIFY(!d.isVisible());

    tools_kit::exec_and_press(d, QDialogButtonBox::Ok);
    QCOMPARE(rec.events, QStringList({"stamp 10", "two " + floats({85, 40})}));
}

void tst_menu_dialog::page_labels_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QStringList>("labels");   // captions and pair labels, row by row

    const QString up = "up\uff1a", down = "down\uff1a";
    QStringList channels;
    for (const char *ch : {"CH1", "CH2", "CH3", "CH4"})
        channels << ch << up << down;
    QTest::newRow("0 thermometer") << "KQ240_page" << channels;
    QTest::newRow("1 thermo-hygrometer") << "KQ257_page"
                                         << QStringList({"Temperature", up, down, "Humidity", up, down});
    QTest::newRow("2 light") << "KQ263_page" << QStringList({"Lux", up, down});
    QTest::newRow("3 air flow") << "KQ278_page" << QStringList({"Speed", up, down});
    QTest::newRow("4 sound") << "KQ285_page" << QStringList({"Sound", "Upper limit\uff1a", "Lower limit\uff1a"});
    QTest::newRow("5 never shown") << "KQ291_page" << QStringList({"Sound", up, down});
    QTest::newRow("6 pressure") << "KQ186_page" << QStringList({"Pressure", up, down, "unit:Pa"});
    QStringList modes;
    for (const char *m : {"m:", "m/min:", "ft/min:", "contact RPM:", "photo RPM:"})
        modes << m << "upper\uff1a" << "lower\uff1a";
    QTest::newRow("7 rotation") << "KQ174_page" << modes;
}

void tst_menu_dialog::page_labels()
{
    QFETCH(QString, page);
    QFETCH(QStringList, labels);

    Menu_dialog d;
    QWidget *w = d.findChild<QWidget *>(page);
    QVERIFY(w);
    QStringList texts;
    for (QLabel *l : w->findChildren<QLabel *>()) {
        texts << l->text();
        // The pair labels stand right-aligned against their boxes.
        if (l->text().endsWith(QChar(0xff1a)))
            QVERIFY2(l->alignment() & Qt::AlignRight, qPrintable(l->text()));
    }
    QCOMPARE(texts, labels);
}

void tst_menu_dialog::load_directory_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("shown");
    QTest::newRow("stored path") << true << QString("/data/exports");
    QTest::newRow("missing key") << false << QString();
}

void tst_menu_dialog::load_directory()
{
    QFETCH(bool, stored);
    QFETCH(QString, shown);
    if (stored)
        dir->write_config({{"default_file_directory", shown}});
    Menu_dialog d;
    QCOMPARE(d.findChild<QLabel *>("labelpath")->text(), shown);
}

void tst_menu_dialog::choose_directory()
{
    const QString chosen = dir->file("exports");
    QVERIFY(QDir().mkpath(chosen));
    Menu_dialog d;
    tools_kit::ChooserAnswer answer([&](QFileDialog *fd) { tools_kit::choose(fd, chosen); });
    testkit::BoxWatcher boxes;
    auto *row = d.findChild<QDialogButtonBox *>("buttonSelectFile");
    row->button(QDialogButtonBox::Ok)->click();
    QCOMPARE(answer.seen(), 1);
    QCOMPARE(answer.caption(), QString("Choose directory"));
    QCOMPARE(boxes.count(), 0);
    QCOMPARE(d.findChild<QLabel *>("labelpath")->text(), chosen);
    QSettings ini(dir->file("config.ini"), QSettings::IniFormat);
    QCOMPARE(ini.value("default_file_directory").toString(), chosen);
}

void tst_menu_dialog::choose_directory_cancelled()
{
    dir->write_config({{"default_file_directory", "/kept"}});
    Menu_dialog d;
    tools_kit::ChooserAnswer answer([](QFileDialog *fd) { fd->reject(); });
    testkit::BoxWatcher boxes;
    d.findChild<QDialogButtonBox *>("buttonSelectFile")->button(QDialogButtonBox::Ok)->click();
    QCOMPARE(answer.seen(), 1);
    QVERIFY(boxes.wait_for(1));
    QCOMPARE(boxes.last().title, QString("Error"));
    QCOMPARE(boxes.last().text, QString("No directory chosen"));
    QCOMPARE(boxes.last().icon, QMessageBox::Critical);
    QCOMPARE(d.findChild<QLabel *>("labelpath")->text(), QString("/kept"));
    QSettings ini(dir->file("config.ini"), QSettings::IniFormat);
    QCOMPARE(ini.value("default_file_directory").toString(), QString("/kept"));
}

QTEST_MAIN(tst_menu_dialog)
#include "tst_menu_dialog.moc"
