#ifndef DATA_STATISTICS_H
#define DATA_STATISTICS_H

#include <QString>
#include <QVector>
#include <QtGlobal>

// One channel: extremes and mean since the last reset, alarm counts, limits.
// +-65535 are what the extremes show before the first value and what a
// limit holds while none is set. Neither bounds a reading: the first value
// after a reset becomes max and min whatever its size, and a limit at its
// "no limit" value raises no alarm.
// The exact sum behind an average, kept by frame::running_mean at the scale
// it is asked for and caught up with the readings added since, so the mean
// of a long run costs only its new readings.
struct EXACT_SUM
{
    int scale = -1;        // none yet
    int counted = 0;       // samples summed
    qint64 sum = 0;        // in 10^-scale
    bool exact = true;     // false once a reading had no exact decimal (or too large a sum)
    double plain = 0.0;    // the plain sum, for that fallback
};

struct STATISTICS_ITEM
{
    double max = -65535.0;
    double min = 65535.0;
    double mean = 0.0;
    QVector<double> samples;
    mutable EXACT_SUM sum;   // reset with the samples
    double high_count = 0.0;
    double low_count = 0.0;
    double upper_limit = 65535.0;
    double lower_limit = -65535.0;
};

// The limit values that stand for "no limit".
constexpr double k_no_upper_limit = 65535.0;
constexpr double k_no_lower_limit = -65535.0;

// Per-window table of channel records, used from the GUI thread only.
// Indices are not checked: owners address only the records they added.
class DATA_STATISTICS
{
public:
    enum : quint8 { NO_ALARM = 0, LOW_ALARM = 1, HIGH_ALARM = 2 };

    static const QString LOW_SOUND;    // ":/res/sound/lowalarm.WAV"
    static const QString HIGH_SOUND;   // ":/res/sound/highalarm.WAV"

    DATA_STATISTICS() = default;

    void add_channel();
    void set_limit(int index, double upper, double lower);
    void reset_limit();
    quint8 data_update(int index, double x);
    void reset_all();
    void reset_channel(quint16 index);

    QVector<STATISTICS_ITEM> items;
};

#endif
