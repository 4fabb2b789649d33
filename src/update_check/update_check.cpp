#include "update_check.h"
#include "ui_update_check.h"

#include "common/version.h"
#include "updater.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QSslError>
#include <QSslSocket>

#include <cmath>
#include <limits>

namespace {

// The "version" value as a float: a number, or a string's numeric reading;
// anything else (missing, not numeric, beyond a float) reads 0.
float version_value(const QJsonValue &value)
{
    double v = 0;
    if (value.isDouble()) {
        v = value.toDouble();
    } else if (value.isString()) {
        bool ok = false;
        v = value.toString().toDouble(&ok);
        if (!ok)
            v = 0;
    }
    if (!std::isfinite(v) || std::fabs(v) > std::numeric_limits<float>::max())
        return 0;
    return static_cast<float>(v);
}

}

UPDATE_CHECK::UPDATE_CHECK(QWidget *parent)
    : QDialog(parent), ui(new Ui::UPDATE_CHECK)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    hide();
    qDebug() << QSslSocket::supportsSsl() << QSslSocket::sslLibraryBuildVersionString()
             << QSslSocket::sslLibraryVersionString();

    manager = new QNetworkAccessManager();
    connect(manager, &QNetworkAccessManager::finished, this, &UPDATE_CHECK::replyFinished);

    // The answer can lead to starting the updater, so only a server whose
    // certificate checks out is heard; any other ends as a failed connection.
    connect(manager, &QNetworkAccessManager::sslErrors, this, [](QNetworkReply *, const QList<QSslError> &errors) {
        for (const QSslError &e : errors)
            qDebug() << "update server certificate refused:" << e.errorString();
    });

    QNetworkRequest request;
    QSslConfiguration config = request.sslConfiguration();
    config.setPeerVerifyMode(QSslSocket::VerifyPeer);
    config.setCaCertificates(updater::trusted_authorities());
    config.setProtocol(QSsl::AnyProtocol);
    request.setSslConfiguration(config);
    request.setUrl(updater::info_address());
    manager->get(request);
}

UPDATE_CHECK::~UPDATE_CHECK()
{
    delete ui;
    // A request still under way ends here without reaching replyFinished.
    disconnect(manager, nullptr, this, nullptr);
    delete manager;
}

void UPDATE_CHECK::replyFinished(QNetworkReply *reply)
{
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 200) {
        const QByteArray body = reply->readAll();
        const int nul = body.indexOf('\0');
        const QString text = QString::fromUtf8(nul < 0 ? body : body.left(nul));
        get_info_content(text);
        qDebug() << "QNetworkReply:" << text;
    } else {
        qDebug() << "update check error code = " << status;
    }
    reply->deleteLater();
}

int UPDATE_CHECK::hundredths(float version)
{
    const float n = version * 100.0f;
    if (!std::isfinite(n))
        return 0;
    if (n >= 2147483647.0f)
        return std::numeric_limits<int>::max();
    if (n <= -2147483648.0f)
        return std::numeric_limits<int>::min();
    return static_cast<int>(n);
}

void UPDATE_CHECK::get_info_content(QString text)
{
    const QJsonObject info = QJsonDocument::fromJson(text.toLatin1()).object();
    const float v = version_value(info.value(QStringLiteral("version")));
    qDebug() << "version" << v;
    const int n = hundredths(v);
    if (n <= program_version::k_hundredths) {
        qDebug() << "version" << v << "<=" << program_version::k_version;
        return;
    }
    qDebug() << "version new: " << n << "> now :" << program_version::k_hundredths;
    exec();
}

void UPDATE_CHECK::on_buttonBox_accepted()
{
    const QStringList arguments{updater::package_address().toString(), updater::executable_name()};
    qDebug() << arguments;
    // Closing every window is only worth it when the updater takes over: a
    // failed start would lose an unsaved table for nothing.
    if (!updater::start_detached(arguments)) {
        qWarning() << "the updater could not be started:" << updater::updater_command() << arguments;
        return;
    }
    emit close_main_windows();
}
