#include "core/transfer/FakeMemoryCard.h"
#include "support/EngineHarness.h"
#include "windows/MemoryCardPresenter.h"

#include <gtest/gtest.h>

namespace tinctara {
namespace {

using namespace tinctara::testing;

class FakeMemoryCardView : public MemoryCardView {
public:
    void setCaption(std::string_view text) override { caption = text; }
    void setSequenceName(std::string_view text) override { sequence = text; }
    void setStatus(std::string_view text) override { status = text; }
    void setDisplay(std::string_view text) override { display = text; }
    void setProgress(std::int64_t done, std::int64_t total) override { progress = {done, total}; }
    void setWorking(bool on) override { working.push_back(on); }
    void closeWindow() override { ++closes; }

    std::string caption, sequence, status, display;
    std::pair<std::int64_t, std::int64_t> progress{-1, -1};
    std::vector<bool> working;
    int closes = 0;
};

struct PresenterBench {
    PresenterBench()
    {
        show.buildWall(2, 1);
        show.model.StepCount = 2;
        show.model.SequenceFileName = "/home/show/sequence/WELLE.CSQ";
    }
    EngineHarness show;
    FakeMemoryCard card{32768};
    SteppingMilliseconds clock;
    EventfulUser user;
    FakeMemoryCardView view;
    MemoryCardPresenter presenter{{show.model, user, clock, card}, view};
};

TEST(MemoryCardPresenter, ButtonsAndTheWindowWhileTheCardIsWorkedOn)
{
    PresenterBench b;
    b.presenter.Form_Load();
    EXPECT_EQ(b.view.caption, "Memorycard");
    EXPECT_EQ(b.view.sequence, "WELLE.CSQ");
    EXPECT_EQ(b.view.progress.second, 0) << "no bar before a write";

    // During the write a second click, "&Verlassen" and closing are held off;
    // closing stops the write.
    int nestedChecks = 0;
    b.user.onEvents = [&] {
        if (b.view.status != "Schreibe Szene (Lichtbild) Nr.:  1" || nestedChecks++)
            return;
        const long long before = b.card.portAccesses;
        b.presenter.cmdFiles_Click(MemoryCardButton::Write);
        b.presenter.cmdFiles_Click(MemoryCardButton::Read);
        EXPECT_EQ(b.card.portAccesses, before);
        EXPECT_TRUE(b.presenter.Form_QueryUnload());
    };
    b.presenter.cmdFiles_Click(MemoryCardButton::Write);
    EXPECT_EQ(nestedChecks, 1);
    EXPECT_EQ(b.view.status, "Abbruch beim Schreiben. Bis Adresse  512 geschrieben.");
    EXPECT_EQ(b.view.working, (std::vector<bool>{true, false}));
    EXPECT_FALSE(b.presenter.lastWriteFinished());
    EXPECT_EQ(b.view.progress, (std::pair<std::int64_t, std::int64_t>{512, 60 * 512}));
    EXPECT_FALSE(b.presenter.Form_QueryUnload());

    b.user.onEvents = nullptr;
    b.presenter.cmdFiles_Click(MemoryCardButton::Write);
    EXPECT_TRUE(b.presenter.lastWriteFinished());
    b.presenter.cmdFiles_Click(MemoryCardButton::Read);
    EXPECT_EQ(b.view.display.substr(0, 30), std::string(15, ' ') + "  0     1     2");
    b.presenter.cmdFiles_Click(MemoryCardButton::Load);
    EXPECT_EQ(b.view.closes, 0);
    b.presenter.cmdFiles_Click(MemoryCardButton::Leave);
    EXPECT_EQ(b.view.closes, 1);
}

}  // namespace
}  // namespace tinctara
