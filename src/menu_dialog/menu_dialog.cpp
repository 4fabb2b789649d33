#include "menu_dialog.h"
#include "ui_menu_dialog.h"

#include "common/app_env.h"

#include <QDebug>
#include <QFileDialog>
#include <QMessageBox>
#include <QSettings>

namespace {

// Seconds per item of updataStamp; -1: read from lineEdit_customPeriod.
const int stamp_table[] = {1, 2, 5, 10, 30, 60, 1800, 3600, -1};
// The item as the form names it, before translation.
const char *const custom_item = "customize";
const QString directory_key = QStringLiteral("default_file_directory");

QString config_path()
{
    return app_env::program_dir() + QStringLiteral("/config.ini");
}

}

Menu_dialog::Menu_dialog(QWidget *parent)
    : QDialog(parent), ui(new Ui::Menu_dialog)
{
    // The form connects accepted() to accept() before the by-name slots,
    // so OK hides the dialog before on_buttonBox_accepted runs.
    ui->setupUi(this);
    ui->stackedWidget->setEnabled(false);
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);
    connect(ui->updataStamp, QOverload<int>::of(&QComboBox::currentIndexChanged),
            this, &Menu_dialog::on_updataStamp_changed);
    loadDirectory();
}

Menu_dialog::~Menu_dialog()
{
    delete ui;
}

void Menu_dialog::set_page(quint16 index)
{
    ui->stackedWidget->setCurrentIndex(index);
}

void Menu_dialog::on_updataStamp_changed(int)
{
    const bool custom = ui->updataStamp->currentText() == Menu_dialog::tr(custom_item);
    ui->lineEdit_customPeriod->setVisible(custom);
    ui->label_seconds->setVisible(custom);
}

void Menu_dialog::on_T_checkBox_stateChanged(int arg1)
{
    if (arg1 == Qt::Checked)
        ui->stackedWidget->setEnabled(true);
    else if (arg1 == Qt::Unchecked)
        ui->stackedWidget->setEnabled(false);
}

void Menu_dialog::on_buttonBox_accepted()
{
    const int index = ui->updataStamp->currentIndex();
    if (index < 0 || index >= int(sizeof stamp_table / sizeof stamp_table[0]))
        return;
    int stamp = stamp_table[index];
    if (ui->updataStamp->currentText() == tr(custom_item)) {
        // The windows turn the period into milliseconds in an int; a longer
        // one would overflow and stop polling, so it is refused here.
        stamp = ui->lineEdit_customPeriod->text().toInt(nullptr, 10);
        if (stamp < 1 || stamp > MAX_CUSTOM_PERIOD) {
            QMessageBox::critical(this, tr("Error"), tr("Please input a valid number"), QMessageBox::Ok);
            return;
        }
    }
    emit send_stamp(stamp);

    if (ui->T_checkBox->checkState() == Qt::Checked)
        send_page_limits();
    else if (ui->T_checkBox->checkState() == Qt::Unchecked)
        emit send_T_reset();
}

void Menu_dialog::send_page_limits()
{
    switch (ui->stackedWidget->currentIndex()) {
    case 0: {
        // Prepended: the list runs down 4, up 4, ... down 1, up 1; the
        // thermometer window takes it from the end.
        QVector<double> limits;
        limits.prepend(ui->UP_alarm_data_1->value());
        limits.prepend(ui->down_alarm_data_1->value());
        limits.prepend(ui->UP_alarm_data_2->value());
        limits.prepend(ui->down_alarm_data_2->value());
        limits.prepend(ui->UP_alarm_data_3->value());
        limits.prepend(ui->down_alarm_data_3->value());
        limits.prepend(ui->UP_alarm_data_4->value());
        limits.prepend(ui->down_alarm_data_4->value());
        emit send_limit_signal(limits);
        break;
    }
    case 1:
        emit send_limit_signal(float(ui->UP_alarm_data_6->value()), float(ui->down_alarm_data_6->value()),
                               float(ui->UP_alarm_data_5->value()), float(ui->down_alarm_data_5->value()));
        break;
    case 2:
    case 3:
    case 4:
    case 5:
    case 6: {
        const QDoubleSpinBox *pairs[][2] = {
            {ui->UP_alarm_data_7, ui->down_alarm_data_7},
            {ui->UP_alarm_data_8, ui->down_alarm_data_8},
            {ui->UP_alarm_data_9, ui->down_alarm_data_9},
            {ui->UP_alarm_data_10, ui->down_alarm_data_10},
            {ui->UP_alarm_data_11, ui->down_alarm_data_11},
        };
        const auto &pair = pairs[ui->stackedWidget->currentIndex() - 2];
        emit send_limit_signal(float(pair[0]->value()), float(pair[1]->value()));
        break;
    }
    case 7: {
        QVector<double> limits;
        limits << ui->UP_alarm_data_12->value() << ui->down_alarm_data_12->value()
               << ui->UP_alarm_data_13->value() << ui->down_alarm_data_13->value()
               << ui->UP_alarm_data_14->value() << ui->down_alarm_data_14->value()
               << ui->UP_alarm_data_15->value() << ui->down_alarm_data_15->value()
               << ui->UP_alarm_data_16->value() << ui->down_alarm_data_16->value();
        emit send_limit_signal(limits);
        break;
    }
    default:
        break;
    }
}

void Menu_dialog::on_buttonSelectFile_accepted()
{
    const QString dir = QFileDialog::getExistingDirectory(this, QStringLiteral("Choose directory"), QString(),
                                                          QFileDialog::ShowDirsOnly);
    if (dir.isEmpty()) {
        QMessageBox::critical(this, tr("Error"), tr("No directory chosen"), QMessageBox::Ok);
        return;
    }
    QSettings settings(config_path(), QSettings::IniFormat);
    settings.setValue(directory_key, dir);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        qDebug() << "cannot write" << directory_key << "to" << config_path();
    ui->labelpath->setText(dir);
}

void Menu_dialog::loadDirectory()
{
    QSettings settings(config_path(), QSettings::IniFormat);
    ui->labelpath->setText(settings.value(directory_key, QVariant()).toString());
}
