#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include <QMainWindow>
#include <QString>
#include <QTranslator>

class QLabel;
class QSettings;
class QTimer;
class File_oprate;
class Setting;
class UPDATE_CHECK;
class help;
class usart_interface;
class USB_AUTO_RECOGNITION;
class KQ240_INTERFACE;
class KQ257_INTERFACE;
class KQ263_INTERFACE;
class KQ278_INTERFACE;
class KQ285_INTERFACE;
class KQ291_INTERFACE;
class KQ186_INTERFACE;
class KQ174_INTERFACE;

namespace Ui { class MainWindow; }

// The start window: settings, language, style sheet and status bar; turns a
// recognised or linked instrument into its model window.
class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

signals:
    void KQ240_production_name(QString name);

public slots:
    void status_reflash();
    void ui_init(QString production_name, QString path);
    void close_app_slot();

private slots:
    void on_setting_Button_clicked();
    void on_File_Button_clicked();
    void on_help_Button_clicked();
    void on_language_Button_clicked();

protected:
    // The clock runs only while the window is on screen.
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void base_init();
    void parameter_update();
    void status_bar_init();
    void retranslate();
    void load_language(bool english);
    void create_links();

    Ui::MainWindow *ui = nullptr;
    QSettings *settings = nullptr;
    QTimer *status_timer = nullptr;
    QLabel *clock_label = nullptr;
    QLabel *icon_label = nullptr;
    QLabel *link_label = nullptr;
    QLabel *version_label = nullptr;
    QTranslator translator;
    usart_interface *serial_link = nullptr;
    USB_AUTO_RECOGNITION *recognition = nullptr;
    bool english_loaded = false;
    Setting *link_dialog = nullptr;
    File_oprate *file_dialog = nullptr;
    help *help_dialog = nullptr;
    UPDATE_CHECK *update_check = nullptr;
    KQ240_INTERFACE *kq240 = nullptr;
    KQ257_INTERFACE *kq257 = nullptr;
    KQ263_INTERFACE *kq263 = nullptr;
    KQ278_INTERFACE *kq278 = nullptr;
    KQ285_INTERFACE *kq285 = nullptr;
    KQ291_INTERFACE *kq291 = nullptr;
    KQ186_INTERFACE *kq186 = nullptr;
    KQ174_INTERFACE *kq174 = nullptr;
};

#endif
