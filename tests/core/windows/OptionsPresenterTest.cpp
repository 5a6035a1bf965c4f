#include "support/EngineHarness.h"
#include "support/MainWindowFakes.h"
#include "windows/OptionsPresenter.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

class FakeOptionsView : public OptionsView {
public:
    void setField(int index, std::string_view text) override { fields.at(index) = text; }
    void setFieldEnabled(int index, bool enabled) override { enabledFields.at(index) = enabled; }
    void setPath(int index, std::string_view text) override { paths.at(index) = text; }
    void setRepeatMode(int m) override { mode = m; }
    void setAutoChannels(bool ticked, bool) override { autoTicked = ticked; }
    void setAutoLoad(bool ticked) override { autoLoad = ticked; }
    void setWarningVisible(bool visible) override { warning = visible; }
    void closeWindow() override { ++closes; }
    std::array<std::string, 7> fields;
    std::array<bool, 7> enabledFields{};
    std::array<std::string, 4> paths;
    int mode = -1;
    bool autoTicked = false, autoLoad = false, warning = false;
    int closes = 0;
};

using CountingMainWindow = testing::FakeMainWindowCommands;

// A 7301B with its default block and a wall of the given size.
struct OptionsHarness : testing::EngineHarness {
    explicit OptionsHarness(int columns = 5, int rows = 4)
    {
        model.clearState(StateFlag::AutoChannelCount);
        buildWall(columns, rows);
        model.InterfaceType = Interface::IsaCard7301AB;
        const std::int16_t block[] = {60, 0, 0, 80, 0, 0, 0, 0, 0};
        std::copy(std::begin(block), std::end(block), model.DmxTiming.begin());
        options.Form_Load();
        options.Form_Activate();
        user.messages.clear();  // the wall builder's channel warning
    }
    void enter(int index, const std::string& text)
    {
        options.txtDMX_Change(index, text);
        options.txtDMX_LostFocus(index);
    }
    FakeOptionsView window;
    CountingMainWindow mainWindow;
    OptionsPresenter options{model, user, mainWindow, window};
};

TEST(Options, ActivationShowsTheBlockInUse)
{
    OptionsHarness h;
    EXPECT_EQ(h.window.fields[BreakField], "88");  // 60 card units
    EXPECT_EQ(h.window.fields[ChannelsField], "80");
    EXPECT_EQ(h.window.fields[RepeatField], "50");
    EXPECT_EQ(h.window.fields[LengthField], "3.6 ms");  // 88 + 8 + 44 x 80 = 3616 us
    EXPECT_EQ(h.model.ChannelCount, 80);
    EXPECT_TRUE(h.window.enabledFields[BreakField]);

    OptionsHarness usb;
    usb.model.InterfaceType = Interface::UsbInterface;
    usb.options.Form_Activate();
    EXPECT_EQ(usb.window.fields[BreakField], "Auto");
    EXPECT_EQ(usb.window.fields[ChannelsField], "512");
    EXPECT_EQ(usb.model.ChannelCount, 511);
    EXPECT_FALSE(usb.window.enabledFields[BreakField]);
}

TEST(Options, FieldChecks)
{
    struct Case {
        int field;
        const char* typed;
        const char* shown;
        bool warning;
    } cases[] = {
        {BreakField, "70", "70", true},       {BreakField, "50", "64", true},
        {BreakField, "200", "180", false},    {StartByteField, "1", "1", true},
        {StartByteField, "0", "0", false},    {StartByteField, "300", "255", true},
        {ChannelsField, "600", "512", false}, {InterDigitField, "50", "44", false},
        {IdleField, "999", "255", false},
    };
    for (const auto& c : cases) {
        OptionsHarness h;
        h.enter(c.field, c.typed);
        EXPECT_EQ(h.options.field(c.field), c.shown) << c.field << " " << c.typed;
        EXPECT_EQ(h.options.warningVisible(), c.warning) << c.field << " " << c.typed;
        EXPECT_TRUE(h.user.messages.empty()) << c.field << " " << c.typed;
    }
}

TEST(Options, ChannelAndRepeatMessages)
{
    OptionsHarness twenty(5, 4);
    twenty.enter(ChannelsField, "60");
    ASSERT_EQ(twenty.user.messages.size(), 1u);
    EXPECT_EQ(twenty.user.messages[0].text, "Es werden für 20 Elemente 80 DMX Kanäle benötigt. Ihre Einstellung "
                                            "unterschreitet die Anzahl benötigter DMX Kanäle!");
    EXPECT_EQ(twenty.options.field(ChannelsField), "60");  // kept

    OptionsHarness full(11, 11);
    full.enter(ChannelsField, "484");
    EXPECT_TRUE(full.user.messages.empty());

    OptionsHarness repeat;
    repeat.enter(RepeatField, "50");
    EXPECT_TRUE(repeat.user.messages.empty());
    repeat.enter(RepeatField, "20");
    EXPECT_EQ(repeat.window.fields[RepeatField], "30");
    ASSERT_EQ(repeat.user.messages.size(), 1u);
    EXPECT_EQ(repeat.user.messages[0].text, " Beim Sende repeat sollte der Wert 50 unbedingt beibehalten werden!");
}

TEST(Options, ApplyStoresTheBlockAndQueuesIt)
{
    OptionsHarness h;
    h.model.DmxTiming.fill(7);
    h.options.Form_Activate();
    h.enter(ChannelsField, "300");
    h.enter(BreakField, "88");
    h.options.OptDMXSend_Click(1);
    h.model.TimingBlockPending = 0;
    h.options.cmdApply_Click();
    const std::array<std::int16_t, 16> expected{60, 7, 7, 44, 1, 1, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(h.model.DmxTiming, expected);
    EXPECT_EQ(h.model.TimingBlockPending, 1);
    EXPECT_EQ(h.mainWindow.settingsWrites, 1);
    h.options.Form_Activate();
    EXPECT_EQ(h.window.fields[ChannelsField], "300");
}

TEST(Options, OkAppliesOnlyAChangeAndMarksTheConfiguration)
{
    OptionsHarness unchanged;
    unchanged.model.DocumentFlags = 0;
    unchanged.options.cmdOK_Click();
    EXPECT_EQ(unchanged.mainWindow.settingsWrites, 0);
    EXPECT_EQ(unchanged.window.closes, 1);
    EXPECT_EQ(unchanged.model.DocumentFlags, 0);

    OptionsHarness changed;
    changed.model.DocumentFlags = 0;
    changed.enter(IdleField, "12");
    changed.options.cmdOK_Click();
    EXPECT_EQ(changed.mainWindow.settingsWrites, 1);
    EXPECT_TRUE(changed.model.hasDocument(DocumentFlag::ConfigChanged));
    EXPECT_EQ(changed.model.DmxTiming[2], 12);
}

TEST(Options, KeyFilterAutoAndDefaults)
{
    OptionsHarness h;
    h.options.txtDMX_Change(BreakField, "9x");
    h.options.txtDMX_KeyUp(BreakField, 88);
    EXPECT_EQ(h.window.fields[BreakField], "88");  // back to the value in use
    h.options.txtDMX_Change(BreakField, "91");
    h.options.txtDMX_KeyUp(BreakField, 49);
    EXPECT_EQ(h.options.field(BreakField), "91");

    h.options.cckAutoDMXmax_Click(true);
    EXPECT_TRUE(h.model.hasState(StateFlag::AutoChannelCount));
    EXPECT_FALSE(h.window.enabledFields[ChannelsField]);
    EXPECT_EQ(h.window.fields[ChannelsField], "80");
    EXPECT_EQ(h.model.ChannelCount, 80);

    h.options.cckAutoDMXmax_Click(false);
    h.enter(BreakField, "150");
    h.options.cmdDefaultDMX_Click();
    EXPECT_EQ(h.window.fields[BreakField], "88");
    EXPECT_EQ(h.window.mode, 0);
    EXPECT_TRUE(h.window.autoTicked);
    EXPECT_TRUE(h.model.hasState(StateFlag::AutoChannelCount));

    h.options.chkAutoStart_Click(false);
    EXPECT_FALSE(h.model.hasState(StateFlag::AutoLoad));
}

}  // namespace
}  // namespace tinctara
