#include "windows/InterfaceSelectionPresenter.h"

#include "dmx/OutputPort.h"

#include <charconv>

namespace tinctara {

namespace {

constexpr int KeyTab = 9;

bool isNetwork(InterfaceKind type) { return type == Interface::SacnNetwork || type == Interface::ArtNetNetwork; }

std::size_t networkIndex(InterfaceKind type) { return type == Interface::SacnNetwork ? 0 : 1; }

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A whole number; -1 for text that is none, which the settings check refuses.
int fieldNumber(const std::string& text)
{
    const std::string digits = trimmed(text);
    int value = 0;
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return result.ec == std::errc() && result.ptr == digits.data() + digits.size() ? value : -1;
}

}  // namespace

InterfaceSelectionPresenter::InterfaceSelectionPresenter(InterfaceSelectionServices services,
                                                         InterfaceSelectionView& view)
    : services_(services), view_(view)
{
}

// The dialog opens on the first tab, showing it as a click would, with the
// general hint of the message file in the text label.
void InterfaceSelectionPresenter::Form_Load()
{
    for (const InterfaceKind type : {Interface::SacnNetwork, Interface::ArtNetNetwork}) {
        const NetworkDmxSettings stored = readNetworkSettings(services_.settings, type);
        auto& fields = networkFields_[networkIndex(type)];
        fields[DestinationField] = stored.destination;
        fields[UniverseField] = std::to_string(stored.universe);
        fields[PriorityField] = std::to_string(stored.priority);
        fields[SourceNameField] = stored.sourceName;
    }
    view_.setLabel(3, AvailableCaption);
    view_.setLabel(4, OkHint);
    showTab(1);
    view_.setLabel(2, services_.interfaces.messages()[121]);
}

void InterfaceSelectionPresenter::tabs_ifselect_Click(int tab)
{
    if (tab < 1 || tab > Tabs)
        return;
    showTab(tab);
}

void InterfaceSelectionPresenter::showTab(int tab)
{
    selectedTab_ = tab;
    view_.selectTab(tab);
    const InterfaceKind type = TabInfo[tab - 1].type;
    if (isNetwork(type)) {
        showNetworkTab(type);
        return;
    }
    view_.showNetworkFields(false, false);
    const MessageTable& messages = services_.interfaces.messages();
    const std::string& folder = services_.interfaces.programFolder();
    view_.setLabel(3, messages[138]);
    switch (tab) {
    case 1:
        view_.setLabel(1, messages[127]);
        view_.setLabel(2, messages[services_.interfaces.cardIs7301A() ? 119 : 120]);
        view_.showPicture(folder + "/7301b.jpg");
        break;
    case 2:
        view_.setLabel(1, messages[128]);
        view_.setLabel(2, messages[121]);
        view_.showPicture(folder + "/7301c.jpg");
        break;
    default:
        if (services_.interfaces.usbIsLink2()) {
            view_.setLabel(1, messages[130]);
            view_.setLabel(2, messages[123]);
            view_.showPicture(folder + "/usblnk2.jpg");
        } else {
            view_.setLabel(1, messages[129]);
            view_.setLabel(2, messages[122]);
            view_.showPicture(folder + "/usbdmx1.jpg");
        }
        break;
    }
    view_.setLabel(3, messages[services_.interfaces.isPresent(type) ? 136 : 137]);
}

void InterfaceSelectionPresenter::showNetworkTab(InterfaceKind type)
{
    const bool sacn = type == Interface::SacnNetwork;
    view_.setLabel(1, sacn ? "sACN (ANSI E1.31)" : "Art-Net 4");
    view_.setLabel(2, sacn ? "DMX512 über Ethernet als Streaming ACN: ein Universum per UDP an die Multicast-Adresse "
                             "des Universums oder an einen Empfänger, alle 50 ms ein Paket."
                           : "DMX512 über Ethernet als Art-Net: ArtDmx an einen Knoten oder als Broadcast ins "
                             "Netz, alle 50 ms ein Paket.");
    view_.showPicture("");
    const auto& fields = networkFields_[networkIndex(type)];
    view_.showNetworkFields(true, sacn);
    for (int field = 0; field < NetworkFields; ++field)
        view_.setNetworkField(field, fields[static_cast<std::size_t>(field)]);
    const InterfaceRegistry& interfaces = services_.interfaces;
    view_.setLabel(3, interfaces.isPresent(type) ? interfaces.statusText(type)
                                                 : "Wird mit OK und diesen Einstellungen geöffnet.");
}

void InterfaceSelectionPresenter::txtNetwork_Change(int field, std::string_view text)
{
    const InterfaceKind type = TabInfo[selectedTab_ - 1].type;
    if (!isNetwork(type) || field < 0 || field >= NetworkFields)
        return;
    networkFields_[networkIndex(type)][static_cast<std::size_t>(field)] = text;
}

bool InterfaceSelectionPresenter::applyNetworkFields(InterfaceKind type)
{
    NetworkDmxSettings values = readNetworkSettings(services_.settings, type);
    const auto& fields = networkFields_[networkIndex(type)];
    values.destination = trimmed(fields[DestinationField]);
    values.universe = fieldNumber(fields[UniverseField]);
    if (type == Interface::SacnNetwork) {
        values.priority = fieldNumber(fields[PriorityField]);
        values.sourceName = fields[SourceNameField];
    }
    if (const std::string problem = checkNetworkSettings(type, values); !problem.empty()) {
        view_.setLabel(3, problem);
        return false;
    }
    writeNetworkSettings(services_.settings, type, values);
    return true;
}

void InterfaceSelectionPresenter::tabs_ifselect_KeyDown(int keyCode, bool control)
{
    if (keyCode == KeyTab && control)
        showTab(selectedTab_ % Tabs + 1);
}

void InterfaceSelectionPresenter::cmdOK_Click()
{
    ShowModel& model = services_.model;
    InterfaceRegistry& interfaces = services_.interfaces;
    const InterfaceKind type = TabInfo[selectedTab_ - 1].type;
    if (isNetwork(type) && !applyNetworkFields(type))
        return;  // the dialog stays open with the reason
    model.InterfaceType = type;
    interfaces.ActiveInterface = interfaces.isPresent(type) ? type : Interface::NoInterface;
    services_.settings.write("TINCTARA", "Interface", "Type", std::to_string(kindNumber(type)));
    const OutputPort& port = portFor(type);
    services_.window.setDmxStartStopVisible(port.takesTimingBlock());
    if (port.searchedWhenChosen())
        interfaces.OpenPort(type);
    // A network kind is present once its socket is open.
    if (isNetwork(type))
        interfaces.ActiveInterface = interfaces.isPresent(type) ? type : Interface::NoInterface;
    services_.timer.setEnabled(true);
    services_.view.setTitle(model.OsName + ": " + interfaces.statusText(model.InterfaceType));
    view_.closeDialog();
}

void InterfaceSelectionPresenter::cmdCancel_Click() { view_.closeDialog(); }

}  // namespace tinctara
