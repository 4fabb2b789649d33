#ifndef KQ186_INTERFACE_H
#define KQ186_INTERFACE_H

#include "data_process/data_statistics.h"

#include <QMainWindow>
#include <QQueue>
#include <QString>
#include <QVector>

namespace Ui {
class KQ186_INTERFACE;
}
namespace frame {
class ModelFrame;
class Series;
}
class CLEAN_DATA;
class HID_INTERDACE;
class Menu_dialog;
class QCustomPlot;
class QPrinter;

// Window of the KQ186 differential-pressure meter: the pressure in one of
// fourteen units, following the unit the instrument shows and setting it,
// stored records, clock synchronisation and clearing of the instrument's
// memory.
class KQ186_INTERFACE : public QMainWindow
{
    Q_OBJECT
public:
    explicit KQ186_INTERFACE(QWidget *parent = nullptr);
    ~KQ186_INTERFACE() override;

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
    void on_radioButton_4_clicked();
    void on_radioButton_5_clicked();
    void on_radioButton_6_clicked();
    void on_radioButton_7_clicked();
    void on_radioButton_8_clicked();
    void on_radioButton_9_clicked();
    void on_radioButton_10_clicked();
    void on_radioButton_11_clicked();
    void on_radioButton_12_clicked();
    void on_radioButton_13_clicked();
    void on_radioButton_14_clicked();

    void set_stamp_slot(int time_stamp);
    void threshold_reset();
    void set_limit_slot(float first_data, float second_data);
    void hide_widget();
    void receive_data_over();

    void SAVE_BMP_Slot();
    void SAVE_table_Slot();
    void Printf_BMP_Slot();
    void Printf_table_Slot();
    void KQ186_preview_BMP(QPrinter *printer);
    void KQ186_preview_table(QPrinter *printer);

private:
    void clear_all_data();
    void set_unit(int unit_index);
    void KQ186_change_unit_ui(int unit_index);
    void check_unit_radio(int unit_index);
    void show_rt_statistics();
    void KQ186_plot_widget_init(QCustomPlot *plot, int, QString name, QString);
    void KQ186_set_rt_data_plot(uint32_t time, double value);
    void KQ186_set_save_data_plot(uint32_t time, double value);
    void add_rt_table_row(quint32 time, float pa);
    void add_read_table_row(quint32 time, float pa);

    Ui::KQ186_INTERFACE *ui;
    HID_INTERDACE *link = nullptr;
    frame::ModelFrame *frame = nullptr;
    frame::Series *rt_data = nullptr;
    frame::Series *save_data = nullptr;
    DATA_STATISTICS statistics;
    // Real-time readings since the statistics' last start, in Pa: when the
    // instrument changes its unit the statistics are worked out again in
    // the new one.
    QVector<float> rt_pa;
    Menu_dialog *menu_dialog = nullptr;
    quint8 unit_index = 0;
    QString display_unit_str;
    CLEAN_DATA *clean_dialog = nullptr;
};

#endif
