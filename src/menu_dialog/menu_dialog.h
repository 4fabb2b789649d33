#ifndef MENU_DIALOG_H
#define MENU_DIALOG_H

#include <QDialog>
#include <QVector>

namespace Ui {
class Menu_dialog;
}

// Settings dialog of a model window: polling interval, alarm switch and
// the alarm limits of the page the window turned it to. Hidden, not
// destroyed, on close, so its entries stay for the next opening.
class Menu_dialog : public QDialog
{
    Q_OBJECT

public:
    // Largest custom period whose millisecond count still fits an int.
    static const int MAX_CUSTOM_PERIOD = 2147483;

    explicit Menu_dialog(QWidget *parent = nullptr);
    ~Menu_dialog() override;

    void set_page(quint16 index);

    // Shows the custom period field for "customize". Connected by the
    // constructor; kept out of the slot list because connect-by-name would
    // look for a "changed" signal of updataStamp and warn on every build.
    void on_updataStamp_changed(int index);

signals:
    void send_T_limit_value(double up_limit, double down_limit);
    void send_T_reset();
    void send_limit_signal(float first_data, float second_data, float third_data, float fourth_data);
    void send_limit_signal(float first_data, float second_data);
    void send_limit_signal(QVector<double> limit_data);
    void send_stamp(int index);

public slots:
    void on_T_checkBox_stateChanged(int arg1);
    void on_buttonBox_accepted();
    void on_buttonSelectFile_accepted();
    void loadDirectory();

private:
    void send_page_limits();

    Ui::Menu_dialog *ui;
};

#endif
