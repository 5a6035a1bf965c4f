#include "RemoteServer.h"

#include "WebSocketRelay.h"

#include <QFile>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QPointer>
#include <QTcpSocket>
#include <QWebSocket>

namespace tinctara {

namespace {

// How long an answer may take to reach a page that reads slowly.
constexpr int ResponseTimeoutMs = 10000;

// The timer that lets a request go, a child of its socket.
QTimer* requestTimer(QTcpSocket* socket)
{
    return socket->findChild<QTimer*>(QStringLiteral("requestTimeout"), Qt::FindDirectChildrenOnly);
}

QByteArray resource(const QString& name)
{
    QFile file(QStringLiteral(":/remote/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const char* reason(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 303:
        return "See Other";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 431:
        return "Request Header Fields Too Large";
    default:
        return "Service Unavailable";
    }
}

}  // namespace

RemoteServer::RemoteServer(RemoteActions& actions, Clock& clock, QObject* parent)
    : QObject(parent), actions_(actions), clock_(clock),
      webSockets_(QStringLiteral("Tinctara"), QWebSocketServer::NonSecureMode)
{
    tcp_.setMaxPendingConnections(MaxPendingRequests);
    webSockets_.setHandshakeTimeout(RequestTimeoutMs);
    connect(&tcp_, &QTcpServer::newConnection, this, &RemoteServer::acceptConnections);
    connect(&webSockets_, &QWebSocketServer::newConnection, this, &RemoteServer::takeWebSocket);
    timer_.setInterval(50);
    connect(&timer_, &QTimer::timeout, this, &RemoteServer::broadcast);
}

RemoteServer::~RemoteServer() { stop(); }

std::vector<std::string> RemoteServer::addresses() const
{
    std::vector<std::string> result{"127.0.0.1"};
    for (const QHostAddress& address : QNetworkInterface::allAddresses())
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            result.push_back(address.toString().toStdString());
    return result;
}

std::string RemoteServer::start(const RemoteSettings& settings)
{
    stop();
    const QString addressText = QString::fromStdString(settings.address);
    const QString where = QStringLiteral("Fernbedienung: Port %1 auf %2 ").arg(settings.port).arg(addressText);
    QHostAddress address;
    // A concrete address only: the page's Host must be the one it listens on.
    if (!address.setAddress(addressText) || address.protocol() != QAbstractSocket::IPv4Protocol ||
        address == QHostAddress::AnyIPv4)
        return (where + QStringLiteral("ist keine Adresse dieses Rechners.")).toStdString();
    if (settings.port < 1 || settings.port > 65535)
        return (QStringLiteral("Fernbedienung: der Port muss zwischen 1 und 65535 liegen.")).toStdString();
    if (settings.code.size() < 16)
        return "Fernbedienung: der Zugangscode ist zu kurz.";
    if (!tcp_.listen(address, static_cast<quint16>(settings.port))) {
        switch (tcp_.serverError()) {
        case QAbstractSocket::AddressInUseError:
            return (where + QStringLiteral("ist belegt.")).toStdString();
        case QAbstractSocket::SocketAccessError:
            return (where + QStringLiteral("ist nicht erlaubt.")).toStdString();
        case QAbstractSocket::SocketAddressNotAvailableError:
            return (where + QStringLiteral("ist keine Adresse dieses Rechners.")).toStdString();
        default:
            return (where + QStringLiteral("lässt sich nicht öffnen.")).toStdString();
        }
    }
    settings_ = settings;
    settings_.enabled = true;
    keys_.open(settings.code);
    return {};
}

void RemoteServer::stop()
{
    tcp_.close();
    settings_.enabled = false;
    keys_.close();
    timer_.stop();
    // Every connection goes at once: open pages, and requests still being read.
    auto clients = std::move(clients_);
    clients_.clear();
    for (auto& [socket, client] : clients) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    for (QTcpSocket* socket : tcp_.findChildren<QTcpSocket*>()) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    pending_.clear();
    last_.reset();
}

void RemoteServer::acceptConnections()
{
    while (QTcpSocket* socket = tcp_.nextPendingConnection()) {
        const quint32 address = socket->peerAddress().toIPv4Address();
        const auto fromThere = [&] {
            return std::count_if(pending_.begin(), pending_.end(),
                                 [&](const Pending& p) { return p.address == address; });
        };
        while (fromThere() >= MaxPendingPerAddress || pending_.size() >= MaxPendingRequests) {
            const auto oldest = fromThere() >= MaxPendingPerAddress
                                    ? std::find_if(pending_.begin(), pending_.end(),
                                                   [&](const Pending& p) { return p.address == address; })
                                    : pending_.begin();
            QTcpSocket* old = oldest->socket;
            pending_.erase(oldest);
            old->abort();
        }
        pending_.push_back({socket, address});
        // Nothing a request sends beyond its head is kept.
        socket->setReadBufferSize(static_cast<qint64>(MaxRequestHead) + 1);
        auto* timeout = new QTimer(socket);
        timeout->setObjectName(QStringLiteral("requestTimeout"));
        timeout->setSingleShot(true);
        connect(timeout, &QTimer::timeout, socket, &QTcpSocket::abort);
        timeout->start(RequestTimeoutMs);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this, socket] { forget(socket); });
    }
}

void RemoteServer::forget(QTcpSocket* socket)
{
    const auto found =
        std::find_if(pending_.begin(), pending_.end(), [&](const Pending& p) { return p.socket == socket; });
    if (found != pending_.end())
        pending_.erase(found);
}

void RemoteServer::readRequest(QTcpSocket* socket)
{
    // Peeked, not read: a WebSocket handshake reads the same bytes again.
    const QByteArray bytes = socket->peek(MaxRequestHead + 1);
    bool complete = false;
    const auto head =
        parseRequestHead(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), &complete);
    if (!complete) {
        if (bytes.size() > static_cast<qsizetype>(MaxRequestHead))
            respond(socket, 431, "text/plain", "");
        return;
    }
    if (!head) {
        respond(socket, bytes.size() > static_cast<qsizetype>(MaxRequestHead) ? 431 : 400, "text/plain", "");
        return;
    }
    const RemoteGate gate{keys_, settings_.address + ":" + std::to_string(settings_.port), connectionCount(),
                          MaxConnections};
    switch (gate.judge(*head)) {
    case RemoteVerdict::WebSocket: {
        const qint64 headLength = bytes.indexOf("\r\n\r\n") + 4;
        QTcpSocket* relayed = WebSocketRelay::start(socket, headLength);
        if (!relayed) {
            respond(socket, 503, "text/plain; charset=utf-8", "Zu viele Verbindungen.\n");
            return;
        }
        socket->disconnect(this);
        delete requestTimer(socket);
        forget(socket);
        webSockets_.handleConnection(relayed);
        return;
    }
    case RemoteVerdict::NewSession: {
        // The code leaves the address bar: from here on the cookie lets the page in.
        const QByteArray cookie =
            "Set-Cookie: " + QByteArray::fromStdString(gate.sessionCookie(keys_.openSession())) + "\r\n";
        if (arrivesFromAnotherSite(*head))
            respond(socket, 200, "text/html; charset=utf-8", QByteArray::fromStdString(std::string(SessionRefreshPage)),
                    cookie);
        else
            respond(socket, 303, "text/plain", "", "Location: /\r\n" + cookie);
        return;
    }
    case RemoteVerdict::Page: {
        if (head->path == "/remote.css") {
            respond(socket, 200, "text/css; charset=utf-8", resource(QStringLiteral("remote.css")));
        } else if (head->path == "/remote.js") {
            respond(socket, 200, "text/javascript; charset=utf-8", resource(QStringLiteral("remote.js")));
        } else {
            respond(socket, 200, "text/html; charset=utf-8", resource(QStringLiteral("index.html")));
        }
        return;
    }
    case RemoteVerdict::Forbidden:
        respond(socket, 403, "text/plain; charset=utf-8", "Kein Zugang: der Zugangscode fehlt oder ist falsch.\n");
        return;
    case RemoteVerdict::NotFound:
        respond(socket, 404, "text/plain", "");
        return;
    case RemoteVerdict::BadMethod:
        respond(socket, 405, "text/plain", "");
        return;
    case RemoteVerdict::Busy:
        respond(socket, 503, "text/plain; charset=utf-8", "Zu viele Verbindungen.\n");
        return;
    case RemoteVerdict::BadRequest:
        respond(socket, 400, "text/plain", "");
        return;
    }
}

void RemoteServer::respond(QTcpSocket* socket, int status, const QByteArray& type, const QByteArray& body,
                           const QByteArray& headers)
{
    // Still counted as pending until it is gone: only its reading ends here.
    disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    socket->readAll();
    if (QTimer* timeout = requestTimer(socket))
        timeout->start(ResponseTimeoutMs);
    const QByteArray authority = QByteArray::fromStdString(settings_.address + ":" + std::to_string(settings_.port));
    QByteArray response = "HTTP/1.1 " + QByteArray::number(status) + " " + reason(status) + "\r\n";
    response += "Content-Type: " + type + "\r\n";
    response += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    response += "Cache-Control: no-store\r\n";
    response += "Referrer-Policy: no-referrer\r\n";
    response += "X-Content-Type-Options: nosniff\r\n";
    response += "X-Frame-Options: DENY\r\n";
    response += "Content-Security-Policy: default-src 'none'; script-src 'self'; style-src 'self'; "
                "img-src 'self'; connect-src 'self' ws://" +
                authority + "; base-uri 'none'; form-action 'none'; frame-ancestors 'none'\r\n";
    if (status == 405)
        response += "Allow: GET\r\n";
    response += headers;
    response += "Connection: close\r\n\r\n";
    response += body;
    socket->write(response);
    socket->disconnectFromHost();
}

void RemoteServer::takeWebSocket()
{
    while (QWebSocket* socket = webSockets_.nextPendingConnection()) {
        socket->setMaxAllowedIncomingFrameSize(MaxMessageBytes);
        socket->setMaxAllowedIncomingMessageSize(MaxMessageBytes);
        // Two handshakes that passed the gate together could pass 16.
        if (!running() || connectionCount() >= MaxConnections) {
            socket->close(QWebSocketProtocol::CloseCodePolicyViolated);
            socket->deleteLater();
            continue;
        }
        clients_.emplace(socket, Client{});
        connect(socket, &QWebSocket::textMessageReceived, this,
                [this, socket](const QString& message) { receive(socket, message); });
        connect(socket, &QWebSocket::binaryMessageReceived, this,
                [this, socket] { socket->close(QWebSocketProtocol::CloseCodeDatatypeNotSupported); });
        connect(socket, &QWebSocket::bytesWritten, this, [this, socket](qint64 written) {
            const auto client = clients_.find(socket);
            if (client != clients_.end())
                client->second.unsent = std::max<qint64>(0, client->second.unsent - written);
        });
        connect(socket, &QWebSocket::disconnected, this, [this, socket] { drop(socket); });
        if (!last_)
            last_ = actions_.state();
        send(socket, remoteUpdate(nullptr, *last_));
        timer_.start();
    }
}

void RemoteServer::receive(QWebSocket* socket, const QString& message)
{
    const auto found = clients_.find(socket);
    if (found == clients_.end())
        return;
    Client& client = found->second;
    if (message.size() > MaxMessageBytes) {
        socket->close(QWebSocketProtocol::CloseCodeTooMuchData);
        return;
    }
    RemoteReply reply;
    if (!client.limiter.allow(clock_.monotonicMilliseconds())) {
        // A page that goes on flooding is let go; until then it hears once.
        if (++client.refusedInARow > MaxRefusedInARow) {
            socket->close(QWebSocketProtocol::CloseCodePolicyViolated);
            return;
        }
        if (client.refusedInARow > 1)
            return;
        reply = {false, RemoteText::TooFast};
    } else {
        client.refusedInARow = 0;
        reply = actions_.perform(message.toStdString());
    }
    send(socket, remoteStatusMessage(reply));
}

void RemoteServer::send(QWebSocket* socket, const std::string& text)
{
    const auto found = clients_.find(socket);
    if (found == clients_.end() || text.empty())
        return;
    // A page that reads nothing must not make the program keep everything for it.
    if (found->second.unsent > MaxUnsentBytes) {
        socket->abort();
        return;
    }
    found->second.unsent += static_cast<qint64>(text.size()) + 10;
    socket->sendTextMessage(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

void RemoteServer::drop(QWebSocket* socket)
{
    if (clients_.erase(socket) == 0)
        return;
    socket->deleteLater();
    if (clients_.empty()) {
        timer_.stop();
        last_.reset();
    }
}

void RemoteServer::broadcast()
{
    if (clients_.empty())
        return;
    RemoteState now = actions_.state();
    const std::string update = remoteUpdate(last_ ? &*last_ : nullptr, now);
    last_ = std::move(now);
    if (update.empty())
        return;
    std::vector<QWebSocket*> sockets;
    for (const auto& [socket, client] : clients_)
        sockets.push_back(socket);
    for (QWebSocket* socket : sockets)
        send(socket, update);
}

}  // namespace tinctara
