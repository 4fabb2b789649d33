// The three workbook layouts on a table with the awkward cells: missing
// items, texts without a unit, numbers that do not read, alarm cells.
#include "frame/model_frame.h"
#include "workbook/workbook.h"
#include "window_kit.h"

#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

class tst_frame_layouts : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;

    // Date | reading | reading: a full row, a row of odd cells, a row with holes.
    static void fill(QTableWidget &t)
    {
        t.setColumnCount(3);
        t.setRowCount(3);
        t.setHorizontalHeaderLabels({"Date", "Temp", "Humi"});
        t.setItem(0, 0, new QTableWidgetItem("12:00:00 2024-01-01"));
        t.setItem(0, 1, new QTableWidgetItem("23.50℃"));
        t.setItem(0, 2, new QTableWidgetItem("45.20%RH"));
        t.item(0, 1)->setBackground(QBrush(Qt::red, Qt::SolidPattern));
        t.setItem(1, 0, new QTableWidgetItem("12:00:01 2024-01-01"));
        t.setItem(1, 1, new QTableWidgetItem("NULL"));
        t.setItem(1, 2, new QTableWidgetItem("abc℉"));
        t.setItem(2, 1, new QTableWidgetItem("77.54℉"));
    }
    QStringList rows(const QString &path)
    {
        workbook::Sheet sheet;
        QString error;
        if (!workbook::read_first_sheet(path, &sheet, &error))
            return {error};
        QStringList out;
        for (int r = 1; r <= sheet.row_count(); ++r)
            out << sheet.row(r).join('|');
        return out;
    }

private slots:
    void layouts_data()
    {
        QTest::addColumn<int>("layout");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("red");   // cells with a red fill
        QTest::newRow("text") << 0
            << QStringList{"T datasheet", "Date|Temp|Humi", "12:00:00 2024-01-01|23.50℃|45.20%RH",
                           "12:00:01 2024-01-01|NULL|abc℉", "|77.54℉"}
            << QStringList{"B3"};
        QTest::newRow("unit column") << 1
            << QStringList{"T datasheet", "Date|Temp|Humi|Unit", "12:00:00 2024-01-01|23.5|45.20%RH|℃",
                           "12:00:01 2024-01-01|NULL|abc|℉", "|77.54||℉"}
            << QStringList{"B3"};
        QTest::newRow("unit pairs") << 2
            << QStringList{"T datasheet", "Date|Temp||Humi", "12:00:00 2024-01-01|23.5|℃|45.2|%RH",
                           "12:00:01 2024-01-01|NULL|NULL|abc|℉", "|77.54|℉"}
            << QStringList{"B3", "C3"};
    }
    void layouts()
    {
        QFETCH(int, layout);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, red);
        QTableWidget t;
        fill(t);
        workbook::Writer w;
        switch (layout) {
        case 0: frame::write_text_layout(w, &t, "T", true); break;
        case 1: frame::write_unit_column_layout(w, &t, "T", 0); break;
        default: frame::write_unit_pairs_layout(w, &t, "T"); break;
        }
        const QString path = m_dir.filePath(QStringLiteral("layout%1.xlsx").arg(layout));
        QString error;
        QVERIFY2(w.save(path, &error), qPrintable(error));
        QCOMPARE(rows(path), expected);
        const QJsonObject cells = window_kit::openpyxl_dump(path).value("cells").toObject();
        QStringList filled;
        for (auto it = cells.begin(); it != cells.end(); ++it)
            if (!it.value().toObject().value("rgb").toString().isEmpty())
                filled << it.key();
        filled.sort();
        QCOMPARE(filled, red);
    }

    // The thermometer can start at a later table row; its first row is still row 3.
    void unit_column_from_a_later_row()
    {
        QTableWidget t;
        fill(t);
        workbook::Writer w;
        frame::write_unit_column_layout(w, &t, "KQ240", 2);
        const QString path = m_dir.filePath("later.xlsx");
        QVERIFY(w.save(path));
        QCOMPARE(rows(path), (QStringList{"KQ240 datasheet", "Date|Temp|Humi|Unit", "|77.54||℉"}));
        workbook::Writer none;
        frame::write_unit_column_layout(none, &t, "KQ240", 7);
        QVERIFY(none.save(path));
        QCOMPARE(rows(path).size(), 2);
    }
};

QTEST_MAIN(tst_frame_layouts)
#include "tst_frame_layouts.moc"
