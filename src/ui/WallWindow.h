#pragma once

#include "platform/ShowView.h"
#include "windows/MainWindowView.h"

#include <QColor>
#include <QLabel>
#include <QWidget>

#include <vector>

namespace tinctara {

class WallWindowPresenter;

// One element cell lblWand_N: the element's display colour with its number,
// or the selected look. Painted by hand: a fade repaints up to 121 of them
// twenty times a second.
class WallCellWidget : public QWidget {
    Q_OBJECT
public:
    WallCellWidget(int index, WallWindowPresenter& presenter, QWidget* parent);

    void setColour(const QColor& colour);
    void setSelectedLook(bool selected);
    void setCaption(const QString& caption);
    QColor colour() const { return colour_; }
    bool selectedLook() const { return selected_; }
    QString caption() const { return caption_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    int index_;
    WallWindowPresenter& presenter_;
    QColor colour_{Qt::black};
    bool selected_ = false;
    QString caption_;
};

// frmWand: the wall as a grid of element cells with a status line below.
class WallWindow : public QWidget {
    Q_OBJECT
public:
    WallWindow(WallWindowPresenter& presenter, QWidget* parent = nullptr);

    void showElementColour(int index, Rgb colour);
    void showElementSelected(int index, bool selected);
    void removeCells();
    void addCell(const WallCell& cell);
    void setCellEnabled(int index, bool enabled, const QString& caption);
    void setStatus(const QString& text);
    // The wall's size as the builder computed it, in twips.
    void setWallSizeTwips(double width, double height);

    WallCellWidget* cell(int index) const;
    int cellCount() const { return static_cast<int>(cells_.size()); }
    QString status() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    int pixels(double twips) const;

    WallWindowPresenter& presenter_;
    QWidget* canvas_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    std::vector<WallCellWidget*> cells_;
};

}  // namespace tinctara
