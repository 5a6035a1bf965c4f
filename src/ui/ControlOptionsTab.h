#pragma once

#include "windows/ControlOptionsPresenter.h"

#include <QWidget>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tinctara {

// The options window's tab "Steuerung": a thin view over ControlOptionsPresenter.
class ControlOptionsTab : public QWidget, public ControlOptionsView {
    Q_OBJECT
public:
    // `osc`, `midi`: null where this build has none.
    ControlOptionsTab(SettingsStore& store, OscControl* osc, MidiControl* midi, QWidget* parent = nullptr);
    ~ControlOptionsTab() override;

    ControlOptionsPresenter& presenter() { return *presenter_; }

    void disableOsc(std::string_view reason) override;
    void disableMidi(std::string_view reason) override;
    void setOscOn(bool on) override;
    void setOscAddresses(const std::vector<std::string>& addresses, const std::string& current) override;
    void setOscPort(std::string_view text) override;
    void setFeedbackPort(std::string_view text) override;
    void setFeedbackDestination(std::string_view text) override;
    void setOscWarningVisible(bool visible) override;
    void setOscStatus(std::string_view text) override;
    void setOscCounters(std::string_view text) override;
    void setMidiOn(bool on) override;
    void setMidiPorts(const std::vector<std::string>& ports, int current) override;
    void setDeviceId(std::string_view text) override;
    void setActions(const std::vector<std::string>& actions) override;
    void setActionNumberEnabled(bool enabled) override;
    void setBindings(const std::vector<std::array<std::string, 2>>& rows, int current) override;
    void setLearning(bool learning) override;
    void setMidiStatus(std::string_view text) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildOsc();
    QWidget* buildMidi();
    void fieldLeft(QLineEdit* field);

    std::unique_ptr<ControlOptionsPresenter> presenter_;
    QWidget* oscFields_ = nullptr;
    QLabel* lblOscMissing_ = nullptr;
    QCheckBox* chkOsc_ = nullptr;
    QComboBox* cboOscAddress_ = nullptr;
    QLineEdit* txtOscPort_ = nullptr;
    QLineEdit* txtFeedbackPort_ = nullptr;
    QLineEdit* txtFeedbackDestination_ = nullptr;
    QLabel* lblOscWarning_ = nullptr;
    QLabel* lblOscStatus_ = nullptr;
    QLabel* lblOscCounters_ = nullptr;
    QWidget* midiFields_ = nullptr;
    QLabel* lblMidiMissing_ = nullptr;
    QCheckBox* chkMidi_ = nullptr;
    QComboBox* cboMidiPort_ = nullptr;
    QLineEdit* txtDeviceId_ = nullptr;
    QTableWidget* grdBindings_ = nullptr;
    QComboBox* cboAction_ = nullptr;
    QLineEdit* txtActionNumber_ = nullptr;
    QPushButton* cmdLearn_ = nullptr;
    QLabel* lblMidiStatus_ = nullptr;
    bool updating_ = false;  // the presenter is setting the controls, not the user
};

}  // namespace tinctara
