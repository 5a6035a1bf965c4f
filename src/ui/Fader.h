#pragma once

#include <QBasicTimer>
#include <QScrollBar>
#include <QStyle>

namespace tinctara {

// A vertical scroll bar with its highest value at the top, as a fader on a
// desk. Dragging, the keys and the wheel follow the inverted appearance in Qt
// already; the arrow buttons and clicks on the track do not, so this bar
// handles them itself: the upper arrow and a click above the thumb raise the
// value, held down they repeat until the thumb reaches the pointer. A scroll
// bar shows no focus of its own; a fader with the focus has a frame in the
// highlight colour, so that the user sees where the arrow keys go.
class Fader : public QScrollBar {
    Q_OBJECT
public:
    explicit Fader(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QStyle::SubControl controlAt(const QPoint& position) const;
    void repeat();
    void stop();

    QStyle::SubControl pressed_ = QStyle::SC_None;
    SliderAction action_ = SliderNoAction;
    QPoint pointer_;
    QBasicTimer repeatTimer_;
};

}  // namespace tinctara
