#ifndef UTC_ZONE_H
#define UTC_ZONE_H

#include <QDateTime>
#include <QTimeZone>

// A PC kept on UTC is taken to show the instruments' own clock already, so
// its clock goes to them unchanged. UTC has many names ("UTC", "Etc/UTC",
// "Etc/Universal", "Zulu", a POSIX "UTC0", a path into the zone files...):
// the zone counts as UTC when it calls itself UTC at `at`, is at offset 0
// and keeps no daylight time, whatever its id. GMT zones are not UTC.
namespace utc_zone {

bool is_utc(const QTimeZone &zone, const QDateTime &at);
// The PC's own zone.
bool pc_is_utc(const QDateTime &at);

}

#endif
