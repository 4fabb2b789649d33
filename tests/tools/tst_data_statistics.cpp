#include "testkit.h"
#include "data_process/data_statistics.h"

#include <QtTest>
#include <cmath>
#include <limits>

namespace {
const double NaN = std::numeric_limits<double>::quiet_NaN();
const double no_limit = 65535.0;

// Two records with limits 10 / 0, each holding 20 (high) and -4 (low).
DATA_STATISTICS two_alarmed_records()
{
    DATA_STATISTICS s;
    s.add_channel();
    s.add_channel();
    for (int i = 0; i < 2; ++i) {
        s.set_limit(i, 10, 0);
        s.data_update(i, 20);
        s.data_update(i, -4);
    }
    return s;
}
}

class tst_data_statistics : public QObject
{
    Q_OBJECT
private slots:
    void new_record_has_starting_values();
    void alarm_codes_data();
    void alarm_codes();
    void running_statistics_data();
    void running_statistics();
    void set_limit_keeps_counts_and_statistics();
    void reset_limit_keeps_statistics();
    void reset_all_keeps_limits();
    void reset_channel_touches_one_record();
    void alarm_without_sound_hook_is_harmless();
};

void tst_data_statistics::new_record_has_starting_values()
{
    DATA_STATISTICS s;
    QVERIFY(s.items.isEmpty());
    s.add_channel();
    s.add_channel();
    QCOMPARE(s.items.size(), 2);
    const STATISTICS_ITEM &r = s.items[1];
    QCOMPARE(r.max, -65535.0);
    QCOMPARE(r.min, 65535.0);
    QCOMPARE(r.mean, 0.0);
    QVERIFY(r.samples.isEmpty());
    QCOMPARE(r.high_count, 0.0);
    QCOMPARE(r.low_count, 0.0);
    QCOMPARE(r.upper_limit, 65535.0);
    QCOMPARE(r.lower_limit, -65535.0);
}

void tst_data_statistics::alarm_codes_data()
{
    QTest::addColumn<double>("upper");
    QTest::addColumn<double>("lower");
    QTest::addColumn<double>("x");
    QTest::addColumn<int>("code");

    QTest::newRow("inside") << 10.0 << 0.0 << 5.0 << 0;
    QTest::newRow("equal to lower") << 10.0 << 0.0 << 0.0 << 0;
    QTest::newRow("equal to upper") << 10.0 << 0.0 << 10.0 << 0;
    QTest::newRow("below lower") << 10.0 << 0.0 << -0.5 << 1;
    QTest::newRow("above upper") << 10.0 << 0.0 << 10.5 << 2;
    QTest::newRow("inverted, between") << 10.0 << 20.0 << 15.0 << 1;
    QTest::newRow("inverted, above both") << 10.0 << 20.0 << 25.0 << 2;
    QTest::newRow("inverted, below both") << 10.0 << 20.0 << 5.0 << 1;
    QTest::newRow("no limit, -65535") << no_limit << -no_limit << -65535.0 << 0;
    QTest::newRow("no limit, 65535") << no_limit << -no_limit << 65535.0 << 0;
    // A limit never set (or reset) raises no alarm however far out the value is.
    QTest::newRow("no limit, -65536") << no_limit << -no_limit << -65536.0 << 0;
    QTest::newRow("no limit, 65536") << no_limit << -no_limit << 65536.0 << 0;
    QTest::newRow("no limit, 70000") << no_limit << -no_limit << 70000.0 << 0;
    QTest::newRow("only lower set, 70000") << no_limit << 0.0 << 70000.0 << 0;
    QTest::newRow("only lower set, -1") << no_limit << 0.0 << -1.0 << 1;
    QTest::newRow("only upper set, -70000") << 100.0 << -no_limit << -70000.0 << 0;
    QTest::newRow("only upper set, 70000") << 100.0 << -no_limit << 70000.0 << 2;
    QTest::newRow("NaN") << 10.0 << 0.0 << NaN << 0;
}

void tst_data_statistics::alarm_codes()
{
    QFETCH(double, upper);
    QFETCH(double, lower);
    QFETCH(double, x);
    QFETCH(int, code);

    testkit::SoundCounter sounds;
    DATA_STATISTICS s;
    s.add_channel();
    s.add_channel();
    s.set_limit(1, upper, lower);

    QCOMPARE(int(s.data_update(1, x)), code);
    const STATISTICS_ITEM &r = s.items[1];
    QCOMPARE(r.low_count, code == 1 ? 1.0 : 0.0);
    QCOMPARE(r.high_count, code == 2 ? 1.0 : 0.0);
    QCOMPARE(sounds.count(":/res/sound/lowalarm.WAV"), code == 1 ? 1 : 0);
    QCOMPARE(sounds.count(":/res/sound/highalarm.WAV"), code == 2 ? 1 : 0);
    QCOMPARE(sounds.total(), code == 0 ? 0 : 1);
    // The other record is untouched.
    QVERIFY(s.items[0].samples.isEmpty());

    // Every alarm starts its own playback.
    s.data_update(1, x);
    QCOMPARE(sounds.total(), code == 0 ? 0 : 2);
}

void tst_data_statistics::running_statistics_data()
{
    QTest::addColumn<QVector<double>>("values");
    QTest::addColumn<double>("mean");
    QTest::addColumn<double>("max");
    QTest::addColumn<double>("min");

    QTest::newRow("1 2 3 4") << QVector<double>{1, 2, 3, 4} << 2.5 << 4.0 << 1.0;
    QTest::newRow("first value is the mean") << QVector<double>{7.25} << 7.25 << 7.25 << 7.25;
    QTest::newRow("negative values") << QVector<double>{-3, -1, -2} << -2.0 << -1.0 << -3.0;
    // The first value is max and min whatever its size.
    QTest::newRow("below -65535") << QVector<double>{-70000} << -70000.0 << -70000.0 << -70000.0;
    QTest::newRow("-65535 exactly") << QVector<double>{-65535} << -65535.0 << -65535.0 << -65535.0;
    QTest::newRow("above 65535") << QVector<double>{70000} << 70000.0 << 70000.0 << 70000.0;
    QTest::newRow("all above 65535") << QVector<double>{70000, 80000, 75000} << 75000.0 << 80000.0 << 70000.0;
    QTest::newRow("NaN first") << QVector<double>{NaN, 1} << NaN << 1.0 << 1.0;
    QTest::newRow("NaN, then above 65535") << QVector<double>{NaN, 70000} << NaN << 70000.0 << 70000.0;
    QTest::newRow("NaN last") << QVector<double>{2, 4, NaN} << NaN << 4.0 << 2.0;
}

void tst_data_statistics::running_statistics()
{
    QFETCH(QVector<double>, values);
    QFETCH(double, mean);
    QFETCH(double, max);
    QFETCH(double, min);

    testkit::SoundCounter sounds;
    DATA_STATISTICS s;
    s.add_channel();
    for (double v : values)
        s.data_update(0, v);
    const STATISTICS_ITEM &r = s.items[0];
    QCOMPARE(r.samples.size(), values.size());   // NaN counts in n too
    if (std::isnan(mean))
        QVERIFY(std::isnan(r.mean));
    else
        QCOMPARE(r.mean, mean);
    QCOMPARE(r.max, max);
    QCOMPARE(r.min, min);
    // No limit is set: nothing counts or sounds.
    QCOMPARE(r.low_count + r.high_count, 0.0);
    QCOMPARE(sounds.total(), 0);
}

void tst_data_statistics::set_limit_keeps_counts_and_statistics()
{
    testkit::SoundCounter sounds;
    DATA_STATISTICS s;
    s.add_channel();
    s.set_limit(0, 10, 0);
    s.data_update(0, 20);
    s.data_update(0, -20);
    s.set_limit(0, 100, -100);
    const STATISTICS_ITEM &r = s.items[0];
    QCOMPARE(r.high_count, 1.0);
    QCOMPARE(r.low_count, 1.0);
    QCOMPARE(r.samples.size(), 2);
    QCOMPARE(r.upper_limit, 100.0);
    QCOMPARE(r.lower_limit, -100.0);
    QCOMPARE(int(s.data_update(0, 20)), 0);
}

void tst_data_statistics::reset_limit_keeps_statistics()
{
    testkit::SoundCounter sounds;
    DATA_STATISTICS s = two_alarmed_records();
    s.reset_limit();
    for (int i = 0; i < 2; ++i) {
        const STATISTICS_ITEM &r = s.items[i];
        QCOMPARE(r.high_count, 0.0);
        QCOMPARE(r.low_count, 0.0);
        QCOMPARE(r.upper_limit, 65535.0);
        QCOMPARE(r.lower_limit, -65535.0);
        QCOMPARE(r.max, 20.0);
        QCOMPARE(r.min, -4.0);
        QCOMPARE(r.mean, 8.0);
        QCOMPARE(r.samples.size(), 2);
    }
    QCOMPARE(int(s.data_update(0, 20)), 0);
    QCOMPARE(int(s.data_update(0, 70000)), 0);
    QCOMPARE(int(s.data_update(0, -70000)), 0);
    QCOMPARE(sounds.total(), 4);   // only the two alarms before the reset
}

void tst_data_statistics::reset_all_keeps_limits()
{
    testkit::SoundCounter sounds;
    DATA_STATISTICS s = two_alarmed_records();
    s.reset_all();
    for (int i = 0; i < 2; ++i) {
        const STATISTICS_ITEM &r = s.items[i];
        QCOMPARE(r.max, -65535.0);
        QCOMPARE(r.min, 65535.0);
        QCOMPARE(r.mean, 0.0);
        QVERIFY(r.samples.isEmpty());
        QCOMPARE(r.high_count, 0.0);
        QCOMPARE(r.low_count, 0.0);
        QCOMPARE(r.upper_limit, 10.0);
        QCOMPARE(r.lower_limit, 0.0);
    }
    sounds.clear();
    QCOMPARE(int(s.data_update(1, 11)), 2);
    QCOMPARE(s.items[1].mean, 11.0);
    // The first value after the reset is both extremes, whatever its size.
    s.data_update(0, -70000);
    QCOMPARE(s.items[0].max, -70000.0);
    QCOMPARE(s.items[0].min, -70000.0);
    QCOMPARE(sounds.count(":/res/sound/highalarm.WAV"), 1);
}

void tst_data_statistics::reset_channel_touches_one_record()
{
    testkit::SoundCounter sounds;
    DATA_STATISTICS s;
    s.add_channel();
    s.add_channel();
    s.set_limit(0, 10, 0);
    s.set_limit(1, 10, 0);
    s.data_update(0, 30);
    s.data_update(1, 30);
    s.reset_channel(1);
    QCOMPARE(s.items[0].samples.size(), 1);
    QCOMPARE(s.items[0].high_count, 1.0);
    QCOMPARE(s.items[1].samples.size(), 0);
    QCOMPARE(s.items[1].high_count, 0.0);
    QCOMPARE(s.items[1].max, -65535.0);
    QCOMPARE(s.items[1].upper_limit, 10.0);
}

void tst_data_statistics::alarm_without_sound_hook_is_harmless()
{
    // The real player: no audio device here, and the program goes on.
    DATA_STATISTICS s;
    s.add_channel();
    s.set_limit(0, 1, 0);
    QCOMPARE(int(s.data_update(0, 2)), 2);
    QCOMPARE(int(s.data_update(0, -1)), 1);
    QTest::qWait(50);
    QCOMPARE(s.items[0].samples.size(), 2);
    // Alarm after alarm: nothing piles up beside the application.
    const int children = QCoreApplication::instance()->children().size();
    for (int i = 0; i < 30; ++i) {
        QCOMPARE(int(s.data_update(0, 2)), 2);
        QCOMPARE(int(s.data_update(0, -1)), 1);
    }
    QTest::qWait(50);
    QCOMPARE(QCoreApplication::instance()->children().size(), children);
}

QTEST_MAIN(tst_data_statistics)
#include "tst_data_statistics.moc"
