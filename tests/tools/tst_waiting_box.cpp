#include "common/waiting_box.h"

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QMovie>
#include <QScopedPointer>
#include <QTimer>
#include <QtTest>

class tst_waiting_box : public QObject
{
    Q_OBJECT
private slots:
    void built_as_the_upload_box();
    void runs_and_closes();
};

void tst_waiting_box::built_as_the_upload_box()
{
    QScopedPointer<QMessageBox> box(waiting_box::create("Accepting"));
    QVERIFY(box->parentWidget() == nullptr);
    QVERIFY(!box->isVisible());
    QCOMPARE(box->icon(), QMessageBox::Information);
    QCOMPARE(box->windowTitle(), QString());
    QCOMPARE(box->text(), QString("Accepting"));
    QCOMPARE(box->buttons().size(), 1);
    QVERIFY(box->button(QMessageBox::Ok)->isHidden());
    QVERIFY(box->windowFlags() & Qt::Dialog);
    QVERIFY(box->windowFlags() & Qt::MSWindowsFixedSizeDialogHint);

    auto *icon = box->findChild<QLabel *>("qt_msgboxex_icon_label");
    QVERIFY(icon);
    QCOMPARE(icon->size(), QSize(75, 50));
    if (QFile::exists(":/ICON/loading.gif")) {
        QVERIFY(icon->movie());
        QCOMPARE(icon->movie()->state(), QMovie::Running);
        QCOMPARE(icon->movie()->scaledSize(), QSize(75, 50));
    } else {
        // Without the picture the box still works, iconless.
        QVERIFY(!icon->movie());
    }
}

void tst_waiting_box::runs_and_closes()
{
    QScopedPointer<QMessageBox> box(waiting_box::create("Accepting"));
    bool shown = false;
    QTimer::singleShot(20, box.data(), [&] {
        shown = box->isVisible();
        box->close();
    });
    box->exec();
    QVERIFY(shown);
    QVERIFY(!box->isVisible());

    // Reused for the next upload.
    QTimer::singleShot(20, box.data(), [&] { box->close(); });
    box->exec();
    QVERIFY(!box->isVisible());
}

QTEST_MAIN(tst_waiting_box)
#include "tst_waiting_box.moc"
