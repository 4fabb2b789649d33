#ifndef KQ278_WORDS_H
#define KQ278_WORDS_H

#include <QQueue>
#include <QString>
#include <QVector>

#include "frame/decimal.h"

class QTableWidget;
namespace workbook { class Writer; }

// The KQ278's answer words and speed units. Real time: time (low word
// first), speed in 0.01 m/s, temperature in 0.01 ℃ (signed). Stored
// records: speed in 0.001 m/s, temperature in 0.1 ℃ (signed), time. The
// instrument always answers in m/s; the window converts.
namespace kq278 {

struct RealTime
{
    quint32 time = 0;        // seconds since 1970, 0: none
    quint16 speed = 0;       // 0.01 m/s
    qint16 celsius_hundredths = 0;
    double celsius = 0;
};

struct Stored
{
    double speed = 0;        // m/s
    double celsius = 0;
    quint32 time = 0;
    quint16 words[4] = {};
};

// False for an answer of fewer than four words; words past the fourth are
// not read.
bool decode_realtime(const QQueue<quint16> &words, RealTime *out);
// Whole records of four words; a trailing incomplete record is dropped
// (and logged).
QVector<Stored> decode_stored(const QQueue<quint16> &words);

constexpr int unit_count = 6;
// Unit index 0..5: m/s, ft/s, km/h, knots, mile/h, ft/m. Any other index
// reads as m/s.
QString unit_text(int unit);
int gauge_max(int unit);
// m/s into the unit; an unknown unit leaves the value as it is.
double convert(double metres_per_second, int unit);
// A real-time speed (hundredths of m/s) in the unit, exactly: the table
// rounds it to three decimals, the dial and statistics to two.
frame::Exact speed(quint16 hundredths, int unit);
// Decimals of such a speed at most (hundredths times a factor of two).
constexpr int k_speed_scale = 4;

// The real-time workbook: value and unit of every reading in two columns
// under a merged heading, all as text, each cell filled as its table cell.
void write_split_layout(workbook::Writer &w, const QTableWidget *table, const QString &title);

}

#endif
