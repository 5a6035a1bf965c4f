#pragma once

#include "model/ShowFlags.h"

#include <cstdint>

namespace tinctara {

// The windows the main window opens.
enum class WindowKind {
    Wall,
    Colour,
    Sequencer,
    DmxTest,
    Patch,
    Options,
    NewWall,
    Info,
    MemoryCard,
    InterfaceSelection,
    Effects,
    DmxInput,
};

// Left, top, width, height (twips as the settings file keeps them) and the
// window state (0 normal, 1 minimised, 2 maximised).
struct WindowPlacement {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t state = 0;
};

// What the main window's logic asks of the main window itself.
class MainWindowView {
public:
    virtual ~MainWindowView() = default;
    virtual void setDmxStartStopVisible(bool visible) = 0;
    virtual void applyPlacement(const WindowPlacement& placement) = 0;
    virtual WindowPlacement currentPlacement() const = 0;
    virtual void openWindow(WindowKind window) = 0;
    // Starts the ordinary close, which asks about unsaved work.
    virtual void closeMainWindow() = 0;
};

// The show-file commands the main window runs: load and save one document
// kind (quietly with the current name while SilentFileOp is set), and the
// sequencer's play command. Each returns false when it failed.

class ShowCommands {
public:
    virtual ~ShowCommands() = default;
    virtual bool load(DocumentKind kind) = 0;
    virtual bool save(DocumentKind kind) = 0;
    virtual void play() = 0;
};

}  // namespace tinctara

namespace tinctara {

// What other windows ask of the main window's logic.
class MainWindowCommands {
public:
    virtual ~MainWindowCommands() = default;
    // True when the user chose Cancel.
    virtual bool ConfirmUnsaved(DocumentKind kind) = 0;
    virtual bool SaveINI() = 0;
};

}  // namespace tinctara
