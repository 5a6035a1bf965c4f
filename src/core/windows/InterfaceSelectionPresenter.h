#pragma once

#include "dmx/InterfaceRegistry.h"
#include "dmx/NetworkOutput.h"
#include "model/ShowModel.h"
#include "platform/Environment.h"
#include "platform/OutputTimer.h"
#include "platform/ShowView.h"
#include "windows/MainWindowView.h"

#include <array>
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
    // Tab 1 .. Tabs, in the order of TabInfo.
    virtual void selectTab(int tab) = 0;
    // The settings of a network kind (txtNetwork 0..3: destination, universe,
    // priority, source name); shown on the network tabs only, priority and
    // source name for sACN only.
    virtual void showNetworkFields(bool visible, bool sacn) = 0;
    virtual void setNetworkField(int field, std::string_view text) = 0;
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
    static constexpr int Tabs = 5;
    struct Tab {
        const char* caption;
        const char* toolTip;
        InterfaceKind type;
    };
    static constexpr Tab TabInfo[Tabs] = {
        {"7301B", "7301B ISA PC Interface Card", Interface::IsaCard7301AB},
        {"7301C", "7301C ISA PC Interface Card", Interface::IsaCard7301C},
        {"USB", "USB DMX512 Interfaces", Interface::UsbInterface},
        {"sACN", "sACN (E1.31): DMX512 über Ethernet", Interface::SacnNetwork},
        {"Art-Net", "Art-Net 4: DMX512 über Ethernet", Interface::ArtNetNetwork},
    };
    enum NetworkField { DestinationField, UniverseField, PriorityField, SourceNameField, NetworkFields };
    static constexpr const char* NetworkLabels[2][NetworkFields] = {
        {"Zieladresse (leer: Multicast des Universums) :", "Universum (1-63999) :", "Priorität (0-200) :",
         "Quellname :"},
        {"Zieladresse (leer: Broadcast des Netzes) :", "Port-Address (0-32767) :", "", ""},
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
    void txtNetwork_Change(int field, std::string_view text);

    int selectedTab() const { return selectedTab_; }

private:
    void showTab(int tab);
    void showNetworkTab(InterfaceKind type);
    // Applies the fields of a network tab; false (and the reason shown) when
    // they cannot be used.
    bool applyNetworkFields(InterfaceKind type);

    InterfaceSelectionServices services_;
    InterfaceSelectionView& view_;
    int selectedTab_ = 1;
    // The field texts of the sACN and the Art-Net tab.
    std::array<std::array<std::string, NetworkFields>, 2> networkFields_;
};

}  // namespace tinctara
