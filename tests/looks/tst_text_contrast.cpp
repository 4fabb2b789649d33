// Every shown button, check box and radio of each window, drawn as the
// style sheets colour it: its text colour against each pixel under its
// text's ink (drawn with the text taken away) reaches 4.5:1, the ratio
// readable text needs.
#include "testkit.h"
#include "import_data/import_data.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QtTest>

#include <memory>

namespace {

// The lowest contrast of the text's colour against what lies under its
// ink: the pixels that change when the text is taken away.
double worst_contrast(QAbstractButton *b, QString *where_worst)
{
    QWidget *top = b->window();
    const QColor ink = b->palette().color(b->foregroundRole());
    const QRect at(b->mapTo(top, QPoint()), b->size());
    const QImage with = top->grab(at).toImage().convertToFormat(QImage::Format_RGB32);
    const QString text = b->text();
    b->setText(QString());
    const QImage ground = top->grab(at).toImage().convertToFormat(QImage::Format_RGB32);
    b->setText(text);
    double worst = 21;
    for (int y = 0; y < ground.height(); ++y)
        for (int x = 0; x < ground.width(); ++x) {
            if (with.pixel(x, y) == ground.pixel(x, y))
                continue;
            const double k = testkit::contrast_ratio(ink.rgb(), ground.pixel(x, y));
            if (k < worst) {
                worst = k;
                *where_worst = QStringLiteral("%1 on %2").arg(ink.name(), QColor(ground.pixel(x, y)).name());
            }
        }
    return worst;
}

}

class tst_text_contrast : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // A desktop's 9 pt, not the offscreen platform's 12 pt: the texts
        // sit on their buttons as a user sees them.
        QFont f = QApplication::font();
        f.setPointSize(9);
        QApplication::setFont(f);
    }

    void buttons_are_readable_data()
    {
        QTest::addColumn<QString>("window");
        for (const char *w : {"KQ240", "KQ257", "KQ263", "KQ278", "KQ285", "KQ291", "KQ186", "KQ174", "viewer"})
            QTest::newRow(w) << w;
    }

    void buttons_are_readable()
    {
        QFETCH(QString, window);
        testkit::ProgramDir dir;
        dir.write_config({{"Language", "EN"}});
        std::unique_ptr<QWidget> w = window == QLatin1String("viewer")
                                         ? std::unique_ptr<QWidget>(new import_data(nullptr, QString()))
                                         : testkit::make_model_window(window);
        QVERIFY(w);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QStringList faults;
        int measured = 0;
        for (QAbstractButton *b : w->findChildren<QAbstractButton *>()) {
            if (!b->isVisible() || b->text().isEmpty() || b->window() != w.get())
                continue;
            ++measured;
            QString colours;
            const double k = worst_contrast(b, &colours);
            if (k < 4.5)
                faults << QStringLiteral("%1 \"%2\": %3, %4:1").arg(b->objectName(), b->text(), colours)
                              .arg(k, 0, 'f', 2);
        }
        QVERIFY(measured > 0);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QStringLiteral("\n"))));
    }

    // A picture behind white text: where the text lands depends on the
    // button's size, so every pixel inside its border must do.
    void pictures_under_white_text_data()
    {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<int>("border");   // pixels of frame no text reaches
        QTest::newRow("viewer's buttons") << ":/ICON/press_icon.png" << 8;   // its rounded frame
        QTest::newRow("left button column") << ":/ICON/background_color.png" << 0;
        QTest::newRow("top bar") << ":/ICON/border-top.png" << 5;   // its lower edge line
    }

    void pictures_under_white_text()
    {
        QFETCH(QString, picture);
        QFETCH(int, border);
        const QImage image(picture);
        QVERIFY(!image.isNull());
        double worst = 21;
        QRgb at = 0;
        for (int y = border; y < image.height() - border; ++y)
            for (int x = border; x < image.width() - border; ++x) {
                const QRgb c = image.pixel(x, y);
                if (qAlpha(c) < 255)
                    continue;   // a rounded corner
                const double k = testkit::contrast_ratio(qRgb(255, 255, 255), c);
                if (k < worst) {
                    worst = k;
                    at = c;
                }
            }
        QVERIFY2(worst >= 4.5, qPrintable(QStringLiteral("white on %1: %2:1").arg(QColor(at).name()).arg(worst, 0, 'f', 2)));
    }
};

QTEST_MAIN(tst_text_contrast)
#include "tst_text_contrast.moc"
