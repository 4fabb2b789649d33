#ifndef KQ278_INTERFACE_H
#define KQ278_INTERFACE_H

#include "data_process/data_statistics.h"

#include <QMainWindow>
#include <QQueue>
#include <QString>

namespace Ui {
class KQ278_INTERFACE;
}
namespace frame {
class ModelFrame;
class Series;
}
class HID_INTERDACE;
class Menu_dialog;
class QCustomPlot;
class QPrinter;
class SAVE_DATA_INDEX;

// Window of the KQ278 anemometer: air speed in six units (the instrument
// answers in m/s, the window converts), temperature gauge, stored records
// plotted by record number.
class KQ278_INTERFACE : public QMainWindow
{
    Q_OBJECT
public:
    explicit KQ278_INTERFACE(QWidget *parent = nullptr);
    ~KQ278_INTERFACE() override;

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
    void on_radioButton_5_clicked();
    void on_radioButton_4_clicked();
    void on_radioButton_6_clicked();

    void set_stamp_slot(int time_stamp);
    void threshold_reset();
    void set_limit_slot(float first_data, float second_data);
    void receive_data_over();

    void SAVE_BMP_Slot();
    void SAVE_table_Slot();
    void Printf_BMP_Slot();
    void Printf_table_Slot();
    void KQ278_preview_BMP(QPrinter *printer);
    void KQ278_preview_table(QPrinter *printer);

private:
    void clear_all_data();
    void set_unit(int unit);
    double speed_unit_convert(double value, int unit);
    void KQ278_plot_widget_init(QCustomPlot *plot, bool time_axis, QString name, QString);
    void KQ278_set_rt_data_plot(uint32_t time, double value);
    void KQ278_set_save_data_plot(double value);
    void add_rt_table_row(uint time, const QString &speed, const QString &temperature);
    void add_read_table_row(double speed, double temperature, uint time);

    Ui::KQ278_INTERFACE *ui;
    SAVE_DATA_INDEX *index_dialog = nullptr;
    HID_INTERDACE *link = nullptr;
    frame::ModelFrame *frame = nullptr;
    frame::Series *rt_data = nullptr;
    frame::Series *save_data = nullptr;
    int save_count = 0;         // key of the stored graph: records since the answer began
    DATA_STATISTICS statistics;
    QString unit_text = QStringLiteral("m/s");
    quint8 speed_unit = 0;
    Menu_dialog *menu_dialog = nullptr;
};

#endif
