#include "MemoryCardWindow.h"

#include "Accessibility.h"
#include "QtText.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tinctara {

MemoryCardWindow::MemoryCardWindow(MemoryCardPresenter::Services services, QWidget* parent)
    : QWidget(parent), presenter_(std::make_unique<MemoryCardPresenter>(services, *this))
{
    nameControl(this, QStringLiteral("frmFiles"));

    auto* sequenceCaption = new QLabel(QStringLiteral("Sequence :"), this);
    nameControl(sequenceCaption, QStringLiteral("lblSequenceCaption"));
    lblSequence_ = new QLabel(this);
    nameControl(lblSequence_, QStringLiteral("lblSequence"));

    txtDisplay_ = new QPlainTextEdit(this);
    txtDisplay_->setReadOnly(true);
    txtDisplay_->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtDisplay_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtDisplay_->setMinimumSize(620, 260);
    nameControl(txtDisplay_, QStringLiteral("txtDisplay"), QStringLiteral("Inhalt der Memorykarte"));

    prgWrite_ = new QProgressBar(this);
    prgWrite_->setRange(0, 1000);
    nameControl(prgWrite_, QStringLiteral("prgWrite"), QStringLiteral("Fortschritt beim Schreiben"));

    lblStatus_ = new QLabel(this);
    lblStatus_->setWordWrap(true);
    lblStatus_->setFrameShape(QFrame::StyledPanel);
    lblStatus_->setMinimumHeight(lblStatus_->fontMetrics().height() * 2 + 6);
    nameControl(lblStatus_, QStringLiteral("lblStatus"));

    auto* buttons = new QHBoxLayout;
    for (int index = 0; index < MemoryCardButton::Count; ++index) {
        const QString caption = qt(MemoryCardButton::Captions[index]);
        auto* button = new QPushButton(caption, this);
        nameControl(button, QStringLiteral("cmdFiles_%1").arg(index));
        connect(button, &QPushButton::clicked, this, [this, index] { presenter_->cmdFiles_Click(index); });
        buttons->addWidget(button);
        cmdFiles_[static_cast<std::size_t>(index)] = button;
    }
    cmdStop_ = new QPushButton(QStringLiteral("Stop"), this);
    nameControl(cmdStop_, QStringLiteral("cmdStop"));
    connect(cmdStop_, &QPushButton::clicked, this, [this] { presenter_->cmdStop_Click(); });
    buttons->addStretch();
    buttons->addWidget(cmdStop_);

    auto* sequence = new QHBoxLayout;
    sequence->addWidget(sequenceCaption);
    sequence->addWidget(lblSequence_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(sequence);
    layout->addWidget(txtDisplay_, 1);
    layout->addWidget(prgWrite_);
    layout->addWidget(lblStatus_);
    layout->addLayout(buttons);

    presenter_->Form_Load();
}

MemoryCardWindow::~MemoryCardWindow() = default;

void MemoryCardWindow::setCaption(std::string_view caption) { setWindowTitle(qt(caption)); }

void MemoryCardWindow::setSequenceName(std::string_view name) { lblSequence_->setText(qt(name)); }

void MemoryCardWindow::setStatus(std::string_view text) { lblStatus_->setText(qt(text)); }

void MemoryCardWindow::setDisplay(std::string_view text) { txtDisplay_->setPlainText(qt(text)); }

// Per mille, so that a 1 MB card fits the bar's int range with room to spare.
void MemoryCardWindow::setProgress(std::int64_t written, std::int64_t total)
{
    prgWrite_->setVisible(total > 0);
    if (total > 0)
        prgWrite_->setValue(static_cast<int>(written * 1000 / total));
}

void MemoryCardWindow::setWorking(bool working)
{
    for (QPushButton* button : cmdFiles_)
        button->setEnabled(!working);
}

// The frame asks its window first; a running write is stopped and the window
// stays until it has ended.
void MemoryCardWindow::closeEvent(QCloseEvent* event)
{
    if (presenter_->Form_QueryUnload())
        event->ignore();
    else
        event->accept();
}

void MemoryCardWindow::closeWindow()
{
    if (parentWidget() && parentWidget()->inherits("QMdiSubWindow"))
        parentWidget()->close();
    else
        close();
}

}  // namespace tinctara
