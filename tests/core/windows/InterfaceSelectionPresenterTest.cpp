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
    void showNetworkFields(bool visible, bool sacn) override { networkFields = visible ? (sacn ? 6 : 7) : 0; }
    void setNetworkField(int field, std::string_view text) override { networkTexts.at(field) = text; }
    std::array<std::string, 4> labels;
    int networkFields = -1;
    std::array<std::string, 4> networkTexts;
    std::string picture;
    int tab = 0;
    int closes = 0;
};

class RecordingSocketForDialog : public DatagramSocket {
public:
    bool open(std::uint32_t, std::uint16_t, std::string&) override { return ++opens > 0; }
    bool send(const std::uint8_t*, std::size_t) override { return true; }
    void close() override {}
    std::uint32_t directedBroadcast() override { return 0; }
    int opens = 0;
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
        h.registry.InterfacePresent[InterfaceSelectionPresenter::TabInfo[c.tab - 1].type] = c.present;
        h.presenter.tabs_ifselect_Click(c.tab);
        EXPECT_EQ(h.dialog.tab, c.tab);
        EXPECT_EQ(h.dialog.labels[0], c.heading) << c.tab;
        EXPECT_EQ(h.dialog.labels[1], c.description) << c.tab;
        EXPECT_EQ(h.dialog.picture, (h.folder / c.picture).string());
        EXPECT_EQ(h.dialog.labels[2], c.availability) << c.tab;
        EXPECT_EQ(h.dialog.networkFields, 0);
    }
}

// The network tabs show their stored settings; OK applies what was typed,
// stores it beside "Type" and opens the kind, or names what cannot be used.
TEST(InterfaceSelection, NetworkTabsEditStoreAndOpenTheirSettings)
{
    struct Case {
        int tab;
        std::vector<std::pair<int, std::string>> typed;
        std::string storedType;
        std::string status;  // label 3 when refused, else the title
    };
    const Case cases[] = {
        {4,
         {{0, " 127.0.0.1 "}, {1, "12"}, {2, "150"}, {3, "Bühne links"}},
         "6",
         "Linux: TINCTARA: sACN (E1.31) Universe 12 -> 127.0.0.1 opened"},
        {4, {{1, "64000"}}, "", "sACN-Universum muss zwischen 1 und 63999 liegen"},
        {4, {{2, "hoch"}}, "", "sACN-Priorität muss zwischen 0 und 200 liegen"},
        {5, {{0, "127.0.0.1"}, {1, "291"}}, "7", "Linux: TINCTARA: Art-Net Port-Address 1:2:3 -> 127.0.0.1 opened"},
        {5, {{0, "127.0.0"}}, "", "Zieladresse \"127.0.0\" ist keine IPv4-Adresse"},
    };
    for (const auto& c : cases) {
        SelectionHarness h;
        h.settings.values["TINCTARA/Interface/SacnUniverse"] = "5";
        RecordingSocketForDialog socket;
        NetworkOutput output(socket);
        InterfaceRegistry registry{
            h.model, h.view,     h.user,
            h.timer, h.messages, InterfaceHardware{h.bus, h.usb, h.clock, h.folder.string(), &output, &h.settings}};
        InterfaceSelectionPresenter presenter{{h.model, h.view, h.timer, registry, h.settings, h.window}, h.dialog};
        presenter.Form_Load();
        presenter.tabs_ifselect_Click(c.tab);
        EXPECT_EQ(h.dialog.networkFields, c.tab == 4 ? 6 : 7);
        EXPECT_EQ(h.dialog.picture, "");
        if (c.tab == 4) {
            EXPECT_EQ(h.dialog.networkTexts, (std::array<std::string, 4>{"", "5", "100", "Tinctara"}));
        }
        for (const auto& [field, text] : c.typed)
            presenter.txtNetwork_Change(field, text);
        presenter.cmdOK_Click();
        const auto type = h.settings.values.find("TINCTARA/Interface/Type");
        EXPECT_EQ(type == h.settings.values.end() ? "" : type->second, c.storedType);
        if (c.storedType.empty()) {
            EXPECT_EQ(h.dialog.labels[2], c.status);
            EXPECT_EQ(h.dialog.closes, 0) << "the dialog stays open";
            EXPECT_EQ(socket.opens, 0);
            continue;
        }
        EXPECT_EQ(h.view.lastTitle(), c.status);
        EXPECT_EQ(kindNumber(h.model.InterfaceType), std::stoi(c.storedType));
        EXPECT_EQ(registry.ActiveInterface, h.model.InterfaceType);
        EXPECT_EQ(h.window.dmxStartStopVisible, std::vector<bool>{false});
        EXPECT_EQ(h.dialog.closes, 1);
        EXPECT_EQ(socket.opens, 1);
    }
    SelectionHarness h;
    h.settings.values["TINCTARA/Interface/SacnSourceName"] = "Saal";
    InterfaceSelectionPresenter presenter{{h.model, h.view, h.timer, h.registry, h.settings, h.window}, h.dialog};
    presenter.Form_Load();
    presenter.tabs_ifselect_Click(4);
    presenter.txtNetwork_Change(0, "127.0.0.1");
    presenter.cmdOK_Click();
    EXPECT_EQ(h.settings.values["TINCTARA/Interface/SacnSourceName"], "Saal") << "kept as stored";
    EXPECT_EQ(h.settings.values["TINCTARA/Interface/SacnDestination"], "127.0.0.1");
    EXPECT_EQ(h.view.lastTitle(), "Linux: sACN (E1.31) Interface not ready") << "a registry without a sender";
}

TEST(InterfaceSelection, OpensOnTheFirstTabWithTheGeneralHint)
{
    SelectionHarness h;
    h.registry.InterfacePresent[Interface::IsaCard7301AB] = 1;
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
    EXPECT_EQ(tabs, (std::vector<int>{2, 3, 4, 5}));
    h.presenter.tabs_ifselect_KeyDown(9, true);
    EXPECT_EQ(h.presenter.selectedTab(), 1);
    h.presenter.tabs_ifselect_KeyDown(9, false);  // Tab alone moves the focus only
    EXPECT_EQ(h.presenter.selectedTab(), 1);
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
        h.registry.InterfacePresent[InterfaceSelectionPresenter::TabInfo[c.tab - 1].type] = c.presentBefore;
        h.bus.identities.assign(c.identities.begin(), c.identities.end());
        h.presenter.tabs_ifselect_Click(c.tab);
        h.presenter.cmdOK_Click();
        EXPECT_EQ(h.settings.values["TINCTARA/Interface/Type"], std::to_string(c.tab));
        EXPECT_EQ(h.model.InterfaceType, InterfaceSelectionPresenter::TabInfo[c.tab - 1].type);
        EXPECT_EQ(kindNumber(h.registry.ActiveInterface), c.active) << c.tab;
        EXPECT_EQ(h.window.dmxStartStopVisible, std::vector<bool>{c.startStopVisible});
        EXPECT_EQ(h.uploads(), c.uploads) << "the card kinds are searched again";
        EXPECT_TRUE(h.timer.enabled) << "even a kind that was not found";
        EXPECT_EQ(h.view.lastTitle(), c.title);
        EXPECT_EQ(h.dialog.closes, 1);
    }
}

}  // namespace
}  // namespace tinctara
