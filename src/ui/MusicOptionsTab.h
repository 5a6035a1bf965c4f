#pragma once

#include "windows/MusicOptionsPresenter.h"

#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QSpinBox;

namespace tinctara {

// The system's audio inputs as the presenter takes them.
std::vector<AudioInputDevice> systemAudioInputs();
// Calls `changed` when the system's inputs may have changed, for as long as
// `owner` lives.
void watchAudioInputs(QObject* owner, const std::function<void()>& changed);

// The options window's tab "Musik": a thin view over MusicOptionsPresenter.
class MusicOptionsTab : public QWidget, public MusicOptionsView {
    Q_OBJECT
public:
    using InputList = std::function<std::vector<AudioInputDevice>()>;
    // `inputs`: where the list of inputs comes from (tests give their own).
    MusicOptionsTab(SettingsStore& store, MusicSync& music, MusicCapture& capture, InputList inputs = systemAudioInputs,
                    QWidget* parent = nullptr);
    ~MusicOptionsTab() override;

    MusicOptionsPresenter& presenter() { return *presenter_; }

    void setDevices(const std::vector<std::string>& descriptions, int current) override;
    void setStatus(std::string_view text) override;
    void setMeter(int percent, std::string_view tempo) override;
    void setLevelOn(bool on) override;
    void setDepth(int percent) override;
    void setAttack(int ticks) override;
    void setRelease(int ticks) override;

private:
    QSpinBox* spinBox(const QString& name, const QString& spoken, int high,
                      void (MusicOptionsPresenter::*changed)(int));
    void setQuietly(QSpinBox* box, int value);

    std::unique_ptr<MusicOptionsPresenter> presenter_;
    InputList inputs_;
    QComboBox* cboDevice_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QProgressBar* barLevel_ = nullptr;
    QLabel* lblTempo_ = nullptr;
    QCheckBox* chkLevel_ = nullptr;
    QSpinBox* spnDepth_ = nullptr;
    QSpinBox* spnAttack_ = nullptr;
    QSpinBox* spnRelease_ = nullptr;
    bool updating_ = false;  // the presenter is setting the controls, not the user
};

}  // namespace tinctara
