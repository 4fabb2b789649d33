#include "testkit.h"
#include "serialsim.h"

#include "setting/mycombobox.h"
#include "setting/setting.h"
#include "usart_interface/port_list.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QSignalSpy>
#include <QTranslator>
#include <QtTest>

using serialsim::SerialThermometer;

namespace {

const int k_silent = -1;

// How many descriptors of this process have the path open.
int open_count(const QString &path)
{
    int n = 0;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString &fd : fds.entryList(QDir::Files | QDir::System))
        n += QFileInfo(fds.filePath(fd)).symLinkTarget() == path ? 1 : 0;
    return n;
}

}

class tst_setting : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        sim.reset(new SerialThermometer);
        QVERIFY(sim->ok());
        sim->install_port_list();
        boxes.reset(new testkit::BoxWatcher);
        boxes->set_handler([this](QMessageBox *box) { return hold_success_box(box); });
        dialog.reset(new Setting(nullptr));
        dialog->show();
    }
    void cleanup()
    {
        dialog.reset();
        boxes.reset();
        sim.reset();
        port_list::set_override(nullptr);
    }

    // Nothing is sent while the success box is open; command 0 follows its
    // closing; a thermometer's answer is handed on at OK, anything else is not.
    void link_and_ok_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("emitted");
        QTest::newRow("240") << 240 << "KQ240";
        QTest::newRow("2401") << 2401 << "KQ2401";
        QTest::newRow("2402") << 2402 << "KQ2402";
        QTest::newRow("257") << 257 << "";
        QTest::newRow("no answer") << k_silent << "";
    }
    void link_and_ok()
    {
        QFETCH(int, model);
        QFETCH(QString, emitted);
        QCOMPARE(combo()->currentText(), sim->port_name());
        set_device(model);
        link_once();
        QCOMPARE(boxes->last().title, QString("success"));
        QVERIFY(testkit::wait_until([&] { return sim->received() == QByteArray::fromHex("AA55000302"); }));
        settle(model);
        QCOMPARE(link_button()->text(), emitted.isEmpty() ? QString("linked") : QString("connected"));
        QCOMPARE(open_count(sim->port_name()), 2);   // ours and the dialog's

        QSignalSpy handed(dialog.get(), qOverload<QString, QString>(&Setting::usart_connect));
        ok_button()->click();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(open_count(sim->port_name()), 1);    // OK closed the dialog's
        if (emitted.isEmpty()) {
            QCOMPARE(handed.count(), 0);
        } else {
            QCOMPARE(handed.count(), 1);
            QCOMPARE(handed.first().at(0).toString(), emitted);
            QCOMPARE(handed.first().at(1).toString(), sim->port_name());
        }
    }

    // Unlink and link again: only the answer of the new link counts.
    void relink_data()
    {
        QTest::addColumn<int>("second_model");
        QTest::addColumn<QString>("emitted");
        QTest::newRow("same thermometer") << 240 << "KQ240";
        QTest::newRow("another thermometer") << 2402 << "KQ2402";
        QTest::newRow("a 257") << 257 << "";
        QTest::newRow("a silent device") << k_silent << "";
    }
    void relink()
    {
        QFETCH(int, second_model);
        QFETCH(QString, emitted);
        set_device(240);
        link_once();
        QVERIFY(testkit::wait_until([&] { return link_button()->text() == "connected"; }));

        link_button()->click();   // unlink
        QCOMPARE(boxes->last().title, QString("warning"));
        QCOMPARE(boxes->last().text, QString("serial  close"));
        QCOMPARE(link_button()->text(), QString("linking"));
        QCOMPARE(open_count(sim->port_name()), 1);

        set_device(second_model);
        sim->clear_received();
        link_once();
        QVERIFY(testkit::wait_until([&] { return sim->commands() == QVector<int>{0}; }));
        settle(second_model);
        QSignalSpy handed(dialog.get(), qOverload<QString, QString>(&Setting::usart_connect));
        ok_button()->click();
        QCOMPARE(handed.count(), emitted.isEmpty() ? 0 : 1);
        if (!emitted.isEmpty())
            QCOMPARE(handed.first().at(0).toString(), emitted);
    }

    void ok_without_linking()
    {
        QSignalSpy handed(dialog.get(), qOverload<QString, QString>(&Setting::usart_connect));
        ok_button()->click();
        QCOMPARE(handed.count(), 0);
        QVERIFY(sim->received().isEmpty());
        QCOMPARE(boxes->count(), 0);
    }

    // Cancel leaves the link as it is; a later OK hands it on.
    void cancel_keeps_link()
    {
        set_device(2401);
        link_once();
        QVERIFY(testkit::wait_until([&] { return link_button()->text() == "connected"; }));
        QSignalSpy handed(dialog.get(), qOverload<QString, QString>(&Setting::usart_connect));
        dialog->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Cancel)->click();
        QCOMPARE(handed.count(), 0);
        QCOMPARE(open_count(sim->port_name()), 2);
        dialog->show();
        ok_button()->click();
        QCOMPARE(handed.count(), 1);
        QCOMPARE(handed.first().at(0).toString(), QString("KQ2401"));
    }

    void link_failures_data()
    {
        QTest::addColumn<bool>("no_ports");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("no port chosen") << true << "error" << "serial error";
        QTest::newRow("port gone since the list") << false << "Error" << "serial not existence or used by other";
    }
    void link_failures()
    {
        QFETCH(bool, no_ports);
        QFETCH(QString, title);
        QFETCH(QString, text);
        if (no_ports) {
            port_list::set_override([] { return QStringList(); });
            dialog.reset(new Setting(nullptr));
            dialog->show();
        } else {
            sim->vanish();
        }
        link_button()->click();
        QCOMPARE(boxes->count(), 1);
        QCOMPARE(boxes->last().title, title);
        QCOMPARE(boxes->last().text, text);
        QCOMPARE(boxes->last().icon, QMessageBox::Critical);
        QCOMPARE(link_button()->text(), QString("linking"));
    }

    // A left press refills the list from the link's latest one before it
    // opens; a right press does not.
    void left_press_refills_list()
    {
        QCOMPARE(items(), QStringList{sim->port_name()});
        port_list::set_override([] { return QStringList{"ttyUSB0", "ttyUSB1"}; });
        QTest::qWait(1200);   // the link refreshes its list once a second
        QTest::mousePress(combo(), Qt::RightButton);
        QCOMPARE(items(), QStringList{sim->port_name()});
        QSignalSpy clicked(combo(), &MyComboBox::clicked);
        QTest::mousePress(combo(), Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(items(), (QStringList{"ttyUSB0", "ttyUSB1"}));
        QCOMPARE(combo()->currentIndex(), 0);
        combo()->hidePopup();
    }

    void chinese_texts_data()
    {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("chinese");
        QTest::newRow("title") << "Setting" << "Dialog" << "对话窗";
        QTest::newRow("label") << "Setting" << "COM:" << "端口:";
        QTest::newRow("button") << "Setting" << "link" << "连接";
        QTest::newRow("two blanks") << "Setting" << "serial  close" << "串口关闭";
        QTest::newRow("busy port") << "Setting" << "serial not existence or used by other" << "串口不存在或正在使用中";
        QTest::newRow("success") << "Setting" << "serial open sucess" << "打开成功";
    }
    void chinese_texts()
    {
        QFETCH(QString, context);
        QFETCH(QString, source);
        QFETCH(QString, chinese);
        QTranslator zh;
        QVERIFY(zh.load(":/res/translator/Chinese.qm"));
        QCOMPARE(zh.translate(qPrintable(context), qPrintable(source)), chinese);
        QTranslator en;
        QVERIFY(en.load(":/res/translator/English.qm"));
        QVERIFY(en.translate(qPrintable(context), qPrintable(source)).isEmpty());
    }

private:
    // Keeps the success box open a while, noting what the instrument got
    // meanwhile, then presses its OK.
    bool hold_success_box(QMessageBox *box)
    {
        if (box->text() != "serial open sucess")
            return false;
        QPointer<QMessageBox> guard(box);
        QTimer::singleShot(300, this, [this, guard] {
            sent_while_box_open = sim->received();
            if (guard)
                guard->button(QMessageBox::Ok)->click();
        });
        return true;
    }
    void set_device(int model)
    {
        sim->set_silent(model == k_silent);
        if (model != k_silent)
            sim->set_model(quint16(model));
    }
    // Presses the link button; returns once the success box was closed.
    void link_once()
    {
        const int before = boxes->count();
        sent_while_box_open = QByteArray("unset");
        link_button()->click();
        QCOMPARE(boxes->count(), before + 1);
        QCOMPARE(boxes->last().text, QString("serial open sucess"));
        QVERIFY(sent_while_box_open.isEmpty());
        QCOMPARE(link_button()->text(), QString("linked"));
    }
    // Lets the answer (or its absence) arrive.
    void settle(int model)
    {
        if (model == 240 || model == 2401 || model == 2402)
            QVERIFY(testkit::wait_until([&] { return link_button()->text() == "connected"; }));
        else
            QTest::qWait(300);
    }
    MyComboBox *combo() { return dialog->findChild<MyComboBox *>("COMNum"); }
    QPushButton *link_button() { return dialog->findChild<QPushButton *>("LinkButton"); }
    QPushButton *ok_button()
    {
        return dialog->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Ok);
    }
    QStringList items()
    {
        QStringList l;
        for (int i = 0; i < combo()->count(); ++i)
            l << combo()->itemText(i);
        return l;
    }

    std::unique_ptr<SerialThermometer> sim;
    std::unique_ptr<testkit::BoxWatcher> boxes;
    std::unique_ptr<Setting> dialog;
    QByteArray sent_while_box_open;
};

QTEST_MAIN(tst_setting)
#include "tst_setting.moc"
