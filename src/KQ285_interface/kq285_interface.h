#ifndef KQ285_INTERFACE_H
#define KQ285_INTERFACE_H

#include "data_process/data_statistics.h"

#include <QMainWindow>
#include <QQueue>
#include <QString>

namespace Ui {
class KQ285_INTERFACE;
}
namespace frame {
class ModelFrame;
class Series;
}
class CLEAN_DATA;
class HID_INTERDACE;
class Menu_dialog;
class QButtonGroup;
class QCustomPlot;
class QPrinter;

// Window of the KQ285 sound level meter: level with A/C/Z weighting,
// temperature gauge in ℃ or ℉, stored records, clock synchronisation and
// clearing of the instrument's memory.
class KQ285_INTERFACE : public QMainWindow
{
    Q_OBJECT
public:
    explicit KQ285_INTERFACE(QWidget *parent = nullptr);
    ~KQ285_INTERFACE() override;

    void set_device_path(QString path);

signals:
    void HID_write_cmd(int cmd);
    void HID_write_cmd(int cmd, int data, int data2);

public slots:
    void status_reflash();
    void device_status_update(int status);
    void get_rt_data_cmd_slot();
    void get_rt_data(QQueue<quint16> queue);
    void get_save_data(QQueue<quint16> queue);

    void on_start_button_clicked(bool checked);
    void on_start_button_clicked();
    void on_Pause_Button_clicked();
    void on_upload_Button_clicked(bool checked);
    void on_sync_Button_clicked();
    void on_data_export_Button_clicked();
    void clean_data_slot(int cmd);
    void on_language_Button_released();
    void on_language_Button_clicked();
    void on_meun_Button_clicked();
    void on_File_Button_clicked();
    void on_printing_Button_clicked();
    void on_help_Button_clicked();
    void on_timestamp_currentIndexChanged(int index);
    void on_radioButton_clicked();
    void on_radioButton_2_clicked();
    void on_radioButton_3_clicked();
    void onRadioClickSlot();

    void set_stamp_slot(int time_stamp);
    void threshold_reset();
    void set_limit_slot(float first_data, float second_data);
    void hide_widget();
    void receive_data_over();

    void SAVE_BMP_Slot();
    void SAVE_table_Slot();
    void Printf_BMP_Slot();
    void Printf_table_Slot();
    void KQ285_preview_BMP(QPrinter *printer);
    void KQ285_preview_table(QPrinter *printer);

private:
    void clear_all_data();
    void set_weighting(int type);
    void KQ285_plot_widget_init(QCustomPlot *plot, int, QString name, QString);
    void KQ285_set_rt_data_plot(double value);
    void KQ285_set_save_data_plot(uint32_t time, double value, double);
    void add_rt_table_row(uint time, double value, double weighting);
    void add_read_table_row(uint time, double value, double weighting);

    Ui::KQ285_INTERFACE *ui;
    HID_INTERDACE *link = nullptr;
    frame::ModelFrame *frame = nullptr;
    frame::Series *rt_data = nullptr;
    frame::Series *save_data = nullptr;
    DATA_STATISTICS statistics;
    int temperature_unit = 0;   // 0 ℃, 1 ℉
    Menu_dialog *menu_dialog = nullptr;
    QButtonGroup *unit_group = nullptr;
    CLEAN_DATA *clean_dialog = nullptr;
};

#endif
