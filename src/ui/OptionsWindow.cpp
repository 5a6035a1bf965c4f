#include "OptionsWindow.h"

#include "Accessibility.h"
#include "KeyCodes.h"
#include "LayoutRoom.h"
#include "QtText.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tinctara {

OptionsWindow::OptionsWindow(ShowModel& model, UserInteraction& user, MainWindowCommands& mainWindow, QWidget* parent)
    : QWidget(parent), presenter_(std::make_unique<OptionsPresenter>(model, user, mainWindow, *this))
{
    using namespace OptionsText;
    nameControl(this, QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Optionen"));

    auto* tabs = tabs_ = new QTabWidget(this);
    nameControl(tabs, QStringLiteral("tbsOptions"), QStringLiteral("Optionen"));
    tabs->setUsesScrollButtons(false);  // every tab in view

    auto* dmx = new QWidget;
    nameControl(dmx, QStringLiteral("fraDMX"), qt(Tabs[0]));
    auto* form = new QFormLayout;
    for (int index = 0; index < DmxFields; ++index) {
        auto* label = new QLabel(qt(FieldLabels[index]), dmx);
        nameControl(label, QStringLiteral("lblDMX_%1").arg(index));
        auto* edit = new QLineEdit(dmx);
        edit->setAlignment(Qt::AlignRight);
        nameControl(edit, QStringLiteral("txtDMX_%1").arg(index));
        label->setBuddy(edit);
        edit->installEventFilter(this);
        txtDMX_[static_cast<std::size_t>(index)] = edit;
        form->addRow(label, edit);
    }
    txtDMX_[LengthField]->setReadOnly(true);
    for (int mode = 0; mode < 2; ++mode) {
        auto* option = new QRadioButton(qt(RepeatModes[mode]), dmx);
        nameControl(option, QStringLiteral("OptDMXSend_%1").arg(mode));
        connect(option, &QRadioButton::toggled, this, [this, mode](bool on) {
            if (on && !updating_)
                presenter_->OptDMXSend_Click(mode);
        });
        OptDMXSend_[static_cast<std::size_t>(mode)] = option;
    }
    cckAutoDMXmax_ = new QCheckBox(QStringLiteral("Auto"), dmx);
    nameControl(cckAutoDMXmax_, QStringLiteral("cckAutoDMXmax"));
    connect(cckAutoDMXmax_, &QCheckBox::toggled, this, [this](bool on) {
        if (!updating_)
            presenter_->cckAutoDMXmax_Click(on);
    });
    auto* defaults = new QPushButton(QStringLiteral("Default Einstellungen"), dmx);
    nameControl(defaults, QStringLiteral("cmdDefaultDMX"));
    connect(defaults, &QPushButton::clicked, this, [this] { presenter_->cmdDefaultDMX_Click(); });
    lblWarning_ = new QLabel(qt(Warning), dmx);
    lblWarning_->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold;"));
    // The warning keeps its room while hidden: when it comes and goes, no
    // field moves under the pointer.
    keepRoomWhenHidden(lblWarning_);
    lblWarning_->hide();
    nameControl(lblWarning_, QStringLiteral("lblWarnung"));

    auto* options = new QHBoxLayout;
    options->addWidget(OptDMXSend_[0]);
    options->addWidget(OptDMXSend_[1]);
    options->addWidget(cckAutoDMXmax_);
    auto* dmxLayout = new QVBoxLayout(dmx);
    dmxLayout->addLayout(form);
    dmxLayout->addLayout(options);
    dmxLayout->addWidget(defaults, 0, Qt::AlignLeft);
    dmxLayout->addWidget(lblWarning_);
    dmxLayout->addStretch();  // a taller tab beside it leaves room below, not between the rows
    tabs->addTab(dmx, qt(Tabs[0]));

    auto* general = new QWidget;
    nameControl(general, QStringLiteral("fraAllgemein"), qt(Tabs[1]));
    auto* generalLayout = new QFormLayout(general);
    chkAutoStart_ = new QCheckBox(QStringLiteral("Auto Load"), general);
    nameControl(chkAutoStart_, QStringLiteral("chkAutoStart"));
    connect(chkAutoStart_, &QCheckBox::toggled, this, [this](bool on) {
        if (!updating_)
            presenter_->chkAutoStart_Click(on);
    });
    generalLayout->addRow(chkAutoStart_);
    const char* kinds[4] = {"Konfiguration :", "Szene :", "Sequenz :", "Farbtabelle :"};
    for (int index = 0; index < 4; ++index) {
        auto* path = new QLineEdit(general);
        path->setReadOnly(true);
        path->setMinimumWidth(280);
        nameControl(path, QStringLiteral("txtPath_%1").arg(index));
        txtPath_[static_cast<std::size_t>(index)] = path;
        generalLayout->addRow(qt(kinds[index]), path);
    }
    tabs->addTab(general, qt(Tabs[1]));
    tabs->addTab(new QWidget, qt(Tabs[2]));
    tabs->addTab(new QWidget, qt(Tabs[3]));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    nameControl(ok, QStringLiteral("cmdOK"));
    auto* apply = new QPushButton(QStringLiteral("Über&nehmen"), this);
    nameControl(apply, QStringLiteral("cmdApply"));
    auto* cancel = new QPushButton(QStringLiteral("&Abbrechen"), this);
    nameControl(cancel, QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, [this] { presenter_->cmdOK_Click(); });
    connect(apply, &QPushButton::clicked, this, [this] { presenter_->cmdApply_Click(); });
    connect(cancel, &QPushButton::clicked, this, [this] { presenter_->cmdCancel_Click(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(apply);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(buttons);

    presenter_->Form_Load();
}

OptionsWindow::~OptionsWindow() = default;

void OptionsWindow::addPage(QWidget* page, const QString& caption) { tabs_->addTab(page, caption); }

void OptionsWindow::setField(int index, std::string_view text)
{
    if (index >= 0 && index < OptionsText::DmxFields)
        txtDMX_[static_cast<std::size_t>(index)]->setText(qt(text));
}

void OptionsWindow::setFieldEnabled(int index, bool enabled)
{
    if (index >= 0 && index < OptionsText::DmxFields)
        txtDMX_[static_cast<std::size_t>(index)]->setEnabled(enabled);
}

void OptionsWindow::setPath(int index, std::string_view text)
{
    if (index >= 0 && index < 4)
        txtPath_[static_cast<std::size_t>(index)]->setText(qt(text));
}

void OptionsWindow::setRepeatMode(int mode)
{
    updating_ = true;
    OptDMXSend_[mode == 1 ? 1 : 0]->setChecked(true);
    updating_ = false;
}

void OptionsWindow::setAutoChannels(bool ticked, bool enabled)
{
    updating_ = true;
    cckAutoDMXmax_->setChecked(ticked);
    cckAutoDMXmax_->setEnabled(enabled);
    updating_ = false;
}

void OptionsWindow::setAutoLoad(bool ticked)
{
    updating_ = true;
    chkAutoStart_->setChecked(ticked);
    updating_ = false;
}

void OptionsWindow::setWarningVisible(bool visible) { lblWarning_->setVisible(visible); }

void OptionsWindow::closeWindow()
{
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

int OptionsWindow::fieldIndex(QObject* object) const
{
    for (int index = 0; index < OptionsText::DmxFields; ++index)
        if (object == txtDMX_[static_cast<std::size_t>(index)])
            return index;
    return -1;
}

bool OptionsWindow::eventFilter(QObject* watched, QEvent* event)
{
    const int field = fieldIndex(watched);
    if (field >= 0 && event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat() && key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab) {
            presenter_->txtDMX_Change(field, utf8(txtDMX_[static_cast<std::size_t>(field)]->text()));
            if (reachesKeyUpCheck(key))
                presenter_->txtDMX_KeyUp(field, programKeyCode(key));
        }
    } else if (field >= 0 && event->type() == QEvent::FocusOut) {
        presenter_->txtDMX_Change(field, utf8(txtDMX_[static_cast<std::size_t>(field)]->text()));
        presenter_->txtDMX_LostFocus(field);
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tinctara
