#include <QFile>
#include <QIcon>
#include <QImage>
#include <QMovie>
#include <QRegularExpression>
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
