#ifndef KQ285_INTERFACE_H
#define KQ285_INTERFACE_H

#include <QMainWindow>

// Stand-in for the KQ285 window: what the start window needs of it.
class KQ285_INTERFACE : public QMainWindow
{
    Q_OBJECT
public:
    explicit KQ285_INTERFACE(QWidget *parent = nullptr);
    ~KQ285_INTERFACE() override;
    void set_device_path(QString path);
};

#endif
