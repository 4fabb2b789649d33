#include "workbook.h"

#include "common/safe_file.h"

#include <QFile>
#include <QFileInfo>
#include <QDir>
#include <QLocale>
#include <QMap>
#include <QTemporaryFile>
#include <QXmlStreamReader>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

#include <unzip.h>
#include <xlsxwriter.h>

namespace workbook {

namespace {

const int k_max_rows = 1048576;
const int k_max_cols = 16384;
const int k_max_string = 32767;          // characters a cell may hold
const qint64 k_max_entry = 512ll << 20;  // refuse absurd archive members

}

// ---------------------------------------------------------------- writing

// Rows go to libxlsxwriter as they are completed; only the last rows stay
// in memory, so a cell rewritten or written a little out of order still
// lands, and a week of readings needs no more memory than a minute's.
namespace {
const int k_open_rows = 64;   // rows kept before the oldest is streamed
}

struct Writer::Stream
{
    QTemporaryFile file{QDir::tempPath() + QStringLiteral("/sensavo-XXXXXX.xlsx")};
    lxw_workbook *book = nullptr;
    lxw_worksheet *sheet = nullptr;
    std::map<QRgb, lxw_format *> fills;
    lxw_error status = LXW_NO_ERROR;
    int merged_up_to = 0;     // merges are written with the first row they start in
    QByteArray utf8;          // reused for every string

    ~Stream()
    {
        if (book)
            workbook_close(book);   // a writer dropped unsaved: nothing is kept
    }
    void note(lxw_error e)
    {
        if (e != LXW_NO_ERROR && status == LXW_NO_ERROR)
            status = e;
    }
    lxw_format *format(const QRgb fill)
    {
        const QRgb rgb = fill & 0xFFFFFF;
        auto it = fills.find(rgb);
        if (it != fills.end())
            return it->second;
        lxw_format *f = workbook_add_format(book);
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_bg_color(f, rgb);
        fills[rgb] = f;
        return f;
    }
};

Writer::Writer() = default;
Writer::~Writer() = default;

void Writer::put(int row, const Cell &cell)
{
    if (row < 1 || cell.col < 1 || m_finished)
        return;
    ++m_written;
    if (row > k_max_rows || cell.col > k_max_cols) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("cell outside the sheet (row %1, column %2)").arg(row).arg(cell.col);
        return;
    }
    if (row <= m_streamed_up_to) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("cell at row %1, column %2 written after its row was saved").arg(row).arg(cell.col);
        return;
    }
    QVector<Cell> &cells = m_rows[row];
    // Cells keep column order; a later write of the same cell wins.
    auto at = cells.end();
    while (at != cells.begin() && (at - 1)->col > cell.col)
        --at;
    if (at != cells.begin() && (at - 1)->col == cell.col)
        *(at - 1) = cell;
    else
        cells.insert(at, cell);
    while (int(m_rows.size()) > k_open_rows)
        stream_first_row();
}

void Writer::write_string(int row, int col, const QString &text, const QColor &fill)
{
    put(row, Cell{col, 0.0, text, fill.isValid() ? fill.rgb() : 0u, fill.isValid(), false});
}

void Writer::write_number(int row, int col, double value, const QColor &fill)
{
    // A sheet has no infinite or undefined numbers; other readers reject the file.
    if (!std::isfinite(value)) {
        write_string(row, col, QString::number(value), fill);
        return;
    }
    put(row, Cell{col, value, QString(), fill.isValid() ? fill.rgb() : 0u, fill.isValid(), true});
}

void Writer::merge(int first_row, int first_col, int last_row, int last_col, bool keep_covered)
{
    if (first_row > last_row)
        std::swap(first_row, last_row);
    if (first_col > last_col)
        std::swap(first_col, last_col);
    if (first_row < 1 || first_col < 1 || (first_row == last_row && first_col == last_col))
        return;
    if (last_row > k_max_rows || last_col > k_max_cols) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("merged range outside the sheet");
        return;
    }
    m_merges.append(Range{first_row, first_col, last_row, last_col, keep_covered});
}

bool Writer::open_stream()
{
    if (m_stream)
        return m_stream->book != nullptr;
    m_stream.reset(new Stream);
    if (!m_stream->file.open()) {
        m_error = QStringLiteral("cannot create a temporary file in %1").arg(QDir::tempPath());
        return false;
    }
    m_stream->file.close();   // libxlsxwriter writes it by name when it closes
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    m_stream->book = workbook_new_opt(QFile::encodeName(m_stream->file.fileName()).constData(), &options);
    if (m_stream->book)
        m_stream->sheet = workbook_add_worksheet(m_stream->book, nullptr);
    if (!m_stream->sheet) {
        m_error = QStringLiteral("cannot create the workbook");
        return false;
    }
    return true;
}

void Writer::write_merges(int upto_row)
{
    Stream &s = *m_stream;
    for (const Range &r : m_merges)
        if (r.first_row > s.merged_up_to && r.first_row <= upto_row)
            // The range is kept even where its (empty) covered cells
            // cannot be written any more, so the result is not checked.
            worksheet_merge_range(s.sheet, lxw_row_t(r.first_row - 1), lxw_col_t(r.first_col - 1),
                                  lxw_row_t(r.last_row - 1), lxw_col_t(r.last_col - 1), "", nullptr);
    s.merged_up_to = std::max(s.merged_up_to, upto_row);
}

// Covered cells of a merge are left empty; the top-left keeps its value.
bool Writer::covered(int row, int col) const
{
    for (const Range &r : m_merges)
        if (!r.keep_covered && row >= r.first_row && row <= r.last_row && col >= r.first_col && col <= r.last_col
            && !(row == r.first_row && col == r.first_col))
            return true;
    return false;
}

void Writer::stream_first_row()
{
    const auto first = m_rows.begin();
    const int row_number = first->first;
    m_streamed_up_to = row_number;
    if (!open_stream()) {
        m_rows.erase(first);
        return;
    }
    Stream &s = *m_stream;
    const bool any_merge = !m_merges.isEmpty();
    if (any_merge)
        write_merges(row_number);
    const lxw_row_t row = lxw_row_t(row_number - 1);
    for (const Cell &c : first->second) {
        if (any_merge && covered(row_number, c.col))
            continue;
        lxw_format *f = c.has_fill ? s.format(c.fill) : nullptr;
        const lxw_col_t col = lxw_col_t(c.col - 1);
        if (c.is_number) {
            s.note(worksheet_write_number(s.sheet, row, col, c.number, f));
        } else if (c.text.isEmpty()) {
            if (f)
                s.note(worksheet_write_blank(s.sheet, row, col, f));
        } else {
            s.utf8 = c.text.leftRef(k_max_string).toUtf8();
            s.note(worksheet_write_string(s.sheet, row, col, s.utf8.constData(), f));
        }
    }
    m_rows.erase(first);
}

bool Writer::finish()
{
    if (m_finished)
        return m_error.isEmpty();
    m_finished = true;
    while (!m_rows.empty())
        stream_first_row();
    if (!m_error.isEmpty() || !open_stream())
        return false;
    if (!m_merges.isEmpty())
        write_merges(k_max_rows);
    Stream &s = *m_stream;
    const lxw_error closed = workbook_close(s.book);
    s.book = nullptr;
    if (closed != LXW_NO_ERROR || s.status != LXW_NO_ERROR)
        m_error = QString::fromUtf8(lxw_strerror(closed != LXW_NO_ERROR ? closed : s.status));
    return m_error.isEmpty();
}

bool Writer::save(const QString &path, QString *error)
{
    if (path.isEmpty()) {
        if (error)
            *error = QStringLiteral("no file name");
        return false;
    }
    if (!finish()) {
        if (error)
            *error = m_error;
        return false;
    }
    // The finished workbook is copied beside the target and renamed over it,
    // so a failure never leaves a half-written workbook under the name.
    const QString finished = m_stream->file.fileName();
    return safe_file::replace(path, [&finished](const QString &temp, QString *why) {
        return safe_file::copy_into(finished, temp, why);
    }, error);
}

// ---------------------------------------------------------------- the sheet

int Sheet::column_count() const
{
    int n = 0;
    for (const QStringList &r : m_rows)
        n = std::max(n, int(r.size()));
    return n;
}

QString Sheet::cell(int row, int col) const
{
    if (row < 1 || row > m_rows.size())
        return QString();
    const QStringList &r = m_rows[row - 1];
    return col >= 1 && col <= r.size() ? r[col - 1] : QString();
}

QStringList Sheet::row(int row) const
{
    return row >= 1 && row <= m_rows.size() ? m_rows[row - 1] : QStringList();
}

void Sheet::set(int row, int col, const QString &text)
{
    if (row < 1 || col < 1 || row > k_max_rows || col > k_max_cols)
        return;
    if (m_rows.size() < row)
        m_rows.resize(row);
    QStringList &r = m_rows[row - 1];
    while (r.size() < col)
        r.append(QString());
    r[col - 1] = text;
}

// ---------------------------------------------------------------- reading

namespace {

struct Zip
{
    unzFile handle = nullptr;
    ~Zip() { if (handle) unzClose(handle); }
};

// Reads one member of the archive; false when it is missing or unreadable.
bool read_member(unzFile zip, const QString &name, QByteArray *data, QString *error)
{
    if (unzLocateFile(zip, name.toUtf8().constData(), 0) != UNZ_OK)
        return false;
    unz_file_info64 info;
    if (unzGetCurrentFileInfo64(zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK
        || qint64(info.uncompressed_size) > k_max_entry) {
        *error = QStringLiteral("%1 cannot be read").arg(name);
        return false;
    }
    if (unzOpenCurrentFile(zip) != UNZ_OK) {
        *error = QStringLiteral("%1 cannot be opened").arg(name);
        return false;
    }
    data->clear();
    data->reserve(int(info.uncompressed_size));
    char buf[65536];
    int n;
    while ((n = unzReadCurrentFile(zip, buf, sizeof buf)) > 0) {
        if (data->size() + qint64(n) > k_max_entry)
            break;
        data->append(buf, n);
    }
    const int closed = unzCloseCurrentFile(zip);
    if (n < 0 || closed != UNZ_OK) {
        *error = QStringLiteral("%1 is damaged").arg(name);
        return false;
    }
    return true;
}

QString xml_failure(const QString &member, const QXmlStreamReader &xml)
{
    return QStringLiteral("%1: %2 (line %3)").arg(member, xml.errorString()).arg(xml.lineNumber());
}

// "xl/" + target, with "../" and "./" resolved; an absolute target is
// taken from the archive's root.
QString resolve_target(const QString &base_dir, const QString &target)
{
    QString t = target;
    if (t.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(t.mid(1));
    return QDir::cleanPath(base_dir + QLatin1Char('/') + t);
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
        if (col > k_max_cols)
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

QString number_text(const QString &v)
{
    bool ok = false;
    const double d = v.trimmed().toDouble(&ok);
    if (!ok)
        return v;
    return QString::number(d, 'g', QLocale::FloatingPointShortest);
}

}

bool read_first_sheet(const QString &path, Sheet *sheet, QString *error)
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
    QByteArray data;
    if (read_member(zip.handle, QStringLiteral("xl/workbook.xml"), &data, &why)) {
        QString rel_id;
        QXmlStreamReader xml(data);
        while (!xml.atEnd() && rel_id.isEmpty()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("sheet")) {
                for (const QXmlStreamAttribute &a : xml.attributes())
                    if (a.name() == QLatin1String("id"))
                        rel_id = a.value().toString();
            }
        }
        if (xml.hasError() && rel_id.isEmpty())
            return fail(xml_failure(QStringLiteral("xl/workbook.xml"), xml));
        if (!rel_id.isEmpty()
            && read_member(zip.handle, QStringLiteral("xl/_rels/workbook.xml.rels"), &data, &why)) {
            QXmlStreamReader rels(data);
            while (!rels.atEnd() && sheet_member.isEmpty()) {
                if (rels.readNext() == QXmlStreamReader::StartElement
                    && rels.name() == QLatin1String("Relationship")
                    && rels.attributes().value(QLatin1String("Id")) == rel_id)
                    sheet_member = resolve_target(QStringLiteral("xl"),
                                                  rels.attributes().value(QLatin1String("Target")).toString());
            }
            if (rels.hasError() && sheet_member.isEmpty())
                return fail(xml_failure(QStringLiteral("xl/_rels/workbook.xml.rels"), rels));
        }
    }
    if (!why.isEmpty())
        return fail(why);
    if (sheet_member.isEmpty())
        sheet_member = QStringLiteral("xl/worksheets/sheet1.xml");

    // Shared strings are optional (inline strings need none).
    QStringList shared;
    if (read_member(zip.handle, QStringLiteral("xl/sharedStrings.xml"), &data, &why)) {
        QXmlStreamReader xml(data);
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("si"))
                shared.append(collect_text(xml));
        }
        if (xml.hasError())
            return fail(xml_failure(QStringLiteral("xl/sharedStrings.xml"), xml));
    }
    if (!why.isEmpty())
        return fail(why);

    if (!read_member(zip.handle, sheet_member, &data, &why))
        return fail(why.isEmpty() ? QStringLiteral("%1 holds no worksheet").arg(path) : why);

    QXmlStreamReader xml(data);
    data = QByteArray();
    int row = 0;
    int col = 0;
    bool saw_sheet_data = false;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("sheetData")) {
            saw_sheet_data = true;
        } else if (xml.name() == QLatin1String("row")) {
            const QStringRef r = xml.attributes().value(QLatin1String("r"));
            bool ok = false;
            const int n = r.toInt(&ok);
            row = ok && n > 0 ? n : row + 1;
            col = 0;
        } else if (xml.name() == QLatin1String("c")) {
            const QXmlStreamAttributes attrs = xml.attributes();
            const QStringRef ref = attrs.value(QLatin1String("r"));
            const QString type = attrs.value(QLatin1String("t")).toString();
            int c = ref.isEmpty() ? 0 : column_of(ref);
            col = c > 0 ? c : col + 1;
            if (!ref.isEmpty() && row_of(ref) > 0)
                row = row_of(ref);
            if (row <= 0)
                row = 1;
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
            if (!has_value)
                continue;
            QString text;
            if (type == QLatin1String("s")) {
                bool ok = false;
                const int i = value.trimmed().toInt(&ok);
                if (!ok || i < 0 || i >= shared.size())
                    return fail(QStringLiteral("%1: cell %2 names a missing shared string")
                                    .arg(sheet_member, ref.toString()));
                text = shared[i];
            } else if (type == QLatin1String("inlineStr") || type == QLatin1String("str")
                       || type == QLatin1String("e")) {
                text = value;
            } else if (type == QLatin1String("b")) {
                text = value.trimmed() == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
            } else {
                text = number_text(value);
            }
            sheet->set(row, col, text);
        }
    }
    if (xml.hasError())
        return fail(xml_failure(sheet_member, xml));
    if (!saw_sheet_data)
        return fail(QStringLiteral("%1 holds no sheet data").arg(sheet_member));
    return true;
}

}
