#include "disk_faults.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QFile>
#include <QtTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/mount.h>
#include <unistd.h>

namespace testkit {

FaultyFolder::FaultyFolder()
{
    if (::geteuid() == 0)
        m_mounted = ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs", 0, "size=4m") == 0;
}

FaultyFolder::~FaultyFolder()
{
    if (m_limited)
        ::setrlimit(RLIMIT_FSIZE, &m_old_limit);
    if (!m_mounted)
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
}

void FaultyFolder::add_rows(bool read_only_file)
{
    QTest::addColumn<int>("fault");
    QTest::newRow("full disk") << int(Fault::Full);
    QTest::newRow("read-only folder") << int(Fault::ReadOnlyFolder);
    if (read_only_file)
        QTest::newRow("read-only file") << int(Fault::ReadOnlyFile);
}

bool FaultyFolder::make(Fault fault, const QString &name, const QByteArray &earlier)
{
    m_fault = fault;
    m_name = name;
    QFile target(file(name));
    if (!target.open(QIODevice::WriteOnly | QIODevice::Truncate) || target.write(earlier) != earlier.size()
        || !target.flush())
        return false;
    target.close();
    const QByteArray dir = QFile::encodeName(m_dir.path());
    switch (fault) {
    case Fault::ReadOnlyFile:
        return target.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    case Fault::ReadOnlyFolder:
        if (m_mounted)
            return ::mount(nullptr, dir.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
        return QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    case Fault::Full:
        break;
    }
    if (m_mounted) {
        // Every block taken: the filler grows until the file system says no.
        QFile filler(file(".filler"));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return false;
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
        while (filler.write("f", 1) == 1) {
        }
        return true;
    }
    // No file grows past a few kilobytes (the write fails instead of a signal).
    std::signal(SIGXFSZ, SIG_IGN);
    if (::getrlimit(RLIMIT_FSIZE, &m_old_limit) != 0)
        return false;
    rlimit small = m_old_limit;
    small.rlim_cur = 8192;
    m_limited = ::setrlimit(RLIMIT_FSIZE, &small) == 0;
    return m_limited;
}

void FaultyFolder::make_room()
{
    QFile::remove(file(".filler"));
    if (m_limited)
        ::setrlimit(RLIMIT_FSIZE, &m_old_limit);
    m_limited = false;
}

QString FaultyFolder::how() const
{
    switch (m_fault) {
    case Fault::ReadOnlyFile: return QStringLiteral("file mode 0444");
    case Fault::ReadOnlyFolder:
        return m_mounted ? QStringLiteral("tmpfs remounted read-only") : QStringLiteral("folder mode 0500");
    case Fault::Full: break;
    }
    return m_mounted ? QStringLiteral("filled tmpfs") : QStringLiteral("file size limit");
}

QString FaultyFolder::system_reason() const
{
    if (m_fault != Fault::Full)
        return QString();
    return QString::fromLocal8Bit(std::strerror(m_mounted ? ENOSPC : EFBIG));
}

QStringList FaultyFolder::leftovers() const
{
    QStringList names = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.removeAll(m_name);
    names.removeAll(QStringLiteral(".filler"));
    return names;
}

QByteArray small_bmp()
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

QByteArray file_bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}
