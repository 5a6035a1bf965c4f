// Physical memory mapped into the caller, and locked blocks shared with it
// (interrupt counters and the last scan code). Ranges, the client's limits
// and the handles named are checked before these run.
#include "Operations.h"

#include <sys/mman.h>
#include <unistd.h>

namespace hwport::service::handlers {

namespace p = protocol;

// The caller maps the range from the descriptor that goes with the answer;
// the handle names the mapping from then on.
Server::Answer mapMemory(Request& request)
{
    Client& client = request.client;
    const uint64_t physical = mapAddress(request.in);
    const int memory = request.backend.physicalMemory(physical, p::get32(request.in + 20));
    if (memory < 0)
        return failed();
    const uint32_t handle = client.nextHandle++;
    client.mappings[handle] = physical;
    Server::Answer answer = value32(handle);
    answer.fd = memory;
    return answer;
}

Server::Answer unmapMemory(Request& request)
{
    request.client.mappings.erase(p::get32(request.in));
    return {};
}

// A shared-memory block; its handle stands in both address fields, since a
// 64-bit address does not fit them.
Server::Answer lockMemory(Request& request)
{
    const uint32_t size = p::get32(request.in + 4);
    const int memory = memfd_create("hwport32-locked", MFD_CLOEXEC);
    if (memory < 0)
        return failed();
    void* mapped =
        ftruncate(memory, size) == 0 ? mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, memory, 0) : MAP_FAILED;
    if (mapped == MAP_FAILED) {
        ::close(memory);
        return failed();
    }
    const uint32_t handle = request.client.nextHandle++;
    request.client.locked[handle] = Locked{static_cast<unsigned char*>(mapped), size};
    Server::Answer answer;
    answer.data.assign(request.in, request.in + request.inLength);
    p::put32(answer.data.data(), handle);
    p::put32(answer.data.data() + 12, handle);
    answer.fd = memory;
    return answer;
}

// Lines counting into the block are masked with it.
Server::Answer freeMemory(Request& request)
{
    Client& client = request.client;
    const uint32_t handle = p::get32(request.in);
    const auto it = client.locked.find(handle);
    for (Line& line : client.lines) {
        if (line.event >= 0 && line.lockedHandle == handle)
            closeFd(line.event);
    }
    munmap(it->second.memory, it->second.size);
    client.locked.erase(it);
    Server::Answer answer;
    answer.data.assign(request.in, request.in + request.inLength);
    return answer;
}

}  // namespace hwport::service::handlers
