#include "testkit.h"
#include "common/app_env.h"
#include "mainwindow.h"
#include "file_oprate/file_oprate.h"
#include "setting/setting.h"
#include "hidsim.h"
#include "disk_faults.h"
#include "common/settings_step.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest>

namespace {

// Debug messages of the code under test, in order (the toolkit's warnings aside).
QStringList g_messages;
void capture(QtMsgType type, const QMessageLogContext &, const QString &msg)
{
    if (type == QtDebugMsg)
        g_messages << msg;
}

// The dispatcher's hand-over lines among them (the model windows log more).
QStringList hand_overs()
{
    QStringList l;
    for (const QString &m : g_messages)
        if (m.startsWith(QLatin1String("get_KQ240x")) || m.startsWith(QLatin1String("set_device_path")))
            l << m;
    return l;
}

class MessageCapture
{
public:
    MessageCapture() { g_messages.clear(); m_old = qInstallMessageHandler(capture); }
    ~MessageCapture() { qInstallMessageHandler(m_old); }
private:
    QtMessageHandler m_old;
};

template <class T>
T *child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QLatin1String(name));
    if (!c)
        qWarning("no child %s", name);
    return c;
}

QString button_text(QWidget *w, const char *name)
{
    auto *b = child<QAbstractButton>(w, name);
    return b ? b->text() : QString();
}

QWidget *visible_model_window()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && QByteArray(w->metaObject()->className()).startsWith("KQ"))
            return w;
    return nullptr;
}

template <class T>
T *top_level()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *t = qobject_cast<T *>(w))
            return t;
    return nullptr;
}

// Closes the modal dialog of class T once it shows; true when it did.
template <class T>
bool close_modal_when_shown(bool *seen)
{
    QTimer::singleShot(0, [seen] {
        testkit::wait_until([] { return qobject_cast<T *>(QApplication::activeModalWidget()); }, 5000);
        if (auto *d = qobject_cast<T *>(QApplication::activeModalWidget())) {
            *seen = true;
            d->reject();
        }
    });
    return true;
}

// A silent instrument with the given USB product string.
void plug(const std::string &path, const std::wstring &product)
{
    hidsim::DeviceSpec spec;
    spec.path = path;
    spec.product = product;
    hidsim::plug(spec, nullptr);
}

QString stored_language(const testkit::ProgramDir &dir)
{
    QSettings s(dir.file("config.ini"), QSettings::IniFormat);
    return s.value("Language", "<missing>").toString();
}

}

class tst_mainwindow : public QObject
{
    Q_OBJECT
private slots:
    void init() { hidsim::reset(); }
    void cleanup()
    {
        hidsim::reset();
        // No model window outlives its case.
        QTRY_VERIFY(!visible_model_window());
    }

    void style_sheet_status_bar_and_help_button()
    {
        testkit::ProgramDir dir;
        testkit::FixedClock clock(QDateTime(QDate(2024, 3, 5), QTime(9, 5, 3)));
        MainWindow w;
        w.show();
        QFile css(":/res/qss/Button.css");
        QVERIFY(css.open(QIODevice::ReadOnly));
        QCOMPARE(qApp->styleSheet(), QString::fromUtf8(css.readAll()));
        QVERIFY(!child<QToolButton>(&w, "help_Button")->isVisible());
        QCOMPARE(w.windowTitle(), QStringLiteral("Main"));
        QVERIFY(!w.windowIcon().isNull());

        QStatusBar *bar = w.statusBar();
        QStringList texts;
        QLabel *version = nullptr;
        for (QLabel *l : bar->findChildren<QLabel *>()) {
            texts << l->text();
            if (l->text().startsWith("VER:"))
                version = l;
        }
        QVERIFY2(texts.contains("2024/03/05 09:05:03"), qPrintable(texts.join('|')));
        QVERIFY(texts.contains("not connected"));
        QVERIFY(version);
        QCOMPARE(version->text(), QStringLiteral("VER:1.22"));
        // The version sits at the right end.
        QTRY_VERIFY(version->geometry().right() > bar->width() - 40);

        clock.set(QDateTime(QDate(2024, 3, 5), QTime(9, 5, 4)));
        QVERIFY(testkit::wait_until([&] {
            for (QLabel *l : bar->findChildren<QLabel *>())
                if (l->text() == "2024/03/05 09:05:04")
                    return true;
            return false;
        }, 5000));
    }

    // The clock does no work while the start window is hidden (once a model
    // window has opened); shown again, it tells the time at once.
    void clock_rests_while_hidden()
    {
        testkit::ProgramDir dir;
        testkit::FixedClock clock(QDateTime(QDate(2024, 3, 5), QTime(9, 5, 3)));
        MainWindow w;
        w.show();
        QStatusBar *bar = w.statusBar();
        auto shows = [bar](const QString &text) {
            for (QLabel *l : bar->findChildren<QLabel *>())
                if (l->text() == text)
                    return true;
            return false;
        };
        QVERIFY(shows("2024/03/05 09:05:03"));
        w.hide();
        clock.set(QDateTime(QDate(2024, 3, 5), QTime(9, 5, 4)));
        QTest::qWait(1500);   // more than one tick of the clock
        QVERIFY(shows("2024/03/05 09:05:03"));
        w.show();
        QVERIFY(shows("2024/03/05 09:05:04"));
    }

    void language_at_start_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QStringList>("buttons");   // setting, File, Menu, Language
        QTest::newRow("CH") << "CH" << QStringList{"设置", "文件", "菜单", "语言"};
        QTest::newRow("EN") << "EN" << QStringList{"Set up", "File", "Menu", "Language"};
        QTest::newRow("DE") << "DE" << QStringList{"Set up", "File", "Menu", "Language"};
    }
    void language_at_start()
    {
        QFETCH(QString, language);
        QFETCH(QStringList, buttons);
        testkit::ProgramDir dir;
        dir.write_config({{"Language", language}});
        MainWindow w;
        const QStringList shown{button_text(&w, "setting_Button"), button_text(&w, "File_Button"),
                                button_text(&w, "meun_Button"), button_text(&w, "language_Button")};
        QCOMPARE(shown, buttons);
        QCOMPARE(w.windowTitle(), language == "CH" ? QStringLiteral("主界面") : QStringLiteral("Main"));
        QCOMPARE(stored_language(dir), language);
    }

    // Each click writes the other language, switches at once and asks for a restart.
    void language_button_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QStringList>("stored");     // after click 1, click 2
        QTest::addColumn<QStringList>("language_texts");
        QTest::addColumn<QStringList>("notes");
        const QString note_en = "Need to restart the software after changing the language!";
        const QString note_ch = QStringLiteral("更改语言后需要重启软件!");
        QTest::newRow("EN") << "EN" << QStringList{"CH", "EN"} << QStringList{"语言", "Language"}
                            << QStringList{note_ch, note_en};
        QTest::newRow("CH") << "CH" << QStringList{"EN", "CH"} << QStringList{"Language", "语言"}
                            << QStringList{note_en, note_ch};
        QTest::newRow("DE") << "DE" << QStringList{"DE", "DE"} << QStringList{"Language", "语言"}
                            << QStringList{note_en, note_ch};
    }
    void language_button()
    {
        QFETCH(QString, start);
        QFETCH(QStringList, stored);
        QFETCH(QStringList, language_texts);
        QFETCH(QStringList, notes);
        testkit::ProgramDir dir;
        dir.write_config({{"Language", start}});
        MainWindow w;
        w.show();
        testkit::BoxWatcher boxes;
        for (int click = 0; click < 2; ++click) {
            QMetaObject::invokeMethod(child<QToolButton>(&w, "language_Button"), "click", Qt::QueuedConnection);
            QVERIFY(boxes.wait_for(click + 1));
            QCOMPARE(boxes.last().text, notes[click]);
            // The title in the language of the note.
            QCOMPARE(boxes.last().title, notes[click].startsWith("Need") ? QStringLiteral("Note") : QStringLiteral("提示"));
            QCOMPARE(boxes.last().icon, QMessageBox::Information);
            QCOMPARE(button_text(&w, "language_Button"), language_texts[click]);
            QTRY_COMPARE(stored_language(dir), stored[click]);
        }
    }

    // A language switch that cannot be stored says so once, beside the
    // restart note; the file stays where it is and as it was.
    void lost_language_switch_warns_once_data() { testkit::FaultyFolder::add_rows(false); }
    void lost_language_switch_warns_once()
    {
        QFETCH(int, fault);
        testkit::ProgramDir dir;
        testkit::FaultyFolder folder;
        const QByteArray config = "[General]\nXOVA_softwave=true\nPort=   \nBaund=115200\nLanguage=EN\n";
        QVERIFY2(folder.make(testkit::FaultyFolder::Fault(fault), "config.ini", config), qPrintable(folder.how()));
        app_env::set_program_dir(folder.path());
        settings_step::rearm_warning();
        MainWindow w;
        w.show();
        testkit::BoxWatcher boxes;
        const QString note = QStringLiteral("更改语言后需要重启软件!");
        QMetaObject::invokeMethod(child<QToolButton>(&w, "language_Button"), "click", Qt::QueuedConnection);
        QVERIFY(boxes.wait_for(2));
        QMetaObject::invokeMethod(child<QToolButton>(&w, "language_Button"), "click", Qt::QueuedConnection);
        QVERIFY(boxes.wait_for(3));
        QTest::qWait(200);
        QCOMPARE(boxes.count(), 3);
        QCOMPARE(boxes.boxes()[0].title, QStringLiteral("warning"));
        QCOMPARE(boxes.boxes()[0].text, "The settings could not be saved:\n" + folder.file("config.ini"));
        QCOMPARE(boxes.boxes()[0].icon, QMessageBox::Warning);
        QCOMPARE(boxes.boxes()[1].text, note);
        QCOMPARE(boxes.boxes()[2].title, QStringLiteral("Note"));
        QCOMPARE(testkit::file_bytes(folder.file("config.ini")), config);
        app_env::set_program_dir(dir.path());
    }

    // Qt's own dialogs speak the language the program runs in, from the
    // start and after the language button.
    void qt_dialogs_follow_the_language_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<int>("clicks");            // on the language button
        QTest::addColumn<QStringList>("buttons");   // open, save, cancel of a file dialog; box OK, Cancel
        const QStringList zh{QStringLiteral("打开(&O)"), QStringLiteral("保存(&S)"), QStringLiteral("取消"),
                             QStringLiteral("确定"), QStringLiteral("取消")};
        const QStringList en{"&Open", "&Save", "Cancel", "OK", "Cancel"};
        QTest::newRow("CH") << "CH" << 0 << zh;
        QTest::newRow("EN") << "EN" << 0 << en;
        QTest::newRow("DE") << "DE" << 0 << en;
        QTest::newRow("CH, then EN") << "CH" << 1 << en;
        QTest::newRow("EN, then CH") << "EN" << 1 << zh;
    }
    void qt_dialogs_follow_the_language()
    {
        QFETCH(QString, language);
        QFETCH(int, clicks);
        QFETCH(QStringList, buttons);
        testkit::ProgramDir dir;
        dir.write_config({{"Language", language}});
        MainWindow w;
        w.show();
        {
            testkit::BoxWatcher notes;
            for (int click = 0; click < clicks; ++click) {
                QMetaObject::invokeMethod(child<QToolButton>(&w, "language_Button"), "click", Qt::QueuedConnection);
                QVERIFY(notes.wait_for(click + 1));
            }
        }

        QStringList shown;
        for (auto mode : {QFileDialog::AcceptOpen, QFileDialog::AcceptSave}) {
            QFileDialog files(&w);
            files.setOption(QFileDialog::DontUseNativeDialog);
            files.setAcceptMode(mode);
            auto *box = files.findChild<QDialogButtonBox *>();
            QVERIFY(box);
            const auto accept = mode == QFileDialog::AcceptOpen ? QDialogButtonBox::Open : QDialogButtonBox::Save;
            QVERIFY(box->button(accept));
            shown << box->button(accept)->text();
            if (mode == QFileDialog::AcceptSave)
                shown << box->button(QDialogButtonBox::Cancel)->text();
        }
        QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Ok | QMessageBox::Cancel, &w);
        shown << box.button(QMessageBox::Ok)->text() << box.button(QMessageBox::Cancel)->text();
        QCOMPARE(shown, buttons);
    }

    void dispatcher_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("window");   // empty: the "sorry" box
        QTest::newRow("KQ240") << "KQ240" << QByteArray("KQ240_INTERFACE");
        QTest::newRow("KQ2401") << "KQ2401" << QByteArray("KQ240_INTERFACE");
        QTest::newRow("KQ2402") << "KQ2402" << QByteArray("KQ240_INTERFACE");
        QTest::newRow("KQ257") << QStringLiteral("KQ257 温湿度计") << QByteArray("KQ257_INTERFACE");
        QTest::newRow("KQ263") << QStringLiteral("KQ263 照度计") << QByteArray("KQ263_INTERFACE");
        QTest::newRow("KQ278") << QStringLiteral("KQ278 风速计") << QByteArray("KQ278_INTERFACE");
        QTest::newRow("KQ285") << QStringLiteral("KQ285 噪音计") << QByteArray("KQ285_INTERFACE");
        QTest::newRow("KQ291") << QStringLiteral("KQ291 噪音计") << QByteArray("KQ291_INTERFACE");
        QTest::newRow("KQ186") << QStringLiteral("KQ186 压差计") << QByteArray("KQ186_INTERFACE");
        QTest::newRow("KQ174") << QStringLiteral("KQ174 转速计") << QByteArray("KQ174_INTERFACE");
        QTest::newRow("KQ299 has no window") << QStringLiteral("KQ299 水分计") << QByteArray();
        QTest::newRow("KQ257 without suffix") << "KQ257" << QByteArray();
        QTest::newRow("trailing blank") << QStringLiteral("KQ263 照度计 ") << QByteArray();
        QTest::newRow("lower case") << "kq240" << QByteArray();
        QTest::newRow("KQ2403") << "KQ2403" << QByteArray();
        QTest::newRow("empty") << "" << QByteArray();
    }
    void dispatcher()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, window);
        testkit::ProgramDir dir;
        dir.write_config({{"Language", "CH"}});   // the box text still comes untranslated
        QPointer<QWidget> model;
        {
            MainWindow w;
            w.show();
            testkit::BoxWatcher boxes;
            {
                MessageCapture messages;
                w.ui_init(name, "/dev/hidraw7");
                model = visible_model_window();
                if (window.isEmpty()) {
                    QCOMPARE(g_messages, QStringList());
                } else {
                    const QStringList expected = window == "KQ240_INTERFACE"
                        ? QStringList{QStringLiteral("get_KQ240x \"%1\"").arg(name), "set_device_path \"/dev/hidraw7\""}
                        : QStringList{"set_device_path \"/dev/hidraw7\""};
                    QCOMPARE(hand_overs(), expected);
                }
            }
            if (window.isEmpty()) {
                QCOMPARE(boxes.count(), 1);
                QCOMPARE(boxes.last().title, QStringLiteral("sorry"));
                QCOMPARE(boxes.last().text, QStringLiteral("cannot connect"));
                QVERIFY(w.isVisible());
                QVERIFY(!model);
                // The translator is gone from the application.
                QCOMPARE(QCoreApplication::translate("MainWindow", "Set up"), QStringLiteral("Set up"));
                return;
            }
            // The thermometer window cannot open a HID path as its serial port, and says so.
            if (window == "KQ240_INTERFACE") {
                QVERIFY(boxes.wait_for(1));
                QCOMPARE(boxes.last().title, QStringLiteral("错误"));
                QCOMPARE(boxes.count(), 1);
            } else {
                QCOMPARE(boxes.count(), 0);
            }
            QVERIFY(!w.isVisible());
            QVERIFY(model);
            QCOMPARE(QByteArray(model->metaObject()->className()), window);
            QVERIFY(!model->parentWidget());
        }
        // The start window's destructor deletes the model window.
        QVERIFY(!model);
    }

    // The HID road: a recognised instrument opens its window with its path.
    void recognised_instrument_opens_its_window()
    {
        testkit::ProgramDir dir;
        plug("sim/kq263", L"KQ263 照度计");
        QPointer<QWidget> model;
        {
            MainWindow w;
            MessageCapture messages;
            w.show();
            QVERIFY(testkit::wait_until([&] { return visible_model_window() != nullptr; }, 10000));
            model = visible_model_window();
            QCOMPARE(QByteArray(model->metaObject()->className()), QByteArray("KQ263_INTERFACE"));
            QVERIFY(g_messages.contains("set_device_path \"sim/kq263\""));
            QVERIFY(!w.isVisible());
            // The recognition thread is gone, with every handle it had: the
            // one left open is the light meter window's own link.
            QCOMPARE(hidsim::open_handles("sim/kq263"), 1);
        }
        QVERIFY(!model);
    }

    // After an unknown product the recognition has ended: a supported
    // instrument plugged in later is not recognised any more.
    void unknown_product_ends_recognition()
    {
        testkit::ProgramDir dir;
        plug("sim/kq299", L"KQ299 水分计");
        MainWindow w;
        w.show();
        testkit::BoxWatcher boxes;
        QVERIFY(boxes.wait_for(1, 10000));
        QCOMPARE(boxes.last().title, QStringLiteral("sorry"));
        QCOMPARE(boxes.last().text, QStringLiteral("cannot connect"));
        QVERIFY(w.isVisible());
        QCOMPARE(hidsim::open_handles("sim/kq299"), 0);

        plug("sim/kq263", L"KQ263 照度计");
        const int opens = hidsim::open_count("sim/kq263");
        QTest::qWait(2500);   // two recognition periods
        QCOMPARE(hidsim::open_count("sim/kq263"), opens);
        QVERIFY(!visible_model_window());
        QCOMPARE(boxes.count(), 1);
    }

    // The serial road: the link dialog's report opens the thermometer window.
    void link_dialog_reaches_the_dispatcher()
    {
        testkit::ProgramDir dir;
        QPointer<QWidget> model;
        {
            MainWindow w;
            w.show();
            Setting *dialog = top_level<Setting>();
            QVERIFY(dialog);
            QVERIFY(!dialog->isVisible());
            MessageCapture messages;
            testkit::BoxWatcher boxes;   // "ttyS4" does not open here: the window's error box
            QVERIFY(QMetaObject::invokeMethod(dialog, "usart_connect", Q_ARG(QString, "KQ2401"), Q_ARG(QString, "ttyS4")));
            QCOMPARE(hand_overs(), (QStringList{"get_KQ240x \"KQ2401\"", "set_device_path \"ttyS4\""}));
            model = visible_model_window();
            QVERIFY(model);
            QCOMPARE(QByteArray(model->metaObject()->className()), QByteArray("KQ240_INTERFACE"));
            QVERIFY(!w.isVisible());
        }
        QVERIFY(!model);
    }

    void set_up_button_runs_the_link_dialog()
    {
        testkit::ProgramDir dir;
        MainWindow w;
        w.show();
        bool seen = false;
        close_modal_when_shown<Setting>(&seen);
        child<QPushButton>(&w, "setting_Button")->click();
        QVERIFY(seen);
    }

    // Every click makes a new file dialog, a child of the start window.
    void file_button_makes_a_new_dialog_each_time()
    {
        testkit::ProgramDir dir;
        MainWindow w;
        w.show();
        for (int click = 1; click <= 2; ++click) {
            bool seen = false;
            close_modal_when_shown<File_oprate>(&seen);
            child<QToolButton>(&w, "File_Button")->click();
            QVERIFY(seen);
            QCOMPARE(w.findChildren<File_oprate *>().size(), click);
        }
    }

    // The settings object is deleted before the model window is made, so
    // config.ini holds the defaults at once.
    void settings_reach_the_file_before_the_model_window()
    {
        testkit::ProgramDir dir;
        MainWindow w;
        w.show();
        QVERIFY(!QFile::exists(dir.file("config.ini")));
        w.ui_init(QStringLiteral("KQ257 温湿度计"), "p");
        // Read the bytes: settings objects of one process share unsaved values.
        QFile f(dir.file("config.ini"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY2(text.contains("Language=EN") && text.contains("Baund=115200"), text.constData());
    }

    // A recognition still queued when the link dialog's road has opened a
    // model window opens no second window on the same device.
    void recognition_queued_behind_a_direct_call()
    {
        testkit::ProgramDir dir;
        hidsim::reset();
        const hidsim::DeviceSpec spec = hidsim::model_device("KQ291");
        hidsim::plug(spec, hidsim::make_model("KQ291"));
        QList<QPointer<QWidget>> models;
        int windows = 0, handles = 0;
        {
            MainWindow w;
            w.show();
            // The recognition thread closes the path right before it reports;
            // ui_init waits for that thread, so the report is queued by then.
            QVERIFY(testkit::wait_until([&] { return hidsim::close_count(spec.path) >= 1; }, 5000));
            w.ui_init(QStringLiteral("KQ291 噪音计"), QString::fromStdString(spec.path));
            QCoreApplication::processEvents();
            QCoreApplication::processEvents();
            for (QWidget *t : QApplication::topLevelWidgets())
                if (QByteArray(t->metaObject()->className()) == "KQ291_INTERFACE")
                    models << t;
            windows = models.size();
            handles = hidsim::open_handles(spec.path);
        }
        // A window the start window lost track of outlives it.
        int survivors = 0;
        for (QPointer<QWidget> &m : models)
            if (m) {
                ++survivors;
                delete m;
            }
        hidsim::reset();
        QCOMPARE(windows, 1);
        QCOMPARE(handles, 1);
        QCOMPARE(survivors, 0);
    }

    // Closing the start window for the model window does not end the
    // application; closing the model window does.
    void application_runs_on_after_the_swap()
    {
        testkit::ProgramDir dir;
        MainWindow w;
        w.show();
        bool alive_after_swap = false;
        QTimer::singleShot(0, &w, [&] { w.ui_init(QStringLiteral("KQ263 照度计"), "p"); });
        QTimer::singleShot(300, &w, [&] {
            alive_after_swap = true;
            if (QWidget *model = visible_model_window())
                model->close();
        });
        QTimer::singleShot(10000, &w, [] { qApp->exit(99); });
        const int rc = qApp->exec();
        QVERIFY(alive_after_swap);
        QCOMPARE(rc, 0);
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(tst_mainwindow)
#include "tst_mainwindow.moc"
