#ifndef KQ174_INTERFACE_H
#define KQ174_INTERFACE_H

#include "KQ174_interface/kq174_words.h"
#include "data_process/data_statistics.h"

#include <QList>
#include <QMainWindow>
#include <QQueue>
#include <QString>
#include <QVector>

namespace Ui {
class KQ174_INTERFACE;
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
class QRadioButton;

// Window of the KQ174 tachometer: five measuring modes, each with its own
// alarm limits checked here (the statistics keep their wide limits), stored
// records with their own modes, clock synchronisation and clearing of the
// instrument's memory.
class KQ174_INTERFACE : public QMainWindow
{
    Q_OBJECT
public:
    explicit KQ174_INTERFACE(QWidget *parent = nullptr);
    ~KQ174_INTERFACE() override;

    void set_device_path(QString path);

    // The unit text new real-time rows get.
    QString unit_shown() const { return display_unit_str; }

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

    void set_stamp_slot(int time_stamp);
    void threshold_reset();
    void set_limit_slot(QVector<double> limit_data_input);
    void hide_widget();
    void receive_data_over();

    void SAVE_BMP_Slot();
    void SAVE_table_Slot();
    void Printf_BMP_Slot();
    void Printf_table_Slot();
    void KQ174_preview_BMP(QPrinter *printer);
    void KQ174_preview_table(QPrinter *printer);

private:
    void clear_all_data();
    void choose_mode(int mode);
    void set_mode(int mode);
    void refresh_save_table();
    void mode_alarm(float value, quint8 mode);
    void enable_mode_choice(bool on);
    void fit_speed_gauge();
    QRadioButton *mode_radio(int mode) const;
    void KQ174_plot_widget_init(QCustomPlot *plot, int, QString name, QString);
    void KQ174_set_rt_data_plot(uint32_t time, double value);
    void KQ174_set_save_data_plot(uint32_t time, double value);
    void add_rt_table_row(quint32 time, double value);
    void add_read_table_row(quint32 time, double value, QString unit);

    Ui::KQ174_INTERFACE *ui;
    HID_INTERDACE *link = nullptr;
    frame::ModelFrame *frame = nullptr;
    frame::Series *rt_data = nullptr;
    frame::Series *save_data = nullptr;
    DATA_STATISTICS statistics;
    QString display_unit_str = QStringLiteral("m/s");
    Menu_dialog *menu_dialog = nullptr;
    QList<KQ174_SAVE_ITEM> save_list;
    // Records of save_list already in the stored views: a mode change
    // must not append them a second time.
    int save_shown = 0;
    QVector<double> mode_limits;
    qint64 high_alarm_count = 0;
    qint64 low_alarm_count = 0;
    CLEAN_DATA *clean_dialog = nullptr;
};

#endif
