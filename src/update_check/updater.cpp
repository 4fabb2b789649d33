#include "updater.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QProcess>
#include <QSslConfiguration>

namespace {
const QUrl k_real_server(QStringLiteral("https://download.sensavo.example"));
QMutex g_mutex;
QUrl g_server;
QList<QSslCertificate> g_extra_authorities;
std::function<void(const QString &, const QStringList &)> g_start_hook;

QUrl with_path(const QString &path)
{
    QUrl url = updater::server();
    url.setPath(path);
    return url;
}
}

namespace updater {

QUrl server()
{
    QMutexLocker lock(&g_mutex);
    return g_server.isEmpty() ? k_real_server : g_server;
}

void set_server(const QUrl &base)
{
    QMutexLocker lock(&g_mutex);
    g_server = base;
}

QList<QSslCertificate> trusted_authorities()
{
    QMutexLocker lock(&g_mutex);
    return QSslConfiguration::systemCaCertificates() + g_extra_authorities;
}

void set_extra_authorities(const QList<QSslCertificate> &authorities)
{
    QMutexLocker lock(&g_mutex);
    g_extra_authorities = authorities;
}

QUrl info_address()
{
    return with_path(QStringLiteral("/download/Sensavo/info.json"));
}

QUrl package_address()
{
    return with_path(QStringLiteral("/download/Sensavo/MinGW-64.zip"));
}

QString updater_name()
{
#ifdef Q_OS_WIN
    return QStringLiteral("upgrade.exe");
#else
    return QStringLiteral("upgrade");
#endif
}

QString executable_name()
{
#ifdef Q_OS_WIN
    return QStringLiteral("Sensavo.exe");
#else
    return QStringLiteral("Sensavo");
#endif
}

QString updater_command()
{
#ifdef Q_OS_WIN
    return updater_name();
#else
    // A bare name is looked up only on the search path here; the working
    // directory comes first, as it does on Windows.
    const QFileInfo local(QDir::current(), updater_name());
    if (local.isFile() && local.isExecutable())
        return QStringLiteral("./") + updater_name();
    return updater_name();
#endif
}

bool start_detached(const QStringList &arguments)
{
    std::function<void(const QString &, const QStringList &)> hook;
    {
        QMutexLocker lock(&g_mutex);
        hook = g_start_hook;
    }
    if (hook) {
        hook(updater_name(), arguments);
        return true;
    }
    return QProcess::startDetached(updater_command(), arguments);
}

void set_start_hook(std::function<void(const QString &, const QStringList &)> hook)
{
    QMutexLocker lock(&g_mutex);
    g_start_hook = std::move(hook);
}

}
