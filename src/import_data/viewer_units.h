#ifndef VIEWER_UNITS_H
#define VIEWER_UNITS_H

#include <QString>
#include <QVector>

// The units the model windows write, and the exact conversion of a cell's
// decimal number between two units of one quantity.
namespace viewer_units {

// A value in the unit is base * num / den + offset (base: ℃, m/s, lux, Pa).
struct Unit
{
    QString text;
    qint64 num;
    qint64 den;
    qint64 offset;
    int decimals;   // as the window shows the unit
};

enum class Rounding { Nearest, Cut };

struct Family
{
    QVector<Unit> units;
    Rounding rounding;
};

const Family &temperature(int decimals);
const Family &speed();
const Family &light();
const Family &pressure();

// The unit a text names, or the unit at its end ("4.000m/s"); null when none.
const Unit *find(const Family &family, const QString &text);
const Unit *find_suffix(const Family &family, const QString &text);

// The first decimal number written in a text ("-2", "23.63", "4.000m/s");
// empty when none.
QString number_text(const QString &text);

// `number` (a decimal text) in `from`, converted to `to` exactly and then
// rounded or cut to `decimals`. False when the text holds no number.
bool convert(const QString &number, const Unit &from, const Unit &to, int decimals, Rounding rounding,
             QString *shown, double *value);

}

#endif
