// Feeds arbitrary bytes to one show-file loader, on a show that already holds
// a wall and a short sequence, then runs a few output ticks over what was
// loaded. Any crash, leak or out-of-bounds access is a finding.
#include "files/ShowFiles.h"
#include "engine/OutputEngine.h"
#include "model/ShowModel.h"
#include "model/WallBuilder.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

using namespace tinctara;

class SilentUser : public UserInteraction {
public:
    // The first button: Yes to the import questions, so the import runs too.
    MessageAnswer messageBox(const std::string&, const std::string&, MessageButtons buttons, MessageIcon) override
    {
        return buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel ? MessageAnswer::Yes
                                                                                          : MessageAnswer::Ok;
    }
    void beep() override {}
    void setBusyPointer(bool) override {}
    std::optional<std::string> openFileDialog(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> saveFileDialog(const FileDialogRequest&) override { return std::nullopt; }
    void processEvents() override {}
};

class Timer : public OutputTimer {
public:
    void setEnabled(bool on) override { enabled = on; }
    bool isEnabled() const override { return enabled; }
    bool enabled = false;
};

class NoPorts : public PortIo {
public:
    std::uint8_t readPort(std::uint32_t) override { return 0xFF; }
    void writePort(std::uint32_t, std::uint8_t) override {}
};

class NoUsb : public UsbDmxLibrary {
public:
    std::int32_t hardCommand(std::int32_t, std::int32_t, std::uint8_t*) override { return 0; }
};

class NoCard : public DmxCardLibrary {
public:
    std::int32_t dmxSend(std::int32_t&, const std::uint32_t*) override { return 0; }
    std::int32_t dmxSend2(std::int32_t&, const std::uint32_t*) override { return 0; }
};

const std::string& inputPath()
{
    static const std::string path = [] {
        const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(folder) + "/tinctara-fuzz-" + std::to_string(getpid()) + ".show";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (std::FILE* file = std::fopen(inputPath().c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    } else {
        return 0;
    }

    auto model = std::make_unique<ShowModel>();
    initialiseAtStartUp(*model);
    ShowView view;
    SilentUser user;
    Timer timer;
    model->WallColumns = 3;
    model->WallRows = 3;
    model->ElementWidth = 600;
    model->ElementHeight = 1200;
    BuildWall(*model, view, user, WallBuildKind::FromConfiguration);
    model->StepCount = 2;
    model->CurrentStep = 1;
    model->setState(StateFlag::SequencePresent);

    ShowFileContext context{*model, view, user, timer, "/nonexistent"};
    model->setState(StateFlag::SilentFileOp);
#if defined(TINCTARA_FUZZ_LOADER_configuration)
    model->ConfigFileName = inputPath();
    LoadConfiguration(context);
#elif defined(TINCTARA_FUZZ_LOADER_scene)
    model->SceneFileName = inputPath();
    LoadScene(context);
#elif defined(TINCTARA_FUZZ_LOADER_sequence)
    model->SequenceFileName = inputPath();
    LoadSequence(context);
#elif defined(TINCTARA_FUZZ_LOADER_colour_table)
    model->ColourTableFileName = inputPath();
    LoadColourTable(context);
#endif
    model->clearState(StateFlag::SilentFileOp);

    NoPorts ports;
    NoUsb usb;
    NoCard card;
    OutputEngine engine(*model, view, timer, OutputDevices{ports, usb, card});
    model->InterfaceType = Interface::UsbInterface;
    model->setState(StateFlag::SequencePlaying);
    for (int tick = 0; tick < 3; ++tick)
        engine.AutoXmit();
    return 0;
}
