// Each model window and the viewer as a user gets them on a real screen (an
// X server of that size, no window manager): opened the way the program
// opens them, in English and in Chinese. On a 1280 x 800 screen every
// control is in view without scrolling; on a 1024 x 768 one the window may
// scroll, but no text is clipped at either size. Run by ctest under Xvfb at
// each size (see extra.cmake); a row for another screen size is skipped.
// Xvfb's 100 dpi scales the windows by 1.04, so they get 1228 x 768 and
// 983 x 737 logical pixels: a 96 dpi screen of the same size gives more.
#include "testkit.h"
#include "text_checks.h"
#include "common/screen_fit.h"
#include "common/settings_step.h"
#include "import_data/import_data.h"
#include "mainwindow.h"
#include "workbook/workbook.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStackedWidget>
#include <QTranslator>
#include <QtTest>

#include <memory>

namespace {

struct Window
{
    const char *name;
    const char *product;   // as recognition names it; empty: not a model window
    // What the window writes into its maximum, minimum and average boxes at
    // the widest reading it can show: boxes by object name, then the text.
    QList<QPair<QString, QString>> statistics;
    // For the viewer: the workbook it opens, title first (none: empty).
    QList<QStringList> book;
};

QList<Window> windows()
{
    const QString all = QStringLiteral("^(MAX|MIN|AVG)_._label$");
    return {
        {"start window", "", {}},
        {"KQ240", "KQ240", {}},
        {"KQ257", "KQ257 温湿度计",
         {{QStringLiteral("^(MAX|MIN|AVG)_T_label$"), QStringLiteral("-158.00℉")},
          {QStringLiteral("^(MAX|MIN|AVG)_H_label$"), QStringLiteral("100.00%RH")}}},
        {"KQ263", "KQ263 照度计", {{all, QStringLiteral("199999.00lux")}}},
        {"KQ278", "KQ278 风速计", {{all, QStringLiteral("8858.27ft/m")}}},
        {"KQ285", "KQ285 噪音计", {{all, QStringLiteral("130.00dBA")}}},
        {"KQ291", "KQ291 噪音计", {{all, QStringLiteral("130.00dBA")}}},
        {"KQ186", "KQ186 压差计", {{all, QStringLiteral("-19999.99")}}},
        {"KQ174", "KQ174 转速计", {{all, QStringLiteral("99999.90")}}},
        {"viewer", "", {}, {}},
        {"viewer, thermometer book", "", {},
         {{"KQ240 datasheet"}, {"Date", "CH1", "CH2", "CH3", "CH4"},
          {"12:00:00 2024-01-01", "-158.0℉", "2501.6℉", "NULL", "23.5℉"}}},
        {"viewer, tachometer book", "", {},
         {{"KQ174 datasheet"}, {"Date", "Value", "Unit"},
          {"12:00:00 2024-01-01", "99999.9", "Contact RPM"}, {"12:00:01 2024-01-01", "99999.9", "Photo RPM"}}},
    };
}

bool is_control(const QWidget *w)
{
    if (auto *l = qobject_cast<const QLabel *>(w))
        return !l->text().isEmpty() || l->pixmap();
    if (auto *g = qobject_cast<const QGroupBox *>(w))
        return !g->title().isEmpty();
    return qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QComboBox *>(w)
           || qobject_cast<const QAbstractSpinBox *>(w) || qobject_cast<const QLineEdit *>(w)
           || qobject_cast<const QAbstractItemView *>(w);
}

// Controls not wholly inside the window and each of their parents: a
// scroll area's page moved or cut by its viewport hides them.
QStringList out_of_view(QWidget *top)
{
    QStringList out;
    for (QWidget *w : top->findChildren<QWidget *>()) {
        if (!w->isVisible() || w->window() != top || w->size().isEmpty() || !is_control(w))
            continue;
        bool inside_a_view = false;   // an item view scrolls its own cells
        for (QWidget *p = w->parentWidget(); p && p != top; p = p->parentWidget())
            inside_a_view = inside_a_view || qobject_cast<QAbstractItemView *>(p) || qobject_cast<QComboBox *>(p)
                            || qobject_cast<QAbstractSpinBox *>(p);
        if (inside_a_view)
            continue;
        const QRect at(w->mapTo(top, QPoint()), w->size());
        QRect seen = at & top->rect();
        for (QWidget *p = w->parentWidget(); p && p != top; p = p->parentWidget())
            seen &= QRect(p->mapTo(top, QPoint()), p->size());
        if (seen != at)
            out << QStringLiteral("%1 at %2,%3 %4x%5: %6x%7 in view")
                       .arg(textcheck::where(w)).arg(at.x()).arg(at.y()).arg(at.width()).arg(at.height())
                       .arg(seen.width()).arg(seen.height());
    }
    return out;
}

}

class xvfb_screen_fit : public QObject
{
    Q_OBJECT
private slots:
    void init() { m_dir.reset(new testkit::ProgramDir); }
    void cleanup()
    {
        QCoreApplication::removeTranslator(&m_translator);
        m_dir.reset();
    }

    void fits_the_screen_data()
    {
        QTest::addColumn<int>("window");
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<bool>("chinese");
        const QList<Window> all = windows();
        for (int i = 0; i < all.size(); ++i)
            for (QSize screen : {QSize(1280, 800), QSize(1024, 768)})
                for (bool chinese : {false, true})
                    QTest::newRow(qPrintable(QStringLiteral("%1 %2x%3 %4").arg(all[i].name).arg(screen.width())
                                                 .arg(screen.height()).arg(chinese ? "CH" : "EN")))
                        << i << screen << chinese;
    }

    void fits_the_screen()
    {
        QFETCH(int, window);
        QFETCH(QSize, screen);
        QFETCH(bool, chinese);
        const Window spec = windows().at(window);
        QScreen *here = QGuiApplication::primaryScreen();
        QVERIFY(here);
        // The screen's pixels; the windows get them at its scale factor.
        const QSize pixels = (QSizeF(here->size()) * here->devicePixelRatio()).toSize();
        if (QGuiApplication::platformName() != QLatin1String("xcb") || pixels != screen)
            QSKIP(qPrintable(QStringLiteral("runs on an X screen of %1x%2 (this one: %3 %4x%5)")
                                 .arg(screen.width()).arg(screen.height()).arg(QGuiApplication::platformName())
                                 .arg(pixels.width()).arg(pixels.height())));

        m_dir->write_config({{"Language", chinese ? "CH" : "EN"}});
        testkit::BoxWatcher boxes;
        std::unique_ptr<MainWindow> start(new MainWindow);
        std::unique_ptr<import_data> viewer;
        QWidget *w = nullptr;
        if (spec.name == QByteArray("start window")) {
            screen_fit::show_within_screen(start.get());
            w = start.get();
        } else if (QByteArray(spec.name).startsWith("viewer")) {
            // The viewer uses the translation the program has installed.
            QVERIFY(settings_step::load_translation(m_translator, chinese ? settings_step::Language::Chinese
                                                                          : settings_step::Language::English));
            QString path;
            if (!spec.book.isEmpty()) {
                workbook::Writer book;
                for (int r = 0; r < spec.book.size(); ++r)
                    for (int c = 0; c < spec.book[r].size(); ++c)
                        book.write_string(r + 1, c + 1, spec.book[r][c]);
                path = m_dir->file(QStringLiteral("book.xlsx"));
                QString error;
                QVERIFY2(book.save(path, &error), qPrintable(error));
            }
            viewer.reset(new import_data(nullptr, path));
            screen_fit::show_within_screen(viewer.get());
            w = viewer.get();
        } else {
            start->show();
            start->ui_init(QString::fromUtf8(spec.product), QStringLiteral("/dev/hidraw7"));
            for (QWidget *t : QApplication::topLevelWidgets())
                if (qobject_cast<QMainWindow *>(t) && t != start.get() && t->isVisible())
                    w = t;
        }
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        textcheck::settle(w);

        const QRect room = w->screen()->availableGeometry();
        QVERIFY2(room.contains(w->frameGeometry()),
                 qPrintable(QStringLiteral("frame %1,%2 %3x%4 on %5x%6").arg(w->frameGeometry().x())
                                .arg(w->frameGeometry().y()).arg(w->frameGeometry().width())
                                .arg(w->frameGeometry().height()).arg(room.width()).arg(room.height())));

        QStringList problems;
        // Both pages of each stack: the real-time and the stored-record ones.
        for (int page : {0, 1}) {
            for (QStackedWidget *s : w->findChildren<QStackedWidget *>())
                if (page < s->count())
                    s->setCurrentIndex(page);
            for (const auto &statistic : spec.statistics)
                for (QLabel *l : w->findChildren<QLabel *>(QRegularExpression(statistic.first)))
                    l->setText(statistic.second);
            textcheck::settle(w);
            if (!qEnvironmentVariableIsEmpty("SENSAVO_SHOT_DIR"))
                here->grabWindow(0).save(QDir(qEnvironmentVariable("SENSAVO_SHOT_DIR"))
                                             .filePath(QStringLiteral("%1 %2.png").arg(QString::fromUtf8(QTest::currentDataTag())).arg(page)));
            QStringList found = textcheck::check_window(w);
            if (screen == QSize(1280, 800))
                found << out_of_view(w);
            for (const QString &p : found)
                if (!problems.contains(p))
                    problems << p;
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("\n"))));
    }

private:
    std::unique_ptr<testkit::ProgramDir> m_dir;
    QTranslator m_translator;
};

// Started as the program starts: high-DPI scaling with fractional factors.
int main(int argc, char *argv[])
{
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication app(argc, argv);
    xvfb_screen_fit t;
    return QTest::qExec(&t, argc, argv);
}
#include "xvfb_screen_fit.moc"
