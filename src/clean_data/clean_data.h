#ifndef CLEAN_DATA_H
#define CLEAN_DATA_H

#include <QDialog>

namespace Ui {
class CLEAN_DATA;
}

// Confirms clearing the window's data; the tick also clears the
// instrument's memory. One per window, reused, so the tick is remembered.
class CLEAN_DATA : public QDialog
{
    Q_OBJECT

public:
    explicit CLEAN_DATA(QWidget *parent = nullptr);
    ~CLEAN_DATA() override;

signals:
    void clean_data_source(int cmd);   // 1: instrument too, 0: window only

public slots:
    void on_buttonBox_accepted();

private:
    Ui::CLEAN_DATA *ui;
};

#endif
