#ifndef KQ263_INTERFACE_H
#define KQ263_INTERFACE_H

#include <QMainWindow>

// Stand-in for the KQ263 window: what the start window needs of it.
class KQ263_INTERFACE : public QMainWindow
{
    Q_OBJECT
public:
    explicit KQ263_INTERFACE(QWidget *parent = nullptr);
    ~KQ263_INTERFACE() override;
    void set_device_path(QString path);
};

#endif
