// The connection record. It is plain data so that a caller-supplied,
// zero-filled record of HWPORT32_CONNECTION_SIZE bytes is a valid closed
// connection.
#pragma once

#include "Channel.h"
#include "hwport32.h"

#include <pthread.h>

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace hwport {

using AnyFunction = void (*)();

constexpr uint32_t lineCount = 16;
constexpr uint32_t maxMappings = 16;
constexpr uint32_t lockedMemorySize = 8192;
constexpr uint32_t lockedMemoryKind = 2;
constexpr uint32_t biosLptTable = 0x408;
constexpr uint16_t defaultLptBase = 0x378;

struct MapEntry {
    uint32_t physical;
    uint32_t length;
    uint32_t handle;  // the service's name for the mapping
    uint32_t reserved;
    uintptr_t linear;
};

struct IrqLine {
    AnyFunction callback;
    void* data;
    uint32_t hasData;
    uint32_t masked;
    uint32_t handled;
    int32_t event;
};

struct Connection {
    Channel* channel;  // the device handle; null when not open
    uint32_t win9x;
    uint32_t ntAbove4;
    uint32_t openedDirectly;
    uint32_t serviceRunning;
    uint32_t directAccessAllowed;
    uint32_t directPortLimit;  // ports below this use direct instructions when HardAccess is 0
    char driverName[64];

    uint32_t active;
    uint32_t hardAccess;
    uint32_t debugCode;

    uint16_t lptTable[3];
    uint16_t lptBase;
    uint8_t lptCount;
    uint8_t lptNumber;
    uint8_t writeShadow[3];
    uint8_t readShadow[3];

    MapEntry maps[maxMappings];
    uint32_t mapCount;

    unsigned char* lockedMemory;
    uint32_t lockedSize;
    uint32_t lockedHandle;
    uint32_t lockedSecond;

    IrqLine irq[lineCount];
    pthread_t dispatchThread;
    uint32_t dispatchRunning;
    uint32_t dispatchStop;
    uint32_t dispatchGeneration;  // a thread ends when this moves past its own

    pthread_t keyboardThread;
    AnyFunction keyboardCallback;
    void* keyboardData;
    uint32_t keyboardHasData;
    uint32_t keyboardHooked;
    uint32_t keyboardStop;
    uint32_t keyboardMode;
    uint32_t keyboardGeneration;
    int32_t keyboardEvent;

    uint32_t pciMechanism;
    uint32_t pciMechanismKnown;
};

static_assert(std::is_trivially_copyable_v<Connection> && std::is_standard_layout_v<Connection>);
static_assert(sizeof(Connection) <= HWPORT32_CONNECTION_SIZE);
static_assert(alignof(Connection) <= 16);

inline Connection* record(HwPort32Connection* connection) { return reinterpret_cast<Connection*>(connection); }

// Null and closed connections are both "not active".
inline Connection* activeRecord(HwPort32Connection* connection)
{
    Connection* c = record(connection);
    if (c == nullptr || __atomic_load_n(&c->active, __ATOMIC_ACQUIRE) == 0 || c->channel == nullptr)
        return nullptr;
    return c;
}

// The code sent for function n: the full code, or the bare function number
// on the short-code platform.
uint32_t requestCode(const Connection& c, uint32_t n);

ControlResult request(Connection& c, uint32_t n, const void* in, size_t inLength, void* out, size_t outLength,
                      int sendFd = -1);

// Called by port reads and writes of the current parallel base + 0..2.
void noteParallelRead(Connection& c, uint32_t port, uint32_t value);
void noteParallelWrite(Connection& c, uint32_t port, uint32_t value);

// Runs at open and close.
void readBiosParallelTable(Connection& c);
void unmapAll(Connection& c);
void allocateLockedMemory(Connection& c);
void freeLockedMemory(Connection& c);
bool startDispatchThread(Connection& c);
void stopDispatchThread(Connection& c);
void maskAllLines(Connection& c);
void unhookKeyboard(Connection& c);

// Raises the calling library thread to real-time priority where allowed.
void raiseThreadPriority();

HwPort32Connection* open(HwPort32Connection* connection, const char* driverName, const char* deviceName,
                         const Environment& environment);

}  // namespace hwport
