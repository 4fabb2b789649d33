#include "testkit.h"
#include "mainwindow.h"
#include "update_check/update_check.h"
#include "update_check/updater.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <QtTest>

namespace {

// Debug and warning messages of the code under test, in order.
QStringList g_messages;
void capture(QtMsgType type, const QMessageLogContext &, const QString &msg)
{
    if (type == QtDebugMsg || type == QtWarningMsg)
        g_messages << msg;
}

struct MessageCapture
{
    MessageCapture() { g_messages.clear(); m_old = qInstallMessageHandler(capture); }
    ~MessageCapture() { qInstallMessageHandler(m_old); }
    QtMessageHandler m_old;
};

bool logged(const QString &start)
{
    for (const QString &m : g_messages)
        if (m.startsWith(start))
            return true;
    return false;
}

QByteArray fixture(const QByteArray &name)
{
    QFile f(testkit::source_dir() + "/tests/shell/update_server/" + QString::fromLatin1(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The update server, on 127.0.0.1 over TLS with the fixture certificate:
// answers one status and body, takes the request and closes without an
// answer (Drop), takes it and keeps silent (Hold), or never even starts
// TLS (Silent).
class UpdateServer : public QTcpServer
{
public:
    enum class Mode { Answer, Drop, Hold, Silent };
    Mode mode = Mode::Answer;
    int status = 200;
    QByteArray body;
    QStringList requests;   // request lines, e.g. "GET /download/... HTTP/1.1"

    // name: the fixture pair the server shows ("server" is the one the tests trust)
    bool start(const char *name = "server")
    {
        m_cert = QSslCertificate(fixture(QByteArray(name) + ".crt"));
        m_key = QSslKey(fixture(QByteArray(name) + ".key"), QSsl::Rsa);
        return !m_cert.isNull() && !m_key.isNull() && listen(QHostAddress::LocalHost, 0);
    }
    QUrl base() const { return QUrl(QStringLiteral("https://127.0.0.1:%1").arg(serverPort())); }

protected:
    void incomingConnection(qintptr descriptor) override
    {
        auto *socket = new QSslSocket(this);
        socket->setSocketDescriptor(descriptor);
        if (mode == Mode::Silent)
            return;   // holds the connection, says nothing
        socket->setLocalCertificate(m_cert);
        socket->setPrivateKey(m_key);
        auto *received = new QByteArray;
        connect(socket, &QObject::destroyed, [received] { delete received; });
        connect(socket, &QSslSocket::readyRead, this, [this, socket, received] {
            received->append(socket->readAll());
            if (!received->contains("\r\n\r\n"))
                return;
            requests << QString::fromLatin1(received->left(received->indexOf("\r\n")));
            received->clear();
            if (mode == Mode::Hold)
                return;
            if (mode == Mode::Answer) {
                socket->write(QByteArray("HTTP/1.1 ") + QByteArray::number(status) + " X\r\n"
                              "Content-Type: application/json\r\nContent-Length: "
                              + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
            }
            socket->disconnectFromHost();
        });
        socket->startServerEncryption();
    }

private:
    QSslCertificate m_cert;
    QSslKey m_key;
};

// Records the updater's start instead of starting anything.
struct UpdaterStarts
{
    UpdaterStarts()
    {
        updater::set_start_hook([this](const QString &name, const QStringList &args) {
            calls << (QStringList{name} + args);
            events << "start";
        });
    }
    ~UpdaterStarts() { updater::set_start_hook(nullptr); }
    QList<QStringList> calls;
    QStringList events;   // "start", and what the test adds
};

UPDATE_CHECK *offer_shown()
{
    return qobject_cast<UPDATE_CHECK *>(QApplication::activeModalWidget());
}

// Acts once on the offer when it shows; the offer runs modally, so this
// polls from the event loop it spins.
void when_offered(QTimer &poll, std::function<void(UPDATE_CHECK *)> act)
{
    QObject::connect(&poll, &QTimer::timeout, [&poll, act] {
        if (UPDATE_CHECK *d = offer_shown()) {
            poll.stop();
            act(d);
        }
    });
    poll.start(10);
}

// Declines the offer whenever it shows, noting that it did.
struct DeclinedOffers
{
    DeclinedOffers()
    {
        when_offered(poll, [this](UPDATE_CHECK *d) {
            seen = true;
            d->reject();
        });
    }
    bool seen = false;
    QTimer poll;
};

const QString k_info_request = QStringLiteral("GET /download/Sensavo/info.json HTTP/1.1");

}

class tst_update_check : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY2(QSslSocket::supportsSsl(), "no TLS library");
        // The local server's own certificate stands in for a public authority.
        const QSslCertificate local(fixture("server.crt"));
        QVERIFY(!local.isNull());
        updater::set_extra_authorities({local});
    }

    // Only a server whose certificate the program trusts is heard; any
    // other ends like a failed connection: one line, nothing shown.
    void server_certificate_data()
    {
        QTest::addColumn<QByteArray>("pair");
        QTest::addColumn<bool>("trusted");
        QTest::newRow("trusted") << QByteArray("server") << true;
        QTest::newRow("not trusted") << QByteArray("untrusted") << false;
    }
    void server_certificate()
    {
        QFETCH(QByteArray, pair);
        QFETCH(bool, trusted);
        testkit::ProgramDir dir;
        UpdateServer server;
        QVERIFY(server.start(pair.constData()));
        server.body = R"({"version":2})";
        updater::set_server(server.base());
        UpdaterStarts starts;
        MessageCapture messages;
        DeclinedOffers offers;
        UPDATE_CHECK check;
        QVERIFY(testkit::wait_until([] { return logged("QNetworkReply:") || logged("update check error code"); }));
        QCOMPARE(offers.seen, trusted);
        QCOMPARE(logged("QNetworkReply:"), trusted);
        QCOMPARE(g_messages.filter("update check error code"),
                 trusted ? QStringList() : QStringList{"update check error code =  0"});
        QCOMPARE(logged("update server certificate refused:"), !trusted);
        QCOMPARE(server.requests.isEmpty(), !trusted);   // nothing is asked of a stranger
        QVERIFY(starts.calls.isEmpty());
    }

    // The decision on the server's "version", as a number or a string.
    void offer_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("offered");
        QTest::newRow("newer 1.23") << QByteArray(R"({"version":1.23})") << true;
        QTest::newRow("newer as string") << QByteArray(R"({"version":"1.23"})") << true;
        QTest::newRow("newer 1.3") << QByteArray(R"({"version":1.3})") << true;
        QTest::newRow("newer 2") << QByteArray(R"({"version":2})") << true;
        QTest::newRow("equal") << QByteArray(R"({"version":1.22})") << false;
        QTest::newRow("equal as string") << QByteArray(R"({"version":"1.22"})") << false;
        QTest::newRow("1.229 truncates to equal") << QByteArray(R"({"version":1.229})") << false;
        QTest::newRow("1.2299999") << QByteArray(R"({"version":1.2299999})") << false;
        QTest::newRow("older") << QByteArray(R"({"version":1.2})") << false;
        QTest::newRow("negative") << QByteArray(R"({"version":-3})") << false;
        QTest::newRow("missing") << QByteArray(R"({"name":"Sensavo"})") << false;
        QTest::newRow("not numeric") << QByteArray(R"({"version":"new"})") << false;
        QTest::newRow("boolean") << QByteArray(R"({"version":true})") << false;
        QTest::newRow("not JSON") << QByteArray("version=1.3") << false;
        QTest::newRow("array") << QByteArray("[1.3]") << false;
        QTest::newRow("empty body") << QByteArray() << false;
        QTest::newRow("up to a zero byte") << QByteArray("{\"version\":1.3}\0{", 17) << true;
        QTest::newRow("past int range") << QByteArray(R"({"version":1e30})") << true;
        QTest::newRow("past float range") << QByteArray(R"({"version":1e300})") << false;
        QTest::newRow("nan string") << QByteArray(R"({"version":"nan"})") << false;
    }
    void offer()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, offered);
        testkit::ProgramDir dir;
        UpdateServer server;
        QVERIFY(server.start());
        server.body = body;
        updater::set_server(server.base());
        UpdaterStarts starts;
        MessageCapture messages;

        DeclinedOffers offers;
        UPDATE_CHECK check;
        QVERIFY(!check.isVisible());
        QVERIFY(testkit::wait_until([] { return logged("QNetworkReply:"); }));
        QCOMPARE(server.requests, QStringList{k_info_request});
        QCOMPARE(offers.seen, offered);
        QVERIFY(!check.isVisible());
        QVERIFY(starts.calls.isEmpty());
        QVERIFY(!logged("update check error code"));
        QCOMPARE(logged("version new: "), offered);
        QCOMPARE(g_messages.filter(" <= 1.22").size(), offered ? 0 : 1);
    }

    // Any status but 200, and transport failures (status 0): one log line, nothing shown.
    void server_failure_data()
    {
        QTest::addColumn<int>("status");      // -1: closes after the request
        QTest::addColumn<bool>("refused");    // nobody listens
        QTest::addColumn<QString>("line");
        QTest::newRow("404") << 404 << false << "update check error code =  404";
        QTest::newRow("500") << 500 << false << "update check error code =  500";
        QTest::newRow("301") << 301 << false << "update check error code =  301";
        QTest::newRow("closed without answer") << -1 << false << "update check error code =  0";
        QTest::newRow("refused") << 200 << true << "update check error code =  0";
    }
    void server_failure()
    {
        QFETCH(int, status);
        QFETCH(bool, refused);
        QFETCH(QString, line);
        testkit::ProgramDir dir;
        UpdateServer server;
        QVERIFY(server.start());
        server.body = R"({"version":2})";
        server.status = status;
        if (status < 0)
            server.mode = UpdateServer::Mode::Drop;
        const QUrl base = server.base();
        if (refused)
            server.close();
        updater::set_server(base);
        MessageCapture messages;
        UPDATE_CHECK check;
        QVERIFY(testkit::wait_until([] { return logged("update check error code"); }));
        QCOMPARE(g_messages.filter("update check error code"), QStringList{line});
        QVERIFY(!logged("QNetworkReply:"));
        QVERIFY(!logged("version"));
        QVERIFY(!offer_shown());
        QVERIFY(!check.isVisible());
    }

    // A server that takes the connection and never answers: no offer, no
    // line, and the check can be deleted with its request still waiting.
    void server_does_not_answer_data()
    {
        QTest::addColumn<int>("mode");
        QTest::newRow("no TLS answer") << int(UpdateServer::Mode::Silent);
        QTest::newRow("no HTTP answer") << int(UpdateServer::Mode::Hold);
    }
    void server_does_not_answer()
    {
        QFETCH(int, mode);
        testkit::ProgramDir dir;
        UpdateServer server;
        QVERIFY(server.start());
        server.mode = UpdateServer::Mode(mode);
        updater::set_server(server.base());
        MessageCapture messages;
        auto *check = new UPDATE_CHECK;
        QTest::qWait(1500);
        if (server.mode == UpdateServer::Mode::Hold)
            QCOMPARE(server.requests, QStringList{k_info_request});
        QVERIFY(!logged("update check error code"));
        QVERIFY(!logged("QNetworkReply:"));
        QVERIFY(!offer_shown());
        delete check;
        QCoreApplication::processEvents();
        QVERIFY(!logged("update check error code"));
    }

    // OK starts the updater with the package address and the executable
    // name, then asks for every window to close; Cancel does neither.
    void accept_or_decline_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("OK") << true;
        QTest::newRow("Cancel") << false;
    }
    void accept_or_decline()
    {
        QFETCH(bool, accept);
        testkit::ProgramDir dir;
        UpdateServer server;
        QVERIFY(server.start());
        server.body = R"({"version":"1.3"})";
        updater::set_server(server.base());
        UpdaterStarts starts;
        MessageCapture messages;
        UPDATE_CHECK check;
        connect(&check, &UPDATE_CHECK::close_main_windows, [&] { starts.events << "close"; });

        QString title;
        QStringList texts;
        bool visible_after = true;
        QTimer poll;
        when_offered(poll, [&](UPDATE_CHECK *d) {
            title = d->windowTitle();
            for (const char *name : {"label", "label_2"})
                texts << d->findChild<QLabel *>(name)->text();
            auto *box = d->findChild<QDialogButtonBox *>("buttonBox");
            box->button(accept ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
            visible_after = d->isVisible();
        });
        QVERIFY(testkit::wait_until([] { return logged("QNetworkReply:"); }));
        QCOMPARE(title, QStringLiteral("update info"));
        QCOMPARE(texts, (QStringList{"New Version Avalible",
                                     "There is a newer version avalible for download !\n Please update the app."}));
        QVERIFY(!visible_after);
        if (accept) {
            const QString package = server.base().toString() + "/download/Sensavo/MinGW-64.zip";
            QCOMPARE(starts.calls, (QList<QStringList>{{"upgrade", package, "Sensavo"}}));
            QCOMPARE(starts.events, (QStringList{"start", "close"}));
        } else {
            QVERIFY(starts.events.isEmpty());
        }
        QCOMPARE(server.requests.size(), 1);   // one check only
    }

    // Through the start window: an accepted offer closes the model window
    // too, and the program ends.
    void accepted_offer_ends_the_program()
    {
        testkit::ProgramDir dir;
        UpdateServer server;
        QVERIFY(server.start());
        server.body = R"({"version":2})";
        updater::set_server(server.base());
        UpdaterStarts starts;
        MainWindow w;
        w.show();
        w.ui_init(QStringLiteral("KQ263 照度计"), "p");
        QPointer<QWidget> model;
        for (QWidget *t : QApplication::topLevelWidgets())
            if (t->isVisible() && QByteArray(t->metaObject()->className()) == "KQ263_INTERFACE")
                model = t;
        QVERIFY(model);

        QTimer poll;
        when_offered(poll, [](UPDATE_CHECK *d) {
            d->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Ok)->click();
        });
        QTimer::singleShot(15000, &w, [] { qApp->exit(99); });
        QCOMPARE(qApp->exec(), 0);
        QCOMPARE(starts.calls.size(), 1);
        QVERIFY(!model->isVisible());
        QVERIFY(!w.isVisible());
    }

    // An updater that cannot be started (none in the working directory nor
    // on the search path): the failure is logged and every window stays.
    void failed_start_keeps_the_windows()
    {
        testkit::ProgramDir dir;
        UpdateServer server;
        QVERIFY(server.start());
        server.body = R"({"version":2})";
        updater::set_server(server.base());
        updater::set_start_hook(nullptr);
        const QByteArray old_path = qgetenv("PATH");
        qputenv("PATH", dir.path().toLocal8Bit());
        MessageCapture messages;
        MainWindow w;
        w.show();
        w.ui_init(QStringLiteral("KQ263 照度计"), "p");
        QPointer<QWidget> model;
        for (QWidget *t : QApplication::topLevelWidgets())
            if (t->isVisible() && QByteArray(t->metaObject()->className()) == "KQ263_INTERFACE")
                model = t;
        QVERIFY(model);

        QTimer poll;
        when_offered(poll, [](UPDATE_CHECK *d) {
            d->findChild<QDialogButtonBox *>("buttonBox")->button(QDialogButtonBox::Ok)->click();
        });
        const bool seen = testkit::wait_until([] { return logged("the updater could not be started"); }, 15000);
        QCoreApplication::processEvents();
        qputenv("PATH", old_path);
        QVERIFY(seen);
        QVERIFY(model && model->isVisible());
    }

    void updater_command_data()
    {
        QTest::addColumn<bool>("present");
        QTest::addColumn<bool>("executable");
        QTest::addColumn<QString>("command");
        QTest::newRow("in the working directory") << true << true << "./upgrade";
        QTest::newRow("not executable") << true << false << "upgrade";
        QTest::newRow("absent: the search path") << false << false << "upgrade";
    }
    void updater_command()
    {
        QFETCH(bool, present);
        QFETCH(bool, executable);
        QFETCH(QString, command);
        testkit::ProgramDir dir;
        if (present) {
            QFile f(dir.file("upgrade"));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("#!/bin/sh\n");
            f.close();
            QFile::Permissions p = QFile::ReadOwner | QFile::WriteOwner;
            if (executable)
                p |= QFile::ExeOwner;
            QVERIFY(f.setPermissions(p));
        }
        QCOMPARE(updater::updater_command(), command);
    }
};

QTEST_MAIN(tst_update_check)
#include "tst_update_check.moc"
