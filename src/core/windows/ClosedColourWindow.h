#pragma once

#include "model/ShowModel.h"
#include "windows/ColourWindowPresenter.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tinctara {

// A colour window's view that shows nothing and keeps only the status line.
class StatusOnlyColourView : public ColourWindowView {
public:
    const std::string& status() const { return status_; }

private:
    void setCaption(std::string_view) override {}
    void setStatus(std::string_view text) override { status_ = text; }
    void showFader(int, int) override {}
    void setFaderMinimum(int) override {}
    void setValueField(int, std::string_view) override {}
    void showPanelColour(Rgb) override {}
    void showUserColour(int, Rgb) override {}
    void setNumberField(std::string_view) override {}
    void setNameField(std::string_view) override {}
    void setStorePromptVisible(bool) override {}
    void setImmediateApplyChecked(bool) override {}
    void focus(ColourControl) override {}

    std::string status_;
};

// A colour window without a window: the apply button's rules for actions from
// outside while frmColor is closed.
class ClosedColourWindow {
public:
    explicit ClosedColourWindow(ColourWindowPresenter::Services services) : presenter_(services, view_) {}
    void recordEdits(ShowEdits* edits) { presenter_.recordEdits(edits); }
    std::string apply(const std::array<std::uint8_t, Planes>& rgbw, ShowModel& model);

private:
    StatusOnlyColourView view_;
    ColourWindowPresenter presenter_;
};

}  // namespace tinctara
