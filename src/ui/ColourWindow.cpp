#include "ColourWindow.h"

#include "Accessibility.h"
#include "Fader.h"
#include "KeyCodes.h"
#include "QtText.h"

#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace tinctara {

namespace {

constexpr const char* ChannelLetters[Planes] = {"R", "G", "B", "W"};
constexpr const char* ChannelNames[Planes] = {"Rot", "Grün", "Blau", "Weiß"};
const QColor ChannelColours[Planes] = {QColor(255, 0, 0), QColor(0, 160, 0), QColor(0, 0, 255), QColor()};

QString background(const QColor& colour)
{
    return QStringLiteral("background-color: %1; border: 1px solid #404040;").arg(colour.name());
}

// A colour field shows where the keyboard is by a frame in the focus colour.
QString userColourStyle(const QColor& colour)
{
    return QStringLiteral("QPushButton { %1 } QPushButton:focus { border: 2px solid palette(highlight); }")
        .arg(background(colour));
}

}  // namespace

ColourWindow::ColourWindow(ColourWindowPresenter::Services services, QWidget* parent)
    : QWidget(parent), presenter_(std::make_unique<ColourWindowPresenter>(services, *this))
{
    nameControl(this, QStringLiteral("frmColor"));
    setAttribute(Qt::WA_DeleteOnClose);

    // Made first: the value fields lead the tab order.
    for (int index = 0; index < Planes; ++index) {
        auto* field = new QLineEdit(QStringLiteral("0"), this);
        nameControl(field, QStringLiteral("txtFarbe_%1").arg(index),
                    QStringLiteral("Farbwert %1").arg(qt(ChannelNames[index])));
        field->setToolTip(QStringLiteral("Farbwert "));
        field->setAlignment(Qt::AlignCenter);
        field->setMaximumWidth(48);
        connect(field, &QLineEdit::textEdited, this,
                [this, index](const QString& text) { presenter_->txtFarbe_Change(index, utf8(text)); });
        txtFarbe_[static_cast<std::size_t>(index)] = field;
    }

    auto* faders = new QGridLayout;
    for (int index = 0; index < Planes; ++index) {
        auto* letter = new QLabel(QString::fromLatin1(ChannelLetters[index]), this);
        nameControl(letter, QStringLiteral("lblFarbe_%1").arg(index));
        letter->setToolTip(qt(ChannelNames[index]));
        letter->setAlignment(Qt::AlignCenter);
        QFont bold = letter->font();
        bold.setBold(true);
        letter->setFont(bold);
        if (ChannelColours[index].isValid()) {
            QPalette palette = letter->palette();
            palette.setColor(QPalette::WindowText, ChannelColours[index]);
            letter->setPalette(palette);
        }
        lblFarbe_[static_cast<std::size_t>(index)] = letter;

        auto* fader = new Fader(this);
        nameControl(fader, QStringLiteral("ScrFarbe_%1").arg(index), qt(ChannelNames[index]));
        fader->setRange(0, 255);
        fader->setSingleStep(1);
        fader->setPageStep(10);
        fader->setFocusPolicy(Qt::StrongFocus);
        fader->setMinimumHeight(200);
        connect(fader, &QScrollBar::valueChanged, this,
                [this, index](int value) { presenter_->ScrFarbe_Change(index, value); });
        connect(fader, &QScrollBar::sliderPressed, this, [this] { presenter_->faderPressed(); });
        connect(fader, &QScrollBar::sliderReleased, this, [this] { presenter_->faderReleased(); });
        ScrFarbe_[static_cast<std::size_t>(index)] = fader;

        faders->addWidget(letter, 0, index, Qt::AlignHCenter);
        faders->addWidget(fader, 1, index, Qt::AlignHCenter);
        faders->addWidget(txtFarbe_[static_cast<std::size_t>(index)], 2, index, Qt::AlignHCenter);
    }

    auto* panel = new QLabel(this);
    nameControl(panel, QStringLiteral("lblFarbe_4"), QStringLiteral("Farbmischung"));
    panel->setMinimumSize(120, 80);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setStyleSheet(background(panel_));
    lblFarbe_[4] = panel;

    auto button = [this](int index, const char* caption, const char* tip) {
        auto* b = new QPushButton(qt(caption), this);
        nameControl(b, QStringLiteral("cmdColor_%1").arg(index));
        b->setToolTip(qt(tip));
        connect(b, &QPushButton::clicked, this, [this, index] { presenter_->cmdColor_Click(index); });
        cmdColor_[static_cast<std::size_t>(index)] = b;
        return b;
    };
    button(0, "Farbe &holen", "Holt sich die Farbe von einem selektierten Element");
    button(1, "Farbe &übernehmen", "Überträgt die Farbe an alle selektierten Elemente");
    button(3, "Hin&zufügen >", "Speichern der aktuellen Farbe in der Farbtabelle");

    chkCHange_ = new QCheckBox(QStringLiteral("sofort übernehmen"), this);
    nameControl(chkCHange_, QStringLiteral("chkCHange"));
    chkCHange_->setToolTip(QStringLiteral("Änderungen werden sofort in die Scene übernommen"));
    chkCHange_->setChecked(true);
    connect(chkCHange_, &QCheckBox::clicked, this, [this](bool ticked) { presenter_->chkCHange_Click(ticked); });

    chkMindest_ = new QCheckBox(QStringLiteral("Mindest-Farbwert \"1\""), this);
    nameControl(chkMindest_, QStringLiteral("chkMindest"));
    chkMindest_->setToolTip(QStringLiteral("Mindestansteuerung für die EVG"));
    connect(chkMindest_, &QCheckBox::clicked, this, [this](bool ticked) { presenter_->chkMindest_Click(ticked); });

    auto* numberLabel = new QLabel(QStringLiteral("Nr.:"), this);
    nameControl(numberLabel, QStringLiteral("lblFarbe_5"));
    auto* nameLabel = new QLabel(QStringLiteral("Name der Farbe"), this);
    nameControl(nameLabel, QStringLiteral("lblFarbe_6"));
    for (QLabel* heading : {numberLabel, nameLabel})
        heading->setToolTip(QStringLiteral("Zeigt die aktuelle Farbmischung an"));
    lblFarbe_[5] = numberLabel;
    lblFarbe_[6] = nameLabel;

    txtFarbNr_ = new QLineEdit(this);
    nameControl(txtFarbNr_, QStringLiteral("txtFarbNr"));
    numberLabel->setBuddy(txtFarbNr_);
    txtFarbNr_->setReadOnly(true);
    txtFarbNr_->setMaximumWidth(40);
    txtFarbName_ = new QLineEdit(this);
    nameControl(txtFarbName_, QStringLiteral("txtFarbName"));
    nameLabel->setBuddy(txtFarbName_);
    connect(txtFarbName_, &QLineEdit::textEdited, this,
            [this](const QString& text) { presenter_->txtFarbName_Change(utf8(text)); });

    auto* prompt = new QLabel(QStringLiteral("Farb-Feld anklicken!"), this);
    nameControl(prompt, QStringLiteral("lblFarbe_7"));
    prompt->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0); background-color: silver; padding: 2px;"));
    prompt->setAlignment(Qt::AlignCenter);
    prompt->hide();
    lblFarbe_[7] = prompt;

    auto* userColours = new QGridLayout;
    userColours->setSpacing(3);
    for (int index = 0; index < UserColours; ++index) {
        auto* field = new QPushButton(this);
        nameControl(field, QStringLiteral("txtUserColor_%1").arg(index),
                    QStringLiteral("Benutzerfarbe %1").arg(index + 1));
        // Reached by Tab, but a click leaves the focus where it is.
        field->setFocusPolicy(Qt::TabFocus);
        field->setFixedSize(28, 22);
        field->setStyleSheet(userColourStyle(Qt::black));
        connect(field, &QPushButton::clicked, this, [this, index] { presenter_->txtUserColor_Click(index); });
        txtUserColor_[static_cast<std::size_t>(index)] = field;
        userColours->addWidget(field, index / 5, index % 5);
    }

    lblStatus_ = new QLabel(QStringLiteral("Statuszeile"), this);
    nameControl(lblStatus_, QStringLiteral("lblStatus"));
    lblStatus_->setFrameShape(QFrame::StyledPanel);
    lblStatus_->setMinimumHeight(22);

    auto* middle = new QVBoxLayout;
    middle->addWidget(panel, 1);
    middle->addWidget(cmdColor_[0]);
    middle->addWidget(cmdColor_[1]);
    middle->addWidget(chkCHange_);
    middle->addWidget(chkMindest_);

    auto* naming = new QGridLayout;
    naming->addWidget(numberLabel, 0, 0);
    naming->addWidget(nameLabel, 0, 1);
    naming->addWidget(txtFarbNr_, 1, 0);
    naming->addWidget(txtFarbName_, 1, 1);
    auto* right = new QVBoxLayout;
    right->addLayout(naming);
    right->addWidget(cmdColor_[3]);
    right->addLayout(userColours);
    right->addWidget(prompt);
    right->addStretch();

    auto* top = new QHBoxLayout;
    top->addLayout(faders);
    top->addLayout(middle);
    top->addLayout(right);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(lblStatus_);

    setTabOrder(txtFarbe_[3], cmdColor_[1]);

    // The window sees key presses before its controls.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);

    presenter_->Form_Load();
}

ColourWindow::~ColourWindow()
{
    // Children lose their focus while they go; the presenter is gone by then.
    for (QWidget* child : findChildren<QWidget*>())
        child->removeEventFilter(this);
}

void ColourWindow::setCaption(std::string_view caption) { setWindowTitle(qt(caption)); }

void ColourWindow::setStatus(std::string_view text) { lblStatus_->setText(qt(text)); }

void ColourWindow::showFader(int index, int value)
{
    if (index < 0 || index >= Planes)
        return;
    QScrollBar* fader = ScrFarbe_[static_cast<std::size_t>(index)];
    const QSignalBlocker quiet(fader);
    fader->setValue(value);
}

void ColourWindow::setFaderMinimum(int minimum)
{
    for (QScrollBar* fader : ScrFarbe_) {
        const QSignalBlocker quiet(fader);
        fader->setMinimum(minimum);
    }
}

void ColourWindow::setValueField(int index, std::string_view text)
{
    if (index >= 0 && index < Planes)
        txtFarbe_[static_cast<std::size_t>(index)]->setText(qt(text));
}

void ColourWindow::showPanelColour(Rgb colour)
{
    panel_ = QColor(colour.red, colour.green, colour.blue);
    lblFarbe_[4]->setStyleSheet(background(panel_));
}

void ColourWindow::showUserColour(int index, Rgb colour)
{
    if (index < 0 || index >= UserColours)
        return;
    const QColor c(colour.red, colour.green, colour.blue);
    userColours_[static_cast<std::size_t>(index)] = c;
    txtUserColor_[static_cast<std::size_t>(index)]->setStyleSheet(userColourStyle(c));
}

QColor ColourWindow::panelColour() const { return panel_; }

QColor ColourWindow::userColour(int index) const { return userColours_.at(static_cast<std::size_t>(index)); }

void ColourWindow::setNumberField(std::string_view text) { txtFarbNr_->setText(qt(text)); }

void ColourWindow::setNameField(std::string_view text) { txtFarbName_->setText(qt(text)); }

void ColourWindow::setStorePromptVisible(bool visible) { lblFarbe_[7]->setVisible(visible); }

void ColourWindow::setImmediateApplyChecked(bool checked)
{
    const QSignalBlocker quiet(chkCHange_);
    chkCHange_->setChecked(checked);
}

void ColourWindow::focus(ColourControl control)
{
    const int value = static_cast<int>(control);
    if (control <= ColourControl::ValueField3)
        txtFarbe_[static_cast<std::size_t>(value)]->setFocus();
    else if (control <= ColourControl::Fader3)
        ScrFarbe_[static_cast<std::size_t>(value - static_cast<int>(ColourControl::Fader0))]->setFocus();
    else if (control == ColourControl::ApplyButton)
        cmdColor_[1]->setFocus();
    else
        txtFarbName_->setFocus();
}

int ColourWindow::valueFieldIndex(const QObject* object) const
{
    for (int index = 0; index < Planes; ++index)
        if (object == txtFarbe_[static_cast<std::size_t>(index)])
            return index;
    return -1;
}

bool ColourWindow::eventFilter(QObject* watched, QEvent* event)
{
    const int field = valueFieldIndex(watched);
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat())
            pressedKeys_.append(key->key());
        const int code = programKeyCode(key);
        const bool shift = key->modifiers() & Qt::ShiftModifier;
        presenter_->Form_KeyDown(code, shift);
        if (watched == txtFarbName_)
            presenter_->txtFarbName_KeyDown(code, shift);
        break;
    }
    case QEvent::KeyRelease: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->isAutoRepeat() || !pressedKeys_.removeOne(key->key()))
            break;
        if (field >= 0 && reachesKeyUpCheck(key))
            presenter_->txtFarbe_KeyUp(field, programKeyCode(key), key->modifiers() & Qt::ShiftModifier);
        break;
    }
    case QEvent::FocusIn:
        if (field >= 0 || watched == txtFarbName_)
            focusedField_ = watched;
        break;
    case QEvent::FocusOut:
        // A pop-up menu takes the focus only for a moment; a field that never
        // had the focus has nothing to check.
        if (static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason || watched != focusedField_)
            break;
        focusedField_ = nullptr;
        if (field >= 0)
            presenter_->txtFarbe_LostFocus(field);
        else if (watched == txtFarbName_)
            presenter_->txtFarbName_LostFocus();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tinctara
