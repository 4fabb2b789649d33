#ifndef KQ240_INTERFACE_H
#define KQ240_INTERFACE_H

#include "data_process/data_statistics.h"

#include <qcustomplot.h>

#include <QMainWindow>
#include <QString>
#include <QVector>

class Menu_dialog;
class QPrinter;
class QTableWidget;
class usart_interface;
namespace Ui { class KQ240_INTERFACE; }
namespace frame { class ModelFrame; class Series; }

// Window of the KQ240 thermometer family over the serial link: variants A,
// B and C with one, two or four channels, ℃/℉, limits per channel and the
// instrument's stored records, numbered from 1.
class KQ240_INTERFACE : public QMainWindow
{
    Q_OBJECT
public:
    explicit KQ240_INTERFACE(QWidget *parent = nullptr);
    ~KQ240_INTERFACE() override;

    void set_device_path(QString path);

    // A channel value that is not a number (NaN) is an absent or invalid reading.
    void add_rt_table_row(double s1, double s2, double s3, double s4);
    void add_read_table_row(double t1, double t2, double t3, double t4);
    void KQ240_plot_widget_init(QCustomPlot *plot, bool date_axis, const QString &y_label, const QString &unused);
    void KQ240_set_rt_data_plot(double s1, double s2, double s3, double s4);
    void KQ240_set_save_data_plot(double t1, double t2, double t3, double t4);
    void set_unit(int unit);
    static double celsius_to_unit(double value, int unit);
    int channel_count() const;

    frame::ModelFrame *frame_part() const { return m_frame; }
    usart_interface *link_part() const { return link; }
    Menu_dialog *menu_part() const { return menu_dialog; }
    DATA_STATISTICS statistics;
    QString unit_text = QStringLiteral("℃");
    quint8 unit_index = 0;
    QString variant;

signals:
    void HID_command(int cmd);

public slots:
    void get_KQ240x(QString type);
    void status_reflash();
    void device_status_update(int status);
    void on_language_Button_released();
    void on_language_Button_clicked();
    void on_start_button_clicked(bool checked);
    void on_start_button_clicked();
    void on_Pause_Button_clicked();
    void on_upload_Button_clicked(bool checked);
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

    void get_rt_data();
    void get_save_data();
    void set_limit_slot(QVector<double> limit_data);
    void on_radioButton_clicked();
    void on_radioButton_2_clicked();
    void mouse_move(QMouseEvent *event);

    void SAVE_table_Slot();
    void SAVE_table_Slot_WithIndex(int startIndex);
    void SAVE_BMP_Slot();
    void Printf_BMP_Slot();
    void Printf_table_Slot();
    void KQ240_preview_BMP(QPrinter *printer);
    void KQ240_preview_table(QPrinter *printer);

private:
    void set_up_plots();
    void write_start_index(int value);
    void show_channel_stats(int channel, int record);
    QString reading_text(double value) const;
    QTableWidgetItem *reading_item(double celsius, double shown) const;
    double rt_shown(double celsius) const;
    double stored_shown(double celsius) const;
    void convert_table(QTableWidget *table, double (KQ240_INTERFACE::*shown)(double) const);
    void fit_rt_values();
    void fit_save_values();
    void clear_model();

    Ui::KQ240_INTERFACE *ui;
    usart_interface *link = nullptr;
    frame::ModelFrame *m_frame = nullptr;
    Menu_dialog *menu_dialog = nullptr;
    frame::Series *rt_channel_data[4] = {};
    frame::Series *save_channel_data[4] = {};
    // The same points in ℃, so a unit change converts each reading once.
    QSharedPointer<QCPGraphDataContainer> rt_celsius[4];
    QSharedPointer<QCPGraphDataContainer> save_celsius[4];
    bool fields_stored = false;   // the statistics fields show the stored records
    QCPItemText *coord_text = nullptr;
    QCPItemTracer *tracer = nullptr;
    bool plots_ready = false;
};

#endif
