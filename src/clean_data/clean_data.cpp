#include "clean_data.h"
#include "ui_clean_data.h"

CLEAN_DATA::CLEAN_DATA(QWidget *parent)
    : QDialog(parent), ui(new Ui::CLEAN_DATA)
{
    // The form connects accepted() to accept() before the by-name slots.
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
}

CLEAN_DATA::~CLEAN_DATA()
{
    delete ui;
}

void CLEAN_DATA::on_buttonBox_accepted()
{
    emit clean_data_source(ui->checkBox->isChecked() ? 1 : 0);
}
