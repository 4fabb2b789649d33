#include "usb_help/utc_zone.h"

namespace utc_zone {

namespace {

// A zone given as a file path (TZ=/usr/share/zoneinfo/Etc/UTC) is not
// resolved by id: look it up by the name below the zone directory.
QTimeZone resolved(const QTimeZone &zone)
{
    if (zone.isValid())
        return zone;
    QByteArray id = zone.id();
    if (id.startsWith(':'))
        id.remove(0, 1);
    const int at = id.lastIndexOf("zoneinfo/");
    if (at < 0)
        return zone;
    return QTimeZone(id.mid(at + int(qstrlen("zoneinfo/"))));
}

}

bool is_utc(const QTimeZone &given, const QDateTime &at)
{
    const QTimeZone zone = resolved(given);
    if (!zone.isValid())
        return false;
    return zone.offsetFromUtc(at) == 0 && !zone.hasDaylightTime() && zone.abbreviation(at) == QLatin1String("UTC");
}

bool pc_is_utc(const QDateTime &at)
{
    return is_utc(QTimeZone::systemTimeZone(), at);
}

}
