#pragma once

#include "platform/ShowView.h"
#include "windows/MainWindowView.h"

#include <QColor>
#include <QLabel>
#include <QStaticText>
#include <QTimer>
#include <QWidget>

#include <vector>

class QAccessibleEvent;
class QPainter;

namespace tinctara {

class WallCanvas;
class WallWindowPresenter;

// One element cell lblWand_N: takes the mouse, the keyboard focus and speaks
// for the element over accessibility. It does not paint itself: the canvas
// paints every cell in one pass, since a fade changes up to 121 cells twenty
// times a second and a widget per cell costs more than the drawing.
class WallCellWidget : public QWidget {
    Q_OBJECT
public:
    WallCellWidget(int index, WallWindowPresenter& presenter, WallCanvas& canvas);

    // The element's display colour. It paints over the background of a
    // selected cell as well (the number stays red) until the next re-mark.
    void setColour(QRgb colour);
    void setSelectedLook(bool selected);
    void setCaption(const QString& caption);
    QColor colour() const { return colour_; }
    bool selectedLook() const { return selected_; }
    const QString& caption() const { return caption_; }

    int index() const { return index_; }
    // The background shows the highlight: selected and not painted over since.
    bool highlighted() const { return highlighted_; }
    const QStaticText& captionText() const { return captionText_; }
    // Where the centred caption starts within the cell; laid out once per caption.
    QPointF captionOffset(QPainter& painter);
    // False when the caption is larger than the cell and must be clipped to it.
    bool captionFits() const { return captionFits_; }
    // The focus frame shows while the cell has the focus from the keyboard.
    bool focusShown() const { return focusShown_; }
    // "Element 5, Rot 255 Grün 0 Blau 0"
    QString reading() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void changed(unsigned char change);

    int index_;
    WallWindowPresenter& presenter_;
    WallCanvas& canvas_;
    QRgb rgb_ = qRgb(0, 0, 0);
    QColor colour_{Qt::black};
    bool selected_ = false;
    bool highlighted_ = false;
    bool focusShown_ = false;
    QString caption_;
    QStaticText captionText_;
    QPointF captionOffset_;
    bool captionPlaced_ = false;
    bool captionFits_ = true;
};

// The picture of the wall: paints the cells that changed, once per pass of
// the event loop, and tells assistive technology which cells read otherwise.
class WallCanvas : public QWidget {
    Q_OBJECT
public:
    explicit WallCanvas(QWidget* parent = nullptr);

    // Where the cells are made.
    QWidget* cellLayer() const { return cellLayer_; }
    void addCell(WallCellWidget* cell);
    void removeCells();
    WallCellWidget* cell(int index) const;
    int cellCount() const { return static_cast<int>(cells_.size()); }
    // The cell that takes the focus when the wall gets it from the keyboard.
    WallCellWidget* focusCell() const;
    void setFocusCell(int index);

    // What changed in a cell: its look only, or also what it reads as.
    enum Change : unsigned char { Look = 1, Name = 2, SelectedState = 4 };
    void cellChanged(int index, unsigned char change);
    // Around a tick: the changes are collected without a timer and painted
    // right away at its end, so that a tick costs one pass of the event loop.
    void collectChanges();
    void paintChangesNow();
    // Cells drawn so far, for checking that nothing is drawn needlessly.
    long paintedCells() const { return paintedCells_; }
    // Where the accessibility events go: to the bridge while one listens.
    // Tests (offscreen, without a bridge) record them instead; null restores.
    using Announcer = void (*)(QAccessibleEvent* event);
    static void setAnnouncer(Announcer announcer) { announcer_ = announcer; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    enum When { Later, PaintNow };
    void flush(When when);
    void findGapsAndBorders();
    void paintCell(QPainter& painter, WallCellWidget& cell);
    void paintCaptionAndFocus(QPainter& painter, WallCellWidget& cell);

    // The cells' parent: with its updates off, a repaint does not even visit
    // the 121 cells.
    QWidget* cellLayer_ = nullptr;
    std::vector<WallCellWidget*> cells_;
    QRegion gaps_;                          // what the cells leave free of the canvas
    bool overlapping_ = false;              // rounding made neighbouring cells share pixels
    std::vector<WallCellWidget*> visible_;  // the cells of one paint
    std::vector<QRect> borderBars_;         // the cells' borders, merged along rows and columns
    std::vector<int> dirty_;                // cells to repaint, in the order they changed
    std::vector<unsigned char> marks_;      // per cell: the Change bits since the last pass
    QTimer flushTimer_;
    bool collecting_ = false;
    int focusCell_ = 0;
    long paintedCells_ = 0;
    static inline Announcer announcer_ = nullptr;
};

// frmWand: the wall as a grid of element cells with a status line below.
class WallWindow : public QWidget {
    Q_OBJECT
public:
    WallWindow(WallWindowPresenter& presenter, QWidget* parent = nullptr);

    void showElementColour(int index, Rgb colour);
    void showElementSelected(int index, bool selected);
    void collectChanges() { canvas_->collectChanges(); }
    void paintChangesNow();
    void removeCells();
    void addCell(const WallCell& cell);
    void setCellEnabled(int index, bool enabled, const QString& caption);
    void setStatus(const QString& text);
    // The wall's size as the builder computed it, in twips.
    void setWallSizeTwips(double width, double height);
    // Keeps the window inside the main window's work area; its own scroll
    // bars then reach every cell.
    void fitIntoWorkArea();

    WallCellWidget* cell(int index) const { return canvas_->cell(index); }
    int cellCount() const { return canvas_->cellCount(); }
    WallCanvas* canvas() const { return canvas_; }
    QString status() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    int pixels(double twips) const;

    WallWindowPresenter& presenter_;
    WallCanvas* canvas_ = nullptr;
    QLabel* lblStatus_ = nullptr;
};

}  // namespace tinctara
