#ifndef FRAME_PAGED_TABLE_H
#define FRAME_PAGED_TABLE_H

// Table printing one page at a time. The pages look as the datasheet text
// printed through a QTextDocument did (title over the first page, the heading
// row under it, the rows, page numbers at the foot), but only one page is laid
// out and painted at a time, so a long table costs no more than its pages.
#include <QString>
#include <QStringList>

#include <functional>

class QPrinter;

namespace frame {

struct PrintedTable
{
    QString title;              // over the first page
    QStringList headings;       // the heading row, left to right
    int rows = 0;
    int columns = 0;
    std::function<QString(int row, int column)> text;   // plain text, printed as it stands
    std::function<bool(int row, int column)> alarm;     // a red cell; may be empty
    bool centred = true;        // cells centred in their column, else from its left
};

// Paints the table on the printer. The printer's page range and copies are
// honoured. False (and a debug line) when the printer cannot be painted on.
bool print_paged_table(QPrinter *printer, const PrintedTable &table);

}

#endif
