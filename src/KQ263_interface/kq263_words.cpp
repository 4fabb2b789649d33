#include "KQ263_interface/kq263_words.h"

namespace kq263 {

bool decode_realtime(const QQueue<quint16> &words, bool fc, Reading *out)
{
    if (words.size() < 3)
        return false;
    qint32 raw = qint32(quint32(words[1]) << 16 | words[0]);
    if (fc)   // ÷ 10.76 in integers: exact, and cut toward zero as before
        raw = qint32(qint64(raw) * 100 / 1076);
    out->raw = raw;
    out->value = float(raw) / 100.0f;
    out->whole = int(out->value);
    return true;
}

QString table_text(qint32 raw)
{
    // Rounded half away from zero in whole hundredths: 123.45 is 123.5,
    // which its single-precision value (123.449997) would not give.
    const qint64 magnitude = qAbs(qint64(raw));
    const qint64 tenths = (magnitude + 5) / 10;
    const QString text = QString::number(tenths / 10) + QLatin1Char('.') + QString::number(tenths % 10);
    return raw < 0 && tenths != 0 ? QLatin1Char('-') + text : text;
}

Band gauge_band(float value, int light_unit)
{
    // The fc bounds are the meter's own, not the lux bounds converted; a
    // band is chosen by them too, so the needle and the value under it show
    // the reading. Past the second band the scale spans one decade from its
    // start.
    if (light_unit == 0) {
        if (value < 1000.0f)
            return {0, 1000};
        if (value < 100000.0f)
            return {1000, 100000};
        return {100000, 1000000};
    }
    if (value < 1831.0f)
        return {0, 1831};
    if (value < 180031.0f)
        return {1831, 180031};
    return {180031, 1800310};
}

}
