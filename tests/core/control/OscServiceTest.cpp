#include "control/OscService.h"

#include "support/ControlHarness.h"
#include "support/LoopbackPeer.h"
#include "support/ScriptedClock.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <lo/lo_lowlevel.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace tinctara {
namespace {

using testing::ScriptedClock;

// One message as liblo reads it: its address and first argument.
struct Heard {
    std::string path;
    int number = 0;
    std::string text;
    friend bool operator==(const Heard&, const Heard&) = default;
};

std::ostream& operator<<(std::ostream& out, const Heard& h)
{
    return out << h.path << " " << h.number << " \"" << h.text << "\"";
}

std::vector<std::uint8_t> serialised(const char* path, std::vector<int> numbers = {})
{
    lo_message m = lo_message_new();
    for (int n : numbers)
        lo_message_add_int32(m, n);
    std::size_t size = 0;
    void* data = lo_message_serialise(m, path, nullptr, &size);
    std::vector<std::uint8_t> bytes(static_cast<std::uint8_t*>(data), static_cast<std::uint8_t*>(data) + size);
    std::free(data);
    lo_message_free(m);
    return bytes;
}

// A UDP socket on a loopback address: a desk that sends and hears back.
class Desk {
public:
    explicit Desk(const char* address, std::uint16_t port = 0) : socket_(address, port) {}

    std::uint16_t port() const { return socket_.port(); }
    void send(std::uint16_t to, const std::vector<std::uint8_t>& bytes) { socket_.send(to, bytes); }

    // Everything that arrived, decoded by liblo. Loopback delivers within
    // the sending call, so nothing more is on its way.
    std::vector<Heard> heard()
    {
        std::vector<Heard> messages;
        while (auto datagram = socket_.receive()) {
            datagram->push_back(0);  // the address ends inside, the copy for its text ends here
            int error = 0;
            lo_message m = lo_message_deserialise(datagram->data(), datagram->size() - 1, &error);
            if (!m) {
                ADD_FAILURE() << "liblo cannot read feedback: error " << error;
                continue;
            }
            Heard h{reinterpret_cast<const char*>(datagram->data()), 0, ""};
            EXPECT_EQ(lo_message_get_argc(m), 1) << h.path;
            const char type = lo_message_get_types(m)[0];
            lo_arg* argument = lo_message_get_argv(m)[0];
            if (type == LO_INT32)
                std::memcpy(&h.number, argument, sizeof h.number);
            else if (type == LO_STRING)
                h.text = &argument->s;
            else
                ADD_FAILURE() << h.path << " has type " << type;
            messages.push_back(h);
            lo_message_free(m);
        }
        return messages;
    }

private:
    testing::LoopbackPeer socket_;
};

// The control harness's 4 x 4 wall (element 16 selected) with OSC on a
// free loopback port; desks hear back at `feedback`'s port.
struct OscHarness : testing::ControlHarness {
    OscHarness(std::string destination = {})
    {
        OscSettings settings;
        settings.port = 0;
        settings.feedbackPort = feedback.port();
        settings.feedbackDestination = std::move(destination);
        EXPECT_EQ(osc.start(settings), "");
        osc.showChanged();
    }
    void send(Desk& desk, const std::vector<std::uint8_t>& bytes)
    {
        desk.send(static_cast<std::uint16_t>(osc.current().port), bytes);
        osc.readable();
    }

    ScriptedClock clock;
    OscService osc{{control, model, clock, {}}};
    Desk feedback{"127.0.0.1"};
};

std::vector<Heard> allFour(int step, int playing, int selected, std::string status)
{
    return {{"/tinctara/step", step, ""},
            {"/tinctara/playing", playing, ""},
            {"/tinctara/selected", selected, ""},
            {"/tinctara/status", 0, std::move(status)}};
}

TEST(OscService, ADatagramActsAndItsSenderHearsAllFourThenOnlyChanges)
{
    OscHarness h;
    EXPECT_TRUE(h.feedback.heard().empty()) << "nobody has spoken yet";

    h.send(h.feedback, serialised("/tinctara/tap", {1}));
    EXPECT_EQ(h.selected(), (std::vector<int>{1, 16}));
    EXPECT_EQ(h.feedback.heard(), allFour(h.model.CurrentStep, 0, 2, h.wallStatus()));

    // Only what changed: the count and the wall's text, not the step or playing state.
    h.send(h.feedback, serialised("/tinctara/none"));
    EXPECT_EQ(h.feedback.heard(),
              (std::vector<Heard>{{"/tinctara/selected", 0, ""}, {"/tinctara/status", 0, h.wallStatus()}}));
    h.send(h.feedback, serialised("/tinctara/memory", {3}));
    EXPECT_EQ(h.selected(), (std::vector<int>{3, 5}));
    EXPECT_EQ(h.feedback.heard(),
              (std::vector<Heard>{{"/tinctara/selected", 2, ""}, {"/tinctara/status", 0, h.wallStatus()}}));
    // The same again changes nothing, so nothing is sent.
    h.send(h.feedback, serialised("/tinctara/memory", {3}));
    EXPECT_TRUE(h.feedback.heard().empty());

    // A change that no datagram made goes out after the tick that shows it.
    h.play(3);
    h.osc.showChanged();
    EXPECT_EQ(h.feedback.heard(), (std::vector<Heard>{{"/tinctara/step", 3, ""}, {"/tinctara/playing", 1, ""}}));
    h.osc.showChanged();
    EXPECT_TRUE(h.feedback.heard().empty());

    // While it plays the wall takes no taps: the refusal is the new status.
    h.send(h.feedback, serialised("/tinctara/tap", {2}));
    EXPECT_EQ(h.feedback.heard(), (std::vector<Heard>{{"/tinctara/status", 0, ShowText::WallLocked}}));
    EXPECT_EQ(h.osc.counters().received, 5U);
    EXPECT_EQ(h.osc.counters().carriedOut, 4U);
}

TEST(OscService, AnOpenQuestionRefusesAndSaysSo)
{
    OscHarness h;
    h.question = true;
    const auto selection = h.model.SelectionFlags;
    h.send(h.feedback, serialised("/tinctara/all"));
    EXPECT_EQ(h.model.SelectionFlags, selection);
    EXPECT_EQ(h.osc.counters().carriedOut, 0U);
    EXPECT_EQ(h.feedback.heard(), allFour(h.model.CurrentStep, 0, 1, "Eine Frage wartet am Rechner."));
}

TEST(OscService, DatagramsThatAreNoActionAreCountedAndChangeNothing)
{
    std::vector<std::uint8_t> oversized = serialised("/tinctara/all");
    oversized.resize(OscDatagramLimit + 1, 0);
    const struct {
        const char* what;
        std::vector<std::uint8_t> bytes;
        OscDrop drop;
    } cases[] = {
        {"text", {'h', 'e', 'l', 'l', 'o'}, OscDrop::Malformed},
        {"cut short", {'/', 't', 'i', 'n'}, OscDrop::Malformed},
        {"oversized", oversized, OscDrop::Oversized},
        {"unknown address", serialised("/tinctara/explode"), OscDrop::UnknownAddress},
        {"another program's address", serialised("/cue/go"), OscDrop::UnknownAddress},
        {"too few arguments", serialised("/tinctara/mix", {1, 2}), OscDrop::WrongArguments},
        {"a level out of range", serialised("/tinctara/mix", {1, 2, 3, 256}), OscDrop::WrongArguments},
    };
    OscHarness h;
    const auto selection = h.model.SelectionFlags;
    const auto colours = h.model.ElementColours;
    std::array<std::uint64_t, OscDropKinds> expected{};
    for (const auto& c : cases) {
        h.send(h.feedback, c.bytes);
        ++expected[static_cast<std::size_t>(c.drop)];
        EXPECT_EQ(h.osc.counters().dropped, expected) << c.what;
    }
    EXPECT_EQ(h.osc.counters().received, std::size(cases));
    EXPECT_EQ(h.osc.counters().carriedOut, 0U);
    EXPECT_EQ(h.model.SelectionFlags, selection);
    EXPECT_EQ(h.model.ElementColours, colours);
    EXPECT_TRUE(h.feedback.heard().empty()) << "a sender of nothing valid hears nothing";
}

TEST(OscService, EachSenderIsLimitedOnItsOwn)
{
    OscHarness h;
    Desk other("127.0.0.2");
    const auto tap = serialised("/tinctara/tap", {1});
    for (int i = 0; i < 25; ++i)
        h.send(h.feedback, tap);
    EXPECT_EQ(h.osc.counters().carriedOut, 20U);
    EXPECT_EQ(h.osc.counters().limited, 5U);
    // A second desk has a burst of its own.
    h.send(other, tap);
    EXPECT_EQ(h.osc.counters().carriedOut, 21U);
    // The first one's bucket refills at ten a second.
    h.clock.ms += 99;
    h.send(h.feedback, tap);
    EXPECT_EQ(h.osc.counters().limited, 6U);
    h.clock.ms += 1;
    h.send(h.feedback, tap);
    EXPECT_EQ(h.osc.counters().carriedOut, 22U);
}

TEST(OscService, AFloodIsTakenInPortionsSoTheWindowKeepsRunning)
{
    OscHarness h;
    const auto bogus = serialised("/tinctara/bogus");
    const std::uint64_t before = h.osc.counters().received;
    for (std::size_t i = 0; i < OscService::DatagramsPerWake + 36; ++i)
        h.feedback.send(static_cast<std::uint16_t>(h.osc.current().port), bogus);
    h.osc.readable();
    EXPECT_EQ(h.osc.counters().received - before, OscService::DatagramsPerWake);
    h.osc.readable();
    EXPECT_EQ(h.osc.counters().received - before, OscService::DatagramsPerWake + 36);
}

TEST(OscService, SendersHearBackForAMinuteAndOnlyTheSixteenLatest)
{
    OscHarness h;
    h.send(h.feedback, serialised("/tinctara/none"));
    h.feedback.heard();
    h.clock.ms += OscService::FeedbackMemoryMs - 1;
    h.send(h.feedback, serialised("/tinctara/all"));
    const std::vector<Heard> later = h.feedback.heard();
    ASSERT_FALSE(later.empty()) << "a minute less a millisecond later";
    EXPECT_EQ(later[0], (Heard{"/tinctara/selected", 16, ""}));
    // Heard again just now: the minute starts anew.
    h.clock.ms += OscService::FeedbackMemoryMs - 1;
    h.play();
    h.osc.showChanged();
    EXPECT_FALSE(h.feedback.heard().empty());
    h.clock.ms += 1;
    h.model.clearState(StateFlag::SequencePlaying);
    h.osc.showChanged();
    EXPECT_TRUE(h.feedback.heard().empty()) << "silent for a minute: forgotten";

    // Seventeen desks, 127.0.0.2 .. 127.0.0.18, one after another: the
    // first is forgotten, the others hear the next change.
    std::vector<std::unique_ptr<Desk>> desks;
    for (int index = 0; index < 17; ++index) {
        const std::string address = "127.0.0." + std::to_string(index + 2);
        desks.push_back(std::make_unique<Desk>(address.c_str(), h.feedback.port()));
        h.clock.ms += 10;
        h.send(*desks.back(), serialised("/tinctara/memory", {1 + index % 2}));
    }
    for (auto& desk : desks)
        desk->heard();
    h.model.CurrentStep = 7;
    h.osc.showChanged();
    EXPECT_TRUE(desks[0]->heard().empty());
    for (std::size_t index = 1; index < desks.size(); ++index)
        EXPECT_EQ(desks[index]->heard(), (std::vector<Heard>{{"/tinctara/step", 7, ""}})) << index;
}

TEST(OscService, TheFeedbackDestinationHearsFromTheStart)
{
    Desk console("127.0.0.1");
    OscHarness h("127.0.0.1:" + std::to_string(console.port()));
    EXPECT_EQ(console.heard(), allFour(h.model.CurrentStep, 0, 1, ""));
    h.model.CurrentStep = 2;
    h.osc.showChanged();
    EXPECT_EQ(console.heard(), (std::vector<Heard>{{"/tinctara/step", 2, ""}}));
}

TEST(OscService, StartProblemsAreSaidInGerman)
{
    OscHarness h;
    const int taken = h.osc.current().port;
    testing::ControlHarness c;
    ScriptedClock clock;
    OscService second{{c.control, c.model, clock, {}}};
    const auto problem = [&](std::string address, int port, std::string destination = {}) {
        OscSettings settings;
        settings.address = std::move(address);
        settings.port = port;
        settings.feedbackDestination = std::move(destination);
        return second.start(settings);
    };
    const std::string where = "127.0.0.1:" + std::to_string(taken);
    EXPECT_EQ(problem("127.0.0.1", taken), "OSC kann nicht auf " + where + " hören: Adresse wird bereits verwendet.");
    EXPECT_EQ(problem("localhost", 8000), "OSC kann nicht auf localhost:8000 hören: das ist keine IPv4-Adresse.");
    EXPECT_EQ(problem("127.0.0.1", 0, "127.0.0.1"), "OSC: das Rückmeldeziel 127.0.0.1 ist keine Angabe ADRESSE:PORT.");
    EXPECT_EQ(problem("127.0.0.1", 0, "127.0.0.1:70000"),
              "OSC: das Rückmeldeziel 127.0.0.1:70000 ist keine Angabe ADRESSE:PORT.");
    EXPECT_FALSE(second.running());
    EXPECT_EQ(second.descriptor(), -1);
    // A listener that could not start leaves the running one alone.
    EXPECT_TRUE(h.osc.running());
}

}  // namespace
}  // namespace tinctara
