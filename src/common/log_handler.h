#ifndef LOG_HANDLER_H
#define LOG_HANDLER_H

#include <QString>
#include <QtGlobal>

// Process-wide message handler: appends one line per message to
// <program dir>/log/log_<yyyy-MM-dd>.txt. Safe to call from any thread.
void log_message_handler(QtMsgType type, const QMessageLogContext &context, const QString &msg);

#endif
