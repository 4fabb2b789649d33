#include "archive_member.h"

namespace workbook {
namespace member {

// Opens a member of the archive; false when it is missing (error left empty)
// or cannot be opened (error set).
bool open_member(unzFile zip, const QString &name, QString *error)
{
    if (unzLocateFile(zip, name.toUtf8().constData(), 0) != UNZ_OK)
        return false;
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK
        || qint64(info.uncompressed_size) > k_member_limit) {
        *error = QStringLiteral("%1 cannot be read").arg(name);
        return false;
    }
    if (unzOpenCurrentFile(zip) != UNZ_OK) {
        *error = QStringLiteral("%1 cannot be opened").arg(name);
        return false;
    }
    return true;
}

// Why a device stopped, for a member's reason.
QString device_fault(const QString &name, const MemberDevice &device, const Bounds &bounds)
{
    if (device.fault() == MemberDevice::LongRun)
        return QStringLiteral("%1 holds a text or tag of more than %2 bytes").arg(name).arg(bounds.max_run);
    if (device.fault() == MemberDevice::OverBudget)
        return QStringLiteral("%1 takes more than %2 bytes for the cells that use it").arg(name).arg(bounds.budget);
    return QStringLiteral("%1 is damaged").arg(name);
}

}
}
