#ifndef VIEWER_TEXT_H
#define VIEWER_TEXT_H

#include <QHash>
#include <QString>

#include <cmath>

// Texts and readings the viewer's parts share.
namespace viewer_text {

extern const QString k_null;       // a missing reading
extern const QString k_no_data;    // the thermometer's missing reading
extern const QString k_celsius;
extern const QString k_fahrenheit;

// Local "hh:mm:ss yyyy-MM-dd" to seconds since 1970, as QDateTime reads it,
// asking the time zone once per quarter hour of the texts instead of once
// per text: the zone's offset changes only on such a boundary.
class LocalTimes
{
public:
    // False when the text is no such date or lies outside 32 bits unsigned.
    bool parse(const QString &text, quint32 *seconds);

private:
    QHash<qint64, qint64> m_offsets;   // quarter hour of local time -> offset
};

const double k_no_time = 4294967295.0;   // a key whose date does not parse

// A key truncated toward zero, its low 32 bits read as signed.
inline qint32 key_bits(double key)
{
    if (!std::isfinite(key) || std::fabs(key) >= 9.0e18)
        return 10;
    return qint32(quint32(quint64(qint64(key))));
}

}

#endif
