#include "windows/MemoryCardPresenter.h"

#include "files/ShowPaths.h"

namespace tinctara {

MemoryCardPresenter::MemoryCardPresenter(Services services, MemoryCardView& view)
    : s_(services), view_(view), card_({services.model, services.user, services.clock, services.pagestor, *this})
{
}

void MemoryCardPresenter::Form_Load()
{
    view_.setCaption("Memorycard");
    view_.setSequenceName(fileNamePart(s_.model.SequenceFileName));
    view_.setProgress(0, 0);
}

void MemoryCardPresenter::cmdFiles_Click(int index)
{
    // The buttons wait while the card is worked on; a click that still gets
    // through (the window handles events meanwhile) must not start a second run.
    if (working_)
        return;
    switch (index) {
    case MemoryCardButton::Write:
    case MemoryCardButton::Read:
        working_ = true;
        view_.setWorking(true);
        if (index == MemoryCardButton::Write) {
            lastWriteFinished_ = card_.writeCard();
        } else {
            const std::string text = card_.readCard();
            if (!text.empty())
                view_.setDisplay(text);
        }
        working_ = false;
        view_.setWorking(false);
        return;
    case MemoryCardButton::Leave:
        view_.closeWindow();
        return;
    default:
        return;
    }
}

bool MemoryCardPresenter::Form_QueryUnload()
{
    if (!working_)
        return false;
    card_.stop();
    return true;
}

void MemoryCardPresenter::showStatus(std::string_view text)
{
    status_ = text;
    view_.setStatus(text);
}

void MemoryCardPresenter::showProgress(std::int64_t written, std::int64_t total) { view_.setProgress(written, total); }

}  // namespace tinctara
