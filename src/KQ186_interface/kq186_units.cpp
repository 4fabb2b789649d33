#include "KQ186_interface/kq186_units.h"

#include "frame/hid_window.h"

#include <cmath>
#include <cstring>

namespace kq186 {

namespace {

const Unit k_units[unit_count] = {
    {"kPa", 0.001f, 2},
    {"hPa", 0.01f, 1},
    {"Pa", 0.0f, 0},
    {"mbar", 0.01f, 1},
    {"bar", 0.00001f, 3},
    {"psi", 0.0001450377f, 3},
    {"oz/in^2", 0.0023206f, 2},
    {"kg/cm^2", 0.0000101972f, 3},
    {"inH2O", 0.00401463f, 2},
    {"inHg", 0.0002953f, 2},
    {"ftH2O", 0.000334553f, 2},
    {"mmHg", 0.00750062f, 1},
    {"mmH2O", 0.101972f, 0},
    {"cmH2O", 0.0101972f, 1},
};

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

float convert(int index, float pa)
{
    const Unit *u = unit(index);
    const float y = u && u->factor != 0.0f ? pa * u->factor : pa;
    return truncate_decimals(unit_decimals(index), y);
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

float truncate_decimals(int decimals, float x)
{
    static const float scale_up[] = {10.0f, 100.0f, 1000.0f, 10000.0f};
    static const float scale_down[] = {0.1f, 0.01f, 0.001f, 0.0001f};
    // Cut in floating point rather than through a 32-bit integer, so that a
    // reading too large for one is not garbled; a cut to zero is +0, so a
    // small negative reading shows as 0.000, not -0.000.
    const auto cut = [](float v) {
        const float t = std::trunc(v);
        return t == 0.0f ? 0.0f : t;
    };
    if (decimals >= 1 && decimals <= 4)
        return cut(x * scale_up[decimals - 1]) * scale_down[decimals - 1];
    return cut(x);
}
