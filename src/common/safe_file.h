#ifndef SAFE_FILE_H
#define SAFE_FILE_H

#include <QByteArray>
#include <QImage>
#include <QString>

#include <functional>

// Saving over a file the user chose: the new content goes to a temporary
// file beside the target and is renamed over it only once it is complete,
// so a full disk or a failed writer never costs the earlier file. A path
// that is a symbolic link writes the file it points to and keeps the link.
namespace safe_file {

// Why path must not be replaced (a folder, a read-only file); empty when it may.
QString refusal(const QString &path);

// write receives the temporary name and returns false, with a reason in
// why, when it could not write there. False, with a reason in error, when
// the target was refused or the file could not be written; the target is
// then as it was and no temporary file is left.
using Writer = std::function<bool(const QString &temp_path, QString *why)>;
bool replace(const QString &path, const Writer &write, QString *error = nullptr);

// The bytes given, every write checked.
bool replace(const QString &path, const QByteArray &bytes, QString *error = nullptr);

// Copies the file from into to (which exists, empty), every write checked:
// the writer for replace() when the content was made somewhere else.
bool copy_into(const QString &from, const QString &to, QString *why);

// The image in the format given, else the one the name's suffix gives
// (bmp when it has none).
bool save_image(const QString &path, const QImage &image, QString *error = nullptr, const char *format = nullptr);

}

#endif
