#include "Connection.h"
#include "DirectPorts.h"

#include <pthread.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace hwport {

uint32_t requestCode(const Connection& c, uint32_t n)
{
    const uint32_t code = 0x80002000u + 4u * n;
    return c.win9x ? ((code >> 2) & 0xFFu) : code;
}

ControlResult request(Connection& c, uint32_t n, const void* in, size_t inLength, void* out, size_t outLength,
                      int sendFd)
{
    if (c.channel == nullptr)
        return {};
    return c.channel->control(requestCode(c, n), in, inLength, out, outLength, sendFd);
}

void raiseThreadPriority()
{
    // Without the privilege the thread simply stays at normal priority.
    sched_param param{};
    param.sched_priority = sched_get_priority_max(SCHED_FIFO);
    if (param.sched_priority > 0)
        (void)pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

namespace {

void closeEvents(Connection& c)
{
    for (IrqLine& line : c.irq) {
        if (line.event >= 0)
            ::close(line.event);
        line.event = -1;
    }
    if (c.keyboardEvent >= 0)
        ::close(c.keyboardEvent);
    c.keyboardEvent = -1;
}

bool createEvents(Connection& c)
{
    for (IrqLine& line : c.irq)
        line.event = -1;
    c.keyboardEvent = -1;
    for (IrqLine& line : c.irq) {
        line.event = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (line.event < 0) {
            closeEvents(c);
            return false;
        }
    }
    c.keyboardEvent = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (c.keyboardEvent < 0) {
        closeEvents(c);
        return false;
    }
    return true;
}

void resetState(Connection& c, const char* driverName, const Environment& environment)
{
    // Generations survive: a thread detached before a reopen must still see
    // that it is not the current one.
    const uint32_t debugCode = c.debugCode;
    const uint32_t dispatchGeneration = c.dispatchGeneration;
    const uint32_t keyboardGeneration = c.keyboardGeneration;
    std::memset(static_cast<void*>(&c), 0, sizeof c);
    c.debugCode = debugCode;
    c.dispatchGeneration = dispatchGeneration;
    c.keyboardGeneration = keyboardGeneration;
    c.win9x = environment.win9x;
    c.ntAbove4 = environment.ntAbove4;
    c.directAccessAllowed = environment.directAccessAllowed;
    if (driverName != nullptr) {
        std::strncpy(c.driverName, driverName, sizeof c.driverName - 1);
    }
    for (IrqLine& line : c.irq)
        line.masked = 1;
    c.hardAccess = 1;
    c.lptBase = defaultLptBase;
    c.lptNumber = 1;
    c.keyboardEvent = -1;
}

Channel* openDevice(Connection& c, const char* driverName, const char* deviceName, const Environment& environment)
{
    DeviceOpener* opener = environment.opener;
    if (opener == nullptr || driverName == nullptr || deviceName == nullptr)
        return nullptr;
    if (std::strlen(driverName) >= sizeof c.driverName)
        return nullptr;
    if (c.win9x) {
        char name[sizeof c.driverName + 4];
        std::strcpy(name, driverName);
        std::strcat(name, ".VXD");
        return opener->open(name);
    }
    if (Channel* channel = opener->open(deviceName)) {
        c.openedDirectly = 1;
        return channel;
    }
    if (!opener->startService(driverName, deviceName))
        return nullptr;
    c.serviceRunning = 1;
    return opener->open(deviceName);
}

}  // namespace

HwPort32Connection* open(HwPort32Connection* connection, const char* driverName, const char* deviceName,
                         const Environment& environment)
{
    if (connection == nullptr) {
        void* memory = std::aligned_alloc(16, HWPORT32_CONNECTION_SIZE);
        if (memory == nullptr)
            return nullptr;
        std::memset(memory, 0, HWPORT32_CONNECTION_SIZE);
        connection = static_cast<HwPort32Connection*>(memory);
    } else if (record(connection)->active != 0) {
        return connection;
    }
    Connection& c = *record(connection);
    resetState(c, driverName, environment);
    if (!createEvents(c))
        return connection;

    c.channel = openDevice(c, driverName, deviceName, environment);
    if (c.channel == nullptr || !startDispatchThread(c)) {
        delete c.channel;
        c.channel = nullptr;
        // A failed open keeps no descriptors; repeated attempts must not leak.
        closeEvents(c);
        return connection;
    }
    __atomic_store_n(&c.active, 1u, __ATOMIC_RELEASE);
    readBiosParallelTable(c);
    allocateLockedMemory(c);
    return connection;
}

}  // namespace hwport

using namespace hwport;

extern "C" {

HwPort32Connection* OpenHWPORT32(HwPort32Connection* connection, const char* driverName, const char* deviceName)
{
    return hwport::open(connection, driverName, deviceName, systemEnvironment());
}

uint32_t CloseHWPORT32(HwPort32Connection* connection)
{
    Connection* c = activeRecord(connection);
    if (c == nullptr)
        return 0;
    if (c->keyboardHooked)
        unhookKeyboard(*c);
    __atomic_store_n(&c->keyboardMode, 0u, __ATOMIC_RELAXED);
    c->hardAccess = 1;
    maskAllLines(*c);
    stopDispatchThread(*c);
    closeEvents(*c);
    __atomic_store_n(&c->active, 0u, __ATOMIC_RELEASE);
    freeLockedMemory(*c);
    unmapAll(*c);
    delete c->channel;
    c->channel = nullptr;
    return 0;
}

uint32_t GetActiveHW(HwPort32Connection* connection)
{
    Connection* c = record(connection);
    return c == nullptr ? 0 : __atomic_load_n(&c->active, __ATOMIC_ACQUIRE);
}

uint32_t GetHardAccess(HwPort32Connection* connection)
{
    Connection* c = activeRecord(connection);
    return c == nullptr ? 1 : c->hardAccess;
}

void SetHardAccess(HwPort32Connection* connection, uint32_t value)
{
    Connection* c = activeRecord(connection);
    if (c == nullptr)
        return;
    if (value == 0 && c->directPortLimit == 0) {
        // Port instructions without the privilege would kill the caller, and
        // with the virtual bus they would reach real ports: stay with requests.
        if (!c->directAccessAllowed)
            return;
        c->directPortLimit = acquireDirectPortAccess();
        if (c->directPortLimit == 0)
            return;
    }
    c->hardAccess = value;
}

uint32_t DebugCode(HwPort32Connection* connection)
{
    Connection* c = record(connection);
    return c == nullptr ? 0 : c->debugCode;
}

}  // extern "C"
