// Every window's table layout, written through the workbook module, must
// read in openpyxl exactly as the files the layouts made before: the same
// cells, values, types, fills and merges. The expected dumps are kept in
// tests/workbook/layouts/ (SENSAVO_WRITE_LAYOUTS=1 rewrites them).
#include "KQ278_interface/kq278_words.h"
#include "frame/model_frame.h"
#include "testkit.h"
#include "workbook/workbook.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

Q_DECLARE_METATYPE(std::function<void(workbook::Writer &)>)

namespace {

// openpyxl's view: each cell's value, type and fill, every merge, the
// sheet's dimension and the number of sheets.
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
print(json.dumps({"cells": cells, "merged": sorted(str(r) for r in ws.merged_cells.ranges),
                  "dimension": ws.dimensions, "sheets": len(wb.worksheets)}, sort_keys=True, indent=1))
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
        const QString expected_path = testkit::source_dir() + "/tests/workbook/layouts/" + name + ".json";
        if (qEnvironmentVariableIsSet("SENSAVO_WRITE_LAYOUTS")) {
            QFile f(expected_path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(dump);
        }
        QFile f(expected_path);
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(expected_path));
        QCOMPARE(QString::fromUtf8(dump), QString::fromUtf8(f.readAll()));
    }
};

QTEST_MAIN(tst_export_layouts)
#include "tst_export_layouts.moc"
