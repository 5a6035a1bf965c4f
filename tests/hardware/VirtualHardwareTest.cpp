#include "SharedPortBus.h"
#include "dmx/DmxRunControl.h"
#include "dmx/InterfaceRegistry.h"
#include "dmx/LoadedLibraries.h"
#include "engine/OutputEngine.h"
#include "model/WallBuilder.h"
#include "support/Fakes.h"
#include "support/MainWindowFakes.h"
#include "tinctara_portio.h"
#include "windows/MainWindowPresenter.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace tinctara {
namespace {

using namespace tinctara::testing;

class SteppingClock : public Clock {
public:
    std::int64_t timeOfDaySeconds() override { return readings++ / 2; }
    std::int64_t monotonicMilliseconds() override { return 0; }
    int readings = 0;
};

// A program folder with the shipped firmware and the given hardware.ini, the
// process's port bus set up from it, and the program's devices over that bus.
struct VirtualHardware {
    explicit VirtualHardware(const std::string& hardwareIni)
    {
        for (const char* image : {"FWISA12A.BIN", "FWISA16B.BIN", "FWISA17C.BIN"})
            std::filesystem::copy_file(std::filesystem::path(TINCTARA_DATA_DIR) / image, folder / image);
        if (!hardwareIni.empty())
            std::ofstream(folder / "hardware.ini", std::ios::binary) << hardwareIni;
        EXPECT_EQ(PortIoConfigure(folder.c_str(), nullptr), PORTIO_VIRTUAL);
        initialiseAtStartUp(model);
        model.OsName = "Linux";
    }
    ~VirtualHardware()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    static std::filesystem::path freshFolder()
    {
        static int counter = 0;
        auto path = std::filesystem::temp_directory_path() /
                    ("tinctara-hw-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
        return path;
    }

    void buildWall(int columns, int rows)
    {
        model.WallColumns = static_cast<std::uint8_t>(columns);
        model.WallRows = static_cast<std::uint8_t>(rows);
        model.ElementWidth = 600;
        model.ElementHeight = 1200;
        BuildWall(model, view, user, WallBuildKind::NewOrEdited);
        for (int element = 1; element <= model.ElementCount; ++element)
            for (int plane = Red; plane <= White; ++plane)
                model.colour(plane, element) = static_cast<std::uint8_t>(element * 7 + plane * 50);
    }

    std::filesystem::path folder = freshFolder();
    std::unique_ptr<ShowModel> modelStorage = std::make_unique<ShowModel>();
    ShowModel& model = *modelStorage;
    RecordingView view;
    ScriptedUser user;
    FakeTimer timer;
    MessageTable messages{};
    SharedPortBus ports;
    LoadedUsbDmxLibrary usb{libraryFolders(folder.string())};
    LoadedDmxCardLibrary cardLibrary{libraryFolders(folder.string())};
    SteppingClock clock;
    FakeSystemInfo system;
    InterfaceRegistry registry{model, view,     user,
                               timer, messages, InterfaceHardware{ports, usb, clock, folder.string()}};
    OutputEngine engine{model, view, timer, OutputDevices{ports, usb, cardLibrary}};
};

TEST(VirtualHardware, EveryCardKindIsFoundByTheProgramsSearch)
{
    struct Case {
        const char* card;
        InterfaceKind type;
        bool present;
        std::string statusText;
    };
    const Case cases[] = {
        {"7301A 0x100", Interface::IsaCard7301AB, true, "7301A / 7301B-LC card found at address 100h"},
        {"7301B-LC 0x140", Interface::IsaCard7301AB, true, "7301A / 7301B-LC card found at address 140h"},
        {"7301B 0x160", Interface::IsaCard7301AB, true, "TINCTARA: KELVARTECH 7301B card found at address160h"},
        {"7301C 0x120", Interface::IsaCard7301C, true, "TINCTARA: KELVARTECH 7301C card found at address120h"},
        {"7301C 0x120", Interface::IsaCard7301AB, false, "7301B DMX Interface not found"},
        {"7301B 0x120", Interface::IsaCard7301C, false, "7301C DMX Interface not found"},
        {"7301B 0x200", Interface::IsaCard7301AB, false,
         "7301B DMX Interface not found"},  // not at a base the program probes
    };
    for (const auto& c : cases) {
        VirtualHardware hw(std::string("[isa]\ncard = ") + c.card + "\n");
        hw.registry.OpenPort(c.type);
        EXPECT_EQ(hw.registry.isPresent(c.type), c.present) << c.card << " as type " << c.type;
        EXPECT_EQ(hw.registry.statusText(c.type), c.statusText) << c.card;
        EXPECT_TRUE(hw.user.messages.empty());
    }
}

TEST(VirtualHardware, StartUpOpensTheStoredCardAndTheTicksReachItsOutput)
{
    VirtualHardware hw("");  // no hardware.ini: a 7301B at 0x120
    FakeMainWindow window;
    FakeShowCommands commands;
    FakeSettingsStore settings;
    settings.values["TINCTARA/Interface/Type"] = "1";
    MainWindowPresenter presenter{{hw.model, hw.view, hw.user, hw.timer, window, commands, hw.registry, settings,
                                   hw.system, hw.messages, hw.folder.string()}};
    ASSERT_TRUE(presenter.Form_Load());
    EXPECT_EQ(hw.model.InterfaceType, Interface::IsaCard7301AB);
    EXPECT_EQ(hw.model.CardBaseAddress, 0x120);
    EXPECT_TRUE(hw.timer.enabled);
    EXPECT_EQ(hw.view.lastTitle(), "Linux: TINCTARA: KELVARTECH 7301B card found at address120h");
    EXPECT_EQ(window.dmxStartStopVisible, std::vector<bool>{true});

    hw.buildWall(11, 11);
    hw.engine.AutoXmit();
    EXPECT_EQ(VirtualIsaCardRunning(0x120), 1);

    std::array<std::uint8_t, DmxFrameSlots> expected{};
    {
        ByteFrameDestination levels(expected);
        MitKarteHold(hw.model, levels);
    }
    std::array<std::uint8_t, 600> frame{};
    ASSERT_EQ(VirtualIsaCardFrame(0x120, frame.data(), frame.size()), 513);
    EXPECT_EQ(frame[0], 0) << "start code";
    for (int channel = 1; channel <= DmxChannels; ++channel)
        ASSERT_EQ(frame[channel], expected[channel - 1]) << "channel " << channel;
    EXPECT_NE(expected[0], 0) << "the wall has levels on channel 1";

    // DMX Stop halts the card: it sends nothing until it is started again.
    DmxStop(hw.model, hw.view, hw.timer, hw.ports);
    EXPECT_EQ(VirtualIsaCardFrame(0x120, frame.data(), frame.size()), 0);
    DmxStart(hw.model, hw.view, hw.timer, hw.ports);
    EXPECT_EQ(VirtualIsaCardFrame(0x120, frame.data(), frame.size()), 513);
}

TEST(VirtualHardware, UsbInterfaceChosenInHardwareIniReceivesEveryTick)
{
    struct Case {
        const char* ini;
        bool present;
        std::string statusText;
    };
    const Case cases[] = {
        {"[usb]\ndevice = USBLNK2\nopen_result = 11\n", true,
         "TINCTARA: KELVARTECH USBLNK2 Interface opened succesfully"},
        {"[usb]\ndevice = usbdmx1\n", true, "TINCTARA: SUNLITE USBDMX1 Interface opened succesfully"},
        {"[usb]\ndevice = none\n", false, "USB DMX Interface not found"},
    };
    for (const auto& c : cases) {
        VirtualHardware hw(c.ini);
        hw.registry.OpenPort(Interface::UsbInterface);
        ASSERT_EQ(hw.registry.isPresent(Interface::UsbInterface), c.present) << c.ini;
        EXPECT_EQ(hw.registry.statusText(Interface::UsbInterface), c.statusText);
        if (!c.present)
            continue;
        hw.buildWall(3, 2);
        hw.model.InterfaceType = Interface::UsbInterface;
        hw.engine.AutoXmit();
        using Frame = std::int32_t (*)(std::uint8_t*, std::int32_t);
        auto readFrame = reinterpret_cast<Frame>(hw.usb.library().symbol("VirtualUsbFrame"));
        ASSERT_NE(readFrame, nullptr);
        std::array<std::uint8_t, DmxChannels> sent{};
        ASSERT_EQ(readFrame(sent.data(), DmxChannels), DmxChannels);
        EXPECT_TRUE(std::equal(sent.begin(), sent.end(), hw.model.DmxFrame.begin()));
        EXPECT_NE(sent[0], 0);
        hw.registry.ClosePort(Interface::UsbInterface);
    }
}

TEST(VirtualHardware, LibraryCardKeepsWhatBothSendsWereGiven)
{
    VirtualHardware hw("");
    hw.buildWall(2, 2);
    hw.model.InterfaceType = Interface::PciCard7304;
    using Frame = std::int32_t (*)(std::int32_t, std::uint32_t*, std::int32_t, std::int32_t*);
    auto readFrame = reinterpret_cast<Frame>(hw.cardLibrary.library().symbol("VirtualCardLibraryFrame"));
    ASSERT_NE(readFrame, nullptr);
    const std::int32_t sendsBefore = readFrame(1, nullptr, 0, nullptr);
    hw.engine.AutoXmit();
    hw.engine.AutoXmit();
    for (std::int32_t universe : {1, 2}) {
        std::array<std::uint32_t, DmxChannels> sent{};
        std::int32_t handle = -1;
        EXPECT_EQ(readFrame(universe, sent.data(), DmxChannels, &handle), sendsBefore + 2);
        EXPECT_EQ(handle, 0);
        EXPECT_TRUE(std::equal(sent.begin(), sent.end(), hw.model.DmxFrameWide.begin()));
    }
    EXPECT_EQ(readFrame(3, nullptr, 0, nullptr), -1);
}

TEST(VirtualHardware, ALibraryThatIsMissingIsNotFound)
{
    LibraryByName missing("libtinctara-no-such-device.so", {"/nonexistent"});
    EXPECT_FALSE(missing.available());
    EXPECT_EQ(missing.symbol("DasHardCommand"), nullptr);

    LibraryByName present("libusbdmxvb.so", libraryFolders("/nonexistent"));
    EXPECT_TRUE(present.available()) << "found beside the program";
}

}  // namespace
}  // namespace tinctara
