#include "Connection.h"
#include "DirectPorts.h"
#include "protocol/Protocol.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace hwport {
namespace {

namespace p = protocol;

uint32_t widthMask(uint32_t width) { return width == 1 ? 0xFFu : width == 2 ? 0xFFFFu : 0xFFFFFFFFu; }

bool useDirect(const Connection& c, uint32_t port, uint32_t width)
{
    return c.hardAccess == 0 && uint64_t(port) + width <= c.directPortLimit;
}

uint32_t portIn(HwPort32Connection* connection, uint32_t port, uint32_t width, uint32_t n)
{
    Connection* c = activeRecord(connection);
    if (c == nullptr)
        return widthMask(width);
    uint32_t value = 0;
    if (useDirect(*c, port, width)) {
        value = directIn(port, width);
    } else {
        unsigned char in[4];
        unsigned char out[4] = {};
        p::put32(in, port);
        request(*c, n, in, sizeof in, out, sizeof out);
        value = p::get32(out);
    }
    value &= widthMask(width);
    noteParallelRead(*c, port, value);
    return value;
}

void portOut(HwPort32Connection* connection, uint32_t port, uint32_t width, uint32_t value, uint32_t n)
{
    Connection* c = record(connection);
    if (c == nullptr)
        return;
    value &= widthMask(width);
    noteParallelWrite(*c, port, value);
    if (activeRecord(connection) == nullptr)
        return;
    if (useDirect(*c, port, width)) {
        directOut(port, width, value);
        return;
    }
    unsigned char in[8];
    p::put32(in, port);
    p::put32(in + 4, value);
    request(*c, n, in, sizeof in, nullptr, 0);
}

void fifo(HwPort32Connection* connection, void* block, uint32_t n, bool input)
{
    Connection* c = activeRecord(connection);
    if (c == nullptr || block == nullptr)
        return;
    const uint32_t width = p::fifoElementSize(n);
    auto* bytes = static_cast<unsigned char*>(block);
    const uint32_t port = p::get32(bytes);
    const uint32_t count = p::get32(bytes + 4);
    unsigned char* data = bytes + p::fifoHeaderSize;

    if (useDirect(*c, port, width)) {
        if (input)
            directInString(port, width, data, count);
        else
            directOutString(port, width, data, count);
        return;
    }
    // Sizes in 64 bits: 8 + 4 × count overflows 32 bits for large counts.
    const uint64_t total = p::fifoHeaderSize + uint64_t(count) * width;
    if (total <= p::maxPayload) {
        request(*c, n, block, size_t(total), block, size_t(total));
        return;
    }
    // A block larger than one message goes in pieces, each a FIFO block of its own.
    const uint32_t perPiece = (p::maxPayload - p::fifoHeaderSize) / width;
    std::vector<unsigned char> piece(p::fifoHeaderSize + size_t(perPiece) * width);
    for (uint64_t done = 0; done < count;) {
        const uint32_t k = uint32_t(std::min<uint64_t>(perPiece, count - done));
        const size_t length = p::fifoHeaderSize + size_t(k) * width;
        p::put32(piece.data(), port);
        p::put32(piece.data() + 4, k);
        unsigned char* target = data + done * width;
        if (!input)
            std::memcpy(piece.data() + p::fifoHeaderSize, target, size_t(k) * width);
        const ControlResult result = request(*c, n, piece.data(), length, piece.data(), length);
        if (input && result.ok)
            std::memcpy(target, piece.data() + p::fifoHeaderSize, size_t(k) * width);
        done += k;
    }
}

}  // namespace
}  // namespace hwport

using namespace hwport;
namespace p = hwport::protocol;

extern "C" {

uint8_t GetPortByte(HwPort32Connection* c, uint32_t port) { return uint8_t(portIn(c, port, 1, p::PortInByte)); }
uint16_t GetPortWord(HwPort32Connection* c, uint32_t port) { return uint16_t(portIn(c, port, 2, p::PortInWord)); }
uint32_t GetPortLong(HwPort32Connection* c, uint32_t port) { return portIn(c, port, 4, p::PortInLong); }
void SetPortByte(HwPort32Connection* c, uint32_t port, uint32_t value) { portOut(c, port, 1, value, p::PortOutByte); }
void SetPortWord(HwPort32Connection* c, uint32_t port, uint32_t value) { portOut(c, port, 2, value, p::PortOutWord); }
void SetPortLong(HwPort32Connection* c, uint32_t port, uint32_t value) { portOut(c, port, 4, value, p::PortOutLong); }
void ReadPortFIFO(HwPort32Connection* c, void* block) { fifo(c, block, p::FifoInByte, true); }
void ReadPortWFIFO(HwPort32Connection* c, void* block) { fifo(c, block, p::FifoInWord, true); }
void ReadPortLFIFO(HwPort32Connection* c, void* block) { fifo(c, block, p::FifoInLong, true); }
void WritePortFIFO(HwPort32Connection* c, void* block) { fifo(c, block, p::FifoOutByte, false); }
void WritePortWFIFO(HwPort32Connection* c, void* block) { fifo(c, block, p::FifoOutWord, false); }
void WritePortLFIFO(HwPort32Connection* c, void* block) { fifo(c, block, p::FifoOutLong, false); }

}  // extern "C"
