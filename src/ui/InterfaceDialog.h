#pragma once

#include "windows/InterfaceSelectionPresenter.h"

#include <QDialog>

#include <array>
#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QTabBar;

namespace tinctara {

// frmIFS: a thin modal view over InterfaceSelectionPresenter.
class InterfaceDialog : public QDialog, public InterfaceSelectionView {
    Q_OBJECT
public:
    InterfaceDialog(InterfaceSelectionServices services, QWidget* parent = nullptr);
    ~InterfaceDialog() override;

    InterfaceSelectionPresenter& presenter() { return *presenter_; }

    void setLabel(int label, std::string_view text) override;
    void showPicture(const std::string& path) override;
    void selectTab(int tab) override;
    void closeDialog() override;
    void showNetworkFields(bool visible, bool sacn) override;
    void setNetworkField(int field, std::string_view text) override;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<InterfaceSelectionPresenter> presenter_;
    QTabBar* tabs_ = nullptr;
    QLabel* picture_ = nullptr;
    std::array<QLabel*, 4> labels_{};
    QGroupBox* network_ = nullptr;
    std::array<QLabel*, InterfaceSelectionPresenter::NetworkFields> lblNetwork_{};
    std::array<QLineEdit*, InterfaceSelectionPresenter::NetworkFields> txtNetwork_{};
    bool selecting_ = false;
};

}  // namespace tinctara
