#include "windows/ClosedColourWindow.h"

namespace tinctara {

namespace {

constexpr int ApplyButton = 1;

}  // namespace

std::string ClosedColourWindow::apply(const std::array<std::uint8_t, Planes>& rgbw, ShowModel& model)
{
    model.MixColour = rgbw;
    presenter_.cmdColor_Click(ApplyButton);
    return view_.status();
}

}  // namespace tinctara
