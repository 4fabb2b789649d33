#ifndef KQ278_INTERFACE_H
#define KQ278_INTERFACE_H

#include <QMainWindow>

// Stand-in for the KQ278 window: what the start window needs of it.
class KQ278_INTERFACE : public QMainWindow
{
    Q_OBJECT
public:
    explicit KQ278_INTERFACE(QWidget *parent = nullptr);
    ~KQ278_INTERFACE() override;
    void set_device_path(QString path);
};

#endif
