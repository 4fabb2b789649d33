// Random reports through the frame parser, built with AddressSanitizer and
// UndefinedBehaviorSanitizer: any access outside the frame buffer aborts.
#include "data_process/data_process.h"

#include <QtTest>
#include <memory>
#include <random>

namespace {
void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

QByteArray good_frame()
{
    QByteArray f = QByteArray::fromHex("55AA0105EFBE");
    f.append(char(HID_DATA_PROCESS::check_sum(f.constData(), uint16_t(f.size()))));
    return f;
}
}

class fuzz_frame_parser : public QObject
{
    Q_OBJECT
private slots:
    void random_reports_stay_in_bounds_and_recover()
    {
        qInstallMessageHandler(quiet);
        std::mt19937 rng(20261210);
        std::uniform_int_distribution<int> byte(0, 255), pick(0, 9);
        HID_DATA_PROCESS p;
        char buf[64];
        for (int round = 0; round < 200000; ++round) {
            for (int i = 0; i < 64; ++i) {
                // Bias towards frame starts, command bytes and edge lengths.
                switch (pick(rng)) {
                case 0: buf[i] = char(0x55); break;
                case 1: buf[i] = char(0xAA); break;
                case 2: buf[i] = char(1 + byte(rng) % 2); break;
                case 3: { const int edges[] = {0, 1, 2, 3, 4, 253, 254, 255}; buf[i] = char(edges[byte(rng) % 8]); break; }
                default: buf[i] = char(byte(rng)); break;
                }
            }
            p.set_hold(uint8_t(round % 97 == 0));
            p.data_receive(buf, uint8_t(64 - round % 3));
            // At most one frame that began earlier (125 words at most) plus
            // what the report's own bytes can hold.
            QVERIFY(p.get_rt_words().size() + p.get_save_words().size() <= 125 + 30);
        }
        // Zeros finish any frame in progress and then reset the machine; a
        // good frame after that is found again.
        p.set_hold(0);
        const QByteArray zeros(64, '\0');
        for (int i = 0; i < 5; ++i)
            p.data_receive(zeros.constData(), 64);
        QByteArray r = good_frame();
        r.append(QByteArray(64 - r.size(), '\0'));
        p.data_receive(r.constData(), 64);
        QCOMPARE(p.get_rt_words(), QQueue<quint16>() << 0xBEEF);
        qInstallMessageHandler(nullptr);
    }

    // The check of a complete frame, given a buffer of exactly the parser's
    // 256 bytes on the heap (so that a read past it aborts), for every
    // length byte: words only with the right sum, never a byte beyond.
    void analysis_stays_in_its_buffer()
    {
        qInstallMessageHandler(quiet);
        std::mt19937 rng(7);
        HID_DATA_PROCESS p;
        for (int len = 0; len < 256; ++len) {
            for (int cmd = 1; cmd <= 2; ++cmd) {
                for (bool good_sum : {true, false}) {
                    std::unique_ptr<uint8_t[]> frame(new uint8_t[256]);
                    for (int i = 0; i < 256; ++i)
                        frame[i] = uint8_t(rng());
                    frame[0] = 0x55;
                    frame[1] = 0xAA;
                    frame[2] = uint8_t(cmd);
                    frame[3] = uint8_t(len);
                    if (len + 1 < 256) {
                        const uint8_t sum = HID_DATA_PROCESS::check_sum(reinterpret_cast<const char *>(frame.get()),
                                                                        uint16_t(len + 1));
                        frame[len + 1] = uint8_t(good_sum ? sum : sum + 1);
                    }
                    p.data_receive(nullptr, 0);   // empties the word lists
                    p.data_analysis(frame.get());
                    const int words = p.get_rt_words().size() + p.get_save_words().size();
                    const bool whole = len >= 3 && len <= 254;
                    QCOMPARE(words, whole && good_sum && len > 4 ? (len - 3) / 2 : 0);
                }
            }
        }
        qInstallMessageHandler(nullptr);
    }
};

QTEST_MAIN(fuzz_frame_parser)
#include "fuzz_frame_parser.moc"
