#include "screen_fit.h"

#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>
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

// A plain window: its layout moves onto a page inside a scroll area.
void scroll_layout(QWidget *window, const QSize &room)
{
    QLayout *layout = window->layout();
    if (!layout || window->findChild<QScrollArea *>(QStringLiteral("screen_fit_area"), Qt::FindDirectChildrenOnly))
        return;
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("screen_fit_page"));
    page->setLayout(layout);   // takes the layout and its widgets off the window
    auto *area = new QScrollArea;
    area->setObjectName(QStringLiteral("screen_fit_area"));
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(page);
    auto *outer = new QVBoxLayout(window);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(area);
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
    const QSize least = least_size(window);
    if (least.width() > inner.width() || least.height() > inner.height()) {
        if (auto *main = qobject_cast<QMainWindow *>(window))
            scroll_contents(main, inner);
        else
            scroll_layout(window, inner);
    }
    if (window->width() > inner.width() || window->height() > inner.height()) {
        window->resize(window->size().boundedTo(inner).expandedTo(window->minimumSize()));
        window->move(room.topLeft());   // a window's position is its frame's
    }
    window->show();
}

}
