#include "ServiceFixture.h"

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

namespace hwport::testing {

namespace p = protocol;

bool waitForFile(const std::string& path, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (access(path.c_str(), F_OK) != 0) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

void ServiceTest::SetUp()
{
    char pattern[] = "/tmp/hwport-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    // Services detach from the library; as their subreaper we can wait for them.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    runtimeDir_ = pattern;
    setenv("XDG_RUNTIME_DIR", runtimeDir_.c_str(), 1);
    setenv("HWPORT32_VIRTUAL", "1", 1);
    // A service a crashed test leaves behind still goes away by itself.
    setenv("HWPORT32_IDLE_EXIT", "120", 1);
    unsetenv("HWPORT32_VIRTUAL_LPT");
}

void ServiceTest::stopService()
{
    const std::string pidFile = p::pidPath(runtimeDir_, deviceName);
    std::ifstream in(pidFile);
    pid_t pid = 0;
    if (!(in >> pid) || pid <= 1)
        return;
    kill(pid, SIGTERM);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        int status = 0;
        const pid_t waited = waitpid(pid, &status, WNOHANG);
        // Not our child (another subreaper took it): the pid file tells.
        const bool gone = waited == pid || (waited < 0 && access(pidFile.c_str(), F_OK) != 0);
        if (gone)
            return;
        if (std::chrono::steady_clock::now() > end)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ADD_FAILURE() << "service " << pid << " did not stop";
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

void ServiceTest::TearDown()
{
    stopService();
    std::error_code ignored;
    std::filesystem::remove_all(runtimeDir_, ignored);
    unsetenv("XDG_RUNTIME_DIR");
    unsetenv("HWPORT32_VIRTUAL");
    unsetenv("HWPORT32_IDLE_EXIT");
}

RawClient::RawClient(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    fd_ = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd_ >= 0 && connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

RawClient::~RawClient()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool RawClient::hello(int timeoutMs)
{
    pollfd pfd{fd_, POLLIN, 0};
    if (poll(&pfd, 1, timeoutMs) <= 0)
        return false;
    p::ReplyHeader reply{};
    return recv(fd_, &reply, sizeof reply, 0) == ssize_t(sizeof reply) && reply.op == p::OpHello;
}

RawClient::Reply RawClient::control(uint32_t code, const std::vector<unsigned char>& in, uint32_t outLength, int sendFd)
{
    p::RequestHeader header{p::magic, p::OpControl, code, uint32_t(in.size()), outLength};
    std::vector<unsigned char> message(sizeof header);
    std::memcpy(message.data(), &header, sizeof header);
    message.insert(message.end(), in.begin(), in.end());
    if (sendFd < 0)
        return sendRaw(message);
    iovec iov{message.data(), message.size()};
    alignas(cmsghdr) char ancillary[CMSG_SPACE(sizeof(int))] = {};
    msghdr msg{};
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = ancillary;
    msg.msg_controllen = sizeof ancillary;
    cmsghdr* cmsg = CMSG_FIRSTHDR(&msg);
    cmsg->cmsg_level = SOL_SOCKET;
    cmsg->cmsg_type = SCM_RIGHTS;
    cmsg->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(cmsg), &sendFd, sizeof sendFd);
    if (sendmsg(fd_, &msg, MSG_NOSIGNAL) != ssize_t(message.size()))
        return {};
    return receive();
}

RawClient::Reply RawClient::sendRaw(const std::vector<unsigned char>& message)
{
    if (::send(fd_, message.data(), message.size(), MSG_NOSIGNAL) != ssize_t(message.size()))
        return {};
    return receive();
}

RawClient::Reply RawClient::receive()
{
    Reply reply;
    pollfd pfd{fd_, POLLIN, 0};
    if (poll(&pfd, 1, 5000) <= 0)
        return reply;
    std::vector<unsigned char> buffer(sizeof(p::ReplyHeader) + p::maxPayload);
    const ssize_t n = recv(fd_, buffer.data(), buffer.size(), 0);
    if (n < ssize_t(sizeof(p::ReplyHeader)))
        return reply;
    p::ReplyHeader header{};
    std::memcpy(&header, buffer.data(), sizeof header);
    reply.received = true;
    reply.status = header.status;
    reply.data.assign(buffer.begin() + sizeof header, buffer.begin() + n);
    return reply;
}

}  // namespace hwport::testing
