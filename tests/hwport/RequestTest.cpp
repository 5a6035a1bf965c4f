// What the library sends to its driver, checked against a recording channel.
#include "Connection.h"
#include "RecordingChannel.h"
#include "hwport32.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/mman.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace hwport {
namespace {

namespace p = protocol;
using testing::Recorder;
using testing::RecordingOpener;
using testing::SentRequest;

int openDescriptors()
{
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir) != nullptr)
            ++count;
        closedir(dir);
    }
    return count;
}

class RequestTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        for (HwPort32Connection* c : opened_) {
            CloseHWPORT32(c);
            std::free(c);
        }
    }

    HwPort32Connection* openWith(bool win9x = false)
    {
        Environment environment;
        environment.win9x = win9x;
        environment.opener = &opener_;
        HwPort32Connection* c = open(nullptr, "hwport32d", "hwport32", environment);
        opened_.push_back(c);
        return c;
    }

    // Requests sent after open, which sends its own.
    std::vector<SentRequest> sentSince(size_t mark) const
    {
        return {recorder_.sent.begin() + long(mark), recorder_.sent.end()};
    }

    Recorder recorder_;
    RecordingOpener opener_{recorder_};
    std::vector<HwPort32Connection*> opened_;
};

TEST_F(RequestTest, FailedOpenIsInactiveSendsNothingAndKeepsNoDescriptors)
{
    recorder_.deviceExists = false;
    const int before = openDescriptors();
    HwPort32Connection* c = openWith();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(openDescriptors(), before);
    EXPECT_EQ(recorder_.startAttempts, 1);
    EXPECT_EQ(GetActiveHW(c), 0u);

    EXPECT_EQ(GetPortByte(c, 0x378), 255);
    EXPECT_EQ(GetPortWord(c, 0x378), 0xFFFF);
    EXPECT_EQ(GetPortLong(c, 0x378), 0xFFFFFFFFu);
    SetPortByte(c, 0x378, 1);
    SetHardAccess(c, 0);
    EXPECT_EQ(GetHardAccess(c), 1u);
    EXPECT_TRUE(recorder_.sent.empty());
}

TEST_F(RequestTest, ServiceStartedWhenTheDeviceIsMissing)
{
    recorder_.deviceExists = false;
    recorder_.serviceStarts = true;
    HwPort32Connection* c = openWith();
    EXPECT_EQ(GetActiveHW(c), 1u);
    EXPECT_EQ(recorder_.opens, 2);
    EXPECT_EQ(record(c)->openedDirectly, 0u);
}

// Every export on a null connection returns its inactive value and sends nothing.
TEST_F(RequestTest, NullConnectionIsNotActiveEverywhere)
{
    HwPort32Connection* n = nullptr;
    unsigned char block[16] = {3, 0, 0, 0, 3, 0, 0, 0};
    unsigned char config[256];
    HwPort32HddInfo info{};
    struct Case {
        const char* name;
        std::function<uint64_t()> call;
        uint64_t expected;
    };
    const std::vector<Case> cases = {
        {"CloseHWPORT32", [&] { return CloseHWPORT32(n); }, 0},
        {"GetActiveHW", [&] { return GetActiveHW(n); }, 0},
        {"GetHardAccess", [&] { return GetHardAccess(n); }, 1},
        {"SetHardAccess",
         [&] {
             SetHardAccess(n, 0);
             return 0;
         },
         0},
        {"DebugCode", [&] { return DebugCode(n); }, 0},
        {"GetPortByte", [&] { return GetPortByte(n, 0x378); }, 0xFF},
        {"GetPortWord", [&] { return GetPortWord(n, 0x378); }, 0xFFFF},
        {"GetPortLong", [&] { return GetPortLong(n, 0x378); }, 0xFFFFFFFF},
        {"SetPortByte",
         [&] {
             SetPortByte(n, 0x378, 1);
             SetPortWord(n, 0x378, 1);
             SetPortLong(n, 0x378, 1);
             return 0;
         },
         0},
        {"FIFOs",
         [&] {
             ReadPortFIFO(n, block);
             ReadPortWFIFO(n, block);
             ReadPortLFIFO(n, block);
             WritePortFIFO(n, block);
             WritePortWFIFO(n, block);
             WritePortLFIFO(n, block);
             return 0;
         },
         0},
        {"MapPhysToLinear", [&] { return MapPhysToLinear(n, 0x408, 6); }, 0},
        {"UnmapMemory",
         [&] {
             UnmapMemory(n, 0x1000);
             return 0;
         },
         0},
        {"GetMem", [&] { return GetMem(n, uintptr_t(block), 0); }, 0},
        {"GetMemW", [&] { return GetMemW(n, uintptr_t(block), 0); }, 0},
        {"GetMemL", [&] { return GetMemL(n, uintptr_t(block), 0); }, 0},
        {"SetMem",
         [&] {
             SetMem(n, uintptr_t(block), 0, 9);
             SetMemW(n, uintptr_t(block), 0, 9);
             SetMemL(n, uintptr_t(block), 0, 9);
             return block[0];
         },
         3},
        {"GetLockedMemory", [&] { return GetLockedMemory(n); }, 0},
        {"MaskIRQ",
         [&] {
             MaskIRQ(n, 3);
             UnmaskIRQ(n, 3, nullptr);
             UnmaskDelphiIRQ(n, nullptr, 3, nullptr);
             return 0;
         },
         0},
        {"GetIRQCounter", [&] { return GetIRQCounter(n, 3); }, 0},
        {"IsIRQMasked", [&] { return IsIRQMasked(n, 3); }, 1},
        {"Keyboard",
         [&] {
             PutScanCode(n, 1);
             HookKeyboard(n, nullptr);
             HookDelphiKeyboard(n, nullptr, nullptr);
             UnhookKeyboard(n);
             PulseKeyboard(n);
             PulseKeyboardLocal(n);
             return 0;
         },
         0},
        {"GetScanCode", [&] { return GetScanCode(n); }, 0},
        {"GetLPTNumber", [&] { return GetLPTNumber(n); }, 1},
        {"SetLPTNumber",
         [&] {
             SetLPTNumber(n, 1);
             return 0;
         },
         0},
        {"GetLPTNumPorts", [&] { return GetLPTNumPorts(n); }, 0},
        {"GetLPTBasePort", [&] { return GetLPTBasePort(n); }, 0},
        {"GetPin", [&] { return GetPin(n, 11); }, 0},
        {"LPT status",
         [&] { return GetLPTAckwl(n) + GetLPTBusy(n) + GetLPTPaperEnd(n) + GetLPTSlct(n) + GetLPTError(n); }, 0},
        {"LPT control",
         [&] {
             SetPin(n, 1, 1);
             LPTInit(n);
             LPTSlctIn(n);
             LPTStrobe(n);
             LPTAutofd(n, 1);
             ForceIrqLPT(n, 1);
             SetLPTReadMode(n);
             SetLPTWriteMode(n);
             return 0;
         },
         0},
        {"LPTPrintChar", [&] { return LPTPrintChar(n, 'A'); }, 0},
        {"GetLastPciBus", [&] { return GetLastPciBus(n); }, 0},
        {"GetHardwareMechanism", [&] { return GetHardwareMechanism(n); }, 0},
        {"GetPciDeviceInfo", [&] { return GetPciDeviceInfo(n, 0, 0, 0, config); }, 0},
        {"GetHDDInfo", [&] { return GetHDDInfo(n, 0, 0, &info); }, 0},
    };
    for (const Case& test : cases)
        EXPECT_EQ(test.call(), test.expected) << test.name;
}

TEST_F(RequestTest, FifoBlockTravelsWholeInOneRequest)
{
    struct Case {
        void (*function)(HwPort32Connection*, void*);
        uint32_t n;
        uint32_t count;
        size_t bytes;
    };
    const Case cases[] = {
        {ReadPortFIFO, p::FifoInByte, 3, 11},    {ReadPortWFIFO, p::FifoInWord, 3, 14},
        {ReadPortLFIFO, p::FifoInLong, 3, 20},   {WritePortFIFO, p::FifoOutByte, 3, 11},
        {WritePortWFIFO, p::FifoOutWord, 3, 14}, {WritePortLFIFO, p::FifoOutLong, 3, 20},
    };
    HwPort32Connection* c = openWith();
    for (const Case& test : cases) {
        const size_t mark = recorder_.sent.size();
        unsigned char block[20] = {};
        p::put32(block, 0x310);
        p::put32(block + 4, test.count);
        test.function(c, block);
        const auto sent = sentSince(mark);
        ASSERT_EQ(sent.size(), 1u) << test.n;
        EXPECT_EQ(sent[0].code, p::fullCode(test.n));
        EXPECT_EQ(sent[0].in.size(), test.bytes);
        EXPECT_EQ(sent[0].outLength, test.bytes);
        EXPECT_EQ(p::get32(sent[0].in.data()), 0x310u);
        if (test.n <= p::FifoInLong) {
            EXPECT_EQ(block[8], 8) << "answer copied into the caller's block";
        }
    }
}

TEST_F(RequestTest, FifoLargerThanOneMessageGoesInPieces)
{
    HwPort32Connection* c = openWith();
    const uint32_t count = 100000;
    std::vector<unsigned char> block(8 + count);
    p::put32(block.data(), 0x310);
    p::put32(block.data() + 4, count);
    const size_t mark = recorder_.sent.size();
    ReadPortFIFO(c, block.data());
    const auto sent = sentSince(mark);
    ASSERT_EQ(sent.size(), 2u);
    uint64_t elements = 0;
    for (const SentRequest& r : sent) {
        EXPECT_LE(r.in.size(), p::maxPayload);
        EXPECT_EQ(r.in.size(), 8 + p::get32(r.in.data() + 4));
        elements += p::get32(r.in.data() + 4);
    }
    EXPECT_EQ(elements, count);
    EXPECT_EQ(block[8], 8);
    EXPECT_EQ(p::get32(block.data() + 4), count) << "the caller's header stays";
}

TEST_F(RequestTest, RequestCodeFollowsThePlatform)
{
    struct Case {
        bool win9x;
        uint32_t portRead;
        uint32_t portWrite;
    };
    for (const Case test : {Case{true, 10, 13}, Case{false, 0x80002028, 0x80002034}}) {
        HwPort32Connection* c = openWith(test.win9x);
        const size_t mark = recorder_.sent.size();
        GetPortByte(c, 0x379);
        SetPortByte(c, 0x378, 0x1FF);
        const auto sent = sentSince(mark);
        ASSERT_EQ(sent.size(), 2u);
        EXPECT_EQ(sent[0].code, test.portRead) << test.win9x;
        EXPECT_EQ(sent[0].in, (std::vector<unsigned char>{0x79, 0x03, 0, 0}));
        EXPECT_EQ(sent[1].code, test.portWrite) << test.win9x;
        EXPECT_EQ(sent[1].in, (std::vector<unsigned char>{0x78, 0x03, 0, 0, 0xFF, 0, 0, 0}))
            << "value masked to the width";
    }
}

TEST_F(RequestTest, OpeningAnActiveConnectionReturnsItUntouched)
{
    HwPort32Connection* c = openWith();
    SetHardAccess(c, 5);
    const size_t sent = recorder_.sent.size();
    const int opens = recorder_.opens;
    Environment environment;
    environment.opener = &opener_;
    EXPECT_EQ(open(c, "other", "other", environment), c);
    EXPECT_EQ(recorder_.sent.size(), sent);
    EXPECT_EQ(recorder_.opens, opens);
    EXPECT_EQ(GetHardAccess(c), 5u);
    EXPECT_STREQ(record(c)->driverName, "hwport32d");
}

TEST_F(RequestTest, BiosTableGivesTheParallelPorts)
{
    struct Case {
        uint16_t table[3];
        uint32_t ports;
        uint32_t base;
        uint32_t secondBase;
    };
    const Case cases[] = {
        {{0x378, 0, 0x278}, 2, 0x378, 0x278},
        {{0x3BC, 0x378, 0x278}, 3, 0x3BC, 0x378},
        {{0, 0, 0}, 0, 0, 0},
    };
    for (const Case& test : cases) {
        recorder_.setBiosTable(test.table[0], test.table[1], test.table[2]);
        HwPort32Connection* c = openWith();
        const auto maps = recorder_.sentOf(p::MapMemory);
        ASSERT_FALSE(maps.empty());
        EXPECT_EQ(p::get32(maps.back().in.data() + 8), 0x408u);
        EXPECT_EQ(p::get32(maps.back().in.data() + 20), 6u);
        EXPECT_EQ(GetLPTNumPorts(c), test.ports);
        EXPECT_EQ(GetLPTBasePort(c), test.base);
        EXPECT_EQ(GetLPTNumber(c), 1u);
        SetLPTNumber(c, 0);
        SetLPTNumber(c, test.ports + 1);
        EXPECT_EQ(GetLPTBasePort(c), test.base) << "numbers outside the table are ignored";
        SetLPTNumber(c, 2);
        EXPECT_EQ(GetLPTBasePort(c), test.secondBase == 0 ? test.base : test.secondBase);
        if (test.ports == 0) {
            const size_t mark = recorder_.sent.size();
            SetPin(c, 2, 1);
            LPTStrobe(c);
            EXPECT_EQ(LPTPrintChar(c, 'A'), 0u);
            EXPECT_TRUE(sentSince(mark).empty()) << "no port, no writes to base 0";
        }
        CloseHWPORT32(c);
    }
}

TEST_F(RequestTest, PinsFollowTheirPolarity)
{
    HwPort32Connection* c = openWith();
    struct Read {
        uint32_t pin;
        uint32_t port;
        uint32_t value;
        uint32_t level;
    };
    const Read reads[] = {
        {11, 0x379, 0x00, 1}, {11, 0x379, 0x80, 0},                                             // busy: inverted
        {10, 0x379, 0x40, 1}, {10, 0x379, 0x00, 0},                                             // acknowledge
        {1, 0x37A, 0x01, 0},  {1, 0x37A, 0x00, 1},                                              // strobe: inverted
        {9, 0x378, 0x80, 1},  {16, 0x37A, 0x04, 1}, {0, 0x378, 0xFF, 0}, {18, 0x378, 0xFF, 0},  // no such pins
    };
    for (const Read& test : reads) {
        recorder_.portValues[test.port] = test.value;
        EXPECT_EQ(GetPin(c, test.pin), test.level) << "pin " << test.pin << " value " << test.value;
    }

    struct Write {
        uint32_t pin;
        uint32_t level;
        uint32_t port;
        uint32_t written;
    };
    const Write writes[] = {
        {1, 1, 0x37A, 0x00}, {1, 0, 0x37A, 0x01},  // level equal to "inverted" clears the bit
        {2, 1, 0x378, 0x01}, {9, 1, 0x378, 0x81},  // data bits accumulate in the shadow
        {2, 0, 0x378, 0x80}, {17, 0, 0x37A, 0x09},
    };
    for (const Write& test : writes) {
        const size_t mark = recorder_.sent.size();
        SetPin(c, test.pin, test.level);
        const auto sent = sentSince(mark);
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].function, uint32_t(p::PortOutByte));
        EXPECT_EQ(p::get32(sent[0].in.data()), test.port) << "pin " << test.pin;
        EXPECT_EQ(p::get32(sent[0].in.data() + 4), test.written) << "pin " << test.pin;
    }
}

TEST_F(RequestTest, InterruptLinesOutsideOneToFifteenStayMasked)
{
    HwPort32Connection* c = openWith();
    auto callback = [](uint32_t) {};
    for (uint32_t line : {0u, 16u, 100u}) {
        UnmaskIRQ(c, line, callback);
        EXPECT_EQ(IsIRQMasked(c, line), 1u) << line;
        EXPECT_EQ(GetIRQCounter(c, line), 0u) << line;
    }
    EXPECT_TRUE(recorder_.sentOf(p::UnmaskIrq).empty());

    UnmaskIRQ(c, 5, callback);
    UnmaskIRQ(c, 5, callback);  // already armed
    const auto unmasks = recorder_.sentOf(p::UnmaskIrq);
    ASSERT_EQ(unmasks.size(), 1u);
    EXPECT_EQ(unmasks[0].in.size(), 12u);
    EXPECT_EQ(p::get32(unmasks[0].in.data()), 5u);
    EXPECT_EQ(p::get32(unmasks[0].in.data() + 4), uint32_t(record(c)->irq[5].event));
    EXPECT_EQ(p::get32(unmasks[0].in.data() + 8), 8u) << "the second locked-memory address";
    EXPECT_TRUE(unmasks[0].withDescriptor);
    EXPECT_EQ(IsIRQMasked(c, 5), 0u);

    CloseHWPORT32(c);
    const auto masks = recorder_.sentOf(p::MaskIrq);
    ASSERT_EQ(masks.size(), 1u) << "close masks the armed line";
    EXPECT_EQ(masks[0].in, (std::vector<unsigned char>{5, 0}));
    EXPECT_EQ(recorder_.sentOf(p::FreeMemory).size(), 1u);
    EXPECT_EQ(recorder_.sentOf(p::UnmapMemory).size(), 1u) << "the BIOS table mapping";
}

TEST_F(RequestTest, MappingIsReusedWithoutARequest)
{
    HwPort32Connection* c = openWith();
    const size_t mapsAtOpen = recorder_.sentOf(p::MapMemory).size();
    const uintptr_t first = MapPhysToLinear(c, 0xD0010, 0x100);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(first % 4096, 0x10u) << "the page offset is kept";
    EXPECT_EQ(MapPhysToLinear(c, 0xD0010, 0x100), first);
    EXPECT_EQ(MapPhysToLinear(c, 0xD0010, 0x80), first);
    EXPECT_EQ(recorder_.sentOf(p::MapMemory).size(), mapsAtOpen + 1);

    const uintptr_t longer = MapPhysToLinear(c, 0xD0010, 0x2000);
    EXPECT_NE(longer, 0u);
    EXPECT_NE(longer, first) << "a longer range needs a mapping of its own";

    SetMem(c, first, 0, 0x5A);
    EXPECT_EQ(GetMem(c, longer, 0), 0x5A) << "both map the same physical memory";

    const size_t mark = recorder_.sent.size();
    UnmapMemory(c, first);
    UnmapMemory(c, first);  // now unknown: ignored
    const auto sent = sentSince(mark);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].function, uint32_t(p::UnmapMemory));
    EXPECT_EQ(GetMem(c, first, 0), 0) << "an unmapped address reads 0 instead of faulting";

    uint32_t mapped = 2;  // the BIOS table and `longer`
    for (uint32_t i = 0; mapped < maxMappings; ++i, ++mapped)
        ASSERT_NE(MapPhysToLinear(c, 0x10000 * (i + 1), 16), 0u);
    EXPECT_EQ(MapPhysToLinear(c, 0xF8000, 16), 0u) << "the table holds 16 mappings";
}

TEST_F(RequestTest, MemoryWritesNeedABaseOfAtLeast100)
{
    // A page at a low address, so that a base below 100 plus a 32-bit offset
    // can reach real memory.
    constexpr uintptr_t low = 0x10000;
    void* page = mmap(reinterpret_cast<void*>(low), 4096, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
    if (page != reinterpret_cast<void*>(low))
        GTEST_SKIP() << "no page at 0x10000 on this system";
    auto* bytes = static_cast<volatile unsigned char*>(page);

    HwPort32Connection* c = openWith();
    struct Case {
        uintptr_t base;
        uint32_t offset;
        bool written;
    };
    const Case cases[] = {
        {50, uint32_t(low - 50), false},
        {99, uint32_t(low - 99), false},
        {100, uint32_t(low - 100), true},
        {low, 0, true},
    };
    for (const Case& test : cases) {
        for (int i = 0; i < 8; ++i)
            bytes[i] = 0;
        SetMem(c, test.base, test.offset, 0xAB);
        SetMemW(c, test.base, test.offset + 1, 0xCDCD);
        SetMemL(c, test.base, test.offset + 4, 0x01020304);
        EXPECT_EQ(bytes[0], test.written ? 0xAB : 0) << test.base;
        EXPECT_EQ(bytes[1], test.written ? 0xCD : 0) << test.base;
        EXPECT_EQ(GetMemL(c, test.base, test.offset + 4), test.written ? 0x01020304u : 0u) << test.base;
    }
    munmap(page, 4096);
    EXPECT_EQ(GetMem(c, low, 0), 0) << "unmapped memory reads 0 instead of faulting";
}

TEST_F(RequestTest, DirectAccessOnlyWhereAllowed)
{
    HwPort32Connection* c = openWith();  // the environment does not allow it
    SetHardAccess(c, 0);
    EXPECT_EQ(GetHardAccess(c), 1u);
    const size_t mark = recorder_.sent.size();
    GetPortByte(c, 0x378);
    EXPECT_EQ(sentSince(mark).size(), 1u) << "still a request, never a port instruction";
    SetHardAccess(c, 2);
    EXPECT_EQ(GetHardAccess(c), 2u);
}

TEST_F(RequestTest, DiskIdentificationFillsTheRecord)
{
    std::vector<unsigned char> identify(512, 0);
    auto word = [&identify](int w, uint16_t v) {
        identify[2 * w] = uint8_t(v);
        identify[2 * w + 1] = uint8_t(v >> 8);
    };
    word(1, 1024);
    word(3, 16);
    word(6, 63);
    word(20, 3);
    word(21, 128);
    word(27, 'A' << 8 | 'B');
    word(28, 'C' << 8 | 'D');
    word(10, '1' << 8 | '2');
    word(23, 'v' << 8 | '1');
    recorder_.identify = identify;
    HwPort32Connection* c = openWith();
    HwPort32HddInfo info{};
    EXPECT_EQ(GetHDDInfo(c, 6, 3, &info), 1u);
    EXPECT_EQ(std::string(info.model, 4), "ABCD");
    EXPECT_EQ(std::strlen(info.model), 4u) << "zero words end the text";
    EXPECT_EQ(std::string(info.serial), "12");
    EXPECT_EQ(std::string(info.firmware), "v1");
    EXPECT_EQ(info.cylinders, 1024u);
    EXPECT_EQ(info.heads, 16u);
    EXPECT_EQ(info.sectorsPerTrack, 63u);
    EXPECT_EQ(info.bufferType, 3u);
    EXPECT_EQ(info.bufferSize, 128u * 512u);
    const auto sent = recorder_.sentOf(p::HddIdentify);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].in, (std::vector<unsigned char>{2, 1, 0, 0})) << "drive AND 3, flag AND 1";

    recorder_.identify.clear();
    EXPECT_EQ(GetHDDInfo(c, 1, 0, &info), 0u);
    EXPECT_EQ(info.cylinders, 0u) << "a drive that does not answer leaves no stale data";
}

TEST_F(RequestTest, PciRequestCarriesMechanismBusDeviceFunction)
{
    HwPort32Connection* c = openWith();
    unsigned char config[256];
    EXPECT_EQ(GetPciDeviceInfo(c, 1, 2, 3, config), 1u);
    const auto sent = recorder_.sentOf(p::PciDeviceInfo);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].in, (std::vector<unsigned char>{0, 1, 2, 3}));
    EXPECT_EQ(sent[0].outLength, 256u);
    EXPECT_EQ(recorder_.sentOf(p::PciMechanism).size(), 1u) << "asked once, then remembered";
    GetPciDeviceInfo(c, 1, 2, 3, config);
    EXPECT_EQ(recorder_.sentOf(p::PciMechanism).size(), 1u);
}

}  // namespace
}  // namespace hwport
