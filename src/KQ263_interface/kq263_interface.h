#ifndef KQ263_INTERFACE_H
#define KQ263_INTERFACE_H

#include "data_process/data_statistics.h"

#include <QMainWindow>
#include <QQueue>
#include <QString>

namespace Ui {
class KQ263_INTERFACE;
}
namespace frame {
class ModelFrame;
class Series;
}
class HID_INTERDACE;
class Menu_dialog;
class QCustomPlot;
class QPrinter;
class USART_DEBUG;

// Window of the KQ263 light meter: illuminance in lux or fc, one gauge whose
// scale follows the reading, and a serial debug window that passes every
// reading on to a serial port. Real time only: no upload, clock or clearing
// of the instrument.
class KQ263_INTERFACE : public QMainWindow
{
    Q_OBJECT
public:
    explicit KQ263_INTERFACE(QWidget *parent = nullptr);
    ~KQ263_INTERFACE() override;

    void set_device_path(QString path);
    USART_DEBUG *debug_window() const { return usart_window; }

signals:
    void HID_write_cmd(int cmd);
    void HID_write_cmd(int cmd, int data, int data2);
    void usart_close();
    void is_checked();
    void USART_RX(int data);

public slots:
    void status_reflash();
    void device_status_update(int status);
    void get_rt_data_cmd_slot();
    void get_rt_data(QQueue<quint16> queue);
    void get_save_data(QQueue<quint16> queue);

    void on_start_button_clicked(bool checked);
    void on_start_button_clicked();
    void on_Pause_Button_clicked();
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
    void Show_USART_Windows();

    void set_stamp_slot(int time_stamp);
    void threshold_reset();
    void set_limit_slot(float first_data, float second_data);

    void SAVE_BMP_Slot();
    void SAVE_table_Slot();
    void Printf_BMP_Slot();
    void Printf_table_Slot();
    void KQ263_preview_BMP(QPrinter *printer);
    void KQ263_preview_table(QPrinter *printer);

private:
    void clear_all_data();
    void set_unit(int unit);
    void add_rt_table_row(const QString &text);
    void KQ263_plot_widget_init(QCustomPlot *plot, QString name);
    void KQ263_set_rt_data_plot(double value);

    Ui::KQ263_INTERFACE *ui;
    USART_DEBUG *usart_window = nullptr;
    HID_INTERDACE *link = nullptr;
    frame::ModelFrame *frame = nullptr;
    frame::Series *rt_data = nullptr;
    frame::Series *save_data = nullptr;
    DATA_STATISTICS statistics;
    Menu_dialog *menu_dialog = nullptr;
    QString unit_text = QStringLiteral("lux");   // "lux" or "fc", set by the unit radios
    quint8 light_unit = 0;                       // 0 lux, 1 fc: the gauge's scale table
    quint32 now_key = 0;                         // PC time of the reading being added
};

#endif
