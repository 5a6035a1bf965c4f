// What the service does the requests with: the machine's own hardware, or the
// virtual bus.
#pragma once

#include <cstdint>
#include <vector>

namespace hwport::service {

// Where hardware events go: the server counts them for its clients.
class EventSink {
public:
    virtual ~EventSink() = default;
    virtual void interrupt(uint32_t line, uint32_t count) = 0;
    virtual void key(uint8_t makeCode, bool released) = 0;
};

class Backend {
public:
    virtual ~Backend() = default;

    void attach(EventSink* sink) { sink_ = sink; }

    // Ports are checked by the server: port + width <= 0x10000.
    virtual uint32_t portIn(uint32_t port, uint32_t width) = 0;
    virtual void portOut(uint32_t port, uint32_t width, uint32_t value) = 0;

    // A new descriptor whose file offsets are physical addresses and which
    // covers [physical, physical + length); -1 when the range is refused.
    virtual int physicalMemory(uint64_t physical, uint32_t length) = 0;

    virtual uint16_t lastPciBus() = 0;
    virtual uint16_t pciMechanism() = 0;
    // 256 bytes of configuration space; all ones for an absent function.
    virtual void pciConfig(uint32_t bus, uint32_t device, uint32_t function, unsigned char* out) = 0;
    // 512 bytes of identify data; false when the drive does not answer.
    virtual bool identify(uint32_t drive, uint32_t flag, unsigned char* out) = 0;

    virtual void putScanCode(uint8_t code) = 0;

    // Sources of interrupts and keys are watched only while someone listens.
    virtual void watchInterrupts(uint32_t lineMask) { (void)lineMask; }
    virtual void watchKeyboard(bool on) { (void)on; }
    virtual std::vector<int> descriptors() const { return {}; }
    virtual void readable(int fd) { (void)fd; }
    // Milliseconds until tick() wants to run again; -1 for never.
    virtual int tickInterval() const { return -1; }
    virtual void tick() {}

protected:
    EventSink* sink_ = nullptr;
};

}  // namespace hwport::service
