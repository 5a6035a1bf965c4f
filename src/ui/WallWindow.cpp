#include "WallWindow.h"

#include "Accessibility.h"
#include "KeyCodes.h"
#include "QtText.h"
#include "windows/WallWindowPresenter.h"
#include "windows/WindowFit.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QResizeEvent>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace tinctara {

namespace {

// A wall cell reads as its element and its display colour, and reports the
// selected state; the canvas announces changes once per pass.
class WallCellAccessible : public QAccessibleWidget {
public:
    explicit WallCellAccessible(WallCellWidget* cell) : QAccessibleWidget(cell, QAccessible::Cell) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<const WallCellWidget*>(widget())->reading();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.selectable = true;
        s.selected = static_cast<const WallCellWidget*>(widget())->selectedLook();
        return s;
    }
};

QAccessibleInterface* wallCellAccessible(const QString& className, QObject* object)
{
    if (className == QLatin1String("tinctara::WallCellWidget") && object && object->isWidgetType())
        return new WallCellAccessible(static_cast<WallCellWidget*>(object));
    return nullptr;
}

void installWallCellAccessible()
{
    static const bool installed = [] {
        QAccessible::installFactory(wallCellAccessible);
        return true;
    }();
    (void)installed;
}

}  // namespace

WallCellWidget::WallCellWidget(int index, WallWindowPresenter& presenter, WallCanvas& canvas)
    : QWidget(canvas.cellLayer()), index_(index), presenter_(presenter), canvas_(canvas),
      caption_(QString::number(index + 1))
{
    installWallCellAccessible();
    nameControl(this, QStringLiteral("lblWand_%1").arg(index), QStringLiteral("Element %1").arg(index + 1));
    captionText_.setTextFormat(Qt::PlainText);
    captionText_.setText(caption_);
    // The canvas draws the cell; the widget itself never paints.
    setUpdatesEnabled(false);
    setFocusPolicy(Qt::ClickFocus);
    // A right click opens "&Bearbeiten" only (the presenter does); no menu of
    // the windows below may follow it.
    setContextMenuPolicy(Qt::PreventContextMenu);
}

QString WallCellWidget::reading() const
{
    return QStringLiteral("Element %1, Rot %2 Grün %3 Blau %4")
        .arg(index_ + 1)
        .arg(colour_.red())
        .arg(colour_.green())
        .arg(colour_.blue());
}

void WallCellWidget::changed(unsigned char change) { canvas_.cellChanged(index_, change); }

void WallCellWidget::setColour(QRgb colour)
{
    // Compared as one integer: a fade sets all 121 cells twenty times a second.
    const bool newColour = rgb_ != colour;
    if (!newColour && !highlighted_)
        return;
    rgb_ = colour;
    colour_ = QColor(colour);
    highlighted_ = false;
    changed(newColour ? WallCanvas::Look | WallCanvas::Name : WallCanvas::Look);
}

void WallCellWidget::setSelectedLook(bool selected)
{
    if (selected_ == selected && highlighted_ == selected)
        return;
    const bool newState = selected_ != selected;
    selected_ = selected;
    highlighted_ = selected;
    changed(newState ? WallCanvas::Look | WallCanvas::SelectedState : WallCanvas::Look);
}

void WallCellWidget::setCaption(const QString& caption)
{
    if (caption_ == caption)
        return;
    caption_ = caption;
    captionText_.setText(caption);
    captionPlaced_ = false;
    changed(WallCanvas::Look);
}

QPointF WallCellWidget::captionOffset(QPainter& painter)
{
    if (!captionPlaced_) {
        // The place a centred drawText would give the caption, so the cell
        // looks as it always did.
        const QRectF cell(QPointF(0, 0), QSizeF(size()));
        const QRectF box = painter.boundingRect(cell, Qt::AlignCenter, caption_);
        captionOffset_ = box.topLeft();
        captionFits_ = cell.contains(box);
        captionPlaced_ = true;
    }
    return captionOffset_;
}

void WallCellWidget::mousePressEvent(QMouseEvent* event)
{
    if (!isEnabled())
        return;
    if (focusShown_) {
        focusShown_ = false;
        changed(WallCanvas::Look);
    }
    const MouseButton button = event->button() == Qt::RightButton  ? MouseButton::Right
                               : event->button() == Qt::LeftButton ? MouseButton::Left
                                                                   : MouseButton::Middle;
    presenter_.lblWand_MouseDown(index_, button, event->modifiers() & Qt::ControlModifier);
}

void WallCellWidget::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (isEnabled() && event->button() == Qt::LeftButton)
        presenter_.lblWand_DblClick(index_);
}

void WallCellWidget::keyPressEvent(QKeyEvent* event)
{
    const int next =
        presenter_.lblWand_KeyDown(index_, programKeyCode(event), event->modifiers() & Qt::ControlModifier);
    if (next < 0) {
        QWidget::keyPressEvent(event);  // function keys go on to the window
        return;
    }
    if (WallCellWidget* target = canvas_.cell(next); target && target != this) {
        target->focusShown_ = true;
        target->setFocus(Qt::OtherFocusReason);
    } else if (!focusShown_) {
        focusShown_ = true;
        changed(WallCanvas::Look);
    }
}

void WallCellWidget::focusInEvent(QFocusEvent* event)
{
    canvas_.setFocusCell(index_);
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        focusShown_ = true;
    changed(WallCanvas::Look);
    QWidget::focusInEvent(event);
}

void WallCellWidget::focusOutEvent(QFocusEvent* event)
{
    if (focusShown_) {
        focusShown_ = false;
        changed(WallCanvas::Look);
    }
    QWidget::focusOutEvent(event);
}

WallCanvas::WallCanvas(QWidget* parent) : QWidget(parent)
{
    flushTimer_.setSingleShot(true);
    flushTimer_.setInterval(0);
    connect(&flushTimer_, &QTimer::timeout, this, [this] { flush(Later); });
    dirty_.reserve(256);
    visible_.reserve(256);
    // The canvas paints all of itself (cells and gaps), so nothing is drawn twice.
    setAttribute(Qt::WA_OpaquePaintEvent);
    cellLayer_ = new QWidget(this);
    cellLayer_->setObjectName(QStringLiteral("picWandZellen"));
    cellLayer_->setUpdatesEnabled(false);
}

void WallCanvas::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    cellLayer_->resize(size());
    findGapsAndBorders();
}

namespace {
// Merges one-pixel bars lying on the same line (horizontal bars: same top,
// vertical bars: same left) where they touch or overlap; the pixels they cover
// stay the same.
void mergeBars(std::vector<QRect>& bars, bool horizontal, std::vector<QRect>& into)
{
    const auto line = [horizontal](const QRect& r) { return horizontal ? r.top() : r.left(); };
    const auto from = [horizontal](const QRect& r) { return horizontal ? r.left() : r.top(); };
    const auto to = [horizontal](const QRect& r) { return horizontal ? r.right() : r.bottom(); };
    std::sort(bars.begin(), bars.end(), [&](const QRect& a, const QRect& b) {
        return line(a) != line(b) ? line(a) < line(b) : from(a) < from(b);
    });
    for (std::size_t i = 0; i < bars.size();) {
        const int at = line(bars[i]);
        const int start = from(bars[i]);
        int end = to(bars[i]);
        std::size_t j = i + 1;
        for (; j < bars.size() && line(bars[j]) == at && from(bars[j]) <= end + 1; ++j)
            end = std::max(end, to(bars[j]));
        into.push_back(horizontal ? QRect(QPoint(start, at), QPoint(end, at))
                                  : QRect(QPoint(at, start), QPoint(at, end)));
        i = j;
    }
}
}  // namespace

void WallCanvas::findGapsAndBorders()
{
    // Each cell's border is the one-pixel ring a one-pixel pen draws around
    // it. Along a row or a column of cells the rings line up, so an 11 x 11
    // wall fills 44 long bars instead of 484 short ones.
    std::vector<QRect> horizontal, vertical;
    for (const WallCellWidget* c : cells_) {
        const QRect r = c->geometry();
        if (r.isEmpty())
            continue;
        horizontal.push_back(QRect(r.left(), r.top(), r.width(), 1));
        horizontal.push_back(QRect(r.left(), r.bottom(), r.width(), 1));
        vertical.push_back(QRect(r.left(), r.top(), 1, r.height()));
        vertical.push_back(QRect(r.right(), r.top(), 1, r.height()));
    }
    borderBars_.clear();
    mergeBars(horizontal, true, borderBars_);
    mergeBars(vertical, false, borderBars_);

    QRegion cells;
    long long area = 0;
    for (const WallCellWidget* c : cells_) {
        cells += c->geometry();
        area += static_cast<long long>(c->width()) * c->height();
    }
    long long covered = 0;
    for (const QRect& r : cells)
        covered += static_cast<long long>(r.width()) * r.height();
    overlapping_ = covered != area;
    gaps_ = QRegion(rect()) - cells;
}

WallCellWidget* WallCanvas::cell(int index) const
{
    return index >= 0 && index < cellCount() ? cells_[static_cast<std::size_t>(index)] : nullptr;
}

void WallCanvas::addCell(WallCellWidget* cell)
{
    cells_.push_back(cell);
    marks_.push_back(0);
    const QPoint corner = cell->geometry().bottomRight();
    resize(std::max(width(), corner.x() + 1), std::max(height(), corner.y() + 1));
    if (cellCount() == 1)
        setFocusCell(0);
    findGapsAndBorders();
    cellChanged(cell->index(), Look);
}

void WallCanvas::removeCells()
{
    while (!cells_.empty()) {  // from the last to the first
        delete cells_.back();
        cells_.pop_back();
    }
    marks_.clear();
    dirty_.clear();
    focusCell_ = 0;
    gaps_ = QRegion();
    borderBars_.clear();
    resize(0, 0);
}

WallCellWidget* WallCanvas::focusCell() const { return cell(focusCell_); }

// Only the focus cell is a stop of the Tab key; the arrow keys move within the wall.
void WallCanvas::setFocusCell(int index)
{
    if (WallCellWidget* old = cell(focusCell_); old && focusCell_ != index)
        old->setFocusPolicy(Qt::ClickFocus);
    if (WallCellWidget* now = cell(index)) {
        focusCell_ = index;
        now->setFocusPolicy(Qt::StrongFocus);
    }
}

void WallCanvas::cellChanged(int index, unsigned char change)
{
    if (index < 0 || index >= cellCount())
        return;
    unsigned char& mark = marks_[static_cast<std::size_t>(index)];
    if (mark == 0)
        dirty_.push_back(index);
    mark |= change;
    if (!collecting_ && !flushTimer_.isActive())
        flushTimer_.start();
}

namespace {
// The rectangle around both; QRect's own union is not inlined.
void unite(QRect& bounds, const QRect& r)
{
    if (bounds.isEmpty()) {
        bounds = r;
        return;
    }
    bounds.setCoords(std::min(bounds.left(), r.left()), std::min(bounds.top(), r.top()),
                     std::max(bounds.right(), r.right()), std::max(bounds.bottom(), r.bottom()));
}
}  // namespace

void WallCanvas::collectChanges() { collecting_ = true; }

void WallCanvas::paintChangesNow()
{
    collecting_ = false;
    flushTimer_.stop();
    if (!dirty_.empty())
        flush(PaintNow);
}

// One update region for everything that changed since the last pass, and one
// accessibility event per cell whose reading changed.
void WallCanvas::flush(When when)
{
    // A few cells make an exact region; beyond that the region's own
    // arithmetic costs more than painting the unchanged cells in between.
    constexpr std::size_t ExactRegionCells = 8;
    const bool exact = dirty_.size() <= ExactRegionCells;
    QRegion region;
    QRect bounds;
    const Announcer announce = announcer_                ? announcer_
                               : QAccessible::isActive() ? &QAccessible::updateAccessibility
                                                         : nullptr;
    for (const int index : dirty_) {
        WallCellWidget* c = cells_[static_cast<std::size_t>(index)];
        unsigned char& mark = marks_[static_cast<std::size_t>(index)];
        if (exact)
            region += c->geometry();
        else
            unite(bounds, c->geometry());
        if (announce && (mark & Name)) {
            QAccessibleEvent nameChanged(c, QAccessible::NameChanged);
            announce(&nameChanged);
        }
        if (announce && (mark & SelectedState)) {
            QAccessible::State selected;
            selected.selected = true;
            QAccessibleStateChangeEvent stateChanged(c, selected);
            announce(&stateChanged);
        }
        mark = 0;
    }
    dirty_.clear();
    if (!exact)
        region = bounds;
    if (region.isEmpty())
        return;
    if (when == PaintNow)
        repaint(region);
    else
        update(region);
}

namespace {
const QColor CellBorder(40, 40, 40);
const QColor SelectedText(255, 0, 0);
const QColor PlainText(255, 255, 255);
}  // namespace

void WallCanvas::paintCell(QPainter& painter, WallCellWidget& cell)
{
    const QRect r = cell.geometry();
    // The palette of the cell gives the highlight of its state (a disabled
    // cell while a sequence plays).
    painter.fillRect(r, cell.highlighted() ? cell.palette().color(QPalette::Highlight) : cell.colour());
    painter.setPen(CellBorder);
    painter.drawRect(r.adjusted(0, 0, -1, -1));
    paintCaptionAndFocus(painter, cell);
}

void WallCanvas::paintCaptionAndFocus(QPainter& painter, WallCellWidget& cell)
{
    const QRect r = cell.geometry();
    if (!cell.caption().isEmpty()) {
        painter.setPen(cell.selectedLook() ? SelectedText : PlainText);
        const QPointF at = QPointF(r.topLeft()) + cell.captionOffset(painter);
        if (cell.captionFits()) {
            painter.drawStaticText(at, cell.captionText());
        } else {  // a cell painted itself only within its own bounds
            painter.save();
            painter.setClipRect(r);
            painter.drawStaticText(at, cell.captionText());
            painter.restore();
        }
    }
    if (cell.focusShown() && r.width() > 8 && r.height() > 8) {
        painter.setPen(QColor(0, 0, 0));
        painter.drawRect(r.adjusted(2, 2, -3, -3));
        painter.setPen(QColor(255, 255, 255));
        painter.drawRect(r.adjusted(3, 3, -4, -4));
    }
    ++paintedCells_;
}

void WallCanvas::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QRegion& region = event->region();
    if (!gaps_.isEmpty()) {
        // Between cells that do not meet, the background of the scroll area,
        // as it showed through before.
        const QWidget* below = parentWidget() ? parentWidget() : this;
        const QBrush background = below->palette().brush(below->backgroundRole());
        for (const QRect& r : region& gaps_)
            painter.fillRect(r, background);
    }
    if (overlapping_) {
        // In creation order, as the cells were stacked when each painted itself.
        for (WallCellWidget* c : cells_)
            if (region.intersects(c->geometry()))
                paintCell(painter, *c);
        return;
    }
    // Cells that do not share pixels: the insides, then every border in one
    // call (the painter clips the bars to the region), then captions and focus
    // frames.
    visible_.clear();
    const QRect bounds = region.boundingRect();
    const bool oneRect = region.rectCount() == 1;
    for (WallCellWidget* c : cells_) {
        const QRect r = c->geometry();
        if (oneRect ? !bounds.intersects(r) : !region.intersects(r))
            continue;
        visible_.push_back(c);
        painter.fillRect(r.adjusted(1, 1, -1, -1),
                         c->highlighted() ? c->palette().color(QPalette::Highlight) : c->colour());
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(CellBorder);
    painter.drawRects(borderBars_.data(), static_cast<int>(borderBars_.size()));
    painter.setBrush(Qt::NoBrush);
    for (WallCellWidget* c : visible_)
        paintCaptionAndFocus(painter, *c);
}

WallWindow::WallWindow(WallWindowPresenter& presenter, QWidget* parent) : QWidget(parent), presenter_(presenter)
{
    nameControl(this, QStringLiteral("frmWand"), QStringLiteral("Wand"));
    canvas_ = new WallCanvas;
    nameControl(canvas_, QStringLiteral("picWand"), QStringLiteral("Elemente der Wand"));
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(canvas_);
    scroll->setWidgetResizable(false);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setBackgroundRole(QPalette::Dark);

    auto* statusFrame = new QFrame(this);
    statusFrame->setFrameShape(QFrame::StyledPanel);
    nameControl(statusFrame, QStringLiteral("picStatus"), QStringLiteral("Statuszeile"));
    lblStatus_ = new QLabel(statusFrame);
    nameControl(lblStatus_, QStringLiteral("lblStatus"));
    auto* statusLayout = new QVBoxLayout(statusFrame);
    statusLayout->setContentsMargins(4, 2, 4, 2);
    statusLayout->addWidget(lblStatus_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(scroll, 1);
    layout->addWidget(statusFrame);
    // The cells take the keyboard; the window keeps the focus the sequencer gives it.
    setFocusPolicy(Qt::ClickFocus);
    // The wall window is not the free area of the main window.
    setContextMenuPolicy(Qt::PreventContextMenu);
}

int WallWindow::pixels(double twips) const { return PixelsFromTwips(twips, logicalDpiX()); }

void WallWindow::showElementColour(int index, Rgb colour)
{
    if (WallCellWidget* c = cell(index))
        c->setColour(qRgb(colour.red, colour.green, colour.blue));
}

void WallWindow::showElementSelected(int index, bool selected)
{
    if (WallCellWidget* c = cell(index))
        c->setSelectedLook(selected);
}

void WallWindow::paintChangesNow() { canvas_->paintChangesNow(); }

void WallWindow::removeCells() { canvas_->removeCells(); }

void WallWindow::addCell(const WallCell& geometry)
{
    // The builder creates the cells in order, from index 0 after removing the old ones.
    if (geometry.index != cellCount())
        return;
    auto* c = new WallCellWidget(geometry.index, presenter_, *canvas_);
    c->setGeometry(pixels(geometry.left), pixels(geometry.top), std::max(1, pixels(geometry.width)),
                   std::max(1, pixels(geometry.height)));
    c->setCaption(qt(geometry.caption));
    c->show();
    canvas_->addCell(c);
}

void WallWindow::setCellEnabled(int index, bool enabled, const QString& caption)
{
    if (WallCellWidget* c = cell(index)) {
        if (c->isEnabled() != enabled) {
            c->setEnabled(enabled);
            canvas_->cellChanged(index, WallCanvas::Look);  // the highlight of a disabled cell differs
        }
        c->setCaption(caption);
    }
}

void WallWindow::setStatus(const QString& text)
{
    if (lblStatus_->text() != text)
        lblStatus_->setText(text);
}

QString WallWindow::status() const { return lblStatus_->text(); }

void WallWindow::setWallSizeTwips(double width, double height)
{
    QWidget* frame = parentWidget() ? parentWidget() : this;
    const QSize content(pixels(width), pixels(height));
    // Room for the cells and the status line; never smaller than a usable window.
    frame->resize(std::max(content.width(), 240), std::max(content.height(), 160));
    fitIntoWorkArea();
}

void WallWindow::fitIntoWorkArea()
{
    QWidget* frame = parentWidget();
    QWidget* area = frame ? frame->parentWidget() : nullptr;  // the work area's viewport
    // Before the main window is laid out the work area has no size yet; the
    // window is fitted when it is shown.
    if (!area || !area->isVisible() || area->width() < 100 || area->height() < 100)
        return;
    QRect r = frame->geometry();
    r.setWidth(std::min(r.width(), area->width()));
    r.setHeight(std::min(r.height(), area->height()));
    r.moveLeft(std::clamp(r.left(), 0, area->width() - r.width()));
    r.moveTop(std::clamp(r.top(), 0, area->height() - r.height()));
    if (r != frame->geometry())
        frame->setGeometry(r);
}

void WallWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    fitIntoWorkArea();
}

void WallWindow::keyPressEvent(QKeyEvent* event)
{
    if (presenter_.Form_KeyDown(programKeyCode(event), event->modifiers() & Qt::ShiftModifier))
        return;
    // The keys of the cells, pressed while the window itself has the focus,
    // go to the focus cell.
    if (WallCellWidget* c = canvas_->focusCell(); c && c->isEnabled() && hasFocus()) {
        const int code = programKeyCode(event);
        if (code == 32 || (code >= 37 && code <= 40)) {
            c->setFocus(Qt::OtherFocusReason);
            if (code == 32)
                QCoreApplication::sendEvent(c, event);
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

}  // namespace tinctara
