// Every window's table layout, written through the workbook module, must
// read in openpyxl exactly as the files the layouts made before: the same
// cells, values, types, fills and merges. The expected dumps are kept in
// tests/workbook/layouts/ (SENSAVO_WRITE_LAYOUTS=1 rewrites them).
#include "KQ278_interface/kq278_words.h"
#include "frame/model_frame.h"
#include "testkit.h"
#include "workbook/workbook.h"

#include <QFile>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>

Q_DECLARE_METATYPE(std::function<void(workbook::Writer &)>)

namespace {

// openpyxl's view, one line each: the number of sheets and the sheet's
// dimension, every merge, then every cell by row with its value (as Python
// writes it), type and fill.
const char *k_dump = R"PY(
import json, sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.worksheets[0]
cells = {}
for row in ws.iter_rows():
    for c in row:
        if c.value is None and c.fill.patternType is None:
            continue
        cells[c.coordinate] = [repr(c.value), c.data_type, c.fill.patternType,
                               str(c.fill.fgColor.rgb) if c.fill.patternType else None]
print("sheets", len(wb.worksheets), "dimension", ws.dimensions)
print("merged", *sorted(str(r) for r in ws.merged_cells.ranges))
for ref in sorted(cells, key=lambda r: (openpyxl.utils.cell.coordinate_to_tuple(r))):
    print(ref, *cells[ref])
)PY";

QByteArray openpyxl_dump(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(k_dump), path});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        qWarning() << p.readAllStandardError();
        return QByteArray();
    }
    return p.readAllStandardOutput();
}

// A table as the windows fill it: times, values with units, an alarm in
// red, a cell in another solid colour, a cell with a pattern that is no
// fill, missing items, and numbers that only look like numbers.
std::unique_ptr<QTableWidget> table(const QStringList &headers, const QList<QStringList> &rows)
{
    auto t = std::make_unique<QTableWidget>(rows.size(), headers.size());
    t->setHorizontalHeaderLabels(headers);
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < rows[r].size(); ++c) {
            QString text = rows[r][c];
            if (text == QLatin1String("<none>"))
                continue;
            auto *item = new QTableWidgetItem;
            if (text.startsWith(QLatin1String("!"))) {
                text = text.mid(1);
                item->setBackground(QBrush(Qt::red, Qt::SolidPattern));
            } else if (text.startsWith(QLatin1String("~"))) {
                text = text.mid(1);
                item->setBackground(QBrush(QColor(0x12, 0x34, 0x56), Qt::SolidPattern));
            } else if (text.startsWith(QLatin1String("#"))) {
                text = text.mid(1);
                item->setBackground(QBrush(Qt::red, Qt::Dense4Pattern));
            }
            item->setText(text);
            t->setItem(r, c, item);
        }
    return t;
}

const QString T0 = QStringLiteral("14:07:09 2024-03-05");
const QString T1 = QStringLiteral("14:07:10 2024-03-05");
const QString T2 = QStringLiteral("14:07:11 2024-03-05");

}

class tst_export_layouts : public QObject
{
    Q_OBJECT
private slots:
    void layout_reads_as_before_data()
    {
        using Fill = std::function<void(workbook::Writer &)>;
        QTest::addColumn<QString>("name");
        QTest::addColumn<Fill>("fill");
        static const auto text = table({"Date", "Decibels", "weight"},
                                       {{T0, "!49.5", "dbA"}, {T1, "<none>", "dbC"}, {T2, "~1e3", "#NULL"}, {"", "-0", " 7 "}});
        static const auto units = table({"Date", "CH1", "CH2", "CH3"},
                                        {{T0, "23.5℃", "!-2.25℃", "NULL"},
                                         {T1, "73.4℉", "<none>", "~12℉"},
                                         {"!" + T2, "1e400℃", "#0x10", "℃"}});
        static const auto pairs = table({"Date", "Temp", "Humi"},
                                        {{T0, "23.50℃", "!45.1%RH"},
                                         {T1, "<none>", "74.30℉"},
                                         {T2, "NULL", "~50%RH"},
                                         {"<none>", "#7℃", "%RH"}});
        static const auto split = table({"Date", "Speed", "Temp"},
                                        {{T0, "1.25m/s", "!23.5℃"},
                                         {T1, "<none>", "4.1knots"},
                                         {"~" + T2, "3ft/m", "NULL"}});
        // Longer than the rows a writer holds back, so rows go out while
        // later ones are still being written.
        static const auto long_pairs = [] {
            QList<QStringList> rows;
            for (int r = 0; r < 150; ++r)
                rows << QStringList{r % 13 == 5 ? QStringLiteral("<none>") : QStringLiteral("14:%1:00 2024-03-05").arg(r % 60),
                                    (r % 7 == 0 ? "!" : "") + QString::number(20 + r * 0.25) + QStringLiteral("℃"),
                                    r % 11 == 0 ? QStringLiteral("<none>") : QString::number(40 + r % 9) + "%RH"};
            return table({"Date", "Temp", "Humi"}, rows);
        }();
        QTest::newRow("unit pairs, 150 rows") << "unit_pairs_long" << Fill([](workbook::Writer &w) {
            frame::write_unit_pairs_layout(w, long_pairs.get(), "WRX-4");
        });
        QTest::newRow("split pairs, 150 rows") << "split_pairs_long" << Fill([](workbook::Writer &w) {
            kq278::write_split_layout(w, long_pairs.get(), "KQ278");
        });
        QTest::newRow("text, alarms coloured")
            << "text_alarms" << Fill([](workbook::Writer &w) { frame::write_text_layout(w, text.get(), "KQ285", true); });
        QTest::newRow("text, stored") << "text_stored"
                                      << Fill([](workbook::Writer &w) { frame::write_text_layout(w, text.get(), "KQ291", false); });
        QTest::newRow("unit column") << "unit_column"
                                     << Fill([](workbook::Writer &w) { frame::write_unit_column_layout(w, units.get(), "KQ240", 0); });
        QTest::newRow("unit column from row 1")
            << "unit_column_from_1" << Fill([](workbook::Writer &w) { frame::write_unit_column_layout(w, units.get(), "KQ240", 1); });
        QTest::newRow("unit pairs") << "unit_pairs"
                                    << Fill([](workbook::Writer &w) { frame::write_unit_pairs_layout(w, pairs.get(), "WRX-4"); });
        QTest::newRow("split pairs") << "split_pairs"
                                     << Fill([](workbook::Writer &w) { kq278::write_split_layout(w, split.get(), "KQ278"); });
        QTest::newRow("viewer table") << "viewer" << Fill([](workbook::Writer &w) {
            // as the viewer saves its table: headings, then every cell as text
            const QStringList heads{"Date", "Value", "Unit"};
            for (int c = 0; c < heads.size(); ++c)
                w.write_string(1, c + 1, heads[c]);
            const QList<QStringList> rows{{T0, "12.5", "m/min"}, {T1, "", "Photo RPM"}, {T2, "NULL", ""}};
            for (int r = 0; r < rows.size(); ++r)
                for (int c = 0; c < rows[r].size(); ++c)
                    w.write_string(r + 2, c + 1, rows[r][c]);
        });
    }
    void layout_reads_as_before()
    {
        using Fill = std::function<void(workbook::Writer &)>;
        QFETCH(QString, name);
        QFETCH(Fill, fill);
        QTemporaryDir dir;
        const QString path = dir.filePath(name + ".xlsx");
        workbook::Writer w;
        fill(w);
        QString error;
        QVERIFY2(w.save(path, &error), qPrintable(error));
        const QByteArray dump = openpyxl_dump(path);
        QVERIFY(!dump.isEmpty());
        const QString expected_path = testkit::source_dir() + "/tests/workbook/layouts/" + name + ".txt";
        if (qEnvironmentVariableIsSet("SENSAVO_WRITE_LAYOUTS")) {
            QFile f(expected_path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(dump);
        }
        QFile f(expected_path);
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(expected_path));
        QCOMPARE(QString::fromUtf8(dump), QString::fromUtf8(f.readAll()));
    }

    // Values the windows' texts spell as numbers that a sheet cannot hold:
    // they stay text, and the file still opens elsewhere.
    void non_finite_values_stay_text()
    {
        const auto pairs = table({"Date", "Temp", "Humi"}, {{T0, "inf℃", "nan%RH"}, {T1, "-inf℃", "!NaN%RH"}});
        QTemporaryDir dir;
        const QString path = dir.filePath("odd.xlsx");
        workbook::Writer w;
        frame::write_unit_pairs_layout(w, pairs.get(), "WRX-4");
        w.write_number(6, 1, std::numeric_limits<double>::infinity());
        w.write_number(6, 2, std::nan(""));
        QString error;
        QVERIFY2(w.save(path, &error), qPrintable(error));
        const QStringList lines = QString::fromUtf8(openpyxl_dump(path)).split('\n', Qt::SkipEmptyParts);
        for (const char *cell : {"B3 'inf' s None None", "D3 'nan' s None None", "B4 '-inf' s None None",
                                    "D4 'NaN' s solid FFFF0000", "A6 'inf' s None None", "B6 'nan' s None None"})
            QVERIFY2(lines.contains(cell), qPrintable(lines.join('\n')));
    }
};

QTEST_MAIN(tst_export_layouts)
#include "tst_export_layouts.moc"
