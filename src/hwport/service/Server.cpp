#include "Server.h"

#include "Operations.h"

#include "protocol/Protocol.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/fsuid.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace hwport::service {
namespace {

namespace p = protocol;

int64_t nowMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

bool send(int socket, uint32_t op, uint32_t status, const std::vector<unsigned char>& data, int fd)
{
    p::ReplyHeader header{p::magic, op, status, uint32_t(data.size())};
    return p::sendMessage(socket, &header, sizeof header, data.data(), data.size(), fd, MSG_DONTWAIT);
}

}  // namespace

Server::Server(ServerOptions options, Backend& backend)
    : options_(std::move(options)), backend_(backend), buffer_(sizeof(p::RequestHeader) + p::maxPayload + 1)
{
    backend_.attach(this);
}

Server::~Server()
{
    while (!clients_.empty())
        drop(*clients_.back());
    backend_.attach(nullptr);
    if (listen_ >= 0)
        ::close(listen_);
    removeFiles();
    if (folder_ >= 0)
        ::close(folder_);
}

void Server::removeFiles()
{
    if (folder_ < 0 || !ownFiles_)
        return;
    unlinkat(folder_, socketName_.c_str(), 0);
    unlinkat(folder_, pidName_.c_str(), 0);
    ownFiles_ = false;
}

bool Server::answers(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int probe = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    const bool live = probe >= 0 && connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (probe >= 0)
        ::close(probe);
    return live;
}

bool Server::admits(uid_t uid, gid_t gid) const
{
    if (uid == options_.allowedUid)
        return true;
    if (options_.admittedGroup == gid_t(-1))
        return false;
    if (uid == 0 || gid == options_.admittedGroup)
        return true;
    // Supplementary groups are not in the peer credentials: ask the user database.
    passwd entry{};
    passwd* found = nullptr;
    char text[4096];
    if (getpwuid_r(uid, &entry, text, sizeof text, &found) != 0 || found == nullptr)
        return false;
    int count = 64;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    if (getgrouplist(found->pw_name, found->pw_gid, groups.data(), &count) < 0) {
        if (count <= 64 || count > 65536)
            return false;
        groups.resize(size_t(count));
        if (getgrouplist(found->pw_name, found->pw_gid, groups.data(), &count) < 0)
            return false;
    }
    groups.resize(size_t(count));
    return std::find(groups.begin(), groups.end(), options_.admittedGroup) != groups.end();
}

// The folder is opened once, without following a link, and checked through
// that descriptor; every file is then made relative to it. A per-user folder
// must be the user's own with mode 0700; the system folder root's, writable by
// no one else.
bool Server::openFolder(std::string& problem)
{
    const std::string& dir = options_.runtimeDir;
    // The system folder, when no socket unit made it, is root's to make; the
    // per-user fall-back is ours (made as the user: we work with the user's ids).
    if (options_.admittedGroup != gid_t(-1)) {
        mkdir(dir.c_str(), 0755);
    } else if (dir == p::fallbackRuntimeDir()) {
        const size_t slash = dir.rfind('/');
        if (slash != std::string::npos && slash > 0)
            mkdir(dir.substr(0, slash).c_str(), 0700);
        mkdir(dir.c_str(), 0700);
    }
    folder_ = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat folder {};
    const bool system = options_.admittedGroup != gid_t(-1);
    const bool fits = folder_ >= 0 && fstat(folder_, &folder) == 0 && S_ISDIR(folder.st_mode) &&
                      (system ? folder.st_uid == geteuid() && (folder.st_mode & 022) == 0
                              : folder.st_uid == options_.allowedUid && (folder.st_mode & 07777) == 0700);
    if (!fits) {
        problem = system
                      ? "runtime folder " + dir + " must be a folder of the service's user that no one else can write"
                      : "runtime folder " + dir + " must be a folder owned by the user with mode 0700";
        if (folder_ >= 0)
            ::close(folder_);
        folder_ = -1;
        return false;
    }
    return true;
}

#ifdef HWPORT32_TEST_HOOKS
namespace {
// Test build only: after bind(), tell the test on one descriptor and wait for
// its go on another, so that it can swap the socket path meanwhile.
void pauseAfterBind()
{
    const char* fds = std::getenv("HWPORT32_TEST_PAUSE_AFTER_BIND");
    int told = -1, go = -1;
    if (fds == nullptr || std::sscanf(fds, "%d,%d", &told, &go) != 2)
        return;
    const char byte = 'b';
    (void)!::write(told, &byte, 1);
    char answer = 0;
    (void)!::read(go, &answer, 1);
}
}  // namespace
#endif

bool Server::bindSocket(std::string& problem)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath_.size() >= sizeof address.sun_path) {
        problem = "socket path too long: " + socketPath_;
        return false;
    }
    std::memcpy(address.sun_path, socketPath_.c_str(), socketPath_.size() + 1);

    struct stat existing {};
    if (fstatat(folder_, socketName_.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
        if (!S_ISSOCK(existing.st_mode)) {
            problem = socketPath_ + " exists and is not a socket";
            return false;
        }
        if (answers(socketPath_)) {
            problem = "a service already listens on " + socketPath_;
            return false;
        }
        unlinkat(folder_, socketName_.c_str(), 0);
    }

    listen_ = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listen_ < 0) {
        problem = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    // The node is made with its final owner, group and mode: nothing is
    // changed by path afterwards, where a link could stand by then. A system
    // service makes it for its group; a per-user one already works with the
    // user's ids.
    const bool system = options_.admittedGroup != gid_t(-1);
    const gid_t previousGroup = system ? gid_t(setfsgid(options_.admittedGroup)) : gid_t(-1);
    const mode_t previousMask = umask(system ? 0117 : 0177);
    const int bound = bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    const int bindError = errno;
    umask(previousMask);
    if (system)
        setfsgid(previousGroup);
    if (bound != 0) {
        problem = "cannot listen on " + socketPath_ + ": " + std::strerror(bindError);
        return false;
    }
    ownFiles_ = true;
#ifdef HWPORT32_TEST_HOOKS
    pauseAfterBind();
#endif
    // What the path names now must still be a socket made by us.
    struct stat made {};
    if (fstatat(folder_, socketName_.c_str(), &made, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISSOCK(made.st_mode) ||
        made.st_uid != geteuid()) {
        problem = socketPath_ + " was replaced while the service started";
        ownFiles_ = false;  // not ours to remove any more
        return false;
    }
    if (::listen(listen_, 16) != 0) {
        problem = "cannot listen on " + socketPath_ + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void Server::writePidFile()
{
    const int pid = openat(folder_, pidName_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC,
                           options_.admittedGroup != gid_t(-1) ? 0644 : 0600);
    if (pid < 0)
        return;
    const std::string text = std::to_string(getpid()) + "\n";
    (void)!::write(pid, text.data(), text.size());
    ::close(pid);
}

bool Server::listen(std::string& problem, bool& alreadyRunning)
{
    alreadyRunning = false;
    if (!p::isPlainName(options_.device.c_str())) {
        problem = "the device name must be a plain file name";
        return false;
    }
    socketName_ = "hwport32-" + options_.device + ".sock";
    pidName_ = "hwport32-" + options_.device + ".pid";
    socketPath_ = p::socketPath(options_.runtimeDir, options_.device);
    if (options_.inheritedSocket >= 0) {
        // The service manager made the socket; nothing is made in the folder.
        listen_ = options_.inheritedSocket;
        fcntl(listen_, F_SETFD, FD_CLOEXEC);
        fcntl(listen_, F_SETFL, fcntl(listen_, F_GETFL) | O_NONBLOCK);
        return true;
    }
    if (!openFolder(problem))
        return false;
    if (!bindSocket(problem)) {
        alreadyRunning = listen_ < 0 && answers(socketPath_);
        if (listen_ >= 0)
            ::close(listen_);
        listen_ = -1;
        removeFiles();
        return false;
    }
    writePidFile();
    return true;
}

void Server::run(const volatile int& stop)
{
    sigset_t unblocked;
    sigemptyset(&unblocked);
    int64_t idleSince = nowMs();
    int64_t lastTick = nowMs();
    std::vector<pollfd> fds;
    while (!stop) {
        const std::vector<int> sources = backend_.descriptors();
        fds.clear();
        fds.push_back(pollfd{listen_, POLLIN, 0});
        for (const auto& client : clients_)
            fds.push_back(pollfd{client->fd, POLLIN, 0});
        for (int fd : sources)
            fds.push_back(pollfd{fd, POLLIN, 0});

        int64_t timeout = backend_.tickInterval();
        if (clients_.empty() && options_.idleExitSeconds > 0) {
            const int64_t left = idleSince + int64_t(options_.idleExitSeconds) * 1000 - nowMs();
            if (left <= 0)
                return;
            timeout = timeout < 0 ? left : std::min(timeout, left);
        }
        timespec wait{};
        wait.tv_sec = timeout / 1000;
        wait.tv_nsec = long(timeout % 1000) * 1000000;
        const int ready = ppoll(fds.data(), fds.size(), timeout < 0 ? nullptr : &wait, &unblocked);
        if (stop)
            return;
        if (ready > 0) {
            const size_t clientCount = clients_.size();
            // Hardware sources before requests: a request may close them.
            for (size_t i = 0; i < sources.size(); ++i)
                if (fds[1 + clientCount + i].revents != 0)
                    backend_.readable(sources[i]);
            // The list changes only after the loop: drops and accepts come last.
            std::vector<int> gone;
            for (size_t i = 0; i < clientCount; ++i) {
                if (fds[1 + i].revents == 0)
                    continue;
                Client* client = clients_[i].get();
                if (!serve(*client))
                    gone.push_back(client->fd);
            }
            for (int fd : gone) {
                auto it = std::find_if(clients_.begin(), clients_.end(), [fd](const auto& c) { return c->fd == fd; });
                if (it != clients_.end())
                    drop(**it);
            }
            if (fds[0].revents & POLLIN)
                accept();
        }
        if (backend_.tickInterval() >= 0 && nowMs() - lastTick >= backend_.tickInterval()) {
            lastTick = nowMs();
            backend_.tick();
        }
        if (!clients_.empty())
            idleSince = nowMs();
    }
}

void Server::accept()
{
    for (;;) {
        const int fd = accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0)
            return;
        ucred peer{};
        socklen_t length = sizeof peer;
        // Every connection is checked: only the user who started us (or,
        // for the system service, members of its group) gets in.
        if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || !admits(peer.uid, peer.gid) ||
            clients_.size() >= maxClients) {
            ::close(fd);
            continue;
        }
        if (!send(fd, p::OpHello, p::Ok, {}, -1)) {
            ::close(fd);
            continue;
        }
        auto client = std::make_unique<Client>();
        client->fd = fd;
        clients_.push_back(std::move(client));
    }
}

bool Server::serve(Client& client)
{
    iovec iov{buffer_.data(), buffer_.size()};
    alignas(cmsghdr) char ancillary[CMSG_SPACE(sizeof(int))];
    msghdr msg{};
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = ancillary;
    msg.msg_controllen = sizeof ancillary;
    const ssize_t n = recvmsg(client.fd, &msg, MSG_CMSG_CLOEXEC | MSG_DONTWAIT);
    if (n == 0)
        return false;
    if (n < 0)
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;

    int fd = -1;
    for (cmsghdr* cmsg = CMSG_FIRSTHDR(&msg); cmsg != nullptr; cmsg = CMSG_NXTHDR(&msg, cmsg)) {
        if (cmsg->cmsg_level != SOL_SOCKET || cmsg->cmsg_type != SCM_RIGHTS)
            continue;
        const size_t count = (cmsg->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (size_t i = 0; i < count; ++i) {
            int one;
            std::memcpy(&one, CMSG_DATA(cmsg) + i * sizeof(int), sizeof one);
            if (fd < 0)
                fd = one;
            else
                ::close(one);
        }
    }

    Answer answer = handle(client.fd, buffer_.data(), size_t(n), (msg.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) != 0, fd);
    closeFd(fd);
    const bool sent = send(client.fd, answer.op, answer.status, answer.data, answer.fd);
    closeFd(answer.fd);
    return sent;
}

void Server::adopt(int fd)
{
    auto client = std::make_unique<Client>();
    client->fd = fd;
    clients_.push_back(std::move(client));
}

Server::Answer Server::handle(int clientFd, const unsigned char* message, size_t length, bool truncated, int& fd)
{
    Answer answer;
    auto it = std::find_if(clients_.begin(), clients_.end(), [clientFd](const auto& c) { return c->fd == clientFd; });
    if (it == clients_.end()) {
        answer.status = p::BadMessage;
        return answer;
    }
    Client& client = **it;
    p::RequestHeader header{};
    if (length >= sizeof header)
        std::memcpy(&header, message, sizeof header);
    const bool wellFormed = length >= sizeof header && !truncated && header.magic == p::magic &&
                            header.inLength <= p::maxPayload && header.outLength <= p::maxPayload &&
                            length == sizeof header + header.inLength;
    if (!wellFormed) {
        answer.status = p::BadMessage;
    } else {
        const uint32_t op = header.op;
        if (op == p::OpControl)
            answer = control(client, header.code, message + sizeof header, header.inLength, header.outLength, fd);
        else if (op == p::OpRead && header.inLength == 0)
            answer = readKeys(client, header.outLength);
        else
            answer.status = p::BadMessage;
        answer.op = op;
    }
    if (answer.status != p::Ok) {
        answer.data.clear();
        closeFd(answer.fd);
    }
    return answer;
}

// Checked in front of the operation table, then done by the operation's handler.
Server::Answer Server::control(Client& client, uint32_t code, const unsigned char* in, uint32_t inLength,
                               uint32_t outLength, int& fd)
{
    const Admission admission = admit(code, client, in, inLength, outLength, fd);
    if (admission.status != p::Ok) {
        Answer answer;
        answer.status = admission.status;
        return answer;
    }
    const Operation& operation = *admission.operation;
    Request request{operation, backend_, client, in, inLength, fd};
    Answer answer = operation.handler(request);
    if (answer.status == p::Ok && operation.changesWatches)
        updateWatches();
    return answer;
}

Server::Answer Server::readKeys(Client& client, uint32_t outLength)
{
    Answer answer;
    const size_t room = std::min<uint32_t>(outLength, p::maxKeyboardRead) / p::keyboardRecordSize;
    while (!client.keys.empty() && answer.data.size() / p::keyboardRecordSize < room) {
        const auto& record = client.keys.front();
        answer.data.insert(answer.data.end(), record.begin(), record.end());
        client.keys.pop_front();
    }
    return answer;
}

void Server::interrupt(uint32_t line, uint32_t count)
{
    if (line >= 16)
        return;
    for (const auto& client : clients_) {
        Line& l = client->lines[line];
        if (l.event < 0)
            continue;
        l.count += count;
        auto it = client->locked.find(l.lockedHandle);
        if (it != client->locked.end())
            __atomic_store_n(reinterpret_cast<uint32_t*>(it->second.memory) + line, l.count, __ATOMIC_RELEASE);
        signalEvent(l.event);
    }
}

void Server::key(uint8_t makeCode, bool released)
{
    const uint16_t scanCode = uint16_t(makeCode | (released ? 0x80 : 0));
    for (const auto& client : clients_) {
        for (auto& [handle, block] : client->locked)
            __atomic_store_n(reinterpret_cast<uint16_t*>(block.memory), scanCode, __ATOMIC_RELEASE);
        if (client->keyboardEvent < 0)
            continue;
        // Records: unit, make code, flags (bit 0: released), reserved, extra.
        std::array<unsigned char, 12> record{};
        record[2] = makeCode;
        record[4] = released ? 1 : 0;
        if (client->keys.size() >= maxQueuedKeys)
            client->keys.pop_front();
        client->keys.push_back(record);
        signalEvent(client->keyboardEvent);
    }
}

void Server::drop(Client& client)
{
    ::close(client.fd);
    for (Line& line : client.lines)
        closeFd(line.event);
    closeFd(client.keyboardEvent);
    for (auto& [handle, block] : client.locked)
        munmap(block.memory, block.size);
    clients_.erase(
        std::find_if(clients_.begin(), clients_.end(), [&client](const auto& c) { return c.get() == &client; }));
    updateWatches();
}

void Server::updateWatches()
{
    uint32_t lines = 0;
    bool keyboard = false;
    for (const auto& client : clients_) {
        for (uint32_t i = 0; i < 16; ++i)
            if (client->lines[i].event >= 0)
                lines |= 1u << i;
        keyboard = keyboard || client->keyboardEvent >= 0;
    }
    backend_.watchInterrupts(lines);
    backend_.watchKeyboard(keyboard);
}

}  // namespace hwport::service
