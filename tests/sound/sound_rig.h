#ifndef SOUND_RIG_H
#define SOUND_RIG_H

// Helpers of the sound level window tests: driving modal dialogs from
// inside their own event loop, the bytes a simulated device got, and
// reading exports back with openpyxl and pdftotext.

#include "testkit.h"
#include "hidsim.h"
#include "frame/model_frame.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QJsonArray>
#include <QLabel>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <functional>

namespace rig {

// Runs `action` on the first visible top-level T that `match` accepts,
// once, from a timer: modal dialogs spin their own loop, so a test cannot
// wait for them in its own.
template <class T>
void when_visible(std::function<bool(T *)> match, std::function<void(T *)> action, int timeout_ms = 10000)
{
    auto *timer = new QTimer;
    auto *waited = new int(0);
    QObject::connect(timer, &QTimer::timeout, [=] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            T *t = qobject_cast<T *>(w);
            if (t && t->isVisible() && match(t)) {
                timer->stop();
                timer->deleteLater();
                delete waited;
                action(t);
                return;
            }
        }
        *waited += 20;
        if (*waited > timeout_ms) {
            timer->stop();
            timer->deleteLater();
            delete waited;
        }
    });
    timer->start(20);
}

// Answers the next clear-memory dialog: "Clean device data?" ticked or
// not, then OK.
template <class Dialog>
void answer_clean_dialog(bool tick)
{
    when_visible<Dialog>([](Dialog *) { return true; }, [tick](Dialog *d) {
        d->template findChild<QCheckBox *>("checkBox")->setChecked(tick);
        d->template findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
    });
}

// The upload waiting box stays open for the code under test to close.
inline bool is_waiting_box(QMessageBox *box)
{
    return box->text() == QLatin1String("Accepting");
}

// Records every message box and closes all but the waiting box; a waiting
// box still open after `timeout_ms` is closed too, so a broken upload
// fails its test instead of hanging it.
class Boxes : public testkit::BoxWatcher
{
public:
    explicit Boxes(int timeout_ms = 15000)
    {
        set_handler([](QMessageBox *box) { return is_waiting_box(box); });
        m_guard.setSingleShot(true);
        QObject::connect(&m_guard, &QTimer::timeout, [] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *box = qobject_cast<QMessageBox *>(w))
                    if (box->isVisible() && is_waiting_box(box))
                        box->done(0);
        });
        m_guard.start(timeout_ms);
    }
    QStringList texts() const
    {
        QStringList out;
        for (const testkit::BoxRecord &b : boxes())
            if (b.text != QLatin1String("Accepting"))
                out << b.title + "|" + b.text;
        return out;
    }

private:
    QTimer m_guard;
};

// A model window on a simulated instrument, in a fresh program directory
// with the PC clock fixed at `now`.
template <class W, class I>
struct WindowOn
{
    testkit::ProgramDir dir;
    testkit::FixedClock clock;
    std::shared_ptr<I> inst;
    W *w = nullptr;

    WindowOn(const char *model, std::shared_ptr<I> instrument, const QDateTime &now,
             const QMap<QString, QString> &config = {})
        : clock(now), inst(std::move(instrument))
    {
        dir.write_config(config);
        hidsim::reset();
        const hidsim::DeviceSpec spec = hidsim::model_device(model);
        hidsim::plug(spec, inst);
        w = new W;
        w->set_device_path(QString::fromStdString(spec.path));
        w->show();
    }
    ~WindowOn()
    {
        delete w;
        hidsim::reset();
    }
    template <class T> T *get(const char *name) { return w->template findChild<T *>(QLatin1String(name)); }
    QTableWidget *rt_table() { return get<QTableWidget>("RT_table_data"); }
    QTableWidget *read_table() { return get<QTableWidget>("read_table_data"); }
    QString label(const char *name) { return get<QLabel>(name)->text(); }
    frame::ModelFrame *frame() { return w->template findChild<frame::ModelFrame *>(); }
    // The link state the status bar shows.
    QString link_text()
    {
        for (QLabel *l : w->statusBar()->template findChildren<QLabel *>())
            if (l->text() == QLatin1String("connected") || l->text() == QLatin1String("not connected"))
                return l->text();
        return QString();
    }

    // One real-time answer, as a poll gets it.
    void poll()
    {
        const int rows = rt_table()->rowCount();
        w->get_rt_data_cmd_slot();
        QVERIFY(testkit::wait_until([&] { return rt_table()->rowCount() == rows + 1; }, 4000));
    }
};

inline bool waiting_box_visible()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *box = qobject_cast<QMessageBox *>(w))
            if (box->isVisible() && is_waiting_box(box))
                return true;
    return false;
}

// Waits for a visible top-level dialog of type D once no waiting box is
// shown (a dialog the upload opens after the instrument answered).
template <class D>
D *wait_for_dialog(int timeout_ms = 8000)
{
    D *dialog = nullptr;
    testkit::wait_until([&] {
        for (QWidget *t : QApplication::topLevelWidgets())
            if (auto *d = qobject_cast<D *>(t))
                if (d->isVisible() && !waiting_box_visible())
                    dialog = d;
        return dialog != nullptr;
    }, timeout_ms);
    return dialog;
}

// Command bytes of every report written to the path (report id and
// padding removed, `len` bytes each).
inline QStringList written(const std::string &path, int len)
{
    QStringList out;
    for (const hidsim::Bytes &w : hidsim::writes(path)) {
        QByteArray b(reinterpret_cast<const char *>(w.data()) + 1, qMin(len, int(w.size()) - 1));
        out << QString::fromLatin1(b.toHex(' '));
    }
    return out;
}

// Saves go to names the test chooses.
struct SaveNames
{
    explicit SaveNames(const QString &path)
    {
        frame::ModelFrame::set_save_name_hook([path](const QString &, const QString &) { return path; });
    }
    ~SaveNames() { frame::ModelFrame::set_save_name_hook(nullptr); }
};

// The first sheet as read by openpyxl: {"cells": [[...], ...], "fills": {"B3": "FFFF0000", ...}}.
inline QJsonObject read_xlsx(const QString &path)
{
    const char *script =
        "import json, sys, openpyxl\n"
        "ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]\n"
        "cells = [[c.value for c in row] for row in ws.iter_rows()]\n"
        "fills = {c.coordinate: c.fill.fgColor.rgb for row in ws.iter_rows() for c in row\n"
        "         if c.fill is not None and c.fill.fill_type == 'solid'}\n"
        "print(json.dumps({'cells': cells, 'fills': fills}, default=str))\n";
    QProcess p;
    p.start("/usr/bin/python3", {"-c", script, path});
    if (!p.waitForFinished(30000) || p.exitCode() != 0) {
        qWarning() << "openpyxl failed:" << p.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

inline QString cell(const QJsonObject &sheet, int row, int col)
{
    const QJsonValue v = sheet["cells"].toArray().at(row - 1).toArray().at(col - 1);
    return v.isNull() ? QString() : v.toVariant().toString();
}

inline QString pdf_text(const QString &pdf)
{
    QProcess p;
    p.start("pdftotext", {"-layout", pdf, "-"});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

inline QString text_at(const QTableWidget *t, int row, int col)
{
    const QTableWidgetItem *item = t->item(row, col);
    return item ? item->text() : QString("<none>");
}

// The sheet matches the table: title, headers, then every cell as text.
inline void compare_sheet(const QJsonObject &sheet, const QTableWidget *table, const QString &title)
{
    QCOMPARE(cell(sheet, 1, 1), title);
    for (int c = 0; c < table->columnCount(); ++c)
        QCOMPARE(cell(sheet, 2, c + 1), table->horizontalHeaderItem(c)->text());
    QCOMPARE(sheet["cells"].toArray().size(), table->rowCount() + 2);
    for (int r = 0; r < table->rowCount(); ++r)
        for (int c = 0; c < table->columnCount(); ++c)
            QCOMPARE(cell(sheet, r + 3, c + 1), table->item(r, c)->text());
}

}

#endif
