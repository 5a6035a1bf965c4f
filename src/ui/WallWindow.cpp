#include "WallWindow.h"

#include "Accessibility.h"
#include "KeyCodes.h"
#include "windows/WallWindowPresenter.h"

#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

#include <cmath>

namespace tinctara {

WallCellWidget::WallCellWidget(int index, WallWindowPresenter& presenter, QWidget* parent)
    : QWidget(parent), index_(index), presenter_(presenter), caption_(QString::number(index + 1))
{
    nameControl(this, QStringLiteral("lblWand_%1").arg(index), QStringLiteral("Element %1").arg(index + 1));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void WallCellWidget::setColour(const QColor& colour)
{
    if (colour_ == colour)
        return;
    colour_ = colour;
    if (!selected_)
        update();
}

void WallCellWidget::setSelectedLook(bool selected)
{
    if (selected_ == selected)
        return;
    selected_ = selected;
    setAccessibleName(selected ? QStringLiteral("Element %1, ausgewählt").arg(index_ + 1)
                               : QStringLiteral("Element %1").arg(index_ + 1));
    update();
}

void WallCellWidget::setCaption(const QString& caption)
{
    if (caption_ == caption)
        return;
    caption_ = caption;
    update();
}

void WallCellWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QColor background = selected_ ? palette().color(QPalette::Highlight) : colour_;
    painter.fillRect(rect(), background);
    painter.setPen(QColor(40, 40, 40));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.setPen(selected_ ? QColor(255, 0, 0) : QColor(255, 255, 255));
    painter.drawText(rect(), Qt::AlignCenter, caption_);
}

void WallCellWidget::mousePressEvent(QMouseEvent* event)
{
    if (!isEnabled())
        return;
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

WallWindow::WallWindow(WallWindowPresenter& presenter, QWidget* parent) : QWidget(parent), presenter_(presenter)
{
    nameControl(this, QStringLiteral("frmWand"), QStringLiteral("Wand"));
    canvas_ = new QWidget;
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
    setFocusPolicy(Qt::StrongFocus);
}

int WallWindow::pixels(double twips) const { return static_cast<int>(std::lround(twips * logicalDpiX() / 1440.0)); }

WallCellWidget* WallWindow::cell(int index) const
{
    return index >= 0 && index < cellCount() ? cells_[static_cast<std::size_t>(index)] : nullptr;
}

void WallWindow::showElementColour(int index, Rgb colour)
{
    if (WallCellWidget* c = cell(index))
        c->setColour(QColor(colour.red, colour.green, colour.blue));
}

void WallWindow::showElementSelected(int index, bool selected)
{
    if (WallCellWidget* c = cell(index))
        c->setSelectedLook(selected);
}

void WallWindow::removeCells()
{
    while (!cells_.empty()) {  // from the last to the first
        delete cells_.back();
        cells_.pop_back();
    }
    canvas_->resize(0, 0);
}

void WallWindow::addCell(const WallCell& geometry)
{
    // The builder creates the cells in order, from index 0 after removing the old ones.
    if (geometry.index != cellCount())
        return;
    auto* c = new WallCellWidget(geometry.index, presenter_, canvas_);
    c->setGeometry(pixels(geometry.left), pixels(geometry.top), std::max(1, pixels(geometry.width)),
                   std::max(1, pixels(geometry.height)));
    c->setCaption(QString::fromStdString(geometry.caption));
    c->show();
    cells_.push_back(c);
    const QPoint corner = c->geometry().bottomRight();
    canvas_->resize(std::max(canvas_->width(), corner.x() + 1), std::max(canvas_->height(), corner.y() + 1));
}

void WallWindow::setCellEnabled(int index, bool enabled, const QString& caption)
{
    if (WallCellWidget* c = cell(index)) {
        c->setEnabled(enabled);
        c->setCaption(caption);
    }
}

void WallWindow::setStatus(const QString& text) { lblStatus_->setText(text); }

QString WallWindow::status() const { return lblStatus_->text(); }

void WallWindow::setWallSizeTwips(double width, double height)
{
    QWidget* frame = parentWidget() ? parentWidget() : this;
    const QSize content(pixels(width), pixels(height));
    // Room for the cells and the status line; never smaller than a usable window.
    frame->resize(std::max(content.width(), 240), std::max(content.height(), 160));
}

void WallWindow::keyPressEvent(QKeyEvent* event)
{
    if (presenter_.Form_KeyDown(programKeyCode(event), event->modifiers() & Qt::ShiftModifier))
        return;
    QWidget::keyPressEvent(event);
}

}  // namespace tinctara
