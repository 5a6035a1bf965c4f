#include "TimecodeOptionsTab.h"

#include "Accessibility.h"
#include "LayoutRoom.h"
#include "QtText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

namespace tinctara {

namespace {

constexpr int StatusInterval = 200;  // ms: five times a second, so the frames are seen to run

QComboBox* choices(QWidget* parent, const QString& name, const QString& spoken, const char* const* texts, int count)
{
    auto* box = new QComboBox(parent);
    for (int index = 0; index < count; ++index)
        box->addItem(qt(texts[index]));
    nameControl(box, name, spoken);
    return box;
}

}  // namespace

TimecodeOptionsTab::TimecodeOptionsTab(SettingsStore& store, TimecodeControl& control,
                                       MusicOptionsTab::InputList inputs, QWidget* parent)
    : QWidget(parent), presenter_(std::make_unique<TimecodeOptionsPresenter>(store, control, *this)),
      inputs_(std::move(inputs))
{
    using namespace TimecodeOptionsText;
    nameControl(this, QStringLiteral("fraTimecode"), qt(Tab));

    cboSource_ = choices(this, QStringLiteral("cboSource"), qt(SourceCaption), Sources, 4);
    connect(cboSource_, &QComboBox::activated, this, [this](int index) { presenter_->cboSource_Click(index); });
    cboLtcDevice_ = new QComboBox(this);
    nameControl(cboLtcDevice_, QStringLiteral("cboLtcDevice"), qt(LtcDeviceCaption));
    connect(cboLtcDevice_, &QComboBox::activated, this, [this](int index) { presenter_->cboLtcDevice_Click(index); });
    cboRate_ = choices(this, QStringLiteral("cboRate"), qt(RateCaption), Rates, 4);
    connect(cboRate_, &QComboBox::activated, this, [this](int index) { presenter_->cboRate_Click(index); });
    txtOffset_ = new QLineEdit(this);
    txtOffset_->setFixedWidth(fieldWidthFor(*txtOffset_, {QStringLiteral("88:88:88;88")}));
    nameControl(txtOffset_, QStringLiteral("txtOffset"), qt(OffsetCaption));
    connect(txtOffset_, &QLineEdit::editingFinished, this,
            [this] { presenter_->txtOffset_EditingFinished(utf8(txtOffset_->text())); });
    spnFreewheel_ = new QSpinBox(this);
    spnFreewheel_->setRange(0, FreewheelFramesMax);
    spnFreewheel_->setMaximumWidth(90);
    spnFreewheel_->setKeyboardTracking(false);  // typing "125" is one change
    nameControl(spnFreewheel_, QStringLiteral("spnFreewheel"), qt(FreewheelCaption));
    connect(spnFreewheel_, &QSpinBox::valueChanged, this,
            [this](int frames) { presenter_->spnFreewheel_Change(frames); });
    auto* modes = new QButtonGroup(this);
    auto* modeRow = new QHBoxLayout;
    for (int index = 0; index < 2; ++index) {
        auto* option = new QRadioButton(qt(Modes[index]), this);
        nameControl(option, QStringLiteral("optMode_%1").arg(index));
        modes->addButton(option, index);
        modeRow->addWidget(option);
        optMode_[static_cast<std::size_t>(index)] = option;
    }
    modeRow->addStretch();
    connect(modes, &QButtonGroup::idClicked, this, [this](int index) { presenter_->optMode_Click(index); });

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);  // short choices stay short
    form->addRow(qt(SourceCaption), cboSource_);
    form->addRow(qt(LtcDeviceCaption), cboLtcDevice_);
    form->addRow(qt(RateCaption), cboRate_);
    form->addRow(qt(OffsetCaption), txtOffset_);
    form->addRow(qt(FreewheelCaption), spnFreewheel_);
    form->addRow(qt(ModeCaption), modeRow);

    auto* sendGroup = new QGroupBox(qt(SendCaption), this);
    nameControl(sendGroup, QStringLiteral("fraSenden"));
    chkSendArtNet_ = new QCheckBox(qt(SendArtNet), sendGroup);
    nameControl(chkSendArtNet_, QStringLiteral("chkSendArtNet"));
    connect(chkSendArtNet_, &QCheckBox::clicked, this, [this](bool on) { presenter_->chkSendArtNet_Click(on); });
    txtTarget_ = new QLineEdit(sendGroup);
    txtTarget_->setPlaceholderText(qt(TargetPlaceholder));
    txtTarget_->setFixedWidth(fieldWidthFor(*txtTarget_, {QStringLiteral("255.255.255.255")}));
    nameControl(txtTarget_, QStringLiteral("txtTarget"), qt(TargetCaption));
    connect(txtTarget_, &QLineEdit::editingFinished, this,
            [this] { presenter_->txtTarget_EditingFinished(utf8(txtTarget_->text())); });
    chkSendMtc_ = new QCheckBox(qt(SendMtc), sendGroup);
    nameControl(chkSendMtc_, QStringLiteral("chkSendMtc"));
    connect(chkSendMtc_, &QCheckBox::clicked, this, [this](bool on) { presenter_->chkSendMtc_Click(on); });
    auto* send = new QFormLayout(sendGroup);
    send->addRow(chkSendArtNet_);
    send->addRow(qt(TargetCaption), txtTarget_);
    send->addRow(chkSendMtc_);

    lblTime_ = new QLabel(qt(NoTime), this);
    QFont large = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    large.setPointSizeF(large.pointSizeF() * 2.5);
    large.setBold(true);
    lblTime_->setFont(large);
    lblTime_->setAlignment(Qt::AlignCenter);
    nameControl(lblTime_, QStringLiteral("lblTime"));
    lblStatus_ = new QLabel(this);
    lblStatus_->setWordWrap(true);
    nameControl(lblStatus_, QStringLiteral("lblStatus"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(sendGroup);
    layout->addWidget(lblTime_);
    layout->addWidget(lblStatus_);
    layout->addStretch();

    QWidget* order[] = {cboSource_,  cboLtcDevice_, cboRate_,       txtOffset_, spnFreewheel_,
                        optMode_[0], optMode_[1],   chkSendArtNet_, txtTarget_, chkSendMtc_};
    for (std::size_t index = 1; index < std::size(order); ++index)
        setTabOrder(order[index - 1], order[index]);

    watchAudioInputs(this, [this] { presenter_->devicesChanged(inputs_()); });
    auto* statusTimer = new QTimer(this);
    connect(statusTimer, &QTimer::timeout, this, [this] { presenter_->tmrStatus_Timer(); });
    statusTimer->start(StatusInterval);
    presenter_->Form_Load(inputs_());
}

TimecodeOptionsTab::~TimecodeOptionsTab()
{
    // A field losing the focus as the window goes is no edit: the presenter goes first.
    for (QLineEdit* field : {txtOffset_, txtTarget_})
        disconnect(field, nullptr, this, nullptr);
}

void TimecodeOptionsTab::setLtcDevices(const std::vector<std::string>& descriptions, int current)
{
    cboLtcDevice_->clear();
    cboLtcDevice_->addItem(qt(TimecodeOptionsText::NoDevice));
    cboLtcDevice_->addItems(qt(descriptions));
    cboLtcDevice_->setCurrentIndex(current);
}

void TimecodeOptionsTab::setLtcDeviceEnabled(bool enabled) { cboLtcDevice_->setEnabled(enabled); }

void TimecodeOptionsTab::setSource(int index) { cboSource_->setCurrentIndex(index); }

void TimecodeOptionsTab::setRate(int index) { cboRate_->setCurrentIndex(index); }

void TimecodeOptionsTab::setOffset(std::string_view text) { txtOffset_->setText(qt(text)); }

void TimecodeOptionsTab::setFreewheel(int frames)
{
    // Shown, not chosen: the presenter hears nothing back.
    const QSignalBlocker block(spnFreewheel_);
    spnFreewheel_->setValue(frames);
}

void TimecodeOptionsTab::setMode(TimecodeMode mode) { optMode_[static_cast<std::size_t>(mode)]->setChecked(true); }

void TimecodeOptionsTab::setSending(bool artNet, std::string_view target, bool mtc)
{
    chkSendArtNet_->setChecked(artNet);
    txtTarget_->setText(qt(target));
    chkSendMtc_->setChecked(mtc);
}

void TimecodeOptionsTab::setTime(std::string_view text) { lblTime_->setText(qt(text)); }

void TimecodeOptionsTab::setStatus(std::string_view text) { lblStatus_->setText(qt(text)); }

}  // namespace tinctara
