#include "history/UndoHistory.h"
#include "model/WallBuilder.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace tinctara {
namespace {

using history::AllDocumentKinds;
using history::DocumentKind;
using history::DocumentKinds;
using history::FlagEffect;
using history::UndoHistory;

constexpr std::size_t Kinds = 4;

std::size_t at(DocumentKind kind) { return static_cast<std::size_t>(kind); }

// Three fields of each document that the runs below edit.
using Probes = std::array<int, 3>;

Probes probe(const ShowModel& model, DocumentKind kind)
{
    switch (kind) {
    case DocumentKind::Config:
        return {model.patch(1, Red), model.correction(2, Blue), model.DmxTiming[0]};
    case DocumentKind::Scene:
        return {model.colour(Red, 1), model.colour(Green, 2), model.colour(White, 16)};
    case DocumentKind::Sequence:
        return {model.StepCount, model.stepColour(1, 1, Red), model.holdTime(1)};
    case DocumentKind::ColourTable:
        break;
    }
    return {model.ColourLevels[0], model.ColourLevels[41], model.ColourLevels[79]};
}

void setProbe(ShowModel& model, DocumentKind kind, int which, int value)
{
    auto byte = static_cast<std::uint8_t>(value);
    switch (kind) {
    case DocumentKind::Config:
        if (which == 0)
            model.patch(1, Red) = static_cast<std::uint16_t>(value);
        else if (which == 1)
            model.correction(2, Blue) = byte;
        else
            model.DmxTiming[0] = static_cast<std::int16_t>(value);
        return;
    case DocumentKind::Scene:
        model.colour(std::array{Red, Green, White}[which], std::array{1, 2, 16}[which]) = byte;
        return;
    case DocumentKind::Sequence:
        if (which == 0)
            model.StepCount = static_cast<std::uint8_t>(1 + value);  // the snapshot's size follows
        else if (which == 1)
            model.stepColour(1, 1, Red) = byte;
        else
            model.holdTime(1) = static_cast<std::uint16_t>(value);
        return;
    case DocumentKind::ColourTable:
        model.ColourLevels[std::array{0, 41, 79}[which]] = byte;
        return;
    }
}

std::size_t snapshotBytes(const ShowModel& model, DocumentKind kind) { return history::take(model, kind).bytes(); }

// What the history must do, kept the plain way: a list of entries with the
// fields they changed, a number per state of each document and the number
// each document was saved at.
struct Reference {
    struct Entry {
        std::array<bool, Kinds> touches{};
        std::array<Probes, Kinds> before{}, after{};
        std::array<int, Kinds> beforeId{}, afterId{};
        bool marks = false;
        std::size_t bytes = 0;
    };
    std::deque<Entry> done;
    std::vector<Entry> undone;
    std::array<Probes, Kinds> current{};
    std::array<int, Kinds> id{};
    std::array<std::optional<int>, Kinds> saved{};
    std::uint16_t flags = 0;
    int nextId = 1;
    std::size_t bytes = 0;
    std::size_t limit = 0;
    std::size_t mostEntries = 0;
    int droppedForBytes = 0;

    void step(const Entry& entry, bool forward)
    {
        for (const DocumentKind kind : AllDocumentKinds) {
            const std::size_t k = at(kind);
            if (!entry.touches[k])
                continue;
            current[k] = forward ? entry.after[k] : entry.before[k];
            id[k] = forward ? entry.afterId[k] : entry.beforeId[k];
            if (entry.marks)
                flags = saved[k] == id[k] ? flags & ~history::changedFlag(kind) : flags | history::changedFlag(kind);
        }
    }
    void record(Entry entry)
    {
        for (const Entry& gone : undone)
            bytes -= gone.bytes;
        undone.clear();
        bytes += entry.bytes;
        done.push_back(entry);
        while (!done.empty() && (done.size() > 100 || bytes > limit)) {
            droppedForBytes += done.size() <= 100;
            bytes -= done.front().bytes;
            done.pop_front();
        }
        mostEntries = std::max(mostEntries, done.size());
    }
    void load(DocumentKind kind, const Probes& probes, bool fromFile)
    {
        auto touching = [&](const Entry& entry) { return entry.touches[at(kind)]; };
        for (const Entry& entry : done)
            bytes -= touching(entry) ? entry.bytes : 0;
        for (const Entry& entry : undone)
            bytes -= touching(entry) ? entry.bytes : 0;
        std::erase_if(done, touching);
        std::erase_if(undone, touching);
        current[at(kind)] = probes;
        id[at(kind)] = nextId++;
        saved[at(kind)] = fromFile ? std::optional(id[at(kind)]) : std::nullopt;
    }
};

struct RunCase {
    std::size_t byteLimit;
    unsigned seed;
    double loads;  // weight of loads among the operations
};

TEST(UndoHistory, LongRandomRunsFollowThePlainModel)
{
    const RunCase runs[] = {{UndoHistory::DefaultByteLimit, 1, 0.2}, {60000, 2, 2}, {20000, 3, 2}};
    for (const RunCase& run : runs) {
        SCOPED_TRACE(run.byteLimit);
        auto storage = std::make_unique<ShowModel>();
        ShowModel& model = *storage;
        testing::RecordingView view;
        testing::ScriptedUser user;
        model.WallColumns = 4;
        model.WallRows = 4;
        BuildWall(model, view, user, WallBuildKind::FromConfiguration);
        model.StepCount = 1;
        model.DocumentFlags = DocumentFlag::SequenceNew | DocumentFlag::SequenceChanged;
        UndoHistory history(model, run.byteLimit);

        Reference ref;
        ref.limit = run.byteLimit;
        ref.flags = model.DocumentFlags;
        for (const DocumentKind kind : AllDocumentKinds) {
            ref.current[at(kind)] = probe(model, kind);
            ref.id[at(kind)] = ref.nextId++;
            if (!model.hasDocument(history::changedFlag(kind)))
                ref.saved[at(kind)] = ref.id[at(kind)];
        }

        std::mt19937 random(run.seed);
        auto chance = [&](double p) { return std::bernoulli_distribution(p)(random); };
        auto any = [&](int high) { return std::uniform_int_distribution<int>(0, high)(random); };
        std::discrete_distribution<int> operation({55, 18, 14, 8, run.loads});
        for (int n = 0; n < 6000; ++n) {
            const int op = operation(random);
            const DocumentKind some = AllDocumentKinds[any(3)];
            if (op == 0) {
                DocumentKinds kinds{some};
                std::vector<DocumentKind> list;
                for (const DocumentKind kind : AllDocumentKinds)
                    if (kind == some || chance(0.25)) {
                        kinds.add(kind);
                        list.push_back(kind);
                    }

                const bool marks = chance(0.7);
                Reference::Entry entry;
                entry.marks = marks;
                std::array<std::size_t, Kinds> sizeBefore{};
                for (const DocumentKind kind : list)
                    sizeBefore[at(kind)] = snapshotBytes(model, kind);
                history.begin("Schritt " + std::to_string(n), kinds);
                for (const DocumentKind kind : list) {
                    if (chance(0.85))
                        setProbe(model, kind, any(2), any(3));
                    if (marks)
                        model.setDocument(history::changedFlag(kind));
                }
                if (marks)
                    for (const DocumentKind kind : list)
                        ref.flags |= history::changedFlag(kind);
                bool changed = false;
                for (const DocumentKind kind : list) {
                    const std::size_t k = at(kind);
                    const Probes now = probe(model, kind);
                    if (now == ref.current[k])
                        continue;
                    changed = true;
                    entry.touches[k] = true;
                    entry.before[k] = ref.current[k];
                    entry.after[k] = now;
                    entry.beforeId[k] = ref.id[k];
                    entry.afterId[k] = ref.id[k] = ref.nextId++;
                    entry.bytes += sizeBefore[k] + snapshotBytes(model, kind);
                    ref.current[k] = now;
                }
                ASSERT_EQ(history.commit(marks ? FlagEffect::MarksChanged : FlagEffect::LeavesMarks), changed);
                if (changed)
                    ref.record(entry);
            } else if (op == 1) {
                ASSERT_EQ(history.undo(), !ref.done.empty());
                if (!ref.done.empty()) {
                    ref.step(ref.done.back(), false);
                    ref.undone.push_back(ref.done.back());
                    ref.done.pop_back();
                }
            } else if (op == 2) {
                ASSERT_EQ(history.redo(), !ref.undone.empty());
                if (!ref.undone.empty()) {
                    ref.step(ref.undone.back(), true);
                    ref.done.push_back(ref.undone.back());
                    ref.undone.pop_back();
                }
            } else if (op == 3) {
                model.clearDocument(history::changedFlag(some) | history::newFlag(some));
                ref.flags &= static_cast<std::uint16_t>(~(history::changedFlag(some) | history::newFlag(some)));
                history.documentSaved(some);
                ref.saved[at(some)] = ref.id[at(some)];
            } else {
                for (int which = 0; which < 3; ++which)
                    setProbe(model, some, which, any(3));
                const bool fromFile = chance(0.5);
                const std::uint16_t marks = history::changedFlag(some) | history::newFlag(some);
                if (fromFile)
                    model.clearDocument(marks);
                else
                    model.setDocument(marks);
                ref.flags = fromFile ? ref.flags & ~marks : ref.flags | marks;
                history.documentLoaded(some);
                ref.load(some, probe(model, some), fromFile);
            }

            for (const DocumentKind kind : AllDocumentKinds)
                ASSERT_EQ(probe(model, kind), ref.current[at(kind)]) << "operation " << n << " kind " << int(kind);
            ASSERT_EQ(model.DocumentFlags, ref.flags) << "operation " << n;
            ASSERT_EQ(history.undoCount(), ref.done.size()) << "operation " << n;
            ASSERT_EQ(history.redoCount(), ref.undone.size()) << "operation " << n;
            ASSERT_EQ(history.bytes(), ref.bytes) << "operation " << n;
        }
        // The runs reach the bounds they are meant to test.
        if (run.byteLimit == UndoHistory::DefaultByteLimit)
            EXPECT_EQ(ref.mostEntries, UndoHistory::MaxEntries);
        else
            EXPECT_GT(ref.droppedForBytes, 100);
    }
}

struct GestureCase {
    const char* name;
    std::vector<std::string> script;
    std::size_t entries;
    std::vector<int> afterEachUndo;  // the fader's level
};

// "set N" moves fader 3's element to N, "both N" the element and the first hold
// time; "gesture K" and "end" open and close gestures.
const GestureCase Gestures[] = {
    {"each edit an entry", {"set 1", "set 2"}, 2, {1, 0}},
    {"one drag, one entry", {"gesture 3", "set 1", "set 2", "set 3", "end"}, 1, {0}},
    {"another fader between", {"gesture 3", "set 1", "gesture 4", "set 2", "gesture 3", "set 3"}, 3, {2, 1, 0}},
    {"ended and taken again", {"gesture 3", "set 1", "end", "gesture 3", "set 2"}, 2, {1, 0}},
    {"an undo ends the entry", {"gesture 3", "set 1", "set 2", "undo", "set 5", "set 6"}, 1, {0}},
    {"a save ends the entry", {"gesture 3", "set 1", "save", "set 2"}, 2, {1, 0}},
    {"a load ends the entry", {"gesture 3", "set 1", "load", "set 2", "set 4"}, 2, {1, 0}},
    {"back where it started", {"gesture 3", "set 1", "set 2", "set 0"}, 0, {}},
    {"a second document joins", {"gesture 3", "set 1", "both 2"}, 1, {0}},
};

TEST(UndoHistory, GesturesMakeOneEntryUntilSomethingComesBetween)
{
    for (const GestureCase& test : Gestures) {
        SCOPED_TRACE(test.name);
        auto storage = std::make_unique<ShowModel>();
        ShowModel& model = *storage;
        model.StepCount = 1;
        UndoHistory history(model);
        std::string lastCaption;
        for (const std::string& line : test.script) {
            const auto space = line.find(' ');
            const std::string word = line.substr(0, space);
            const std::string argument = space == std::string::npos ? "" : line.substr(space + 1);
            if (word == "gesture") {
                history.beginGesture("fader " + argument);
            } else if (word == "end") {
                history.endGesture();
            } else if (word == "undo") {
                history.undo();
            } else if (word == "save") {
                history.documentSaved(DocumentKind::Scene);
            } else if (word == "load") {
                history.documentLoaded(DocumentKind::Sequence);
            } else {
                const bool both = word == "both";
                lastCaption = "Fader " + argument;
                history.begin("Fader " + argument, both ? DocumentKinds{DocumentKind::Scene, DocumentKind::Sequence}
                                                        : DocumentKinds{DocumentKind::Scene});
                model.colour(Red, 1) = static_cast<std::uint8_t>(std::stoi(argument));
                if (both)
                    model.holdTime(1) = static_cast<std::uint16_t>(std::stoi(argument));
                history.commit();
            }
        }
        ASSERT_EQ(history.undoCount(), test.entries);
        if (test.entries > 0) {
            EXPECT_EQ(history.undoCaption(), "Rückgängig: " + lastCaption);
        }
        for (const int level : test.afterEachUndo) {
            ASSERT_TRUE(history.undo());
            EXPECT_EQ(model.colour(Red, 1), level);
        }
        EXPECT_FALSE(history.canUndo());
        if (test.afterEachUndo.empty() || test.afterEachUndo.back() == 0) {
            EXPECT_EQ(model.holdTime(1), 0);
        }
    }
}

TEST(UndoHistory, ALoadDropsEveryEntryTouchingItsDocumentAndANewEntryTheRedoList)
{
    auto storage = std::make_unique<ShowModel>();
    ShowModel& model = *storage;
    UndoHistory history(model);
    auto edit = [&](const char* caption, DocumentKinds kinds, int level) {
        history.begin(caption, kinds);
        model.colour(Red, 1) = static_cast<std::uint8_t>(level);
        model.ColourLevels[0] = static_cast<std::uint8_t>(level);
        model.patch(1, Red) = static_cast<std::uint16_t>(level);
        return history.commit();
    };
    EXPECT_FALSE(edit("nichts", {DocumentKind::Scene}, 0));
    EXPECT_TRUE(edit("Wand und Farbe", {DocumentKind::Config, DocumentKind::Scene}, 1));
    EXPECT_TRUE(edit("Tabelle", {DocumentKind::ColourTable}, 2));
    EXPECT_TRUE(edit("Farbe", {DocumentKind::Scene}, 3));
    history.undo();
    EXPECT_EQ(history.redoCaption(), "Wiederholen: Farbe");
    history.documentLoaded(DocumentKind::Config);
    EXPECT_EQ(history.undoCount(), 1u);
    EXPECT_EQ(history.undoCaption(), "Rückgängig: Tabelle");
    EXPECT_EQ(history.redoCount(), 1u);
    EXPECT_TRUE(edit("Tabelle 2", {DocumentKind::ColourTable}, 4));
    EXPECT_FALSE(history.canRedo());
    EXPECT_EQ(history.redoCaption(), "");
}

}  // namespace
}  // namespace tinctara
