// OSC in the program: the listener started from the user's settings, its
// datagrams read on the UI thread's event loop, nothing read once stopped,
// and what a datagram changed undone as a click's change is.
#include "MainWindow.h"
#include "ProgramControl.h"
#include "ProgramFixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QAction>
#include <QTest>

#include <algorithm>
#include <string>
#include <vector>

using namespace tinctara;

namespace {

// A UDP socket on 127.0.0.1 with a port of its own.
class LoopbackSocket {
public:
    LoopbackSocket()
    {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof local;
        ::bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local);
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length);
        port_ = ntohs(local.sin_port);
    }
    ~LoopbackSocket() { close(); }
    LoopbackSocket(const LoopbackSocket&) = delete;
    LoopbackSocket& operator=(const LoopbackSocket&) = delete;

    int port() const { return port_; }
    void close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    // An OSC message: the address padded to whole words, the type tags
    // likewise, then each integer big-endian.
    void send(int port, std::string address, const std::vector<std::int32_t>& integers = {})
    {
        address.append(4 - address.size() % 4, '\0');
        std::string tags = "," + std::string(integers.size(), 'i');
        tags.append(4 - tags.size() % 4, '\0');
        address += tags;
        for (const std::int32_t value : integers) {
            const std::uint32_t bits = htonl(static_cast<std::uint32_t>(value));
            address.append(reinterpret_cast<const char*>(&bits), sizeof bits);
        }
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        to.sin_port = htons(static_cast<std::uint16_t>(port));
        ::sendto(fd_, address.data(), address.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof to);
    }
    // The addresses of the messages that arrived within `ms`.
    std::vector<std::string> received(int ms)
    {
        std::vector<std::string> addresses;
        pollfd waiting{fd_, POLLIN, 0};
        char buffer[1500];
        while (::poll(&waiting, 1, ms) > 0) {
            const ssize_t size = ::recv(fd_, buffer, sizeof buffer - 1, 0);
            if (size <= 0)
                break;
            buffer[size] = 0;
            addresses.emplace_back(buffer);
            ms = 0;
        }
        return addresses;
    }

private:
    int fd_ = -1;
    int port_ = 0;
};

}  // namespace

class ProgramControlTest : public QObject {
    Q_OBJECT

    testing::ProgramFixture fixture_;

private slots:
    void init() { fixture_.reset(); }

    void settingsStartTheListenerWhoseDatagramsActOnTheUiThread()
    {
        LoopbackSocket desk;
        int port = 0;
        {
            LoopbackSocket free;  // a port nobody holds once this goes
            port = free.port();
        }
        fixture_.settings.values["TINCTARA/Osc/Enabled"] = "1";
        fixture_.settings.values["TINCTARA/Osc/Port"] = std::to_string(port);
        fixture_.settings.values["TINCTARA/Osc/FeedbackPort"] = std::to_string(desk.port());
        auto program = fixture_.start();
        QVERIFY(program);
        testing::ProgramFixture::buildWall(*program, 2, 2);
        OscControl* osc = program->control().osc();
        QVERIFY(osc);
        QVERIFY(osc->running());
        QCOMPARE(osc->current().port, port);

        desk.send(port, "/tinctara/all");
        QTRY_COMPARE(int{program->model().SelectionCount}, 4);
        QCOMPARE(osc->counters().carriedOut, std::uint64_t{1});
        const std::vector<std::string> heard = desk.received(2000);
        QVERIFY(std::find(heard.begin(), heard.end(), "/tinctara/selected") != heard.end());

        // Stopped, the socket is gone and the event loop reads nothing more.
        osc->stop();
        QVERIFY(!osc->running());
        desk.send(port, "/tinctara/none");
        QTest::qWait(200);
        QCOMPARE(int{program->model().SelectionCount}, 4);
        QCOMPARE(osc->counters().received, std::uint64_t{1});
    }

    // A colour sent from a desk is an edit like a click: the Edit menu names
    // it and Ctrl+Z takes it back. The web remote and MIDI act through the
    // same show control.
    void aColourFromOscIsUndoneFromTheEditMenu()
    {
        LoopbackSocket desk;
        int port = 0;
        {
            LoopbackSocket free;
            port = free.port();
        }
        fixture_.settings.values["TINCTARA/Osc/Enabled"] = "1";
        fixture_.settings.values["TINCTARA/Osc/Port"] = std::to_string(port);
        auto program = fixture_.start();
        QVERIFY(program);
        testing::ProgramFixture::buildWall(*program, 2, 2);
        const auto colours = program->model().ElementColours;
        auto* undo = program->mainWindow().findChild<QAction*>(QStringLiteral("mnuRueckgaengig"));
        QVERIFY(undo);

        desk.send(port, "/tinctara/all");
        QTRY_COMPARE(int{program->model().SelectionCount}, 4);
        desk.send(port, "/tinctara/mix", {10, 20, 30, 40});
        QTRY_COMPARE(undo->text(), QStringLiteral("Rückgängig: Farbe auf 4 Elemente"));
        QCOMPARE(int{program->model().colour(Green, 4)}, 20);
        QVERIFY(undo->isEnabled());

        undo->trigger();
        QCOMPARE(program->model().ElementColours, colours);
        QCOMPARE(undo->text(), QStringLiteral("&Rückgängig"));
        QVERIFY(!undo->isEnabled());
        auto* redo = program->mainWindow().findChild<QAction*>(QStringLiteral("mnuWiederholen"));
        QCOMPARE(redo->text(), QStringLiteral("Wiederholen: Farbe auf 4 Elemente"));
    }

    void aListenerThatCannotStartLeavesTheProgramRunning()
    {
        LoopbackSocket taken;
        fixture_.settings.values["TINCTARA/Osc/Enabled"] = "1";
        fixture_.settings.values["TINCTARA/Osc/Port"] = std::to_string(taken.port());
        auto program = fixture_.start();
        QVERIFY(program);
        QVERIFY(!program->control().osc()->running());
    }
};

QTEST_MAIN(ProgramControlTest)
#include "ProgramControlTest.moc"
