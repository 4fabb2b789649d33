#include "log_handler.h"

#include "common/app_env.h"

#include <QDir>
#include <QFile>
#include <QTime>

#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

// Keeps lines from different threads whole.
std::mutex g_log_mutex;

// Set while this thread is inside the handler: a message the toolkit issues
// from inside (a file or directory warning, say) is dropped instead of
// re-entering and locking the mutex twice.
thread_local bool t_in_handler = false;

// Set while lines cannot reach the file (under the mutex).
bool g_log_lost = false;

void append_line(const QString &line, const QDate &date)
{
    const QString dir = app_env::program_dir() + QStringLiteral("/log");
    if (!QDir(dir).exists())
        QDir().mkpath(dir);
    QFile file(dir + QStringLiteral("/log_") + date.toString(QStringLiteral("yyyy-MM-dd"))
               + QStringLiteral(".txt"));
    QString reason;
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
    if (written) {
        const qint64 before = file.size();
        QByteArray bytes = line.toLocal8Bit() + '\n';
        // After a loss, a piece that could not be taken back ends first.
        if (g_log_lost && before > 0) {
            QFile end(file.fileName());
            if (end.open(QIODevice::ReadOnly) && end.seek(before - 1) && end.read(1) != "\n")
                bytes.prepend('\n');
        }
        // A short write is followed by another, whose failure gives the reason.
        for (qint64 done = 0, n = 0; written && done < bytes.size(); done += n) {
            n = file.write(bytes.constData() + done, bytes.size() - done);
            written = n > 0;
        }
        if (!written) {
            reason = file.errorString();
            file.resize(before);   // a line the disk took only part of is taken back whole
        }
        file.close();
    } else {
        reason = file.errorString();
    }
    // A lost line is told once on standard error (not through the handler,
    // which would only lose it again); the next message tries the file again.
    if (!written && !g_log_lost) {
        std::fprintf(stderr, "Sensavo: the log cannot be written (%s): %s\n",
                     QFile::encodeName(file.fileName()).constData(), reason.toLocal8Bit().constData());
        std::fflush(stderr);
    }
    g_log_lost = !written;
}

// The line for one message (empty for info and unknown types).
QString log_line(QtMsgType type, const QMessageLogContext &context, const QString &msg,
                 const QTime &time)
{
    QString format;
    switch (type) {
    case QtDebugMsg:    format = QStringLiteral("Debug: %1: %2: %3: %4"); break;
    case QtWarningMsg:  format = QStringLiteral("Warning: %1: %2: %3: %4"); break;
    case QtCriticalMsg: format = QStringLiteral("Critical: %1: %2: %3: %4"); break;
    case QtFatalMsg:    format = QStringLiteral("Fatal: %1: %2: %3: %4"); break;
    default:            return QString();
    }
    // One pass, so a '%' in a file name or message is never taken as a place holder.
    return format.arg(time.toString(QStringLiteral("hh:mm:ss:zzz")),
                      QString::fromUtf8(context.file ? context.file : ""),
                      QString::number(context.line), msg);
}

}

void log_message_handler(QtMsgType type, const QMessageLogContext &context, const QString &msg)
{
    if (t_in_handler) {
        if (type == QtFatalMsg)
            std::abort();
        return;
    }
    t_in_handler = true;
    {
        const QDateTime now = app_env::now();
        const QString line = log_line(type, context, msg, now.time());
        std::lock_guard<std::mutex> lock(g_log_mutex);
        append_line(line, now.date());
    }
    t_in_handler = false;
    // The line that explains a fatal error is on disk before the process ends.
    if (type == QtFatalMsg)
        std::abort();
}
