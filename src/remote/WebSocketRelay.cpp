#include "WebSocketRelay.h"

#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>

#include <memory>

namespace tinctara {

namespace {

// What may wait in each direction before the relay stops reading: a page that
// reads slowly backs up into Qt's socket, where the server counts what waits.
constexpr qint64 Window = 64 * 1024;
// How long a page that is being let go may take to read its last bytes.
constexpr int LingerMs = 5000;
// A close frame with 1002, masked (with a key of zeros) as a page's must be.
constexpr char ProtocolErrorClose[] = {'\x88', '\x82', 0, 0, 0, 0, '\x03', '\xEA'};

}  // namespace

QTcpSocket* WebSocketRelay::start(QTcpSocket* page, qint64 headLength)
{
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pair) != 0)
        return nullptr;
    auto ours = std::make_unique<QTcpSocket>();
    auto theirs = std::make_unique<QTcpSocket>();
    const bool oursTaken = ours->setSocketDescriptor(pair[0]);
    const bool theirsTaken = theirs->setSocketDescriptor(pair[1]);
    if (!oursTaken)
        ::close(pair[0]);
    if (!theirsTaken)
        ::close(pair[1]);
    if (!oursTaken || !theirsTaken)
        return nullptr;
    ours->write(page->read(headLength));
    new WebSocketRelay(page, ours.release());
    return theirs.release();
}

WebSocketRelay::WebSocketRelay(QTcpSocket* page, QTcpSocket* ours) : QObject(page), page_(page), ours_(ours)
{
    ours_->setParent(this);
    ours_->setReadBufferSize(Window);
    page_->setReadBufferSize(Window);
    connect(page_, &QTcpSocket::readyRead, this, &WebSocketRelay::fromPage);
    connect(ours_, &QTcpSocket::readyRead, this, &WebSocketRelay::toPage);
    connect(page_, &QTcpSocket::bytesWritten, this, &WebSocketRelay::toPage);
    connect(page_, &QTcpSocket::disconnected, ours_, &QTcpSocket::disconnectFromHost);
    connect(ours_, &QTcpSocket::disconnected, this, &WebSocketRelay::closed);
}

void WebSocketRelay::fromPage()
{
    if (!answered_)
        return;
    const QByteArray bytes = page_->readAll();
    // After a refused frame the page's bytes are read and dropped: unread
    // ones would make the closing connection a reset, and the close frame lost.
    if (check_.refused())
        return;
    std::string passed;
    const bool masked =
        check_.take(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), passed);
    ours_->write(passed.data(), static_cast<qint64>(passed.size()));
    if (!masked) {
        ours_->write(ProtocolErrorClose, sizeof ProtocolErrorClose);
        QTimer::singleShot(LingerMs, page_, &QTcpSocket::abort);
    }
}

void WebSocketRelay::toPage()
{
    if (page_->bytesToWrite() >= Window)
        return;
    const QByteArray bytes = ours_->read(Window);
    if (bytes.isEmpty())
        return;
    page_->write(bytes);
    if (!answered_) {
        answered_ = true;
        fromPage();
    }
}

void WebSocketRelay::closed()
{
    // Qt let the page go: what it said last still goes out.
    if (page_->state() != QAbstractSocket::ConnectedState)
        return;
    page_->write(ours_->readAll());
    page_->disconnectFromHost();
    QTimer::singleShot(LingerMs, page_, &QTcpSocket::abort);
}

}  // namespace tinctara
