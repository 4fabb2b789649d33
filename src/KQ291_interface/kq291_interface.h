#ifndef KQ291_INTERFACE_H
#define KQ291_INTERFACE_H

#include <QMainWindow>

// Stand-in for the KQ291 window: what the start window needs of it.
class KQ291_INTERFACE : public QMainWindow
{
    Q_OBJECT
public:
    explicit KQ291_INTERFACE(QWidget *parent = nullptr);
    ~KQ291_INTERFACE() override;
    void set_device_path(QString path);
};

#endif
