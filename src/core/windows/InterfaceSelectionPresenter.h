#pragma once

#include "dmx/InterfaceRegistry.h"
#include "model/ShowModel.h"
#include "platform/Environment.h"
#include "platform/OutputTimer.h"
#include "platform/ShowView.h"
#include "windows/MainWindowView.h"

#include <string>
#include <string_view>

namespace tinctara {

// What the interface selection dialog shows.
class InterfaceSelectionView {
public:
    virtual ~InterfaceSelectionView() = default;
    // Label1 .. Label4.
    virtual void setLabel(int label, std::string_view text) = 0;
    // The photograph of the device; the view shows an empty frame when the file cannot be read.
    virtual void showPicture(const std::string& path) = 0;
    // Tab 1 .. 3 (the interface type).
    virtual void selectTab(int tab) = 0;
    virtual void closeDialog() = 0;
};

struct InterfaceSelectionServices {
    ShowModel& model;
    ShowView& view;
    OutputTimer& timer;
    InterfaceRegistry& interfaces;
    SettingsStore& settings;
    MainWindowView& window;
};

// frmIFS: one tab per interface kind with its photograph, its texts from the
// message file and whether the search found it; OK stores and opens the kind.
class InterfaceSelectionPresenter {
public:
    static constexpr int Tabs = 3;
    struct Tab {
        const char* caption;
        const char* toolTip;
    };
    static constexpr Tab TabInfo[Tabs] = {
        {"7301B", "7301B ISA PC Interface Card"},
        {"7301C", "7301C ISA PC Interface Card"},
        {"USB", "USB DMX512 Interfaces"},
    };
    static constexpr const char* Caption = "   DMX512 Interfaces";
    static constexpr const char* FrameCaption = "KVT  DMX512  PC Interface";
    static constexpr const char* TabsToolTip = "Select Interface for DMX Output";
    static constexpr const char* AvailableCaption = "THIS INTERFACE IS AVAILABLE.";
    static constexpr const char* OkHint = "To select Interface, click \"OK\". ";

    InterfaceSelectionPresenter(InterfaceSelectionServices services, InterfaceSelectionView& view);

    void Form_Load();
    void tabs_ifselect_Click(int tab);
    // Ctrl+Tab moves to the next tab, after the last to the first.
    void tabs_ifselect_KeyDown(int keyCode, bool control);
    void cmdOK_Click();
    void cmdCancel_Click();

    int selectedTab() const { return selectedTab_; }

private:
    void showTab(int tab);

    InterfaceSelectionServices services_;
    InterfaceSelectionView& view_;
    int selectedTab_ = 1;
};

}  // namespace tinctara
