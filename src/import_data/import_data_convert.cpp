// Numbers, dates and units of the viewer's cells.
#include "import_data.h"
#include "viewer_text.h"

#include <QDateTime>
#include <QRegExp>

namespace viewer_text {

const QString k_null = QStringLiteral("NULL");
const QString k_no_data = QStringLiteral("无数据");
const QString k_celsius = QStringLiteral("℃");
const QString k_fahrenheit = QStringLiteral("℉");

namespace {

const QString k_date_format = QStringLiteral("hh:mm:ss yyyy-MM-dd");

bool digits(const QString &t, int from, int count, int *value)
{
    int v = 0;
    for (int i = from; i < from + count; ++i) {
        const ushort c = t.at(i).unicode();
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    *value = v;
    return true;
}

bool from_qt(const QString &text, qint64 *seconds)
{
    const QDateTime t = QDateTime::fromString(text, k_date_format);
    if (!t.isValid())
        return false;
    *seconds = t.toSecsSinceEpoch();
    return true;
}

}

bool LocalTimes::parse(const QString &text, quint32 *seconds)
{
    qint64 s = 0;
    int h, mi, se, y, mo, d;
    const bool plain = text.size() == 19 && text.at(2) == QLatin1Char(':') && text.at(5) == QLatin1Char(':')
                       && text.at(8) == QLatin1Char(' ') && text.at(13) == QLatin1Char('-')
                       && text.at(16) == QLatin1Char('-') && digits(text, 0, 2, &h) && digits(text, 3, 2, &mi)
                       && digits(text, 6, 2, &se) && digits(text, 9, 4, &y) && digits(text, 14, 2, &mo)
                       && digits(text, 17, 2, &d);
    const QDate date = plain ? QDate(y, mo, d) : QDate();
    const QTime time = plain ? QTime(h, mi, se) : QTime();
    if (date.isValid() && time.isValid()) {
        const qint64 naive = (date.toJulianDay() - 2440588) * 86400 + h * 3600 + mi * 60 + se;
        const qint64 quarter = (date.toJulianDay() * 24 + h) * 4 + mi / 15;
        const auto it = m_offsets.constFind(quarter);
        if (it != m_offsets.constEnd()) {
            s = naive + *it;
        } else {
            if (!from_qt(text, &s))
                return false;
            m_offsets.insert(quarter, s - naive);
        }
    } else if (!from_qt(text, &s)) {
        return false;
    }
    if (s < 0 || s > qint64(0xFFFFFFFFu))
        return false;
    *seconds = quint32(s);
    return true;
}

}

using namespace viewer_text;

// The first pattern that matches at the leftmost place, as the viewer has
// always read a cell; a plain decimal, the usual cell, reads the same
// without the pattern.
QVector<double> import_data::extract_numbers(const QString &text)
{
    QVector<double> numbers;
    {
        // -?(0|[1-9][0-9]*)(\.[0-9]+)?
        const int n = text.size();
        int i = 0;
        if (i < n && text.at(i) == QLatin1Char('-'))
            ++i;
        const int int_start = i;
        while (i < n && text.at(i).unicode() >= '0' && text.at(i).unicode() <= '9')
            ++i;
        const int int_len = i - int_start;
        bool ok = int_len > 0 && !(int_len > 1 && text.at(int_start) == QLatin1Char('0'));
        if (ok && i < n) {
            ok = text.at(i) == QLatin1Char('.') && i + 1 < n;
            for (++i; ok && i < n; ++i)
                ok = text.at(i).unicode() >= '0' && text.at(i).unicode() <= '9';
        }
        if (ok) {
            numbers.append(text.toDouble());
            return numbers;
        }
    }
    static const QRegExp pattern(QStringLiteral("-?[1-9]\\d*\\.\\d*|0+.[0-9]+|-?0\\.\\d*[1-9]\\d*|-?\\d+"),
                                 Qt::CaseSensitive, QRegExp::RegExp);
    QRegExp rx = pattern;
    int pos = 0;
    while ((pos = rx.indexIn(text, pos)) != -1) {
        const int len = rx.matchedLength();
        numbers.append(rx.cap(0).toDouble());
        pos += len > 0 ? len : 1;
    }
    return numbers;
}

const QStringList &import_data::pressure_units()
{
    static const QStringList units = {"Pa",      "hPa",     "kPa",   "bar",   "mbar",  "psi",   "mmHg",
                                      "inHg",    "kg/cm^2", "oz/in^2", "inH2O", "ftH2O", "mmH2O", "cmH2O"};
    return units;
}

float import_data::pressure_convert(float x, quint8 from, quint8 to)
{
    static const float factor[] = {1.0f,         0.01f,     0.001f,     0.00001f,    0.01f,
                                   0.0001450377f, 0.00750062f, 0.0002953f, 0.0000101972f, 0.0023206f,
                                   0.00401463f,  0.000334553f, 0.101972f,  0.0101972f};
    if (from > 13 || to > 13)
        return 0.0f;
    return x / factor[from] * factor[to];
}
