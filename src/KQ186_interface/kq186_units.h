#ifndef KQ186_UNITS_H
#define KQ186_UNITS_H

#include <QQueue>
#include <QString>
#include <QVector>

// The KQ186's pressure units and answer words. The instrument measures in
// pascal; the index of a unit is the code it sends and receives for it and
// the row of the tables below.
namespace kq186 {

constexpr int unit_count = 14;

struct Unit
{
    const char *name;     // as the tables, workbooks and gauge show it
    const char *factor;   // from Pa, as a decimal; null: the value itself
    int decimals;
};

// The most decimals a unit shows: every converted reading is a decimal
// with at most this many.
constexpr int k_most_decimals = 3;

// Null for an index outside 0 to 13.
const Unit *unit(int index);
// The name a table shows for an index; an unknown index shows its reading
// in pascal, so it is labelled "Pa".
QString unit_name(int index);
// Decimals of an index (0 for an unknown one).
int unit_decimals(int index);
// `pa` in unit `index`, cut toward zero to its decimals. The cut is made
// on the decimal the reading stands for (the shortest decimal that reads
// back as the same float) times the unit's decimal factor, in integers, so
// a reading exact in a unit shows exactly (10 Pa is 0.1 hPa, not 0.0). The
// result is the double nearest that decimal: printed to the unit's
// decimals it gives the decimal's digits. An unknown index gives the
// pascal value, cut to an integer; a value that is not finite stays as it is.
double convert(int index, float pa);
// The same, as the text the window shows.
QString convert_text(int index, float pa);

struct RealTime
{
    quint32 time = 0;   // seconds since 1970
    float pa = 0;
    int unit = 0;       // signed, as the instrument sends it
};

struct Stored
{
    quint32 time = 0;
    float pa = 0;
};

// False for an answer of fewer than five words; words after the fifth are
// not read.
bool decode_realtime(const QQueue<quint16> &words, RealTime *out);
// Whole records of four words; a trailing incomplete record is dropped
// (and logged).
QVector<Stored> decode_stored(const QQueue<quint16> &words);

}


#endif
