// Table print from a model window and from the import viewer: a table of
// several pages keeps every row once and in order, the title and heading row
// over the first page, and cell texts print as typed.
#include "KQ257_interface/kq257_interface.h"
#include "frame/paged_table.h"
#include "import_data/import_data.h"
#include "workbook/workbook.h"

#include "window_kit.h"

#include <QCursor>
#include <QPushButton>

namespace {

const QString markup = QStringLiteral("<b>&amp;");

QStringList pdf_pages(const QString &pdf)
{
    QStringList pages = window_kit::pdf_text(pdf).split('\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

// The key (first word) of each printed line that starts with one of the keys.
QStringList printed_keys(const QString &page, const QSet<QString> &keys)
{
    QStringList out;
    for (const QString &line : page.split('\n')) {
        const QString simple = line.simplified();
        for (const QString &k : keys)
            if (simple.startsWith(k + QLatin1Char(' '))) {
                out << k;
                break;
            }
    }
    return out;
}

// Three pages; every key once, in order; title and heading on the first page
// only, as the datasheet always printed; the page number at each foot.
void check_pages(const QString &pdf, const QString &title, const QString &heading, const QStringList &keys)
{
    const QStringList pages = pdf_pages(pdf);
    QCOMPARE(pages.size(), 3);
    const QSet<QString> key_set(keys.begin(), keys.end());
    QStringList seen;
    for (int p = 0; p < pages.size(); ++p) {
        const QStringList on_page = printed_keys(pages[p], key_set);
        QVERIFY2(!on_page.isEmpty(), qPrintable(pages[p]));
        seen += on_page;
        QCOMPARE(pages[p].count(title), p == 0 ? 1 : 0);
        QCOMPARE(pages[p].count(heading), p == 0 ? 1 : 0);
        const QStringList lines = pages[p].trimmed().split('\n');
        QCOMPARE(lines.last().trimmed(), QString::number(p + 1));
    }
    QCOMPARE(seen, keys);
}

}

class tst_table_print : public QObject
{
    Q_OBJECT
    std::unique_ptr<testkit::ProgramDir> m_dir;

private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");
        m_dir.reset(new testkit::ProgramDir);
    }
    void cleanupTestCase() { m_dir.reset(); }

    // The thermo-hygrometer's real-time table, 110 readings through the window.
    void window_table_over_pages()
    {
        KQ257_INTERFACE w;
        w.resize(1200, 732);
        w.show();
        const quint32 t0 = 1700000000;
        for (int i = 0; i < 110; ++i) {
            QQueue<quint16> q;
            q << quint16((t0 + i) & 0xFFFF) << quint16((t0 + i) >> 16) << quint16(2500 + i) << quint16(4500);
            w.get_rt_data(q);
        }
        auto *table = w.findChild<QTableWidget *>("RT_table_data");
        QCOMPARE(table->rowCount(), 110);
        QStringList keys;
        for (int r = 0; r < table->rowCount(); ++r)   // the time of day is unique here
            keys << table->item(r, 0)->text().section(' ', 0, 0);
        QCOMPARE(QSet<QString>(keys.begin(), keys.end()).size(), 110);
        table->item(60, 1)->setText(markup);
        const QString heading = table->horizontalHeaderItem(1)->text();

        const QString pdf = m_dir->file("window.pdf");
        QVERIFY(window_kit::print_preview_to_pdf([&] { w.Printf_table_Slot(); }, pdf));
        check_pages(pdf, "WRX-4 datasheet", heading, keys);
        QCOMPARE(window_kit::pdf_text(pdf).count(markup), 1);
    }

    // The viewer's table of a workbook of 110 rows; the dump file holds the
    // same cells as html, escaped.
    void viewer_table_over_pages()
    {
        workbook::Writer book;
        book.write_string(1, 1, "KQ285 datasheet");
        book.write_string(2, 1, "num");
        book.write_string(2, 2, "value");
        book.write_string(2, 3, "weight");
        QStringList keys;
        for (int r = 0; r < 110; ++r) {
            keys << QString::number(r + 1);
            book.write_string(r + 3, 1, keys.last());
            book.write_string(r + 3, 2, r == 60 ? markup : QString::number(40 + r % 20));
            book.write_string(r + 3, 3, "dbA");
        }
        const QString path = m_dir->file("book.xlsx");
        QVERIFY(book.save(path));

        import_data v(nullptr, path);
        v.show();
        const QString pdf = m_dir->file("viewer.pdf");
        QVERIFY(window_kit::print_preview_to_pdf([&] { v.findChild<QPushButton *>("print_table")->click(); }, pdf));
        check_pages(pdf, "import datasheet", "weight", keys);
        QCOMPARE(window_kit::pdf_text(pdf).count(markup), 1);

        QFile dump(m_dir->file("import_html.html"));
        QVERIFY(dump.open(QIODevice::ReadOnly));
        const QString html = QString::fromLatin1(dump.readAll());
        QVERIFY(html.contains("<td>&lt;b&gt;&amp;amp;</td>"));
        QVERIFY(!html.contains(markup));
    }

    // The print dialog's page range prints those pages only; the busy cursor
    // shows while pages are made and goes after.
    void page_range_and_busy_cursor()
    {
        frame::PrintedTable t;
        t.title = "range datasheet";
        t.headings = QStringList{"key", "value"};
        t.rows = 200;
        t.columns = 2;
        bool busy = true;
        t.text = [&](int r, int c) {
            busy = busy && QGuiApplication::overrideCursor()
                   && QGuiApplication::overrideCursor()->shape() == Qt::WaitCursor;
            return c == 0 ? QStringLiteral("row%1").arg(r) : QStringLiteral("v");
        };
        QStringList all_keys;
        for (int r = 0; r < t.rows; ++r)
            all_keys << QStringLiteral("row%1").arg(r);

        QPrinter whole(QPrinter::ScreenResolution);
        whole.setOutputFormat(QPrinter::PdfFormat);
        whole.setOutputFileName(m_dir->file("whole.pdf"));
        QVERIFY(frame::print_paged_table(&whole, t));
        QVERIFY(busy);
        QVERIFY(!QGuiApplication::overrideCursor());
        const QStringList pages = pdf_pages(m_dir->file("whole.pdf"));
        QVERIFY(pages.size() >= 4);
        const QSet<QString> key_set(all_keys.begin(), all_keys.end());

        QPrinter part(QPrinter::ScreenResolution);
        part.setOutputFormat(QPrinter::PdfFormat);
        part.setOutputFileName(m_dir->file("part.pdf"));
        part.setFromTo(2, 3);
        QVERIFY(frame::print_paged_table(&part, t));
        const QStringList printed = pdf_pages(m_dir->file("part.pdf"));
        QCOMPARE(printed.size(), 2);
        QCOMPARE(printed_keys(printed[0], key_set), printed_keys(pages[1], key_set));
        QCOMPARE(printed_keys(printed[1], key_set), printed_keys(pages[2], key_set));
        QVERIFY(!printed[0].contains("range datasheet"));
    }

    // A table wider than the page wraps its texts in narrower columns: every
    // character still prints, on the page and over no other text.
    void too_wide_for_the_page()
    {
        frame::PrintedTable t;
        t.title = "wide datasheet";
        t.rows = 30;
        t.columns = 12;
        for (int c = 0; c < t.columns; ++c)
            t.headings << QStringLiteral("column %1").arg(c);
        t.text = [](int, int) { return QString(24, QLatin1Char('x')); };
        QPrinter printer(QPrinter::ScreenResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_dir->file("wide.pdf"));
        QVERIFY(frame::print_paged_table(&printer, t));
        QCOMPARE(window_kit::pdf_text(m_dir->file("wide.pdf")).count('x'), 30 * 12 * 24);
        const QList<window_kit::PdfWord> words = window_kit::pdf_words(m_dir->file("wide.pdf"));
        for (int i = 0; i < words.size(); ++i)
            for (int j = i + 1; j < words.size(); ++j)
                if (words[i].page == words[j].page) {
                    const QRectF both = words[i].box.adjusted(0.5, 0.5, -0.5, -0.5)
                                            .intersected(words[j].box.adjusted(0.5, 0.5, -0.5, -0.5));
                    QVERIFY2(both.isEmpty(), qPrintable(words[i].text + " over " + words[j].text));
                }
    }
};

QTEST_MAIN(tst_table_print)
#include "tst_table_print.moc"
