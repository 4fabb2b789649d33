#ifndef KQ174_WORDS_H
#define KQ174_WORDS_H

#include <QQueue>
#include <QString>
#include <QVector>

// One stored record of the KQ174 as the window keeps it.
struct KQ174_SAVE_ITEM
{
    quint32 time = 0;    // seconds since 1970
    quint32 value = 0;   // tenths of the record's unit, unsigned as stored
    quint8 mode = 0;
};

// The KQ174's answer words: real time (time, signed reading in tenths,
// signed temperature in tenths of a degree, mode) and stored records
// (time, unsigned reading in tenths, mode).
namespace kq174 {

constexpr int MODE_COUNT = 5;

struct RealTime
{
    quint32 time = 0;
    float value = 0;
    float temperature = 0;   // ℃
    quint8 mode = 0;
};

// False for an answer of six words or fewer; words after the seventh are
// not read.
bool decode_realtime(const QQueue<quint16> &words, RealTime *out);
// Whole records of five words; a trailing incomplete record is dropped
// (and logged).
QVector<KQ174_SAVE_ITEM> decode_stored(const QQueue<quint16> &words);

// "m", "m/min", "ft/min", "Contact RPM", "Photo RPM"; empty for a code the
// instrument does not define.
QString unit_text(int mode);
// Top of the speed gauge for the mode (0 for an unknown one).
int gauge_max(int mode);
// A stored reading in the unit: the unsigned tenths divided in single
// precision, as the instrument's own software shows them.
double stored_value(const KQ174_SAVE_ITEM &item);

}

#endif
