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
        window_kit::click(window_kit::child<QPushButton>(m_w.get(), "start_button"));
        const bool ok = testkit::wait_until([&] { return table(false)->rowCount() >= 3; }, 10000);
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

// The viewer's headers are row 2 of the workbook.
QStringList expected_headers(const QString &model, bool stored, const QStringList &w)
{
    if (model == "KQ240")
        return QStringList(w) << "Unit";
    if (model == "KQ257")   // pairs under merged headers, the second cell empty
        return {w[0], w[1], QString(), w[2], QString()};
    if (model == "KQ278" && !stored)   // C2 keeps its first header under the merge
        return {w[0], w[1], w[2], w[2], QString()};
    return w;
}

int viewer_rows(const import_data &v)
{
    const auto *m = v.findChild<QTableView *>("import_table")->model();
    return m ? m->rowCount() : -1;
}

// The first number in a window's cell text ("NULL" has none).
bool number_in(const QString &text, double *value)
{
    static const QRegularExpression rx(QStringLiteral("-?\\d+(\\.\\d+)?"));
    const QRegularExpressionMatch m = rx.match(text);
    if (m.hasMatch())
        *value = m.captured().toDouble();
    return m.hasMatch();
}

double number(const QString &text)
{
    double v = 0;
    return number_in(text, &v) ? v : qQNaN();
}

// A reading with the viewer's decimals; a cell without one reads as it is.
QString fixed(const QString &text, int decimals)
{
    double v = 0;
    return number_in(text, &v) ? QString::number(v, 'f', decimals) : text;
}

// The text after the number: the unit a cell carries.
QString suffix(const QString &text)
{
    int i = text.size();
    while (i > 0 && !text[i - 1].isDigit())
        --i;
    return text.mid(i).trimmed();
}

// What the viewer shows for one row of the window's table, by the viewer's
// column rules for the model.
QStringList expected_row(const QString &model, bool stored, bool date, const QStringList &w)
{
    const QString key = date || model == "KQ257" ? w[0] : QString::number(number(w[0]), 'g', 6);
    if (model == "KQ240")
        return QStringList{key} << w.mid(1) << QString();
    if (model == "KQ257")
        return {key, fixed(w[1], 1), suffix(w[1]), fixed(w[2], 1), suffix(w[2])};
    if (model == "KQ263")
        return {key, fixed(w[1], 2), w[2]};
    if (model == "KQ278" && !stored)
        // Speed alone in B, its unit in C; the temperature pair is not read.
        return {key, fixed(w[1], 2), suffix(w[1]), QString(), QString()};
    if (model == "KQ278")
        return {key, fixed(w[1], 2) + suffix(w[1]), fixed(w[2], 1) + suffix(w[2])};
    return {key, fixed(w[1], 1), w[2]};
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

    void export_reopens_in_viewer_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QString>("recognised");   // the viewer's model
        QTest::addColumn<QString>("unit");         // the viewer's unit after opening
        QTest::addColumn<bool>("date");            // the viewer reads column A as date-times
        QTest::addColumn<QString>("radio");        // a unit chosen on the window first
        QTest::addColumn<double>("reading");       // one steady reading, 0 for the simulator's own
        QTest::addColumn<QString>("again");        // the file's unit chosen on the viewer next
        QTest::newRow("KQ240 real-time") << "KQ240" << false << "KQ240" << "℃" << true << "" << 0.0 << "";
        QTest::newRow("KQ240 stored") << "KQ240" << true << "KQ240" << "℃" << false << "" << 0.0 << "";
        QTest::newRow("KQ240 real-time ℉") << "KQ240" << false << "KQ240" << "℉" << true << "radioButton_2" << 0.0 << "℉";
        QTest::newRow("KQ240 stored ℉") << "KQ240" << true << "KQ240" << "℉" << false << "radioButton_2" << 0.0 << "℉";
        QTest::newRow("KQ257 real-time") << "KQ257" << false << "KQ257" << "" << true << "" << 0.0 << "";
        QTest::newRow("KQ257 stored") << "KQ257" << true << "KQ257" << "" << true << "" << 0.0 << "";
        QTest::newRow("KQ257 real-time ℉") << "KQ257" << false << "KQ257" << "" << true << "radioButton_2" << 0.0 << "℉";
        QTest::newRow("KQ257 stored ℉") << "KQ257" << true << "KQ257" << "" << true << "radioButton_2" << 0.0 << "℉";
        QTest::newRow("KQ263 real-time") << "KQ263" << false << "KQ263" << "lux" << true << "" << 0.0 << "";
        QTest::newRow("KQ263 real-time fc") << "KQ263" << false << "KQ263" << "fc" << true << "radioButton_2" << 0.0 << "fc";
        QTest::newRow("KQ278 real-time") << "KQ278" << false << "KQ278" << "" << true << "" << 0.0 << "";
        QTest::newRow("KQ278 stored") << "KQ278" << true << "KQ278" << "m/s" << false << "" << 0.0 << "";
        QTest::newRow("KQ278 real-time ft/s") << "KQ278" << false << "KQ278" << "" << true << "radioButton_2" << 0.0 << "ft/s";
        QTest::newRow("KQ285 real-time") << "KQ285" << false << "KQ285" << "dbA" << true << "" << 0.0 << "";
        QTest::newRow("KQ285 stored") << "KQ285" << true << "KQ285" << "dbA" << true << "" << 0.0 << "";
        QTest::newRow("KQ291 real-time") << "KQ291" << false << "KQ285" << "dbA" << true << "" << 0.0 << "";
        QTest::newRow("KQ291 stored") << "KQ291" << true << "KQ285" << "dbA" << true << "" << 0.0 << "";
        QTest::newRow("KQ186 real-time") << "KQ186" << false << "KQ186" << "Pa" << true << "" << 0.0 << "";
        QTest::newRow("KQ186 stored") << "KQ186" << true << "KQ186" << "Pa" << true << "" << 0.0 << "";
        QTest::newRow("KQ186 real-time 1000000 Pa") << "KQ186" << false << "KQ186" << "Pa" << true << "" << 1000000.0 << "";
        // The two pressure units written with "^2".
        QTest::newRow("KQ186 real-time oz/in^2") << "KQ186" << false << "KQ186" << "oz/in^2" << true << "radioButton_7" << 0.0 << "";
        QTest::newRow("KQ186 real-time kg/cm^2") << "KQ186" << false << "KQ186" << "kg/cm^2" << true << "radioButton_8" << 0.0 << "";
        QTest::newRow("KQ174 real-time") << "KQ174" << false << "KQ174" << "" << true << "" << 0.0 << "";
        QTest::newRow("KQ174 stored") << "KQ174" << true << "KQ174" << "" << false << "" << 0.0 << "";
    }
    void export_reopens_in_viewer()
    {
        QFETCH(QString, model);
        QFETCH(bool, stored);
        QFETCH(QString, recognised);
        QFETCH(QString, unit);
        QFETCH(bool, date);
        QFETCH(QString, radio);
        QFETCH(double, reading);
        QFETCH(QString, again);

        const QString session = model + radio + QString::number(reading);
        if (m_session_model != session) {
            m_session.reset();
            m_session.reset(open_session(model, reading));
            m_session_model = session;
            if (!radio.isEmpty())
                m_session->choose(radio);
        }
        QVERIFY(stored ? m_session->upload() : m_session->read_realtime());
        const QString path = m_files->filePath(QString("%1-%2%3.xlsx").arg(model, stored ? "stored" : "rt", radio));
        {
            rig::SaveNames names(path);
            m_session->save_table();
        }
        const Table window = snapshot(m_session->table(stored));
        QVERIFY(!window.rows.isEmpty());
        if (reading != 0)   // the window shows the steady reading itself
            QCOMPARE(window.rows.last()[1], QString::number(reading, 'f', 0));

        import_data v(nullptr, path);
        QCOMPARE(v.read_error(), QString());
        QCOMPARE(v.model(), recognised);
        QCOMPARE(v.value_unit(), unit);
        QCOMPARE(v.date_column(), date);
        QCOMPARE(viewer_headers(v), expected_headers(model, stored, window.headers));
        QCOMPARE(viewer_rows(v), window.rows.size());
        for (int r = 0; r < window.rows.size(); ++r)
            QCOMPARE(viewer_row(v, r), expected_row(model, stored, date, window.rows[r]));
        if (again.isEmpty())
            return;
        // The unit the file is written in, chosen on the viewer: nothing changes.
        QRadioButton *same = nullptr;
        for (QRadioButton *b : v.findChildren<QRadioButton *>())
            if (b->text() == again)
                same = b;
        QVERIFY(same);
        same->click();
        for (int r = 0; r < window.rows.size(); ++r) {
            QStringList row = expected_row(model, stored, date, window.rows[r]);
            if (model == "KQ278" && !stored)   // a chosen speed unit follows each value
                row[1] += again;
            QCOMPARE(viewer_row(v, r), row);
        }
    }
};

QTEST_MAIN(tst_window_exports_in_viewer)
#include "tst_window_exports_in_viewer.moc"
