#include "NewWallDialog.h"

#include "Accessibility.h"
#include "KeyCodes.h"
#include "QtText.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tinctara {

NewWallDialog::NewWallDialog(NewWallPresenter::Services services, QWidget* parent)
    : QWidget(parent), presenter_(std::make_unique<NewWallPresenter>(services, *this))
{
    nameControl(this, QStringLiteral("frmNeueWand"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto field = [this](int index) {
        auto* edit = new QLineEdit(this);
        nameControl(edit, QStringLiteral("txtfeld_%1").arg(index));
        edit->installEventFilter(this);
        txtfeld_[static_cast<std::size_t>(index)] = edit;
        return edit;
    };
    auto label = [this](int index) {
        auto* l = new QLabel(qt(NewWallText::Labels[index]), this);
        nameControl(l, QStringLiteral("lblfeld_%1").arg(index));
        return l;
    };

    auto* name = new QFormLayout;
    name->addRow(label(0), field(0));

    auto* distribution = new QGroupBox(qt(NewWallText::DistributionFrame), this);
    nameControl(distribution, QStringLiteral("fraVerteilung"));
    auto* distributionLayout = new QFormLayout(distribution);
    distributionLayout->addRow(label(1), field(1));
    distributionLayout->addRow(label(2), field(2));

    auto* size = new QGroupBox(qt(NewWallText::SizeFrame), this);
    nameControl(size, QStringLiteral("fraGroesse"));
    auto* sizeLayout = new QFormLayout(size);
    sizeLayout->addRow(label(3), field(3));
    sizeLayout->addRow(label(4), field(4));

    auto* totals = new QFormLayout;
    totals->addRow(label(5), field(5));
    totals->addRow(label(6), field(6));
    // Each field is read by the caption beside it.
    for (int index = 0; index < 7; ++index)
        findChild<QLabel*>(QStringLiteral("lblfeld_%1").arg(index))
            ->setBuddy(txtfeld_[static_cast<std::size_t>(index)]);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    nameControl(ok, QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    nameControl(cancel, QStringLiteral("cmdAbbrechen"));
    connect(ok, &QPushButton::clicked, this, [this] { presenter_->cmdOK_Click(); });
    connect(cancel, &QPushButton::clicked, this, [this] { presenter_->cmdAbbrechen_Click(); });

    lblStatus_ = new QLabel(this);
    lblStatus_->setWordWrap(true);
    lblStatus_->setFrameShape(QFrame::StyledPanel);
    lblStatus_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Room for three lines, as the 121 message takes: a message never takes
    // height from the fields.
    lblStatus_->setMinimumHeight(3 * lblStatus_->fontMetrics().lineSpacing() + 2 * lblStatus_->frameWidth() +
                                 2 * lblStatus_->margin() + 8);
    nameControl(lblStatus_, QStringLiteral("lblStatus"));

    auto* boxes = new QHBoxLayout;
    boxes->addWidget(distribution);
    boxes->addWidget(size);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(name);
    layout->addLayout(boxes);
    layout->addLayout(totals);
    layout->addWidget(lblStatus_);
    layout->addLayout(buttons);

    presenter_->Form_Load();
}

NewWallDialog::~NewWallDialog() = default;

void NewWallDialog::setCaption(std::string_view caption) { setWindowTitle(qt(caption)); }

void NewWallDialog::setField(int index, std::string_view text)
{
    if (index >= 0 && index < NewWallText::Fields)
        txtfeld_[static_cast<std::size_t>(index)]->setText(qt(text));
}

// A message that needs more than the room kept for it (a narrow font, a
// larger one) makes the dialog taller instead.
void NewWallDialog::setStatus(std::string_view text)
{
    lblStatus_->setText(qt(text));
    if (!lblStatus_->isVisible())
        return;
    const int missing = lblStatus_->heightForWidth(lblStatus_->width()) - lblStatus_->height();
    if (missing <= 0)
        return;
    lblStatus_->setMinimumHeight(lblStatus_->height() + missing);
    QWidget* frame = parentWidget() && parentWidget()->inherits("QMdiSubWindow") ? parentWidget() : this;
    frame->resize(frame->width(), frame->height() + missing);
}

void NewWallDialog::focusField(int index)
{
    if (index >= 0 && index < NewWallText::Fields)
        txtfeld_[static_cast<std::size_t>(index)]->setFocus();
}

void NewWallDialog::closeDialog()
{
    if (parentWidget() && parentWidget()->inherits("QMdiSubWindow"))
        parentWidget()->close();
    else
        close();
}

// Key releases reach the presenter with the field's text as it now stands.
// Tab and Backtab only move the focus.
bool NewWallDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        for (int index = 0; index < NewWallText::Fields; ++index) {
            if (watched != txtfeld_[static_cast<std::size_t>(index)])
                continue;
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->isAutoRepeat())
                break;
            presenter_->txtfeld_Change(index, utf8(txtfeld_[static_cast<std::size_t>(index)]->text()));
            if (reachesKeyUpCheck(key))
                presenter_->txtfeld_KeyUp(index, programKeyCode(key));
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tinctara
