#include "app_env.h"

#include <QAudioDeviceInfo>
#include <QAudioOutput>
#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QMutex>
#include <QThread>
#include <QtEndian>

#include <memory>

namespace {
QMutex g_mutex;
QString g_program_dir;
QDateTime g_fixed_now;
std::function<void(const QString &)> g_sound_hook;

// One player a sound file, made on its first alarm and used for every
// later one: repeated alarms add nothing. It plays the file's samples
// itself rather than through QSound/QSoundEffect, whose shared sample cache
// runs a loading thread that the application's end can wait for forever.
class Player
{
public:
    explicit Player(const QString &resource)
    {
        QFile file(resource);
        if (!file.open(QIODevice::ReadOnly) || !parse(file.readAll()))
            return;
        const QAudioDeviceInfo device = QAudioDeviceInfo::defaultOutputDevice();
        if (device.isNull() || !device.isFormatSupported(m_format))
            return;   // nowhere to play: the alarm stays silent
        m_output.reset(new QAudioOutput(device, m_format));
        m_buffer.setData(m_samples);
        m_buffer.open(QIODevice::ReadOnly);
    }
    // From the start again, whether or not it was still playing.
    void play()
    {
        if (!m_output)
            return;
        m_output->stop();
        m_buffer.seek(0);
        m_output->start(&m_buffer);
    }

private:
    // A RIFF WAVE file of PCM samples: its format and its data chunk.
    bool parse(const QByteArray &wav)
    {
        if (wav.size() < 12 || !wav.startsWith("RIFF") || wav.mid(8, 4) != "WAVE")
            return false;
        bool have_format = false;
        for (int at = 12; at + 8 <= wav.size();) {
            const QByteArray id = wav.mid(at, 4);
            const quint32 size = qFromLittleEndian<quint32>(wav.constData() + at + 4);
            const int body = at + 8;
            if (size > quint32(wav.size() - body))
                return false;
            if (id == "fmt " && size >= 16) {
                const char *f = wav.constData() + body;
                if (qFromLittleEndian<quint16>(f) != 1)
                    return false;   // not plain PCM
                m_format.setCodec(QStringLiteral("audio/pcm"));
                m_format.setChannelCount(qFromLittleEndian<quint16>(f + 2));
                m_format.setSampleRate(int(qFromLittleEndian<quint32>(f + 4)));
                const int bits = qFromLittleEndian<quint16>(f + 14);
                m_format.setSampleSize(bits);
                m_format.setSampleType(bits == 8 ? QAudioFormat::UnSignedInt : QAudioFormat::SignedInt);
                m_format.setByteOrder(QAudioFormat::LittleEndian);
                have_format = true;
            } else if (id == "data" && have_format) {
                m_samples = wav.mid(body, int(size));
                return m_format.isValid();
            }
            at = body + int(size) + int(size & 1);
        }
        return false;
    }

    QAudioFormat m_format;
    QByteArray m_samples;
    QBuffer m_buffer;
    std::unique_ptr<QAudioOutput> m_output;
};

// The players, main thread only; they go with the application's post
// routines, while it still runs, and none is made after.
QHash<QString, Player *> *g_players = nullptr;
bool g_players_gone = false;

void release_players()
{
    if (g_players)
        qDeleteAll(*g_players);
    delete g_players;
    g_players = nullptr;
    g_players_gone = true;
}

void play_file(const QString &resource)
{
    if (g_players_gone || !QCoreApplication::instance())
        return;
    if (!g_players) {
        g_players = new QHash<QString, Player *>;
        qAddPostRoutine(release_players);
    }
    Player *&player = (*g_players)[resource];
    if (!player)
        player = new Player(resource);
    player->play();
}
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
    if (hook) {
        hook(resource);
        return;
    }
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return;
    if (QThread::currentThread() == app->thread())
        play_file(resource);
    else
        QMetaObject::invokeMethod(app, [resource] { play_file(resource); }, Qt::QueuedConnection);
}

void set_sound_hook(std::function<void(const QString &)> hook)
{
    QMutexLocker lock(&g_mutex);
    g_sound_hook = std::move(hook);
}

}
