#include "file_oprate.h"
#include "ui_file_oprate.h"

#include "common/screen_fit.h"
#include "import_data/import_data.h"

#include <QDebug>
#include <QFileDialog>
#include <QMessageBox>

File_oprate::File_oprate(QWidget *parent)
    : QDialog(parent), ui(new Ui::File_oprate)
{
    // The form connects accepted() to accept() before the by-name slots.
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
}

File_oprate::~File_oprate()
{
    delete ui;
}

void File_oprate::on_buttonBox_accepted()
{
    if (ui->save_bmp->isChecked()) {
        emit save_bmp();
        qDebug() << "emit save bpm signals";
    }
    if (ui->save_table->isChecked()) {
        emit save_table();
        qDebug() << "emit table bpm signals";
    }
    if (ui->import_table->isChecked())
        open_import_viewer();
}

void File_oprate::open_import_viewer()
{
    // A hidden parentless owner keeps the chooser off the (now hidden) dialog.
    QWidget chooser_parent;
    const QString path = QFileDialog::getOpenFileName(&chooser_parent, QStringLiteral("choose file"), QString(),
                                                      tr("Images (*.xlsx)"));
    if (path.isEmpty()) {
        QMessageBox::critical(this, tr("Error"), tr("no choose file"), QMessageBox::Ok);
        return;
    }
    // The viewer is a top-level window of its own and outlives this dialog;
    // it is released when the operator closes it.
    import_window = new import_data(nullptr, path);
    import_window->setAttribute(Qt::WA_DeleteOnClose);
    screen_fit::show_within_screen(import_window);
}
