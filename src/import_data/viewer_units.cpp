// Exact unit conversion of the numbers the windows wrote: the decimal text
// of a cell and the decimal factors, in integer arithmetic, so that a value
// exact in the unit shown prints exactly.
#include "viewer_units.h"

#include "frame/decimal.h"

#include <cstdlib>

namespace viewer_units {

namespace {

using Big = frame::Wide;

// "-12.345" as -12345 and 3.
bool parse(const QString &text, Big *mantissa, int *scale)
{
    bool negative = false;
    int i = 0;
    if (i < text.size() && text.at(i) == QLatin1Char('-')) {
        negative = true;
        ++i;
    }
    Big m = 0;
    int count = 0;
    int s = -1;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('.') && s < 0) {
            s = 0;
            continue;
        }
        if (!c.isDigit() || c.unicode() > '9')
            return false;
        if (++count > 15)
            return false;
        m = m * 10 + (c.unicode() - '0');
        if (s >= 0)
            ++s;
    }
    if (count == 0)
        return false;
    *mantissa = negative ? -m : m;
    *scale = s < 0 ? 0 : s;
    return true;
}

Unit unit(const char *text, qint64 num, qint64 den, int decimals, qint64 offset = 0)
{
    return Unit{QString::fromUtf8(text), num, den, offset, decimals};
}

}

const Family &temperature(int decimals)
{
    static const Family one{{unit("℃", 1, 1, 1), unit("℉", 18, 10, 1, 32)}, Rounding::Nearest};
    static const Family two{{unit("℃", 1, 1, 2), unit("℉", 18, 10, 2, 32)}, Rounding::Nearest};
    return decimals == 1 ? one : two;
}

const Family &speed()
{
    // The anemometer window's own factors; "km/s" is how this viewer once
    // named its km/h values, still read as such.
    static const Family f{{unit("m/s", 1, 1, 3), unit("ft/s", 328, 100, 3), unit("km/h", 36, 10, 3),
                           unit("knots", 194, 100, 3), unit("mile/h", 224, 100, 3), unit("ft/m", 19685, 100, 3),
                           unit("km/s", 36, 10, 3)},
                          Rounding::Nearest};
    return f;
}

const Family &light()
{
    static const Family f{{unit("lux", 1, 1, 1), unit("fc", 100, 1076, 1)}, Rounding::Nearest};
    return f;
}

const Family &pressure()
{
    // The pressure window cuts its readings to these decimals.
    static const Family f{{unit("Pa", 1, 1, 0), unit("hPa", 1, 100, 1), unit("kPa", 1, 1000, 2),
                           unit("bar", 1, 100000, 3), unit("mbar", 1, 100, 1),
                           unit("psi", 1450377, 10000000000LL, 3), unit("mmHg", 750062, 100000000, 1),
                           unit("inHg", 2953, 10000000, 2), unit("kg/cm^2", 101972, 10000000000LL, 3),
                           unit("oz/in^2", 23206, 10000000, 2), unit("inH2O", 401463, 100000000, 2),
                           unit("ftH2O", 334553, 1000000000, 2), unit("mmH2O", 101972, 1000000, 0),
                           unit("cmH2O", 101972, 10000000, 1), unit("kg/cm²", 101972, 10000000000LL, 3),
                           unit("oz/in²", 23206, 10000000, 2)},
                          Rounding::Cut};
    return f;
}

const Unit *find(const Family &family, const QString &text)
{
    const QString t = text.trimmed();
    for (const Unit &u : family.units)
        if (u.text == t)
            return &u;
    return nullptr;
}

const Unit *find_suffix(const Family &family, const QString &text)
{
    // The longest unit that ends the text: "km/h" before a shorter one.
    const Unit *best = nullptr;
    for (const Unit &u : family.units)
        if (text.endsWith(u.text) && (!best || u.text.size() > best->text.size()))
            best = &u;
    return best;
}

QString number_text(const QString &text)
{
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const bool minus = text.at(i) == QLatin1Char('-') && i + 1 < n && text.at(i + 1).isDigit();
        if (!minus && !(text.at(i).unicode() >= '0' && text.at(i).unicode() <= '9'))
            continue;
        int j = minus ? i + 1 : i;
        while (j < n && text.at(j).unicode() >= '0' && text.at(j).unicode() <= '9')
            ++j;
        if (j + 1 < n && text.at(j) == QLatin1Char('.') && text.at(j + 1).isDigit()) {
            ++j;
            while (j < n && text.at(j).unicode() >= '0' && text.at(j).unicode() <= '9')
                ++j;
        }
        // A number written with an exponent (a workbook's tiny value) as plain decimals.
        if (j < n && (text.at(j) == QLatin1Char('E') || text.at(j) == QLatin1Char('e'))) {
            bool ok = false;
            int k = j + 1;
            if (k < n && (text.at(k) == QLatin1Char('-') || text.at(k) == QLatin1Char('+')))
                ++k;
            while (k < n && text.at(k).isDigit())
                ++k;
            const double v = text.mid(i, k - i).toDouble(&ok);
            if (ok) {
                QString plain = QString::number(v, 'f', 15);
                while (plain.endsWith(QLatin1Char('0')))
                    plain.chop(1);
                if (plain.endsWith(QLatin1Char('.')))
                    plain.chop(1);
                return plain;
            }
        }
        return text.mid(i, j - i);
    }
    return QString();
}

bool convert(const QString &number, const Unit &from, const Unit &to, int decimals, Rounding rounding,
             QString *shown, double *value)
{
    Big m = 0;
    int s = 0;
    if (!parse(number, &m, &s))
        return false;
    if (decimals < 0)
        decimals = s;
    // value = ((x - off_from) * den_from / num_from) * num_to / den_to + off_to, x = m / 10^s
    const Big ps = frame::power_of_ten(s);
    Big n = (m - Big(from.offset) * ps) * from.den * to.num;
    Big d = ps * from.num * to.den;
    Big g = frame::common_divisor(n, d);
    if (g > 1) {
        n /= g;
        d /= g;
    }
    n += Big(to.offset) * d;
    n *= frame::power_of_ten(decimals);
    Big q = n / d;
    Big r = n % d;
    if (rounding == Rounding::Nearest && 2 * (r < 0 ? -r : r) >= d)
        q += n < 0 ? -1 : 1;
    *shown = frame::units_text(q, decimals);
    *value = shown->toDouble();
    return true;
}

}
