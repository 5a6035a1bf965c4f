#include "model/ShowOperations.h"
#include "support/EngineHarness.h"
#include "windows/DmxTestPresenter.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace tinctara {
namespace {

class FakeDmxTestView : public DmxTestView {
public:
    void setChannelField(int row, std::string_view text) override { channels.at(row) = text; }
    void setValueField(int row, std::string_view text) override { values.at(row) = text; }
    void setLook(const TestWindowLook& l) override { look = l; }
    void setNoInterfaceNoticeVisible(bool visible) override { notice = visible; }
    void focusChannelField(int row) override { focused = row; }
    std::array<std::string, 8> channels, values;
    TestWindowLook look;
    bool notice = false;
    int focused = -1;
};

// The test window's state as the program wires it: the engine reads the
// monitored channels the presenter holds; its read-back and TestModeOff reach
// the presenter through the show's view.
struct RoutedView : testing::RecordingView {
    DmxTestPresenter* presenter = nullptr;
    void setMonitorValue(int row, int level) override { presenter->setMonitorValue(row, level); }
    void setTestWindowLook(const TestWindowLook& look) override { presenter->setLook(look); }
};

struct DmxTestHarness {
    DmxTestHarness()
    {
        initialiseAtStartUp(*model);
        view.presenter = &presenter;
        presenter.attachView(&window);
        presenter.Form_Load();
        engine.watchChannels(presenter.monitoredChannels());
    }
    std::unique_ptr<ShowModel> model = std::make_unique<ShowModel>();
    RoutedView view;
    testing::ScriptedUser user;
    testing::FakeTimer timer;
    testing::RecordingPortBus bus{0x120};
    testing::RecordingUsbLibrary usb;
    testing::RecordingCardLibrary cards;
    Selection selection{*model, view, user};
    DmxTestPresenter presenter{*model, user, selection};
    FakeDmxTestView window;
    OutputEngine engine{*model, view, timer, OutputDevices{bus, usb, cards}};
};

TEST(DmxTestWindow, FaderEntersTestModeOnTheRowsChannel)
{
    DmxTestHarness h;
    EXPECT_EQ(h.window.channels[2], "3");
    h.presenter.txtPatch_Change(2, "40");
    h.presenter.txtPatch_LostFocus(2);
    h.presenter.ScrDMX_Change(2, 255);
    EXPECT_EQ(h.model->TestLevels[39], 255);
    EXPECT_TRUE(h.model->hasState(StateFlag::TestMode));
    EXPECT_TRUE(h.window.look.testModeBackground);
    EXPECT_EQ(h.window.look.buttonCaption, "Testmode beenden");
    EXPECT_EQ(h.window.look.status, "Testmodus aktiv, DMX Ausgaben nur in diesem Fenster!");
}

TEST(DmxTestWindow, ButtonEntersWithRowZeroAndLeavesKeepingTheLevels)
{
    DmxTestHarness h;
    h.presenter.ScrDMX_Change(0, 17);
    h.presenter.cmdDMX_Click();  // leaves
    EXPECT_FALSE(h.model->hasState(StateFlag::TestMode));
    EXPECT_EQ(h.window.look.status, "Testmodus aus. DMX-Werte entsprechen den Ausgabewerten.");
    EXPECT_FALSE(h.window.look.testModeBackground);
    EXPECT_EQ(h.model->TestLevels[0], 17);  // kept for the next test mode
    h.model->TestLevels[0] = 0;
    h.presenter.cmdDMX_Click();  // enters with row 0's fader on row 0's channel
    EXPECT_TRUE(h.model->hasState(StateFlag::TestMode));
    EXPECT_EQ(h.model->TestLevels[0], 17);
}

TEST(DmxTestWindow, ChannelFieldRules)
{
    struct Case {
        const char* typed;
        const char* after;
        bool refused;
    } cases[] = {{"0", "3", true}, {"600", "3", true}, {"512", "512", false}, {"", "3", true}};
    for (const auto& c : cases) {
        DmxTestHarness h;
        h.presenter.txtPatch_Change(2, c.typed);
        EXPECT_FALSE(h.model->hasState(StateFlag::DmxMonitorOn)) << c.typed;
        h.presenter.txtPatch_LostFocus(2);
        EXPECT_EQ(h.presenter.monitoredChannels()[2], std::stoi(c.after)) << c.typed;
        if (c.refused) {
            EXPECT_EQ(h.window.channels[2], c.after) << "the field is reset: " << c.typed;
        }
        EXPECT_TRUE(h.model->hasState(StateFlag::DmxMonitorOn)) << c.typed;
        if (c.refused) {
            EXPECT_EQ(h.window.look.status, "Unzulässiger Wert! DMX-Kanal 1 - 512 angeben.") << c.typed;
            EXPECT_EQ(h.user.beeps, 1) << c.typed;
        }
    }
    // What the monitor reads for a field's text: 0 where it names no channel.
    const std::pair<const char*, int> read[] = {{"600", 0}, {"abc", 0}, {" 2", 2}, {"0", 0}, {"4.5", 4}, {"512", 512}};
    for (const auto& [text, channel] : read) {
        DmxTestHarness typing;
        typing.presenter.txtPatch_Change(6, text);
        EXPECT_EQ(typing.presenter.monitoredChannels()[6], channel) << text;
    }

    DmxTestHarness h;
    EXPECT_FALSE(h.presenter.txtPatch_KeyPress(4, 'x'));
    EXPECT_EQ(h.window.channels[4], "");
    EXPECT_EQ(h.window.look.status, "Nur Zahlen sind erlaubt!");
    EXPECT_TRUE(h.presenter.txtPatch_KeyPress(4, 13));
    EXPECT_EQ(h.window.focused, 5);  // Enter moves to the next row
    EXPECT_TRUE(h.presenter.txtPatch_KeyPress(7, 13));
    EXPECT_EQ(h.window.focused, 5);
}

TEST(DmxTestWindow, TestModeEndsFromEverySide)
{
    DmxTestHarness closing;
    closing.presenter.ScrDMX_Change(1, 99);
    closing.presenter.Form_Unload({1, 2, 3, 4, 0});
    EXPECT_FALSE(closing.model->hasState(StateFlag::TestMode | StateFlag::DmxMonitorOn | StateFlag::DmxTestWindowOpen));
    EXPECT_EQ(closing.presenter.storedPlacement().height, 4);

    DmxTestHarness colour;  // the colour window and the sequencer call TestModeOff
    colour.presenter.ScrDMX_Change(1, 99);
    TestModeOff(*colour.model, colour.view);
    EXPECT_FALSE(colour.model->hasState(StateFlag::TestMode));
    EXPECT_EQ(colour.window.look.status, "Testmodus aus. DMX-Werte entsprechen den Ausgabewerten.");
    EXPECT_EQ(colour.window.look.buttonCaption, "Testmode starten");
}

TEST(DmxTestWindow, MonitorRowsShowWhatTheInterfaceHolds)
{
    DmxTestHarness h;
    h.model->InterfaceType = Interface::IsaCard7301AB;
    h.model->CardBaseAddress = 0x120;
    h.presenter.txtPatch_Change(3, "300");
    h.presenter.txtPatch_LostFocus(3);
    h.presenter.ScrDMX_Change(3, 123);
    h.engine.AutoXmit();
    EXPECT_EQ(h.bus.cardMemory[0x3FF + 300], 123);
    EXPECT_EQ(h.window.values[3], "123");  // read back from card memory
    EXPECT_EQ(h.window.values[0], "0");
}

TEST(DmxTestWindow, NoInterfaceNotice)
{
    DmxTestHarness none;
    none.presenter.Form_Activate();
    EXPECT_TRUE(none.window.notice);
    DmxTestHarness usb;
    usb.model->InterfaceType = Interface::UsbInterface;
    usb.presenter.Form_Activate();
    EXPECT_FALSE(usb.window.notice);
}

}  // namespace
}  // namespace tinctara
