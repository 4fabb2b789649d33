#include "testkit.h"
#include "tools_kit.h"
#include "clean_data/clean_data.h"
#include "file_oprate/file_oprate.h"
#include "menu_dialog/menu_dialog.h"
#include "print_set/print_set.h"
#include "save_data_index/save_data_index.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTranslator>
#include <QtTest>

namespace {

QString label(QWidget &w, const char *name)
{
    return w.findChild<QLabel *>(name)->text();
}

}

class tst_tools_translation : public QObject
{
    Q_OBJECT
private slots:
    void init() { dir.reset(new testkit::ProgramDir); }
    void cleanup()
    {
        QCoreApplication::removeTranslator(&translator);
        dir.reset();
    }
    void chinese_menu_dialog();
    void chinese_dialogs();
    void english_keeps_source_texts();

private:
    void load(const char *qm)
    {
        QVERIFY(translator.load(qm));
        // An empty translation (English) is loaded but not installed.
        QCOMPARE(QCoreApplication::installTranslator(&translator), !translator.isEmpty());
    }
    QTranslator translator;
    QScopedPointer<testkit::ProgramDir> dir;
};

void tst_tools_translation::chinese_menu_dialog()
{
    load(":/res/translator/Chinese.qm");
    Menu_dialog d;
    QCOMPARE(label(d, "label"), QString("报警功能："));
    QCOMPARE(label(d, "label_4"), QString("上传间隔："));
    QCOMPARE(label(d, "label_ch1"), QString("通道一"));
    QCOMPARE(label(d, "label_up_1"), QString("上限:"));
    QCOMPARE(label(d, "label_up_12"), QString("上限："));
    QCOMPARE(label(d, "label_pressure"), QString("压力:"));
    QCOMPARE(label(d, "label1"), QString("默认导出目录:"));
    auto *combo = d.findChild<QComboBox *>("updataStamp");
    QCOMPARE(combo->itemText(8), QString("自定义"));
    QCOMPARE(label(d, "label_up_9"), QString("上限\uff1a"));

    // "customize" still works with the translation loaded.
    combo->setCurrentIndex(8);
    d.findChild<QLineEdit *>("lineEdit_customPeriod")->setText("0");
    testkit::BoxWatcher boxes;
    tools_kit::exec_and_press(d, QDialogButtonBox::Ok);
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.last().title, QString("错误"));
    QCOMPARE(boxes.last().text, QString("请输入有效数字"));
}

void tst_tools_translation::chinese_dialogs()
{
    load(":/res/translator/Chinese.qm");
    CLEAN_DATA clean(nullptr);
    QCOMPARE(clean.windowTitle(), QString("删除数据"));
    QWidget window;
    File_oprate file(&window);
    QCOMPARE(file.findChild<QCheckBox *>("import_table")->text(), QString("导入数据"));
    print_set print(&window);
    QCOMPARE(print.findChild<QCheckBox *>("Printf_table")->text(), QString("打印表格"));

    SAVE_DATA_INDEX index(nullptr);
    QStringList texts;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *box = qobject_cast<QMessageBox *>(w))
            texts << box->text();
    QVERIFY(texts.contains("正在接收"));
}

void tst_tools_translation::english_keeps_source_texts()
{
    load(":/res/translator/English.qm");
    Menu_dialog d;
    QCOMPARE(label(d, "label"), QString("Alarm"));
    CLEAN_DATA clean(nullptr);
    QCOMPARE(clean.windowTitle(), QString("Delete Data"));
}

QTEST_MAIN(tst_tools_translation)
#include "tst_tools_translation.moc"
