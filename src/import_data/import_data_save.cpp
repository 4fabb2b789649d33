// Saving the table and the picture.
#include "import_data.h"
#include "ui_import_data.h"
#include "viewer_table.h"
#include "viewer_text.h"
#include "common/safe_file.h"

#include <QDebug>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPixmap>

QString import_data::ask_save_name(const QString &proposed, const QString &filter, const QString &suffix)
{
    QWidget holder;   // the dialog's hidden parent, gone with this call
    QString path = QFileDialog::getSaveFileName(&holder, QStringLiteral("choose file"), proposed, filter);
    // The dialog does not add the filter's suffix on every platform.
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += suffix;
    return path;
}

void import_data::on_save_table_clicked()
{
    if (!table_model)
        return;
    const QString path = ask_save_name(QStringLiteral("save_import_table.xlsx"), tr("Images (*.xlsx)"),
                                       QStringLiteral(".xlsx"));
    if (path.isEmpty()) {
        QMessageBox::warning(nullptr, QString(), tr("no choose path"), QMessageBox::Ok);
        return;
    }
    workbook::Writer writer;
    for (int c = 0; c < table_model->columnCount(); ++c)
        writer.write_string(1, c + 1, table_model->headerData(c, Qt::Horizontal).toString());
    for (int r = 0; r < table_model->rowCount(); ++r)
        for (int c = 0; c < table_model->columnCount(); ++c) {
            writer.write_string(r + 2, c + 1, table_model->text(r, c));
        }
    QString error;
    if (!writer.save(path, &error)) {
        qDebug() << "xlsx not saved" << path << error;
        QMessageBox::warning(nullptr, tr("warning"),
                             tr("The table could not be saved:") + QStringLiteral("\n") + path
                                 + QStringLiteral("\n") + error,
                             QMessageBox::Ok);
    }
}

void import_data::on_save_bmp_clicked()
{
    const QString path = ask_save_name(QStringLiteral("import_data.bmp"), tr("Images (*.bmp)"),
                                       QStringLiteral(".bmp"));
    if (path.isEmpty()) {
        QMessageBox::warning(nullptr, QString(), tr("no choose path"), QMessageBox::Ok);
        return;
    }
    QPixmap picture(ui->plotwidget->size());
    ui->plotwidget->render(&picture, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    QString error;
    if (!safe_file::save_image(path, picture.toImage(), &error)) {
        qDebug() << "bmp not saved" << path << error;
        QMessageBox::warning(nullptr, tr("warning"),
                             tr("The picture could not be saved:") + QStringLiteral("\n") + path
                                 + QStringLiteral("\n") + error,
                             QMessageBox::Ok);
    }
}
