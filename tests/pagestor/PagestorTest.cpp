#include "MemoryCardDevice.h"
#include "core/transfer/FakeMemoryCard.h"
#include "pagestor.h"
#include "tinctara_portio.h"
#include "transfer/MemoryCard.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace tinctara {
namespace {

using namespace tinctara::testing;
using hardware::MemoryCardDevice;

std::string memoryCardIni(const char* size) { return std::string("[memorycard]\nsize = ") + size + "\n"; }

std::uint8_t cardByte(unsigned address)
{
    std::uint8_t value = 0;
    EXPECT_EQ(VirtualMemoryCardMemory(address, &value, 1), 1);
    return value;
}

TEST(Pagestor, TheFourExportsOnTheVirtualBus)
{
    PortIoConfigureVirtual(memoryCardIni("32K").c_str());
    // Address 0x012345 on a 32 KB card is cell 0x2345.
    EXPECT_EQ(vbWRAMC(0x201, 0x45), 0);
    EXPECT_EQ(vbWRAMC(0x202, 0x123), 0) << "only the low byte reaches the port";
    EXPECT_EQ(vbWRAMC(0x203, 0x01), 0);
    EXPECT_EQ(vbWRAMC(0x200, 300), 0);
    EXPECT_EQ(cardByte(0x2345), 44);
    EXPECT_EQ(vbRRAMC(0x200), 44);
    EXPECT_EQ(vbRRAMC(0x203), 1) << "the page register reads back";

    EXPECT_EQ(vbWDRAMC(0x200, 0x1FF), 0) << "a RAM cell holds the byte";
    EXPECT_EQ(cardByte(0x2345), 0xFF);
    EXPECT_EQ(vbWDRAMC(0x300, 7), 128) << "nothing answers at 0x300";
    EXPECT_EQ(vbRRAMC(0x300), 255) << "the high byte of a result is 0";

    EXPECT_EQ(vbWARAMC(0x200, 0, 0x10, 0x20, 0x99), 0x99);
    EXPECT_EQ(cardByte(0x1020), 0x99);
    EXPECT_EQ(vbWARAMC(0x300, 0, 0, 0, 5), 255);
}

TEST(MemoryCardDevice, AddressesWrapAtTheSize)
{
    for (const std::uint32_t size : {32768u, 65536u, 131072u, 262144u, 524288u, 1048576u}) {
        MemoryCardDevice card(size, "");
        auto put = [&](std::uint32_t address, std::uint8_t value) {
            card.write(0x201, static_cast<std::uint8_t>(address));
            card.write(0x202, static_cast<std::uint8_t>(address >> 8));
            card.write(0x203, static_cast<std::uint8_t>(address >> 16));
            card.write(0x200, value);
        };
        put(size - 1, 1);
        put(size, 2);  // address size is cell 0 again
        put(size + 5, 3);
        EXPECT_EQ(card.memory()[size - 1], 1) << size;
        EXPECT_EQ(card.memory()[0], 2) << size;
        EXPECT_EQ(card.memory()[5], 3) << size;
        EXPECT_EQ(card.read(0x201), 0xFF) << "the address latches are write-only";
    }
    const std::pair<const char*, long long> sizes[] = {{"32K", 32768}, {"1M", 1048576}, {"512kb", 524288},
                                                       {"none", 0},    {"48K", -1},     {"", -1}};
    for (const auto& [text, bytes] : sizes)
        EXPECT_EQ(hardware::memoryCardSizeOf(text), bytes) << text;
}

// The battery: what was written is there again when the bus is set up anew.
TEST(MemoryCardDevice, TheBatteryFileKeepsTheContentsBetweenRuns)
{
    const auto folder = std::filesystem::temp_directory_path() / ("tinctara-card-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "hardware.ini") << memoryCardIni("64K");
    PortIoConfigure(folder.c_str(), "virtual");
    vbWARAMC(0x200, 0, 0x80, 0x01, 0x5A);
    PortIoConfigure(folder.c_str(), "virtual");
    EXPECT_EQ(cardByte(0x8001), 0x5A);
    EXPECT_EQ(std::filesystem::file_size(folder / "memorycard.bin"), 65536u);

    std::ofstream(folder / "hardware.ini") << memoryCardIni("none");
    PortIoConfigure(folder.c_str(), "virtual");
    EXPECT_EQ(VirtualMemoryCardSize(), -1);
    EXPECT_EQ(vbRRAMC(0x200), 255);
    std::filesystem::remove_all(folder);
}

// The program's detection through the library loaded by name, against the
// emulated card of every size and against an empty bus.
TEST(MemoryCardThroughTheLibrary, DetectsEverySizeAndNoCard)
{
    const std::pair<const char*, const char*> cases[] = {
        {"32K", " 32KB grosse Memorykarte gefunden."},   {"64K", " 64KB grosse Memorykarte gefunden."},
        {"128K", " 128KB grosse Memorykarte gefunden."}, {"256K", " 256KB grosse Memorykarte gefunden."},
        {"512K", " 512KB grosse Memorykarte gefunden."}, {"1M", " 1MB grosse Memorykarte gefunden."},
        {"none", "Keine Memorykarte gefunden!"},
    };
    LoadedPagestorLibrary pagestor(libraryFolders(TINCTARA_PROGRAM_DIR));
    ASSERT_TRUE(pagestor.available());
    for (const auto& [size, text] : cases) {
        PortIoConfigureVirtual(memoryCardIni(size).c_str());
        ShowModel model;
        SteppingMilliseconds clock;
        EventfulUser user;
        user.answers.assign(100, MessageAnswer::Ignore);
        StatusLog log;
        MemoryCard card({model, user, clock, pagestor, log});
        card.detect();
        EXPECT_EQ(log.last(), text) << size;
        if (std::string(size) != "none") {
            EXPECT_EQ(vbRRAMC(0x203), 255) << size << ": a known card keeps 255 in its page register";
        }
    }
}

}  // namespace
}  // namespace tinctara
