#include "MusicOptionsTab.h"

#include "Accessibility.h"
#include "QtText.h"

#include <QAudioDevice>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaDevices>
#include <QProgressBar>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace tinctara {

namespace {

constexpr int MeterInterval = 200;  // ms: five times a second follows the music without flicker
constexpr int DevicePollInterval = 1000;

}  // namespace

std::vector<AudioInputDevice> systemAudioInputs()
{
    std::vector<AudioInputDevice> devices;
    for (const QAudioDevice& device : QMediaDevices::audioInputs())
        devices.push_back({device.id().toStdString(), utf8(device.description())});
    return devices;
}

void watchAudioInputs(QObject* owner, const std::function<void()>& changed)
{
    auto* devices = new QMediaDevices(owner);
    QObject::connect(devices, &QMediaDevices::audioInputsChanged, owner, changed);
    // Qt does not always tell when an input goes, so the list is asked anew.
    auto* poll = new QTimer(owner);
    QObject::connect(poll, &QTimer::timeout, owner, changed);
    poll->start(DevicePollInterval);
}

MusicOptionsTab::MusicOptionsTab(SettingsStore& store, MusicSync& music, MusicCapture& capture, InputList inputs,
                                 QWidget* parent)
    : QWidget(parent), presenter_(std::make_unique<MusicOptionsPresenter>(store, music, capture, *this)),
      inputs_(std::move(inputs))
{
    nameControl(this, QStringLiteral("fraMusik"), qt(MusicOptionsText::Tab));
    cboDevice_ = new QComboBox(this);
    nameControl(cboDevice_, QStringLiteral("cboDevice"), QStringLiteral("Eingang :"));
    connect(cboDevice_, &QComboBox::activated, this, [this](int index) { presenter_->cboDevice_Click(index); });
    lblStatus_ = new QLabel(this);
    lblStatus_->setWordWrap(true);
    nameControl(lblStatus_, QStringLiteral("lblStatus"));
    barLevel_ = new QProgressBar(this);
    barLevel_->setRange(0, 100);
    barLevel_->setTextVisible(false);
    nameControl(barLevel_, QStringLiteral("barLevel"), QStringLiteral("Eingangspegel :"));
    lblTempo_ = new QLabel(qt(MusicOptionsText::TempoUnknown), this);
    nameControl(lblTempo_, QStringLiteral("lblTempo"));

    chkLevel_ = new QCheckBox(QStringLiteral("Pegel"), this);
    nameControl(chkLevel_, QStringLiteral("chkLevel"));
    connect(chkLevel_, &QCheckBox::toggled, this, [this](bool on) {
        if (!updating_)
            presenter_->chkLevel_Click(on);
    });
    spnDepth_ = spinBox(QStringLiteral("spnDepth"), QStringLiteral("Tiefe (%) :"), 100,
                        &MusicOptionsPresenter::spnDepth_Change);
    spnAttack_ = spinBox(QStringLiteral("spnAttack"), QStringLiteral("Anstieg (Ticks) :"), MusicEnvelopeTicksMax,
                         &MusicOptionsPresenter::spnAttack_Change);
    spnRelease_ = spinBox(QStringLiteral("spnRelease"), QStringLiteral("Abfall (Ticks) :"), MusicEnvelopeTicksMax,
                          &MusicOptionsPresenter::spnRelease_Change);

    auto* input = new QFormLayout;
    input->addRow(QStringLiteral("Eingang :"), cboDevice_);
    auto* meter = new QHBoxLayout;
    meter->addWidget(barLevel_, 1);
    meter->addWidget(lblTempo_);
    input->addRow(QStringLiteral("Eingangspegel :"), meter);

    auto* levelGroup = new QGroupBox(QStringLiteral("Pegel"), this);
    nameControl(levelGroup, QStringLiteral("fraPegel"));
    auto* level = new QFormLayout(levelGroup);
    level->addRow(chkLevel_);
    level->addRow(QStringLiteral("Tiefe (%) :"), spnDepth_);
    level->addRow(QStringLiteral("Anstieg (Ticks) :"), spnAttack_);
    level->addRow(QStringLiteral("Abfall (Ticks) :"), spnRelease_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(input);
    layout->addWidget(lblStatus_);
    layout->addWidget(levelGroup);
    layout->addStretch();

    watchAudioInputs(this, [this] { presenter_->devicesChanged(inputs_()); });
    auto* meterTimer = new QTimer(this);
    connect(meterTimer, &QTimer::timeout, this, [this] { presenter_->tmrMeter_Timer(); });
    meterTimer->start(MeterInterval);
    presenter_->Form_Load(inputs_());
}

MusicOptionsTab::~MusicOptionsTab() = default;

QSpinBox* MusicOptionsTab::spinBox(const QString& name, const QString& spoken, int high,
                                   void (MusicOptionsPresenter::*changed)(int))
{
    auto* box = new QSpinBox(this);
    box->setRange(0, high);
    box->setMaximumWidth(90);
    // Typing "150" is one change, not three.
    box->setKeyboardTracking(false);
    nameControl(box, name, spoken);
    connect(box, &QSpinBox::valueChanged, this, [this, changed](int value) {
        if (!updating_)
            ((*presenter_).*changed)(value);
    });
    return box;
}

void MusicOptionsTab::setQuietly(QSpinBox* box, int value)
{
    updating_ = true;
    box->setValue(value);
    updating_ = false;
}

void MusicOptionsTab::setDevices(const std::vector<std::string>& descriptions, int current)
{
    cboDevice_->clear();
    cboDevice_->addItem(qt(MusicOptionsText::NoDevice));
    cboDevice_->addItems(qt(descriptions));
    cboDevice_->setCurrentIndex(current);
}

void MusicOptionsTab::setStatus(std::string_view text) { lblStatus_->setText(qt(text)); }

void MusicOptionsTab::setMeter(int percent, std::string_view tempo)
{
    barLevel_->setValue(percent);
    lblTempo_->setText(qt(tempo));
}

void MusicOptionsTab::setLevelOn(bool on)
{
    updating_ = true;
    chkLevel_->setChecked(on);
    updating_ = false;
}

void MusicOptionsTab::setDepth(int percent) { setQuietly(spnDepth_, percent); }

void MusicOptionsTab::setAttack(int ticks) { setQuietly(spnAttack_, ticks); }

void MusicOptionsTab::setRelease(int ticks) { setQuietly(spnRelease_, ticks); }

}  // namespace tinctara
