#ifndef KQ174_INTERFACE_H
#define KQ174_INTERFACE_H

#include <QMainWindow>

// Stand-in for the KQ174 window: what the start window needs of it.
class KQ174_INTERFACE : public QMainWindow
{
    Q_OBJECT
public:
    explicit KQ174_INTERFACE(QWidget *parent = nullptr);
    ~KQ174_INTERFACE() override;
    void set_device_path(QString path);
};

#endif
