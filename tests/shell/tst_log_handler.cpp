#include "testkit.h"
#include "common/app_env.h"
#include "common/log_handler.h"
#include "disk_faults.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <QThread>
#include <QtTest>

#include <cstdio>
#include <unistd.h>

namespace {

const QDateTime k_morning(QDate(2024, 3, 5), QTime(9, 5, 3, 7));

QString log_path(const testkit::ProgramDir &dir, const QString &date)
{
    return dir.file(QStringLiteral("log/log_%1.txt").arg(date));
}

QByteArray read_all(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void log_debug(const char *file, int line, const QString &text, QtMsgType type = QtDebugMsg)
{
    QMessageLogContext context(file, line, "function", "default");
    log_message_handler(type, context, text);
}

// A child run of this binary: the case named in SENSAVO_LOG_CHILD, with the
// program directory in SENSAVO_LOG_DIR.
int run_child(const QString &which, const QString &dir, QProcess::ExitStatus *status)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SENSAVO_LOG_CHILD"), which);
    env.insert(QStringLiteral("SENSAVO_LOG_DIR"), dir);
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("-nocrashhandler"), QStringLiteral("child")});
    if (!child.waitForFinished(20000)) {
        child.kill();
        child.waitForFinished();
        return -1000;   // hung
    }
    *status = child.exitStatus();
    return child.exitCode();
}

// What the process writes to standard error meanwhile.
class StderrCapture
{
public:
    StderrCapture()
    {
        m_file.open();
        std::fflush(stderr);
        m_saved = ::dup(2);
        ::dup2(m_file.handle(), 2);
    }
    ~StderrCapture() { take(); }
    QByteArray take()
    {
        if (m_saved >= 0) {
            std::fflush(stderr);
            ::dup2(m_saved, 2);
            ::close(m_saved);
            m_saved = -1;
        }
        m_file.seek(0);
        return m_file.readAll();
    }
private:
    QTemporaryFile m_file;
    int m_saved = -1;
};

class Writer : public QThread
{
public:
    Writer(int id, int count) : m_id(id), m_count(count) {}
protected:
    void run() override
    {
        const QString padding(200, QLatin1Char('x'));
        for (int i = 0; i < m_count; ++i)
            log_debug("src/worker.cpp", 42, QStringLiteral("thread %1 message %2 %3").arg(m_id).arg(i).arg(padding));
    }
private:
    int m_id;
    int m_count;
};

}

class tst_log_handler : public QObject
{
    Q_OBJECT
private slots:
    // A log that cannot be written is told once on standard error, not at
    // every line; once it can be written again, lines land there again.
    void unwritable_log_is_told_once_data() { testkit::FaultyFolder::add_rows(false); }
    void unwritable_log_is_told_once()
    {
        QFETCH(int, fault);
        testkit::FixedClock clock(k_morning);
        QByteArray told;
        {
            testkit::FaultyFolder folder;
            QDir().mkpath(folder.file("log"));
            QVERIFY2(folder.make(testkit::FaultyFolder::Fault(fault), "log/log_2024-03-05.txt", "earlier\n"),
                     qPrintable(folder.how()));
            app_env::set_program_dir(folder.path());
            StderrCapture err;
            for (int i = 0; i < 3; ++i)
                log_debug("src/a/b", 80, QStringLiteral("line %1 ").arg(i) + QString(20000, QLatin1Char('x')));
            told = err.take();
            app_env::set_program_dir(QString());
        }
        QCOMPARE(told.count('\n'), 1);
        QVERIFY2(told.startsWith("Sensavo: the log cannot be written (") && told.contains("log_2024-03-05.txt"),
                 told.constData());
        testkit::ProgramDir dir;
        StderrCapture err;
        log_debug("src/a/b", 80, "back");
        QCOMPARE(err.take(), QByteArray());
        QCOMPARE(read_all(log_path(dir, "2024-03-05")), QByteArray("Debug: 09:05:03:007: src/a/b: 80: back\n"));
    }

    // A line the full disk cut short is taken back: once there is room
    // again, the next line starts on a line of its own.
    void full_disk_leaves_no_broken_line()
    {
        testkit::FixedClock clock(k_morning);
        testkit::FaultyFolder folder;
        QDir().mkpath(folder.file("log"));
        QVERIFY2(folder.make(testkit::FaultyFolder::Fault::Full, "log/log_2024-03-05.txt", "earlier\n"),
                 qPrintable(folder.how()));
        app_env::set_program_dir(folder.path());
        {
            StderrCapture err;
            log_debug("src/a/b", 80, QStringLiteral("long ") + QString(20000, QLatin1Char('x')));
            const QByteArray told = err.take();
            QVERIFY2(told.contains(folder.system_reason().toLocal8Bit()), told.constData());
        }
        folder.make_room();
        log_debug("src/a/b", 81, "back");
        app_env::set_program_dir(QString());
        QCOMPARE(read_all(folder.file("log/log_2024-03-05.txt")),
                 QByteArray("earlier\nDebug: 09:05:03:007: src/a/b: 81: back\n"));
    }

    void line_formats_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("with_context");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("debug") << int(QtDebugMsg) << true << "open success"
                               << QByteArray("Debug: 09:05:03:007: src/a/b: 80: open success\n");
        QTest::newRow("warning") << int(QtWarningMsg) << true << "w"
                                 << QByteArray("Warning: 09:05:03:007: src/a/b: 80: w\n");
        QTest::newRow("critical") << int(QtCriticalMsg) << true << "c"
                                  << QByteArray("Critical: 09:05:03:007: src/a/b: 80: c\n");
        QTest::newRow("info") << int(QtInfoMsg) << true << "not written" << QByteArray("\n");
        QTest::newRow("unknown type") << 17 << true << "not written" << QByteArray("\n");
        QTest::newRow("no context") << int(QtDebugMsg) << false << "bare"
                                    << QByteArray("Debug: 09:05:03:007: : 0: bare\n");
        QTest::newRow("percent signs") << int(QtDebugMsg) << true << "50% %1 %2"
                                       << QByteArray("Debug: 09:05:03:007: src/a/b: 80: 50% %1 %2\n");
        QTest::newRow("chinese") << int(QtDebugMsg) << true << QStringLiteral("KQ263 照度计")
                                 << QStringLiteral("Debug: 09:05:03:007: src/a/b: 80: KQ263 照度计\n").toLocal8Bit();
    }
    void line_formats()
    {
        QFETCH(int, type);
        QFETCH(bool, with_context);
        QFETCH(QString, text);
        QFETCH(QByteArray, line);
        testkit::ProgramDir dir;
        testkit::FixedClock clock(k_morning);
        QVERIFY(!QDir(dir.file("log")).exists());
        if (with_context)
            log_debug("src/a/b", 80, text, QtMsgType(type));
        else
            log_message_handler(QtMsgType(type), QMessageLogContext(), text);
        QCOMPARE(read_all(log_path(dir, "2024-03-05")), line);
    }

    // qDebug carries file and line through to the file, in every build type.
    void qdebug_carries_file_and_line()
    {
        testkit::ProgramDir dir;
        testkit::FixedClock clock(k_morning);
        const QtMessageHandler old = qInstallMessageHandler(log_message_handler);
        const int line = __LINE__ + 1;
        qDebug() << "from the test";
        qInstallMessageHandler(old);
        QCOMPARE(QString::fromLocal8Bit(read_all(log_path(dir, "2024-03-05"))),
                 QStringLiteral("Debug: 09:05:03:007: %1: %2: from the test\n").arg(QLatin1String(__FILE__)).arg(line));
    }

    void lines_append_and_day_changes_file()
    {
        testkit::ProgramDir dir;
        testkit::FixedClock clock(QDateTime(QDate(2024, 3, 5), QTime(23, 59, 59, 999)));
        log_debug("f", 1, "one");
        log_debug("f", 2, "two");
        clock.set(QDateTime(QDate(2024, 3, 6), QTime(0, 0, 0, 0)));
        log_debug("f", 3, "three");
        QCOMPARE(read_all(log_path(dir, "2024-03-05")),
                 QByteArray("Debug: 23:59:59:999: f: 1: one\nDebug: 23:59:59:999: f: 2: two\n"));
        QCOMPARE(read_all(log_path(dir, "2024-03-06")), QByteArray("Debug: 00:00:00:000: f: 3: three\n"));
    }

    void deleted_log_directory_is_recreated()
    {
        testkit::ProgramDir dir;
        testkit::FixedClock clock(k_morning);
        log_debug("f", 1, "before");
        QVERIFY(QDir(dir.file("log")).removeRecursively());
        log_debug("f", 2, "after");
        QCOMPARE(read_all(log_path(dir, "2024-03-05")), QByteArray("Debug: 09:05:03:007: f: 2: after\n"));
    }

    // A log directory that cannot be made loses the message, and the next
    // message tries again.
    void unwritable_log_directory_loses_the_message()
    {
        testkit::ProgramDir dir;
        testkit::FixedClock clock(k_morning);
        {
            QFile blocker(dir.file("log"));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        }
        log_debug("f", 1, "lost");
        QVERIFY(QFile::remove(dir.file("log")));
        log_debug("f", 2, "kept");
        QCOMPARE(read_all(log_path(dir, "2024-03-05")), QByteArray("Debug: 09:05:03:007: f: 2: kept\n"));
    }

    void many_threads_give_whole_lines()
    {
        testkit::ProgramDir dir;
        testkit::FixedClock clock(k_morning);
        const int threads = 8, per_thread = 400;
        QVector<Writer *> writers;
        for (int t = 0; t < threads; ++t)
            writers << new Writer(t, per_thread);
        for (Writer *w : writers)
            w->start();
        for (Writer *w : writers) {
            QVERIFY(w->wait(60000));
            delete w;
        }
        const QList<QByteArray> lines = read_all(log_path(dir, "2024-03-05")).split('\n');
        QCOMPARE(lines.size(), threads * per_thread + 1);   // and the empty piece after the last line feed
        QVERIFY(lines.last().isEmpty());
        const QRegularExpression whole(QStringLiteral("^Debug: 09:05:03:007: src/worker.cpp: 42: thread (\\d) message (\\d+) x{200}$"));
        QSet<QString> seen;
        for (int i = 0; i < lines.size() - 1; ++i) {
            const QRegularExpressionMatch m = whole.match(QString::fromLatin1(lines[i]));
            QVERIFY2(m.hasMatch(), lines[i].constData());
            seen.insert(m.captured(1) + QLatin1Char('/') + m.captured(2));
        }
        QCOMPARE(seen.size(), threads * per_thread);
    }

    // A fatal message writes and flushes its line, then ends the process.
    void fatal_writes_its_line_then_aborts()
    {
        testkit::ProgramDir dir;
        QProcess::ExitStatus status = QProcess::NormalExit;
        run_child(QStringLiteral("fatal"), dir.path(), &status);
        QCOMPARE(status, QProcess::CrashExit);
        const QString text = QString::fromLocal8Bit(read_all(log_path(dir, "2024-03-05")));
        QVERIFY2(QRegularExpression(QStringLiteral("^Debug: 09:05:03:007: .*tst_log_handler.cpp: \\d+: before\n"
                                                   "Fatal: 09:05:03:007: .*tst_log_handler.cpp: \\d+: the end\n$"))
                     .match(text).hasMatch(), qPrintable(text));
    }

    // The toolkit warning from inside the handler (here: a broken file name)
    // neither deadlocks nor recurses; logging goes on afterwards.
    void warning_inside_the_handler_does_not_deadlock()
    {
        testkit::ProgramDir dir;
        QProcess::ExitStatus status = QProcess::CrashExit;
        QCOMPARE(run_child(QStringLiteral("reenter"), dir.path(), &status), 0);
        QCOMPARE(status, QProcess::NormalExit);
        QCOMPARE(read_all(log_path(dir, "2024-03-05")), QByteArray("Debug: 09:05:03:007: f: 2: after\n"));
    }

    // Runs only as the child of the two cases above.
    void child()
    {
        const QString which = qEnvironmentVariable("SENSAVO_LOG_CHILD");
        if (which.isEmpty())
            QSKIP("runs as a child process only");
        app_env::set_program_dir(qEnvironmentVariable("SENSAVO_LOG_DIR"));
        app_env::set_fixed_now(k_morning);
        qInstallMessageHandler(log_message_handler);
        if (which == QLatin1String("fatal")) {
            qDebug("before");
            qFatal("the end");
        }
        app_env::set_program_dir(qEnvironmentVariable("SENSAVO_LOG_DIR") + QLatin1Char('\0') + QStringLiteral("broken"));
        log_debug("f", 1, "into a broken directory");
        app_env::set_program_dir(qEnvironmentVariable("SENSAVO_LOG_DIR"));
        log_debug("f", 2, "after");
        qInstallMessageHandler(nullptr);
    }
};

QTEST_MAIN(tst_log_handler)
#include "tst_log_handler.moc"
