#include "platform/SystemGridClock.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>

namespace tinctara {

EventFdTickRequests::EventFdTickRequests() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC))
{
    if (fd_ < 0)
        throw std::runtime_error("eventfd");
}

EventFdTickRequests::~EventFdTickRequests() { ::close(fd_); }

void EventFdTickRequests::requestTick()
{
    const std::uint64_t one = 1;
    // The counter cannot overflow here: the sender never has more than one
    // request waiting.
    [[maybe_unused]] const auto written = ::write(fd_, &one, sizeof one);
}

bool EventFdTickRequests::take()
{
    std::uint64_t count = 0;
    return ::read(fd_, &count, sizeof count) == sizeof count && count > 0;
}

void EventFdTickRequests::wait()
{
    pollfd waiting{fd_, POLLIN, 0};
    while (!take())
        ::poll(&waiting, 1, -1);
}

}  // namespace tinctara
