#pragma once

// Platform stand-ins for the benchmarks: they answer at once and keep nothing,
// so only the program's own work is measured.
#include "model/ShowModel.h"
#include "model/WallBuilder.h"
#include "platform/DmxLibraries.h"
#include "platform/OutputTimer.h"
#include "platform/UserInteraction.h"

#include <memory>

namespace tinctara::bench {

class QuietUser : public UserInteraction {
public:
    MessageAnswer messageBox(const std::string&, const std::string&, MessageButtons, MessageIcon) override
    {
        return MessageAnswer::Ok;
    }
    void beep() override {}
    void setBusyPointer(bool) override {}
    std::optional<std::string> openFileDialog(const FileDialogRequest&) override { return {}; }
    std::optional<std::string> saveFileDialog(const FileDialogRequest&) override { return {}; }
    void processEvents() override {}
};

class QuietTimer : public OutputTimer {
public:
    void setEnabled(bool on) override { enabled_ = on; }
    bool isEnabled() const override { return enabled_; }

private:
    bool enabled_ = false;
};

class QuietUsb : public UsbDmxLibrary {
public:
    std::int32_t hardCommand(std::int32_t, std::int32_t, std::uint8_t*) override { return 0; }
};

class QuietCardLibrary : public DmxCardLibrary {
public:
    std::int32_t dmxSend(std::int32_t&, const std::uint32_t*) override { return 0; }
    std::int32_t dmxSend2(std::int32_t&, const std::uint32_t*) override { return 0; }
};

// A show as at start-up with an 11 x 11 wall: the largest the program builds.
inline std::unique_ptr<ShowModel> largestWall(ShowView& view, UserInteraction& user)
{
    auto model = std::make_unique<ShowModel>();
    initialiseAtStartUp(*model);
    model->WallColumns = 11;
    model->WallRows = 11;
    model->ElementWidth = 600;
    model->ElementHeight = 1200;
    BuildWall(*model, view, user, WallBuildKind::NewOrEdited);
    return model;
}

}  // namespace tinctara::bench
