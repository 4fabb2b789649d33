#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "common/app_env.h"
#include "common/screen_fit.h"
#include "common/settings_step.h"
#include "KQ174_interface/kq174_interface.h"
#include "KQ186_interface/kq186_interface.h"
#include "KQ240_interface/kq240_interface.h"
#include "KQ257_interface/kq257_interface.h"
#include "KQ263_interface/kq263_interface.h"
#include "KQ278_interface/kq278_interface.h"
#include "KQ285_interface/kq285_interface.h"
#include "KQ291_interface/kq291_interface.h"
#include "file_oprate/file_oprate.h"
#include "frame/quiet_updates.h"
#include "help/help.h"
#include "setting/setting.h"
#include "update_check/update_check.h"
#include "usart_interface/usart_interface.h"
#include "usb_help/usb_helper.h"

#include <QApplication>
#include <QDebug>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>

namespace {

const double k_version = 1.22;

// Creates a model window without parent, hands it the path and shows it.
template <class Window>
Window *open_model_window(const QString &path, void (Window::*before)(QString) = nullptr,
                          const QString &name = QString())
{
    auto *window = new Window(nullptr);
    if (before)
        (window->*before)(name);
    window->set_device_path(path);
    screen_fit::show_within_screen(window);
    return window;
}

}

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent), ui(new Ui::MainWindow)
{
    ui->setupUi(this);
    base_init();
    create_links();
}

MainWindow::~MainWindow()
{
    delete ui;
    delete kq240;
    delete kq257;
    delete kq263;
    delete kq278;
    delete kq285;
    delete kq291;
    delete kq186;
    delete kq174;
    delete recognition;
    delete serial_link;
    delete link_dialog;
    delete update_check;
    // Pending writes of the language button reach the file.
    delete settings;
}

void MainWindow::base_init()
{
    parameter_update();

    QFile css(QStringLiteral(":/res/qss/Button.css"));
    if (css.open(QIODevice::ReadOnly)) {
        qDebug() << "open success";
        const QByteArray bytes = css.readAll();
        const int nul = bytes.indexOf('\0');
        qApp->setStyleSheet(QString::fromUtf8(nul < 0 ? bytes : bytes.left(nul)));
        css.close();
    } else {
        qDebug() << "Open failed";
    }

    status_bar_init();
    status_reflash();
    ui->help_Button->hide();

    // Asks the update server at once; an accepted offer closes every window.
    update_check = new UPDATE_CHECK(nullptr);
    connect(update_check, &UPDATE_CHECK::close_main_windows, this, &MainWindow::close_app_slot);
}

void MainWindow::create_links()
{
    serial_link = new usart_interface();
    recognition = new USB_AUTO_RECOGNITION();
    // A report still queued when ui_init has already run (from the link
    // dialog) is dropped: once the thread is gone nothing is recognised.
    connect(recognition, &USB_AUTO_RECOGNITION::recognition_HID, this,
            [this](QString production_name, QString path) {
                if (recognition)
                    ui_init(production_name, path);
            });
    recognition->start(QThread::InheritPriority);
    link_dialog = new Setting(nullptr);
    connect(link_dialog, qOverload<QString, QString>(&Setting::usart_connect), this, &MainWindow::ui_init);
}

void MainWindow::parameter_update()
{
    settings = settings_step::open_settings();
    const settings_step::Language language = settings_step::run(*settings);
    setWindowIcon(QIcon(QStringLiteral(":/Sensavo.ico")));
    ui->XOVA_ICON->setStyleSheet(QStringLiteral("image: url(:/ICON/trademark.png);"));
    if (settings_step::load_translation(translator, language)) {
        english_loaded = language == settings_step::Language::English;
        retranslate();
    }
}

void MainWindow::retranslate()
{
    ui->retranslateUi(this);
}

void MainWindow::status_bar_init()
{
    status_timer = new QTimer(this);
    connect(status_timer, &QTimer::timeout, this, &MainWindow::status_reflash);
    clock_label = new QLabel;
    QFont font;
    font.setPointSize(10);
    clock_label->setFont(font);
    icon_label = new QLabel;
    link_label = new QLabel;
    version_label = new QLabel;

    ui->statusbar->addWidget(clock_label);
    icon_label->setMinimumWidth(22);
    ui->statusbar->addWidget(icon_label);
    link_label->setText(QStringLiteral("not connected"));
    ui->statusbar->addWidget(link_label);
    version_label->setText(QStringLiteral("VER:%1").arg(k_version, 0, 'f', 2));
    ui->statusbar->addPermanentWidget(version_label);
}

void MainWindow::status_reflash()
{
    frame::set_steady_text(clock_label, app_env::now().toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")));
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    status_reflash();
    status_timer->start(1000);
}

void MainWindow::hideEvent(QHideEvent *event)
{
    QMainWindow::hideEvent(event);
    status_timer->stop();
}

void MainWindow::ui_init(QString production_name, QString path)
{
    // No recognition from here on, whatever follows.
    delete recognition;
    recognition = nullptr;
    QCoreApplication::removeTranslator(&translator);

    static const QStringList model_names = {
        QStringLiteral("KQ240"), QStringLiteral("KQ2401"), QStringLiteral("KQ2402"),
        QStringLiteral("KQ257 温湿度计"), QStringLiteral("KQ263 照度计"),
        QStringLiteral("KQ278 风速计"), QStringLiteral("KQ285 噪音计"),
        QStringLiteral("KQ291 噪音计"), QStringLiteral("KQ186 压差计"),
        QStringLiteral("KQ174 转速计"),
    };
    const int row = model_names.indexOf(production_name);
    if (row < 0) {
        QMessageBox::about(this, tr("sorry"), tr("cannot connect"));
        return;
    }

    if (settings)
        settings_step::save(*settings);   // its writes reach config.ini before the model window reads it
    delete settings;
    settings = nullptr;

    // Closing the start window leaves no window visible for a moment; that
    // must not end the application.
    const bool quit_on_close = QApplication::quitOnLastWindowClosed();
    QApplication::setQuitOnLastWindowClosed(false);
    close();
    switch (row) {
    case 0: case 1: case 2:
        kq240 = open_model_window<KQ240_INTERFACE>(path, &KQ240_INTERFACE::get_KQ240x, production_name);
        break;
    case 3: kq257 = open_model_window<KQ257_INTERFACE>(path); break;
    case 4: kq263 = open_model_window<KQ263_INTERFACE>(path); break;
    case 5: kq278 = open_model_window<KQ278_INTERFACE>(path); break;
    case 6: kq285 = open_model_window<KQ285_INTERFACE>(path); break;
    case 7: kq291 = open_model_window<KQ291_INTERFACE>(path); break;
    case 8: kq186 = open_model_window<KQ186_INTERFACE>(path); break;
    case 9: kq174 = open_model_window<KQ174_INTERFACE>(path); break;
    }
    QApplication::setQuitOnLastWindowClosed(quit_on_close);
}

void MainWindow::load_language(bool english)
{
    if (settings_step::load_translation(translator, english ? settings_step::Language::English
                                                            : settings_step::Language::Chinese))
        retranslate();
}

void MainWindow::on_language_Button_clicked()
{
    if (!settings)
        settings = settings_step::open_settings();
    settings_step::toggle_language(*settings);
    english_loaded = !english_loaded;
    load_language(english_loaded);
    QMessageBox::information(nullptr, tr("Note"),
                             tr("Need to restart the software after changing the language!"),
                             QMessageBox::Ok);
}

void MainWindow::on_setting_Button_clicked()
{
    link_dialog->exec();
}

// None of the dialog's save signals is connected here: only its import
// choice does something from the start window.
void MainWindow::on_File_Button_clicked()
{
    file_dialog = new File_oprate(this);
    file_dialog->exec();
}

// The help dialog; help_Button is hidden, so nothing leads here in use.
void MainWindow::on_help_Button_clicked()
{
    help_dialog = new help(this);
    help_dialog->exec();
}

void MainWindow::close_app_slot()
{
    QApplication::closeAllWindows();
}
