#pragma once

#include <array>
#include <string>
#include <string_view>

namespace tinctara {

// What the sequencer window shows.
class SequencerView {
public:
    virtual ~SequencerView() = default;
    virtual void setField(int index, std::string_view text) = 0;
    virtual void setStatus(std::string_view text) = 0;
    virtual void setCaption(std::string_view caption) = 0;
    virtual void setTimeFieldsEnabled(bool enabled) = 0;
};

// The sequencer window's fields, status line and caption for the whole run:
// the output engine, the show files and the window's logic write them whether
// or not the window is open, and the sequence saver reads the blend field.
class SequencerWindowState {
public:
    SequencerWindowState();
    void attachView(SequencerView* view);

    void setField(int index, std::string_view text);
    std::string field(int index) const;
    void setStatus(std::string_view text);
    void setCaption(std::string_view caption);
    void setTimeFieldsEnabled(bool enabled);
    void setTurboField(std::string_view text) { turbo_ = text; }

    const std::string& status() const { return status_; }
    const std::string& caption() const { return caption_; }
    bool timeFieldsEnabled() const { return timeFieldsEnabled_; }

private:
    SequencerView* view_ = nullptr;
    std::array<std::string, 3> fields_{"", "50", "1"};
    std::string status_;
    std::string caption_;  // empty after CLR ALL: the window then shows none
    std::string turbo_;
    bool timeFieldsEnabled_ = true;
};

}  // namespace tinctara
