#ifndef KQ263_WORDS_H
#define KQ263_WORDS_H

#include <QQueue>
#include <QString>
#include <QtGlobal>

// The KQ263's real-time answer: illuminance as a signed 32-bit count of
// hundredths of a lux, low word first, then one word nobody uses.
namespace kq263 {

struct Reading
{
    qint32 raw = 0;      // hundredths of the unit shown
    float value = 0;     // in the unit shown, single precision as the meter's software computes it
    int whole = 0;       // value truncated toward zero: what goes to the serial port
};

// False for an answer of fewer than three words. With `fc` the lux count
// becomes hundredths of a foot-candle (÷ 10.76, truncated).
bool decode_realtime(const QQueue<quint16> &words, bool fc, Reading *out);

// The table's text of a count of hundredths: one decimal.
QString table_text(qint32 raw);

// The gauge's scale for a value: 0 lux (1 fc) below 1000, then decades.
struct Band
{
    int min;
    int max;
};
Band gauge_band(float value, int light_unit);

}

#endif
