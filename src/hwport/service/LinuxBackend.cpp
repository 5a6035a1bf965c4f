#include "LinuxBackend.h"
#include "Privilege.h"

#include "protocol/Protocol.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/hdreg.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define HWPORT_HAS_PORTS 1
#else
#define HWPORT_HAS_PORTS 0
#endif

namespace hwport::service {
namespace {

std::vector<std::string> listDirectory(const char* path)
{
    std::vector<std::string> names;
    if (DIR* dir = opendir(path)) {
        while (dirent* entry = readdir(dir)) {
            if (entry->d_name[0] != '.')
                names.emplace_back(entry->d_name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool testBit(const unsigned long* bits, unsigned bit)
{
    constexpr unsigned perLong = sizeof(unsigned long) * 8;
    return (bits[bit / perLong] >> (bit % perLong)) & 1ul;
}

bool isKeyboard(int fd)
{
    unsigned long keys[(KEY_MAX + 1) / (sizeof(unsigned long) * 8) + 1] = {};
    if (ioctl(fd, EVIOCGBIT(EV_KEY, sizeof keys), keys) < 0)
        return false;
    return testBit(keys, KEY_A) && testBit(keys, KEY_SPACE) && testBit(keys, KEY_ENTER);
}

#if HWPORT_HAS_PORTS
// The keyboard controller takes a command only when its input buffer is empty.
bool controllerReady()
{
    for (int i = 0; i < 10000; ++i)
        if ((inb(0x64) & 0x02) == 0)
            return true;
    return false;
}
#endif

}  // namespace

LinuxBackend::LinuxBackend()
{
#if HWPORT_HAS_PORTS
    if (iopl(3) == 0)
        portLimit_ = 0x10000;
    else if (ioperm(0, 0x400, 1) == 0)
        portLimit_ = 0x400;
    else
        problem_ = "no permission for port I/O (needs the raw-I/O privilege; --virtual runs without it)";
#else
    problem_ = "this processor has no I/O ports";
#endif
}

LinuxBackend::~LinuxBackend() { watchKeyboard(false); }

uint32_t LinuxBackend::portIn(uint32_t port, uint32_t width)
{
#if HWPORT_HAS_PORTS
    if (protocol::rangeWithin(port, width, portLimit_)) {
        const auto p = static_cast<unsigned short>(port);
        return width == 1 ? inb(p) : width == 2 ? inw(p) : inl(p);
    }
#endif
    (void)port;
    (void)width;
    return 0xFFFFFFFFu;
}

void LinuxBackend::portOut(uint32_t port, uint32_t width, uint32_t value)
{
#if HWPORT_HAS_PORTS
    if (protocol::rangeWithin(port, width, portLimit_)) {
        const auto p = static_cast<unsigned short>(port);
        if (width == 1)
            outb(uint8_t(value), p);
        else if (width == 2)
            outw(uint16_t(value), p);
        else
            outl(value, p);
    }
#endif
    (void)port;
    (void)width;
    (void)value;
}

int LinuxBackend::physicalMemory(uint64_t physical, uint32_t length)
{
    if (length == 0 || !protocol::rangeWithin(physical, length, UINT64_MAX))
        return -1;
    privilege::Raised root;
    return open("/dev/mem", O_RDWR | O_SYNC | O_CLOEXEC);
}

uint16_t LinuxBackend::lastPciBus()
{
    unsigned last = 0;
    for (const std::string& name : listDirectory("/sys/bus/pci/devices")) {
        unsigned domain = 0, bus = 0, device = 0, function = 0;
        if (std::sscanf(name.c_str(), "%x:%x:%x.%x", &domain, &bus, &device, &function) == 4 && domain == 0)
            last = std::max(last, bus);
    }
    return uint16_t(last);
}

uint16_t LinuxBackend::pciMechanism() { return listDirectory("/sys/bus/pci/devices").empty() ? 0 : 1; }

void LinuxBackend::pciConfig(uint32_t bus, uint32_t device, uint32_t function, unsigned char* out)
{
    std::memset(out, 0xFF, 256);
    if (bus > 255 || device > 31 || function > 7)
        return;
    char path[64];
    std::snprintf(path, sizeof path, "/sys/bus/pci/devices/0000:%02x:%02x.%x/config", bus, device, function);
    // Configuration space beyond the first 64 bytes is read only for the
    // administration privilege, which the kernel checks at the read.
    privilege::Raised root;
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    (void)!pread(fd, out, 256, 0);
    close(fd);
}

bool LinuxBackend::identify(uint32_t drive, uint32_t flag, unsigned char* out)
{
    (void)flag;  // the kernel picks the identify command that fits the drive
    std::vector<std::string> disks;
    for (const std::string& name : listDirectory("/sys/block"))
        if (name.rfind("sd", 0) == 0 || name.rfind("hd", 0) == 0)
            disks.push_back(name);
    if (drive >= disks.size())
        return false;
    const std::string path = "/dev/" + disks[drive];
    privilege::Raised root;
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    unsigned char identity[512] = {};
    const bool ok = ioctl(fd, HDIO_GET_IDENTITY, identity) == 0;
    close(fd);
    if (ok)
        std::memcpy(out, identity, sizeof identity);
    return ok;
}

void LinuxBackend::putScanCode(uint8_t code)
{
#if HWPORT_HAS_PORTS
    // "Write keyboard output buffer": the controller hands the code on as if typed.
    if (portLimit_ <= 0x64 || !controllerReady())
        return;
    outb(0xD2, 0x64);
    if (controllerReady())
        outb(code, 0x60);
#else
    (void)code;
#endif
}

std::array<uint64_t, 16> LinuxBackend::readInterruptCounts() const
{
    std::array<uint64_t, 16> counts{};
    std::ifstream file("/proc/interrupts");
    std::string line;
    std::getline(file, line);  // CPU header
    while (std::getline(file, line)) {
        std::istringstream in(line);
        std::string label;
        in >> label;
        if (label.empty() || label.back() != ':')
            continue;
        char* end = nullptr;
        const unsigned long number = std::strtoul(label.c_str(), &end, 10);
        if (*end != ':' || number >= counts.size())
            continue;
        uint64_t total = 0;
        std::string column;
        while (in >> column && !column.empty() && std::isdigit(static_cast<unsigned char>(column[0])))
            total += std::strtoull(column.c_str(), nullptr, 10);
        counts[number] = total;
    }
    return counts;
}

void LinuxBackend::watchInterrupts(uint32_t lineMask)
{
    if (lineMask != 0 && watchedLines_ == 0)
        lastCounts_ = readInterruptCounts();
    watchedLines_ = lineMask;
}

void LinuxBackend::tick()
{
    if (watchedLines_ == 0 || sink_ == nullptr)
        return;
    const std::array<uint64_t, 16> counts = readInterruptCounts();
    for (uint32_t line = 0; line < 16; ++line) {
        if ((watchedLines_ & (1u << line)) != 0 && counts[line] > lastCounts_[line])
            sink_->interrupt(line, uint32_t(counts[line] - lastCounts_[line]));
    }
    lastCounts_ = counts;
}

void LinuxBackend::watchKeyboard(bool on)
{
    if (!on) {
        for (int fd : keyboards_)
            close(fd);
        keyboards_.clear();
        return;
    }
    if (!keyboards_.empty())
        return;
    privilege::Raised root;
    for (const std::string& name : listDirectory("/dev/input")) {
        if (name.rfind("event", 0) != 0)
            continue;
        const std::string path = "/dev/input/" + name;
        const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (isKeyboard(fd))
            keyboards_.push_back(fd);
        else
            close(fd);
    }
}

void LinuxBackend::readable(int fd)
{
    if (std::find(keyboards_.begin(), keyboards_.end(), fd) == keyboards_.end())
        return;
    input_event events[64];
    const ssize_t n = read(fd, events, sizeof events);
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
        // Unplugged: polling it further would only spin.
        close(fd);
        keyboards_.erase(std::remove(keyboards_.begin(), keyboards_.end(), fd), keyboards_.end());
        return;
    }
    if (n <= 0 || sink_ == nullptr)
        return;
    for (size_t i = 0; i < size_t(n) / sizeof(input_event); ++i) {
        const input_event& e = events[i];
        // Key codes up to F12 are the set-1 scan codes themselves.
        if (e.type != EV_KEY || e.code == 0 || e.code > KEY_F12)
            continue;
        sink_->key(uint8_t(e.code), e.value == 0);
    }
}

}  // namespace hwport::service
