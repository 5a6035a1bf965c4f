#include "Connection.h"
#include "protocol/Protocol.h"

namespace hwport {
namespace {

struct PinLine {
    uint8_t reg;
    uint8_t mask;
    uint8_t inverted;
};

// Pins 1..17 of the 25-pin connector; index 0 is unused.
constexpr PinLine pins[18] = {
    {0, 0, 0},    {2, 0x01, 1},                              // 1 strobe
    {0, 0x01, 0}, {0, 0x02, 0}, {0, 0x04, 0}, {0, 0x08, 0},  // 2..5 data
    {0, 0x10, 0}, {0, 0x20, 0}, {0, 0x40, 0}, {0, 0x80, 0},  // 6..9 data
    {1, 0x40, 0},                                            // 10 acknowledge
    {1, 0x80, 1},                                            // 11 busy
    {1, 0x20, 0},                                            // 12 paper end
    {1, 0x10, 0},                                            // 13 select
    {2, 0x02, 1},                                            // 14 auto feed
    {1, 0x08, 0},                                            // 15 error
    {2, 0x04, 0},                                            // 16 init
    {2, 0x08, 1},                                            // 17 select in
};

bool validPin(uint32_t pin) { return pin >= 1 && pin <= 17; }

uint32_t pinLevel(HwPort32Connection* connection, Connection& c, uint32_t pin)
{
    const PinLine& line = pins[pin];
    const uint8_t value = GetPortByte(connection, c.lptBase + line.reg);
    const uint32_t set = (value & line.mask) != 0 ? 1 : 0;
    return line.inverted ? set ^ 1u : set;
}

void setPinLevel(HwPort32Connection* connection, Connection& c, uint32_t pin, uint32_t level)
{
    const PinLine& line = pins[pin];
    uint8_t shadow = c.writeShadow[line.reg];
    if ((level != 0 ? 1u : 0u) == line.inverted)
        shadow = uint8_t(shadow & ~line.mask);
    else
        shadow = uint8_t(shadow | line.mask);
    SetPortByte(connection, c.lptBase + line.reg, shadow);
}

void writeControl(HwPort32Connection* connection, Connection& c, uint8_t setBits, uint8_t clearBits)
{
    const uint8_t control = uint8_t((c.writeShadow[2] | setBits) & ~clearBits);
    SetPortByte(connection, c.lptBase + 2u, control);
}

}  // namespace

void noteParallelRead(Connection& c, uint32_t port, uint32_t value)
{
    if (port >= c.lptBase && port - c.lptBase < 3)
        c.readShadow[port - c.lptBase] = uint8_t(value);
}

void noteParallelWrite(Connection& c, uint32_t port, uint32_t value)
{
    if (port >= c.lptBase && port - c.lptBase < 3)
        c.writeShadow[port - c.lptBase] = uint8_t(value);
}

void readBiosParallelTable(Connection& c)
{
    auto* connection = reinterpret_cast<HwPort32Connection*>(&c);
    const uintptr_t table = MapPhysToLinear(connection, biosLptTable, 6);
    c.lptCount = 0;
    if (table != 0) {
        for (uint32_t i = 0; i < 3; ++i) {
            const uint16_t base = GetMemW(connection, table, 2 * i);
            if (base != 0)
                c.lptTable[c.lptCount++] = base;
        }
    }
    c.lptBase = c.lptCount > 0 ? c.lptTable[0] : 0;
    c.lptNumber = 1;
}

}  // namespace hwport

using namespace hwport;

namespace {

// The pin functions need a parallel port: without one the base is 0, and
// writes there would land in the DMA controller.
Connection* parallelRecord(HwPort32Connection* connection)
{
    Connection* c = activeRecord(connection);
    return c != nullptr && c->lptBase != 0 ? c : nullptr;
}

}  // namespace

extern "C" {

uint32_t GetLPTNumber(HwPort32Connection* connection)
{
    Connection* c = activeRecord(connection);
    return c == nullptr ? 1 : c->lptNumber;
}

void SetLPTNumber(HwPort32Connection* connection, uint32_t number)
{
    Connection* c = activeRecord(connection);
    // Number 0 would read before the table.
    if (c == nullptr || number < 1 || number > c->lptCount)
        return;
    c->lptBase = c->lptTable[number - 1];
    c->lptNumber = uint8_t(number);
    for (uint32_t reg = 0; reg < 3; ++reg)
        c->writeShadow[reg] = GetPortByte(connection, c->lptBase + reg);
}

uint32_t GetLPTNumPorts(HwPort32Connection* connection)
{
    Connection* c = activeRecord(connection);
    return c == nullptr ? 0 : c->lptCount;
}

uint32_t GetLPTBasePort(HwPort32Connection* connection)
{
    Connection* c = activeRecord(connection);
    return c == nullptr ? 0 : c->lptBase;
}

uint32_t GetPin(HwPort32Connection* connection, uint32_t pin)
{
    Connection* c = parallelRecord(connection);
    if (c == nullptr || !validPin(pin))
        return 0;
    return pinLevel(connection, *c, pin);
}

void SetPin(HwPort32Connection* connection, uint32_t pin, uint32_t level)
{
    Connection* c = parallelRecord(connection);
    if (c == nullptr || !validPin(pin))
        return;
    setPinLevel(connection, *c, pin, level);
}

uint32_t GetLPTAckwl(HwPort32Connection* connection)
{
    Connection* c = parallelRecord(connection);
    return c == nullptr ? 0 : pinLevel(connection, *c, 10) ^ 1u;
}

uint32_t GetLPTBusy(HwPort32Connection* connection)
{
    Connection* c = parallelRecord(connection);
    return c == nullptr ? 0 : pinLevel(connection, *c, 11);
}

uint32_t GetLPTPaperEnd(HwPort32Connection* connection)
{
    Connection* c = parallelRecord(connection);
    return c == nullptr ? 0 : pinLevel(connection, *c, 12);
}

uint32_t GetLPTSlct(HwPort32Connection* connection)
{
    Connection* c = parallelRecord(connection);
    return c == nullptr ? 0 : pinLevel(connection, *c, 13) ^ 1u;
}

uint32_t GetLPTError(HwPort32Connection* connection)
{
    Connection* c = parallelRecord(connection);
    return c == nullptr ? 0 : pinLevel(connection, *c, 15) ^ 1u;
}

void LPTStrobe(HwPort32Connection* connection)
{
    Connection* c = parallelRecord(connection);
    if (c == nullptr)
        return;
    setPinLevel(connection, *c, 1, 0);
    setPinLevel(connection, *c, 1, 1);
}

void LPTAutofd(HwPort32Connection* connection, uint32_t flag)
{
    Connection* c = parallelRecord(connection);
    if (c != nullptr)
        setPinLevel(connection, *c, 14, flag == 0 ? 1 : 0);
}

void LPTInit(HwPort32Connection* connection)
{
    Connection* c = parallelRecord(connection);
    if (c == nullptr)
        return;
    setPinLevel(connection, *c, 16, 0);
    setPinLevel(connection, *c, 16, 1);
}

void LPTSlctIn(HwPort32Connection* connection)
{
    Connection* c = parallelRecord(connection);
    if (c == nullptr)
        return;
    setPinLevel(connection, *c, 16, 0);
    writeControl(connection, *c, 0, 0x08);
}

uint32_t LPTPrintChar(HwPort32Connection* connection, uint32_t character)
{
    Connection* c = parallelRecord(connection);
    if (c == nullptr)
        return 0;
    SetPortByte(connection, c->lptBase, character & 0xFFu);
    if (GetLPTError(connection) != 0 || GetLPTBusy(connection) != 0)
        return 0;
    LPTStrobe(connection);
    return 1;
}

void ForceIrqLPT(HwPort32Connection* connection, uint32_t flag)
{
    Connection* c = parallelRecord(connection);
    if (c != nullptr)
        writeControl(connection, *c, flag != 0 ? 0x10 : 0, flag != 0 ? 0 : 0x10);
}

void SetLPTReadMode(HwPort32Connection* connection)
{
    Connection* c = parallelRecord(connection);
    if (c != nullptr)
        writeControl(connection, *c, 0x20, 0);
}

void SetLPTWriteMode(HwPort32Connection* connection)
{
    Connection* c = parallelRecord(connection);
    if (c != nullptr)
        writeControl(connection, *c, 0, 0x20);
}

}  // extern "C"
