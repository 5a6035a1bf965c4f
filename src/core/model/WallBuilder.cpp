#include "model/WallBuilder.h"

#include "text/Text.h"

#include <algorithm>

namespace tinctara {

void RemoveWall(ShowModel& model, ShowView& view)
{
    view.removeWallCells();
    model.ElementCount = 0;
    model.clearState(StateFlag::WallPresent);
}

void ApplyChannelCountRule(ShowModel& model, UserInteraction& user)
{
    const int channels = 4 * model.ElementCount;
    if (model.hasState(StateFlag::AutoChannelCount)) {
        model.DmxTiming[3] = static_cast<std::int16_t>(channels % 256);
        model.DmxTiming[4] = static_cast<std::int16_t>(roundHalfEven((channels - 1) / 256.0));
        model.TimingBlockPending = 1;
        model.ChannelCount = static_cast<std::int16_t>(channels);
    } else if (model.ElementCount > model.ChannelCount) {
        // Compares elements with channels, as the program always has; the
        // warning's text names the real channel total.
        user.messageBox("ACHTUNG! Sie haben " + std::to_string(model.ElementCount) + " die jeweils 4 und insgesamt " +
                            std::to_string(channels) + " Kanäle belegen.",
                        "", MessageButtons::Ok, MessageIcon::None);
    }
}

void LayOutWall(ShowModel& model, ShowView& view)
{
    if (model.hasState(StateFlag::WallPresent))
        RemoveWall(model, view);
    model.setState(StateFlag::WallPresent);
    view.setWallCaption(model.WallName);
    model.ElementCount = 0;

    const double zoom = model.WallZoom;
    const double columns = model.WallColumns;
    const double rows = model.WallRows;
    const double wallWidth = model.ElementWidth * (columns + 100) * columns / zoom;
    const double wallHeight = model.ElementHeight * (rows + 104) * rows / zoom;
    const double cellWidth = model.ElementWidth / (zoom * 0.01);
    const double cellHeight = model.ElementHeight / (zoom * 0.01);

    // Callers keep the wall within MaxWallElements; the table size is the hard stop.
    const int elements = std::min(model.WallColumns * model.WallRows, MaxWallElements);
    double top = 0;
    for (int row = 1; row <= model.WallRows && model.ElementCount < elements; ++row) {
        double left = 0;
        for (int column = 1; column <= model.WallColumns && model.ElementCount < elements; ++column) {
            ++model.ElementCount;
            const int element = model.ElementCount;
            view.addWallCell({element - 1, left, top, cellWidth, cellHeight, std::to_string(element)});
            left += cellWidth;
            model.ElementPositions[element - 1] = {static_cast<std::uint8_t>(column), static_cast<std::uint8_t>(row)};
        }
        top += cellHeight;
    }

    if (model.hasState(StateFlag::SilentFileOp))
        view.placeWallWindowFromPositions();
    else
        view.setWallWindowSize(wallWidth, wallHeight);
}

void BuildWall(ShowModel& model, ShowView& view, UserInteraction& user, WallBuildKind kind)
{
    if (kind == WallBuildKind::NewOrEdited)
        model.setDocument(DocumentFlag::ConfigNew | DocumentFlag::ConfigChanged | DocumentFlag::SceneNew |
                          DocumentFlag::SequenceChanged);
    if (model.WallZoom == 0)
        model.WallZoom = 80;
    LayOutWall(model, view);
    for (int element = 1; element <= model.ElementCount; ++element)
        for (int plane = Red; plane <= White; ++plane)
            model.patch(element, plane) = static_cast<std::uint16_t>(4 * (element - 1) + plane);

    ApplyChannelCountRule(model, user);
}

}  // namespace tinctara
