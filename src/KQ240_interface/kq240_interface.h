#ifndef KQ240_INTERFACE_H
#define KQ240_INTERFACE_H

#include <QMainWindow>

// Stand-in for the KQ240 window: what the start window needs of it.
class KQ240_INTERFACE : public QMainWindow
{
    Q_OBJECT
public:
    explicit KQ240_INTERFACE(QWidget *parent = nullptr);
    ~KQ240_INTERFACE() override;
    void set_device_path(QString path);
public slots:
    void get_KQ240x(QString type);
};

#endif
