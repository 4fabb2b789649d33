#include "usb_help/hid_interdace.h"
#include "general_instrument.h"
#include "hidsim.h"
#include "testkit.h"

#include <QtTest>
#include <memory>

namespace {

const std::string PATH = "sim/link";

QByteArray bytes(const hidsim::Bytes &b)
{
    return QByteArray(reinterpret_cast<const char *>(b.data()), int(b.size()));
}

hidsim::Bytes padded_report(const QByteArray &frame)
{
    hidsim::Bytes r(65, 0);
    for (int i = 0; i < frame.size(); ++i)
        r[size_t(i) + 1] = uint8_t(frame[i]);
    return r;
}

std::shared_ptr<hidsim::GeneralInstrument> plug_instrument(int stored_frames = 0,
                                                           const std::string &path = PATH)
{
    auto inst = std::make_shared<hidsim::GeneralInstrument>(
        [](int n) { return hidsim::Words{uint16_t(0x1000 + n), 0x6553, 0x09E2, 0x1194}; },
        [](int i) { return hidsim::Words{uint16_t(0x2000 + 2 * i), uint16_t(0x2001 + 2 * i)}; }, stored_frames);
    hidsim::DeviceSpec spec;
    spec.path = path;
    spec.product = L"KQ257 温湿度计";
    hidsim::plug(spec, inst);
    return inst;
}

QList<int> states(const testkit::Heard &spy, int from = 0)
{
    QList<int> out;
    for (int i = from; i < spy.count(); ++i)
        out << spy[i][0].toInt();
    return out;
}

QVector<quint16> words_of(const testkit::Heard &spy, int i)
{
    const QQueue<quint16> q = spy[i][0].value<QQueue<quint16>>();
    return QVector<quint16>(q.begin(), q.end());
}

// A simulated instrument and a running link connected to it, heard from
// this thread.
struct Connected
{
    std::shared_ptr<hidsim::GeneralInstrument> inst = plug_instrument();
    HID_INTERDACE link;
    testkit::Heard st{&link, &HID_INTERDACE::HID_status_update};
    testkit::Heard rt{&link, &HID_INTERDACE::HID_get_rt_data};
    Connected()
    {
        link.start();
        link.hid_connect(QString::fromStdString(PATH));
    }
};

}

class tst_hid_interdace : public QObject
{
    Q_OBJECT
private slots:
    void init() { hidsim::reset(); }
    void cleanup()
    {
        const auto misuse = hidsim::misuse();
        hidsim::reset();
        QCOMPARE(QString::fromStdString(misuse.empty() ? std::string() : misuse.front()), QString());
    }

    void command_bytes_data()
    {
        QTest::addColumn<bool>("three_args");
        QTest::addColumn<int>("cmd");
        QTest::addColumn<int>("data");
        QTest::addColumn<int>("data2");
        QTest::addColumn<QByteArray>("frame");   // empty: nothing written

        QTest::newRow("0 device information") << false << 0 << 0 << 0 << QByteArray::fromHex("AA55000302");
        QTest::newRow("1 poll") << false << 1 << 0 << 0 << QByteArray::fromHex("AA55010303");
        QTest::newRow("2 upload") << false << 2 << 0 << 0 << QByteArray::fromHex("AA55020304");
        QTest::newRow("6 clear") << false << 6 << 0 << 0 << QByteArray::fromHex("AA55060308");
        QTest::newRow("4 one argument") << false << 4 << 0 << 0 << QByteArray();
        QTest::newRow("5 one argument") << false << 5 << 0 << 0 << QByteArray();
        QTest::newRow("7 one argument") << false << 7 << 0 << 0 << QByteArray();
        QTest::newRow("4 unit 2") << true << 4 << 2 << 0 << QByteArray::fromHex("AA55040502000A");
        QTest::newRow("4 low bytes only") << true << 4 << 0x1FF << 0x203 << QByteArray::fromHex("AA550405FF030A");
        QTest::newRow("5 range") << true << 5 << 1 << 3 << QByteArray();
        QTest::newRow("1 three arguments") << true << 1 << 0 << 0 << QByteArray();
    }

    void command_bytes()
    {
        QFETCH(bool, three_args);
        QFETCH(int, cmd);
        QFETCH(int, data);
        QFETCH(int, data2);
        QFETCH(QByteArray, frame);
        auto inst = plug_instrument();
        HID_INTERDACE link;
        link.hid_connect(QString::fromStdString(PATH));
        if (three_args)
            link.HID_interface_cmd(cmd, data, data2);
        else
            link.HID_interface_cmd(cmd);
        const auto w = hidsim::writes(PATH);
        if (frame.isEmpty()) {
            QCOMPARE(w.size(), size_t(0));
        } else {
            QCOMPARE(w.size(), size_t(1));
            QCOMPARE(bytes(w[0]).toHex(' '), bytes(padded_report(frame)).toHex(' '));
        }
    }

    void clock_frame_data()
    {
        QTest::addColumn<QDateTime>("now");
        const QByteArray f = QByteArray::fromHex("AA55030A090714020503245E");
        QTest::newRow("PC in UTC+8") << QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9), QTimeZone(8 * 3600));
        QTest::newRow("PC in UTC+1") << QDateTime(QDate(2024, 3, 5), QTime(7, 7, 9), QTimeZone(3600));
        QTest::newRow("PC zone UTC: clock unchanged") << QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::UTC);
        // UTC under its other names is the same zone.
        for (const char *id : {"UTC", "Etc/UTC", "Etc/Universal", "Zulu", "Etc/UCT"})
            QTest::addRow("PC zone %s: clock unchanged", id)
                << QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9), QTimeZone(id));
        // At offset 0 too, but GMT with summer time: an ordinary zone.
        QTest::newRow("PC in London") << QDateTime(QDate(2024, 3, 5), QTime(6, 7, 9), QTimeZone("Europe/London"));
    }

    void clock_frame()
    {
        QFETCH(QDateTime, now);
        testkit::FixedClock clock(now);
        plug_instrument();
        HID_INTERDACE link;
        link.hid_connect(QString::fromStdString(PATH));
        link.HID_interface_cmd(3);
        const auto w = hidsim::writes(PATH);
        QCOMPARE(w.size(), size_t(1));
        QCOMPARE(bytes(w[0]).toHex(' '),
                 bytes(padded_report(QByteArray::fromHex("AA55030A090714020503245E"))).toHex(' '));
    }

    void not_connected_writes_nothing()
    {
        plug_instrument();
        HID_INTERDACE link;
        for (int cmd : {1, 3, 6})
            link.HID_interface_cmd(cmd);
        link.HID_interface_cmd(4, 1, 0);
        QCOMPARE(hidsim::writes(PATH).size(), size_t(0));
        QCOMPARE(hidsim::open_count(PATH), 0);
    }

    void one_realtime_signal_per_report()
    {
        auto inst = plug_instrument();
        HID_INTERDACE link;
        testkit::Heard rt(&link, &HID_INTERDACE::HID_get_rt_data);
        link.start();
        link.hid_connect(QString::fromStdString(PATH));

        // A poll through the instrument.
        link.HID_interface_cmd(1);
        QVERIFY(testkit::wait_until([&] { return rt.count() == 1; }));
        QCOMPARE(words_of(rt, 0), (QVector<quint16>{0x1000, 0x6553, 0x09E2, 0x1194}));

        // Two frames in one report: one signal with the words of both.
        const hidsim::Bytes a = hidsim::answer_frame(1, {0x0102, 0x0304});
        const hidsim::Bytes b = hidsim::answer_frame(1, {0x0506});
        hidsim::Bytes both = a;
        both.insert(both.end(), b.begin(), b.end());
        hidsim::push_report(PATH, both);
        QVERIFY(testkit::wait_until([&] { return rt.count() == 2; }));
        QCOMPARE(words_of(rt, 1), (QVector<quint16>{0x0102, 0x0304, 0x0506}));

        // A frame split over two reports: one signal, after the second.
        hidsim::Bytes first(60, 0);
        first.insert(first.end(), a.begin(), a.begin() + 4);
        hidsim::push_report(PATH, first);
        hidsim::push_report(PATH, hidsim::Bytes(a.begin() + 4, a.end()));
        QVERIFY(testkit::wait_until([&] { return rt.count() == 3; }));
        QCOMPARE(words_of(rt, 2), (QVector<quint16>{0x0102, 0x0304}));
        QTest::qWait(300);
        QCOMPARE(rt.count(), 3);
    }

    void upload_data()
    {
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("per_report");
        QTest::newRow("6 frames over 3 reports") << 6 << 2;
        QTest::newRow("40 frames straddling reports") << 40 << 0;
        QTest::newRow("no answer") << 0 << 2;
    }

    void upload()
    {
        QFETCH(int, frames);
        QFETCH(int, per_report);
        auto inst = plug_instrument(frames);
        inst->set_frames_per_report(per_report);
        HID_INTERDACE link;
        testkit::Heard saved(&link, &HID_INTERDACE::HID_get_save_data);
        testkit::Heard none(&link, &HID_INTERDACE::not_get_any_data);
        testkit::Heard rt(&link, &HID_INTERDACE::HID_get_rt_data);
        link.start();
        link.hid_connect(QString::fromStdString(PATH));
        link.HID_interface_cmd(2);
        QVERIFY(testkit::wait_until([&] { return saved.count() + none.count() > 0; }, 10000));
        QTest::qWait(2500);   // nothing further follows
        if (frames == 0) {
            QCOMPARE(none.count(), 1);
            QCOMPARE(saved.count(), 0);
        } else {
            QVERIFY(inst->last_upload().size() >= 3);
            QCOMPARE(none.count(), 0);
            QCOMPARE(saved.count(), 1);
            QVector<quint16> expected;
            for (int i = 0; i < frames; ++i)
                expected << quint16(0x2000 + 2 * i) << quint16(0x2001 + 2 * i);
            QCOMPARE(words_of(saved, 0), expected);
        }
        QCOMPARE(rt.count(), 0);
    }

    // Reports of an upload that come with pauses shorter than the silence:
    // one queue, and only once the last report is 2 s old.
    void upload_waits_for_silence_after_the_last_report()
    {
        auto inst = plug_instrument(0);   // the test sends the reports itself
        HID_INTERDACE link;
        testkit::Heard saved(&link, &HID_INTERDACE::HID_get_save_data);
        testkit::Heard none(&link, &HID_INTERDACE::not_get_any_data);
        link.start();
        link.hid_connect(QString::fromStdString(PATH));
        link.HID_interface_cmd(2);
        QVector<quint16> expected;
        for (int i = 0; i < 3; ++i) {
            QTest::qWait(1200);
            const hidsim::Words w{uint16_t(0x3000 + i), uint16_t(0x3100 + i)};
            hidsim::push_report(PATH, hidsim::answer_frame(2, w));
            expected << w[0] << w[1];
        }
        // 3.6 s after the command and still collecting.
        QTest::qWait(1000);
        QCOMPARE(saved.count() + none.count(), 0);
        QVERIFY(testkit::wait_until([&] { return saved.count() + none.count() > 0; }, 5000));
        QCOMPARE(none.count(), 0);
        QCOMPARE(saved.count(), 1);
        QCOMPARE(words_of(saved, 0), expected);
    }

    void upload_outlives_a_read_begun_before_it()
    {
        auto inst = plug_instrument(0);
        HID_INTERDACE link;
        testkit::Heard saved(&link, &HID_INTERDACE::HID_get_save_data);
        testkit::Heard none(&link, &HID_INTERDACE::not_get_any_data);
        link.start();
        link.hid_connect(QString::fromStdString(PATH));
        QVERIFY(testkit::wait_until([&] { return hidsim::read_count(PATH) >= 1; }));
        const int reads = hidsim::read_count(PATH);
        QTest::qWait(1800);   // late in a read that waits for nothing
        link.HID_interface_cmd(2);
        // That read times out; the answer comes after it.
        QVERIFY(testkit::wait_until([&] { return hidsim::read_count(PATH) > reads; }));
        hidsim::push_report(PATH, hidsim::answer_frame(2, {0x0A0B}));
        QVERIFY(testkit::wait_until([&] { return saved.count() + none.count() > 0; }, 10000));
        QCOMPARE(none.count(), 0);
        QCOMPARE(words_of(saved, 0), QVector<quint16>{0x0A0B});
    }

    void upload_while_not_connected_ends_at_once()
    {
        HID_INTERDACE link;
        testkit::Heard none(&link, &HID_INTERDACE::not_get_any_data);
        link.start();
        link.HID_interface_cmd(2);
        // Not inside the call: the caller opens its waiting box first.
        QCOMPARE(none.count(), 0);
        QVERIFY(none.wait(1000));
        QTest::qWait(2500);
        QCOMPARE(none.count(), 1);
    }

    void link_states_follow_the_device()
    {
        plug_instrument();
        HID_INTERDACE link;
        testkit::Heard st(&link, &HID_INTERDACE::HID_status_update);
        testkit::Heard rt(&link, &HID_INTERDACE::HID_get_rt_data);
        link.start();
        // Before the path is handed over, every pass reports 1.
        QVERIFY(testkit::wait_until([&] { return states(st).count(1) >= 3; }));
        QVERIFY(!states(st).contains(0));

        link.hid_connect(QString::fromStdString(PATH));
        QCOMPARE(states(st).last(), 0);   // at once, in the caller's thread
        int mark = st.count();
        QTest::qWait(500);
        QCOMPARE(states(st, mark), QList<int>());

        const int enum_unplugged = hidsim::enumerate_count();
        hidsim::unplug(PATH);
        QTest::qWait(1000);
        // One state 1 for every pass since (each pass enumerates both id
        // pairs): all of them arrive, and no more.
        const int passes = (hidsim::enumerate_count() - enum_unplugged) / 2;
        QVERIFY(passes >= 3);
        QVERIFY(testkit::wait_until([&] { return states(st, mark).count(1) >= passes - 1; }));
        QVERIFY(states(st, mark).count(1) <= (hidsim::enumerate_count() - enum_unplugged) / 2 + 1);
        QVERIFY(!states(st, mark).contains(0));
        link.HID_interface_cmd(1);
        QCOMPARE(hidsim::writes(PATH).size(), size_t(0));

        hidsim::replug(PATH);
        QVERIFY(testkit::wait_until([&] { return states(st, mark).contains(0); }));
        mark = st.count();
        QTest::qWait(1000);
        QCOMPARE(states(st, mark), QList<int>());
        QCOMPARE(states(st).count(0), 2);
        QCOMPARE(hidsim::open_count(PATH), 2);
        // The vanished handle is released; the new one works.
        QVERIFY(testkit::wait_until([&] { return hidsim::open_handles(PATH) == 1; }));
        link.HID_interface_cmd(1);
        QVERIFY(testkit::wait_until([&] { return rt.count() == 1; }));
    }

    void moved_device_stays_not_connected()
    {
        plug_instrument();
        HID_INTERDACE link;
        testkit::Heard st(&link, &HID_INTERDACE::HID_status_update);
        link.start();
        link.hid_connect(QString::fromStdString(PATH));
        const int mark = st.count();
        hidsim::unplug(PATH);
        plug_instrument(0, "sim/other-port");
        QVERIFY(testkit::wait_until([&] { return states(st, mark).count(1) >= 5; }));
        QVERIFY(!states(st, mark).contains(0));
        QCOMPARE(hidsim::open_count("sim/other-port"), 0);
    }

    void stale_states_never_follow_connected()
    {
        plug_instrument();
        HID_INTERDACE link;
        testkit::Heard st(&link, &HID_INTERDACE::HID_status_update);
        link.start();
        // Hot-plug passes report 1 while this thread is busy: their
        // notices wait in its queue when the path arrives.
        QThread::msleep(450);
        link.hid_connect(QString::fromStdString(PATH));
        QTest::qWait(600);
        const QList<int> s = states(st);
        QVERIFY(s.contains(0));
        QCOMPARE(s.mid(s.indexOf(0)), QList<int>{0});
    }

    void failing_reads_do_not_spin()
    {
        Connected c;
        HID_INTERDACE &link = c.link;
        testkit::Heard &st = c.st, &rt = c.rt;
        hidsim::set_read_fails(PATH, true);
        QTest::qWait(200);
        const int before = hidsim::read_count(PATH);
        QTest::qWait(1000);
        QVERIFY2(hidsim::read_count(PATH) - before < 50, "reader thread spins on a failing device");
        hidsim::set_read_fails(PATH, false);
        QVERIFY(testkit::wait_until([&] { return states(st).last() == 0; }, 5000));
        link.HID_interface_cmd(1);
        QVERIFY(testkit::wait_until([&] { return rt.count() == 1; }));
    }

    // One failed read is no loss: the link stays connected on its handle.
    void one_failed_read_keeps_the_link()
    {
        Connected c;
        HID_INTERDACE &link = c.link;
        testkit::Heard &st = c.st, &rt = c.rt;
        const int reads = hidsim::read_count(PATH);
        hidsim::fail_next_reads(PATH, 1);
        QVERIFY(testkit::wait_until([&] { return hidsim::read_count(PATH) > reads + 1; }));
        QTest::qWait(300);
        QCOMPARE(states(st), QList<int>{0});
        QCOMPARE(hidsim::open_count(PATH), 1);
        link.HID_interface_cmd(1);
        QVERIFY(testkit::wait_until([&] { return rt.count() == 1; }));
    }

    // A handle that only fails while its path stays listed: replugged faster
    // than a hot-plug pass, or a device gone wrong. The link shows it
    // unplugged, shows no "connected" while reads still fail, and reopens
    // the path and reads again once it answers.
    void dead_handle_is_reopened_data()
    {
        QTest::addColumn<bool>("blip");
        QTest::newRow("replugged within a pass") << true;
        QTest::newRow("reads keep failing") << false;
    }
    void dead_handle_is_reopened()
    {
        QFETCH(bool, blip);
        Connected c;
        HID_INTERDACE &link = c.link;
        testkit::Heard &st = c.st, &rt = c.rt;
        if (blip) {
            hidsim::blip(PATH);
        } else {
            hidsim::set_read_fails(PATH, true);
        }
        QVERIFY(testkit::wait_until([&] { return states(st).contains(1); }, 3000));
        if (!blip) {
            // Reopened handles fail too: no state claims otherwise.
            QTest::qWait(1500);
            QCOMPARE(states(st).last(), 1);
            QCOMPARE(states(st).count(0), 1);
            hidsim::set_read_fails(PATH, false);
        }
        QVERIFY(testkit::wait_until([&] { return states(st).last() == 0; }, 5000));
        QVERIFY(hidsim::open_count(PATH) >= 2);
        link.HID_interface_cmd(1);
        QVERIFY(testkit::wait_until([&] { return rt.count() == 1; }));
        // Every handle given up is closed; the one in use stays open.
        QVERIFY(testkit::wait_until([&] { return hidsim::open_handles(PATH) == 1; }));
    }

    // Reads or writes that keep failing while the device stays listed: the
    // link shows "not connected" throughout, reopens less and less often
    // instead of every pass, logs the spell once, and comes back once the
    // device works again.
    void lasting_failure_is_spaced_and_logged_once_data()
    {
        QTest::addColumn<bool>("writes");
        QTest::newRow("reads fail") << false;
        QTest::newRow("writes fail") << true;
    }
    void lasting_failure_is_spaced_and_logged_once()
    {
        QFETCH(bool, writes);
        Connected c;
        HID_INTERDACE &link = c.link;
        testkit::Heard &st = c.st, &rt = c.rt;
        testkit::LogLines log(QStringLiteral("usb_help/"));
        const int opens = hidsim::open_count(PATH);
        const int mark = st.count();
        if (writes)
            hidsim::set_write_fails(PATH, true);
        else
            hidsim::set_read_fails(PATH, true);
        // Five seconds, polled as a window does (faster, to fail sooner).
        QElapsedTimer spell;
        spell.start();
        while (!spell.hasExpired(5000)) {
            link.HID_interface_cmd(1);
            QTest::qWait(200);
        }
        const int reopens = hidsim::open_count(PATH) - opens;
        // A reopen every pass would be ~50.
        QVERIFY2(reopens >= 1 && reopens <= 10, qPrintable(QString::number(reopens)));
        QVERIFY(!states(st, mark).isEmpty());
        QCOMPARE(states(st, mark).last(), 1);
        QVERIFY(!states(st, mark).contains(0));
        QCOMPARE(log.lines().size(), 1);
        QVERIFY2(log.lines().first().startsWith(writes ? "hid write failed" : "hid read failed"),
                 qPrintable(log.lines().first()));

        hidsim::set_write_fails(PATH, false);
        hidsim::set_read_fails(PATH, false);
        QElapsedTimer back;
        back.start();
        bool again = false;
        while (!again && !back.hasExpired(8000)) {
            link.HID_interface_cmd(1);
            again = testkit::wait_until([&] { return states(st).last() == 0; }, 200);
        }
        QVERIFY(again);
        QVERIFY(testkit::wait_until([&] { return rt.count() >= 1; }));
        QVERIFY(testkit::wait_until([&] { return hidsim::open_handles(PATH) == 1; }));
    }

    void simulated_kq257_answers_as_the_window_expects()
    {
        const hidsim::DeviceSpec spec = hidsim::model_device("KQ257");
        QCOMPARE(spec.product, std::wstring(L"KQ257 温湿度计"));
        hidsim::plug(spec, hidsim::make_model("KQ257"));
        HID_INTERDACE link;
        testkit::Heard rt(&link, &HID_INTERDACE::HID_get_rt_data);
        testkit::Heard saved(&link, &HID_INTERDACE::HID_get_save_data);
        link.start();
        link.hid_connect(QString::fromStdString(spec.path));
        link.HID_interface_cmd(1);
        QVERIFY(testkit::wait_until([&] { return rt.count() == 1; }));
        const QVector<quint16> w = words_of(rt, 0);
        QCOMPARE(w.size(), 4);
        const qint64 time = w[1] * 65536LL + w[0];
        QVERIFY(qAbs(time - QDateTime::currentSecsSinceEpoch()) < 60);
        const double celsius = qint16(w[2]) * 0.01, rh = w[3] * 0.01;
        QVERIFY(celsius > 15 && celsius < 30);
        QVERIFY(rh > 30 && rh < 60);

        link.HID_interface_cmd(2);
        QVERIFY(testkit::wait_until([&] { return saved.count() == 1; }, 10000));
        const QVector<quint16> records = words_of(saved, 0);
        QCOMPARE(records.size() % 4, 0);
        QVERIFY(records.size() >= 8);
        // Records come oldest first, a minute apart.
        QCOMPARE(records[5] * 65536LL + records[4] - (records[1] * 65536LL + records[0]), 60LL);
    }

    void destructor_ends_threads_and_closes_once()
    {
        plug_instrument(3);
        const int exits = hidsim::exit_count();
        auto link = std::make_unique<HID_INTERDACE>();
        link->start();
        link->hid_connect(QString::fromStdString(PATH));
        link->HID_interface_cmd(2);   // the reader is waiting on the device
        QTest::qWait(300);
        QThread *reader = link.get();
        link.reset();
        Q_UNUSED(reader);
        QCOMPARE(hidsim::open_count(PATH), 1);
        QCOMPARE(hidsim::close_count(PATH), 1);
        QCOMPARE(hidsim::open_handles(PATH), 0);
        QCOMPARE(hidsim::exit_count(), exits + 1);
        // Neither thread runs on.
        const int reads = hidsim::read_count(PATH), inits = hidsim::init_count();
        QTest::qWait(500);
        QCOMPARE(hidsim::read_count(PATH), reads);
        QCOMPARE(hidsim::init_count(), inits);
    }

    // Ended before its thread has got going, or while the hot-plug pass is
    // inside an enumeration: nothing is left running.
    void destructor_right_after_start()
    {
        plug_instrument();
        for (int i = 0; i < 30; ++i) {
            hidsim::set_enumerate_delay(i % 2 ? 30 : 0);
            const int enumerations = hidsim::enumerate_count();
            auto link = std::make_unique<HID_INTERDACE>();
            link->start();
            if (i % 3 == 0)
                link->hid_connect(QString::fromStdString(PATH));
            if (i % 2)
                QVERIFY(testkit::wait_until([&] { return hidsim::enumerate_count() > enumerations; }));
            link.reset();
        }
        const int enumerations = hidsim::enumerate_count();
        QTest::qWait(300);
        QCOMPARE(hidsim::enumerate_count(), enumerations);
        QCOMPARE(hidsim::open_handles(PATH), 0);
    }

    void destructor_after_replug_closes_each_handle_once()
    {
        plug_instrument();
        {
            HID_INTERDACE link;
            testkit::Heard st(&link, &HID_INTERDACE::HID_status_update);
            link.start();
            link.hid_connect(QString::fromStdString(PATH));
            hidsim::unplug(PATH);
            QVERIFY(testkit::wait_until([&] { return states(st).count(1) >= 2; }));
            hidsim::replug(PATH);
            QVERIFY(testkit::wait_until([&] { return states(st).count(0) == 2; }));
        }
        QCOMPARE(hidsim::open_count(PATH), 2);
        QCOMPARE(hidsim::close_count(PATH), 2);
        QCOMPARE(hidsim::open_handles(PATH), 0);
    }
};

QTEST_MAIN(tst_hid_interdace)
#include "tst_hid_interdace.moc"
