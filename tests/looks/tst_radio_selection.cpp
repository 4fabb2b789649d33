#include "testkit.h"

#include <QButtonGroup>
#include <QImage>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>
#include <QtTest>
#include <memory>

namespace {

QImage indicator(QRadioButton *radio, bool checked)
{
    const QSignalBlocker quiet(radio);   // a look, not a unit change
    QButtonGroup *group = radio->group();
    const bool group_exclusive = group && group->exclusive();
    const bool exclusive = radio->autoExclusive();
    if (group)
        group->setExclusive(false);
    radio->setAutoExclusive(false);
    radio->setChecked(checked);
    radio->setAutoExclusive(exclusive);
    if (group)
        group->setExclusive(group_exclusive);
    QStyleOptionButton opt;
    opt.initFrom(radio);
    const QRect r = radio->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &opt, radio);
    return radio->grab(r).toImage().convertToFormat(QImage::Format_RGB32);
}

}

class tst_radio_selection : public QObject
{
    Q_OBJECT
private slots:
    void checked_radio_is_plain_to_see_data()
    {
        QTest::addColumn<QString>("model");
        for (const char *m : {"KQ263", "KQ278", "KQ285", "KQ291", "KQ186", "KQ174"})
            QTest::newRow(m) << QString::fromLatin1(m);
    }

    // Checked and unchecked indicators differ over a good part of the
    // indicator, at a contrast one sees at a glance (3:1).
    void checked_radio_is_plain_to_see()
    {
        QFETCH(QString, model);
        testkit::ProgramDir dir;
        dir.write_config({});
        const std::unique_ptr<QWidget> window = testkit::make_model_window(model);
        QVERIFY(window);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));

        const QList<QRadioButton *> radios = window->findChildren<QRadioButton *>();
        int seen = 0;
        for (QRadioButton *radio : radios) {
            if (!radio->isVisible())
                continue;
            ++seen;
            const bool was = radio->isChecked();
            const QImage off = indicator(radio, false);
            const QImage on = indicator(radio, true);
            indicator(radio, was);
            QVERIFY(!off.isNull() && off.size() == on.size());
            int differing = 0;
            for (int y = 0; y < on.height(); ++y)
                for (int x = 0; x < on.width(); ++x)
                    if (testkit::contrast_ratio(on.pixel(x, y), off.pixel(x, y)) >= 3.0)
                        ++differing;
            const int area = on.width() * on.height();
            QVERIFY2(differing * 4 >= area,
                     qPrintable(QString("%1 (%2): %3 of %4 pixels tell checked from unchecked")
                                    .arg(radio->objectName(), radio->text()).arg(differing).arg(area)));
        }
        QVERIFY(seen > 0);
    }
};

QTEST_MAIN(tst_radio_selection)
#include "tst_radio_selection.moc"
