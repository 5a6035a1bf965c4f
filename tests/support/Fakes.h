#pragma once

#include "model/ShowFlags.h"
#include "platform/DmxLibraries.h"
#include "platform/OutputTimer.h"
#include "platform/PortIo.h"
#include "platform/ShowView.h"
#include "platform/UserInteraction.h"

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace tinctara {
// Kinds in test messages by their number.
inline std::ostream& operator<<(std::ostream& out, InterfaceKind kind) { return out << "kind " << kindNumber(kind); }
}  // namespace tinctara

namespace tinctara::testing {

// Records everything the core shows.
class RecordingView : public ShowView {
public:
    void setTitle(std::string_view text) override { titles.emplace_back(text); }
    void showElementColour(int index, Rgb colour) override
    {
        elementColours[index] = colour;
        repaintedElements.push_back(index);
    }
    void removeWallCells() override
    {
        ++wallRemovals;
        cells.clear();
    }
    void addWallCell(const WallCell& cell) override { cells.push_back(cell); }
    void setWallCaption(std::string_view caption) override { wallCaption = caption; }
    void setWallWindowSize(double width, double height) override { wallSize = {width, height}; }
    void placeWallWindowFromPositions() override { ++wallPlacedFromPositions; }
    void setSequencerLabel(std::string_view text) override { labels.emplace_back(text); }
    void setSequencerField(int index, std::string_view text) override { sequencerFields.at(index) = text; }
    void setMonitorValue(int row, int level) override { monitorValues.at(row) = level; }
    void setTestWindowLook(const TestWindowLook& look) override { testLooks.push_back(look); }
    void setChildWindowEnabled(ChildWindow window, bool enabled) override
    {
        childWindowCalls.emplace_back(window, enabled);
    }
    void setDmxStartStopChecked(bool start, bool stop) override { dmxChecks.emplace_back(start, stop); }
    std::string sequencerFieldText(int index) const override { return sequencerFields.at(index); }
    void setSequencerCaption(std::string_view caption) override { sequencerCaption = caption; }
    void setSequencerTimeFieldsEnabled(bool enabled) override { timeFieldsEnabled.push_back(enabled); }
    void setSequencerTurboField(std::string_view text) override { turboField = text; }
    void setWallStatus(std::string_view text) override { wallStatus.emplace_back(text); }
    void focusWallWindow() override { ++wallFocused; }
    void showWallWindow() override { ++wallShown; }
    void setWallCellEnabled(int index, bool enabled, std::string_view caption) override
    {
        cellStates[index] = {enabled, std::string(caption)};
    }
    void showElementSelected(int index, bool selected) override { selectedLook[index] = selected; }
    void popUpEditMenu() override { ++editMenuPopUps; }
    void bringPatchWindowUp() override { ++patchWindowRaises; }
    void refreshPatchWindow() override { ++patchWindowRefreshes; }
    void setColourWindowCaption(std::string_view caption) override { colourWindowCaption = caption; }
    void setColourWindowStatus(std::string_view text) override { colourWindowStatus = text; }
    void showUserColours() override { ++userColourRedraws; }

    std::string lastTitle() const { return titles.empty() ? std::string() : titles.back(); }
    std::string lastLabel() const { return labels.empty() ? std::string() : labels.back(); }

    std::vector<std::string> titles;
    std::vector<std::string> labels;
    std::array<std::string, 3> sequencerFields;
    std::map<int, Rgb> elementColours;
    std::vector<int> repaintedElements;
    std::vector<WallCell> cells;
    int wallRemovals = 0;
    std::string wallCaption;
    std::pair<double, double> wallSize{0, 0};
    int wallPlacedFromPositions = 0;
    std::array<int, 8> monitorValues{-1, -1, -1, -1, -1, -1, -1, -1};
    std::vector<TestWindowLook> testLooks;
    std::vector<std::pair<ChildWindow, bool>> childWindowCalls;
    std::vector<std::pair<bool, bool>> dmxChecks;
    std::string sequencerCaption;
    std::vector<bool> timeFieldsEnabled;
    std::string turboField;
    std::vector<std::string> wallStatus;
    int wallFocused = 0;
    int wallShown = 0;
    std::map<int, std::pair<bool, std::string>> cellStates;
    std::map<int, bool> selectedLook;  // the last look each cell was given
    int editMenuPopUps = 0;
    int patchWindowRefreshes = 0;
    int patchWindowRaises = 0;
    std::string colourWindowCaption;
    std::string colourWindowStatus;
    int userColourRedraws = 0;
};

struct ShownMessage {
    std::string text;
    std::string title;
    MessageButtons buttons;
    MessageIcon icon;
};

// Answers message boxes and dialogs from a script and records what was asked.
class ScriptedUser : public UserInteraction {
public:
    MessageAnswer messageBox(const std::string& text, const std::string& title, MessageButtons buttons,
                             MessageIcon icon) override;
    void beep() override { ++beeps; }
    void setBusyPointer(bool busy) override { busyPointer.push_back(busy); }
    std::optional<std::string> openFileDialog(const FileDialogRequest& request) override;
    std::optional<std::string> saveFileDialog(const FileDialogRequest& request) override;
    void processEvents() override { ++eventRounds; }

    std::deque<MessageAnswer> answers;                     // empty: the first button's answer
    std::deque<std::optional<std::string>> dialogResults;  // empty: cancelled
    std::vector<ShownMessage> messages;
    std::vector<FileDialogRequest> dialogs;
    std::vector<bool> busyPointer;
    int beeps = 0;
    int eventRounds = 0;
};

class FakeTimer : public OutputTimer {
public:
    void setEnabled(bool on) override
    {
        enabled = on;
        history.push_back(on);
    }
    bool isEnabled() const override { return enabled; }
    void pauseTicks() override
    {
        setEnabled(false);
        ++pauses;
    }

    bool enabled = false;
    std::vector<bool> history;
    int pauses = 0;  // how many of the disables kept the wire
};

// A port bus with one ISA card's address latch and 64 KB of card memory at a
// base port, recording every access in order.
class RecordingPortBus : public PortIo {
public:
    struct Access {
        bool write;
        std::uint32_t port;
        std::uint8_t value;
        friend bool operator==(const Access&, const Access&) = default;
    };

    explicit RecordingPortBus(std::uint16_t cardBase = 0x120) : base(cardBase) {}

    std::uint8_t readPort(std::uint32_t port) override;
    void writePort(std::uint32_t port, std::uint8_t value) override;

    // The card-memory writes (address, value) in the order they happened.
    std::vector<std::pair<std::uint16_t, std::uint8_t>> cardWrites() const;

    std::uint16_t base;
    std::uint16_t latch = 0;
    std::vector<std::uint8_t> cardMemory = std::vector<std::uint8_t>(0x10000, 0);
    std::vector<Access> accesses;
    bool recording = true;
    // Further bases whose data port reads back the last byte written to it,
    // so that they answer the probe.
    std::vector<std::uint16_t> echoBases;
    // What the card puts at its identity byte on each run strobe of either
    // type, in order; empty: the identity byte stays as it is.
    std::deque<std::uint8_t> identities;

private:
    std::map<std::uint32_t, std::uint8_t> echoed_;
    void runStrobe();
};

class RecordingUsbLibrary : public UsbDmxLibrary {
public:
    struct Call {
        std::int32_t command;
        std::int32_t parameter;
        std::vector<std::uint8_t> buffer;  // the 512 levels for command 4, else one byte
    };
    std::int32_t hardCommand(std::int32_t command, std::int32_t parameter, std::uint8_t* buffer) override;
    std::vector<Call> calls;
    std::int32_t result = 0;
};

class RecordingCardLibrary : public DmxCardLibrary {
public:
    struct Call {
        int function;  // 1 = DMXSEND, 2 = DMXSEND2
        std::int32_t* handle;
        const std::uint32_t* frame;
    };
    std::int32_t dmxSend(std::int32_t& handle, const std::uint32_t* frame) override;
    std::int32_t dmxSend2(std::int32_t& handle, const std::uint32_t* frame) override;
    std::vector<Call> calls;
};

}  // namespace tinctara::testing
