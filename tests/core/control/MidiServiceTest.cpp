#include "control/MidiService.h"

#include "support/ControlHarness.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace tinctara {
namespace {

using Kind = ShowAction::Kind;
using Bytes = std::vector<std::uint8_t>;

MidiBinding bind(Kind action, int number, MidiTrigger trigger, int channel, int key)
{
    return {action, number, trigger, channel, key};
}

// The windows' events and the colour applies an action comes to, one line each.
struct RecordingWindows : ShowWindows, ShowControlHost {
    void lblWand_CtrlClick(int index) override { calls.push_back("tap " + std::to_string(index + 1)); }
    bool wand_KeyDown(int keyCode) override
    {
        calls.push_back("key " + std::to_string(keyCode));
        return true;
    }
    void cmdSequence_Press(Button button) override
    {
        static const char* const Names[] = {"back", "play", "stop", "forward"};
        calls.push_back(Names[static_cast<int>(button)]);
    }
    void stepField_GotFocus() override {}
    void stepField_Typed(std::string_view text, int) override { calls.push_back("jump " + std::string(text)); }
    void stepField_LostFocus() override {}
    bool questionOpen() const override { return question; }
    std::string applyColour(const std::array<std::uint8_t, Planes>& rgbw) override
    {
        std::string line = "colour";
        for (const std::uint8_t level : rgbw)
            line += " " + std::to_string(level);
        calls.push_back(line);
        return {};
    }
    std::string wallStatus() const override { return {}; }
    std::string sequencerStatus() const override { return {}; }

    std::vector<std::string> calls;
    bool question = false;
};

struct RecordingFeedback : MidiFeedback {
    void noteOn(int channel, int note, int velocity) override { notes.emplace_back(channel, note, velocity); }
    std::vector<std::tuple<int, int, int>> notes;
};

struct Learner : MidiLearnListener {
    void learned(const MidiEvent& event) override { events.push_back(event); }
    std::vector<MidiEvent> events;
};

// A 4 x 4 wall with three steps and the mixer at 10 20 30 40, whose actions are recorded.
struct RecordedShow : testing::EngineHarness {
    RecordedShow()
    {
        buildWall(4, 4);
        model.StepCount = 3;
        model.MixColour = {10, 20, 30, 40};
    }
    // What `bytes` come to under `settings`.
    std::vector<std::string> run(const MidiSettings& settings, const Bytes& bytes)
    {
        service.configure(settings);
        service.received(bytes);
        return windows.calls;
    }
    RecordingWindows windows;
    Selection selection{model, view, user};
    ShowControl control{{model, selection, windows, windows}};
    MidiService service{model, control};
};

TEST(MidiService, EachMessageCarriesOutTheBindingsLearnedForIt)
{
    const std::vector<MidiBinding> playOn60 = {bind(Kind::Play, 0, MidiTrigger::Note, 1, 60)};
    const std::vector<MidiBinding> mixed = {
        bind(Kind::Tap, 3, MidiTrigger::Note, 10, 36),     bind(Kind::Memory, 4, MidiTrigger::Program, 1, 5),
        bind(Kind::Jump, 12, MidiTrigger::Control, 1, 20), bind(Kind::Mix, 2, MidiTrigger::Control, 1, 7),
        bind(Kind::Mix, 4, MidiTrigger::Control, 2, 7),    bind(Kind::Stop, 0, MidiTrigger::Control, 16, 1),
    };
    const std::vector<MidiBinding> twoOn60 = {bind(Kind::Play, 0, MidiTrigger::Note, 1, 60),
                                              bind(Kind::Stop, 0, MidiTrigger::Note, 1, 60)};
    struct Case {
        const char* what;
        std::vector<MidiBinding> bindings;
        Bytes bytes;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"its note", playOn60, {0x90, 60, 100}, {"play"}},
        {"another channel", playOn60, {0x91, 60, 100}, {}},
        {"another note", playOn60, {0x90, 61, 100}, {}},
        {"velocity 0 is a note off", playOn60, {0x90, 60, 0}, {}},
        {"note off", playOn60, {0x80, 60, 64}, {}},
        {"a control change of the same number", playOn60, {0xB0, 60, 127}, {}},
        {"running status", playOn60, {0x90, 60, 1, 60, 0, 60, 127}, {"play", "play"}},
        {"channel 10", mixed, {0x99, 36, 127}, {"tap 3"}},
        {"program change", mixed, {0xC0, 5}, {"key 116"}},
        {"program on another channel", mixed, {0xC1, 5}, {}},
        {"control change to a number", mixed, {0xB0, 20, 127}, {"jump 12"}},
        {"control change below the middle", mixed, {0xB0, 20, 63}, {}},
        {"control change at the middle", mixed, {0xB0, 20, 64}, {"jump 12"}},
        {"each rise of a button", mixed, {0xBF, 1, 127, 1, 127, 1, 0, 1, 64}, {"stop", "stop"}},
        {"fader at the top", mixed, {0xB0, 7, 127}, {"colour 10 255 30 40"}},
        {"fader at the bottom", mixed, {0xB1, 7, 0}, {"colour 10 20 30 0"}},
        {"fader in the middle", mixed, {0xB0, 7, 64}, {"colour 10 129 30 40"}},
        {"fader one up", mixed, {0xB0, 7, 1}, {"colour 10 2 30 40"}},
        {"fader one down", mixed, {0xB0, 7, 126}, {"colour 10 253 30 40"}},
        {"two bindings on one note", twoOn60, {0x90, 60, 100}, {"play", "stop"}},
    };
    for (const Case& c : cases) {
        MidiSettings settings;
        settings.bindings = c.bindings;
        EXPECT_EQ(RecordedShow().run(settings, c.bytes), c.calls) << c.what;
    }
}

TEST(MidiService, ShowControlGoesStopsAndResumesForItsDevice)
{
    const auto msc = [](std::uint8_t device, std::uint8_t command, const std::string& cue = "") {
        Bytes bytes{0xF0, 0x7F, device, 0x02, 0x01, command};
        bytes.insert(bytes.end(), cue.begin(), cue.end());
        bytes.push_back(0xF7);
        return bytes;
    };
    struct Case {
        const char* what;
        int deviceId;
        Bytes bytes;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"GO", 1, msc(1, 0x01), {"play"}},
        {"GO to a cue", 1, msc(1, 0x01, "2"), {"jump 2", "play"}},
        {"GO to a cue with a fraction", 1, msc(1, 0x01, "3.5"), {"jump 3", "play"}},
        {"GO to a cue the sequence lacks", 1, msc(1, 0x01, "4"), {}},
        {"GO to cue 0", 1, msc(1, 0x01, "0"), {}},
        {"STOP", 1, msc(1, 0x02), {"stop"}},
        {"RESUME", 1, msc(1, 0x03), {"play"}},
        {"all-call", 1, msc(0x7F, 0x02), {"stop"}},
        {"another device", 1, msc(2, 0x01), {}},
        {"any device when all-call is set", 127, msc(2, 0x01), {"play"}},
    };
    for (const Case& c : cases) {
        MidiSettings settings;
        settings.deviceId = c.deviceId;
        EXPECT_EQ(RecordedShow().run(settings, c.bytes), c.calls) << c.what;
    }
}

TEST(MidiService, AnOpenQuestionTakesNothing)
{
    RecordedShow show;
    MidiSettings settings;
    settings.bindings = {bind(Kind::Play, 0, MidiTrigger::Note, 1, 60), bind(Kind::Mix, 1, MidiTrigger::Control, 1, 7)};
    show.service.configure(settings);
    show.windows.question = true;
    show.service.received(Bytes{0x90, 60, 100, 0xB0, 7, 100, 0xF0, 0x7F, 0x7F, 0x02, 0x01, 0x01, '2', 0xF7});
    EXPECT_TRUE(show.windows.calls.empty());
}

TEST(MidiService, TheNextLearnableMessageIsLearnedAndCarriesOutNothing)
{
    RecordedShow show;
    MidiSettings settings;
    settings.bindings = {bind(Kind::Play, 0, MidiTrigger::Note, 1, 60),
                         bind(Kind::Stop, 0, MidiTrigger::Control, 1, 7)};
    show.service.configure(settings);
    Learner learner;
    show.service.learn(&learner);
    // Neither a note off nor show control is learned; show control still acts.
    show.service.received(Bytes{0x80, 60, 0, 0xF0, 0x7F, 0x7F, 0x02, 0x01, 0x02, 0xF7});
    EXPECT_TRUE(learner.events.empty());
    EXPECT_EQ(show.windows.calls, (std::vector<std::string>{"stop"}));
    show.service.received(Bytes{0x90, 60, 100, 0x90, 60, 100});
    ASSERT_EQ(learner.events.size(), 1u);
    EXPECT_EQ(learner.events[0], (MidiEvent{MidiEvent::Kind::NoteOn, 1, 60, 100, -1}));
    EXPECT_EQ(show.windows.calls, (std::vector<std::string>{"stop", "play"}));  // the second note only
    EXPECT_FALSE(show.service.learning());

    for (const Bytes& message : {Bytes{0xB3, 7, 5}, Bytes{0xCF, 99}}) {
        Learner next;
        show.service.learn(&next);
        show.service.received(message);
        ASSERT_EQ(next.events.size(), 1u);
        EXPECT_EQ(next.events[0].channel, (message[0] & 0x0F) + 1);
        EXPECT_EQ(next.events[0].number, message[1]);
    }
    Learner cancelled;
    show.service.learn(&cancelled);
    show.service.learn(nullptr);
    const std::size_t calls = show.windows.calls.size();
    show.service.received(Bytes{0x90, 60, 100});
    EXPECT_TRUE(cancelled.events.empty());
    EXPECT_EQ(show.windows.calls.size(), calls + 1);
}

TEST(MidiService, FourFadersPaintTheSelectionLive)
{
    testing::ControlHarness h;  // element 16 selected
    MidiService service(h.model, h.control);
    MidiSettings settings;
    for (int plane = 1; plane <= Planes; ++plane)
        settings.bindings.push_back(bind(Kind::Mix, plane, MidiTrigger::Control, 1, 70 + plane));
    service.configure(settings);
    service.received(Bytes{0xB0, 71, 127, 72, 64, 73, 1, 74, 0});
    EXPECT_EQ(h.model.MixColour, (std::array<std::uint8_t, Planes>{255, 129, 2, 0}));
    const int levels[] = {h.model.colour(Red, 16), h.model.colour(Green, 16), h.model.colour(Blue, 16),
                          h.model.colour(White, 16)};
    EXPECT_EQ(std::vector<int>(std::begin(levels), std::end(levels)), (std::vector<int>{255, 129, 2, 0}));
    EXPECT_EQ(h.model.colour(Red, 15), 0);  // not selected
}

TEST(MidiService, FeedbackNotesFollowTheShowAndAreSentOnlyOnChange)
{
    testing::ControlHarness h;  // element 16 selected; memory K holds K and K + 2
    MidiService service(h.model, h.control);
    MidiSettings settings;
    settings.bindings = {
        bind(Kind::Play, 0, MidiTrigger::Note, 1, 60),   bind(Kind::Stop, 0, MidiTrigger::Note, 1, 61),
        bind(Kind::Memory, 1, MidiTrigger::Note, 2, 62), bind(Kind::All, 0, MidiTrigger::Note, 1, 63),
        bind(Kind::Tap, 16, MidiTrigger::Note, 1, 64),   bind(Kind::Memory, 2, MidiTrigger::Control, 1, 65),
        bind(Kind::User, 1, MidiTrigger::Note, 1, 66),
    };
    service.configure(settings);
    RecordingFeedback feedback;
    service.setFeedback(&feedback);
    using Notes = std::vector<std::tuple<int, int, int>>;
    // Once at the start, for every note binding with a state.
    service.showChanged();
    EXPECT_EQ(feedback.notes, (Notes{{1, 60, 0}, {1, 61, 127}, {2, 62, 0}, {1, 63, 0}, {1, 64, 127}}));

    feedback.notes.clear();
    service.showChanged();
    EXPECT_TRUE(feedback.notes.empty());

    service.received(Bytes{0x91, 62, 127});  // memory 1 recalled from the controller
    EXPECT_EQ(h.selected(), (std::vector<int>{1, 3}));
    EXPECT_EQ(feedback.notes, (Notes{{2, 62, 127}, {1, 64, 0}}));

    feedback.notes.clear();
    h.selection.selectAll();  // from the windows: heard at the next tick
    service.showChanged();
    EXPECT_EQ(feedback.notes, (Notes{{2, 62, 0}, {1, 63, 127}, {1, 64, 127}}));

    feedback.notes.clear();
    h.play();
    service.showChanged();
    EXPECT_EQ(feedback.notes, (Notes{{1, 60, 127}, {1, 61, 0}}));

    // An empty selection matches the unused memories; none of them is lit.
    feedback.notes.clear();
    h.model.SelectionMemory.fill(0);
    h.selection.clear();
    service.showChanged();
    EXPECT_EQ(feedback.notes, (Notes{{1, 63, 0}, {1, 64, 0}}));

    // New bindings are all sent again.
    feedback.notes.clear();
    settings.bindings.resize(1);
    service.configure(settings);
    service.showChanged();
    EXPECT_EQ(feedback.notes, (Notes{{1, 60, 127}}));
}


}  // namespace
}  // namespace tinctara
