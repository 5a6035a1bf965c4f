#pragma once

#include "windows/PatchWindowPresenter.h"

#include <QWidget>

#include <array>
#include <memory>

class QLabel;
class QLineEdit;

namespace tinctara {

// frmElement: a thin view over PatchWindowPresenter.
class PatchWindow : public QWidget, public PatchWindowView {
    Q_OBJECT
public:
    PatchWindow(PatchWindowPresenter::Services services, QWidget* parent = nullptr);
    ~PatchWindow() override;

    PatchWindowPresenter& presenter() { return *presenter_; }

    void setField(int index, std::string_view text) override;
    void setFieldClash(int index, bool clash) override;
    void setStatus(std::string_view text) override;
    void focusField(int index) override;
    void closeWindow() override;

    bool fieldIsRed(int index) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int fieldIndex(const QObject* object) const;
    bool isActiveChild() const;

    std::unique_ptr<PatchWindowPresenter> presenter_;
    std::array<QLineEdit*, PatchText::Fields> txtElement_{};
    QLabel* lblStatus_ = nullptr;
    // A key release counts only for a key whose press reached this window
    // (not the release of the menu shortcut that opened it).
    QList<int> pressedKeys_;
    QObject* focusedField_ = nullptr;
};

}  // namespace tinctara
