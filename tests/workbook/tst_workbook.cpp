#include "workbook/workbook.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include "disk_faults.h"

#include <unistd.h>

// Runs a Python snippet with openpyxl (Debian's interpreter) and returns its stdout.
static QByteArray run_python(const QString &script, const QStringList &args, bool *ok)
{
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), script} + args);
    *ok = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!*ok)
        qWarning() << p.readAllStandardError();
    return p.readAllStandardOutput();
}

// openpyxl's view of a workbook: every cell with its value, type and fill, and the merges.
static const char *k_dump = R"PY(
import json, sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.worksheets[0]
cells = {}
for row in ws.iter_rows():
    for c in row:
        if c.value is None and c.fill.patternType is None:
            continue
        cells[c.coordinate] = {
            "value": c.value, "type": c.data_type,
            "fill": c.fill.patternType, "rgb": str(c.fill.fgColor.rgb) if c.fill.patternType else None}
print(json.dumps({"cells": cells, "merged": sorted(str(r) for r in ws.merged_cells.ranges),
                  "sheets": len(wb.worksheets)}))
)PY";

class tst_workbook : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QJsonObject dump(const QString &path)
    {
        bool ok = false;
        const QByteArray out = run_python(QString::fromLatin1(k_dump), {path}, &ok);
        if (!ok)
            return QJsonObject();
        return QJsonDocument::fromJson(out).object();
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // Strings, numbers, a solid red fill and merges, as another reader sees them.
    // A merge that keeps the text under it: the merge is there for other
    // readers, and our reader still finds the covered text.
    void merge_can_keep_covered_text()
    {
        workbook::Writer w;
        w.write_string(2, 2, QStringLiteral("speed value"));
        w.write_string(2, 3, QStringLiteral("temp value"));
        w.merge(2, 2, 2, 3, true);
        w.write_string(3, 3, QStringLiteral("m/s"));
        const QString path = m_dir.filePath("kept.xlsx");
        QString error;
        QVERIFY2(w.save(path, &error), qPrintable(error));
        QCOMPARE(dump(path)["merged"].toArray(), QJsonArray{QStringLiteral("B2:C2")});
        workbook::Sheet sheet;
        QVERIFY2(workbook::read_first_sheet(path, &sheet, &error), qPrintable(error));
        QCOMPARE(sheet.cell(2, 2), QStringLiteral("speed value"));
        QCOMPARE(sheet.cell(2, 3), QStringLiteral("temp value"));
        QCOMPARE(sheet.cell(3, 3), QStringLiteral("m/s"));
    }

    void written_workbook_reads_in_openpyxl()
    {
        workbook::Writer w;
        w.write_string(1, 1, QStringLiteral("WRX-4 datasheet"));
        w.write_string(2, 1, QStringLiteral("Date"));
        w.write_string(2, 2, QStringLiteral("Temp"));
        w.write_string(2, 3, QStringLiteral("Humi"));   // covered by the merge below: must vanish
        w.merge(2, 2, 2, 3);
        w.write_number(3, 2, 23.5, QColor(Qt::red));
        w.write_string(3, 3, QStringLiteral("℃"), QColor(Qt::red));
        w.write_number(3, 4, -2.25);
        w.write_string(3, 5, QStringLiteral("温度 %RH"));
        w.write_string(3, 6, QString());                 // an empty string is no cell
        w.write_number(4, 1, 1);
        w.write_number(4, 1, 2);                         // a rewrite replaces the cell
        w.merge(6, 1, 7, 2);                             // rows without cells of their own
        w.write_string(7, 2, QStringLiteral("covered"));
        w.write_string(8, 1, QStringLiteral("after"));
        w.write_string(1, 3, QStringLiteral("late"));    // written out of row order
        const QString path = m_dir.filePath("own.xlsx");
        QString error;
        QVERIFY2(w.save(path, &error), qPrintable(error));
        QVERIFY(!QFile::exists(path + ".part"));

        const QJsonObject d = dump(path);
        QVERIFY(!d.isEmpty());
        const QJsonObject cells = d["cells"].toObject();
        QCOMPARE(d["sheets"].toInt(), 1);
        QCOMPARE(cells["A1"].toObject()["value"].toString(), QStringLiteral("WRX-4 datasheet"));
        QCOMPARE(cells["A1"].toObject()["type"].toString(), QStringLiteral("s"));
        QCOMPARE(cells["B2"].toObject()["value"].toString(), QStringLiteral("Temp"));
        QVERIFY(!cells.contains("C2"));
        QCOMPARE(cells["B3"].toObject()["type"].toString(), QStringLiteral("n"));
        QCOMPARE(cells["B3"].toObject()["value"].toDouble(), 23.5);
        QCOMPARE(cells["B3"].toObject()["fill"].toString(), QStringLiteral("solid"));
        QCOMPARE(cells["B3"].toObject()["rgb"].toString(), QStringLiteral("FFFF0000"));
        QCOMPARE(cells["C3"].toObject()["value"].toString(), QStringLiteral("℃"));
        QCOMPARE(cells["C3"].toObject()["rgb"].toString(), QStringLiteral("FFFF0000"));
        QCOMPARE(cells["D3"].toObject()["value"].toDouble(), -2.25);
        QVERIFY(cells["D3"].toObject()["fill"].isNull());
        QCOMPARE(cells["E3"].toObject()["value"].toString(), QStringLiteral("温度 %RH"));
        QVERIFY(!cells.contains("F3"));
        QCOMPARE(cells["A4"].toObject()["value"].toDouble(), 2.0);
        QCOMPARE(d["merged"].toArray(), (QJsonArray{QStringLiteral("A6:B7"), QStringLiteral("B2:C2")}));
        QVERIFY(!cells.contains("B7"));
        QCOMPARE(cells["A8"].toObject()["value"].toString(), QStringLiteral("after"));
        QCOMPARE(cells["C1"].toObject()["value"].toString(), QStringLiteral("late"));

        // And our own reader agrees (shared strings, relative sheet target).
        workbook::Sheet sheet;
        QVERIFY2(workbook::read_first_sheet(path, &sheet, &error), qPrintable(error));
        QCOMPARE(sheet.cell(1, 1), QStringLiteral("WRX-4 datasheet"));
        QCOMPARE(sheet.cell(2, 3), QString());
        QCOMPARE(sheet.cell(3, 2), QStringLiteral("23.5"));
        QCOMPARE(sheet.cell(3, 4), QStringLiteral("-2.25"));
        QCOMPARE(sheet.cell(3, 5), QStringLiteral("温度 %RH"));
        QCOMPARE(sheet.cell(4, 1), QStringLiteral("2"));
        QCOMPARE(sheet.row_count(), 8);
        QCOMPARE(sheet.cell(1, 3), QStringLiteral("late"));
    }

    // A workbook openpyxl wrote: inline strings and an absolute sheet target.
    void reads_workbook_written_by_openpyxl()
    {
        const QString path = m_dir.filePath("openpyxl.xlsx");
        bool ok = false;
        run_python(QStringLiteral(R"PY(
import sys, openpyxl
wb = openpyxl.Workbook(); ws = wb.active
ws["A1"] = "KQ240 datasheet"
ws.append(["Date", "CH1", "CH2", "Unit"])
ws.append(["12:00:00 2024-01-01", 23.5, "NULL", "℃"])
ws.append(["12:00:01 2024-01-01", 0.1, 1e20, ""])
ws["E4"] = 7
ws["F4"] = 1000000
ws["G4"] = 0.000123
ws["H4"] = 123456.789012
wb.create_sheet("second")["A1"] = "not this one"
wb.save(sys.argv[1])
)PY"), {path}, &ok);
        QVERIFY(ok);
        workbook::Sheet sheet;
        QString error;
        QVERIFY2(workbook::read_first_sheet(path, &sheet, &error), qPrintable(error));
        QCOMPARE(sheet.cell(1, 1), QStringLiteral("KQ240 datasheet"));
        QCOMPARE(sheet.row(2), (QStringList{"Date", "CH1", "CH2", "Unit"}));
        QCOMPARE(sheet.row(3), (QStringList{"12:00:00 2024-01-01", "23.5", "NULL", "℃"}));
        QCOMPARE(sheet.cell(4, 2), QStringLiteral("0.1"));
        // Plain decimals every reader of the text takes for the same number.
        QCOMPARE(sheet.cell(4, 3), QStringLiteral("100000000000000000000"));
        QCOMPARE(sheet.cell(4, 5), QStringLiteral("7"));
        QCOMPARE(sheet.cell(4, 6), QStringLiteral("1000000"));
        QCOMPARE(sheet.cell(4, 7), QStringLiteral("0.000123"));
        QCOMPARE(sheet.cell(4, 8), QStringLiteral("123456.789012"));
        QCOMPARE(sheet.row_count(), 4);
    }

    // Hand-made archives: sheet targets other writers use, and broken files.
    void reads_or_rejects_archives_data()
    {
        QTest::addColumn<QString>("recipe");    // python that fills zipfile z
        QTest::addColumn<bool>("readable");
        QTest::addColumn<QString>("expected");  // A1 text, or a piece of the error

        const QString wb = QStringLiteral(
            "z.writestr('xl/workbook.xml', '<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
            "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><sheets>"
            "<sheet name=\"a\" sheetId=\"1\" r:id=\"rId7\"/></sheets></workbook>')\n");
        const auto rels = [](const QString &target) {
            return QStringLiteral(
                "z.writestr('xl/_rels/workbook.xml.rels', '<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                "<Relationship Id=\"rId1\" Target=\"worksheets/wrong.xml\" Type=\"x/worksheet\"/>"
                "<Relationship Id=\"rId7\" Target=\"%1\" Type=\"x/worksheet\"/></Relationships>')\n").arg(target);
        };
        const QString sheet_xml = QStringLiteral(
            "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
            "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>1</v></c><c r=\"C1\"><v>2.50</v></c></row></sheetData></worksheet>");
        const QString shared = QStringLiteral(
            "z.writestr('xl/sharedStrings.xml', '<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
            "<si><t>zero</t></si><si><r><t>rich </t></r><r><t>text</t></r><rPh><t>x</t></rPh></si></sst>')\n");

        QTest::newRow("relative target with ..") << wb + rels("../xl/sheets/data.xml") + shared
            + QStringLiteral("z.writestr('xl/sheets/data.xml', '%1')\n").arg(sheet_xml) << true << "rich text";
        QTest::newRow("absolute target") << wb + rels("/xl/worksheets/s.xml") + shared
            + QStringLiteral("z.writestr('xl/worksheets/s.xml', '%1')\n").arg(sheet_xml) << true << "rich text";
        QTest::newRow("missing shared string") << wb + rels("worksheets/s.xml")
            + QStringLiteral("z.writestr('xl/worksheets/s.xml', '%1')\n").arg(sheet_xml) << false << "shared string";
        QTest::newRow("zip without sheet") << QStringLiteral("z.writestr('readme.txt', 'hello')\n") << false << "no worksheet";
        QTest::newRow("target to a missing member") << wb + rels("worksheets/gone.xml") << false << "no worksheet";
        QTest::newRow("truncated sheet xml") << wb + rels("worksheets/s.xml") + shared
            + QStringLiteral("z.writestr('xl/worksheets/s.xml', '%1')\n").arg(sheet_xml.left(120)) << false << "xl/worksheets/s.xml";
        QTest::newRow("truncated workbook xml") << QStringLiteral("z.writestr('xl/workbook.xml', '<workbook><sheets><sheet r:id=')\n")
            << false << "xl/workbook.xml";
        QTest::newRow("not a zip") << QString() << false << "not a zip";
    }
    void reads_or_rejects_archives()
    {
        QFETCH(QString, recipe);
        QFETCH(bool, readable);
        QFETCH(QString, expected);
        static int n = 0;
        const QString path = m_dir.filePath(QStringLiteral("case%1.xlsx").arg(++n));
        if (recipe.isEmpty()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("Date,CH1\n12:00,23.5\n");
        } else {
            bool ok = false;
            run_python(QStringLiteral("import sys, zipfile\nz = zipfile.ZipFile(sys.argv[1], 'w')\n") + recipe
                           + QStringLiteral("z.close()\n"), {path}, &ok);
            QVERIFY(ok);
        }
        workbook::Sheet sheet;
        QString error;
        const bool read = workbook::read_first_sheet(path, &sheet, &error);
        QCOMPARE(read, readable);
        if (readable) {
            QCOMPARE(sheet.cell(1, 1), expected);
            QCOMPARE(sheet.cell(1, 3), QStringLiteral("2.5"));
            QCOMPARE(sheet.cell(1, 2), QString());
        } else {
            QVERIFY2(error.contains(expected), qPrintable(error));
            QCOMPARE(sheet.row_count(), 0);
        }
    }

    // Sheet texts as other writers may put them: each reads as the XML says.
    void sheet_markup_data()
    {
        QTest::addColumn<QString>("cells");   // the sheetData's rows
        QTest::addColumn<QString>("a1");
        QTest::addColumn<QString>("b1");
        QTest::newRow("references") << "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>a&lt;b&amp;c&#x4E2D;&#65;&quot;</t></is></c>"
                                       "<c t=\"str\"><v>&gt;&apos;</v></c></row>"
                                    << "a<b&c中A\"" << ">'";
        QTest::newRow("cdata") << "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t><![CDATA[x<y]]></t></is></c></row>"
                               << "x<y" << "";
        QTest::newRow("comment, rich text, phonetic")
            << "<!-- a note --><row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><r><t>rich </t></r><r><t>text</t></r>"
               "<rPh sb=\"0\"><t>x</t></rPh></is></c><c r=\"B1\"><f>1+1</f><v>2</v></c></row>"
            << "rich text" << "2";
        QTest::newRow("carriage return") << "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>a\r\nb</t></is></c></row>"
                                         << "a\nb" << "";
        QTest::newRow("empty cells and places")
            << "<row><c r=\"A1\"/><c><v>3.50</v></c></row>" << "" << "3.5";
        QTest::newRow("single quotes, spaces") << "<row r='1' ><c r='A1' t='inlineStr' ><is><t xml:space='preserve'> s </t></is></c ></row >"
                                               << " s " << "";
        QTest::newRow("prefixed names")
            << "PREFIXED" << "p" << "q";
    }
    void sheet_markup()
    {
        QFETCH(QString, cells);
        QFETCH(QString, a1);
        QFETCH(QString, b1);
        static int n = 0;
        const QString path = m_dir.filePath(QStringLiteral("markup%1.xlsx").arg(++n));
        QString xml;
        if (cells == "PREFIXED")
            xml = QStringLiteral("<x:worksheet xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                                 "<x:sheetData><x:row r=\"1\"><x:c r=\"A1\" t=\"inlineStr\"><x:is><x:t>p</x:t></x:is></x:c>"
                                 "<x:c r=\"B1\" t=\"inlineStr\"><x:is><x:t>q</x:t></x:is></x:c></x:row></x:sheetData></x:worksheet>");
        else
            xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                                 "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                                 "<sheetData>%1</sheetData></worksheet>").arg(cells);
        bool ok = false;
        run_python(QStringLiteral("import sys, zipfile\n"
                                  "z = zipfile.ZipFile(sys.argv[1], \"w\")\n"
                                  "z.writestr(\"xl/worksheets/sheet1.xml\", sys.argv[2].encode())\n"
                                  "z.close()\n"),
                   {path, xml}, &ok);
        QVERIFY(ok);
        workbook::Sheet sheet;
        QString error;
        QVERIFY2(workbook::read_first_sheet(path, &sheet, &error), qPrintable(error));
        QCOMPARE(sheet.cell(1, 1), a1);
        QCOMPARE(sheet.cell(1, 2), b1);
    }

    // A numeric cell as another writer may put it: plain digits for every
    // finite number, "#NUM!" for what is no finite number.
    void numeric_values_data()
    {
        QTest::addColumn<QString>("v");
        QTest::addColumn<QString>("text");
        QTest::newRow("trailing zeros") << " 2.50 " << "2.5";
        QTest::newRow("exponent in range") << "1E+25" << "10000000000000000000000000";
        QTest::newRow("small exponent") << "-1.5e-16" << "-0.00000000000000015";
        QTest::newRow("past the largest") << "1e400" << "#NUM!";
        QTest::newRow("past the largest, negative") << "-1e400" << "#NUM!";
        QTest::newRow("below the smallest") << "1e-400" << "#NUM!";
        QTest::newRow("infinity") << "INF" << "#NUM!";
        QTest::newRow("no number") << "12abc" << "#NUM!";
        QTest::newRow("empty") << "" << "";
    }
    void numeric_values()
    {
        QFETCH(QString, v);
        QFETCH(QString, text);
        static int n = 0;
        const QString path = m_dir.filePath(QStringLiteral("numeric%1.xlsx").arg(++n));
        bool ok = false;
        run_python(QStringLiteral("import sys, zipfile\n"
                                  "z = zipfile.ZipFile(sys.argv[1], 'w')\n"
                                  "z.writestr('xl/worksheets/sheet1.xml', '<worksheet xmlns=\"http://schemas.openxmlformats.org/"
                                  "spreadsheetml/2006/main\"><sheetData><row r=\"1\"><c r=\"A1\"><v>' + sys.argv[2]"
                                  " + '</v></c><c r=\"B1\"><v>7</v></c></row></sheetData></worksheet>')\n"
                                  "z.close()\n"),
                   {path, v}, &ok);
        QVERIFY(ok);
        workbook::Sheet sheet;
        QString error;
        QVERIFY2(workbook::read_first_sheet(path, &sheet, &error), qPrintable(error));
        QCOMPARE(sheet.cell(1, 1), text);
        QCOMPARE(sheet.cell(1, 2), QStringLiteral("7"));
    }

    // Far cells, a sheet that claims the whole grid, cells out of order and
    // written twice: the sheet holds what is there, where it is.
    void sparse_sheet_keeps_its_places()
    {
        const QString path = m_dir.filePath("sparse.xlsx");
        bool ok = false;
        const QString xml = QStringLiteral(
            "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
            "<dimension ref=\"A1:XFD1048576\"/><sheetData>"
            "<row r=\"3\"><c r=\"B3\" t=\"inlineStr\"><is><t>b3</t></is></c>"
            "<c r=\"A3\" t=\"inlineStr\"><is><t>a3</t></is></c></row>"
            "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>title</t></is></c></row>"
            "<row r=\"20000\"><c r=\"XFD20000\"><v>5</v></c></row>"
            "<row r=\"3\"><c r=\"B3\" t=\"inlineStr\"><is><t>again</t></is></c></row>"
            "<row r=\"1048576\"><c r=\"A1048576\"><v>1000000</v></c></row>"
            "</sheetData></worksheet>");
        run_python(QStringLiteral("import sys, zipfile\n"
                                  "z = zipfile.ZipFile(sys.argv[1], \"w\")\n"
                                  "z.writestr(\"xl/worksheets/sheet1.xml\", sys.argv[2])\n"
                                  "z.close()\n"),
                   {path, xml}, &ok);
        QVERIFY(ok);
        workbook::Sheet sheet;
        QString error;
        QVERIFY2(workbook::read_first_sheet(path, &sheet, &error), qPrintable(error));
        QCOMPARE(sheet.rows(), (QVector<int>{1, 3, 20000, 1048576}));
        QCOMPARE(sheet.row_count(), 1048576);
        QCOMPARE(sheet.column_count(), 16384);
        QCOMPARE(sheet.cell(1, 1), QStringLiteral("title"));
        QCOMPARE(sheet.row(3), (QStringList{"a3", "again"}));
        QCOMPARE(sheet.cell(20000, 16384), QStringLiteral("5"));
        QCOMPARE(sheet.cell(20000, 16383), QString());
        QCOMPARE(sheet.cell(2, 1), QString());
        QCOMPARE(sheet.cell(1048576, 1), QStringLiteral("1000000"));
    }

    void missing_file_is_an_error()
    {
        workbook::Sheet sheet;
        QString error;
        QVERIFY(!workbook::read_first_sheet(m_dir.filePath("none.xlsx"), &sheet, &error));
        QVERIFY(error.contains("does not exist"));
    }

    // A workbook that cannot be written says so and leaves nothing behind.
    void save_failure_is_reported_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing directory") << m_dir.filePath("no/such/dir/t.xlsx");
        QTest::newRow("read-only directory") << m_dir.filePath("ro/t.xlsx");
        QTest::newRow("a directory") << m_dir.filePath("isdir.xlsx");
        QTest::newRow("empty name") << QString();
    }
    void save_failure_is_reported()
    {
        QFETCH(QString, path);
        QDir(m_dir.path()).mkpath("ro");
        QDir(m_dir.path()).mkpath("isdir.xlsx");
        QFile::setPermissions(m_dir.filePath("ro"), QFile::ReadOwner | QFile::ExeOwner);
        workbook::Writer w;
        w.write_string(1, 1, "x");
        QString error;
        const bool saved = w.save(path, &error);
        QFile::setPermissions(m_dir.filePath("ro"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (saved && path.contains("/ro/") && ::geteuid() == 0)
            QSKIP("root writes into read-only directories");
        QVERIFY(!saved);
        QVERIFY(!error.isEmpty());
        QVERIFY(!QFile::exists(path + ".part"));
        QVERIFY(!QFileInfo(path).isFile());
    }

    // Rows go out as the writer moves on: a cell for a row long written out
    // cannot land any more, and the save says so instead of dropping it.
    void cell_for_a_row_written_out_fails_the_save()
    {
        workbook::Writer w;
        for (int r = 1; r <= 500; ++r)
            w.write_number(r, 1, r);
        w.write_string(480, 2, "near");   // still held back: lands
        w.write_string(2, 2, "far behind");
        const QString path = m_dir.filePath("late.xlsx");
        QString error;
        QVERIFY(!w.save(path, &error));
        QVERIFY2(error.contains("row 2, column 2"), qPrintable(error));
        QVERIFY(!QFile::exists(path));

        workbook::Writer ok;
        for (int r = 1; r <= 500; ++r)
            ok.write_number(r, 1, r);
        ok.write_string(480, 2, "near");
        QVERIFY2(ok.save(path, &error), qPrintable(error));
        const QJsonObject cells = dump(path)["cells"].toObject();
        QCOMPARE(cells.size(), 501);
        QCOMPARE(cells["B480"].toObject()["value"].toString(), QStringLiteral("near"));
        QCOMPARE(cells["A500"].toObject()["value"].toDouble(), 500.0);
    }

    // A save that cannot complete says so and leaves the earlier workbook
    // byte for byte, with no temporary file beside it.
    void save_failure_keeps_the_earlier_file_data() { testkit::FaultyFolder::add_rows(); }
    void save_failure_keeps_the_earlier_file()
    {
        QFETCH(int, fault);
        workbook::Writer earlier;
        earlier.write_string(1, 1, "earlier");
        QVERIFY(earlier.save(m_dir.filePath("earlier.xlsx")));
        const QByteArray before = testkit::file_bytes(m_dir.filePath("earlier.xlsx"));
        testkit::FaultyFolder folder;
        QVERIFY2(folder.make(testkit::FaultyFolder::Fault(fault), "t.xlsx", before), qPrintable(folder.how()));
        workbook::Writer w;
        for (int r = 1; r <= 20000; ++r)   // more than any space left
            w.write_string(r, 1, QStringLiteral("row %1 of a longer table than the earlier one").arg(r));
        QString error;
        QVERIFY2(!w.save(folder.file("t.xlsx"), &error), qPrintable(folder.how()));
        QVERIFY(!error.isEmpty());
        QCOMPARE(testkit::file_bytes(folder.file("t.xlsx")), before);
        QCOMPARE(folder.leftovers(), QStringList());
    }
};

QTEST_MAIN(tst_workbook)
#include "tst_workbook.moc"
