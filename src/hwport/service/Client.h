// What the service keeps for one connected client: its locked blocks, its
// mappings, its interrupt lines and its keyboard hook.
#pragma once

#include <unistd.h>

#include <array>
#include <cstdint>
#include <deque>
#include <map>

namespace hwport::service {

struct Locked {
    unsigned char* memory = nullptr;
    uint32_t size = 0;
};

struct Line {
    int event = -1;
    uint32_t lockedHandle = 0;
    uint32_t count = 0;
};

struct Client {
    int fd = -1;
    std::map<uint32_t, Locked> locked;
    std::map<uint32_t, uint64_t> mappings;
    Line lines[16];
    int keyboardEvent = -1;
    std::deque<std::array<unsigned char, 12>> keys;
    uint32_t nextHandle = 1;
};

inline void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

inline void signalEvent(int fd)
{
    const uint64_t one = 1;
    (void)!::write(fd, &one, sizeof one);
}

}  // namespace hwport::service
