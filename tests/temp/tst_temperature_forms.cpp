// The two temperature forms as the windows build them: every named widget
// and layout with its class and where it sits, and the properties the
// window code and the style sheet rely on.
#include "KQ240_interface/kq240_interface.h"
#include "KQ257_interface/kq257_interface.h"

#include "testkit.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

std::unique_ptr<QMainWindow> make_window(const QString &form)
{
    if (form == QLatin1String("KQ240"))
        return std::unique_ptr<QMainWindow>(new KQ240_INTERFACE);
    return std::unique_ptr<QMainWindow>(new KQ257_INTERFACE);
}

// "name:Class@ancestor" items; the ancestor is a widget that must hold the
// object (a layout counts as held by the widget it lays out).
const char *const k_skeleton[] = {
    "centralwidget:QWidget@", "gridLayout:QGridLayout@centralwidget",
    "Leftbuttonwidget:QWidget@centralwidget", "verticalLayout_10:QVBoxLayout@Leftbuttonwidget",
    "XOVA_ICON:QWidget@Leftbuttonwidget", "verticalLayout_13:QVBoxLayout@Leftbuttonwidget",
    "start_button:QPushButton@Leftbuttonwidget", "Pause_Button:QPushButton@Leftbuttonwidget",
    "upload_Button:QPushButton@Leftbuttonwidget", "data_export_Button:QPushButton@Leftbuttonwidget",
    "printing_Button:QPushButton@Leftbuttonwidget",
    "upbuttonframe:QFrame@centralwidget", "horizontalLayout_21:QHBoxLayout@upbuttonframe",
    "horizontalLayout_22:QHBoxLayout@upbuttonframe", "File_Button:QToolButton@upbuttonframe",
    "meun_Button:QToolButton@upbuttonframe", "language_Button:QToolButton@upbuttonframe",
    "help_Button:QToolButton@upbuttonframe", "verticalLayout_4:QVBoxLayout@upbuttonframe",
    "label_3:QLabel@upbuttonframe",
    "Polt_frame:QFrame@centralwidget", "horizontalLayout_2:QHBoxLayout@Polt_frame",
    "Table_frame:QFrame@Polt_frame", "gridLayout_4:QGridLayout@Table_frame",
    "table_data_widget:QStackedWidget@Table_frame", "page:QWidget@table_data_widget",
    "gridLayout_2:QGridLayout@page", "RT_table_data:QTableWidget@page",
    "page_2:QWidget@table_data_widget", "gridLayout_3:QGridLayout@page_2",
    "read_table_data:QTableWidget@page_2", "verticalLayout_2:QVBoxLayout@Polt_frame",
    "plotwidget:QWidget@Polt_frame", "verticalLayout:QVBoxLayout@plotwidget",
    "horizontalLayout:QHBoxLayout@plotwidget", "polt:QStackedWidget@plotwidget",
    "RT_plot:QCustomPlot@polt", "read_plot:QCustomPlot@polt", "groupBox:QGroupBox@plotwidget",
    "verticalLayout_3:QVBoxLayout@groupBox", "radioButton:QRadioButton@groupBox",
    "radioButton_2:QRadioButton@groupBox", "timestamp:QComboBox@groupBox",
    "menubar:QMenuBar@", "statusbar:QStatusBar@",
};

const char *const k_thermometer[] = {
    "KQ240_widget:QWidget@Polt_frame", "horizontalLayout_9:QHBoxLayout@KQ240_widget",
    "groupBox_4:QGroupBox@KQ240_widget", "gridLayout_6:QGridLayout@groupBox_4",
    "groupBox_5:QGroupBox@KQ240_widget", "gridLayout_7:QGridLayout@groupBox_5",
    "groupBox_6:QGroupBox@KQ240_widget", "gridLayout_8:QGridLayout@groupBox_6",
    "groupBox_7:QGroupBox@KQ240_widget", "gridLayout_9:QGridLayout@groupBox_7",
    "groupBox_8:QGroupBox@KQ240_widget", "gridLayout_10:QGridLayout@groupBox_8",
};

const char *const k_hygrometer[] = {
    "sync_Button:QPushButton@Leftbuttonwidget",
    "widget:QWidget@page", "gridLayout_14:QGridLayout@widget",
    "high_alarm:QWidget@widget", "gridLayout_12:QGridLayout@high_alarm", "label:QLabel@high_alarm",
    "KQ257_limit_label_3:QWidget@high_alarm", "horizontalLayout_9:QHBoxLayout@KQ257_limit_label_3",
    "label_16:QLabel@KQ257_limit_label_3", "label_17:QLabel@KQ257_limit_label_3",
    "horizontalLayout_10:QHBoxLayout@high_alarm", "T_up_num_2:QLabel@high_alarm",
    "H_up_num_2:QLabel@high_alarm",
    "low_alarm:QWidget@widget", "gridLayout_13:QGridLayout@low_alarm", "label_4:QLabel@low_alarm",
    "KQ257_limit_label_4:QWidget@low_alarm", "horizontalLayout_14:QHBoxLayout@KQ257_limit_label_4",
    "label_18:QLabel@KQ257_limit_label_4", "label_19:QLabel@KQ257_limit_label_4",
    "horizontalLayout_11:QHBoxLayout@low_alarm", "T_down_num_2:QLabel@low_alarm",
    "H_down_num_2:QLabel@low_alarm",
    "max_min_avg_widget:QWidget@plotwidget", "horizontalLayout_4:QHBoxLayout@max_min_avg_widget",
    "groupBox_3:QGroupBox@max_min_avg_widget", "horizontalLayout_5:QHBoxLayout@groupBox_3",
    "label_5:QLabel@groupBox_3", "MAX_T_label:QLabel@groupBox_3", "label_7:QLabel@groupBox_3",
    "MIN_T_label:QLabel@groupBox_3", "label_11:QLabel@groupBox_3", "AVG_T_label:QLabel@groupBox_3",
    "groupBox_2:QGroupBox@max_min_avg_widget", "horizontalLayout_8:QHBoxLayout@groupBox_2",
    "label_2:QLabel@groupBox_2", "MAX_H_label:QLabel@groupBox_2", "label_8:QLabel@groupBox_2",
    "MIN_H_label:QLabel@groupBox_2", "label_10:QLabel@groupBox_2", "AVG_H_label:QLabel@groupBox_2",
    "horizontalLayout_26:QHBoxLayout@Polt_frame", "gunspeed:GaugeSpeed@Polt_frame",
    "gunspeed_2:GaugeSpeed@Polt_frame",
};

}

class tst_temperature_forms : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<testkit::ProgramDir> m_dir;

private slots:
    void init() { m_dir.reset(new testkit::ProgramDir); }
    void cleanup() { m_dir.reset(); }

    void named_objects_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("entry");
        for (const char *form : {"KQ240", "KQ257"})
            for (const char *e : k_skeleton)
                QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(form, e))) << form << e;
        for (const char *e : k_thermometer)
            QTest::newRow(qPrintable(QStringLiteral("KQ240 %1").arg(e))) << "KQ240" << e;
        // The thermometer's statistics fields: labels and value fields per group and channel.
        const char *groups[] = {"groupBox_4", "groupBox_5", "groupBox_6", "groupBox_7", "groupBox_8"};
        const QString labels[] = {"up_channel%1", "down_channel%1", "up_channel%1_3", "up_channel%1_4",
                                  "up_channel%1_5"};
        for (int g = 0; g < 5; ++g)
            for (int ch = 1; ch <= 4; ++ch) {
                const int field = g * 4 + ch;
                const QString edit = field == 1 ? QStringLiteral("lineEdit") : QStringLiteral("lineEdit_%1").arg(field);
                for (const QString &e : {labels[g].arg(ch) + ":QLabel@" + groups[g],
                                         edit + ":QLineEdit@" + groups[g]})
                    QTest::newRow(qPrintable("KQ240 " + e)) << "KQ240" << e;
            }
        for (const char *e : k_hygrometer)
            QTest::newRow(qPrintable(QStringLiteral("KQ257 %1").arg(e))) << "KQ257" << e;
    }
    void named_objects()
    {
        QFETCH(QString, form);
        QFETCH(QString, entry);
        const QString name = entry.section(':', 0, 0);
        const QString cls = entry.section(':', 1).section('@', 0, 0);
        const QString holder = entry.section('@', 1);
        auto w = make_window(form);
        QObject *o = w->findChild<QObject *>(name);
        QVERIFY2(o, qPrintable(name + " missing"));
        QCOMPARE(QString::fromLatin1(o->metaObject()->className()), cls);
        if (holder.isEmpty())
            return;
        auto *h = w->findChild<QWidget *>(holder);
        QVERIFY(h);
        QWidget *placed = qobject_cast<QWidget *>(o);
        if (auto *l = qobject_cast<QLayout *>(o))
            placed = l->parentWidget();
        QVERIFY(placed);
        QVERIFY2(placed == h || h->isAncestorOf(placed), qPrintable(name + " not in " + holder));
    }

    // What the other form does not have.
    void form_specific_parts()
    {
        auto kq240 = make_window("KQ240");
        auto kq257 = make_window("KQ257");
        for (const char *n : {"sync_Button", "gunspeed", "max_min_avg_widget", "widget"})
            QVERIFY2(!kq240->findChild<QWidget *>(n), n);
        for (const char *n : {"KQ240_widget", "lineEdit", "up_channel1"})
            QVERIFY2(!kq257->findChild<QWidget *>(n), n);
    }

    // A language switch runs the form's retranslation again: the value
    // fields empty and the alarm counters read "0" until the next reading.
    void retranslation_resets_values_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QStringList>("emptied");
        QTest::addColumn<QStringList>("zeroed");
        QStringList fields{"lineEdit"};
        for (int i = 2; i <= 20; ++i)
            fields << QStringLiteral("lineEdit_%1").arg(i);
        QTest::newRow("KQ240") << "KQ240" << fields << QStringList{};
        QTest::newRow("KQ257") << "KQ257"
                               << QStringList{"MAX_T_label", "MIN_T_label", "AVG_T_label", "MAX_H_label", "MIN_H_label", "AVG_H_label"}
                               << QStringList{"T_up_num_2", "H_up_num_2", "T_down_num_2", "H_down_num_2"};
    }
    void retranslation_resets_values()
    {
        QFETCH(QString, form);
        QFETCH(QStringList, emptied);
        QFETCH(QStringList, zeroed);
        m_dir->write_config({{"Language", "EN"}});
        auto w = make_window(form);
        auto set_text = [&](const QString &n, const QString &t) {
            if (auto *e = w->findChild<QLineEdit *>(n))
                e->setText(t);
            else
                w->findChild<QLabel *>(n)->setText(t);
        };
        auto text = [&](const QString &n) {
            if (auto *e = w->findChild<QLineEdit *>(n))
                return e->text();
            return w->findChild<QLabel *>(n)->text();
        };
        for (const QString &n : emptied + zeroed)
            set_text(n, QStringLiteral("12.5"));
        testkit::BoxWatcher boxes;
        QTest::mouseClick(w->findChild<QToolButton *>("language_Button"), Qt::LeftButton);
        QVERIFY(boxes.wait_for(1));
        for (const QString &n : emptied)
            QVERIFY2(text(n).isEmpty(), qPrintable(n));
        for (const QString &n : zeroed)
            QCOMPARE(text(n), QStringLiteral("0"));
    }

    // Sizes, headers, combo items and button kinds as the forms give them.
    void properties_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QSize>("window");
        QTest::addColumn<QStringList>("rt_headers");
        QTest::addColumn<QStringList>("stored_headers");
        QTest::newRow("KQ240") << "KQ240" << QSize(1350, 730) << QStringList{"Date", "CH1", "CH2", "CH3", "CH4"}
                               << QStringList{"num", "CH1", "CH2", "CH3", "CH4"};
        QTest::newRow("KQ257") << "KQ257" << QSize(1200, 732) << QStringList{"Date", "Temp", "Humi"}
                               << QStringList{"Date", "Temp", "Humi"};
    }
    void properties()
    {
        QFETCH(QString, form);
        QFETCH(QSize, window);
        QFETCH(QStringList, rt_headers);
        QFETCH(QStringList, stored_headers);
        auto w = make_window(form);
        QCOMPARE(w->size(), window);
        QCOMPARE(w->minimumWidth(), form == "KQ257" ? 1200 : 0);

        auto headers = [&](const char *name) {
            auto *t = w->findChild<QTableWidget *>(name);
            QStringList h;
            for (int c = 0; c < t->columnCount(); ++c)
                h << t->horizontalHeaderItem(c)->text();
            return h;
        };
        QCOMPARE(headers("RT_table_data"), rt_headers);
        QCOMPARE(headers("read_table_data"), stored_headers);
        for (const char *name : {"RT_table_data", "read_table_data"}) {
            auto *t = w->findChild<QTableWidget *>(name);
            QCOMPARE(t->editTriggers(), QAbstractItemView::NoEditTriggers);
            QVERIFY(t->verticalHeader()->isHidden());
            QVERIFY(t->alternatingRowColors());
            QCOMPARE(t->rowCount(), 0);
        }

        auto *combo = w->findChild<QComboBox *>("timestamp");
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        QCOMPARE(items, (QStringList{"1min", "30min", "1hour", "12hour", "24hour", "ALL"}));
        QCOMPARE(combo->currentIndex(), 0);

        const QStringList commands = form == "KQ257"
            ? QStringList{"start_button", "Pause_Button", "upload_Button", "sync_Button", "data_export_Button", "printing_Button"}
            : QStringList{"start_button", "Pause_Button", "upload_Button", "data_export_Button", "printing_Button"};
        for (const QString &n : commands) {
            auto *b = w->findChild<QPushButton *>(n);
            QCOMPARE(b->minimumSize(), QSize(150, 40));
            QCOMPARE(b->maximumSize(), QSize(150, 40));
            QVERIFY(b->isFlat());
            const bool checkable = n == "start_button" || n == "Pause_Button" || n == "upload_Button";
            QCOMPARE(b->isCheckable(), checkable);
            QVERIFY(!b->isChecked());
        }
        for (const char *n : {"File_Button", "meun_Button", "language_Button", "help_Button"}) {
            auto *b = w->findChild<QToolButton *>(n);
            QCOMPARE(b->minimumSize(), QSize(80, 80));
            QCOMPARE(b->maximumSize(), QSize(80, 80));
        }
        QCOMPARE(w->findChild<QWidget *>("XOVA_ICON")->maximumSize(), QSize(150, 150));
        QCOMPARE(w->findChild<QWidget *>("Table_frame")->maximumWidth(), 350);
        QCOMPARE(w->findChild<QStackedWidget *>("polt")->currentIndex(), 0);
        QCOMPARE(w->findChild<QStackedWidget *>("table_data_widget")->currentIndex(), 0);
        if (form == "KQ257") {
            for (const char *n : {"gunspeed", "gunspeed_2"}) {
                auto *g = w->findChild<QWidget *>(n);
                QCOMPARE(g->minimumSize(), QSize(280, 200));
                QCOMPARE(g->sizePolicy().horizontalPolicy(), QSizePolicy::Fixed);
            }
            for (const char *n : {"T_up_num_2", "H_up_num_2", "T_down_num_2", "H_down_num_2"})
                QCOMPARE(w->findChild<QLabel *>(n)->text(), QStringLiteral("0"));
            QCOMPARE(w->findChild<QLabel *>("label_5")->text(), QStringLiteral("MAX\uFF1A"));
            QCOMPARE(w->findChild<QLabel *>("label_10")->text(), QStringLiteral("AVG\uFF1A"));
        } else {
            for (int i = 1; i <= 20; ++i) {
                auto *e = w->findChild<QLineEdit *>(i == 1 ? QStringLiteral("lineEdit") : QStringLiteral("lineEdit_%1").arg(i));
                QVERIFY(e->isReadOnly());
                QCOMPARE(e->maximumWidth(), 70);
                QVERIFY(e->text().isEmpty());
            }
            QCOMPARE(w->findChild<QLabel *>("up_channel3_4")->text(), QStringLiteral("channel 3"));
        }
    }
};

QTEST_MAIN(tst_temperature_forms)
#include "tst_temperature_forms.moc"
