#ifndef WAITING_BOX_H
#define WAITING_BOX_H

#include <QString>

class QMessageBox;

namespace waiting_box {

// Builds the parentless upload waiting box: Information icon, empty title,
// the given (already translated) text, its OK button hidden, and the
// running loading picture in a 75 x 50 icon label. The caller runs it with
// exec() and closes it when the awaited data arrive; the caller owns it.
// Without the picture in the resources the box still works, iconless.
QMessageBox *create(const QString &text);

}

#endif
