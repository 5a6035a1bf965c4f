#pragma once

#include "dmx/InterfaceRegistry.h"
#include "files/MessageFile.h"
#include "support/EngineHarness.h"
#include "support/MainWindowFakes.h"
#include "windows/MainWindowPresenter.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace tinctara::testing {

// The time of day moves on by one second every second reading.
class SteppingClock : public Clock {
public:
    std::int64_t timeOfDaySeconds() override { return 100 + readings++ / 2; }
    std::int64_t monotonicMilliseconds() override { return milliseconds; }
    int readings = 0;
    std::int64_t milliseconds = 0;
};

class InterfaceView : public RecordingView {
public:
    void setDmxStartStopEnabled(bool enabled) override { startStopEnabled.push_back(enabled); }
    void closeInfoWindow() override { ++infoClosed; }
    std::vector<bool> startStopEnabled;
    int infoClosed = 0;
};

// A show with an engine over the recording bus and libraries, a program folder
// with one-byte firmware files (A, B, C for 12A, 16B, 17C) and the registry.
struct RegistryHarness {
private:
    std::unique_ptr<ShowModel> modelStorage = std::make_unique<ShowModel>();

public:
    RegistryHarness()
    {
        initialiseAtStartUp(model);
        model.OsName = "Linux";
        writeFirmware("FWISA12A.BIN", "A");
        writeFirmware("FWISA16B.BIN", "B");
        writeFirmware("FWISA17C.BIN", "C");
        messages[96] = "TINCTARA - Interface-Auswahl";
        for (int n : {119, 120, 121, 122, 123, 127, 128, 129, 130, 136, 137, 138})
            messages[n] = "M" + std::to_string(n);
    }
    ~RegistryHarness()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
    RegistryHarness(const RegistryHarness&) = delete;
    RegistryHarness& operator=(const RegistryHarness&) = delete;

    void writeFirmware(const std::string& name, const std::string& bytes)
    {
        std::ofstream(folder / name, std::ios::binary) << bytes;
    }

    // The first byte of each upload, in order: which image went to the card.
    std::string uploads() const
    {
        std::string images;
        for (const auto& [address, value] : bus.cardWrites())
            if (address == 0)
                images.push_back(static_cast<char>(value));
        return images;
    }

    int searches() const
    {
        int count = 0;
        for (const auto& title : view.titles)
            count += title == "Linux: QOR DMX TINCTARA: ..... searching interface ...";
        return count;
    }

    static std::filesystem::path temporaryFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tinctara-dmx-XXXXXX").string();
        return ::mkdtemp(pattern.data());
    }

    ShowModel& model = *modelStorage;
    std::filesystem::path folder = temporaryFolder();
    InterfaceView view;
    ScriptedUser user;
    FakeTimer timer;
    RecordingPortBus bus{0x120};
    RecordingUsbLibrary usb;
    SteppingClock clock;
    FakeSystemInfo system;
    FakeMainWindow window;
    MessageTable messages{};
    int ticks = 0;
    RecordingCardLibrary cardLibrary;
    DmxSender sender{SenderDevices{usb, cardLibrary}};
    InterfaceRegistry registry{
        model, view,     user,
        timer, messages, InterfaceHardware{bus, usb, clock, folder.string(), nullptr, nullptr, &sender}};
    // The main window's init command searches through the registry.
    FakeShowCommands commands;
    FakeSettingsStore settings;
    MainWindowPresenter mainWindow{{model, view, user, timer, window, commands, registry, settings, system, messages,
                                    folder.string(), [this] { ++ticks; }}};
};

}  // namespace tinctara::testing
