#include "app_env.h"

#include <QCoreApplication>
#include <QMutex>
#include <QSound>

namespace {
QMutex g_mutex;
QString g_program_dir;
QDateTime g_fixed_now;
std::function<void(const QString &)> g_sound_hook;
}

namespace app_env {

QString program_dir()
{
    QMutexLocker lock(&g_mutex);
    if (!g_program_dir.isEmpty())
        return g_program_dir;
    return QCoreApplication::applicationDirPath();
}

void set_program_dir(const QString &dir)
{
    QMutexLocker lock(&g_mutex);
    g_program_dir = dir;
}

QDateTime now()
{
    QMutexLocker lock(&g_mutex);
    if (g_fixed_now.isValid())
        return g_fixed_now;
    return QDateTime::currentDateTime();
}

void set_fixed_now(const QDateTime &t)
{
    QMutexLocker lock(&g_mutex);
    g_fixed_now = t;
}

void play_sound(const QString &resource)
{
    std::function<void(const QString &)> hook;
    {
        QMutexLocker lock(&g_mutex);
        hook = g_sound_hook;
    }
    if (hook)
        hook(resource);
    else
        QSound::play(resource);
}

void set_sound_hook(std::function<void(const QString &)> hook)
{
    QMutexLocker lock(&g_mutex);
    g_sound_hook = std::move(hook);
}

}
