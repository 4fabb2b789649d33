#ifndef UPDATE_CHECK_H
#define UPDATE_CHECK_H

#include <QDialog>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;
namespace Ui { class UPDATE_CHECK; }

// Asks the update server once, when built, for the newest version. A newer
// one than ours is offered in this (otherwise hidden) dialog; OK starts the
// external updater and asks for every window to close.
class UPDATE_CHECK : public QDialog
{
    Q_OBJECT
public:
    explicit UPDATE_CHECK(QWidget *parent = nullptr);
    ~UPDATE_CHECK() override;

    void get_info_content(QString text);

    // The version in hundredths as the check compares it: v × 100 in single
    // precision, truncated; clamped to the int range, 0 when not finite.
    static int hundredths(float version);

signals:
    void close_main_windows();

public slots:
    void replyFinished(QNetworkReply *reply);
    void on_buttonBox_accepted();

private:
    Ui::UPDATE_CHECK *ui = nullptr;
    QNetworkAccessManager *manager = nullptr;
};

#endif
