#include "usb_help/usb_helper_link.h"
#include "general_instrument.h"
#include "hidsim.h"
#include "testkit.h"

#include <QtTest>
#include <memory>

namespace {

const uint16_t VA = 0x6E72, PA = 0x5721, VB = 0x0483, PB = 0x5750;

struct Dev
{
    uint16_t vid, pid;
    std::string path;
    std::wstring product;
    bool open_fails;
};

QByteArray bytes(const hidsim::Bytes &b)
{
    return QByteArray(reinterpret_cast<const char *>(b.data()), int(b.size()));
}

hidsim::Bytes from(const QByteArray &a)
{
    return hidsim::Bytes(a.begin(), a.end());
}

// What the link writes for a frame: report id 0, the frame, zeros to 65 bytes.
QByteArray padded_report(const QByteArray &frame)
{
    QByteArray r(65, '\0');
    r.replace(1, frame.size(), frame);
    return r;
}

// 55 AA cmd L payload sum, with L taken from the payload; a wrong sum on request.
QByteArray answer(uint8_t cmd, const QByteArray &payload, bool good_sum = true)
{
    QByteArray f = QByteArray::fromHex("55AA");
    f.append(char(cmd));
    f.append(char(payload.size() + 3));
    f.append(payload);
    f.append(char(hidsim::frame_sum(from(f)) + (good_sum ? 0 : 1)));
    return f;
}

QByteArray word_payload(const QVector<quint16> &words)
{
    QByteArray p;
    for (quint16 w : words)
        p.append(char(w & 0xFF)).append(char(w >> 8));
    return p;
}

QVector<quint16> counting_words(int n, quint16 first)
{
    QVector<quint16> w;
    for (int i = 0; i < n; ++i)
        w << quint16(first + i);
    return w;
}

QVector<quint16> vec(const QQueue<quint16> &q)
{
    return QVector<quint16>(q.begin(), q.end());
}

QList<int> states(const testkit::Heard &spy, int from = 0)
{
    QList<int> out;
    for (int i = from; i < spy.count(); ++i)
        out << spy[i][0].toInt();
    return out;
}

std::shared_ptr<hidsim::GeneralInstrument> plug(const Dev &d, int stored_frames = 0)
{
    auto inst = std::make_shared<hidsim::GeneralInstrument>(
        [](int n) { return hidsim::Words{uint16_t(0x1000 + n), 0x6553}; },
        [](int i) { return hidsim::Words{uint16_t(0x2000 + i)}; }, stored_frames);
    hidsim::DeviceSpec spec;
    spec.vendor_id = d.vid;
    spec.product_id = d.pid;
    spec.path = d.path;
    spec.product = d.product;
    hidsim::plug(spec, inst);
    hidsim::set_open_fails(d.path, d.open_fails);
    return inst;
}

const Dev KQ285_A{VA, PA, "sim/a1", L"KQ285 噪音计", false};
const Dev KQ285_B{VB, PB, "sim/b1", L"KQ285 噪音计", false};

// A started link that has reported its first state.
struct Rig
{
    USB_HELPER link;
    testkit::Heard status{&link, &USB_HELPER::HID_connect_status};
    testkit::Heard rt{&link, &USB_HELPER::HID_get_rt_data};
    testkit::Heard saved{&link, &USB_HELPER::HID_get_save_data};

    bool start()
    {
        link.start();
        return testkit::wait_until([&] { return status.count() > 0; });
    }
};

}

typedef QVector<Dev> Devs;
typedef QVector<QByteArray> Reports;
Q_DECLARE_METATYPE(Devs)
Q_DECLARE_METATYPE(Reports)

class tst_usb_helper_link : public QObject
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

    // The product table decides what is opened; the id pair decides what a
    // poll looks like on the wire.
    void finds_and_opens_by_product_table_data()
    {
        QTest::addColumn<Devs>("devices");
        QTest::addColumn<QString>("path");   // empty: nothing opened
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("poll");

        const QByteArray frame_poll = QByteArray::fromHex("AA55010303"), byte_poll = QByteArray::fromHex("B3");
        QTest::newRow("pair A: frames") << Devs{KQ285_A} << "sim/a1" << "KQ285 噪音计" << frame_poll;
        QTest::newRow("the first does not open: the next one")
            << Devs{{VA, PA, "sim/a1", L"KQ285 噪音计", true}, {VA, PA, "sim/a2", L"KQ257 温湿度计", false}}
            << "sim/a2" << "KQ257 温湿度计" << frame_poll;
        QTest::newRow("pair B: single bytes") << Devs{KQ285_B} << "sim/b1" << "KQ285 噪音计" << byte_poll;
        QTest::newRow("trailing blank") << Devs{{VA, PA, "sim/a1", L"KQ240 ", false}} << "" << "" << QByteArray();
        QTest::newRow("unsupported pair A device hides pair B")
            << Devs{{VA, PA, "sim/a1", L"Keyboard", false}, KQ285_B} << "" << "" << QByteArray();
    }

    void finds_and_opens_by_product_table()
    {
        QFETCH(Devs, devices);
        QFETCH(QString, path);
        QFETCH(QString, name);
        QFETCH(QByteArray, poll);
        for (const Dev &d : devices)
            plug(d);
        Rig rig;
        QVERIFY(rig.start());
        QCOMPARE(rig.status.first()[0].toInt(), path.isEmpty() ? -1 : 0);
        for (const Dev &d : devices)
            QCOMPARE(hidsim::open_handles(d.path), d.path == path.toStdString() ? 1 : 0);
        if (path.isEmpty())
            return;
        QCOMPARE(rig.link.production(), name);
        rig.link.HID_wirte(1);
        const auto w = hidsim::writes(path.toStdString());
        QCOMPARE(w.size(), size_t(1));
        QCOMPARE(bytes(w[0]).toHex(' '), padded_report(poll).toHex(' '));
    }

    void command_bytes_data()
    {
        QTest::addColumn<bool>("pair_b");
        QTest::addColumn<bool>("three_args");
        QTest::addColumn<int>("cmd");
        QTest::addColumn<int>("data1");
        QTest::addColumn<int>("data2");
        QTest::addColumn<QByteArray>("frame");   // empty: nothing written

        QTest::newRow("0") << false << false << 0 << 0 << 0 << QByteArray::fromHex("AA55000302");
        QTest::newRow("1") << false << false << 1 << 0 << 0 << QByteArray::fromHex("AA55010303");
        QTest::newRow("2") << false << false << 2 << 0 << 0 << QByteArray::fromHex("AA55020304");
        QTest::newRow("4 unit 2") << false << true << 4 << 2 << 0 << QByteArray::fromHex("AA55040502000A");
        QTest::newRow("4 low bytes") << false << true << 4 << 0x1FF << 0x203 << QByteArray::fromHex("AA550405FF030A");
        QTest::newRow("4 one argument") << false << false << 4 << 0 << 0 << QByteArray();
        QTest::newRow("6 not known here") << false << false << 6 << 0 << 0 << QByteArray();
        QTest::newRow("-1") << false << false << -1 << 0 << 0 << QByteArray();
        QTest::newRow("1 three arguments") << false << true << 1 << 0 << 0 << QByteArray();
        QTest::newRow("single 0") << true << false << 0 << 0 << 0 << QByteArray();
        QTest::newRow("single 1") << true << false << 1 << 0 << 0 << QByteArray::fromHex("B3");
        QTest::newRow("single 2") << true << false << 2 << 0 << 0 << QByteArray();
        QTest::newRow("single 3") << true << false << 3 << 0 << 0 << QByteArray();
        QTest::newRow("single 4") << true << true << 4 << 2 << 0 << QByteArray::fromHex("AA55040502000A");
    }

    void command_bytes()
    {
        QFETCH(bool, pair_b);
        QFETCH(bool, three_args);
        QFETCH(int, cmd);
        QFETCH(int, data1);
        QFETCH(int, data2);
        QFETCH(QByteArray, frame);
        const Dev dev = pair_b ? KQ285_B : KQ285_A;
        plug(dev);
        Rig rig;
        QVERIFY(rig.start());
        QCOMPARE(rig.status.first()[0].toInt(), 0);
        if (three_args)
            rig.link.HID_wirte(cmd, data1, data2);
        else
            rig.link.HID_wirte(cmd);
        const auto w = hidsim::writes(dev.path);
        if (frame.isEmpty()) {
            QCOMPARE(w.size(), size_t(0));
        } else {
            QCOMPARE(w.size(), size_t(1));
            QCOMPARE(bytes(w[0]).toHex(' '), padded_report(frame).toHex(' '));
        }
    }

    // UTC+8 wall time from the PC zone's own offset: a PC zone called "UTC"
    // gets no exception here.
    void clock_frame_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QByteArray>("frame");
        const QByteArray at_14 = QByteArray::fromHex("AA55030A090714020503245E");
        QTest::newRow("PC in UTC+8") << QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9), QTimeZone(8 * 3600)) << at_14;
        QTest::newRow("PC in UTC+1") << QDateTime(QDate(2024, 3, 5), QTime(7, 7, 9), QTimeZone(3600)) << at_14;
        QTest::newRow("PC zone UTC") << QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::UTC)
                                     << QByteArray::fromHex("AA55030A090722020503246C");
    }

    void clock_frame()
    {
        QFETCH(QDateTime, now);
        QFETCH(QByteArray, frame);
        testkit::FixedClock clock(now);
        plug(KQ285_A);
        Rig rig;
        QVERIFY(rig.start());
        rig.link.HID_wirte(3);
        const auto w = hidsim::writes(KQ285_A.path);
        QCOMPARE(w.size(), size_t(1));
        QCOMPARE(bytes(w[0]).toHex(' '), padded_report(frame).toHex(' '));
    }

    void not_connected_writes_nothing()
    {
        plug({VA, PA, "sim/a1", L"KQ285 噪音计", true});
        Rig rig;
        rig.link.start();
        QVERIFY(testkit::wait_until([&] { return hidsim::enumerate_count() > 0; }));
        QTest::qWait(300);
        // Listed but it does not open: no state at all.
        QCOMPARE(rig.status.count(), 0);
        rig.link.HID_wirte(1);
        rig.link.HID_wirte(4, 1, 0);
        QCOMPARE(hidsim::writes(KQ285_A.path).size(), size_t(0));
    }

    // Input reports into the two word lists, one signal per checked frame.
    void receive_path_data()
    {
        QTest::addColumn<Reports>("reports");
        QTest::addColumn<int>("rt_signals");
        QTest::addColumn<QVector<quint16>>("rt_words");
        QTest::addColumn<int>("save_signals");
        QTest::addColumn<QVector<quint16>>("read_words");

        using W = QVector<quint16>;
        const QByteArray rt_a = answer(1, word_payload({0x0102, 0x0304}));
        const QByteArray rt_b = answer(1, word_payload({0x0506}));
        QTest::newRow("one real-time frame") << Reports{rt_a} << 1 << W{0x0102, 0x0304} << 0 << W{};
        QTest::newRow("two in one report: two signals") << Reports{rt_a + rt_b} << 2 << W{0x0102, 0x0304, 0x0506} << 0 << W{};
        QTest::newRow("straddling two reports")
            << Reports{QByteArray(60, '\0') + rt_a.left(4), rt_a.mid(4)} << 1 << W{0x0102, 0x0304} << 0 << W{};
        QTest::newRow("no words: signal all the same") << Reports{answer(1, QByteArray::fromHex("07"))} << 1 << W{} << 0 << W{};
        QTest::newRow("wrong sum: dropped") << Reports{answer(1, word_payload({0x0102}), false) + rt_b} << 1 << W{0x0506} << 0 << W{};
        // 55 AA 01 3F: a frame longer than a report would overrun the
        // buffer; it is dropped and the search goes on right after it.
        QTest::newRow("length 63: dropped") << Reports{QByteArray::fromHex("55AA013F") + rt_b} << 1 << W{0x0506} << 0 << W{};
        QTest::newRow("last stored frame") << Reports{answer(2, word_payload({0x2001, 0x2002}))} << 0 << W{} << 1
                                           << W{0x2001, 0x2002};
        // Length 62 fills a whole report; the odd last byte is no word.
        QByteArray longest;
        for (int i = 1; i <= 59; ++i)
            longest.append(char(i));
        W longest_words;
        for (int i = 0; i < 29; ++i)
            longest_words << quint16((2 * i + 1) | ((2 * i + 2) << 8));
        QTest::newRow("length 62, then the last frame")
            << Reports{answer(2, longest), answer(2, word_payload({0xBEEF}))} << 0 << W{} << 1
            << (longest_words + W{0xBEEF});
        QTest::newRow("stored and real-time in one report")
            << Reports{answer(2, word_payload({0x2001})) + rt_b} << 1 << W{0x0506} << 1 << W{0x2001};
    }

    void receive_path()
    {
        QFETCH(Reports, reports);
        QFETCH(int, rt_signals);
        QFETCH(QVector<quint16>, rt_words);
        QFETCH(int, save_signals);
        QFETCH(QVector<quint16>, read_words);
        plug(KQ285_A);
        Rig rig;
        QVERIFY(rig.start());
        for (const QByteArray &r : reports)
            hidsim::push_report(KQ285_A.path, from(r));
        QVERIFY(testkit::wait_until([&] { return rig.rt.count() >= rt_signals && rig.saved.count() >= save_signals; }));
        QTest::qWait(save_signals ? 2500 : 300);   // nothing further, no over-time signal either
        QCOMPARE(rig.rt.count(), rt_signals);
        QCOMPARE(rig.saved.count(), save_signals);
        QCOMPARE(vec(rig.link.take_rt_list()), rt_words);
        QCOMPARE(vec(rig.link.take_read_list()), read_words);
        QCOMPARE(vec(rig.link.take_rt_list()), QVector<quint16>());
    }

    void poll_answered_by_the_instrument()
    {
        plug(KQ285_A);
        Rig rig;
        QVERIFY(rig.start());
        rig.link.HID_wirte(1);
        QVERIFY(rig.rt.wait());
        QCOMPARE(vec(rig.link.take_rt_list()), (QVector<quint16>{0x1000, 0x6553}));
    }

    void single_byte_mode_parses_nothing()
    {
        plug(KQ285_B);
        Rig rig;
        QVERIFY(rig.start());
        QCOMPARE(rig.status.first()[0].toInt(), 0);
        hidsim::push_report(KQ285_B.path, from(answer(1, word_payload({0x0102}))));
        hidsim::push_report(KQ285_B.path, from(answer(2, word_payload({0x0102}))));
        QVERIFY(testkit::wait_until([&] { return hidsim::read_count(KQ285_B.path) > 20; }));
        QTest::qWait(200);
        QCOMPARE(rig.rt.count() + rig.saved.count(), 0);
        QCOMPARE(vec(rig.link.take_rt_list()), QVector<quint16>());
    }

    // Stored frames that say more follow: the upload ends 2 s after the
    // last of them, once, and a later upload ends the same way.
    void over_time_ends_an_upload()
    {
        plug(KQ285_A);   // answers command 2 with nothing
        Rig rig;
        QVERIFY(rig.start());
        rig.link.HID_wirte(2);
        QTest::qWait(2500);
        QCOMPARE(rig.saved.count(), 0);   // no stored frame, no over-time period

        QVector<quint16> expected;
        for (int i = 0; i < 3; ++i) {
            const QVector<quint16> w = counting_words(28, quint16(0x100 * (i + 1)));   // length 59
            hidsim::push_report(KQ285_A.path, from(answer(2, word_payload(w))));
            expected += w;
            QTest::qWait(1200);
        }
        // 1.2 s after the last frame: still collecting.
        QCOMPARE(rig.saved.count(), 0);
        QVERIFY(rig.saved.wait());
        QCOMPARE(vec(rig.link.take_read_list()), expected);
        QTest::qWait(2500);
        QCOMPARE(rig.saved.count(), 1);

        const QVector<quint16> again = counting_words(28, 0x700);
        hidsim::push_report(KQ285_A.path, from(answer(2, word_payload(again))));
        QVERIFY(rig.saved.wait());
        QCOMPARE(vec(rig.link.take_read_list()), again);
        QTest::qWait(2500);
        QCOMPARE(rig.saved.count(), 2);
    }

    void lost_device_reports_minus_one_and_reopens()
    {
        plug(KQ285_A);
        const int exits = hidsim::exit_count();
        Rig rig;
        QVERIFY(rig.start());
        QCOMPARE(states(rig.status), QList<int>{0});
        // Present: 0 again on the next pass.
        QVERIFY(testkit::wait_until([&] { return rig.status.count() >= 2; }));
        QCOMPARE(states(rig.status), (QList<int>{0, 0}));

        int mark = rig.status.count();
        hidsim::unplug(KQ285_A.path);
        QVERIFY(testkit::wait_until([&] { return states(rig.status, mark).contains(-1); }));
        QVERIFY(!states(rig.status, mark).contains(0));
        QCOMPARE(hidsim::close_count(KQ285_A.path), 1);
        QCOMPARE(hidsim::open_handles(KQ285_A.path), 0);
        QVERIFY(hidsim::exit_count() > exits);
        rig.link.HID_wirte(1);
        QCOMPARE(hidsim::writes(KQ285_A.path).size(), size_t(0));
        // Not connected and nothing there: -1 on every pass.
        mark = rig.status.count();
        QVERIFY(testkit::wait_until([&] { return rig.status.count() > mark; }));
        QCOMPARE(states(rig.status, mark), QList<int>{-1});

        hidsim::replug(KQ285_A.path);
        mark = rig.status.count();
        QVERIFY(testkit::wait_until([&] { return states(rig.status, mark).contains(0); }));
        QCOMPARE(hidsim::open_count(KQ285_A.path), 2);
        rig.link.HID_wirte(1);
        QVERIFY(rig.rt.wait());
    }

    void vanished_path_with_another_device()
    {
        const Dev second{VA, PA, "sim/a2", L"KQ257 温湿度计", false};
        plug(KQ285_A);
        plug(second);
        Rig rig;
        QVERIFY(rig.start());
        QCOMPARE(hidsim::open_handles(KQ285_A.path), 1);
        const int mark = rig.status.count();
        hidsim::unplug(KQ285_A.path);
        QVERIFY(testkit::wait_until([&] { return states(rig.status, mark).contains(0); }, 5000));
        QCOMPARE(states(rig.status, mark).mid(0, 2), (QList<int>{1, 0}));
        QCOMPARE(hidsim::close_count(KQ285_A.path), 1);
        QCOMPARE(hidsim::open_handles(second.path), 1);
        QCOMPARE(rig.link.production(), QString("KQ257 温湿度计"));
        rig.link.HID_wirte(1);
        QCOMPARE(hidsim::writes(second.path).size(), size_t(1));
    }

    // Deleted mid-upload, with the receive, hot-plug and over-time threads
    // all running: each ends first, then the device is closed once.
    void destructor_ends_threads_and_closes_once()
    {
        plug(KQ285_A);
        const int exits = hidsim::exit_count();
        auto rig = std::make_unique<Rig>();
        QVERIFY(rig->start());
        hidsim::push_report(KQ285_A.path, from(answer(2, word_payload(counting_words(28, 1)))));
        QTest::qWait(300);
        rig.reset();
        QCOMPARE(hidsim::open_count(KQ285_A.path), 1);
        QCOMPARE(hidsim::close_count(KQ285_A.path), 1);
        QCOMPARE(hidsim::open_handles(KQ285_A.path), 0);
        QCOMPARE(hidsim::exit_count(), exits + 1);
        const int reads = hidsim::read_count(KQ285_A.path), inits = hidsim::init_count();
        QTest::qWait(2500);
        QCOMPARE(hidsim::read_count(KQ285_A.path), reads);
        QCOMPARE(hidsim::init_count(), inits);
    }

    // Deleted before its thread got going, or while a hot-plug pass is
    // inside an enumeration: nothing is left running and nothing left open.
    void destructor_right_after_start()
    {
        plug(KQ285_A);
        for (int i = 0; i < 30; ++i) {
            hidsim::set_enumerate_delay(i % 2 ? 30 : 0);
            const int enumerations = hidsim::enumerate_count();
            auto link = std::make_unique<USB_HELPER>();
            link->start();
            if (i % 2)
                QVERIFY(testkit::wait_until([&] { return hidsim::enumerate_count() > enumerations; }));
            else if (i % 3 == 0)
                QVERIFY(testkit::wait_until([&] { return hidsim::open_handles(KQ285_A.path) == 1; }));
            link.reset();
            QCOMPARE(hidsim::open_handles(KQ285_A.path), 0);
        }
        const int enumerations = hidsim::enumerate_count();
        QTest::qWait(1200);
        QCOMPARE(hidsim::enumerate_count(), enumerations);
    }

    void never_started()
    {
        const int exits = hidsim::exit_count();
        {
            USB_HELPER link;
        }
        QCOMPARE(hidsim::exit_count(), exits + 1);
    }
};

QTEST_MAIN(tst_usb_helper_link)
#include "tst_usb_helper_link.moc"
