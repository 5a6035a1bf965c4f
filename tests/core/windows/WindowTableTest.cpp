#include "windows/WindowTable.h"

#include "files/SettingsFile.h"
#include "model/ShowFlags.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

namespace tinctara {
namespace {

using Slot = std::array<std::int32_t, WindowFields>;

Slot slotOf(const WindowPlacement& p) { return {p.left, p.top, p.width, p.height, p.state}; }

// Window w, field f holds 100 w + f.
std::unique_ptr<ShowModel> numberedTable()
{
    auto model = std::make_unique<ShowModel>();
    for (int window = 1; window <= WindowSlots; ++window)
        for (int field = 1; field <= WindowFields; ++field)
            model->windowPosition(window, field) = 100 * window + field;
    return model;
}

// The window numbers are the places in [WINDOWSPOS] that every installation
// reads: window by window, five values each.
TEST(WindowTableTest, EveryWindowReadsItsOwnPlaceOfTheFileLine)
{
    std::string line = "x\r\n[WINDOWSPOS]\r\n";
    for (int window = 1; window <= WindowSlots; ++window)
        for (int field = 1; field <= WindowFields; ++field)
            line += (window == 1 && field == 1 ? " " : ", ") + std::to_string(100 * window + field);
    line += "\r\n";
    const auto sections = parseSettingsFile(line);
    ASSERT_TRUE(sections.windowPositions.values);
    auto model = std::make_unique<ShowModel>();
    model->WindowPositions = *sections.windowPositions.values;

    const struct {
        const char* what;
        int window;
        int place;  // its place in the file, 1-based
    } windows[] = {
        {"main window", WindowNumber::Main, 1},    {"colour", WindowNumber::Colour, 2},
        {"sequencer", WindowNumber::Sequencer, 3}, {"DMX test", WindowNumber::DmxTest, 4},
        {"patch", WindowNumber::Patch, 5},         {"options", WindowNumber::Options, 6},
        {"wall", WindowNumber::Wall, 7},           {"effects", WindowNumber::Effects, 8},
    };
    for (const auto& w : windows) {
        SCOPED_TRACE(w.what);
        const int p = 100 * w.place;
        EXPECT_EQ(slotOf(storedPlacement(*model, w.window)), (Slot{p + 1, p + 2, p + 3, p + 4, p + 5}));
    }
}

TEST(WindowTableTest, AStoreWritesOnlyItsFieldsOfItsWindow)
{
    const struct {
        const char* what;
        int window;
        SlotFields fields;
        Slot expected;
    } cases[] = {
        {"main window with its state", WindowNumber::Main, SlotFields::PlaceAndState, {11, 22, 33, 44, 5}},
        {"a child window keeps the state field", WindowNumber::Colour, SlotFields::Place, {11, 22, 33, 44, 205}},
        {"a resize keeps the corner", WindowNumber::Wall, SlotFields::Size, {701, 702, 33, 44, 705}},
        {"effects with its state", WindowNumber::Effects, SlotFields::PlaceAndState, {11, 22, 33, 44, 5}},
        {"the last slot", WindowSlots, SlotFields::Place, {11, 22, 33, 44, 1005}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto model = numberedTable();
        const auto before = model->WindowPositions;
        storePlacement(*model, c.window, {11, 22, 33, 44, 5}, c.fields);
        EXPECT_EQ(slotOf(storedPlacement(*model, c.window)), c.expected);
        // Every other window's values are untouched.
        for (int window = 1; window <= WindowSlots; ++window) {
            if (window == c.window)
                continue;
            for (int field = 1; field <= WindowFields; ++field)
                EXPECT_EQ(model->windowPosition(window, field), before[ShowModel::windowPositionIndex(window, field)])
                    << window << "," << field;
        }
    }
}

}  // namespace
}  // namespace tinctara
