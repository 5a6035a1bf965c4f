#pragma once

#include "MusicOptionsTab.h"
#include "windows/TimecodeOptionsPresenter.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace tinctara {

// The options window's tab "Timecode": a thin view over TimecodeOptionsPresenter.
class TimecodeOptionsTab : public QWidget, public TimecodeOptionsView {
    Q_OBJECT
public:
    // `inputs`: where the list of audio inputs comes from (tests give their own).
    TimecodeOptionsTab(SettingsStore& store, TimecodeControl& control,
                       MusicOptionsTab::InputList inputs = systemAudioInputs, QWidget* parent = nullptr);
    ~TimecodeOptionsTab() override;

    TimecodeOptionsPresenter& presenter() { return *presenter_; }

    void setLtcDevices(const std::vector<std::string>& descriptions, int current) override;
    void setLtcDeviceEnabled(bool enabled) override;
    void setSource(int index) override;
    void setRate(int index) override;
    void setOffset(std::string_view text) override;
    void setFreewheel(int frames) override;
    void setMode(TimecodeMode mode) override;
    void setSending(bool artNet, std::string_view target, bool mtc) override;
    void setTime(std::string_view text) override;
    void setStatus(std::string_view text) override;

private:
    std::unique_ptr<TimecodeOptionsPresenter> presenter_;
    MusicOptionsTab::InputList inputs_;
    QComboBox* cboSource_ = nullptr;
    QComboBox* cboLtcDevice_ = nullptr;
    QComboBox* cboRate_ = nullptr;
    QLineEdit* txtOffset_ = nullptr;
    QSpinBox* spnFreewheel_ = nullptr;
    std::array<QRadioButton*, 2> optMode_{};
    QCheckBox* chkSendArtNet_ = nullptr;
    QLineEdit* txtTarget_ = nullptr;
    QCheckBox* chkSendMtc_ = nullptr;
    QLabel* lblTime_ = nullptr;
    QLabel* lblStatus_ = nullptr;
};

}  // namespace tinctara
