#include "Server.h"

#include "protocol/Protocol.h"

#include <fcntl.h>
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
#include <cstring>

namespace hwport::service {
namespace {

namespace p = protocol;

constexpr uint32_t maxMapLength = 16u << 20;
constexpr uint32_t minLockedSize = 64;

int64_t nowMs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

bool isEventFd(int fd)
{
    char link[64];
    char target[64] = {};
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, target, sizeof target - 1);
    return n > 0 && std::strcmp(target, "anon_inode:[eventfd]") == 0;
}

void signalEvent(int fd)
{
    const uint64_t one = 1;
    (void)!::write(fd, &one, sizeof one);
}

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

bool send(int socket, uint32_t op, uint32_t status, const std::vector<unsigned char>& data, int fd)
{
    p::ReplyHeader header{p::magic, op, status, uint32_t(data.size())};
    return p::sendMessage(socket, &header, sizeof header, data.data(), data.size(), fd, MSG_DONTWAIT);
}

} // namespace

Server::Server(ServerOptions options, Backend& backend)
    : options_(std::move(options)), backend_(backend),
      buffer_(sizeof(p::RequestHeader) + p::maxPayload + 1)
{
    backend_.attach(this);
}

Server::~Server()
{
    while (!clients_.empty())
        drop(*clients_.back());
    backend_.attach(nullptr);
    if (listen_ >= 0) {
        ::close(listen_);
        removeFiles();
    }
}

void Server::removeFiles()
{
    unlink(socketPath_.c_str());
    unlink(pidPath_.c_str());
}

bool Server::answers(const std::string& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int probe = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    const bool live = probe >= 0
                      && connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    if (probe >= 0)
        ::close(probe);
    return live;
}

bool Server::listen(std::string& problem, bool& alreadyRunning)
{
    alreadyRunning = false;
    if (!p::isPlainName(options_.device.c_str())) {
        problem = "the device name must be a plain file name";
        return false;
    }
    // Only a folder that the user alone can change may hold the door. The
    // fall-back folder is ours to make; one that someone else made is refused below.
    if (options_.runtimeDir.rfind("/tmp/hwport32-", 0) == 0
        && mkdir(options_.runtimeDir.c_str(), 0700) == 0 && geteuid() != options_.allowedUid)
        (void)!chown(options_.runtimeDir.c_str(), options_.allowedUid, gid_t(-1));
    struct stat folder{};
    if (lstat(options_.runtimeDir.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode)
        || folder.st_uid != options_.allowedUid || (folder.st_mode & 022) != 0) {
        problem = "runtime folder " + options_.runtimeDir
                  + " must be a folder owned by the user and writable by no one else";
        return false;
    }
    socketPath_ = p::socketPath(options_.runtimeDir, options_.device);
    pidPath_ = p::pidPath(options_.runtimeDir, options_.device);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (socketPath_.size() >= sizeof address.sun_path) {
        problem = "socket path too long: " + socketPath_;
        return false;
    }
    std::memcpy(address.sun_path, socketPath_.c_str(), socketPath_.size() + 1);

    struct stat existing{};
    if (lstat(socketPath_.c_str(), &existing) == 0) {
        if (!S_ISSOCK(existing.st_mode)) {
            problem = socketPath_ + " exists and is not a socket";
            return false;
        }
        const bool live = answers(socketPath_);
        if (live) {
            alreadyRunning = true;
            problem = "a service already listens on " + socketPath_;
            return false;
        }
        unlink(socketPath_.c_str());
    }

    listen_ = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listen_ < 0) {
        problem = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    const mode_t previous = umask(077);
    const int bound = bind(listen_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    umask(previous);
    if (bound != 0 || chmod(socketPath_.c_str(), 0600) != 0
        || (geteuid() != options_.allowedUid
            && chown(socketPath_.c_str(), options_.allowedUid, gid_t(-1)) != 0)
        || ::listen(listen_, 16) != 0) {
        problem = "cannot listen on " + socketPath_ + ": " + std::strerror(errno);
        ::close(listen_);
        listen_ = -1;
        unlink(socketPath_.c_str());
        return false;
    }

    const int pid = open(pidPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (pid >= 0) {
        const std::string text = std::to_string(getpid()) + "\n";
        (void)!::write(pid, text.data(), text.size());
        if (geteuid() != options_.allowedUid)
            (void)!fchown(pid, options_.allowedUid, gid_t(-1));
        ::close(pid);
    }
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
                auto it = std::find_if(clients_.begin(), clients_.end(),
                                       [fd](const auto& c) { return c->fd == fd; });
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
        // Every connection is checked: only the user who started us gets in.
        if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0
            || peer.uid != options_.allowedUid || clients_.size() >= maxClients) {
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

    p::RequestHeader header{};
    Answer answer;
    uint32_t op = 0;
    if (size_t(n) >= sizeof header)
        std::memcpy(&header, buffer_.data(), sizeof header);
    const bool wellFormed = size_t(n) >= sizeof header && (msg.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) == 0
                            && header.magic == p::magic && header.inLength <= p::maxPayload
                            && header.outLength <= p::maxPayload
                            && size_t(n) == sizeof header + header.inLength;
    if (!wellFormed) {
        answer.status = p::BadMessage;
    } else {
        op = header.op;
        if (op == p::OpControl)
            answer = control(client, header.code, buffer_.data() + sizeof header, header.inLength,
                             header.outLength, fd);
        else if (op == p::OpRead && header.inLength == 0)
            answer = readKeys(client, header.outLength);
        else
            answer.status = p::BadMessage;
    }
    closeFd(fd);
    if (answer.status != p::Ok) {
        answer.data.clear();
        closeFd(answer.fd);
    }
    const bool sent = send(client.fd, op, answer.status, answer.data, answer.fd);
    closeFd(answer.fd);
    return sent;
}

Server::Answer Server::control(Client& client, uint32_t code, const unsigned char* in,
                               uint32_t inLength, uint32_t outLength, int& fd)
{
    Answer answer;
    const std::optional<uint32_t> function = p::functionOf(code);
    if (!function) {
        answer.status = p::UnknownCode;
        return answer;
    }
    const uint32_t n = *function;

    // Lengths first: nothing is touched for a request of the wrong shape.
    const uint32_t element = p::fifoElementSize(n);
    if (element != 0) {
        const uint64_t expected =
            inLength >= p::fifoHeaderSize ? p::fifoHeaderSize + uint64_t(p::get32(in + 4)) * element : 0;
        if (inLength < p::fifoHeaderSize || inLength != expected || outLength != expected) {
            answer.status = p::BadLength;
            return answer;
        }
    } else {
        const std::optional<p::Sizes> sizes = p::fixedSizes(n);
        if (!sizes || inLength != sizes->in || outLength != sizes->out) {
            answer.status = p::BadLength;
            return answer;
        }
    }
    const bool takesDescriptor = n == p::UnmaskIrq || n == p::KeyboardHook;
    if (takesDescriptor != (fd >= 0) || (takesDescriptor && !isEventFd(fd))) {
        answer.status = p::BadArgument;
        return answer;
    }

    auto fail = [&answer](uint32_t status) {
        answer.status = status;
        return answer;
    };
    auto value32 = [&answer](uint32_t v) {
        answer.data.resize(4);
        p::put32(answer.data.data(), v);
    };

    switch (n) {
    case p::PortInByte: case p::PortInWord: case p::PortInLong: {
        const uint32_t width = n == p::PortInByte ? 1 : n == p::PortInWord ? 2 : 4;
        const uint32_t port = p::get32(in);
        if (uint64_t(port) + width > 0x10000)
            return fail(p::BadArgument);
        value32(backend_.portIn(port, width));
        break;
    }
    case p::PortOutByte: case p::PortOutWord: case p::PortOutLong: {
        const uint32_t width = n == p::PortOutByte ? 1 : n == p::PortOutWord ? 2 : 4;
        const uint32_t port = p::get32(in);
        if (uint64_t(port) + width > 0x10000)
            return fail(p::BadArgument);
        backend_.portOut(port, width, p::get32(in + 4));
        break;
    }
    case p::FifoInByte: case p::FifoInWord: case p::FifoInLong:
    case p::FifoOutByte: case p::FifoOutWord: case p::FifoOutLong: {
        const uint32_t port = p::get32(in);
        const uint32_t count = p::get32(in + 4);
        if (uint64_t(port) + element > 0x10000)
            return fail(p::BadArgument);
        answer.data.assign(in, in + inLength);
        unsigned char* data = answer.data.data() + p::fifoHeaderSize;
        const bool input = n <= p::FifoInLong;
        for (uint32_t i = 0; i < count; ++i) {
            unsigned char* at = data + size_t(i) * element;
            if (input) {
                const uint32_t v = backend_.portIn(port, element);
                for (uint32_t b = 0; b < element; ++b)
                    at[b] = uint8_t(v >> (8 * b));
            } else {
                uint32_t v = 0;
                for (uint32_t b = 0; b < element; ++b)
                    v |= uint32_t(at[b]) << (8 * b);
                backend_.portOut(port, element, v);
            }
        }
        break;
    }
    case p::MapMemory: {
        const uint32_t busKind = p::get32(in), busNumber = p::get32(in + 4);
        const uint64_t physical = uint64_t(p::get32(in + 12)) << 32 | p::get32(in + 8);
        const uint32_t space = p::get32(in + 16), length = p::get32(in + 20);
        if (busKind != 1 || busNumber != 0 || space != 0 || length == 0 || length > maxMapLength
            || physical + length > 0x100000000ull || client.mappings.size() >= maxMappings)
            return fail(p::BadArgument);
        answer.fd = backend_.physicalMemory(physical, length);
        if (answer.fd < 0)
            return fail(p::Failed);
        const uint32_t handle = client.nextHandle++;
        client.mappings[handle] = physical;
        value32(handle);
        break;
    }
    case p::UnmapMemory:
        if (client.mappings.erase(p::get32(in)) == 0)
            return fail(p::BadArgument);
        break;
    case p::LockMemory: {
        const uint32_t size = p::get32(in + 4);
        if (size < minLockedSize || size > p::maxPayload || client.locked.size() >= maxLockedBlocks)
            return fail(p::BadArgument);
        const int memory = memfd_create("hwport32-locked", MFD_CLOEXEC);
        if (memory < 0)
            return fail(p::Failed);
        void* mapped = ftruncate(memory, size) == 0
                           ? mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, memory, 0)
                           : MAP_FAILED;
        if (mapped == MAP_FAILED) {
            ::close(memory);
            return fail(p::Failed);
        }
        const uint32_t handle = client.nextHandle++;
        client.locked[handle] = Locked{static_cast<unsigned char*>(mapped), size};
        answer.data.assign(in, in + 16);
        p::put32(answer.data.data(), handle);
        p::put32(answer.data.data() + 12, handle);
        answer.fd = memory;
        break;
    }
    case p::FreeMemory: {
        const uint32_t handle = p::get32(in);
        auto it = client.locked.find(handle);
        if (it == client.locked.end())
            return fail(p::BadArgument);
        for (Line& line : client.lines) {
            if (line.event >= 0 && line.lockedHandle == handle)
                closeFd(line.event);
        }
        munmap(it->second.memory, it->second.size);
        client.locked.erase(it);
        answer.data.assign(in, in + 4);
        updateWatches();
        break;
    }
    case p::IrqCounter: case p::MaskIrq: {
        const uint32_t line = p::get16(in);
        if (line >= 16)
            return fail(p::BadArgument);
        value32(client.lines[line].count);
        if (n == p::MaskIrq) {
            closeFd(client.lines[line].event);
            updateWatches();
        }
        break;
    }
    case p::UnmaskIrq: {
        const uint32_t line = p::get32(in);
        const uint32_t handle = p::get32(in + 8);
        auto it = client.locked.find(handle);
        if (line < 1 || line > 15 || it == client.locked.end())
            return fail(p::BadArgument);
        Line& target = client.lines[line];
        closeFd(target.event);
        target.event = fd;
        fd = -1;
        target.lockedHandle = handle;
        target.count = 0;
        __atomic_store_n(reinterpret_cast<uint32_t*>(it->second.memory) + line, 0u, __ATOMIC_RELEASE);
        updateWatches();
        break;
    }
    case p::LastPciBus: case p::PciMechanism: {
        const uint16_t v = n == p::LastPciBus ? backend_.lastPciBus() : backend_.pciMechanism();
        answer.data.resize(2);
        p::put16(answer.data.data(), v);
        break;
    }
    case p::PciDeviceInfo:
        if (in[2] > 31 || in[3] > 7)
            return fail(p::BadArgument);
        answer.data.resize(256);
        backend_.pciConfig(in[1], in[2], in[3], answer.data.data());
        break;
    case p::HddIdentify:
        if (in[0] > 3 || in[1] > 1 || in[2] != 0 || in[3] != 0)
            return fail(p::BadArgument);
        answer.data.resize(512);
        if (!backend_.identify(in[0], in[1], answer.data.data()))
            return fail(p::Failed);
        break;
    case p::PutScanCode: {
        const uint32_t scanCode = p::get32(in);
        if (scanCode > 0xFF)
            return fail(p::BadArgument);
        backend_.putScanCode(uint8_t(scanCode));
        break;
    }
    case p::KeyboardHook:
        closeFd(client.keyboardEvent);
        client.keyboardEvent = fd;
        fd = -1;
        client.keys.clear();
        updateWatches();
        break;
    case p::KeyboardUnhook:
        closeFd(client.keyboardEvent);
        client.keys.clear();
        updateWatches();
        break;
    case p::ReadScanCode: {
        uint8_t scanCode = 0;
        if (!client.keys.empty()) {
            const auto& record = client.keys.front();
            scanCode = uint8_t(record[2] | ((record[4] & 1) ? 0x80 : 0));
            client.keys.pop_front();
        }
        answer.data.assign(1, scanCode);
        break;
    }
    case p::PulseKeyboard:
        if (client.keyboardEvent >= 0)
            signalEvent(client.keyboardEvent);
        break;
    default:
        return fail(p::UnknownCode);
    }
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
            __atomic_store_n(reinterpret_cast<uint32_t*>(it->second.memory) + line, l.count,
                             __ATOMIC_RELEASE);
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
    clients_.erase(std::find_if(clients_.begin(), clients_.end(),
                                [&client](const auto& c) { return c.get() == &client; }));
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

} // namespace hwport::service
