// Table and picture export, picture and table printing.
#include "frame/model_frame.h"

#include "common/safe_file.h"
#include "frame/paged_table.h"
#include "workbook/workbook.h"

#include <QDebug>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStackedWidget>
#include <QTableWidget>

#include <cmath>

namespace frame {

namespace {

ModelFrame::SaveNameHook g_save_name_hook;

QString header_text(const QTableWidget *table, int col)
{
    const QTableWidgetItem *h = table->horizontalHeaderItem(col);
    return h ? h->text() : QString();
}

// The fill of an alarm cell: its solid background colour, else none.
QColor item_fill(const QTableWidgetItem *item)
{
    const QVariant v = item->data(Qt::BackgroundRole);
    if (v.canConvert<QBrush>()) {
        const QBrush b = v.value<QBrush>();
        return b.style() == Qt::SolidPattern ? b.color() : QColor();
    }
    return QColor();
}

bool is_alarm(const QTableWidgetItem *item)
{
    return item->background() == QBrush(Qt::red, Qt::SolidPattern);
}

void write_value(workbook::Writer &w, int row, int col, const QString &text, const QColor &fill)
{
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (ok && std::isfinite(v))   // "inf" and "nan" stay the text they were
        w.write_number(row, col, v, fill);
    else
        w.write_string(row, col, text, fill);
}

}

void write_text_layout(workbook::Writer &w, const QTableWidget *table, const QString &title, bool colour_alarms)
{
    w.write_string(1, 1, QStringLiteral("%1 datasheet").arg(title));
    const int cols = table->columnCount();
    for (int c = 0; c < cols; ++c)
        w.write_string(2, c + 1, header_text(table, c));
    for (int r = 0; r < table->rowCount(); ++r) {
        for (int c = 0; c < cols; ++c) {
            const QTableWidgetItem *item = table->item(r, c);
            if (!item) {
                w.write_string(r + 3, c + 1, QString());
                continue;
            }
            const QColor fill = colour_alarms && is_alarm(item) ? QColor(Qt::red) : QColor();
            w.write_string(r + 3, c + 1, item->text(), fill);
        }
    }
}

void write_unit_column_layout(workbook::Writer &w, const QTableWidget *table, const QString &title, int start_row)
{
    static const QString celsius = QStringLiteral("℃");
    static const QString fahrenheit = QStringLiteral("℉");
    w.write_string(1, 1, QStringLiteral("%1 datasheet").arg(title));
    const int cols = table->columnCount();
    for (int c = 0; c < cols; ++c)
        w.write_string(2, c + 1, header_text(table, c));
    w.write_string(2, cols + 1, QStringLiteral("Unit"));
    const int first = std::max(start_row, 0);
    for (int r = first; r < table->rowCount(); ++r) {
        const int row = 3 + (r - first);
        QString unit;
        for (int c = 0; c < cols; ++c) {
            const QTableWidgetItem *item = table->item(r, c);
            if (!item) {
                w.write_string(row, c + 1, QString());
                continue;
            }
            const QColor fill = item_fill(item);
            QString text = item->text();
            if (c == 0) {
                w.write_string(row, 1, text, fill);
                continue;
            }
            if (text.endsWith(celsius)) {
                unit = celsius;
                text = text.left(text.indexOf(celsius));
            } else if (text.endsWith(fahrenheit)) {
                unit = fahrenheit;
                text = text.left(text.indexOf(fahrenheit));
            }
            write_value(w, row, c + 1, text, fill);
        }
        w.write_string(row, cols + 1, unit);
    }
}

void write_unit_pairs_layout(workbook::Writer &w, const QTableWidget *table, const QString &title)
{
    static const QString units[] = {QStringLiteral("%RH"), QStringLiteral("℃"), QStringLiteral("℉")};
    w.write_string(1, 1, QStringLiteral("%1 datasheet").arg(title));
    const int cols = table->columnCount();
    for (int j = 0; j < cols; ++j)
        w.write_string(2, j + 1, header_text(table, j));
    w.write_string(2, 1, header_text(table, 0));
    for (int j = 1; j < cols; ++j) {
        w.merge(2, 2 * j, 2, 2 * j + 1);
        w.write_string(2, 2 * j, header_text(table, j));
    }
    for (int r = 0; r < table->rowCount(); ++r) {
        const int row = 3 + r;
        for (int j = 0; j < cols; ++j) {
            const QTableWidgetItem *item = table->item(r, j);
            if (!item) {
                if (j == 0) {
                    w.write_string(row, 1, QString());
                } else {
                    w.write_string(row, 2 * j, QString());
                    w.write_string(row, 2 * j + 1, QString());
                }
                continue;
            }
            const QColor fill = item_fill(item);
            const QString text = item->text();
            if (j == 0) {
                w.write_string(row, 1, text, fill);
                continue;
            }
            const QString *unit = nullptr;
            for (const QString &u : units)
                if (text.endsWith(u)) {
                    unit = &u;
                    break;
                }
            if (unit) {
                write_value(w, row, 2 * j, text.left(text.indexOf(*unit)), fill);
                w.write_string(row, 2 * j + 1, *unit, fill);
            } else {
                w.write_string(row, 2 * j, text, fill);
                w.write_string(row, 2 * j + 1, text, fill);
            }
        }
    }
}

void ModelFrame::fill_workbook(workbook::Writer &writer, const QTableWidget *table, bool stored, int start_row) const
{
    if (m_hooks.fill_workbook) {
        m_hooks.fill_workbook(writer, table, stored);
        return;
    }
    switch (m_config.layout) {
    case TableLayout::Text:
        write_text_layout(writer, table, m_config.model_title, !stored);
        break;
    case TableLayout::UnitColumn:
        write_unit_column_layout(writer, table, m_config.model_title, start_row);
        break;
    case TableLayout::UnitPairs:
        write_unit_pairs_layout(writer, table, m_config.model_title);
        break;
    }
}

void ModelFrame::set_save_name_hook(SaveNameHook hook)
{
    g_save_name_hook = std::move(hook);
}

QString ModelFrame::ask_save_name(const QString &proposed, const QString &filter, const QString &suffix) const
{
    QString path;
    if (g_save_name_hook) {
        path = g_save_name_hook(proposed, filter);
    } else {
        QWidget holder;   // the dialog's parent is never shown; it goes with this call
        path = QFileDialog::getSaveFileName(&holder, tr_window("choose file"), proposed, filter);
    }
    // The dialog does not add the filter's suffix on every platform.
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += suffix;
    return path;
}

void ModelFrame::save_table(int start_row)
{
    const bool stored = stored_page_shown();
    const QTableWidget *table = stored ? read_table_data : RT_table_data;
    if (!table)
        return;
    const QString path = ask_save_name(stored ? m_config.stored_table_file : m_config.rt_table_file,
                                       tr_window("Images (*.xlsx)"), QStringLiteral(".xlsx"));
    if (path.isEmpty()) {
        const char *const *box = stored ? m_config.table_cancel_stored : m_config.table_cancel_rt;
        QMessageBox::warning(nullptr, *box[0] ? tr_window(box[0]) : QString(),
                             *box[1] ? tr_window(box[1]) : QString(), QMessageBox::Ok);
        return;
    }
    workbook::Writer writer;
    fill_workbook(writer, table, stored, start_row);
    QString error;
    if (!writer.save(path, &error)) {
        qDebug() << "xlsx not saved" << path << error;
        QMessageBox::warning(nullptr, tr_window("warning"),
                             tr_window("The table could not be saved:") + QStringLiteral("\n") + path
                                 + QStringLiteral("\n") + error,
                             QMessageBox::Ok);
    }
}

void ModelFrame::save_picture()
{
    const bool stored = stored_page_shown();
    const QString path = ask_save_name(stored ? m_config.stored_picture_file : m_config.rt_picture_file,
                                       tr_window("Images (*.bmp)"), QStringLiteral(".bmp"));
    if (path.isEmpty()) {
        const char *const *box = m_config.picture_cancel;
        QMessageBox::warning(nullptr, *box[0] ? tr_window(box[0]) : QString(),
                             *box[1] ? tr_window(box[1]) : QString(), QMessageBox::Ok);
        return;
    }
    // The stored graph as a bmp at five times its size and 96 dpi; the live
    // one as shown, in the format its name gives.
    QImage picture;
    if (stored && read_plot) {
        picture = read_plot->toPixmap(0, 0, 5.0).toImage();
        const int dots_per_metre = int(96 / 0.0254);
        picture.setDotsPerMeterX(dots_per_metre);
        picture.setDotsPerMeterY(dots_per_metre);
    } else if (!stored && plotwidget) {
        QPixmap pm(plotwidget->size());
        plotwidget->render(&pm, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
        picture = pm.toImage();
    }
    QString error;
    if (safe_file::save_image(path, picture, &error, stored ? "bmp" : nullptr)) {
        qDebug() << "bmp  creator";
        return;
    }
    qDebug() << "bmp not creator" << path << error;
    QMessageBox::warning(nullptr, tr_window("warning"),
                         tr_window("The picture could not be saved:") + QStringLiteral("\n") + path
                             + QStringLiteral("\n") + error,
                         QMessageBox::Ok);
}

void ModelFrame::print_picture()
{
    // Printer resolution: the page holds a screen-sized picture, so a
    // high-resolution page would only cost memory and time.
    QPrinter printer(QPrinter::PrinterResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(5, 5, 5, 5), QPageLayout::Millimeter);
    QPrintPreviewDialog preview(&printer, m_window);
    preview.setMinimumHeight(320);
    preview.setWindowFlags(preview.windowFlags() | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    if (m_config.preview_bmp_slot)
        connect(&preview, SIGNAL(paintRequested(QPrinter*)), m_window, m_config.preview_bmp_slot);
    preview.exec();
}

void ModelFrame::paint_picture(QPrinter *printer)
{
    // Printed from the picture in memory; the file is written as before for
    // whoever looks for it, but a failure to write it costs no page.
    QPixmap picture;
    if (plotwidget) {
        picture = QPixmap(plotwidget->size());
        plotwidget->render(&picture, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    }
    if (!picture.save(QStringLiteral("rt_temp.bmp"), "bmp"))
        qDebug() << "rt_temp.bmp not written";

    QPainter painter;
    if (!painter.begin(printer)) {
        qDebug() << "failed to open file, is it writable?";
        return;
    }
    if (picture.isNull()) {
        QMessageBox::warning(nullptr, tr_window("warning"), tr_window("bmp not exist"), QMessageBox::Ok);
        painter.end();
        return;
    }
    const QSize page = printer->pageLayout().paintRectPixels(printer->resolution()).size();
    painter.drawPixmap(0, 0, picture.scaled(page, Qt::KeepAspectRatio, Qt::FastTransformation));
    painter.end();
}

void ModelFrame::print_table()
{
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::NativeFormat);
    QPrintPreviewDialog preview(&printer);
    preview.setWindowTitle(tr_window("Print Preview"));
    preview.setWindowFlags(preview.windowFlags() | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    if (m_config.preview_table_slot)
        connect(&preview, SIGNAL(paintRequested(QPrinter*)), m_window, m_config.preview_table_slot);
    preview.exec();
}

void ModelFrame::paint_table(QPrinter *printer)
{
    const bool stored = stored_page_shown();
    const QTableWidget *table = stored ? read_table_data : RT_table_data;
    if (!table)
        return;
    PrintedTable t;
    t.title = QStringLiteral("%1 datasheet").arg(m_config.model_title);
    for (int c = 0; c < table->columnCount(); ++c)
        if (const QTableWidgetItem *h = table->horizontalHeaderItem(c))
            t.headings << h->text();
    t.rows = table->rowCount();
    t.columns = table->columnCount();
    t.text = [table](int r, int c) {
        const QTableWidgetItem *item = table->item(r, c);
        return item ? item->text() : QString();
    };
    if (!stored)   // alarms are coloured on the real-time page only
        t.alarm = [table](int r, int c) {
            const QTableWidgetItem *item = table->item(r, c);
            return item && is_alarm(item);
        };
    print_paged_table(printer, t);
}

}
