#include "KQ186_interface/kq186_units.h"

#include "frame/decimal.h"
#include "frame/hid_window.h"

#include <QByteArray>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace kq186 {

namespace {

const Unit k_units[unit_count] = {
    {"kPa", "0.001", 2},
    {"hPa", "0.01", 1},
    {"Pa", nullptr, 0},
    {"mbar", "0.01", 1},
    {"bar", "0.00001", 3},
    {"psi", "0.0001450377", 3},
    {"oz/in^2", "0.0023206", 2},
    {"kg/cm^2", "0.0000101972", 3},
    {"inH2O", "0.00401463", 2},
    {"inHg", "0.0002953", 2},
    {"ftH2O", "0.000334553", 2},
    {"mmHg", "0.00750062", 1},
    {"mmH2O", "0.101972", 0},
    {"cmH2O", "0.0101972", 1},
};

using frame::Wide;
using frame::power_of_ten;

// A decimal m · 10^e.
struct Decimal
{
    Wide m = 0;
    int e = 0;
};

// Plain decimal text ("0.0001450377", "-1.2345e+03") as digits and exponent.
Decimal parse_decimal(const char *text)
{
    Decimal d;
    bool negative = false;
    bool point = false;
    const char *p = text;
    if (*p == '-') {
        negative = true;
        ++p;
    }
    for (; *p && *p != 'e'; ++p) {
        if (*p == '.') {
            point = true;
            continue;
        }
        d.m = d.m * 10 + (*p - '0');
        if (point)
            --d.e;
    }
    if (*p == 'e')
        d.e += std::atoi(p + 1);
    if (negative)
        d.m = -d.m;
    return d;
}

// The reading in 10^-decimals of the unit, cut toward zero; false when it
// is too large for exact integers (far beyond any pressure the meter reads).
bool cut_exactly(const Unit *u, int decimals, float pa, Wide *out)
{
    char text[64];
    const std::to_chars_result r = std::to_chars(text, text + sizeof text - 1, pa, std::chars_format::scientific);
    if (r.ec != std::errc())
        return false;
    *r.ptr = '\0';
    const Decimal reading = parse_decimal(text);   // at most 9 digits
    const Decimal factor = u && u->factor ? parse_decimal(u->factor) : Decimal{1, 0};   // at most 7 digits
    const Wide product = reading.m * factor.m;     // below 10^16
    const int shift = reading.e + factor.e + decimals;
    if (shift >= 0) {
        if (shift > 20)
            return false;
        *out = product * power_of_ten(shift);
        return true;
    }
    // Integer division cuts toward zero, and a cut to zero is +0.
    *out = -shift > 36 ? Wide(0) : product / power_of_ten(-shift);
    return true;
}

float from_bits(quint16 low, quint16 high)
{
    const quint32 bits = quint32(high) << 16 | low;
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

}

const Unit *unit(int index)
{
    return index >= 0 && index < unit_count ? &k_units[index] : nullptr;
}

QString unit_name(int index)
{
    const Unit *u = unit(index);
    return QString::fromUtf8(u ? u->name : "Pa");
}

int unit_decimals(int index)
{
    const Unit *u = unit(index);
    return u ? u->decimals : 0;
}

double convert(int index, float pa)
{
    if (!std::isfinite(pa))
        return double(pa);
    const Unit *u = unit(index);
    const int decimals = unit_decimals(index);
    Wide scaled = 0;
    if (!cut_exactly(u, decimals, pa, &scaled)) {
        const double factor = u && u->factor ? QByteArray(u->factor).toDouble() : 1.0;
        const double scale = std::pow(10.0, decimals);
        return std::trunc(double(pa) * factor * scale) / scale;
    }
    return double(scaled) / std::pow(10.0, decimals);
}

QString convert_text(int index, float pa)
{
    return QString::number(convert(index, pa), 'f', unit_decimals(index));
}

bool decode_realtime(const QQueue<quint16> &words, RealTime *out)
{
    if (words.size() < 5)
        return false;
    out->time = frame::time_from_words(words[0], words[1]);
    out->pa = from_bits(words[2], words[3]);
    out->unit = int(qint16(words[4]));
    return true;
}

QVector<Stored> decode_stored(const QQueue<quint16> &words)
{
    QVector<Stored> records;
    const int whole = frame::whole_record_words(words.size(), 4);
    for (int i = 0; i < whole; i += 4) {
        Stored s;
        s.time = frame::time_from_words(words[i], words[i + 1]);
        s.pa = from_bits(words[i + 2], words[i + 3]);
        records.push_back(s);
    }
    return records;
}

}
