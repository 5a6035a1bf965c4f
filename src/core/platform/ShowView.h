#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tinctara {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The child windows that are disabled as a whole around long transfers.
enum class ChildWindow { Patch, Colour, Sequencer, DmxTest };

// One element cell of the wall window, in twips (1/1440 inch) as the builder
// computes them; the view converts to pixels.
struct WallCell {
    int index = 0;  // element number - 1
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    std::string caption;
};

struct TestWindowLook {
    std::string status;
    bool testModeBackground = false;  // true: the red test-mode background
    std::string buttonCaption;
};

// Everything of the show that reaches the screen. Each call says what to show;
// the view decides how, and copies what it keeps (texts may live on the
// caller's stack, so that an output tick need not allocate). The defaults do nothing, so a view that has no such
// window (the command-line front end) overrides only what it shows.
class ShowView {
public:
    virtual ~ShowView() = default;

    // The main window's title bar, which is the program's status line.
    virtual void setTitle(std::string_view /*text*/) {}

    // Wall window. A cell's background is the element's display colour; its
    // selected look (highlight background, red number) comes and goes with
    // showElementSelected, and a later showElementColour paints over the
    // background only.
    virtual void showElementColour(int /*index*/, Rgb /*colour*/) {}
    virtual void showElementSelected(int /*index*/, bool /*selected*/) {}
    // The "&Bearbeiten" menu as a pop-up at the mouse.
    virtual void popUpEditMenu() {}
    // Brings the patch window up and the wall window to the front again.
    virtual void bringPatchWindowUp() {}
    // The open patch window shows its element's channels and corrections again.
    virtual void refreshPatchWindow() {}
    virtual void removeWallCells() {}
    virtual void addWallCell(const WallCell& /*cell*/) {}
    virtual void setWallCaption(std::string_view /*caption*/) {}
    virtual void setWallWindowSize(double /*widthTwips*/, double /*heightTwips*/) {}
    virtual void placeWallWindowFromPositions() {}

    // Sequencer window: its status label and the fields txtSequence(0..2).
    virtual void setSequencerLabel(std::string_view /*text*/) {}
    virtual void setSequencerField(int /*index*/, std::string_view /*text*/) {}

    // DMX test window: the read-back value of a monitor row, and the window's
    // look in and out of test mode.
    virtual void setMonitorValue(int /*row*/, int /*level*/) {}
    virtual void setTestWindowLook(const TestWindowLook& /*look*/) {}

    virtual void setChildWindowEnabled(ChildWindow /*window*/, bool /*enabled*/) {}

    // The check marks of the menu entries "DMX Start" and "DMX Stop".
    virtual void setDmxStartStopChecked(bool /*startChecked*/, bool /*stopChecked*/) {}

    // --- what the show files and the sequencer's playback show ---------------
    // The text a sequencer field txtSequence(index) holds now (empty without
    // the window).
    virtual std::string sequencerFieldText(int /*index*/) const { return {}; }
    virtual void setSequencerCaption(std::string_view /*caption*/) {}
    // The blend and hold fields, locked while a sequence plays.
    virtual void setSequencerTimeFieldsEnabled(bool /*enabled*/) {}
    virtual void setSequencerTurboField(std::string_view /*text*/) {}
    // The wall window's status line, its focus, and showing it again.
    virtual void setWallStatus(std::string_view /*text*/) {}
    virtual void focusWallWindow() {}
    virtual void showWallWindow() {}
    // One element cell: clickable or not, and its caption (empty while playing).
    virtual void setWallCellEnabled(int /*index*/, bool /*enabled*/, std::string_view /*caption*/) {}
    // Colour window: caption, status line and the 20 user colour fields.
    virtual void setColourWindowCaption(std::string_view /*caption*/) {}
    virtual void setColourWindowStatus(std::string_view /*text*/) {}
    virtual void showUserColours() {}

    // --- DMX interfaces -------------------------------------------------------
    // The menu entries "DMX Start" and "DMX Stop" usable or greyed.
    virtual void setDmxStartStopEnabled(bool /*enabled*/) {}
    // Closes the info window if it is still shown.
    virtual void closeInfoWindow() {}

    // --- stand-alone playback --------------------------------------------------
    // The transfer to the play unit: ticks sent of `total`; total 0 hides it.
    virtual void setPlayUnitProgress(int /*sent*/, int /*total*/) {}
};

}  // namespace tinctara
