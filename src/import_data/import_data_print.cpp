// Printing the picture and the table.
#include "import_data.h"
#include "ui_import_data.h"
#include "viewer_table.h"
#include "viewer_text.h"
#include "frame/paged_table.h"

#include <QDebug>
#include <QFile>
#include <QMessageBox>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

void import_data::on_print_bmp_clicked()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageMargins(QMarginsF(10, 10, 10, 12), QPageLayout::Millimeter);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, &import_data::preview_BMP);
    preview.exec();
}

void import_data::preview_BMP(QPrinter *printer)
{
    QPixmap picture(ui->plotwidget->size());
    ui->plotwidget->render(&picture, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    QPainter painter;
    if (!painter.begin(printer)) {
        qDebug() << "failed to open file, is it writable?";
        return;
    }
    if (picture.isNull()) {
        QMessageBox::warning(nullptr, tr("warning"), tr("bmp not exist"), QMessageBox::Ok);
        painter.end();
        return;
    }
    const QSize page = printer->pageLayout().paintRectPixels(printer->resolution()).size();
    painter.drawPixmap(0, 0, picture.scaled(page, Qt::KeepAspectRatio, Qt::FastTransformation));
    painter.end();
}

void import_data::build_html()
{
    if (!table_model)
        return;
    html.clear();
    html += QStringLiteral("<html><body>");
    html += QStringLiteral("<h1 align='center'>import datasheet</h1>");
    html += QStringLiteral("<table border='0' width='600' bordercolor='blue' cellspacing='0'>");
    html += QStringLiteral("<tr>");
    html += QStringLiteral(
        "<td><table border='0.1' width='200' align='right' bordercolor='blue' cellspacing='0' frame='void'>");
    html += QStringLiteral("<tr align='center'>");
    for (int c = 0; c < table_model->columnCount(); ++c)
        html += QStringLiteral("<td>%1</td>").arg(table_model->headerData(c, Qt::Horizontal).toString().toHtmlEscaped());
    html += QStringLiteral("</tr>");
    for (int r = 0; r < table_model->rowCount(); ++r) {
        html += QStringLiteral("<tr align='center'>");
        for (int c = 0; c < table_model->columnCount(); ++c) {
            const QString text = table_model->text(r, c);
            html += text.isEmpty() ? QStringLiteral("<td></td>") : QStringLiteral("<td>%1</td>").arg(text.toHtmlEscaped());
        }
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("</tr></table >");
    html += QStringLiteral("</body></html>");
}

void import_data::on_print_table_clicked()
{
    build_html();
    QFile dump(QStringLiteral("import_html.html"));
    if (dump.open(QIODevice::ReadWrite | QIODevice::Truncate)) {
        dump.write(html.toLatin1());
        dump.close();
    }
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::NativeFormat);
    QPrintPreviewDialog preview(&printer);
    preview.setWindowTitle(tr("Print Preview"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, &import_data::preview_table);
    preview.exec();
}

void import_data::preview_table(QPrinter *printer)
{
    frame::PrintedTable t;   // no table: an empty page
    t.centred = false;
    if (table_model) {
        t.title = QStringLiteral("import datasheet");
        const QAbstractItemModel *m = table_model;
        for (int c = 0; c < m->columnCount(); ++c)
            t.headings << m->headerData(c, Qt::Horizontal).toString();
        t.rows = m->rowCount();
        t.columns = m->columnCount();
        t.text = [m](int r, int c) { return m->data(m->index(r, c)).toString(); };
    }
    frame::print_paged_table(printer, t);
}
