#ifndef KQ285_WORDS_H
#define KQ285_WORDS_H

#include <QQueue>
#include <QString>
#include <QVector>

// The KQ285's answer words: real time (time, level in hundredths of a dB,
// weighting, temperature in hundredths of a degree) and stored records
// (level in tenths of a dB, weighting, time).
namespace kq285 {

struct RealTime
{
    quint32 time = 0;        // seconds since 1970
    double level = 0;        // dB
    int weighting = 0;       // 0 A, 1 C, 2 Z
    double celsius = 0;
};

struct Stored
{
    quint32 time = 0;
    double level = 0;
    int weighting = 0;
};

// False for an answer of four words or fewer.
bool decode_realtime(const QQueue<quint16> &words, RealTime *out);
// Whole records of four words; a trailing incomplete record is dropped
// (and logged).
QVector<Stored> decode_stored(const QQueue<quint16> &words);

// "dBA", "dBC", "dBZ" (statistics boxes) and "dbA", "dbC", "dbZ" (tables);
// empty for an unknown code.
QString box_unit(int weighting);
QString table_unit(int weighting);

// ℃ <-> ℉ with the factor 1.8 in single precision, as the meter's own
// software shows it.
double to_fahrenheit(double celsius);
double to_celsius(double fahrenheit);

}

#endif
