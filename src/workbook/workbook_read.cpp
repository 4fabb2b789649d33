// The reading side of the workbook module: the first sheet of an xlsx,
// streamed from the archive into a table of the cells it holds.
#include "workbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

#include <unzip.h>

#include "archive_member.h"
#include "sheet_scan.h"

namespace workbook {

using detail::k_sheet_cols;
using member::Bounds;
using member::MemberDevice;
using member::Zip;
using member::device_fault;
using member::open_member;
using member::parse_member;

// The reader's way into a sheet: cells that name a shared string are put in
// place first and given their text once the table is read.
class SheetFill
{
public:
    explicit SheetFill(Sheet *sheet) : m_sheet(sheet) {}
    int put(int row, int col, const QString &text) { return m_sheet->put(row, col, text); }
    void give_text(int pos, const QString &text) { m_sheet->m_cells[pos].text = text; }
    const detail::SheetCell &cell(int pos) const { return m_sheet->m_cells[pos]; }

private:
    Sheet *m_sheet;
};

namespace {

// "xl/" + target, with "../" and "./" resolved; an absolute target is
// taken from the archive's root.
QString resolve_target(const QString &base_dir, const QString &target)
{
    if (target.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(target.mid(1));
    return QDir::cleanPath(base_dir + QLatin1Char('/') + target);
}

// Column number of a reference such as "AB12" (1-based), 0 when none.
int column_of(const QStringRef &ref)
{
    int col = 0;
    for (QChar ch : ref) {
        const char c = ch.toLatin1();
        if (c >= 'A' && c <= 'Z')
            col = col * 26 + (c - 'A' + 1);
        else if (c >= 'a' && c <= 'z')
            col = col * 26 + (c - 'a' + 1);
        else
            break;
        if (col > k_sheet_cols)
            return 0;
    }
    return col;
}

int row_of(const QStringRef &ref)
{
    int i = 0;
    while (i < ref.size() && ref.at(i).isLetter())
        ++i;
    bool ok = false;
    const int row = ref.mid(i).toInt(&ok);
    return ok ? row : 0;
}

// Appends the text of the current element, children's included, to text;
// false once text is past max characters (0: no limit), or on an element
// where only text may be (when only_text).
bool element_text(QXmlStreamReader &xml, int max, bool only_text, QString *text)
{
    int depth = 1;
    while (depth > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            if (only_text) {
                xml.raiseError(QStringLiteral("Expected character data."));
                return true;
            }
            ++depth;
        } else if (xml.isEndElement()) {
            --depth;
        } else if (xml.isCharacters() || xml.isEntityReference()) {
            text->append(xml.text());
            if (max > 0 && text->size() > max)
                return false;
        }
    }
    return true;
}

// Text of the current element with every <t> inside it, phonetic runs left
// out; false once it is past max characters.
bool collect_text(QXmlStreamReader &xml, int max, QString *text)
{
    int depth = 1;
    bool in_phonetic = false;
    while (depth > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++depth;
            if (xml.name() == QLatin1String("rPh"))
                in_phonetic = true;
            else if (xml.name() == QLatin1String("t") && !in_phonetic) {
                // reads the end tag as well
                if (!element_text(xml, max, false, text))
                    return false;
                --depth;
            }
        } else if (xml.isEndElement()) {
            --depth;
            if (xml.name() == QLatin1String("rPh"))
                in_phonetic = false;
        }
    }
    return true;
}

// "AB12" for row 12, column 28.
QString cell_name(int row, int col)
{
    QString letters;
    for (; col > 0; col = (col - 1) / 26)
        letters.prepend(QChar('A' + (col - 1) % 26));
    return letters + QString::number(row);
}

}

// Plain decimal digits, as many as the double needs to come back the same:
// a reader of the text never meets an exponent it could take for a number
// of its own ("1e+25" read as 1). A value that is no finite number (out of
// range, as 1e400, or no number at all) reads as "#NUM!", as spreadsheets
// show it: a cell no reader takes for a number.
QString number_text(const QString &v)
{
    const QString t = v.trimmed();
    if (t.isEmpty())
        return v;
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (!ok || !std::isfinite(d))
        return QStringLiteral("#NUM!");
    return QString::number(d, 'f', QLocale::FloatingPointShortest);
}

bool read_first_sheet(const QString &path, Sheet *sheet, QString *error, const ReadLimits &limits)
{
    QString why;
    auto fail = [&](const QString &reason) {
        if (error)
            *error = reason;
        *sheet = Sheet();   // nothing half-read reaches the caller
        return false;
    };
    *sheet = Sheet();
    if (!QFileInfo(path).isFile())
        return fail(QStringLiteral("%1 does not exist").arg(path));

    Zip zip;
    zip.handle = unzOpen64(QFile::encodeName(path).constData());
    if (!zip.handle)
        return fail(QStringLiteral("%1 is not an xlsx workbook (not a zip archive)").arg(path));

    // The first sheet named by the workbook, through its relationship.
    QString sheet_member;
    QString rel_id;
    const QString workbook_member = QStringLiteral("xl/workbook.xml");
    if (open_member(zip.handle, workbook_member, &why)) {
        parse_member(zip.handle, workbook_member, &why, [&](QXmlStreamReader &xml) {
            while (!xml.atEnd() && rel_id.isEmpty()) {
                if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("sheet"))
                    for (const QXmlStreamAttribute &a : xml.attributes())
                        if (a.name() == QLatin1String("id"))
                            rel_id = a.value().toString();
            }
            return true;
        });
        // A sheet found before a fault further on is enough.
        if (!rel_id.isEmpty())
            why.clear();
        const QString rels_member = QStringLiteral("xl/_rels/workbook.xml.rels");
        if (why.isEmpty() && !rel_id.isEmpty() && open_member(zip.handle, rels_member, &why)) {
            parse_member(zip.handle, rels_member, &why, [&](QXmlStreamReader &rels) {
                while (!rels.atEnd() && sheet_member.isEmpty()) {
                    if (rels.readNext() == QXmlStreamReader::StartElement
                        && rels.name() == QLatin1String("Relationship")
                        && rels.attributes().value(QLatin1String("Id")) == rel_id)
                        sheet_member = resolve_target(QStringLiteral("xl"),
                                                      rels.attributes().value(QLatin1String("Target")).toString());
                }
                return true;
            });
            if (!sheet_member.isEmpty())
                why.clear();
        }
    }
    if (!why.isEmpty())
        return fail(why);
    if (sheet_member.isEmpty())
        sheet_member = QStringLiteral("xl/worksheets/sheet1.xml");

    if (!open_member(zip.handle, sheet_member, &why))
        return fail(why.isEmpty() ? QStringLiteral("%1 holds no worksheet").arg(path) : why);

    // A text past what a window writes, or a run of bytes no parser should
    // have to hold (a dozen bytes a character, room for a tag), is refused
    // as it comes.
    Bounds bounds;
    if (limits.max_text > 0)
        bounds.max_run = qint64(limits.max_text) * 12 + 4096;
    const auto too_long = [&](const QString &ref) {
        why = QStringLiteral("%1: cell %2 holds a text longer than %3 characters")
                  .arg(sheet_member, ref)
                  .arg(limits.max_text);
    };

    SheetFill fill(sheet);
    // Cells that name a shared string: their place and the string's number.
    struct SharedUse
    {
        int pos;
        int index;
    };
    QVector<SharedUse> uses;
    qint64 string_cells = 0;
    // The same text in a column row after row (a unit) is kept once.
    QVector<QString> last_in_column(64);
    bool saw_sheet_data = false;
    int row = 0;
    int col = 0;
    const auto start_row = [&](const QStringRef &r) {
        bool ok = false;
        const int n = r.toInt(&ok);
        row = ok && n > 0 ? n : row + 1;
        col = 0;
    };
    // Moves to a cell's place (its reference, else after the one before);
    // false, with the reason, once the sheet goes past the limits.
    qint64 cells_seen = 0;
    const auto place_cell = [&](const QStringRef &ref) {
        const int c = ref.isEmpty() ? 0 : column_of(ref);
        col = c > 0 ? c : col + 1;
        if (!ref.isEmpty() && row_of(ref) > 0)
            row = row_of(ref);
        if (row <= 0)
            row = 1;
        ++cells_seen;
        if (limits.max_cells > 0 && cells_seen > limits.max_cells)
            why = QStringLiteral("%1 has more than %2 cells").arg(sheet_member).arg(limits.max_cells);
        else if (limits.max_rows > 0 && row > limits.max_rows)
            why = QStringLiteral("%1 has a cell in row %2, past row %3").arg(sheet_member).arg(row).arg(limits.max_rows);
        else if (limits.max_columns > 0 && col > limits.max_columns)
            why = QStringLiteral("%1 has a cell in column %2, past column %3")
                      .arg(sheet_member)
                      .arg(col)
                      .arg(limits.max_columns);
        else
            return true;
        return false;
    };
    // A cell written again in place no longer waits for a shared string.
    const auto put = [&](const QString &text) {
        const int pos = fill.put(row, col, text);
        if (pos >= 0 && !uses.isEmpty() && uses.constLast().pos == pos)
            uses.removeLast();
        return pos;
    };
    const auto put_cell = [&](const QStringRef &ref, const QStringRef &type, const QString &value) {
        if (!place_cell(ref))
            return false;
        QString text;
        if (type == QLatin1String("s")) {
            bool ok = false;
            const int i = value.trimmed().toInt(&ok);
            if (!ok || i < 0) {
                why = QStringLiteral("%1: cell %2 names a missing shared string").arg(sheet_member, cell_name(row, col));
                return false;
            }
            ++string_cells;
            const int pos = put(QString());
            if (pos >= 0)
                uses.append(SharedUse{pos, i});
            return true;
        } else if (type == QLatin1String("inlineStr") || type == QLatin1String("str") || type == QLatin1String("e")) {
            text = value;
        } else if (type == QLatin1String("b")) {
            text = value.trimmed() == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        } else {
            text = number_text(value);
        }
        if (col <= last_in_column.size()) {
            QString &last = last_in_column[col - 1];
            if (last == text)
                text = last;
            else
                last = text;
        }
        put(text);
        return true;
    };

    // The quick scan first; what it does not know the XML reader reads.
    scan::Events events;
    events.max_text = limits.max_text;
    events.sheet_data = [&] { saw_sheet_data = true; };
    events.row = [&](const QByteArray &r) {
        const QString text = QString::fromLatin1(r);
        start_row(QStringRef(&text));
    };
    events.cell = [&](const scan::Cell &c) {
        const QString ref = QString::fromLatin1(c.ref);
        if (!c.has_value)
            return place_cell(QStringRef(&ref));
        const QString type = QString::fromLatin1(c.type);
        return put_cell(QStringRef(&ref), QStringRef(&type), c.value);
    };
    {
        MemberDevice device(zip.handle, bounds.max_run);
        device.open(QIODevice::ReadOnly);
        scan::Cell long_cell;
        const scan::Result quick = scan::scan_sheet(
            [&](char *data, int max) { return int(device.read(data, max)); }, events, &long_cell);
        unzCloseCurrentFile(zip.handle);
        if (quick == scan::Result::Stopped)
            return fail(why);
        if (quick == scan::Result::TooLong) {
            too_long(long_cell.ref.isEmpty() ? cell_name(row, col + 1) : QString::fromLatin1(long_cell.ref));
            return fail(why);
        }
        if (quick == scan::Result::Damaged)
            return fail(device_fault(sheet_member, device, bounds));
        if (quick == scan::Result::Done && !saw_sheet_data)
            return fail(QStringLiteral("%1 holds no sheet data").arg(sheet_member));
        if (quick != scan::Result::Done) {
            *sheet = Sheet();
            uses.clear();
            string_cells = 0;
            last_in_column.fill(QString());
            saw_sheet_data = false;
            row = col = 0;
            cells_seen = 0;
        }
        if (quick != scan::Result::Done && !open_member(zip.handle, sheet_member, &why))
            return fail(why.isEmpty() ? QStringLiteral("%1 holds no worksheet").arg(path) : why);
        if (quick != scan::Result::Done) {
            const bool parsed = parse_member(zip.handle, sheet_member, &why, [&](QXmlStreamReader &xml) {
                while (!xml.atEnd()) {
                    xml.readNext();
                    if (!xml.isStartElement())
                        continue;
                    if (xml.name() == QLatin1String("sheetData")) {
                        saw_sheet_data = true;
                    } else if (xml.name() == QLatin1String("row")) {
                        start_row(xml.attributes().value(QLatin1String("r")));
                    } else if (xml.name() == QLatin1String("c")) {
                        const QXmlStreamAttributes attrs = xml.attributes();
                        const QStringRef ref = attrs.value(QLatin1String("r"));
                        const QStringRef type = attrs.value(QLatin1String("t"));
                        QString value;
                        bool has_value = false;
                        // The cell's children: <v>, <is>, <f>.
                        while (!xml.atEnd()) {
                            xml.readNext();
                            if (xml.isEndElement() && xml.name() == QLatin1String("c"))
                                break;
                            if (!xml.isStartElement())
                                continue;
                            bool within = true;
                            if (xml.name() == QLatin1String("v")) {
                                value.clear();
                                within = element_text(xml, limits.max_text, true, &value);
                                has_value = true;
                            } else if (xml.name() == QLatin1String("is")) {
                                value.clear();
                                within = collect_text(xml, limits.max_text, &value);
                                has_value = true;
                            }
                            if (!within) {
                                too_long(ref.isEmpty() ? cell_name(row, col + 1) : ref.toString());
                                return false;
                            }
                        }
                        if (!has_value) {
                            if (!place_cell(ref))
                                return false;
                            continue;
                        }
                        if (!put_cell(ref, type, value))
                            return false;
                    }
                }
                return true;
            }, bounds);
            if (!parsed)
                return fail(why);
            if (!saw_sheet_data)
                return fail(QStringLiteral("%1 holds no sheet data").arg(sheet_member));
        }
    }
    if (string_cells == 0)
        return true;   // inline strings need no table

    // The shared strings, read after the sheet: a window's writer lists only
    // strings its cells use, so a table far longer than the cells naming one
    // is refused before it costs more than they do.
    const qint64 most_strings = limits.max_unused_strings >= 0 ? string_cells + limits.max_unused_strings : 0;
    Bounds shared_bounds = bounds;
    if (most_strings > 0 && bounds.max_run > 0)
        shared_bounds.budget = (most_strings + 1) * bounds.max_run;
    QVector<QString> shared;
    const QString shared_member = QStringLiteral("xl/sharedStrings.xml");
    if (open_member(zip.handle, shared_member, &why)) {
        parse_member(zip.handle, shared_member, &why, [&](QXmlStreamReader &xml) {
            while (!xml.atEnd()) {
                if (xml.readNext() != QXmlStreamReader::StartElement || xml.name() != QLatin1String("si"))
                    continue;
                if (most_strings > 0 && shared.size() >= most_strings) {
                    why = QStringLiteral("%1 lists more than %2 strings, for %3 cells that name one")
                              .arg(shared_member)
                              .arg(most_strings)
                              .arg(string_cells);
                    return false;
                }
                QString text;
                if (!collect_text(xml, limits.max_text, &text)) {
                    why = QStringLiteral("%1: string %2 is longer than %3 characters")
                              .arg(shared_member)
                              .arg(shared.size())
                              .arg(limits.max_text);
                    return false;
                }
                shared.append(text);
            }
            return true;
        }, shared_bounds);
    }
    if (!why.isEmpty())
        return fail(why);
    for (const SharedUse &u : uses) {
        if (u.index >= shared.size()) {
            const detail::SheetCell &c = fill.cell(u.pos);
            return fail(QStringLiteral("%1: cell %2 names a missing shared string")
                            .arg(sheet_member, cell_name(c.row, c.col)));
        }
        fill.give_text(u.pos, shared[u.index]);
    }
    return true;
}

}
