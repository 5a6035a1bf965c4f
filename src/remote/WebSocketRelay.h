#pragma once

#include "remote/RemoteAccess.h"

#include <QObject>

class QTcpSocket;

namespace tinctara {

// Carries one page's WebSocket between its TCP connection and Qt's WebSocket
// over a socket pair, so that every byte the page sends is looked at before
// Qt reads it. Qt acts on a frame without a mask; here such a frame is not
// passed on, and Qt is told instead that the page closed with 1002, which it
// answers with the same code before it lets the page go. What the page sends
// after its request waits until Qt has answered the handshake, as a client
// must wait. A child of the page's socket, gone with it.
class WebSocketRelay : public QObject {
public:
    // Passes the request head (`headLength` bytes, still unread in `page`)
    // on and returns the socket for QWebSocketServer::handleConnection;
    // null when no socket pair can be made.
    static QTcpSocket* start(QTcpSocket* page, qint64 headLength);

private:
    WebSocketRelay(QTcpSocket* page, QTcpSocket* ours);
    void fromPage();
    void toPage();
    void closed();

    QTcpSocket* page_;
    QTcpSocket* ours_;  // our end of the pair; Qt's socket is the other
    ClientFrameCheck check_;
    bool answered_ = false;
};

}  // namespace tinctara
