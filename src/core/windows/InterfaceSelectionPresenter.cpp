#include "windows/InterfaceSelectionPresenter.h"

namespace tinctara {

namespace {

constexpr int KeyTab = 9;

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
    view_.setLabel(3, messages[services_.interfaces.isPresent(tab) ? 136 : 137]);
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
    const auto type = static_cast<std::int16_t>(selectedTab_);
    model.InterfaceType = type;
    interfaces.ActiveInterface = interfaces.isPresent(type) ? type : 0;
    services_.settings.write("TINCTARA", "Interface", "Type", std::to_string(type));
    switch (type) {
    case Interface::IsaCard7301AB:
        services_.window.setDmxStartStopVisible(true);
        interfaces.OpenPort(type);
        break;
    case Interface::IsaCard7301C:
        services_.window.setDmxStartStopVisible(false);
        interfaces.OpenPort(type);
        break;
    default:
        services_.window.setDmxStartStopVisible(false);
        break;
    }
    services_.timer.setEnabled(true);
    services_.view.setTitle(model.OsName + ": " + interfaces.statusText(model.InterfaceType));
    view_.closeDialog();
}

void InterfaceSelectionPresenter::cmdCancel_Click()
{
    view_.closeDialog();
}

}  // namespace tinctara
