#include "usb_help/usb_helper.h"
#include "usb_help/usb_operate.h"
#include "hidsim.h"
#include "testkit.h"

#include <QtTest>

namespace {

struct Dev
{
    uint16_t vid, pid;
    std::string path;
    std::wstring product;
    bool open_fails;
};

void plug_all(const QVector<Dev> &devs)
{
    for (const Dev &d : devs) {
        hidsim::DeviceSpec spec;
        spec.vendor_id = d.vid;
        spec.product_id = d.pid;
        spec.path = d.path;
        spec.product = d.product;
        hidsim::plug(spec, nullptr);
        hidsim::set_open_fails(d.path, d.open_fails);
    }
}

// Every pass starts with one hid_init: once n passes have started, n - 1
// have ended.
bool wait_passes(int n)
{
    return testkit::wait_until([&] { return hidsim::init_count() >= n; }, 10000);
}

const uint16_t VA = 0x6E72, PA = 0x5721, VB = 0x0483, PB = 0x5750;

struct Writer : USB_OPERATE
{
    using USB_OPERATE::handle;
};

}

typedef QVector<Dev> Devs;
Q_DECLARE_METATYPE(Devs)

class tst_usb_recognition : public QObject
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

    void recognition_data()
    {
        QTest::addColumn<Devs>("devices");
        QTest::addColumn<QString>("name");   // empty: nothing recognised
        QTest::addColumn<QString>("path");

        const std::wstring kq257 = L"KQ257 温湿度计", kq285 = L"KQ285 噪音计";
        QTest::newRow("one KQ257") << Devs{{VA, PA, "a1", kq257, false}} << "KQ257 温湿度计" << "a1";
        QTest::newRow("two supported: the first in enumeration order")
            << Devs{{VA, PA, "a1", kq285, false}, {VA, PA, "a2", kq257, false}} << "KQ285 噪音计" << "a1";
        QTest::newRow("the first does not open: the next one")
            << Devs{{VA, PA, "a1", kq285, true}, {VA, PA, "a2", kq257, false}} << "KQ257 温湿度计" << "a2";
        QTest::newRow("pair A unsupported device hides pair B")
            << Devs{{VA, PA, "a1", L"Keyboard", false}, {VB, PB, "b1", kq257, false}} << "" << "";
        QTest::newRow("pair B alone") << Devs{{VB, PB, "b1", kq285, false}} << "KQ285 噪音计" << "b1";
        QTest::newRow("case differs") << Devs{{VA, PA, "a1", L"kq257 温湿度计", false}} << "" << "";
        QTest::newRow("trailing blank") << Devs{{VA, PA, "a1", L"KQ240 ", false}} << "" << "";
        QTest::newRow("KQ240 over HID") << Devs{{VA, PA, "a1", L"KQ240", false}} << "KQ240" << "a1";
        QTest::newRow("other ids") << Devs{{0x1234, PA, "x1", kq257, false}} << "" << "";
        QTest::newRow("only device busy") << Devs{{VA, PA, "a1", kq257, true}} << "" << "";
    }

    void recognition()
    {
        QFETCH(Devs, devices);
        QFETCH(QString, name);
        QFETCH(QString, path);
        plug_all(devices);
        USB_AUTO_RECOGNITION r;
        testkit::Heard spy(&r, &USB_AUTO_RECOGNITION::recognition_HID);
        r.start();
        if (name.isEmpty()) {
            QVERIFY(wait_passes(2 + devices.size()));
            QCoreApplication::processEvents();
            QCOMPARE(spy.count(), 0);
        } else {
            QVERIFY(spy.wait(10000));
            QCOMPARE(spy.count(), 1);
            QCOMPARE(spy[0][0].toString(), name);
            QCOMPARE(spy[0][1].toString(), path);
            // The test open is closed again before the report.
            QCOMPARE(hidsim::open_handles(path.toStdString()), 0);
            QCOMPARE(hidsim::open_count(path.toStdString()), 1);
            QCOMPARE(hidsim::close_count(path.toStdString()), 1);
        }
    }

    void busy_device_reported_once_free()
    {
        plug_all({{VA, PA, "a1", L"KQ263 照度计", true}});
        USB_AUTO_RECOGNITION r;
        testkit::Heard spy(&r, &USB_AUTO_RECOGNITION::recognition_HID);
        r.start();
        QVERIFY(wait_passes(3));
        QCOMPARE(spy.count(), 0);
        hidsim::set_open_fails("a1", false);
        QVERIFY(spy.wait(10000));
        QCOMPARE(spy[0][0].toString(), QString("KQ263 照度计"));

        // No pass after the report, whatever happens to the device.
        const int inits = hidsim::init_count();
        hidsim::unplug("a1");
        hidsim::replug("a1");
        QTest::qWait(2500);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(hidsim::init_count(), inits);
        QCOMPARE(hidsim::open_count("a1"), 1);
    }

    void destructor_ends_the_search()
    {
        const int exits = hidsim::exit_count();
        {
            USB_AUTO_RECOGNITION r;
            r.start();
            QVERIFY(wait_passes(2));
        }
        QCOMPARE(hidsim::exit_count(), exits + 1);
        // Nothing runs on: no more passes.
        const int inits = hidsim::init_count();
        QTest::qWait(1500);
        QCOMPARE(hidsim::init_count(), inits);
    }

    // Ended in the middle of a pass: the library is released only after the
    // thread has finished with it.
    void destructor_waits_for_the_pass()
    {
        plug_all({{VA, PA, "a1", L"Keyboard", false}});
        hidsim::set_enumerate_delay(300);
        {
            USB_AUTO_RECOGNITION r;
            r.start();
            QVERIFY(testkit::wait_until([] { return hidsim::enumerate_count() >= 1; }));
        }
        QCOMPARE(hidsim::exit_count(), 1);
        QVERIFY(hidsim::misuse().empty());
    }

    void write_pads_to_the_report()
    {
        hidsim::DeviceSpec spec;
        spec.path = "w1";
        hidsim::plug(spec, nullptr);
        Writer w;
        const char frame[] = {char(0xAA), 0x55, 0x01, 0x03, 0x03};
        w.usb_write(frame, 5);   // no handle: nothing
        hid_device *dev = hid_open_path("w1");
        QVERIFY(dev);
        w.handle = dev;
        w.usb_write(frame, 5);
        hid_close(dev);
        const auto writes = hidsim::writes("w1");
        QCOMPARE(writes.size(), size_t(1));
        hidsim::Bytes expected(65, 0);
        std::copy(frame, frame + 5, expected.begin() + 1);
        QVERIFY(writes[0] == expected);
    }
};

QTEST_MAIN(tst_usb_recognition)
#include "tst_usb_recognition.moc"
