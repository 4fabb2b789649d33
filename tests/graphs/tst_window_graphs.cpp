// What the model windows' graphs and statistics show, fed readings as
// fast as their links deliver them: unit switches, steady readings,
// readings beyond 65535 and the time axis of the first seconds.

#include "../sound/sound_rig.h"

#include "KQ174_interface/kq174_interface.h"
#include "KQ186_interface/kq186_interface.h"
#include "KQ257_interface/kq257_interface.h"
#include "KQ263_interface/kq263_interface.h"
#include "KQ278_interface/kq278_interface.h"
#include "KQ285_interface/kq285_interface.h"
#include "KQ291_interface/kq291_interface.h"
#include "general_instrument.h"
#include "model_kq291.h"
#include "save_data_index/save_data_index.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QTableWidget>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QStackedWidget>
#include <QtTest>
#include <qcustomplot.h>

#include <cstring>
#include <functional>
#include <memory>

namespace {

const QDateTime PC_TIME(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::OffsetFromUTC, 8 * 3600);
const quint32 T0 = 1700000000u;   // 2023-11-14 22:13:20 UTC

using Words = hidsim::Words;

QQueue<quint16> queue_of(const Words &w)
{
    QQueue<quint16> q;
    for (quint16 x : w)
        q.enqueue(x);
    return q;
}

Words time_words(quint32 t)
{
    return {quint16(t & 0xFFFF), quint16(t >> 16)};
}

Words joined(Words a, const Words &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Words float_words(float f)
{
    quint32 bits;
    std::memcpy(&bits, &f, sizeof bits);
    return {quint16(bits & 0xFFFF), quint16(bits >> 16)};
}

Words long_words(quint32 v)
{
    return {quint16(v & 0xFFFF), quint16(v >> 16)};
}

// One model: how its answers are built from a value (in the window's unit
// of the moment or the instrument's), and its stored records.
struct Model
{
    const char *name = "";
    std::function<QMainWindow *()> open;
    std::function<void(QMainWindow *, const QString &)> connect;
    std::function<void(QMainWindow *, const QQueue<quint16> &)> realtime;
    std::function<void(QMainWindow *, const QQueue<quint16> &)> stored;
    std::function<Words(quint32 time, double value)> rt_words;
    std::function<Words(quint32 time, double value)> record_words;   // none: no stored graph
};

template <class W>
Model model(const char *name, std::function<Words(quint32, double)> rt,
            std::function<Words(quint32, double)> record = nullptr)
{
    Model m;
    m.name = name;
    m.open = [] { return new W; };
    m.connect = [](QMainWindow *w, const QString &path) { static_cast<W *>(w)->set_device_path(path); };
    m.realtime = [](QMainWindow *w, const QQueue<quint16> &q) { static_cast<W *>(w)->get_rt_data(q); };
    m.stored = [](QMainWindow *w, const QQueue<quint16> &q) { static_cast<W *>(w)->get_save_data(q); };
    m.rt_words = std::move(rt);
    m.record_words = std::move(record);
    return m;
}

const Model &find_model(const QString &name)
{
    static const QVector<Model> models = {
        // time, temperature in 0.01 ℃, humidity in 0.01 %RH
        model<KQ257_INTERFACE>(
            "KQ257",
            [](quint32 t, double v) { return joined(time_words(t), {quint16(qint16(qRound(v * 100))), 4500}); },
            [](quint32 t, double v) { return joined(time_words(t), {quint16(qint16(qRound(v * 100))), 4500}); }),
        // hundredths of a lux, signed 32 bits, and a spare word
        model<KQ263_INTERFACE>("KQ263", [](quint32, double v) {
            return joined(long_words(quint32(qint32(qRound(v * 100)))), {0x1234});
        }),
        // time, pascal as a float, the instrument's unit (2: Pa)
        model<KQ186_INTERFACE>(
            "KQ186", [](quint32 t, double v) { return joined(joined(time_words(t), float_words(float(v))), {2}); },
            [](quint32 t, double v) { return joined(time_words(t), float_words(float(v))); }),
        // time, hundredths of a m/s, temperature in 0.01 ℃; records: thousandths
        // of a m/s, tenths of a degree, time
        model<KQ278_INTERFACE>(
            "KQ278", [](quint32 t, double v) { return joined(time_words(t), {quint16(qRound(v * 100)), 2150}); },
            [](quint32 t, double v) { return joined({quint16(qRound(v * 1000)), 215}, time_words(t)); }),
        // time, hundredths of a dB, weighting A, temperature in 0.01 ℃;
        // records: tenths of a dB, weighting A, time
        model<KQ285_INTERFACE>(
            "KQ285",
            [](quint32 t, double v) { return joined(time_words(t), {quint16(qRound(v * 100)), 0, 2450}); },
            [](quint32 t, double v) { return joined({quint16(qRound(v * 10)), 0}, time_words(t)); }),
        // time, tenths of a reading, tenths of a degree, mode 0
        model<KQ174_INTERFACE>(
            "KQ174",
            [](quint32 t, double v) {
                return joined(joined(joined(time_words(t), long_words(quint32(qRound(v * 10)))), long_words(250)),
                              {0});
            },
            [](quint32 t, double v) { return joined(joined(time_words(t), long_words(quint32(qRound(v * 10)))), {0}); }),
    };
    for (const Model &m : models)
        if (name == QLatin1String(m.name))
            return m;
    qFatal("no model %s", qPrintable(name));
    return models.first();
}

// A window of `model` on its simulated instrument, whose stored records are
// `records` (one frame), with the PC clock fixed.
struct Open
{
    testkit::ProgramDir dir;
    testkit::FixedClock clock{PC_TIME};
    const Model &m;
    std::shared_ptr<hidsim::GeneralInstrument> inst;
    std::unique_ptr<QMainWindow> w;

    Open(const Model &model, Words records = {}) : m(model)
    {
        hidsim::reset();
        const int frames = records.empty() ? 0 : 1;
        inst = std::make_shared<hidsim::GeneralInstrument>(
            [this](int) { return m.rt_words(T0, 1); }, [records](int) { return records; }, frames);
        inst->set_frames_per_report(1);
        const hidsim::DeviceSpec spec = hidsim::model_device(m.name);
        hidsim::plug(spec, inst);
        w.reset(m.open());
        w->resize(1200, 760);
        m.connect(w.get(), QString::fromStdString(spec.path));
        w->show();
    }
    ~Open()
    {
        w.reset();
        hidsim::reset();
    }
    template <class T> T *get(const char *name) { return w->findChild<T *>(QLatin1String(name)); }
    QCustomPlot *rt_plot() { return get<QCustomPlot>("RT_plot"); }
    QCustomPlot *read_plot() { return get<QCustomPlot>("read_plot"); }
    QTableWidget *read_table() { return get<QTableWidget>("read_table_data"); }

    // A real-time answer at `time`, the PC's clock there too (the KQ263's
    // points take the PC's time).
    void reading(quint32 time, double value)
    {
        clock.set(QDateTime::fromSecsSinceEpoch(time));
        m.realtime(w.get(), queue_of(m.rt_words(time, value)));
    }
    // Through the Upload button and the waiting box, as the operator does it.
    bool upload(int rows)
    {
        QMetaObject::invokeMethod(get<QPushButton>("upload_Button"), "click", Qt::QueuedConnection);
        return testkit::wait_until([&] { return read_table()->rowCount() == rows; }, 8000)
               && testkit::wait_until([] { return !rig::waiting_box_visible(); }, 3000);
    }
    // A radio button clicked; an upload it starts (the KQ186 reloads its
    // records in the new unit) is waited for.
    bool click(const char *radio, int stored_rows)
    {
        QMetaObject::invokeMethod(get<QRadioButton>(radio), "click", Qt::QueuedConnection);
        QTest::qWait(50);
        auto *upload_button = get<QPushButton>("upload_Button");   // the KQ263 has none
        if (!upload_button || !upload_button->isChecked())
            return true;
        return testkit::wait_until([&] { return read_table()->rowCount() == stored_rows; }, 8000)
               && testkit::wait_until([] { return !rig::waiting_box_visible(); }, 3000);
    }
};

// Every point of every graph lies in the visible ranges of its axes.
QString points_outside(QCustomPlot *plot)
{
    for (int g = 0; g < plot->graphCount(); ++g) {
        QCPGraph *graph = plot->graph(g);
        const QCPRange keys = graph->keyAxis()->range(), values = graph->valueAxis()->range();
        for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it)
            if (!keys.contains(it->key) || !values.contains(it->value))
                return QStringLiteral("%1 graph %2: (%3, %4) outside keys [%5, %6], values [%7, %8]")
                    .arg(plot->objectName()).arg(g).arg(it->key, 0, 'f', 0).arg(it->value)
                    .arg(keys.lower, 0, 'f', 0).arg(keys.upper, 0, 'f', 0).arg(values.lower).arg(values.upper);
    }
    return QString();
}

// What a plot shows: its axes' ranges and its points.
QString picture(QCustomPlot *plot)
{
    QStringList out;
    for (QCPAxis *a : plot->axisRect()->axes())
        out << QStringLiteral("%1..%2").arg(a->range().lower, 0, 'g', 10).arg(a->range().upper, 0, 'g', 10);
    for (int g = 0; g < plot->graphCount(); ++g)
        for (auto it = plot->graph(g)->data()->constBegin(); it != plot->graph(g)->data()->constEnd(); ++it)
            out << QString::number(it->value, 'g', 10);
    return out.join(' ');
}

QStringList tick_labels(QCustomPlot *plot)
{
    plot->replot();
    return plot->xAxis->tickVectorLabels().toList();
}

}

class tst_window_graphs : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        tzset();
    }

    // After readings (and an upload), a unit switch and the switch back:
    // every point stays inside its graph both times, and the way back
    // shows what was shown before.
    void unit_switch_keeps_points_in_view_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QByteArray>("back");
        QTest::addColumn<bool>("same_back");   // false: the switch clears the window
        QTest::newRow("KQ257 C to F") << "KQ257" << QByteArray("radioButton_2") << QByteArray("radioButton") << true;
        QTest::newRow("KQ263 lux to fc") << "KQ263" << QByteArray("radioButton_2") << QByteArray("radioButton") << true;
        QTest::newRow("KQ186 Pa to kPa") << "KQ186" << QByteArray("radioButton") << QByteArray("radioButton_3") << true;
        QTest::newRow("KQ278 m/s to ft/s") << "KQ278" << QByteArray("radioButton_2") << QByteArray("radioButton") << false;
        QTest::newRow("KQ174 mode 0 to 1") << "KQ174" << QByteArray("radioButton_2") << QByteArray("radioButton") << true;
    }
    void unit_switch_keeps_points_in_view()
    {
        QFETCH(QString, model);
        QFETCH(QByteArray, to);
        QFETCH(QByteArray, back);
        QFETCH(bool, same_back);
        const Model &m = find_model(model);
        const int n = 20;
        Words records;
        if (m.record_words)
            for (int i = 0; i < n; ++i)
                records = joined(records, m.record_words(T0 - 1000 + quint32(i) * 10, 20 + (i % 5) * 2.5));
        testkit::SoundCounter sounds;
        rig::Boxes boxes;
        Open win(m, records);

        // Switches there and back on a plot, checked both times.
        auto switch_and_back = [&](QCustomPlot *plot) {
            QCOMPARE(points_outside(plot), QString());
            const QString before = picture(plot);
            QVERIFY(win.click(to.constData(), n));
            QCOMPARE(points_outside(plot), QString());
            QVERIFY(win.click(back.constData(), n));
            QCOMPARE(points_outside(plot), QString());
            if (same_back)
                QCOMPARE(picture(plot), before);
        };
        for (int i = 0; i < n; ++i)
            win.reading(T0 + quint32(i), 20 + (i % 5) * 2.5);
        switch_and_back(win.rt_plot());
        if (QTest::currentTestFailed())
            return;
        // An upload clears the real-time page: the stored graph on its own.
        if (m.record_words) {
            QVERIFY(win.upload(n));
            switch_and_back(win.read_plot());
        }
        QVERIFY(boxes.texts().isEmpty());
    }

    // Every stored graph after an upload, whatever the order in which the
    // instrument sends its records: each point inside both visible axes,
    // and the key axis fitted to them (at most ten times their span; the
    // anemometer numbers its records and starts at 0 … 20).
    void stored_graph_shows_every_record_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("newest_first");
        for (const char *m : {"KQ257", "KQ278", "KQ285", "KQ291", "KQ186", "KQ174"}) {
            QTest::newRow(qPrintable(QString("%1 oldest first").arg(m))) << QString(m) << false;
            QTest::newRow(qPrintable(QString("%1 newest first").arg(m))) << QString(m) << true;
        }
    }
    void stored_graph_shows_every_record()
    {
        QFETCH(QString, model);
        QFETCH(bool, newest_first);
        const int n = 10;
        testkit::SoundCounter sounds;
        rig::Boxes boxes;
        std::unique_ptr<Open> general;
        std::unique_ptr<rig::WindowOn<KQ291_INTERFACE, hidsim::Kq291Instrument>> kq291;
        QCustomPlot *plot = nullptr;
        if (model == "KQ291") {
            // Blocks of two samples (2 s apart), ten minutes apart, on one date.
            using Block = hidsim::Kq291Instrument::Block;
            std::vector<Block> blocks;
            for (int i = 0; i < n / 2; ++i)
                blocks.push_back(Block{24, 3, 2, 9, i * 10, 0, {quint16(500 + i * 25), quint16(510 + i * 25)}});
            if (newest_first)
                std::reverse(blocks.begin(), blocks.end());
            kq291.reset(new rig::WindowOn<KQ291_INTERFACE, hidsim::Kq291Instrument>(
                "KQ291", std::make_shared<hidsim::Kq291Instrument>(), PC_TIME));
            kq291->inst->set_blocks(blocks);
            kq291->w->resize(1200, 760);
            QMetaObject::invokeMethod(kq291->get<QPushButton>("upload_Button"), "click", Qt::QueuedConnection);
            auto *dialog = rig::wait_for_dialog<SAVE_DATA_INDEX>();
            QVERIFY(dialog);
            auto *list = dialog->findChild<QListWidget *>("listWidget");
            const auto found = list->findItems("24-03-02", Qt::MatchExactly);
            QVERIFY(!found.isEmpty());
            list->setCurrentItem(found.first());
            auto *ok = dialog->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Ok);
            QMetaObject::invokeMethod(ok, "click", Qt::QueuedConnection);
            QVERIFY(testkit::wait_until([&] { return kq291->read_table()->rowCount() == n; }, 8000));
            QVERIFY(testkit::wait_until([] { return !rig::waiting_box_visible(); }, 3000));
            plot = kq291->get<QCustomPlot>("read_plot");
        } else {
            // Records a minute apart.
            const Model &m = find_model(model);
            Words records;
            for (int i = 0; i < n; ++i) {
                const int k = newest_first ? n - 1 - i : i;
                records = joined(records, m.record_words(T0 - 600 + quint32(k) * 60, 20 + (k % 5) * 2.5));
            }
            general.reset(new Open(m, records));
            QVERIFY(general->upload(n));
            plot = general->read_plot();
        }
        QTest::qWait(50);
        plot->replot();
        QCPGraph *graph = plot->graph(0);
        QCOMPARE(graph->data()->size(), n);
        QCOMPARE(points_outside(plot), QString());
        bool found = false;
        const QCPRange keys = graph->data()->keyRange(found);
        QVERIFY(found);
        const QCPRange axis = graph->keyAxis()->range();
        QVERIFY2(axis.size() <= 10 * keys.size(),
                 qPrintable(QStringLiteral("records %1 … %2, axis %3 … %4")
                                .arg(keys.lower, 0, 'f', 0).arg(keys.upper, 0, 'f', 0)
                                .arg(axis.lower, 0, 'f', 0).arg(axis.upper, 0, 'f', 0)));
        if (model == "KQ278") {
            QCOMPARE(axis.lower, 0.0);
            QCOMPARE(axis.upper, 20.0);
        }
        QVERIFY2(boxes.texts().isEmpty(), qPrintable(boxes.texts().join(" | ")));
    }

    // Each reading shows after one pass of the event loop: its row (the
    // table scrolled to it), its point on a redrawn graph, the dial and the
    // statistics. Their texts grow longer; a box held at its size while its
    // texts fit is freed by one that does not, so none is left cut.
    void a_reading_shows_after_one_pass_data()
    {
        QTest::addColumn<QString>("model");
        // The dial's top in hundredths (it stops there); 0, or false: the
        // dial or the statistics show the value otherwise (another unit or
        // number of decimals).
        QTest::addColumn<int>("dial_top");
        QTest::addColumn<bool>("statistics");
        QTest::newRow("KQ257") << "KQ257" << 8000 << true;
        QTest::newRow("KQ263") << "KQ263" << 100000000 << true;
        QTest::newRow("KQ186") << "KQ186" << 0 << false;
        QTest::newRow("KQ278") << "KQ278" << 0 << true;
        QTest::newRow("KQ174") << "KQ174" << 0 << false;
    }
    void a_reading_shows_after_one_pass()
    {
        QFETCH(QString, model);
        QFETCH(int, dial_top);
        QFETCH(bool, statistics);
        testkit::SoundCounter sounds;
        rig::Boxes boxes;
        Open win(find_model(model));
        QTest::qWait(50);   // shown and laid out
        QCustomPlot *plot = win.rt_plot();
        auto *table = win.get<QTableWidget>("RT_table_data");
        int replots = 0;
        QObject::connect(plot, &QCustomPlot::afterReplot, [&] { ++replots; });
        const char *const boxes_shown[] = {"MAX_T_label", "MIN_T_label", "AVG_T_label"};

        // Hundredths: 0.25, 8.36, ... 292.21 (the average 146.23 exactly).
        const int n = 37;
        for (int i = 0; i < n; ++i) {
            const int hundredths = 25 + 811 * i;
            const double value = hundredths / 100.0;
            const int before = replots;
            win.reading(T0 + quint32(i), value);
            QCoreApplication::processEvents();
            QVERIFY2(replots > before, qPrintable(QStringLiteral("reading %1 not drawn").arg(i)));
            QCOMPARE(table->rowCount(), i + 1);
            QCOMPARE(points_outside(plot), QString());
            const QRect last = table->visualItemRect(table->item(i, 0));
            QVERIFY2(table->viewport()->rect().contains(last),
                     qPrintable(QStringLiteral("row %1 out of view").arg(i)));
            if (dial_top)
                QCOMPARE(qRound(win.get<QWidget>("gunspeed")->property("value").toDouble() * 100),
                         qMin(hundredths, dial_top));
            if (statistics)
                QVERIFY(win.get<QLabel>("MAX_T_label")->text().startsWith(QString::number(hundredths / 100.0, 'f', 2)));
            // A box held at a fixed size shows its whole text.
            for (const char *name : boxes_shown) {
                auto *label = win.get<QLabel>(name);
                const bool held = label->minimumSize() == label->maximumSize();
                const bool fits = label->width() >= label->sizeHint().width() && label->height() >= label->sizeHint().height();
                QVERIFY2(!held || fits,
                         qPrintable(QStringLiteral("%1 cut at reading %2: \"%3\" needs %4 px, has %5")
                                        .arg(name).arg(i).arg(label->text()).arg(label->sizeHint().width())
                                        .arg(label->width())));
            }
        }
        if (!statistics)
            return;
        QVERIFY(win.get<QLabel>("MAX_T_label")->text().startsWith(QStringLiteral("292.21")));
        QVERIFY(win.get<QLabel>("MIN_T_label")->text().startsWith(QStringLiteral("0.25")));
        QVERIFY(win.get<QLabel>("AVG_T_label")->text().startsWith(QStringLiteral("146.23")));
    }

    // While readings come once a second the status clock shows with each
    // of them, in the paint the reading makes: no paint of its own between
    // two readings. Once they stop it ticks on by itself.
    void clock_paints_with_the_reading_data()
    {
        QTest::addColumn<QString>("model");
        QTest::newRow("KQ257") << "KQ257";
        QTest::newRow("KQ174") << "KQ174";
    }
    void clock_paints_with_the_reading()
    {
        QFETCH(QString, model);
        rig::Boxes boxes;
        Open win(find_model(model));
        QTest::qWait(50);
        QLabel *clock = nullptr;
        for (QLabel *l : win.w->statusBar()->findChildren<QLabel *>())
            if (l->text().contains(QRegularExpression("^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d$")))
                clock = l;
        QVERIFY(clock);

        // The clock's paints that come with no reading.
        struct Paints : QObject
        {
            bool reading = false;
            int stray = 0;
            bool eventFilter(QObject *, QEvent *e) override
            {
                stray += e->type() == QEvent::Paint && !reading;
                return false;
            }
        } paints;
        clock->installEventFilter(&paints);
        for (int i = 0; i <= 3; ++i) {
            paints.reading = true;
            win.reading(T0 + quint32(i), 1.5 + i);
            QCOMPARE(clock->text(), QDateTime::fromSecsSinceEpoch(T0 + i).toString("yyyy/MM/dd hh:mm:ss"));
            QCoreApplication::processEvents();
            paints.reading = false;
            QTest::qWait(1000);
        }
        QCOMPARE(paints.stray, 0);

        // No more readings: the clock's own tick shows the time again.
        win.clock.set(QDateTime::fromSecsSinceEpoch(T0 + 60));
        QVERIFY(testkit::wait_until([&] { return clock->text().endsWith(QDateTime::fromSecsSinceEpoch(T0 + 60).toString("mm:ss")); }, 2500));
        win.clock.set(QDateTime::fromSecsSinceEpoch(T0 + 61));
        QVERIFY(testkit::wait_until([&] { return clock->text().endsWith(QDateTime::fromSecsSinceEpoch(T0 + 61).toString("mm:ss")); }, 1500));
        QVERIFY2(boxes.texts().isEmpty(), qPrintable(boxes.texts().join(" | ")));
    }

    // A steady reading keeps one value range, however many arrive.
    void steady_reading_keeps_its_range_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("stored");
        QTest::addColumn<double>("value");
        QTest::newRow("KQ257 real time") << "KQ257" << false << 23.5;
        QTest::newRow("KQ257 stored") << "KQ257" << true << 23.5;
        QTest::newRow("KQ263 real time") << "KQ263" << false << 512.0;
        QTest::newRow("KQ186 real time") << "KQ186" << false << 1234.0;
        QTest::newRow("KQ186 stored") << "KQ186" << true << 1234.0;
        QTest::newRow("KQ278 real time") << "KQ278" << false << 3.25;
        QTest::newRow("KQ174 real time") << "KQ174" << false << 1480.0;
        QTest::newRow("KQ174 stored") << "KQ174" << true << 1480.0;
    }
    void steady_reading_keeps_its_range()
    {
        QFETCH(QString, model);
        QFETCH(bool, stored);
        QFETCH(double, value);
        const Model &m = find_model(model);
        testkit::SoundCounter sounds;
        Open win(m);
        QCustomPlot *plot = stored ? win.read_plot() : win.rt_plot();
        auto feed = [&](int from, int to) {
            if (!stored) {
                for (int i = from; i < to; ++i)
                    win.reading(T0 + quint32(i), value);
                return;
            }
            Words words;
            for (int i = from; i < to; ++i)
                words = joined(words, m.record_words(T0 + quint32(i), value));
            m.stored(win.w.get(), queue_of(words));
        };
        feed(0, 10);
        const QCPRange after_10 = plot->graph(0)->valueAxis()->range();
        // (The KQ186 stores in its unit of the moment, kPa.)
        QVERIFY2(after_10.contains(plot->graph(0)->data()->constBegin()->value), qPrintable(picture(plot)));
        QVERIFY(after_10.size() >= 1.0);
        QVERIFY2(after_10.size() <= 2.0, qPrintable(picture(plot)));
        feed(10, 1000);
        QCOMPARE(plot->graph(0)->data()->size(), 1000);
        const QCPRange after_1000 = plot->graph(0)->valueAxis()->range();
        QCOMPARE(after_1000.lower, after_10.lower);
        QCOMPARE(after_1000.upper, after_10.upper);
        if (stored)
            return;
        // A time span chosen now ("ALL") keeps it too.
        win.get<QComboBox>("timestamp")->setCurrentIndex(5);
        QCOMPARE(plot->xAxis->range().lower, double(T0));
        QCOMPARE(plot->graph(0)->valueAxis()->range().lower, after_10.lower);
        QCOMPARE(plot->graph(0)->valueAxis()->range().upper, after_10.upper);
    }

    // With no limit set, readings beyond 65535 are readings like any other:
    // no red cell, no alarm count or sound, and they are the extremes.
    void readings_beyond_65535_without_limits_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("KQ174 70000 rpm") << "KQ174" << 70000.0 << "70000.00";
        QTest::newRow("KQ186 70000 Pa") << "KQ186" << 70000.0 << "70000.00";
        QTest::newRow("KQ263 70000 lux") << "KQ263" << 70000.0 << "70000.00lux";
    }
    void readings_beyond_65535_without_limits()
    {
        QFETCH(QString, model);
        QFETCH(double, value);
        QFETCH(QString, shown);
        const Model &m = find_model(model);
        testkit::SoundCounter sounds;
        Open win(m);
        for (int i = 0; i < 3; ++i)
            win.reading(T0 + quint32(i), value);
        QTableWidget *t = win.get<QTableWidget>("RT_table_data");
        QCOMPARE(t->rowCount(), 3);
        for (int r = 0; r < t->rowCount(); ++r)
            QVERIFY(t->item(r, 1)->background() != QBrush(Qt::red, Qt::SolidPattern));
        QCOMPARE(sounds.total(), 0);
        QCOMPARE(win.get<QLabel>("upper_count")->text(), QString("0"));
        QCOMPARE(win.get<QLabel>("lower_count")->text(), QString("0"));
        QCOMPARE(win.get<QLabel>("MAX_T_label")->text(), shown);
        QCOMPARE(win.get<QLabel>("MIN_T_label")->text(), shown);
        QCOMPARE(win.get<QLabel>("AVG_T_label")->text(), shown);
    }

    // Polling, then an upload: one Start click polls again on the real-time
    // pages (the KQ257's own test does the same through its window).
    void one_start_after_an_upload_data()
    {
        QTest::addColumn<QString>("model");
        QTest::newRow("KQ186") << "KQ186";
        QTest::newRow("KQ174") << "KQ174";
    }
    void one_start_after_an_upload()
    {
        QFETCH(QString, model);
        const Model &m = find_model(model);
        testkit::SoundCounter sounds;
        rig::Boxes boxes;
        Open win(m, m.record_words(T0, 1));
        auto *start = win.get<QPushButton>("start_button");
        QTest::mouseClick(start, Qt::LeftButton);
        QVERIFY(win.w->findChild<frame::ModelFrame *>()->poll_timer()->isActive());
        QVERIFY(win.upload(1));
        QVERIFY(!win.w->findChild<frame::ModelFrame *>()->poll_timer()->isActive());
        QTest::mouseClick(start, Qt::LeftButton);
        QVERIFY(start->isChecked());
        QVERIFY(win.w->findChild<frame::ModelFrame *>()->poll_timer()->isActive());
        QCOMPARE(win.get<QStackedWidget>("polt")->currentIndex(), 0);
        QCOMPARE(win.get<QStackedWidget>("table_data_widget")->currentIndex(), 0);
    }

    // No 1970 on an empty graph; the first seconds get distinct labels.
    void time_axis_of_the_first_seconds_data()
    {
        QTest::addColumn<QString>("model");
        QTest::newRow("KQ257") << "KQ257";
        QTest::newRow("KQ263") << "KQ263";
        QTest::newRow("KQ186") << "KQ186";
        QTest::newRow("KQ278") << "KQ278";
        QTest::newRow("KQ174") << "KQ174";
    }
    void time_axis_of_the_first_seconds()
    {
        QFETCH(QString, model);
        const Model &m = find_model(model);
        testkit::SoundCounter sounds;
        Open win(m);
        QVector<QCustomPlot *> plots = {win.rt_plot()};
        if (m.record_words)
            plots << win.read_plot();
        for (QCustomPlot *p : plots) {
            const QStringList labels = tick_labels(p);
            QVERIFY(!labels.isEmpty());
            for (const QString &l : labels)
                QVERIFY2(!l.contains("1970"), qPrintable(p->objectName() + ": " + labels.join(" | ")));
        }
        for (int i = 0; i < 4; ++i) {
            win.reading(T0 + quint32(i), 10 + i);
            const QStringList labels = tick_labels(win.rt_plot());
            QVERIFY(!labels.isEmpty());
            QCOMPARE(QSet<QString>(labels.begin(), labels.end()).size(), labels.size());
            for (const QString &l : labels)
                QVERIFY2(!l.contains("1970"), qPrintable(labels.join(" | ")));
        }
    }

    // The sound level windows' empty graphs too.
    void empty_sound_level_graphs_show_no_1970()
    {
        testkit::ProgramDir dir;
        testkit::FixedClock clock(PC_TIME);
        hidsim::reset();
        std::unique_ptr<QMainWindow> windows[] = {std::unique_ptr<QMainWindow>(new KQ285_INTERFACE),
                                                  std::unique_ptr<QMainWindow>(new KQ291_INTERFACE)};
        for (auto &w : windows)
            for (const char *name : {"RT_plot", "read_plot"})
                for (const QString &l : tick_labels(w->findChild<QCustomPlot *>(name)))
                    QVERIFY2(!l.contains("1970"), qPrintable(QString(name) + ": " + l));
    }

    // The time labels of a narrow graph (a small screen) stay apart.
    void narrow_graph_labels_stay_apart_data()
    {
        QTest::addColumn<int>("width");
        for (int w : {250, 340, 500, 900})
            QTest::newRow(qPrintable(QString::number(w))) << w;
    }
    void narrow_graph_labels_stay_apart()
    {
        QFETCH(int, width);
        testkit::FixedClock clock(PC_TIME);
        QCustomPlot plot;
        frame::ModelFrame::set_date_ticker(&plot);
        plot.resize(width, 300);
        plot.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plot));
        const double now = double(PC_TIME.toSecsSinceEpoch());
        for (double span : {60.0, 600.0, 3600.0}) {
            plot.xAxis->setRange(now - span, now);
            plot.replot();
            const QVector<double> ticks = plot.xAxis->tickVector();
            const QVector<QString> labels = plot.xAxis->tickVectorLabels();
            QVERIFY(ticks.size() >= 2);
            const QFontMetrics metrics(plot.xAxis->tickLabelFont());
            for (int i = 1; i < ticks.size(); ++i) {
                int widest = 0;
                for (const QString &line : labels[i - 1].split('\n') + labels[i].split('\n'))
                    widest = std::max(widest, metrics.horizontalAdvance(line.trimmed()));
                const double apart = plot.xAxis->coordToPixel(ticks[i]) - plot.xAxis->coordToPixel(ticks[i - 1]);
                QVERIFY2(apart > widest, qPrintable(QStringLiteral("%1 s over %2 px: %3 px apart, labels %4 px")
                                                        .arg(span).arg(width).arg(apart).arg(widest)));
            }
        }
    }
};

QTEST_MAIN(tst_window_graphs)
#include "tst_window_graphs.moc"
