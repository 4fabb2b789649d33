// Every window and dialog, in English and in Chinese, at the size its form
// gives: no caption, button, radio, group title or table heading needs more
// room than it gets (an elided or wrapped text counts as clipped), no two
// sibling widgets cover each other, and the window's minimum size stays
// within its form's size.
#include "testkit.h"
#include "text_checks.h"
#include "KQ174_interface/kq174_interface.h"
#include "KQ186_interface/kq186_interface.h"
#include "KQ240_interface/kq240_interface.h"
#include "KQ257_interface/kq257_interface.h"
#include "KQ263_interface/kq263_interface.h"
#include "KQ278_interface/kq278_interface.h"
#include "KQ285_interface/kq285_interface.h"
#include "KQ291_interface/kq291_interface.h"
#include "clean_data/clean_data.h"
#include "common/screen_fit.h"
#include "common/settings_step.h"
#include "file_oprate/file_oprate.h"
#include "help/help.h"
#include "import_data/import_data.h"
#include "mainwindow.h"
#include "menu_dialog/menu_dialog.h"
#include "print_set/print_set.h"
#include "save_data_index/save_data_index.h"
#include "setting/setting.h"
#include "update_check/update_check.h"
#include "usart_debug/usart_debug.h"

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QStackedWidget>
#include <QStyleOption>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QTranslator>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

using Maker = std::function<QWidget *()>;

struct Form
{
    const char *name;
    Maker make;
    QSize size;
    // What the window writes into its maximum, minimum and average boxes at
    // the widest reading it can show (empty: the window has no such boxes).
    QString statistic;
};

QList<Form> forms()
{
    return {
        {"start window", [] { return new MainWindow; }, {1374, 734}, {}},
        {"KQ240", [] { return new KQ240_INTERFACE; }, {1350, 730}, {}},
        {"KQ257", [] { return new KQ257_INTERFACE; }, {1200, 732}, QStringLiteral("-158.00℉")},
        {"KQ285", [] { return new KQ285_INTERFACE; }, {1270, 756}, QStringLiteral("130.00dBA")},
        {"KQ291", [] { return new KQ291_INTERFACE; }, {1200, 732}, QStringLiteral("130.00dBA")},
        {"KQ263", [] { return new KQ263_INTERFACE; }, {1160, 732}, QStringLiteral("199999.00lux")},
        {"KQ278", [] { return new KQ278_INTERFACE; }, {1124, 756}, QStringLiteral("8858.27ft/m")},
        {"KQ186", [] { return new KQ186_INTERFACE; }, {1141, 732}, QStringLiteral("-19999.99")},
        {"KQ174", [] { return new KQ174_INTERFACE; }, {1124, 756}, QStringLiteral("99999.90")},
        {"viewer", [] { return new import_data(nullptr, QString()); }, {1114, 553}, {}},
        {"menu dialog", [] { return new Menu_dialog; }, {606, 711}, {}},
        {"file dialog", [] { return new File_oprate(nullptr); }, {400, 300}, {}},
        {"print dialog", [] { return new print_set(nullptr); }, {400, 300}, {}},
        {"clear dialog", [] { return new CLEAN_DATA(nullptr); }, {284, 126}, {}},
        {"record dialog", [] { return new SAVE_DATA_INDEX(nullptr); }, {387, 334}, {}},
        {"serial link dialog", [] { return new Setting(nullptr); }, {400, 300}, {}},
        {"help", [] { return new help(nullptr); }, {974, 448}, {}},
        {"update dialog", [] { return new UPDATE_CHECK(nullptr); }, {306, 168}, {}},
        {"serial debug window", [] { return new USART_DEBUG(nullptr); }, {289, 315}, {}},
    };
}

using textcheck::check_window;
using textcheck::settle;

}

class tst_text_fit : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // The offscreen platform's default font is 12 pt; a desktop's is
        // 9 pt. Measure with the desktop's, or every text looks too wide.
        QFont f = QApplication::font();
        f.setPointSize(9);
        QApplication::setFont(f);
    }
    void init() { m_dir.reset(new testkit::ProgramDir); }
    void cleanup()
    {
        QCoreApplication::removeTranslator(&m_translator);
        m_dir.reset();
    }

    void texts_fit_data()
    {
        QTest::addColumn<int>("form");
        QTest::addColumn<bool>("chinese");
        const QList<Form> all = forms();
        for (int i = 0; i < all.size(); ++i)
            for (bool chinese : {false, true})
                QTest::newRow(qPrintable(QStringLiteral("%1 %2").arg(all[i].name, chinese ? "CH" : "EN")))
                    << i << chinese;
    }

    void texts_fit()
    {
        QFETCH(int, form);
        QFETCH(bool, chinese);
        const Form f = forms().at(form);
        m_dir->write_config({{"Language", chinese ? "CH" : "EN"}});
        // The windows load their language from config.ini; the dialogs use
        // whatever translation the program has installed.
        QVERIFY(settings_step::load_translation(m_translator, chinese ? settings_step::Language::Chinese
                                                                      : settings_step::Language::English));
        std::unique_ptr<QWidget> w(f.make());
        w->resize(f.size);
        w->show();
        settle(w.get());

        const QSize least = w->minimumSizeHint().expandedTo(w->minimumSize());
        QVERIFY2(least.width() <= f.size.width() && least.height() <= f.size.height(),
                 qPrintable(QStringLiteral("minimum %1x%2").arg(least.width()).arg(least.height())));
        QCOMPARE(w->size(), f.size);

        QStringList problems;
        // Both pages of each stack: the real-time and the stored-record ones.
        for (int page : {0, 1}) {
            for (QStackedWidget *s : w->findChildren<QStackedWidget *>())
                if (page < s->count())
                    s->setCurrentIndex(page);
            if (!f.statistic.isEmpty())
                for (QLabel *l : w->findChildren<QLabel *>(QRegularExpression(QStringLiteral("^(MAX|MIN|AVG)_._label$"))))
                    l->setText(f.statistic);
            settle(w.get());
            for (const QString &p : check_window(w.get()))
                if (!problems.contains(p))
                    problems << p;
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("\n"))));
    }

    // The program's own way of showing its windows keeps them on a screen
    // smaller than their forms (the offscreen one is 800 x 600), and every
    // control stays reachable.
    void windows_fit_the_screen_data()
    {
        QTest::addColumn<QString>("model");
        for (const char *m : {"start window", "KQ240", "KQ257 温湿度计", "KQ263 照度计", "KQ278 风速计",
                              "KQ285 噪音计", "KQ291 噪音计", "KQ186 压差计", "KQ174 转速计", "viewer"})
            QTest::newRow(m) << m;
    }
    void windows_fit_the_screen()
    {
        QFETCH(QString, model);
        m_dir->write_config({{"Language", "EN"}});
        testkit::BoxWatcher boxes;
        std::unique_ptr<MainWindow> start(new MainWindow);
        QWidget *w = nullptr;
        std::unique_ptr<import_data> viewer;
        if (model == QLatin1String("start window")) {
            screen_fit::show_within_screen(start.get());
            w = start.get();
        } else if (model == QLatin1String("viewer")) {
            viewer.reset(new import_data(nullptr, QString()));
            screen_fit::show_within_screen(viewer.get());
            w = viewer.get();
        } else {
            start->show();
            start->ui_init(model, QStringLiteral("/dev/hidraw7"));
            for (QWidget *t : QApplication::topLevelWidgets())
                if (qobject_cast<QMainWindow *>(t) && t != start.get() && t->isVisible())
                    w = t;
        }
        QVERIFY(w);
        settle(w);
        const QRect room = w->screen()->availableGeometry();
        QVERIFY2(room.contains(w->frameGeometry()),
                 qPrintable(QStringLiteral("frame %1,%2 %3x%4 on %5x%6").arg(w->frameGeometry().x()).arg(w->frameGeometry().y())
                                .arg(w->frameGeometry().width()).arg(w->frameGeometry().height()).arg(room.width()).arg(room.height())));
        // What does not fit scrolls: nothing is squeezed below its minimum.
        QWidget *contents = w->findChild<QWidget *>(QStringLiteral("centralwidget"));
        if (!contents)
            contents = w->findChild<QWidget *>(QStringLiteral("screen_fit_page"));
        if (!contents)
            contents = w;
        const QSize least = contents->minimumSizeHint().expandedTo(contents->minimumSize());
        QVERIFY2(contents->width() >= least.width() && contents->height() >= least.height(),
                 qPrintable(QStringLiteral("contents %1x%2, need %3x%4").arg(contents->width()).arg(contents->height())
                                .arg(least.width()).arg(least.height())));
    }

    // A table that fills up and shows its scroll bar moves nothing else.
    void filling_the_table_moves_nothing_data()
    {
        QTest::addColumn<int>("form");
        const QList<Form> all = forms();
        for (int i = 0; i < all.size(); ++i)
            if (QByteArray(all[i].name).startsWith("KQ"))
                QTest::newRow(all[i].name) << i;
    }
    void filling_the_table_moves_nothing()
    {
        QFETCH(int, form);
        const Form f = forms().at(form);
        m_dir->write_config({{"Language", "EN"}});
        std::unique_ptr<QWidget> w(f.make());
        w->resize(f.size);
        w->show();
        settle(w.get());
        const char *parts[] = {"upbuttonframe", "Leftbuttonwidget", "Polt_frame", "Table_frame"};
        QList<QRect> before;
        for (const char *p : parts)
            before << w->findChild<QWidget *>(p)->geometry();
        auto *table = w->findChild<QTableWidget *>(QStringLiteral("RT_table_data"));
        table->setRowCount(200);
        for (int r = 0; r < table->rowCount(); ++r)
            table->setItem(r, 0, new QTableWidgetItem(QStringLiteral("12:00:00 2024-01-01")));
        settle(w.get());
        QVERIFY(table->verticalScrollBar()->isVisible());
        for (int i = 0; i < before.size(); ++i)
            QCOMPARE(w->findChild<QWidget *>(parts[i])->geometry(), before[i]);
    }

private:
    std::unique_ptr<testkit::ProgramDir> m_dir;
    QTranslator m_translator;
};

// Started as the program starts: high-DPI scaling with fractional factors,
// so the texts are measured at the logical resolution the windows get.
int main(int argc, char *argv[])
{
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication app(argc, argv);
    tst_text_fit t;
    return QTest::qExec(&t, argc, argv);
}
#include "tst_text_fit.moc"
