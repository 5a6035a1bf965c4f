#include "dmx/DmxRunControl.h"
#include "dmx/IsaCard.h"
#include "core/dmx/RegistryHarness.h"
#include "support/EngineHarness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

namespace tinctara {
namespace {

using Access = testing::RecordingPortBus::Access;
using testing::EngineHarness;
using testing::RecordingPortBus;

TEST(IsaCard, AddressIsSplitIntoLowAndHighPortWrites)
{
    RecordingPortBus bus(0x100);
    WriteCardByte(bus, 0x100, 0x1FF, 9);
    WriteCardByte(bus, 0x100, 0x5FF, 10);
    const std::vector<Access> expected{{true, 0x100, 255}, {true, 0x101, 1}, {true, 0x102, 9},
                                       {true, 0x100, 255}, {true, 0x101, 5}, {true, 0x102, 10}};
    EXPECT_EQ(bus.accesses, expected);
    EXPECT_EQ(ReadCardByte(bus, 0x100, 0x1FF), 9);
    EXPECT_EQ(cardAddressOfChannel(1), 0x400);
    EXPECT_EQ(cardAddressOfChannel(512), 0x5FF);
}

TEST(IsaCard, StrobesByCardType)
{
    struct Case {
        InterfaceKind type;
        bool run;
        Access access;
    } cases[] = {
        {Interface::IsaCard7301AB, true, {false, 0x163, 0}},
        {Interface::IsaCard7301AB, false, {true, 0x160, 0}},
        {Interface::IsaCard7301C, true, {true, 0x163, 0}},
        {Interface::IsaCard7301C, false, {false, 0x160, 0}},
    };
    for (const auto& c : cases) {
        RecordingPortBus bus(0x160);
        if (c.run)
            CardRunStrobe(bus, 0x160, c.type);
        else
            CardHaltStrobe(bus, 0x160, c.type);
        ASSERT_EQ(bus.accesses.size(), 1u);
        EXPECT_EQ(bus.accesses[0], c.access) << "type " << kindNumber(c.type) << (c.run ? " run" : " halt");
    }
    RecordingPortBus bus(0x160);
    CardRunStrobe(bus, 0x160, Interface::UsbInterface);
    EXPECT_TRUE(bus.accesses.empty());
}

TEST(DmxRunControl, StartAndStopActOnlyOnAKnownCard)
{
    EngineHarness show;
    show.model.InterfaceType = Interface::IsaCard7301AB;
    show.model.CardBaseAddress = 255;
    DmxStart(show.model, show.view, show.timer, show.bus);
    DmxStop(show.model, show.view, show.timer, show.bus);
    EXPECT_TRUE(show.bus.accesses.empty());
    EXPECT_TRUE(show.view.titles.empty());
    EXPECT_TRUE(show.timer.history.empty());

    show.model.CardBaseAddress = 0x120;
    DmxStop(show.model, show.view, show.timer, show.bus);
    EXPECT_FALSE(show.timer.enabled);
    EXPECT_EQ(show.view.lastTitle(), "Linux: QOR DMX TINCTARA  ....stopped: DMX STOP");
    EXPECT_EQ(show.view.dmxChecks.back(), std::make_pair(false, true));
    EXPECT_EQ(show.bus.accesses.back(), (Access{true, 0x120, 0}));

    DmxStart(show.model, show.view, show.timer, show.bus);
    EXPECT_TRUE(show.timer.enabled);
    EXPECT_EQ(show.view.lastTitle(), "Linux: QOR DMX TINCTARA  ....running. DMX started. Interface = ");
    EXPECT_EQ(show.view.dmxChecks.back(), std::make_pair(true, false));
    EXPECT_EQ(show.bus.accesses.back(), (Access{false, 0x123, 0}));
}

TEST(IsaCard, ProbeTriesTheBasesInRisingOrderAndTheFirstAnswerWins)
{
    struct Case {
        std::uint16_t card;
        std::vector<std::uint16_t> echoing;
        std::uint16_t found;
        std::vector<std::uint16_t> probed;
    };
    const Case cases[] = {
        {0x140, {}, 0x140, {0x100, 0x120, 0x140}},
        {0x140, {0x100}, 0x100, {0x100}},
        {0x160, {}, 0x160, {0x100, 0x120, 0x140, 0x160}},
        {0x200, {}, 0, {0x100, 0x120, 0x140, 0x160}},
    };
    for (const auto& c : cases) {
        RecordingPortBus bus(c.card);
        bus.echoBases = c.echoing;
        EXPECT_EQ(FindCard(bus), c.found) << std::hex << c.card;
        std::vector<Access> expected;
        for (const std::uint16_t base : c.probed) {
            expected.push_back({true, base + 0u, 255});
            expected.push_back({true, base + 1u, 3});
            expected.push_back({true, base + 2u, 0xAA});
            expected.push_back({false, base + 2u, static_cast<std::uint8_t>(base == c.found ? 0xAA : 0xFF)});
        }
        EXPECT_EQ(bus.accesses, expected) << std::hex << c.card;
    }
}

TEST(IsaCard, FirmwareUploadWritesEachByteAndReadsItBack)
{
    testing::RegistryHarness h;
    h.writeFirmware("FWISA12A.BIN", "xyz");
    LoadCardFirmware(h.model, h.bus, h.user, h.folder.string(), "FWISA12A.BIN");
    EXPECT_EQ(h.model.CardBaseAddress, 0x120);
    EXPECT_TRUE(h.user.messages.empty());
    // After the probes of 0x100 and 0x120: address, byte, address, read-back.
    const std::vector<Access> upload(h.bus.accesses.begin() + 8, h.bus.accesses.end());
    std::vector<Access> expected;
    const std::string bytes = "xyz";
    for (std::uint8_t i = 0; i < 3; ++i) {
        expected.insert(expected.end(), {{true, 0x120, i},
                                         {true, 0x121, 0},
                                         {true, 0x122, std::uint8_t(bytes[i])},
                                         {true, 0x120, i},
                                         {true, 0x121, 0},
                                         {false, 0x122, std::uint8_t(bytes[i])}});
    }
    EXPECT_EQ(upload, expected);
}

TEST(IsaCard, FirmwareThatCannotBeUploadedLeavesCardMemoryAlone)
{
    struct Case {
        const char* name;
        std::function<void(const std::filesystem::path&)> prepare;
        std::string message;
    };
    const Case cases[] = {
        {"missing", [](const std::filesystem::path&) {}, "Card OS file {}/FWISA17C.BIN is missing"},
        {"a folder", [](const std::filesystem::path& f) { std::filesystem::create_directory(f / "FWISA17C.BIN"); },
         "Card OS file {}/FWISA17C.BIN is missing"},
        {"larger than card memory",
         [](const std::filesystem::path& f) {
             std::ofstream(f / "FWISA17C.BIN", std::ios::binary) << std::string(0x10001, 'x');
         },
         "Error while reading OS file FWISA17C.BIN"},
    };
    for (const auto& c : cases) {
        testing::RegistryHarness h;
        std::filesystem::remove(h.folder / "FWISA17C.BIN");
        c.prepare(h.folder);
        LoadCardFirmware(h.model, h.bus, h.user, h.folder.string(), "FWISA17C.BIN");
        std::string message = c.message;
        if (const auto at = message.find("{}"); at != std::string::npos)
            message.replace(at, 2, h.folder.string());
        ASSERT_EQ(h.user.messages.size(), 1u) << c.name;
        EXPECT_EQ(h.user.messages[0].text, message);
        EXPECT_EQ(h.user.messages[0].title, "DATA TRANSFER ERROR");
        EXPECT_EQ(h.user.messages[0].icon, MessageIcon::Stop);
        // Only the probe cell was written.
        const auto writes = h.bus.cardWrites();
        ASSERT_EQ(writes.size(), 1u) << c.name;
        EXPECT_EQ(writes[0], std::make_pair(std::uint16_t{0x3FF}, std::uint8_t{0xAA}));
    }
}

TEST(IsaCard, A7301CIsHaltedBeforeItsUploadWhenItIsTheSelectedKind)
{
    for (const InterfaceKind selected : {Interface::IsaCard7301AB, Interface::IsaCard7301C}) {
        testing::RegistryHarness h;
        h.model.InterfaceType = selected;
        LoadCardFirmware(h.model, h.bus, h.user, h.folder.string(), "FWISA17C.BIN");
        const Access halt{false, 0x120, 0};
        const bool halted = std::find(h.bus.accesses.begin(), h.bus.accesses.end(), halt) != h.bus.accesses.end();
        EXPECT_EQ(halted, selected == Interface::IsaCard7301C);
    }
}

}  // namespace
}  // namespace tinctara
