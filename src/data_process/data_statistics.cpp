#include "data_statistics.h"

#include "common/app_env.h"

#include <cmath>

const QString DATA_STATISTICS::LOW_SOUND = QStringLiteral(":/res/sound/lowalarm.WAV");
const QString DATA_STATISTICS::HIGH_SOUND = QStringLiteral(":/res/sound/highalarm.WAV");

void DATA_STATISTICS::add_channel()
{
    items.append(STATISTICS_ITEM());
}

void DATA_STATISTICS::set_limit(int index, double upper, double lower)
{
    STATISTICS_ITEM &item = items[index];
    item.upper_limit = upper;
    item.lower_limit = lower;
}

void DATA_STATISTICS::reset_limit()
{
    for (STATISTICS_ITEM &item : items) {
        item.high_count = 0.0;
        item.low_count = 0.0;
        item.upper_limit = k_no_upper_limit;
        item.lower_limit = k_no_lower_limit;
    }
}

quint8 DATA_STATISTICS::data_update(int index, double x)
{
    STATISTICS_ITEM &item = items[index];
    // The starting extremes are no readings (max below min until the first
    // value): the first value replaces both, even beyond them (70,000 rpm).
    const bool first = item.max < item.min && !std::isnan(x);
    item.samples.append(x);
    if (x > item.max || first)
        item.max = x;
    if (x < item.min || first)
        item.min = x;
    item.mean = (x - item.mean) / double(item.samples.size()) + item.mean;

    // The low test comes first: a value below the lower limit is never
    // also counted as high, even with inverted limits.
    if (x < item.lower_limit && item.lower_limit != k_no_lower_limit) {
        item.low_count += 1.0;
        app_env::play_sound(LOW_SOUND);
        return LOW_ALARM;
    }
    if (x > item.upper_limit && item.upper_limit != k_no_upper_limit) {
        item.high_count += 1.0;
        app_env::play_sound(HIGH_SOUND);
        return HIGH_ALARM;
    }
    return NO_ALARM;
}

void DATA_STATISTICS::reset_channel(quint16 index)
{
    // Everything but the limits starts again.
    STATISTICS_ITEM fresh;
    fresh.upper_limit = items[index].upper_limit;
    fresh.lower_limit = items[index].lower_limit;
    items[index] = fresh;
}

void DATA_STATISTICS::reset_all()
{
    for (int i = 0; i < items.size(); ++i)
        reset_channel(quint16(i));
}
