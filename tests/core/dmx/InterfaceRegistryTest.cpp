#include "core/dmx/RegistryHarness.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

using testing::RegistryHarness;

TEST(InterfaceRegistry, CardSearchOutcomesByIdentityByte)
{
    struct Case {
        const char* name;
        InterfaceKind type;
        std::vector<std::uint8_t> identities;  // answered after each run strobe
        bool present;
        std::string uploads;
        std::string statusText;
        bool timingQueued;
    };
    const Case cases[] = {
        {"7301A or 7301B-LC",
         Interface::IsaCard7301AB,
         {0x80},
         true,
         "A",
         "7301A / 7301B-LC card found at address 120h",
         false},
        {"7301B counts after its second load",
         Interface::IsaCard7301AB,
         {1, 1},
         true,
         "AB",
         "TINCTARA: KELVARTECH 7301B card found at address120h",
         true},
        {"7301B failing its second load",
         Interface::IsaCard7301AB,
         {1, 0},
         false,
         "AB",
         "7301B DMX Interface not found",
         false},
        {"unknown card", Interface::IsaCard7301AB, {7}, false, "A", "7301B DMX Interface not found", false},
        {"7301C",
         Interface::IsaCard7301C,
         {5},
         true,
         "C",
         "TINCTARA: KELVARTECH 7301C card found at address120h",
         false},
        {"7301C with a wrong identity",
         Interface::IsaCard7301C,
         {0x80},
         false,
         "C",
         "7301C DMX Interface not found",
         false},
    };
    for (const auto& c : cases) {
        RegistryHarness h;
        h.bus.identities.assign(c.identities.begin(), c.identities.end());
        h.registry.OpenPort(c.type);
        EXPECT_EQ(h.registry.isPresent(c.type), c.present) << c.name;
        EXPECT_EQ(h.uploads(), c.uploads) << c.name;
        EXPECT_EQ(h.registry.statusText(c.type), c.statusText) << c.name;
        EXPECT_EQ(h.model.TimingBlockPending == 1, c.timingQueued) << c.name;
        EXPECT_EQ(h.timer.enabled, c.present) << c.name;
        EXPECT_EQ(h.sender.openCount(), c.present ? 1u : 0u) << c.name;
        EXPECT_EQ(h.model.CardBaseAddress, c.present ? 0x120 : 0) << c.name;
        EXPECT_EQ(h.view.lastTitle(),
                  c.present ? "Linux:  QOR DMX TINCTARA" : "Linux: QOR DMX TINCTARA:  Interface Initialization failed")
            << c.name;
        if (c.timingQueued) {
            const std::array<std::int16_t, 9> block{60, 0, 0, 0, 1, 0, 0, 0, 0};
            EXPECT_TRUE(std::equal(block.begin(), block.end(), h.model.DmxTiming.begin()));
        }
    }
}

TEST(InterfaceRegistry, UsbOpenResults)
{
    struct Case {
        std::int32_t result;
        bool present;
        std::string statusText;
        std::vector<std::int32_t> commands;
    };
    const Case cases[] = {
        {1, true, "TINCTARA: SUNLITE USBDMX1 Interface opened succesfully", {2, 1, 3}},
        {11, true, "TINCTARA: KELVARTECH USBLNK2 Interface opened succesfully", {2, 1, 3}},
        {4, false, "USB DMX Interface not found", {2, 1}},
    };
    for (const auto& c : cases) {
        RegistryHarness h;
        h.model.DmxFrame.fill(9);
        h.usb.result = c.result;
        h.registry.OpenPort(Interface::UsbInterface);
        std::vector<std::int32_t> commands;
        for (const auto& call : h.usb.calls)
            commands.push_back(call.command);
        EXPECT_EQ(commands, c.commands) << c.result;
        EXPECT_EQ(h.registry.isPresent(Interface::UsbInterface), c.present) << c.result;
        EXPECT_EQ(h.registry.statusText(Interface::UsbInterface), c.statusText) << c.result;
        EXPECT_EQ(h.registry.UsbOpenResult, c.result);
        EXPECT_EQ(h.timer.enabled, c.present) << c.result;
        // The sender learns of the open: a load tick then sends the wall's picture, not the cleared frame.
        EXPECT_EQ(h.sender.openCount(), c.present ? 1u : 0u) << c.result;
        EXPECT_EQ(h.model.DmxFrame[0], c.present ? 0 : 9) << c.result;
        EXPECT_EQ(h.model.DmxFrame[512], 9) << "index 512 is never sent, so never cleared";

        // Closing sends the close command only to an interface that is present.
        h.usb.calls.clear();
        h.registry.ClosePort(Interface::UsbInterface);
        EXPECT_EQ(h.usb.calls.size(), c.present ? 1u : 0u) << c.result;
        EXPECT_FALSE(h.registry.isPresent(Interface::UsbInterface));
    }
}

TEST(InterfaceRegistry, OpenOfNoInterfaceOnlyComplains)
{
    RegistryHarness h;
    h.registry.OpenPort(Interface::NoInterface);
    ASSERT_EQ(h.user.messages.size(), 1u);
    EXPECT_EQ(h.user.messages[0].text, "INTERFACE SELECT ERROR");
    EXPECT_EQ(h.user.messages[0].title, "TINCTARA - Interface-Auswahl");
    EXPECT_EQ(h.user.messages[0].icon, MessageIcon::Stop);
    EXPECT_TRUE(h.bus.accesses.empty());
    EXPECT_TRUE(h.usb.calls.empty());
}

TEST(InterfaceRegistry, InitCommandSearchesEveryKindThenLetsTheUserChoose)
{
    for (const bool nt : {false, true}) {
        RegistryHarness h;
        h.model.OsIsNt = nt ? -1 : 0;
        h.bus.identities = {1, 1};
        h.usb.result = 12;
        h.mainWindow.mnuDMXInit();
        EXPECT_EQ(h.searches(), nt ? 3 : 5) << "types 4 and 5 are searched only outside NT";
        EXPECT_TRUE(h.registry.isPresent(Interface::IsaCard7301AB));
        EXPECT_FALSE(
            h.registry.isPresent(Interface::IsaCard7301C));  // the same card, loaded with the 7301C image, says 1
        EXPECT_TRUE(h.registry.isPresent(Interface::UsbInterface));
        EXPECT_EQ(h.uploads(), "ABC");
        EXPECT_EQ(h.window.opened, std::vector<WindowKind>{WindowKind::InterfaceSelection});
        EXPECT_EQ(h.view.infoClosed, 1);
        EXPECT_EQ(h.ticks, 1);
    }
}

TEST(InterfaceRegistry, SecondCopyOfTheProgramGetsNoInterface)
{
    RegistryHarness h;
    h.system.previousInstance = true;
    h.registry.InterfacePresent.values = {0, 1, 1, 1, 0, 0};
    h.usb.result = 1;
    h.mainWindow.mnuDMXInit();
    EXPECT_EQ(h.user.beeps, 1);
    ASSERT_EQ(h.user.messages.size(), 1u);
    EXPECT_EQ(h.user.messages[0].text,
              "Dieses Programm wird zum 2. Mal ausgeführt. DMX-TINCTARA darf auf einem Rechner nicht mehr als "
              "einmal mit DMX-Ausgabe ausgeführt werden. Interfaceunterstützung wird deaktiviert.");
    EXPECT_EQ(h.user.messages[0].title, "TINCTARA");
    EXPECT_EQ(h.user.messages[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(h.user.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(h.view.startStopEnabled, std::vector<bool>{false});
    for (int number = 0; number < InterfaceKinds; ++number)
        EXPECT_FALSE(h.registry.isPresent(kindOfNumber(number))) << number;
    EXPECT_TRUE(h.bus.accesses.empty());
    ASSERT_EQ(h.usb.calls.size(), 1u);  // the close of the USB interface that was present
    EXPECT_EQ(h.usb.calls[0].command, 2);
    EXPECT_TRUE(h.window.opened.empty());
    EXPECT_EQ(h.ticks, 1);
}

TEST(InterfaceRegistry, DelayLastsUntilTheNextSecondAndNoLonger)
{
    RegistryHarness h;
    h.registry.delay();
    EXPECT_EQ(h.clock.readings, 3);  // 100, 100, 101

    // A clock that stands still: the wait gives up after a little over a second.
    struct StandingClock : Clock {
        std::int64_t timeOfDaySeconds() override { return 5; }
        std::int64_t monotonicMilliseconds() override { return elapsed += 100; }
        std::int64_t elapsed = 0;
    } standing;
    testing::FakeSystemInfo system;
    InterfaceRegistry registry{h.model, h.view,     h.user,
                               h.timer, h.messages, InterfaceHardware{h.bus, h.usb, standing, "."}};
    registry.delay();
    EXPECT_GT(standing.elapsed, 1000);
    EXPECT_LT(standing.elapsed, 1500);
}

}  // namespace
}  // namespace tinctara
