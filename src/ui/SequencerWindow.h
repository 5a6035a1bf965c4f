#pragma once

#include "windows/SequencerPresenter.h"
#include "windows/SequencerWindowState.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QVBoxLayout;

namespace tinctara {

// frmControl: a thin view over SequencerPresenter; its fields live in the
// SequencerWindowState it attaches to.
class SequencerWindow : public QWidget, public SequencerView, public SequencerBeatView {
    Q_OBJECT
public:
    SequencerWindow(SequencerPresenter& presenter, SequencerWindowState& state, QWidget* parent = nullptr);
    ~SequencerWindow() override;

    void setField(int index, std::string_view text) override;
    void setStatus(std::string_view text) override;
    void setCaption(std::string_view caption) override;
    void setTimeFieldsEnabled(bool enabled) override;

    void showBeatSettings(bool beat, int everyChoice, int blendPercent) override;
    void showTempo(std::string_view text) override;
    void showBeatLight(bool lit) override;
    void showTimecode(std::string_view text) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int fieldIndex(QObject* object) const;
    // A plain key press outside the fields: T taps.
    bool keyPress(QKeyEvent* event);
    void buildBeatRow(QVBoxLayout* layout);

    SequencerPresenter& presenter_;
    SequencerWindowState& state_;
    std::array<QPushButton*, SequencerText::Buttons> cmdSequence_{};
    std::array<QLineEdit*, 3> txtSequence_{};
    QLabel* lblStatus_ = nullptr;
    QLabel* lblTimecode_ = nullptr;
    QCheckBox* chkBeat_ = nullptr;
    QComboBox* cboBeats_ = nullptr;
    QSpinBox* spnBlende_ = nullptr;
    QPushButton* cmdTap_ = nullptr;
    QLabel* lblTempo_ = nullptr;
    QLabel* shpBeat_ = nullptr;
};

}  // namespace tinctara
