#include "MemoryCardDevice.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

namespace tinctara::hardware {

MemoryCardDevice::MemoryCardDevice(std::uint32_t size, std::string batteryFile, std::uint16_t port)
    : size_(size), port_(port)
{
    if (!batteryFile.empty()) {
        // A file of another size (the card was changed in hardware.ini) keeps
        // what fits; new cells read 0.
        const int fd = ::open(batteryFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd >= 0 && ::ftruncate(fd, static_cast<off_t>(size_)) == 0) {
            void* mapped = ::mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
            if (mapped != MAP_FAILED) {
                memory_ = static_cast<std::uint8_t*>(mapped);
                mapped_ = true;
            }
        }
        if (!mapped_)
            problem_ = "Memorykarte: " + batteryFile + " ist nicht benutzbar (" + std::strerror(errno) +
                       "); der Inhalt bleibt nur bis zum Programmende erhalten.";
        if (fd >= 0)
            ::close(fd);
    }
    if (!mapped_)
        memory_ = new std::uint8_t[size_]();
}

MemoryCardDevice::~MemoryCardDevice()
{
    if (mapped_)
        ::munmap(memory_, size_);
    else
        delete[] memory_;
}

std::uint8_t MemoryCardDevice::read(std::uint32_t port)
{
    switch (port - port_) {
    case 0:
        return memory_[address()];
    case 3:
        return page_;
    default:
        return 0xFF;  // the address latches are write-only
    }
}

void MemoryCardDevice::write(std::uint32_t port, std::uint8_t value)
{
    switch (port - port_) {
    case 0:
        memory_[address()] = value;
        break;
    case 1:
        low_ = value;
        break;
    case 2:
        high_ = value;
        break;
    case 3:
        page_ = value;
        break;
    default:
        break;
    }
}

long long memoryCardSizeOf(const std::string& text)
{
    std::string t;
    for (const char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            t += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (t.size() > 1 && t.back() == 'B')  // "32KB", "1MB"
        t.pop_back();
    if (t == "NONE" || t == "0")
        return 0;
    static const std::pair<const char*, long long> sizes[] = {{"32K", 32768},   {"64K", 65536},   {"128K", 131072},
                                                              {"256K", 262144}, {"512K", 524288}, {"1M", 1048576}};
    for (const auto& [name, bytes] : sizes)
        if (t == name)
            return bytes;
    return -1;
}

}  // namespace tinctara::hardware
