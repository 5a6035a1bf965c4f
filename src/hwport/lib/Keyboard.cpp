#include "Connection.h"
#include "protocol/Protocol.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace hwport {
namespace {

namespace p = protocol;

constexpr uint32_t pulseCode = 119;      // PulseKeyboard
constexpr uint32_t localPulseCode = 85;  // PulseKeyboardLocal
constexpr uint32_t modeData = 0;
constexpr uint32_t modePulse = 1;
constexpr uint32_t modeLocalPulse = 2;
constexpr int startTimeoutMs = 5000;
constexpr uint32_t stopRequested = 1;
constexpr uint32_t stopFromCallback = 2;

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

void call(const Connection& c, uint32_t code)
{
    const AnyFunction callback = __atomic_load_n(&c.keyboardCallback, __ATOMIC_ACQUIRE);
    if (callback == nullptr)
        return;
    if (c.keyboardHasData)
        reinterpret_cast<HwPort32KeyDataCallback>(callback)(c.keyboardData, code);
    else
        reinterpret_cast<HwPort32KeyCallback>(callback)(code);
}

// A thread unhooked from inside its callback is detached; a hook made
// meanwhile has a new thread, which the old one must leave alone.
bool stopping(const Connection& c, uint32_t generation)
{
    return __atomic_load_n(&c.keyboardStop, __ATOMIC_ACQUIRE) != 0 ||
           __atomic_load_n(&c.keyboardGeneration, __ATOMIC_ACQUIRE) != generation;
}

void deliverRecords(Connection& c, uint32_t generation)
{
    unsigned char records[p::maxKeyboardRead];
    const size_t length = c.channel->read(records, sizeof records);
    constexpr size_t flagOffset = 4;
    for (size_t at = 0; at + p::keyboardRecordSize <= length && !stopping(c, generation); at += p::keyboardRecordSize) {
        const unsigned char* record = records + at;
        uint32_t code = record[flagOffset - 2];
        if (record[flagOffset] & 0x01)
            code += 0x80;  // key released
        call(c, code);
    }
}

void* keyboardMain(void* argument)
{
    auto* start = static_cast<ThreadStart*>(argument);
    Connection& c = *start->connection;
    const uint32_t generation = start->generation;
    raiseThreadPriority();
    unsigned char hook[4];
    p::put32(hook, uint32_t(c.keyboardEvent));
    request(c, p::KeyboardHook, hook, sizeof hook, nullptr, 0, c.keyboardEvent);
    signal(start->ready);

    pollfd event{c.keyboardEvent, POLLIN, 0};
    for (;;) {
        if (poll(&event, 1, -1) < 0)
            continue;
        uint64_t count = 0;
        (void)!::read(c.keyboardEvent, &count, sizeof count);
        if (stopping(c, generation))
            break;
        // Taking the mode and clearing it in one step: a pulse arriving while
        // the previous one is handled is not lost.
        const uint32_t mode = __atomic_exchange_n(&c.keyboardMode, modeData, __ATOMIC_ACQ_REL);
        if (mode == modePulse) {
            call(c, pulseCode);
        } else if (mode == modeLocalPulse) {
            call(c, localPulseCode);
        } else if (!c.win9x) {
            deliverRecords(c, generation);
        } else {
            unsigned char code = 0;
            if (request(c, p::ReadScanCode, nullptr, 0, &code, 1).ok)
                call(c, code);
        }
        if (stopping(c, generation))
            break;
    }
    // Unhooked from inside a callback: that call told the driver already, and
    // the connection may be closing or hooked anew under us.
    if (__atomic_load_n(&c.keyboardStop, __ATOMIC_ACQUIRE) == stopRequested &&
        __atomic_load_n(&c.keyboardGeneration, __ATOMIC_ACQUIRE) == generation)
        request(c, p::KeyboardUnhook, nullptr, 0, nullptr, 0);
    return nullptr;
}

void hook(HwPort32Connection* connection, AnyFunction callback, void* data, bool hasData)
{
    Connection* c = activeRecord(connection);
    if (c == nullptr || c->keyboardHooked)
        return;
    c->keyboardData = data;
    c->keyboardHasData = hasData ? 1 : 0;
    __atomic_store_n(&c->keyboardCallback, callback, __ATOMIC_RELEASE);
    // A new generation before the stop flag clears: a detached old thread
    // must never see "not stopping" for itself.
    const uint32_t generation = __atomic_add_fetch(&c->keyboardGeneration, 1u, __ATOMIC_ACQ_REL);
    __atomic_store_n(&c->keyboardStop, 0u, __ATOMIC_RELEASE);
    __atomic_store_n(&c->keyboardMode, modeData, __ATOMIC_RELEASE);

    ThreadStart start{c, eventfd(0, EFD_CLOEXEC), generation};
    if (start.ready < 0)
        return;
    if (pthread_create(&c->keyboardThread, nullptr, keyboardMain, &start) == 0) {
        pollfd ready{start.ready, POLLIN, 0};
        while (poll(&ready, 1, startTimeoutMs) < 0) {
        }
        c->keyboardHooked = 1;
        if ((ready.revents & POLLIN) == 0)
            unhookKeyboard(*c);  // the thread must not outlive start
    }
    ::close(start.ready);
}

}  // namespace

void unhookKeyboard(Connection& c)
{
    if (!c.keyboardHooked)
        return;
    if (pthread_equal(pthread_self(), c.keyboardThread)) {
        // Unhooked from inside the callback: the thread ends once it returns.
        __atomic_store_n(&c.keyboardStop, stopFromCallback, __ATOMIC_RELEASE);
        request(c, p::KeyboardUnhook, nullptr, 0, nullptr, 0);
        pthread_detach(c.keyboardThread);
    } else {
        __atomic_store_n(&c.keyboardStop, stopRequested, __ATOMIC_RELEASE);
        signal(c.keyboardEvent);
        pthread_join(c.keyboardThread, nullptr);
    }
    c.keyboardHooked = 0;
}

}  // namespace hwport

using namespace hwport;
namespace p = hwport::protocol;

extern "C" {

void PutScanCode(HwPort32Connection* connection, uint32_t code)
{
    Connection* c = activeRecord(connection);
    if (c == nullptr)
        return;
    unsigned char in[4];
    p::put32(in, code & 0xFFu);
    request(*c, p::PutScanCode, in, sizeof in, nullptr, 0);
}

void HookKeyboard(HwPort32Connection* connection, HwPort32KeyCallback callback)
{
    hook(connection, reinterpret_cast<AnyFunction>(callback), nullptr, false);
}

void HookDelphiKeyboard(HwPort32Connection* connection, void* data, HwPort32KeyDataCallback callback)
{
    hook(connection, reinterpret_cast<AnyFunction>(callback), data, true);
}

void UnhookKeyboard(HwPort32Connection* connection)
{
    if (Connection* c = activeRecord(connection))
        unhookKeyboard(*c);
}

uint32_t GetScanCode(HwPort32Connection* connection)
{
    Connection* c = activeRecord(connection);
    if (c == nullptr || c->lockedMemory == nullptr)
        return 0;
    return __atomic_load_n(reinterpret_cast<uint16_t*>(c->lockedMemory), __ATOMIC_ACQUIRE);
}

void PulseKeyboard(HwPort32Connection* connection)
{
    Connection* c = activeRecord(connection);
    if (c == nullptr)
        return;
    __atomic_store_n(&c->keyboardMode, modePulse, __ATOMIC_RELEASE);
    request(*c, p::PulseKeyboard, nullptr, 0, nullptr, 0);
}

void PulseKeyboardLocal(HwPort32Connection* connection)
{
    Connection* c = activeRecord(connection);
    if (c == nullptr)
        return;
    __atomic_store_n(&c->keyboardMode, modeLocalPulse, __ATOMIC_RELEASE);
    signal(c->keyboardEvent);
}

}  // extern "C"
