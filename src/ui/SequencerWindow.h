#pragma once

#include "windows/SequencerPresenter.h"
#include "windows/SequencerWindowState.h"

#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tinctara {

// frmControl: a thin view over SequencerPresenter; its fields live in the
// SequencerWindowState it attaches to.
class SequencerWindow : public QWidget, public SequencerView {
    Q_OBJECT
public:
    SequencerWindow(SequencerPresenter& presenter, SequencerWindowState& state, QWidget* parent = nullptr);
    ~SequencerWindow() override;

    void setField(int index, std::string_view text) override;
    void setStatus(std::string_view text) override;
    void setCaption(std::string_view caption) override;
    void setTimeFieldsEnabled(bool enabled) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int fieldIndex(QObject* object) const;

    SequencerPresenter& presenter_;
    SequencerWindowState& state_;
    std::array<QPushButton*, SequencerText::Buttons> cmdSequence_{};
    std::array<QLineEdit*, 3> txtSequence_{};
    QLabel* lblStatus_ = nullptr;
};

}  // namespace tinctara
