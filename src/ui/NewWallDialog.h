#pragma once

#include "windows/NewWallPresenter.h"

#include <QLineEdit>
#include <QWidget>

#include <array>
#include <memory>

class QLabel;

namespace tinctara {

// frmNeueWand: a thin view over NewWallPresenter.
class NewWallDialog : public QWidget, public NewWallView {
    Q_OBJECT
public:
    NewWallDialog(NewWallPresenter::Services services, QWidget* parent = nullptr);
    ~NewWallDialog() override;

    NewWallPresenter& presenter() { return *presenter_; }

    void setCaption(std::string_view caption) override;
    void setField(int index, std::string_view text) override;
    void setStatus(std::string_view text) override;
    void focusField(int index) override;
    void closeDialog() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<NewWallPresenter> presenter_;
    std::array<QLineEdit*, NewWallText::Fields> txtfeld_{};
    QLabel* lblStatus_ = nullptr;
};

}  // namespace tinctara
