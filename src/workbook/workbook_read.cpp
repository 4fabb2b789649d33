// The reading side of the workbook module: the first sheet of an xlsx,
// streamed from the archive into a table of the cells it holds.
#include "workbook.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QLocale>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>

#include <unzip.h>

#include "sheet_scan.h"

namespace workbook {

namespace {

const int k_sheet_rows = 1048576;
const int k_sheet_cols = 16384;
const qint64 k_member_limit = 512ll << 20;   // refuse absurd archive members

}

// ---------------------------------------------------------------- the sheet

void Sheet::set(int row, int col, const QString &text)
{
    if (row < 1 || col < 1 || row > k_sheet_rows || col > k_sheet_cols)
        return;
    if (!m_cells.isEmpty()) {
        Cell &last = m_cells.last();
        if (row == last.row && col == last.col) {
            last.text = text;   // the same cell again costs no room
            return;
        }
        if (row < last.row || (row == last.row && col < last.col))
            m_sorted = false;
    }
    m_cells.append(Cell{row, col, text});
    m_index.clear();
    m_last_row = std::max(m_last_row, row);
    m_last_col = std::max(m_last_col, col);
}

// Cells in row then column order, a later write of a cell winning; then one
// index entry per row that holds a cell.
void Sheet::build_index() const
{
    if (!m_index.isEmpty() || m_cells.isEmpty())
        return;
    if (!m_sorted) {
        std::stable_sort(m_cells.begin(), m_cells.end(), [](const Cell &a, const Cell &b) {
            return a.row != b.row ? a.row < b.row : a.col < b.col;
        });
        int kept = 0;
        for (int i = 0; i < m_cells.size(); ++i) {
            if (kept > 0 && m_cells[kept - 1].row == m_cells[i].row && m_cells[kept - 1].col == m_cells[i].col)
                m_cells[kept - 1] = m_cells[i];
            else
                m_cells[kept++] = m_cells[i];
        }
        m_cells.resize(kept);
        m_sorted = true;
    }
    for (int i = 0; i < m_cells.size(); ++i)
        if (m_index.isEmpty() || m_cells[i].row != m_index.constLast().row)
            m_index.append(RowStart{m_cells[i].row, i});
}

// Position in the cells of the row's first cell, and one past its last; an
// empty span for a row without cells.
std::pair<int, int> Sheet::span(int row) const
{
    build_index();
    const auto it = std::lower_bound(m_index.cbegin(), m_index.cend(), row,
                                     [](const RowStart &s, int r) { return s.row < r; });
    if (it == m_index.cend() || it->row != row)
        return {0, 0};
    const auto next = it + 1;
    return {it->first, next == m_index.cend() ? int(m_cells.size()) : next->first};
}

QString Sheet::cell(int row, int col) const
{
    const std::pair<int, int> s = span(row);
    const auto begin = m_cells.cbegin() + s.first;
    const auto end = m_cells.cbegin() + s.second;
    const auto it = std::lower_bound(begin, end, col, [](const Cell &c, int k) { return c.col < k; });
    return it != end && it->col == col ? it->text : QString();
}

QStringList Sheet::row(int row) const
{
    const std::pair<int, int> s = span(row);
    QStringList out;
    for (int i = s.first; i < s.second; ++i) {
        while (out.size() < m_cells[i].col - 1)
            out.append(QString());
        out.append(m_cells[i].text);
    }
    return out;
}

QVector<int> Sheet::rows() const
{
    build_index();
    QVector<int> out;
    out.reserve(m_index.size());
    for (const RowStart &s : m_index)
        out.append(s.row);
    return out;
}

// ---------------------------------------------------------------- reading

namespace {

struct Zip
{
    unzFile handle = nullptr;
    ~Zip() { if (handle) unzClose(handle); }
};

// The open member of the archive as a device, read as the parser asks for
// it; a member beyond the limit or damaged reads as an error.
class MemberDevice : public QIODevice
{
public:
    explicit MemberDevice(unzFile zip) : m_zip(zip) {}
    bool isSequential() const override { return true; }
    bool failed() const { return m_failed; }

protected:
    qint64 readData(char *data, qint64 max) override
    {
        if (m_failed || m_done)
            return m_failed ? -1 : 0;
        if (max <= 0)
            return 0;   // an empty read is no end
        const int n = unzReadCurrentFile(m_zip, data, unsigned(std::min<qint64>(max, 1 << 20)));
        if (n < 0 || (m_total += n) > k_member_limit) {
            m_failed = true;
            return -1;
        }
        if (n == 0)
            m_done = true;
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    unzFile m_zip;
    qint64 m_total = 0;
    bool m_failed = false;
    bool m_done = false;
};

// Opens a member of the archive; false when it is missing (error left empty)
// or cannot be opened (error set).
bool open_member(unzFile zip, const QString &name, QString *error)
{
    if (unzLocateFile(zip, name.toUtf8().constData(), 0) != UNZ_OK)
        return false;
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK
        || qint64(info.uncompressed_size) > k_member_limit) {
        *error = QStringLiteral("%1 cannot be read").arg(name);
        return false;
    }
    if (unzOpenCurrentFile(zip) != UNZ_OK) {
        *error = QStringLiteral("%1 cannot be opened").arg(name);
        return false;
    }
    return true;
}

// Parses one member with parse(xml) as it streams; false with a reason when
// the member is damaged or its XML broken.
template <class Parse>
bool parse_member(unzFile zip, const QString &name, QString *error, Parse parse)
{
    MemberDevice device(zip);
    device.open(QIODevice::ReadOnly);
    QXmlStreamReader xml(&device);
    const bool parsed = parse(xml);
    const bool damaged = device.failed();
    const int closed = unzCloseCurrentFile(zip);
    if (damaged || closed != UNZ_OK) {
        *error = QStringLiteral("%1 is damaged").arg(name);
        return false;
    }
    if (xml.hasError()) {
        *error = QStringLiteral("%1: %2 (line %3)").arg(name, xml.errorString()).arg(xml.lineNumber());
        return false;
    }
    if (!parsed && error->isEmpty())
        *error = QStringLiteral("%1 cannot be read").arg(name);
    return parsed;
}

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

// Text of the current element with every <t> inside it, phonetic runs left out.
QString collect_text(QXmlStreamReader &xml)
{
    QString text;
    int depth = 1;
    bool in_phonetic = false;
    while (depth > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++depth;
            if (xml.name() == QLatin1String("rPh"))
                in_phonetic = true;
            else if (xml.name() == QLatin1String("t") && !in_phonetic) {
                // readElementText consumes the end tag as well
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
                --depth;
            }
        } else if (xml.isEndElement()) {
            --depth;
            if (xml.name() == QLatin1String("rPh"))
                in_phonetic = false;
        }
    }
    return text;
}

}

// Plain decimal digits, as many as the double needs to come back the same;
// only magnitudes no instrument gives keep an exponent.
QString number_text(const QString &v)
{
    bool ok = false;
    const double d = v.trimmed().toDouble(&ok);
    if (!ok)
        return v;
    const double a = std::fabs(d);
    const bool plain = a == 0 || (a >= 1e-15 && a < 1e21);
    return QString::number(d, plain ? 'f' : 'g', QLocale::FloatingPointShortest);
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

    // Shared strings are optional (inline strings need none).
    QStringList shared;
    const QString shared_member = QStringLiteral("xl/sharedStrings.xml");
    if (open_member(zip.handle, shared_member, &why)) {
        parse_member(zip.handle, shared_member, &why, [&](QXmlStreamReader &xml) {
            while (!xml.atEnd()) {
                if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("si"))
                    shared.append(collect_text(xml));
            }
            return true;
        });
    }
    if (!why.isEmpty())
        return fail(why);

    if (!open_member(zip.handle, sheet_member, &why))
        return fail(why.isEmpty() ? QStringLiteral("%1 holds no worksheet").arg(path) : why);

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
    const auto put_cell = [&](const QStringRef &ref, const QStringRef &type, const QString &value) {
        if (!place_cell(ref))
            return false;
        QString text;
        if (type == QLatin1String("s")) {
            bool ok = false;
            const int i = value.trimmed().toInt(&ok);
            if (!ok || i < 0 || i >= shared.size()) {
                why = QStringLiteral("%1: cell %2 names a missing shared string").arg(sheet_member, ref.toString());
                return false;
            }
            text = shared[i];
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
        sheet->set(row, col, text);
        return true;
    };

    // The quick scan first; what it does not know the XML reader reads.
    scan::Events events;
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
    MemberDevice device(zip.handle);
    device.open(QIODevice::ReadOnly);
    const scan::Result quick = scan::scan_sheet(
        [&](char *data, int max) { return int(device.read(data, max)); }, events);
    unzCloseCurrentFile(zip.handle);
    if (quick == scan::Result::Stopped)
        return fail(why);
    if (quick == scan::Result::Damaged)
        return fail(QStringLiteral("%1 is damaged").arg(sheet_member));
    if (quick == scan::Result::Done) {
        if (!saw_sheet_data)
            return fail(QStringLiteral("%1 holds no sheet data").arg(sheet_member));
        return true;
    }
    *sheet = Sheet();
    last_in_column.fill(QString());
    saw_sheet_data = false;
    row = col = 0;
    cells_seen = 0;
    if (!open_member(zip.handle, sheet_member, &why))
        return fail(why.isEmpty() ? QStringLiteral("%1 holds no worksheet").arg(path) : why);

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
                    if (xml.name() == QLatin1String("v")) {
                        value = xml.readElementText();
                        has_value = true;
                    } else if (xml.name() == QLatin1String("is")) {
                        value = collect_text(xml);
                        has_value = true;
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
    });
    if (!parsed)
        return fail(why);
    if (!saw_sheet_data)
        return fail(QStringLiteral("%1 holds no sheet data").arg(sheet_member));
    return true;
}

}
