// The Chinese interface has no English left: the boxes a cancelled or
// failed save raises in every model window, the settings warning, and the
// texts of the dialogs and the viewer that no window test reaches.
#include "testkit.h"
#include "common/settings_step.h"
#include "frame/model_frame.h"

#include <QApplication>
#include <QDir>
#include <QRegularExpression>
#include <QSettings>
#include <QStackedWidget>
#include <QTranslator>
#include <QtTest>

namespace {

bool has_latin(const QString &text)
{
    static const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
    return text.contains(latin);
}

}

class tst_chinese_texts : public QObject
{
    Q_OBJECT
    QTranslator m_zh;

private slots:
    void initTestCase()
    {
        QVERIFY(m_zh.load(":/res/translator/Chinese.qm"));
        QVERIFY(QCoreApplication::installTranslator(&m_zh));
    }
    void cleanupTestCase() { QCoreApplication::removeTranslator(&m_zh); }

    // Every model window, each save the operator can cancel.
    void cancelled_save_boxes_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QByteArray>("slot");
        QTest::addColumn<bool>("stored");
        for (const char *model : {"KQ174", "KQ186", "KQ240", "KQ257", "KQ263", "KQ278", "KQ285", "KQ291"}) {
            QTest::addRow("%s table", model) << QString(model) << QByteArray("SAVE_table_Slot") << false;
            QTest::addRow("%s picture", model) << QString(model) << QByteArray("SAVE_BMP_Slot") << false;
            if (qstrcmp(model, "KQ263") != 0)   // the light meter keeps no records
                QTest::addRow("%s stored table", model) << QString(model) << QByteArray("SAVE_table_Slot") << true;
        }
    }
    void cancelled_save_boxes()
    {
        QFETCH(QString, model);
        QFETCH(QByteArray, slot);
        QFETCH(bool, stored);
        testkit::ProgramDir dir;
        std::unique_ptr<QWidget> w = testkit::make_model_window(model);
        QVERIFY(w);
        w->show();
        if (stored)
            for (const char *name : {"polt", "table_data_widget"})
                if (auto *stack = w->findChild<QStackedWidget *>(name))
                    stack->setCurrentIndex(1);
        frame::ModelFrame::set_save_name_hook([](const QString &, const QString &) { return QString(); });
        testkit::BoxWatcher boxes;
        QVERIFY(QMetaObject::invokeMethod(w.get(), slot.constData()));
        frame::ModelFrame::set_save_name_hook(nullptr);
        QVERIFY(boxes.wait_for(1));
        for (const testkit::BoxRecord &b : boxes.boxes()) {
            QVERIFY2(!has_latin(b.title), qPrintable(b.title));
            QVERIFY2(!has_latin(b.text), qPrintable(b.text));
            QVERIFY(!(b.title + b.text).isEmpty());
        }
    }

    // config.ini that cannot be written (a folder stands in its place).
    void settings_warning()
    {
        testkit::ProgramDir dir;
        QVERIFY(QDir(dir.path()).mkdir("config.ini"));
        settings_step::rearm_warning();
        QScopedPointer<QSettings> settings(settings_step::open_settings());
        settings->setValue("Language", "CH");
        testkit::BoxWatcher boxes;
        QVERIFY(!settings_step::save(*settings));
        QVERIFY(boxes.wait_for(1));
        QCOMPARE(boxes.last().title, QString("警告"));
        const QString first_line = boxes.last().text.section('\n', 0, 0);
        QVERIFY2(!first_line.isEmpty() && !has_latin(first_line), qPrintable(boxes.last().text));
        settings_step::rearm_warning();
    }

    // Texts of the viewer, the dialogs and the start window that are shown
    // in boxes and titles. (The viewer's unit and mode captions stay as the
    // workbooks write them: loading compares them with the cells.)
    void other_texts_data()
    {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("source");
        const char *const rows[][2] = {
            {"import_data", "no choose path"},  {"import_data", "warning"},
            {"import_data", "bmp not exist"},   {"import_data", "Units must be the same"},
            {"MainWindow", "Main"},             {"MainWindow", "Note"},
            {"MainWindow", "sorry"},            {"UPDATE_CHECK", "update info"},
            {"UPDATE_CHECK", "New Version Avalible"},
            {"UPDATE_CHECK", "There is a newer version avalible for download !\n Please update the app."},
            {"help", "Dialog"},                 {"help", "help"},
            {"help", "about"},                  {"Menu_dialog", "Dialog"},
            {"Menu_dialog", "Upper limit："},   {"Menu_dialog", "Lower limit："},
            {"Menu_dialog", "Please input a valid number"},
            {"Menu_dialog", "customize"},       {"Menu_dialog", "customize(S)"},
            {"Menu_dialog", "contact RPM:"},    {"Menu_dialog", "photo RPM:"},
            {"Menu_dialog", "unit:Pa"},         {"File_oprate", "Dialog"},
            {"print_set", "Dialog"},            {"SAVE_DATA_INDEX", "Dialog"},
        };
        for (const auto &r : rows)
            QTest::addRow("%s %s", r[0], r[1]) << QString(r[0]) << QString::fromUtf8(r[1]);
    }
    void other_texts()
    {
        QFETCH(QString, context);
        QFETCH(QString, source);
        const QString zh = QCoreApplication::translate(context.toLatin1().constData(), source.toUtf8().constData());
        QVERIFY2(zh != source, qPrintable(source));
        // Only the unit "Pa" may stay.
        QVERIFY2(!has_latin(QString(zh).remove(QStringLiteral("Pa"))), qPrintable(zh));
    }
};

QTEST_MAIN(tst_chinese_texts)
#include "tst_chinese_texts.moc"
