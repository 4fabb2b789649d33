#ifndef TOOLS_KIT_H
#define TOOLS_KIT_H

// Small helpers shared by the tools tests (header only).

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <functional>

namespace tools_kit {

// Runs a dialog modally, as the windows do, and presses one button of its
// button box from inside the modal loop. Returns exec()'s result.
inline int exec_and_press(QDialog &dialog, QDialogButtonBox::StandardButton which,
                          const QString &box_name = QStringLiteral("buttonBox"))
{
    QTimer::singleShot(0, &dialog, [&dialog, which, box_name] {
        auto *box = dialog.findChild<QDialogButtonBox *>(box_name);
        if (box && box->button(which))
            box->button(which)->click();
        else
            dialog.done(-1);
    });
    return dialog.exec();
}

// Types a path into a running file chooser and accepts it. (selectFile
// leaves the name field alone while it has the focus.)
inline void choose(QFileDialog *fd, const QString &path)
{
    if (auto *edit = fd->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")))
        edit->setText(path);
    else
        fd->selectFile(path);
    static_cast<QDialog *>(fd)->accept();
}

// Answers the next file chooser that runs modally: the callback picks a
// file or directory and accepts, or rejects. Counts the choosers seen.
class ChooserAnswer : public QObject
{
public:
    explicit ChooserAnswer(std::function<void(QFileDialog *)> answer)
        : m_answer(std::move(answer))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *fd = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!fd)
                return;
            if (fd == m_last) {
                // An answer that did not close the chooser: give up on it so
                // the test fails on its checks instead of hanging.
                if (++m_ticks_open > 100)
                    fd->reject();
                return;
            }
            m_last = fd;
            m_ticks_open = 0;
            ++m_seen;
            m_caption = fd->windowTitle();
            m_filters = fd->nameFilters();
            m_answer(fd);
        });
        m_timer.start(20);
    }
    int seen() const { return m_seen; }
    QString caption() const { return m_caption; }
    QStringList filters() const { return m_filters; }

private:
    std::function<void(QFileDialog *)> m_answer;
    QTimer m_timer;
    QPointer<QFileDialog> m_last;
    int m_seen = 0;
    int m_ticks_open = 0;
    QString m_caption;
    QStringList m_filters;
};

// The parentless "Accepting" box among the top-level windows, if any.
inline QMessageBox *find_waiting_box()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *box = qobject_cast<QMessageBox *>(w))
            if (box->text() == QLatin1String("Accepting"))
                return box;
    return nullptr;
}

}

#endif
