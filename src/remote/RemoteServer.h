#pragma once

#include "platform/Clock.h"
#include "remote/RemoteAccess.h"
#include "remote/RemoteMessages.h"
#include "remote/RemoteSettings.h"

#include <QObject>
#include <QTcpServer>
#include <QTimer>
#include <QWebSocketServer>

#include <deque>
#include <map>
#include <optional>

class QTcpSocket;
class QWebSocket;

namespace tinctara {

// The web remote: serves the page built into the program and carries its
// WebSocket, on the GUI thread. Every request is judged by RemoteGate before
// anything is answered, so a request without the code or a session's cookie
// gets a 403 and such a WebSocket never gets its 101; only then does the
// socket go, through a WebSocketRelay, to QWebSocketServer::handleConnection.
// Actions go to the program (RemoteActions); the picture of the show goes out
// every 50 ms, only what changed.
class RemoteServer : public QObject, public RemoteControl {
    Q_OBJECT
public:
    static constexpr int MaxConnections = 16;
    static constexpr int MaxMessageBytes = 256;
    // Requests being read, in all and from one address; a new connection
    // beyond either lets the oldest of them go, so that requests that never
    // end cannot keep a whole one out.
    static constexpr int MaxPendingRequests = 32;
    static constexpr int MaxPendingPerAddress = 8;
    static constexpr int RequestTimeoutMs = 2000;
    static constexpr int MaxRefusedInARow = 300;
    static constexpr qint64 MaxUnsentBytes = 2 * 1024 * 1024;

    RemoteServer(RemoteActions& actions, Clock& clock, QObject* parent = nullptr);
    ~RemoteServer() override;

    // RemoteControl
    std::string start(const RemoteSettings& settings) override;
    void stop() override;
    bool running() const override { return tcp_.isListening(); }
    RemoteSettings current() const override { return settings_; }
    std::vector<std::string> addresses() const override;

    int connectionCount() const { return static_cast<int>(clients_.size()); }
    // Sends what changed to every page now (the timer does it every 50 ms).
    void broadcast();

private:
    struct Client {
        RateLimiter limiter;
        qint64 unsent = 0;
        int refusedInARow = 0;
    };

    void acceptConnections();
    void readRequest(QTcpSocket* socket);
    void forget(QTcpSocket* socket);
    void respond(QTcpSocket* socket, int status, const QByteArray& type, const QByteArray& body,
                 const QByteArray& headers = {});
    void takeWebSocket();
    void receive(QWebSocket* socket, const QString& message);
    void send(QWebSocket* socket, const std::string& text);
    void drop(QWebSocket* socket);

    RemoteActions& actions_;
    Clock& clock_;
    QTcpServer tcp_;
    QWebSocketServer webSockets_;
    QTimer timer_;
    RemoteSettings settings_;
    RemoteKeys keys_;
    std::map<QWebSocket*, Client> clients_;
    std::optional<RemoteState> last_;
    struct Pending {
        QTcpSocket* socket;
        quint32 address;
    };
    std::deque<Pending> pending_;  // the requests being read, oldest first
};

}  // namespace tinctara
