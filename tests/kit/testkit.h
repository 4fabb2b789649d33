#ifndef TESTKIT_H
#define TESTKIT_H

#include <QDateTime>
#include <QMap>
#include <QMessageBox>
#include <QObject>
#include <QRgb>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>

class QWidget;

namespace testkit {

// Runs a test in a fresh program directory: config.ini and log/ land there,
// and the working directory (rt_temp.bmp, help directories) is the same one.
// The update check is pointed at a local port that never answers.
class ProgramDir
{
public:
    ProgramDir();
    ~ProgramDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    // Writes config.ini with the given top-level keys before a window reads it.
    void write_config(const QMap<QString, QString> &keys) const;
private:
    QTemporaryDir m_dir;
    QString m_old_cwd;
};

// A fixed "now" for as long as it lives.
class FixedClock
{
public:
    explicit FixedClock(const QDateTime &t);
    ~FixedClock();
    void set(const QDateTime &t);
};

// Counts the sounds the program asks to play (there is no audio device).
class SoundCounter
{
public:
    SoundCounter();
    ~SoundCounter();
    int count(const QString &resource) const;
    int total() const;
    QStringList played() const;
    void clear();
private:
    struct State;
    State *m_state;
};

struct BoxRecord
{
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Watches for message boxes, records them and closes them (the first
// button, or done(0) when none is shown). Boxes run modally in the code
// under test, so this polls from the event loop they spin.
class BoxWatcher : public QObject
{
    Q_OBJECT
public:
    explicit BoxWatcher(bool auto_close = true, QObject *parent = nullptr);
    // Waits until at least n boxes were seen in all; false on time-out.
    bool wait_for(int n = 1, int timeout_ms = 5000);
    QVector<BoxRecord> boxes() const { return m_boxes; }
    BoxRecord last() const { return m_boxes.isEmpty() ? BoxRecord() : m_boxes.last(); }
    int count() const { return m_boxes.size(); }
    void clear() { m_boxes.clear(); }
    void set_auto_close(bool on) { m_auto_close = on; }
    // Called for each new box before it is closed (to inspect it, or to
    // press a particular button; return true when the callback closed it).
    void set_handler(std::function<bool(QMessageBox *)> h) { m_handler = std::move(h); }
private:
    void poll();
    QTimer m_timer;
    bool m_auto_close;
    QVector<BoxRecord> m_boxes;
    QList<QMessageBox *> m_seen;
    std::function<bool(QMessageBox *)> m_handler;
};

// Contrast ratio of two colours as for readable text (1 to 21; text wants
// 4.5, shapes 3).
double contrast_ratio(QRgb a, QRgb b);

// A model window ("KQ174", "KQ186", "KQ240", "KQ257", "KQ263", "KQ278",
// "KQ285", "KQ291") without a device; null for another name.
std::unique_ptr<QWidget> make_model_window(const QString &model);

// Processes events until pred() holds or the time runs out.
bool wait_until(const std::function<bool()> &pred, int timeout_ms = 5000);

// Records a signal the way an object of this thread receives it: at once
// when emitted here, queued when emitted by another thread. (QSignalSpy
// records in the emitting thread without a lock, so reading it here while
// a link thread emits is a data race.)
class Heard : public QObject
{
public:
    template <typename Sender, typename... Args>
    Heard(const Sender *sender, void (Sender::*signal)(Args...))
    {
        connect(sender, signal, this, [this](Args... args) { m_calls.append(QVariantList{QVariant::fromValue(args)...}); });
    }
    int count() const { return m_calls.size(); }
    bool isEmpty() const { return m_calls.isEmpty(); }
    const QVariantList &operator[](int i) const { return m_calls[i]; }
    const QVariantList &first() const { return m_calls.first(); }
    QList<QVariantList>::const_iterator begin() const { return m_calls.begin(); }
    QList<QVariantList>::const_iterator end() const { return m_calls.end(); }
    // Waits for one more call.
    bool wait(int timeout_ms = 5000)
    {
        const int n = count();
        return wait_until([&] { return count() > n; }, timeout_ms);
    }

private:
    QList<QVariantList> m_calls;
};

// Records the messages logged from any thread while it lives, those whose
// source file path contains `file_part` (empty: all), and passes every
// message on to the handler installed before. One at a time.
class LogLines
{
public:
    explicit LogLines(const QString &file_part = QString());
    ~LogLines();
    QStringList lines() const;
    int count() const { return lines().size(); }
    void clear();

    struct State;
private:
    State *m_state;
};

QString source_dir();   // the checkout, for fixtures
QString binary_dir();   // the build tree

}

#endif
