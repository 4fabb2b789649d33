#ifndef FRAME_DECIMAL_H
#define FRAME_DECIMAL_H

#include "data_process/data_statistics.h"

#include <QString>
#include <QVector>
#include <QtGlobal>

// Readings as the instruments count them (tenths, hundredths, ...),
// converted, averaged and rounded to the decimals shown in integers, so
// that a tie such as 1.15 shown with one decimal is 1.2 and not the 1.1 of
// its binary neighbour 1.1499999.
namespace frame {

// Exact integers for decimal conversions (here, in the viewer and in the
// pressure window's units).
using Wide = __int128;
Wide power_of_ten(int n);
// The greatest common divisor, not negative.
Wide common_divisor(Wide a, Wide b);
// units · 10^-decimals written out: "-0.05", "12.300"; no sign on zero.
QString units_text(Wide units, int decimals);

// The value num / den, den > 0. Not `ok`: a value that is not finite or
// too large for exact integers; texts then fall back to the double.
struct Exact
{
    __int128 num = 0;
    __int128 den = 1;
    bool ok = true;
    double fallback = 0;   // the value as a double, for the fallback
};

// count · 10^-scale.
Exact exact_count(qint64 count, int scale);
// A reading held as a double that stands for a decimal of at most `scale`
// decimals (the double nearest it, or a float of it): that decimal.
Exact exact_reading(double value, int scale);
// a × a decimal factor written out ("3.28", "196.85").
Exact exact_times(const Exact &a, const char *factor);
// ℃ to ℉: · 1.8 + 32.
Exact exact_fahrenheit(const Exact &celsius);
// The mean of readings of at most `scale` decimals.
Exact exact_mean(const QVector<double> &readings, int scale);
// The same for a channel's samples, through its running sum.
Exact running_mean(const STATISTICS_ITEM &item, int scale);

// Rounded half away from zero to `decimals`.
QString rounded_text(const Exact &a, int decimals);
// The double nearest that rounded decimal: printed with `decimals` (as a
// dial does) it gives the same digits.
double rounded_value(const Exact &a, int decimals);
// The double nearest the value (graphs, statistics).
double nearest(const Exact &a);

}

#endif
