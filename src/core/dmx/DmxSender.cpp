#include "dmx/DmxSender.h"

#include "dmx/OutputPort.h"
#include "model/ShowFlags.h"

#include <pthread.h>
#include <sched.h>

namespace tinctara {

namespace {

// The first point of the grid through `last` that lies after `now`: a sender
// that woke late skips what it missed rather than sending a burst.
std::int64_t nextGridPoint(std::int64_t last, std::int64_t now)
{
    std::int64_t next = last + DmxSender::PeriodNanoseconds;
    if (next <= now)
        next += ((now - next) / DmxSender::PeriodNanoseconds + 1) * DmxSender::PeriodNanoseconds;
    return next;
}

}  // namespace

DmxSender::DmxSender(SenderDevices devices, GridClock* clock, TickRequests* requests, std::int64_t leadNanoseconds)
    : devices_(devices), clock_(clock), requests_(requests), lead_(leadNanoseconds)
{
}

DmxSender::~DmxSender() { stopThread(); }

void DmxSender::stopThread()
{
    if (!thread_.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        stopping_ = true;
    }
    stateChanged_.notify_all();
    clock_->wakeSleeper();
    thread_.join();
}

void DmxSender::publish(InterfaceKind type, const ShowModel& model)
{
    OutgoingFrame& frame = slots_[back_];
    frame.type = type;
    frame.port = &portFor(type);
    if (frame.port->shape() == FrameShape::Wide) {
        frame.wide = model.DmxFrameWide;
        frame.cardHandle = model.LibraryCardHandle;
    } else {
        frame.bytes = model.DmxFrame;
    }
    back_ = middle_.exchange(back_ | Fresh, std::memory_order_acq_rel) & ~Fresh;
    lastPublished_ = type;
}

void DmxSender::withdraw()
{
    if (lastPublished_ == InterfaceKind::NoInterface)
        return;
    slots_[back_].type = InterfaceKind::NoInterface;
    back_ = middle_.exchange(back_ | Fresh, std::memory_order_acq_rel) & ~Fresh;
    lastPublished_ = InterfaceKind::NoInterface;
}

void DmxSender::deviceOpened()
{
    ++opens_;
    withdraw();
}

void DmxSender::sendNow()
{
    if (middle_.load(std::memory_order_acquire) & Fresh)
        front_ = middle_.exchange(front_, std::memory_order_acq_rel) & ~Fresh;
    transmit(slots_[front_]);
}

void DmxSender::askForTick()
{
    if (requests_ && !tickRequested_.exchange(true, std::memory_order_acq_rel))
        requests_->requestTick();
}

void DmxSender::gridPoint()
{
    sendNow();
    askForTick();
}

// A frame still waiting was built too late for the last grid point: it leaves
// at the next, and no tick is asked for that would replace it unsent.
void DmxSender::leadPoint()
{
    if (!(middle_.load(std::memory_order_acquire) & Fresh))
        askForTick();
}

void DmxSender::transmit(OutgoingFrame& frame)
{
    if (frame.type == InterfaceKind::NoInterface)
        return;
    std::lock_guard<std::mutex> lock(deviceMutex_);
    frame.port->transmit(frame, devices_);
}

void DmxSender::setEnabled(bool enabled) { setState(enabled, false); }

void DmxSender::pauseTicks() { setState(false, true); }

void DmxSender::setState(bool enabled, bool keepWire)
{
    if ((enabled || keepWire) && clock_ && !thread_.joinable())
        thread_ = std::thread(&DmxSender::run, this);
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        enabled_ = enabled;
        keepWire_ = keepWire;
    }
    stateChanged_.notify_all();
}

void DmxSender::run()
{
    pthread_setname_np(pthread_self(), "dmx-sender");  // as ps and gdb show it
    // Where the system grants it, the grid wakes ahead of ordinary threads, so
    // a busy machine delays the wire by microseconds rather than by whole
    // scheduling slices; the thread sleeps all but microseconds of each
    // period. Without the privilege it stays as it is.
    sched_param realtime{};
    realtime.sched_priority = 10;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &realtime);
    std::int64_t next = clock_->nowNanoseconds() + PeriodNanoseconds;
    // Whether the tick for `next` is asked for: only when the grid point
    // before it was enabled, so the first one after enabling sends what was there.
    bool asking = false;
    const auto running = [this] { return enabled_.load() || keepWire_.load(); };
    for (;;) {
        if (!running()) {
            std::unique_lock<std::mutex> lock(stateMutex_);
            stateChanged_.wait(lock, [&] { return running() || stopping_.load(); });
            if (stopping_)
                return;
            lock.unlock();
            // The grid keeps its phase across a pause.
            next = nextGridPoint(next - PeriodNanoseconds, clock_->nowNanoseconds());
            asking = false;
        }
        if (lead_ > 0) {
            clock_->sleepUntil(next - lead_);
            if (stopping_.load())
                return;
            if (asking && enabled_.load())
                leadPoint();
        }
        clock_->sleepUntil(next);
        if (stopping_.load())
            return;
        const std::int64_t now = clock_->nowNanoseconds();
        asking = enabled_.load();
        if (asking && lead_ == 0)
            gridPoint();
        else if (asking || keepWire_.load())
            sendNow();
        next = nextGridPoint(next, now);
    }
}

}  // namespace tinctara
