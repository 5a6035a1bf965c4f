// MIDI in the program's event loop: messages waiting at the sequencer's
// descriptor are carried out, learned and answered on the UI thread.
#include "ProgramMidi.h"

#include "support/ControlHarness.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <memory>
#include <tuple>
#include <vector>

using namespace tinctara;

namespace {

using Notes = std::vector<std::tuple<int, int, int>>;

// A sequencer whose descriptor is one end of a socket pair; what the test
// writes to the other end arrives as one message.
class PairedSequencer : public MidiSequencer {
public:
    PairedSequencer(int fd, Notes& notes) : fd_(fd), notes_(notes) {}
    int descriptor() const override { return fd_; }
    void read(const Sink& sink) override
    {
        std::array<std::uint8_t, 64> bytes{};
        const ssize_t length = ::recv(fd_, bytes.data(), bytes.size(), MSG_DONTWAIT);
        if (length > 0)
            sink(std::span<const std::uint8_t>(bytes.data(), static_cast<std::size_t>(length)));
    }
    std::string connectFrom(const std::string&) override { return {}; }
    std::vector<std::string> readablePorts() const override { return {}; }
    void noteOn(int channel, int note, int velocity) override { notes_.emplace_back(channel, note, velocity); }

private:
    int fd_;
    Notes& notes_;
};

struct Learner : MidiLearnListener {
    void learned(const MidiEvent& event) override
    {
        events.push_back(event);
        onUiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
    }
    std::vector<MidiEvent> events;
    bool onUiThread = false;
};

}  // namespace

class ProgramMidiTest : public QObject {
    Q_OBJECT

    std::array<int, 2> pair_{-1, -1};
    Notes notes_;

    void send(std::initializer_list<std::uint8_t> bytes)
    {
        const std::vector<std::uint8_t> message(bytes);
        QCOMPARE(::send(pair_[1], message.data(), message.size(), 0), static_cast<ssize_t>(message.size()));
    }

private slots:
    void init()
    {
        QVERIFY(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair_.data()) == 0);
        notes_.clear();
    }
    void cleanup()
    {
        ::close(pair_[0]);
        ::close(pair_[1]);
    }

    void messagesAreCarriedOutLearnedAndAnsweredInTheEventLoop()
    {
        tinctara::testing::ControlHarness h;
        ProgramMidi midi(h.model, h.control, [this](std::string&) -> std::unique_ptr<MidiSequencer> {
            return std::make_unique<PairedSequencer>(pair_[0], notes_);
        });
        MidiSettings settings;
        settings.bindings = {{ShowAction::Kind::Memory, 1, MidiTrigger::Note, 1, 60},
                             {ShowAction::Kind::All, 0, MidiTrigger::Note, 1, 61}};
        QCOMPARE(midi.start(settings), std::string());
        QCOMPARE(notes_, (Notes{{1, 60, 0}, {1, 61, 0}}));

        send({0x90, 60, 100});
        QTRY_COMPARE(h.selected(), (std::vector<int>{1, 3}));
        QCOMPARE(notes_.back(), (std::tuple<int, int, int>{1, 60, 127}));

        Learner learner;
        midi.learn(&learner);
        send({0xB2, 7, 99});
        QTRY_COMPARE(learner.events.size(), std::size_t{1});
        QVERIFY(learner.onUiThread);
        QCOMPARE(learner.events[0], (MidiEvent{MidiEvent::Kind::ControlChange, 3, 7, 99, -1}));

        // A change in the windows while no output ticks is heard as well.
        h.selection.selectAll();
        QTRY_COMPARE(notes_.back(), (std::tuple<int, int, int>{1, 61, 127}));

        midi.stop();
        QVERIFY(!midi.running());
        send({0x90, 60, 100});
        QTest::qWait(100);
        QCOMPARE(h.selected().size(), std::size_t{16});  // not recalled: nothing listens
    }
};

QTEST_MAIN(ProgramMidiTest)
#include "ProgramMidiTest.moc"
