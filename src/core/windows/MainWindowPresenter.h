#pragma once

#include "dmx/InterfaceRegistry.h"
#include "files/MessageFile.h"
#include "history/ShowEdits.h"
#include "model/ShowModel.h"
#include "platform/Environment.h"
#include "platform/OutputTimer.h"
#include "platform/ShowView.h"
#include "platform/UserInteraction.h"
#include "windows/MainWindowView.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tinctara {

struct MainWindowServices {
    ShowModel& model;
    ShowView& view;
    UserInteraction& user;
    OutputTimer& timer;
    MainWindowView& window;
    ShowCommands& commands;
    InterfaceRegistry& interfaces;
    SettingsStore& settings;
    SystemInfo& system;
    MessageTable& messages;
    std::string programFolder;
    // One output tick, run at the end of the interface search.
    std::function<void()> outputTick = {};
};

// The logic of the main window MDIHaupt: start-up, the settings file, the
// unsaved-work questions, deleting the wall, help and the orderly exit.
class MainWindowPresenter : public MainWindowCommands {
public:
    explicit MainWindowPresenter(MainWindowServices services);
    // Deleting the wall becomes an undo entry.
    void recordEdits(ShowEdits* edits) { edits_ = edits; }

    // The main window's load. False when the program must end at once.
    bool Form_Load();
    // Closing by the menu or the close box: true cancels the close.
    bool Form_QueryUnload();
    // The window really closes: keeps its placement and writes the settings file.
    void Form_Unload();

    void mnuBeenden_Click();
    void mnuWandLoeschen_Click();
    void mnuHilfe_Click();
    // "Karte &initialisieren": searches every interface kind and lets the user choose.
    void mnuDMXInit();

    // Asks about unsaved work of one kind, may save it; true means Cancel.
    bool ConfirmUnsaved(DocumentKind kind) override;

    void LoadINI();
    // False when the file could not be written (the user was told).
    bool SaveINI() override;

    std::string settingsPath() const { return services_.programFolder + "/TINCTARA.ini"; }
    std::uint32_t SavedOptions = 0;

private:
    bool checkOsVersion();
    void startInterface();
    void reloadLastFiles();
    bool confirmConfig();
    bool confirmScene();
    bool confirmSequence();
    bool confirmColourTable();
    bool saveSilently(DocumentKind kind);
    void setTitle(const std::string& text);

    MainWindowServices services_;
    ShowModel& model_;
    ShowEdits* edits_ = nullptr;
    std::uint32_t closingStateFlags_ = 0;
};

}  // namespace tinctara
