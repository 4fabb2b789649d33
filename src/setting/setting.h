#ifndef SETTING_H
#define SETTING_H

#include <QDialog>
#include <QString>

namespace Ui { class Setting; }
class usart_interface;

// Link dialog of the serial thermometer: the operator picks a port and links;
// after the success box the dialog asks for the device information. On OK it
// closes its port and, when the latest answer of this link named a
// thermometer, emits usart_connect(model name, port name), e.g. "KQ2401".
// usart_connect is overloaded: connect with qOverload<QString, QString>().
class Setting : public QDialog
{
    Q_OBJECT
public:
    explicit Setting(QWidget *parent = nullptr);
    ~Setting() override;

signals:
    void usart_connect(QString produt_name, QString portname);
    void usart_connect(QString portname, QString type, QString version);

public slots:
    void on_COMNum_highlighted(int index);
    void on_LinkButton_clicked();
    void on_buttonBox_accepted();
    void get_production_name();
    void reflash_combox();

private:
    QString production_name;
    Ui::Setting *ui;
    bool recognised = false;
    QString variant;
    usart_interface *link;
};

#endif
