#include "core/transfer/FakeMemoryCard.h"
#include "support/EngineHarness.h"
#include "support/StepFrames.h"

#include <gtest/gtest.h>

#include <numeric>

namespace tinctara {
namespace {

using namespace tinctara::testing;

// A show with a 2 x 1 wall (channels 1..8) and a memory card of `size` at port 512.
struct CardBench {
    explicit CardBench(std::uint32_t size) : card(size) { show.buildWall(2, 1); }

    // Three steps with their own pictures; step 1 blends 300 and holds 20.
    void threeSteps()
    {
        show.setStep(1, 1, 10, 20, 30, 40, 20, 300);
        show.setStep(1, 2, 50, 60, 70, 80, 20, 300);
        show.setStep(2, 1, 1, 2, 3, 4, 5, 6);
        show.setStep(3, 2, 200, 201, 202, 203, 7, 8);
        show.model.StepCount = 3;
        // Positions after the sequence carry their own times.
        for (int k = 4; k <= StepSlots; ++k) {
            show.model.holdTime(k) = static_cast<std::uint16_t>(k);
            show.model.blendTime(k) = static_cast<std::uint16_t>(1000 + k);
        }
    }

    std::vector<std::uint8_t> slot(int k) const
    {
        const auto first = card.memory.begin() + (k - 1) * 512;
        return {first, first + 512};
    }

    EngineHarness show;
    FakeMemoryCard card;
    SteppingMilliseconds clock;
    EventfulUser user;
    StatusLog log;
    MemoryCard memoryCard{{show.model, user, clock, card, log}};
};

using testing::frameOf;

TEST(MemoryCardDetection, FindsEverySizeAndLeavesTheContentsAsTheyWere)
{
    const std::pair<std::uint32_t, const char*> cases[] = {
        {32768, " 32KB grosse Memorykarte gefunden."},   {65536, " 64KB grosse Memorykarte gefunden."},
        {131072, " 128KB grosse Memorykarte gefunden."}, {262144, " 256KB grosse Memorykarte gefunden."},
        {524288, " 512KB grosse Memorykarte gefunden."}, {1048576, " 1MB grosse Memorykarte gefunden."},
    };
    for (const auto& [size, text] : cases) {
        CardBench b(size);
        for (std::uint32_t a = 0; a < size; ++a)
            b.card.memory[a] = static_cast<std::uint8_t>(a * 7 + 3);
        const auto before = b.card.memory;
        b.memoryCard.detect();
        EXPECT_EQ(b.memoryCard.MemoryCardSize, static_cast<std::int32_t>(size));
        EXPECT_EQ(b.log.last(), text);
        EXPECT_EQ(b.card.page, 255) << "a known card keeps 255 in its page register";
        EXPECT_TRUE(b.card.memory == before) << size;
        EXPECT_TRUE(b.user.messages.empty());
    }
    const std::pair<std::int32_t, int> capacities[] = {{32768, 60},   {65536, 120},  {131072, 240},
                                                       {262144, 480}, {524288, 960}, {1048576, 1920}};
    for (const auto& [size, slots] : capacities)
        EXPECT_EQ(memoryCardCapacity(size), slots);
}

TEST(MemoryCardDetection, NoCardAddressFaultNoPortAndNoLibrary)
{
    struct Case {
        const char* name;
        std::uint32_t size;
        std::uint32_t brokenLines;
        std::uint16_t port;
        bool library;
        MessageAnswer answer;  // to the write-error questions
        const char* status;
        std::vector<std::string> messages;
        int beeps;
    };
    const Case cases[] = {
        {"nothing at the port, Ignore",
         0,
         0,
         512,
         true,
         MessageAnswer::Ignore,
         "Keine Memorykarte gefunden!",
         {"Fehler beim Schreiben von Adresse 0 Versuch Nr.: 20"},
         0},
        {"nothing at the port, Abort",
         0,
         0,
         512,
         true,
         MessageAnswer::Abort,
         "Es Konnte keine Karte angesprochen werden",
         {"Fehler beim Schreiben von Adresse 0 Versuch Nr.: 20"},
         1},
        {"address line 9 broken",
         131072,
         1u << 9,
         512,
         true,
         MessageAnswer::Ignore,
         "E/A -Fehler. Kann Karte nicht ansprechen",
         {"E/A -Fehler. Bitte überprüfen Sie ob eine andere Karte auf Adresse 512 ist."},
         1},
        {"port 0",
         32768,
         0,
         0,
         true,
         MessageAnswer::Ignore,
         "Es wurde noch keine Schittstellenkarte initialisiert!",
         {},
         1},
        {"library missing",
         32768,
         0,
         512,
         false,
         MessageAnswer::Ignore,
         "Es wurde noch keine Schittstellenkarte initialisiert!",
         {},
         1},
    };
    for (const Case& c : cases) {
        CardBench b(c.size);
        b.card.brokenLines = c.brokenLines;
        b.card.present = c.library;
        b.user.answers.assign(100, c.answer);
        b.memoryCard.MemoryCardPort = c.port;
        b.memoryCard.detect();
        EXPECT_EQ(b.memoryCard.MemoryCardSize, 0) << c.name;
        EXPECT_EQ(b.log.last(), c.status) << c.name;
        std::vector<std::string> texts;
        for (const auto& m : b.user.messages)
            texts.push_back(m.text);
        EXPECT_EQ(texts, c.messages) << c.name;
        EXPECT_EQ(b.user.beeps, c.beeps) << c.name;
        if (c.port == 0 || !c.library) {
            EXPECT_EQ(b.card.portAccesses, 0) << c.name << ": no port may be touched";
        } else if (c.size) {
            EXPECT_EQ(b.card.page, 0) << c.name;
        }
    }
}

TEST(MemoryCardWrite, ThreeStepsOnA32KCard)
{
    CardBench b(32768);
    b.threeSteps();
    b.show.model.correction(1, Red) = 30;  // 10 - 30 is stored as 0
    b.show.model.patch(2, White) = 600;    // no place on the card
    b.show.model.patch(2, Blue) = 0;
    ASSERT_TRUE(b.memoryCard.writeCard());

    EXPECT_EQ(b.slot(1), frameOf({0, 20, 30, 40, 50, 60, 0, 0}, 300, 20, 128));
    EXPECT_EQ(b.slot(1)[506], 1);
    EXPECT_EQ(b.slot(1)[507], 44);
    EXPECT_EQ(b.slot(2), frameOf({0, 2, 3, 4, 0, 0, 0, 0}, 6, 5, 128));
    EXPECT_EQ(b.slot(3), frameOf({0, 0, 0, 0, 200, 201, 0, 0}, 8, 7, 128));
    EXPECT_EQ(b.slot(4), frameOf({0, 20, 30, 40, 50, 60, 0, 0}, 1004, 4, 0)) << "step 1 again, marked last";
    for (int k = 5; k <= 60; ++k)
        ASSERT_EQ(b.slot(k), frameOf({}, 1000 + k, k, 0)) << "slot " << k;
    EXPECT_TRUE(std::all_of(b.card.memory.begin() + 60 * 512, b.card.memory.end(), [](auto v) { return v == 0; }));

    const std::vector<std::string> first(b.log.texts.begin(), b.log.texts.begin() + 7);
    EXPECT_EQ(first,
              (std::vector<std::string>{" 32KB grosse Memorykarte gefunden.", "Schreibe Daten in Memory Karte",
                                        "Schreibe Szene (Lichtbild) Nr.:  0", "Schreibe Szene (Lichtbild) Nr.:  1",
                                        "Schreibe Szene (Lichtbild) Nr.:  2", "Schreibe letzte Szene (Lichtbild) ",
                                        "Fülle Lichtbild  mit Null auf   4"}));
    EXPECT_EQ(b.log.last(), "Fertig mit Schreiben. Bis Adresse  30720 geschrieben.");
    EXPECT_EQ(b.log.progress.back(), (std::pair<std::int64_t, std::int64_t>{30720, 30720}));
    EXPECT_EQ(b.user.busyPointer, (std::vector<bool>{true, false}));
}

TEST(MemoryCardWrite, FillSlotsPastTheTimeTableGetTimesZero)
{
    CardBench b(262144);
    b.threeSteps();
    ASSERT_TRUE(b.memoryCard.writeCard());
    EXPECT_EQ(b.slot(255), frameOf({}, 1255, 255, 0));
    for (const int k : {256, 300, 480})
        EXPECT_EQ(b.slot(k), frameOf({}, 0, 0, 0)) << k;
    EXPECT_EQ(b.log.last(), "Fertig mit Schreiben. Bis Adresse  245760 geschrieben.");
}

TEST(MemoryCardWrite, LongerSequenceAsksAndCancelWritesNothing)
{
    for (const MessageAnswer answer : {MessageAnswer::Cancel, MessageAnswer::Ok}) {
        CardBench b(32768);
        b.show.model.StepCount = 100;
        for (int step = 1; step <= 100; ++step)
            b.show.model.stepColour(step, 1, Red) = static_cast<std::uint8_t>(step);
        b.user.answers = {answer};
        const bool written = b.memoryCard.writeCard();
        ASSERT_EQ(b.user.messages.size(), 1u);
        EXPECT_EQ(b.user.messages[0].text, "Sequenz kann nicht komplett auf die Memorykarte gespeichert werden.Soll so "
                                           "ich bis  60 Scenen abspeichern?");
        EXPECT_EQ(b.user.messages[0].title, "SAVE OPTIONS");
        EXPECT_EQ(b.user.messages[0].buttons, MessageButtons::OkCancel);
        if (answer == MessageAnswer::Cancel) {
            EXPECT_FALSE(written);
            EXPECT_EQ(b.log.last(), "Schreiben wurde abgebrochen!");
            EXPECT_TRUE(std::all_of(b.card.memory.begin(), b.card.memory.end(), [](auto v) { return v == 0; }));
        } else {
            EXPECT_TRUE(written);
            EXPECT_EQ(b.slot(60)[0], 60);
            EXPECT_EQ(b.slot(60)[511], 128) << "the 60th of 100 steps still has more to follow";
        }
    }
}

TEST(MemoryCardWrite, StopEndsTheWriteWhereItStood)
{
    CardBench b(32768);
    b.threeSteps();
    b.user.onEvents = [&] {
        if (b.log.last() == "Schreibe Szene (Lichtbild) Nr.:  2")
            b.memoryCard.stop();
    };
    EXPECT_FALSE(b.memoryCard.writeCard());
    EXPECT_EQ(b.log.last(), "Abbruch beim Schreiben. Bis Adresse  1024 geschrieben.");
    EXPECT_EQ(b.user.beeps, 1);
    EXPECT_EQ(b.memoryCard.MemoryCardAbort, 0);
    EXPECT_EQ(b.slot(3), std::vector<std::uint8_t>(512, 0));
}

// Address 5 never keeps what is written: twenty quiet attempts with growing
// waits, then a question on every further attempt.
TEST(MemoryCardWrite, AFailingByteAsksFromTheTwentiethAttempt)
{
    struct Case {
        std::deque<MessageAnswer> answers;
        bool finished;
        const char* status;
        std::size_t questions;
    };
    const Case cases[] = {
        {{MessageAnswer::Abort}, false, "Abbruch beim Schreiben. Bis Adresse  6 geschrieben.", 1},
        {{MessageAnswer::Retry, MessageAnswer::Ignore},
         true,
         "Fertig mit Schreiben. Bis Adresse  30720 geschrieben.",
         2},
    };
    for (const Case& c : cases) {
        CardBench b(32768);
        b.threeSteps();
        b.card.failingCells = {5};
        b.user.answers = c.answers;
        const std::int64_t start = b.clock.now;
        EXPECT_EQ(b.memoryCard.writeCard(), c.finished);
        EXPECT_EQ(b.log.last(), c.status);
        ASSERT_EQ(b.user.messages.size(), c.questions);
        EXPECT_EQ(b.user.messages[0].text, "Fehler beim Schreiben von Adresse 5 Versuch Nr.: 20");
        EXPECT_EQ(b.user.messages[0].buttons, MessageButtons::AbortRetryIgnore);
        if (c.questions > 1) {
            EXPECT_EQ(b.user.messages[1].text, "Fehler beim Schreiben von Adresse 5 Versuch Nr.: 21");
        }
        // Attempts 1..20 wait n x 50 ms before their read-back.
        EXPECT_GE(b.clock.now - start, 50 * (20 * 21 / 2));
    }
}

TEST(MemoryCardRead, ShowsTheFirstKilobyteTenValuesARow)
{
    CardBench b(65536);
    for (std::uint32_t a = 0; a <= 1024; ++a)
        b.card.memory[a] = static_cast<std::uint8_t>(a % 251);
    const std::string text = b.memoryCard.readCard();
    std::vector<std::string> rows;
    std::istringstream in(text);
    for (std::string row; std::getline(in, row);)
        rows.push_back(row);
    ASSERT_EQ(rows.size(), 1u + 103u);
    EXPECT_EQ(rows[0], "                 0     1     2     3     4     5     6     7     8     9   ");
    EXPECT_EQ(rows[1], "Adr 0-9      :   0 |   1 |   2 |   3 |   4 |   5 |   6 |   7 |   8 |   9 | ");
    EXPECT_EQ(rows[103], "Adr 1020-1024:  16 |  17 |  18 |  19 |  20 | ");
    EXPECT_EQ(b.log.last(), " 64KB grosse Memorykarte gefunden.");

    CardBench none(0);
    none.user.answers.assign(100, MessageAnswer::Ignore);
    EXPECT_EQ(none.memoryCard.readCard(), "");
    EXPECT_EQ(none.user.messages.back().text, " Keine Memorykarte gefunden. Überprüfen Sie die Memoryramcard und die "
                                              "E/A Adresse der Schnittstellenkarte . E/A =  512");
}

}  // namespace
}  // namespace tinctara
