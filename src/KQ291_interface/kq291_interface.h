#ifndef KQ291_INTERFACE_H
#define KQ291_INTERFACE_H

#include "data_process/data_statistics.h"

#include <QMainWindow>
#include <QMap>
#include <QQueue>
#include <QString>

namespace Ui {
class KQ291_INTERFACE;
}
namespace frame {
class ModelFrame;
class Series;
}
class CLEAN_DATA;
class QCustomPlot;
class KQ291_HID_INTERDACE;
class Menu_dialog;
class QPrinter;
class SAVE_DATA_INDEX;

// Window of the KQ291 sound level meter: A-weighted level in real time,
// stored record sets chosen by date, clock synchronisation and clearing.
class KQ291_INTERFACE : public QMainWindow
{
    Q_OBJECT
public:
    explicit KQ291_INTERFACE(QWidget *parent = nullptr);
    ~KQ291_INTERFACE() override;

    void set_device_path(QString path);
    // The C and Z weighting of the KQ285's form; this form has no such
    // radios, so they are no slots (connect-by-name would warn at every start).
    void on_radioButton_2_clicked();
    void on_radioButton_3_clicked();

signals:
    void HID_write_cmd(int cmd);
    void HID_write_cmd(int cmd, int data, int data2);

public slots:
    void status_reflash();
    void device_status_update(int status);
    void get_rt_data_cmd_slot();
    void get_rt_data(QQueue<quint16> queue);
    void get_save_data(QMap<uint32_t, float> qmap_data);

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

    void set_stamp_slot(int time_stamp);
    void threshold_reset();
    void set_limit_slot(float first_data, float second_data);
    void clock_sync_result(bool written);

    void SAVE_BMP_Slot();
    void SAVE_table_Slot();
    void Printf_BMP_Slot();
    void Printf_table_Slot();
    void KQ291_preview_BMP(QPrinter *printer);
    void KQ291_preview_table(QPrinter *printer);

private:
    void clear_all_data();
    void set_weighting(int type);
    void KQ291_plot_widget_init(QCustomPlot *plot, int, QString name, QString);
    void KQ291_set_rt_data_plot(double value);
    void KQ291_set_save_data_plot(uint32_t time, double value, double);
    void add_rt_table_row(double value);
    void add_read_table_row(uint32_t time, double value, double weighting);

    Ui::KQ291_INTERFACE *ui;
    KQ291_HID_INTERDACE *link = nullptr;
    frame::ModelFrame *frame = nullptr;
    frame::Series *rt_data = nullptr;
    frame::Series *save_data = nullptr;
    DATA_STATISTICS statistics;
    Menu_dialog *menu_dialog = nullptr;
    SAVE_DATA_INDEX *index_dialog = nullptr;
    CLEAN_DATA *clean_dialog = nullptr;
};

#endif
