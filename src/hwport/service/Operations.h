// The control requests the service performs: one table row per operation
// (Operations.cpp) and one handler per operation, kept by family in
// PortHandlers.cpp, MemoryHandlers.cpp, InterruptHandlers.cpp,
// PciDiskHandlers.cpp and KeyboardHandlers.cpp.
//
// A handler runs only after admit() passed the request: its function is in the
// table, its lengths are exact, a descriptor came exactly with the requests
// that take one, and its check found every range and handle valid. So a
// handler reads its fields without checking them again and fails only when
// the system does.
#pragma once

#include "Backend.h"
#include "Client.h"
#include "Server.h"

#include "protocol/Protocol.h"

#include <cstdint>

namespace hwport::service {

struct Operation;

struct Request {
    const Operation& operation;
    Backend& backend;
    Client& client;
    const unsigned char* in;
    uint32_t inLength;
    int& fd;  // came with the request; a handler that keeps it sets it to -1
};

using Handler = Server::Answer (*)(Request& request);
// Ranges and handles of the input, read without changing anything.
using Check = bool (*)(const Operation& operation, const Client& client, const unsigned char* in);

struct Operation {
    uint32_t function;
    uint32_t inLength;  // exact; a FIFO's header, followed by count × width bytes
    uint32_t outLength;
    uint32_t width;  // bytes of one port access or FIFO element; 0 for the rest
    bool fifo;
    bool takesEvent;      // an eventfd comes with the request
    bool changesWatches;  // the backend's interrupt and keyboard watches follow it
    Check check;
    Handler handler;
};

struct Admission {
    uint32_t status;
    const Operation* operation;  // set when status is Ok
};

// Everything a request must be before its handler runs, in one place.
Admission admit(uint32_t code, const Client& client, const unsigned char* in, uint32_t inLength, uint32_t outLength,
                int fd);

// What a handler answers when the system refuses: no data, no descriptor.
inline Server::Answer failed()
{
    Server::Answer answer;
    answer.status = protocol::Failed;
    return answer;
}

inline Server::Answer value16(uint16_t value)
{
    Server::Answer answer;
    answer.data.resize(2);
    protocol::put16(answer.data.data(), value);
    return answer;
}

inline Server::Answer value32(uint32_t value)
{
    Server::Answer answer;
    answer.data.resize(4);
    protocol::put32(answer.data.data(), value);
    return answer;
}

// The physical address a map request names, in two 32-bit words.
inline uint64_t mapAddress(const unsigned char* in)
{
    return uint64_t(protocol::get32(in + 12)) << 32 | protocol::get32(in + 8);
}

namespace handlers {

// PortHandlers.cpp
Server::Answer portIn(Request& request);
Server::Answer portOut(Request& request);
Server::Answer fifoIn(Request& request);
Server::Answer fifoOut(Request& request);

// MemoryHandlers.cpp
Server::Answer mapMemory(Request& request);
Server::Answer unmapMemory(Request& request);
Server::Answer lockMemory(Request& request);
Server::Answer freeMemory(Request& request);

// InterruptHandlers.cpp
Server::Answer irqCounter(Request& request);
Server::Answer maskIrq(Request& request);
Server::Answer unmaskIrq(Request& request);

// PciDiskHandlers.cpp
Server::Answer lastPciBus(Request& request);
Server::Answer pciMechanism(Request& request);
Server::Answer pciDeviceInfo(Request& request);
Server::Answer hddIdentify(Request& request);

// KeyboardHandlers.cpp
Server::Answer putScanCode(Request& request);
Server::Answer keyboardHook(Request& request);
Server::Answer keyboardUnhook(Request& request);
Server::Answer readScanCode(Request& request);
Server::Answer pulseKeyboard(Request& request);

}  // namespace handlers
}  // namespace hwport::service
