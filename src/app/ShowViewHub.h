#pragma once

#include "platform/ShowView.h"

#include <QPointer>

namespace tinctara {

class MainWindow;
class WallWindow;

// The one ShowView of the program: hands each call to the window that shows
// it. A window that is not open receives nothing.
class ShowViewHub : public ShowView {
public:
    void attachMainWindow(MainWindow* window);

    void setTitle(std::string_view text) override;
    void setDmxStartStopChecked(bool startChecked, bool stopChecked) override;
    void setDmxStartStopEnabled(bool enabled) override;
    void closeInfoWindow() override;

    // Wall window.
    void showElementColour(int index, Rgb colour) override;
    void showElementSelected(int index, bool selected) override;
    void removeWallCells() override;
    void addWallCell(const WallCell& cell) override;
    void setWallCaption(std::string_view caption) override;
    void setWallWindowSize(double widthTwips, double heightTwips) override;
    void placeWallWindowFromPositions() override;
    void setWallStatus(std::string_view text) override;
    void focusWallWindow() override;
    void showWallWindow() override;
    void setWallCellEnabled(int index, bool enabled, std::string_view caption) override;
    void popUpEditMenu() override;
    void bringPatchWindowUp() override;

    // Colour and patch windows.
    void setColourWindowCaption(std::string_view caption) override;
    void setColourWindowStatus(std::string_view text) override;
    void showUserColours() override;
    void setChildWindowEnabled(ChildWindow window, bool enabled) override;

private:
    // The wall window if it exists; `create` makes it (building a wall does).
    WallWindow* wall(bool create = false);

    QPointer<MainWindow> mainWindow_;
};

}  // namespace tinctara
