// MIDI in the program's event loop: messages waiting at the sequencer's
// descriptor are carried out, learned and answered on the UI thread.
#include "ProgramMidi.h"

#include "support/ControlHarness.h"
#include "support/FakeMidiSequencer.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>

#include <tuple>
#include <vector>

using namespace tinctara;

namespace {

using Note = std::tuple<int, int, int>;

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

private slots:
    void messagesAreCarriedOutLearnedAndAnsweredInTheEventLoop()
    {
        tinctara::testing::ControlHarness h;  // memory K holds K and K + 2
        tinctara::testing::FakeMidiMachine machine;
        ProgramMidi midi(h.model, h.control, machine.opener());
        MidiSettings settings;
        settings.bindings = {{ShowAction::Kind::Memory, 1, MidiTrigger::Note, 1, 60},
                             {ShowAction::Kind::All, 0, MidiTrigger::Note, 1, 61}};
        QCOMPARE(midi.start(settings), std::string());
        QCOMPARE(machine.notes, (std::vector<Note>{{1, 60, 0}, {1, 61, 0}}));

        QVERIFY(machine.send({0x90, 60, 100}));
        QTRY_COMPARE(h.selected(), (std::vector<int>{1, 3}));
        QCOMPARE(machine.notes.back(), (Note{1, 60, 127}));

        Learner learner;
        midi.learn(&learner);
        QVERIFY(machine.send({0xB2, 7, 99}));
        QTRY_COMPARE(learner.events.size(), std::size_t{1});
        QVERIFY(learner.onUiThread);
        QCOMPARE(learner.events[0], (MidiEvent{MidiEvent::Kind::ControlChange, 3, 7, 99, -1}));

        // A change in the windows while no output ticks is heard as well.
        h.selection.selectAll();
        QTRY_COMPARE(machine.notes.back(), (Note{1, 61, 127}));

        midi.stop();
        QVERIFY(!midi.running());
        QVERIFY(machine.send({0x90, 60, 100}));
        QTest::qWait(100);
        QCOMPARE(h.selected().size(), std::size_t{16});  // not recalled: nothing listens
    }

    void oneClientKeepsItsConnectionsAndSaysWhatFails()
    {
        tinctara::testing::ControlHarness h;
        tinctara::testing::FakeMidiMachine machine;
        ProgramMidi midi(h.model, h.control, machine.opener());
        MidiSettings settings;
        settings.port = "Pult:Tasten";
        // The ports before starting come from a client of the moment.
        QCOMPARE(midi.ports(), std::vector<std::string>{"Pult:Tasten"});
        QCOMPARE(machine.open, 0);
        QCOMPARE(midi.start(settings), std::string());
        QCOMPARE(midi.start(settings), std::string());
        QVERIFY(midi.current().enabled);
        settings.port = "Weg:0";
        QCOMPARE(midi.start(settings), std::string("nicht da: Weg:0"));
        QVERIFY(midi.running());
        QCOMPARE(machine.opened, 2);
        QCOMPARE(machine.connected, std::vector<std::string>{"Pult:Tasten"});
        midi.stop();
        QCOMPARE(machine.open, 0);
        QVERIFY(!midi.current().enabled);

        machine.present = false;
        QCOMPARE(midi.start(settings), std::string("kein Sequencer"));
        QVERIFY(!midi.running());
        QVERIFY(midi.ports().empty());
    }
};

QTEST_MAIN(ProgramMidiTest)
#include "ProgramMidiTest.moc"
