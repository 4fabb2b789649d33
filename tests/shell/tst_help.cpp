#include "testkit.h"
#include "common/app_env.h"
#include "help/help.h"
#include "mainwindow.h"
#include "KQ285_interface/kq285_interface.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTreeView>
#include <QtTest>

namespace {

void write_file(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        qWarning("cannot write %s", qPrintable(path));
}

// The tree as indented lines, two blanks a level.
QStringList tree_lines(const QAbstractItemModel *model, const QModelIndex &parent = QModelIndex(), int depth = 0)
{
    QStringList lines;
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        lines << QString(depth * 2, QLatin1Char(' ')) + index.data().toString();
        lines += tree_lines(model, index, depth + 1);
    }
    return lines;
}

// The item at a path of texts from the top, e.g. {"help", "guide", "a.html"}.
QModelIndex item(const QAbstractItemModel *model, const QStringList &path)
{
    QModelIndex parent;
    for (int level = 0; level < path.size(); ++level) {
        QModelIndex found;
        for (int row = 0; row < model->rowCount(parent) && !found.isValid(); ++row) {
            const QModelIndex index = model->index(row, 0, parent);
            if (index.data().toString() == path[level])
                found = index;
        }
        if (!found.isValid()) {
            qWarning("no item %s", qPrintable(path.join('/')));
            return {};
        }
        parent = found;
    }
    return parent;
}

// Clicks an item of the dialog's tree as the operator would.
void click(help &dialog, const QModelIndex &index)
{
    auto *tree = dialog.findChild<QTreeView *>("index_tree");
    tree->expandAll();
    tree->scrollTo(index);
    const QRect rect = tree->visualRect(index);
    QVERIFY(rect.isValid());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, rect.center());
}

QString page_text(help &dialog)
{
    return dialog.findChild<QTextBrowser *>("helpBrowser")->toPlainText();
}

const QString k_absent = QStringLiteral("<absent>");

}

class tst_help : public QObject
{
    Q_OBJECT
private slots:
    // XOVA_softwave in the program's config.ini chooses the directory; the
    // pages come from the working directory, which here is another one.
    void directory_choice_data()
    {
        QTest::addColumn<QString>("xova");
        QTest::addColumn<QString>("root");
        QTest::newRow("false") << "false" << "NEUTRAL_help";
        QTest::newRow("FALSE") << "FALSE" << "NEUTRAL_help";
        QTest::newRow("0") << "0" << "NEUTRAL_help";
        QTest::newRow("empty") << "" << "NEUTRAL_help";
        QTest::newRow("true") << "true" << "help";
        QTest::newRow("absent") << k_absent << "help";
        QTest::newRow("no") << "no" << "help";
        QTest::newRow("1") << "1" << "help";
    }
    void directory_choice()
    {
        QFETCH(QString, xova);
        QFETCH(QString, root);
        testkit::ProgramDir work;   // working directory: the help directories
        QTemporaryDir program;      // program directory: config.ini
        app_env::set_program_dir(program.path());
        QString config;
        if (xova != k_absent)
            config = "[General]\nXOVA_softwave=" + xova + "\n";
        write_file(program.filePath("config.ini"), config.toUtf8());
        // A config.ini in the working directory says the opposite and is not read.
        write_file(work.file("config.ini"), QByteArray("[General]\nXOVA_softwave=") + (root == "help" ? "false" : "true") + "\n");
        write_file(work.file("help/page.html"), "<p>branded</p>");
        write_file(work.file("NEUTRAL_help/page.html"), "<p>neutral</p>");

        help dialog(nullptr);
        QCOMPARE(tree_lines(dialog.findChild<QTreeView *>("index_tree")->model()), (QStringList{root, "  page.html"}));
        dialog.show();
        click(dialog, item(dialog.findChild<QTreeView *>("index_tree")->model(), {root, "page.html"}));
        QCOMPARE(page_text(dialog), root == "help" ? QStringLiteral("branded") : QStringLiteral("neutral"));
        // Nothing is written to the settings.
        QFile f(program.filePath("config.ini"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll()), config);
    }

    // What the tree lists, and in which order.
    void tree_listing()
    {
        testkit::ProgramDir dir;
        const QString h = dir.file("help/");
        for (const char *name : {"Zz.html", "index.html.bak", "xhtml.txt", "notes.htm", "Index.HTML", ".hidden.html"})
            write_file(h + name, "x");
        QDir().mkpath(h + "Zeta");
        for (const char *name : {"a.html", "B.html", "Index.HTML", "notes.htm", "sub/deep.html"})
            write_file(h + "guide/" + name, "x");
        write_file(h + "guide.second/x.html", "x");
        write_file(h + "pic/p.html", "x");
        write_file(h + ".secret/s.html", "x");
        QDir().mkpath(h + "empty.html");   // a directory, though its name says html

        help dialog(nullptr);
        const QStringList expected{
            "help",
            "  Zeta",            // directories first, case respected
            "  empty",
            "  guide",
            "    a.html",        // inside a directory case is ignored
            "    B.html",
            "  guide",           // guide.second
            "    x.html",
            "  Zz.html",
            "  index.html.bak",
            "  xhtml.txt",
        };
        QCOMPARE(tree_lines(dialog.findChild<QTreeView *>("index_tree")->model()), expected);
    }

    void missing_directory_leaves_the_root_alone()
    {
        testkit::ProgramDir dir;
        write_file(dir.file("NEUTRAL_help/page.html"), "x");   // the other one
        help dialog(nullptr);
        QCOMPARE(tree_lines(dialog.findChild<QTreeView *>("index_tree")->model()), QStringList{"help"});
    }

    // A click loads the page: UTF-8, up to a zero byte; pages of a dotted
    // directory are looked for under its base name and come up empty; root
    // and directory items load nothing.
    void clicking_pages()
    {
        testkit::ProgramDir dir;
        write_file(dir.file("help/top.html"), QStringLiteral("<p>帮助页</p>").toUtf8());
        write_file(dir.file("help/guide/cut.html"), QByteArray("<p>before</p>\0<p>after</p>", 26));
        write_file(dir.file("help/extra.second/x.html"), "<p>unreachable</p>");
        help dialog(nullptr);
        dialog.show();
        const QAbstractItemModel *model = dialog.findChild<QTreeView *>("index_tree")->model();

        click(dialog, item(model, {"help", "top.html"}));
        QCOMPARE(page_text(dialog), QStringLiteral("帮助页"));
        click(dialog, item(model, {"help", "guide"}));
        click(dialog, item(model, {"help"}));
        QCOMPARE(page_text(dialog), QStringLiteral("帮助页"));
        click(dialog, item(model, {"help", "guide", "cut.html"}));
        QCOMPARE(page_text(dialog), QStringLiteral("before"));
        click(dialog, item(model, {"help", "extra", "x.html"}));
        QCOMPARE(page_text(dialog), QString());
    }

    void form_and_about_page()
    {
        testkit::ProgramDir dir;
        help dialog(nullptr);
        QCOMPARE(dialog.objectName(), QStringLiteral("help"));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Dialog"));
        auto *tabs = dialog.findChild<QTabWidget *>("tabWidget");
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(tabs->tabText(0), QStringLiteral("help"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("about"));
        QVERIFY(dialog.findChild<QTreeView *>("index_tree")->isHeaderHidden());

        auto *about = dialog.findChild<QTextBrowser *>("aboutBrowser");
        QVERIFY(about->openExternalLinks());
        QVERIFY(dialog.findChild<QTextBrowser *>("helpBrowser")->openExternalLinks());
        const QString text = about->toPlainText();
        QVERIFY2(text.contains("KQ series softwave"), qPrintable(text));
        QVERIFY2(text.contains("Version:1.22"), qPrintable(text));
        QVERIFY2(text.contains("XOVA"), qPrintable(text));
        QVERIFY(about->toHtml().contains("href=\"https://"));
    }

    // Every press makes a new dialog, a child of the window, run modally
    // (the buttons themselves stay hidden).
    void windows_make_a_new_dialog_each_time()
    {
        testkit::ProgramDir dir;
        MainWindow start;
        KQ285_INTERFACE model(nullptr);
        for (QWidget *window : {static_cast<QWidget *>(&start), static_cast<QWidget *>(&model)}) {
            window->show();
            QVERIFY(!window->findChild<QWidget *>("help_Button")->isVisible());
            for (int press = 1; press <= 2; ++press) {
                bool seen = false;
                QTimer::singleShot(0, [&seen] {
                    testkit::wait_until([] { return qobject_cast<help *>(QApplication::activeModalWidget()); });
                    if (auto *d = qobject_cast<help *>(QApplication::activeModalWidget())) {
                        seen = true;
                        d->reject();
                    }
                });
                QVERIFY(QMetaObject::invokeMethod(window, "on_help_Button_clicked"));
                QVERIFY(seen);
                QCOMPARE(window->findChildren<help *>().size(), press);
            }
        }
    }
};

QTEST_MAIN(tst_help)
#include "tst_help.moc"
