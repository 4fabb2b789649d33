#ifndef KQ257_INTERFACE_H
#define KQ257_INTERFACE_H

#include "data_process/data_statistics.h"

#include <qcustomplot.h>

#include <QMainWindow>
#include <QQueue>
#include <QSharedPointer>
#include <QString>

class HID_INTERDACE;
class Menu_dialog;
class QPrinter;
class QTableWidget;
class QTableWidgetItem;
namespace Ui { class KQ257_INTERFACE; }
namespace frame { class ModelFrame; class Series; }

// Window of the KQ257 thermo-hygrometer (general HID link): temperature and
// humidity in graphs, tables and two gauges, alarms, upload, clock
// synchronisation and the ℃/℉ switch. Readings are kept in ℃; what is shown
// is converted from them.
class KQ257_INTERFACE : public QMainWindow
{
    Q_OBJECT
public:
    explicit KQ257_INTERFACE(QWidget *parent = nullptr);
    ~KQ257_INTERFACE() override;

    void set_device_path(QString path);

    void add_rt_table_row(uint32_t time, double celsius, double humidity, bool t_alarm, bool h_alarm);
    void add_read_table_row(uint32_t time, double temperature, double humidity);
    void KQ257_plot_widget_init(QCustomPlot *plot, bool right_axis, const QString &temp_label, const QString &humi_label);
    void KQ257_set_rt_data_plot(uint32_t time, double temperature, double humidity);
    void KQ257_set_save_data_plot(uint32_t time, double temperature, double humidity);
    void fit_rt_axes();
    void fit_save_axes();
    void set_unit(int unit);
    void convert_table_unit(QTableWidget *table);
    static double celsius_to_unit(double value, int unit);
    static double convert_temperature(double value, int target_unit, int source_unit);

    frame::ModelFrame *frame_part() const { return m_frame; }
    HID_INTERDACE *link_part() const { return link; }
    Menu_dialog *menu_part() const { return menu_dialog; }
    DATA_STATISTICS statistics;
    QString unit_text = QStringLiteral("℃");
    quint8 unit_index = 0;

signals:
    void HID_write_cmd(int cmd);
    void HID_write_cmd(int cmd, int data, int data2);

public slots:
    void status_reflash();
    void device_status_update(int status);
    void on_language_Button_released();
    void on_language_Button_clicked();
    void on_start_button_clicked(bool checked);
    void on_start_button_clicked();
    void on_Pause_Button_clicked();
    void on_upload_Button_clicked(bool checked);
    void on_sync_Button_clicked();
    void get_rt_data_cmd_slot();
    void set_stamp_slot(int time_stamp);
    void threshold_reset();
    void on_data_export_Button_clicked();
    void on_timestamp_currentIndexChanged(int index);
    void on_meun_Button_clicked();
    void on_File_Button_clicked();
    void on_printing_Button_clicked();
    void on_help_Button_clicked();
    void receive_data_over();
    void hide_widget();

    void get_rt_data(QQueue<quint16> queue);
    void get_save_data(QQueue<quint16> queue);
    void set_limit_slot(float first_data, float second_data, float third_data, float fourth_data);
    void on_radioButton_clicked();
    void on_radioButton_2_clicked();

    void SAVE_table_Slot();
    void SAVE_BMP_Slot();
    void Printf_BMP_Slot();
    void Printf_table_Slot();
    void KQ257_preview_BMP(QPrinter *printer);
    void KQ257_preview_table(QPrinter *printer);

private:
    void clear_model();
    void fit_statistics_bar();
    void show_statistics(int record);
    QTableWidgetItem *temperature_item(double celsius, const QString &text) const;

    Ui::KQ257_INTERFACE *ui;
    HID_INTERDACE *link = nullptr;
    frame::ModelFrame *m_frame = nullptr;
    Menu_dialog *menu_dialog = nullptr;
    frame::Series *rt_temp = nullptr;     // shown temperatures, graph 0 of RT_plot
    frame::Series *rt_humi = nullptr;
    frame::Series *save_temp = nullptr;   // shown temperatures, graph 0 of read_plot
    frame::Series *save_humi = nullptr;
    QSharedPointer<QCPGraphDataContainer> rt_temp_c;     // the same points in ℃
    QSharedPointer<QCPGraphDataContainer> save_temp_c;
    // The statistics record the labels show (0 real time, 3 stored; -1 none
    // since clearing), and the dial's reading in ℃: both follow a unit change.
    int labels_record = -1;
    double dial_celsius = 0.0;
    bool dial_set = false;
};

#endif
