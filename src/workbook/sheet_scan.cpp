#include "sheet_scan.h"

#include <cstring>
#include <vector>

namespace workbook {
namespace scan {

namespace {

// The member's bytes, kept from the first one not yet consumed.
class Buffer
{
public:
    explicit Buffer(const Read &read) : m_read(read) {}
    bool damaged() const { return m_damaged; }
    int size() const { return int(m_data.size()) - m_pos; }
    const char *at(int i) const { return m_data.data() + m_pos + i; }
    void consume(int n) { m_pos += n; }
    // More bytes after those held; false at the end or on damage.
    bool more()
    {
        if (m_end)
            return false;
        if (m_pos > 0) {
            m_data.erase(m_data.begin(), m_data.begin() + m_pos);
            m_pos = 0;
        }
        const size_t held = m_data.size();
        m_data.resize(held + k_chunk);
        const int n = m_read(m_data.data() + held, k_chunk);
        m_data.resize(held + size_t(n > 0 ? n : 0));
        if (n <= 0) {
            m_end = true;
            m_damaged = n < 0;
        }
        return n > 0;
    }
    // Offset of c at or after from, reading on as needed; -1 when none.
    int find(char c, int from)
    {
        for (;;) {
            if (from < size()) {
                const void *p = std::memchr(at(from), c, size_t(size() - from));
                if (p)
                    return int(static_cast<const char *>(p) - at(0));
                from = size();
            }
            if (!more())
                return -1;
        }
    }
    // Offset of a text at or after from; -1 when none.
    int find(const char *text, int from)
    {
        const int len = int(std::strlen(text));
        for (;;) {
            const int i = find(text[0], from);
            if (i < 0)
                return -1;
            while (size() - i < len)
                if (!more())
                    return -1;
            if (std::memcmp(at(i), text, size_t(len)) == 0)
                return i;
            from = i + 1;
        }
    }

private:
    static constexpr int k_chunk = 1 << 16;
    const Read &m_read;
    std::vector<char> m_data;
    int m_pos = 0;
    bool m_end = false;
    bool m_damaged = false;
};

bool is_space(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Text with the five entities and character references resolved; false for
// any other reference or a carriage return (which XML would normalise).
bool decode(const char *p, int n, QString *out)
{
    if (std::memchr(p, '\r', size_t(n)))
        return false;
    if (!std::memchr(p, '&', size_t(n))) {
        *out = QString::fromUtf8(p, n);
        return true;
    }
    QByteArray plain;
    plain.reserve(n);
    for (int i = 0; i < n; ++i) {
        if (p[i] != '&') {
            plain.append(p[i]);
            continue;
        }
        const void *semi = std::memchr(p + i, ';', size_t(n - i));
        if (!semi)
            return false;
        const int end = int(static_cast<const char *>(semi) - p);
        const QByteArray name(p + i + 1, end - i - 1);
        if (name == "lt")
            plain.append('<');
        else if (name == "gt")
            plain.append('>');
        else if (name == "amp")
            plain.append('&');
        else if (name == "quot")
            plain.append('"');
        else if (name == "apos")
            plain.append('\'');
        else if (name.startsWith('#')) {
            bool ok = false;
            const uint code = name.startsWith("#x") ? name.mid(2).toUInt(&ok, 16) : name.mid(1).toUInt(&ok, 10);
            if (!ok || code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
                return false;
            const char32_t c = char32_t(code);
            plain.append(QString::fromUcs4(&c, 1).toUtf8());
        } else {
            return false;
        }
        i = end;
    }
    *out = QString::fromUtf8(plain);
    return true;
}

// Local name of an element: what follows a prefix.
QByteArray local_name(const char *p, int n)
{
    const void *colon = std::memchr(p, ':', size_t(n));
    if (colon) {
        const int skip = int(static_cast<const char *>(colon) - p) + 1;
        p += skip;
        n -= skip;
    }
    return QByteArray::fromRawData(p, n);
}

// The r and t attributes of a start tag's text after its name; false for
// attribute syntax it does not know.
bool attributes(const char *p, int n, QByteArray *r, QByteArray *t)
{
    int i = 0;
    for (;;) {
        while (i < n && is_space(p[i]))
            ++i;
        if (i >= n)
            return true;
        const int name_start = i;
        while (i < n && p[i] != '=' && !is_space(p[i]))
            ++i;
        const QByteArray name = local_name(p + name_start, i - name_start);
        while (i < n && is_space(p[i]))
            ++i;
        if (i >= n || p[i] != '=')
            return false;
        ++i;
        while (i < n && is_space(p[i]))
            ++i;
        if (i >= n || (p[i] != '"' && p[i] != '\''))
            return false;
        const char quote = p[i++];
        const int value_start = i;
        while (i < n && p[i] != quote)
            ++i;
        if (i >= n)
            return false;
        const QByteArray value(p + value_start, i - value_start);
        ++i;
        if (value.contains('&') || value.contains('<'))
            return false;
        // Only unprefixed attributes name the cell.
        if (std::memchr(p + name_start, ':', size_t(name.size())) == nullptr) {
            if (name == "r")
                *r = value;
            else if (name == "t")
                *t = value;
        }
    }
}

}

Result scan_sheet(const Read &read, const Events &events, Cell *too_long)
{
    // A character takes at most a dozen bytes in the file (a padded
    // character reference): more raw text than that is too long already.
    const size_t max_raw = events.max_text > 0 ? size_t(events.max_text) * 12 : 0;
    Buffer in(read);
    int depth = 0;
    bool seen_root = false;
    bool in_cell = false, in_is = false, in_phonetic = false;
    enum { None, V, T } collecting = None;
    std::string text;
    Cell cell;

    // A UTF-16 document is left to the full reader.
    while (in.size() < 2)
        if (!in.more())
            break;
    if (in.size() >= 2 && ((uchar(*in.at(0)) == 0xFF && uchar(*in.at(1)) == 0xFE)
                           || (uchar(*in.at(0)) == 0xFE && uchar(*in.at(1)) == 0xFF)))
        return Result::Unknown;
    if (in.size() >= 3 && uchar(*in.at(0)) == 0xEF && uchar(*in.at(1)) == 0xBB && uchar(*in.at(2)) == 0xBF)
        in.consume(3);

    for (;;) {
        const int lt = in.find('<', 0);
        if (lt < 0) {
            if (in.damaged())
                return Result::Damaged;
            for (int i = 0; i < in.size(); ++i)
                if (!is_space(*in.at(i)))
                    return Result::Unknown;
            break;
        }
        if (collecting != None) {
            text.append(in.at(0), size_t(lt));
            if (max_raw > 0 && text.size() + size_t(cell.value.size()) > max_raw) {
                if (too_long)
                    *too_long = cell;
                return Result::TooLong;
            }
        }
        else if (depth == 0)
            for (int i = 0; i < lt; ++i)
                if (!is_space(*in.at(i)))
                    return Result::Unknown;
        in.consume(lt);
        while (in.size() < 2)
            if (!in.more())
                return in.damaged() ? Result::Damaged : Result::Unknown;
        const char next = *in.at(1);
        if (next == '?') {
            const int end = in.find("?>", 2);
            if (end < 0)
                return in.damaged() ? Result::Damaged : Result::Unknown;
            const QByteArray decl(in.at(0), end);
            const int enc = decl.indexOf("encoding");
            if (enc >= 0 && !decl.mid(enc).toLower().contains("utf-8"))
                return Result::Unknown;
            in.consume(end + 2);
            continue;
        }
        if (next == '!') {
            while (in.size() < 4)
                if (!in.more())
                    return in.damaged() ? Result::Damaged : Result::Unknown;
            if (std::memcmp(in.at(0), "<!--", 4) != 0)
                return Result::Unknown;   // CDATA, DOCTYPE
            const int end = in.find("-->", 4);
            if (end < 0)
                return in.damaged() ? Result::Damaged : Result::Unknown;
            in.consume(end + 3);
            continue;
        }
        // The tag's end: the first '>' outside quotes.
        int gt = 1;
        char quote = 0;
        for (;; ++gt) {
            while (gt >= in.size())
                if (!in.more())
                    return in.damaged() ? Result::Damaged : Result::Unknown;
            const char c = *in.at(gt);
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                break;
            } else if (c == '<') {
                return Result::Unknown;
            }
        }
        const char *tag = in.at(1);
        int tag_len = gt - 1;
        if (next == '/') {
            int n = tag_len - 1;
            while (n > 0 && is_space(tag[n]))
                --n;
            const QByteArray name = local_name(tag + 1, n);
            if (depth == 0)
                return Result::Unknown;
            --depth;
            if (name == "v" && collecting == V) {
                collecting = None;
                if (in_cell) {
                    if (!decode(text.data(), int(text.size()), &cell.value))
                        return Result::Unknown;
                    cell.has_value = true;
                    if (events.max_text > 0 && cell.value.size() > events.max_text) {
                        if (too_long)
                            *too_long = cell;
                        return Result::TooLong;
                    }
                }
            } else if (name == "t" && collecting == T) {
                collecting = None;
                QString part;
                if (!decode(text.data(), int(text.size()), &part))
                    return Result::Unknown;
                cell.value += part;
                if (events.max_text > 0 && cell.value.size() > events.max_text) {
                    if (too_long)
                        *too_long = cell;
                    return Result::TooLong;
                }
            } else if (name == "rPh") {
                in_phonetic = false;
            } else if (name == "is" && in_is) {
                in_is = false;
                cell.has_value = true;
            } else if (name == "c" && in_cell) {
                in_cell = false;
                if (!events.cell(cell))
                    return Result::Stopped;
            }
            in.consume(gt + 1);
            continue;
        }
        const bool empty = tag[tag_len - 1] == '/';
        if (empty)
            --tag_len;
        int name_len = 0;
        while (name_len < tag_len && !is_space(tag[name_len]))
            ++name_len;
        const QByteArray name = local_name(tag, name_len);
        if (name.isEmpty() || collecting != None)
            return Result::Unknown;   // markup inside a value
        QByteArray r, t;
        if (!attributes(tag + name_len, tag_len - name_len, &r, &t))
            return Result::Unknown;
        seen_root = true;
        if (name == "sheetData") {
            events.sheet_data();
        } else if (name == "row") {
            events.row(r);
        } else if (name == "c") {
            cell = Cell();
            cell.ref = r;
            cell.type = t;
            in_cell = !empty;
            if (empty && !events.cell(cell))
                return Result::Stopped;
        } else if (in_cell && name == "v") {
            cell.value.clear();
            if (empty)
                cell.has_value = true;
            else
                collecting = V;
            text.clear();
        } else if (in_cell && name == "is") {
            cell.value.clear();
            in_is = !empty;
            if (empty)
                cell.has_value = true;
        } else if (in_is && name == "rPh") {
            in_phonetic = !empty;
        } else if (in_is && !in_phonetic && name == "t" && !empty) {
            collecting = T;
            text.clear();
        }
        if (!empty)
            ++depth;
        in.consume(gt + 1);
    }
    return seen_root && depth == 0 ? Result::Done : Result::Unknown;
}

}
}
