// Wire format between libhwport32 and hwport32d, and the request table both
// sides agree on. Header-only so that the library, the service and the tests
// share one definition.
#pragma once

#include <sys/socket.h>
#include <sys/uio.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace hwport::protocol {

// Device-control codes: device type 0x8000, function 0x800 + n, buffered, any access.
constexpr uint32_t fullCode(uint32_t n) { return 0x80002000u + 4u * n; }
// The short form: the function number alone.
constexpr uint32_t shortCode(uint32_t n) { return ((fullCode(n) >> 2) & 0xFFu); }

enum Function : uint32_t {
    MapMemory = 2,
    UnmapMemory = 3,
    LockMemory = 4,
    FreeMemory = 5,
    IrqCounter = 6,
    MaskIrq = 7,
    UnmaskIrq = 8,
    PortInByte = 10,
    PortInWord = 11,
    PortInLong = 12,
    PortOutByte = 13,
    PortOutWord = 14,
    PortOutLong = 15,
    FifoInByte = 16,
    FifoInWord = 17,
    FifoInLong = 18,
    FifoOutByte = 19,
    FifoOutWord = 20,
    FifoOutLong = 21,
    LastPciBus = 23,
    PciMechanism = 24,
    PciDeviceInfo = 25,
    HddIdentify = 26,
    PutScanCode = 27,
    KeyboardUnhook = 28,
    KeyboardHook = 29,
    ReadScanCode = 30,
    PulseKeyboard = 31,
};

// Function number of a code in either form; nothing for codes outside the table.
constexpr std::optional<uint32_t> functionOf(uint32_t code)
{
    uint32_t n = 0;
    if (code >= fullCode(0) && code <= fullCode(255) && (code & 3u) == 0)
        n = (code - fullCode(0)) / 4u;
    else if (code < 256)
        n = code;
    else
        return std::nullopt;
    if (n < 2 || n > 31 || n == 9 || n == 22)
        return std::nullopt;
    return n;
}

constexpr uint32_t fifoElementSize(uint32_t n)
{
    switch (n) {
    case FifoInByte:
    case FifoOutByte:
        return 1;
    case FifoInWord:
    case FifoOutWord:
        return 2;
    case FifoInLong:
    case FifoOutLong:
        return 4;
    default:
        return 0;
    }
}

// Exact input and output sizes of the fixed-size requests; FIFO requests are
// checked against the count they carry.
struct Sizes {
    uint32_t in;
    uint32_t out;
};
constexpr std::optional<Sizes> fixedSizes(uint32_t n)
{
    switch (n) {
    case MapMemory:
        return Sizes{24, 4};
    case UnmapMemory:
        return Sizes{4, 0};
    case LockMemory:
        return Sizes{16, 16};
    case FreeMemory:
        return Sizes{4, 4};
    case IrqCounter:
    case MaskIrq:
        return Sizes{2, 4};
    case UnmaskIrq:
        return Sizes{12, 0};
    case PortInByte:
    case PortInWord:
    case PortInLong:
        return Sizes{4, 4};
    case PortOutByte:
    case PortOutWord:
    case PortOutLong:
        return Sizes{8, 0};
    case LastPciBus:
    case PciMechanism:
        return Sizes{0, 2};
    case PciDeviceInfo:
        return Sizes{4, 256};
    case HddIdentify:
        return Sizes{4, 512};
    case PutScanCode:
        return Sizes{4, 0};
    case KeyboardUnhook:
        return Sizes{0, 0};
    case KeyboardHook:
        return Sizes{4, 0};
    case ReadScanCode:
        return Sizes{0, 1};
    case PulseKeyboard:
        return Sizes{0, 0};
    default:
        return std::nullopt;
    }
}

// Largest input or output of one message; larger FIFO blocks go in pieces.
constexpr uint32_t maxPayload = 65536;
constexpr uint32_t fifoHeaderSize = 8;
constexpr uint32_t keyboardRecordSize = 12;
constexpr uint32_t maxKeyboardRead = 12000;

constexpr uint32_t magic = 0x31505748;  // "HWP1"

enum Op : uint32_t {
    OpControl = 1,
    OpRead = 2,   // keyboard records
    OpHello = 3,  // sent by the service once the peer is accepted
};

struct RequestHeader {
    uint32_t magic;
    uint32_t op;
    uint32_t code;
    uint32_t inLength;
    uint32_t outLength;
};

enum Status : uint32_t {
    Ok = 0,
    BadMessage = 1,
    UnknownCode = 2,
    BadLength = 3,
    BadArgument = 4,
    Failed = 5,
};

struct ReplyHeader {
    uint32_t magic;
    uint32_t op;
    uint32_t status;
    uint32_t outLength;
};

inline uint32_t get32(const unsigned char* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint16_t get16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }
inline void put32(unsigned char* p, uint32_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
    p[2] = uint8_t(v >> 16);
    p[3] = uint8_t(v >> 24);
}
inline void put16(unsigned char* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

// True when [start, start + length) lies inside [0, limit), computed without
// wrapping: a start near 2^64 must not pass by overflowing.
constexpr bool rangeWithin(uint64_t start, uint64_t length, uint64_t limit)
{
    return start <= limit && length <= limit - start;
}

// A device name becomes part of a socket path: plain names only.
inline bool isPlainName(const char* name)
{
    if (name == nullptr || name[0] == '\0' || name[0] == '.')
        return false;
    size_t length = 0;
    for (const char* p = name; *p; ++p, ++length) {
        const char c = *p;
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
                        c == '-' || c == '.';
        if (!ok || length >= 63)
            return false;
    }
    return true;
}

// The per-user fall-back when no login session made a runtime folder: one in
// the user's home, which no other user can create first (a name in /tmp can
// be taken by anyone). /tmp serves only a user without a usable home.
inline std::string fallbackRuntimeDir()
{
    std::string home;
    if (const char* variable = std::getenv("HOME"); variable != nullptr && variable[0] == '/')
        home = variable;
    if (home.empty()) {
        passwd entry{};
        passwd* found = nullptr;
        char text[4096];
        if (getpwuid_r(getuid(), &entry, text, sizeof text, &found) == 0 && found != nullptr &&
            found->pw_dir != nullptr && found->pw_dir[0] == '/')
            home = found->pw_dir;
    }
    while (home.size() > 1 && home.back() == '/')
        home.pop_back();
    // Room for the socket name within a socket address (108 bytes).
    if (home.size() > 1 && home.size() <= 64)
        return home + "/.cache/hwport32";
    return "/tmp/hwport32-" + std::to_string(getuid());
}

// The per-user runtime folder: XDG_RUNTIME_DIR when it names an absolute
// path, else /run/user/<uid>, else the fall-back above, which the service
// creates.
inline std::string runtimeDir()
{
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    if (dir != nullptr && dir[0] == '/')
        return dir;
    const std::string session = "/run/user/" + std::to_string(getuid());
    if (access(session.c_str(), F_OK) == 0)
        return session;
    return fallbackRuntimeDir();
}

// The system service's folder (a systemd socket unit makes it); the library
// looks there before the per-user service. HWPORT32_SYSTEM_DIR moves it.
inline std::string systemRuntimeDir()
{
    const char* dir = std::getenv("HWPORT32_SYSTEM_DIR");
    if (dir != nullptr && dir[0] == '/')
        return dir;
    return "/run/hwport32";
}

inline std::string socketPath(const std::string& runtimeDir, const std::string& device)
{
    return runtimeDir + "/hwport32-" + device + ".sock";
}
inline std::string pidPath(const std::string& runtimeDir, const std::string& device)
{
    return runtimeDir + "/hwport32-" + device + ".pid";
}

// Sends a header and its payload as one message, with a descriptor attached
// when fd >= 0 (SCM_RIGHTS). True when the whole message went out.
inline bool sendMessage(int socket, const void* header, size_t headerLength, const void* payload, size_t payloadLength,
                        int fd, int flags)
{
    iovec iov[2] = {{const_cast<void*>(header), headerLength}, {const_cast<void*>(payload), payloadLength}};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr msg{};
    msg.msg_iov = iov;
    msg.msg_iovlen = payloadLength > 0 ? 2 : 1;
    if (fd >= 0) {
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        cmsghdr* cmsg = CMSG_FIRSTHDR(&msg);
        cmsg->cmsg_level = SOL_SOCKET;
        cmsg->cmsg_type = SCM_RIGHTS;
        cmsg->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(cmsg), &fd, sizeof fd);
    }
    ssize_t sent;
    do {
        sent = sendmsg(socket, &msg, flags | MSG_NOSIGNAL);
    } while (sent < 0 && errno == EINTR);
    return sent == ssize_t(headerLength + payloadLength);
}

}  // namespace hwport::protocol
