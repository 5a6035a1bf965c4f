// Interrupt lines: a line is unmasked with the caller's eventfd and counted
// into one of its locked blocks until it is masked again.
#include "Operations.h"

namespace hwport::service::handlers {

namespace p = protocol;

Server::Answer irqCounter(Request& request) { return value32(request.client.lines[p::get16(request.in)].count); }

// Answers the count as it was when the line stopped.
Server::Answer maskIrq(Request& request)
{
    Server::Answer answer = irqCounter(request);
    closeFd(request.client.lines[p::get16(request.in)].event);
    return answer;
}

Server::Answer unmaskIrq(Request& request)
{
    const uint32_t line = p::get32(request.in);
    const uint32_t handle = p::get32(request.in + 8);
    Line& target = request.client.lines[line];
    closeFd(target.event);
    target.event = request.fd;
    request.fd = -1;
    target.lockedHandle = handle;
    target.count = 0;
    unsigned char* counters = request.client.locked.at(handle).memory;
    __atomic_store_n(reinterpret_cast<uint32_t*>(counters) + line, 0u, __ATOMIC_RELEASE);
    return {};
}

}  // namespace hwport::service::handlers
