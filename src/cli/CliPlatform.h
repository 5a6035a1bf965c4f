#pragma once

#include "platform/Environment.h"
#include "platform/OutputTimer.h"
#include "platform/PortIo.h"
#include "platform/ShowView.h"
#include "platform/UserInteraction.h"

#include <array>
#include <cstdint>
#include <map>
#include <ostream>
#include <string>

namespace tinctara::cli {

// One line of program text for the terminal: a carriage return or line feed
// inside it becomes the two characters "\r" or "\n", so every text stays on
// one line.
std::string escaped(std::string_view text);

// Prints what the show would put in status lines and the title bar, and keeps
// the sequencer's fields, which the sequence saver and STOP read back.
class CliView : public ShowView {
public:
    explicit CliView(std::ostream& out) : out_(out) {}

    void setTitle(std::string_view text) override { print("title: ", text); }
    void setSequencerLabel(std::string_view text) override
    {
        sequencerLabel = text;
        print("status: ", text);
    }
    void setWallStatus(std::string_view text) override
    {
        wallStatus = text;
        print("status: ", text);
    }
    void setColourWindowStatus(std::string_view text) override { print("status: ", text); }
    void setSequencerField(int index, std::string_view text) override;
    std::string sequencerFieldText(int index) const override;

    // Off while ticks run: the sequencer's hold and blend counts change every tick.
    bool printing = true;
    // What the wall's and the sequencer's status lines say now, for the replies to show actions.
    std::string wallStatus;
    std::string sequencerLabel;

private:
    void print(const char* kind, std::string_view text);

    std::ostream& out_;
    std::array<std::string, 3> fields_{"", "50", "1"};
};

// Answers every question the way that lets a load go on; import questions
// as told on the command line. Dialogs are never needed: every command runs
// with the current file name, as at start-up.
class CliUser : public UserInteraction {
public:
    CliUser(std::ostream& out, bool importAnswer) : out_(out), import_(importAnswer) {}

    MessageAnswer messageBox(const std::string& text, const std::string& title, MessageButtons buttons,
                             MessageIcon icon) override;
    void beep() override {}
    void setBusyPointer(bool) override {}
    std::optional<std::string> openFileDialog(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> saveFileDialog(const FileDialogRequest&) override { return std::nullopt; }
    void processEvents() override {}

private:
    std::ostream& out_;
    bool import_;
};

class CliTimer : public OutputTimer {
public:
    void setEnabled(bool enabled) override { enabled_ = enabled; }
    bool isEnabled() const override { return enabled_; }

private:
    bool enabled_ = false;
};

// The command-line front end is never a second copy of the program.
class CliSystemInfo : public SystemInfo {
public:
    std::uint32_t osVersion() override { return 0x0A; }
    bool previousInstanceRunning() override { return false; }
    bool openDocument(const std::string&) override { return false; }
};

// The per-user settings store, in memory for as long as the command runs.
class MemorySettings : public SettingsStore {
public:
    std::string read(const std::string& application, const std::string& section, const std::string& key,
                     const std::string& defaultValue) override
    {
        const auto found = values_.find(application + "/" + section + "/" + key);
        return found == values_.end() ? defaultValue : found->second;
    }
    void write(const std::string& application, const std::string& section, const std::string& key,
               const std::string& value) override
    {
        values_[application + "/" + section + "/" + key] = value;
    }

private:
    std::map<std::string, std::string> values_;
};

}  // namespace tinctara::cli
