#pragma once

#include "windows/OptionsPresenter.h"

#include <QWidget>

#include <array>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTabWidget;

namespace tinctara {

// frmOptions: a thin view over OptionsPresenter.
class OptionsWindow : public QWidget, public OptionsView {
    Q_OBJECT
public:
    OptionsWindow(ShowModel& model, UserInteraction& user, MainWindowCommands& mainWindow, QWidget* parent = nullptr);
    ~OptionsWindow() override;

    OptionsPresenter& presenter() { return *presenter_; }
    // A further tab after the window's own.
    void addPage(QWidget* page, const QString& caption);

    void setField(int index, std::string_view text) override;
    void setFieldEnabled(int index, bool enabled) override;
    void setPath(int index, std::string_view text) override;
    void setRepeatMode(int mode) override;
    void setAutoChannels(bool ticked, bool enabled) override;
    void setAutoLoad(bool ticked) override;
    void setWarningVisible(bool visible) override;
    void closeWindow() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int fieldIndex(QObject* object) const;

    std::unique_ptr<OptionsPresenter> presenter_;
    QTabWidget* tabs_ = nullptr;
    std::array<QLineEdit*, OptionsText::DmxFields> txtDMX_{};
    std::array<QLineEdit*, 4> txtPath_{};
    std::array<QRadioButton*, 2> OptDMXSend_{};
    QCheckBox* cckAutoDMXmax_ = nullptr;
    QCheckBox* chkAutoStart_ = nullptr;
    QLabel* lblWarning_ = nullptr;
    bool updating_ = false;  // the presenter is setting the controls, not the user
};

}  // namespace tinctara
