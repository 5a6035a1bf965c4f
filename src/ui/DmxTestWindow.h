#pragma once

#include "windows/DmxTestPresenter.h"

#include <QWidget>

#include <array>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

namespace tinctara {

// frmDMX: eight rows of channel field, fader and read-back field.
class DmxTestWindow : public QWidget, public DmxTestView {
    Q_OBJECT
public:
    explicit DmxTestWindow(DmxTestPresenter& presenter, QWidget* parent = nullptr);
    ~DmxTestWindow() override;

    void setChannelField(int row, std::string_view text) override;
    void setValueField(int row, std::string_view text) override;
    void setLook(const TestWindowLook& look) override;
    void setNoInterfaceNoticeVisible(bool visible) override;
    void focusChannelField(int row) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int rowOf(QObject* object) const;

    DmxTestPresenter& presenter_;
    std::array<QLineEdit*, DmxTestText::Rows> txtPatch_{};
    std::array<QSlider*, DmxTestText::Rows> ScrDMX_{};
    std::array<QLineEdit*, DmxTestText::Rows> txtDMX_{};
    QPushButton* cmdDMX_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QFrame* Frame1_ = nullptr;
};

}  // namespace tinctara
