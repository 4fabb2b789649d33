#include "safe_file.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>

#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace safe_file {

namespace {

bool fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

// Replaces to with from in one step, so there is no moment without a file.
bool rename_over(const QString &from, const QString &to)
{
#ifdef Q_OS_WIN
    return MoveFileExW(reinterpret_cast<const wchar_t *>(from.utf16()), reinterpret_cast<const wchar_t *>(to.utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
#else
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
}

// Writes all of data: a short write (the disk filled part way) is followed
// by another, whose failure carries the system's reason.
bool write_all(QFile &file, const char *data, qint64 size, QString *why)
{
    while (size > 0) {
        const qint64 n = file.write(data, size);
        if (n <= 0) {
            *why = file.errorString();
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// A new, empty file beside path that nobody else uses.
QString create_temp(const QString &path)
{
    for (int i = 0; i < 100; ++i) {
        const QString name = i == 0 ? path + QStringLiteral(".part")
                                    : QStringLiteral("%1.%2.part").arg(path).arg(i);
        QFile file(name);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return name;
        if (!file.exists())
            return QString();   // the folder takes no new file
    }
    return QString();
}

// The file path stands for: a symbolic link is followed, link to link, so
// the new content replaces the file it points to and the link stays, as
// editors do. A link to nowhere gives the file it names; a loop, nothing.
QString resolve_links(const QString &path)
{
    QString file = path;
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(file);
        if (!info.isSymLink())
            return file;
        file = info.symLinkTarget();
    }
    return QString();   // a loop of links
}

}

QString refusal(const QString &path)
{
    if (path.isEmpty())
        return QStringLiteral("no file name");
    const QFileInfo info(path);
    if (info.isDir())
        return QStringLiteral("%1 is a directory").arg(path);
    // The permission bits count as well: the administrator may write over
    // anything, but a file marked read-only is not replaced behind its back.
    const QFile::Permissions any_write = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    if (info.exists() && (!info.isWritable() || !(info.permissions() & any_write)))
        return QStringLiteral("%1 is read-only").arg(path);
    return QString();
}

bool replace(const QString &given, const Writer &write, QString *error)
{
    const QString path = resolve_links(given);
    if (path.isEmpty())
        return fail(error, QStringLiteral("%1: too many levels of symbolic links").arg(given));
    const QString refused = refusal(path);
    if (!refused.isEmpty())
        return fail(error, refused);
    const QString temp = create_temp(path);
    if (temp.isEmpty())
        return fail(error, QStringLiteral("cannot write %1").arg(path));
    QString why;
    if (!write(temp, &why)) {
        QFile::remove(temp);
        return fail(error, why.isEmpty() ? QStringLiteral("cannot write %1").arg(path) : why);
    }
    const QFileInfo target(path);
    if (target.exists())
        QFile::setPermissions(temp, target.permissions());
    if (!rename_over(temp, path)) {
        QFile::remove(temp);
        return fail(error, QStringLiteral("cannot write %1").arg(path));
    }
    return true;
}

bool replace(const QString &path, const QByteArray &bytes, QString *error)
{
    return replace(path, [&bytes](const QString &temp, QString *why) {
        QFile file(temp);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
            *why = file.errorString();
            return false;
        }
        if (!write_all(file, bytes.constData(), bytes.size(), why))
            return false;
        const bool ok = file.flush();
        file.close();
        if (!ok || file.error() != QFileDevice::NoError) {
            *why = file.errorString();
            return false;
        }
        return true;
    }, error);
}

bool copy_into(const QString &from, const QString &to, QString *why)
{
    QFile in(from);
    QFile out(to);
    if (!in.open(QIODevice::ReadOnly)) {
        *why = in.errorString();
        return false;
    }
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        *why = out.errorString();
        return false;
    }
    QByteArray block;
    while (!(block = in.read(1 << 20)).isEmpty())
        if (!write_all(out, block.constData(), block.size(), why))
            return false;
    out.close();
    if (in.error() != QFileDevice::NoError || out.error() != QFileDevice::NoError) {
        *why = in.error() != QFileDevice::NoError ? in.errorString() : out.errorString();
        return false;
    }
    return true;
}

bool save_image(const QString &path, const QImage &image, QString *error, const char *format)
{
    if (image.isNull())
        return fail(error, QStringLiteral("no picture"));
    QByteArray kind = format ? QByteArray(format) : QFileInfo(path).suffix().toLower().toLatin1();
    if (kind.isEmpty())
        kind = "bmp";
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, kind);
    if (!writer.write(image))
        return fail(error, writer.errorString());
    buffer.close();
    return replace(path, bytes, error);
}

}
