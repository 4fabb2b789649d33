#include "testkit.h"
#include "hidsim.h"
#include "model_kq291.h"
#include "usb_help/kq291_hid_interdace.h"

#include <QSignalSpy>
#include <QTimeZone>
#include <QtTest>

#include <cstdlib>
#include <ctime>
#include <memory>

using hidsim::Bytes;
using Block = hidsim::Kq291Instrument::Block;

Q_DECLARE_METATYPE(QQueue<quint16>)
typedef QMap<uint32_t, float> RecordMap;
Q_DECLARE_METATYPE(RecordMap)

namespace {

const std::string PATH = "sim/kq291";

QByteArray hex(const char *h) { return QByteArray::fromHex(h); }

// What was written, without the report id and the zero padding.
QByteArray command_bytes(const Bytes &report, int len)
{
    return QByteArray(reinterpret_cast<const char *>(report.data()) + 1, len);
}

std::shared_ptr<hidsim::Kq291Instrument> plug_kq291()
{
    auto inst = std::make_shared<hidsim::Kq291Instrument>();
    hidsim::plug(hidsim::model_device("KQ291"), inst);
    return inst;
}

// An instrument that only records what it gets; tests push its answers.
class Mute : public hidsim::Instrument
{
public:
    std::vector<Bytes> on_write(const Bytes &) override { return {}; }
};

// A simulated KQ291 plugged in and a running link connected to it.
struct Rig
{
    std::shared_ptr<hidsim::Kq291Instrument> inst = plug_kq291();
    KQ291_HID_INTERDACE link;
    Rig()
    {
        link.hid_connect(QString::fromStdString(PATH));
        link.start();
    }
};

// Not UTC under any name: record times and the clock are the instrument's
// UTC+8 wall time moved into the PC's zone.
const char *const PC_ZONE = "Europe/Berlin";

void set_zone(const char *tz)
{
    if (tz)
        qputenv("TZ", tz);
    else
        qunsetenv("TZ");
    tzset();
}

}

class tst_kq291_link : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qRegisterMetaType<QQueue<quint16>>("QQueue<quint16>");
        qRegisterMetaType<QVector<QString>>("QVector<QString>");
        qRegisterMetaType<RecordMap>("QMap<uint32_t,float>");
    }
    void init() { set_zone(PC_ZONE); hidsim::reset(); }
    void cleanup() { set_zone(PC_ZONE); hidsim::reset(); }

    void date_index_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QStringList>("dates");
        QTest::newRow("two dates") << hex("240305240306000000") << QStringList{"24-03-05", "24-03-06"};
        QTest::newRow("month 13 is an empty entry") << hex("241305240306") << QStringList{"", "24-03-06"};
        QTest::newRow("a zero byte ends no entry but skips the triple")
            << hex("240005240306") << QStringList{"24-03-06"};
        QTest::newRow("partial triple at the end counts as zero") << hex("2403052403") << QStringList{"24-03-05"};
        // 22 entries in two 64-byte reports: the 22nd spans the boundary.
        QByteArray two_reports;
        QStringList many;
        for (int i = 1; i <= 22; ++i) {
            const int d = i % 28 + 1;
            two_reports.append(char(0x24)).append(char(0x03)).append(char((d / 10) << 4 | d % 10));
            many << QString("24-03-%1").arg(d, 2, 10, QChar('0'));
        }
        two_reports.append(QByteArray(128 - two_reports.size(), '\0'));
        QTest::newRow("entry across reports") << two_reports << many;
        QTest::newRow("nothing") << QByteArray(64, '\0') << QStringList{};
    }
    void date_index()
    {
        QFETCH(QByteArray, raw);
        QFETCH(QStringList, dates);
        QCOMPARE(QStringList(KQ291_HID_INTERDACE::decode_date_index(raw).toList()), dates);
    }

    void records_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("first_utc");
        QTest::addColumn<float>("first_value");
        QTest::addColumn<QString>("last_utc");
        QTest::addColumn<float>("last_value");

        const auto block = [](const Block &b, bool short_block) {
            const Bytes bytes = hidsim::Kq291Instrument::block_bytes(b, short_block);
            return QByteArray(reinterpret_cast<const char *>(bytes.data()), int(bytes.size()));
        };
        QTest::newRow("two samples") << block({24, 3, 5, 14, 7, 9, {500, 501}}, false)
                                     << 2 << "2024-03-05T06:07:09Z" << 50.0f << "2024-03-05T06:07:11Z" << 50.1f;
        std::vector<uint16_t> sixty(60, 0);
        for (int i = 0; i < 60; ++i)
            sixty[size_t(i)] = uint16_t(300 + i);
        QTest::newRow("full block") << block({24, 3, 5, 14, 7, 9, sixty}, false)
                                    << 60 << "2024-03-05T06:07:09Z" << 30.0f << "2024-03-05T06:09:07Z" << 35.9f;
        // 192 bytes: a full block and a short one of 64 bytes (28 samples at most).
        QByteArray two = block({24, 3, 5, 14, 7, 9, {500}}, false) + block({24, 3, 6, 0, 0, 0, sixty}, true);
        QTest::newRow("short last block") << two << 29 << "2024-03-05T06:07:09Z" << 50.0f
                                          << "2024-03-05T16:00:54Z" << 32.7f;
        QByteArray bad = block({24, 13, 5, 14, 7, 9, {500}}, false) + block({24, 3, 5, 14, 7, 9, {400}}, false);
        QTest::newRow("block without valid time is skipped") << bad << 1 << "2024-03-05T06:07:09Z" << 40.0f
                                                             << "2024-03-05T06:07:09Z" << 40.0f;
        QByteArray same = block({24, 3, 5, 14, 7, 9, {500}}, false) + block({24, 3, 5, 14, 7, 9, {600}}, false);
        QTest::newRow("equal time: later block wins") << same << 1 << "2024-03-05T06:07:09Z" << 60.0f
                                                      << "2024-03-05T06:07:09Z" << 60.0f;
        QTest::newRow("no sample") << block({24, 3, 5, 14, 7, 9, {}}, false) << 0 << "" << 0.0f << "" << 0.0f;
    }
    void records()
    {
        QFETCH(QByteArray, raw);
        QFETCH(int, count);
        const RecordMap map = KQ291_HID_INTERDACE::decode_records(raw, 8 * 3600);
        QCOMPARE(map.size(), count);
        if (!count)
            return;
        QFETCH(QString, first_utc);
        QFETCH(float, first_value);
        QFETCH(QString, last_utc);
        QFETCH(float, last_value);
        QCOMPARE(QDateTime::fromSecsSinceEpoch(map.firstKey(), Qt::UTC).toString(Qt::ISODate), first_utc);
        QCOMPARE(map.first(), first_value);
        QCOMPARE(QDateTime::fromSecsSinceEpoch(map.lastKey(), Qt::UTC).toString(Qt::ISODate), last_utc);
        QCOMPARE(map.last(), last_value);
    }

    // The instrument keeps UTC+8 wall time whatever the PC's zone and its
    // daylight-saving state; only a PC zone named "UTC" sends its clock unchanged.
    void clock_zone_data()
    {
        QTest::addColumn<QByteArray>("tz");
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("winter_bcd");
        QTest::newRow("Berlin") << QByteArray("Europe/Berlin") << 8 * 3600 << QByteArray("00 00 20 10 01 24");
        QTest::newRow("New York") << QByteArray("America/New_York") << 8 * 3600 << QByteArray("00 00 20 10 01 24");
        QTest::newRow("UTC") << QByteArray("UTC") << 0 << QByteArray("00 00 12 10 01 24");
        QTest::newRow("Etc/UTC") << QByteArray("Etc/UTC") << 0 << QByteArray("00 00 12 10 01 24");
        QTest::newRow("London (GMT)") << QByteArray("Europe/London") << 8 * 3600 << QByteArray("00 00 20 10 01 24");
    }
    void clock_zone()
    {
        QFETCH(QByteArray, tz);
        QFETCH(int, offset);
        set_zone(tz.constData());
        QCOMPARE(KQ291_HID_INTERDACE::instrument_clock_offset(), offset);
        // Clock sent in winter, record made in summer: the record still
        // reads as the instant the instrument's clock meant.
        const QDateTime winter = QDateTime(QDate(2024, 1, 10), QTime(12, 0), Qt::UTC).toLocalTime();
        QFETCH(QByteArray, winter_bcd);
        QCOMPARE(KQ291_HID_INTERDACE::clock_bcd(winter).toHex(' '), winter_bcd);
        Block summer{24, 7, 15, 20, 30, 0, {555}};
        const Bytes b = hidsim::Kq291Instrument::block_bytes(summer, false);
        const RecordMap map = KQ291_HID_INTERDACE::decode_records(
            QByteArray(reinterpret_cast<const char *>(b.data()), int(b.size())),
            KQ291_HID_INTERDACE::instrument_clock_offset());
        QCOMPARE(map.firstKey(),
                 uint32_t(QDateTime(QDate(2024, 7, 15), QTime(20, 30), Qt::UTC).toSecsSinceEpoch() - offset));
    }

    void clock_bytes()
    {
        set_zone("Asia/Shanghai");
        const QDateTime t(QDate(2024, 3, 5), QTime(14, 7, 9), QTimeZone("Asia/Shanghai"));
        QCOMPARE(KQ291_HID_INTERDACE::clock_bcd(t).toHex(' '), QByteArray("09 07 14 05 03 24"));
        set_zone("Europe/London");
        QCOMPARE(KQ291_HID_INTERDACE::clock_bcd(t.toLocalTime()).toHex(' '), QByteArray("09 07 14 05 03 24"));
    }

    void commands_data()
    {
        QTest::addColumn<int>("cmd");
        QTest::addColumn<int>("data");
        QTest::addColumn<int>("data2");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("real time") << 1 << -1 << -1 << hex("b3");
        QTest::newRow("count") << 2 << -1 << -1 << hex("b5");
        QTest::newRow("index") << 3 << -1 << -1 << hex("b4");
        QTest::newRow("clear") << 6 << -1 << -1 << hex("8f");
        QTest::newRow("range 1 to 3") << 5 << 1 << 3 << hex("c40000000100000003");
        QTest::newRow("range 300 to 70000") << 5 << 300 << 70000 << hex("c40000012c00011170");
        QTest::newRow("unknown") << 7 << -1 << -1 << QByteArray();
        QTest::newRow("range code in one-argument slot") << 5 << -1 << -1 << QByteArray();
        QTest::newRow("other code in three-argument slot") << 4 << 1 << 2 << QByteArray();
    }
    void commands()
    {
        QFETCH(int, cmd);
        QFETCH(int, data);
        QFETCH(int, data2);
        QFETCH(QByteArray, bytes);
        hidsim::plug(hidsim::model_device("KQ291"), std::make_shared<Mute>());
        KQ291_HID_INTERDACE link;
        link.hid_connect(QString::fromStdString(PATH));
        QVERIFY(link.is_connected());
        if (data < 0)
            link.HID_interface_cmd(cmd);
        else
            link.HID_interface_cmd(cmd, data, data2);
        const auto w = hidsim::writes(PATH);
        if (bytes.isEmpty()) {
            QVERIFY(w.empty());
            return;
        }
        QCOMPARE(int(w.size()), 1);
        QCOMPARE(int(w[0][0]), 0);
        QCOMPARE(command_bytes(w[0], bytes.size()).toHex(' '), bytes.toHex(' '));
        QVERIFY(int(w[0].size()) >= bytes.size() + 1);
    }

    void clock_command()
    {
        set_zone("Asia/Shanghai");
        testkit::FixedClock clock(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9), QTimeZone("Asia/Shanghai")));
        auto inst = plug_kq291();
        KQ291_HID_INTERDACE link;
        QSignalSpy done(&link, &KQ291_HID_INTERDACE::clock_sync_done);
        link.HID_interface_cmd(4);   // not connected: nothing written, nothing reported
        QVERIFY(hidsim::writes(PATH).empty());
        QCOMPARE(done.count(), 0);

        link.hid_connect(QString::fromStdString(PATH));
        link.HID_interface_cmd(4);
        QCOMPARE(command_bytes(hidsim::writes(PATH).at(0), 8).toHex(' '), QByteArray("7c 09 07 14 05 03 24 00"));
        QCOMPARE(done.count(), 1);
        QCOMPARE(done.at(0).at(0).toBool(), true);

        // The cable is pulled before the hot-plug check notices: the write fails.
        hidsim::unplug(PATH);
        link.HID_interface_cmd(4);
        QCOMPARE(done.count(), 2);
        QCOMPARE(done.at(1).at(0).toBool(), false);
    }

    void realtime_word()
    {
        hidsim::plug(hidsim::model_device("KQ291"), std::make_shared<Mute>());
        KQ291_HID_INTERDACE link;
        QSignalSpy rt(&link, &KQ291_HID_INTERDACE::HID_get_rt_data);
        link.hid_connect(QString::fromStdString(PATH));
        link.start();
        link.HID_interface_cmd(1);
        hidsim::push_report(PATH, {0x01, 0xF4, 0x99});
        QVERIFY(rt.wait(3000));
        const auto q = rt.at(0).at(0).value<QQueue<quint16>>();
        QCOMPARE(q.size(), 1);
        QCOMPARE(int(q.first()), 500);
        // Once answered, a stray report is no reading.
        hidsim::push_report(PATH, {0x02, 0x00});
        QTest::qWait(300);
        QCOMPARE(rt.count(), 1);
    }

    // Count, then the date index, then one range of records.
    void upload_in_two_stages()
    {
        Rig rig;
        KQ291_HID_INTERDACE &link = rig.link;
        QSignalSpy count(&link, &KQ291_HID_INTERDACE::HID_get_save_data_cnt);
        QSignalSpy index(&link, &KQ291_HID_INTERDACE::get_save_data_index);
        QSignalSpy records(&link, &KQ291_HID_INTERDACE::get_save_data);
        QSignalSpy none(&link, &KQ291_HID_INTERDACE::not_get_any_data);

        link.HID_interface_cmd(2);
        QVERIFY(index.wait(4000));
        QCOMPARE(count.count(), 1);
        QCOMPARE(count.at(0).at(0).toInt(), 10 * 60 + 12 * 60 + 2 * 60 + 20);
        const auto w = hidsim::writes(PATH);
        QCOMPARE(int(w.size()), 2);
        QCOMPARE(int(w[1][1]), 0xB4);
        QStringList dates = QStringList(index.at(0).at(0).value<QVector<QString>>().toList());
        QCOMPARE(dates.size(), 25);
        QCOMPARE(dates.count("24-03-05"), 10);
        QCOMPARE(dates.count("24-03-06"), 12);
        QCOMPARE(dates.count("24-03-07"), 3);

        // The last date: two full blocks and the instrument's short last block.
        link.HID_interface_cmd(5, 23, 25);
        QVERIFY(records.wait(4000));
        const RecordMap map = records.at(0).at(0).value<RecordMap>();
        QCOMPARE(map.size(), 60 + 60 + 20);
        const auto first = QDateTime(QDate(2024, 3, 7), QTime(8, 0), Qt::OffsetFromUTC, 8 * 3600);
        QCOMPARE(map.firstKey(), uint32_t(first.toSecsSinceEpoch()));
        QCOMPARE(map.first(), 60.0f);
        QCOMPARE(map.lastKey(), uint32_t(first.toSecsSinceEpoch() + 4 * 60 + 19 * 2));
        QCOMPARE(none.count(), 0);
    }

    void upload_without_answer_data()
    {
        QTest::addColumn<bool>("silent");
        QTest::addColumn<int>("bad_answers");
        QTest::addColumn<int>("requests");
        QTest::newRow("no answer") << true << 0 << 1;
        QTest::newRow("answers that are no count") << false << 100 << KQ291_HID_INTERDACE::MAX_COUNT_REQUESTS;
    }
    void upload_without_answer()
    {
        QFETCH(bool, silent);
        QFETCH(int, bad_answers);
        QFETCH(int, requests);
        Rig rig;
        KQ291_HID_INTERDACE &link = rig.link;
        rig.inst->set_count_silent(silent);
        rig.inst->set_bad_count_answers(bad_answers);
        QSignalSpy none(&link, &KQ291_HID_INTERDACE::not_get_any_data);
        QSignalSpy index(&link, &KQ291_HID_INTERDACE::get_save_data_index);
        link.HID_interface_cmd(2);
        // A silent instrument is waited for a while: a count may come late.
        QVERIFY(none.wait(KQ291_HID_INTERDACE::COUNT_WAIT_MS + 3000));
        QTest::qWait(1500);
        QCOMPARE(none.count(), 1);
        QCOMPARE(index.count(), 0);
        QCOMPARE(int(hidsim::writes(PATH).size()), requests);
    }

    // The count comes after more than a read time-out of silence: it is
    // still taken, and the upload goes on to the date index.
    void a_count_answer_after_a_silence_is_taken()
    {
        Rig rig;
        KQ291_HID_INTERDACE &link = rig.link;
        testkit::Heard count(&link, &KQ291_HID_INTERDACE::HID_get_save_data_cnt);
        testkit::Heard index(&link, &KQ291_HID_INTERDACE::get_save_data_index);
        testkit::Heard none(&link, &KQ291_HID_INTERDACE::not_get_any_data);
        QVERIFY(1500 > KQ291_HID_INTERDACE::READ_TIMEOUT_MS);
        hidsim::delay_answers(PATH, 1500);
        link.HID_interface_cmd(2);
        QVERIFY(index.wait(6000));
        QCOMPARE(count.count(), 1);
        QCOMPARE(count[0][0].toInt(), 10 * 60 + 12 * 60 + 2 * 60 + 20);
        QCOMPARE(index[0][0].value<QVector<QString>>().size(), 25);
        QCOMPARE(none.count(), 0);
        QStringList codes;
        for (const Bytes &w : hidsim::writes(PATH))
            codes << QString::fromLatin1(command_bytes(w, 1).toHex());
        QCOMPARE(codes, (QStringList{"b5", "b4"}));
    }

    // Unplugged while the count is awaited: the wait ends at once, not
    // after the silence a connected instrument is given.
    void unplugged_while_the_count_is_awaited()
    {
        Rig rig;
        KQ291_HID_INTERDACE &link = rig.link;
        rig.inst->set_count_silent(true);
        testkit::Heard none(&link, &KQ291_HID_INTERDACE::not_get_any_data);
        link.HID_interface_cmd(2);
        QTest::qWait(300);
        QCOMPARE(none.count(), 0);
        QElapsedTimer waited;
        waited.start();
        hidsim::unplug(PATH);
        QVERIFY(none.wait(KQ291_HID_INTERDACE::COUNT_WAIT_MS + 3000));
        QVERIFY2(waited.elapsed() < KQ291_HID_INTERDACE::COUNT_WAIT_MS - 1000, qPrintable(QString::number(waited.elapsed())));
        QTest::qWait(1500);
        QCOMPARE(none.count(), 1);
    }

    void a_late_count_answer_still_counts()
    {
        // Two answers that are no count, then the count: the repeats get it.
        Rig rig;
        KQ291_HID_INTERDACE &link = rig.link;
        rig.inst->set_bad_count_answers(2);
        QSignalSpy index(&link, &KQ291_HID_INTERDACE::get_save_data_index);
        link.HID_interface_cmd(2);
        QVERIFY(index.wait(4000));
        QCOMPARE(int(hidsim::writes(PATH).size()), 4);   // B5 three times, then B4
    }

    void empty_index_and_empty_range()
    {
        Rig rig;
        KQ291_HID_INTERDACE &link = rig.link;
        rig.inst->set_blocks({});
        QSignalSpy none(&link, &KQ291_HID_INTERDACE::not_get_any_data);
        link.HID_interface_cmd(2);
        QVERIFY(none.wait(4000));
        link.HID_interface_cmd(5, 1, 3);
        QVERIFY(none.wait(4000));
        QCOMPARE(none.count(), 2);
    }

    // Polls from the GUI thread while the reader writes its follow-up
    // requests: every report stays whole and the upload still completes.
    void commands_from_two_threads()
    {
        Rig rig;
        KQ291_HID_INTERDACE &link = rig.link;
        QSignalSpy index(&link, &KQ291_HID_INTERDACE::get_save_data_index);
        for (int round = 0; round < 20; ++round) {
            link.HID_interface_cmd(2);
            for (int i = 0; i < 5; ++i)
                link.HID_interface_cmd(3);
            QTest::qWait(5);
        }
        link.HID_interface_cmd(2);
        QVERIFY(index.wait(4000));
        for (const Bytes &w : hidsim::writes(PATH)) {
            QCOMPARE(int(w[0]), 0);
            QVERIFY(w[1] == 0xB5 || w[1] == 0xB4);
            QCOMPARE(int(w[2]), 0);
        }
    }

    // Ended before its thread has got going: nothing is left running.
    void destructor_right_after_start()
    {
        for (int i = 0; i < 30; ++i) {
            auto link = std::make_unique<KQ291_HID_INTERDACE>();
            link->start();
            link.reset();
        }
        const int inits = hidsim::init_count();
        QTest::qWait(300);
        QCOMPARE(hidsim::init_count(), inits);
    }

    void hot_plug_and_close_once()
    {
        hidsim::plug(hidsim::model_device("KQ291"), std::make_shared<Mute>());
        {
            KQ291_HID_INTERDACE link;
            QSignalSpy state(&link, &KQ291_HID_INTERDACE::HID_status_update);
            link.hid_connect(QString::fromStdString(PATH));
            QCOMPARE(state.count(), 1);
            QCOMPARE(state.at(0).at(0).toInt(), 0);
            link.start();
            hidsim::unplug(PATH);
            QVERIFY(testkit::wait_until([&] { return !link.is_connected(); }, 3000));
            QVERIFY(testkit::wait_until([&] { return state.last().at(0).toInt() == 1; }, 3000));
            hidsim::replug(PATH);
            QVERIFY(testkit::wait_until([&] { return link.is_connected(); }, 3000));
            QVERIFY(testkit::wait_until([&] { return state.last().at(0).toInt() == 0; }, 3000));
        }
        QCOMPARE(hidsim::open_handles(PATH), 0);
    }

    // Each reconnect replaces the handle: the old one is closed once no
    // read can use it, not kept to the end.
    void reconnects_release_their_handles()
    {
        hidsim::plug(hidsim::model_device("KQ291"), std::make_shared<Mute>());
        KQ291_HID_INTERDACE link;
        testkit::Heard state(&link, &KQ291_HID_INTERDACE::HID_status_update);
        link.hid_connect(QString::fromStdString(PATH));
        link.start();
        for (int i = 0; i < 100; ++i) {
            hidsim::unplug(PATH);
            QVERIFY(testkit::wait_until([&] { return state.count() && state[state.count() - 1][0].toInt() == 1; }));
            hidsim::replug(PATH);
            QVERIFY(testkit::wait_until([&] { return state[state.count() - 1][0].toInt() == 0; }));
        }
        QCOMPARE(hidsim::open_count(PATH), 101);
        QVERIFY2(testkit::wait_until([&] { return hidsim::open_handles(PATH) == 1; }),
                 qPrintable(QString::number(hidsim::open_handles(PATH))));
        QVERIFY(hidsim::misuse().empty());
    }

    // A state decided before the path was handed over never follows the
    // "connected" that hid_connect reports.
    void stale_states_never_follow_connected()
    {
        hidsim::plug(hidsim::model_device("KQ291"), std::make_shared<Mute>());
        KQ291_HID_INTERDACE link;
        testkit::Heard state(&link, &KQ291_HID_INTERDACE::HID_status_update);
        link.start();
        // Passes report 1 while this thread is busy: their notices wait in
        // its queue when the path arrives.
        QThread::msleep(450);
        link.hid_connect(QString::fromStdString(PATH));
        QTest::qWait(600);
        QList<int> s;
        for (const QVariantList &args : state)
            s << args[0].toInt();
        QVERIFY(s.contains(0));
        QCOMPARE(s.mid(s.indexOf(0)), QList<int>{0});
    }

    // Replugged within a pass, or reads that keep failing with the device
    // listed: shown unplugged, reopened, and real-time words come again.
    // One failed read changes nothing.
    void dead_handle_is_reopened_data()
    {
        QTest::addColumn<int>("fault");   // 0 one failed read, 1 blip, 2 failing reads
        QTest::newRow("one failed read") << 0;
        QTest::newRow("replugged within a pass") << 1;
        QTest::newRow("reads keep failing") << 2;
    }
    void dead_handle_is_reopened()
    {
        QFETCH(int, fault);
        Rig rig;
        testkit::Heard state(&rig.link, &KQ291_HID_INTERDACE::HID_status_update);
        testkit::Heard rt(&rig.link, &KQ291_HID_INTERDACE::HID_get_rt_data);
        auto states = [&] {
            QList<int> s;
            for (const QVariantList &args : state)
                s << args[0].toInt();
            return s;
        };
        if (fault == 0) {
            hidsim::fail_next_reads(PATH, 1);
            QTest::qWait(500);
            QCOMPARE(states(), QList<int>());
            QCOMPARE(hidsim::open_count(PATH), 1);
        } else {
            if (fault == 1)
                hidsim::blip(PATH);
            else
                hidsim::set_read_fails(PATH, true);
            QVERIFY(testkit::wait_until([&] { return states().contains(1); }, 3000));
            if (fault == 2) {
                QTest::qWait(1500);
                QCOMPARE(states().last(), 1);
                QVERIFY(!states().contains(0));
                hidsim::set_read_fails(PATH, false);
            }
            QVERIFY(testkit::wait_until([&] { return !states().isEmpty() && states().last() == 0; }, 5000));
        }
        rig.inst->set_level(500);
        rig.link.HID_interface_cmd(1);
        QVERIFY(testkit::wait_until([&] { return rt.count() == 1; }));
        QVERIFY(testkit::wait_until([&] { return hidsim::open_handles(PATH) == 1; }));
    }

    // Reads or writes that keep failing while the device stays listed:
    // "not connected" throughout, reopens spaced instead of one a pass, the
    // spell logged once, and the link back once the device works again.
    void lasting_failure_is_spaced_and_logged_once_data()
    {
        QTest::addColumn<bool>("writes");
        QTest::newRow("reads fail") << false;
        QTest::newRow("writes fail") << true;
    }
    void lasting_failure_is_spaced_and_logged_once()
    {
        QFETCH(bool, writes);
        Rig rig;
        KQ291_HID_INTERDACE &link = rig.link;
        testkit::Heard state(&link, &KQ291_HID_INTERDACE::HID_status_update);
        testkit::Heard rt(&link, &KQ291_HID_INTERDACE::HID_get_rt_data);
        auto states = [&] {
            QList<int> s;
            for (const QVariantList &args : state)
                s << args[0].toInt();
            return s;
        };
        testkit::LogLines log(QStringLiteral("usb_help/"));
        const int opens = hidsim::open_count(PATH);
        if (writes)
            hidsim::set_write_fails(PATH, true);
        else
            hidsim::set_read_fails(PATH, true);
        QElapsedTimer spell;
        spell.start();
        while (!spell.hasExpired(5000)) {
            link.HID_interface_cmd(1);
            QTest::qWait(200);
        }
        const int reopens = hidsim::open_count(PATH) - opens;
        // A reopen every pass would be ~50.
        QVERIFY2(reopens >= 1 && reopens <= 10, qPrintable(QString::number(reopens)));
        QVERIFY(!states().isEmpty());
        QCOMPARE(states().last(), 1);
        QVERIFY(!states().contains(0));
        QVERIFY2(log.lines().size() == 1, qPrintable(log.lines().join(" | ")));
        QVERIFY2(log.lines().first().startsWith(writes ? "hid_write failed" : "hid read failed"),
                 qPrintable(log.lines().first()));

        hidsim::set_write_fails(PATH, false);
        hidsim::set_read_fails(PATH, false);
        QElapsedTimer back;
        back.start();
        bool again = false;
        while (!again && !back.hasExpired(8000)) {
            link.HID_interface_cmd(1);
            again = testkit::wait_until([&] { return states().last() == 0 && rt.count() > 0; }, 200);
        }
        QVERIFY(again);
        QVERIFY(testkit::wait_until([&] { return hidsim::open_handles(PATH) == 1; }));
    }

    // A range request that cannot be written ends as an unanswered upload
    // does, once the caller's waiting box runs.
    void range_request_while_unplugged()
    {
        Rig rig;
        testkit::Heard state(&rig.link, &KQ291_HID_INTERDACE::HID_status_update);
        testkit::Heard none(&rig.link, &KQ291_HID_INTERDACE::not_get_any_data);
        hidsim::unplug(PATH);
        QVERIFY(testkit::wait_until([&] { return !rig.link.is_connected(); }, 3000));
        hidsim::clear_writes(PATH);
        rig.link.HID_interface_cmd(5, 1, 3);
        QCOMPARE(none.count(), 0);
        QVERIFY(none.wait(1000));
        QTest::qWait(1500);
        QCOMPARE(none.count(), 1);
        QVERIFY(hidsim::writes(PATH).empty());
    }
};

QTEST_MAIN(tst_kq291_link)
#include "tst_kq291_link.moc"
