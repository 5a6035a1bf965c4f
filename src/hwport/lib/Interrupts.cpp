#include "Connection.h"
#include "protocol/Protocol.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace hwport {
namespace {

namespace p = protocol;

constexpr int startTimeoutMs = 5000;

struct ThreadStart {
    Connection* connection;
    int ready;
    uint32_t generation;
};

void signal(int event)
{
    const uint64_t one = 1;
    (void)!::write(event, &one, sizeof one);
}

void reset(int event)
{
    uint64_t value = 0;
    (void)!::read(event, &value, sizeof value);
}

uint32_t sharedCounter(const Connection& c, uint32_t line)
{
    unsigned char* memory = __atomic_load_n(&c.lockedMemory, __ATOMIC_ACQUIRE);
    if (memory == nullptr)
        return 0;
    return __atomic_load_n(reinterpret_cast<uint32_t*>(memory) + line, __ATOMIC_ACQUIRE);
}

// A thread stopped from inside its own callback is detached; a connection
// reopened meanwhile has a new thread, which the old one must leave alone.
bool stopping(const Connection& c, uint32_t generation)
{
    return __atomic_load_n(&c.dispatchStop, __ATOMIC_ACQUIRE) != 0 ||
           __atomic_load_n(&c.dispatchGeneration, __ATOMIC_ACQUIRE) != generation;
}

void deliver(Connection& c, uint32_t line, uint32_t generation)
{
    IrqLine& irq = c.irq[line];
    // Counters run on past 2^32; compare by difference.
    while (int32_t(sharedCounter(c, line) - __atomic_load_n(&irq.handled, __ATOMIC_ACQUIRE)) > 0) {
        const AnyFunction callback = __atomic_load_n(&irq.callback, __ATOMIC_ACQUIRE);
        if (callback != nullptr) {
            if (__atomic_load_n(&irq.hasData, __ATOMIC_ACQUIRE))
                reinterpret_cast<HwPort32IrqDataCallback>(callback)(irq.data, line);
            else
                reinterpret_cast<HwPort32IrqCallback>(callback)(line);
        }
        __atomic_add_fetch(&irq.handled, 1u, __ATOMIC_ACQ_REL);
        if (stopping(c, generation))
            return;
    }
}

void* dispatchMain(void* argument)
{
    auto* start = static_cast<ThreadStart*>(argument);
    Connection& c = *start->connection;
    const uint32_t generation = start->generation;
    raiseThreadPriority();
    signal(start->ready);  // start lives on the opener's stack: not touched after this

    pollfd fds[lineCount];
    for (uint32_t i = 0; i < lineCount; ++i)
        fds[i] = pollfd{c.irq[i].event, POLLIN, 0};
    while (!stopping(c, generation)) {
        if (poll(fds, lineCount, -1) < 0)
            continue;
        for (uint32_t i = 0; i < lineCount && !stopping(c, generation); ++i) {
            if ((fds[i].revents & POLLIN) == 0)
                continue;
            reset(fds[i].fd);
            deliver(c, i, generation);
        }
    }
    return nullptr;
}

}  // namespace

bool startDispatchThread(Connection& c)
{
    const uint32_t generation = __atomic_add_fetch(&c.dispatchGeneration, 1u, __ATOMIC_ACQ_REL);
    ThreadStart start{&c, eventfd(0, EFD_CLOEXEC), generation};
    if (start.ready < 0)
        return false;
    __atomic_store_n(&c.dispatchStop, 0u, __ATOMIC_RELEASE);
    bool running = pthread_create(&c.dispatchThread, nullptr, dispatchMain, &start) == 0;
    if (running) {
        pollfd ready{start.ready, POLLIN, 0};
        while (poll(&ready, 1, startTimeoutMs) < 0) {
        }
        // The thread signals before touching start again, so waiting for it
        // to end is the only safe way out if it has not signalled in time.
        if ((ready.revents & POLLIN) == 0) {
            __atomic_store_n(&c.dispatchStop, 1u, __ATOMIC_RELEASE);
            signal(c.irq[0].event);
            pthread_join(c.dispatchThread, nullptr);
            running = false;
        }
    }
    ::close(start.ready);
    c.dispatchRunning = running ? 1 : 0;
    return running;
}

void stopDispatchThread(Connection& c)
{
    if (!c.dispatchRunning)
        return;
    __atomic_store_n(&c.dispatchStop, 1u, __ATOMIC_RELEASE);
    signal(c.irq[0].event);  // line 0 is never armed; its event only wakes the thread
    if (pthread_equal(pthread_self(), c.dispatchThread))
        pthread_detach(c.dispatchThread);  // closed from inside a callback
    else
        pthread_join(c.dispatchThread, nullptr);
    c.dispatchRunning = 0;
}

void maskAllLines(Connection& c)
{
    auto* connection = reinterpret_cast<HwPort32Connection*>(&c);
    for (uint32_t line = 0; line < lineCount; ++line) {
        if (!c.irq[line].masked)
            MaskIRQ(connection, line);
        __atomic_store_n(&c.irq[line].callback, AnyFunction(nullptr), __ATOMIC_RELEASE);
        c.irq[line].data = nullptr;
    }
}

}  // namespace hwport

using namespace hwport;
namespace p = hwport::protocol;

namespace {

void unmask(HwPort32Connection* connection, uint32_t line, AnyFunction callback, void* data, bool hasData)
{
    Connection* c = activeRecord(connection);
    if (c == nullptr || line < 1 || line > 15 || !c->irq[line].masked)
        return;
    IrqLine& irq = c->irq[line];
    __atomic_store_n(&irq.handled, 0u, __ATOMIC_RELEASE);
    irq.data = data;
    __atomic_store_n(&irq.hasData, hasData ? 1u : 0u, __ATOMIC_RELEASE);
    __atomic_store_n(&irq.callback, callback, __ATOMIC_RELEASE);
    if (c->lockedMemory != nullptr)
        __atomic_store_n(reinterpret_cast<uint32_t*>(c->lockedMemory) + line, 0u, __ATOMIC_RELEASE);
    unsigned char in[12];
    p::put32(in, line);
    p::put32(in + 4, uint32_t(irq.event));
    p::put32(in + 8, c->lockedSecond);
    // A line the driver refused stays masked rather than waiting forever.
    if (request(*c, p::UnmaskIrq, in, sizeof in, nullptr, 0, irq.event).ok)
        irq.masked = 0;
}

}  // namespace

extern "C" {

void MaskIRQ(HwPort32Connection* connection, uint32_t line)
{
    Connection* c = activeRecord(connection);
    if (c == nullptr || line >= lineCount || c->irq[line].masked)
        return;
    c->irq[line].masked = 1;
    unsigned char in[2];
    p::put16(in, uint16_t(line));
    unsigned char out[4] = {};
    request(*c, p::MaskIrq, in, sizeof in, out, sizeof out);
}

void UnmaskIRQ(HwPort32Connection* connection, uint32_t line, HwPort32IrqCallback callback)
{
    unmask(connection, line, reinterpret_cast<AnyFunction>(callback), nullptr, false);
}

void UnmaskDelphiIRQ(HwPort32Connection* connection, void* data, uint32_t line, HwPort32IrqDataCallback callback)
{
    unmask(connection, line, reinterpret_cast<AnyFunction>(callback), data, true);
}

uint32_t GetIRQCounter(HwPort32Connection* connection, uint32_t line)
{
    Connection* c = activeRecord(connection);
    if (c == nullptr || line >= lineCount)
        return 0;
    if (c->irq[line].masked)
        return __atomic_load_n(&c->irq[line].handled, __ATOMIC_ACQUIRE);
    unsigned char in[2];
    p::put16(in, uint16_t(line));
    unsigned char out[4] = {};
    request(*c, p::IrqCounter, in, sizeof in, out, sizeof out);
    return p::get32(out);
}

uint32_t IsIRQMasked(HwPort32Connection* connection, uint32_t line)
{
    Connection* c = activeRecord(connection);
    if (c == nullptr || line >= lineCount)
        return 1;
    return c->irq[line].masked;
}

}  // extern "C"
