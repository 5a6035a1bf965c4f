#include "ShowViewHub.h"

#include "InfoWindow.h"

#include "ColourWindow.h"
#include "EffectsWindow.h"
#include "MainWindow.h"
#include "PatchWindow.h"
#include "PlayUnitProgress.h"
#include "QtText.h"
#include "WallWindow.h"
#include "model/ShowOperations.h"
#include "windows/DmxTestPresenter.h"
#include "windows/SequencerWindowState.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

namespace tinctara {

void ShowViewHub::attachMainWindow(MainWindow* window) { mainWindow_ = window; }

void ShowViewHub::attachWindowStates(SequencerWindowState* sequencer, DmxTestPresenter* dmxTest)
{
    sequencer_ = sequencer;
    dmxTest_ = dmxTest;
}

void ShowViewHub::setSequencerLabel(std::string_view text)
{
    if (sequencer_)
        sequencer_->setStatus(text);
}

void ShowViewHub::setSequencerField(int index, std::string_view text)
{
    if (sequencer_)
        sequencer_->setField(index, text);
}

std::string ShowViewHub::sequencerFieldText(int index) const
{
    return sequencer_ ? sequencer_->field(index) : std::string();
}

void ShowViewHub::setSequencerCaption(std::string_view caption)
{
    if (sequencer_)
        sequencer_->setCaption(caption);
}

void ShowViewHub::setSequencerTimeFieldsEnabled(bool enabled)
{
    if (sequencer_)
        sequencer_->setTimeFieldsEnabled(enabled);
}

void ShowViewHub::setSequencerTurboField(std::string_view text)
{
    if (sequencer_)
        sequencer_->setTurboField(text);
}

void ShowViewHub::setMonitorValue(int row, int level)
{
    if (dmxTest_)
        dmxTest_->setMonitorValue(row, level);
}

void ShowViewHub::setTestWindowLook(const TestWindowLook& look)
{
    if (dmxTest_)
        dmxTest_->setLook(look);
}

WallWindow* ShowViewHub::wall(bool create)
{
    if (!mainWindow_)
        return nullptr;
    if (!create && !mainWindow_->hasWallWindow())
        return nullptr;
    return mainWindow_->wallWindow();
}

void ShowViewHub::collectWallChanges()
{
    if (WallWindow* w = wall())
        w->collectChanges();
}

void ShowViewHub::paintChangesNow()
{
    if (EffectsWindow* effects = mainWindow_ ? mainWindow_->effectsWindow() : nullptr)
        effects->outputTicked();  // its preview is painted with the wall
    if (WallWindow* w = wall())
        w->paintChangesNow();
}

void ShowViewHub::setTitle(std::string_view text)
{
    // Every ISA tick sets the same title; only a change reaches the window manager.
    if (!mainWindow_)
        return;
    const QString title = qt(text);
    if (mainWindow_->windowTitle() != title)
        mainWindow_->setWindowTitle(title);
}

void ShowViewHub::setDmxStartStopChecked(bool startChecked, bool stopChecked)
{
    if (!mainWindow_)
        return;
    mainWindow_->action(QStringLiteral("mnuDMXStart"))->setChecked(startChecked);
    mainWindow_->action(QStringLiteral("mnuDMXStop"))->setChecked(stopChecked);
}

void ShowViewHub::setDmxStartStopEnabled(bool enabled)
{
    if (!mainWindow_)
        return;
    mainWindow_->action(QStringLiteral("mnuDMXStart"))->setEnabled(enabled);
    mainWindow_->action(QStringLiteral("mnuDMXStop"))->setEnabled(enabled);
}

void ShowViewHub::closeInfoWindow()
{
    if (!mainWindow_)
        return;
    for (InfoWindow* info : mainWindow_->findChildren<InfoWindow*>())
        info->close();
}

// A small tool window over the main window, made on the first transfer.
void ShowViewHub::setPlayUnitProgress(int sent, int total)
{
    if (!mainWindow_)
        return;
    if (!playUnitProgress_) {
        if (total <= 0)
            return;
        playUnitProgress_ = new PlayUnitProgress(mainWindow_);
    }
    playUnitProgress_->showProgress(sent, total);
}

void ShowViewHub::showElementColour(int index, Rgb colour)
{
    if (WallWindow* w = wall())
        w->showElementColour(index, wallPicture_ ? displayColour(*wallPicture_, index) : colour);
}

void ShowViewHub::showElementSelected(int index, bool selected)
{
    if (WallWindow* w = wall())
        w->showElementSelected(index, selected);
}

void ShowViewHub::removeWallCells()
{
    if (WallWindow* w = wall())
        w->removeCells();
}

void ShowViewHub::addWallCell(const WallCell& cell)
{
    // Building a wall brings the wall window up.
    if (WallWindow* w = wall(true)) {
        w->addCell(cell);
        if (cell.index == 0)
            mainWindow_->showChild(w);
    }
}

void ShowViewHub::setWallCaption(std::string_view caption)
{
    if (WallWindow* w = wall(true))
        (w->parentWidget() ? w->parentWidget() : w)->setWindowTitle(qt(caption).trimmed());
}

void ShowViewHub::setWallWindowSize(double widthTwips, double heightTwips)
{
    if (WallWindow* w = wall())
        w->setWallSizeTwips(widthTwips, heightTwips);
}

void ShowViewHub::placeWallWindowFromPositions()
{
    if (mainWindow_ && mainWindow_->hasWallWindow())
        mainWindow_->placeWallWindowFromTable();
}

void ShowViewHub::setWallStatus(std::string_view text)
{
    if (WallWindow* w = wall())
        w->setStatus(qt(text));
}

void ShowViewHub::focusWallWindow()
{
    if (WallWindow* w = wall())
        w->setFocus();
}

void ShowViewHub::showWallWindow()
{
    if (WallWindow* w = wall(true))
        mainWindow_->showChild(w);
}

void ShowViewHub::setWallCellEnabled(int index, bool enabled, std::string_view caption)
{
    if (WallWindow* w = wall())
        w->setCellEnabled(index, enabled, qt(caption));
}

void ShowViewHub::popUpEditMenu()
{
    if (mainWindow_)
        mainWindow_->editMenu()->popup(QCursor::pos());
}

// The patch window shows the element just clicked; the wall stays in front
// and keeps the focus.
void ShowViewHub::bringPatchWindowUp()
{
    if (!mainWindow_)
        return;
    if (PatchWindow* patch = mainWindow_->patchWindow()) {
        patch->presenter().Form_Activate();
        QWidget* frame = patch->parentWidget() ? patch->parentWidget() : patch;
        frame->show();
        frame->raise();
    }
    if (WallWindow* w = wall())
        mainWindow_->showChild(w);
}

void ShowViewHub::refreshPatchWindow()
{
    if (mainWindow_)
        if (PatchWindow* patch = mainWindow_->patchWindow())
            patch->presenter().Form_Activate();
}

void ShowViewHub::setColourWindowCaption(std::string_view caption)
{
    if (ColourWindow* w = mainWindow_ ? mainWindow_->colourWindow() : nullptr)
        w->presenter().setCaption(caption);
}

void ShowViewHub::setColourWindowStatus(std::string_view text)
{
    if (ColourWindow* w = mainWindow_ ? mainWindow_->colourWindow() : nullptr)
        w->presenter().setStatus(text);
}

void ShowViewHub::showUserColours()
{
    if (ColourWindow* w = mainWindow_ ? mainWindow_->colourWindow() : nullptr)
        w->presenter().ShowUserColors();
}

void ShowViewHub::setChildWindowEnabled(ChildWindow window, bool enabled)
{
    if (!mainWindow_)
        return;
    if (QWidget* child = mainWindow_->childWindow(window))
        child->setEnabled(enabled);
}

}  // namespace tinctara
