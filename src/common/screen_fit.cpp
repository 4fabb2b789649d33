#include "screen_fit.h"

#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QScreen>
#include <QScrollArea>
#include <QWindow>

namespace screen_fit {

namespace {

QSize least_size(QWidget *w)
{
    if (w->layout())
        w->layout()->activate();
    return w->minimumSizeHint().expandedTo(w->minimumSize());
}

void scroll_contents(QMainWindow *window, const QSize &room)
{
    QWidget *contents = window->centralWidget();
    if (!contents || qobject_cast<QScrollArea *>(contents))
        return;
    window->takeCentralWidget();
    auto *area = new QScrollArea;
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(contents);
    window->setCentralWidget(area);
    // The form's own minimum would keep the window past the screen's edge.
    window->setMinimumSize(window->minimumSize().boundedTo(room));
}

}

void show_within_screen(QWidget *window)
{
    // The decorations count too: known once the native window exists (a
    // window manager that adds them later keeps its windows on screen).
    window->winId();
    QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        window->show();
        return;
    }
    const QMargins frame = window->windowHandle() ? window->windowHandle()->frameMargins() : QMargins();
    const QRect room = screen->availableGeometry();
    const QSize inner = room.size() - QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
    if (auto *main = qobject_cast<QMainWindow *>(window)) {
        const QSize least = least_size(main);
        if (least.width() > inner.width() || least.height() > inner.height())
            scroll_contents(main, inner);
    }
    if (window->width() > inner.width() || window->height() > inner.height()) {
        window->resize(window->size().boundedTo(inner).expandedTo(window->minimumSize()));
        window->move(room.topLeft());   // a window's position is its frame's
    }
    window->show();
}

}
