#include "DmxTestWindow.h"

#include "Accessibility.h"
#include "KeyCodes.h"
#include "QtText.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

namespace tinctara {

DmxTestWindow::DmxTestWindow(DmxTestPresenter& presenter, QWidget* parent) : QWidget(parent), presenter_(presenter)
{
    nameControl(this, QStringLiteral("frmDMX"));
    setWindowTitle(qt(DmxTestText::Caption));
    setAutoFillBackground(true);

    auto* grid = new QGridLayout;
    auto* channelHeading = new QLabel(qt(DmxTestText::ChannelHeading), this);
    nameControl(channelHeading, QStringLiteral("lblDMX_0"));
    auto* valueHeading = new QLabel(qt(DmxTestText::ValueHeading), this);
    nameControl(valueHeading, QStringLiteral("lblDMX_1"));
    grid->addWidget(channelHeading, 0, 0, 1, 1, Qt::AlignRight);
    grid->addWidget(valueHeading, 2, 0, 1, 1, Qt::AlignRight);

    for (int row = 0; row < DmxTestText::Rows; ++row) {
        const int column = row + 1;
        auto* channel = new QLineEdit(this);
        channel->setToolTip(qt(DmxTestText::ChannelTip));
        channel->setMaximumWidth(48);
        channel->setAlignment(Qt::AlignCenter);
        // Named after their column: the headings stand only at the left.
        nameControl(channel, QStringLiteral("txtPatch_%1").arg(row),
                    QStringLiteral("%1 %2").arg(qt(DmxTestText::ChannelHeading)).arg(column));
        channel->installEventFilter(this);
        connect(channel, &QLineEdit::textEdited, this,
                [this, row](const QString& text) { presenter_.txtPatch_Change(row, utf8(text)); });

        auto* fader = new QSlider(Qt::Vertical, this);
        fader->setRange(0, 255);
        fader->setSingleStep(1);
        fader->setPageStep(10);
        fader->setMinimumHeight(160);
        nameControl(fader, QStringLiteral("ScrDMX_%1").arg(row),
                    QStringLiteral("%1 %2").arg(qt(DmxTestText::ChannelHeading)).arg(column));
        // valueChanged comes only with a new value: setting the same value runs nothing.
        connect(fader, &QSlider::valueChanged, this, [this, row](int value) { presenter_.ScrDMX_Change(row, value); });

        auto* value = new QLineEdit(this);
        value->setReadOnly(true);
        value->setToolTip(qt(DmxTestText::ValueTip));
        value->setMaximumWidth(48);
        value->setAlignment(Qt::AlignCenter);
        nameControl(value, QStringLiteral("txtDMX_%1").arg(row),
                    QStringLiteral("%1 %2").arg(qt(DmxTestText::ValueHeading)).arg(column));

        grid->addWidget(channel, 0, column, Qt::AlignHCenter);
        grid->addWidget(fader, 1, column, Qt::AlignHCenter);
        grid->addWidget(value, 2, column, Qt::AlignHCenter);
        txtPatch_[static_cast<std::size_t>(row)] = channel;
        ScrDMX_[static_cast<std::size_t>(row)] = fader;
        txtDMX_[static_cast<std::size_t>(row)] = value;
    }

    Frame1_ = new QFrame(this);
    Frame1_->setFrameShape(QFrame::StyledPanel);
    nameControl(Frame1_, QStringLiteral("Frame1"));
    auto* notice = new QLabel(qt(DmxTestText::NoInterfaceNotice), Frame1_);
    nameControl(notice, QStringLiteral("lblDMX_2"));
    auto* noticeLayout = new QVBoxLayout(Frame1_);
    noticeLayout->addWidget(notice);

    cmdDMX_ = new QPushButton(this);
    cmdDMX_->setToolTip(qt(DmxTestText::ButtonTip));
    nameControl(cmdDMX_, QStringLiteral("cmdDMX_0"));
    connect(cmdDMX_, &QPushButton::clicked, this, [this] { presenter_.cmdDMX_Click(); });

    lblStatus_ = new QLabel(this);
    lblStatus_->setFrameShape(QFrame::StyledPanel);
    nameControl(lblStatus_, QStringLiteral("lblStatus"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(Frame1_);
    layout->addWidget(cmdDMX_);
    layout->addWidget(lblStatus_);
    setFocusPolicy(Qt::ClickFocus);  // keys when clicked, but no invisible Tab stop
    presenter_.attachView(this);
}

DmxTestWindow::~DmxTestWindow() { presenter_.attachView(nullptr); }

void DmxTestWindow::setChannelField(int row, std::string_view text)
{
    if (row >= 0 && row < DmxTestText::Rows)
        txtPatch_[static_cast<std::size_t>(row)]->setText(qt(text));
}

void DmxTestWindow::setValueField(int row, std::string_view text)
{
    if (row >= 0 && row < DmxTestText::Rows)
        txtDMX_[static_cast<std::size_t>(row)]->setText(qt(text));
}

void DmxTestWindow::setLook(const TestWindowLook& look)
{
    lblStatus_->setText(qt(look.status));
    cmdDMX_->setText(qt(look.buttonCaption));
    QPalette colours = palette();
    colours.setColor(QPalette::Window,
                     look.testModeBackground ? QColor(255, 80, 80) : QApplication::palette().color(QPalette::Button));
    setPalette(colours);
}

void DmxTestWindow::setNoInterfaceNoticeVisible(bool visible) { Frame1_->setVisible(visible); }

void DmxTestWindow::focusChannelField(int row)
{
    if (row >= 0 && row < DmxTestText::Rows)
        txtPatch_[static_cast<std::size_t>(row)]->setFocus();
}

int DmxTestWindow::rowOf(QObject* object) const
{
    for (int row = 0; row < DmxTestText::Rows; ++row)
        if (object == txtPatch_[static_cast<std::size_t>(row)])
            return row;
    return -1;
}

bool DmxTestWindow::eventFilter(QObject* watched, QEvent* event)
{
    const int row = rowOf(watched);
    if (row >= 0 && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (presenter_.Form_KeyDown(programKeyCode(key), key->modifiers() & Qt::ShiftModifier))
            return true;
        // Only typed characters (and Enter and Backspace) are judged; Tab
        // leaves the field through its check on leaving, and movement keys
        // and Ctrl shortcuts pass.
        const QString text = key->text();
        int character = 0;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            character = 13;
        else if (key->key() == Qt::Key_Backspace)
            character = 8;
        else if (!(key->modifiers() & Qt::ControlModifier) && !text.isEmpty() && text.at(0).isPrint())
            character = text.at(0).unicode();
        if (character != 0 && !presenter_.txtPatch_KeyPress(row, character))
            return true;  // refused: the field was emptied and the character is dropped
    } else if (row >= 0 && event->type() == QEvent::FocusOut) {
        presenter_.txtPatch_LostFocus(row);
    }
    return QWidget::eventFilter(watched, event);
}

void DmxTestWindow::keyPressEvent(QKeyEvent* event)
{
    if (!presenter_.Form_KeyDown(programKeyCode(event), event->modifiers() & Qt::ShiftModifier))
        QWidget::keyPressEvent(event);
}

}  // namespace tinctara
