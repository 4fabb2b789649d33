#include "testkit.h"
#include "tools_kit.h"
#include "file_oprate/file_oprate.h"
#include "import_data/import_data.h"

#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QtTest>

namespace {

// Log lines of the program, captured in order beside the signals.
QStringList *g_log = nullptr;
QtMessageHandler g_previous = nullptr;

void capture(QtMsgType type, const QMessageLogContext &ctx, const QString &msg)
{
    if (g_log && type == QtDebugMsg)
        *g_log << "log " + msg;
    if (g_previous)
        g_previous(type, ctx, msg);
}

struct LogCapture
{
    explicit LogCapture(QStringList *into)
    {
        g_log = into;
        g_previous = qInstallMessageHandler(capture);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(g_previous);
        g_log = nullptr;
    }
};

void tick(File_oprate &d, bool bmp, bool table, bool import)
{
    d.findChild<QCheckBox *>("save_bmp")->setChecked(bmp);
    d.findChild<QCheckBox *>("save_table")->setChecked(table);
    d.findChild<QCheckBox *>("import_table")->setChecked(import);
}

QList<import_data *> viewers()
{
    QList<import_data *> found;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *v = qobject_cast<import_data *>(w))
            found << v;
    return found;
}

}

class tst_file_oprate : public QObject
{
    Q_OBJECT
private slots:
    void init() { dir.reset(new testkit::ProgramDir); }
    void cleanup()
    {
        qDeleteAll(viewers());
        dir.reset();
    }

    void starting_form();
    void order_of_actions_data();
    void order_of_actions();
    void cancel_does_nothing();
    void import_opens_viewer();
    void two_imports_two_viewers();
    void viewer_of_unreadable_file();

private:
    QScopedPointer<testkit::ProgramDir> dir;
};

void tst_file_oprate::starting_form()
{
    QWidget window;
    File_oprate d(&window);
    QCOMPARE(d.parentWidget(), &window);
    QCOMPARE(d.windowTitle(), QString("Dialog"));
    QCOMPARE(d.size(), QSize(400, 300));
    QVERIFY(d.windowFlags() & Qt::WindowMinMaxButtonsHint);
    QCOMPARE(d.findChild<QGroupBox *>("groupBox")->title(), QString("Option"));
    const struct { const char *name; const char *text; } boxes[] = {
        {"save_bmp", "Save as image"}, {"save_table", "Export as Table (XLXS)"}, {"import_table", "Import Data"}};
    for (const auto &b : boxes) {
        auto *box = d.findChild<QCheckBox *>(b.name);
        QVERIFY2(box, b.name);
        QCOMPARE(box->text(), QString(b.text));
        QVERIFY(!box->isChecked());
    }
}

void tst_file_oprate::order_of_actions_data()
{
    QTest::addColumn<bool>("bmp");
    QTest::addColumn<bool>("table");
    QTest::addColumn<bool>("import");
    QTest::addColumn<QStringList>("events");

    const QStringList bmp = {"bmp", "log emit save bpm signals"};
    const QStringList table = {"table", "log emit table bpm signals"};
    const QStringList import = {"chooser", "box Error: no choose file"};
    for (int mask = 0; mask < 8; ++mask) {
        const bool b = mask & 1, t = mask & 2, i = mask & 4;
        QStringList expected;
        if (b) expected << bmp;
        if (t) expected << table;
        if (i) expected << import;
        QTest::newRow(qPrintable(QString("bmp %1 table %2 import %3").arg(b).arg(t).arg(i)))
            << b << t << i << expected;
    }
}

void tst_file_oprate::order_of_actions()
{
    QFETCH(bool, bmp);
    QFETCH(bool, table);
    QFETCH(bool, import);
    QFETCH(QStringList, events);

    QWidget window;
    File_oprate d(&window);
    QStringList seen;
    bool visible_at_signal = false;
    QObject::connect(&d, &File_oprate::save_bmp, [&] { seen << "bmp"; visible_at_signal |= d.isVisible(); });
    QObject::connect(&d, &File_oprate::save_table, [&] { seen << "table"; visible_at_signal |= d.isVisible(); });
    QObject::connect(&d, &File_oprate::import_table, [&](QString) { seen << "import_table signal"; });
    tick(d, bmp, table, import);

    // The chooser is cancelled; its error box is recorded in turn.
    tools_kit::ChooserAnswer chooser([&](QFileDialog *fd) { seen << "chooser"; fd->reject(); });
    testkit::BoxWatcher boxes;
    boxes.set_handler([&](QMessageBox *box) {
        seen << QString("box %1: %2").arg(box->windowTitle(), box->text());
        return false;
    });

    {
        LogCapture log(&seen);
        tools_kit::exec_and_press(d, QDialogButtonBox::Ok);
    }
    QCOMPARE(seen, events);
    QVERIFY(!visible_at_signal);
    if (import) {
        QCOMPARE(chooser.caption(), QString("choose file"));
        QCOMPARE(chooser.filters(), QStringList({"Images (*.xlsx)"}));
        QCOMPARE(boxes.last().icon, QMessageBox::Critical);
    }
    QVERIFY(viewers().isEmpty());
}

void tst_file_oprate::cancel_does_nothing()
{
    QWidget window;
    File_oprate d(&window);
    int signals_seen = 0;
    QObject::connect(&d, &File_oprate::save_bmp, [&] { ++signals_seen; });
    QObject::connect(&d, &File_oprate::save_table, [&] { ++signals_seen; });
    tick(d, true, true, true);
    tools_kit::ChooserAnswer chooser([](QFileDialog *fd) { fd->reject(); });
    QCOMPARE(tools_kit::exec_and_press(d, QDialogButtonBox::Cancel), int(QDialog::Rejected));
    QTest::qWait(60);
    QCOMPARE(signals_seen, 0);
    QCOMPARE(chooser.seen(), 0);
}

void tst_file_oprate::import_opens_viewer()
{
    const QString book = dir->file("book.xlsx");
    QFile f(book);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("PK");
    f.close();

    auto *window = new QWidget;
    auto *d = new File_oprate(window);
    tick(*d, false, false, true);
    tools_kit::ChooserAnswer chooser([&](QFileDialog *fd) { tools_kit::choose(fd, book); });
    testkit::BoxWatcher boxes;
    tools_kit::exec_and_press(*d, QDialogButtonBox::Ok);
    QCOMPARE(boxes.count(), 0);

    const QList<import_data *> open = viewers();
    QCOMPARE(open.size(), 1);
    QCOMPARE(open[0]->filename(), book);
    QVERIFY(open[0]->parentWidget() == nullptr);
    QVERIFY(open[0]->isVisible());

    // The viewer outlives the dialog and its window.
    delete window;
    QCOMPARE(viewers().size(), 1);
    QVERIFY(viewers()[0]->isVisible());
}

void tst_file_oprate::two_imports_two_viewers()
{
    QStringList books;
    for (const char *name : {"first.xlsx", "second.xlsx"}) {
        QFile f(dir->file(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        books << f.fileName();
    }
    QWidget window;
    for (const QString &book : books) {
        File_oprate d(&window);
        tick(d, false, false, true);
        tools_kit::ChooserAnswer chooser([&](QFileDialog *fd) { tools_kit::choose(fd, book); });
        tools_kit::exec_and_press(d, QDialogButtonBox::Ok);
        QCOMPARE(chooser.seen(), 1);
    }
    QStringList opened;
    for (import_data *v : viewers()) {
        QVERIFY(v->isVisible());
        opened << v->filename();
    }
    opened.sort();
    books.sort();
    QCOMPARE(opened, books);
}

void tst_file_oprate::viewer_of_unreadable_file()
{
    QStringList log;
    {
        LogCapture capture(&log);
        import_data viewer(nullptr, dir->file("missing.xlsx"));
        QVERIFY(!viewer.isVisible());
        QVERIFY(viewer.isWindow());
    }
    QVERIFY(log.contains("log file canot open"));
}

QTEST_MAIN(tst_file_oprate)
#include "tst_file_oprate.moc"
