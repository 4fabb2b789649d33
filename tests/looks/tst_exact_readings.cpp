// Every model, every unit it offers: a reading that is an exact decimal in
// the unit shown, fed through the real window by its simulated instrument,
// shows exactly that decimal in the table, the statistics, the dials and
// the exported workbook. The expected texts are worked out here in decimal
// integers, never with the code under test.
#include "KQ174_interface/kq174_interface.h"
#include "KQ186_interface/kq186_interface.h"
#include "KQ240_interface/kq240_interface.h"
#include "KQ257_interface/kq257_interface.h"
#include "KQ263_interface/kq263_interface.h"
#include "KQ278_interface/kq278_interface.h"
#include "KQ285_interface/kq285_interface.h"
#include "KQ291_interface/kq291_interface.h"
#include "gauge/gaugespeed.h"
#include "general_instrument.h"
#include "model_kq291.h"
#include "serialsim.h"
#include "testkit.h"

#include "../sound/sound_rig.h"

#include <QJsonArray>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QtTest>

#include <cstring>
#include <memory>

namespace {

const QDateTime PC_TIME(QDate(2024, 3, 5), QTime(14, 7, 9));
const quint32 T0 = quint32(PC_TIME.toSecsSinceEpoch());

// A decimal m / 10^s in integers.
struct Dec
{
    __int128 m = 0;
    int s = 0;
};

Dec dec(const char *text)
{
    Dec d;
    bool negative = false, point = false;
    for (const char *p = text; *p; ++p) {
        if (*p == '-')
            negative = true;
        else if (*p == '.')
            point = true;
        else {
            d.m = d.m * 10 + (*p - '0');
            if (point)
                ++d.s;
        }
    }
    if (negative)
        d.m = -d.m;
    return d;
}

Dec dec(qint64 m, int s)
{
    return Dec{m, s};
}

__int128 ten(int n)
{
    __int128 p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

Dec mul(Dec a, Dec b)
{
    return Dec{a.m * b.m, a.s + b.s};
}

Dec add(Dec a, Dec b)
{
    const int s = qMax(a.s, b.s);
    return Dec{a.m * ten(s - a.s) + b.m * ten(s - b.s), s};
}

QString text_of(__int128 scaled, int decimals)
{
    const bool negative = scaled < 0;
    __int128 v = negative ? -scaled : scaled;
    QString digits;
    do {
        digits.prepend(QChar('0' + int(v % 10)));
        v /= 10;
    } while (v > 0);
    while (digits.size() <= decimals)
        digits.prepend('0');
    if (decimals > 0)
        digits.insert(digits.size() - decimals, '.');
    return negative && scaled != 0 ? "-" + digits : digits;
}

// Cut toward zero to `decimals`.
QString cut(Dec a, int decimals)
{
    const __int128 v = decimals >= a.s ? a.m * ten(decimals - a.s) : a.m / ten(a.s - decimals);
    return text_of(v, decimals);
}

// Rounded half away from zero to `decimals`.
QString rounded(Dec a, int decimals)
{
    if (decimals >= a.s)
        return text_of(a.m * ten(decimals - a.s), decimals);
    const __int128 div = ten(a.s - decimals);
    const __int128 mag = ((a.m < 0 ? -a.m : a.m) + div / 2) / div;
    return text_of(a.m < 0 ? -mag : mag, decimals);
}

// The mean of decimals whose count divides a power of ten (2, 4, 5, ...).
Dec mean_of(const QVector<Dec> &values)
{
    Dec sum;
    for (const Dec &v : values)
        sum = add(sum, v);
    int k = 0;
    while (ten(k) % values.size() != 0)
        ++k;
    return Dec{sum.m * (ten(k) / values.size()), sum.s + k};
}

// A shown text read back as a decimal.
Dec dec(const QString &text)
{
    return dec(text.toLatin1().constData());
}

hidsim::Words time_words()
{
    return {quint16(T0 & 0xFFFF), quint16(T0 >> 16)};
}

// The time words, then `rest`.
hidsim::Words timed(const hidsim::Words &rest)
{
    hidsim::Words w = time_words();
    w.insert(w.end(), rest.begin(), rest.end());
    return w;
}

hidsim::Words float_words(float f)
{
    quint32 bits;
    std::memcpy(&bits, &f, sizeof bits);
    return {quint16(bits & 0xFFFF), quint16(bits >> 16)};
}

// What one case expects: the real-time table's cells after the time
// column, and name=text pairs for statistics fields and dials.
struct Expect
{
    QStringList cells;
    QStringList fields;
    QStringList dials;
};

}

Q_DECLARE_METATYPE(hidsim::Words)
Q_DECLARE_METATYPE(QVector<hidsim::Words>)

class tst_exact_readings : public QObject
{
    Q_OBJECT

    // A window on its instrument, kept for the length of one case.
    struct Open
    {
        testkit::ProgramDir dir;
        testkit::FixedClock clock{PC_TIME};
        std::unique_ptr<serialsim::SerialThermometer> serial;
        std::shared_ptr<hidsim::Instrument> kq291;
        QWidget *w = nullptr;
        ~Open()
        {
            delete w;
            hidsim::reset();
        }
        QTableWidget *table() { return w->findChild<QTableWidget *>("RT_table_data"); }
    };

    template <class W>
    static void open_hid(Open &o, const char *model, std::shared_ptr<hidsim::Instrument> inst)
    {
        o.dir.write_config({});
        hidsim::reset();
        const hidsim::DeviceSpec spec = hidsim::model_device(model);
        hidsim::plug(spec, inst);
        auto *w = new W;
        w->set_device_path(QString::fromStdString(spec.path));
        w->show();
        o.w = w;
    }

    static void open(Open &o, const QString &model, const hidsim::Words &words)
    {
        open(o, model, QVector<hidsim::Words>{words});
    }

    // The n-th answer carries readings[n modulo their count].
    static void open(Open &o, const QString &model, const QVector<hidsim::Words> &readings)
    {
        const hidsim::Words words = readings.first();
        const auto general = [&] {
            return std::make_shared<hidsim::GeneralInstrument>(
                [readings](int n) { return readings.at(n % readings.size()); },
                [](int) { return hidsim::Words(); }, 0);
        };
        if (model == "KQ174")
            open_hid<KQ174_INTERFACE>(o, "KQ174", general());
        else if (model == "KQ186")
            open_hid<KQ186_INTERFACE>(o, "KQ186", general());
        else if (model == "KQ257")
            open_hid<KQ257_INTERFACE>(o, "KQ257", general());
        else if (model == "KQ263")
            open_hid<KQ263_INTERFACE>(o, "KQ263", general());
        else if (model == "KQ278")
            open_hid<KQ278_INTERFACE>(o, "KQ278", general());
        else if (model == "KQ285")
            open_hid<KQ285_INTERFACE>(o, "KQ285", general());
        else if (model == "KQ291") {
            auto inst = std::make_shared<hidsim::Kq291Instrument>();
            inst->set_level(words.at(0));
            o.kq291 = inst;
            open_hid<KQ291_INTERFACE>(o, "KQ291", inst);
        } else if (model == "KQ240") {
            o.serial.reset(new serialsim::SerialThermometer);
            QVector<qint16> channels;
            for (quint16 w : words)
                channels << qint16(w);
            o.serial->set_channels(channels);
            auto *w = new KQ240_INTERFACE;
            w->get_KQ240x(QStringLiteral("KQ240"));
            w->set_device_path(o.serial->port_name());
            w->show();
            o.w = w;
        }
    }

    // Two readings, the same: the statistics then show the reading too.
    static bool read_twice(Open &o, const QString &model)
    {
        return read_n(o, model, 2);
    }

    // `count` polls of a HID window, one row each (the KQ291's level is
    // set before each poll from `levels`); the thermometer's first rows.
    static bool read_n(Open &o, const QString &model, int count, const QVector<quint16> &levels = {})
    {
        if (model == "KQ240") {
            o.w->findChild<QPushButton *>("start_button")->click();
            const bool ok = testkit::wait_until([&] { return o.table()->rowCount() >= 2; }, 10000);
            o.w->findChild<QPushButton *>("Pause_Button")->click();
            return ok;
        }
        for (int i = 0; i < count; ++i) {
            if (!levels.isEmpty())
                if (auto inst = std::dynamic_pointer_cast<hidsim::Kq291Instrument>(o.kq291))
                    inst->set_level(levels.at(i % levels.size()));
            const int rows = o.table()->rowCount();
            QMetaObject::invokeMethod(o.w, "get_rt_data_cmd_slot");
            if (!testkit::wait_until([&] { return o.table()->rowCount() == rows + 1; }, 4000))
                return false;
        }
        return true;
    }

    static QString field_text(QWidget *w, const QString &name)
    {
        if (auto *l = w->findChild<QLabel *>(name))
            return l->text();
        if (auto *e = w->findChild<QLineEdit *>(name))
            return e->text();
        return QStringLiteral("<no %1>").arg(name);
    }

    // The decimal a workbook cell holds: text as written, a number as
    // openpyxl reads it.
    static bool workbook_has(const QJsonArray &row, const QString &cell)
    {
        static const QRegularExpression number(QStringLiteral("^-?\\d+(\\.\\d+)?"));
        const QString value = number.match(cell).captured();
        for (const QJsonValue &v : row) {
            if (v.isString() && (v.toString() == cell || v.toString() == value))
                return true;
            if (v.isDouble() && v.toDouble() == value.toDouble())
                return true;
        }
        return false;
    }

    // The first row's cells, the fields, the dials and the exported
    // workbook's first reading row.
    static void check_everywhere(Open &o, const QStringList &cells, const QStringList &fields,
                                 const QStringList &dials)
    {
        QTableWidget *t = o.table();
        QStringList shown;
        for (int c = 1; c <= cells.size(); ++c)
            shown << rig::text_at(t, 0, c);
        QCOMPARE(shown, cells);

        for (const QString &f : fields) {
            const QString name = f.section('=', 0, 0);
            QCOMPARE(name + "=" + field_text(o.w, name), f);
        }
        for (const QString &d : dials) {
            const QString name = d.section('=', 0, 0);
            auto *g = o.w->findChild<GaugeSpeed *>(name);
            QVERIFY2(g, qPrintable(name));
            QCOMPARE(name + "=" + QString::number(g->value(), 'f', 2), d);
        }

        const QString path = o.dir.file("exact.xlsx");
        {
            rig::SaveNames names(path);
            QMetaObject::invokeMethod(o.w, "SAVE_table_Slot");
        }
        const QJsonObject sheet = rig::read_xlsx(path);
        const QJsonArray data = sheet["cells"].toArray().at(2).toArray();   // the first reading's row
        QVERIFY2(!data.isEmpty(), "no workbook row");
        for (const QString &c : cells)
            QVERIFY2(workbook_has(data, c), qPrintable(c + " not in " + QJsonDocument(data).toJson(QJsonDocument::Compact)));
    }

private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        tzset();
    }

    void exact_reading_everywhere_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("radio");
        QTest::addColumn<hidsim::Words>("words");
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("dials");

        const auto row = [](const QString &name, const QString &model, const QString &radio, const hidsim::Words &w,
                            const Expect &e) {
            QTest::newRow(qPrintable(name)) << model << radio << w << e.cells << e.fields << e.dials;
        };
        const auto stats = [](const QString &text, const QString &suffix = QString()) {
            return QStringList{"MAX_T_label=" + text + suffix, "MIN_T_label=" + text + suffix,
                               "AVG_T_label=" + text + suffix};
        };

        // KQ186: Pa times the unit's decimal factor, cut to its decimals;
        // statistics and dial with two.
        struct P
        {
            const char *unit;
            const char *factor;   // null: Pa itself
            int decimals;
            int code;
            const char *pa;
        };
        const P pressures[] = {
            {"kPa", "0.001", 2, 0, "2500"},        {"kPa", "0.001", 2, 0, "10"},
            {"hPa", "0.01", 1, 1, "10"},           {"hPa", "0.01", 1, 1, "20"},
            {"hPa", "0.01", 1, 1, "30"},           {"hPa", "0.01", 1, 1, "40"},
            {"hPa", "0.01", 1, 1, "60"},           {"Pa", nullptr, 0, 2, "2500"},
            {"mbar", "0.01", 1, 3, "30"},          {"bar", "0.00001", 3, 4, "2500"},
            {"bar", "0.00001", 3, 4, "10000"},     {"psi", "0.0001450377", 3, 5, "10000000"},
            {"oz/in^2", "0.0023206", 2, 6, "50000"}, {"kg/cm^2", "0.0000101972", 3, 7, "2500000"},
            {"inH2O", "0.00401463", 2, 8, "1000000"}, {"inHg", "0.0002953", 2, 9, "100000"},
            {"ftH2O", "0.000334553", 2, 10, "10000000"}, {"mmHg", "0.00750062", 1, 11, "5000000"},
            {"mmH2O", "0.101972", 0, 12, "250000"}, {"cmH2O", "0.0101972", 1, 13, "250000"},
        };
        for (const P &p : pressures) {
            const Dec value = p.factor ? mul(dec(p.pa), dec(p.factor)) : dec(p.pa);
            const QString shown = cut(value, p.decimals);
            hidsim::Words w = time_words();
            for (quint16 x : float_words(float(QByteArray(p.pa).toDouble())))
                w.push_back(x);
            w.push_back(quint16(p.code));
            Expect e{{shown, p.unit}, stats(rounded(dec(shown), 2)), {"gunspeed=" + rounded(dec(shown), 2)}};
            row(QString("KQ186 %1 Pa in %2").arg(p.pa, p.unit), "KQ186", "", w, e);
        }

        // KQ263: hundredths of a lux; fc is lux ÷ 10.76, cut to hundredths.
        {
            const qint64 lux = 12340;
            const Dec v = dec(lux, 2);
            row("KQ263 123.40 lux", "KQ263", "", {quint16(lux & 0xFFFF), quint16(lux >> 16), 0},
                {{rounded(v, 1), "lux"}, stats(rounded(v, 2), "lux"), {"gunspeed=" + rounded(v, 2)}});
            const qint64 raw = 1199956;   // 11999.56 lux: 1115.20 fc
            const Dec fc = dec(raw * 100 / 1076, 2);
            row("KQ263 1115.20 fc", "KQ263", "radioButton_2", {quint16(raw & 0xFFFF), quint16(raw >> 16), 0},
                {{rounded(fc, 1), "fc"}, stats(rounded(fc, 2), "fc"), {"gunspeed=" + rounded(fc, 2)}});
        }

        // KQ278: hundredths of m/s times the unit's factor, three decimals;
        // temperature in hundredths of a degree, one decimal.
        struct S
        {
            const char *radio;
            const char *unit;
            const char *factor;
        };
        const S speeds[] = {{"radioButton", "m/s", "1"},        {"radioButton_2", "ft/s", "3.28"},
                            {"radioButton_3", "km/h", "3.6"},   {"radioButton_5", "knots", "1.94"},
                            {"radioButton_4", "mile/h", "2.24"}, {"radioButton_6", "ft/m", "196.85"}};
        for (const S &s : speeds) {
            const Dec v = mul(dec(1000, 2), dec(s.factor));   // 10.00 m/s
            const Dec t = dec(2500, 2);                        // 25.00 ℃
            hidsim::Words w = time_words();
            w.push_back(1000);
            w.push_back(2500);
            row(QString("KQ278 10.00 m/s in %1").arg(s.unit), "KQ278", s.radio, w,
                {{rounded(v, 3) + s.unit, rounded(t, 1) + "℃"}, stats(rounded(v, 2), s.unit),
                 {"gunspeed=" + rounded(v, 2), "gunspeed_2=" + rounded(t, 2)}});
        }

        // KQ257: hundredths of ℃ (signed) and of %RH; ℉ = ℃ · 1.8 + 32.
        for (qint64 c : {qint64(2500), qint64(-1000)}) {
            const Dec cel = dec(c, 2);
            const Dec fah = add(mul(cel, dec("1.8")), dec("32"));
            const Dec hum = dec(4520, 2);
            hidsim::Words w = time_words();
            w.push_back(quint16(qint16(c)));
            w.push_back(4520);
            for (bool f : {false, true}) {
                const Dec v = f ? fah : cel;
                const QString unit = f ? "℉" : "℃";
                QStringList fields = stats(rounded(v, 2), unit);
                fields << "MAX_H_label=" + rounded(hum, 2) + "%RH";
                row(QString("KQ257 %1 ℃ in %2").arg(cut(cel, 2), unit), "KQ257", f ? "radioButton_2" : "", w,
                    {{rounded(v, 2) + unit, rounded(hum, 2) + "%RH"}, fields,
                     {"gunspeed=" + rounded(v, 2), "gunspeed_2=" + rounded(hum, 2)}});
            }
        }

        // KQ285: hundredths of a dB and the weighting the meter sends,
        // temperature in hundredths of ℃ on the second dial, ℃ or ℉.
        const char *const weightings[] = {"A", "C", "Z"};
        for (int wt = 0; wt < 3; ++wt)
            for (bool f : {false, true}) {
                const Dec level = dec(5230, 2);
                const Dec cel = dec(2500, 2);
                const Dec temp = f ? add(mul(cel, dec("1.8")), dec("32")) : cel;
                hidsim::Words w = time_words();
                w.push_back(5230);
                w.push_back(quint16(wt));
                w.push_back(2500);
                row(QString("KQ285 52.30 dB%1 %2").arg(weightings[wt], f ? "℉" : "℃"), "KQ285",
                    f ? "radioButton_5" : "", w,
                    {{rounded(level, 1), QString("db") + weightings[wt]},
                     stats(rounded(level, 2), QString("dB") + weightings[wt]),
                     {"gunspeed=" + rounded(level, 2), "gunspeed_2=" + rounded(temp, 2)}});
            }

        // KQ291: tenths of a dB, A-weighted.
        {
            const Dec level = dec(523, 1);
            row("KQ291 52.3 dBA", "KQ291", "", {523},
                {{rounded(level, 1), "dbA"}, stats(rounded(level, 2), "dBA"), {"gunspeed=" + rounded(level, 2)}});
        }

        // KQ174: tenths in the mode the meter sends, temperature in tenths of ℃.
        const char *const modes[] = {"m", "m/min", "ft/min", "Contact RPM", "Photo RPM"};
        for (int mode = 0; mode < 5; ++mode) {
            const qint64 raw = 12345;   // 1234.5
            const Dec v = dec(raw, 1);
            const Dec t = dec(253, 1);
            hidsim::Words w = time_words();
            w.push_back(quint16(raw & 0xFFFF));
            w.push_back(quint16(raw >> 16));
            w.push_back(253);
            w.push_back(0);
            w.push_back(quint16(mode));
            row(QString("KQ174 1234.5 %1").arg(modes[mode]), "KQ174", "", w,
                {{rounded(v, 1), modes[mode]}, stats(rounded(v, 2)),
                 {"gunspeed=" + rounded(v, 2), "gunspeed_2=" + rounded(t, 2)}});
        }

        // KQ240: tenths of ℃ on four channels, one decimal; ℉ = ℃ · 1.8 + 32.
        {
            const qint64 raw[4] = {253, -100, 0, 1000};
            hidsim::Words w;
            for (qint64 r : raw)
                w.push_back(quint16(qint16(r)));
            const char *const max_fields[4] = {"lineEdit_9", "lineEdit_10", "lineEdit_11", "lineEdit_12"};
            for (bool f : {false, true}) {
                const QString unit = f ? "℉" : "℃";
                Expect e;
                for (int k = 0; k < 4; ++k) {
                    const Dec cel = dec(raw[k], 1);
                    const Dec v = f ? add(mul(cel, dec("1.8")), dec("32")) : cel;
                    e.cells << rounded(v, 1) + unit;
                    e.fields << QString(max_fields[k]) + "=" + rounded(v, 1) + unit;
                }
                row(QString("KQ240 four channels in %1").arg(unit), "KQ240", f ? "radioButton_2" : "", w, e);
            }
        }
    }

    void exact_reading_everywhere()
    {
        QFETCH(QString, model);
        QFETCH(QString, radio);
        QFETCH(hidsim::Words, words);
        QFETCH(QStringList, cells);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, dials);

        Open o;
        open(o, model, words);
        QVERIFY(o.w);
        if (!radio.isEmpty())
            o.w->findChild<QRadioButton *>(radio)->click();
        QVERIFY(read_twice(o, model));
        check_everywhere(o, cells, fields, dials);
    }

    // Readings that fall on a tie (or an exact boundary) at the decimals
    // shown: rounded half away from zero in decimal, 1.15 shows 1.2 with
    // one decimal, not the 1.1 of its binary neighbour 1.1499999. The
    // statistics' average of such readings too.
    void tie_readings_everywhere_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("radio");
        QTest::addColumn<QVector<hidsim::Words>>("readings");
        QTest::addColumn<QVector<quint16>>("levels");
        QTest::addColumn<QStringList>("cells");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("dials");

        const auto stats = [](const QVector<Dec> &v, const QString &suffix, const QString &prefix = "_T_") {
            Dec max = v.first(), min = v.first();
            for (const Dec &d : v) {
                if (dec(cut(d, 6)).m > dec(cut(max, 6)).m)
                    max = d;
                if (dec(cut(d, 6)).m < dec(cut(min, 6)).m)
                    min = d;
            }
            return QStringList{"MAX" + prefix + "label=" + rounded(max, 2) + suffix,
                               "MIN" + prefix + "label=" + rounded(min, 2) + suffix,
                               "AVG" + prefix + "label=" + rounded(mean_of(v), 2) + suffix};
        };
        const auto fahrenheit = [](Dec c) { return add(mul(c, dec("1.8")), dec("32")); };

        // KQ278: 0.01 and 0.02 m/s (average 0.015), 1.15 ℃ (one decimal);
        // 0.25 m/s is 0.485 knots.
        {
            const hidsim::Words a = timed({1, 115}), b = timed({2, 115});
            const QVector<Dec> v = {dec(1, 2), dec(2, 2)};
            QTest::newRow("KQ278 0.015 m/s, 1.15 ℃")
                << "KQ278" << "" << QVector<hidsim::Words>{a, b} << QVector<quint16>()
                << QStringList{rounded(v[0], 3) + "m/s", rounded(dec(115, 2), 1) + "℃"} << stats(v, "m/s")
                << QStringList{"gunspeed=" + rounded(v[1], 2), "gunspeed_2=" + rounded(dec(115, 2), 2)};
            const hidsim::Words k = timed({25, 2500});
            const Dec knots = mul(dec(25, 2), dec("1.94"));
            QTest::newRow("KQ278 0.485 knots")
                << "KQ278" << "radioButton_5" << QVector<hidsim::Words>{k} << QVector<quint16>()
                << QStringList{rounded(knots, 3) + "knots", "25.0℃"} << stats({knots, knots}, "knots")
                << QStringList{"gunspeed=" + rounded(knots, 2)};
        }

        // KQ285: 52.35 and 52.36 dBA (one decimal in the table).
        {
            const hidsim::Words a = timed({5235, 0, 2500}), b = timed({5236, 0, 2500});
            const QVector<Dec> v = {dec(5235, 2), dec(5236, 2)};
            QTest::newRow("KQ285 52.35 dBA") << "KQ285" << "" << QVector<hidsim::Words>{a, b} << QVector<quint16>()
                                             << QStringList{rounded(v[0], 1), "dbA"} << stats(v, "dBA")
                                             << QStringList{"gunspeed=" + rounded(v[1], 2)};
        }

        // KQ257: 0.02 and 0.03 ℃ (average 0.025 ℃, 32.045 ℉), 45.20 and
        // 45.21 %RH (average 45.205).
        for (bool f : {false, true}) {
            const hidsim::Words a = timed({2, 4520}), b = timed({3, 4521});
            QVector<Dec> t = {dec(2, 2), dec(3, 2)};
            if (f)
                t = {fahrenheit(t[0]), fahrenheit(t[1])};
            const QString unit = f ? "℉" : "℃";
            QStringList fields = stats(t, unit) + stats({dec(4520, 2), dec(4521, 2)}, "%RH", "_H_");
            QTest::newRow(qPrintable("KQ257 0.025 ℃ in " + unit))
                << "KQ257" << (f ? "radioButton_2" : "") << QVector<hidsim::Words>{a, b} << QVector<quint16>()
                << QStringList{rounded(t[0], 2) + unit, "45.20%RH"} << fields
                << QStringList{"gunspeed=" + rounded(t[1], 2)};
        }

        // KQ263: 0.01 and 0.02 lux, average 0.015.
        {
            const QVector<Dec> v = {dec(1, 2), dec(2, 2)};
            QTest::newRow("KQ263 0.015 lux") << "KQ263" << "" << QVector<hidsim::Words>{{1, 0, 0}, {2, 0, 0}}
                                             << QVector<quint16>() << QStringList{rounded(v[0], 1), "lux"}
                                             << stats(v, "lux") << QStringList();
        }

        // KQ186: 1,400 and 1,600 Pa in bar, average 0.015 bar.
        {
            hidsim::Words a = timed(float_words(1400.0f)), b = timed(float_words(1600.0f));
            a.push_back(4);
            b.push_back(4);
            const QVector<Dec> v = {dec("0.014"), dec("0.016")};
            QTest::newRow("KQ186 0.015 bar") << "KQ186" << "" << QVector<hidsim::Words>{a, b} << QVector<quint16>()
                                             << QStringList{cut(v[0], 3), "bar"} << stats(v, "")
                                             << QStringList();
        }

        // KQ291: 0.7, 0.7, 0.7 and 0.8 dBA: average 0.725.
        {
            const QVector<Dec> v = {dec(7, 1), dec(7, 1), dec(7, 1), dec(8, 1)};
            QTest::newRow("KQ291 0.725 dBA") << "KQ291" << "" << QVector<hidsim::Words>{{7}}
                                             << QVector<quint16>{7, 7, 7, 8} << QStringList{"0.7", "dbA"}
                                             << stats(v, "dBA") << QStringList();
        }

        // KQ174: 0.7, 0.7, 0.7 and 1.0 m: average 0.775.
        {
            auto reading = [](qint32 tenths) {
                return timed({quint16(quint32(tenths) & 0xFFFF), quint16(quint32(tenths) >> 16), 253, 0, 0});
            };
            const QVector<Dec> v = {dec(7, 1), dec(7, 1), dec(7, 1), dec(10, 1)};
            QTest::newRow("KQ174 0.775 m") << "KQ174" << "" << QVector<hidsim::Words>{reading(7), reading(7), reading(7), reading(10)}
                                          << QVector<quint16>() << QStringList{"0.7", "m"} << stats(v, "")
                                          << QStringList();
        }
    }

    void tie_readings_everywhere()
    {
        QFETCH(QString, model);
        QFETCH(QString, radio);
        QFETCH(QVector<hidsim::Words>, readings);
        QFETCH(QVector<quint16>, levels);
        QFETCH(QStringList, cells);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, dials);

        Open o;
        open(o, model, readings);
        QVERIFY(o.w);
        if (!radio.isEmpty())
            o.w->findChild<QRadioButton *>(radio)->click();
        QVERIFY(read_n(o, model, qMax(2, qMax(readings.size(), levels.size())), levels));
        check_everywhere(o, cells, fields, dials);
    }
};

QTEST_MAIN(tst_exact_readings)
#include "tst_exact_readings.moc"
