#include "KQ263_interface/kq263_words.h"

namespace kq263 {

bool decode_realtime(const QQueue<quint16> &words, bool fc, Reading *out)
{
    if (words.size() < 3)
        return false;
    qint32 raw = qint32(quint32(words[1]) << 16 | words[0]);
    if (fc)
        raw = qint32(float(raw) / 10.76f);
    out->raw = raw;
    out->value = float(raw) / 100.0f;
    out->whole = int(out->value);
    return true;
}

Band gauge_band(float value, int light_unit)
{
    // The fc bounds are the meter's own, not the lux bounds converted. Past
    // the second band the scale spans one decade from its start.
    if (light_unit == 0) {
        if (value < 1000.0f)
            return {0, 1000};
        if (value < 100000.0f)
            return {1000, 100000};
        return {100000, 1000000};
    }
    if (value < 1000.0f)
        return {0, 1831};
    if (value < 100000.0f)
        return {1831, 180031};
    return {180031, 1800310};
}

}
