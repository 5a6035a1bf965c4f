#include "Connection.h"
#include "protocol/Protocol.h"

#include <cstring>

namespace hwport {
namespace {

namespace p = protocol;

uint32_t ask16(Connection& c, uint32_t n)
{
    unsigned char out[2] = {};
    request(c, n, nullptr, 0, out, sizeof out);
    return p::get16(out);
}

uint16_t identifyWord(const unsigned char* identify, uint32_t word) { return p::get16(identify + 2 * word); }

// Identify texts keep two characters per word, high byte first.
void identifyText(const unsigned char* identify, uint32_t firstWord, uint32_t words, char* text)
{
    for (uint32_t i = 0; i < words; ++i) {
        const uint16_t w = identifyWord(identify, firstWord + i);
        text[2 * i] = char(w >> 8);
        text[2 * i + 1] = char(w & 0xFF);
    }
    text[2 * words] = '\0';
}

}  // namespace
}  // namespace hwport

using namespace hwport;
namespace p = hwport::protocol;

extern "C" {

uint32_t GetLastPciBus(HwPort32Connection* connection)
{
    Connection* c = activeRecord(connection);
    return c == nullptr ? 0 : ask16(*c, p::LastPciBus);
}

uint32_t GetHardwareMechanism(HwPort32Connection* connection)
{
    Connection* c = activeRecord(connection);
    if (c == nullptr)
        return 0;
    c->pciMechanism = ask16(*c, p::PciMechanism);
    c->pciMechanismKnown = 1;
    return c->pciMechanism;
}

uint32_t GetPciDeviceInfo(HwPort32Connection* connection, uint32_t bus, uint32_t device, uint32_t function,
                          void* buffer)
{
    Connection* c = activeRecord(connection);
    if (c == nullptr || buffer == nullptr)
        return 0;
    if (!c->pciMechanismKnown)
        GetHardwareMechanism(connection);
    const unsigned char in[4] = {uint8_t(c->pciMechanism), uint8_t(bus), uint8_t(device), uint8_t(function)};
    unsigned char config[256] = {};
    const ControlResult result = request(*c, p::PciDeviceInfo, in, sizeof in, config, sizeof config);
    std::memcpy(buffer, config, sizeof config);
    return result.ok && result.returned == sizeof config ? 1 : 0;
}

uint32_t GetHDDInfo(HwPort32Connection* connection, uint32_t drive, uint32_t flag, HwPort32HddInfo* record)
{
    Connection* c = activeRecord(connection);
    if (c == nullptr || record == nullptr)
        return 0;
    const unsigned char in[4] = {uint8_t(drive & 3u), uint8_t(flag & 1u), 0, 0};
    unsigned char identify[512] = {};
    const ControlResult result = request(*c, p::HddIdentify, in, sizeof in, identify, sizeof identify);
    std::memset(record, 0, sizeof *record);
    if (!result.ok || result.returned != sizeof identify)
        return 0;
    identifyText(identify, 27, 20, record->model);
    identifyText(identify, 10, 10, record->serial);
    identifyText(identify, 23, 4, record->firmware);
    record->bufferType = identifyWord(identify, 20);
    record->bufferSize = uint32_t(identifyWord(identify, 21)) * 512u;
    record->cylinders = identifyWord(identify, 1);
    record->heads = identifyWord(identify, 3);
    record->sectorsPerTrack = identifyWord(identify, 6);
    request(*c, p::HddIdentify, in, sizeof in, identify, sizeof identify);
    return 1;
}

}  // extern "C"
