#ifndef SAVE_DATA_INDEX_H
#define SAVE_DATA_INDEX_H

#include <QDialog>
#include <QString>
#include <QVector>

namespace Ui {
class SAVE_DATA_INDEX;
}
class QMessageBox;

// Lists the dates of the instrument's stored record sets (each once) and
// requests the records of the chosen date from the link. Owns the upload
// waiting box that its window runs while stored data are awaited.
class SAVE_DATA_INDEX : public QDialog
{
    Q_OBJECT

public:
    explicit SAVE_DATA_INDEX(QWidget *parent = nullptr);
    ~SAVE_DATA_INDEX() override;

signals:
    // (5, first, last): positions in the date index, counted from 1.
    void HID_write_cmd(int cmd, int data, int data1);

public slots:
    void get_save_data_index(QVector<QString> index_list);
    void close_receive_info(bool cmd);   // true closes the box, false runs it
    void hide_widget();
    void on_buttonBox_accepted();

private:
    Ui::SAVE_DATA_INDEX *ui;
    QVector<QString> date_index;
    QMessageBox *wait_box;
};

#endif
