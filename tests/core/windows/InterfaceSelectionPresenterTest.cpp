#include "core/dmx/RegistryHarness.h"
#include "windows/InterfaceSelectionPresenter.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

class RecordingSelectionView : public InterfaceSelectionView {
public:
    void setLabel(int label, std::string_view text) override { labels.at(label - 1) = text; }
    void showPicture(const std::string& path) override { picture = path; }
    void selectTab(int selected) override { tab = selected; }
    void closeDialog() override { ++closes; }
    std::array<std::string, 4> labels;
    std::string picture;
    int tab = 0;
    int closes = 0;
};

struct SelectionHarness : testing::RegistryHarness {
    testing::FakeSettingsStore settings;
    RecordingSelectionView dialog;
    InterfaceSelectionPresenter presenter{{model, view, timer, registry, settings, window}, dialog};
};

TEST(InterfaceSelection, TabsShowTheirDeviceTextsPictureAndAvailability)
{
    struct Case {
        int tab;
        std::int16_t identity;
        std::int16_t usbResult;
        bool present;
        std::string heading, description, picture, availability;
    };
    const Case cases[] = {
        {1, 1, 0, true, "M127", "M120", "7301b.jpg", "M136"},
        {1, 0x80, 0, true, "M127", "M119", "7301b.jpg", "M136"},
        {2, 0, 0, false, "M128", "M121", "7301c.jpg", "M137"},
        {3, 0, 2, true, "M129", "M122", "usbdmx1.jpg", "M136"},
        {3, 0, 13, false, "M130", "M123", "usblnk2.jpg", "M137"},
    };
    for (const auto& c : cases) {
        SelectionHarness h;
        h.registry.CardIdentByte = c.identity;
        h.registry.UsbOpenResult = c.usbResult;
        h.registry.InterfacePresent[c.tab] = c.present;
        h.presenter.tabs_ifselect_Click(c.tab);
        EXPECT_EQ(h.dialog.tab, c.tab);
        EXPECT_EQ(h.dialog.labels[0], c.heading) << c.tab;
        EXPECT_EQ(h.dialog.labels[1], c.description) << c.tab;
        EXPECT_EQ(h.dialog.picture, (h.folder / c.picture).string());
        EXPECT_EQ(h.dialog.labels[2], c.availability) << c.tab;
    }
}

TEST(InterfaceSelection, OpensOnTheFirstTabWithTheGeneralHint)
{
    SelectionHarness h;
    h.registry.InterfacePresent[1] = 1;
    h.presenter.Form_Load();
    EXPECT_EQ(h.dialog.tab, 1);
    EXPECT_EQ(h.dialog.labels[0], "M127");
    EXPECT_EQ(h.dialog.labels[1], "M121");
    EXPECT_EQ(h.dialog.labels[2], "M136");
    EXPECT_EQ(h.dialog.labels[3], "To select Interface, click \"OK\". ");
}

TEST(InterfaceSelection, CtrlTabCyclesThroughTheTabs)
{
    SelectionHarness h;
    h.presenter.Form_Load();
    std::vector<int> tabs;
    for (int i = 0; i < 4; ++i) {
        h.presenter.tabs_ifselect_KeyDown(9, true);
        tabs.push_back(h.presenter.selectedTab());
    }
    EXPECT_EQ(tabs, (std::vector<int>{2, 3, 1, 2}));
    h.presenter.tabs_ifselect_KeyDown(9, false);  // Tab alone moves the focus only
    EXPECT_EQ(h.presenter.selectedTab(), 2);
}

TEST(InterfaceSelection, OkStoresTheChoiceAndOpensIt)
{
    struct Case {
        int tab;
        bool presentBefore;
        std::vector<std::uint8_t> identities;
        std::int16_t active;
        bool startStopVisible;
        std::string title;
        std::string uploads;
    };
    const Case cases[] = {
        {3, true, {}, 3, false, "Linux: TINCTARA: SUNLITE USBDMX1 Interface opened succesfully", ""},
        {3, false, {}, 0, false, "Linux: USB DMX Interface not found", ""},
        {2, false, {5}, 0, false, "Linux: TINCTARA: KELVARTECH 7301C card found at address120h", "C"},
        {1, true, {0x80}, 1, true, "Linux: 7301A / 7301B-LC card found at address 120h", "A"},
    };
    for (const auto& c : cases) {
        SelectionHarness h;
        h.usb.result = c.presentBefore ? 1 : 0;
        h.registry.OpenPort(Interface::UsbInterface);
        h.registry.InterfacePresent[c.tab] = c.presentBefore;
        h.bus.identities.assign(c.identities.begin(), c.identities.end());
        h.presenter.tabs_ifselect_Click(c.tab);
        h.presenter.cmdOK_Click();
        EXPECT_EQ(h.settings.values["TINCTARA/Interface/Type"], std::to_string(c.tab));
        EXPECT_EQ(h.model.InterfaceType, c.tab);
        EXPECT_EQ(h.registry.ActiveInterface, c.active) << c.tab;
        EXPECT_EQ(h.window.dmxStartStopVisible, std::vector<bool>{c.startStopVisible});
        EXPECT_EQ(h.uploads(), c.uploads) << "the card kinds are searched again";
        EXPECT_TRUE(h.timer.enabled) << "even a kind that was not found";
        EXPECT_EQ(h.view.lastTitle(), c.title);
        EXPECT_EQ(h.dialog.closes, 1);
    }
}

}  // namespace
}  // namespace tinctara
