#ifndef FILE_OPRATE_H
#define FILE_OPRATE_H

#include <QDialog>
#include <QPointer>
#include <QString>

namespace Ui {
class File_oprate;
}
class import_data;

// File button dialog: tells the window which saves were ticked, and
// opens a chosen workbook in a new import viewer itself.
class File_oprate : public QDialog
{
    Q_OBJECT

public:
    explicit File_oprate(QWidget *parent = nullptr);
    ~File_oprate() override;

signals:
    void save_bmp();
    void save_table();
    void import_table(QString filename);   // declared for callers; not emitted

public slots:
    void on_buttonBox_accepted();

private:
    void open_import_viewer();

    Ui::File_oprate *ui;
    QPointer<import_data> import_window;   // the viewer opened last, not owned
};

#endif
