#pragma once

#include "model/InputPicture.h"
#include "platform/ShowView.h"

#include <QPointer>

namespace tinctara {

class MainWindow;
class SequencerWindowState;
class DmxTestPresenter;
class WallWindow;
class PlayUnitProgress;

// The one ShowView of the program: hands each call to the window that shows
// it. A window that is not open receives nothing.
class ShowViewHub : public ShowView {
public:
    void attachMainWindow(MainWindow* window);
    // Where the sequencer's fields and the DMX test window's rows are kept.
    void attachWindowStates(SequencerWindowState* sequencer, DmxTestPresenter* dmxTest);
    // Around a tick: the wall collects what the tick changes and paints it at once.
    void collectWallChanges();
    void paintChangesNow();
    // While set, the wall shows this picture (the input's) instead of
    // ElementColours: every element painted takes its colour from it, so the
    // show's own changes do not reach the wall. The model is not touched.
    // Null gives the wall back; the caller repaints it.
    void showPictureOnWall(const WallPicture* picture) { wallPicture_ = picture; }

    void setTitle(std::string_view text) override;
    void setDmxStartStopChecked(bool startChecked, bool stopChecked) override;
    void setDmxStartStopEnabled(bool enabled) override;
    void closeInfoWindow() override;
    void setPlayUnitProgress(int sent, int total) override;

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
    void refreshPatchWindow() override;

    // Colour and patch windows.
    void setColourWindowCaption(std::string_view caption) override;
    void setColourWindowStatus(std::string_view text) override;
    void showUserColours() override;
    void setChildWindowEnabled(ChildWindow window, bool enabled) override;

    // Sequencer and DMX test window, whether or not they are open.
    void setSequencerLabel(std::string_view text) override;
    void setSequencerField(int index, std::string_view text) override;
    std::string sequencerFieldText(int index) const override;
    void setSequencerCaption(std::string_view caption) override;
    void setSequencerTimeFieldsEnabled(bool enabled) override;
    void setSequencerTurboField(std::string_view text) override;
    void setMonitorValue(int row, int level) override;
    void setTestWindowLook(const TestWindowLook& look) override;

private:
    // The wall window if it exists; `create` makes it (building a wall does).
    WallWindow* wall(bool create = false);

    QPointer<MainWindow> mainWindow_;
    QPointer<PlayUnitProgress> playUnitProgress_;
    SequencerWindowState* sequencer_ = nullptr;
    DmxTestPresenter* dmxTest_ = nullptr;
    const WallPicture* wallPicture_ = nullptr;
};

}  // namespace tinctara
