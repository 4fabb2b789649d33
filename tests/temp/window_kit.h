#ifndef WINDOW_KIT_H
#define WINDOW_KIT_H

// Helpers for the temperature window tests: the save-name seam, print
// previews sent to PDF, openpyxl and pdftotext read-back.
#include "frame/model_frame.h"
#include "testkit.h"

#include <QApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QXmlStreamReader>
#include <QAbstractButton>
#include <QMessageBox>
#include <QtTest>

namespace window_kit {

// Every save dialog answers with the given name and records what it proposed.
struct SaveNames
{
    QString answer;
    QStringList proposed;
    SaveNames()
    {
        frame::ModelFrame::set_save_name_hook([this](const QString &p, const QString &) {
            proposed << p;
            return answer;
        });
    }
    ~SaveNames() { frame::ModelFrame::set_save_name_hook(nullptr); }
};

// Runs open() (which shows a print preview modally) and prints the preview
// into a PDF file; true when a preview appeared and was printed. shown, when
// given, runs once the preview is on screen, before it is printed.
inline bool print_preview_to_pdf(const std::function<void()> &open, const QString &pdf,
                                 const std::function<void()> &shown = nullptr)
{
    bool printed = false;
    QTimer t;
    t.setInterval(20);
    QObject::connect(&t, &QTimer::timeout, [&] {
        QPrintPreviewDialog *dlg = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *d = qobject_cast<QPrintPreviewDialog *>(w))
                if (d->isVisible())
                    dlg = d;
        if (!dlg)
            return;
        t.stop();
        if (shown)
            shown();
        dlg->printer()->setOutputFormat(QPrinter::PdfFormat);
        dlg->printer()->setOutputFileName(pdf);
        if (auto *widget = dlg->findChild<QPrintPreviewWidget *>()) {
            widget->print();
            printed = true;
        }
        dlg->reject();
    });
    t.start();
    open();
    return printed;
}

inline QString pdf_text(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Number of pictures placed in a PDF (pdfimages -list).
inline int pdf_image_count(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    p.waitForFinished(30000);
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    return std::max(0, int(lines.size()) - 2);   // two header lines
}

// Widths in pixels of the pictures placed in a PDF (pdfimages -list).
inline QList<int> pdf_image_widths(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
    p.waitForFinished(30000);
    QList<int> widths;
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    for (int i = 2; i < lines.size(); ++i)   // two header lines
        widths << lines[i].split(' ', Qt::SkipEmptyParts).value(3).toInt();
    return widths;
}

// The words of a PDF with their page and box in points (pdftotext -bbox).
struct PdfWord
{
    int page;
    QRectF box;
    QString text;
};
inline QList<PdfWord> pdf_words(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    p.waitForFinished(60000);
    QList<PdfWord> words;
    int page = 0;
    QXmlStreamReader xml(p.readAllStandardOutput());
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("page")) {
            ++page;
        } else if (xml.name() == QLatin1String("word")) {
            const QXmlStreamAttributes a = xml.attributes();
            const QPointF tl(a.value("xMin").toDouble(), a.value("yMin").toDouble());
            const QPointF br(a.value("xMax").toDouble(), a.value("yMax").toDouble());
            words << PdfWord{page, QRectF(tl, br), xml.readElementText()};
        }
    }
    return words;
}

// True when the word is printed over a red fill: most of its box's pixels
// that are not the glyphs' black are red.
inline bool pdf_word_on_red(const QString &pdf, const QString &word)
{
    for (const PdfWord &w : pdf_words(pdf)) {
        if (w.text != word)
            continue;
        QTemporaryDir dir;
        QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("72"),
                                                       QStringLiteral("-f"), QString::number(w.page),
                                                       QStringLiteral("-l"), QString::number(w.page),
                                                       QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf,
                                                       dir.filePath(QStringLiteral("page"))});
        const QImage page(dir.filePath(QStringLiteral("page.png")));
        int red = 0, light = 0;
        const QRect box = w.box.toAlignedRect();
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) {
                const QColor c = page.pixelColor(x, y);
                if (c.lightness() < 60)
                    continue;   // glyph
                ++light;
                if (c.red() > 200 && c.green() < 80 && c.blue() < 80)
                    ++red;
            }
        return light > 0 && red * 2 > light;
    }
    return false;
}

// openpyxl's view of a workbook: cells (value, type, fill colour) and merges.
inline QJsonObject openpyxl_dump(const QString &path)
{
    static const char *script = R"PY(
import json, sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.worksheets[0]
cells = {}
for row in ws.iter_rows():
    for c in row:
        if c.value is None and c.fill.patternType is None:
            continue
        cells[c.coordinate] = {"value": c.value, "type": c.data_type,
            "rgb": str(c.fill.fgColor.rgb) if c.fill.patternType == "solid" else ""}
print(json.dumps({"cells": cells, "merged": sorted(str(r) for r in ws.merged_cells.ranges),
                  "rows": ws.max_row}))
)PY";
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(script), path});
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        qWarning() << p.readAllStandardError();
        return QJsonObject();
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

inline QString cell_text(const QTableWidget *t, int r, int c)
{
    const QTableWidgetItem *i = t->item(r, c);
    return i ? i->text() : QString();
}

inline bool cell_red(const QTableWidget *t, int r, int c)
{
    const QTableWidgetItem *i = t->item(r, c);
    return i && i->background() == QBrush(Qt::red, Qt::SolidPattern);
}

// Clicks a checkable button; the click may run a modal loop (upload).
inline void click(QAbstractButton *b)
{
    QTest::mouseClick(b, Qt::LeftButton);
}

template <class T>
T *child(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QLatin1String(name));
    if (!c)
        qWarning() << "no widget" << name;
    return c;
}

// Clicks Upload and leaves the "Accepting" box for the window to close
// (other boxes are closed by the watcher); a guard closes a box nobody
// closes, so the suite never hangs.
inline void upload(QWidget *window, testkit::BoxWatcher &boxes)
{
    boxes.set_handler([](QMessageBox *box) { return box->text() == QLatin1String("Accepting"); });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] {
        for (QWidget *t : QApplication::topLevelWidgets())
            if (auto *b = qobject_cast<QMessageBox *>(t))
                if (b->isVisible() && b->text() == QLatin1String("Accepting")) {
                    qWarning() << "upload box left open";
                    b->done(0);
                }
    });
    guard.start(15000);
    click(child<QAbstractButton>(window, "upload_Button"));
}

}

#endif
