#include "mainwindow.h"
#include "common/log_handler.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);
    QApplication a(argc, argv);
    qInstallMessageHandler(log_message_handler);
    MainWindow w;
    w.show();
    return a.exec();
}
