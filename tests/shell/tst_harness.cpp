#include "testkit.h"
#include "common/app_env.h"

#include <QFile>
#include <QtTest>

// The build's resources and seams are in place for every test.
class tst_harness : public QObject
{
    Q_OBJECT
private slots:
    void resources_are_linked()
    {
        QVERIFY(QFile::exists(":/qt/etc/qt.conf"));
        QVERIFY(QFile::exists(":/res/translator/Chinese.qm"));
        QVERIFY(QFile::exists(":/res/translator/English.qm"));
    }
    void program_dir_is_redirected()
    {
        testkit::ProgramDir dir;
        QCOMPARE(app_env::program_dir(), dir.path());
    }
};

QTEST_MAIN(tst_harness)
#include "tst_harness.moc"
