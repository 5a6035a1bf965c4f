#include "ControlOptionsTab.h"

#include "Accessibility.h"
#include "LayoutRoom.h"
#include "QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace tinctara {

namespace {

constexpr int CounterInterval = 1000;  // ms; counting faster would only flicker

QLineEdit* portField(QWidget* parent, const QString& name, const QString& spoken)
{
    auto* field = new QLineEdit(parent);
    fitFieldToTexts(field, {QStringLiteral("65535")});
    field->setMaximumWidth(90);
    nameControl(field, name, spoken);
    return field;
}

// A group whose fields can be turned off while the reason beside them stays legible.
QGroupBox* group(const QString& title, const QString& name, QWidget* fields, QLabel* missing)
{
    auto* box = new QGroupBox(title);
    nameControl(box, name);
    missing->setWordWrap(true);
    missing->hide();
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(missing);
    layout->addWidget(fields, 1);
    return box;
}

}  // namespace

ControlOptionsTab::ControlOptionsTab(SettingsStore& store, OscControl* osc, MidiControl* midi, QWidget* parent)
    : QWidget(parent), presenter_(std::make_unique<ControlOptionsPresenter>(store, osc, midi, *this))
{
    nameControl(this, QStringLiteral("fraSteuerung"), qt(ControlOptionsText::Tab));
    // Side by side: the options window stays low enough for a small screen.
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(buildOsc(), 0);
    layout->addWidget(buildMidi(), 1);

    auto* counters = new QTimer(this);
    connect(counters, &QTimer::timeout, this, [this] { presenter_->tmrCounters_Timer(); });
    counters->start(CounterInterval);
    presenter_->Form_Load();
}

ControlOptionsTab::~ControlOptionsTab() = default;

QWidget* ControlOptionsTab::buildOsc()
{
    oscFields_ = new QWidget;
    lblOscMissing_ = new QLabel;
    nameControl(lblOscMissing_, QStringLiteral("lblOscMissing"));
    chkOsc_ = new QCheckBox(QStringLiteral("OSC empfangen"), oscFields_);
    nameControl(chkOsc_, QStringLiteral("chkOsc"));
    connect(chkOsc_, &QCheckBox::toggled, this, [this](bool on) {
        if (!updating_)
            presenter_->chkOsc_Click(on);
    });
    cboOscAddress_ = new QComboBox(oscFields_);
    nameControl(cboOscAddress_, QStringLiteral("cboOscAddress"), QStringLiteral("Adresse :"));
    connect(cboOscAddress_, &QComboBox::activated, this,
            [this] { presenter_->cboOscAddress_Click(utf8(cboOscAddress_->currentText())); });
    txtOscPort_ = portField(oscFields_, QStringLiteral("txtOscPort"), QStringLiteral("Port :"));
    txtFeedbackPort_ =
        portField(oscFields_, QStringLiteral("txtFeedbackPort"), QStringLiteral("Rückmeldung an Port :"));
    txtFeedbackDestination_ = new QLineEdit(oscFields_);
    txtFeedbackDestination_->setPlaceholderText(QStringLiteral("ADRESSE:PORT"));
    fitFieldToTexts(txtFeedbackDestination_, {QStringLiteral("255.255.255.255:65535")});
    nameControl(txtFeedbackDestination_, QStringLiteral("txtFeedbackDestination"),
                QStringLiteral("Rückmeldung immer an :"));
    for (QLineEdit* field : {txtOscPort_, txtFeedbackPort_, txtFeedbackDestination_}) {
        field->installEventFilter(this);
        connect(field, &QLineEdit::returnPressed, this, [this, field] { fieldLeft(field); });
    }
    lblOscWarning_ = new QLabel(qt(ControlOptionsText::OscWarning), oscFields_);
    lblOscWarning_->setWordWrap(true);
    lblOscWarning_->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold;"));
    keepRoomWhenHidden(lblOscWarning_);  // choosing an address moves nothing under the pointer
    lblOscWarning_->hide();
    nameControl(lblOscWarning_, QStringLiteral("lblOscWarning"));
    lblOscStatus_ = new QLabel(oscFields_);
    lblOscStatus_->setWordWrap(true);
    nameControl(lblOscStatus_, QStringLiteral("lblOscStatus"));
    lblOscCounters_ = new QLabel(oscFields_);
    nameControl(lblOscCounters_, QStringLiteral("lblOscCounters"));

    auto* form = new QFormLayout;
    form->addRow(chkOsc_);
    form->addRow(QStringLiteral("Adresse :"), cboOscAddress_);
    form->addRow(QStringLiteral("Port :"), txtOscPort_);
    form->addRow(QStringLiteral("Rückmeldung an Port :"), txtFeedbackPort_);
    form->addRow(QStringLiteral("Rückmeldung immer an :"), txtFeedbackDestination_);
    auto* layout = new QVBoxLayout(oscFields_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(form);
    layout->addWidget(lblOscWarning_);
    layout->addWidget(lblOscStatus_);
    layout->addWidget(lblOscCounters_);
    layout->addStretch();
    return group(QStringLiteral("OSC"), QStringLiteral("fraOsc"), oscFields_, lblOscMissing_);
}

QWidget* ControlOptionsTab::buildMidi()
{
    midiFields_ = new QWidget;
    lblMidiMissing_ = new QLabel;
    nameControl(lblMidiMissing_, QStringLiteral("lblMidiMissing"));
    chkMidi_ = new QCheckBox(QStringLiteral("MIDI empfangen"), midiFields_);
    nameControl(chkMidi_, QStringLiteral("chkMidi"));
    connect(chkMidi_, &QCheckBox::toggled, this, [this](bool on) {
        if (!updating_)
            presenter_->chkMidi_Click(on);
    });
    cboMidiPort_ = new QComboBox(midiFields_);
    nameControl(cboMidiPort_, QStringLiteral("cboMidiPort"), QStringLiteral("Verbinden mit :"));
    connect(cboMidiPort_, &QComboBox::activated, this, [this](int index) { presenter_->cboMidiPort_Click(index); });
    txtDeviceId_ = new QLineEdit(midiFields_);
    fitFieldToTexts(txtDeviceId_, {qt(ControlOptionsText::AllDevices), QStringLiteral("127")});
    txtDeviceId_->setMaximumWidth(90);
    nameControl(txtDeviceId_, QStringLiteral("txtDeviceId"), QStringLiteral("Geräte-ID :"));
    txtDeviceId_->installEventFilter(this);
    connect(txtDeviceId_, &QLineEdit::returnPressed, this, [this] { fieldLeft(txtDeviceId_); });

    grdBindings_ = new QTableWidget(0, 2, midiFields_);
    grdBindings_->setHorizontalHeaderLabels({QStringLiteral("Aktion"), QStringLiteral("MIDI-Nachricht")});
    grdBindings_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grdBindings_->verticalHeader()->hide();
    grdBindings_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdBindings_->setSelectionMode(QAbstractItemView::SingleSelection);
    grdBindings_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdBindings_->setMinimumHeight(150);
    nameControl(grdBindings_, QStringLiteral("grdBindings"), QStringLiteral("Gelernte Zuordnungen"));

    cboAction_ = new QComboBox(midiFields_);
    nameControl(cboAction_, QStringLiteral("cboAction"), QStringLiteral("Aktion"));
    connect(cboAction_, &QComboBox::activated, this, [this](int index) { presenter_->cboAction_Click(index); });
    txtActionNumber_ = new QLineEdit(QStringLiteral("1"), midiFields_);
    fitFieldToTexts(txtActionNumber_, {QStringLiteral("99999")});
    txtActionNumber_->setMaximumWidth(70);
    nameControl(txtActionNumber_, QStringLiteral("txtActionNumber"), QStringLiteral("Nummer"));
    cmdLearn_ = new QPushButton(QStringLiteral("Lernen"), midiFields_);
    cmdLearn_->setCheckable(true);
    nameControl(cmdLearn_, QStringLiteral("cmdLearn"));
    connect(cmdLearn_, &QPushButton::clicked, this,
            [this] { presenter_->cmdLearn_Click(utf8(txtActionNumber_->text())); });
    auto* remove = new QPushButton(QStringLiteral("Entfernen"), midiFields_);
    nameControl(remove, QStringLiteral("cmdRemove"));
    connect(remove, &QPushButton::clicked, this, [this] { presenter_->cmdRemove_Click(grdBindings_->currentRow()); });
    lblMidiStatus_ = new QLabel(midiFields_);
    lblMidiStatus_->setWordWrap(true);
    nameControl(lblMidiStatus_, QStringLiteral("lblMidiStatus"));

    auto* form = new QFormLayout;
    form->addRow(chkMidi_);
    form->addRow(QStringLiteral("Verbinden mit :"), cboMidiPort_);
    form->addRow(QStringLiteral("Geräte-ID (Show Control) :"), txtDeviceId_);
    auto* learn = new QHBoxLayout;
    learn->addWidget(cboAction_, 1);
    learn->addWidget(txtActionNumber_);
    learn->addWidget(cmdLearn_);
    learn->addWidget(remove);
    auto* layout = new QVBoxLayout(midiFields_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(form);
    layout->addWidget(grdBindings_, 1);
    layout->addLayout(learn);
    layout->addWidget(lblMidiStatus_);
    return group(QStringLiteral("MIDI"), QStringLiteral("fraMidi"), midiFields_, lblMidiMissing_);
}

void ControlOptionsTab::disableOsc(std::string_view reason)
{
    oscFields_->setEnabled(false);
    lblOscMissing_->setText(qt(reason));
    lblOscMissing_->show();
}

void ControlOptionsTab::disableMidi(std::string_view reason)
{
    midiFields_->setEnabled(false);
    lblMidiMissing_->setText(qt(reason));
    lblMidiMissing_->show();
}

void ControlOptionsTab::setOscOn(bool on)
{
    updating_ = true;
    chkOsc_->setChecked(on);
    updating_ = false;
}

void ControlOptionsTab::setOscAddresses(const std::vector<std::string>& addresses, const std::string& current)
{
    cboOscAddress_->clear();
    cboOscAddress_->addItems(qt(addresses));
    cboOscAddress_->setCurrentText(qt(current));
}

void ControlOptionsTab::setOscPort(std::string_view text) { txtOscPort_->setText(qt(text)); }

void ControlOptionsTab::setFeedbackPort(std::string_view text) { txtFeedbackPort_->setText(qt(text)); }

void ControlOptionsTab::setFeedbackDestination(std::string_view text) { txtFeedbackDestination_->setText(qt(text)); }

void ControlOptionsTab::setOscWarningVisible(bool visible) { lblOscWarning_->setVisible(visible); }

void ControlOptionsTab::setOscStatus(std::string_view text) { lblOscStatus_->setText(qt(text)); }

void ControlOptionsTab::setOscCounters(std::string_view text) { lblOscCounters_->setText(qt(text)); }

void ControlOptionsTab::setMidiOn(bool on)
{
    updating_ = true;
    chkMidi_->setChecked(on);
    updating_ = false;
}

void ControlOptionsTab::setMidiPorts(const std::vector<std::string>& ports, int current)
{
    cboMidiPort_->clear();
    cboMidiPort_->addItems(qt(ports));
    cboMidiPort_->setCurrentIndex(current);
}

void ControlOptionsTab::setDeviceId(std::string_view text) { txtDeviceId_->setText(qt(text)); }

void ControlOptionsTab::setActions(const std::vector<std::string>& actions)
{
    cboAction_->clear();
    cboAction_->addItems(qt(actions));
}

void ControlOptionsTab::setActionNumberEnabled(bool enabled) { txtActionNumber_->setEnabled(enabled); }

void ControlOptionsTab::setBindings(const std::vector<std::array<std::string, 2>>& rows, int current)
{
    grdBindings_->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t row = 0; row < rows.size(); ++row)
        for (std::size_t column = 0; column < rows[row].size(); ++column)
            grdBindings_->setItem(static_cast<int>(row), static_cast<int>(column),
                                  new QTableWidgetItem(qt(rows[row][column])));
    grdBindings_->clearSelection();
    grdBindings_->setCurrentCell(current, 0);
    if (current >= 0)
        grdBindings_->scrollToItem(grdBindings_->item(current, 0));
}

void ControlOptionsTab::setLearning(bool learning) { cmdLearn_->setChecked(learning); }

void ControlOptionsTab::setMidiStatus(std::string_view text) { lblMidiStatus_->setText(qt(text)); }

void ControlOptionsTab::fieldLeft(QLineEdit* field)
{
    const std::string text = utf8(field->text());
    if (field == txtOscPort_)
        presenter_->txtOscPort_LostFocus(text);
    else if (field == txtFeedbackPort_)
        presenter_->txtFeedbackPort_LostFocus(text);
    else if (field == txtFeedbackDestination_)
        presenter_->txtFeedbackDestination_LostFocus(text);
    else if (field == txtDeviceId_)
        presenter_->txtDeviceId_LostFocus(text);
}

bool ControlOptionsTab::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut)
        if (auto* field = qobject_cast<QLineEdit*>(watched))
            fieldLeft(field);
    return QWidget::eventFilter(watched, event);
}

}  // namespace tinctara
