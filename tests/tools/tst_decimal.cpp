// Readings counted in tenths or hundredths, converted, averaged and
// rounded half away from zero in decimal. Expected texts are worked out by
// hand in decimal.
#include "frame/decimal.h"

#include <QtTest>

#include <cmath>

class tst_decimal : public QObject
{
    Q_OBJECT

private slots:
    void texts_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("expected");
        using namespace frame;
        const auto row = [](const char *name, const QString &shown, const char *expected) {
            QTest::newRow(name) << shown << QString::fromLatin1(expected);
        };
        row("1.15 to one decimal", rounded_text(exact_count(115, 2), 1), "1.2");
        row("-1.15 to one decimal", rounded_text(exact_count(-115, 2), 1), "-1.2");
        row("-0.04 shows no sign", rounded_text(exact_count(-4, 2), 1), "0.0");
        row("float of 52.35", rounded_text(exact_reading(double(5235.0f / 100.0f), 2), 1), "52.4");
        row("float of 1.005 m/s", rounded_text(exact_reading(double(1005.0f / 1000.0f), 3), 2), "1.01");
        row("655.35 m/s in ft/m", rounded_text(exact_times(exact_count(65535, 2), "196.85"), 3), "129005.648");
        row("0.25 m/s in knots", rounded_text(exact_times(exact_count(25, 2), "1.94"), 2), "0.49");
        row("0.025 ℃ in ℉", rounded_text(exact_fahrenheit(exact_count(25, 3)), 2), "32.05");
        row("-40.0 ℃ in ℉", rounded_text(exact_fahrenheit(exact_count(-400, 1)), 1), "-40.0");
        row("mean of 0.01 and 0.02", rounded_text(exact_mean({0.01, 0.02}, 2), 2), "0.02");
        row("mean of -39.7 and -39.6", rounded_text(exact_mean({-39.7, -39.6}, 1), 1), "-39.7");
        row("mean of 1, 2 and 2", rounded_text(exact_mean({1, 2, 2}, 0), 2), "1.67");
        row("dial value of 0.485", QString::number(rounded_value(exact_count(485, 3), 2), 'f', 2), "0.49");
        row("not finite", rounded_text(exact_reading(std::nan(""), 2), 2), "nan");
    }
    void texts()
    {
        QFETCH(QString, shown);
        QFETCH(QString, expected);
        QCOMPARE(shown, expected);
    }

    // A channel's mean is kept as it grows: after a reset, a change of
    // scale or a reading with no exact decimal it is still the mean of the
    // samples the channel holds now.
    void running_mean_follows_the_channel()
    {
        using namespace frame;
        DATA_STATISTICS s;
        s.add_channel();
        for (double x : {1.15, 1.25, 1.35})
            s.data_update(0, x);
        QCOMPARE(rounded_text(running_mean(s.items[0], 2), 2), QString("1.25"));
        s.data_update(0, 1.45);
        QCOMPARE(rounded_text(running_mean(s.items[0], 2), 3), QString("1.300"));

        // Refilled past its old length before the next mean.
        s.reset_channel(0);
        for (double x : {0.01, 0.02, 0.02, 0.02, 0.02})
            s.data_update(0, x);
        QCOMPARE(rounded_text(running_mean(s.items[0], 2), 3), QString("0.018"));
        // Asked at another scale: 0.5 and 1.5 in whole units average 1.
        s.reset_channel(0);
        s.data_update(0, 0.5);
        s.data_update(0, 1.5);
        QCOMPARE(rounded_text(running_mean(s.items[0], 1), 2), QString("1.00"));
        QCOMPARE(rounded_text(running_mean(s.items[0], 0), 2), QString("1.50"));   // 1 and 2 (half away)

        // A sum beyond exact integers falls back to the plain mean.
        s.reset_channel(0);
        for (int i = 0; i < 11; ++i)
            s.data_update(0, 9e17);
        QCOMPARE(rounded_text(running_mean(s.items[0], 0), 0), QString("900000000000000000"));
        s.data_update(0, std::nan(""));
        QCOMPARE(rounded_text(running_mean(s.items[0], 0), 0), QString("nan"));
    }
};

QTEST_MAIN(tst_decimal)
#include "tst_decimal.moc"
