#include "KQ285_interface/kq285_words.h"

#include "frame/hid_window.h"

#include <QDebug>

namespace kq285 {

namespace {
const double FACTOR = double(1.8f);
}

bool decode_realtime(const QQueue<quint16> &words, RealTime *out)
{
    if (words.size() <= 4)
        return false;
    out->time = frame::time_from_words(words[0], words[1]);
    out->level = double(float(words[2]) / 100.0f);
    out->weighting = words[3];
    out->celsius = double(float(qint16(words[4])) / 100.0f);
    return true;
}

QVector<Stored> decode_stored(const QQueue<quint16> &words)
{
    QVector<Stored> records;
    const int whole = frame::whole_record_words(words.size(), 4);
    for (int i = 0; i < whole; i += 4) {
        Stored s;
        s.level = double(float(words[i]) / 10.0f);
        s.weighting = words[i + 1];
        s.time = frame::time_from_words(words[i + 2], words[i + 3]);
        records.push_back(s);
    }
    return records;
}

QString box_unit(int weighting)
{
    switch (weighting) {
    case 0: return "dBA";
    case 1: return "dBC";
    case 2: return "dBZ";
    default: return QString();
    }
}

QString table_unit(int weighting)
{
    switch (weighting) {
    case 0: return "dbA";
    case 1: return "dbC";
    case 2: return "dbZ";
    default: return QString();
    }
}

double to_fahrenheit(double celsius)
{
    return celsius * FACTOR + 32;
}

double to_celsius(double fahrenheit)
{
    return (fahrenheit - 32) / FACTOR;
}

}
