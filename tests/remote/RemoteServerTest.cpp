// The web remote's server against the real program, offscreen: every refusal
// happens before anything reaches the show, and what is let in acts through
// the windows' presenters.
#include "../app/ProgramFixture.h"
#include "ProgramRemote.h"
#include "RemoteServer.h"

#include <QMessageBox>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QWebSocket>

#include <memory>
#include <vector>

using namespace tinctara;

namespace {

int freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Sends raw bytes and returns what comes back until the head is complete or the peer closes.
QByteArray rawRequest(int port, const QByteArray& bytes)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    if (!socket.waitForConnected(3000))
        return "no connection";
    socket.write(bytes);
    QByteArray answer;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 3000 && !answer.contains("\r\n\r\n")) {
        QTest::qWait(5);
        answer += socket.readAll();
        if (socket.state() != QAbstractSocket::ConnectedState)
            break;
    }
    QTest::qWait(20);
    return answer + socket.readAll();
}

QByteArray get(int port, const QByteArray& target, const QByteArray& extra = "")
{
    return rawRequest(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) + "\r\n" +
                                extra + "\r\n");
}

QByteArray upgrade(int port, const QByteArray& target, const QByteArray& extra = "")
{
    return get(port, target,
               "Upgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
               "Sec-WebSocket-Version: 13\r\n" +
                   extra);
}

// The session cookie of a 303 answer ("tinctara-PORT=TOKEN"), empty when there is none.
QByteArray sessionCookie(const QByteArray& answer)
{
    const QByteArray name = "\r\nSet-Cookie: ";
    const qsizetype start = answer.indexOf(name);
    if (start < 0)
        return {};
    const QByteArray value = answer.mid(start + name.size());
    return value.left(value.indexOf(';'));
}

// A WebSocket opened over a plain socket, its handshake answered: for frames no
// client library would send.
std::unique_ptr<QTcpSocket> rawWebSocket(int port, const QByteArray& target, QByteArray& answer,
                                         const QByteArray& following = {})
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    if (!socket->waitForConnected(3000))
        return nullptr;
    socket->write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                  "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                  "Sec-WebSocket-Version: 13\r\n\r\n" +
                  following);
    (void)QTest::qWaitFor(
        [&] {
            answer += socket->readAll();
            return answer.contains("\r\n\r\n");
        },
        3000);
    return socket;
}

// Everything that comes until the server closes the connection (3 s at most).
QByteArray readUntilClosed(QTcpSocket& socket)
{
    QByteArray bytes;
    (void)QTest::qWaitFor(
        [&] {
            bytes += socket.readAll();
            return socket.state() == QAbstractSocket::UnconnectedState;
        },
        3000);
    return bytes + socket.readAll();
}

// A page's connection: keeps every message it is sent. With a cookie it
// asks as the page does, by its session; else with the code.
struct Page {
    explicit Page(int port, const QString& code, const QByteArray& cookie = {})
    {
        QObject::connect(&socket, &QWebSocket::textMessageReceived,
                         [this](const QString& message) { messages << message; });
        QNetworkRequest request(QUrl(cookie.isEmpty()
                                         ? QStringLiteral("ws://127.0.0.1:%1/ws?code=%2").arg(port).arg(code)
                                         : QStringLiteral("ws://127.0.0.1:%1/ws").arg(port)));
        if (!cookie.isEmpty())
            request.setRawHeader("Cookie", cookie);
        socket.open(request);
    }
    bool waitOpen()
    {
        return QTest::qWaitFor([this] { return socket.state() == QAbstractSocket::ConnectedState; }, 3000);
    }
    // The status replies received so far.
    QStringList statuses() const { return messages.filter(QStringLiteral("\"t\":\"status\"")); }
    QString waitStatus(int count = 1)
    {
        (void)QTest::qWaitFor([&] { return statuses().size() >= count; }, 3000);
        return statuses().size() >= count ? statuses().at(count - 1) : QString();
    }
    QWebSocket socket;
    QStringList messages;
};

}  // namespace

class RemoteServerTest : public QObject {
    Q_OBJECT

    // The server's clock stands still, so that the rate limiter refills
    // nothing however slowly a loaded machine passes a flood on.
    struct StillClock : Clock {
        std::int64_t timeOfDaySeconds() override { return 0; }
        std::int64_t monotonicMilliseconds() override { return 1000; }
    } stillClock_;
    testing::ProgramFixture fixture_;
    std::unique_ptr<Program> program_;
    int port_ = 0;
    QString code_;

    // The server linked into the test rather than loaded, so that the test
    // can count its connections.
    RemoteServer& server() { return *static_cast<RemoteServer*>(program_->remote().server().loaded()); }
    bool startRemote(const std::string& code)
    {
        RemoteSettings settings;
        settings.port = port_;
        settings.code = code;
        code_ = QString::fromStdString(code);
        return program_->remote().server().start(settings).empty();
    }
    std::array<int, 4> element(int number) const
    {
        const ShowModel& m = program_->model();
        return {m.colour(Red, number), m.colour(Green, number), m.colour(Blue, number), m.colour(White, number)};
    }

private slots:
    void init()
    {
        fixture_.reset();
        fixture_.remoteServer = [this](RemoteActions& actions, Clock&) {
            return std::make_unique<RemoteServer>(actions, stillClock_);
        };
        program_ = fixture_.start();
        QVERIFY(program_);
        testing::ProgramFixture::buildWall(*program_, 3, 2);
        port_ = freePort();
        QVERIFY(startRemote(makeAccessCode()));
    }

    void cleanup() { program_.reset(); }

    void pageRequestsNeedTheCodeAndOurOrigin()
    {
        const QByteArray code = code_.toUtf8();
        QVERIFY(get(port_, "/").startsWith("HTTP/1.1 403 "));
        QVERIFY(get(port_, "/?code=wrong").startsWith("HTTP/1.1 403 "));
        QVERIFY(get(port_, "/remote.js").startsWith("HTTP/1.1 403 "));
        QVERIFY(get(port_, "/?code=" + code, "Origin: http://evil.example\r\n").startsWith("HTTP/1.1 403 "));
        QVERIFY(rawRequest(port_, "GET /?code=" + code +
                                      " HTTP/1.1\r\nHost: evil.example:" + QByteArray::number(port_) + "\r\n\r\n")
                    .startsWith("HTTP/1.1 403 "));
        // The code is exchanged for a session's cookie and leaves the address.
        const QByteArray redirect = get(port_, "/?code=" + code);
        QVERIFY2(redirect.startsWith("HTTP/1.1 303 "), redirect.left(200).constData());
        QVERIFY(redirect.contains("\r\nLocation: /\r\n"));
        QVERIFY(redirect.contains("; Path=/; HttpOnly; SameSite=Strict\r\n"));
        const QByteArray cookie = sessionCookie(redirect);
        QVERIFY2(cookie.startsWith("tinctara-" + QByteArray::number(port_) + "="), cookie.constData());
        QVERIFY(!cookie.contains(code));
        // From another site's link the cookie comes with a page that moves
        // itself to "/": the browser would not send it on a redirect.
        const QByteArray fromLink = get(port_, "/?code=" + code, "Sec-Fetch-Site: cross-site\r\n");
        QVERIFY2(fromLink.startsWith("HTTP/1.1 200 "), fromLink.left(200).constData());
        QVERIFY(fromLink.contains("; Path=/; HttpOnly; SameSite=Strict\r\n"));
        QVERIFY(fromLink.contains("<meta http-equiv=\"refresh\" content=\"0; url=/\">"));
        QVERIFY(!fromLink.contains("Location:"));
        QVERIFY(get(port_, "/", "Cookie: " + sessionCookie(fromLink) + "\r\n").startsWith("HTTP/1.1 200 "));
        const QByteArray page = get(port_, "/", "Cookie: " + cookie + "\r\n");
        QVERIFY2(page.startsWith("HTTP/1.1 200 "), page.left(200).constData());
        QVERIFY(page.contains("Content-Security-Policy: default-src 'none'"));
        QVERIFY(page.contains("<html lang=\"de\">"));
        QVERIFY(page.contains("src=\"remote.js\""));
        QVERIFY(!page.contains("code"));  // nothing of the page carries it on
        for (const QByteArray& script :
             {get(port_, "/remote.js", "Cookie: " + cookie + "\r\n"), get(port_, "/remote.js?code=" + code)}) {
            QVERIFY(script.startsWith("HTTP/1.1 200 "));
            QVERIFY(script.contains("text/javascript"));
            QVERIFY(!script.contains("code="));
        }
        QVERIFY(get(port_, "/favicon.ico?code=" + code).startsWith("HTTP/1.1 404 "));
        QVERIFY(rawRequest(port_, "GARBAGE\r\n\r\n").startsWith("HTTP/1.1 400 "));
        // Answered requests no longer count against the requests being read.
        for (int i = 0; i < RemoteServer::MaxPendingRequests + 8; ++i)
            QVERIFY2(get(port_, "/").startsWith("HTTP/1.1 403 "), qPrintable(QString::number(i)));
        QVERIFY(rawRequest(port_, QByteArray(10000, 'A')).startsWith("HTTP/1.1 431 "));
    }

    void webSocketsWithoutTheCodeNeverUpgrade()
    {
        const QByteArray code = code_.toUtf8();
        const QByteArray origin = "Origin: http://127.0.0.1:" + QByteArray::number(port_) + "\r\n";
        struct Case {
            const char* what;
            QByteArray answer;
        };
        const std::string oldCode = code_.toStdString();
        const Case refused[] = {
            {"no code", upgrade(port_, "/ws", origin)},
            {"wrong code", upgrade(port_, "/ws?code=" + code + "x", origin)},
            {"other origin", upgrade(port_, "/ws?code=" + code, "Origin: http://evil.example\r\n")},
        };
        for (const auto& c : refused) {
            QVERIFY2(c.answer.startsWith("HTTP/1.1 403 "), c.what);
            QVERIFY2(!c.answer.contains(" 101 "), c.what);
        }
        QVERIFY(upgrade(port_, "/ws?code=" + code, origin).startsWith("HTTP/1.1 101 "));

        // A new code: the old one is worth nothing, and pages that used it are let go.
        Page page(port_, code_);
        QVERIFY(page.waitOpen());
        QSignalSpy gone(&page.socket, &QWebSocket::disconnected);
        QVERIFY(startRemote(makeAccessCode()));
        QVERIFY(gone.wait(3000) || gone.count() == 1);
        QVERIFY(upgrade(port_, "/ws?code=" + QByteArray::fromStdString(oldCode), origin).startsWith("HTTP/1.1 403 "));
        QVERIFY(get(port_, "/?code=" + QByteArray::fromStdString(oldCode)).startsWith("HTTP/1.1 403 "));
    }

    void aSessionLastsUntilANewCodeOrTheRemoteTurnedOffAndOn()
    {
        const QByteArray oldCookie = sessionCookie(get(port_, "/?code=" + code_.toUtf8()));
        QVERIFY(!oldCookie.isEmpty());
        Page page(port_, code_, oldCookie);
        QVERIFY(page.waitOpen());
        page.socket.sendTextMessage(QStringLiteral("tap 2"));
        QVERIFY(page.waitStatus(1).contains(" Es wurde Element Nr 2 ausgewählt. "));
        QCOMPARE(program_->model().SelectionCount, 1);

        const auto refused = [&](const QByteArray& cookie) {
            const QByteArray answer = upgrade(port_, "/ws", "Cookie: " + cookie + "\r\n");
            return answer.startsWith("HTTP/1.1 403 ") && !answer.contains(" 101 ") &&
                   get(port_, "/", "Cookie: " + cookie + "\r\n").startsWith("HTTP/1.1 403 ");
        };
        // "Neuer Code" restarts the remote with the new code: the page goes,
        // and its cookie is worth nothing.
        QSignalSpy gone(&page.socket, &QWebSocket::disconnected);
        QVERIFY(startRemote(makeAccessCode()));
        QVERIFY(gone.count() == 1 || gone.wait(3000));
        QVERIFY(refused(oldCookie));
        // Turned off and on with the same code: neither is the cookie of before.
        const QByteArray cookie = sessionCookie(get(port_, "/?code=" + code_.toUtf8()));
        QVERIFY(!refused(cookie));
        server().stop();
        QVERIFY(startRemote(code_.toStdString()));
        QVERIFY(refused(cookie));
        QVERIFY(refused(oldCookie));
        // The code of now still opens a session, whatever stale cookie comes with it.
        const QByteArray fresh = get(port_, "/?code=" + code_.toUtf8(), "Cookie: " + oldCookie + "\r\n");
        QVERIFY(fresh.startsWith("HTTP/1.1 303 "));
        QVERIFY(upgrade(port_, "/ws", "Cookie: " + sessionCookie(fresh) + "\r\n").startsWith("HTTP/1.1 101 "));
    }

    void aHeaderOrTheCodeGivenTwiceIsRefused()
    {
        const QByteArray code = code_.toUtf8();
        const QByteArray host = "Host: 127.0.0.1:" + QByteArray::number(port_) + "\r\n";
        const QByteArray cookie = "Cookie: " + sessionCookie(get(port_, "/?code=" + code)) + "\r\n";
        struct Case {
            const char* what;
            QByteArray request;
        };
        const Case cases[] = {
            {"our host, then another", "GET /remote.js?code=" + code + " HTTP/1.1\r\n" + host + "Host: evil.com\r\n"},
            {"our origin, then another", "GET /remote.js?code=" + code + " HTTP/1.1\r\n" + host +
                                             "Origin: http://127.0.0.1:" + QByteArray::number(port_) +
                                             "\r\nOrigin: http://evil.com\r\n"},
            {"the code twice", "GET /ws?code=" + code + "&code=" + code + " HTTP/1.1\r\n" + host +
                                   "Upgrade: websocket\r\nConnection: Upgrade\r\n"},
            {"two cookie headers", "GET / HTTP/1.1\r\n" + host + cookie + "Cookie: a=b\r\n"},
        };
        for (const auto& c : cases) {
            const QByteArray answer = rawRequest(port_, c.request + "\r\n");
            QVERIFY2(answer.startsWith("HTTP/1.1 400 "), c.what);
        }
    }

    void halfOpenRequestsCannotKeepAPageOut()
    {
        // Each connection sends one byte of a request and nothing more.
        std::vector<std::unique_ptr<QTcpSocket>> stalled;
        for (int i = 0; i < 40; ++i) {
            stalled.push_back(std::make_unique<QTcpSocket>());
            stalled.back()->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port_));
            QVERIFY(stalled.back()->waitForConnected(3000));
            stalled.back()->write("G");
            QVERIFY(stalled.back()->waitForBytesWritten(1000));
        }
        QTest::qWait(50);
        const auto open = [&] {
            return std::count_if(stalled.begin(), stalled.end(),
                                 [](const auto& socket) { return socket->state() == QAbstractSocket::ConnectedState; });
        };
        QElapsedTimer clock;
        clock.start();
        const QByteArray answer = get(port_, "/remote.js?code=" + code_.toUtf8());
        QVERIFY2(answer.startsWith("HTTP/1.1 200 "), answer.left(100).constData());
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY2(open() <= RemoteServer::MaxPendingPerAddress, qPrintable(QString::number(open())));
        // And the rest go when their time is up.
        QVERIFY(QTest::qWaitFor([&] { return open() == 0; }, RemoteServer::RequestTimeoutMs + 1000));
    }

    void anUnmaskedFrameClosesWith1002AndIsNotActedOn()
    {
        QByteArray answer;
        const auto socket = rawWebSocket(port_, "/ws?code=" + code_.toUtf8(), answer);
        QVERIFY(socket);
        QVERIFY2(answer.startsWith("HTTP/1.1 101 "), answer.left(100).constData());
        // A masked "tap 1" acts, as a page's does.
        const char masked[] = {'\x81', '\x85', 1, 2, 3, 4, 't' ^ 1, 'a' ^ 2, 'p' ^ 3, ' ' ^ 4, '1' ^ 1};
        socket->write(masked, sizeof masked);
        QVERIFY(QTest::qWaitFor([&] { return program_->model().SelectionCount == 1; }, 3000));
        // The same frame without its mask: closed with 1002, and nothing happens,
        // neither by it nor by a masked one after it.
        const char unmasked[] = {'\x81', '\x05', 't', 'a', 'p', ' ', '2'};
        const char maskedAfter[] = {'\x81', '\x85', 1, 2, 3, 4, 't' ^ 1, 'a' ^ 2, 'p' ^ 3, ' ' ^ 4, '3' ^ 1};
        socket->write(QByteArray(unmasked, sizeof unmasked) + QByteArray(maskedAfter, sizeof maskedAfter));
        const QByteArray closing = QByteArray("\x88\x02\x03\xea", 4);  // a close frame with 1002
        const QByteArray after = readUntilClosed(*socket);
        QVERIFY2(after.endsWith(closing), after.toHex().constData());
        QCOMPARE(socket->state(), QAbstractSocket::UnconnectedState);
        QTest::qWait(100);
        QCOMPARE(program_->model().SelectionCount, 1);
        QCOMPARE(program_->model().SelectionFlags[1], 0);
        QCOMPARE(program_->model().SelectionFlags[2], 0);
        QVERIFY(QTest::qWaitFor([&] { return server().connectionCount() == 0; }, 3000));

        // Sent at once with the request, before the handshake is answered: the same.
        QByteArray early;
        const auto eager =
            rawWebSocket(port_, "/ws?code=" + code_.toUtf8(), early, QByteArray(unmasked, sizeof unmasked));
        QVERIFY(eager);
        early += readUntilClosed(*eager);
        QVERIFY2(early.startsWith("HTTP/1.1 101 ") && early.endsWith(closing), early.toHex().constData());
        QCOMPARE(eager->state(), QAbstractSocket::UnconnectedState);
        QCOMPARE(program_->model().SelectionFlags[1], 0);
    }

    void actionsActThroughThePresenters()
    {
        Page page(port_, code_);
        QVERIFY(page.waitOpen());
        QVERIFY(QTest::qWaitFor([&] { return !page.messages.isEmpty(); }, 3000));
        QVERIFY(page.messages.first().contains("\"wall\":[3,2,6]"));
        page.socket.sendTextMessage(QStringLiteral("tap 2"));
        QVERIFY(page.waitStatus(1).contains(" Es wurde Element Nr 2 ausgewählt. "));
        page.socket.sendTextMessage(QStringLiteral("tap 6"));
        page.socket.sendTextMessage(QStringLiteral("mix 10 20 30 40"));
        QVERIFY(!page.waitStatus(3).isEmpty());
        QCOMPARE(element(2), (std::array<int, 4>{10, 20, 30, 40}));
        QCOMPARE(element(6), (std::array<int, 4>{10, 20, 30, 40}));
        QCOMPARE(element(1), (std::array<int, 4>{0, 0, 0, 0}));
        QVERIFY(program_->model().hasDocument(DocumentFlag::SceneChanged));
        // The page hears of it within a few ticks, only the two cells.
        QVERIFY(QTest::qWaitFor([&] { return page.messages.filter(QStringLiteral("[5,\"323c46\",1]")).size() == 1; },
                                2000));
    }

    void oversizedMessagesEndTheConnectionWithoutEffect()
    {
        Page page(port_, code_);
        QVERIFY(page.waitOpen());
        QSignalSpy gone(&page.socket, &QWebSocket::disconnected);
        page.socket.sendTextMessage(QStringLiteral("mix 1 2 3 4") + QString(5000, QLatin1Char(' ')));
        page.socket.sendTextMessage(QStringLiteral("tap 1"));
        QVERIFY(gone.wait(3000) || gone.count() == 1);
        QCOMPARE(program_->model().SelectionCount, 0);
        QCOMPARE(element(1), (std::array<int, 4>{0, 0, 0, 0}));
        QVERIFY(page.statuses().isEmpty());
    }

    void sixteenConnectionsAtMost()
    {
        std::vector<std::unique_ptr<Page>> pages;
        for (int i = 0; i < RemoteServer::MaxConnections; ++i) {
            pages.push_back(std::make_unique<Page>(port_, code_));
            QVERIFY(pages.back()->waitOpen());
        }
        QVERIFY(QTest::qWaitFor([&] { return server().connectionCount() == RemoteServer::MaxConnections; }, 3000));
        const QByteArray answer = upgrade(port_, "/ws?code=" + code_.toUtf8());
        QVERIFY2(answer.startsWith("HTTP/1.1 503 "), answer.left(100).constData());
        QCOMPARE(server().connectionCount(), RemoteServer::MaxConnections);
        // One goes, the next may come.
        pages.pop_back();
        QVERIFY(QTest::qWaitFor([&] { return server().connectionCount() < RemoteServer::MaxConnections; }, 3000));
        Page late(port_, code_);
        QVERIFY(late.waitOpen());
    }

    void aFloodOfActionsIsCutToTheRate()
    {
        Page page(port_, code_);
        QVERIFY(page.waitOpen());
        for (int i = 0; i < 250; ++i)
            page.socket.sendTextMessage(QStringLiteral("mix %1 0 0 0").arg(i % 256));
        QTest::qWait(300);
        int done = 0, tooFast = 0;
        for (const QString& status : page.statuses()) {
            done += status.contains(QStringLiteral("\"done\":true")) ? 1 : 0;
            tooFast += status.contains(QString::fromUtf8(RemoteText::TooFast)) ? 1 : 0;
        }
        QVERIFY2(done >= 20 && done <= 26, qPrintable(QString::number(done)));
        QCOMPARE(tooFast, 1);  // said once, not 230 times
        // A page that never stops is let go.
        QSignalSpy gone(&page.socket, &QWebSocket::disconnected);
        for (int i = 0; i < 400; ++i)
            page.socket.sendTextMessage(QStringLiteral("all"));
        QVERIFY(gone.wait(3000) || gone.count() == 1);
    }

    void anOpenQuestionRefusesEverything()
    {
        Page page(port_, code_);
        QVERIFY(page.waitOpen());
        QString status;
        QTimer::singleShot(50, [&] {
            page.socket.sendTextMessage(QStringLiteral("tap 3"));
            (void)QTest::qWaitFor([&] { return !page.statuses().isEmpty(); }, 3000);
            status = page.statuses().value(0);
            QApplication::activeModalWidget()->close();
        });
        program_->user().messageBox("Wirklich?", "", MessageButtons::YesNo, MessageIcon::Question);
        QVERIFY2(status.contains(QStringLiteral("Eine Frage wartet am Rechner.")), qPrintable(status));
        QCOMPARE(program_->model().SelectionCount, 0);
        page.socket.sendTextMessage(QStringLiteral("tap 3"));
        QVERIFY(page.waitStatus(2).contains(QStringLiteral("Element Nr 3")));
    }

    void turningOffClosesEveryConnectionAtOnce()
    {
        std::vector<std::unique_ptr<Page>> pages;
        for (int i = 0; i < 3; ++i) {
            pages.push_back(std::make_unique<Page>(port_, code_));
            QVERIFY(pages.back()->waitOpen());
        }
        server().stop();
        QVERIFY(QTest::qWaitFor(
            [&] {
                for (const auto& page : pages)
                    if (page->socket.state() != QAbstractSocket::UnconnectedState)
                        return false;
                return true;
            },
            2000));
        QCOMPARE(rawRequest(port_, "GET / HTTP/1.1\r\n\r\n"), QByteArray("no connection"));
    }

    void aTakenPortIsReportedInGerman()
    {
        QTcpServer squatter;
        QVERIFY(squatter.listen(QHostAddress::LocalHost, 0));
        RemoteSettings settings;
        settings.port = squatter.serverPort();
        settings.code = makeAccessCode();
        const std::string problem = server().start(settings);
        QCOMPARE(QString::fromStdString(problem),
                 QStringLiteral("Fernbedienung: Port %1 auf 127.0.0.1 ist belegt.").arg(settings.port));
        QVERIFY(!server().running());
        settings.address = "0.0.0.0";
        QVERIFY(!server().start(settings).empty());  // the page's Host must name one address
    }
};

QTEST_MAIN(RemoteServerTest)
#include "RemoteServerTest.moc"
