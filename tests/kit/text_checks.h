#ifndef TEXT_CHECKS_H
#define TEXT_CHECKS_H

#include <QString>
#include <QStringList>

class QWidget;

namespace textcheck {

// A widget's path of object names below its window, for messages.
QString where(const QWidget *w);

// Every shown caption, button, radio, group title and table heading of the
// window gets the room its text needs in one line per line break (an
// elided or wrapped text counts as clipped), and no two sibling widgets
// cover each other. One line per fault.
QStringList check_window(QWidget *top);

// Lets posted layout requests run.
void settle(QWidget *w);

}

#endif
