#include "SequencerWindow.h"

#include "Accessibility.h"
#include "KeyCodes.h"
#include "QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tinctara {

SequencerWindow::SequencerWindow(SequencerPresenter& presenter, SequencerWindowState& state, QWidget* parent)
    : QWidget(parent), presenter_(presenter), state_(state)
{
    nameControl(this, QStringLiteral("frmControl"));
    setWindowTitle(qt(SequencerText::Caption));

    auto* fields = new QGridLayout;
    // The headings stand above the fields: step, blend, hold.
    const int headingIndex[3] = {1, 0, 2};
    for (int index = 0; index < 3; ++index) {
        auto* heading = new QLabel(qt(SequencerText::FieldHeadings[index]), this);
        nameControl(heading, QStringLiteral("lblSequence_%1").arg(headingIndex[index]));
        auto* edit = new QLineEdit(this);
        edit->setToolTip(qt(SequencerText::FieldTips[index]));
        edit->setAlignment(Qt::AlignRight);
        nameControl(edit, QStringLiteral("txtSequence_%1").arg(index));
        heading->setBuddy(edit);
        edit->installEventFilter(this);
        txtSequence_[static_cast<std::size_t>(index)] = edit;
        fields->addWidget(heading, 0, index);
        fields->addWidget(edit, 1, index);
    }

    auto* buttons = new QGridLayout;
    const int position[SequencerText::Buttons][2] = {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 0}, {1, 4}};
    for (int index = 0; index < SequencerText::Buttons; ++index) {
        auto* button = new QPushButton(qt(SequencerText::ButtonCaptions[index]), this);
        button->setToolTip(qt(SequencerText::ButtonTips[index]));
        nameControl(button, QStringLiteral("cmdSequence_%1").arg(index));
        button->installEventFilter(this);
        connect(button, &QPushButton::clicked, this, [this, index] { presenter_.cmdSequence_Click(index); });
        cmdSequence_[static_cast<std::size_t>(index)] = button;
        buttons->addWidget(button, position[index][0], position[index][1]);
    }
    const QString recordStyle = QStringLiteral("QPushButton { color: #b00000; font-weight: bold; }");
    cmdSequence_[Rec]->setStyleSheet(recordStyle);
    // Between CLR ALL and ZERO, in the row's free middle.
    auto* recordInput = new QPushButton(qt(SequencerText::RecordInputCaption), this);
    recordInput->setToolTip(qt(SequencerText::RecordInputTip));
    nameControl(recordInput, QStringLiteral("cmdRecordInput"));
    recordInput->setStyleSheet(recordStyle);
    recordInput->installEventFilter(this);
    connect(recordInput, &QPushButton::clicked, this, [this] { presenter_.cmdRecordInput_Click(); });
    buttons->addWidget(recordInput, 1, 1, 1, 3);
    setTabOrder(cmdSequence_[ClearAll], recordInput);
    setTabOrder(recordInput, cmdSequence_[Zero]);

    lblStatus_ = new QLabel(this);
    lblStatus_->setFrameShape(QFrame::StyledPanel);
    lblStatus_->setMinimumWidth(320);
    nameControl(lblStatus_, QStringLiteral("lblStatus"));
    // Beside the status line, and there only while a timecode source is
    // chosen: hidden, it takes no room.
    // As wide as the widest label from the start, so running frames never move it.
    lblTimecode_ = new QLabel(qt(SequencerText::TimecodePrefix) + QStringLiteral("88:88:88;88"), this);
    lblTimecode_->setFrameShape(QFrame::StyledPanel);
    lblTimecode_->setMinimumWidth(lblTimecode_->sizeHint().width());
    lblTimecode_->hide();
    nameControl(lblTimecode_, QStringLiteral("lblTimecode"));
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(lblStatus_, 1);
    statusRow->addWidget(lblTimecode_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addLayout(buttons);
    layout->addLayout(statusRow);
    buildBeatRow(layout);
    // Clicked, the window takes the keys; Tab passes it by, as it shows no focus.
    setFocusPolicy(Qt::ClickFocus);
    state_.attachView(this);
    presenter_.attachBeatView(this);
}

SequencerWindow::~SequencerWindow()
{
    presenter_.attachBeatView(nullptr);
    state_.attachView(nullptr);
}

namespace {

const QString LightOff =
    QStringLiteral("QLabel { background: #303030; border: 1px solid #101010; border-radius: 7px; }");
const QString LightOn =
    QStringLiteral("QLabel { background: #ffd23c; border: 1px solid #806000; border-radius: 7px; }");

}  // namespace

// Below the status line, so that the controls above keep their places.
void SequencerWindow::buildBeatRow(QVBoxLayout* layout)
{
    chkBeat_ = new QCheckBox(qt(SequencerText::BeatCaption), this);
    nameControl(chkBeat_, QStringLiteral("chkBeat"));
    connect(chkBeat_, &QCheckBox::clicked, this, [this](bool checked) { presenter_.chkBeat_Click(checked); });

    auto* every = new QLabel(qt(SequencerText::EveryCaption), this);
    nameControl(every, QStringLiteral("lblBeats"));
    cboBeats_ = new QComboBox(this);
    for (const char* text : SequencerText::EveryChoiceTexts)
        cboBeats_->addItem(qt(text));
    nameControl(cboBeats_, QStringLiteral("cboBeats"), qt(SequencerText::EveryCaption));
    every->setBuddy(cboBeats_);
    connect(cboBeats_, &QComboBox::activated, this, [this](int choice) { presenter_.cboBeats_Click(choice); });

    auto* blend = new QLabel(qt(SequencerText::BlendCaption), this);
    nameControl(blend, QStringLiteral("lblBlende"));
    spnBlende_ = new QSpinBox(this);
    spnBlende_->setRange(0, 100);
    nameControl(spnBlende_, QStringLiteral("spnBlende"), qt(SequencerText::BlendCaption));
    blend->setBuddy(spnBlende_);
    connect(spnBlende_, &QSpinBox::valueChanged, this, [this](int percent) { presenter_.spnBlende_Change(percent); });

    cmdTap_ = new QPushButton(qt(SequencerText::TapCaption), this);
    nameControl(cmdTap_, QStringLiteral("cmdTap"));
    connect(cmdTap_, &QPushButton::clicked, this, [this] { presenter_.cmdTap_Click(); });

    // Room for the widest tempo from the start, so the row never squeezes.
    lblTempo_ = new QLabel(QStringLiteral("Tempo: 888,8 BPM"), this);
    lblTempo_->setMinimumWidth(lblTempo_->sizeHint().width());
    lblTempo_->setText(qt(SequencerText::TempoUnknown));
    nameControl(lblTempo_, QStringLiteral("lblTempo"));
    shpBeat_ = new QLabel(this);
    shpBeat_->setFixedSize(14, 14);
    shpBeat_->setStyleSheet(LightOff);
    nameControl(shpBeat_, QStringLiteral("shpBeat"), qt(SequencerText::BeatLightName));

    auto* row = new QHBoxLayout;
    row->addWidget(chkBeat_);
    row->addWidget(every);
    row->addWidget(cboBeats_);
    row->addWidget(blend);
    row->addWidget(spnBlende_);
    row->addWidget(cmdTap_);
    row->addStretch();
    row->addWidget(lblTempo_);
    row->addWidget(shpBeat_);
    layout->addLayout(row);

    setTabOrder(cmdSequence_[Zero], chkBeat_);
    setTabOrder(chkBeat_, cboBeats_);
    setTabOrder(cboBeats_, spnBlende_);
    setTabOrder(spnBlende_, cmdTap_);
}

void SequencerWindow::showBeatSettings(bool beat, int everyChoice, int blendPercent)
{
    // Shown, not chosen: the presenter hears nothing back.
    const QSignalBlocker blockBeat(chkBeat_);
    const QSignalBlocker blockEvery(cboBeats_);
    const QSignalBlocker blockBlend(spnBlende_);
    chkBeat_->setChecked(beat);
    cboBeats_->setCurrentIndex(everyChoice);
    spnBlende_->setValue(blendPercent);
}

void SequencerWindow::showTempo(std::string_view text) { lblTempo_->setText(qt(text)); }

void SequencerWindow::showBeatLight(bool lit) { shpBeat_->setStyleSheet(lit ? LightOn : LightOff); }

void SequencerWindow::showTimecode(std::string_view text)
{
    lblTimecode_->setText(qt(text));
    lblTimecode_->setVisible(!text.empty());
}

void SequencerWindow::setField(int index, std::string_view text)
{
    if (index < 0 || index > 2)
        return;
    QLineEdit* edit = txtSequence_[static_cast<std::size_t>(index)];
    if (edit->text() != qt(text))
        edit->setText(qt(text));
}

void SequencerWindow::setStatus(std::string_view text) { lblStatus_->setText(qt(text)); }

void SequencerWindow::setCaption(std::string_view caption)
{
    const QString title = qt(caption);
    setWindowTitle(title);
    if (parentWidget())
        parentWidget()->setWindowTitle(title);
}

void SequencerWindow::setTimeFieldsEnabled(bool enabled)
{
    txtSequence_[BlendField]->setEnabled(enabled);
    txtSequence_[HoldField]->setEnabled(enabled);
}

int SequencerWindow::fieldIndex(QObject* object) const
{
    for (int index = 0; index < 3; ++index)
        if (object == txtSequence_[static_cast<std::size_t>(index)])
            return index;
    return -1;
}

bool SequencerWindow::eventFilter(QObject* watched, QEvent* event)
{
    const int field = fieldIndex(watched);
    switch (event->type()) {
    case QEvent::FocusIn:
        if (field >= 0)
            presenter_.txtSequence_GotFocus(field);
        break;
    case QEvent::FocusOut:
        if (field >= 0)
            presenter_.txtSequence_LostFocus(field);
        break;
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (field >= 0 && !key->isAutoRepeat() && key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab) {
            presenter_.txtSequence_Change(field, utf8(txtSequence_[static_cast<std::size_t>(field)]->text()));
            if (reachesKeyUpCheck(key))
                presenter_.txtSequence_KeyUp(field, programKeyCode(key));
        }
        break;
    }
    case QEvent::KeyPress: {
        // Function keys reach the wall's selection memories from anywhere in the window.
        auto* key = static_cast<QKeyEvent*>(event);
        if (presenter_.Form_KeyDown(programKeyCode(key), key->modifiers() & Qt::ShiftModifier))
            return true;
        if (field < 0 && keyPress(key))
            return true;
        break;
    }
    case QEvent::MouseButtonPress:
        if (field < 0)
            presenter_.cmdSequence_MouseDown(0);
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

bool SequencerWindow::keyPress(QKeyEvent* event)
{
    const auto held = Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;
    return !event->isAutoRepeat() && !(event->modifiers() & held) && presenter_.Form_KeyPress(programKeyCode(event));
}

void SequencerWindow::keyPressEvent(QKeyEvent* event)
{
    if (!presenter_.Form_KeyDown(programKeyCode(event), event->modifiers() & Qt::ShiftModifier) && !keyPress(event))
        QWidget::keyPressEvent(event);
}

}  // namespace tinctara
