#include "import_data/import_data.h"
#include "KQ285_interface/kq285_interface.h"
#include "KQ285_interface/kq285_words.h"
#include "general_instrument.h"
#include "frame/model_frame.h"
#include "testkit.h"
#include "disk_faults.h"
#include "workbook/workbook.h"

#include "../sound/sound_rig.h"
#include "../temp/window_kit.h"
#include "../tools/tools_kit.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QScrollBar>
#include <QLineEdit>
#include <QTranslator>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

QStringList *g_log = nullptr;
QtMessageHandler g_previous = nullptr;

void capture(QtMsgType, const QMessageLogContext &, const QString &msg)
{
    if (g_log)
        *g_log << msg;
}

struct LogCapture
{
    QStringList lines;
    LogCapture()
    {
        g_log = &lines;
        g_previous = qInstallMessageHandler(capture);
    }
    ~LogCapture()
    {
        qInstallMessageHandler(g_previous);
        g_log = nullptr;
    }
    bool has(const QString &part) const
    {
        for (const QString &l : lines)
            if (l.contains(part))
                return true;
        return false;
    }
};

using Rows = QList<QStringList>;
const QString T0 = QStringLiteral("12:00:00 2024-01-01");
const QString T1 = QStringLiteral("12:00:01 2024-01-01");
const QString T2 = QStringLiteral("12:00:02 2024-01-01");

// A sheet of text cells: row 1 the title, then the given rows from row 2.
void text_rows(workbook::Writer &w, const QString &title, const Rows &rows)
{
    w.write_string(1, 1, title);
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            w.write_string(r + 2, c + 1, rows[r][c]);
}

// A model window's table with the given headers and rows of cell texts.
std::unique_ptr<QTableWidget> window_table(const QStringList &headers, const Rows &rows)
{
    std::unique_ptr<QTableWidget> t(new QTableWidget(rows.size(), headers.size()));
    t->setHorizontalHeaderLabels(headers);
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c)
            t->setItem(r, c, new QTableWidgetItem(rows[r][c]));
    return t;
}

QStringList table_row(const import_data &v, int row)
{
    const QAbstractItemModel *m = v.findChild<QTableView *>("import_table")->model();
    QStringList out;
    if (!m || row >= m->rowCount())
        return out;
    for (int c = 0; c < m->columnCount(); ++c)
        out << m->index(row, c).data().toString();
    return out;
}

QStringList headers(const import_data &v)
{
    const auto *m = v.findChild<QTableView *>("import_table")->model();
    QStringList out;
    for (int c = 0; m && c < m->columnCount(); ++c)
        out << m->headerData(c, Qt::Horizontal).toString();
    return out;
}

int table_rows(const import_data &v)
{
    const auto *m = v.findChild<QTableView *>("import_table")->model();
    return m ? m->rowCount() : -1;
}

// MAX, MIN, AVG boxes of a channel (1 to 4); "-" for a box that was removed.
QStringList boxes(const import_data &v, int channel)
{
    static const char *names[4][3] = {{"lineEdit_41", "lineEdit_33", "lineEdit_39"},
                                      {"lineEdit_30", "lineEdit_34", "lineEdit_38"},
                                      {"lineEdit_32", "lineEdit_35", "lineEdit_40"},
                                      {"lineEdit_29", "lineEdit_36", "lineEdit_37"}};
    QStringList out;
    for (const char *n : names[channel - 1]) {
        const auto *e = v.findChild<QLineEdit *>(n);
        out << (e ? e->text() : QStringLiteral("-"));
    }
    return out;
}

QStringList radios(const import_data &v)
{
    QStringList out;
    for (QRadioButton *r : v.findChild<QWidget *>("groupBox")->findChildren<QRadioButton *>())
        out << r->text() + (r->isChecked() ? "*" : "");
    return out;
}

QRadioButton *radio(import_data &v, const QString &text)
{
    for (QRadioButton *r : v.findChildren<QRadioButton *>())
        if (r->text() == text)
            return r;
    qWarning() << "no radio" << text;
    return nullptr;
}

QCustomPlot *plot(import_data &v)
{
    return v.findChild<QCustomPlot *>("import_plot");
}

quint32 local_seconds(const QString &text)
{
    return quint32(QDateTime::fromString(text, "hh:mm:ss yyyy-MM-dd").toSecsSinceEpoch());
}

QByteArray run_python(const QString &script, const QStringList &args)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), script} + args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        qWarning() << p.readAllStandardError();
    return p.readAllStandardOutput();
}

}

class tst_import_data : public QObject
{
    Q_OBJECT
    std::unique_ptr<testkit::ProgramDir> m_dir;
    int m_books = 0;

    QString book(const std::function<void(workbook::Writer &)> &fill)
    {
        workbook::Writer w;
        fill(w);
        const QString path = m_dir->file(QStringLiteral("book%1.xlsx").arg(++m_books));
        QString error;
        if (!w.save(path, &error))
            qWarning() << error;
        return path;
    }
    QString text_book(const QString &title, const Rows &rows)
    {
        return book([&](workbook::Writer &w) { text_rows(w, title, rows); });
    }
    // A thermometer title, then `unit` repeated to `bytes` of sheet XML in a
    // deflated archive of a few hundred kilobytes.
    QString endless_book(const QString &unit, bool in_one_row, qint64 bytes)
    {
        const QString path = m_dir->file(QStringLiteral("endless%1.xlsx").arg(++m_books));
        run_python(QStringLiteral(
                       "import sys, zipfile\n"
                       "unit, one_row, size = sys.argv[2], sys.argv[3] == '1', int(sys.argv[4])\n"
                       "head = ('<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">'\n"
                       "        '<sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>KQ240 datasheet</t></is></c></row>')\n"
                       "if one_row: head += '<row r=\"2\">'\n"
                       "tail = ('</row>' if one_row else '') + '</sheetData></worksheet>'\n"
                       "chunk = (unit * ((1 << 20) // len(unit))).encode()\n"
                       "z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED, compresslevel=9)\n"
                       "with z.open('xl/worksheets/sheet1.xml', 'w', force_zip64=True) as f:\n"
                       "    f.write(head.encode())\n"
                       "    for _ in range(size // len(chunk) + 1): f.write(chunk)\n"
                       "    f.write(tail.encode())\n"
                       "z.close()\n"),
                   {path, unit, in_one_row ? "1" : "0", QString::number(bytes)});
        return path;
    }

    // A thermometer title and cells that name shared strings or hold a long
    // text, `bytes` of it, in a deflated archive of a megabyte or less:
    // "shared", a table of endless short strings for two cells; "long
    // string", the second string that long; "cell", one inline string.
    QString bomb_book(const QString &kind, qint64 bytes)
    {
        const QString path = m_dir->file(QStringLiteral("bomb%1.xlsx").arg(++m_books));
        run_python(QStringLiteral(
                       "import sys, zipfile\n"
                       "kind, size = sys.argv[2], int(sys.argv[3])\n"
                       "ns = 'http://schemas.openxmlformats.org/spreadsheetml/2006/main'\n"
                       "head = ('<worksheet xmlns=\"%s\"><sheetData><row r=\"1\"><c r=\"A1\" t=\"inlineStr\">'\n"
                       "        '<is><t>KQ240 datasheet</t></is></c></row><row r=\"2\">' % ns)\n"
                       "tail = '</row></sheetData></worksheet>'\n"
                       "z = zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED, compresslevel=9)\n"
                       "if kind == 'cell':\n"
                       "    with z.open('xl/worksheets/sheet1.xml', 'w', force_zip64=True) as f:\n"
                       "        f.write((head + '<c r=\"A2\" t=\"inlineStr\"><is><t>').encode())\n"
                       "        for _ in range(size >> 20): f.write(b'a' * (1 << 20))\n"
                       "        f.write(b'a' * (size & 0xFFFFF))\n"
                       "        f.write(('</t></is></c>' + tail).encode())\n"
                       "else:\n"
                       "    z.writestr('xl/worksheets/sheet1.xml', head + '<c r=\"A2\" t=\"s\"><v>0</v></c>'\n"
                       "               '<c r=\"B2\" t=\"s\"><v>1</v></c>' + tail)\n"
                       "    with z.open('xl/sharedStrings.xml', 'w', force_zip64=True) as f:\n"
                       "        f.write(('<sst xmlns=\"%s\"><si><t>Date</t></si>' % ns).encode())\n"
                       "        if kind == 'shared':\n"
                       "            chunk = b'<si><t>12:00:00 2024-01-01</t></si>' * 30000\n"
                       "            for _ in range(size // len(chunk)): f.write(chunk)\n"
                       "        else:\n"
                       "            f.write(b'<si><t>' + b'a' * size + b'</t></si>')\n"
                       "        f.write(b'</sst>')\n"
                       "z.close()\n"),
                   {path, kind, QString::number(bytes)});
        return path;
    }

private slots:
    void initTestCase() { m_dir.reset(new testkit::ProgramDir); }
    void cleanupTestCase() { m_dir.reset(); }

    // Model, unit, date column and start time from A1, A2, A3, B3, C3.
    void recognition_data()
    {
        QTest::addColumn<Rows>("rows");   // A1, then rows from row 2
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<bool>("date");
        QTest::addColumn<QString>("start");

        QTest::newRow("KQ240") << Rows{{"KQ240 datasheet"}, {"Date", "CH1", "Unit"}, {T0, "23.5℃", "℃"}}
                               << "KQ240" << "℃" << true << T0;
        QTest::newRow("temperature") << Rows{{"temperature log"}, {"num"}, {"1", "70.1℉"}} << "KQ240" << "℉"
                                     << false << "";
        QTest::newRow("KQ257 and KQ240") << Rows{{"KQ257 KQ240"}, {"Date"}, {""}} << "KQ240" << "" << true << "";
        QTest::newRow("WRX-4") << Rows{{"WRX-4 datasheet"}, {"日期"}, {T1, "23.5"}} << "KQ257" << "" << true << T1;
        QTest::newRow("WPL-3") << Rows{{"WPL-3"}, {"Date"}, {T0, "107.6", "lux"}} << "KQ263" << "lux" << true << T0;
        QTest::newRow("WVT-8 km/s") << Rows{{"WVT-8 datasheet"}, {"num"}, {T0, "3.250km/s"}} << "KQ278" << "km/s"
                                    << true << T0;
        QTest::newRow("KQ278 m/s") << Rows{{"KQ278 datasheet"}, {"num"}, {T0, "3.250m/s"}} << "KQ278" << "m/s"
                                   << true << T0;
        QTest::newRow("KQ278 bare") << Rows{{"KQ278 datasheet"}, {"Date"}, {T0, "3.250", "m/s"}} << "KQ278" << "m/s"
                                    << true << T0;
        QTest::newRow("KQ291") << Rows{{"KQ291 datasheet"}, {"Date"}, {T0, "61.2", "dbA"}} << "KQ285" << "dbA"
                               << true << T0;
        QTest::newRow("WBNQ-5") << Rows{{"WBNQ-5"}, {"Date"}, {T0, "61.2", "dbC"}} << "KQ285" << "dbC" << true << T0;
        QTest::newRow("KQ186") << Rows{{"KQ186 datasheet"}, {"Date"}, {T0, "1.5", "mbar"}} << "KQ186" << "mbar"
                               << true << T0;
        QTest::newRow("KQ174") << Rows{{"KQ174 datasheet"}, {"Date"}, {T0, "1.5", "m/min"}} << "KQ174" << "m/min"
                               << true << T0;
        QTest::newRow("lower case") << Rows{{"kq240 datasheet"}, {"Date"}, {T0}} << "" << "" << true << T0;
        QTest::newRow("date lower case") << Rows{{"KQ285 datasheet"}, {"date"}, {T0, "1", "dbA"}} << "KQ285"
                                         << "dbA" << true << T0;
        QTest::newRow("date not parsed") << Rows{{"KQ285 datasheet"}, {"Date"}, {"2024-01-01 12:00", "1", "dbA"}}
                                         << "KQ285" << "dbA" << true << "";
    }
    void recognition()
    {
        QFETCH(Rows, rows);
        QFETCH(QString, model);
        QFETCH(QString, unit);
        QFETCH(bool, date);
        QFETCH(QString, start);
        import_data v(nullptr, text_book(rows[0][0], rows.mid(1)));
        QCOMPARE(v.model(), model);
        QCOMPARE(v.date_column(), date);
        QCOMPARE(v.first_time(), start.isEmpty() ? 0u : local_seconds(start));
        // The thermometer's loader takes its unit from the rows, the
        // tachometer's from its mode radios.
        if (model != QLatin1String("KQ240") && model != QLatin1String("KQ174"))
            QCOMPARE(v.value_unit(), unit);
        QVERIFY(v.read_error().isEmpty());
    }

    // What each model's set-up leaves in the group "set" and the statistics groups.
    void set_up_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("radio_texts");
        QTest::addColumn<int>("channels");   // channels whose boxes remain
        QTest::addColumn<int>("graphs");
        QTest::newRow("KQ240") << "KQ240 datasheet" << QStringList{"℃", "℉"} << 4 << 4;
        QTest::newRow("KQ257") << "WRX-4 datasheet" << QStringList{"℃", "℉"} << 2 << 2;
        QTest::newRow("KQ263") << "KQ263 datasheet" << QStringList{"lux", "fc"} << 2 << 1;
        QTest::newRow("KQ278") << "WVT-8 datasheet" << QStringList{"m/s", "km/h", "ft/s", "mile/h", "knots"} << 1
                               << 1;
        QTest::newRow("KQ285") << "KQ285 datasheet" << QStringList{} << 1 << 1;
        QTest::newRow("KQ186") << "KQ186 datasheet"
                               << QStringList{"Pa*",  "hPa",   "kPa",    "bar",    "mbar",  "psi",   "mmHg",
                                              "inHg", "kg/cm²", "oz/in²", "inH2O", "ftH2O", "mmH2O", "cmH2O"}
                               << 1 << 1;
        QTest::newRow("KQ174") << "KQ174 datasheet"
                               << QStringList{"m", "m/min", "ft/min", "Contact RPM", "Photo RPM", "ALL*"} << 1 << 1;
        QTest::newRow("unknown") << "XYZ datasheet" << QStringList{"m/s", "km/h", "ft/s", "mile/h", "knots"} << 4
                                 << 0;
    }
    void set_up()
    {
        QFETCH(QString, title);
        QFETCH(QStringList, radio_texts);
        QFETCH(int, channels);
        QFETCH(int, graphs);
        import_data v(nullptr, text_book(title, {{"Date"}}));
        QCOMPARE(radios(v), radio_texts);
        for (int ch = 1; ch <= 4; ++ch)
            QCOMPARE(boxes(v, ch).contains("-"), ch > channels);
        QCOMPARE(plot(v)->graphCount(), graphs);
    }

    // Workbooks written by the frame's export layouts, as the KQ240, KQ257,
    // KQ285 and KQ291 windows write them.
    void window_workbooks_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QStringList>("first_row");
        QTest::addColumn<QStringList>("channel1");
        QTest::addColumn<QStringList>("channel2");

        auto kq240 = window_table({"Date", "CH1", "CH2", "CH3", "CH4"},
                                  {{T0, "23.5℃", "NULL", "20.0℃", "21.0℃"}, {T1, "24.5℃", "25.0℃", "NULL", "NULL"}});
        QTest::newRow("KQ240") << book([&](workbook::Writer &w) { frame::write_unit_column_layout(w, kq240.get(), "KQ240", 0); })
                               << "KQ240" << QStringList{T0, "23.5℃", "NULL", "20.0℃", "21.0℃", ""}
                               << QStringList{"24.5℃", "23.5℃", "24.0℃"} << QStringList{"25.0℃", "25.0℃", "25.0℃"};
        auto kq257 = window_table({"Date", "Temperature", "Humidity"},
                                  {{T0, "23.5℃", "45.0%RH"}, {T1, "NULL", "47.0%RH"}});
        QTest::newRow("KQ257") << book([&](workbook::Writer &w) { frame::write_unit_pairs_layout(w, kq257.get(), "WRX-4"); })
                               << "KQ257" << QStringList{T0, "23.50", "℃", "45.00", "%RH"}
                               << QStringList{"23.5℃", "23.5℃", "23.5℃"} << QStringList{"47.0%RH", "45.0%RH", "46.0%RH"};
        auto kq285 = window_table({"Date", "Decibels", "Frequency weighting"},
                                  {{T0, "49.5", kq285::table_unit(0)}, {T1, "60.5", kq285::table_unit(0)}});
        QTest::newRow("KQ285") << book([&](workbook::Writer &w) { frame::write_text_layout(w, kq285.get(), "KQ285", true); })
                               << "KQ285" << QStringList{T0, "49.5", "dbA"} << QStringList{"60.50", "49.50", "55.00"}
                               << QStringList{"-", "-", "-"};
        auto kq291 = window_table({"Date", "DB value", "weight unit"}, {{T2, "61.25", "dbC"}});
        QTest::newRow("KQ291") << book([&](workbook::Writer &w) { frame::write_text_layout(w, kq291.get(), "KQ291", true); })
                               << "KQ285" << QStringList{T2, "61.25", "dbC"} << QStringList{"61.25", "61.25", "61.25"}
                               << QStringList{"-", "-", "-"};
    }
    void window_workbooks()
    {
        QFETCH(QString, path);
        QFETCH(QString, model);
        QFETCH(QStringList, first_row);
        QFETCH(QStringList, channel1);
        QFETCH(QStringList, channel2);
        import_data v(nullptr, path);
        QCOMPARE(v.model(), model);
        QVERIFY(v.date_column());
        QCOMPARE(v.first_time(), local_seconds(first_row[0]));
        QCOMPARE(table_row(v, 0), first_row);
        QCOMPARE(boxes(v, 1), channel1);
        QCOMPARE(boxes(v, 2), channel2);
        QVERIFY(plot(v)->graph(0)->dataCount() > 0);
        QCOMPARE(plot(v)->graph(0)->data()->constBegin()->key, double(local_seconds(first_row[0])));
    }

    // The layouts of the windows still being built, written as their pages say,
    // and unit conversion through the radios.
    void conversion_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("choice");   // radio text, empty for none
        QTest::addColumn<QStringList>("first_row");
        QTest::addColumn<QStringList>("channel1");

        const QString kq263 = text_book("KQ263 datasheet", {{"Date", "light value", "unit"}, {T0, "107.6", "lux"}});
        QTest::newRow("KQ263 lux") << kq263 << "" << QStringList{T0, "107.6", "lux"}
                                   << QStringList{"107.60lux", "107.60lux", "107.60lux"};
        QTest::newRow("KQ263 fc") << kq263 << "fc" << QStringList{T0, "10.0", "fc"}
                                  << QStringList{"10.00fc", "10.00fc", "10.00fc"};

        // Real-time page: value and unit split under merged headers.
        const QString kq278_rt = book([](workbook::Writer &w) {
            text_rows(w, "WVT-8 datasheet", {{"Date", "speed value", "temp value"}});
            w.write_string(2, 2, "speed value");
            w.merge(2, 2, 2, 3);
            w.write_string(2, 4, "temp value");
            w.merge(2, 4, 2, 5);
            for (int c = 0; c < 5; ++c)
                w.write_string(3, c + 1, QStringList{T0, "3.250", "m/s", "21.5", "℃"}[c]);
        });
        QTest::newRow("KQ278 real-time") << kq278_rt << "" << QStringList{T0, "3.250", "m/s", "21.5", "℃"}
                                         << QStringList{"3.25m/s", "3.25m/s", "3.25m/s"};
        QTest::newRow("KQ278 real-time km/h") << kq278_rt << "km/h" << QStringList{T0, "11.700", "km/h", "21.5", "℃"}
                                              << QStringList{"11.70km/h", "11.70km/h", "11.70km/h"};
        const QString kq278_stored = text_book("WVT-8 datasheet", {{"num", "speed", "temp"}, {"1", "3.250m/s", "21.50℃"},
                                                                    {"2", "NULL", "NULL"}});
        QTest::newRow("KQ278 stored knots") << kq278_stored << "knots" << QStringList{"1", "6.305knots", "21.50℃"}
                                            << QStringList{"6.31knots", "6.31knots", "6.31knots"};

        const QString kq186 = text_book("KQ186 datasheet", {{"Date", "Pressure", "unit"}, {T0, "1.500", "kPa"}});
        QTest::newRow("KQ186 as written") << kq186 << "" << QStringList{T0, "1.50", "kPa"}
                                          << QStringList{"1.50kPa", "1.50kPa", "1.50kPa"};
        QTest::newRow("KQ186 Pa") << kq186 << "Pa" << QStringList{T0, "1500", "Pa"}
                                  << QStringList{"1500.00Pa", "1500.00Pa", "1500.00Pa"};
        QTest::newRow("KQ186 mbar") << kq186 << "mbar" << QStringList{T0, "15.0", "mbar"}
                                    << QStringList{"15.00mbar", "15.00mbar", "15.00mbar"};
        QTest::newRow("KQ186 psi") << kq186 << "psi" << QStringList{T0, "0.217", "psi"}
                                   << QStringList{"0.22psi", "0.22psi", "0.22psi"};

        const QString kq240 = book([](workbook::Writer &w) {
            text_rows(w, "KQ240 datasheet", {{"Date", "CH1", "CH2", "Unit"}});
            w.write_string(3, 1, T0);
            w.write_number(3, 2, 20.0);
            w.write_string(3, 3, "无数据");
            w.write_string(3, 4, "℃");
        });
        QTest::newRow("KQ240 as written") << kq240 << "" << QStringList{T0, "20.0℃", "NULL", ""}
                                          << QStringList{"20.0℃", "20.0℃", "20.0℃"};
        QTest::newRow("KQ240 five channels")
            << text_book("KQ240 datasheet", {{"Date", "CH1", "CH2", "CH3", "CH4", "CH5", "Unit"},
                                             {T0, "1", "2", "3", "4", "5", "℃"}})
            << "" << QStringList{T0, "1.0℃", "2.0℃", "3.0℃", "4.0℃", "5.0℃", ""}
            << QStringList{"1.0℃", "1.0℃", "1.0℃"};
        QTest::newRow("KQ240 ℉") << kq240 << "℉" << QStringList{T0, "68.0℉", "NULL", ""}
                                 << QStringList{"68.0℉", "68.0℉", "68.0℉"};

        const QString kq257 = book([](workbook::Writer &w) {
            text_rows(w, "WRX-4 datasheet", {{"Date", "Temperature", "", "Humidity"}});
            w.write_string(3, 1, T0);
            w.write_number(3, 2, 23.5);
            w.write_string(3, 3, "℃");
            w.write_number(3, 4, 45);
            w.write_string(3, 5, "%RH");
        });
        QTest::newRow("KQ257 ℉") << kq257 << "℉" << QStringList{T0, "74.30", "℉", "45.00", "%RH"}
                                 << QStringList{"74.3℉", "74.3℉", "74.3℉"};
    }
    void conversion()
    {
        QFETCH(QString, path);
        QFETCH(QString, choice);
        QFETCH(QStringList, first_row);
        QFETCH(QStringList, channel1);
        import_data v(nullptr, path);
        if (!choice.isEmpty()) {
            QRadioButton *r = radio(v, choice);
            QVERIFY(r);
            r->click();
        }
        QCOMPARE(table_row(v, 0), first_row);
        QCOMPARE(boxes(v, 1), channel1);
    }

    // Rows in ℃ and in ℉ (a unit switched while recording): each row as
    // written, the graph and boxes in the first row's unit; a radio converts
    // each row from its own unit.
    // Files whose rows are in more than one unit: before any radio each row
    // shows its own unit; a radio converts each row from it.
    void mixed_unit_files_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<QStringList>("channel1");

        const QString kq278 = book([](workbook::Writer &w) {
            text_rows(w, "WVT-8 datasheet", {{"Date", "speed value", "speed value", "temp value", ""},
                                             {T0, "9.000", "km/h", "18.0", "℃"},
                                             {T1, "787.400", "ft/m", "18.5", "℃"}});
            w.merge(2, 2, 2, 3);
            w.merge(2, 4, 2, 5);
        });
        QTest::newRow("KQ278 as written") << kq278 << "" << Rows{{T0, "9.000", "km/h", "18.0", "℃"},
                                                                 {T1, "787.400", "ft/m", "18.5", "℃"}}
                                          << QStringList{"14.40km/h", "9.00km/h", "11.70km/h"};
        QTest::newRow("KQ278 m/s") << kq278 << "m/s" << Rows{{T0, "2.500", "m/s", "18.0", "℃"},
                                                              {T1, "4.000", "m/s", "18.5", "℃"}}
                                   << QStringList{"4.00m/s", "2.50m/s", "3.25m/s"};
        QTest::newRow("KQ278 km/h") << kq278 << "km/h" << Rows{{T0, "9.000", "km/h", "18.0", "℃"},
                                                                {T1, "14.400", "km/h", "18.5", "℃"}}
                                    << QStringList{"14.40km/h", "9.00km/h", "11.70km/h"};
        const QString kq186 = text_book("KQ186 datasheet", {{"Date", "Pressure", "unit"},
                                                            {T0, "250", "Pa"}, {T1, "250", "Pa"},
                                                            {T2, "0.25", "kPa"}, {"12:00:03 2024-01-01", "0.25", "kPa"}});
        QTest::newRow("KQ186 as written") << kq186 << "" << Rows{{T0, "250", "Pa"}, {T1, "250", "Pa"},
                                                                 {T2, "0.25", "kPa"},
                                                                 {"12:00:03 2024-01-01", "0.25", "kPa"}}
                                          << QStringList{"250.00Pa", "250.00Pa", "250.00Pa"};
        QTest::newRow("KQ186 Pa") << kq186 << "Pa" << Rows{{T0, "250", "Pa"}, {T1, "250", "Pa"},
                                                           {T2, "250", "Pa"}, {"12:00:03 2024-01-01", "250", "Pa"}}
                                  << QStringList{"250.00Pa", "250.00Pa", "250.00Pa"};
        // Each unit with the window's decimals, cut as the window cuts.
        QTest::newRow("KQ186 bar") << kq186 << "bar" << Rows{{T0, "0.002", "bar"}, {T1, "0.002", "bar"},
                                                             {T2, "0.002", "bar"}, {"12:00:03 2024-01-01", "0.002", "bar"}}
                                   << QStringList{"0.00bar", "0.00bar", "0.00bar"};
        QTest::newRow("KQ186 psi") << kq186 << "psi" << Rows{{T0, "0.036", "psi"}, {T1, "0.036", "psi"},
                                                             {T2, "0.036", "psi"}, {"12:00:03 2024-01-01", "0.036", "psi"}}
                                   << QStringList{"0.04psi", "0.04psi", "0.04psi"};
        const QString kq263 = text_book("KQ263 datasheet", {{"Date", "light value", "unit"},
                                                            {T0, "498.2", "lux"}, {T1, "46.3", "fc"}});
        QTest::newRow("KQ263 as written") << kq263 << "" << Rows{{T0, "498.2", "lux"}, {T1, "46.3", "fc"}}
                                          << QStringList{"498.20lux", "498.20lux", "498.20lux"};
        QTest::newRow("KQ263 lux") << kq263 << "lux" << Rows{{T0, "498.2", "lux"}, {T1, "498.2", "lux"}}
                                   << QStringList{"498.20lux", "498.20lux", "498.20lux"};
        QTest::newRow("KQ263 fc") << kq263 << "fc" << Rows{{T0, "46.3", "fc"}, {T1, "46.3", "fc"}}
                                  << QStringList{"46.30fc", "46.30fc", "46.30fc"};
    }
    void mixed_unit_files()
    {
        QFETCH(QString, path);
        QFETCH(QString, choice);
        QFETCH(Rows, rows);
        QFETCH(QStringList, channel1);
        import_data v(nullptr, path);
        if (!choice.isEmpty()) {
            QRadioButton *r = radio(v, choice);
            QVERIFY(r);
            r->click();
        }
        QCOMPARE(table_rows(v), rows.size());
        for (int r = 0; r < rows.size(); ++r)
            QCOMPARE(table_row(v, r), rows[r]);
        QCOMPARE(boxes(v, 1), channel1);
    }

    // Files whose points once fell outside the graph: every point inside
    // both visible axes, a lone point drawn as a dot.
    void every_point_in_view_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<QStringList>("choices");   // radios clicked one after the other
        const QString T3 = QStringLiteral("12:00:03 2024-01-01");
        QTest::newRow("one row") << "KQ285 datasheet" << Rows{{"Date", "v", "u"}, {T0, "61.2", "dbA"}} << QStringList{};
        QTest::newRow("one record") << "KQ240 datasheet" << Rows{{"num", "CH1", "Unit"}, {"1", "20.5", "℃"}}
                                    << QStringList{"℉"};
        QTest::newRow("same second") << "KQ186 datasheet"
                                     << Rows{{"Date", "p", "u"}, {T0, "250", "Pa"}, {T0, "300", "Pa"}, {T0, "1", "kPa"}}
                                     << QStringList{"Pa", "kPa"};
        QTest::newRow("newest first") << "KQ263 datasheet"
                                      << Rows{{"Date", "l", "u"}, {T3, "40", "lux"}, {T1, "45", "lux"}, {T0, "50", "lux"}}
                                      << QStringList{"fc"};
        QTest::newRow("empty mode") << "KQ174 datasheet"
                                    << Rows{{"num", "Value", "Unit"}, {T0, "10.0", "m"}, {T1, "20.0", "m/min"},
                                            {T3, "30.0", "m/min"}}
                                    << QStringList{"ft/min", "m/min", "ft/min", "ALL", "m"};
    }
    void every_point_in_view()
    {
        QFETCH(QString, title);
        QFETCH(Rows, rows);
        QFETCH(QStringList, choices);
        import_data v(nullptr, text_book(title, rows));
        const auto check = [&](const QString &step) {
            const QCustomPlot *p = plot(v);
            for (int k = 0; k < p->graphCount(); ++k) {
                const QCPGraph *g = p->graph(k);
                const QCPRange x = g->keyAxis()->range(), y = g->valueAxis()->range();
                // No axis wider than a day around rows a few seconds apart.
                QVERIFY2(x.size() < 86400, qPrintable(step));
                for (auto it = g->data()->constBegin(); it != g->data()->constEnd(); ++it) {
                    QVERIFY2(x.contains(it->key),
                             qPrintable(QString("%1: key %2 outside %3..%4").arg(step).arg(it->key).arg(x.lower).arg(x.upper)));
                    QVERIFY2(y.contains(it->value),
                             qPrintable(QString("%1: value %2 outside %3..%4").arg(step).arg(it->value).arg(y.lower).arg(y.upper)));
                }
                if (g->dataCount() == 1)
                    QVERIFY2(g->scatterStyle().shape() != QCPScatterStyle::ssNone, qPrintable(step));
            }
        };
        check("opened");
        for (const QString &c : choices) {
            QRadioButton *r = radio(v, c);
            QVERIFY(r);
            r->click();
            check(c);
            if (QTest::currentTestFailed())
                return;
        }
    }

    // The unit radios read whole at the screen sizes the program runs on,
    // in both languages.
    void radio_texts_fit_data()
    {
        QTest::addColumn<bool>("chinese");
        QTest::addColumn<QSize>("screen");
        QTest::newRow("English 1280x800") << false << QSize(1280, 800);
        QTest::newRow("English 1024x768") << false << QSize(1024, 768);
        QTest::newRow("Chinese 1280x800") << true << QSize(1280, 800);
        QTest::newRow("Chinese 1024x768") << true << QSize(1024, 768);
    }
    void radio_texts_fit()
    {
        QFETCH(bool, chinese);
        QFETCH(QSize, screen);
        QTranslator zh;
        if (chinese) {
            QVERIFY(zh.load(":/res/translator/Chinese.qm"));
            QCoreApplication::installTranslator(&zh);
        }
        for (const char *title : {"KQ174 datasheet", "KQ186 datasheet", "WVT-8 datasheet"}) {
            import_data v(nullptr, text_book(title, {{"Date", "v", "u"}, {T0, "1", "m"}}));
            v.resize(std::min(v.width(), screen.width()), std::min(v.height(), screen.height() - 60));
            v.show();
            QVERIFY(QTest::qWaitForWindowExposed(&v));
            for (QRadioButton *r : v.findChild<QWidget *>("groupBox")->findChildren<QRadioButton *>())
                QVERIFY2(r->width() >= r->sizeHint().width(),
                         qPrintable(QString("%1 \"%2\": %3 of %4 px").arg(title, r->text()).arg(r->width())
                                        .arg(r->sizeHint().width())));
        }
        if (chinese)
            QCoreApplication::removeTranslator(&zh);
    }

    void kq240_rows_in_their_own_units()
    {
        const QString path = book([](workbook::Writer &w) {
            text_rows(w, "KQ240 datasheet", {{"Date", "CH1", "Unit"}, {T0, "20", "℃"}, {T1, "77.0", "℉"}});
        });
        testkit::BoxWatcher boxes_seen;
        import_data v(nullptr, path);
        QCOMPARE(boxes_seen.count(), 0);
        QCOMPARE(table_row(v, 0), (QStringList{T0, "20.0℃", ""}));
        QCOMPARE(table_row(v, 1), (QStringList{T1, "77.0℉", ""}));
        QCOMPARE(boxes(v, 1), (QStringList{"25.0℃", "20.0℃", "22.5℃"}));
        radio(v, "℉")->click();
        QCOMPARE(table_row(v, 0), (QStringList{T0, "68.0℉", ""}));
        QCOMPARE(table_row(v, 1), (QStringList{T1, "77.0℉", ""}));
        QCOMPARE(boxes(v, 1), (QStringList{"77.0℉", "68.0℉", "72.5℉"}));
    }

    void kq174_modes()
    {
        const QString path = text_book("KQ174 datasheet", {{"Date", "Value", "Unit"},
                                                           {T0, "10.0", "m"},
                                                           {T1, "20.0", "m/min"},
                                                           {T2, "70000.0", "ft/min"},
                                                           {"12:00:03 2024-01-01", "30.0", "m/min"}});
        testkit::SoundCounter sounds;
        import_data v(nullptr, path);
        QCOMPARE(table_rows(v), 4);
        QCOMPARE(boxes(v, 1), (QStringList{"70000.00", "10.00", "17515.00"}));
        QCOMPARE(sounds.total(), 0);   // 70000 is beyond 65535, but no limit is set
        QCOMPARE(plot(v)->graph(0)->dataCount(), 4);   // "ALL" shows every row too

        radio(v, "m/min")->click();
        QCOMPARE(table_rows(v), 2);
        QCOMPARE(table_row(v, 0), (QStringList{T1, "20.0", "m/min"}));
        QCOMPARE(table_row(v, 1), (QStringList{"12:00:03 2024-01-01", "30.0", "m/min"}));
        QCOMPARE(boxes(v, 1), (QStringList{"30.00", "20.00", "25.00"}));
        QCOMPARE(plot(v)->graph(0)->dataCount(), 2);
        // The two rows' span, and a fiftieth of it either side.
        QVERIFY(qAbs(plot(v)->xAxis->range().lower - (local_seconds(T1) - 0.04)) < 1e-6);

        radio(v, "ALL")->click();
        QCOMPARE(table_rows(v), 4);
    }

    // Axis fitting of the finishers.
    void axes_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<double>("lower");
        QTest::addColumn<double>("upper");
        QTest::addColumn<double>("first_key");
        QTest::addColumn<double>("last_key");
        QTest::newRow("no rows") << "KQ285 datasheet" << QStringList{} << -0.6 << 0.6 << 0.0 << 10.0;
        QTest::newRow("10 to 30") << "KQ285 datasheet" << QStringList{"10", "30", "20"} << 8.0 << 32.0 << 1.0 << 3.0;
        QTest::newRow("narrow") << "KQ263 datasheet" << QStringList{"20.0", "20.5"} << 19.75 << 20.75 << 1.0 << 2.0;
        QTest::newRow("KQ240 narrow") << "KQ240 datasheet" << QStringList{"20.0", "20.5"} << 19.95 << 20.55 << 1.0
                                      << 2.0;
    }
    void axes()
    {
        QFETCH(QString, title);
        QFETCH(QStringList, values);
        QFETCH(double, lower);
        QFETCH(double, upper);
        QFETCH(double, first_key);
        QFETCH(double, last_key);
        Rows rows{{"num", "value", "Unit"}};
        for (int i = 0; i < values.size(); ++i)
            rows << QStringList{QString::number(i + 1), values[i], "℃"};
        import_data v(nullptr, text_book(title, rows));
        const QCPRange y = plot(v)->yAxis->range();
        QVERIFY2(qAbs(y.lower - lower) < 1e-3 && qAbs(y.upper - upper) < 1e-3,
                 qPrintable(QString("%1 .. %2").arg(y.lower).arg(y.upper)));
        // The key axis spans the rows' own keys.
        const double margin = values.size() > 1 ? 0.02 * (last_key - first_key) : 0;
        QVERIFY(qAbs(plot(v)->xAxis->range().lower - (first_key - margin)) < 1e-9);
        QVERIFY(qAbs(plot(v)->xAxis->range().upper - (last_key + margin)) < 1e-9);
        if (values.isEmpty())
            QCOMPARE(boxes(v, 1), (QStringList{"NULL", "NULL", "NULL"}));
    }

    // Workbooks openpyxl wrote (inline strings, numbers as numbers).
    void workbook_from_another_program()
    {
        const QString path = m_dir->file("openpyxl.xlsx");
        run_python(QStringLiteral(R"PY(
import sys, openpyxl
wb = openpyxl.Workbook(); ws = wb.active
ws["A1"] = "KQ186 datasheet"
ws.append(["Date", "Pressure", "unit"])
ws.append(["12:00:00 2024-01-01", 1.5, "kPa"])
ws.append(["12:00:01 2024-01-01", "NULL", "kPa"])
ws.append(["12:00:02 2024-01-01", 2.5, "kPa"])
wb.save(sys.argv[1])
)PY"),
                   {path});
        import_data v(nullptr, path);
        QCOMPARE(v.model(), QStringLiteral("KQ186"));
        QCOMPARE(v.value_unit(), QStringLiteral("kPa"));
        QCOMPARE(table_rows(v), 3);
        QCOMPARE(table_row(v, 1), (QStringList{T1, "NULL", "kPa"}));
        QCOMPARE(boxes(v, 1), (QStringList{"2.50kPa", "1.50kPa", "2.00kPa"}));
        radio(v, "hPa")->click();
        QCOMPARE(table_row(v, 2), (QStringList{T2, "25.0", "hPa"}));
        QCOMPARE(plot(v)->graph(0)->dataCount(), 2);
    }

    // Files that are no workbook of ours: a log line says why, the window stays
    // usable and empty, nothing crashes.
    // The anemometer's split real-time layout and a stored page whose
    // date-times are headed "num", as openpyxl writes them (numbers as
    // numbers, inline strings).
    void other_program_layouts()
    {
        const QString rt = m_dir->file("openpyxl_kq278.xlsx");
        const QString stored = m_dir->file("openpyxl_kq174.xlsx");
        run_python(QStringLiteral(R"PY(
import sys, openpyxl
wb = openpyxl.Workbook(); ws = wb.active
ws["A1"] = "WVT-8 datasheet"
ws.append(["Date", "speed value", None, "temp value", None])
ws.merge_cells("B2:C2"); ws.merge_cells("D2:E2")
ws.append(["12:00:00 2024-01-01", 9, "km/h", 18.5, "℃"])
ws.append(["12:00:01 2024-01-01", 2.5, "m/s", 18.25, "℃"])
wb.save(sys.argv[1])
wb = openpyxl.Workbook(); ws = wb.active
ws["A1"] = "KQ174 datasheet"
ws.append(["num", "Value", "Unit"])
ws.append(["12:00:00 2024-01-01", 12.5, "m"])
ws.append(["12:00:02 2024-01-01", 1480, "Photo RPM"])
wb.save(sys.argv[2])
)PY"),
                   {rt, stored});
        import_data a(nullptr, rt);
        QCOMPARE(a.model(), QStringLiteral("KQ278"));
        QCOMPARE(headers(a), (QStringList{"Date", "speed value", "", "temp value", ""}));
        QCOMPARE(table_row(a, 0), (QStringList{T0, "9.000", "km/h", "18.5", "℃"}));
        QCOMPARE(table_row(a, 1), (QStringList{T1, "2.500", "m/s", "18.25", "℃"}));
        radio(a, "m/s")->click();
        QCOMPARE(table_row(a, 0), (QStringList{T0, "2.500", "m/s", "18.5", "℃"}));
        QCOMPARE(boxes(a, 1), (QStringList{"2.50m/s", "2.50m/s", "2.50m/s"}));

        import_data b(nullptr, stored);
        QVERIFY(b.date_column());
        QCOMPARE(b.first_time(), local_seconds(T0));
        QCOMPARE(table_row(b, 1), (QStringList{T2, "1480", "Photo RPM"}));
        QCOMPARE(plot(b)->graph(0)->data()->constBegin()->key, double(local_seconds(T0)));
    }

    void malformed_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("log");
        QTest::addColumn<bool>("read_error");

        const QString not_zip = m_dir->file("not_zip.xlsx");
        QFile f(not_zip);
        f.open(QIODevice::WriteOnly);
        f.write("this is plain text, not a workbook");
        f.close();
        QTest::newRow("not a zip") << not_zip << "not a zip archive" << true;

        const QString no_sheet = m_dir->file("no_sheet.xlsx");
        run_python(QStringLiteral("import sys, zipfile\n"
                                  "z = zipfile.ZipFile(sys.argv[1], 'w')\n"
                                  "z.writestr('[Content_Types].xml', '<Types/>')\n"
                                  "z.close()\n"),
                   {no_sheet});
        QTest::newRow("zip without sheet") << no_sheet << "holds no worksheet" << true;

        const QString whole = text_book("KQ285 datasheet", {{"Date", "v", "u"}, {T0, "1", "dbA"}});
        QFile in(whole);
        in.open(QIODevice::ReadOnly);
        const QByteArray bytes = in.readAll();
        in.close();
        const QString truncated = m_dir->file("truncated.xlsx");
        QFile out(truncated);
        out.open(QIODevice::WriteOnly);
        out.write(bytes.left(bytes.size() / 2));
        out.close();
        QTest::newRow("truncated") << truncated << "workbook not readable" << true;

        QTest::newRow("unknown title") << text_book("Report of March", {{"Date"}, {T0, "1"}})
                                       << "workbook of no known model" << false;
        QTest::newRow("empty sheet") << book([](workbook::Writer &) {}) << "workbook of no known model" << false;
        // A title and one cell in the sheet's last column: no view could show it.
        QTest::newRow("cell at XFD20000") << book([](workbook::Writer &w) {
            w.write_string(1, 1, "KQ240 datasheet");
            w.write_string(20000, 16384, "x");
        }) << "workbook not readable" << true;
        // Small archives of endless repeated cells: no export of a window,
        // refused once past what a window could have written.
        QTest::newRow("rows past the sheet's last")
            << endless_book("<row><c><v>1</v></c><c><v>2</v></c></row>", false, 1100000ll * 41)
            << "workbook not readable" << true;
        QTest::newRow("one cell written millions of times")
            << endless_book("<c r=\"B2\"><v>1</v></c>", true, 8500000ll * 22)
            << "workbook not readable" << true;
        // Small archives that inflate to hundreds of megabytes of text.
        QTest::newRow("shared strings far past the cells")
            << bomb_book("shared", 100000000) << "lists more than 1026 strings, for 2 cells" << true;
        QTest::newRow("one cell of 100 MB")
            << bomb_book("cell", 100000000) << "sheet1.xml holds a text or tag of more than" << true;
        QTest::newRow("cell of 2,000 characters")
            << bomb_book("cell", 2000) << "cell A2 holds a text longer than 1024 characters" << true;
        QTest::newRow("shared string of 2,000 characters")
            << bomb_book("long string", 2000) << "string 1 is longer than 1024 characters" << true;
    }
    void malformed()
    {
        QFETCH(QString, path);
        QFETCH(QString, log);
        QFETCH(bool, read_error);
        LogCapture capture;
        testkit::BoxWatcher seen;
        import_data v(nullptr, path);
        v.show();
        QVERIFY2(capture.has(log), qPrintable(capture.lines.join('\n')));
        QCOMPARE(!v.read_error().isEmpty(), read_error);
        QCOMPARE(v.model(), QString());
        QCOMPARE(table_rows(v), 0);
        QCOMPARE(plot(v)->graphCount(), 0);
        // The buttons still work on the empty window.
        const QString saved = m_dir->file(QStringLiteral("empty %1.xlsx").arg(QTest::currentDataTag()));
        tools_kit::ChooserAnswer chooser([&](QFileDialog *fd) { tools_kit::choose(fd, saved); });
        v.findChild<QPushButton *>("save_table")->click();
        QVERIFY(window_kit::print_preview_to_pdf([&] { v.findChild<QPushButton *>("print_table")->click(); },
                                                 m_dir->file("empty.pdf")));
        QCOMPARE(seen.count(), 0);
        QCOMPARE(chooser.seen(), 1);
    }

    // Values stored as numbers read as the numbers they are, large or small.
    void numeric_cells()
    {
        import_data v(nullptr, book([](workbook::Writer &w) {
            text_rows(w, "KQ263 datasheet", {{"Date", "light value", "unit"}});
            const double values[] = {1000000, 0.000123, 123456.5};
            for (int i = 0; i < 3; ++i) {
                w.write_string(3 + i, 1, QStringList{T0, T1, T2}[i]);
                w.write_number(3 + i, 2, values[i]);
                w.write_string(3 + i, 3, "lux");
            }
        }));
        QCOMPARE(table_row(v, 0), (QStringList{T0, "1000000.0", "lux"}));
        QCOMPARE(table_row(v, 2), (QStringList{T2, "123456.5", "lux"}));
        QCOMPARE(plot(v)->graph(0)->data()->at(1)->value, 0.000123);
        QCOMPARE(boxes(v, 1)[0], QStringLiteral("1000000.00lux"));
    }

    // A workbook whose texts are shared strings, as LibreOffice saves one:
    // the viewer reads it whole, the table after the sheet.
    void shared_strings_workbook()
    {
        const QString path = m_dir->file("shared.xlsx");
        // Strings: 0 title, 1 Date, 2 Pressure, 3 unit, 4 kPa, then the times.
        const QStringList times{T0, T1, T2};
        QString xml = QStringLiteral("<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
                                     "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>"
                                     "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>1</v></c><c r=\"B2\" t=\"s\"><v>2</v></c>"
                                     "<c r=\"C2\" t=\"s\"><v>3</v></c></row>");
        QString sst = QStringLiteral("<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                                     "<si><t>KQ186 datasheet</t></si><si><t>Date</t></si><si><t>Pressure</t></si>"
                                     "<si><t>unit</t></si><si><t>kPa</t></si>");
        for (int i = 0; i < times.size(); ++i) {
            xml += QStringLiteral("<row r=\"%1\"><c r=\"A%1\" t=\"s\"><v>%2</v></c><c r=\"B%1\"><v>%3</v></c>"
                                  "<c r=\"C%1\" t=\"s\"><v>4</v></c></row>")
                       .arg(i + 3)
                       .arg(5 + i)
                       .arg(QStringList{"1.5", "3.5", "2.5"}[i]);
            sst += QStringLiteral("<si><t>%1</t></si>").arg(times[i]);
        }
        xml += QStringLiteral("</sheetData></worksheet>");
        sst += QStringLiteral("</sst>");
        run_python(QStringLiteral("import sys, zipfile\n"
                                  "z = zipfile.ZipFile(sys.argv[1], 'w')\n"
                                  "z.writestr('xl/sharedStrings.xml', sys.argv[3])\n"
                                  "z.writestr('xl/worksheets/sheet1.xml', sys.argv[2])\n"
                                  "z.close()\n"),
                   {path, xml, sst});
        import_data v(nullptr, path);
        QVERIFY2(v.read_error().isEmpty(), qPrintable(v.read_error()));
        QCOMPARE(v.model(), QStringLiteral("KQ186"));
        QCOMPARE(table_rows(v), 3);
        QCOMPARE(table_row(v, 1), (QStringList{T1, "3.50", "kPa"}));   // kPa at the window's two decimals
        QCOMPARE(boxes(v, 1), (QStringList{"3.50kPa", "1.50kPa", "2.50kPa"}));
    }

    // A numeric cell past what a number can hold is unreadable, as "NULL"
    // is: in no box and no graph point.
    void out_of_range_number_is_unreadable()
    {
        const QString path = m_dir->file("out_of_range.xlsx");
        const QStringList values{"1.5", "1e400", "2.5", "-1e400"};
        QString xml = QStringLiteral("<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
                                     "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>KQ186 datasheet</t></is></c></row>"
                                     "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>Date</t></is></c>"
                                     "<c r=\"B2\" t=\"inlineStr\"><is><t>Pressure</t></is></c>"
                                     "<c r=\"C2\" t=\"inlineStr\"><is><t>unit</t></is></c></row>");
        for (int i = 0; i < values.size(); ++i)
            xml += QStringLiteral("<row r=\"%1\"><c r=\"A%1\" t=\"inlineStr\"><is><t>%2</t></is></c><c r=\"B%1\"><v>%3</v></c>"
                                  "<c r=\"C%1\" t=\"inlineStr\"><is><t>kPa</t></is></c></row>")
                       .arg(i + 3)
                       .arg(QStringList{T0, T1, T2, "12:00:03 2024-01-01"}[i], values[i]);
        xml += QStringLiteral("</sheetData></worksheet>");
        run_python(QStringLiteral("import sys, zipfile\n"
                                  "z = zipfile.ZipFile(sys.argv[1], 'w')\n"
                                  "z.writestr('xl/worksheets/sheet1.xml', sys.argv[2])\n"
                                  "z.close()\n"),
                   {path, xml});
        import_data v(nullptr, path);
        QCOMPARE(v.model(), QStringLiteral("KQ186"));
        QCOMPARE(table_rows(v), 4);
        QCOMPARE(boxes(v, 1), (QStringList{"2.50kPa", "1.50kPa", "2.00kPa"}));
        QCOMPARE(plot(v)->graph(0)->dataCount(), 2);
    }

    // The model windows' files at the viewer's size: every column in view.
    void all_columns_in_view_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("thermometer, four channels")
            << text_book("KQ240 datasheet", {{"Date", "CH1 temperature", "CH2 temperature", "CH3 temperature",
                                              "CH4 temperature", "Unit"},
                                             {T0, "1234.5", "-123.4", "1234.5", "1234.5", "℃"}});
        QTest::newRow("thermo-hygrometer") << text_book("WRX-4 datasheet", {{"Date", "Temperature", "", "Humidity", ""},
                                                                            {T0, "23.5", "℃", "45.0", "%RH"}});
        QTest::newRow("anemometer") << text_book("WVT-8 datasheet", {{"Date", "speed value", "", "temp value", ""},
                                                                     {T0, "3.250", "m/s", "21.5", "℃"}});
    }
    void all_columns_in_view()
    {
        QFETCH(QString, path);
        import_data v(nullptr, path);
        v.resize(1270, 756);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        QTest::qWait(100);   // the view lays out its header and bars after showing
        auto *view = v.findChild<QTableView *>("import_table");
        QHeaderView *header = view->horizontalHeader();
        const int last = header->count() - 1;
        QVERIFY(last > 0);
        // In view, or brought into view by a scroll bar that is shown.
        QScrollBar *bar = view->horizontalScrollBar();
        if (bar->isVisible())
            bar->setValue(bar->maximum());
        const int right = header->sectionViewportPosition(last) + header->sectionSize(last);
        QVERIFY2(right <= view->viewport()->width(),
                 qPrintable(QString("%1 > %2").arg(right).arg(view->viewport()->width())));
    }

    // Opening shows the busy cursor while the workbook is read.
    void busy_while_opening()
    {
        const QString path = text_book("KQ285 datasheet", {{"Date", "Decibels", "weight"}, {T0, "49.5", "dbA"}});
        static Qt::CursorShape seen;
        seen = Qt::ArrowCursor;
        const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &msg) {
            if (msg.startsWith(QLatin1String("\"model type")) && QApplication::overrideCursor())
                seen = QApplication::overrideCursor()->shape();
        });
        {
            import_data v(nullptr, path);
        }
        qInstallMessageHandler(previous);
        QCOMPARE(seen, Qt::WaitCursor);
        QVERIFY(!QApplication::overrideCursor());
    }

    // A row in the sheet's last line costs one row, not a million.
    void cell_in_the_last_row()
    {
        import_data v(nullptr, book([](workbook::Writer &w) {
            text_rows(w, "KQ285 datasheet", {{"Date", "Decibels", "weight"}, {T0, "49.5", "dbA"}});
            w.write_string(1048576, 1, T1);
            w.write_string(1048576, 2, "50.5");
        }));
        QCOMPARE(v.read_error(), QString());
        QCOMPARE(table_rows(v), 2);
        QCOMPARE(table_row(v, 1), (QStringList{T1, "50.5", ""}));
        QCOMPARE(plot(v)->graph(0)->dataCount(), 2);
    }

    // A week of readings at one a second, as a window exports it, opens whole.
    void week_of_readings_opens()
    {
        const int rows = 604800;
        import_data v(nullptr, book([&](workbook::Writer &w) {
            text_rows(w, "KQ285 datasheet", {{"Date", "Decibels", "weight"}});
            for (int r = 0; r < rows; ++r) {
                w.write_string(3 + r, 1, r % 2 ? T1 : T0);
                w.write_number(3 + r, 2, 40.5 + r % 50);
                w.write_string(3 + r, 3, "dbA");
            }
        }));
        QCOMPARE(v.read_error(), QString());
        QCOMPARE(table_rows(v), rows);
        QCOMPARE(table_row(v, rows - 1), (QStringList{T1, "89.5", "dbA"}));
    }

    // A steady reading: the value axis opens around it, the same for 1,000
    // rows as for 10, whatever the model's fitting rule.
    void constant_series_data()
    {
        QTest::addColumn<QString>("title");
        QTest::newRow("thermometer") << "KQ240 datasheet";
        QTest::newRow("light meter") << "KQ263 datasheet";
        QTest::newRow("sound level") << "KQ285 datasheet";
    }
    void constant_series()
    {
        QFETCH(QString, title);
        QCPRange ranges[2];
        const int counts[2] = {10, 1000};
        for (int k = 0; k < 2; ++k) {
            Rows rows{{"num", "value", "Unit"}};
            for (int i = 0; i < counts[k]; ++i)
                rows << QStringList{QString::number(i + 1), "20.0", "℃"};
            import_data v(nullptr, text_book(title, rows));
            QCOMPARE(plot(v)->graph(0)->dataCount(), counts[k]);
            ranges[k] = plot(v)->yAxis->range();
            QVERIFY2(ranges[k].lower < 20.0 && ranges[k].upper > 20.0,
                     qPrintable(QString("%1 .. %2").arg(ranges[k].lower).arg(ranges[k].upper)));
        }
        QCOMPARE(ranges[1].lower, ranges[0].lower);
        QCOMPARE(ranges[1].upper, ranges[0].upper);
    }

    // Readings beyond 65535 with no limit ever set: the extremes are the
    // readings and no alarm sounds, once or per row.
    void large_readings_raise_no_alarm()
    {
        Rows rows{{"Date", "Value", "Unit"}};
        for (int i = 0; i < 20; ++i)
            rows << QStringList{QStringLiteral("12:00:%1 2024-01-01").arg(i, 2, 10, QLatin1Char('0')),
                                QString::number(70000 + 1000 * (i % 3)), "Photo RPM"};
        testkit::SoundCounter sounds;
        import_data v(nullptr, text_book("KQ174 datasheet", rows));
        QCOMPARE(boxes(v, 1), (QStringList{"72000.00", "70000.00", "70950.00"}));
        QCOMPARE(sounds.total(), 0);
    }

    // Non-numeric value and key cells show their text and add nothing.
    void cells_without_numbers()
    {
        import_data v(nullptr, text_book("KQ285 datasheet", {{"num", "value", "weight"},
                                                             {"1", "abc", "dbA"},
                                                             {"two", "50", "dbA"},
                                                             {"3", "40", "dbA"}}));
        QCOMPARE(table_row(v, 0), (QStringList{"1", "abc", "dbA"}));
        QCOMPARE(table_row(v, 1), (QStringList{"two", "50", "dbA"}));
        QCOMPARE(boxes(v, 1), (QStringList{"50.00", "40.00", "45.00"}));
        QCOMPARE(plot(v)->graph(0)->dataCount(), 1);   // the row without a key has no place on the graph
        QCOMPARE(v.last_time(), 3);
    }

    // A date that does not parse still loads its row, keyed at the end of time.
    void row_with_a_bad_date()
    {
        import_data v(nullptr, text_book("KQ285 datasheet", {{"Date", "v", "u"}, {T0, "1", "dbA"}, {"yesterday", "2", "dbA"}}));
        QCOMPARE(table_row(v, 1), (QStringList{"yesterday", "2", "dbA"}));
        QCOMPARE(v.last_time(), -1);
        QCOMPARE(plot(v)->graph(0)->dataCount(), 2);
        QVERIFY(plot(v)->xAxis->range().contains(4294967295.0));
    }

    // A workbook that breaks after it was opened: a unit choice keeps the rows.
    // A unit choice converts what was read on opening: a file broken or gone
    // since then changes nothing, and is not read again.
    void unit_switch_reads_no_file()
    {
        const QString path = text_book("KQ263 datasheet", {{"Date", "light value", "unit"}, {T0, "107.6", "lux"}});
        import_data v(nullptr, path);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("gone");
        f.close();
        LogCapture capture;
        radio(v, "fc")->click();
        QVERIFY(!capture.has("workbook not readable"));
        QCOMPARE(table_row(v, 0), (QStringList{T0, "10.0", "fc"}));
        QFile::remove(path);
        radio(v, "lux")->click();
        QCOMPARE(table_row(v, 0), (QStringList{T0, "107.6", "lux"}));
    }

    void saved_table_reads_back()
    {
        import_data v(nullptr, text_book("KQ285 datasheet", {{"Date", "Decibels", "weight"},
                                                             {T0, "49.5", "dbA"},
                                                             {T1, "NULL", "dbA"}}));
        const QString path = m_dir->file("saved");
        tools_kit::ChooserAnswer chooser([&](QFileDialog *fd) { tools_kit::choose(fd, path); });
        v.findChild<QPushButton *>("save_table")->click();
        QCOMPARE(chooser.seen(), 1);
        QCOMPARE(chooser.caption(), QStringLiteral("choose file"));
        const QJsonObject d = window_kit::openpyxl_dump(path + ".xlsx");   // suffix added
        const QJsonObject cells = d["cells"].toObject();
        const QStringList refs = {"A1", "B1", "C1", "A2", "B2", "C2", "A3", "B3", "C3"};
        const QStringList want = {"Date", "Decibels", "weight", T0, "49.5", "dbA", T1, "NULL", "dbA"};
        QCOMPARE(cells.keys().size(), refs.size());
        for (int i = 0; i < refs.size(); ++i) {
            QCOMPARE(cells[refs[i]].toObject()["value"].toString(), want[i]);
            QCOMPARE(cells[refs[i]].toObject()["type"].toString(), QStringLiteral("s"));
        }
    }

    void save_failures_warn()
    {
        import_data v(nullptr, text_book("KQ285 datasheet", {{"Date", "v", "u"}, {T0, "1", "dbA"}}));
        testkit::BoxWatcher seen;
        {
            tools_kit::ChooserAnswer cancel([](QFileDialog *fd) { fd->reject(); });
            v.findChild<QPushButton *>("save_table")->click();
            v.findChild<QPushButton *>("save_bmp")->click();
        }
        QCOMPARE(seen.count(), 2);
        QCOMPARE(seen.boxes()[0].text, QStringLiteral("no choose path"));
        QCOMPARE(seen.boxes()[1].text, QStringLiteral("no choose path"));
        // A place nobody can write to, root included.
        tools_kit::ChooserAnswer chooser([&](QFileDialog *fd) { tools_kit::choose(fd, "/proc/sensavo_table.xlsx"); });
        v.findChild<QPushButton *>("save_table")->click();
        QVERIFY(seen.wait_for(3));
        QCOMPARE(seen.last().title, QStringLiteral("warning"));
        QVERIFY(seen.last().text.startsWith("The table could not be saved:"));
    }

    void saved_picture()
    {
        import_data v(nullptr, text_book("KQ285 datasheet", {{"Date", "v", "u"}, {T0, "1", "dbA"}, {T1, "3", "dbA"}}));
        v.resize(1114, 553);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        const QString path = m_dir->file("graph");
        tools_kit::ChooserAnswer chooser([&](QFileDialog *fd) { tools_kit::choose(fd, path); });
        v.findChild<QPushButton *>("save_bmp")->click();
        QImage picture(path + ".bmp");
        QVERIFY(!picture.isNull());
        QCOMPARE(picture.size(), v.findChild<QWidget *>("plotwidget")->size());
    }

    // A picture save that cannot complete warns and keeps the earlier picture.
    void saved_picture_failure_keeps_the_earlier_file_data() { testkit::FaultyFolder::add_rows(); }
    void saved_picture_failure_keeps_the_earlier_file()
    {
        QFETCH(int, fault);
        import_data v(nullptr, text_book("KQ285 datasheet", {{"Date", "v", "u"}, {T0, "1", "dbA"}, {T1, "3", "dbA"}}));
        v.resize(1114, 553);
        v.show();
        QVERIFY(QTest::qWaitForWindowExposed(&v));
        testkit::FaultyFolder folder;
        const QString path = folder.file("graph.bmp");
        QVERIFY2(folder.make(testkit::FaultyFolder::Fault(fault), "graph.bmp", testkit::small_bmp()),
                 qPrintable(folder.how()));
        testkit::BoxWatcher seen;
        tools_kit::ChooserAnswer chooser([&](QFileDialog *fd) { tools_kit::choose(fd, path); });
        v.findChild<QPushButton *>("save_bmp")->click();
        QVERIFY2(seen.wait_for(1), qPrintable(folder.how()));
        QCOMPARE(seen.last().title, QStringLiteral("warning"));
        QVERIFY(seen.last().text.startsWith("The picture could not be saved:\n" + path));
        // A full disk is told in the system's words.
        QVERIFY2(seen.last().text.endsWith(folder.system_reason()), qPrintable(seen.last().text));
        QCOMPARE(testkit::file_bytes(path), testkit::small_bmp());
        QCOMPARE(folder.leftovers(), QStringList());
    }

    void printing()
    {
        import_data v(nullptr, text_book("KQ174 datasheet", {{"Date", "Value", "Unit"},
                                                             {T0, "12.5", "m/min"},
                                                             {T1, "13.5", "Photo RPM"}}));
        v.resize(1114, 553);
        v.show();
        const QString table_pdf = m_dir->file("table.pdf");
        QVERIFY(window_kit::print_preview_to_pdf([&] { v.findChild<QPushButton *>("print_table")->click(); },
                                                 table_pdf));
        const QString text = window_kit::pdf_text(table_pdf);
        QVERIFY2(text.contains("import datasheet"), qPrintable(text));
        QVERIFY(text.contains("12.5") && text.contains("Photo RPM") && text.contains(T1));
        QVERIFY(QFile::exists(m_dir->file("import_html.html")));

        const QString picture_pdf = m_dir->file("picture.pdf");
        QVERIFY(window_kit::print_preview_to_pdf([&] { v.findChild<QPushButton *>("print_bmp")->click(); },
                                                 picture_pdf));
        QCOMPARE(window_kit::pdf_image_count(picture_pdf), 1);
    }
    // Chinese texts on the form; unit and mode captions stay as the workbooks
    // write them, since loading compares them with the cells.
    void chinese_texts()
    {
        QTranslator zh;
        QVERIFY(zh.load(":/res/translator/Chinese.qm"));
        QCoreApplication::installTranslator(&zh);
        import_data v(nullptr, text_book("KQ174 datasheet", {{"Date", "Value", "Unit"},
                                                             {T0, "12.5", "Contact RPM"},
                                                             {T1, "13.5", "m"}}));
        QCoreApplication::removeTranslator(&zh);
        QCOMPARE(v.findChild<QPushButton *>("print_table")->text(), QStringLiteral("打印表格"));
        QCOMPARE(v.findChild<QGroupBox *>("groupBox_11")->title(), QStringLiteral("最大值"));
        QCOMPARE(radios(v), (QStringList{"m", "m/min", "ft/min", "Contact RPM", "Photo RPM", "全部*"}));
        radio(v, "Contact RPM")->click();
        QCOMPARE(table_rows(v), 1);
        QCOMPARE(table_row(v, 0), (QStringList{T0, "12.5", "Contact RPM"}));
    }
    // The KQ285 window's own export, through a simulated meter, opens again.
    void kq285_window_export_opens()
    {
        const QString path = m_dir->file("kq285_window.xlsx");
        {
            int n = 0;
            auto meter = std::make_shared<hidsim::GeneralInstrument>(
                [&n](int) { return hidsim::Words{quint16(0x1000 + n), 0x5F5E, quint16(4950 + 100 * n++), 1, 2512}; },
                nullptr, 0);
            rig::WindowOn<KQ285_INTERFACE, hidsim::GeneralInstrument> win(
                "KQ285", meter, QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
            win.poll();
            win.poll();
            rig::SaveNames names(path);
            win.w->SAVE_table_Slot();
        }
        import_data v(nullptr, path);
        QCOMPARE(v.model(), QStringLiteral("KQ285"));
        QCOMPARE(v.value_unit(), QStringLiteral("dbC"));
        QVERIFY(v.date_column());
        QCOMPARE(v.first_time(), 1600000000u);
        QCOMPARE(table_rows(v), 2);
        const QString second = QDateTime::fromSecsSinceEpoch(1600000001).toString("hh:mm:ss yyyy-MM-dd");
        QCOMPARE(table_row(v, 1), (QStringList{second, "50.5", "dbC"}));
        QCOMPARE(boxes(v, 1), (QStringList{"50.50", "49.50", "50.00"}));
        QVERIFY(plot(v)->xAxis->range().contains(1600000001.0));
    }
};

QTEST_MAIN(tst_import_data)
#include "tst_import_data.moc"
