// Every model window's own export, reopened in the import viewer: the
// viewer must recognise the model and show the window's rows and values.
#include "KQ174_interface/kq174_interface.h"
#include "KQ186_interface/kq186_interface.h"
#include "KQ240_interface/kq240_interface.h"
#include "KQ257_interface/kq257_interface.h"
#include "KQ263_interface/kq263_interface.h"
#include "KQ278_interface/kq278_interface.h"
#include "KQ285_interface/kq285_interface.h"
#include "KQ291_interface/kq291_interface.h"
#include "import_data/import_data.h"
#include "save_data_index/save_data_index.h"
#include "general_instrument.h"
#include "serialsim.h"

#include "../sound/sound_rig.h"
#include "../temp/window_kit.h"

#include <QListWidget>
#include <QRegularExpression>
#include <QTableView>
#include <QtTest>

#include <cstring>
#include <memory>

namespace {

const QDateTime PC_TIME(QDate(2024, 3, 5), QTime(14, 7, 9));

struct Table
{
    QStringList headers;
    QVector<QStringList> rows;
};

Table snapshot(const QTableWidget *t)
{
    Table out;
    for (int c = 0; c < t->columnCount(); ++c)
        out.headers << (t->horizontalHeaderItem(c) ? t->horizontalHeaderItem(c)->text() : QString());
    for (int r = 0; r < t->rowCount(); ++r) {
        QStringList row;
        for (int c = 0; c < t->columnCount(); ++c)
            row << window_kit::cell_text(t, r, c);
        out.rows << row;
    }
    return out;
}

// One window on its simulated instrument, kept open from its real-time
// case to its stored case: closing a window waits for its link.
class Session
{
public:
    virtual ~Session() = default;
    // Clicks a radio of the window (a unit) before any reading.
    virtual void choose(const QString &radio) = 0;
    // The instrument switches to another mode (the tachometer's unit).
    virtual void instrument_mode(int) {}
    virtual bool read_realtime() = 0;
    virtual bool upload() = 0;
    virtual QTableWidget *table(bool stored) = 0;
    virtual void save_table() = 0;
};

template <class W>
class HidSession : public Session
{
public:
    explicit HidSession(const char *model, std::shared_ptr<hidsim::Instrument> instrument = nullptr)
        : m_win(model, instrument ? instrument : hidsim::make_model(model), PC_TIME)
    {
    }
    void choose(const QString &radio) override { m_win.template get<QRadioButton>(qPrintable(radio))->click(); }
    void instrument_mode(int mode) override
    {
        // 00 AA 55 04 05 mode 00 sum: what the window would send.
        hidsim::Bytes report{0x00, 0xAA, 0x55, 0x04, 0x05, uint8_t(mode), 0x00, 0x00};
        report[7] = hidsim::frame_sum(hidsim::Bytes(report.begin() + 1, report.end() - 1));
        m_win.inst->on_write(report);
    }
    bool read_realtime() override
    {
        for (int i = 0; i < 3; ++i)
            m_win.poll();
        return !QTest::currentTestFailed();
    }
    bool upload() override
    {
        rig::Boxes boxes;
        QMetaObject::invokeMethod(m_win.template get<QPushButton>("upload_Button"), "click", Qt::QueuedConnection);
        if (!choose_date())
            return false;
        return testkit::wait_until([&] { return table(true)->rowCount() > 0 && !rig::waiting_box_visible(); }, 10000);
    }
    QTableWidget *table(bool stored) override { return stored ? m_win.read_table() : m_win.rt_table(); }
    void save_table() override { m_win.w->SAVE_table_Slot(); }

private:
    // The sound level meter with dated records asks which date to upload.
    bool choose_date()
    {
        if (!std::is_same<W, KQ291_INTERFACE>::value)
            return true;
        auto *dialog = rig::wait_for_dialog<SAVE_DATA_INDEX>();
        if (!dialog)
            return false;
        auto *list = dialog->findChild<QListWidget *>("listWidget");
        list->setCurrentRow(list->count() - 1);
        auto *buttons = dialog->findChild<QDialogButtonBox *>("buttonBox");
        QMetaObject::invokeMethod(buttons->button(QDialogButtonBox::Ok), "click", Qt::QueuedConnection);
        return true;
    }

    rig::WindowOn<W, hidsim::Instrument> m_win;
};

// The thermometer on a pseudo-terminal.
class Kq240Session : public Session
{
public:
    Kq240Session() : m_clock(PC_TIME)
    {
        m_sim.set_channels({253, 257, 28000, -20});
        QVector<qint16> stored;
        for (int i = 0; i < 5; ++i)
            stored << qint16(200 + i) << qint16(-210 - i) << qint16(28000) << qint16(230 + i);
        m_sim.set_stored(stored);
        m_w.reset(new KQ240_INTERFACE);
        m_w->get_KQ240x(QStringLiteral("KQ240"));
        m_w->set_device_path(m_sim.port_name());
        m_w->show();
    }
    void choose(const QString &radio) override { window_kit::child<QRadioButton>(m_w.get(), qPrintable(radio))->click(); }
    bool read_realtime() override
    {
        const int rows = table(false)->rowCount();
        window_kit::click(window_kit::child<QPushButton>(m_w.get(), "start_button"));
        const bool ok = testkit::wait_until([&] { return table(false)->rowCount() >= rows + 3; }, 10000);
        window_kit::click(window_kit::child<QPushButton>(m_w.get(), "Pause_Button"));
        return ok;
    }
    bool upload() override
    {
        testkit::BoxWatcher boxes;
        window_kit::upload(m_w.get(), boxes);
        return table(true)->rowCount() == 5;
    }
    QTableWidget *table(bool stored) override
    {
        return window_kit::child<QTableWidget>(m_w.get(), stored ? "read_table_data" : "RT_table_data");
    }
    void save_table() override { m_w->SAVE_table_Slot(); }

private:
    testkit::ProgramDir m_dir;
    testkit::FixedClock m_clock;
    serialsim::SerialThermometer m_sim;
    std::unique_ptr<KQ240_INTERFACE> m_w;
};

// The differential-pressure meter reading one pressure in Pa, shown in Pa.
std::shared_ptr<hidsim::Instrument> steady_kq186(float pa)
{
    const auto realtime = [pa](int) {
        quint32 bits;
        std::memcpy(&bits, &pa, sizeof bits);
        const quint32 t = quint32(PC_TIME.toSecsSinceEpoch());
        return hidsim::Words{quint16(t & 0xFFFF), quint16(t >> 16), quint16(bits & 0xFFFF), quint16(bits >> 16), 2};
    };
    return std::make_shared<hidsim::GeneralInstrument>(realtime, [](int) { return hidsim::Words(); }, 0);
}

Session *open_session(const QString &model, double reading)
{
    if (model == "KQ186" && reading != 0)
        return new HidSession<KQ186_INTERFACE>("KQ186", steady_kq186(float(reading)));
    if (model == "KQ240")
        return new Kq240Session;
    if (model == "KQ257")
        return new HidSession<KQ257_INTERFACE>("KQ257");
    if (model == "KQ263")
        return new HidSession<KQ263_INTERFACE>("KQ263");
    if (model == "KQ278")
        return new HidSession<KQ278_INTERFACE>("KQ278");
    if (model == "KQ285")
        return new HidSession<KQ285_INTERFACE>("KQ285");
    if (model == "KQ291")
        return new HidSession<KQ291_INTERFACE>("KQ291");
    if (model == "KQ186")
        return new HidSession<KQ186_INTERFACE>("KQ186");
    if (model == "KQ174")
        return new HidSession<KQ174_INTERFACE>("KQ174");
    return nullptr;
}

QStringList viewer_row(const import_data &v, int row)
{
    const QAbstractItemModel *m = v.findChild<QTableView *>("import_table")->model();
    QStringList out;
    for (int c = 0; m && c < m->columnCount(); ++c)
        out << m->index(row, c).data().toString();
    return out;
}

QStringList viewer_headers(const import_data &v)
{
    const auto *m = v.findChild<QTableView *>("import_table")->model();
    QStringList out;
    for (int c = 0; m && c < m->columnCount(); ++c)
        out << m->headerData(c, Qt::Horizontal).toString();
    return out;
}

// The viewer's headers are row 2 of the workbook; a unit column stands
// under its value's merged heading.
QStringList expected_headers(const QString &model, bool stored, const QStringList &w)
{
    if (model == "KQ240")
        return QStringList(w) << "Unit";
    if (model == "KQ257" || (model == "KQ278" && !stored))
        return {w[0], w[1], QString(), w[2], QString()};
    return w;
}

int viewer_rows(const import_data &v)
{
    const auto *m = v.findChild<QTableView *>("import_table")->model();
    return m ? m->rowCount() : -1;
}

// "25.3℃" as "25.3" and "℃"; a text without a number ("NULL") as itself.
QStringList split(const QString &text)
{
    static const QRegularExpression rx(QStringLiteral("^(-?\\d+(?:\\.\\d+)?)\\s*(.*)$"));
    const QRegularExpressionMatch m = rx.match(text);
    if (!m.hasMatch())
        return {text, QString()};
    return {m.captured(1), m.captured(2).trimmed()};
}

// Time, then number and unit of every value of a window's row.
QStringList window_cells(const QString &model, const QStringList &w)
{
    QStringList out{w[0]};
    if (model == "KQ240" || model == "KQ257" || model == "KQ278") {
        for (int c = 1; c < w.size(); ++c)
            out << split(w[c]);
        return out;
    }
    return out << split(w[1])[0] << w[2];
}

// The same of a viewer's row, by the columns the viewer shows for the model.
QStringList viewer_cells(const QString &model, bool stored, const QStringList &v)
{
    QStringList out{v[0]};
    if (model == "KQ240") {
        for (int c = 1; c < v.size() - 1; ++c)
            out << split(v[c]);
        return out;
    }
    if (model == "KQ257" || (model == "KQ278" && !stored))
        return out << v[1] << v[2] << v[3] << v[4];
    if (model == "KQ278")
        return out << split(v[1]) << split(v[2]);
    return out << v[1] << v[2];
}

// ---- the conversions the windows make, worked out in decimal

using Big = __int128;

struct Ratio
{
    Big n = 0;
    Big d = 1;
};

Big gcd_of(Big a, Big b)
{
    a = a < 0 ? -a : a;
    b = b < 0 ? -b : b;
    while (b) {
        const Big t = a % b;
        a = b;
        b = t;
    }
    return a ? a : 1;
}

Ratio norm(Ratio r)
{
    const Big g = gcd_of(r.n, r.d);
    return {r.n / g, r.d / g};
}

Ratio dec(const QString &text)
{
    Ratio r;
    const int dot = text.indexOf('.');
    const QString digits = QString(text).remove('.');
    r.n = Big(digits.toLongLong());
    for (int i = 0; dot >= 0 && i < text.size() - dot - 1; ++i)
        r.d *= 10;
    return norm(r);
}

Ratio mul(Ratio a, Ratio b) { return norm({a.n * b.n, a.d * b.d}); }
Ratio divide(Ratio a, Ratio b) { return norm({a.n * b.d * (b.n < 0 ? -1 : 1), a.d * (b.n < 0 ? -b.n : b.n)}); }
Ratio add(Ratio a, Ratio b) { return norm({a.n * b.d + b.n * a.d, a.d * b.d}); }

// Rounded half away from zero, or cut toward zero, to `decimals`.
QString text_of(Ratio r, int decimals, bool cut)
{
    Big scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    const bool negative = r.n < 0;
    const Big n = (negative ? -r.n : r.n) * scale;
    Big q = n / r.d;
    if (!cut && 2 * (n % r.d) >= r.d)
        ++q;
    QString whole;
    for (Big v = q; v > 0; v /= 10)
        whole.prepend(QChar('0' + int(v % 10)));
    whole = whole.rightJustified(decimals + 1, '0');
    QString out = whole.left(whole.size() - decimals);
    if (decimals)
        out += '.' + whole.right(decimals);
    return (negative && q != 0 ? "-" : "") + out;
}

struct UnitRule
{
    QString factor;   // value in the unit = base * factor + offset
    QString divisor;
    QString offset;
    int decimals;
};

// The units as the windows show them: factor from ℃, m/s, lux or Pa.
const QMap<QString, UnitRule> &rules(const QString &model)
{
    static const QMap<QString, UnitRule> kq240{{"℃", {"1", "1", "0", 1}}, {"℉", {"1.8", "1", "32", 1}}};
    static const QMap<QString, UnitRule> kq257{{"℃", {"1", "1", "0", 2}}, {"℉", {"1.8", "1", "32", 2}}};
    static const QMap<QString, UnitRule> kq263{{"lux", {"1", "1", "0", 1}}, {"fc", {"1", "10.76", "0", 1}}};
    static const QMap<QString, UnitRule> kq278{{"m/s", {"1", "1", "0", 3}},      {"ft/s", {"3.28", "1", "0", 3}},
                                               {"km/h", {"3.6", "1", "0", 3}},   {"knots", {"1.94", "1", "0", 3}},
                                               {"mile/h", {"2.24", "1", "0", 3}}, {"ft/m", {"196.85", "1", "0", 3}}};
    static const QMap<QString, UnitRule> kq186{
        {"Pa", {"1", "1", "0", 0}},           {"hPa", {"0.01", "1", "0", 1}},
        {"kPa", {"0.001", "1", "0", 2}},      {"bar", {"0.00001", "1", "0", 3}},
        {"mbar", {"0.01", "1", "0", 1}},      {"psi", {"0.0001450377", "1", "0", 3}},
        {"mmHg", {"0.00750062", "1", "0", 1}}, {"inHg", {"0.0002953", "1", "0", 2}},
        {"kg/cm^2", {"0.0000101972", "1", "0", 3}}, {"oz/in^2", {"0.0023206", "1", "0", 2}},
        {"inH2O", {"0.00401463", "1", "0", 2}}, {"ftH2O", {"0.000334553", "1", "0", 2}},
        {"mmH2O", {"0.101972", "1", "0", 0}}, {"cmH2O", {"0.0101972", "1", "0", 1}}};
    static const QMap<QString, UnitRule> none;
    return model == "KQ240" ? kq240 : model == "KQ257" ? kq257 : model == "KQ263" ? kq263
         : model == "KQ278" ? kq278 : model == "KQ186" ? kq186 : none;
}

QString plain_unit(const QString &u)
{
    return QString(u).replace("²", "^2");
}

// A window's number in unit `from` as the window would show it in `to`.
QString converted(const QString &model, const QString &number, const QString &from, const QString &to)
{
    const auto &r = rules(model);
    const UnitRule f = r.value(plain_unit(from)), t = r.value(plain_unit(to));
    const Ratio base = divide(mul(add(dec(number), {-dec(f.offset).n, dec(f.offset).d}), dec(f.divisor)),
                              dec(f.factor));
    const Ratio value = add(divide(mul(base, dec(t.factor)), dec(t.divisor)), dec(t.offset));
    return text_of(value, t.decimals, model == "KQ186");
}

// Every point of every graph inside both visible axes.
bool points_in_view(const import_data &v, QString *why)
{
    const QCustomPlot *plot = v.findChild<QCustomPlot *>("import_plot");
    for (int k = 0; k < plot->graphCount(); ++k) {
        const QCPGraph *g = plot->graph(k);
        const QCPRange x = g->keyAxis()->range(), y = g->valueAxis()->range();
        for (auto it = g->data()->constBegin(); it != g->data()->constEnd(); ++it)
            if (!x.contains(it->key) || !y.contains(it->value)) {
                *why = QString("graph %1 point %2,%3 outside %4..%5 x %6..%7")
                           .arg(k).arg(it->key, 0, 'f', 0).arg(it->value).arg(x.lower, 0, 'f', 0)
                           .arg(x.upper, 0, 'f', 0).arg(y.lower).arg(y.upper);
                return false;
            }
    }
    return true;
}

}

class tst_window_exports_in_viewer : public QObject
{
    Q_OBJECT

    std::unique_ptr<Session> m_session;
    QString m_session_model;
    std::unique_ptr<QTemporaryDir> m_files;

private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        tzset();
        m_files.reset(new QTemporaryDir);
    }
    void cleanupTestCase() { m_session.reset(); }

    // Every page and unit of every window, and a unit switched while
    // recording: the viewer shows the window's rows (time, number, unit),
    // and each of its radios converts every row from the row's own unit.
    void export_reopens_in_viewer_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QString>("recognised");   // the viewer's model
        QTest::addColumn<bool>("date");            // the viewer reads column A as date-times
        QTest::addColumn<QString>("radio");        // a unit chosen on the window first
        QTest::addColumn<QString>("then");         // a unit chosen on the window after some rows
        QTest::addColumn<double>("reading");       // one steady reading, 0 for the simulator's own

        const auto add = [](const QString &name, const QString &model, bool stored, const QString &recognised,
                            bool date, const QString &radio, const QString &then = QString(), double reading = 0) {
            QTest::newRow(qPrintable(name)) << model << stored << recognised << date << radio << then << reading;
        };
        for (const char *radio : {"", "radioButton_2"}) {
            const QString u = *radio == 0 ? "℃" : "℉";
            add("KQ240 real-time " + u, "KQ240", false, "KQ240", true, QString(radio));
            add("KQ240 stored " + u, "KQ240", true, "KQ240", false, QString(radio));
            add("KQ257 real-time " + u, "KQ257", false, "KQ257", true, QString(radio));
            add("KQ257 stored " + u, "KQ257", true, "KQ257", true, QString(radio));
        }
        add("KQ240 ℃ then ℉", "KQ240", false, "KQ240", true, "", "radioButton_2");
        add("KQ257 ℃ then ℉", "KQ257", false, "KQ257", true, "", "radioButton_2");
        add("KQ263 real-time lux", "KQ263", false, "KQ263", true, "");
        add("KQ263 real-time fc", "KQ263", false, "KQ263", true, "radioButton_2");
        add("KQ263 lux then fc", "KQ263", false, "KQ263", true, "", "radioButton_2");
        const QStringList kq278 = {"radioButton", "radioButton_2", "radioButton_3",
                                   "radioButton_5", "radioButton_4", "radioButton_6"};
        for (const QString &radio : kq278)
            add("KQ278 real-time " + radio, "KQ278", false, "KQ278", true, radio);
        add("KQ278 stored", "KQ278", true, "KQ278", true, "");
        add("KQ278 m/s then ft/m", "KQ278", false, "KQ278", true, "", "radioButton_6");
        add("KQ285 real-time", "KQ285", false, "KQ285", true, "");
        add("KQ285 stored", "KQ285", true, "KQ285", true, "");
        add("KQ291 real-time", "KQ291", false, "KQ285", true, "");
        add("KQ291 stored", "KQ291", true, "KQ285", true, "");
        for (int i = 1; i <= 14; ++i)
            add(QString("KQ186 real-time radioButton_%1").arg(i), "KQ186", false, "KQ186", true,
                i == 1 ? QString("radioButton") : QString("radioButton_%1").arg(i));
        add("KQ186 stored", "KQ186", true, "KQ186", true, "");
        add("KQ186 Pa then kPa", "KQ186", false, "KQ186", true, "radioButton_3", "radioButton");
        add("KQ186 real-time 1000000 Pa", "KQ186", false, "KQ186", true, "radioButton_3", "", 1000000.0);
        add("KQ174 real-time", "KQ174", false, "KQ174", true, "");
        // The stored records hold several modes; column A is headed "num".
        add("KQ174 stored", "KQ174", true, "KQ174", true, "");
        add("KQ174 Photo RPM then m/min", "KQ174", false, "KQ174", true, "", "mode 1");
    }
    void export_reopens_in_viewer()
    {
        QFETCH(QString, model);
        QFETCH(bool, stored);
        QFETCH(QString, recognised);
        QFETCH(bool, date);
        QFETCH(QString, radio);
        QFETCH(QString, then);
        QFETCH(double, reading);

        const QString session = model + radio + then + QString::number(reading);
        if (m_session_model != session) {
            m_session.reset();
            m_session.reset(open_session(model, reading));
            m_session_model = session;
            if (!radio.isEmpty())
                m_session->choose(radio);
        }
        if (stored) {
            QVERIFY(m_session->upload());
        } else {
            QVERIFY(m_session->read_realtime());
            if (!then.isEmpty()) {
                if (then.startsWith("mode "))
                    m_session->instrument_mode(then.mid(5).toInt());
                else
                    m_session->choose(then);
                QVERIFY(m_session->read_realtime());
            }
        }
        const QString path = m_files->filePath(QString("%1-%2%3%4.xlsx").arg(model, stored ? "stored" : "rt", radio, then));
        {
            rig::SaveNames names(path);
            m_session->save_table();
        }
        const Table window = snapshot(m_session->table(stored));
        QVERIFY(!window.rows.isEmpty());
        if (reading != 0)   // the window shows the steady reading itself
            QCOMPARE(window.rows.last()[1], QString::number(reading, 'f', 0));
        QStringList window_units;
        for (const QStringList &w : window.rows)
            window_units << window_cells(model, w)[2];
        window_units.removeDuplicates();
        // The instruments that switch units themselves leave files of mixed
        // units (the other windows convert their rows on a switch).
        if ((!then.isEmpty() && model != "KQ240" && model != "KQ257" && model != "KQ263" && model != "KQ278") || (model == "KQ174" && stored))
            QVERIFY2(window_units.size() > 1, qPrintable(window_units.join(",")));

        import_data v(nullptr, path);
        QCOMPARE(v.read_error(), QString());
        QCOMPARE(v.model(), recognised);
        QCOMPARE(v.date_column(), date);
        QCOMPARE(viewer_headers(v), expected_headers(model, stored, window.headers));
        QCOMPARE(viewer_rows(v), window.rows.size());
        QString why;
        for (int r = 0; r < window.rows.size(); ++r) {
            QStringList w = window_cells(model, window.rows[r]);
            if (!date)   // a record number reads as a number
                w[0] = QString::number(w[0].toDouble(), 'g', 6);
            QCOMPARE(viewer_cells(model, stored, viewer_row(v, r)), w);
        }
        QVERIFY2(points_in_view(v, &why), qPrintable(why));

        // Every radio of the viewer, each row converted from its own unit.
        for (QRadioButton *b : v.findChildren<QRadioButton *>()) {
            const QString target = b->text();
            b->click();
            if (model == "KQ174") {   // a mode: its rows alone, as they are
                int shown = 0;
                for (const QStringList &row : window.rows) {
                    const QStringList w = window_cells(model, row);
                    if (target != "ALL" && w[2] != target)
                        continue;
                    QCOMPARE(viewer_cells(model, stored, viewer_row(v, shown)), w);
                    ++shown;
                }
                QCOMPARE(viewer_rows(v), shown);
                QVERIFY2(points_in_view(v, &why), qPrintable(target + ": " + why));
                continue;
            }
            for (int r = 0; r < window.rows.size(); ++r) {
                QStringList w = window_cells(model, window.rows[r]);
                if (!date)
                    w[0] = QString::number(w[0].toDouble(), 'g', 6);
                // The temperature pair beside a speed, and the humidity, stay as they are.
                const int converted_pairs = model == "KQ240" ? (w.size() - 1) / 2 : 1;
                for (int p = 0; p < converted_pairs; ++p) {
                    const int n = 1 + 2 * p;
                    if (w[n + 1].isEmpty())
                        continue;   // a missing reading
                    w[n] = converted(model, w[n], w[n + 1], target);
                    w[n + 1] = target;
                }
                QCOMPARE(viewer_cells(model, stored, viewer_row(v, r)), w);
            }
            QVERIFY2(points_in_view(v, &why), qPrintable(target + ": " + why));
        }
    }
};

QTEST_MAIN(tst_window_exports_in_viewer)
#include "tst_window_exports_in_viewer.moc"
