#include "Fader.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionSlider>

namespace tinctara {

namespace {
// The delays of Qt's own scroll bars.
constexpr int FirstRepeatMs = 500;
constexpr int RepeatMs = 50;
constexpr int FocusFrameWidth = 2;
}  // namespace

Fader::Fader(QWidget* parent) : QScrollBar(Qt::Vertical, parent)
{
    setInvertedAppearance(true);
    // Up and the wheel turned away raise the value.
    setInvertedControls(false);
}

QStyle::SubControl Fader::controlAt(const QPoint& position) const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->hitTestComplexControl(QStyle::CC_ScrollBar, &option, position, this);
}

void Fader::mousePressEvent(QMouseEvent* event)
{
    stop();
    const QStyle::SubControl control =
        event->button() == Qt::LeftButton ? controlAt(event->position().toPoint()) : QStyle::SC_None;
    QStyleOptionSlider option;
    initStyleOption(&option);
    const bool pageJumps = style()->styleHint(QStyle::SH_ScrollBar_LeftClickAbsolutePosition, &option, this);
    // The upper arrow and the track above the thumb lie towards the high end.
    switch (control) {
    case QStyle::SC_ScrollBarSubLine:
        action_ = SliderSingleStepAdd;
        break;
    case QStyle::SC_ScrollBarAddLine:
        action_ = SliderSingleStepSub;
        break;
    case QStyle::SC_ScrollBarSubPage:
        action_ = pageJumps ? SliderNoAction : SliderPageStepAdd;
        break;
    case QStyle::SC_ScrollBarAddPage:
        action_ = pageJumps ? SliderNoAction : SliderPageStepSub;
        break;
    default:
        action_ = SliderNoAction;
        break;
    }
    if (action_ == SliderNoAction || (event->buttons() & ~event->button())) {
        QScrollBar::mousePressEvent(event);  // the thumb, and whatever else Qt does right
        return;
    }
    pressed_ = control;
    pointer_ = event->position().toPoint();
    event->accept();
    triggerAction(action_);
    repeatTimer_.start(FirstRepeatMs, this);
}

void Fader::mouseMoveEvent(QMouseEvent* event)
{
    if (pressed_ == QStyle::SC_None) {
        QScrollBar::mouseMoveEvent(event);
        return;
    }
    pointer_ = event->position().toPoint();
    event->accept();
}

void Fader::mouseReleaseEvent(QMouseEvent* event)
{
    if (pressed_ == QStyle::SC_None) {
        QScrollBar::mouseReleaseEvent(event);
        return;
    }
    stop();
    event->accept();
}

void Fader::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != repeatTimer_.timerId()) {
        QScrollBar::timerEvent(event);
        return;
    }
    repeatTimer_.start(RepeatMs, this);
    repeat();
}

// Held down, a control repeats while the pointer is on it; the track stops
// once the thumb has come under the pointer.
void Fader::repeat()
{
    if (controlAt(pointer_) != pressed_)
        return;
    triggerAction(action_);
}

void Fader::stop()
{
    repeatTimer_.stop();
    pressed_ = QStyle::SC_None;
    action_ = SliderNoAction;
}

void Fader::hideEvent(QHideEvent* event)
{
    stop();
    QScrollBar::hideEvent(event);
}

void Fader::paintEvent(QPaintEvent* event)
{
    QScrollBar::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    const QColor highlight = palette().color(QPalette::Highlight);
    const QRect r = rect();
    const int w = FocusFrameWidth;
    painter.fillRect(QRect(r.left(), r.top(), r.width(), w), highlight);
    painter.fillRect(QRect(r.left(), r.bottom() - w + 1, r.width(), w), highlight);
    painter.fillRect(QRect(r.left(), r.top() + w, w, r.height() - 2 * w), highlight);
    painter.fillRect(QRect(r.right() - w + 1, r.top() + w, w, r.height() - 2 * w), highlight);
}

}  // namespace tinctara
