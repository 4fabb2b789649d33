#ifndef UPDATER_H
#define UPDATER_H

#include <QList>
#include <QSslCertificate>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

// What the update check needs from outside the program: the update
// server's address and the external updater. Tests point the server
// elsewhere and record the updater's start instead of starting it.
namespace updater {

// Scheme, host and port of the update server.
QUrl server();
void set_server(const QUrl &base);   // empty: back to the real server

// The authorities the server's certificate is checked against: the
// system's, and any a test adds for its own local server.
QList<QSslCertificate> trusted_authorities();
void set_extra_authorities(const QList<QSslCertificate> &authorities);

QUrl info_address();      // the newest version, as JSON
QUrl package_address();   // the update package, handed to the updater

// The updater's relative name and the program's executable name, in this
// platform's form ("upgrade.exe" and "Sensavo.exe" on Windows).
QString updater_name();
QString executable_name();

// The command that starts the updater: on Windows its bare name (the
// system searches the working directory, then the search path); elsewhere
// "./upgrade" when the working directory holds it, else the bare name.
QString updater_command();

// Starts the updater detached, without waiting; false when it could not.
// A hook set by tests receives the name and arguments instead.
bool start_detached(const QStringList &arguments);
void set_start_hook(std::function<void(const QString &name, const QStringList &arguments)> hook);

}

#endif
