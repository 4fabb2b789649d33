#include "print_set.h"
#include "ui_print_set.h"

print_set::print_set(QWidget *parent)
    : QDialog(parent), ui(new Ui::print_set)
{
    // The form connects accepted() to accept() before the by-name slots.
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
}

print_set::~print_set()
{
    delete ui;
}

void print_set::on_buttonBox_accepted()
{
    // Picture first: each preview runs modally before the next starts.
    if (ui->printf_BMP->isChecked())
        emit print_BMP();
    if (ui->Printf_table->isChecked())
        emit print_table();
}
