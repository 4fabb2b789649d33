#include "frame/decimal.h"

#include <cmath>
#include <cstdlib>

namespace frame {

namespace {

// Far below Wide's range even after a factor and a mean of many readings.
constexpr double k_limit = 1e18;

Exact not_exact(double value)
{
    Exact e;
    e.ok = false;
    e.fallback = value;
    return e;
}

Exact reduced(Wide num, Wide den)
{
    const Wide g = common_divisor(num, den);
    Exact e;
    e.num = g > 1 ? num / g : num;
    e.den = g > 1 ? den / g : den;
    e.fallback = double(e.num) / double(e.den);
    return e;
}

// `a` in whole 10^-decimals, half away from zero.
Wide rounded_units(const Exact &a, int decimals)
{
    const Wide n = a.num * power_of_ten(decimals);
    const Wide mag = ((n < 0 ? -n : n) * 2 + a.den) / (2 * a.den);
    return n < 0 ? -mag : mag;
}


}

Wide power_of_ten(int n)
{
    Wide p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

Wide common_divisor(Wide a, Wide b)
{
    if (a < 0)
        a = -a;
    if (b < 0)
        b = -b;
    while (b != 0) {
        const Wide t = a % b;
        a = b;
        b = t;
    }
    return a;
}

QString units_text(Wide units, int decimals)
{
    const bool negative = units < 0;
    Wide v = negative ? -units : units;
    QString digits;
    do {
        digits.prepend(QChar('0' + int(v % 10)));
        v /= 10;
    } while (v > 0);
    while (digits.size() <= decimals)
        digits.prepend(QLatin1Char('0'));
    if (decimals > 0)
        digits.insert(digits.size() - decimals, QLatin1Char('.'));
    return negative && units != 0 ? QLatin1Char('-') + digits : digits;
}

Exact exact_count(qint64 count, int scale)
{
    return reduced(count, power_of_ten(scale));
}

Exact exact_reading(double value, int scale)
{
    const double scaled = value * std::pow(10.0, scale);
    if (!std::isfinite(scaled) || std::fabs(scaled) > k_limit)
        return not_exact(value);
    return reduced(Wide(std::llround(scaled)), power_of_ten(scale));
}

Exact exact_times(const Exact &a, const char *factor)
{
    if (!a.ok)
        return not_exact(a.fallback * std::atof(factor));
    Wide m = 0;
    int scale = 0;
    bool point = false;
    bool negative = false;
    for (const char *p = factor; *p; ++p) {
        if (*p == '-')
            negative = true;
        else if (*p == '.')
            point = true;
        else {
            m = m * 10 + (*p - '0');
            if (point)
                ++scale;
        }
    }
    return reduced(a.num * (negative ? -m : m), a.den * power_of_ten(scale));
}

Exact exact_fahrenheit(const Exact &celsius)
{
    if (!celsius.ok)
        return not_exact(celsius.fallback * 1.8 + 32);
    return reduced(celsius.num * 9 + celsius.den * 160, celsius.den * 5);
}

// Adds readings[from..] to `sum`, kept at `scale`.
static void add_readings(EXACT_SUM &sum, const QVector<double> &readings, int scale)
{
    if (sum.scale != scale || sum.counted > readings.size())
        sum = EXACT_SUM();
    sum.scale = scale;
    const Wide unit = power_of_ten(scale);
    for (int i = sum.counted; i < readings.size(); ++i) {
        const double r = readings[i];
        sum.plain += r;
        if (!sum.exact)
            continue;
        const Exact e = exact_reading(r, scale);
        const Wide units = e.num * (unit / e.den);
        long long next = 0;
        if (e.ok && units == Wide(qint64(units)) && !__builtin_add_overflow(sum.sum, qint64(units), &next))
            sum.sum = next;
        else
            sum.exact = false;
    }
    sum.counted = readings.size();
}

static Exact mean_of(const EXACT_SUM &sum)
{
    if (sum.counted == 0)
        return Exact();
    if (!sum.exact)
        return not_exact(sum.plain / sum.counted);
    return reduced(Wide(sum.sum), power_of_ten(sum.scale) * sum.counted);
}

Exact exact_mean(const QVector<double> &readings, int scale)
{
    EXACT_SUM sum;
    add_readings(sum, readings, scale);
    return mean_of(sum);
}

Exact running_mean(const STATISTICS_ITEM &item, int scale)
{
    add_readings(item.sum, item.samples, scale);
    return mean_of(item.sum);
}

QString rounded_text(const Exact &a, int decimals)
{
    if (!a.ok)
        return QString::number(a.fallback, 'f', decimals);
    return units_text(rounded_units(a, decimals), decimals);
}

double rounded_value(const Exact &a, int decimals)
{
    if (!a.ok)
        return a.fallback;
    return double(rounded_units(a, decimals)) / std::pow(10.0, decimals);
}

double nearest(const Exact &a)
{
    return a.ok ? double(a.num) / double(a.den) : a.fallback;
}

}
