#ifndef KQ257_INTERFACE_H
#define KQ257_INTERFACE_H

#include <QMainWindow>

// Stand-in for the KQ257 window: what the start window needs of it.
class KQ257_INTERFACE : public QMainWindow
{
    Q_OBJECT
public:
    explicit KQ257_INTERFACE(QWidget *parent = nullptr);
    ~KQ257_INTERFACE() override;
    void set_device_path(QString path);
};

#endif
