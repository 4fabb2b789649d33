#include <QFile>
#include <QIcon>
#include <QImage>
#include <QMovie>
#include <QRegularExpression>
#include <QTranslator>
#include <QtTest>

namespace {
QByteArray resource(const QString &name)
{
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}

// The resources the windows name are compiled in and readable.
class tst_resources : public QObject
{
    Q_OBJECT
private slots:
    void qt_conf_bytes()
    {
        QCOMPARE(resource(":/qt/etc/qt.conf"),
                 QByteArray("[Platforms]\r\nWindowsArguments = dpiawareness=0\xe3\x80\x80\r\n"));
    }

    // Every picture the style sheet names is there and decodes.
    void style_sheet_pictures_exist()
    {
        const QString css = QString::fromUtf8(resource(":/res/qss/Button.css"));
        QVERIFY(!css.isEmpty());
        QRegularExpressionMatchIterator it = QRegularExpression(QStringLiteral("url\\((:/[^)]+)\\)")).globalMatch(css);
        int count = 0;
        while (it.hasNext()) {
            const QString name = it.next().captured(1);
            QVERIFY2(!QImage(name).isNull(), qPrintable(name));
            ++count;
        }
        QCOMPARE(count, 10);
    }

    void pictures_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *n : {":/ICON/trademark.png", ":/ICON/connect.png", ":/ICON/notconnect.png",
                              ":/ICON/message_ok.png", ":/ICON/press_icon.png"})
            QTest::newRow(n) << QString::fromLatin1(n);
    }
    void pictures()
    {
        QFETCH(QString, name);
        QVERIFY(!QImage(name).isNull());
    }

    void application_icon_and_waiting_animation()
    {
        QVERIFY(!QIcon(":/Sensavo.ico").availableSizes().isEmpty());
        QMovie movie(":/ICON/loading.gif");
        QVERIFY(movie.isValid());
        QVERIFY(movie.frameCount() > 1);
    }

    // The start window's texts: Chinese translates them, English leaves
    // every text as it is.
    void main_window_translations_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("chinese");   // empty: no translation
        const QStringList rows{"Set up", "设置", "File", "文件", "Menu", "菜单", "Language", "语言",
                               "help", "帮助", "connected", "已连接", "not connected", "未连接",
                               "cannot connect", "无法连接",
                               "Need to restart the software after changing the language!",
                               "更改语言后需要重启软件!", "Main", "主界面", "Note", "提示", "sorry", "抱歉"};
        for (int i = 0; i < rows.size(); i += 2)
            QTest::newRow(qPrintable(rows[i])) << rows[i] << rows[i + 1];
    }
    void main_window_translations()
    {
        QFETCH(QString, source);
        QFETCH(QString, chinese);
        QTranslator zh, en;
        QVERIFY(zh.load(":/res/translator/Chinese.qm"));
        QVERIFY(en.load(":/res/translator/English.qm"));
        QCOMPARE(zh.translate("MainWindow", source.toUtf8().constData()), chinese);
        QCOMPARE(en.translate("MainWindow", source.toUtf8().constData()), QString());
    }

    // Two different, short PCM tones.
    void alarm_sounds()
    {
        const QByteArray high = resource(":/res/sound/highalarm.WAV");
        const QByteArray low = resource(":/res/sound/lowalarm.WAV");
        for (const QByteArray &wav : {high, low}) {
            QVERIFY(wav.startsWith("RIFF"));
            QCOMPARE(wav.mid(8, 8), QByteArray("WAVEfmt "));
            QVERIFY(wav.size() > 1000 && wav.size() < 200000);
        }
        QVERIFY(high != low);
    }
};

QTEST_MAIN(tst_resources)
#include "tst_resources.moc"
