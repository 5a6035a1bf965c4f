#include "windows/SequencerWindowState.h"

#include "windows/SequencerPresenter.h"

namespace tinctara {

SequencerWindowState::SequencerWindowState() : caption_(SequencerText::Caption) {}

void SequencerWindowState::attachView(SequencerView* view)
{
    view_ = view;
    if (!view_)
        return;
    for (int index = 0; index < static_cast<int>(fields_.size()); ++index)
        view_->setField(index, fields_[index]);
    view_->setStatus(status_);
    view_->setCaption(caption_);
    view_->setTimeFieldsEnabled(timeFieldsEnabled_);
}

void SequencerWindowState::setField(int index, std::string_view text)
{
    if (index < 0 || index >= static_cast<int>(fields_.size()) || fields_[index] == text)
        return;
    fields_[index] = text;
    if (view_)
        view_->setField(index, text);
}

std::string SequencerWindowState::field(int index) const
{
    return index >= 0 && index < static_cast<int>(fields_.size()) ? fields_[index] : std::string();
}

void SequencerWindowState::setStatus(std::string_view text)
{
    // The engine writes the hold and blend counts here on every tick.
    if (status_ == text)
        return;
    status_ = text;
    if (view_)
        view_->setStatus(text);
}

void SequencerWindowState::setCaption(std::string_view caption)
{
    caption_ = caption;
    if (view_)
        view_->setCaption(caption);
}

void SequencerWindowState::setTimeFieldsEnabled(bool enabled)
{
    timeFieldsEnabled_ = enabled;
    if (view_)
        view_->setTimeFieldsEnabled(enabled);
}

}  // namespace tinctara
