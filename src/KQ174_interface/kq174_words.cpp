#include "KQ174_interface/kq174_words.h"

#include "frame/hid_window.h"

#include <QDebug>

namespace kq174 {

namespace {

constexpr int RT_WORDS = 7;
constexpr int RECORD_WORDS = 5;

float tenths(quint16 low, quint16 high)
{
    const qint32 raw = qint32(quint32(high) << 16 | low);
    return float(raw) / 10.0f;
}

}

bool decode_realtime(const QQueue<quint16> &words, RealTime *out)
{
    if (words.size() < RT_WORDS)
        return false;
    out->time = frame::time_from_words(words[0], words[1]);
    out->value = tenths(words[2], words[3]);
    out->temperature = tenths(words[4], words[5]);
    out->mode = quint8(words[6] & 0xFF);
    return true;
}

QVector<KQ174_SAVE_ITEM> decode_stored(const QQueue<quint16> &words)
{
    QVector<KQ174_SAVE_ITEM> records;
    const int whole = words.size() / RECORD_WORDS * RECORD_WORDS;
    for (int i = 0; i < whole; i += RECORD_WORDS) {
        KQ174_SAVE_ITEM item;
        item.time = frame::time_from_words(words[i], words[i + 1]);
        item.value = quint32(words[i + 3]) << 16 | words[i + 2];
        item.mode = quint8(words[i + 4] & 0xFF);
        records.push_back(item);
    }
    if (whole != words.size())
        qDebug() << "stored answer ends in an incomplete record of" << words.size() - whole << "words";
    return records;
}

QString unit_text(int mode)
{
    switch (mode) {
    case 0: return QStringLiteral("m");
    case 1: return QStringLiteral("m/min");
    case 2: return QStringLiteral("ft/min");
    case 3: return QStringLiteral("Contact RPM");
    case 4: return QStringLiteral("Photo RPM");
    default: return QString();
    }
}

int gauge_max(int mode)
{
    static const int top[MODE_COUNT] = {99999, 1999, 9999, 19999, 99999};
    return mode >= 0 && mode < MODE_COUNT ? top[mode] : 0;
}

double stored_value(const KQ174_SAVE_ITEM &item)
{
    return double(float(item.value) / 10.0f);
}

}
