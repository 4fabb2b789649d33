// The KQ291 window on PCs kept on UTC under its different names. The PC's
// zone is fixed for a whole process, so each zone runs in a child process
// of this test: it syncs the clock, uploads one record block and prints
// what the instrument got and what the table shows.

#include "sound_rig.h"

#include "KQ291_interface/kq291_interface.h"
#include "model_kq291.h"
#include "save_data_index/save_data_index.h"

#include <QDialogButtonBox>
#include <QListWidget>
#include <QMap>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include <cstdio>
#include <memory>

namespace {

using Block = hidsim::Kq291Instrument::Block;
const std::string PATH = "sim/kq291";
// 06:07:09 UTC.
const QDateTime PC_TIME(QDate(2024, 3, 5), QTime(6, 7, 9), Qt::UTC);
const char *const CHILD_ENV = "SENSAVO_ZONE_CHILD";

struct Zone
{
    QByteArray tz;
    QString clock;    // the clock command as written
    QString first;    // the table's first and last record times
    QString last;
};

// Worked out by hand. A PC on UTC sends its own clock (06:07:09) and shows
// the instrument's times as they are; any other zone sends UTC+8 wall time
// (14:07:09) and shows a record made at 14:07:09 UTC+8 (06:07:09 UTC) in
// its own time.
const QList<Zone> &zones()
{
    static const QList<Zone> list = {
        {"UTC", "7c 09 07 06 05 03 24 00", "14:07:09 2024-03-05", "14:07:11 2024-03-05"},
        {"Etc/UTC", "7c 09 07 06 05 03 24 00", "14:07:09 2024-03-05", "14:07:11 2024-03-05"},
        {"Etc/Universal", "7c 09 07 06 05 03 24 00", "14:07:09 2024-03-05", "14:07:11 2024-03-05"},
        {"Zulu", "7c 09 07 06 05 03 24 00", "14:07:09 2024-03-05", "14:07:11 2024-03-05"},
        {"UTC0", "7c 09 07 06 05 03 24 00", "14:07:09 2024-03-05", "14:07:11 2024-03-05"},
        {"Europe/London", "7c 09 07 14 05 03 24 00", "06:07:09 2024-03-05", "06:07:11 2024-03-05"},
        {"Asia/Shanghai", "7c 09 07 14 05 03 24 00", "14:07:09 2024-03-05", "14:07:11 2024-03-05"},
    };
    return list;
}

}

class tst_kq291_zone_names : public QObject
{
    Q_OBJECT

    QMap<QByteArray, QProcess *> children;

private slots:
    // All zones at once: each child waits out the instrument's silences.
    void initTestCase()
    {
        if (qEnvironmentVariableIsSet(CHILD_ENV))
            return;
        for (const Zone &z : zones()) {
            auto *p = new QProcess(this);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("TZ", QString::fromLatin1(z.tz));
            env.insert(CHILD_ENV, "1");
            env.insert("QT_QPA_PLATFORM", "offscreen");
            p->setProcessEnvironment(env);
            p->start(QCoreApplication::applicationFilePath(), {"records_and_clock_in_this_zone"});
            children.insert(z.tz, p);
        }
    }

    void utc_under_any_name_data()
    {
        QTest::addColumn<QByteArray>("tz");
        QTest::addColumn<QString>("clock");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        for (const Zone &z : zones())
            QTest::newRow(z.tz.constData()) << z.tz << z.clock << z.first << z.last;
    }
    void utc_under_any_name()
    {
        if (qEnvironmentVariableIsSet(CHILD_ENV))
            QSKIP("run by the parent process");
        QFETCH(QByteArray, tz);
        QFETCH(QString, clock);
        QFETCH(QString, first);
        QFETCH(QString, last);
        QProcess *p = children.value(tz);
        QVERIFY(p);
        QVERIFY(p->waitForFinished(60000));
        const QString out = QString::fromLocal8Bit(p->readAllStandardOutput());
        QVERIFY2(p->exitCode() == 0, qPrintable(out.right(2000)));
        QMap<QString, QString> got;
        for (const QString &line : out.split('\n'))
            if (line.startsWith("ZONE "))
                got.insert(line.section(' ', 1, 1), line.section(' ', 2));
        QCOMPARE(got.value("clock"), clock);
        QCOMPARE(got.value("first"), first);
        QCOMPARE(got.value("last"), last);
    }

    // In a child: the zone is the process's TZ.
    void records_and_clock_in_this_zone()
    {
        if (!qEnvironmentVariableIsSet(CHILD_ENV))
            QSKIP("a child of utc_under_any_name");
        rig::Boxes boxes;
        auto inst = std::make_shared<hidsim::Kq291Instrument>();
        inst->set_blocks({Block{24, 3, 5, 14, 7, 9, {500, 501}}});
        rig::WindowOn<KQ291_INTERFACE, hidsim::Kq291Instrument> win("KQ291", inst, PC_TIME.toLocalTime());

        hidsim::clear_writes(PATH);
        win.get<QPushButton>("sync_Button")->click();
        const QStringList clock = rig::written(PATH, 8);
        QCOMPARE(clock.size(), 1);

        hidsim::clear_writes(PATH);
        QMetaObject::invokeMethod(win.get<QPushButton>("upload_Button"), "click", Qt::QueuedConnection);
        auto *dialog = rig::wait_for_dialog<SAVE_DATA_INDEX>();
        QVERIFY(dialog);
        auto *list = dialog->findChild<QListWidget *>("listWidget");
        QCOMPARE(list->count(), 1);
        list->setCurrentItem(list->item(0));
        QMetaObject::invokeMethod(dialog->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Ok),
                                  "click", Qt::QueuedConnection);
        QVERIFY(testkit::wait_until([&] { return win.read_table()->rowCount() == 2; }, 8000));

        std::printf("ZONE clock %s\n", qPrintable(clock.first()));
        std::printf("ZONE first %s\n", qPrintable(rig::text_at(win.read_table(), 0, 0)));
        std::printf("ZONE last %s\n", qPrintable(rig::text_at(win.read_table(), 1, 0)));
        std::fflush(stdout);
    }
};

QTEST_MAIN(tst_kq291_zone_names)
#include "tst_kq291_zone_names.moc"
