#include "testkit.h"
#include "common/settings_step.h"

#include <QFile>
#include <QSettings>
#include <QTranslator>
#include <QtTest>
#include <memory>

using settings_step::Language;
Q_DECLARE_METATYPE(settings_step::Language)

namespace {

// config.ini as a plain text file, for cases QSettings would hide.
void write_file(const testkit::ProgramDir &dir, const QByteArray &text)
{
    QFile f(dir.file("config.ini"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

QString stored(const testkit::ProgramDir &dir, const QString &key)
{
    QSettings s(dir.file("config.ini"), QSettings::IniFormat);
    return s.contains(key) ? s.value(key).toString() : QStringLiteral("<missing>");
}

}

class tst_settings_step : public QObject
{
    Q_OBJECT
private slots:
    void starting_files_data()
    {
        QTest::addColumn<QByteArray>("file");            // "<none>": no file at all
        QTest::addColumn<QString>("xova");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("baund");
        QTest::addColumn<QString>("language");
        QTest::addColumn<Language>("loads");
        QTest::newRow("no file") << QByteArray("<none>") << "true" << "   " << "115200" << "EN" << Language::English;
        QTest::newRow("empty file") << QByteArray() << "true" << "   " << "115200" << "EN" << Language::English;
        QTest::newRow("Port without Baund")
            << QByteArray("[General]\nPort=COM3\n") << "true" << "COM3" << "<missing>" << "EN" << Language::English;
        QTest::newRow("Language CH")
            << QByteArray("[General]\nLanguage=CH\n") << "true" << "   " << "115200" << "CH" << Language::Chinese;
        QTest::newRow("Language DE")
            << QByteArray("[General]\nLanguage=DE\n") << "true" << "   " << "115200" << "DE" << Language::None;
        QTest::newRow("Language lower case ch")
            << QByteArray("[General]\nLanguage=ch\n") << "true" << "   " << "115200" << "ch" << Language::None;
        QTest::newRow("Language empty")
            << QByteArray("[General]\nLanguage=\n") << "true" << "   " << "115200" << "" << Language::None;
        QTest::newRow("XOVA_softwave false kept")
            << QByteArray("[General]\nXOVA_softwave=false\n") << "false" << "   " << "115200" << "EN" << Language::English;
    }
    void starting_files()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, xova);
        QFETCH(QString, port);
        QFETCH(QString, baund);
        QFETCH(QString, language);
        QFETCH(Language, loads);
        testkit::ProgramDir dir;
        if (file != "<none>")
            write_file(dir, file);
        {
            std::unique_ptr<QSettings> settings(settings_step::open_settings());
            QCOMPARE(settings->fileName(), dir.file("config.ini"));
            QCOMPARE(settings_step::run(*settings), loads);
        }
        QCOMPARE(stored(dir, "XOVA_softwave"), xova);
        QCOMPARE(stored(dir, "Port"), port);
        QCOMPARE(stored(dir, "Baund"), baund);
        QCOMPARE(stored(dir, "Language"), language);
    }

    // The defaults are top-level keys, in the general section of the file.
    void defaults_are_in_the_general_section()
    {
        testkit::ProgramDir dir;
        {
            std::unique_ptr<QSettings> settings(settings_step::open_settings());
            settings_step::run(*settings);
        }
        QFile f(dir.file("config.ini"));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().trimmed().split('\n');
        QCOMPARE(lines.first().trimmed(), QByteArray("[General]"));
        QCOMPARE(lines.size(), 5);
    }

    void toggle_data()
    {
        QTest::addColumn<QString>("before");   // "<missing>": no key
        QTest::addColumn<QString>("after");
        QTest::newRow("EN") << "EN" << "CH";
        QTest::newRow("CH") << "CH" << "EN";
        QTest::newRow("DE") << "DE" << "DE";
        QTest::newRow("lower case en") << "en" << "en";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("missing") << "<missing>" << "<missing>";
    }
    void toggle()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        testkit::ProgramDir dir;
        if (before != QLatin1String("<missing>"))
            dir.write_config({{"Language", before}});
        {
            std::unique_ptr<QSettings> settings(settings_step::open_settings());
            settings_step::toggle_language(*settings);
        }
        QCOMPARE(stored(dir, "Language"), after);
        QCOMPARE(settings_step::toggled(before), before == QLatin1String("<missing>") ? before : after);
    }

    void translations_load()
    {
        QTranslator english, chinese, none;
        QVERIFY(settings_step::load_translation(english, Language::English));
        QVERIFY(settings_step::load_translation(chinese, Language::Chinese));
        QVERIFY(!settings_step::load_translation(none, Language::None));
        QCOMPARE(chinese.translate("MainWindow", "Set up"), QStringLiteral("设置"));
        QCOMPARE(QCoreApplication::translate("MainWindow", "Language"), QStringLiteral("语言"));
        QCoreApplication::removeTranslator(&english);
        QCoreApplication::removeTranslator(&chinese);
        QCOMPARE(QCoreApplication::translate("MainWindow", "Language"), QStringLiteral("Language"));
    }
};

QTEST_MAIN(tst_settings_step)
#include "tst_settings_step.moc"
