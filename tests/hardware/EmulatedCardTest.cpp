#include "HardwareConfig.h"
#include "IsaCardDevice.h"
#include "PortBackends.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

namespace tinctara::hardware {
namespace {

std::vector<std::uint8_t> shippedImage(const std::string& name)
{
    std::ifstream file(std::string(TINCTARA_DATA_DIR) + "/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Writes bytes into card memory through the ports, as the program does.
void poke(PortBackend& bus, std::uint16_t base, std::uint16_t address, const std::vector<std::uint8_t>& bytes)
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto a = static_cast<std::uint16_t>(address + i);
        bus.write(base, static_cast<std::uint8_t>(a & 0xFF));
        bus.write(base + 1u, static_cast<std::uint8_t>(a >> 8));
        bus.write(base + 2u, bytes[i]);
    }
}

std::uint8_t peek(PortBackend& bus, std::uint16_t base, std::uint16_t address)
{
    bus.write(base, static_cast<std::uint8_t>(address & 0xFF));
    bus.write(base + 1u, static_cast<std::uint8_t>(address >> 8));
    return bus.read(base + 2u);
}

void runStrobe(PortBackend& bus, CardModel model, std::uint16_t base)
{
    if (model == CardModel::Isa7301C)
        bus.write(base + 3u, 0);
    else
        (void)bus.read(base + 3u);
}

TEST(EmulatedCard, IdentityByteFollowsModelAndImage)
{
    struct Case {
        CardModel model;
        const char* image;  // null: no upload
        std::uint8_t identity;
    };
    const Case cases[] = {
        {CardModel::Isa7301A, "FWISA12A.BIN", 0x80},   {CardModel::Isa7301A, "FWISA16B.BIN", 0},
        {CardModel::Isa7301BLC, "FWISA12A.BIN", 0x80}, {CardModel::Isa7301BLC, "FWISA17C.BIN", 0},
        {CardModel::Isa7301B, "FWISA12A.BIN", 1},      {CardModel::Isa7301B, "FWISA16B.BIN", 1},
        {CardModel::Isa7301B, "FWISA17C.BIN", 0},      {CardModel::Isa7301C, "FWISA17C.BIN", 5},
        {CardModel::Isa7301C, "FWISA12A.BIN", 0},      {CardModel::Isa7301B, nullptr, 0},
    };
    for (const auto& c : cases) {
        VirtualBus bus({{c.model, 0x140}});
        if (c.image)
            poke(bus, 0x140, 0, shippedImage(c.image));
        EXPECT_EQ(peek(bus, 0x140, 0x3F9), 0) << "nothing before the run strobe";
        runStrobe(bus, c.model, 0x140);
        EXPECT_EQ(peek(bus, 0x140, 0x3F9), c.identity) << modelName(c.model) << " " << (c.image ? c.image : "-");
    }

    // A damaged image is no image: one byte of the body changed.
    auto image = shippedImage("FWISA16B.BIN");
    image[100] ^= 0x40;
    VirtualBus bus({{CardModel::Isa7301B, 0x120}});
    poke(bus, 0x120, 0, image);
    runStrobe(bus, CardModel::Isa7301B, 0x120);
    EXPECT_EQ(peek(bus, 0x120, 0x3F9), 0);
}

TEST(EmulatedCard, AnswersTheProbeOnlyAtItsOwnBase)
{
    VirtualBus bus({{CardModel::Isa7301B, 0x120}});
    for (const std::uint16_t base : std::initializer_list<std::uint16_t>{0x100, 0x120, 0x140, 0x160}) {
        poke(bus, base, 0x3FF, {0xAA});
        EXPECT_EQ(bus.read(base + 2u), base == 0x120 ? 0xAA : 0xFF) << std::hex << base;
    }
    EXPECT_EQ(bus.read(0x3F8), 0xFF) << "an empty port reads all ones";
}

TEST(EmulatedCard, RunsAndHaltsOnlyOnTheStrobesOfItsType)
{
    struct Case {
        CardModel model;
        bool typeOneStrobes;
    };
    for (const auto& c : {Case{CardModel::Isa7301B, true}, Case{CardModel::Isa7301C, false}}) {
        VirtualBus bus({{c.model, 0x100}});
        IsaCardDevice& card = *bus.cardAt(0x100);
        (void)bus.read(0x103);  // run of type 1
        EXPECT_EQ(card.running(), c.typeOneStrobes) << modelName(c.model);
        bus.write(0x103, 0);  // run of type 2
        EXPECT_TRUE(card.running());
        bus.write(0x100, 0);  // halt of type 1 (also the low address byte 0)
        EXPECT_EQ(card.running(), !c.typeOneStrobes) << modelName(c.model);
        (void)bus.read(0x100);  // halt of type 2
        EXPECT_FALSE(card.running());
        poke(bus, 0x100, 0x400, {1, 2, 3});
        EXPECT_EQ(card.memory()[0x401], 2) << "a halted card keeps its memory and takes writes";
    }
}

TEST(EmulatedCard, TransmitsChannelMemoryWithTheCountAndStartCodeOfItsTimingBlock)
{
    struct Case {
        CardModel model;
        std::vector<std::uint8_t> block;  // 0x3F0.. : break, start code, idle, count low, count high
        std::size_t slots;                // start code + channels
        std::uint8_t startCode;
    };
    const Case cases[] = {
        {CardModel::Isa7301B, {60, 0, 0, 0, 1}, 513, 0},    // the block the search sets: 512 channels
        {CardModel::Isa7301B, {60, 0, 0, 228, 1}, 485, 0},  // 484 channels
        {CardModel::Isa7301B, {60, 7, 0, 44, 1}, 301, 7},   // 300 channels, start code 7
        {CardModel::Isa7301B, {60, 0, 0, 80, 0}, 81, 0},
        {CardModel::Isa7301B, {60, 0, 0, 0, 9}, 513, 0},   // never more than a universe
        {CardModel::Isa7301A, {60, 7, 0, 80, 0}, 513, 0},  // fixed timing: the block is not read
        {CardModel::Isa7301C, {}, 513, 0},
    };
    for (const auto& c : cases) {
        VirtualBus bus({{c.model, 0x160}});
        poke(bus, 0x160, 0x3F0, c.block);
        poke(bus, 0x160, 0x400, {11, 22});
        poke(bus, 0x160, 0x5FF, {99});
        std::array<std::uint8_t, 600> frame{};
        EXPECT_EQ(bus.cardAt(0x160)->frame(frame.data(), frame.size()), 0u) << "a halted card sends nothing";
        runStrobe(bus, c.model, 0x160);
        ASSERT_EQ(bus.cardAt(0x160)->frame(frame.data(), frame.size()), c.slots) << modelName(c.model);
        EXPECT_EQ(frame[0], c.startCode);
        EXPECT_EQ(frame[1], 11);
        EXPECT_EQ(frame[2], 22);
        EXPECT_EQ(frame[512], c.slots == 513 ? 99 : 0);
    }
}

TEST(HardwareIni, CardsBackendAndLinesPassedOver)
{
    const HardwareConfig config = parseHardwareConfig("; comment\r\n"
                                                      "[Ports]\r\n"
                                                      "Backend = Direct\r\n"
                                                      "[isa]\r\n"
                                                      "card = 7301b-lc 140h\r\n"
                                                      "card = 7301C 0x100\r\n"
                                                      "card = 7301B 0x142\r\n"  // overlaps the card at 140h
                                                      "card = 9999 0x160\r\n"   // no such model
                                                      "card = 7301A\r\n"        // no base
                                                      "[usb]\r\n"
                                                      "device = USBLNK2\r\n"
                                                      "garbage\r\n");
    EXPECT_TRUE(config.direct);
    ASSERT_EQ(config.cards.size(), 2u);
    EXPECT_EQ(config.cards[0].model, CardModel::Isa7301BLC);
    EXPECT_EQ(config.cards[0].base, 0x140);
    EXPECT_EQ(config.cards[1].model, CardModel::Isa7301C);
    ASSERT_NE(config.setting("USB", "Device"), nullptr);
    EXPECT_EQ(*config.setting("USB", "Device"), "USBLNK2");
    for (const char* line : {"Zeile 7:", "Zeile 8:", "Zeile 9:", "Zeile 12:"})
        EXPECT_NE(config.problems.find(line), std::string::npos) << line;

    const HardwareConfig fallback = readHardwareConfig("/nonexistent");
    EXPECT_FALSE(fallback.direct);
    ASSERT_EQ(fallback.cards.size(), 1u);
    EXPECT_EQ(fallback.cards[0].model, CardModel::Isa7301B);
    EXPECT_EQ(fallback.cards[0].base, 0x120);
    EXPECT_TRUE(fallback.problems.empty());
}

TEST(DirectPorts, WithoutThePrivilegeItSaysSoAndActsAsAnEmptyBus)
{
    // Only a process that can give up its privilege can show this.
    if (geteuid() != 0)
        GTEST_SKIP() << "needs to start as root to drop the privilege";
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0)
            _exit(3);
        DirectPorts ports;
        const bool ok =
            !ports.usable() && ports.problem().find("ioperm") != std::string::npos && ports.read(0x120) == 0xFF;
        ports.write(0x80, 1);  // goes nowhere
        _exit(ok ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace tinctara::hardware
