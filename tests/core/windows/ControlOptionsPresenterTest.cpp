#include "windows/ControlOptionsPresenter.h"

#include "support/ControlFakes.h"
#include "support/MainWindowFakes.h"
#include "windows/RemoteOptionsPresenter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace tinctara {
namespace {

using testing::FakeMidiControl;
using Row = std::array<std::string, 2>;
using Kind = ShowAction::Kind;

struct Tab : ControlOptionsView {
    void disableOsc(std::string_view reason) override { oscMissing = reason; }
    void disableMidi(std::string_view reason) override { midiMissing = reason; }
    void setOscOn(bool on) override { oscOn = on; }
    void setOscAddresses(const std::vector<std::string>& list, const std::string& chosen) override
    {
        addresses = list;
        address = chosen;
    }
    void setOscPort(std::string_view text) override { oscPort = text; }
    void setFeedbackPort(std::string_view text) override { feedbackPort = text; }
    void setFeedbackDestination(std::string_view text) override { destination = text; }
    void setOscWarningVisible(bool visible) override { warning = visible; }
    void setOscStatus(std::string_view text) override { oscStatus = text; }
    void setOscCounters(std::string_view text) override { counters = text; }
    void setMidiOn(bool on) override { midiOn = on; }
    void setMidiPorts(const std::vector<std::string>& list, int chosen) override
    {
        ports = list;
        port = chosen;
    }
    void setDeviceId(std::string_view text) override { deviceId = text; }
    void setActions(const std::vector<std::string>& list) override { actions = list; }
    void setActionNumberEnabled(bool enabled) override { numberEnabled = enabled; }
    void setBindings(const std::vector<Row>& list, int current) override
    {
        rows = list;
        selected = current;
    }
    void setLearning(bool on) override { learning = on; }
    void setMidiStatus(std::string_view text) override { midiStatus = text; }

    std::string oscMissing, midiMissing;
    bool oscOn = false, warning = false;
    std::vector<std::string> addresses;
    std::string address, oscPort, feedbackPort, destination, oscStatus, counters;
    bool midiOn = false, numberEnabled = false, learning = false;
    std::vector<std::string> ports, actions;
    int port = -1, selected = -1;
    std::string deviceId, midiStatus;
    std::vector<Row> rows;
};

struct Harness {
    explicit Harness(bool withServices = true)
        : presenter(store, withServices ? &osc : nullptr, withServices ? &midi : nullptr, tab)
    {
        presenter.Form_Load();
    }
    std::string stored(const char* section, const char* key) { return store.read("TINCTARA", section, key, "<none>"); }
    int action(const char* text)
    {
        const auto it = std::find(tab.actions.begin(), tab.actions.end(), text);
        return it == tab.actions.end() ? -1 : static_cast<int>(it - tab.actions.begin());
    }
    // Chooses the action, presses "Lernen" and plays `event`.
    void learn(const char* action, const MidiEvent& event, const std::string& number = "1")
    {
        presenter.cboAction_Click(this->action(action));
        presenter.cmdLearn_Click(number);
        midi.play(event);
    }
    void startMidi()
    {
        presenter.chkMidi_Click(true);
        ASSERT_TRUE(midi.isRunning);
    }

    testing::FakeSettingsStore store;
    testing::FakeOscControl osc;
    FakeMidiControl midi;
    Tab tab;
    ControlOptionsPresenter presenter;
};

TEST(ControlOptions, OscTurnsOnWithTheFieldsAndOffAgain)
{
    Harness h;
    EXPECT_EQ(h.tab.address, "127.0.0.1");
    EXPECT_EQ(h.tab.oscPort, "8000");
    EXPECT_EQ(h.tab.feedbackPort, "9000");
    EXPECT_EQ(h.tab.oscStatus, ControlOptionsText::OscOff);

    // While off a change is only stored.
    h.presenter.txtOscPort_LostFocus("8100");
    h.presenter.txtFeedbackDestination_LostFocus("192.168.7.30:9001");
    EXPECT_TRUE(h.osc.starts.empty());
    EXPECT_EQ(h.stored("Osc", "Port"), "8100");

    h.presenter.chkOsc_Click(true);
    ASSERT_EQ(h.osc.starts.size(), 1u);
    EXPECT_EQ(h.osc.starts[0], (OscSettings{true, "127.0.0.1", 8100, 9000, "192.168.7.30:9001"}));
    EXPECT_TRUE(h.tab.oscOn);
    EXPECT_EQ(h.tab.oscStatus, "OSC empfängt auf 127.0.0.1:8100.");
    EXPECT_EQ(h.stored("Osc", "Enabled"), "1");
    EXPECT_EQ(h.stored("Remote", "Enabled"), "<none>");  // its own group only

    h.osc.counted.received = 7;
    h.osc.counted.carriedOut = 4;
    h.osc.counted.limited = 1;
    h.osc.counted.dropped[2] = 2;
    h.presenter.tmrCounters_Timer();
    EXPECT_EQ(h.tab.counters, "Empfangen: 7, ausgeführt: 4, verworfen: 3");

    // While on a change starts it again with the new value.
    h.presenter.txtFeedbackPort_LostFocus("9100");
    ASSERT_EQ(h.osc.starts.size(), 2u);
    EXPECT_EQ(h.osc.starts[1].feedbackPort, 9100);

    h.presenter.chkOsc_Click(false);
    EXPECT_EQ(h.osc.stops, 1);
    EXPECT_FALSE(h.tab.oscOn);
    EXPECT_EQ(h.stored("Osc", "Enabled"), "0");
    EXPECT_EQ(loadOscSettings(h.store), (OscSettings{false, "127.0.0.1", 8100, 9100, "192.168.7.30:9001"}));
}

TEST(ControlOptions, AStartProblemLeavesOscOffWithTheReason)
{
    Harness h;
    h.osc.problem = "OSC: Port 8000 auf 127.0.0.1 ist belegt.";
    h.presenter.chkOsc_Click(true);
    EXPECT_FALSE(h.tab.oscOn);
    EXPECT_EQ(h.tab.oscStatus, h.osc.problem);
    EXPECT_EQ(h.stored("Osc", "Enabled"), "0");
}

TEST(ControlOptions, BadPortsAndDestinationsAreRefusedAndTheOldValueStays)
{
    Harness h;
    h.presenter.chkOsc_Click(true);
    for (const char* text : {"", "80", "1023", "65536", "8o00", " 8001", "-9000", "99999999999"}) {
        h.presenter.txtOscPort_LostFocus(text);
        EXPECT_EQ(h.tab.oscPort, "8000") << text;
        EXPECT_EQ(h.tab.oscStatus, RemoteOptionsText::BadPort) << text;
        h.presenter.txtFeedbackPort_LostFocus(text);
        EXPECT_EQ(h.tab.feedbackPort, "9000") << text;
    }
    h.presenter.txtFeedbackDestination_LostFocus("10.0.0.9:9000");
    for (const char* text : {"10.0.0.9", "10.0.0.9:", ":9000", "pult:9000", "10.0.0.256:9000", "10.0.0:9000",
                             "10.0.0.9:0", "10.0.0.9:65536", "10.0.0.9:90x"}) {
        h.presenter.txtFeedbackDestination_LostFocus(text);
        EXPECT_EQ(h.tab.destination, "10.0.0.9:9000") << text;
        EXPECT_EQ(h.tab.oscStatus, ControlOptionsText::BadDestination) << text;
    }
    EXPECT_EQ(h.osc.starts.size(), 2u);  // on, and the one good destination
    EXPECT_EQ(h.osc.now.feedbackDestination, "10.0.0.9:9000");
    h.presenter.txtFeedbackDestination_LostFocus("");  // none is fine
    EXPECT_EQ(h.osc.now.feedbackDestination, "");
}

TEST(ControlOptions, TheWarningShowsOnlyOffLoopback)
{
    Harness h;
    EXPECT_FALSE(h.tab.warning);
    for (const auto& [address, warned] : {std::pair{"192.168.7.20", true}, std::pair{"127.0.0.1", false},
                                          std::pair{"0.0.0.0", true}, std::pair{"127.0.1.1", false}}) {
        h.presenter.cboOscAddress_Click(address);
        EXPECT_EQ(h.tab.warning, warned) << address;
        EXPECT_EQ(h.stored("Osc", "Address"), address);
    }
}

TEST(ControlOptions, MidiStartsWithThePortDeviceAndBindings)
{
    Harness h;
    EXPECT_EQ(h.tab.ports, (std::vector<std::string>{"(keiner)", "Pad:0", "Keys:1"}));
    EXPECT_EQ(h.tab.port, 0);
    EXPECT_EQ(h.tab.deviceId, "alle");
    EXPECT_EQ(h.tab.midiStatus, ControlOptionsText::MidiOff);

    h.presenter.cboMidiPort_Click(2);
    h.presenter.txtDeviceId_LostFocus("5");
    EXPECT_TRUE(h.midi.starts.empty());
    h.startMidi();
    EXPECT_EQ(h.midi.starts.back().port, "Keys:1");
    EXPECT_EQ(h.midi.starts.back().deviceId, 5);
    EXPECT_EQ(h.tab.midiStatus, "MIDI empfängt von Keys:1.");
    EXPECT_EQ(h.stored("Midi", "Enabled"), "1");

    for (const char* text : {"128", "-1", "x", "", "Alle"}) {
        h.presenter.txtDeviceId_LostFocus(text);
        EXPECT_EQ(h.tab.deviceId, "5") << text;
        EXPECT_EQ(h.tab.midiStatus, ControlOptionsText::BadDeviceId) << text;
    }
    h.presenter.txtDeviceId_LostFocus("alle");
    EXPECT_EQ(h.midi.starts.back().deviceId, 127);
    h.presenter.txtDeviceId_LostFocus("127");
    EXPECT_EQ(h.tab.deviceId, "alle");

    h.presenter.cboMidiPort_Click(0);
    EXPECT_EQ(h.midi.starts.back().port, "");
    EXPECT_EQ(h.stored("Midi", "Port"), "");

    h.presenter.chkMidi_Click(false);
    EXPECT_EQ(h.midi.stops, 1);
    EXPECT_FALSE(h.tab.midiOn);
    EXPECT_EQ(h.stored("Midi", "Enabled"), "0");
}

TEST(ControlOptions, AStoredPortThatIsGoneStaysTheChoice)
{
    testing::FakeSettingsStore store;
    storeMidiSettings(store, MidiSettings{false, "Alt:3", 127, {}});
    FakeMidiControl midi;
    Tab tab;
    ControlOptionsPresenter presenter(store, nullptr, &midi, tab);
    presenter.Form_Load();
    EXPECT_EQ(tab.ports, (std::vector<std::string>{"(keiner)", "Pad:0", "Keys:1", "Alt:3"}));
    EXPECT_EQ(tab.port, 3);
}

TEST(ControlOptions, LearningFillsARowAndOneMessageDoesOneThing)
{
    Harness h;
    h.startMidi();
    h.presenter.cboAction_Click(h.action("Element N"));
    EXPECT_TRUE(h.tab.numberEnabled);
    h.presenter.cmdLearn_Click("12");
    EXPECT_TRUE(h.tab.learning);
    EXPECT_EQ(h.tab.midiStatus, "Taste, Pad oder Regler am Controller bewegen …");
    ASSERT_TRUE(h.midi.play(FakeMidiControl::note(1, 60)));
    EXPECT_FALSE(h.tab.learning);
    EXPECT_EQ(h.midi.listener, nullptr);
    EXPECT_EQ(h.tab.rows, (std::vector<Row>{{"Element 12", "Note 60, Kanal 1"}}));
    EXPECT_EQ(h.tab.selected, 0);
    EXPECT_EQ(h.tab.midiStatus, "Gelernt: Note 60, Kanal 1 → Element 12.");
    // The running client has the binding at once.
    EXPECT_EQ(h.midi.starts.back().bindings, (std::vector<MidiBinding>{{Kind::Tap, 12, MidiTrigger::Note, 1, 60}}));

    h.learn("Regler Grün", FakeMidiControl::control(2, 7));
    h.learn("Schritt N", FakeMidiControl::program(1, 5), "40");
    // The same note again: it replaces its row, and the others stay where they are.
    h.learn("PLAY", FakeMidiControl::note(1, 60));
    EXPECT_EQ(h.tab.rows, (std::vector<Row>{{"PLAY", "Note 60, Kanal 1"},
                                            {"Regler Grün", "Regler 7, Kanal 2"},
                                            {"Schritt 40", "Programm 5, Kanal 1"}}));
    EXPECT_EQ(h.tab.midiStatus, "Gelernt: Note 60, Kanal 1 → PLAY (statt Element 12).");
    // The same note on another channel is another message.
    h.learn("STOP", FakeMidiControl::note(2, 60));
    EXPECT_EQ(h.tab.rows.size(), 4u);
    EXPECT_EQ(h.tab.rows[3], (Row{"STOP", "Note 60, Kanal 2"}));
}

TEST(ControlOptions, EveryActionOfTheChoiceIsNamedInTheTable)
{
    Harness h;
    h.startMidi();
    struct Case {
        const char* choice;
        const char* number;
        MidiBinding bound;
        const char* row;
    };
    const Case cases[] = {
        {"STOP", "", {Kind::Stop, 0, MidiTrigger::Note, 1, 1}, "STOP"},
        {"Zurück", "", {Kind::Back, 0, MidiTrigger::Note, 1, 2}, "Zurück"},
        {"Vor", "", {Kind::Forward, 0, MidiTrigger::Note, 1, 3}, "Vor"},
        {"Alles markieren", "", {Kind::All, 0, MidiTrigger::Note, 1, 4}, "Alles markieren"},
        {"Nichts markieren", "", {Kind::None, 0, MidiTrigger::Note, 1, 5}, "Nichts markieren"},
        {"Benutzerfarbe K", "20", {Kind::User, 20, MidiTrigger::Note, 1, 6}, "Benutzerfarbe 20"},
        {"Speicher K", "11", {Kind::Memory, 11, MidiTrigger::Note, 1, 7}, "Speicher 11"},
        {"Regler Rot", "", {Kind::Mix, 1, MidiTrigger::Control, 1, 8}, "Regler Rot"},
        {"Regler Blau", "", {Kind::Mix, 3, MidiTrigger::Control, 1, 9}, "Regler Blau"},
        {"Regler Weiß", "9", {Kind::Mix, 4, MidiTrigger::Control, 1, 10}, "Regler Weiß"},
    };
    for (const Case& c : cases) {
        const MidiEvent event = c.bound.trigger == MidiTrigger::Note ? FakeMidiControl::note(1, c.bound.key)
                                                                     : FakeMidiControl::control(1, c.bound.key);
        h.learn(c.choice, event, c.number);
        EXPECT_EQ(h.tab.numberEnabled, c.number[0] != '\0' && c.bound.action != Kind::Mix) << c.choice;
        ASSERT_FALSE(h.presenter.midiSettings().bindings.empty()) << c.choice;
        EXPECT_EQ(h.presenter.midiSettings().bindings.back(), c.bound) << c.choice;
        EXPECT_EQ(h.tab.rows.back()[0], c.row) << c.choice;
    }
}

TEST(ControlOptions, LearningIsRefusedOrCancelled)
{
    Harness h;
    // Not while MIDI is off: nothing could come.
    h.presenter.cmdLearn_Click("1");
    EXPECT_FALSE(h.tab.learning);
    EXPECT_EQ(h.midi.listener, nullptr);
    EXPECT_EQ(h.tab.midiStatus, ControlOptionsText::LearnNeedsMidi);

    h.startMidi();
    for (const auto& [choice, number, status] :
         {std::tuple{"Element N", "0", "Die Nummer muss zwischen 1 und 255 liegen."},
          std::tuple{"Benutzerfarbe K", "21", "Die Nummer muss zwischen 1 und 20 liegen."},
          std::tuple{"Speicher K", "", "Die Nummer muss zwischen 1 und 11 liegen."},
          std::tuple{"Schritt N", "5a", "Die Nummer muss zwischen 1 und 99999 liegen."}}) {
        h.presenter.cboAction_Click(h.action(choice));
        h.presenter.cmdLearn_Click(number);
        EXPECT_FALSE(h.tab.learning) << choice;
        EXPECT_EQ(h.midi.listener, nullptr) << choice;
        EXPECT_EQ(h.tab.midiStatus, status) << choice;
    }

    // A fader takes only a controller's fader.
    h.learn("Regler Rot", FakeMidiControl::note(1, 60));
    EXPECT_EQ(h.tab.midiStatus, ControlOptionsText::FaderNeedsControl);
    h.learn("Regler Rot", FakeMidiControl::program(1, 3));
    EXPECT_EQ(h.tab.midiStatus, ControlOptionsText::FaderNeedsControl);
    EXPECT_FALSE(h.tab.learning);
    EXPECT_TRUE(h.tab.rows.empty());

    // "Lernen" again cancels; so do closing the window and turning MIDI off.
    h.presenter.cboAction_Click(h.action("PLAY"));
    h.presenter.cmdLearn_Click("");
    h.presenter.cmdLearn_Click("");
    EXPECT_EQ(h.tab.midiStatus, ControlOptionsText::LearnCancelled);
    EXPECT_FALSE(h.midi.play(FakeMidiControl::note(1, 60)));
    h.presenter.cmdLearn_Click("");
    h.presenter.Form_Unload();
    EXPECT_FALSE(h.midi.play(FakeMidiControl::note(1, 60)));
    h.presenter.cmdLearn_Click("");
    h.presenter.chkMidi_Click(false);
    EXPECT_FALSE(h.tab.learning);
    EXPECT_FALSE(h.midi.play(FakeMidiControl::note(1, 60)));
    // A message that arrives late (the client had it queued) binds nothing.
    h.presenter.learned(FakeMidiControl::note(1, 61));
    EXPECT_TRUE(h.tab.rows.empty());
    EXPECT_EQ(h.stored("Midi", "Bindings"), "");
}

TEST(ControlOptions, TheStoreHoldsWhatTheTableShows)
{
    Harness h;
    h.startMidi();
    h.learn("PLAY", FakeMidiControl::note(1, 36));
    h.learn("STOP", FakeMidiControl::note(1, 37));
    h.learn("Regler Weiß", FakeMidiControl::control(16, 127));
    h.learn("Speicher K", FakeMidiControl::program(3, 0), "2");

    h.presenter.cmdRemove_Click(1);
    EXPECT_EQ(h.tab.midiStatus, "Entfernt: Note 37, Kanal 1 → STOP.");
    EXPECT_EQ(h.tab.selected, 1);
    h.presenter.cmdRemove_Click(-1);
    EXPECT_EQ(h.tab.midiStatus, ControlOptionsText::NoRow);
    h.presenter.cmdRemove_Click(3);
    EXPECT_EQ(h.tab.midiStatus, ControlOptionsText::NoRow);

    const std::vector<Row> shown{
        {"PLAY", "Note 36, Kanal 1"}, {"Regler Weiß", "Regler 127, Kanal 16"}, {"Speicher 2", "Programm 0, Kanal 3"}};
    EXPECT_EQ(h.tab.rows, shown);
    EXPECT_EQ(h.midi.starts.back().bindings, h.presenter.midiSettings().bindings);

    // Read back as the next opening of the window does.
    Tab again;
    FakeMidiControl stopped;
    ControlOptionsPresenter reopened(h.store, nullptr, &stopped, again);
    reopened.Form_Load();
    EXPECT_EQ(again.rows, shown);
}

TEST(ControlOptions, TheTableHoldsAtMostTheLimit)
{
    Harness h;
    h.startMidi();
    for (int index = 0; index < static_cast<int>(MidiBindingLimit); ++index)
        h.learn("PLAY", FakeMidiControl::note(1, index));
    ASSERT_EQ(h.tab.rows.size(), MidiBindingLimit);
    h.learn("STOP", FakeMidiControl::note(2, 0));
    EXPECT_EQ(h.tab.midiStatus, "Die Tabelle ist voll: höchstens 128 Zuordnungen.");
    EXPECT_EQ(h.tab.rows.size(), MidiBindingLimit);
    // A message already in it can still be bound anew.
    h.learn("STOP", FakeMidiControl::note(1, 5));
    EXPECT_EQ(h.tab.rows[5][0], "STOP");
    EXPECT_EQ(parseBindings(h.stored("Midi", "Bindings")).size(), MidiBindingLimit);
}

TEST(ControlOptions, AServiceThisBuildLacksLeavesItsGroupDisabled)
{
    Harness h(false);
    EXPECT_EQ(h.tab.oscMissing, ControlOptionsText::OscMissing);
    EXPECT_EQ(h.tab.midiMissing, ControlOptionsText::MidiMissing);
    // Nothing a disabled control could still send goes anywhere.
    h.presenter.chkOsc_Click(true);
    h.presenter.txtOscPort_LostFocus("8100");
    h.presenter.chkMidi_Click(true);
    h.presenter.cmdLearn_Click("1");
    h.presenter.cmdRemove_Click(0);
    h.presenter.tmrCounters_Timer();
    h.presenter.Form_Unload();
    EXPECT_TRUE(h.store.values.empty());
}

}  // namespace
}  // namespace tinctara
