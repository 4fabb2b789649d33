#ifndef ARCHIVE_MEMBER_H
#define ARCHIVE_MEMBER_H

// Inside the workbook module only: the members of an xlsx archive, opened
// by name and read as a stream, within bounds a hostile archive cannot pass.
#include <QIODevice>
#include <QString>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstring>

#include <unzip.h>

namespace workbook {
namespace member {

const qint64 k_member_limit = 512ll << 20;   // refuse absurd archive members

struct Zip
{
    unzFile handle = nullptr;
    ~Zip() { if (handle) unzClose(handle); }
};

// The open member of the archive as a device, read as the parser asks for
// it; a member beyond the limit or damaged reads as an error. Given a longest
// run, it also stops at a text or tag longer than that (the bytes between two
// '<'), so no parser holds more of one; given a budget, at that many bytes.
class MemberDevice : public QIODevice
{
public:
    enum Fault { None, Damaged, LongRun, OverBudget };
    explicit MemberDevice(unzFile zip, qint64 max_run = 0, qint64 budget = 0)
        : m_zip(zip), m_max_run(max_run), m_budget(budget > 0 ? std::min(budget, k_member_limit) : k_member_limit)
    {
    }
    bool isSequential() const override { return true; }
    bool failed() const { return m_fault != None; }
    Fault fault() const { return m_fault; }

protected:
    qint64 readData(char *data, qint64 max) override
    {
        if (m_fault != None || m_done)
            return m_fault != None ? -1 : 0;
        if (max <= 0)
            return 0;   // an empty read is no end
        const int n = unzReadCurrentFile(m_zip, data, unsigned(std::min<qint64>(max, 1 << 20)));
        if (n < 0) {
            m_fault = Damaged;
            return -1;
        }
        if ((m_total += n) > m_budget) {
            m_fault = m_budget < k_member_limit ? OverBudget : Damaged;
            return -1;
        }
        if (n == 0)
            m_done = true;
        if (m_max_run > 0 && !within_run(data, n)) {
            m_fault = LongRun;
            return -1;
        }
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    // The run before the chunk's first '<' joins the one before it; a run
    // inside the chunk is no longer than the chunk the parser holds anyway.
    bool within_run(const char *data, int n)
    {
        const void *first = std::memchr(data, '<', size_t(n));
        if (!first) {
            m_run += n;
            return m_run <= m_max_run;
        }
        if (m_run + (static_cast<const char *>(first) - data) > m_max_run)
            return false;
        const char *last = data + n - 1;
        while (*last != '<')
            --last;
        m_run = data + n - last - 1;
        return true;
    }

    unzFile m_zip;
    qint64 m_max_run;
    qint64 m_budget;
    qint64 m_total = 0;
    qint64 m_run = 0;
    Fault m_fault = None;
    bool m_done = false;
};

// What a member may hold: its longest run of bytes between markup and, for
// the shared strings, a budget of bytes (0: none).
struct Bounds
{
    qint64 max_run = 0;
    qint64 budget = 0;
};

// Opens a member of the archive; false when it is missing (error left empty)
// or cannot be opened (error set).
bool open_member(unzFile zip, const QString &name, QString *error);

// Why a device stopped, for a member's reason.
QString device_fault(const QString &name, const MemberDevice &device, const Bounds &bounds);

// Parses one member with parse(xml) as it streams; false with a reason when
// the member is damaged or its XML broken.
template <class Parse>
bool parse_member(unzFile zip, const QString &name, QString *error, Parse parse, const Bounds &bounds = Bounds())
{
    MemberDevice device(zip, bounds.max_run, bounds.budget);
    device.open(QIODevice::ReadOnly);
    QXmlStreamReader xml(&device);
    const bool parsed = parse(xml);
    const bool damaged = device.failed();
    const int closed = unzCloseCurrentFile(zip);
    if (damaged || closed != UNZ_OK) {
        *error = device_fault(name, device, bounds);
        return false;
    }
    if (!error->isEmpty())
        return false;   // parse gave its own reason
    if (xml.hasError()) {
        *error = QStringLiteral("%1: %2 (line %3)").arg(name, xml.errorString()).arg(xml.lineNumber());
        return false;
    }
    if (!parsed)
        *error = QStringLiteral("%1 cannot be read").arg(name);
    return parsed;
}

}
}

#endif
