// The driver on Linux is the hwport32d service, reached at a Unix-domain
// socket in the user's runtime folder.
#include "Channel.h"
#include "protocol/Protocol.h"

#include <dlfcn.h>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

extern char** environ;

namespace hwport {
namespace {

namespace p = protocol;

constexpr int helloTimeoutMs = 2000;
constexpr int replyTimeoutMs = 10000;
constexpr int startRetryMs = 2000;

bool waitReadable(int fd, int timeoutMs)
{
    pollfd pfd{fd, POLLIN, 0};
    for (;;) {
        const int n = poll(&pfd, 1, timeoutMs);
        if (n < 0 && errno == EINTR)
            continue;
        return n > 0;
    }
}

// Receives one message; returns its length or -1. A received descriptor is
// stored in *fd (or closed when fd is null).
ssize_t receive(int socket, void* buffer, size_t length, int* fd)
{
    iovec iov{buffer, length};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))];
    msghdr msg{};
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    ssize_t n;
    do {
        n = recvmsg(socket, &msg, MSG_CMSG_CLOEXEC);
    } while (n < 0 && errno == EINTR);
    int received = -1;
    for (cmsghdr* cmsg = CMSG_FIRSTHDR(&msg); cmsg != nullptr; cmsg = CMSG_NXTHDR(&msg, cmsg)) {
        if (cmsg->cmsg_level == SOL_SOCKET && cmsg->cmsg_type == SCM_RIGHTS) {
            const size_t count = (cmsg->cmsg_len - CMSG_LEN(0)) / sizeof(int);
            for (size_t i = 0; i < count; ++i) {
                int one;
                std::memcpy(&one, CMSG_DATA(cmsg) + i * sizeof(int), sizeof one);
                if (received < 0 && fd != nullptr)
                    received = one;
                else
                    ::close(one);
            }
        }
    }
    if (fd != nullptr)
        *fd = received;
    if ((msg.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) != 0)
        return -1;
    return n;
}

class SocketChannel final : public Channel {
public:
    explicit SocketChannel(int socket) : socket_(socket), buffer_(sizeof(p::ReplyHeader) + p::maxPayload) {}
    ~SocketChannel() override { ::close(socket_); }

    ControlResult control(uint32_t code, const void* in, size_t inLength, void* out, size_t outLength,
                          int sendFd) override
    {
        return exchange(p::OpControl, code, in, inLength, out, outLength, sendFd);
    }

    size_t read(void* out, size_t outLength) override
    {
        return exchange(p::OpRead, 0, nullptr, 0, out, outLength, -1).returned;
    }

private:
    ControlResult exchange(uint32_t op, uint32_t code, const void* in, size_t inLength, void* out, size_t outLength,
                           int sendFd)
    {
        ControlResult result;
        if (inLength > p::maxPayload || outLength > p::maxPayload || (inLength > 0 && in == nullptr) ||
            (outLength > 0 && out == nullptr))
            return result;
        std::lock_guard lock(mutex_);
        p::RequestHeader header{p::magic, op, code, uint32_t(inLength), uint32_t(outLength)};
        if (!p::sendMessage(socket_, &header, sizeof header, in, inLength, sendFd, 0) ||
            !waitReadable(socket_, replyTimeoutMs))
            return result;
        int fd = -1;
        const ssize_t n = receive(socket_, buffer_.data(), buffer_.size(), &fd);
        p::ReplyHeader reply{};
        if (n >= ssize_t(sizeof reply))
            std::memcpy(&reply, buffer_.data(), sizeof reply);
        if (n < ssize_t(sizeof reply) || reply.magic != p::magic || reply.op != op || reply.outLength > outLength ||
            size_t(n) != sizeof reply + reply.outLength) {
            if (fd >= 0)
                ::close(fd);
            return result;
        }
        if (reply.outLength > 0)
            std::memcpy(out, buffer_.data() + sizeof reply, reply.outLength);
        result.ok = reply.status == p::Ok;
        result.returned = reply.outLength;
        result.fd = fd;
        return result;
    }

    int socket_;
    std::mutex mutex_;
    std::vector<unsigned char> buffer_;
};

bool virtualBusSelected();

class SocketOpener final : public DeviceOpener {
public:
    // The system service first, when its socket is there and it lets us in;
    // then the user's own service. The virtual bus is always the user's own.
    Channel* open(const char* deviceName) override
    {
        if (!p::isPlainName(deviceName))
            return nullptr;
        if (!virtualBusSelected()) {
            const std::string system = p::socketPath(p::systemRuntimeDir(), deviceName);
            struct stat node {};
            if (lstat(system.c_str(), &node) == 0 && S_ISSOCK(node.st_mode)) {
                if (Channel* channel = connectTo(system, true))
                    return channel;
            }
        }
        return connectTo(p::socketPath(p::runtimeDir(), deviceName), false);
    }

    bool startService(const char* driverName, const char* deviceName) override
    {
        if (!p::isPlainName(driverName) || !p::isPlainName(deviceName))
            return false;
        const std::string program = libraryFolder() + "/" + driverName;
        if (program.size() < 2 || access(program.c_str(), X_OK) != 0)
            return false;
        std::string deviceArgument = deviceName;
        char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("--device"), deviceArgument.data(),
                        nullptr};
        pid_t pid = 0;
        if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0)
            return false;
        // The service's first process ends once the socket listens (or when
        // it gave up), so this wait is bounded by the service itself.
        int status = 0;
        pid_t waited;
        do {
            waited = waitpid(pid, &status, 0);
        } while (waited < 0 && errno == EINTR);
        if (waited == pid)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        // SIGCHLD ignored by the caller: the child was reaped for us; look
        // for the socket a little while.
        for (int waitedMs = 0; waitedMs < startRetryMs; waitedMs += 20) {
            const std::string path = p::socketPath(p::runtimeDir(), deviceName);
            if (access(path.c_str(), F_OK) == 0)
                return true;
            usleep(20000);
        }
        return false;
    }

private:
    static Channel* connectTo(const std::string& path, bool systemService)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (path.size() >= sizeof address.sun_path)
            return nullptr;
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return nullptr;
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || !trusted(fd, systemService) ||
            !hello(fd)) {
            ::close(fd);
            return nullptr;
        }
        return new SocketChannel(fd);
    }

    // Only a service of our own user or of the administrator may answer; the
    // system service only as the administrator.
    static bool trusted(int fd, bool systemService)
    {
        ucred peer{};
        socklen_t length = sizeof peer;
        if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0)
            return false;
        if (systemService)
            return peer.uid == 0 || peer.uid == geteuid();
        return peer.uid == 0 || peer.uid == geteuid() || peer.uid == getuid();
    }

    static bool hello(int fd)
    {
        if (!waitReadable(fd, helloTimeoutMs))
            return false;
        p::ReplyHeader reply{};
        const ssize_t n = receive(fd, &reply, sizeof reply, nullptr);
        return n == ssize_t(sizeof reply) && reply.magic == p::magic && reply.op == p::OpHello && reply.status == p::Ok;
    }

    static std::string libraryFolder()
    {
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(&libraryFolder), &info) == 0 || info.dli_fname == nullptr)
            return {};
        std::string path = info.dli_fname;
        const size_t slash = path.rfind('/');
        return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
    }
};

bool virtualBusSelected()
{
    const char* value = std::getenv("HWPORT32_VIRTUAL");
    return value != nullptr && value[0] != '\0' && std::strcmp(value, "0") != 0;
}

}  // namespace

Environment systemEnvironment()
{
    static SocketOpener opener;
    Environment environment;
    environment.win9x = false;
    utsname name{};
    environment.ntAbove4 = uname(&name) == 0 && std::atoi(name.release) > 4;
    environment.directAccessAllowed = !virtualBusSelected();
    environment.opener = &opener;
    return environment;
}

}  // namespace hwport
