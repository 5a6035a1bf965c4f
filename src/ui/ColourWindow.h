#pragma once

#include "windows/ColourWindowPresenter.h"

#include <QWidget>

#include <array>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

namespace tinctara {

// frmColor: a thin view over ColourWindowPresenter.
class ColourWindow : public QWidget, public ColourWindowView {
    Q_OBJECT
public:
    ColourWindow(ColourWindowPresenter::Services services, QWidget* parent = nullptr);
    ~ColourWindow() override;

    ColourWindowPresenter& presenter() { return *presenter_; }

    void setCaption(std::string_view caption) override;
    void setStatus(std::string_view text) override;
    void showFader(int index, int value) override;
    void setFaderMinimum(int minimum) override;
    void setValueField(int index, std::string_view text) override;
    void showPanelColour(Rgb colour) override;
    void showUserColour(int index, Rgb colour) override;
    void setNumberField(std::string_view text) override;
    void setNameField(std::string_view text) override;
    void setStorePromptVisible(bool visible) override;
    void setImmediateApplyChecked(bool checked) override;
    void focus(ColourControl control) override;

    QColor panelColour() const;
    QColor userColour(int index) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int valueFieldIndex(const QObject* object) const;

    std::unique_ptr<ColourWindowPresenter> presenter_;
    std::array<QScrollBar*, Planes> ScrFarbe_{};
    std::array<QLineEdit*, Planes> txtFarbe_{};
    std::array<QLabel*, 8> lblFarbe_{};
    std::array<QPushButton*, UserColours> txtUserColor_{};
    std::array<QColor, UserColours> userColours_{};
    std::array<QPushButton*, 4> cmdColor_{};  // 2 is not used
    QLineEdit* txtFarbNr_ = nullptr;
    QLineEdit* txtFarbName_ = nullptr;
    QCheckBox* chkCHange_ = nullptr;
    QCheckBox* chkMindest_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QColor panel_{Qt::black};
    // A key release counts only for a key whose press reached this window
    // (not the release of a menu shortcut that opened it).
    QList<int> pressedKeys_;
    QObject* focusedField_ = nullptr;
};

}  // namespace tinctara
