#ifndef KQ186_INTERFACE_H
#define KQ186_INTERFACE_H

#include <QMainWindow>

// Stand-in for the KQ186 window: what the start window needs of it.
class KQ186_INTERFACE : public QMainWindow
{
    Q_OBJECT
public:
    explicit KQ186_INTERFACE(QWidget *parent = nullptr);
    ~KQ186_INTERFACE() override;
    void set_device_path(QString path);
};

#endif
