#include "KQ278_interface/kq278_words.h"

#include "frame/hid_window.h"
#include "workbook/workbook.h"

#include <QBrush>
#include <QDebug>
#include <QTableWidget>

#include <cstdlib>

namespace kq278 {

namespace {

struct Unit
{
    const char *text;
    const char *factor;   // from m/s, as a decimal: a speed is converted exactly
    int gauge_max;
};

const Unit k_units[unit_count] = {
    {"m/s", "1", 45},
    {"ft/s", "3.28", 147},
    {"km/h", "3.6", 161},
    {"knots", "1.94", 87},
    {"mile/h", "2.24", 100},
    {"ft/m", "196.85", 8858},
};

bool known(int unit)
{
    return unit >= 0 && unit < unit_count;
}

QColor item_fill(const QTableWidgetItem *item)
{
    const QVariant v = item->data(Qt::BackgroundRole);
    if (!v.canConvert<QBrush>())
        return QColor();
    const QBrush b = v.value<QBrush>();
    return b.style() == Qt::SolidPattern ? b.color() : QColor();
}

}

bool decode_realtime(const QQueue<quint16> &words, RealTime *out)
{
    if (words.size() < 4)
        return false;
    out->time = frame::time_from_words(words[0], words[1]);
    out->speed = words[2];
    out->celsius_hundredths = qint16(words[3]);
    out->celsius = double(out->celsius_hundredths) / 100.0;
    return true;
}

QVector<Stored> decode_stored(const QQueue<quint16> &words)
{
    QVector<Stored> records;
    const int whole = words.size() / 4 * 4;
    for (int i = 0; i < whole; i += 4) {
        Stored s;
        for (int k = 0; k < 4; ++k)
            s.words[k] = words[i + k];
        s.speed = double(float(words[i]) / 1000.0f);
        s.celsius = double(float(qint16(words[i + 1])) / 10.0f);
        s.time = frame::time_from_words(words[i + 2], words[i + 3]);
        records.push_back(s);
    }
    if (whole != words.size())
        qDebug() << "stored answer ends in an incomplete record of" << words.size() - whole << "words";
    return records;
}

QString unit_text(int unit)
{
    return QString::fromLatin1(k_units[known(unit) ? unit : 0].text);
}

int gauge_max(int unit)
{
    return k_units[known(unit) ? unit : 0].gauge_max;
}

double convert(double metres_per_second, int unit)
{
    return known(unit) ? metres_per_second * std::atof(k_units[unit].factor) : metres_per_second;
}

frame::Exact speed(quint16 hundredths, int unit)
{
    const frame::Exact metres = frame::exact_count(hundredths, 2);
    return known(unit) ? frame::exact_times(metres, k_units[unit].factor) : metres;
}

void write_split_layout(workbook::Writer &w, const QTableWidget *table, const QString &title)
{
    static const QStringList units = {"m/s", "ft/s", "km/h", "knots", "mile/h", "ft/m", QStringLiteral("℃")};
    w.write_string(1, 1, QStringLiteral("%1 datasheet").arg(title));
    const int cols = table->columnCount();
    const auto header = [table](int c) {
        const QTableWidgetItem *h = table->horizontalHeaderItem(c);
        return h ? h->text() : QString();
    };
    // Headers one per column first, then in pairs over the split cells; the
    // cell under each merge keeps its first header.
    for (int c = 0; c < cols; ++c)
        w.write_string(2, c + 1, header(c));
    for (int c = 1; c < cols; ++c) {
        w.merge(2, 2 * c, 2, 2 * c + 1, true);
        w.write_string(2, 2 * c, header(c));
    }
    for (int r = 0; r < table->rowCount(); ++r) {
        const int row = r + 3;
        const QTableWidgetItem *time = table->item(r, 0);
        w.write_string(row, 1, time ? time->text() : QString(), time ? item_fill(time) : QColor());
        for (int c = 1; c < cols; ++c) {
            const QTableWidgetItem *item = table->item(r, c);
            if (!item) {
                w.write_string(row, 2 * c, QString());
                w.write_string(row, 2 * c + 1, QString());
                continue;
            }
            const QColor fill = item_fill(item);
            const QString text = item->text();
            QString value = text;
            QString unit = text;
            for (const QString &u : units)
                if (text.endsWith(u)) {
                    value = text.left(text.size() - u.size());
                    unit = u;
                    break;
                }
            w.write_string(row, 2 * c, value, fill);
            w.write_string(row, 2 * c + 1, unit, fill);
        }
    }
}

}
