#ifndef DISK_FAULTS_H
#define DISK_FAULTS_H

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <sys/resource.h>

namespace testkit {

// A folder whose writes fail in the ways a user meets: a disk with no space
// left, or a folder that takes no new file. As root (who writes through
// permissions) it is a small tmpfs mount, filled up or remounted read-only;
// otherwise the full disk is a file size limit on the process and the
// read-only folder its permission bits.
class FaultyFolder
{
public:
    enum class Fault { Full, ReadOnlyFolder, ReadOnlyFile };
    // A column "fault" with one row per fault, for a data-driven test (the
    // read-only file left out where only the folder matters).
    static void add_rows(bool read_only_file = true);
    FaultyFolder();
    ~FaultyFolder();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    bool mounted() const { return m_mounted; }
    // Puts the earlier file there, then makes the fault (the read-only
    // file is that one); false when it could not be made.
    bool make(Fault fault, const QString &name, const QByteArray &earlier);
    // Ends a full disk: the filler goes, or the size limit is lifted.
    void make_room();
    QString how() const;   // what made the fault, for messages
    // The system's words for a write that failed there: no space left, or
    // the file size limit; empty for the read-only faults.
    QString system_reason() const;
    // The files there but the earlier one and the filler: what a failed save left.
    QStringList leftovers() const;
private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    bool m_limited = false;
    rlimit m_old_limit{};
    Fault m_fault = Fault::Full;
    QString m_name;
};

// A valid bmp of a few pixels, smaller than any window's picture.
QByteArray small_bmp();

// Reads a whole file; empty when missing.
QByteArray file_bytes(const QString &path);

}

#endif
