#include "frame/paged_table.h"

#include <QDebug>
#include <QCursor>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <vector>

namespace frame {

namespace {

// Sizes in pixels at 96 dots per inch, scaled to the printer: the page
// geometry of the datasheet as the rich-text printer laid it out.
constexpr double page_margin_cm = 2.0;
constexpr double table_width_px = 576;   // the datasheet's inner table, as laid out
constexpr double cell_padding_px = 0.48;

struct Layout
{
    QFont font, title_font;
    QRectF content;              // the page inside its margins
    std::vector<double> x;       // column edges, columns + 1 of them
    double pad = 0;              // inside a cell, above and below its text
    double row_height = 0;       // of a row without wrapped text
    double ascent = 0;
    std::vector<float> widths;   // of each cell's text, row by row
    bool wrap = false;           // columns narrower than their texts
    double title_height = 0;
};

double text_width(const QFontMetricsF &fm, const QString &s)
{
    return s.isEmpty() ? 0.0 : fm.horizontalAdvance(s);
}

Layout lay_out(QPrinter *printer, const PrintedTable &t)
{
    Layout l;
    const double dpi = printer->logicalDpiY();
    const double s = dpi / 96.0;
    const double margin = int(page_margin_cm / 2.54 * 96) * s;
    l.content = QRectF(0, 0, printer->width(), printer->height()).adjusted(margin, margin, -margin, -margin);
    l.font = QFont();
    l.title_font = l.font;
    l.title_font.setBold(true);
    if (l.font.pointSizeF() > 0)
        l.title_font.setPointSizeF(l.font.pointSizeF() * 2);
    else
        l.title_font.setPixelSize(l.font.pixelSize() * 2);
    const QFontMetricsF fm(l.font, printer);
    const QFontMetricsF title_fm(l.title_font, printer);
    l.pad = cell_padding_px * s;
    l.row_height = fm.lineSpacing() + 2 * l.pad;
    l.ascent = fm.ascent();
    l.title_height = t.title.isEmpty() ? 0 : title_fm.lineSpacing();

    // Each column as wide as its widest text; room left over in the table is
    // shared out evenly, as the rich-text table did.
    const int columns = std::max(t.columns, int(t.headings.size()));
    std::vector<double> natural(columns, 0.0);
    for (int c = 0; c < t.headings.size(); ++c)
        natural[c] = text_width(fm, t.headings[c]);
    l.widths.reserve(size_t(t.rows) * size_t(t.columns));
    for (int r = 0; r < t.rows; ++r)
        for (int c = 0; c < t.columns; ++c) {
            const double w = text_width(fm, t.text(r, c));
            l.widths.push_back(float(w));
            natural[c] = std::max(natural[c], w);
        }
    const double pads = 2 * 4 * s;   // a little air between neighbouring texts
    double sum = 0;
    for (double &w : natural) {
        w += pads;
        sum += w;
    }
    const double room = std::min(table_width_px * s, l.content.width());
    const double page_room = l.content.width();
    double scale = 1, extra = 0;
    if (sum > page_room) {
        scale = page_room / sum;   // too wide for the page: texts wrap in narrower columns
        l.wrap = true;
    } else if (sum < room && columns > 0) {
        extra = (room - sum) / columns;
    }
    l.x.assign(1, l.content.left());
    for (double w : natural)
        l.x.push_back(l.x.back() + w * scale + extra);
    return l;
}

int text_flags(const Layout &l, const PrintedTable &t)
{
    return (t.centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop | (l.wrap ? Qt::TextWrapAnywhere : 0);
}

QRectF cell_text_rect(const Layout &l, int c, double top, double height)
{
    return QRectF(l.x[c], top + l.pad, l.x[c + 1] - l.x[c], height - 2 * l.pad);
}

double row_height(QPainter &p, const Layout &l, const PrintedTable &t, const QStringList &cells)
{
    if (!l.wrap)
        return l.row_height;
    double h = l.row_height;
    const int flags = text_flags(l, t);
    for (int c = 0; c < cells.size(); ++c) {
        const QRectF space(0, 0, l.x[c + 1] - l.x[c], 1e6);
        h = std::max(h, p.boundingRect(space, flags, cells[c]).height() + 2 * l.pad);
    }
    return h;
}

// A row of cells; row -1 is the heading row. Texts that fit their column
// are placed by hand from the widths measured once: much cheaper than a
// text layout per cell.
void draw_row(QPainter &p, const Layout &l, const PrintedTable &t, const QStringList &cells, int row, double top,
              double height)
{
    const int flags = text_flags(l, t);
    const QFontMetricsF fm(p.font(), p.device());
    for (int c = 0; c < cells.size(); ++c) {
        if (row >= 0 && t.alarm && t.alarm(row, c))
            p.fillRect(QRectF(l.x[c], top, l.x[c + 1] - l.x[c], height), Qt::red);
        if (cells[c].isEmpty())
            continue;
        if (l.wrap) {
            p.drawText(cell_text_rect(l, c, top, height), flags, cells[c]);
            continue;
        }
        double x = l.x[c];
        if (t.centred) {
            const double w = row >= 0 ? l.widths[size_t(row) * size_t(t.columns) + size_t(c)]
                                      : fm.horizontalAdvance(cells[c]);
            x += (l.x[c + 1] - l.x[c] - w) / 2;
        }
        p.drawText(QPointF(x, top + l.pad + l.ascent), cells[c]);
    }
}

QStringList row_texts(const PrintedTable &t, int row)
{
    QStringList cells;
    cells.reserve(t.columns);
    for (int c = 0; c < t.columns; ++c)
        cells << t.text(row, c);
    return cells;
}

// Lays the pages out row by row and paints those in [from, to] (1-based).
void paint_pages(QPrinter *printer, QPainter &p, const Layout &l, const PrintedTable &t, int from, int to,
                 bool &first_painted)
{
    const double bottom = l.content.bottom() + 0.01;   // a row that ends on the edge fits
    int page = 1;
    auto painting = [&] { return page >= from && (to == 0 || page <= to); };
    auto start_page = [&] {
        if (!painting())
            return;
        if (first_painted)
            printer->newPage();
        first_painted = true;
    };
    auto end_page = [&] {
        if (!painting())
            return;
        // The page number at the foot, right-aligned under the text's edge.
        p.setFont(l.font);
        const QString number = QString::number(page);
        const QFontMetricsF fm(l.font, printer);
        p.drawText(QPointF(l.content.right() - fm.horizontalAdvance(number),
                           l.content.bottom() + fm.ascent() + 5 * printer->logicalDpiY() / 72.0),
                   number);
    };

    start_page();
    double y = l.content.top();
    if (!t.title.isEmpty()) {
        if (painting()) {
            p.setFont(l.title_font);
            p.drawText(QRectF(l.content.left(), y, l.content.width(), l.title_height),
                       Qt::AlignHCenter | Qt::AlignTop, t.title);
        }
        y += l.title_height;
    }
    p.setFont(l.font);
    if (!t.headings.isEmpty()) {
        const double h = row_height(p, l, t, t.headings);
        if (painting())
            draw_row(p, l, t, t.headings, -1, y, h);
        y += h;
    }
    for (int r = 0; r < t.rows; ++r) {
        const QStringList cells = row_texts(t, r);
        const double h = row_height(p, l, t, cells);
        if (y + h > bottom && y > l.content.top()) {
            end_page();
            ++page;
            if (to != 0 && page > to)
                return;
            start_page();
            p.setFont(l.font);
            y = l.content.top();
        }
        if (painting())
            draw_row(p, l, t, cells, r, y, h);
        y += h;
    }
    end_page();
}

}

bool print_paged_table(QPrinter *printer, const PrintedTable &table)
{
    // A preview of many pages takes a while: show that the program is busy.
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    struct Restore
    {
        ~Restore() { QGuiApplication::restoreOverrideCursor(); }
    } restore;
    QPainter painter;
    if (!painter.begin(printer)) {
        qDebug() << "failed to open file, is it writable?";
        return false;
    }
    const Layout layout = lay_out(printer, table);
    int from = printer->fromPage(), to = printer->toPage();
    if (from == 0 && to == 0)
        from = 1;
    from = std::max(from, 1);
    // A printer that cannot make copies itself gets each copy painted.
    const int copies = printer->supportsMultipleCopies() ? 1 : std::max(printer->copyCount(), 1);
    bool first_painted = false;
    for (int copy = 0; copy < copies; ++copy)
        paint_pages(printer, painter, layout, table, from, to, first_painted);
    painter.end();
    return true;
}

}
