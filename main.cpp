#include "mainwindow.h"
#include "common/log_handler.h"
#include "common/screen_fit.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication a(argc, argv);
    qInstallMessageHandler(log_message_handler);
    MainWindow w;
    screen_fit::show_within_screen(&w);
    return a.exec();
}
