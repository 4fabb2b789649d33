#ifndef PRINT_SET_H
#define PRINT_SET_H

#include <QDialog>

namespace Ui {
class print_set;
}

// Print button dialog: tells the window what to print; prints nothing.
class print_set : public QDialog
{
    Q_OBJECT

public:
    explicit print_set(QWidget *parent = nullptr);
    ~print_set() override;

signals:
    void print_table();
    void print_BMP();

public slots:
    void on_buttonBox_accepted();

private:
    Ui::print_set *ui;
};

#endif
