#include "data_process/data_process.h"
#include "general_instrument.h"

#include <QtTest>

namespace {

struct Parser : HID_DATA_PROCESS
{
    using HID_DATA_PROCESS::parse_state;
};

QByteArray bytes(const hidsim::Bytes &b)
{
    return QByteArray(reinterpret_cast<const char *>(b.data()), int(b.size()));
}

QByteArray frame(uint8_t cmd, const hidsim::Words &words)
{
    return bytes(hidsim::answer_frame(cmd, words));
}

// A frame with the length byte as given and a correct sum.
QByteArray raw_frame(uint8_t cmd, uint8_t len, const QByteArray &payload)
{
    QByteArray f = QByteArray::fromHex("55AA");
    f.append(char(cmd));
    f.append(char(len));
    f.append(payload);
    f.append(char(HID_DATA_PROCESS::check_sum(f.constData(), uint16_t(f.size()))));
    return f;
}

QByteArray report(const QByteArray &content)
{
    QByteArray r = content;
    r.append(QByteArray(64 - r.size() % 64, '\0').left(r.size() <= 64 ? 64 - r.size() : 0));
    return r;
}

hidsim::Words count_words(int n, uint16_t first = 0x0100)
{
    hidsim::Words w;
    for (int i = 0; i < n; ++i)
        w.push_back(uint16_t(first + i));
    return w;
}

QString text(const QVector<quint16> &words)
{
    QStringList out;
    for (quint16 w : words)
        out << QString("%1").arg(w, 4, 16, QLatin1Char('0'));
    return out.join(' ');
}

QString text(const hidsim::Words &words)
{
    return text(QVector<quint16>(words.begin(), words.end()));
}

// Cuts a byte stream into 64-byte reports, the last one padded.
QList<QByteArray> reports(const QByteArray &stream)
{
    QList<QByteArray> out;
    for (int at = 0; at < stream.size(); at += 64)
        out << report(stream.mid(at, 64));
    return out;
}

}

class tst_frame_parser : public QObject
{
    Q_OBJECT
private slots:
    void sequences_data();
    void sequences();
    void check_sum_data();
    void check_sum();
};

typedef QList<QByteArray> Reports;
Q_DECLARE_METATYPE(Reports)

// Each row: the reports in order, whether each is held, the real-time and
// stored words expected after each report, the sum errors logged, and the
// machine's state at the end.
void tst_frame_parser::sequences_data()
{
    QTest::addColumn<Reports>("input");
    QTest::addColumn<QString>("holds");
    QTest::addColumn<QStringList>("rt");
    QTest::addColumn<QStringList>("save");
    QTest::addColumn<QStringList>("sum_errors");
    QTest::addColumn<int>("end_state");

    const QByteArray a = frame(1, {0x1234, 0xABCD});
    const QByteArray b = frame(1, {0x0001});
    const QByteArray s = frame(2, {0xF100, 0x6553, 0x09E2, 0x1194});

    QTest::newRow("one real-time frame, zero filler after it")
        << Reports{report(a)} << "0" << QStringList{"1234 abcd"} << QStringList{""} << QStringList() << 0;
    QTest::newRow("two real-time frames in one report")
        << Reports{report(a + b)} << "0" << QStringList{"1234 abcd 0001"} << QStringList{""} << QStringList() << 0;
    QTest::newRow("real-time and stored frame in one report")
        << Reports{report(s + a)} << "0" << QStringList{"1234 abcd"} << QStringList{"f100 6553 09e2 1194"}
        << QStringList() << 0;
    {
        // The frame starts at byte 60: its header ends one report, its
        // payload and sum begin the next, which also holds frame b.
        const QByteArray first = QByteArray(60, '\0') + a.left(4);
        QTest::newRow("frame split after its length byte")
            << Reports{first, report(a.mid(4) + b)} << "00" << QStringList{"", "1234 abcd 0001"}
            << QStringList{"", ""} << QStringList() << 0;
    }
    {
        const hidsim::Words w = count_words(48);
        const QByteArray f = frame(2, w);   // L = 100, 102 bytes
        QTest::newRow("stored frame L=100 over two reports")
            << reports(f) << "00" << QStringList{"", ""} << QStringList{"", text(w)} << QStringList() << 0;
    }
    {
        const hidsim::Words w = count_words(125);
        const QByteArray f = frame(2, w);   // L = 254, 256 bytes: the whole buffer
        QTest::newRow("stored frame L=254 fills the buffer")
            << reports(f) << "0000" << QStringList{"", "", "", ""} << QStringList{"", "", "", text(w)}
            << QStringList() << 0;
    }
    QTest::newRow("L=3 with a correct sum: no words")
        << Reports{report(raw_frame(1, 3, {}))} << "0" << QStringList{""} << QStringList{""} << QStringList() << 0;
    QTest::newRow("L=4: one payload byte, no word")
        << Reports{report(raw_frame(2, 4, QByteArray::fromHex("07")))} << "0" << QStringList{""}
        << QStringList{""} << QStringList() << 0;
    QTest::newRow("L=5: one word")
        << Reports{report(raw_frame(1, 5, QByteArray::fromHex("3412")))} << "0" << QStringList{"1234"}
        << QStringList{""} << QStringList() << 0;
    QTest::newRow("L=6: one word, the odd byte belongs to none")
        << Reports{report(raw_frame(1, 6, QByteArray::fromHex("341299")))} << "0" << QStringList{"1234"}
        << QStringList{""} << QStringList() << 0;
    QTest::newRow("L=7: two words")
        << Reports{report(raw_frame(2, 7, QByteArray::fromHex("34127856")))} << "0" << QStringList{""}
        << QStringList{"1234 5678"} << QStringList() << 0;
    {
        QByteArray bad = raw_frame(1, 5, QByteArray::fromHex("3412"));
        bad[bad.size() - 1] = char(bad.back() + 1);
        QTest::newRow("wrong sum: dropped, next frame in the report still found")
            << Reports{report(bad + b)} << "0" << QStringList{"0001"} << QStringList{""}
            << QStringList{QString("check num error checksum = %1").arg(uint8_t(bad.back()))} << 0;
    }
    {
        // The dropped frame's payload holds a whole frame of its own; it is
        // not searched again.
        QByteArray inner = raw_frame(1, 3, {});
        QByteArray bad = raw_frame(1, uint8_t(3 + inner.size()), inner);
        bad[bad.size() - 1] = char(bad.back() ^ 0x40);
        QTest::newRow("wrong sum: its bytes are not searched again")
            << Reports{report(bad)} << "0" << QStringList{""} << QStringList{""}
            << QStringList{QString("check num error checksum = %1").arg(uint8_t(bad.back()))} << 0;
    }
    {
        const QByteArray f = raw_frame(1, 5, QByteArray::fromHex("3412"));
        QTest::newRow("55 55 AA 01: the frame is lost")
            << Reports{report(QByteArray::fromHex("55") + f)} << "0" << QStringList{""} << QStringList{""}
            << QStringList() << 0;
    }
    {
        // 00 and 05 are dropped in state 3; the 01 is the command byte, and
        // the sum is that of the bytes kept: 55 AA 01 05 34 12.
        QByteArray kept = QByteArray::fromHex("55AA01053412");
        QByteArray in = QByteArray::fromHex("55AA0005") + kept.mid(2);
        in.append(char(HID_DATA_PROCESS::check_sum(kept.constData(), uint16_t(kept.size()))));
        QTest::newRow("55 AA 00 05 01: other command bytes dropped")
            << Reports{report(in)} << "0" << QStringList{"1234"} << QStringList{""} << QStringList() << 0;
    }
    QTest::newRow("held report: lists emptied, nothing parsed")
        << Reports{report(a), report(b), report(s)} << "010" << QStringList{"1234 abcd", "", ""}
        << QStringList{"", "", "f100 6553 09e2 1194"} << QStringList() << 0;
    for (int len : {0, 1, 2, 255}) {
        for (int cmd : {1, 2}) {
            // A frame with an impossible length is dropped at its length
            // byte; the frame after it is found.
            QByteArray in = QByteArray::fromHex("55AA");
            in.append(char(cmd));
            in.append(char(len));
            in.append(QByteArray::fromHex("0102030405"));
            QTest::newRow(qPrintable(QString("length byte %1, command %2").arg(len).arg(cmd)))
                << Reports{report(in + b), report(QByteArray(64, char(0xFF))), report(a)} << "000"
                << QStringList{"0001", "", "1234 abcd"} << QStringList{"", "", ""} << QStringList() << 0;
        }
    }
    QTest::newRow("noise between frames")
        << Reports{report(QByteArray::fromHex("FF55AB0100") + a + QByteArray::fromHex("AA5501") + b)} << "0"
        << QStringList{"1234 abcd 0001"} << QStringList{""} << QStringList() << 0;
    QTest::newRow("unfinished frame carries over")
        << Reports{report(QByteArray(62, '\0') + a.left(2))} << "0" << QStringList{""} << QStringList{""}
        << QStringList() << 3;
}

void tst_frame_parser::sequences()
{
    QFETCH(Reports, input);
    QFETCH(QString, holds);
    QFETCH(QStringList, rt);
    QFETCH(QStringList, save);
    QFETCH(QStringList, sum_errors);
    QFETCH(int, end_state);

    for (const QString &m : sum_errors)
        QTest::ignoreMessage(QtDebugMsg, qPrintable(m));
    Parser p;
    for (int i = 0; i < input.size(); ++i) {
        QCOMPARE(input[i].size(), 64);
        p.set_hold(holds[i] == '1');
        p.data_receive(input[i].constData(), 64);
        const QQueue<quint16> rt_words = p.get_rt_words();
        QCOMPARE(text(QVector<quint16>(rt_words.begin(), rt_words.end())), rt[i]);
        QCOMPARE(text(p.get_save_words()), save[i]);
    }
    QCOMPARE(int(p.parse_state), end_state);
}

void tst_frame_parser::check_sum_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("sum");
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("poll") << QByteArray::fromHex("AA5501 03") << 0x03;
    QTest::newRow("clear") << QByteArray::fromHex("AA550603") << 0x08;
    QTest::newRow("clock") << QByteArray::fromHex("AA55030A09071402050324") << 0x5E;
}

void tst_frame_parser::check_sum()
{
    QFETCH(QByteArray, data);
    QFETCH(int, sum);
    QCOMPARE(int(HID_DATA_PROCESS::check_sum(data.constData(), uint16_t(data.size()))), sum);
}

QTEST_MAIN(tst_frame_parser)
#include "tst_frame_parser.moc"
