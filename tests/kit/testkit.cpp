#include "testkit.h"

#include "common/app_env.h"
#include "KQ174_interface/kq174_interface.h"
#include "KQ186_interface/kq186_interface.h"
#include "KQ240_interface/kq240_interface.h"
#include "KQ257_interface/kq257_interface.h"
#include "KQ263_interface/kq263_interface.h"
#include "KQ278_interface/kq278_interface.h"
#include "KQ285_interface/kq285_interface.h"
#include "KQ291_interface/kq291_interface.h"
#include "update_check/updater.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMutex>
#include <QPointer>
#include <QSettings>
#include <QThread>

#include <arpa/inet.h>
#include <cmath>
#include <cstdio>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

// A local port that takes connections and never answers: the update check
// of every start window waits there quietly instead of reaching the real
// server, and logs nothing while a test runs.
int quiet_port()
{
    static const int port = [] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&addr), len) != 0 || ::listen(fd, 128) != 0
            || ::getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len) != 0)
            qFatal("no quiet port for the update check");
        return int(ntohs(addr.sin_port));   // the socket stays open until the process ends
    }();
    return port;
}

}

namespace testkit {

ProgramDir::ProgramDir()
    : m_old_cwd(QDir::currentPath())
{
    app_env::set_program_dir(m_dir.path());
    QDir::setCurrent(m_dir.path());
    updater::set_server(QUrl(QStringLiteral("https://127.0.0.1:%1").arg(quiet_port())));
}

ProgramDir::~ProgramDir()
{
    QDir::setCurrent(m_old_cwd);
    app_env::set_program_dir(QString());
}

void ProgramDir::write_config(const QMap<QString, QString> &keys) const
{
    QSettings s(file("config.ini"), QSettings::IniFormat);
    for (auto it = keys.begin(); it != keys.end(); ++it)
        s.setValue(it.key(), it.value());
    s.sync();
}

FixedClock::FixedClock(const QDateTime &t) { app_env::set_fixed_now(t); }
FixedClock::~FixedClock() { app_env::set_fixed_now(QDateTime()); }
void FixedClock::set(const QDateTime &t) { app_env::set_fixed_now(t); }

struct SoundCounter::State
{
    mutable QMutex mutex;
    QStringList played;
};

SoundCounter::SoundCounter()
    : m_state(new State)
{
    State *st = m_state;
    app_env::set_sound_hook([st](const QString &r) {
        QMutexLocker lock(&st->mutex);
        st->played << r;
    });
}

SoundCounter::~SoundCounter()
{
    app_env::set_sound_hook(nullptr);
    delete m_state;
}

int SoundCounter::count(const QString &resource) const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->played.count(resource);
}

int SoundCounter::total() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->played.size();
}

QStringList SoundCounter::played() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->played;
}

void SoundCounter::clear()
{
    QMutexLocker lock(&m_state->mutex);
    m_state->played.clear();
}

BoxWatcher::BoxWatcher(bool auto_close, QObject *parent)
    : QObject(parent), m_auto_close(auto_close)
{
    connect(&m_timer, &QTimer::timeout, this, &BoxWatcher::poll);
    m_timer.start(20);
}

void BoxWatcher::poll()
{
    const auto tops = QApplication::topLevelWidgets();
    for (QWidget *w : tops) {
        auto *box = qobject_cast<QMessageBox *>(w);
        if (!box || !box->isVisible() || m_seen.contains(box))
            continue;
        m_seen << box;
        m_boxes.push_back({box->windowTitle(), box->text(), box->icon()});
        if (m_handler && m_handler(box))
            continue;
        if (!m_auto_close)
            continue;
        QPointer<QMessageBox> guard(box);
        const auto buttons = box->buttons();
        QAbstractButton *visible = nullptr;
        for (QAbstractButton *b : buttons)
            if (b->isVisible()) { visible = b; break; }
        if (visible)
            visible->click();
        if (guard && guard->isVisible())
            guard->done(0);
    }
    // A closed box may be reused later (the upload box is); forget hidden ones.
    for (int i = m_seen.size() - 1; i >= 0; --i) {
        bool alive = false;
        for (QWidget *w : tops)
            if (w == m_seen[i] && w->isVisible()) { alive = true; break; }
        if (!alive)
            m_seen.removeAt(i);
    }
}

bool BoxWatcher::wait_for(int n, int timeout_ms)
{
    return wait_until([&] { return m_boxes.size() >= n; }, timeout_ms);
}

double contrast_ratio(QRgb a, QRgb b)
{
    auto luminance = [](QRgb c) {
        auto channel = [](int v) {
            const double s = v / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
    };
    const double la = luminance(a), lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

std::unique_ptr<QWidget> make_model_window(const QString &model)
{
    if (model == QLatin1String("KQ174")) return std::make_unique<KQ174_INTERFACE>();
    if (model == QLatin1String("KQ186")) return std::make_unique<KQ186_INTERFACE>();
    if (model == QLatin1String("KQ240")) return std::make_unique<KQ240_INTERFACE>();
    if (model == QLatin1String("KQ257")) return std::make_unique<KQ257_INTERFACE>();
    if (model == QLatin1String("KQ263")) return std::make_unique<KQ263_INTERFACE>();
    if (model == QLatin1String("KQ278")) return std::make_unique<KQ278_INTERFACE>();
    if (model == QLatin1String("KQ285")) return std::make_unique<KQ285_INTERFACE>();
    if (model == QLatin1String("KQ291")) return std::make_unique<KQ291_INTERFACE>();
    return nullptr;
}

bool wait_until(const std::function<bool()> &pred, int timeout_ms)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > timeout_ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

struct LogLines::State
{
    QString file_part;
    QtMessageHandler previous = nullptr;
    mutable QMutex mutex;
    QStringList lines;
};

namespace {
QMutex log_lines_mutex;
LogLines::State *log_lines_state = nullptr;

void log_lines_handler(QtMsgType type, const QMessageLogContext &context, const QString &msg)
{
    QtMessageHandler previous = nullptr;
    {
        QMutexLocker lock(&log_lines_mutex);
        if (LogLines::State *s = log_lines_state) {
            previous = s->previous;
            const QString file = QString::fromUtf8(context.file ? context.file : "");
            if (s->file_part.isEmpty() || file.contains(s->file_part)) {
                QMutexLocker lines_lock(&s->mutex);
                s->lines << msg;
            }
        }
    }
    if (previous)
        previous(type, context, msg);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, msg)));
}
}

LogLines::LogLines(const QString &file_part) : m_state(new State)
{
    m_state->file_part = file_part;
    QMutexLocker lock(&log_lines_mutex);
    log_lines_state = m_state;
    m_state->previous = qInstallMessageHandler(log_lines_handler);
}

LogLines::~LogLines()
{
    {
        QMutexLocker lock(&log_lines_mutex);
        qInstallMessageHandler(m_state->previous);
        log_lines_state = nullptr;
    }
    delete m_state;
}

QStringList LogLines::lines() const
{
    QMutexLocker lock(&m_state->mutex);
    return m_state->lines;
}

void LogLines::clear()
{
    QMutexLocker lock(&m_state->mutex);
    m_state->lines.clear();
}

QString source_dir() { return qEnvironmentVariable("SENSAVO_SOURCE_DIR", QStringLiteral(".")); }
QString binary_dir() { return qEnvironmentVariable("SENSAVO_BINARY_DIR", QStringLiteral(".")); }

}
