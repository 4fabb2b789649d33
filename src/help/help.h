#ifndef HELP_H
#define HELP_H

#include <QDialog>
#include <QModelIndex>

class QSettings;
class QStandardItemModel;
namespace Ui { class help; }

// Help browser over the html pages of "./help" (or "./NEUTRAL_help" when
// XOVA_softwave is false), relative to the working directory, and the
// about page. A new one is built on every press of a window's help button.
class help : public QDialog
{
    Q_OBJECT
public:
    explicit help(QWidget *parent = nullptr);
    ~help() override;

    void setmodel();
    void show_about();

public slots:
    void on_index_tree_clicked(QModelIndex index);

private:
    Ui::help *ui = nullptr;
    QStandardItemModel *model = nullptr;
    QSettings *settings = nullptr;
};

#endif
