#pragma once

#include "model/ShowModel.h"
#include "platform/Clock.h"
#include "platform/UserInteraction.h"
#include "transfer/MemoryCard.h"
#include "transfer/Pagestor.h"

#include <string>
#include <string_view>

namespace tinctara {

// What the memory card window shows.
class MemoryCardView {
public:
    virtual ~MemoryCardView() = default;
    virtual void setCaption(std::string_view caption) = 0;
    virtual void setSequenceName(std::string_view name) = 0;
    virtual void setStatus(std::string_view text) = 0;
    virtual void setDisplay(std::string_view text) = 0;
    // Bytes written of the image; total 0 hides the bar.
    virtual void setProgress(std::int64_t written, std::int64_t total) = 0;
    // While the card is worked on only Stop is usable.
    virtual void setWorking(bool working) = 0;
    virtual void closeWindow() = 0;
};

namespace MemoryCardButton {
inline constexpr int Write = 0;  // "&Schreiben"
inline constexpr int Read = 1;   // "&Lesen"
inline constexpr int Leave = 2;  // "&Verlassen"
inline constexpr int Load = 3;   // "&Laden", which does nothing
inline constexpr int Count = 4;
inline constexpr const char* Captions[Count] = {"&Schreiben", "&Lesen", "&Verlassen", "&Laden"};
}  // namespace MemoryCardButton

// frmFiles, "Memorycard": writes the loaded sequence to the memory card and
// shows the card's first kilobyte.
class MemoryCardPresenter : private MemoryCardObserver {
public:
    struct Services {
        ShowModel& model;
        UserInteraction& user;
        Clock& clock;
        PagestorLibrary& pagestor;
    };

    MemoryCardPresenter(Services services, MemoryCardView& view);

    void Form_Load();
    void cmdFiles_Click(int index);
    void cmdStop_Click() { card_.stop(); }
    // True when the window must stay: a write or read is running (it is
    // stopped, and the window can be closed once it has ended).
    bool Form_QueryUnload();

    bool working() const { return working_; }
    // How the last write ended.
    bool lastWriteFinished() const { return lastWriteFinished_; }
    const std::string& status() const { return status_; }
    MemoryCard& card() { return card_; }

private:
    void showStatus(std::string_view text) override;
    void showProgress(std::int64_t written, std::int64_t total) override;

    Services s_;
    MemoryCardView& view_;
    MemoryCard card_;
    bool working_ = false;
    bool lastWriteFinished_ = false;
    std::string status_;
};

}  // namespace tinctara
