#ifndef SHEET_SCAN_H
#define SHEET_SCAN_H

#include <QByteArray>
#include <QString>

#include <functional>

// Inside the workbook module only: a quick reader of worksheet XML as
// spreadsheet writers lay it out (elements, attributes, the five entities,
// character references, comments). Anything else it does not guess at: it
// answers Unknown and the caller reads the member with the full XML reader.
namespace workbook {
namespace scan {

// TooLong: a cell's text past the longest allowed (Cell has its reference).
enum class Result { Done, Unknown, Stopped, Damaged, TooLong };

// One cell as the sheet gives it: its reference and type attributes and the
// text of its <v> or <is>; has_value false for a cell with neither.
struct Cell
{
    QByteArray ref;
    QByteArray type;
    QString value;
    bool has_value = false;
};

struct Events
{
    std::function<void()> sheet_data;
    std::function<void(const QByteArray &r)> row;   // the row's r attribute, maybe empty
    std::function<bool(const Cell &)> cell;        // false stops the scan (Stopped)
    int max_text = 0;                              // characters in a cell's text; 0: no limit
};

// Reads up to max bytes of the member into data; 0 at its end, <0 on damage.
using Read = std::function<int(char *data, int max)>;

// too_long, when given, gets the cell whose text was too long.
Result scan_sheet(const Read &read, const Events &events, Cell *too_long = nullptr);

}
}

#endif
